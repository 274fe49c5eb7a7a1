#include "frame/prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>

#include "frame/reading_dialog.h"

namespace brevanta::frame {
namespace {

QPointer<QWidget> gParent;

class QtPrompter final : public Prompter {
public:
    Answer message(const QString& title, const QString& text, Buttons buttons, Icon icon) override {
        QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                        buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                        dialogParent());
        const int pressed = box.exec();
        if (buttons == Buttons::Ok) return Answer::Ok;
        return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }

    QString saveFileName(const SaveDialogRequest& request) override {
        return QFileDialog::getSaveFileName(dialogParent(), request.title, request.fileName, request.filter,
                                            request.chosenFilter, QFileDialog::DontConfirmOverwrite);
    }

    bool printDialog(QPrinter& printer) override {
        QPrintDialog dialog(&printer, dialogParent());
        return dialog.exec() == QDialog::Accepted;
    }

    QStringList openFileNames(const OpenDialogRequest& request) override {
        return QFileDialog::getOpenFileNames(dialogParent(), request.title, QString(), request.filter);
    }

    std::optional<std::vector<int>> chooseReading(const ReadingChoiceRequest& request) override {
        return showReadingDialog(request, dialogParent());
    }
};

QtPrompter gQtPrompter;
Prompter* gPrompter = nullptr;

}  // namespace

QStringList Prompter::openFileNames(const OpenDialogRequest&) { return {}; }

std::optional<std::vector<int>> Prompter::chooseReading(const ReadingChoiceRequest&) { return std::nullopt; }

Prompter& prompter() { return gPrompter ? *gPrompter : gQtPrompter; }

void setPrompter(Prompter* replacement) { gPrompter = replacement; }

void setDialogParent(QWidget* parent) { gParent = parent; }

QWidget* dialogParent() {
    if (QWidget* active = QApplication::activeWindow()) return active;
    if (gParent && gParent->isVisible()) return gParent;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog))
            return window;
    return gParent;
}

}  // namespace brevanta::frame

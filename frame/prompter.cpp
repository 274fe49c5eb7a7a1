#include "frame/prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QProgressDialog>
#include <QPushButton>

#include "frame/reading_dialog.h"

namespace brevanta::frame {
namespace {

// The window named by setDialogParent; it goes by itself when that window goes.
QPointer<QWidget> namedParent;

class QtProgressWindow final : public ProgressWindow {
public:
    QtProgressWindow(const QString& title, const QString& text, std::function<void()> cancel)
        : dialog_(text, QStringLiteral("Cancel"), 0, 0, dialogParent()) {
        dialog_.setWindowTitle(title);
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(0);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        QObject::connect(&dialog_, &QProgressDialog::canceled, &dialog_, std::move(cancel));
        dialog_.show();
    }

private:
    QProgressDialog dialog_;
};

class QtPrompter final : public Prompter {
public:
    Answer message(const QString& title, const QString& text, Buttons buttons, Icon icon) override {
        QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                        buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                        dialogParent());
        // Every question asks before something is replaced, cleared or started:
        // a stray Enter or Esc answers No.
        if (buttons == Buttons::YesNo) {
            box.setDefaultButton(QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
        }
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
        return QFileDialog::getOpenFileNames(dialogParent(), request.title, request.folder, request.filter);
    }

    void messageWithDetails(const QString& title, const QString& text, const QString& details, Icon icon) override {
        QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                        QMessageBox::Ok, dialogParent());
        box.setDetailedText(details);
        box.exec();
    }

    std::unique_ptr<ProgressWindow> showProgress(const QString& title, const QString& text,
                                                 std::function<void()> cancel) override {
        return std::make_unique<QtProgressWindow>(title, text, std::move(cancel));
    }

    bool messageOffering(const QString& title, const QString& text, const QString& action, Icon icon) override {
        QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                        QMessageBox::Ok, dialogParent());
        const QAbstractButton* offered = box.addButton(action, QMessageBox::ActionRole);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        box.exec();
        return box.clickedButton() == offered;
    }

    std::optional<std::vector<int>> chooseReading(const ReadingChoiceRequest& request) override {
        return showReadingDialog(request, dialogParent());
    }
};

// The one service point for boxes and dialogs: null while the Qt prompter is in use.
Prompter* installedPrompter = nullptr;

}  // namespace

QStringList Prompter::openFileNames(const OpenDialogRequest&) { return {}; }

QString withFilterExtension(const QString& name, const QString& filter) {
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
    const QString entry = filter.section(QStringLiteral(";;"), 0, 0);
    const qsizetype star = entry.indexOf(QLatin1String("*."));
    if (star < 0) return name;
    qsizetype end = star + 2;
    while (end < entry.size() && entry[end].isLetterOrNumber()) ++end;
    return end > star + 2 ? name + entry.mid(star + 1, end - star - 1) : name;
}

std::unique_ptr<ProgressWindow> Prompter::showProgress(const QString&, const QString&, std::function<void()>) {
    return nullptr;
}

bool Prompter::messageOffering(const QString& title, const QString& text, const QString&, Icon icon) {
    message(title, text, Buttons::Ok, icon);
    return false;
}

void Prompter::messageWithDetails(const QString& title, const QString& text, const QString&, Icon icon) {
    message(title, text, Buttons::Ok, icon);
}

QString Prompter::folderSettingsFile() { return {}; }

std::optional<std::vector<int>> Prompter::chooseReading(const ReadingChoiceRequest&) { return std::nullopt; }

Prompter& prompter() {
    static QtPrompter qtPrompter;
    return installedPrompter ? *installedPrompter : qtPrompter;
}

void setPrompter(Prompter* replacement) { installedPrompter = replacement; }

void setDialogParent(QWidget* parent) { namedParent = parent; }

QWidget* dialogParent() {
    if (QWidget* active = QApplication::activeWindow()) return active;
    if (namedParent && namedParent->isVisible()) return namedParent;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog))
            return window;
    return namedParent;
}

}  // namespace brevanta::frame

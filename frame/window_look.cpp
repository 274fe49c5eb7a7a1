#include "frame/window_look.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

#include "frame/failure.h"

namespace brevanta::frame {
namespace {

bool isDark(const QColor& colour) { return colour.lightness() < 128; }

void setWindowColours(QWidget* window) {
    const QPalette theme = QApplication::palette(window);
    QPalette fixed;  // only the roles set below are the window's own
    if (!isDark(theme.color(QPalette::Window))) {
        for (const QPalette::ColorRole background : {QPalette::Window, QPalette::Base})
            fixed.setColor(background, Qt::white);
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            for (const QPalette::ColorRole text : {QPalette::WindowText, QPalette::Text})
                fixed.setColor(group, text, Qt::black);
        for (const QPalette::ColorRole text : {QPalette::WindowText, QPalette::Text})
            fixed.setColor(QPalette::Disabled, text, Qt::darkGray);
    }
    window->setPalette(fixed);
}

// Sets the colours again when the theme changes.
class ThemeWatch final : public QObject {
public:
    explicit ThemeWatch(QWidget* window) : QObject(window), window_(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::ApplicationPaletteChange) setWindowColours(window_);
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* window_;
};

}  // namespace

void useWindowColours(QWidget* window) {
    setWindowColours(window);
    if (!window->findChild<ThemeWatch*>(QString(), Qt::FindDirectChildrenOnly)) new ThemeWatch(window);
}

void useButtonFaceColors(QWidget* window) {
    const QColor face = window->palette().color(QPalette::Button);
    const QColor faceText = window->palette().color(QPalette::ButtonText);
    auto paint = [&face, &faceText](QWidget* widget) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, face);
        palette.setColor(QPalette::WindowText, faceText);
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    };
    paint(window);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QRadioButton*>(child))
            paint(child);
    }
}

void applySkin(QWidget* mainWindow, const QString& folder) {
    const QString skinPath = folder + QStringLiteral("/x/o.cjs");
    if (!QFileInfo(skinPath).isFile()) return;
    useButtonFaceColors(mainWindow);
    QFile skin(skinPath);
    if (!skin.open(QIODevice::ReadOnly)) throw Failure(QStringLiteral("File not found: ") + skinPath);
    mainWindow->setStyleSheet(QString::fromUtf8(skin.readAll()));
}

}  // namespace brevanta::frame

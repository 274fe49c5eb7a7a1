#include "frame/window_look.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

#include "frame/failure.h"

namespace brevanta::frame {

void useButtonFaceColors(QWidget* window) {
    const QColor face = window->palette().color(QPalette::Button);
    auto paint = [&face](QWidget* widget) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, face);
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

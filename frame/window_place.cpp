#include "frame/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace brevanta::frame {

QPoint centredPlace(const QSize& window, const QRect& available) {
    QRect place(QPoint(), window);
    place.moveCenter(available.center());
    return QPoint(std::max(place.left(), available.left()), std::max(place.top(), available.top()));
}

void placeCentred(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    window.move(centredPlace(window.size(), screen->availableGeometry()));
}

}  // namespace brevanta::frame

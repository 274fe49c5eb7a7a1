#include "register/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace brevanta::reg {
namespace {

QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    painter.setPen(QPen(QColor(0x1B, 0x5E, 0x20), 1.5));
    painter.setBrush(QColor(0xF1, 0xF8, 0xE9));
    painter.drawRoundedRect(QRectF(4, 2, 24, 28), 2.5, 2.5);

    painter.setPen(QPen(QColor(0x81, 0xC7, 0x84), 1.2));
    for (int line = 0; line < 5; ++line) painter.drawLine(QPointF(8, 8 + line * 4.5), QPointF(24, 8 + line * 4.5));

    QPainterPath check;
    check.moveTo(11, 18);
    check.lineTo(15, 23);
    check.lineTo(25, 9);
    painter.setPen(QPen(QColor(0x2E, 0x7D, 0x32), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(check);
    return pixmap;
}

}  // namespace

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) icon.addPixmap(drawIcon(size));
    return icon;
}

}  // namespace brevanta::reg

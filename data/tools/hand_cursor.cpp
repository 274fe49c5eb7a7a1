#include "data/tools/hand_cursor.h"

#include <QBuffer>
#include <QDataStream>
#include <QPainter>
#include <QPainterPath>

namespace brevanta::data {
namespace {

QPainterPath roundedBox(qreal left, qreal top, qreal right, qreal bottom, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(left, top), QPointF(right, bottom)), radius, radius);
    return path;
}

}  // namespace

QImage drawHandCursor() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);

    // The finger, the three folded fingers, the palm and the thumb, as one outline.
    QPainterPath hand = roundedBox(9, 1, 13.5, 19, 2.25);
    hand = hand.united(roundedBox(13, 9.5, 17.5, 19, 2.25));
    hand = hand.united(roundedBox(17, 10.5, 21.5, 20, 2.25));
    hand = hand.united(roundedBox(21, 12, 25.5, 21, 2.25));
    hand = hand.united(roundedBox(9, 16, 25.5, 28, 4));
    QPainterPath thumb;
    thumb.moveTo(10, 19);
    thumb.lineTo(6, 15.5);
    thumb.cubicTo(4, 14, 2, 16, 3.5, 18);
    thumb.lineTo(10, 26);
    thumb.closeSubpath();
    hand = hand.united(thumb).simplified();

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::white);
    painter.drawPath(hand);
    // Creases between the folded fingers.
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : {13.25, 17.25, 21.25}) painter.drawLine(QPointF(x, 12.5), QPointF(x, 17));
    return image;
}

QByteArray encodeCursorFile(const QImage& image, QPoint hotSpot) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const int width = argb.width();
    const int height = argb.height();
    const int maskStride = (width + 31) / 32 * 4;  // rows padded to 32 bits
    const quint32 bitmapSize = 40 + quint32(width) * height * 4 + quint32(maskStride) * height;

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    out.setByteOrder(QDataStream::LittleEndian);
    // Directory: reserved, type 2 (cursor), one entry.
    out << quint16(0) << quint16(2) << quint16(1);
    // Entry: size (0 means 256), no palette, the hot spot, the bitmap's size and place.
    out << quint8(width & 0xFF) << quint8(height & 0xFF) << quint8(0) << quint8(0) << quint16(hotSpot.x())
        << quint16(hotSpot.y()) << bitmapSize << quint32(22);
    // Bitmap header; the height counts the colours and the mask together.
    out << quint32(40) << qint32(width) << qint32(height * 2) << quint16(1) << quint16(32) << quint32(0)
        << quint32(bitmapSize - 40) << qint32(0) << qint32(0) << quint32(0) << quint32(0);
    // Colours, bottom row first, as blue, green, red, alpha.
    for (int y = height - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < width; ++x)
            out << quint8(qBlue(row[x])) << quint8(qGreen(row[x])) << quint8(qRed(row[x])) << quint8(qAlpha(row[x]));
    }
    // Mask, bottom row first: a set bit lets the screen show through.
    for (int y = height - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        QByteArray mask(maskStride, '\0');
        for (int x = 0; x < width; ++x)
            if (qAlpha(row[x]) == 0) mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
        out.writeRawData(mask.constData(), mask.size());
    }
    return bytes;
}

}  // namespace brevanta::data

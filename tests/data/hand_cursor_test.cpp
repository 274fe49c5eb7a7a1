// The drawn hand pointer, written as a .cur file and read back the way the
// windows read it.

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include "data/tools/hand_cursor.h"
#include "register/cursor_file.h"

namespace brevanta::data {
namespace {

QCursor readBack(const QByteArray& bytes) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("HAND-M.CUR"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    return reg::loadCursorFile(path);
}

TEST(HandCursor, TheDrawingComesBackWithItsHotSpotAndTransparency) {
    const QImage drawn = drawHandCursor();
    ASSERT_EQ(drawn.size(), QSize(32, 32));
    // The hot spot is on the finger, the corners show the screen through.
    EXPECT_GT(qAlpha(drawn.pixel(kHandHotSpot + QPoint(0, 1))), 128);
    EXPECT_EQ(qAlpha(drawn.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(drawn.pixel(31, 0)), 0);

    const QByteArray bytes = encodeCursorFile(drawn, kHandHotSpot);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 2), 2);  // a cursor, not an icon
    const QCursor cursor = readBack(bytes);
    EXPECT_EQ(cursor.hotSpot(), kHandHotSpot);
    const QImage read = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(read.size(), drawn.size());
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(read.pixel(x, y), drawn.pixel(x, y)) << x << "," << y;  // rows not flipped, colours not swapped
}

TEST(HandCursor, OddWidthsPadTheMaskAnd256IsWrittenAsZero) {
    QImage odd(20, 7, QImage::Format_ARGB32);
    odd.fill(Qt::transparent);
    odd.setPixel(19, 0, qRgba(10, 20, 30, 255));
    odd.setPixel(0, 6, qRgba(200, 100, 50, 255));
    const QByteArray bytes = encodeCursorFile(odd, {19, 0});
    // Directory, entry, header, colours and a mask of 4 bytes a row.
    EXPECT_EQ(bytes.size(), 6 + 16 + 40 + 20 * 7 * 4 + 4 * 7);
    const QImage read = readBack(bytes).pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(read.size(), odd.size());
    EXPECT_EQ(read.pixel(19, 0), qRgba(10, 20, 30, 255));
    EXPECT_EQ(read.pixel(0, 6), qRgba(200, 100, 50, 255));
    EXPECT_EQ(qAlpha(read.pixel(5, 3)), 0);

    QImage large(256, 256, QImage::Format_ARGB32);
    large.fill(Qt::white);
    const QByteArray largeBytes = encodeCursorFile(large, {128, 128});
    EXPECT_EQ(largeBytes[6], '\0');
    EXPECT_EQ(largeBytes[7], '\0');
    EXPECT_EQ(readBack(largeBytes).pixmap().size(), QSize(256, 256));
}

}  // namespace
}  // namespace brevanta::data

#include "frame/picture_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

namespace brevanta {
namespace {

// Every pixel different from its neighbours, so a swapped channel, a flipped
// or shifted row shows.
QImage patterned(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x + 3 * y) % 256));
    return image;
}

TEST(PictureFile, RoundTripKeepsEveryPixel) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    const QImage picture = patterned(37, 23);  // an odd width: rows that a 24-bit file would pad
    ASSERT_TRUE(frame::savePictureFile(picture, path));
    const QImage read = frame::loadPictureFile(path);
    ASSERT_EQ(read.format(), QImage::Format_RGB32);
    EXPECT_EQ(read, picture);
}

TEST(PictureFile, APictureOutlivesItsDeletedFile) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    const QImage picture = patterned(300, 200);
    ASSERT_TRUE(frame::savePictureFile(picture, path));
    QImage read = frame::loadPictureFile(path);
    ASSERT_TRUE(QFile::remove(path));  // as the generation deletes it right after the preview loaded it
    EXPECT_EQ(read, picture);
    QPainter(&read).fillRect(0, 0, 10, 10, Qt::red);  // painting on it changes the image only
    EXPECT_EQ(read.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(read.pixel(20, 20), picture.pixel(20, 20));
}

TEST(PictureFile, UnusedBytesOtherThan0xFFStillGiveOpaquePixels) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    const QImage picture = patterned(13, 7);
    ASSERT_TRUE(frame::savePictureFile(picture, path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype pixels = qsizetype(13) * 7;
    const qsizetype first = bytes.size() - pixels * 4;
    for (qsizetype i = 0; i < pixels; ++i) bytes[first + 4 * i + 3] = char(i % 3 == 0 ? 0 : 0x7F);  // as other writers leave it
    ASSERT_TRUE(file.seek(0));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    const QImage read = frame::loadPictureFile(path);
    ASSERT_EQ(read.format(), QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(reinterpret_cast<const QRgb*>(read.constScanLine(y))[x], picture.pixel(x, y)) << x << "," << y;
}

TEST(PictureFile, QtsBmpReaderReadsTheSamePixels) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    const QImage picture = patterned(19, 11);
    ASSERT_TRUE(frame::savePictureFile(picture, path));
    const QImage read(path, "BMP");
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), picture);
}

TEST(PictureFile, OtherPicturesAreReadThroughQt) {
    QTemporaryDir folder;
    const QImage picture = patterned(9, 5);
    for (const char* format : {"BMP", "PNG"}) {
        const QString path = folder.filePath(QStringLiteral("other.") + QString::fromLatin1(format).toLower());
        ASSERT_TRUE(picture.save(path, format));
        EXPECT_EQ(frame::loadPictureFile(path).convertToFormat(QImage::Format_RGB32), picture) << format;
    }
}

TEST(PictureFile, ShortFilesAreLeftToQtAndMissingOnesGiveNoPicture) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    ASSERT_TRUE(frame::savePictureFile(patterned(8, 8), path));
    QFile file(path);
    ASSERT_TRUE(file.resize(file.size() - 4));  // the last pixel is missing
    // Never read past the end: such a file gets the answer Qt's reader gives.
    const QImage qtRead(path);
    EXPECT_EQ(frame::loadPictureFile(path).isNull(), qtRead.isNull());
    EXPECT_EQ(frame::loadPictureFile(path).size(), qtRead.size());
    EXPECT_TRUE(frame::loadPictureFile(folder.filePath(QStringLiteral("missing.bmp"))).isNull());
    EXPECT_FALSE(frame::savePictureFile(QImage(), path));
}

TEST(PictureFile, PicturesInOtherFormatsAreWrittenAsTheyLook) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    const QImage picture = patterned(6, 4);
    ASSERT_TRUE(frame::savePictureFile(picture.convertToFormat(QImage::Format_RGB888), path));
    EXPECT_EQ(frame::loadPictureFile(path), picture);
}

TEST(PictureFile, LargeUninitialisedImagesAreUsable) {
    QImage image = frame::uninitialisedImage(2000, 3000, QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(2000, 3000));
    image.fill(Qt::white);
    QPainter(&image).fillRect(10, 2990, 5, 5, Qt::red);
    EXPECT_EQ(image.pixel(12, 2992), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1999, 0), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace brevanta

// The picture file format and the replay: round trips, damaged bytes, the
// formats a picture file may hold, and painting at a scale.

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "picture/picture_codec.h"
#include "picture/picture_file.h"
#include "picture/picture_output.h"

using namespace brevanta::paint;

namespace {

// Two bands of a small register: fills, rules, clipped and unclipped text.
SheetPicture samplePicture() {
    SheetPicture picture;
    picture.width = 200;
    picture.height = 60;
    picture.fonts = {{QStringLiteral("Liberation Sans"), 13, false, false, false, false},
                     {QStringLiteral("Liberation Sans"), 32, true, true, true, true}};
    picture.texts = {QStringLiteral("Check Register"), QString::fromUtf8("Caf\xc3\xa9 \xf0\x9f\x98\x80"), QString()};
    PictureBand first;
    first.top = 0;
    first.bottom = 30;
    first.fills = {{QRect(0, 0, 100, 30), qRgb(255, 255, 255)}, {QRect(100, 0, 100, 30), qRgb(204, 255, 204)}};
    first.rules = {{QRect(99, 0, 1, 30), qRgb(212, 212, 212)}, {QRect(0, 29, 100, 1), qRgb(212, 212, 212)}};
    first.texts = {{QRect(2, 0, 196, 30), QRect(), 0, 1, uint16_t(Qt::AlignHCenter | Qt::AlignVCenter), qRgb(0, 0, 0)}};
    PictureBand second;
    second.top = 30;
    second.bottom = 60;
    second.fills = {{QRect(0, 30, 200, 30), qRgb(153, 204, 255)}};
    second.texts = {{QRect(2, 30, 96, 30), QRect(0, 30, 100, 30), 1, 0, uint16_t(Qt::AlignLeft | Qt::AlignBottom),
                     qRgb(128, 0, 0)},
                    {QRect(102, 30, 96, 30), QRect(100, 30, 100, 30), 2, 0,
                     uint16_t(Qt::AlignRight | Qt::TextWordWrap), qRgb(0, 0, 255)}};
    picture.bands = {first, second};
    picture.finish();
    return picture;
}

QImage paintAt(const SheetPicture& picture, const QRect& target, double scale) {
    QImage image(target.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(-target.topLeft());
    picture.paint(painter, target, scale, scale);
    return image;
}

QString writeFile(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes) {
    const QString path = folder.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

}  // namespace

TEST(PictureCodec, RoundTripsEveryKindOfCommand) {
    SheetPicture picture = samplePicture();
    QImage bitmap(3, 2, QImage::Format_RGB32);
    bitmap.fill(qRgb(10, 20, 30));
    picture.bands[1].images.push_back({QRect(5, 35, 3, 2), bitmap});
    const QByteArray bytes = encodePicture(picture);
    ASSERT_TRUE(looksLikePicture(bytes));
    const std::optional<SheetPicture> back = decodePicture(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->bands[1].images[0].image.convertToFormat(QImage::Format_RGB32), bitmap);
    picture.bands[1].images.clear();
    SheetPicture withoutImage = *back;
    withoutImage.bands[1].images.clear();
    EXPECT_EQ(withoutImage, picture);
    EXPECT_EQ(encodePicture(*decodePicture(encodePicture(picture))), encodePicture(picture));
}

TEST(PictureCodec, RefusesEveryCutAndDamagedHeader) {
    const QByteArray bytes = encodePicture(samplePicture());
    for (qsizetype size = 0; size < bytes.size(); ++size)
        EXPECT_FALSE(decodePicture(QByteArrayView(bytes.constData(), size))) << "cut at " << size;
    EXPECT_FALSE(decodePicture(bytes + QByteArray(1, '\0')));  // trailing bytes
    QByteArray version = bytes;
    version[8] = 2;
    EXPECT_FALSE(decodePicture(version));
    QByteArray hugeCount = bytes.left(8) + QByteArray("\x01\x10\x10\xff\xff\xff\xff\x0f", 8);
    EXPECT_FALSE(decodePicture(hugeCount));
}

TEST(PictureFile, HoldsThePictureWhateverItsNameAndReadsBitmapsByContent) {
    QTemporaryDir folder;
    const SheetPicture picture = samplePicture();
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    ASSERT_TRUE(savePictureFile(picture, path));
    const SharedPicture back = loadPictureFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, picture);

    // A bitmap picture file, BMP or PNG, whatever the name says.
    QImage bitmap(7, 5, QImage::Format_RGB32);
    bitmap.fill(qRgb(1, 2, 3));
    for (const char* format : {"bmp", "png"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        bitmap.save(&buffer, format);
        const SharedPicture read = loadPictureFile(writeFile(folder, QStringLiteral("temp.bmp"), bytes));
        ASSERT_TRUE(read) << format;
        EXPECT_EQ(pictureToImage(*read), bitmap) << format;
    }

    // Anything else is no picture: garbage, a damaged picture, another image format, nothing.
    EXPECT_FALSE(loadPictureFile(writeFile(folder, QStringLiteral("a"), "not a picture at all")));
    EXPECT_FALSE(loadPictureFile(writeFile(folder, QStringLiteral("b"), encodePicture(picture).chopped(3))));
    EXPECT_FALSE(loadPictureFile(writeFile(folder, QStringLiteral("c"), "BM garbage")));
    EXPECT_FALSE(loadPictureFile(writeFile(folder, QStringLiteral("d"), "GIF89a")));
    EXPECT_FALSE(loadPictureFile(folder.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(savePictureFile(SheetPicture(), folder.filePath(QStringLiteral("empty"))));
}

TEST(PictureReplay, AnyRectangleMatchesTheWholePictureAndScalesCrisply) {
    const SheetPicture picture = samplePicture();
    const QImage whole = pictureToImage(picture);
    // Rectangles cutting through bands, cells and text paint the same pixels as the whole.
    for (const QRect& part : {QRect(0, 0, 200, 60), QRect(50, 20, 100, 20), QRect(95, 28, 10, 5), QRect(150, 45, 50, 15)})
        EXPECT_EQ(paintAt(picture, part, 1.0), whole.copy(part)) << part.x() << "," << part.y();

    // Fills tile without seams at fractional scales, and rules stay one pixel wide.
    SheetPicture untitled = picture;
    for (PictureBand& band : untitled.bands) band.texts.clear();
    const QImage plain = paintAt(untitled, QRect(0, 0, 550, 165), 2.75);
    EXPECT_EQ(plain.pixel(300, 160), qRgb(153, 204, 255));
    EXPECT_EQ(plain.pixel(274, 40), qRgb(212, 212, 212));  // the rule at 100 * 2.75 - 1
    EXPECT_EQ(plain.pixel(273, 40), qRgb(255, 255, 255));
    EXPECT_EQ(plain.pixel(275, 40), qRgb(204, 255, 204));
    EXPECT_EQ(plain.pixel(10, 82), qRgb(212, 212, 212));  // the rule at 30 * 2.75 - 1, rounded
    EXPECT_EQ(plain.pixel(10, 83), qRgb(153, 204, 255));
    const QImage scaled = paintAt(picture, QRect(0, 0, 550, 165), 2.75);
    // Text drawn at the zoomed size is sharper than the picture stretched: far fewer mid-grey pixels.
    const QImage stretched = whole.scaled(550, 165, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    auto greys = [](const QImage& image, const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const int level = qGray(image.pixel(x, y));
                count += level > 60 && level < 190;
            }
        return count;
    };
    EXPECT_LT(greys(scaled, QRect(0, 0, 550, 80)) * 2, greys(stretched, QRect(0, 0, 550, 80)));
}

TEST(PictureOutput, BitmapsStopAtWhatABitmapHoldsAndSvgKeepsText) {
    SheetPicture tall;
    tall.width = 100;
    tall.height = 40000;
    tall.bands.push_back({0, 40000, {{QRect(0, 0, 100, 40000), qRgb(1, 2, 3)}}, {}, {}, {}});
    tall.finish();
    EXPECT_FALSE(fitsInBitmap(tall));
    EXPECT_EQ(pictureToImage(tall).size(), QSize(100, kLargestBitmapSide));
    const QByteArray svg = pictureToSvg(samplePicture());
    EXPECT_TRUE(svg.contains("Check Register"));
    EXPECT_TRUE(svg.contains("width=\"200"));
}

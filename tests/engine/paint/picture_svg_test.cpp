// The SVG written from a picture's drawing commands, read by a reader nobody
// here wrote (rsvg-convert) and compared with the picture's own replay.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include "picture/picture_output.h"

using namespace brevanta::paint;

namespace {

constexpr QRgb kInk = qRgb(0, 0, 0);

// Cells of a register: a bold centred title, left, right and centred text,
// two wrapped lines, a text cut at its cell's edge, on fills and rules.
SheetPicture registerLikePicture() {
    SheetPicture picture;
    picture.width = 400;
    picture.height = 120;
    picture.fonts = {{QStringLiteral("Liberation Sans"), 13, false, false, false, false},
                     {QStringLiteral("Liberation Sans"), 24, true, false, false, false}};
    picture.texts = {QStringLiteral("Check Register"), QStringLiteral("Paycheck"), QStringLiteral("1,000.00"),
                     QStringLiteral("Yes"), QStringLiteral("wrapped onto two lines"),
                     QStringLiteral("A description far too long for its cell")};
    PictureBand band;
    band.top = 0;
    band.bottom = 120;
    band.fills = {{QRect(0, 0, 400, 40), qRgb(255, 255, 255)}, {QRect(0, 40, 200, 40), qRgb(224, 255, 215)},
                  {QRect(200, 40, 200, 40), qRgb(253, 247, 223)}, {QRect(0, 80, 400, 40), qRgb(161, 208, 255)}};
    band.rules = {{QRect(199, 40, 1, 80), qRgb(128, 128, 128)}, {QRect(0, 79, 400, 1), qRgb(128, 128, 128)}};
    const auto text = [](QRect box, QRect clip, uint32_t index, uint16_t font, int flags) {
        return TextCommand{box, clip, index, font, uint16_t(flags), kInk};
    };
    band.texts = {text(QRect(2, 0, 396, 40), {}, 0, 1, Qt::AlignHCenter | Qt::AlignVCenter),
                  text(QRect(2, 40, 96, 40), {}, 1, 0, Qt::AlignLeft | Qt::AlignVCenter),
                  text(QRect(102, 40, 96, 40), {}, 2, 0, Qt::AlignRight | Qt::AlignVCenter),
                  text(QRect(202, 40, 96, 40), {}, 3, 0, Qt::AlignHCenter | Qt::AlignBottom),
                  text(QRect(302, 40, 96, 40), QRect(300, 40, 100, 40), 4, 0,
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap),
                  text(QRect(2, 80, 96, 40), QRect(0, 80, 100, 40), 5, 0, Qt::AlignLeft | Qt::AlignVCenter)};
    picture.bands = {band};
    picture.finish();
    return picture;
}

// Where the ink of a text falls inside `area`: how much, and its centre.
struct Ink {
    int pixels = 0;
    double x = 0, y = 0;
};
Ink inkIn(const QImage& image, const QRect& area) {
    Ink ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100) {
                ++ink.pixels;
                ink.x += x;
                ink.y += y;
            }
    if (ink.pixels) ink.x /= ink.pixels, ink.y /= ink.pixels;
    return ink;
}

}  // namespace

TEST(PictureSvg, AnIndependentReaderDrawsItAsThePictureDrawsItself) {
    const QString rsvg = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
    if (rsvg.isEmpty()) GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
    const SheetPicture picture = registerLikePicture();
    QTemporaryDir folder;
    QFile svg(folder.filePath(QStringLiteral("sheet.svg")));
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write(pictureToSvg(picture));
    svg.close();
    const QString png = folder.filePath(QStringLiteral("sheet.png"));
    ASSERT_EQ(QProcess::execute(rsvg, {svg.fileName(), QStringLiteral("-o"), png}), 0);
    const QImage theirs = QImage(png).convertToFormat(QImage::Format_RGB32);
    const QImage ours = pictureToImage(picture);
    ASSERT_EQ(theirs.size(), ours.size());

    // Fills and rules land on the same pixels: compare where no text is.
    for (const QPoint at : {QPoint(150, 45), QPoint(350, 75), QPoint(300, 115), QPoint(199, 60), QPoint(50, 79)})
        EXPECT_EQ(theirs.pixel(at), ours.pixel(at)) << at.x() << "," << at.y();
    // Text lands in the same place, wrapped and cut the same way.
    for (const TextCommand& text : picture.bands[0].texts) {
        const QRect area = text.clip.isEmpty() ? text.box : text.clip;
        const Ink a = inkIn(theirs, area), b = inkIn(ours, area);
        SCOPED_TRACE(picture.texts[text.text].toStdString());
        ASSERT_GT(b.pixels, 0);
        EXPECT_NEAR(a.pixels, b.pixels, b.pixels * 0.25);
        EXPECT_NEAR(a.x, b.x, 1.5);
        EXPECT_NEAR(a.y, b.y, 1.5);
    }
}

TEST(PictureSvg, StaysWellFormedWhateverTheTextHolds) {
    SheetPicture picture = registerLikePicture();
    picture.texts[1] = QStringLiteral("<b>&amp;</b> ]]> ") + QChar(0) + QChar(0xFFFE) + QChar(0xD800) +
                       QChar(0x1B) + QStringLiteral("end");
    picture.fonts[0].family = QStringLiteral("Sans' onload='x");
    const QByteArray svg = pictureToSvg(picture);
    QXmlStreamReader reader(svg);
    QString texts;
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("text"))
            texts += reader.readElementText();
    ASSERT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("<b>&amp;</b> ]]> \uFFFD\uFFFD\uFFFD\uFFFDend")));
    EXPECT_FALSE(svg.contains("onload='"));
}

// The picture of a small register-like sheet, checked by pixel facts.

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include "picture/picture_codec.h"
#include "picture/picture_file.h"
#include "picture/picture_mime.h"
#include "picture/picture_output.h"
#include "engine/paint/sheet_painter.h"
#include "tests/engine/embedded/engine_fixture.h"
#include "tests/support/recording.h"

using namespace brevanta;
using testsupport::EngineTest;

namespace {

QColor paletteColor(const host::WorkbookPtr& book, int index) {
    const int value = book->color(index);
    return QColor(model::redOf(value), model::greenOf(value), model::blueOf(value));
}

bool isDark(QRgb pixel) { return qRed(pixel) < 110 && qGreen(pixel) < 110 && qBlue(pixel) < 110; }

}  // namespace

class PictureTest : public EngineTest {
protected:
    // The register's layout in small: widths, heights, title, header, two banded rows.
    void layOut() {
        app->cells()->select();
        app->selection()->font().setName(QStringLiteral("Arial"));
        app->selection()->setVerticalAlignment(host::xl::Center);
        app->selection()->setWrapText(true);
        app->selection()->interior().setColorIndex(2);
        const double widths[] = {2.71, 10.86, 10.43, 37.43, 15.51, 8, 11.14, 14, 15};
        for (int col = 0; col < 9; ++col) {
            const QString letter(QChar(u'A' + col));
            app->columns(letter + QStringLiteral(":") + letter)->setColumnWidth(widths[col]);
        }
        const double heights[] = {12, 30.75, 7.5, 19.5, 3, 20, 20, 20};
        for (int row = 0; row < 8; ++row) app->rows(QStringLiteral("%1:%1").arg(row + 1))->setRowHeight(heights[row]);
        write(QStringLiteral("$B$2:$I$2"), QStringLiteral("Check Register"));
        app->range(QStringLiteral("$B$2:$I$2"))->select();
        app->selection()->merge();
        app->selection()->font().setFontStyle(QStringLiteral("Bold"));
        app->selection()->font().setSize(24);
        app->selection()->font().setColorIndex(0);
        const char* headers[] = {"Date", "Number", "Description Of Transaction", "Category", "Cleared", "Debit (-)", "Credit (+)", "Balance"};
        for (int col = 0; col < 8; ++col) {
            const QString cell = QStringLiteral("$%1$4").arg(QChar(u'B' + col));
            write(cell, QString::fromLatin1(headers[col]));
            app->selection()->setHorizontalAlignment(host::xl::Center);
            app->range(cell)->interior().setColorIndex(43);
            app->range(cell)->font().setFontStyle(QStringLiteral("Bold"));
            app->range(cell)->font().setSize(9);
        }
        app->range(QStringLiteral("$B$5:$I$5"))->interior().setColorIndex(43);
        app->range(QStringLiteral("$B$6:$H$6"))->interior().setColorIndex(2);
        app->range(QStringLiteral("$B$7:$H$7"))->interior().setColorIndex(39);
        app->range(QStringLiteral("$I$6:$I$7"))->interior().setColorIndex(40);
        write(QStringLiteral("$D$6"), QStringLiteral("Opening deposit"));
        write(QStringLiteral("$H$6"), QStringLiteral("5000"));
        write(QStringLiteral("$H$7"), QStringLiteral("55"));
        for (int row = 6; row <= 7; ++row)
            write(QStringLiteral("$I$%1").arg(row),
                  QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",R[-1]C-RC[-2]+RC[-1])"));
    }
    paint::SheetPicture record(const model::CellRange& range) {
        auto model = engine::sheetModel(*app->activeSheet());
        return paint::recordSheet(model.workbook, model.sheet, model.calculator, range, QLocale());
    }
    QImage render(const model::CellRange& range) { return paint::pictureToImage(record(range)); }
};

TEST(PictureSizes, ColumnsAndRowsInScreenPixels) {
    EXPECT_EQ(paint::columnPixels(8.43), 64);
    EXPECT_EQ(paint::columnPixels(2.71), 24);
    EXPECT_EQ(paint::columnPixels(37.43), 267);
    EXPECT_EQ(paint::columnPixels(1), 12);
    EXPECT_EQ(paint::columnPixels(0.5), 6);
    EXPECT_EQ(paint::columnPixels(0), 0);
    EXPECT_EQ(paint::rowPixels(12.75), 17);
    EXPECT_EQ(paint::rowPixels(20), 27);
    EXPECT_EQ(paint::rowPixels(3), 4);
    EXPECT_EQ(paint::rowPixels(0), 0);
}

TEST_F(PictureTest, RegisterSheetShowsFillsTitleAndText) {
    layOut();
    const auto used = app->activeSheet()->usedRange();
    ASSERT_EQ(used->address(), QStringLiteral("$B$1:$I$8"));
    const QImage image = render({0, 1, 7, 8});
    image.save(QDir(testsupport::testOutputDir()).filePath(QStringLiteral("embedded_register.png")));
    // Also kept as a picture file: a realistic seed for the reader's fuzz target.
    paint::savePictureFile(record({0, 1, 7, 8}), QDir(testsupport::testOutputDir()).filePath(QStringLiteral("register.picture")));

    // Column B starts at x 0; widths 81, 78, 267, 114, 61, 83, 103, 110; rows 16, 41, 10, 26, 4, 27, 27, 27.
    const int columnLeft[] = {0, 81, 159, 426, 540, 601, 684, 787, 897};
    const int rowTop[] = {0, 16, 57, 67, 93, 97, 124, 151, 178};
    ASSERT_EQ(image.width(), 897);
    ASSERT_EQ(image.height(), 178);
    auto pixel = [&](int column, int row, int dx = 3, int dy = 2) {
        return image.pixelColor(columnLeft[column] + dx, rowTop[row] + dy);
    };
    EXPECT_EQ(pixel(0, 4), paletteColor(book, 43));   // the band under the header
    EXPECT_EQ(pixel(7, 4), paletteColor(book, 43));
    EXPECT_EQ(pixel(0, 6), paletteColor(book, 39));   // odd data row
    EXPECT_EQ(pixel(0, 5), paletteColor(book, 2));
    EXPECT_EQ(pixel(7, 5), paletteColor(book, 40));   // the balance column
    EXPECT_EQ(pixel(7, 6, 0, 0), paletteColor(book, 40));  // a filled sheet shows no grid lines

    // The title is drawn across the merged B2:I2: dark pixels well right of column B.
    int darkInTitle = 0, darkBeyondB = 0;
    for (int y = rowTop[1]; y < rowTop[2]; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isDark(image.pixel(x, y))) {
                ++darkInTitle;
                if (x >= columnLeft[1]) ++darkBeyondB;
            }
    EXPECT_GT(darkInTitle, 200);
    EXPECT_GT(darkBeyondB, 100);

    // Header text in D4 and the description in D6 leave dark pixels; the empty E6 none.
    auto darkIn = [&](int column, int row) {
        int dark = 0;
        for (int y = rowTop[row]; y < rowTop[row + 1]; ++y)
            for (int x = columnLeft[column]; x < columnLeft[column + 1]; ++x) dark += isDark(image.pixel(x, y));
        return dark;
    };
    EXPECT_GT(darkIn(2, 3), 20);
    EXPECT_GT(darkIn(2, 5), 20);
    EXPECT_GT(darkIn(7, 6), 10);  // the computed balance 5055
    EXPECT_EQ(darkIn(3, 5), 0);
}

TEST_F(PictureTest, UnfilledCellsShowGridLinesAndCopyPictureUsesTheClipboard) {
    write(QStringLiteral("B2"), QStringLiteral("x"));
    app->range(QStringLiteral("C3"))->interior().setColorIndex(3);
    auto used = app->activeSheet()->usedRange();
    ASSERT_EQ(used->address(), QStringLiteral("$B$2:$C$3"));
    const QImage image = render({1, 1, 2, 2});
    ASSERT_EQ(image.size(), QSize(128, 34));
    EXPECT_NE(image.pixelColor(63, 5), QColor(Qt::white));   // the grid line at B's right edge
    EXPECT_EQ(image.pixelColor(127, 33), paletteColor(book, 3));

    used->copyPicture();
    const paint::SharedPicture copied = paint::pictureFromClipboard();
    ASSERT_TRUE(copied);
    EXPECT_EQ(paint::pictureToImage(*copied), image);
    // Other programs are offered a bitmap of the same pixels, made when asked.
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(offered->hasFormat(QStringLiteral("image/png")));
    EXPECT_EQ(QImage::fromData(offered->data(QStringLiteral("image/png"))).convertToFormat(QImage::Format_RGB32), image);
    EXPECT_TRUE(offered->data(QStringLiteral("image/svg+xml")).contains("<svg"));
}

TEST_F(PictureTest, PaperWithoutPrintedGridLinesShowsOnlyFillsAndText) {
    write(QStringLiteral("B2"), QStringLiteral("x"));
    app->range(QStringLiteral("C3"))->interior().setColorIndex(3);
    auto model = engine::sheetModel(*app->activeSheet());
    const paint::SheetPicture picture = paint::recordSheet(model.workbook, model.sheet, model.calculator, {1, 1, 2, 2},
                                                           QLocale(), paint::RecordOptions{.gridLines = false});
    for (const paint::PictureBand& band : picture.bands) EXPECT_TRUE(band.rules.empty());
    const QImage image = paint::pictureToImage(picture);
    EXPECT_EQ(image.pixelColor(63, 5), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(127, 33), paletteColor(book, 3));
    EXPECT_GT(picture.texts.size(), 0u);
}

TEST_F(PictureTest, UnwrappedTextRunsIntoEmptyNeighboursOnly) {
    write(QStringLiteral("A1"), QStringLiteral("A long description that needs room"));
    write(QStringLiteral("A2"), QStringLiteral("A long description that needs room"));
    write(QStringLiteral("B2"), QStringLiteral("x"));
    const QImage image = render({0, 0, 1, 2});
    auto darkInB = [&](int top) {  // right of B2's own "x"
        int dark = 0;
        for (int y = top; y < top + 17; ++y)
            for (int x = 64 + 16; x < 128; ++x) dark += isDark(image.pixel(x, y));
        return dark;
    };
    EXPECT_GT(darkInB(0), 20);
    EXPECT_EQ(darkInB(17), 0);
}

TEST_F(PictureTest, VeryTallRangeIsWholeAndPaintsAnyRectangleByItsBands) {
    write(QStringLiteral("A1"), QStringLiteral("top"));
    write(QStringLiteral("A40000"), QStringLiteral("bottom"));
    const paint::SheetPicture picture = record({0, 0, 39999, 0});
    EXPECT_EQ(picture.width, 64);
    EXPECT_EQ(picture.height, 40000 * 17);
    EXPECT_FALSE(paint::fitsInBitmap(picture));

    // Only the bands near a rectangle are touched.
    const auto [first, last] = picture.bandsCrossing(39990 * 17, 40000 * 17);
    EXPECT_LE(last - first, 2u);
    EXPECT_EQ(last, picture.bands.size());

    // The last row, painted on its own, shows its text.
    QImage bottom(64, 17, QImage::Format_RGB32);
    bottom.fill(Qt::white);
    QPainter painter(&bottom);
    painter.translate(0, -39999 * 17);
    picture.paint(painter, QRect(0, 39999 * 17, 64, 17), 1.0, 1.0);
    painter.end();
    int dark = 0;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 64; ++x) dark += isDark(bottom.pixel(x, y));
    EXPECT_GT(dark, 5);
}

TEST_F(PictureTest, PictureRecordedAsItIsLookedAtMatchesTheWholeOne) {
    layOut();
    // Many bands, and a merged area that reaches from one band into the next.
    for (int row = 8; row <= 300; ++row) {
        write(QStringLiteral("$D$%1").arg(row), QStringLiteral("Payee %1 with a long description that runs on").arg(row));
        write(QStringLiteral("$H$%1").arg(row), QString::number(row * 3));
        app->range(QStringLiteral("$B$%1:$H$%1").arg(row))->interior().setColorIndex(row % 2 ? 39 : 2);
    }
    app->range(QStringLiteral("$F$30:$G$40"))->merge();
    write(QStringLiteral("$F$30"), QStringLiteral("merged across two bands"));
    const model::CellRange range{0, 1, 299, 8};
    const paint::SheetPicture whole = record(range);
    const paint::SharedPicture onDemand = app->range(QStringLiteral("$B$1:$I$300"))->picture();
    ASSERT_TRUE(onDemand);
    EXPECT_FALSE(onDemand->isWhole());
    ASSERT_EQ(QSize(onDemand->width, onDemand->height), QSize(whole.width, whole.height));

    // Viewports at three zooms, from the bottom up (bands out of order), show the same pixels.
    auto viewport = [](const paint::SheetPicture& picture, double scale, int top) {
        QImage image(600, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.translate(0, -top);
        picture.paint(painter, QRect(0, top, 600, 400), scale, scale);
        return image;
    };
    for (const double scale : {2.75, 1.0, 0.25})
        for (const double place : {0.9, 0.45, 0.0}) {
            const int top = int(place * (whole.height * scale - 400));
            // A glyph this large is drawn once before Qt caches it, a shade differently: warm up first.
            viewport(whole, scale, top);
            EXPECT_EQ(viewport(*onDemand, scale, top), viewport(whole, scale, top)) << scale << ' ' << place;
        }
    EXPECT_FALSE(onDemand->isWhole());  // bands no viewport crossed are still to record

    // A change to the sheet records the rest first: the picture keeps the cells as they were.
    write(QStringLiteral("$D$150"), QStringLiteral("changed after the copy"));
    book->setColor(39, 0x0000FF);
    EXPECT_TRUE(onDemand->isWhole());
    EXPECT_EQ(*onDemand, whole);
    EXPECT_EQ(paint::encodePicture(*onDemand), paint::encodePicture(whole));

    // A picture the workbook outlives by nothing: closed first, recorded after.
    const QByteArray changedBytes = paint::encodePicture(record(range));
    const paint::SharedPicture afterClose = app->range(QStringLiteral("$B$1:$I$300"))->picture();
    book->close();
    ASSERT_FALSE(afterClose->isWhole());
    EXPECT_EQ(paint::encodePicture(*afterClose), changedBytes);

    // The picture file hands a picture still recording over within the process, once.
    app->workbooks().add();
    const auto model = engine::sheetModel(*app->activeSheet());
    const paint::SharedPicture handed =
        paint::recordSheetOnDemand(model.workbook, model.sheet, model.calculator, {0, 0, 99, 3}, QLocale(), nullptr);
    ASSERT_FALSE(handed->isWhole());
    const QString path = QDir(testsupport::testOutputDir()).filePath(QStringLiteral("held.picture"));
    ASSERT_TRUE(paint::savePictureFile(handed, path));
    EXPECT_EQ(paint::loadPictureFile(path), handed);
    EXPECT_FALSE(paint::loadPictureFile(path));
    EXPECT_FALSE(handed->isWhole());
}

TEST(ClipboardPicture, ComesBackOrNothing) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    EXPECT_FALSE(paint::pictureFromClipboard());
    // A bitmap another program copied comes back as a picture of that bitmap.
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    clipboard->setImage(picture);
    const auto back = paint::pictureFromClipboard();
    ASSERT_TRUE(back);
    EXPECT_EQ(QSize(back->width, back->height), QSize(4, 3));
    ASSERT_EQ(back->bands.size(), 1u);
    ASSERT_EQ(back->bands[0].images.size(), 1u);
    EXPECT_EQ(back->bands[0].images[0].image.convertToFormat(QImage::Format_RGB32), picture);
    clipboard->clear();
}

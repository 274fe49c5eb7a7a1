// Wrapped text breaks where it breaks at 100 %, at every scale.

#include <QPainter>

#include "engine/paint/sheet_painter.h"
#include "tests/engine/embedded/engine_fixture.h"

using namespace brevanta;

namespace {

// The runs of rows holding dark pixels within `area`: one per line of text, as (top, bottom).
// A single clear row inside a run (a descender's faint joint) does not end it.
std::vector<std::pair<int, int>> inkLines(const QImage& image, const QRect& area) {
    std::vector<std::pair<int, int>> lines;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        bool ink = false;
        for (int x = area.left(); x <= area.right() && !ink; ++x) ink = qGray(image.pixel(x, y)) < 160;
        if (!ink) continue;
        if (!lines.empty() && lines.back().second >= y - 2) lines.back().second = y;
        else lines.emplace_back(y, y);
    }
    return lines;
}

QImage paintAt(const paint::SheetPicture& picture, double scale) {
    QImage image(int(std::ceil(picture.width * scale)), int(std::ceil(picture.height * scale)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.paint(painter, image.rect(), scale, scale);
    return image;
}

}  // namespace

class SheetWrapping : public testsupport::EngineTest {};

TEST_F(SheetWrapping, ADateAndALongDescriptionKeepTheirLinesAtEveryZoom) {
    // The register's date and description columns, Arial 10, wrapped, 20-point rows.
    app->cells()->select();
    app->selection()->font().setName(QStringLiteral("Arial"));
    app->selection()->font().setSize(10);
    app->selection()->setVerticalAlignment(host::xl::Center);
    app->selection()->setWrapText(true);
    app->columns(QStringLiteral("A:A"))->setColumnWidth(10.86);
    app->columns(QStringLiteral("B:B"))->setColumnWidth(15);
    app->rows(QStringLiteral("1:2"))->setRowHeight(20);
    app->rows(QStringLiteral("3:3"))->setRowHeight(40);
    write(QStringLiteral("$A$1"), QStringLiteral("15 Feb 2025"));
    write(QStringLiteral("$A$2"), QStringLiteral("28 Sep 2025"));
    write(QStringLiteral("$B$3"), QStringLiteral("Rent and heating for the flat"));
    auto model = engine::sheetModel(*app->activeSheet());
    const paint::SheetPicture picture =
        paint::recordSheet(model.workbook, model.sheet, model.calculator, {0, 0, 2, 1}, QLocale(QLocale::English));

    const int dateWidth = paint::columnPixels(10.86), rowHeight = paint::rowPixels(20);
    const QRect cells[] = {QRect(0, 0, dateWidth, rowHeight), QRect(0, rowHeight, dateWidth, rowHeight),
                           QRect(dateWidth, 2 * rowHeight, paint::columnPixels(15), paint::rowPixels(40))};
    const QImage natural = paintAt(picture, 1.0);
    for (const double scale : {0.5, 0.75, 1.25, 2.75}) {
        const QImage scaled = paintAt(picture, scale);
        for (const QRect& cell : cells) {
            SCOPED_TRACE(testing::Message() << "scale " << scale << ", cell at " << cell.y());
            const QRect inner = cell.adjusted(1, 1, -2, -2);
            const auto atOne = inkLines(natural, inner);
            const auto atScale = inkLines(scaled, QRectF(QPointF(inner.topLeft()) * scale, QSizeF(inner.size()) * scale)
                                                      .toAlignedRect()
                                                      .adjusted(0, 0, -1, -1));
            ASSERT_EQ(atScale.size(), atOne.size());
            // Each line where it is at 100 %, scaled (a pixel either way for the rounding of fonts).
            for (size_t line = 0; line < atOne.size(); ++line)
                EXPECT_NEAR((atScale[line].first + atScale[line].second) / 2.0,
                            (atOne[line].first + atOne[line].second) / 2.0 * scale, 1.5);
        }
    }
    // At 100 % the dates take one line, the description two.
    EXPECT_EQ(inkLines(natural, cells[0].adjusted(1, 1, -2, -2)).size(), 1u);
    EXPECT_EQ(inkLines(natural, cells[2].adjusted(1, 1, -2, -2)).size(), 2u);
}

#include "engine/embedded/picture.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <cmath>
#include <vector>

#include "engine/formula/display_format.h"
#include "frame/picture_file.h"

namespace brevanta::engine {

namespace {

const QColor kGridColor(0xD4, 0xD4, 0xD4);
constexpr int kTextPadding = 2;  // pixels between a cell's edge and its text

QColor paletteColor(const model::Workbook& workbook, int index) {
    const model::ColorValue value = workbook.palette[static_cast<size_t>(index - 1)];
    return QColor(model::redOf(value), model::greenOf(value), model::blueOf(value));
}

// Index 0 and the automatic index draw black.
QColor fontColor(const model::Workbook& workbook, int index) {
    if (index >= 1 && index <= 56) return paletteColor(workbook, index);
    return Qt::black;
}

QFont painterFont(const model::Font& font) {
    // The metric-compatible free face stands in for Arial.
    const QString family = font.name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0
                               ? QStringLiteral("Liberation Sans")
                               : font.name;
    QFont qfont(family);
    qfont.setPixelSize(std::max(1, static_cast<int>(std::lround(font.size * 96.0 / 72.0))));
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    qfont.setStrikeOut(font.strikeout);
    return qfont;
}

Qt::Alignment horizontalFlag(model::HAlign align, const model::Value& value) {
    switch (align) {
        case model::HAlign::Center:
        case model::HAlign::CenterAcross: return Qt::AlignHCenter;
        case model::HAlign::Right: return Qt::AlignRight;
        case model::HAlign::Left:
        case model::HAlign::Fill:
        case model::HAlign::Justify: return Qt::AlignLeft;
        case model::HAlign::General: break;
    }
    if (std::holds_alternative<double>(value)) return Qt::AlignRight;
    if (std::holds_alternative<bool>(value) || std::holds_alternative<model::ErrorCode>(value)) return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

Qt::Alignment verticalFlag(model::VAlign align) {
    switch (align) {
        case model::VAlign::Top:
        case model::VAlign::Justify: return Qt::AlignTop;
        case model::VAlign::Center: return Qt::AlignVCenter;
        case model::VAlign::Bottom: break;
    }
    return Qt::AlignBottom;
}

// Pixel edges of the picture's columns or rows: edges[i] is where item i
// starts, edges.back() the picture's extent. Stops before the item that
// would pass `limit`.
std::vector<int> pixelEdges(int first, int last, int limit, const std::function<int(int)>& pixelsOf) {
    std::vector<int> edges{0};
    for (int i = first; i <= last; ++i) {
        const int next = edges.back() + pixelsOf(i);
        if (next > limit) break;
        edges.push_back(next);
    }
    return edges;
}

}  // namespace

int columnPixels(double characters) {
    if (characters <= 0) return 0;
    if (characters < 1) return static_cast<int>(std::lround(characters * 12.0));
    return static_cast<int>(std::lround(characters * 7.0)) + 5;
}

int rowPixels(double points) { return points <= 0 ? 0 : static_cast<int>(std::lround(points * 4.0 / 3.0)); }

QImage renderPicture(const model::Workbook& workbook, const model::Sheet& sheet, Calculator& calculator,
                     model::CellRange range, const QLocale& locale) {
    const std::vector<int> columnEdges =
        pixelEdges(range.firstCol, range.lastCol, kMaxPictureSide, [&](int col) {
            return columnPixels(sheet.columns[col].width.value_or(sheet.standardColumnWidth));
        });
    const int width = std::max(1, columnEdges.back());
    const int heightLimit = static_cast<int>(std::min<qint64>(kMaxPictureSide, kMaxPicturePixels / width));
    const std::vector<int> rowEdges = pixelEdges(range.firstRow, range.lastRow, heightLimit, [&](int row) {
        const auto* info = sheet.findRowInfo(row);
        return rowPixels(info && info->height ? *info->height : sheet.standardRowHeight);
    });
    const int height = std::max(1, rowEdges.back());
    const int columnsShown = static_cast<int>(columnEdges.size()) - 1;
    const int rowsShown = static_cast<int>(rowEdges.size()) - 1;

    QImage image = frame::uninitialisedImage(width, height, QImage::Format_RGB32);
    if (image.isNull()) return image;
    image.fill(Qt::white);
    QPainter painter(&image);

    // The pixel rectangle of rows/columns first..last, clipped to the picture.
    auto areaRect = [&](const model::CellRange& area) {
        const int left = std::clamp(area.firstCol - range.firstCol, 0, columnsShown);
        const int right = std::clamp(area.lastCol - range.firstCol + 1, 0, columnsShown);
        const int top = std::clamp(area.firstRow - range.firstRow, 0, rowsShown);
        const int bottom = std::clamp(area.lastRow - range.firstRow + 1, 0, rowsShown);
        return QRect(QPoint(columnEdges[left], rowEdges[top]), QPoint(columnEdges[right] - 1, rowEdges[bottom] - 1));
    };

    // Fills and grid lines, cell by cell; a merged area is drawn once, from its top-left cell.
    const model::CellRange shown{range.firstRow, range.firstCol, range.firstRow + rowsShown - 1,
                                 range.firstCol + columnsShown - 1};
    std::vector<model::CellRange> drawnMerges;
    auto drawArea = [&](const model::CellRange& area, const model::CellStyle& style) {
        const QRect rect = areaRect(area);
        if (rect.isEmpty()) return;
        if (style.fillColorIndex >= 1 && style.fillColorIndex <= 56) {
            painter.fillRect(rect, paletteColor(workbook, style.fillColorIndex));
        } else {
            painter.setPen(kGridColor);
            painter.drawLine(rect.topRight(), rect.bottomRight());
            painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        }
    };
    // A cell that text from its left neighbour may not run into.
    auto isOccupied = [&](int row, int col) {
        if (sheet.mergeAt(row, col)) return true;
        const model::Cell* cell = sheet.find(row, col);
        return cell && (cell->formula || !model::isEmpty(cell->value));
    };
    auto drawText = [&](const model::CellRange& area, int row, int col, const model::CellStyle& style) {
        if (!sheet.find(row, col)) return;
        const model::Value value = calculator.value(row, col);
        if (model::isEmpty(value)) return;
        const QString text = displayText(value, style.numberFormat, locale);
        if (text.isEmpty()) return;
        const QFont font = painterFont(style.font);
        const Qt::Alignment horizontal = horizontalFlag(style.hAlign, value);
        model::CellRange textArea = area;
        // Unwrapped text aligned left runs on into the empty cells to its right, as on screen.
        if (!style.wrap && horizontal == Qt::AlignLeft && area.firstCol == area.lastCol) {
            const int needed = QFontMetrics(font).horizontalAdvance(text) + 2 * kTextPadding;
            while (areaRect(textArea).width() < needed && textArea.lastCol < shown.lastCol &&
                   !isOccupied(row, textArea.lastCol + 1))
                ++textArea.lastCol;
        }
        const QRect rect = areaRect(textArea).adjusted(kTextPadding, 0, -kTextPadding, 0);
        if (rect.width() <= 0 || rect.height() <= 0) return;
        painter.save();
        painter.setClipRect(areaRect(textArea));
        painter.setFont(font);
        painter.setPen(fontColor(workbook, style.font.colorIndex));
        int flags = horizontal | verticalFlag(style.vAlign);
        if (style.wrap) flags |= Qt::TextWordWrap;
        painter.drawText(rect, flags, text);
        painter.restore();
    };

    for (int pass = 0; pass < 2; ++pass) {
        drawnMerges.clear();
        for (int row = shown.firstRow; row <= shown.lastRow; ++row)
            for (int col = shown.firstCol; col <= shown.lastCol; ++col) {
                model::CellRange area{row, col, row, col};
                int anchorRow = row, anchorCol = col;
                if (const model::CellRange* merge = sheet.mergeAt(row, col)) {
                    if (std::find(drawnMerges.begin(), drawnMerges.end(), *merge) != drawnMerges.end()) continue;
                    drawnMerges.push_back(*merge);
                    area = *merge;
                    anchorRow = merge->firstRow;
                    anchorCol = merge->firstCol;
                }
                const auto& style = workbook.styles.get(sheet.effectiveStyle(anchorRow, anchorCol));
                if (pass == 0) drawArea(area, style);
                else drawText(area, anchorRow, anchorCol, style);
            }
    }
    painter.end();
    return image;
}

}  // namespace brevanta::engine

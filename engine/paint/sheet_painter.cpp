#include "engine/paint/sheet_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>

#include "engine/formula/display_format.h"
#include "frame/text_safety.h"

namespace brevanta::paint {
namespace {

const QRgb kGridColor = qRgb(0xD4, 0xD4, 0xD4);
constexpr int kTextPadding = 2;   // pixels between a cell's edge and its text
constexpr int kRowsPerBand = 32;  // rows recorded into one band

QRgb paletteColor(const model::Workbook& workbook, int index) {
    const model::ColorValue value = workbook.palette[size_t(index - 1)];
    return qRgb(model::redOf(value), model::greenOf(value), model::blueOf(value));
}

// Index 0 and the automatic index draw black.
QRgb fontColor(const model::Workbook& workbook, int index) {
    if (index >= 1 && index <= 56) return paletteColor(workbook, index);
    return qRgb(0, 0, 0);
}

PictureFont pictureFont(const model::Font& font) {
    // The metric-compatible free face stands in for Arial.
    const QString family = font.name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0
                               ? QStringLiteral("Liberation Sans")
                               : font.name;
    return {family, double(std::max(1, int(std::lround(font.size * 96.0 / 72.0)))), font.bold, font.italic,
            font.underline, font.strikeout};
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
// starts, edges.back() the picture's extent.
template <class PixelsOf>
std::vector<int> pixelEdges(int first, int last, PixelsOf&& pixelsOf) {
    std::vector<int> edges{0};
    edges.reserve(size_t(std::max(0, last - first + 2)));
    for (int i = first; i <= last; ++i) edges.push_back(edges.back() + pixelsOf(i));
    return edges;
}

// The picture's fonts, each with what the recording measures text with.
// Widths are first estimated from cached advances of single characters;
// only text whose estimate lies close to the space it has is shaped in full.
class FontTable {
public:
    struct Entry {
        QFont font;
        QFontMetrics metrics;
        QFontMetricsF metricsF;
        std::array<double, 256> latinAdvances{};
    };

    uint16_t indexOf(const model::Font& font, std::vector<PictureFont>& fonts) {
        const PictureFont wanted = pictureFont(font);
        for (size_t i = 0; i < fonts.size(); ++i)
            if (fonts[i] == wanted) return uint16_t(i);
        QFont qfont(wanted.family);
        qfont.setPixelSize(int(wanted.pixelSize));
        qfont.setBold(wanted.bold);
        qfont.setItalic(wanted.italic);
        qfont.setUnderline(wanted.underline);
        qfont.setStrikeOut(wanted.strikeOut);
        auto entry = std::make_unique<Entry>(Entry{qfont, QFontMetrics(qfont), QFontMetricsF(qfont), {}});
        for (int c = 0; c < 256; ++c) entry->latinAdvances[size_t(c)] = entry->metricsF.horizontalAdvance(QChar(c));
        entries_.push_back(std::move(entry));
        fonts.push_back(wanted);
        return uint16_t(fonts.size() - 1);
    }

    const Entry& entry(uint16_t index) const { return *entries_[index]; }
    void clear() { entries_.clear(); }

    // The estimated width, or none when the text holds characters the
    // cache does not know.
    static std::optional<double> estimate(const Entry& entry, const QString& text) {
        double width = 0;
        for (const QChar c : text) {
            if (c.unicode() >= 256) return std::nullopt;
            width += entry.latinAdvances[c.unicode()];
        }
        return width;
    }

private:
    std::vector<std::unique_ptr<Entry>> entries_;
};

// What a format means for drawing, worked out once per format.
struct StyleLook {
    const model::CellStyle* style = nullptr;
    bool filled = false;
    QRgb fill = 0;
    uint16_t font = 0;
    QRgb textColor = 0;
    int verticalFlags = 0;
    bool showsDates = false;
};

// Records a sheet's picture band by band: the columns' and rows' pixel
// edges are laid out once, then each band's cells are recorded when the
// picture asks for them. `owner` keeps the workbook, sheet and calculator
// alive while bands remain to record.
class SheetBands final : public BandSource {
public:
    SheetBands(const model::Workbook& workbook, const model::Sheet& sheet, engine::Calculator& calculator,
               model::CellRange range, const QLocale& locale, const RecordOptions& options,
               std::shared_ptr<const void> owner)
        : owner_(std::move(owner)), workbook_(workbook), sheet_(sheet), calculator_(calculator), range_(range),
          locale_(locale), options_(options) {
        columnEdges_ = pixelEdges(range_.firstCol, range_.lastCol, [&](int col) {
            return columnPixels(sheet_, col);
        });
        rowEdges_ = pixelEdges(range_.firstRow, range_.lastRow, [&](int row) {
            const auto* info = sheet_.findRowInfo(row);
            return rowPixels(info && info->height ? *info->height : sheet_.standardRowHeight);
        });
    }

    // The picture with every band in place and nothing yet recorded.
    static SheetPicture picture(const std::shared_ptr<SheetBands>& self) {
        return SheetPicture::onDemand(std::max(1, self->columnEdges_.back()), std::max(1, self->rowEdges_.back()),
                                      self->places(), self);
    }

    void record(size_t index, PictureBand& band, std::vector<PictureFont>& fonts,
                std::vector<QString>& texts) override {
        bandFonts_ = &fonts;
        bandTexts_ = &texts;
        const int bandRow = range_.firstRow + int(index) * kRowsPerBand;
        band.top = rowEdges_[size_t(bandRow - range_.firstRow)];
        band.bottom = band.top;
        const int lastRow = std::min(range_.lastRow, bandRow + kRowsPerBand - 1);
        for (int row = bandRow; row <= lastRow; ++row)
            for (int col = range_.firstCol; col <= range_.lastCol; ++col) recordCell(band, row, col);
    }

    void restart() override {
        looks_.clear();
        fonts_.clear();
        textIndex_.clear();
    }

private:
    // Each band's top, and a bottom no lower than anything it draws: the end
    // of its last row, or of a merged area drawn from one of its rows.
    std::vector<PictureBand> places() const {
        std::vector<PictureBand> bands;
        const int rows = int(rowEdges_.size()) - 1;
        bands.reserve(size_t((rows + kRowsPerBand - 1) / kRowsPerBand));
        for (int first = 0; first < rows; first += kRowsPerBand) {
            PictureBand band;
            band.top = rowEdges_[size_t(first)];
            band.bottom = rowEdges_[size_t(std::min(rows, first + kRowsPerBand))];
            bands.push_back(std::move(band));
        }
        for (const model::CellRange& merge : sheet_.merges) {
            const int anchorRow = std::max(merge.firstRow, range_.firstRow);
            const int anchorCol = std::max(merge.firstCol, range_.firstCol);
            if (anchorRow > std::min(merge.lastRow, range_.lastRow) || anchorCol > std::min(merge.lastCol, range_.lastCol))
                continue;
            const int reach = rowEdges_[size_t(std::clamp(merge.lastRow - range_.firstRow + 1, 0, rows))];
            PictureBand& band = bands[size_t((anchorRow - range_.firstRow) / kRowsPerBand)];
            band.bottom = std::max(band.bottom, reach);
        }
        return bands;
    }

    // The pixel rectangle of an area, clipped to the picture.
    QRect areaRect(const model::CellRange& area) const {
        const int columns = int(columnEdges_.size()) - 1, rows = int(rowEdges_.size()) - 1;
        const int left = std::clamp(area.firstCol - range_.firstCol, 0, columns);
        const int right = std::clamp(area.lastCol - range_.firstCol + 1, 0, columns);
        const int top = std::clamp(area.firstRow - range_.firstRow, 0, rows);
        const int bottom = std::clamp(area.lastRow - range_.firstRow + 1, 0, rows);
        return QRect(QPoint(columnEdges_[size_t(left)], rowEdges_[size_t(top)]),
                     QPoint(columnEdges_[size_t(right)] - 1, rowEdges_[size_t(bottom)] - 1));
    }

    // A cell that text from its left neighbour may not run into.
    bool isOccupied(int row, int col) const {
        if (sheet_.mergeAt(row, col)) return true;
        const model::Cell* cell = sheet_.find(row, col);
        return cell && (cell->formula || !model::isEmpty(cell->value));
    }

    void reach(PictureBand& band, const QRect& rect) { band.bottom = std::max(band.bottom, rect.bottom() + 1); }

    void recordCell(PictureBand& band, int row, int col) {
        model::CellRange area{row, col, row, col};
        int anchorRow = row, anchorCol = col;
        if (const model::CellRange* merge = sheet_.mergeAt(row, col)) {
            // A merged area is drawn once, from its first cell inside the range.
            if (row != std::max(merge->firstRow, range_.firstRow) || col != std::max(merge->firstCol, range_.firstCol))
                return;
            area = *merge;
            anchorRow = merge->firstRow;
            anchorCol = merge->firstCol;
        }
        const StyleLook& look = lookOf(sheet_.effectiveStyle(anchorRow, anchorCol));
        const QRect rect = areaRect(area);
        if (rect.isEmpty()) return;
        if (look.filled) {
            band.fills.push_back({rect, look.fill});
        } else if (options_.gridLines) {
            band.rules.push_back({QRect(rect.right(), rect.top(), 1, rect.height()), kGridColor});
            band.rules.push_back({QRect(rect.left(), rect.bottom(), rect.width(), 1), kGridColor});
        }
        reach(band, rect);
        recordText(band, area, anchorRow, anchorCol, look);
    }

    const StyleLook& lookOf(model::StyleId id) {
        if (id >= looks_.size()) looks_.resize(size_t(id) + 1);
        std::optional<StyleLook>& look = looks_[id];
        if (!look) {
            const model::CellStyle& style = workbook_.styles.get(id);
            look = StyleLook{};
            look->style = &style;
            look->filled = style.fillColorIndex >= 1 && style.fillColorIndex <= 56;
            if (look->filled) look->fill = paletteColor(workbook_, style.fillColorIndex);
            look->font = fonts_.indexOf(style.font, *bandFonts_);
            look->textColor = fontColor(workbook_, style.font.colorIndex);
            look->verticalFlags = int(verticalFlag(style.vAlign));
            look->showsDates = engine::isDateFormat(style.numberFormat);
        }
        return *look;
    }

    // Numbers shown as dates repeat from row to row; their texts are made once.
    QString displayText(const model::Value& value, const StyleLook& look) {
        const double* number = std::get_if<double>(&value);
        if (!number || !look.showsDates) return engine::displayText(value, look.style->numberFormat, locale_);
        const auto key = std::make_pair(*number, look.style);
        const auto found = dateTexts_.find(key);
        if (found != dateTexts_.end()) return found->second;
        return dateTexts_[key] = engine::displayText(value, look.style->numberFormat, locale_);
    }

    void recordText(PictureBand& band, const model::CellRange& area, int row, int col, const StyleLook& look) {
        if (!sheet_.find(row, col)) return;
        const model::Value value = calculator_.value(row, col);
        if (model::isEmpty(value)) return;
        const QString text = frame::textSafeFor(displayText(value, look), frame::TextFormat::Unicode);
        if (text.isEmpty()) return;
        const model::CellStyle& style = *look.style;
        const uint16_t fontIndex = look.font;
        const FontTable::Entry& font = fonts_.entry(fontIndex);
        const Qt::Alignment horizontal = horizontalFlag(style.hAlign, value);

        model::CellRange textArea = area;
        std::optional<int> exactWidth;
        auto width = [&] {
            if (!exactWidth) exactWidth = font.metrics.horizontalAdvance(text);
            return *exactWidth;
        };
        // An estimate well inside the box settles it; anything close is measured exactly.
        const std::optional<double> estimate = FontTable::estimate(font, text);
        const bool estimateFits = estimate && *estimate + 2 * kTextPadding + 4 < areaRect(area).width();
        const bool clearlyFits = estimateFits && !style.wrap;
        if (!clearlyFits && !style.wrap && horizontal == Qt::AlignLeft && area.firstCol == area.lastCol) {
            // Unwrapped text aligned left runs on into the empty cells to its right, as on screen.
            const int needed = width() + 2 * kTextPadding;
            while (areaRect(textArea).width() < needed && textArea.lastCol < range_.lastCol &&
                   !isOccupied(row, textArea.lastCol + 1))
                ++textArea.lastCol;
        }
        const QRect clip = areaRect(textArea);
        const QRect box = clip.adjusted(kTextPadding, 0, -kTextPadding, 0);
        if (box.width() <= 0 || box.height() <= 0) return;

        const int flags = int(horizontal) | look.verticalFlags;
        // Wrapped text that clearly fits on one line lays out as one line: no clip needed.
        const bool staysInside = font.metrics.height() <= box.height() &&
                                 (style.wrap ? estimateFits : (clearlyFits || width() <= box.width()));
        if (style.wrap && !estimateFits && (text.contains(QLatin1Char('\n')) || width() > box.width()))
            recordLines(band, text, font, box, clip, fontIndex, horizontal, look);
        else
            band.texts.push_back({box, staysInside ? QRect() : clip, internText(text), fontIndex, uint16_t(flags),
                                  look.textColor});
        reach(band, clip);
    }

    // Wrapped text of more than one line, broken and placed as it lays out
    // at the picture's natural size, one command per line in the line's own
    // box: every scale shows the same lines in the same places. (A scaled
    // font is never exactly as much narrower as its scaled box; left to each
    // paint, a line that fits at 1.0 could break anew and run over the next row.)
    void recordLines(PictureBand& band, const QString& text, const FontTable::Entry& font, const QRect& box,
                     const QRect& clip, uint16_t fontIndex, Qt::Alignment horizontal, const StyleLook& look) {
        QString laidOut = text;
        laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout layout(laidOut, font.font);
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        struct Line {
            QString text;
            double top, height;
        };
        std::vector<Line> lines;
        // Lines start on whole pixels, a leading apart, as QPainter::drawText stacks them.
        const double leading = font.metricsF.leading();
        double height = -leading;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(box.width());
            QStringView part = QStringView(laidOut).mid(line.textStart(), line.textLength());
            while (!part.isEmpty() && (part.back() == QChar::LineSeparator || part.back().isSpace())) part.chop(1);
            height = std::ceil(height + leading);
            lines.push_back({part.toString(), height, line.height()});
            height += line.height();
        }
        layout.endLayout();
        double top = box.top();
        if (look.verticalFlags & Qt::AlignBottom) top += box.height() - height;
        else if (look.verticalFlags & Qt::AlignVCenter) top += (box.height() - height) / 2;
        for (const Line& line : lines) {
            if (line.text.isEmpty()) continue;
            const QRect lineBox(box.left(), int(std::lround(top + line.top)), box.width(),
                                std::max(1, int(std::lround(line.height))));
            band.texts.push_back({lineBox, clip, internText(line.text), fontIndex,
                                  uint16_t(int(horizontal) | Qt::AlignVCenter), look.textColor});
        }
    }

    uint32_t internText(const QString& text) {
        const auto found = textIndex_.constFind(text);
        if (found != textIndex_.constEnd()) return *found;
        const uint32_t index = uint32_t(bandTexts_->size());
        bandTexts_->push_back(text);
        textIndex_.insert(text, index);
        return index;
    }

    std::shared_ptr<const void> owner_;
    const model::Workbook& workbook_;
    const model::Sheet& sheet_;
    engine::Calculator& calculator_;
    const model::CellRange range_;
    const QLocale locale_;
    const RecordOptions options_;
    std::vector<int> columnEdges_;
    std::vector<int> rowEdges_;
    FontTable fonts_;
    std::vector<std::optional<StyleLook>> looks_;
    std::map<std::pair<double, const model::CellStyle*>, QString> dateTexts_;
    QHash<QString, uint32_t> textIndex_;
    std::vector<PictureFont>* bandFonts_ = nullptr;  // the tables of the band being recorded
    std::vector<QString>* bandTexts_ = nullptr;
};

}  // namespace

int columnPixels(double characters) {
    if (characters <= 0) return 0;
    if (characters < 1) return int(std::lround(characters * 12.0));
    return int(std::lround(characters * 7.0)) + 5;
}

int columnPixels(const model::Sheet& sheet, int col) {
    const model::ColumnInfo& info = sheet.columns[size_t(col)];
    return info.hidden ? 0 : columnPixels(info.width.value_or(sheet.standardColumnWidth));
}

int rowPixels(double points) { return points <= 0 ? 0 : int(std::lround(points * 4.0 / 3.0)); }

SheetPicture recordSheet(const model::Workbook& workbook, const model::Sheet& sheet, engine::Calculator& calculator,
                         model::CellRange range, const QLocale& locale, const RecordOptions& options) {
    SheetPicture picture = SheetBands::picture(
        std::make_shared<SheetBands>(workbook, sheet, calculator, range, locale, options, nullptr));
    picture.whole();
    return picture;
}

SharedPicture recordSheetOnDemand(const model::Workbook& workbook, const model::Sheet& sheet,
                                  engine::Calculator& calculator, model::CellRange range, const QLocale& locale,
                                  std::shared_ptr<const void> owner, const RecordOptions& options) {
    return std::make_shared<SheetPicture>(SheetBands::picture(
        std::make_shared<SheetBands>(workbook, sheet, calculator, range, locale, options, std::move(owner))));
}

}  // namespace brevanta::paint

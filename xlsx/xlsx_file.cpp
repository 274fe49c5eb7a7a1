#include "xlsx/xlsx_file.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <xlsxwriter.h>

#include "engine/formula/formula_text.h"
#include "frame/failure.h"
#include "frame/safe_path_file.h"
#include "frame/text_safety.h"
#include "generate/category_summary.h"
#include "xls/print_ranges.h"
#include "xls/style_codes.h"
#include "xls/xls_file.h"

namespace brevanta::xlsx {
namespace {

constexpr double kPointsPerInch = 72;

[[noreturn]] void fail(const QString& reason) { throw frame::Failure(reason); }

void check(lxw_error error, const char* what) {
    if (error != LXW_NO_ERROR)
        fail(QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromLatin1(lxw_strerror(error)));
}

QString cellName(int row, int col) {
    QString letters;
    for (int n = col + 1; n > 0; n = (n - 1) / 26) letters.prepend(QLatin1Char(char('A' + (n - 1) % 26)));
    return letters + QString::number(row + 1);
}

void checkCell(lxw_error error, int row, int col) {
    if (error != LXW_NO_ERROR)
        fail(QStringLiteral("cell %1: %2").arg(cellName(row, col), QString::fromLatin1(lxw_strerror(error))));
}

// libxlsxwriter takes 0 as "no colour", so black has a value of its own.
lxw_color_t rgbOf(model::ColorValue value) {
    const lxw_color_t rgb = (lxw_color_t(model::redOf(value)) << 16) | (lxw_color_t(model::greenOf(value)) << 8) |
                            lxw_color_t(model::blueOf(value));
    return rgb == 0 ? lxw_color_t(LXW_COLOR_BLACK) : rgb;
}

// A colour index as drawn: a palette entry, 0 (black), or none.
std::optional<lxw_color_t> paletteColor(const model::Palette& palette, int index) {
    if (index >= 1 && index <= 56) return rgbOf(palette[index - 1]);
    if (index == 0) return lxw_color_t(LXW_COLOR_BLACK);
    return std::nullopt;
}

uint8_t horizontalAlignment(model::HAlign align) {
    switch (align) {
    case model::HAlign::General: return LXW_ALIGN_NONE;
    case model::HAlign::Left: return LXW_ALIGN_LEFT;
    case model::HAlign::Center: return LXW_ALIGN_CENTER;
    case model::HAlign::Right: return LXW_ALIGN_RIGHT;
    case model::HAlign::Fill: return LXW_ALIGN_FILL;
    case model::HAlign::Justify: return LXW_ALIGN_JUSTIFY;
    case model::HAlign::CenterAcross: return LXW_ALIGN_CENTER_ACROSS;
    }
    return LXW_ALIGN_NONE;
}

uint8_t verticalAlignment(model::VAlign align) {
    switch (align) {
    case model::VAlign::Top: return LXW_ALIGN_VERTICAL_TOP;
    case model::VAlign::Center: return LXW_ALIGN_VERTICAL_CENTER;
    case model::VAlign::Bottom: return LXW_ALIGN_VERTICAL_BOTTOM;
    case model::VAlign::Justify: return LXW_ALIGN_VERTICAL_JUSTIFY;
    }
    return LXW_ALIGN_VERTICAL_BOTTOM;
}

// One libxlsxwriter format per format of ours, made when first used. Our
// table already keeps each format once; libxlsxwriter in turn shares one
// record between formats that come out equal (two indexes of one colour).
class Formats {
public:
    Formats(lxw_workbook* book, const model::Workbook& workbook)
        : book_(book), workbook_(workbook), made_(workbook.styles.size(), nullptr) {}

    lxw_format* get(model::StyleId id) {
        if (id >= made_.size()) id = model::kDefaultStyle;
        if (!made_[id]) made_[id] = make(workbook_.styles.get(id));
        return made_[id];
    }

private:
    lxw_format* make(const model::CellStyle& style) {
        lxw_format* format = workbook_add_format(book_);
        if (!format) fail(QStringLiteral("out of memory"));
        format_set_font_name(format, style.font.name.toUtf8().constData());
        format_set_font_size(format, style.font.size);
        if (style.font.bold) format_set_bold(format);
        if (style.font.italic) format_set_italic(format);
        if (style.font.underline) format_set_underline(format, LXW_UNDERLINE_SINGLE);
        if (style.font.strikeout) format_set_font_strikeout(format);
        if (const auto color = paletteColor(workbook_.palette, style.font.colorIndex)) format_set_font_color(format, *color);
        if (const auto fill = paletteColor(workbook_.palette, style.fillColorIndex)) {
            format_set_pattern(format, LXW_PATTERN_SOLID);
            format_set_bg_color(format, *fill);
        }
        if (style.hAlign != model::HAlign::General) format_set_align(format, horizontalAlignment(style.hAlign));
        if (style.vAlign != model::VAlign::Bottom) format_set_align(format, verticalAlignment(style.vAlign));
        if (style.wrap) format_set_text_wrap(format);
        if (style.numberFormat.compare(QLatin1String("General"), Qt::CaseInsensitive) != 0 && !style.numberFormat.isEmpty()) {
            // The built-in numbers mean the same in both formats; 14, the
            // short date, follows the reader's regional settings in each.
            if (const int builtIn = xls::builtInFormatNumber(style.numberFormat); builtIn >= 0) {
                format_set_num_format_index(format, uint8_t(builtIn));
            } else {
                // libxlsxwriter keeps a format text in a fixed field and would cut a longer one.
                const QByteArray text = style.numberFormat.toUtf8();
                if (text.size() >= LXW_FORMAT_FIELD_LEN)
                    fail(QStringLiteral("the number format \"%1\" is too long").arg(style.numberFormat));
                format_set_num_format(format, text.constData());
            }
        }
        return format;
    }

    lxw_workbook* book_;
    const model::Workbook& workbook_;
    std::vector<lxw_format*> made_;
};

// A formula's cached result to the 15 significant digits spreadsheets
// calculate and show: a reader that shows the cached result without
// recalculating then shows 1000-7.84 as 992.16, as it shows it for the
// .xls where it does recalculate, not as 992.1600000000001.
double cachedResult(double value) {
    if (!std::isfinite(value)) return value;
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return std::strtod(text, nullptr);
}

// libxlsxwriter has no call for an error value, as a constant or as a
// formula's cached result; both are written as the error's formula (=#N/A)
// with its text as the result, which every reader shows the same way.
// A text as the .xlsx holds it, UTF-8 for libxlsxwriter: a NUL would
// otherwise end the C string there and drop the rest.
QByteArray xmlText(const QString& text) { return frame::textSafeFor(text, frame::TextFormat::Xml).toUtf8(); }

void writeCell(lxw_worksheet* sheet, int row, int col, const model::Cell& cell, lxw_format* format) {
    const lxw_row_t r = lxw_row_t(row);
    const lxw_col_t c = lxw_col_t(col);
    if (cell.formula) {
        const QByteArray formula = engine::formulaToA1(cell.formula->root, row, col).toUtf8();
        lxw_error error = LXW_NO_ERROR;
        if (const double* number = std::get_if<double>(&cell.value))
            error = worksheet_write_formula_num(sheet, r, c, formula.constData(), format, cachedResult(*number));
        else if (const QString* text = std::get_if<QString>(&cell.value))
            error = worksheet_write_formula_str(sheet, r, c, formula.constData(), format, xmlText(*text).constData());
        else if (const bool* truth = std::get_if<bool>(&cell.value))
            error = worksheet_write_formula_str(sheet, r, c, formula.constData(), format, *truth ? "TRUE" : "FALSE");
        else if (const auto* code = std::get_if<model::ErrorCode>(&cell.value))
            error = worksheet_write_formula_str(sheet, r, c, formula.constData(), format,
                                                model::errorText(*code).toLatin1().constData());
        else
            error = worksheet_write_formula_str(sheet, r, c, formula.constData(), format, "");
        checkCell(error, row, col);
        return;
    }
    lxw_error error = LXW_NO_ERROR;
    if (const double* number = std::get_if<double>(&cell.value)) {
        error = worksheet_write_number(sheet, r, c, *number, format);
    } else if (const QString* text = std::get_if<QString>(&cell.value)) {
        error = worksheet_write_string(sheet, r, c, xmlText(*text).constData(), format);
    } else if (const bool* truth = std::get_if<bool>(&cell.value)) {
        error = worksheet_write_boolean(sheet, r, c, *truth ? 1 : 0, format);
    } else if (const auto* code = std::get_if<model::ErrorCode>(&cell.value)) {
        const QByteArray shown = model::errorText(*code).toLatin1();
        error = worksheet_write_formula_str(sheet, r, c, ("=" + shown).constData(), format, shown.constData());
    } else {
        error = worksheet_write_blank(sheet, r, c, format);
    }
    checkCell(error, row, col);
}

void writeColumns(lxw_worksheet* out, const model::Sheet& sheet, Formats& formats) {
    struct Run {
        double width;
        model::StyleId style;
        bool hidden;
        bool operator==(const Run&) const = default;
    };
    auto runAt = [&](int c) {
        const model::ColumnInfo& info = sheet.columns[c];
        return Run{info.width.value_or(sheet.standardColumnWidth), info.style != model::kNoStyle ? info.style : sheet.sheetStyle,
                   info.hidden};
    };
    for (int first = 0; first < model::kMaxColumns;) {
        const Run run = runAt(first);
        int last = first;
        while (last + 1 < model::kMaxColumns && runAt(last + 1) == run) ++last;
        lxw_row_col_options options{};
        options.hidden = run.hidden;
        check(worksheet_set_column_opt(out, lxw_col_t(first), lxw_col_t(last), run.width, formats.get(run.style),
                                       run.hidden ? &options : nullptr),
              "columns");
        first = last + 1;
    }
}

void writePageSetup(lxw_worksheet* out, const model::Sheet& sheet) {
    const model::PageSetupData& page = sheet.page;
    worksheet_set_paper(out, uint8_t(std::clamp(page.paperSize, 0, 255)));
    if (page.orientation == 2) worksheet_set_landscape(out);
    else worksheet_set_portrait(out);
    worksheet_set_margins(out, page.leftMargin / kPointsPerInch, page.rightMargin / kPointsPerInch,
                          page.topMargin / kPointsPerInch, page.bottomMargin / kPointsPerInch);
    // No call sets these two on their own, and the header call takes 0 for
    // "unchanged"; the worksheet's fields are public and written as they are.
    out->margin_header = page.headerMargin / kPointsPerInch;
    out->margin_footer = page.footerMargin / kPointsPerInch;
    if (page.zoom) {
        worksheet_set_print_scale(out, uint16_t(std::clamp(*page.zoom, 10, 400)));
    } else {
        worksheet_fit_to_pages(out, uint16_t(std::clamp(page.fitToPagesWide, 0, 32767)),
                               uint16_t(std::clamp(page.fitToPagesTall, 0, 32767)));
    }
    if (const auto area = xls::parsePrintArea(page.printArea))
        check(worksheet_print_area(out, lxw_row_t(area->firstRow), lxw_col_t(area->firstCol), lxw_row_t(area->lastRow),
                                   lxw_col_t(area->lastCol)),
              "print area");
    if (page.printTitleRows)
        check(worksheet_repeat_rows(out, lxw_row_t(page.printTitleRows->first), lxw_row_t(page.printTitleRows->second)),
              "print titles");
    if (page.printTitleColumns)
        check(worksheet_repeat_columns(out, lxw_col_t(page.printTitleColumns->first),
                                       lxw_col_t(page.printTitleColumns->second)),
              "print titles");
    if (page.printGridlines) worksheet_gridlines(out, LXW_SHOW_ALL_GRIDLINES);  // on screen as before, and printed
    if (page.centerHorizontally) worksheet_center_horizontally(out);
    if (page.centerVertically) worksheet_center_vertically(out);
}

// The selection with the active cell first: libxlsxwriter makes the first
// corner it is given the active cell, so an active cell in another corner
// keeps its place; one inside the range cannot be said and becomes the top left.
void writeSelection(lxw_worksheet* out, const model::Sheet& sheet) {
    const model::CellRange& s = sheet.selection;
    const model::CellAddress& a = sheet.activeCell;
    int firstRow = s.firstRow, lastRow = s.lastRow, firstCol = s.firstCol, lastCol = s.lastCol;
    if (!s.contains(a.row, a.col)) {
        firstRow = lastRow = a.row;
        firstCol = lastCol = a.col;
    } else if ((a.row == s.lastRow || a.row == s.firstRow) && (a.col == s.lastCol || a.col == s.firstCol)) {
        if (a.row == s.lastRow) std::swap(firstRow, lastRow);
        if (a.col == s.lastCol) std::swap(firstCol, lastCol);
    }
    worksheet_set_selection(out, lxw_row_t(firstRow), lxw_col_t(firstCol), lxw_row_t(lastRow), lxw_col_t(lastCol));
}

void writeSheet(lxw_worksheet* out, const model::Sheet& sheet, Formats& formats) {
    worksheet_set_default_row(out, sheet.standardRowHeight, LXW_FALSE);
    writeColumns(out, sheet, formats);
    writePageSetup(out, sheet);
    writeSelection(out, sheet);

    // Row by row, top to bottom, as the constant-memory mode needs: a row's
    // height and format, then its merges, then its cells.
    std::vector<const model::CellRange*> merges;
    for (const model::CellRange& merge : sheet.merges)
        if (merge.rowCount() > 1 || merge.colCount() > 1) merges.push_back(&merge);
    for (int r = 0; r < sheet.rowExtent(); ++r) {
        if (const model::RowInfo* info = sheet.findRowInfo(r); info && *info != model::RowInfo{}) {
            lxw_format* format = info->style != model::kNoStyle ? formats.get(info->style) : nullptr;
            check(worksheet_set_row(out, lxw_row_t(r), info->height.value_or(sheet.standardRowHeight), format), "row");
        }
        for (const model::CellRange* merge : merges) {
            if (merge->firstRow != r) continue;
            // The merge writes every covered cell in the first cell's
            // format; the cells then get their own below.
            check(worksheet_merge_range(out, lxw_row_t(merge->firstRow), lxw_col_t(merge->firstCol), lxw_row_t(merge->lastRow),
                                        lxw_col_t(merge->lastCol), "", formats.get(sheet.effectiveStyle(r, merge->firstCol))),
                  "merged cells");
        }
        for (const model::CellRange* merge : merges) {
            if (r < merge->firstRow || r > merge->lastRow) continue;
            for (int c = merge->firstCol; c <= merge->lastCol; ++c)
                if (!sheet.find(r, c))
                    checkCell(worksheet_write_blank(out, lxw_row_t(r), lxw_col_t(c), formats.get(sheet.effectiveStyle(r, c))), r, c);
        }
        sheet.forEachCellInRow(r, [&](int c, const model::Cell& cell) {
            const model::StyleId style = cell.style != model::kNoStyle ? cell.style : sheet.effectiveStyle(r, c);
            writeCell(out, r, c, cell, formats.get(style));
        });
    }
}

// Streaming rows keeps a long register cheap, but a merge over several rows
// writes cells of rows after its first, which that mode cannot go back to.
bool canStreamRows(const model::Workbook& workbook) {
    for (const auto& sheet : workbook.sheets)
        for (const model::CellRange& merge : sheet->merges)
            if (merge.rowCount() > 1) return false;
    return true;
}

// The Category Summary's net per category as horizontal bars beside its
// table, taller the more categories there are.
void writeSummaryChart(lxw_workbook* book, lxw_worksheet* out, const model::Workbook& workbook,
                       const generate::SummaryChartPlace* place) {
    const QByteArray sheetName = workbook.sheets[size_t(place->sheet)]->name.toUtf8();
    lxw_chart* chart = workbook_add_chart(book, LXW_CHART_BAR);
    if (!chart) fail(QStringLiteral("out of memory"));
    lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
    if (!series) fail(QStringLiteral("out of memory"));
    chart_series_set_categories(series, sheetName.constData(), lxw_row_t(place->firstRow), lxw_col_t(place->nameColumn),
                                lxw_row_t(place->lastRow), lxw_col_t(place->nameColumn));
    chart_series_set_values(series, sheetName.constData(), lxw_row_t(place->firstRow), lxw_col_t(place->netColumn),
                            lxw_row_t(place->lastRow), lxw_col_t(place->netColumn));
    chart_series_set_name(series, "Net");
    chart_title_set_name(chart, "Net per category");
    chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
    // Bars run sideways: the categories are the vertical axis, first on top as in
    // the table, their names at the left edge clear of negative bars.
    chart_axis_set_reverse(chart->y_axis);
    chart_axis_set_label_position(chart->y_axis, LXW_CHART_AXIS_LABEL_POSITION_LOW);
    lxw_chart_options options{};
    options.x_scale = 1.5;
    options.y_scale = std::clamp((place->lastRow - place->firstRow + 1) / 12.0, 1.0, 20.0);
    check(worksheet_insert_chart_opt(out, lxw_row_t(place->firstRow - 2), lxw_col_t(place->besideColumn), chart, &options),
          "chart");
}

struct WorkbookFree {
    void operator()(lxw_workbook* book) const { lxw_workbook_free(book); }
};

void writeXlsx(const model::Workbook& workbook, const QString& path) {
    if (workbook.sheets.empty()) fail(QStringLiteral("the workbook has no sheet"));
    const QByteArray fileName = QFile::encodeName(path);
    // libxlsxwriter's own scratch files (unlinked as soon as made) go beside
    // the file, in its private folder, not into a system folder that may be
    // full or read-only.
    QByteArray scratchFolder = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = canStreamRows(workbook) ? LXW_TRUE : LXW_FALSE;
    options.tmpdir = scratchFolder.data();
    std::unique_ptr<lxw_workbook, WorkbookFree> book(workbook_new_opt(fileName.constData(), &options));
    if (!book) fail(QStringLiteral("out of memory"));

    Formats formats(book.get(), workbook);
    const int active = std::clamp(workbook.activeSheet, 0, int(workbook.sheets.size()) - 1);
    const std::optional<generate::SummaryChartPlace> chartPlace = generate::summaryChartPlace(workbook);
    for (int i = 0; i < int(workbook.sheets.size()); ++i) {
        const model::Sheet& sheet = *workbook.sheets[i];
        const QByteArray name = sheet.name.toUtf8();
        if (const lxw_error error = workbook_validate_sheet_name(book.get(), name.constData()))
            fail(QStringLiteral("the sheet name \"%1\": %2").arg(sheet.name, QString::fromLatin1(lxw_strerror(error))));
        lxw_worksheet* out = workbook_add_worksheet(book.get(), name.constData());
        if (!out) fail(QStringLiteral("the sheet \"%1\" cannot be added").arg(sheet.name));
        if (i == active) worksheet_activate(out);
        writeSheet(out, sheet, formats);
        if (chartPlace && chartPlace->sheet == i) writeSummaryChart(book.get(), out, workbook, &*chartPlace);
    }
    // workbook_close writes the file and frees the workbook, whatever it answers.
    check(workbook_close(book.release()), "saving");
}

// libxlsxwriter writes the archive without a comment, so a whole file ends
// in the end-of-central-directory record, and its central directory sits
// right before it: a file cut short anywhere fails this.
void checkZipIsWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) fail(file.errorString());
    constexpr qint64 kEndRecord = 22;
    const qint64 size = file.size();
    if (size < kEndRecord || !file.seek(size - kEndRecord)) fail(QStringLiteral("the written archive is cut short"));
    const QByteArray end = file.read(kEndRecord);
    auto u16 = [&](int at) { return quint32(uchar(end[at])) | quint32(uchar(end[at + 1])) << 8; };
    auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    if (end.size() != kEndRecord || !end.startsWith("PK\x05\x06") || u16(10) == 0 ||
        qint64(u32(12)) + qint64(u32(16)) + kEndRecord != size)
        fail(QStringLiteral("the written archive is cut short"));
}

}  // namespace

void writeWorkbook(const model::Workbook& workbook, const QString& path) {
    frame::writeFileThroughPath(path, [&](const QString& temporary) { writeXlsx(workbook, temporary); }, checkZipIsWhole);
}

void convertXlsWorkbook(const QString& xlsPath, const QString& xlsxPath) {
    const std::unique_ptr<model::Workbook> workbook = xls::readWorkbook(xlsPath);
    writeWorkbook(*workbook, xlsxPath);
}

}  // namespace brevanta::xlsx

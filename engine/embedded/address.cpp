#include "engine/embedded/address.h"

#include <utility>

#include "host/host_api.h"

namespace brevanta::engine {

namespace {

// One side of an address: a cell, a bare column or a bare row.
struct AddressPart {
    std::optional<int> row;
    std::optional<int> col;
};

// Reads "[$]letters[$]digits", "[$]letters" or "[$]digits"; 0-based.
std::optional<AddressPart> parsePart(QStringView text) {
    int at = 0;
    const int size = static_cast<int>(text.size());
    auto skipDollar = [&] {
        if (at < size && text[at] == u'$') ++at;
    };
    AddressPart part;
    skipDollar();
    int column = 0;
    int letters = 0;
    // ASCII letters and digits only, read without Unicode look-ups.
    auto letter = [&](int i) {
        const char16_t c = text[i].unicode();
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    };
    while (at < size && letter(at)) {
        const char16_t c = text[at].unicode();
        column = column * 26 + ((c >= u'a' ? c - (u'a' - u'A') : c) - 'A' + 1);
        if (++letters > 3) return std::nullopt;
        ++at;
    }
    if (letters > 0) {
        if (column > model::kMaxColumns) return std::nullopt;
        part.col = column - 1;
        skipDollar();
    } else if (at > 0 && at < size && text[at] == u'$') {
        return std::nullopt;  // "$$4"
    }
    int row = 0;
    int digits = 0;
    while (at < size && text[at].unicode() >= u'0' && text[at].unicode() <= u'9') {
        row = row * 10 + (text[at].unicode() - '0');
        if (++digits > 5) return std::nullopt;
        ++at;
    }
    if (digits > 0) {
        if (row < 1 || row > model::kMaxRows) return std::nullopt;
        part.row = row - 1;
    }
    if (at != size || (letters == 0 && digits == 0)) return std::nullopt;
    // A trailing "$" without digits ("B$") is not an address.
    if (digits == 0 && text.endsWith(u'$') && size > 1) return std::nullopt;
    return part;
}

}  // namespace

std::optional<model::CellRange> parseAddress(const QString& text) {
    const qsizetype colon = text.indexOf(u':');
    const QStringView whole(text);
    const auto first = parsePart(colon < 0 ? whole : whole.left(colon));
    if (!first) return std::nullopt;
    const auto second = colon < 0 ? first : parsePart(whole.mid(colon + 1));
    if (!second) return std::nullopt;

    const bool firstIsCell = first->row && first->col;
    const bool secondIsCell = second->row && second->col;
    model::CellRange range;
    if (firstIsCell && secondIsCell) {
        range = {*first->row, *first->col, *second->row, *second->col};
    } else if (colon >= 0 && !first->row && !second->row) {  // "A:K"
        range = {0, *first->col, model::kMaxRows - 1, *second->col};
    } else if (colon >= 0 && !first->col && !second->col) {  // "4:5"
        range = {*first->row, 0, *second->row, model::kMaxColumns - 1};
    } else {
        return std::nullopt;  // "A", "7", "A1:C", ...
    }
    if (range.firstRow > range.lastRow) std::swap(range.firstRow, range.lastRow);
    if (range.firstCol > range.lastCol) std::swap(range.firstCol, range.lastCol);
    return range;
}

model::CellRange parseAddressOrThrow(const QString& text) {
    if (auto range = parseAddress(text)) return *range;
    throw host::HostError(QStringLiteral("Invalid address: ") + text);
}

QString columnLetters(int column) {
    QString letters;
    int n = column + 1;
    while (n > 0) {
        letters.prepend(QChar(u'A' + (n - 1) % 26));
        n = (n - 1) / 26;
    }
    return letters;
}

bool coversAllRows(const model::CellRange& range) {
    return range.firstRow == 0 && range.lastRow == model::kMaxRows - 1;
}

bool coversAllColumns(const model::CellRange& range) {
    return range.firstCol == 0 && range.lastCol == model::kMaxColumns - 1;
}

QString rangeAddress(const model::CellRange& range) {
    auto cell = [](int row, int col) {
        return QStringLiteral("$") + columnLetters(col) + QStringLiteral("$") + QString::number(row + 1);
    };
    if (coversAllColumns(range))
        return QStringLiteral("$%1:$%2").arg(range.firstRow + 1).arg(range.lastRow + 1);
    if (coversAllRows(range))
        return QStringLiteral("$") + columnLetters(range.firstCol) + QStringLiteral(":$") + columnLetters(range.lastCol);
    if (range.firstRow == range.lastRow && range.firstCol == range.lastCol) return cell(range.firstRow, range.firstCol);
    return cell(range.firstRow, range.firstCol) + QStringLiteral(":") + cell(range.lastRow, range.lastCol);
}

}  // namespace brevanta::engine

#include "xls/print_ranges.h"

#include <QRegularExpression>

namespace brevanta::xls {

namespace {

std::optional<std::pair<int, int>> parseCell(const QString& text) {
    static const QRegularExpression cell(QStringLiteral("^\\$?([A-Za-z]{1,2})\\$?([0-9]{1,5})$"));
    const auto match = cell.match(text.trimmed());
    if (!match.hasMatch()) return std::nullopt;
    int col = 0;
    for (QChar c : match.captured(1).toUpper()) col = col * 26 + (c.unicode() - 'A' + 1);
    const int row = match.captured(2).toInt();
    if (col < 1 || col > model::kMaxColumns || row < 1 || row > model::kMaxRows) return std::nullopt;
    return std::make_pair(row - 1, col - 1);
}

QString columnLetters(int col) {
    QString letters;
    for (int n = col + 1; n > 0; n = (n - 1) / 26) letters.prepend(QChar('A' + (n - 1) % 26));
    return letters;
}

}  // namespace

std::optional<model::CellRange> parsePrintArea(const QString& text) {
    const QStringList corners = text.split(QLatin1Char(':'));
    if (corners.size() > 2) return std::nullopt;
    const auto first = parseCell(corners.front());
    const auto last = parseCell(corners.back());
    if (!first || !last) return std::nullopt;
    return model::CellRange{std::min(first->first, last->first), std::min(first->second, last->second),
                            std::max(first->first, last->first), std::max(first->second, last->second)};
}

QString printAreaText(const model::CellRange& range) {
    return QStringLiteral("$%1$%2:$%3$%4")
        .arg(columnLetters(range.firstCol)).arg(range.firstRow + 1)
        .arg(columnLetters(range.lastCol)).arg(range.lastRow + 1);
}

}  // namespace brevanta::xls

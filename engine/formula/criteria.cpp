#include "engine/formula/criteria.h"

#include <algorithm>
#include <cmath>

#include "engine/formula/entry_reading.h"
#include "engine/formula/value_rules.h"

namespace brevanta::engine {

using model::BinaryOp;
using model::ErrorCode;
using model::Value;

namespace {

// Equality keys: "b" for blanks, "t" and the case-folded text for texts,
// "n" and the number, "l" and 0 or 1 for truth values, "e" and the code for errors.
const QString kBlankKey = QStringLiteral("b");
QString textKey(const QString& folded) { return QLatin1Char('t') + folded; }
QString numberKey(double number) {
    return QLatin1Char('n') + (number == 0 ? QStringLiteral("0") : QString::number(number, 'g', 17));
}
QString truthKey(bool truth) { return truth ? QStringLiteral("l1") : QStringLiteral("l0"); }
QString errorKey(ErrorCode code) { return QLatin1Char('e') + QString::number(int(code)); }

// The comparison a criterion text starts with, and the text after it.
std::pair<BinaryOp, QString> splitOperator(const QString& text) {
    static const std::pair<const char*, BinaryOp> kOperators[] = {
        {"<=", BinaryOp::LessEqual}, {">=", BinaryOp::GreaterEqual}, {"<>", BinaryOp::NotEqual},
        {"<", BinaryOp::Less},       {">", BinaryOp::Greater},       {"=", BinaryOp::Equal},
    };
    for (const auto& [spelling, op] : kOperators)
        if (text.startsWith(QLatin1String(spelling))) return {op, text.mid(qsizetype(std::strlen(spelling)))};
    return {BinaryOp::Equal, text};
}

bool holds(BinaryOp op, int comparison) {
    switch (op) {
    case BinaryOp::Equal: return comparison == 0;
    case BinaryOp::NotEqual: return comparison != 0;
    case BinaryOp::Less: return comparison < 0;
    case BinaryOp::LessEqual: return comparison <= 0;
    case BinaryOp::Greater: return comparison > 0;
    case BinaryOp::GreaterEqual: return comparison >= 0;
    default: return false;
    }
}

int compareNumbers(double left, double right) { return left < right ? -1 : left > right ? 1 : 0; }

}  // namespace

Criterion Criterion::read(const Value& value, const QLocale& locale) {
    Criterion c;
    if (std::holds_alternative<model::Empty>(value)) {
        c.kind_ = Kind::Blank;
        c.equalityKeys_ = {kBlankKey};
        return c;
    }
    if (const auto* number = std::get_if<double>(&value)) {
        c.kind_ = Kind::Number;
        c.number_ = *number;
        c.operand_ = toText(value, locale).text;
        c.foldedOperand_ = c.operand_.toCaseFolded();
        c.equalityKeys_ = {numberKey(c.number_), textKey(c.foldedOperand_)};
        return c;
    }
    if (const auto* truth = std::get_if<bool>(&value)) {
        c.kind_ = Kind::Truth;
        c.truth_ = *truth;
        c.operand_ = *truth ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        c.foldedOperand_ = c.operand_.toCaseFolded();
        c.equalityKeys_ = {truthKey(c.truth_), textKey(c.foldedOperand_)};
        return c;
    }
    if (const auto* error = std::get_if<ErrorCode>(&value)) {
        c.kind_ = Kind::Error;
        c.error_ = *error;
        c.equalityKeys_ = {errorKey(c.error_)};
        return c;
    }
    const auto [op, operand] = splitOperator(std::get<QString>(value));
    c.op_ = op;
    c.operand_ = operand;
    c.foldedOperand_ = operand.toCaseFolded();
    const bool equality = op == BinaryOp::Equal;
    if (operand.isEmpty()) {
        c.kind_ = Kind::Blank;
        if (equality) c.equalityKeys_ = {kBlankKey};
    } else if (const auto number = readTypedNumber(operand, locale)) {
        c.kind_ = Kind::Number;
        c.number_ = *number;
        if (equality) c.equalityKeys_ = {numberKey(c.number_), textKey(c.foldedOperand_)};
    } else if (c.foldedOperand_ == QLatin1String("true") || c.foldedOperand_ == QLatin1String("false")) {
        c.kind_ = Kind::Truth;
        c.truth_ = c.foldedOperand_ == QLatin1String("true");
        if (equality) c.equalityKeys_ = {truthKey(c.truth_), textKey(c.foldedOperand_)};
    } else if (const auto code = model::errorFromText(operand)) {
        c.kind_ = Kind::Error;
        c.error_ = *code;
        if (equality) c.equalityKeys_ = {errorKey(c.error_), textKey(c.foldedOperand_)};
    } else {
        c.kind_ = Kind::Text;
        bool wild = false;
        QString literal;
        for (qsizetype i = 0; i < c.foldedOperand_.size(); ++i) {
            const QChar ch = c.foldedOperand_[i];
            if (ch == QLatin1Char('~') && i + 1 < c.foldedOperand_.size()) {
                c.pattern_.push_back({PatternPiece::Kind::Literal, c.foldedOperand_[++i]});
                literal += c.foldedOperand_[i];
            } else if (ch == QLatin1Char('*')) {
                c.pattern_.push_back({PatternPiece::Kind::AnyRun, {}});
                wild = true;
            } else if (ch == QLatin1Char('?')) {
                c.pattern_.push_back({PatternPiece::Kind::AnyOne, {}});
                wild = true;
            } else {
                c.pattern_.push_back({PatternPiece::Kind::Literal, ch});
                literal += ch;
            }
        }
        const bool onlyTrailingRun = std::count_if(c.pattern_.begin(), c.pattern_.end(), [](const PatternPiece& piece) {
                                         return piece.kind != PatternPiece::Kind::Literal;
                                     }) == 1 && c.pattern_.back().kind == PatternPiece::Kind::AnyRun;
        if (equality && !wild) c.equalityKeys_ = {textKey(literal)};
        if (equality && onlyTrailingRun) c.prefixKey_ = textKey(literal);
    }
    return c;
}

QString Criterion::equalityKeyOf(const Value& cell) {
    if (std::holds_alternative<model::Empty>(cell)) return kBlankKey;
    if (const auto* text = std::get_if<QString>(&cell)) return text->isEmpty() ? kBlankKey : textKey(text->toCaseFolded());
    if (const auto* number = std::get_if<double>(&cell)) return numberKey(*number);
    if (const auto* truth = std::get_if<bool>(&cell)) return truthKey(*truth);
    return errorKey(std::get<ErrorCode>(cell));
}

// The pattern against a case-folded text: greedy, going back to the last * on a mismatch.
bool Criterion::matchesText(const QString& folded) const {
    size_t piece = 0;
    qsizetype at = 0;
    std::optional<size_t> starPiece;
    qsizetype starAt = 0;
    while (at < folded.size()) {
        if (piece < pattern_.size() && pattern_[piece].kind == PatternPiece::Kind::AnyRun) {
            starPiece = piece++;
            starAt = at;
        } else if (piece < pattern_.size() && (pattern_[piece].kind == PatternPiece::Kind::AnyOne ||
                                               pattern_[piece].character == folded[at])) {
            ++piece;
            ++at;
        } else if (starPiece) {
            piece = *starPiece + 1;
            at = ++starAt;
        } else {
            return false;
        }
    }
    while (piece < pattern_.size() && pattern_[piece].kind == PatternPiece::Kind::AnyRun) ++piece;
    return piece == pattern_.size();
}

bool Criterion::compareText(const QString& text) const {
    if (op_ == BinaryOp::Equal) return matchesText(text.toCaseFolded());
    if (op_ == BinaryOp::NotEqual) return !matchesText(text.toCaseFolded());
    return holds(op_, text.compare(operand_, Qt::CaseInsensitive));
}

bool Criterion::matches(const Value& cell) const {
    const auto* text = std::get_if<QString>(&cell);
    const bool blank = std::holds_alternative<model::Empty>(cell) || (text && text->isEmpty());
    switch (kind_) {
    case Kind::Blank:
        if (op_ == BinaryOp::Equal) return blank;
        if (op_ == BinaryOp::NotEqual) return !std::holds_alternative<model::Empty>(cell);
        return false;
    case Kind::Number: {
        // Numbers compare as numbers; an equality also takes the same text ("5" and 5).
        bool equal = false;
        if (const auto* number = std::get_if<double>(&cell)) {
            if (op_ != BinaryOp::Equal && op_ != BinaryOp::NotEqual) return holds(op_, compareNumbers(*number, number_));
            equal = *number == number_;
        } else if (text) {
            equal = text->toCaseFolded() == foldedOperand_;
        } else if (op_ != BinaryOp::NotEqual) {
            return false;
        }
        return op_ == BinaryOp::NotEqual ? !equal : op_ == BinaryOp::Equal && equal;
    }
    case Kind::Truth: {
        bool equal = false;
        if (const auto* truth = std::get_if<bool>(&cell)) equal = *truth == truth_;
        else if (text) equal = text->toCaseFolded() == foldedOperand_;
        if (op_ == BinaryOp::NotEqual) return !equal;
        return op_ == BinaryOp::Equal && equal;
    }
    case Kind::Error: {
        // An error's text given as the criterion ("=#N/A") also takes that very text.
        const auto* error = std::get_if<ErrorCode>(&cell);
        const bool equal = (error && *error == error_) ||
                           (text && !operand_.isEmpty() && text->toCaseFolded() == foldedOperand_);
        if (op_ == BinaryOp::NotEqual) return !equal;
        return op_ == BinaryOp::Equal && equal;
    }
    case Kind::Text:
        if (text && !text->isEmpty()) return compareText(*text);
        return op_ == BinaryOp::NotEqual;  // numbers, truth values, errors and blanks are "not" this text
    }
    return false;
}

QString literalCriterion(const QString& text) {
    if (text.isEmpty()) return QString();
    QString criterion = QStringLiteral("=");
    criterion.reserve(text.size() * 2 + 1);
    for (QChar c : text) {
        if (c == QLatin1Char('~') || c == QLatin1Char('*') || c == QLatin1Char('?')) criterion += QLatin1Char('~');
        criterion += c;
    }
    return criterion;
}

}  // namespace brevanta::engine

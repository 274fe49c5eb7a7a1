#pragma once
// The criteria of COUNTIF and SUMIF: a value, or a text that may start with
// a comparison (=, <>, <, <=, >, >=), decides which cells count. Text
// compares without regard to case; in an equality, * stands for any run of
// characters, ? for one, and ~ takes the character after it literally
// ("=a~*b" matches only "a*b"). An empty criterion, or "=" alone, matches
// empty cells and empty texts.

#include <QLocale>
#include <QString>
#include <optional>
#include <vector>

#include "engine/model/formula.h"
#include "engine/model/value.h"

namespace brevanta::engine {

class Criterion {
public:
    // What a criterion argument's value asks for.
    static Criterion read(const model::Value& value, const QLocale& locale);

    bool matches(const model::Value& cell) const;

    // For an equality (no wildcard left after the ~ escapes): the keys
    // (equalityKeyOf) of exactly the cells it matches, so that a range can
    // be counted once for all such criteria. Empty for any other criterion.
    const std::vector<QString>& equalityKeys() const { return equalityKeys_; }
    // For an equality that is a text's beginning and one trailing *
    // ("=abc*"): the key every matching cell's key starts with.
    const std::optional<QString>& prefixKey() const { return prefixKey_; }
    // Every value has exactly one key: blanks, each text regardless of
    // case, each number, each truth value and each error its own.
    static QString equalityKeyOf(const model::Value& cell);

private:
    enum class Kind : uint8_t { Blank, Number, Truth, Text, Error };
    struct PatternPiece {
        enum class Kind : uint8_t { Literal, AnyRun, AnyOne } kind;
        QChar character;  // Literal: case-folded
    };

    bool matchesText(const QString& folded) const;
    bool compareText(const QString& text) const;

    Kind kind_ = Kind::Blank;
    model::BinaryOp op_ = model::BinaryOp::Equal;
    double number_ = 0;
    bool truth_ = false;
    model::ErrorCode error_ = model::ErrorCode::Value;
    QString operand_;  // the text after the operator, as given
    QString foldedOperand_;
    std::vector<PatternPiece> pattern_;  // Text equalities
    std::vector<QString> equalityKeys_;
    std::optional<QString> prefixKey_;
};

// Literal text as an equality criterion that matches exactly that text in
// every spreadsheet: "=" first, so that a leading =, < or > is no operator,
// and ~ before each *, ? and ~. Empty text asks for blanks ("").
QString literalCriterion(const QString& text);

}  // namespace brevanta::engine

#pragma once
// What typing a text into a cell means, under the user's locale: a number,
// a date, a truth value, a formula, plain text, or clearing the cell.

#include <QLocale>
#include <QString>

#include "engine/model/formula.h"
#include "engine/model/value.h"

namespace brevanta::engine {

struct TypedEntry {
    enum class Kind { Clear, Constant, Formula };
    Kind kind = Kind::Clear;
    model::Value value;            // Constant
    model::FormulaPtr formula;     // Formula
    QString numberFormat;          // e.g. a date format for a date; empty = leave the format alone
};

// Throws host::HostError for a formula that cannot be accepted.
TypedEntry interpretEntry(const QString& text, const QLocale& locale);

}  // namespace brevanta::engine

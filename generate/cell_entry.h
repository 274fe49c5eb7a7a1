#pragma once
// What the layout types into a data cell of the register: the list's text
// as data, never as a formula. Description, Category and Cleared are always
// text (a payee "TRUE", "12345" or "#DIV/0!" stays those characters); a
// Date, Number, Debit or Credit is typed as it is, so that numbers and
// dates keep their meaning, unless typing it would give a formula. Text is
// marked the host's way, with a leading apostrophe the cell does not show.

#include <QString>

namespace brevanta::generate {

// The entry for `text` in the column of list field `field` (reg::Field).
QString dataCellEntry(int field, const QString& text);

}  // namespace brevanta::generate

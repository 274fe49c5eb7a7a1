#pragma once
// What the layout types into a data cell of the register: the list's text
// as data, never as a formula. Description, Category and Cleared are always
// text (a payee "TRUE", "12345" or "#DIV/0!" stays those characters); a
// Date reaches the cell in its stored form, a date under every locale;
// a Number, Debit or Credit is typed as it is, so that numbers keep their
// meaning, unless typing it would give a formula. Text is
// marked the host's way, with a leading apostrophe the cell does not show.

#include <QLocale>
#include <QString>

#include "host/host_api.h"

namespace brevanta::generate {

// The entry for `text` in the column of list field `field` (reg::Field).
host::CellEntry dataCell(int field, const QString& text);
// The same, its amounts read under `locale` (QLocale(), taken once for many cells).
host::CellEntry dataCell(int field, const QString& text, const QLocale& locale);
// The same as it is typed.
QString dataCellEntry(int field, const QString& text);

// What the Date column's cell is given for a Date text: the stored form
// (ISO, a date under every locale) when the text reads as a date, the text
// as text (after an apostrophe) when it does not, nothing for nothing.
QString dateCellEntry(const QString& text);

}  // namespace brevanta::generate

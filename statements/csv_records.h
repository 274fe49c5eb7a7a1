#pragma once
// CSV as RFC 4180 writes it: records of comma-separated fields, a field in
// double quotes may hold commas, doubled quotes and line breaks; lines end
// in CR LF or LF. Blank lines are no records.

#include <QString>
#include <vector>

namespace brevanta::statements {

struct CsvRecord {
    int line = 0;  // where the record starts, 1-based
    std::vector<QString> fields;
};

// The records of a CSV text with the line each starts on. Throws
// frame::Failure naming the line of a quoted field that never closes.
std::vector<CsvRecord> parseCsvRecords(const QString& text);

// The same, fields only.
std::vector<std::vector<QString>> parseCsv(const QString& text);

// A text field that a spreadsheet opening the CSV would run as a formula
// (it begins with =, +, -, @, a tab or a carriage return) gets a leading
// apostrophe, which spreadsheets take as "this is text"; so does a field
// that begins with an apostrophe itself, so that every field reads back as
// written. A plain number ("-5", "+1,234.50") is left as it is: it is no
// formula, and stays a number in the spreadsheet.
QString formulaGuarded(const QString& text);

// The field as it was before formulaGuarded: one leading apostrophe taken
// off where the guard put it (before one of the characters above).
QString formulaUnguarded(const QString& field);

// One field as RFC 4180 writes it: quoted when it holds a comma, a quote,
// a line break or blanks at either end, with its quotes doubled.
QString csvField(const QString& text);

}  // namespace brevanta::statements

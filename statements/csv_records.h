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

// One field as RFC 4180 writes it: quoted when it holds a comma, a quote,
// a line break or blanks at either end, with its quotes doubled.
QString csvField(const QString& text);

}  // namespace brevanta::statements

#pragma once
// OFX and QFX statements, version 1 (SGML) and 2 (XML), read by libofx.
//
// libofx reads from a file path and reports through callbacks. It reads
// what it can of a damaged file without a word: a cut-off file gives its
// first transactions, an amount written "1,234.50" is read as 1.2345 (OFX
// allows "," as the decimal mark). So before libofx sees the file, a cheap
// check of the text insists on the closing </OFX> and on a well-formed
// DTPOSTED and TRNAMT in every <STMTTRN>; afterwards every transaction
// libofx gives must agree with that check, or the file counts as damaged.
// A long statement goes to libofx in parts of whole transactions, since its
// time grows with the square of the transactions in one file.

#include <QByteArray>
#include <QString>

#include "statements/statement.h"

namespace brevanta::statements {

// Whether `text` starts like an OFX file (an OFXHEADER line, or an XML
// prolog followed by an <?OFX ...?> processing instruction or <OFX>).
bool looksLikeOfx(const QString& text);

// Reads the file at `path`, whose bytes are `bytes` and decoded text `text`. Every entry is
// marked cleared: the bank has posted it. The date of an entry is the
// calendar day the bank wrote in DTPOSTED, in the bank's own time zone.
// Throws StatementError "<fileName>: transaction N (line L): reason".
Statement readOfx(const QString& path, const QByteArray& bytes, const QString& text, const QString& fileName);

}  // namespace brevanta::statements

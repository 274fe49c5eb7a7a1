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
//
// libofx runs in a process of its own, brevanta-ofx-reader, contained by
// runContained (statements/contained_process.h): libofx copies the file to
// the temporary folder and its SGML parser reads a file named "catalog"
// beside that copy, so in the shared /tmp anyone could plant one (a FIFO
// hangs it, /dev/zero eats the memory); and a file nested thousands of
// elements deep takes it minutes. The reader's folder, temporary folder
// included, is private; its time and memory are limited; and its answer is
// checked like any outside input.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>

#include "statements/contained_process.h"
#include "statements/statement.h"

namespace brevanta::statements {

// Whether `text` starts like an OFX file (an OFXHEADER line, or an XML
// prolog followed by an <?OFX ...?> processing instruction or <OFX>).
bool looksLikeOfx(const QString& text);

// Reads the statement whose bytes are `bytes` and decoded text `text`. Every entry is
// marked cleared: the bank has posted it. The date of an entry is the
// calendar day the bank wrote in DTPOSTED, in the bank's own time zone.
// Throws StatementError "<fileName>: transaction N (line L): reason", and
// ReadCancelled when `cancel` becomes true meanwhile.
// The reader runs under `limits` (by default 20 seconds, 1 GiB, 128 MiB files).
Statement readOfx(const QByteArray& bytes, const QString& text, const QString& fileName,
                  const std::atomic<bool>* cancel = nullptr, const ProcessLimits& limits = {});

inline constexpr char kOfxReaderName[] = "brevanta-ofx-reader";

// Where brevanta-ofx-reader is looked for: beside the running program, then
// where the installation puts it relative to the program.
QStringList ofxReaderPlaces(const QString& programFolder);


}  // namespace brevanta::statements

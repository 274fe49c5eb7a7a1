#pragma once
// The transaction list as it is kept between runs: one text in the user's
// settings, application "Halvorn", section "Brevanta", key "Check Register".
// On Linux that is ~/.config/Halvorn.conf, group [Brevanta], key
// "Check Register" (QSettings: organisation "Halvorn", no application name).
//
// Layout: every row as its seven fields joined by "^" and closed by "|",
// rows one after another, nothing else ("1/1/2013^1^Sold My Used Car^
// Automotive^Yes^^5000|"). A field holding "|", "^" or the escape character
// ESC (U+001B) is stored with ESC escapes (ESC "p" for "|", ESC "c" for "^",
// ESC "e" for ESC), so such texts come back whole; every other text is
// stored exactly as the list holds it, and an ESC followed by anything else
// reads as itself.

#include <QDateTime>
#include <QString>
#include <vector>

#include "frame/program_settings.h"
#include "ledger/transaction_source.h"

namespace brevanta::reg {

// One record as read back: the seven fields (missing ones empty) and how
// many "^"-separated parts the record had (1 or more; more than 7 are cut).
struct SavedRecord {
    Transaction fields;
    int partCount = 0;
    friend bool operator==(const SavedRecord&, const SavedRecord&) = default;
};

QString encodeSavedField(const QString& text);
QString decodeSavedField(const QString& stored);

// One row as stored: the fields joined by "^", closed by "|".
QString encodeSavedRecord(const Transaction& fields);
void appendSavedRecord(QString& value, const Transaction& fields);
QString encodeSavedList(const std::vector<Transaction>& rows);
QString encodeSavedList(const TransactionSource& rows);
// Empty pieces between "|" are skipped; never fails.
std::vector<SavedRecord> decodeSavedList(const QString& value);
// The same in its two steps: the text cut at every "|" (empty pieces kept),
// and one non-empty piece cut at every "^" into its fields.
std::vector<QStringView> savedListPieces(QStringView value);
SavedRecord decodeSavedRecord(QStringView piece);

// Where the value lives. The default is the user's settings; tests and
// tools pass an INI file of their own.
class SavedListStore {
public:
    SavedListStore() = default;
    explicit SavedListStore(QString iniFile) : settings_(std::move(iniFile)) {}

    // The stored text, empty when none. Throws Failure ("Type mismatch")
    // when a value is stored but is not a text (a hand-edited file: a list
    // of texts, a rectangle, a variant), and when the settings file is not
    // a regular file (a FIFO would block, a device never end).
    QString read() const;
    // Copies the settings file aside as "<file>.unreadable-YYYYMMDD-HHMMSS"
    // (a number added when that name is taken), so that a value read() could
    // not read survives the next write; answers the copy's path, empty when
    // the settings are no file. Something other than a regular file (a
    // FIFO, a device) is moved there instead of copied. Throws Failure when
    // the copy cannot be made.
    QString keepCopyAside(const QDateTime& now) const;
    // Replaces the stored text. The settings file is replaced as a whole,
    // so a crash while writing leaves the old text or the new one; other
    // values in the file are kept. Throws Failure when it cannot be written.
    void write(const QString& value) const;

    // Another text kept beside the list, in the same settings and section
    // (a window option): empty when none or when it is not a text; written
    // as write() writes the list, the list and other values kept.
    QString readBeside(const QString& key) const;
    void writeBeside(const QString& key, const QString& value) const;

    const QString& iniFile() const { return settings_.iniFile(); }
    // The INI file the text is kept in; empty where the user's settings are no file.
    QString settingsFile() const;

private:
    frame::ProgramSettings settings_;
};

}  // namespace brevanta::reg

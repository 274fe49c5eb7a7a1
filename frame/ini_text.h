#pragma once
// The text of Qt's INI settings files, written the way QSettings writes it,
// so that a value set here reads back through QSettings unchanged and the
// file looks as if QSettings had written it ("[Brevanta]" then
// "Check%20Register=..."). Used where a settings file must be replaced as a
// whole and safely, which QSettings' own writing does not promise: when only
// its final flush fails, Qt 6.4's QSettings reports no error and leaves an
// empty file (IniText.QSettingsLosesTheFileWhenOnlyItsFinalFlushFails).

#include <QByteArray>
#include <QString>

namespace brevanta::frame {

// A group or key name as QSettings writes it: "Check Register" gives "Check%20Register".
QByteArray iniKey(const QString& name);

// A text value as QSettings writes it: escapes, quotes and the "@" marks included.
QByteArray iniTextValue(const QString& text);

// The file `ini` with `key` in `group` set to the text `value`. Every other
// line is kept byte for byte; a missing key goes at the end of its group, a
// missing group at the end of the file, and repeats of the key in that
// group are dropped (QSettings would read the last of them).
QByteArray withIniTextValue(const QByteArray& ini, const QString& group, const QString& key, const QString& value);

}  // namespace brevanta::frame

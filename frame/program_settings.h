#pragma once
// The program's own settings: organisation "Halvorn", section "Brevanta",
// the user's settings by default or an INI file of a test's or a tool's own.
// Texts kept there (the list, window options, the last folder) are read
// without opening anything but a regular file, and written by replacing the
// file whole, keeping every other value in it.

#include <QSettings>
#include <QString>
#include <memory>

namespace brevanta::frame {

class ProgramSettings {
public:
    ProgramSettings() = default;
    explicit ProgramSettings(QString iniFile) : iniFile_(std::move(iniFile)) {}

    const QString& iniFile() const { return iniFile_; }
    // The INI file the settings are kept in; empty where the user's settings are no file.
    QString file() const;
    // The file is there but is no regular file: a FIFO would block whoever
    // reads it, a device never end.
    bool isSomethingButARegularFile() const;
    // The settings, opened in the program's section. Reads the file: ask
    // isSomethingButARegularFile() first.
    std::unique_ptr<QSettings> open() const;

    // The text under `key`; empty when there is none, when it is no text, or
    // when the file is no regular file.
    QString readText(const QString& key) const;
    // Sets the text under `key`. The settings file is replaced whole, so a
    // crash while writing leaves the old file or the new one. Throws Failure
    // when it cannot be written.
    void writeText(const QString& key, const QString& value) const;

private:
    QString iniFile_;
    mutable QString resolvedUserFile_;
};

}  // namespace brevanta::frame

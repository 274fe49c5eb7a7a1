#pragma once
// The folder the user last saved in or opened from, kept between runs in the
// program's settings (organisation "Halvorn", group "Brevanta", key
// "LastFolder"), so that the next Save or Open dialog starts there; and the
// dialogs and the closing box that go with it.

#include <QString>
#include <QStringList>

#include "frame/program_settings.h"
#include "frame/prompter.h"

namespace brevanta::frame {

class FolderMemory {
public:
    // The user's settings; tests and tools pass an INI file of their own.
    FolderMemory() = default;
    explicit FolderMemory(QString iniFile) : settings_(std::move(iniFile)) {}

    // The folder remembered, when it still exists; empty otherwise.
    QString lastFolder() const;
    // Remembers the folder of `chosenPath` (a file chosen in a dialog). The
    // settings file is replaced whole, keeping its other values; a failure
    // to write it is no reason to fail the save, and is passed over.
    void remember(const QString& chosenPath) const;

private:
    ProgramSettings settings_;
};

// The folder memory of the prompter in use (Prompter::folderSettingsFile).
FolderMemory promptersFolderMemory();

// The Save dialog with the suggested name placed in the last folder; the
// folder of the name chosen is remembered. Answers the name as given, empty
// when cancelled.
QString askSaveFileName(SaveDialogRequest request);
// The Open dialog, starting in the last folder; the folder of the files
// chosen is remembered.
QStringList askOpenFileNames(OpenDialogRequest request);
// The "Done." box after a file was written, the file's whole path in its details.
void sayDone(const QString& savedPath);

}  // namespace brevanta::frame

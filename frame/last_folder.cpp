#include "frame/last_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "frame/app_title.h"

namespace brevanta::frame {
namespace {
const QString kKey = QStringLiteral("LastFolder");
}  // namespace

QString FolderMemory::lastFolder() const {
    const QString folder = settings_.readText(kKey);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void FolderMemory::remember(const QString& chosenPath) const {
    if (chosenPath.isEmpty()) return;
    const QString folder = QFileInfo(chosenPath).absolutePath();
    // Something other than a regular file in the settings' place is the stored list's to deal with.
    if (folder == lastFolder() || settings_.isSomethingButARegularFile()) return;
    try {
        settings_.writeText(kKey, folder);
    } catch (...) {
        // The next dialog starts in the folder remembered before.
    }
}

FolderMemory promptersFolderMemory() { return FolderMemory(prompter().folderSettingsFile()); }

// Where a dialog opens: the folder last used, else the documents folder, else
// home. Never the folder the program happened to be started from.
QString startingFolder(const FolderMemory& memory) {
    const QString last = memory.lastFolder();
    if (!last.isEmpty()) return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString askSaveFileName(SaveDialogRequest request) {
    const FolderMemory memory = promptersFolderMemory();
    if (QFileInfo(request.fileName).isRelative())
        request.fileName = QDir(startingFolder(memory)).filePath(request.fileName);
    const QString chosen = prompter().saveFileName(request);
    memory.remember(chosen);
    return chosen;
}

QStringList askOpenFileNames(OpenDialogRequest request) {
    const FolderMemory memory = promptersFolderMemory();
    if (request.folder.isEmpty()) request.folder = startingFolder(memory);
    const QStringList chosen = prompter().openFileNames(request);
    if (!chosen.isEmpty()) memory.remember(chosen.first());
    return chosen;
}

void sayDone(const QString& savedPath) {
    prompter().messageWithDetails(appTitle(), QStringLiteral("Done."), QDir::toNativeSeparators(savedPath),
                                  Icon::None);
}

}  // namespace brevanta::frame

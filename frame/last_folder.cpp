#include "frame/last_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "frame/app_title.h"
#include "frame/ini_text.h"
#include "frame/safe_file.h"

namespace brevanta::frame {
namespace {

const QString kOrganisation = QStringLiteral("Halvorn");
const QString kGroup = QStringLiteral("Brevanta");
const QString kKey = QStringLiteral("LastFolder");

}  // namespace

QString FolderMemory::settingsFile() const {
    if (!iniFile_.isEmpty()) return iniFile_;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           kOrganisation + QStringLiteral(".conf");
#else
    return {};
#endif
}

QString FolderMemory::lastFolder() const {
    const QString file = settingsFile();
    // Only a regular file is read: a FIFO in its place would block the dialog.
    if (!file.isEmpty() && (!QFileInfo(file).isFile())) return {};
    const auto settings = file.isEmpty()
                              ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kOrganisation)
                              : std::make_unique<QSettings>(file, QSettings::IniFormat);
    const QString folder = settings->value(kGroup + QLatin1Char('/') + kKey).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void FolderMemory::remember(const QString& chosenPath) const {
    if (chosenPath.isEmpty()) return;
    const QString folder = QFileInfo(chosenPath).absolutePath();
    if (folder == lastFolder()) return;
    const QString file = settingsFile();
    try {
        if (file.isEmpty()) {
            QSettings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation)
                .setValue(kGroup + QLatin1Char('/') + kKey, folder);
            return;
        }
        if (QFileInfo::exists(file) && !QFileInfo(file).isFile()) return;
        QByteArray content;
        QFile current(file);
        if (current.exists()) {
            if (!current.open(QIODevice::ReadOnly)) return;
            content = current.readAll();
        }
        // Written whole, as the stored list is, so the list beside it is never half lost.
        QDir().mkpath(QFileInfo(file).absolutePath());
        writeFileSafely(file, withIniTextValue(content, kGroup, kKey, folder));
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

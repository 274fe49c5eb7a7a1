// The last folder used: kept in a settings file beside the stored list
// without harming it, offered by the next dialog, and the saved path shown
// in the "Done." box's details.

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "frame/last_folder.h"
#include "tests/support/recording.h"

using namespace brevanta;

TEST(LastFolder, TheNextDialogStartsWhereTheLastOneEndedAndTheListBesideItStays) {
    testsupport::SeamGuard seams;
    QTemporaryDir folder;
    const QString settings = seams.prompter.folderSettingsFile();
    {
        QSettings raw(settings, QSettings::IniFormat);
        raw.setValue(QStringLiteral("Brevanta/Check Register"), QStringLiteral("1/1/2013^1^a^b^c^^5|"));
    }
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("statements")));
    ASSERT_TRUE(QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));
    const QString chosen = folder.filePath(QStringLiteral("statements/May.csv"));

    const frame::SaveDialogRequest request{QStringLiteral("Export List as CSV"), QStringLiteral("CSV Files (*.csv)"),
                                           QStringLiteral("Check Register.csv")};
    seams.prompter.fileNames = {chosen};
    EXPECT_EQ(frame::askSaveFileName(request), chosen);
    // Nothing remembered yet: the documents folder, never the folder the program was started from.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(seams.prompter.saveRequests.at(0).fileName, QDir(documents).filePath(QStringLiteral("Check Register.csv")));
    EXPECT_EQ(frame::askSaveFileName(request), QString());  // cancelled: the folder stays
    EXPECT_EQ(seams.prompter.saveRequests.at(1).fileName, folder.filePath(QStringLiteral("statements/Check Register.csv")));
    frame::askOpenFileNames({QStringLiteral("Import Bank Statement"), QStringLiteral("All Files (*)")});
    EXPECT_EQ(seams.prompter.openRequests.at(0).folder, folder.filePath(QStringLiteral("statements")));

    QSettings raw(settings, QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Brevanta/Check Register")).toString(), QStringLiteral("1/1/2013^1^a^b^c^^5|"));
    EXPECT_EQ(raw.value(QStringLiteral("Brevanta/LastFolder")).toString(), folder.filePath(QStringLiteral("statements")));

    // A folder that went away is not offered.
    ASSERT_TRUE(QDir(folder.filePath(QStringLiteral("statements"))).removeRecursively());
    EXPECT_EQ(frame::FolderMemory(settings).lastFolder(), QString());
}

TEST(LastFolder, DoneKeepsItsTextWithTheSavedPathInItsDetails) {
    testsupport::SeamGuard seams;
    frame::sayDone(QStringLiteral("/home/pat/Check Register.xlsx"));
    ASSERT_EQ(seams.prompter.messages.size(), 1u);
    EXPECT_EQ(seams.prompter.messages[0].text, QStringLiteral("Done."));
    EXPECT_EQ(seams.prompter.messages[0].details, QStringLiteral("/home/pat/Check Register.xlsx"));
}

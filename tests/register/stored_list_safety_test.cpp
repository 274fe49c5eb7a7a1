// The stored list is never lost: a value the program cannot read is copied
// aside before anything replaces it, a store that fails at closing leaves a
// rescue file, and a full disk never cuts the settings file short.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>

#include "frame/failure.h"
#include "ledger/list_rescue.h"
#include "tests/register/form1_fixture.h"
#include "tests/support/small_disk.h"
#include "statements/register_csv.h"
#include "tests/support/files.h"

using namespace brevanta;
using brevanta::testsupport::Form1Test;

namespace {

using brevanta::testsupport::contentOf;
using brevanta::testsupport::put;

// The path a box names between `prefix` and `suffix`.
QString pathAfter(const QString& text, const QString& prefix, const QString& suffix = QStringLiteral(".")) {
    const auto match = QRegularExpression(QRegularExpression::escape(prefix) + QStringLiteral("(.+?)") +
                                          QRegularExpression::escape(suffix) + QStringLiteral("($|\\r)"))
                           .match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

class StoredListSafety : public Form1Test {
protected:
    void addRow(const char* number) {
        form->txtNumber->setText(QLatin1String(number));
        form->txtDescription->setText(QStringLiteral("Groceries, weekly"));
        form->txtDebit->setText(QStringLiteral("12.50"));
        form->PushButton2_Click();
    }
};

TEST(ListRescue, TheCsvIsTheHeadlessFormatQuotedAsRfc4180Asks) {
    const reg::TransactionList rows({{"1/1/2013", "1", "Car, used", "Auto", "Yes", "", "5000"},
                                     {"1/2/2013", "", "Say \"hi\"\nthen go", "", "", "1.5", ""}});
    EXPECT_EQ(statements::csvFromTransactions(rows),
              QByteArray("Date,Number,Description,Category,Cleared,Debit,Credit\r\n"
                         "1/1/2013,1,\"Car, used\",Auto,Yes,,5000\r\n"
                         "1/2/2013,,\"Say \"\"hi\"\"\nthen go\",,,1.5,\r\n"));

    QTemporaryDir folder;
    const QString blocked = folder.filePath(QStringLiteral("plain"));
    put(blocked, "x");
    const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
    const QString first = reg::writeRescueFile("csv", {blocked + QStringLiteral("/sub"), folder.path()}, when);
    EXPECT_EQ(first, folder.filePath(QStringLiteral("Brevanta list 20260304-050607.csv")));
    EXPECT_EQ(reg::writeRescueFile("csv", {folder.path()}, when),
              folder.filePath(QStringLiteral("Brevanta list 20260304-050607 (2).csv")));
    EXPECT_EQ(contentOf(first), "csv");
    EXPECT_THROW(reg::writeRescueFile("csv", {blocked + QStringLiteral("/sub")}, when), frame::Failure);
}

// Hand-edited values QSettings reads as something other than a text: a
// comma outside quotes makes a list of texts, "@Rect" a rectangle, a broken
// "@Variant" nothing at all.
TEST_F(StoredListSafety, AnUnreadableValueIsCopiedAsideBeforeAnythingReplacesIt) {
    for (const QByteArray& value : {QByteArray("1/1/2013^1^Car, used^Automotive^Yes^^5000|"),
                                    QByteArray("@Rect(1 2 3 4)"), QByteArray("@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1)")}) {
        SCOPED_TRACE(value.toStdString());
        const QByteArray original = "[General]\nother=kept\n\n[Brevanta]\nCheck%20Register=" + value + "\n";
        put(settingsFile(), original);
        seams.reporter.reports.clear();
        form = std::make_unique<reg::Form1>();
        form->setEnvironment(environment());
        form->Form_Load();

        ASSERT_EQ(seams.reporter.lines(), std::vector<int>{130});
        const QString description = seams.reporter.reports[0].description;
        EXPECT_TRUE(description.startsWith(QStringLiteral("Type mismatch\r\n"))) << description.toStdString();
        const QString copy = pathAfter(description, QStringLiteral("the settings file was copied to "),
                                       QStringLiteral(" before anything replaces it."));
        EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(settingsFile()) +
                                       QStringLiteral("\\.unreadable-\\d{8}-\\d{6}(-\\d+)?$"))
                        .match(copy)
                        .hasMatch())
            << description.toStdString();
        EXPECT_EQ(contentOf(copy), original);

        // The list typed afterwards is stored over the value; the copy keeps it.
        addRow("7");
        form->close();
        EXPECT_EQ(store().read(), reg::encodeSavedList(form->transactions()));
        EXPECT_EQ(contentOf(copy), original);
        EXPECT_EQ(QSettings(settingsFile(), QSettings::IniFormat).value(QStringLiteral("other")).toString(),
                  QStringLiteral("kept"));
        QFile::remove(copy);
    }
}

TEST_F(StoredListSafety, AStoreThatFailsAtClosingWritesTheListToARescueFileNamedInTheBox) {
    const QString blocker = folder.filePath(QStringLiteral("blocker"));
    put(blocker, "a plain file where the settings folder should be");
    auto env = environment();
    env.savedList = reg::SavedListStore(blocker + QStringLiteral("/settings.ini"));
    form->setEnvironment(env);
    addRow("1");
    addRow("2");
    seams.reporter.reports.clear();

    form->close();
    ASSERT_EQ(seams.reporter.lines(), std::vector<int>{108});
    const QString description = seams.reporter.reports[0].description;
    const QString rescue = pathAfter(description, QStringLiteral("The transactions were written to "));
    EXPECT_EQ(QFileInfo(rescue).absolutePath(), folder.filePath(QStringLiteral("documents")))
        << description.toStdString();
    EXPECT_EQ(contentOf(rescue), statements::csvFromTransactions(form->transactions()));
    EXPECT_TRUE(contentOf(rescue).contains("\"Groceries, weekly\",,,12.50,"));
    EXPECT_EQ(programEnds, std::vector<int>{0});  // the program still ends as it did
}

// 399 records on a disk with 20 KB left: the settings file stays whole (the
// old list), the box says so and names the rescue file.
TEST_F(StoredListSafety, AFullDiskNeverCutsTheSettingsFileShort) {
    testsupport::SmallDisk disk(128 * 1024);
    BREVANTA_NEEDS_SMALL_DISK(disk);
    const QString settings = disk.filePath(QStringLiteral("Halvorn.conf"));
    std::vector<reg::Transaction> rows;
    for (int i = 0; i < 399; ++i)
        rows.push_back({QStringLiteral("1/%1/2013").arg(i % 28 + 1), QString::number(i), QStringLiteral("Weekly shopping at the market and the bakery"),
                        QStringLiteral("Groceries"), QStringLiteral("Yes"), QStringLiteral("45.10"), QString()});
    reg::SavedListStore(settings).write(reg::encodeSavedList(rows));
    const QByteArray before = contentOf(settings);
    ASSERT_GT(before.size(), 30000);

    auto env = environment();
    env.savedList = reg::SavedListStore(settings);
    env.rescueFolders = {disk.filePath(QStringLiteral("documents")), folder.filePath(QStringLiteral("temp"))};
    form->setEnvironment(env);
    form->Form_Load();
    ASSERT_EQ(form->transactions().rowCount(), 399);
    disk.fill(20 * 1024);
    addRow("400");
    QCoreApplication::processEvents();  // the store after the change fails: one box
    form->close();

    ASSERT_EQ(seams.reporter.lines(), (std::vector<int>{108, 108}));
    EXPECT_TRUE(seams.reporter.reports[1].description.contains(QStringLiteral("No space left on device")));
    EXPECT_EQ(contentOf(settings), before);
    const QString rescue = pathAfter(seams.reporter.reports[1].description, QStringLiteral("The transactions were written to "));
    EXPECT_EQ(QFileInfo(rescue).absolutePath(), folder.filePath(QStringLiteral("temp")));
    EXPECT_EQ(contentOf(rescue).count("\r\n"), 401);
}

// The copy aside cannot be made (a full disk): the unreadable value is then
// never overwritten in this run, and closing leaves a rescue file instead.
TEST_F(StoredListSafety, WhenTheCopyAsideFailsTheValueIsNeverOverwritten) {
    testsupport::SmallDisk disk(64 * 1024);
    BREVANTA_NEEDS_SMALL_DISK(disk);
    const QString settings = disk.filePath(QStringLiteral("Halvorn.conf"));
    const QByteArray original = "[Brevanta]\nCheck%20Register=" + QByteArray(30000, 'a') + "^b, c|\n";
    put(settings, original);
    disk.fill();

    auto env = environment();
    env.savedList = reg::SavedListStore(settings);
    form->setEnvironment(env);
    form->Form_Load();
    ASSERT_EQ(seams.reporter.lines(), std::vector<int>{130});
    EXPECT_TRUE(seams.reporter.reports[0].description.contains(
        QStringLiteral("the list will not be stored until the program starts again")))
        << seams.reporter.reports[0].description.toStdString();

    QFile::remove(disk.filePath(QStringLiteral(".filler")));  // room again: still no overwrite
    addRow("1");
    QCoreApplication::processEvents();
    EXPECT_EQ(seams.reporter.reports.size(), 1u);
    form->close();
    EXPECT_EQ(contentOf(settings), original);
    ASSERT_EQ(seams.reporter.lines(), (std::vector<int>{130, 108}));
    EXPECT_TRUE(seams.reporter.reports[1].description.contains(QStringLiteral("The transactions were written to ")));
}

TEST_F(StoredListSafety, StartDoesNothingWhileAGenerationRuns) {
    int generations = 0;
    reg::Form1::Hooks hooks;
    hooks.generateCheckRegister = [&](int) {
        ++generations;
        // A second click that the running generation lets through.
        form->PushButton22_Click();
        EXPECT_TRUE(form->generating());
    };
    form->setHooks(hooks);
    form->PushButton22_Click();
    EXPECT_EQ(generations, 1);
    EXPECT_FALSE(form->generating());
    form->PushButton22_Click();
    EXPECT_EQ(generations, 2);
}

}  // namespace

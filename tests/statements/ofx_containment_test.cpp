// Hostile statements against the OFX reader's containment: what a local user
// plants in the temporary folder, files built to take the parser's time or
// the program's memory, and what is left behind afterwards. Every test runs
// with TMPDIR naming a folder of its own, set before the code under test
// looks for its temporary folder, so the real /tmp is never touched.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "statements/contained_process.h"
#include "statements/ofx_reader.h"
#include "statements/statement_file.h"
#include "tests/support/files.h"

using namespace brevanta::statements;
using brevanta::testsupport::contentOf;
using brevanta::testsupport::put;

namespace {

QByteArray fixtureBytes() { return contentOf(QStringLiteral(STATEMENT_FIXTURES "/bank_sgml.ofx")); }

// The fixture's header and <OFX>, `depth` aggregates opened inside it, and </OFX>.
QByteArray nestingBomb(int depth) {
    const QByteArray bytes = fixtureBytes();
    return bytes.left(bytes.indexOf("<OFX>") + 5) + QByteArray("<STMTTRNRS>").repeated(depth) + "</OFX>\n";
}

class OfxContainment : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temporary.isValid() && files.isValid());
        hadTmpdir = qEnvironmentVariableIsSet("TMPDIR");
        oldTmpdir = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    }
    void TearDown() override {
        if (hadTmpdir) qputenv("TMPDIR", oldTmpdir);
        else qunsetenv("TMPDIR");
    }

    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = files.filePath(name);
        put(path, bytes);
        return path;
    }

    // Everything in the test's temporary folder but the program's own
    // (empty) private folder.
    QStringList leftovers() const {
        QStringList names;
        const QString own = QStringLiteral("brevanta-%1").arg(::getuid());
        QDirIterator it(temporary.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = QDir(temporary.path()).relativeFilePath(it.next());
            if (name != own) names << name;
        }
        return names;
    }

    void shortenTimeLimit() { options.ofxLimits.seconds = 3; }

    QString failureOf(const QString& path, const std::atomic<bool>* cancel = nullptr) {
        try {
            readStatement(path, options, cancel);
        } catch (const StatementError& error) {
            return error.description();
        }
        return QStringLiteral("<read>");
    }

    QTemporaryDir temporary, files;
    bool hadTmpdir = false;
    QByteArray oldTmpdir;
    StatementReadOptions options;  // the reader's own limits unless a test shortens them
};

TEST_F(OfxContainment, ACatalogPlantedInTheTemporaryFolderIsNeverOpened) {
    const QString statement = file(QStringLiteral("bank.ofx"), fixtureBytes());
    const QString catalog = temporary.filePath(QStringLiteral("catalog"));

    // A FIFO hangs whoever opens it for reading until someone writes.
    ASSERT_EQ(::mkfifo(QFile::encodeName(catalog).constData(), 0666), 0);
    EXPECT_EQ(readStatementFile(statement).entries.size(), 5u);

    // A catalog that names an endless one.
    ASSERT_TRUE(QFile::remove(catalog));
    put(catalog, "CATALOG \"/dev/zero\"\n");
    EXPECT_EQ(readStatementFile(statement).entries.size(), 5u);

    ASSERT_TRUE(QFile::remove(catalog));
    EXPECT_EQ(leftovers(), QStringList());
}

// The containment itself, with a shell standing in for the reader.
TEST_F(OfxContainment, AContainedProgramGetsItsOwnFoldersOurEnvironmentAndLimitsAndIsStopped) {
    qputenv("SGML_CATALOG_FILES", "/tmp/catalog");  // the user's own environment is not passed on
    const auto restore = qScopeGuard([] { qunsetenv("SGML_CATALOG_FILES"); });
    const ProcessLimits limits{2, qint64(1) << 30, qint64(1) << 20};
    QString run;
    {
        const ContainedFolder folder;
        run = folder.path();
        EXPECT_TRUE(run.startsWith(temporary.path() + QStringLiteral("/brevanta-"))) << run.toStdString();
        EXPECT_EQ(QFileInfo(run).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther), 0);
        const ProcessOutcome shown = runContained(
            QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("pwd; ulimit -v; ulimit -f; export -p")},
            folder, {QStringLiteral("SGML_SEARCH_PATH=") + folder.workFolder()}, 1 << 16, limits, nullptr);
        EXPECT_EQ(shown.end, ProcessOutcome::End::Exited);
        const QStringList lines = QString::fromLocal8Bit(shown.output).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 3);
        EXPECT_EQ(lines[0], folder.workFolder());
        EXPECT_EQ(lines[1], QStringLiteral("1048576"));  // KiB: 1 GiB
        EXPECT_EQ(lines[2], QStringLiteral("2048"));     // 512-byte blocks: 1 MiB
        QStringList names;
        for (const QString& line : lines.mid(3)) names << line.section(u' ', 1).section(u'=', 0, 0);
        names.removeAll(QStringLiteral("PWD"));  // the shell's own
        names.removeAll(QStringLiteral("OLDPWD"));
        names.sort();
        EXPECT_EQ(names, (QStringList{"SGML_SEARCH_PATH", "TEMP", "TMP", "TMPDIR"}))
            << lines.join(u'\n').toStdString();
        EXPECT_TRUE(lines.contains(QStringLiteral("export TMPDIR='%1'").arg(folder.temporaryFolder())))
            << lines.join(u'\n').toStdString();

        // A program that hangs, that talks without end, or that is cancelled is killed.
        EXPECT_EQ(runContained(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec sleep 60")}, folder,
                               {QStringLiteral("PATH=/usr/bin:/bin")}, 1 << 16, limits, nullptr)
                      .end,
                  ProcessOutcome::End::TimedOut);
        EXPECT_EQ(runContained(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("while :; do echo x; done")},
                               folder, {}, 1 << 16, limits, nullptr)
                      .end,
                  ProcessOutcome::End::TooMuchOutput);
        const std::atomic<bool> cancel{true};
        EXPECT_EQ(runContained(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec sleep 60")}, folder,
                               {QStringLiteral("PATH=/usr/bin:/bin")}, 1 << 16, limits, &cancel)
                      .end,
                  ProcessOutcome::End::Cancelled);
        put(folder.temporaryFolder() + QStringLiteral("/libofxtmpXXXXXX"), "account 12345");
    }
    EXPECT_FALSE(QFileInfo::exists(run));
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(OfxContainment, ANestingBombIsStoppedWithOneClearErrorAndLeavesNothing) {
    shortenTimeLimit();
    for (int depth : {8000, 50000}) {
        const QString message = failureOf(file(QStringLiteral("bomb.ofx"), nestingBomb(depth)));
        EXPECT_EQ(message, QStringLiteral("bomb.ofx: reading the statement took more than 3 seconds and was stopped; "
                                          "the file may be built to hang the program"))
            << depth;
        EXPECT_EQ(leftovers(), QStringList()) << depth;
    }
}

TEST_F(OfxContainment, ACancelledReadingStopsTheReaderAndLeavesNothing) {
    std::atomic<bool> cancel{true};
    try {
        readStatementFile(file(QStringLiteral("bomb.ofx"), nestingBomb(50000)), &cancel);
        ADD_FAILURE() << "read";
    } catch (const ReadCancelled& cancelled) {
        EXPECT_EQ(cancelled.description(), QStringLiteral("bomb.ofx: the import was cancelled"));
    }
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(OfxContainment, TheFolderOfAReaderWhoseProgramDiedIsRemovedByTheNextReading) {
    // As a killed program leaves it: its run folder with libofx's copy of a statement.
    const QString own = temporary.filePath(QStringLiteral("brevanta-%1").arg(::getuid()));
    const QString abandoned = own + QStringLiteral("/run-999999999-AbCdEf/tmp");
    ASSERT_TRUE(QDir().mkpath(abandoned));
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0700), 0);
    put(abandoned + QStringLiteral("/libofxtmpXXXXXX"), fixtureBytes());
    EXPECT_EQ(readStatementFile(file(QStringLiteral("bank.ofx"), fixtureBytes())).entries.size(), 5u);
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(OfxContainment, LargeStatementsOfEveryKindAreRefusedBeforeParsing) {
    for (const char* start : {"OFXHEADER:100\n<OFX>\n", "!Type:Bank\n", "Date,Amount\n"}) {
        // 200 MB without the disk space: all but the start is a hole.
        const QString path = files.filePath(QStringLiteral("huge.txt"));
        put(path, start);
        ASSERT_TRUE(QFile::resize(path, qint64(200) << 20));
        EXPECT_EQ(failureOf(path), QStringLiteral("huge.txt: the file is 200 MB; statements larger than 50 MB are not read"))
            << start;
        QFile::remove(path);
    }

    QByteArray qif("!Type:Bank\n");
    qif += QByteArray("D1/2/2025\nT-1.00\n^\n").repeated(kMostStatementTransactions + 1);
    EXPECT_EQ(failureOf(file(QStringLiteral("long.qif"), qif)),
              QStringLiteral("long.qif: the statement has 65,532 transactions; a register holds at most 65,531, "
                             "so nothing was read"));
    const QByteArray bytes = fixtureBytes();
    const qsizetype first = bytes.indexOf("<STMTTRN>");
    const QByteArray ofx = bytes.left(first) + QByteArray("<STMTTRN></STMTTRN>").repeated(70000) + bytes.mid(first);
    EXPECT_EQ(failureOf(file(QStringLiteral("long.ofx"), ofx)),
              QStringLiteral("long.ofx: the statement has 70,005 transactions; a register holds at most 65,531, "
                             "so nothing was read"));
    EXPECT_EQ(leftovers(), QStringList());
}

TEST_F(OfxContainment, ANameLibofxCutsInsideACharacterKeepsTheWholeCharactersBeforeTheCut) {
    // A Windows-1252 file: libofx converts the name to UTF-8 ("é" takes two
    // bytes) and keeps 97 bytes of it, which ends in half an "é".
    QByteArray bytes = fixtureBytes();
    const QString name = QStringLiteral("ab") + QString(60, QChar(0xE9));
    bytes.replace("PAYROLL ACME WIDGETS", name.toLatin1());
    const Statement statement = readStatementFile(file(QStringLiteral("names.ofx"), bytes));
    ASSERT_EQ(statement.entries.size(), 5u);
    EXPECT_EQ(statement.entries[1].payee, QStringLiteral("ab") + QString(47, QChar(0xE9)));
    EXPECT_EQ(statement.entries[1].memo, QStringLiteral("Direct deposit"));
}

}  // namespace

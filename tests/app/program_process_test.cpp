// The real program as a process, on the offscreen platform with a home of
// its own: every change of the list survives a SIGKILL, also one in the
// middle of storing a long list, and a second start only shows the first.
// The driven program is the test executable; `brevanta` as shipped follows
// no script.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <QSettings>

#include "ledger/saved_list.h"

namespace brevanta {
namespace {

class ProgramProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        for (const char* folder : {"config", "run", "temp"}) QDir(home.path()).mkdir(QLatin1String(folder));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    std::unique_ptr<QProcess> start(const QString& script, const QString& command = QStringLiteral(BREVANTA_COMMAND)) {
        auto program = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        environment.insert(QStringLiteral("TEMP"), home.filePath(QStringLiteral("temp")));
        environment.insert(QStringLiteral("TMPDIR"), home.filePath(QStringLiteral("temp")));
        environment.remove(QStringLiteral("BREVANTA_TEST_SCRIPT"));
        if (!script.isEmpty()) environment.insert(QStringLiteral("BREVANTA_TEST_SCRIPT"), script);
        program->setProcessEnvironment(environment);
        program->start(command, {});
        EXPECT_TRUE(program->waitForStarted(10000));
        return program;
    }

    // The next line of standard output that starts with `prefix`, without it.
    static QString waitForLine(QProcess& program, const QString& prefix, int milliseconds = 60000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < milliseconds) {
            while (program.canReadLine()) {
                const QString line = QString::fromUtf8(program.readLine()).chopped(1);
                if (line.startsWith(prefix)) return line.mid(prefix.size());
            }
            if (program.state() == QProcess::NotRunning) break;
            program.waitForReadyRead(100);
        }
        ADD_FAILURE() << "no line starting \"" << prefix.toStdString() << "\"; standard error: "
                      << program.readAllStandardError().toStdString();
        return QStringLiteral("<missing>");
    }

    static void killHard(QProcess& program) {
        program.kill();  // SIGKILL
        program.waitForFinished(10000);
    }

    QString settingsFile() const { return home.filePath(QStringLiteral("config/Halvorn.conf")); }
    QString stored() const { return reg::SavedListStore(settingsFile()).read(); }
    // Temporary files a store killed in its middle leaves beside the settings.
    QStringList leftoverTemporaries() const {
        return QDir(home.filePath(QStringLiteral("config")))
            .entryList({QStringLiteral(".Halvorn.conf.*")}, QDir::Files | QDir::Hidden);
    }

    QTemporaryDir home;
};

TEST_F(ProgramProcess, EveryRouteThatChangesTheListSurvivesAKill) {
    const char* routes[] = {"add 1^Groceries^Food^^12.50^", "add 2^Rent^Home^Yes^^700", "sample",
                            "select 2\ndelete", "edit 1^2^Groceries, weekly", "import 3^Bank", "clear no",
                            "clear yes", "add 3^After clearing^^^1^"};
    const int rowsAfter[] = {1, 2, 4, 3, 3, 6, 6, 0, 1};
    QString previous;
    for (size_t i = 0; i < std::size(routes); ++i) {
        SCOPED_TRACE(routes[i]);
        auto program = start(QStringLiteral("print\n") + QLatin1String(routes[i]) + QStringLiteral("\nprint"));
        EXPECT_EQ(waitForLine(*program, QStringLiteral("list ")), previous);  // as the last run left it
        const QString changed = waitForLine(*program, QStringLiteral("list "));
        waitForLine(*program, QStringLiteral("done"));
        killHard(*program);
        EXPECT_EQ(changed.count(QLatin1Char('|')), rowsAfter[i]);
        EXPECT_EQ(stored(), changed);
        previous = changed;
    }
    EXPECT_TRUE(previous.contains(QStringLiteral("^3^After clearing^")));
    EXPECT_TRUE(leftoverTemporaries().isEmpty());
    // The file stays the one QSettings writes and reads: the group and the escaped key.
    QFile file(settingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("[Brevanta]\nCheck%20Register="));
}

TEST_F(ProgramProcess, AKillInTheMiddleOfStoringALongListLeavesTheOldOrTheNewList) {
    constexpr int kRows = 32768;
    auto program = start(QStringLiteral("import %1^Big").arg(kRows));
    waitForLine(*program, QStringLiteral("done"));
    killHard(*program);
    std::vector<reg::SavedRecord> imported = reg::decodeSavedList(stored());
    ASSERT_EQ(imported.size(), size_t(kRows));

    // "churn" stores the whole list again and again. Half the kills land at
    // random points of it; the other half the moment a store's temporary
    // file appears beside the settings, so some surely land mid-store. A
    // temporary file left beside shows a kill mid-store.
    int killsInAStore = 0;
    QRandomGenerator random(7);
    for (int attempt = 0; attempt < 20 && (attempt < 6 || killsInAStore < 2); ++attempt) {
        program = start(QStringLiteral("churn"));
        waitForLine(*program, QStringLiteral("stored 2"));
        if (attempt % 2) {
            QThread::msleep(random.bounded(40));
        } else {
            QElapsedTimer waited;
            waited.start();
            while (leftoverTemporaries().isEmpty() && waited.elapsed() < 3000) QThread::usleep(200);
        }
        killHard(*program);

        const QStringList leftovers = leftoverTemporaries();
        if (!leftovers.isEmpty()) ++killsInAStore;
        for (const QString& name : leftovers) QFile::remove(home.filePath(QStringLiteral("config/") + name));

        const std::vector<reg::SavedRecord> records = reg::decodeSavedList(stored());
        ASSERT_EQ(records.size(), size_t(kRows)) << "attempt " << attempt;
        bool numbered = false;
        EXPECT_GT(records[0].fields[reg::Number].toInt(&numbered), 0);
        EXPECT_TRUE(numbered);
        for (int row = 1; row < kRows; ++row)
            ASSERT_EQ(records[size_t(row)], imported[size_t(row)]) << "attempt " << attempt << " row " << row;
    }
    RecordProperty("killsInAStore", killsInAStore);
    EXPECT_GE(killsInAStore, 1);

    // And the program reads it back whole.
    program = start(QStringLiteral("print"));
    EXPECT_EQ(waitForLine(*program, QStringLiteral("list ")), stored());
    killHard(*program);
}

TEST_F(ProgramProcess, ASecondStartShowsTheRunningWindowAndEndsWithZero) {
    auto first = start(QStringLiteral("sample"));
    waitForLine(*first, QStringLiteral("done"));
    auto second = start(QString());
    ASSERT_TRUE(second->waitForFinished(20000));  // a box of its own would never close
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(waitForLine(*first, QStringLiteral("shown ")), QStringLiteral("Form1"));
    killHard(*first);

    // The lock the killed copy left does not keep the next one from starting.
    EXPECT_FALSE(QDir(home.filePath(QStringLiteral("run"))).entryList({QStringLiteral("*.lock")}).isEmpty());
    first = start(QStringLiteral("generate"));
    waitForLine(*first, QStringLiteral("done"));
    second = start(QString());
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitCode(), 0);
    // The preview is the window shown after a generation.
    EXPECT_EQ(waitForLine(*first, QStringLiteral("shown ")), QStringLiteral("Form2"));
    killHard(*first);
}

}  // namespace
}  // namespace brevanta

namespace brevanta {
namespace {

TEST_F(ProgramProcess, TheEndOfTheSessionStoresTheListAndEndsTheProgram) {
    // The store at the change is taken away, so only the signal can put the list back.
    for (const auto& [signalName, number] : {std::pair{"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}, {"SIGINT", SIGINT}}) {
        auto program = start(QStringLiteral("add 7^Signal^Test^^1^\nprint"));
        const QString list = waitForLine(*program, QStringLiteral("list "));
        QFile::remove(settingsFile());
        ::kill(pid_t(program->processId()), number);
        ASSERT_TRUE(program->waitForFinished(10000)) << signalName;
        EXPECT_EQ(program->exitStatus(), QProcess::NormalExit) << signalName;
        EXPECT_EQ(program->exitCode(), 0) << signalName;
        EXPECT_EQ(stored(), list) << signalName;
        EXPECT_TRUE(list.contains(QStringLiteral("^Signal^"))) << list.toStdString();
    }
}

}  // namespace
}  // namespace brevanta

namespace brevanta {
namespace {

// A script that would wipe the stored list and end the program: the shipped
// program neither runs it nor prints anything, and keeps the list.
TEST_F(ProgramProcess, TheShippedProgramFollowsNoTestScript) {
    QFile binary(QStringLiteral(BREVANTA_SHIPPED_COMMAND));
    ASSERT_TRUE(binary.open(QIODevice::ReadOnly));
    EXPECT_FALSE(binary.readAll().contains("BREVANTA_TEST_SCRIPT"));

    const QString list = QStringLiteral("1/1/2013^1^Sold My Used Car^Automotive^Yes^^5000|");
    reg::SavedListStore(settingsFile()).write(list);
    auto shipped = start(QStringLiteral("print\nclear yes\nprint\nquit"), QStringLiteral(BREVANTA_SHIPPED_COMMAND));
    // It listens once it holds the lock.
    QDir run(home.filePath(QStringLiteral("run")));
    QElapsedTimer waited;
    waited.start();
    while (run.entryList({QStringLiteral("*.socket")}, QDir::System).isEmpty()) {
        ASSERT_LT(waited.elapsed(), 60000) << "the program never listened";
        ASSERT_EQ(shipped->state(), QProcess::Running);
        QThread::msleep(20);
    }
    // A second start ends at once only when the first one runs and answers:
    // its start-up is over and the script, had it one, would have begun.
    auto second = start(QString(), QStringLiteral(BREVANTA_SHIPPED_COMMAND));
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitCode(), 0);
    // Its "quit" would have ended it; "print" would have written the list.
    EXPECT_EQ(shipped->state(), QProcess::Running);
    killHard(*shipped);
    EXPECT_EQ(shipped->readAllStandardOutput(), QByteArray());
    EXPECT_FALSE(shipped->readAllStandardError().contains("box "));
    EXPECT_EQ(stored(), list);
}

}  // namespace
}  // namespace brevanta

namespace brevanta {
namespace {

// A FIFO planted where the settings file goes would block the start for
// ever. The start goes on with one box and moves the FIFO aside: copying it
// would block as well, and left in place it would meet the next start.
TEST_F(ProgramProcess, AFifoAsTheSettingsFileIsMovedAsideWithOneBox) {
    // The program's own idea of the file, named as QSettings names it.
    EXPECT_EQ(QSettings(home.filePath(QStringLiteral("config/Halvorn.conf")), QSettings::IniFormat).fileName(),
              settingsFile());
    ASSERT_EQ(::mkfifo(QFile::encodeName(settingsFile()).constData(), 0600), 0);
    auto program = start(QStringLiteral("add 1^After the FIFO^^^1^\nprint"));
    const QString list = waitForLine(*program, QStringLiteral("list "));
    waitForLine(*program, QStringLiteral("done"));
    killHard(*program);
    const QString errors = QString::fromUtf8(program->readAllStandardError());
    const QStringList boxes = errors.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^box ")));
    ASSERT_EQ(boxes.size(), 1) << boxes.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("is not a regular file"))) << boxes[0].toStdString();

    const QStringList aside = QDir(home.filePath(QStringLiteral("config")))
                                  .entryList({QStringLiteral("Halvorn.conf.unreadable-*")}, QDir::System);
    ASSERT_EQ(aside.size(), 1);
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(home.filePath(QStringLiteral("config/") + aside[0])).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_TRUE(errors.contains(QStringLiteral("was moved to ") + home.filePath(QStringLiteral("config/") + aside[0])))
        << errors.toStdString();
    // The list typed afterwards is stored in a regular file again.
    EXPECT_TRUE(QFileInfo(settingsFile()).isFile());
    EXPECT_EQ(stored(), list);
}

}  // namespace
}  // namespace brevanta

// The list is stored after every change, whichever route made it, and a
// store that keeps failing shows one box, not one per change.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include "tests/register/form1_fixture.h"

using namespace brevanta;
using brevanta::testsupport::Form1Test;

namespace {

class StoreOnChange : public Form1Test {
protected:
    // Lets the store that a change scheduled run.
    void settle() { QCoreApplication::processEvents(); }
    QString listAsStored() { return reg::encodeSavedList(form->transactions()); }
    void add(const char* number) {
        form->txtNumber->setText(QLatin1String(number));
        form->txtDescription->setText(QStringLiteral("Typed"));
        form->txtDebit->setText(QStringLiteral("12.50"));
        form->PushButton2_Click();
    }
};

TEST_F(StoreOnChange, EveryRouteThatChangesTheListStoresItAtOnce) {
    form->Form_Load();
    form->show();
    EXPECT_FALSE(form->storePending());

    add("1");
    add("2");
    EXPECT_TRUE(form->storePending());
    settle();
    EXPECT_FALSE(form->storePending());
    EXPECT_EQ(store().read(), listAsStored());
    EXPECT_EQ(form->transactions().rowCount(), 2);

    form->PushButton4_Click();  // Load Sample
    settle();
    EXPECT_EQ(form->transactions().rowCount(), 4);
    EXPECT_EQ(store().read(), listAsStored());

    setCurrentRow(1);
    form->PushButton1_Click();  // Delete Selected
    settle();
    EXPECT_EQ(form->transactions().rowCount(), 3);
    EXPECT_EQ(store().read(), listAsStored());

    form->model().edit(0, reg::Description, QStringLiteral("Edited in place"));
    settle();
    EXPECT_TRUE(store().read().contains(QStringLiteral("^Edited in place^")));

    form->appendTransaction({QStringLiteral("2/2/2013"), QStringLiteral("9"), QStringLiteral("Imported"), {}, {}, {},
                             QStringLiteral("1")});
    settle();
    EXPECT_EQ(store().read(), listAsStored());

    seams.prompter.answers = {frame::Answer::No};
    form->PushButton3_Click();  // Clear, answered No: nothing changes, nothing stored
    EXPECT_FALSE(form->storePending());
    seams.prompter.answers = {frame::Answer::Yes};
    form->PushButton3_Click();
    settle();
    EXPECT_EQ(store().read(), QString());

    EXPECT_TRUE(seams.reporter.reports.empty());
}

// Reading the list back at start-up is no change: the stored text stays as it
// was, even where the rows read differ from it (a short record).
TEST_F(StoreOnChange, StartUpDoesNotRewriteTheStoredList) {
    store().write(QStringLiteral("1/1/2013^1^a^b^c^^|only a date|"));
    form->Form_Load();
    settle();
    EXPECT_FALSE(form->storePending());
    EXPECT_EQ(store().read(), QStringLiteral("1/1/2013^1^a^b^c^^|only a date|"));
    EXPECT_EQ(seams.reporter.lines(), (std::vector<int>{140, 142, 144, 146, 148, 150}));
}

TEST_F(StoreOnChange, AFailingStoreShowsOneBoxUntilOneSucceedsAndClosingReportsAgain) {
    // A settings file whose folder is a plain file cannot be written, whoever runs the test.
    const QString blocker = folder.filePath(QStringLiteral("blocker"));
    auto blockFolder = [&] {
        QDir(blocker).removeRecursively();
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    blockFolder();
    auto env = environment();
    env.savedList = reg::SavedListStore(blocker + QStringLiteral("/settings.ini"));
    form->setEnvironment(env);
    form->show();

    add("1");
    settle();
    ASSERT_EQ(seams.reporter.lines(), std::vector<int>{108});
    EXPECT_EQ(seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.Form1.Form_QueryUnload "));
    EXPECT_TRUE(seams.reporter.reports[0].description.endsWith(QStringLiteral(": Not a directory")))
        << seams.reporter.reports[0].description.toStdString();
    for (const char* number : {"2", "3", "4"}) {
        add(number);
        settle();
    }
    form->PushButton4_Click();
    settle();
    EXPECT_EQ(seams.reporter.reports.size(), 1u);  // still failing, still quiet

    // The folder comes back: the next store succeeds quietly and holds every row.
    ASSERT_TRUE(QFile::remove(blocker));
    ASSERT_TRUE(QDir().mkdir(blocker));
    add("5");
    settle();
    EXPECT_EQ(seams.reporter.reports.size(), 1u);
    EXPECT_EQ(env.savedList.read(), listAsStored());
    EXPECT_EQ(form->transactions().rowCount(), 7);

    // Failing again after a success is news again.
    blockFolder();
    add("6");
    settle();
    add("7");
    settle();
    EXPECT_EQ(seams.reporter.lines(), (std::vector<int>{108, 108}));

    form->close();
    EXPECT_EQ(seams.reporter.lines(), (std::vector<int>{108, 108, 108}));
    EXPECT_EQ(programEnds, std::vector<int>{0});
}

}  // namespace

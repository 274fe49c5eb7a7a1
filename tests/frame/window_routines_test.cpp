#include <QCoreApplication>
#include <QApplication>
#include <QDir>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "frame/app_title.h"
#include "frame/disk_files.h"
#include "frame/prompter.h"
#include "frame/window_look.h"
#include "frame/web_site_visit.h"
#include "frame/failure.h"

using namespace brevanta;

TEST(CommonRoutines, FileExistsAndQuietDeletes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.xls"));
    EXPECT_FALSE(frame::fileExists(QString()));
    EXPECT_FALSE(frame::fileExists(path));
    QFile(path).open(QIODevice::WriteOnly);
    EXPECT_TRUE(frame::fileExists(path));

    // returns quietly, and runs no other event meanwhile (no click can re-enter the program there)
    bool otherEventRan = false;
    QTimer::singleShot(0, [&] { otherEventRan = true; });
    frame::deleteFileQuietly(dir.filePath(QStringLiteral("missing")));
    EXPECT_FALSE(otherEventRan);
    QCoreApplication::processEvents();
    EXPECT_TRUE(otherEventRan);

    QFile::setPermissions(path, QFileDevice::ReadOwner);  // read-only: the forced delete removes it
    frame::deleteFileQuietly(path);
    EXPECT_FALSE(frame::fileExists(path));
    EXPECT_THROW(frame::forceDeleteFile(path), frame::Failure);
}

TEST(CommonRoutines, AppTitleIsCutBackByWholeWords) {
    EXPECT_EQ(frame::titleFromProductTitle(QStringLiteral("Brevanta")), QStringLiteral("Brevanta"));
    const QString longTitle = QStringLiteral("Brevanta Checkbook Register For Households And Small Offices");
    const QString cut = frame::titleFromProductTitle(longTitle);
    EXPECT_LE(cut.size(), 40);
    EXPECT_TRUE(longTitle.startsWith(cut + QLatin1Char(' ')));
}

TEST(CommonRoutines, WebSiteOpensOnlyOnSeven) {
    QStringList opened;
    for (int draw = 1; draw <= 100; ++draw)
        frame::maybeOpenWebSite({[draw] { return draw; }, [&](const QString& url) { opened << url; }});
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].startsWith(QStringLiteral("https://")));
}

TEST(CommonRoutines, SkinIsOptionalAndAppliedWhenPresent) {
    QTemporaryDir dir;
    QWidget window;
    frame::applySkin(&window, dir.path());
    EXPECT_TRUE(window.styleSheet().isEmpty());
    QDir(dir.path()).mkpath(QStringLiteral("x"));
    QFile skin(dir.filePath(QStringLiteral("x/o.cjs")));
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write("QWidget { color: navy; }");
    skin.close();
    frame::applySkin(&window, dir.path());
    EXPECT_EQ(window.styleSheet(), QStringLiteral("QWidget { color: navy; }"));
}

// A name typed without an extension takes the chosen filter's; one with an
// extension, or a filter without one, leaves it as typed.
TEST(SaveDialogNames, TakeTheFiltersExtensionOnlyWhenTheyHaveNone) {
    using brevanta::frame::withFilterExtension;
    EXPECT_EQ(withFilterExtension(QStringLiteral("/home/me/reg"), QStringLiteral("PDF Files (*.pdf)")),
              QStringLiteral("/home/me/reg.pdf"));
    EXPECT_EQ(withFilterExtension(QStringLiteral("reg"), QStringLiteral("Excel Files (*.xls);;Excel Workbook (*.xlsx)")),
              QStringLiteral("reg.xls"));
    EXPECT_EQ(withFilterExtension(QStringLiteral("reg.old.csv"), QStringLiteral("CSV Files (*.csv)")),
              QStringLiteral("reg.old.csv"));
    EXPECT_EQ(withFilterExtension(QStringLiteral("my.register"), QStringLiteral("CSV Files (*.csv)")),
              QStringLiteral("my.register"));
    EXPECT_EQ(withFilterExtension(QStringLiteral("reg"), QStringLiteral("All Files (*)")), QStringLiteral("reg"));
    EXPECT_EQ(withFilterExtension(QString(), QStringLiteral("CSV Files (*.csv)")), QString());  // cancelled
}

// The program's own box: a question's default answer is No, so a stray
// Enter never clears the list or replaces a file.
TEST(QtPrompter, AQuestionAnswersNoToEnter) {
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(box, &press);
        }
    });
    // A box that Enter does not close is answered Yes, so the test fails rather than waits.
    QTimer::singleShot(2000, [] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) box->done(QMessageBox::Yes);
    });
    brevanta::frame::setPrompter(nullptr);
    const auto answer = brevanta::frame::prompter().message(QStringLiteral("Brevanta"), QStringLiteral("Clear?"),
                                                            brevanta::frame::Buttons::YesNo, brevanta::frame::Icon::None);
    EXPECT_EQ(answer, brevanta::frame::Answer::No);
}

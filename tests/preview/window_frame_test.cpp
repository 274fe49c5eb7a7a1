// What surrounds the preview's client area: the menu bar and its commands,
// resizing, Ctrl+wheel zoom around the pointer, the zoom in the title, the
// far edges in view at full scroll, and readable text under a dark palette.

#include <QFileInfo>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "frame/app_title.h"
#include "preview/form2.h"
#include "preview/image_surface.h"
#include "tests/preview/register_picture.h"
#include "tests/support/dark_theme.h"
#include "tests/support/recording.h"
#include "tests/xls/register_workbook.h"
#include "xls/xls_file.h"

using namespace brevanta;
using preview::Form2;

namespace {

class PreviewFrame : public ::testing::Test {
protected:
    testsupport::SeamGuard seams;
};

QStringList actionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator()) texts << action->text();
    return texts;
}

// A Ctrl+wheel notch (or several) over the picture at `position` on the surface.
void ctrlWheel(Form2& form, QPoint position, int angle) {
    QWheelEvent event(QPointF(position), QPointF(form.Picture1->mapToGlobal(position)), QPoint(), QPoint(0, angle),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form.Picture1, &event);
}

// The picture point (in the picture's own pixels) under a point of the viewport.
QPointF picturePointUnder(const Form2& form, QPoint inViewport) {
    return QPointF(inViewport - form.Picture1->pos()) / form.Picture1->scaleX();
}

// A picture whose last column and last row end in a black edge a pixel wide.
QImage framedPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.fillRect(width - 1, 0, 1, height, Qt::black);
    painter.fillRect(0, height - 1, width, 1, Qt::black);
    return picture;
}

using testsupport::darkPalette;

double contrast(const QImage& image, const QRect& area) { return testsupport::contrastIn(image, area); }

}  // namespace

TEST_F(PreviewFrame, TheMenuBarSitsAboveTheClientAreaWhichKeepsEveryControlInPlace) {
    Form2 form;
    form.show();
    const int bar = form.MenuBar1->height();
    ASSERT_GT(bar, 0);
    EXPECT_EQ(form.MenuBar1->geometry(), QRect(0, 0, 656, bar));
    EXPECT_EQ(form.clientArea()->geometry(), QRect(0, bar, 656, 626));
    EXPECT_EQ(form.size(), QSize(656, 626 + bar));
    EXPECT_EQ(form.minimumSize().width(), form.size().width());
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    // Where every control has always been, in the client area (the zoom buttons in their frame).
    EXPECT_EQ(form.Picture2->geometry(), QRect(8, 8, 622, 495));
    EXPECT_EQ(form.VScroll1->geometry(), QRect(630, 8, 17, 495));
    EXPECT_EQ(form.HScroll1->geometry(), QRect(8, 503, 622, 17));
    EXPECT_EQ(form.Frame1->geometry(), QRect(8, 524, 640, 57));
    EXPECT_EQ(form.PushButton1->geometry(), QRect(16, 20, 296, 27));
    EXPECT_EQ(form.PushButton2->geometry(), QRect(320, 20, 304, 27));
    EXPECT_EQ(form.PushButton8->geometry(), QRect(8, 590, 312, 27));
    EXPECT_EQ(form.PushButton6->geometry(), QRect(328, 590, 320, 27));
    for (QWidget* control : {static_cast<QWidget*>(form.Picture2), static_cast<QWidget*>(form.VScroll1),
                             static_cast<QWidget*>(form.HScroll1), static_cast<QWidget*>(form.Frame1),
                             static_cast<QWidget*>(form.PushButton1), static_cast<QWidget*>(form.PushButton2),
                             static_cast<QWidget*>(form.PushButton8), static_cast<QWidget*>(form.PushButton6)}) {
        EXPECT_EQ(control->parentWidget() == form.Frame1 ? form.Frame1->parentWidget() : control->parentWidget(),
                  form.clientArea());
        EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
    }
    EXPECT_EQ(form.PushButton1->text(), QStringLiteral("Zoom In"));

    EXPECT_EQ(actionTexts(form.mnuFile),
              QStringList({QStringLiteral("&Save Copy…"), QStringLiteral("Print…"), QStringLiteral("Export PDF…"),
                           QStringLiteral("&Back")}));
    EXPECT_EQ(actionTexts(form.mnuView),
              QStringList({QStringLiteral("Zoom &In"), QStringLiteral("Zoom &Out"), QStringLiteral("&Actual Size")}));
    EXPECT_EQ(actionTexts(form.mnuHelp),
              QStringList({QStringLiteral("&Keyboard Shortcuts"), QStringLiteral("&About Brevanta")}));
    for (const QMenu* menu : {form.mnuFile, form.mnuView, form.mnuHelp})
        for (const QAction* action : menu->actions()) {
            if (action->isSeparator()) continue;
            EXPECT_FALSE(action->toolTip().isEmpty()) << action->text().toStdString();
        }
    EXPECT_EQ(form.mnuSaveCopy->shortcut(), QKeySequence(QKeySequence::Save));
    EXPECT_EQ(form.mnuPrint->shortcut(), QKeySequence(QKeySequence::Print));
    EXPECT_EQ(form.mnuZoomIn->shortcut(), QKeySequence(QKeySequence::ZoomIn));
    EXPECT_EQ(form.mnuZoomOut->shortcut(), QKeySequence(QKeySequence::ZoomOut));
    EXPECT_EQ(form.mnuActualSize->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));
    // Options added to the View menu come after its zoom commands.
    EXPECT_EQ(form.viewMenu(), form.mnuView);
    QAction* option = form.viewMenu()->addAction(QStringLiteral("Option"));
    EXPECT_TRUE(form.viewMenu()->actions().at(form.viewMenu()->actions().indexOf(option) - 1)->isSeparator());
}

TEST_F(PreviewFrame, EveryMenuCommandDoesWhatItsButtonDoes) {
    QTemporaryDir folder;
    Form2 form;
    form.mExcelFile = folder.filePath(QStringLiteral("vantor55667788.xls"));
    xls::writeWorkbook(*xlstest::registerWorkbook(3), form.mExcelFile);
    form.setPicture(testsupport::registerPicture(100));
    bool mainWindowShown = false;
    form.showMainWindow = [&] { mainWindowShown = true; };
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    // View: the zoom buttons' steps, by menu and by key; Actual Size back to 100 %.
    form.mnuZoomIn->trigger();
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.25f);
    QTest::keySequence(&form, QKeySequence::ZoomIn);
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.5f);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("150 % \u2014 Brevanta"));
    // Ending with the program's name, the title gets no second one from the window system.
    EXPECT_TRUE(form.windowTitle().endsWith(frame::appTitle()));
    EXPECT_EQ(form.PushButton1->text(), QStringLiteral("Zoom In"));
    form.mnuZoomOut->trigger();
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.25f);
    form.VScroll1->setValue(40);
    QTest::keyClick(&form, Qt::Key_0, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.0f);
    EXPECT_EQ(form.Picture1->size(), QSize(1000, 2800));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("100 % \u2014 Brevanta"));
    form.VScroll1->setValue(40);
    form.mnuActualSize->trigger();  // at 100 % already: the picture stays where it is
    EXPECT_EQ(form.VScroll1->value(), 40);
    for (int press = 0; press < 5; ++press) form.mnuZoomOut->trigger();
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 0.25f);  // the buttons' limit
    EXPECT_EQ(form.windowTitle(), QStringLiteral("25 % \u2014 Brevanta"));

    // File: Save Copy asks as the button does (Ctrl+S too), Print and Export PDF are the right-click commands.
    form.mnuSaveCopy->trigger();
    QTest::keySequence(&form, QKeySequence::Save);
    ASSERT_EQ(seams.prompter.saveRequests.size(), 2u);
    EXPECT_EQ(seams.prompter.saveRequests[1].title, QStringLiteral("Save File"));
    EXPECT_EQ(QFileInfo(seams.prompter.saveRequests[1].fileName).fileName(), QStringLiteral("Check Register.xls"));
    QTest::keySequence(&form, QKeySequence::Print);
    EXPECT_EQ(seams.prompter.printDialogs, 1);
    EXPECT_TRUE(form.PopupMenu1->actions().contains(form.mnuPrint));
    const QString pdf = folder.filePath(QStringLiteral("register.pdf"));
    seams.prompter.fileNames = {pdf};
    form.mnuExportPdf->trigger();
    EXPECT_TRUE(QFile::exists(pdf));

    // Help: both boxes go through the prompter.
    form.mnuKeyboardShortcuts->trigger();
    ASSERT_FALSE(seams.prompter.messages.empty());
    for (const QKeySequence::StandardKey key : {QKeySequence::ZoomIn, QKeySequence::ZoomOut, QKeySequence::Save,
                                                QKeySequence::Print})
        EXPECT_TRUE(seams.prompter.messages.back().text.contains(QKeySequence(key).toString(QKeySequence::NativeText)));
    EXPECT_TRUE(seams.prompter.messages.back().text.contains(QStringLiteral("Ctrl+0")));
    form.mnuAbout->trigger();
    EXPECT_TRUE(seams.prompter.messages.back().text.startsWith(QStringLiteral("Brevanta 1.")));

    // Back: the workbook goes, the main window shows, the preview hides.
    form.mnuBack->trigger();
    EXPECT_TRUE(mainWindowShown);
    EXPECT_FALSE(QFile::exists(form.mExcelFile));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(PreviewFrame, EnlargingTheWindowGrowsTheViewportAndKeepsTheButtonsByTheBottomEdge) {
    Form2 form;
    form.setPicture(testsupport::registerPicture(100));  // 1,000 x 2,800 pixels
    form.show();
    form.VScroll1->setValue(50);
    const QPoint before = form.Picture1->pos();
    ASSERT_TRUE(form.HScroll1->isEnabled());

    form.resize(form.width() + 400, form.height() + 150);
    EXPECT_EQ(form.clientArea()->size(), QSize(1056, 776));
    EXPECT_EQ(form.Picture2->geometry(), QRect(8, 8, 1022, 645));
    EXPECT_EQ(form.VScroll1->geometry(), QRect(1030, 8, 17, 645));
    EXPECT_EQ(form.HScroll1->geometry(), QRect(8, 653, 1022, 17));
    EXPECT_EQ(form.Frame1->geometry(), QRect(8, 674, 640, 57));
    EXPECT_EQ(form.PushButton8->geometry(), QRect(8, 740, 312, 27));
    EXPECT_EQ(form.PushButton6->geometry(), QRect(328, 740, 320, 27));
    // The picture now fits across; down it stays where it was, with the range for the taller viewport.
    EXPECT_FALSE(form.HScroll1->isEnabled());
    EXPECT_EQ(form.Picture1->pos(), before);
    EXPECT_EQ(form.VScroll1->value(), 50);
    form.VScroll1->setValue(form.VScroll1->maximum());
    EXPECT_EQ(form.Picture1->geometry().bottom(), form.Picture2->clientArea()->height() - 1);

    // Never narrower than the opening size. Shorter (a screen at a scale factor of 2), the
    // viewport gives up height down to 120 pixels and every button stays below it, in the window.
    form.resize(100, 100);
    EXPECT_EQ(form.clientArea()->size(), QSize(656, 251));
    EXPECT_EQ(form.Picture2->size(), QSize(622, 120));
    EXPECT_EQ(form.HScroll1->y(), form.Picture2->geometry().bottom() + 1);
    for (const QWidget* button : {form.PushButton8, form.PushButton6})
        EXPECT_TRUE(form.clientArea()->rect().contains(button->geometry())) << button->objectName().toStdString();
    EXPECT_EQ(form.Frame1->geometry(), QRect(8, 149, 640, 57));
    form.resize(656, 626 + form.MenuBar1->height());
    EXPECT_EQ(form.Picture2->size(), QSize(622, 495));
    form.showMaximized();
    QTest::qWait(0);
    EXPECT_GT(form.Picture2->width(), 622);
    EXPECT_EQ(form.VScroll1->x(), form.Picture2->geometry().right() + 1);
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(PreviewFrame, ReturnOnAFocusedButtonPressesIt) {
    Form2 form;
    form.setPicture(testsupport::registerPicture(100));
    form.show();
    form.PushButton1->setFocus();
    QTest::keyClick(form.PushButton1, Qt::Key_Return);
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.25f);
    form.PushButton2->setFocus();
    QTest::keyClick(form.PushButton2, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.0f);
}

// Ctrl and the key that carries + zoom in without Shift too, wherever the focus is.
TEST_F(PreviewFrame, CtrlEqualsZoomsInAsCtrlPlusDoes) {
    Form2 form;
    form.setPicture(testsupport::registerPicture(100));
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.PushButton8->setFocus();
    QTest::keyClick(form.PushButton8, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.25f);
    QTest::keyClick(form.PushButton8, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.0f);
    form.Picture1->setFocus();
    QTest::keyClick(form.Picture1, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.25f);  // one step, not one from the menu and one from the picture
}

TEST_F(PreviewFrame, CtrlWheelZoomsAroundThePointerAndTheTitleShowsTheZoom) {
    Form2 form;
    form.setPicture(testsupport::registerPicture(1000));  // 1,000 x 27,100 pixels
    form.show();
    form.VScroll1->setValue(1000);
    form.HScroll1->setValue(10);
    const QPoint pointer(300, 200);  // in the viewport
    const QPointF under = picturePointUnder(form, pointer);
    ASSERT_GT(under.y(), 200);

    ctrlWheel(form, pointer - form.Picture1->pos(), 120);
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.25f);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("125 % \u2014 Brevanta"));
    QPointF now = picturePointUnder(form, pointer);
    EXPECT_NEAR(now.x(), under.x(), 1.0);
    EXPECT_NEAR(now.y(), under.y(), 1.0);
    // The bars show where the picture stands.
    EXPECT_NEAR(form.VScroll1->value() * form.view().vertical.step / 15.0, -form.Picture1->y(), 1.0);

    ctrlWheel(form, pointer - form.Picture1->pos(), -240);  // two notches out
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 0.75f);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("75 % \u2014 Brevanta"));
    now = picturePointUnder(form, pointer);
    EXPECT_NEAR(now.y(), under.y(), 1.5);

    // At the top-left corner the picture cannot move past its edge.
    form.VScroll1->setValue(0);
    form.HScroll1->setValue(0);
    ctrlWheel(form, pointer, -120);
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 0.5f);
    EXPECT_EQ(form.Picture1->pos(), QPoint(0, 0));
    const QPointF corner = picturePointUnder(form, QPoint(4, 4));
    ctrlWheel(form, QPoint(4, 4), 120 * 10);
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 2.75f);  // the buttons' limit
    EXPECT_NEAR(picturePointUnder(form, QPoint(4, 4)).x(), corner.x(), 1.0);

    // The buttons keep their own rule: the picture goes home.
    form.VScroll1->setValue(500);
    form.PushButton2_Click();
    EXPECT_EQ(form.Picture1->pos(), QPoint(0, 0));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("250 % \u2014 Brevanta"));
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(PreviewFrame, FullScrollShowsThePicturesLastColumnAndRowWhole) {
    Form2 form;
    form.setPicture(framedPicture(1001, 1333));
    form.show();
    for (int zoomIn = 0; zoomIn < 4; ++zoomIn) {
        SCOPED_TRACE(testing::Message() << "zoom " << form.viewer().zoom());
        form.HScroll1->setValue(form.HScroll1->maximum());
        form.VScroll1->setValue(form.VScroll1->maximum());
        QWidget* viewport = form.Picture2->clientArea();
        EXPECT_EQ(form.Picture1->geometry().bottomRight(), QPoint(viewport->width() - 1, viewport->height() - 1));
        const QImage shown = viewport->grab().toImage();
        EXPECT_LT(qGray(shown.pixel(shown.width() - 1, shown.height() / 2)), 128);  // the black right edge
        EXPECT_LT(qGray(shown.pixel(shown.width() / 2, shown.height() - 1)), 128);  // the black bottom edge
        form.PushButton1_Click();
    }
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(PreviewFrame, UnderADarkPaletteEveryTextStandsOutFromItsBackground) {
    const QString styleBefore = QApplication::style()->name();
    const QPalette paletteBefore = QApplication::palette();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    auto expectReadable = [](Form2& form) {
        QApplication::processEvents();
        const QImage shot = form.grab().toImage();
        QStyleOptionGroupBox option;
        option.initFrom(form.Frame1);
        option.text = form.Frame1->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        const QRect title = form.style()
                                ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, form.Frame1)
                                .translated(form.Frame1->mapTo(&form, QPoint(0, 0)));
        EXPECT_GT(contrast(shot, title), 100) << "zoom frame's title";
        for (const QPushButton* button : {form.PushButton1, form.PushButton6})
            EXPECT_GT(contrast(shot, QRect(button->mapTo(&form, QPoint(0, 0)), button->size()).adjusted(8, 6, -8, -6)),
                      100)
                << button->text().toStdString();
        const QRect file = form.MenuBar1->actionGeometry(form.mnuFile->menuAction());
        EXPECT_GT(contrast(shot, file.translated(form.MenuBar1->pos())), 100) << "menu title";
    };
    {
        // Opened under the light palette, then the palette turns dark.
        Form2 form;
        form.show();
        QApplication::setPalette(darkPalette());
        expectReadable(form);
    }
    {
        // Opened under the dark palette.
        Form2 form;
        form.show();
        expectReadable(form);
        // The picture keeps the workbook's white.
        EXPECT_EQ(form.Picture2->clientArea()->grab().toImage().pixel(5, 5), qRgb(255, 255, 255));
    }
    QApplication::setPalette(paletteBefore);
    QApplication::setStyle(QStyleFactory::create(styleBefore));
}

// Leaves a picture of the preview window with a register on it, taken from
// a real window, for a person to look at.

#include <QApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QImage>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

#include "frame/prompter.h"
#include "preview/form2.h"
#include "preview/image_surface.h"
#include "tests/preview/register_picture.h"
#include "tests/support/recording.h"

using namespace brevanta;

namespace {

void settle() {
    for (int round = 0; round < 20; ++round) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QImage windowPicture(QWidget& window) {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (QScreen* screen = window.screen()) {
            const QPixmap shot = screen->grabWindow(window.winId());
            if (!shot.isNull()) return shot.toImage();
        }
    }
    return window.grab().toImage();
}

}  // namespace

TEST(PreviewScreenshot, RegisterPictureInThePreview) {
    testsupport::SeamGuard seams;
    preview::Form2 form;
    form.setPicture(testsupport::registerPicture(40));
    form.show();
    settle();
    form.PushButton2_Click();  // 0.75: the whole width in view
    settle();

    // The server holds the window's pixels once the register's title band shows.
    const QPoint title = form.Picture1->mapTo(&form, QPoint(40, 20));
    QImage shot;
    QTest::qWaitFor([&] {
        shot = windowPicture(form);
        return shot.rect().contains(title) && shot.pixelColor(title) == QColor(31, 78, 121);
    }, 5000);
    const QString path = testsupport::testOutputDir() + QStringLiteral("/preview.png");
    ASSERT_TRUE(shot.save(path)) << path.toStdString();
    std::cout << "preview picture: " << path.toStdString() << " (" << QGuiApplication::platformName().toStdString()
              << ")\n";

    std::cout << "bars: h " << form.HScroll1->value() << "/" << form.HScroll1->maximum() << " page "
              << form.HScroll1->pageStep() << ", v " << form.VScroll1->value() << "/" << form.VScroll1->maximum()
              << " page " << form.VScroll1->pageStep() << "\n";
    // The client area's 656 x 626 pixels under the menu bar.
    EXPECT_EQ(shot.size(), QSize(656, 626 + form.MenuBar1->height()));
    // The register's title band shows inside the viewport.
    EXPECT_EQ(shot.pixelColor(title), QColor(31, 78, 121));
    EXPECT_TRUE(form.VScroll1->isEnabled());
    EXPECT_TRUE(form.HScroll1->isEnabled());

    // Enlarged on the server, the viewport takes all the added room.
    const QSize viewport = form.Picture2->size();
    form.resize(form.size() + QSize(300, 120));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.Picture2->size() == viewport + QSize(300, 120); }, 5000))
        << form.Picture2->width() << "x" << form.Picture2->height();
    EXPECT_TRUE(QTest::qWaitFor([&] { return windowPicture(form).size() == form.size(); }, 5000));
    EXPECT_TRUE(seams.reporter.reports.empty());
}

// A box asked for while the preview shows opens over the preview, centred on
// it, with the keyboard focus, although the main window it used to belong to
// is hidden.
TEST(PreviewScreenshot, BoxesOpenOverThePreviewWithTheFocus) {
    testsupport::SeamGuard seams;
    frame::setPrompter(nullptr);  // the real boxes, on the real display
    QWidget hiddenMain;
    hiddenMain.setGeometry(0, 0, 400, 300);
    frame::setDialogParent(&hiddenMain);
    preview::Form2 form;
    form.setPicture(testsupport::registerPicture(10));
    form.show();
    form.activateWindow();
    settle();
    ASSERT_TRUE(hiddenMain.isHidden());
    EXPECT_EQ(frame::dialogParent(), &form);

    QWidget* seenParent = nullptr;
    QRect seenBox;
    bool seenFocus = false;
    QTimer::singleShot(300, [&] {
        settle();
        QWidget* box = QApplication::activeModalWidget();
        if (!box) return;
        seenParent = box->parentWidget();
        seenBox = box->frameGeometry();
        seenFocus = box->isActiveWindow() && box->isAncestorOf(QApplication::focusWidget());
        windowPicture(*box).save(testsupport::testOutputDir() + QStringLiteral("/box_over_preview.png"));
        box->close();
    });
    frame::prompter().message(QStringLiteral("Brevanta"), QStringLiteral("Done."), frame::Buttons::Ok,
                              frame::Icon::None);
    frame::setDialogParent(nullptr);

    EXPECT_EQ(seenParent, &form);
    EXPECT_TRUE(form.frameGeometry().contains(seenBox.center()))
        << "box centred at " << seenBox.center().x() << "," << seenBox.center().y();
    EXPECT_TRUE(seenFocus);
}

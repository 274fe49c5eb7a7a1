#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include "frame/disk_files.h"
#include "frame/failure.h"
#include "frame/program_end.h"
#include "preview/form2.h"
#include "preview/image_surface.h"
#include "tests/preview/register_picture.h"
#include "tests/support/recording.h"

using namespace brevanta;
using preview::Form2;

namespace {

class PreviewWindow : public ::testing::Test {
protected:
    void SetUp() override {
        frame::setProgramEndAction([this](int) { events.push_back(QStringLiteral("end")); });
    }
    void TearDown() override { frame::setProgramEndAction({}); }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    testsupport::SeamGuard seams;
    QTemporaryDir folder;
    QStringList events;
};

void sendMouse(QWidget* target, QEvent::Type type, QPoint position, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(position), QPointF(target->mapToGlobal(position)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

QSize pictureSize(const Form2& form) { return form.Picture1->size(); }

// The bitmap a picture handed over as a bitmap holds.
qint64 heldBitmap(const paint::SharedPicture& picture) {
    if (!picture || picture->bands.empty() || picture->bands[0].images.empty()) return 0;
    return picture->bands[0].images[0].image.cacheKey();
}

// A cursor file: an icon file with type 2 and the hot spot in the entry.
QByteArray cursorFileBytes(int hotX, int hotY) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 20; ++y) image.setPixel(10, y, qRgba(0, 0, 0, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "ico");
    auto* data = reinterpret_cast<uchar*>(bytes.data());
    qToLittleEndian<quint16>(2, data + 2);
    qToLittleEndian<quint16>(quint16(hotX), data + 6 + 4);
    qToLittleEndian<quint16>(quint16(hotY), data + 6 + 6);
    return bytes;
}

}  // namespace

TEST_F(PreviewWindow, EveryHandOverGetsItsOwnSetUp) {
    Form2 form;
    const QImage first = testsupport::registerPicture(100);
    form.setPicture(first);
    EXPECT_TRUE(form.setupPending());
    EXPECT_EQ(pictureSize(form), first.size());  // natural size until the set-up
    form.show();
    ASSERT_FALSE(form.setupPending());
    EXPECT_EQ(heldBitmap(form.Zoom_Ori), first.cacheKey());
    EXPECT_EQ(pictureSize(form), first.size());
    EXPECT_TRUE(form.HScroll1->isEnabled());
    EXPECT_TRUE(form.VScroll1->isEnabled());

    form.PushButton1_Click();
    form.PushButton1_Click();
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.5f);
    EXPECT_EQ(pictureSize(form), QSize(1500, 4200));
    EXPECT_EQ(form.Picture1->picture(), form.Zoom_Ori);  // drawn from the holder, not a stretched copy
    EXPECT_DOUBLE_EQ(form.Picture1->scaleX(), 1.5);

    // A second generation while the window shows: the new picture is set up at once.
    const QImage second = testsupport::registerPicture(10);
    form.setPicture(second);
    EXPECT_FALSE(form.setupPending());
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.0f);
    EXPECT_EQ(heldBitmap(form.Zoom_Ori), second.cacheKey());
    EXPECT_EQ(pictureSize(form), second.size());
    EXPECT_FALSE(form.VScroll1->isEnabled());  // 370 pixels fit the viewport
    EXPECT_EQ(form.VScroll1->maximum(), 0);

    // Zooming now repaints the new picture, not the earlier one.
    form.PushButton1_Click();
    EXPECT_EQ(heldBitmap(form.Picture1->picture()), second.cacheKey());
    EXPECT_EQ(pictureSize(form), QSize(1250, 462));

    // Hidden (Back), then a third hand-over: set up when shown again.
    form.hide();
    form.setPicture(first);
    EXPECT_TRUE(form.setupPending());
    form.show();
    EXPECT_FALSE(form.setupPending());
    EXPECT_EQ(heldBitmap(form.Zoom_Ori), first.cacheKey());
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(PreviewWindow, ThousandTransactionRegisterZoomsInAndOutAndScrollsToTheEnd) {
    Form2 form;
    form.setPicture(testsupport::registerPicture(1000));
    form.show();
    EXPECT_EQ(pictureSize(form), QSize(1000, 27100));

    form.PushButton1_Click();  // 33,875 pixels tall: more than any bitmap, nothing for a drawing
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.25f);
    EXPECT_EQ(pictureSize(form), QSize(1250, 33875));
    form.PushButton2_Click();
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 1.0f);

    // The vertical bar reaches the last row.
    form.VScroll1->setValue(form.VScroll1->maximum());
    const QRect surface = form.Picture1->geometry();
    const int clientHeight = form.Picture2->clientArea()->height();
    EXPECT_GE(surface.bottom() + 1 - 27, 0);
    EXPECT_LE(surface.bottom() + 1 - clientHeight, 5);

    form.PushButton2_Click();
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 0.75f);
    EXPECT_EQ(pictureSize(form), QSize(750, 20325));
    EXPECT_EQ(form.Picture1->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(form.VScroll1->value(), 0);
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(PreviewWindow, DraggingMovesThePictureAndTheReleaseSetsTheBars) {
    Form2 form;
    form.setPicture(testsupport::registerPicture(100));
    form.show();
    sendMouse(form.Picture1, QEvent::MouseMove, {300, 300}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(form.Picture1->pos(), QPoint(0, 0));

    sendMouse(form.Picture1, QEvent::MouseButtonPress, {300, 300}, Qt::RightButton, Qt::RightButton);
    sendMouse(form.Picture1, QEvent::MouseMove, {200, 100}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(form.Picture1->pos(), QPoint(-100, -200));
    sendMouse(form.Picture1, QEvent::MouseButtonRelease, {200, 100}, Qt::RightButton, Qt::NoButton);
    EXPECT_GT(form.HScroll1->value(), 0);
    EXPECT_GT(form.VScroll1->value(), 0);
    EXPECT_NEAR(form.Picture1->y(), -200, 30);  // snapped to the bar's nearest percent

    // To the far corner: the release stops the bars at their maximum without an error box.
    sendMouse(form.Picture1, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(form.Picture1, QEvent::MouseMove, {-5000, -9000}, Qt::NoButton, Qt::LeftButton);
    sendMouse(form.Picture1, QEvent::MouseButtonRelease, {-5000, -9000}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(form.HScroll1->value(), form.HScroll1->maximum());
    EXPECT_EQ(form.VScroll1->value(), form.VScroll1->maximum());
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(PreviewWindow, HandPointerOverTheButtonsNeverOverridesTheHourglass) {
    const QString cursorPath = frame::programFolder() + QStringLiteral("/HAND-M.CUR");
    {
        QFile file(cursorPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(cursorFileBytes(10, 2));
    }
    Form2 form;
    QFile::remove(cursorPath);
    ASSERT_FALSE(form.handCursor().pixmap().isNull());
    EXPECT_EQ(form.handCursor().hotSpot(), QPoint(10, 2));
    form.show();

    auto moveOver = [](QWidget* widget, QPoint position = {-1, -1}) {
        if (position.x() < 0) position = widget->rect().center();
        sendMouse(widget, QEvent::MouseMove, position, Qt::NoButton, Qt::NoButton);
    };
    const QPoint background(651, 300);  // right of the vertical bar
    moveOver(form.PushButton6);
    EXPECT_EQ(form.cursor().pixmap().cacheKey(), form.handCursor().pixmap().cacheKey());
    moveOver(&form, background);
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
    moveOver(form.PushButton1);  // inside the zoom frame, which also sees the move
    EXPECT_EQ(form.cursor().shape(), Qt::BitmapCursor);
    moveOver(form.Frame1);
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);

    form.setCursor(Qt::WaitCursor);
    moveOver(form.PushButton8);
    moveOver(form.Frame1);
    EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
}

TEST_F(PreviewWindow, BrokenCursorFileIsReportedAndLeavesTheArrow) {
    const QString cursorPath = frame::programFolder() + QStringLiteral("/HAND-M.CUR");
    {
        QFile file(cursorPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a cursor at all, but long enough to have a header");
    }
    Form2 form;
    QFile::remove(cursorPath);
    ASSERT_EQ(seams.reporter.lines(), std::vector<int>({110}));
    EXPECT_EQ(seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.Form2.Form_Load "));
    EXPECT_EQ(form.handCursor().shape(), Qt::ArrowCursor);
}

TEST_F(PreviewWindow, ClosingStoresTheListRemovesTheWorkbookAndEndsTheProgram) {
    Form2 form;
    form.mExcelFile = writeFile(QStringLiteral("vantor12345678.xls"), "workbook");
    form.storeTransactionList = [&] {
        EXPECT_FALSE(QFile::exists(form.mExcelFile));
        events.push_back(QStringLiteral("store"));
    };
    form.show();
    form.close();
    EXPECT_EQ(events, QStringList({QStringLiteral("store"), QStringLiteral("end")}));
    EXPECT_FALSE(QFile::exists(form.mExcelFile));

    // A store that fails is reported and the program still ends.
    events.clear();
    form.storeTransactionList = [] { throw frame::Failure(QStringLiteral("Permission denied")); };
    form.show();
    form.close();
    EXPECT_EQ(events, QStringList({QStringLiteral("end")}));
    ASSERT_EQ(seams.reporter.lines(), std::vector<int>({106}));
    EXPECT_EQ(seams.reporter.reports[0].location, QStringLiteral("in Tarnwick2021/08/31.Form2.Form_QueryUnload "));
}

TEST_F(PreviewWindow, BackRemovesTheWorkbookShowsTheMainWindowAndHides) {
    Form2 form;
    form.setPicture(testsupport::registerPicture(5));
    form.mExcelFile = writeFile(QStringLiteral("vantor87654321.xls"), "workbook");
    form.showMainWindow = [&] { events.push_back(QStringLiteral("main window")); };
    form.show();
    form.PushButton2_Click();
    form.PushButton8->click();
    EXPECT_FALSE(QFile::exists(form.mExcelFile));
    EXPECT_EQ(events, QStringList({QStringLiteral("main window")}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_FLOAT_EQ(form.viewer().zoom(), 0.75f);  // hidden with its state
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(PreviewWindow, LoadPictureReportsAFileThatIsNotAPicture) {
    Form2 form;
    EXPECT_THROW(form.loadPicture(folder.filePath(QStringLiteral("temp.bmp"))), frame::Failure);
    EXPECT_THROW(form.loadPicture(writeFile(QStringLiteral("temp.bmp"), "garbage")), frame::Failure);
    const QString bitmap = folder.filePath(QStringLiteral("good.bmp"));
    ASSERT_TRUE(testsupport::registerPicture(3).save(bitmap, "BMP"));
    form.loadPicture(bitmap);
    EXPECT_EQ(form.Picture1->size(), QSize(1000, 181));
}

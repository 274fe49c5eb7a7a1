// Long registers through the wired program, offscreen: the preview shows the
// whole register at every zoom, its pixels agree with a rendering of the same
// cells made apart from it, the wheel, the keys and the thumb move it, and the
// picture reaches other programs and the picture file unchanged.

#include <gtest/gtest.h>

#include <tuple>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

#include "app/wiring.h"
#include "engine/formula/calc.h"
#include "picture/picture_codec.h"
#include "picture/picture_mime.h"
#include "picture/picture_output.h"
#include "engine/paint/sheet_painter.h"
#include "generate/check_register.h"
#include "generate/generation_windows.h"
#include "preview/form2.h"
#include "preview/image_surface.h"
#include "tests/register/form1_fixture.h"
#include "xls/xls_file.h"

namespace brevanta {
namespace {

constexpr int kHeaderRows = 5;  // title and header rows above the first transaction

reg::Transaction transaction(int i, int count) {
    reg::Transaction t;
    t[reg::Date] = QStringLiteral("%1/%2/2024").arg(i % 12 + 1).arg(i % 28 + 1);
    t[reg::Number] = QString::number(count - i);  // entered backwards: the sort has work
    t[reg::Description] = QStringLiteral("Transaction %1").arg(count - i);
    t[reg::Category] = QStringLiteral("Groceries");
    if (i % 5 == 0) t[reg::Credit] = QString::number(100 + i % 900);
    else t[reg::Debit] = QStringLiteral("%1.25").arg(i % 97 + 1);
    return t;
}

bool isDark(QRgb pixel) { return qGray(pixel) < 110; }

int darkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y)
        for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x)
            dark += isDark(image.pixel(x, y));
    return dark;
}

// Pixels of intermediate grey: blurred edges of stretched text.
int greyPixels(const QImage& image) {
    int grey = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int level = qGray(image.pixel(x, y));
            grey += level > 60 && level < 190;
        }
    return grey;
}

class WholeRegisterPreview : public testsupport::Form1Test {
protected:
    void SetUp() override {
        Form1Test::SetUp();
        savedTemp_ = qgetenv("TEMP");
        qputenv("TEMP", temp.path().toLocal8Bit());
        app::wireApplication(*form);
        form->Form_Load();
        form->show();
    }
    void TearDown() override {
        QGuiApplication::clipboard()->clear();
        Form1Test::TearDown();
        qputenv("TEMP", savedTemp_);
    }

    preview::Form2* generate(int count) {
        for (int i = 0; i < count; ++i) form->appendTransaction(transaction(i, count));
        form->PushButton22_Click();
        EXPECT_TRUE(seams.reporter.reports.empty()) << seams.reporter.reports[0].text().toStdString();
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* form2 = qobject_cast<preview::Form2*>(widget)) return form2;
        return nullptr;
    }

    // What the viewport shows now, painted by the window itself.
    static QImage viewport(preview::Form2& form2) {
        return form2.Picture2->clientArea()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir temp;
    QByteArray savedTemp_;
};

TEST_F(WholeRegisterPreview, TenThousandRowsScrolledToTheEndShowTheLastTransactionAsTheCellsLook) {
    constexpr int kCount = 10000;
    preview::Form2* form2 = generate(kCount);
    ASSERT_NE(form2, nullptr);
    ASSERT_TRUE(form2->Zoom_Ori);

    form2->VScroll1->setValue(form2->VScroll1->maximum());
    const QImage shown = viewport(*form2);
    shown.save(testsupport::testOutputDir() + QStringLiteral("/whole_register_end.png"));

    // The same cells rendered on their own from the saved workbook: the last 15 transactions.
    const auto book = xls::readWorkbook(form2->mExcelFile);
    ASSERT_TRUE(book);
    model::Sheet& sheet = *book->sheets[0];
    engine::Calculator calculator(sheet);
    const int lastRow = kHeaderRows + kCount - 1;  // 0-based
    const model::CellRange tail{lastRow - 14, 1, lastRow, 8};
    const QImage expected = paint::pictureToImage(paint::recordSheet(*book, sheet, calculator, tail, QLocale()));

    // Where those rows stand in the viewport: the picture starts at row 1, moved by the surface.
    int tailTop = form2->Picture1->y();
    for (int row = 0; row < tail.firstRow; ++row) {
        const model::RowInfo* info = sheet.findRowInfo(row);
        tailTop += paint::rowPixels(info && info->height ? *info->height : sheet.standardRowHeight);
    }
    ASSERT_GE(tailTop, 0);
    ASSERT_LE(tailTop + expected.height(), shown.height());
    // The viewport shows the left part of the sheet.
    ASSERT_EQ(form2->Picture1->x(), 0);
    const int width = std::min(shown.width(), expected.width());
    EXPECT_EQ(shown.copy(0, tailTop, width, expected.height()), expected.copy(0, 0, width, expected.height()));
    // The last row holds the latest date's largest number and its description.
    int last = 0;
    auto key = [](int i) { return std::tuple(i % 12, i % 28, kCount - i); };
    for (int i = 1; i < kCount; ++i)
        if (key(i) > key(last)) last = i;
    const QString* lastDescription = std::get_if<QString>(&sheet.find(lastRow, 3)->value);
    ASSERT_NE(lastDescription, nullptr);
    EXPECT_EQ(*lastDescription, QStringLiteral("Transaction %1").arg(kCount - last));
    EXPECT_GT(darkPixels(shown, QRect(0, tailTop + expected.height() - 27, width, 27)), 100);
}

TEST_F(WholeRegisterPreview, EveryZoomOfTheLongestRegisterRepaintsWithTextDrawnAtThatSize) {
    constexpr int kCount = 32768;
    preview::Form2* form2 = generate(kCount);
    ASSERT_NE(form2, nullptr);
    const paint::SheetPicture& picture = *form2->Zoom_Ori;
    EXPECT_GT(picture.height, kCount * 27);

    while (form2->viewer().zoom() > 0.25f) form2->PushButton2_Click();
    for (int step = 0; step < 11; ++step) {
        const float zoom = 0.25f * float(step + 1);
        ASSERT_FLOAT_EQ(form2->viewer().zoom(), zoom);
        EXPECT_EQ(form2->Picture1->height(),
                  preview::pixelsFromTwips(qint64(std::floor(double(zoom) * (picture.height * 15.0 - 2)))))
            << "zoom " << zoom;
        EXPECT_GT(darkPixels(viewport(*form2), QRect(0, 0, 600, 480)), 100) << "zoom " << zoom;
        if (step < 10) form2->PushButton1_Click();
    }
    EXPECT_TRUE(seams.reporter.reports.empty());

    // At 2.75, the middle of the register: the window paints what the picture paints at that scale ...
    form2->VScroll1->setValue(form2->VScroll1->maximum() / 2);
    const QImage shown = viewport(*form2);
    const QRect onSurface(-form2->Picture1->x(), -form2->Picture1->y(), shown.width(), shown.height());
    QImage direct(shown.size(), QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
        QPainter painter(&direct);
        painter.translate(-onSurface.topLeft());
        picture.paint(painter, onSurface, form2->Picture1->scaleX(), form2->Picture1->scaleY());
    }
    EXPECT_EQ(shown, direct);
    // ... which is sharp text, not the picture at 1.0 stretched: far fewer blurred pixels.
    const QRect atOne(int(onSurface.x() / 2.75), int(onSurface.y() / 2.75), int(shown.width() / 2.75) + 1,
                      int(shown.height() / 2.75) + 1);
    QImage small(atOne.size(), QImage::Format_RGB32);
    small.fill(Qt::white);
    {
        QPainter painter(&small);
        painter.translate(-atOne.topLeft());
        picture.paint(painter, atOne, 1.0, 1.0);
    }
    const QImage stretched = small.scaled(atOne.size() * 2.75, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_GT(darkPixels(shown, shown.rect()), 1000);
    EXPECT_LT(greyPixels(shown) * 2, greyPixels(stretched));
}

TEST_F(WholeRegisterPreview, WheelKeysAndTheDraggedThumbMoveThePictureAsTheBarsDo) {
    preview::Form2* form2 = generate(1000);
    ASSERT_NE(form2, nullptr);
    QScrollBar* bar = form2->VScroll1;
    auto wheel = [&](QPoint angle, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(100, 100), QPointF(form2->Picture1->mapToGlobal(QPoint(100, 100))), QPoint(), angle,
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form2->Picture1, &event);
    };
    wheel(QPoint(0, -120), Qt::NoModifier);  // one notch down
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(form2->Picture1->y(), -int(bar->value() * form2->view().vertical.step / 15));
    wheel(QPoint(0, 120), Qt::NoModifier);
    EXPECT_EQ(bar->value(), 0);
    wheel(QPoint(0, -120), Qt::ShiftModifier);
    EXPECT_GT(form2->HScroll1->value(), 0);
    wheel(QPoint(0, 120), Qt::ControlModifier);  // as Zoom In
    EXPECT_FLOAT_EQ(form2->viewer().zoom(), 1.25f);
    wheel(QPoint(0, -60), Qt::ControlModifier);  // half a notch: nothing yet
    EXPECT_FLOAT_EQ(form2->viewer().zoom(), 1.25f);
    wheel(QPoint(0, -60), Qt::ControlModifier);
    EXPECT_FLOAT_EQ(form2->viewer().zoom(), 1.0f);

    // Keys reach the picture once a click gave it the focus.
    auto key = [&](int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(form2->Picture1, &event);
    };
    EXPECT_EQ(form2->Picture1->focusPolicy(), Qt::ClickFocus);
    key(Qt::Key_End);
    EXPECT_EQ(bar->value(), bar->maximum());
    key(Qt::Key_PageUp);
    EXPECT_EQ(bar->value(), bar->maximum() - bar->pageStep());
    key(Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    key(Qt::Key_Down);
    EXPECT_EQ(bar->value(), bar->singleStep());
    key(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(form2->viewer().zoom(), 1.25f);
    key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(form2->viewer().zoom(), 1.0f);

    // Dragging the thumb moves the picture before it is let go.
    bar->setSliderDown(true);
    bar->setSliderPosition(bar->maximum() / 3);
    EXPECT_EQ(form2->Picture1->y(), -int(bar->maximum() / 3 * form2->view().vertical.step / 15));
    bar->setSliderDown(false);
    EXPECT_TRUE(seams.reporter.reports.empty());
}

TEST_F(WholeRegisterPreview, OtherProgramsGetTheSamePixelsAndThePictureFileHoldsThePictureUnchanged) {
    preview::Form2* form2 = generate(100);
    ASSERT_NE(form2, nullptr);
    const QImage direct = paint::pictureToImage(*form2->Zoom_Ori);

    // The generation's copy stays on the clipboard; another program asking for a bitmap gets these pixels.
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(offered, nullptr);
    ASSERT_TRUE(offered->formats().contains(QStringLiteral("image/png")));
    EXPECT_EQ(QImage::fromData(offered->data(QStringLiteral("image/png"))).convertToFormat(QImage::Format_RGB32),
              direct);
    EXPECT_TRUE(offered->data(QStringLiteral("image/svg+xml")).contains("Transaction 100"));
    // Our own reading of the clipboard gets the drawing itself, equal to what the preview holds.
    const paint::SharedPicture copied = paint::pictureFromClipboard();
    ASSERT_TRUE(copied);
    EXPECT_EQ(*copied, *form2->Zoom_Ori);
    // And the private type, as another copy of the program would read it, decodes to the same picture.
    const auto decoded = paint::decodePicture(offered->data(QString::fromLatin1(paint::kPictureMimeType)));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, *form2->Zoom_Ori);
}

// Hands the picture file to a real preview window, but spoils the file first.
class SpoilingWindows final : public generate::GenerationWindows {
public:
    explicit SpoilingWindows(preview::Form2& form2) : form2_(form2) {}
    void setMainPointer(int) override {}
    void hideMain() override {}
    void phaseFinished(const char* phase) override {
        if (QByteArray(phase) != "picture") return;
        const QString path = QDir(qEnvironmentVariable("TEMP")).filePath(QString::fromLatin1(generate::kPictureFileName));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write("garbage, not a picture");
    }
    void loadPreviewPicture(const QString& path) override { form2_.loadPicture(path); }
    void setPreviewExcelFile(const QString& path) override { form2_.mExcelFile = path; }
    void showPreview() override { form2_.show(); }
    void tell(const QString&) override {}

private:
    preview::Form2& form2_;
};

TEST_F(WholeRegisterPreview, GarbageInThePictureFileIsReportedAtLoadingAndTheRestGoesOn) {
    preview::Form2 form2;
    const QImage earlier(40, 30, QImage::Format_RGB32);
    form2.setPicture(earlier);
    SpoilingWindows windows(form2);
    generate::generateCheckRegister(1, reg::TransactionList({transaction(0, 1)}), windows);

    ASSERT_EQ(seams.reporter.reports.size(), 1u);
    EXPECT_EQ(seams.reporter.reports[0].line, 184);
    EXPECT_EQ(seams.reporter.reports[0].description, QStringLiteral("Invalid picture"));
    EXPECT_TRUE(form2.isVisible());                 // shown all the same
    EXPECT_TRUE(QFile::exists(form2.mExcelFile));   // with its workbook
    EXPECT_EQ(form2.Picture1->width(), 40);         // and the picture it already held
    EXPECT_FALSE(QFile::exists(temp.filePath(QString::fromLatin1(generate::kPictureFileName))));
}

}  // namespace
}  // namespace brevanta

#include <QApplication>
#include <QDateEdit>
#include <QStyle>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStyleFactory>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeView>

#include "register/main_menu.h"
#include "tests/register/form1_fixture.h"
#include "tests/support/dark_theme.h"

using namespace brevanta;
using brevanta::testsupport::Form1Test;

namespace {

struct Placement {
    const char* name;
    const char* container;  // objectName of the parent widget
    const char* caption;    // "" when the control has none
    int left, top, width, height;  // twips
};

// The window as it was drawn, in twips relative to the container.
const Placement kPlacements[] = {
    {"PushButton22", "Form1", "Start Creating Template", 120, 120, 9240, 405},
    {"PushButton3", "Form1", "Clear/Reset Data", 120, 630, 4560, 405},
    {"PushButton4", "Form1", "Load Sample/Example Data", 4800, 630, 4560, 405},
    {"Frame1(0)", "Form1", "Add A Transaction", 120, 1080, 9240, 4380},
    {"Label4(4)", "Frame1(0)", "Date:", 240, 375, 2355, 225},
    {"dtpDate", "Frame1(0)", "", 2640, 315, 6330, 375},
    {"Label4(0)", "Frame1(0)", "Number:", 240, 880, 2400, 225},
    {"txtNumber", "Frame1(0)", "", 2640, 820, 6315, 345},
    {"Label4(1)", "Frame1(0)", "Description Of Transaction:", 240, 1350, 2325, 225},
    {"txtDescription", "Frame1(0)", "", 2640, 1300, 6345, 345},
    {"Label4(2)", "Frame1(0)", "Category:", 240, 1845, 810, 225},
    {"txtCategory", "Frame1(0)", "", 2640, 1800, 6345, 345},
    {"Label4(6)", "Frame1(0)", "Cleared:", 240, 2325, 2265, 225},
    {"txtC", "Frame1(0)", "", 2640, 2280, 6345, 345},
    {"Label4(7)", "Frame1(0)", "Withdrawal/Debit (-):", 240, 2835, 2325, 225},
    {"txtDebit", "Frame1(0)", "", 2640, 2775, 6345, 345},
    {"Label4(8)", "Frame1(0)", "Deposit/Credit (+):", 240, 3330, 2355, 225},
    {"txtCredit", "Frame1(0)", "", 2640, 3285, 6345, 345},
    {"PushButton2", "Frame1(0)", "Add Transaction", 240, 3780, 8745, 405},
    {"Frame1(1)", "Form1", "Transactions", 120, 5505, 9240, 3555},
    {"ListView1", "Frame1(1)", "", 240, 300, 8730, 2565},
    {"PushButton1", "Frame1(1)", "Delete Selected Transaction", 240, 2985, 8730, 405},
};

QString captionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    return {};
}

// Within one pixel of the twips value (15 twips to the pixel, rounded).
void expectTwips(const char* name, const char* what, int pixels, int twips) {
    EXPECT_LE(std::abs(pixels * 15 - twips), 7) << name << ' ' << what << ": " << pixels << " px for " << twips
                                                << " twips";
}

}  // namespace

TEST_F(Form1Test, ControlsSitWhereTheTableSaysWithTheirCaptions) {
    EXPECT_EQ(form->size(), QSize(632, 611));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    for (const Placement& p : kPlacements) {
        auto* control = form->findChild<QWidget*>(QString::fromLatin1(p.name));
        ASSERT_NE(control, nullptr) << p.name;
        EXPECT_EQ(control->parentWidget()->objectName(), QString::fromLatin1(p.container)) << p.name;
        EXPECT_EQ(captionOf(control), QString::fromUtf8(p.caption)) << p.name;
        const QRect r = control->geometry();
        expectTwips(p.name, "left", r.x(), p.left);
        expectTwips(p.name, "top", r.y(), p.top);
        // A caption may be wider than the table says, to show its whole text, but never reaches its field.
        auto* label = qobject_cast<QLabel*>(control);
        if (label && r.width() > (p.width + 7) / 15) {
            EXPECT_LE(r.width(), label->sizeHint().width()) << p.name;
            EXPECT_LT(r.right(), form->txtNumber->x()) << p.name;
        } else {
            expectTwips(p.name, "width", r.width(), p.width);
        }
        if (label) {
            EXPECT_GE(r.width(), std::min(label->sizeHint().width(), form->txtNumber->x() - r.x() - 1))
                << p.name << ": its text is cut off";
        }
        expectTwips(p.name, "height", r.height(), p.height);
    }
    const QStringList headers = {"Date", "Num", "Description of Transaction", "Category", "Cleared", "Debit", "Credit"};
    const int columnTwips[] = {1000, 700, 2500, 1300, 950, 1000, 1000};
    ASSERT_EQ(form->ListView1->header()->count(), 7);
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(form->ListView1->model()->headerData(column, Qt::Horizontal).toString(), headers[column]);
        expectTwips("ListView1", "column width", form->ListView1->columnWidth(column), columnTwips[column]);
    }

    // Tab order: the entry fields top to bottom, the list, then the buttons at the top.
    const std::vector<QWidget*> expected = {form->dtpDate,     form->txtNumber,    form->txtDescription,
                                            form->txtCategory, form->txtC,         form->txtDebit,
                                            form->txtCredit,   form->PushButton2,  form->ListView1,
                                            form->PushButton1, form->PushButton22, form->PushButton3,
                                            form->PushButton4};
    std::vector<QWidget*> order;
    QWidget* widget = form->dtpDate;
    do {
        if (std::find(expected.begin(), expected.end(), widget) != expected.end()) order.push_back(widget);
        widget = widget->nextInFocusChain();
    } while (widget != form->dtpDate);
    EXPECT_EQ(order, expected);
}

// Return in an entry field adds the transaction as the button does, and the
// new row is scrolled into view at the end of a long list.
TEST_F(Form1Test, ReturnInAnEntryFieldAddsTheTransactionAndShowsIt) {
    form->Form_Load();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    for (int i = 0; i < 40; ++i) {
        QLineEdit* field = i % 2 ? form->txtDescription : form->txtCredit;
        form->txtDescription->setText(QStringLiteral("Row %1").arg(i));
        form->txtCredit->setText(QStringLiteral("1.00"));
        QTest::keyClick(field, Qt::Key_Return);
    }
    ASSERT_EQ(form->model().rowCount(), 40);
    EXPECT_EQ(cell(39, reg::Description), QStringLiteral("Row 39"));
    EXPECT_TRUE(form->txtDescription->text().isEmpty());
    EXPECT_TRUE(form->ListView1->viewport()->rect().contains(form->ListView1->visualRect(form->model().index(39, 0))));
}

// Runs under xvfb-run (its own CTest registration): the real window, centred,
// left as a picture for eyes.
TEST_F(Form1Test, ScreenshotOfTheWindow) {
    if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
        GTEST_SKIP() << "needs a real display (run under xvfb-run)";
    form->Form_Load();
    form->PushButton4_Click();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

    const QRect screen = form->screen()->availableGeometry();
    EXPECT_LE((form->frameGeometry().center() - screen.center()).manhattanLength(), 40);
    EXPECT_EQ(form->geometry().size(), QSize(632, 611));

    // The server has the window's pixels once a grab shows its caption text.
    QPixmap picture;
    auto painted = [&] {
        picture = form->screen()->grabWindow(form->winId());
        const QImage image = picture.toImage();
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                if (image.pixelColor(x, y).lightness() < 80) return true;
        return false;
    };
    EXPECT_TRUE(QTest::qWaitFor(painted, 5000));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(632, 611));
    const QString path = testsupport::testOutputDir() + QStringLiteral("/main-window.png");
    EXPECT_TRUE(picture.save(path));

    // The white background and dark caption text both show.
    const QImage image = picture.toImage();
    int white = 0;
    int dark = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
            const QColor c = image.pixelColor(x, y);
            if (c.lightness() > 250) ++white;
            else if (c.lightness() < 80) ++dark;
        }
    EXPECT_GT(white, image.width() * image.height() / 16);
    EXPECT_GT(dark, 200);
}

// Under xvfb-run too: the real window with its menu bar on a dark desktop.
// The bar stands above the controls, which keep their places below it, and
// the server shows every caption readable.
TEST_F(Form1Test, ScreenshotOfTheWindowWithItsMenuBarOnADarkDesktop) {
    if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
        GTEST_SKIP() << "needs a real display (run under xvfb-run)";
    const QString styleBefore = QApplication::style()->name();
    const QPalette paletteBefore = QApplication::palette();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(testsupport::darkPalette());
    form = std::make_unique<reg::Form1>();
    form->setEnvironment(environment());
    std::vector<std::pair<QWidget*, QPoint>> places;
    for (QWidget* control : form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!control->isWindow()) places.emplace_back(control, control->pos());
    auto& menu = *new reg::MainMenu(*form);  // owned by the window
    form->Form_Load();
    form->PushButton4_Click();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

    const int bar = menu.barHeight();
    ASSERT_GT(bar, 10);
    EXPECT_EQ(form->geometry().size(), QSize(632, 611 + bar));
    EXPECT_EQ(menu.bar()->geometry(), QRect(0, 0, 632, bar));
    for (const auto& [control, before] : places)
        EXPECT_EQ(control->pos(), before + QPoint(0, bar)) << control->objectName().toStdString();

    QLabel* const dateCaption = form->Label4[0];
    const QRect caption(dateCaption->mapTo(form.get(), QPoint(0, 0)), dateCaption->size());
    QImage shot;
    const bool readable = QTest::qWaitFor([&] {
        shot = form->screen()->grabWindow(form->winId()).toImage();
        return testsupport::contrastIn(shot, caption) > 100;
    }, 5000);
    EXPECT_TRUE(shot.save(testsupport::testOutputDir() + QStringLiteral("/main-window-dark.png")));
    EXPECT_TRUE(readable) << "the Date caption on the dark desktop";
    for (QGroupBox* frame : form->Frame1)
        EXPECT_GT(testsupport::contrastIn(shot, QRect(frame->mapTo(form.get(), QPoint(0, 0)), QSize(160, frame->fontMetrics().height()))), 100)
            << frame->objectName().toStdString();
    EXPECT_GT(testsupport::contrastIn(shot, QRect(menu.bar()->pos(), QSize(120, bar))), 100) << "the menu titles";

    form.reset();
    QApplication::setPalette(paletteBefore);
    QApplication::setStyle(QStyleFactory::create(styleBefore));
}

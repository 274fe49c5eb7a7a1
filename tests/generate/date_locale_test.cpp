// The locale matrix: a list stored through the main window under one
// language and read back under another gives the same days, in the list and
// in the workbook's date cells.

#include <QDateEdit>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTreeView>

#include "engine/embedded/embedded_host.h"
#include "tests/support/xls_files.h"
#include "generate/palette.h"
#include "generate/register_layout.h"
#include "host/connection.h"
#include "host/host_factory.h"
#include "ledger/dates.h"
#include "ledger/date_text.h"
#include "tests/register/form1_fixture.h"

namespace brevanta {
namespace {

const char* const kLocales[] = {"de_DE", "en_US", "en_GB", "fr_FR"};

// What the list holds, in list order (which is also date order).
const QDate kDays[] = {{2013, 1, 1}, {2013, 1, 2}, {2013, 1, 13}, {2013, 12, 31}};

double serialOf(const QDate& date) { return double(QDate(1899, 12, 30).daysTo(date)); }

class DateLocaleMatrix : public testsupport::Form1Test {
protected:
    void SetUp() override {
        Form1Test::SetUp();
        host::setHostFactory(&engine_);
    }
    void TearDown() override {
        host::setHostFactory(nullptr);
        Form1Test::TearDown();
    }

    // A fresh window under `locale`, with the stored list read back.
    void startUnder(const QString& locale) {
        QLocale::setDefault(QLocale(locale));
        form = std::make_unique<reg::Form1>();
        form->setEnvironment(environment());
        form->Form_Load();
        ASSERT_TRUE(seams.reporter.reports.empty()) << seams.reporter.reports[0].text().toStdString();
    }

    // The sample, a date typed in the window's own way by an earlier version,
    // and a date picked in the window; then the list is stored as on closing.
    void storeUnder(const QString& locale) {
        store().write(QString());
        startUnder(locale);
        form->PushButton4_Click();
        form->appendTransaction({reg::dateText(kDays[2]), QStringLiteral("5"), {}, {}, {}, QStringLiteral("1"), {}});
        form->dtpDate->setDate(kDays[3]);
        form->txtNumber->setText(QStringLiteral("6"));
        form->PushButton2_Click();
        form->storeList();
    }

    engine::EmbeddedHostFactory engine_{testsupport::xlsFiles()};
};

TEST_F(DateLocaleMatrix, AListStoredUnderOneLocaleReadsTheSameDaysUnderEveryOther) {
    for (const char* storing : kLocales) {
        for (const char* reading : kLocales) {
            SCOPED_TRACE(std::string("stored under ") + storing + ", read under " + reading);
            storeUnder(QLatin1String(storing));
            startUnder(QLatin1String(reading));
            ASSERT_EQ(QLocale().name(), QLatin1String(reading));
            reg::TransactionSource& list = form->transactions();
            ASSERT_EQ(list.rowCount(), 4);
            const auto* shown = qobject_cast<QStyledItemDelegate*>(form->ListView1->itemDelegateForColumn(reg::Date));
            ASSERT_NE(shown, nullptr);
            for (int row = 1; row <= 4; ++row) {
                const QDate day = kDays[row - 1];
                const QString stored = list.field(row, reg::Date);
                EXPECT_EQ(stored, ledger::storedDateText(day));
                const auto read = ledger::readDate(stored);
                ASSERT_TRUE(read);
                EXPECT_EQ(read->date, day);
                // Shown the reading locale's way, which reads back as the same day.
                const QString text = shown->displayText(stored, QLocale());
                EXPECT_EQ(text, reg::dateText(day));
                EXPECT_EQ(ledger::readDate(text)->date, day) << text.toStdString();
            }

            host::HostSession session;
            host::createExcelApp(session);
            session.excelApp->workbooks().add();
            generate::generateReport(session, 1, list);
            ASSERT_TRUE(seams.reporter.reports.empty()) << seams.reporter.reports[0].text().toStdString();
            for (int row = 0; row < 4; ++row) {
                const host::Value cell = session.excelApp->range(QStringLiteral("B%1").arg(6 + row))->value();
                EXPECT_EQ(cell, host::Value(serialOf(kDays[row]))) << "B" << 6 + row;
            }
            // The engine reads the switched locale: its own short date of 2 January is that day
            // (02/01/2013 would be 1 February under en_US).
            session.excelApp->range(QStringLiteral("K1"))->setFormulaR1C1(reg::dateText(kDays[1]));
            EXPECT_EQ(session.excelApp->range(QStringLiteral("K1"))->value(), host::Value(serialOf(kDays[1])));
            session.excelApp->quit();
            host::releaseExcelApp(session);
        }
    }
}

}  // namespace
}  // namespace brevanta

// Bank CSV files are read as they are written: the order of their dates and
// their decimal mark come from the whole column, the same under every
// locale; what the column cannot tell is asked, never guessed.

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "statements/bank_csv_preview.h"
#include "statements/bank_csv_reader.h"
#include "statements/statement_file.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace brevanta::statements {
namespace {

QString fixture(const char* name) { return QStringLiteral(STATEMENT_FIXTURES "/") + QLatin1String(name); }

struct Read {
    QDate date;
    Cents amount;
    bool operator==(const Read&) const = default;
};

void PrintTo(const Read& read, std::ostream* out) {
    *out << read.date.toString(Qt::ISODate).toStdString() << ' ' << read.amount;
}

std::vector<Read> readsOf(const Statement& statement) {
    std::vector<Read> reads;
    for (const StatementEntry& entry : statement.entries) reads.push_back({entry.date, entry.amount});
    return reads;
}

// The description of the StatementError `read` throws; empty when it reads.
template <typename Read>
QString refusal(Read read) {
    try {
        read();
    } catch (const StatementError& error) {
        return error.description();
    }
    return QString();
}

QString csvRefusal(const QString& text) {
    return refusal([&] { readBankCsv(text, QStringLiteral("b.csv")); });
}

// Every test of a file runs under a day-first and a month-first locale with
// either decimal mark, and must come out the same.
class BankCsvUnderLocale : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        previous = QLocale();
        QLocale::setDefault(QLocale(QLatin1String(GetParam())));
    }
    void TearDown() override { QLocale::setDefault(previous); }
    QLocale previous;
};

INSTANTIATE_TEST_SUITE_P(Locales, BankCsvUnderLocale, ::testing::Values("de_DE", "en_US"));

TEST_P(BankCsvUnderLocale, EachDateOrderAndDecimalMarkIsTheFilesOwn) {
    struct Case {
        const char* file;
        std::vector<Read> reads;
        const char* note;
    };
    const Case cases[] = {
        {"bank_dmy_comma.csv",
         {{QDate(2026, 1, 2), -8437}, {QDate(2026, 1, 13), 150000}, {QDate(2026, 2, 5), -350}},
         "Dates read day first (31/12/2026); decimal mark \",\"."},
        {"bank_mdy_point.csv",
         {{QDate(2026, 1, 3), -12500}, {QDate(2026, 1, 13), 150000}, {QDate(2026, 1, 12), -350}},
         "Dates read month first (12/31/2026); decimal mark \".\"."},
        {"bank_ymd_comma.csv",
         {{QDate(2026, 1, 3), -8437}, {QDate(2026, 1, 13), 150000}, {QDate(2026, 2, 5), -350}},
         "Dates read year first (2026-12-31); decimal mark \",\"."},
    };
    for (const Case& c : cases) {
        const std::optional<StatementReading> reading = readStatement(fixture(c.file), {});
        ASSERT_TRUE(reading) << c.file;
        EXPECT_EQ(readsOf(reading->statement), c.reads) << c.file;
        EXPECT_EQ(reading->formNote, QLatin1String(c.note)) << c.file;
    }
}

TEST_P(BankCsvUnderLocale, AFileTheColumnsCannotDecideIsAskedAboutNeverGuessed) {
    const QString path = fixture("bank_ambiguous.csv");
    EXPECT_EQ(refusal([&] { readStatementFile(path); }),
              QStringLiteral("bank_ambiguous.csv: every date reads both day first and month first "
                             "(line 2: \"01/03/2026\")"));

    // The question sees the file and a proposal; its answer is the form read.
    int asked = 0;
    StatementReadOptions options;
    options.askForm = [&](const BankCsvFile& file, const BankCsvForm& proposal) -> std::optional<BankCsvForm> {
        ++asked;
        EXPECT_EQ(file.rowCount(), 4u);
        EXPECT_EQ(proposal.decimalMark, u'.');  // the amounts decide it
        return BankCsvForm{DateOrder::MonthDayYear, u'.'};
    };
    const std::optional<StatementReading> monthFirst = readStatement(path, options);
    ASSERT_TRUE(monthFirst);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readsOf(monthFirst->statement),
              (std::vector<Read>{{QDate(2026, 1, 3), -12500}, {QDate(2026, 2, 3), -350},
                                 {QDate(2026, 1, 12), 150000}, {QDate(2026, 3, 3), -100}}));
    EXPECT_EQ(monthFirst->formNote, QStringLiteral("Dates read month first (12/31/2026) as you chose; decimal mark \".\"."));

    options.askForm = [](const BankCsvFile&, const BankCsvForm&) { return std::optional<BankCsvForm>(); };
    EXPECT_FALSE(readStatement(path, options));  // cancelled: nothing

    // The user's word answers it without a question.
    StatementReadOptions dayFirst;
    dayFirst.dateOrder = DateOrder::DayMonthYear;
    EXPECT_EQ(readsOf(readStatement(path, dayFirst)->statement)[0], (Read{QDate(2026, 3, 1), -12500}));
}

TEST(BankCsvColumns, DatesDecideTheirOrderOrSayWhereTheyDisagree) {
    auto decide = [](std::vector<const char*> texts) {
        std::vector<ColumnText> column;
        for (const char* text : texts) column.push_back({int(column.size()) + 2, QLatin1String(text)});
        return decideDateOrder(column, QStringLiteral("b.csv"));
    };
    EXPECT_EQ(decide({"01/03/2026", "13/03/2026"}).order, DateOrder::DayMonthYear);
    EXPECT_EQ(decide({"01/03/2026", "1/13/26"}).order, DateOrder::MonthDayYear);
    EXPECT_EQ(decide({"2026-01-03", "2026/12/01", "20261231"}).order, DateOrder::YearMonthDay);
    EXPECT_EQ(decide({"01/01/2026", "12.12.2026"}).order, DateOrder::DayMonthYear);  // either way the same dates
    EXPECT_EQ(decide({}).order, DateOrder::DayMonthYear);
    const DateColumnDecision open = decide({"01/01/2026", "02/03/2026", "04/05/2026"});
    EXPECT_FALSE(open.order);
    EXPECT_EQ(open.example.line, 3);

    auto refused = [&](std::vector<const char*> texts) { return refusal([&] { decide(texts); }); };
    EXPECT_EQ(refused({"13/01/2026", "01/02/2026", "01/13/2026"}),
              QStringLiteral("b.csv: lines 2 and 4: the dates disagree: \"13/01/2026\" writes the day first, "
                             "\"01/13/2026\" the month first"));
    EXPECT_EQ(refused({"02/01/2026", "2026-01-02"}),
              QStringLiteral("b.csv: lines 2 and 3: the dates disagree: \"2026-01-02\" writes the year first, "
                             "\"02/01/2026\" last"));
    EXPECT_EQ(refused({"01/02/2026", "13/13/2026"}), QStringLiteral("b.csv: line 3: the date \"13/13/2026\" cannot be read"));
    EXPECT_EQ(refused({"yesterday"}), QStringLiteral("b.csv: line 2: the date \"yesterday\" cannot be read"));
    EXPECT_EQ(refused({"1/2/2026/4"}), QStringLiteral("b.csv: line 2: the date \"1/2/2026/4\" cannot be read"));
}

TEST(BankCsvColumns, AmountsDecideTheirDecimalMarkOrSayWhereTheyDisagree) {
    auto decide = [](std::vector<const char*> texts) {
        std::vector<ColumnText> column;
        for (const char* text : texts) column.push_back({int(column.size()) + 2, QString::fromUtf8(text)});
        return decideDecimalMark(column, QStringLiteral("b.csv"));
    };
    EXPECT_EQ(decide({"-3.50"}).decimalMark, u'.');
    EXPECT_EQ(decide({"1,500", "(4,75)"}).decimalMark, u',');
    EXPECT_EQ(decide({"1.234,56"}).decimalMark, u',');
    EXPECT_EQ(decide({"$1,234.5"}).decimalMark, u'.');
    EXPECT_EQ(decide({"1.234.567"}).decimalMark, u',');  // a mark written twice groups digits
    EXPECT_EQ(decide({"0.125"}).decimalMark, u'.');      // no digit group starts with 0
    EXPECT_EQ(decide({"12", "-7"}).decimalMark, u'.');   // none written: nothing to decide
    EXPECT_FALSE(decide({"12", "-7"}).marksWritten);
    const AmountColumnDecision open = decide({"12", "1,500", "2.500"});
    EXPECT_FALSE(open.decimalMark);
    EXPECT_EQ(open.example.line, 3);
    EXPECT_EQ(refusal([&] { decide({"7", "1,234.56", "3,50"}); }),
              QStringLiteral("b.csv: lines 3 and 4: the amounts disagree: \"1,234.56\" has a decimal point, "
                             "\"3,50\" a decimal comma"));
}

TEST(BankCsvColumns, TheUsersWordIsCheckedAgainstEveryRow) {
    const BankCsvFile file(QStringLiteral("Date,Amount\n02/01/2026,\"1,500\"\n13/01/2026,-3\n"), QStringLiteral("b.csv"));
    EXPECT_EQ(file.dates().order, DateOrder::DayMonthYear);
    EXPECT_FALSE(file.decidedForm());
    EXPECT_EQ(file.openQuestion(), QStringLiteral("no amount shows whether \".\" or \",\" is the decimal mark "
                                                  "(line 2: \"1,500\")"));
    EXPECT_EQ(file.read(*file.decidedForm(std::nullopt, u',')).entries[0].amount, 150);
    EXPECT_EQ(file.read(*file.decidedForm(std::nullopt, u'.')).entries[0].amount, 150000);
    const BankCsvForm monthFirst = *file.decidedForm(DateOrder::MonthDayYear, u'.');
    EXPECT_EQ(refusal([&] { file.read(monthFirst); }),
              QStringLiteral("b.csv: line 3: the date \"13/01/2026\" cannot be read month first"));
    EXPECT_EQ(refusal([&] { file.read({DateOrder::YearMonthDay, u'.'}); }),
              QStringLiteral("b.csv: line 2: the date \"02/01/2026\" cannot be read"));
}

// The dialog's rows: those that tell the choices apart, as they read in each.
TEST(BankCsvPreview, ShowsTheTellingRowsAsTheyReadInTheFormChosen) {
    QString text = QStringLiteral("Date,Description,Amount\n");
    for (int day = 1; day <= 12; ++day) text += QStringLiteral("%1/%1/2026,Same,-1.00\n").arg(day);
    text += QStringLiteral("02/03/2026,Cafe,-3.50\n03/02/2026,\"Payroll\",\"1,500.00\"\n");
    const BankCsvFile file(text, QStringLiteral("b.csv"));
    const std::vector<size_t> rows = previewRows(file, 4);
    EXPECT_EQ(rows, (std::vector<size_t>{0, 1, 12, 13}));  // the two that tell first, then the file's first
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const std::vector<QStringList> dayFirst = previewTable(file, rows, {DateOrder::DayMonthYear, u'.'}, us);
    EXPECT_EQ(dayFirst[2], (QStringList{"14", "02/03/2026", "Monday, March 2, 2026", "-3.50", "Cafe"}));
    const std::vector<QStringList> monthFirst = previewTable(file, rows, {DateOrder::MonthDayYear, u'.'}, us);
    EXPECT_EQ(monthFirst[2][2], QStringLiteral("Tuesday, February 3, 2026"));
    EXPECT_EQ(monthFirst[3][3], QStringLiteral("1,500.00"));
    const std::vector<QStringList> yearFirst = previewTable(file, rows, {DateOrder::YearMonthDay, u','}, us);
    EXPECT_EQ(yearFirst[2][2], QStringLiteral("cannot be read"));
    EXPECT_EQ(yearFirst[2][3], QStringLiteral("cannot be read"));  // "-3.50" with a decimal comma
    EXPECT_EQ(previewColumns().size(), dayFirst[0].size());

    EXPECT_EQ(formProblem(file, {DateOrder::MonthDayYear, u'.'}), QString());
    EXPECT_EQ(formProblem(file, {DateOrder::YearMonthDay, u'.'}),
              QStringLiteral("b.csv: line 2: the date \"1/1/2026\" cannot be read"));
}

// ---- faults refused with their line ----

TEST(BankCsvAttacks, EmptySubCentAndDoublySignedAmountsAreRefusedWithTheirLine) {
    const QString header = QStringLiteral("Date,Description,Amount\n2026-01-02,Fine,-3.50\n");
    EXPECT_EQ(csvRefusal(header + QStringLiteral("2026-01-03,Empty,\n")), QStringLiteral("b.csv: line 3: the Amount field is empty"));
    EXPECT_EQ(csvRefusal(header + QStringLiteral("2026-01-03,Tenth of a cent,0.001\n")),
              QStringLiteral("b.csv: line 3: the amount \"0.001\" has a part of a cent"));
    EXPECT_EQ(csvRefusal(header + QStringLiteral("2026-01-03,Two signs,+-5\n")),
              QStringLiteral("b.csv: line 3: the amount \"+-5\" is no number"));
    EXPECT_EQ(csvRefusal(header + QStringLiteral("2026-01-03,Two signs,(-5.00)\n")),
              QStringLiteral("b.csv: line 3: the amount \"(-5.00)\" is no number"));
    EXPECT_EQ(csvRefusal(QStringLiteral("Date,Payee,Withdrawal,Deposit\n2026-01-02,Nothing,,\n")),
              QStringLiteral("b.csv: line 2: the Withdrawal and Deposit fields are both empty"));
    EXPECT_EQ(csvRefusal(QStringLiteral("Date,Payee,Debit\n2026-01-02,Nothing,\n")),
              QStringLiteral("b.csv: line 2: the Debit field is empty"));
    // Zeros after the cents are no part of a cent.
    EXPECT_EQ(readBankCsv(header + QStringLiteral("2026-01-03,Padded,4.7500\n"), QStringLiteral("b.csv")).entries[1].amount, 475);
}

}  // namespace
}  // namespace brevanta::statements

// Every reader on files written from the formats' public descriptions, the
// mapping of their entries to rows, and damaged files, which add nothing and
// say which file, where, and why.

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "frame/text_decoding.h"
#include "statements/bank_csv_reader.h"
#include "statements/qif_reader.h"
#include "statements/statement_file.h"
#include "statements/statement_rows.h"
#include "statements/statement_values.h"

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace brevanta::statements {
namespace {

using reg::Transaction;

QString fixture(const char* name) { return QStringLiteral(STATEMENT_FIXTURES "/") + QLatin1String(name); }

QByteArray fixtureBytes(const char* name) {
    QFile file(fixture(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

class Readers : public ::testing::Test {
protected:
    void SetUp() override {
        previous = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override { QLocale::setDefault(previous); }

    std::vector<Transaction> rowsOf(const QString& path) {
        std::vector<Transaction> rows;
        for (const StatementEntry& entry : readStatementFile(path).entries) rows.push_back(transactionFromEntry(entry));
        return rows;
    }

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // The description of the StatementError reading `path` throws; empty when it reads.
    QString refusal(const QString& path) {
        try {
            readStatementFile(path);
        } catch (const StatementError& error) {
            return error.description();
        }
        return QString();
    }

    QLocale previous;
    QTemporaryDir folder;
};

// ---- the files of each kind, and the mapping ----

TEST_F(Readers, Ofx1SgmlBankStatement) {
    const Statement statement = readStatementFile(fixture("bank_sgml.ofx"));
    ASSERT_EQ(statement.entries.size(), 5u);
    EXPECT_EQ(statement.ledgerBalance, 210025);
    EXPECT_EQ(statement.ledgerBalanceDate, QDate(2025, 1, 31));
    const auto rows = rowsOf(fixture("bank_sgml.ofx"));
    // Number from CHECKNUM; negative to Debit, positive to Credit, written positive; OFX rows cleared.
    EXPECT_EQ(rows[0], (Transaction{"2025-01-15", "1042", "CHECK 1042", "", "Yes", "125.00", ""}));
    EXPECT_EQ(rows[1], (Transaction{"2025-01-16", "", "PAYROLL ACME WIDGETS", "", "Yes", "", "1500.00"}));
    EXPECT_EQ(rows[2][reg::Description], QStringLiteral("Corner Cafe & Bakery"));  // the entity read
    // No NAME: the memo describes it.
    EXPECT_EQ(rows[4], (Transaction{"2025-01-31", "", "Monthly service fee", "", "Yes", "12.00", ""}));
}

TEST_F(Readers, Ofx2XmlCreditCardStatementKeepsTheBanksCalendarDay) {
    const Statement statement = readStatementFile(fixture("card_xml.ofx"));
    ASSERT_EQ(statement.entries.size(), 2u);
    const auto rows = rowsOf(fixture("card_xml.ofx"));
    EXPECT_EQ(rows[0], (Transaction{"2025-02-03", "", QStringLiteral("Grüne Küche Restaurant"), "", "Yes", "62.18", ""}));
    // 19:30 Eastern is past midnight in UTC; the row keeps the day the bank wrote.
    EXPECT_EQ(rows[1], (Transaction{"2025-02-10", "", "PAYMENT THANK YOU", "", "Yes", "", "250.00"}));
    EXPECT_EQ(statement.ledgerBalance, -120477);
    EXPECT_EQ(statement.ledgerBalanceDate, QDate(2025, 2, 28));
}

TEST_F(Readers, QfxIsOfxWithTheBanksOwnSignOnTags) {
    const auto rows = rowsOf(fixture("savings.qfx"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (Transaction{"2025-03-31", "", "INTEREST PAID", "", "Yes", "", "3.17"}));
    EXPECT_EQ(rows[1], (Transaction{"2025-03-12", "", "TRANSFER TO CHECKING", "", "Yes", "200.00", ""}));
}

TEST_F(Readers, QifBankRecordsWithSplitsDateFormsAndClearedMarks) {
    const Statement statement = readStatementFile(fixture("bank.qif"));
    EXPECT_FALSE(statement.ledgerBalance);
    const auto rows = rowsOf(fixture("bank.qif"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (Transaction{"2025-01-15", "1042", "Harbor Plumbing", "Home:Repairs", "Yes", "125.00", ""}));
    // 01/16'25, a thousands separator, CX (reconciled) counts as cleared.
    EXPECT_EQ(rows[1], (Transaction{"2025-01-16", "", "Payroll Acme Widgets", "Salary", "Yes", "", "1500.00"}));
    // 1/17/25 with two splits: one row, the parent's amount and category.
    EXPECT_EQ(rows[2], (Transaction{"2025-01-17", "", "Grocery Mart", "Groceries", "", "84.37", ""}));
    EXPECT_EQ(rows[3], (Transaction{"2025-01-18", "", "Cash withdrawal", "", "", "40.00", ""}));
}

TEST_F(Readers, QifCreditCard) {
    const auto rows = rowsOf(fixture("card.qif"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (Transaction{"2025-02-03", "", "Green Kitchen Restaurant", "Dining", "", "62.18", ""}));
    EXPECT_EQ(rows[1], (Transaction{"2025-02-10", "", "Payment - Thank You", "", "Yes", "", "250.00"}));
}

TEST_F(Readers, RowsAreWrittenInTheUsersLocale) {
    StatementEntry entry;
    entry.date = QDate(2025, 1, 15);
    entry.amount = -125050;
    entry.memo = QStringLiteral("Only a memo");
    const QLocale german(QLocale::German, QLocale::Germany);
    // The amount in the locale's way; the date in the stored form, the same under every locale.
    EXPECT_EQ(transactionFromEntry(entry, german), (Transaction{"2025-01-15", "", "Only a memo", "", "", "1250,50", ""}));
    entry.amount = 0;  // neither debit nor credit
    entry.payee = QStringLiteral("Payee first");
    EXPECT_EQ(transactionFromEntry(entry, german), (Transaction{"2025-01-15", "", "Payee first", "", "", "", ""}));
}

TEST_F(Readers, QifPassesOverAccountListsAndOtherSections) {
    const Statement statement = readQif(QStringLiteral("!Option:AutoSwitch\n!Account\nNChecking\nTBank\n^\n"
                                                       "!Type:Cat\nNFood\nE\n^\n"
                                                       "!Type:Bank\nD1/2/2025\nT-1.00\n^\nD1/3/2025\nU2.00\nPLast\n^\n"),
                                        QStringLiteral("x.qif"));
    ASSERT_EQ(statement.entries.size(), 2u);
    EXPECT_EQ(statement.entries[1].amount, 200);
    EXPECT_EQ(statement.entries[1].line, 14);
}

TEST_F(Readers, BankCsvWithASignedAmountColumn) {
    const auto rows = rowsOf(fixture("bank_signed.csv"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (Transaction{"2025-01-15", "1042", "Harbor Plumbing, Inc.", "Home", "", "125.00", ""}));
    EXPECT_EQ(rows[1], (Transaction{"2025-01-16", "", "Payroll Acme Widgets", "Salary", "", "", "1500.00"}));
    EXPECT_EQ(rows[2][reg::Description], QStringLiteral("Grocery \"Mart\""));
}

TEST_F(Readers, BankCsvWithWithdrawalAndDepositColumns) {
    const auto rows = rowsOf(fixture("bank_columns.csv"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (Transaction{"2025-01-15", "1042", "CHECK 1042", "", "", "125.00", ""}));
    EXPECT_EQ(rows[1], (Transaction{"2025-01-16", "", "DIRECT DEP PAYROLL", "", "", "", "1500.00"}));
    EXPECT_EQ(rows[2], (Transaction{"2025-01-17", "", "GROCERY MART #12", "", "", "84.37", ""}));
}

TEST_F(Readers, HeaderNamesMatchWithoutCaseOrSpacing) {
    const Statement statement = readBankCsv(QStringLiteral("TRANSACTION_DATE, check # ,NAME,withdrawals,DEPOSITS\n"
                                                           "2025-03-01,77,Rent,\"1,200.00\",\n"),
                                            QStringLiteral("x.csv"));
    ASSERT_EQ(statement.entries.size(), 1u);
    EXPECT_EQ(statement.entries[0].amount, -120000);
    EXPECT_EQ(statement.entries[0].checkNumber, QStringLiteral("77"));
    EXPECT_EQ(statement.entries[0].payee, QStringLiteral("Rent"));
}

TEST_F(Readers, TheRegistersOwnCsvImportsWithItsClearedMarks) {
    const QString path = write(QStringLiteral("own.csv"),
                               "Date,Number,Description,Category,Cleared,Debit,Credit\r\n"
                               "1/1/2013,1,Sold My Used Car,Automotive,Yes,,5000\r\n"
                               "1/2/2013,,Lunch,,,12.50,\r\n");
    // Its dates read either way; the user says which.
    EXPECT_TRUE(refusal(path).startsWith(QStringLiteral("own.csv: every date reads both day first and month first")));
    StatementReadOptions monthFirst;
    monthFirst.dateOrder = DateOrder::MonthDayYear;
    const std::optional<StatementReading> reading = readStatement(path, monthFirst);
    ASSERT_TRUE(reading);
    std::vector<Transaction> rows;
    for (const StatementEntry& entry : reading->statement.entries) rows.push_back(transactionFromEntry(entry));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (Transaction{"2013-01-01", "1", "Sold My Used Car", "Automotive", "Yes", "", "5000.00"}));
    EXPECT_EQ(rows[1], (Transaction{"2013-01-02", "", "Lunch", "", "", "12.50", ""}));
}

TEST_F(Readers, KindIsToldByContentNotByName) {
    const QString qif = write(QStringLiteral("statement.csv"), fixtureBytes("card.qif"));
    EXPECT_EQ(rowsOf(qif).size(), 2u);
    const QString ofx = write(QStringLiteral("download.txt"), fixtureBytes("bank_sgml.ofx"));
    EXPECT_EQ(rowsOf(ofx).size(), 5u);
}

TEST_F(Readers, EncodingsAreDecodedOnce) {
    // Windows-1252 payee; UTF-16 with its mark.
    const QString latin = write(QStringLiteral("latin.qif"), "!Type:Bank\nD1/2/2025\nT-3.00\nPCaf\xE9 \x80uro\n^\n");
    EXPECT_EQ(rowsOf(latin)[0][reg::Description], QStringLiteral("Café €uro"));
    const QString text = QStringLiteral("Date,Description,Amount\n2025-01-02,Crème,-1.00\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(rowsOf(write(QStringLiteral("wide.csv"), utf16))[0][reg::Description], QStringLiteral("Crème"));
    EXPECT_EQ(frame::decodeText(QByteArray("\xEF\xBB\xBFok")).text, QStringLiteral("ok"));
    EXPECT_EQ(frame::decodeText(QByteArray("\xFE\xFF\0o\0k", 6)).text, QStringLiteral("ok"));
}

// ---- damaged files ----

TEST_F(Readers, DamagedOfxNamesTheFileTheTransactionAndTheReason) {
    const QByteArray good = fixtureBytes("bank_sgml.ofx");
    QByteArray grouped = good;
    grouped.replace("<TRNAMT>-12.00", "<TRNAMT>-1,234.50");  // libofx would read -1.2345
    EXPECT_EQ(refusal(write(QStringLiteral("grouped.ofx"), grouped)),
              QStringLiteral("grouped.ofx: transaction 5 (line 69): the amount \"-1,234.50\" is no OFX amount"));
    QByteArray badDate = good;
    badDate.replace("<DTPOSTED>20250116120000", "<DTPOSTED>20251316");
    EXPECT_EQ(refusal(write(QStringLiteral("date.ofx"), badDate)),
              QStringLiteral("date.ofx: transaction 2 (line 47): the date \"20251316\" cannot be read"));
    QByteArray noAmount = good;
    noAmount.replace("<TRNAMT>1500.00\r\n", "");
    EXPECT_TRUE(refusal(write(QStringLiteral("none.ofx"), noAmount)).contains(QStringLiteral("transaction 2")));
    EXPECT_EQ(refusal(write(QStringLiteral("cut.ofx"), good.left(good.indexOf("</BANKTRANLIST>")))),
              QStringLiteral("cut.ofx: the file ends before </OFX>: it was cut short"));
}

// A long statement goes to libofx in parts; the entries come back whole and in order.
TEST_F(Readers, ALongOfxStatementReadsWholeAndInOrder) {
    const QByteArray good = fixtureBytes("bank_sgml.ofx");
    const qsizetype first = good.indexOf("<STMTTRN>");
    const qsizetype end = good.lastIndexOf("</STMTTRN>") + 10;
    QByteArray body;
    for (int i = 0; i < 4500; ++i)
        body += "<STMTTRN>\r\n<TRNTYPE>DEBIT\r\n<DTPOSTED>202501" + QByteArray::number(10 + i % 18) +
                "\r\n<TRNAMT>-" + QByteArray::number(i) + ".25\r\n<FITID>" + QByteArray::number(i) + "\r\n<NAME>Payee " +
                QByteArray::number(i) + "\r\n</STMTTRN>\r\n";
    const QString path = write(QStringLiteral("long.ofx"), good.left(first) + body + good.mid(end));
    const Statement statement = readStatementFile(path);
    ASSERT_EQ(statement.entries.size(), 4500u);
    for (size_t i = 0; i < 4500; i += 499) {
        EXPECT_EQ(statement.entries[i].amount, -Cents(i) * 100 - 25);
        EXPECT_EQ(statement.entries[i].payee, QStringLiteral("Payee %1").arg(i));
    }
    EXPECT_EQ(statement.ledgerBalance, 210025);

    QByteArray damaged = good.left(first) + body + good.mid(end);
    damaged.replace("<TRNAMT>-4321.25", "<TRNAMT>-4,321.25");
    EXPECT_TRUE(refusal(write(QStringLiteral("long.ofx"), damaged))
                    .startsWith(QStringLiteral("long.ofx: transaction 4322 (line ")));
}

// libofx reads whatever it is given; it must never take the program down,
// and a file cut anywhere must add nothing.
TEST_F(Readers, OfxCutAtAnyPointIsRefusedAndNeverCrashes) {
    for (const char* name : {"bank_sgml.ofx", "card_xml.ofx"}) {
        const QByteArray good = fixtureBytes(name);
        const qsizetype end = good.lastIndexOf("</OFX>");
        for (qsizetype cut = 0; cut < end; cut += 23) {
            const QString path = write(QStringLiteral("cut.ofx"), good.left(cut));
            EXPECT_FALSE(refusal(path).isEmpty()) << name << " cut at " << cut;
        }
    }
}

TEST_F(Readers, GarbageInsideAnOfxEnvelopeIsRefusedOrRead) {
    const QByteArray good = fixtureBytes("bank_sgml.ofx");
    std::uint32_t seed = 12345;
    for (int round = 0; round < 60; ++round) {
        QByteArray mangled = good;
        for (int n = 0; n < 8; ++n) {
            seed = seed * 1103515245u + 12345u;
            const qsizetype at = 200 + qsizetype(seed % std::uint32_t(mangled.size() - 260));
            mangled[at] = char("<>/&\0x9"[(seed >> 16) % 7]);
        }
        const QString path = write(QStringLiteral("mangled.ofx"), mangled);
        try {
            const Statement statement = readStatementFile(path);
            EXPECT_LE(statement.entries.size(), 5u);
        } catch (const StatementError&) {
        }
    }
}

TEST_F(Readers, DamagedQifNamesTheLine) {
    auto qif = [&](const char* body) { return refusal(write(QStringLiteral("m.qif"), QByteArray(body))); };
    EXPECT_EQ(qif("!Type:Bank\nD1/2/2025\nT-1.00\n^\nD1/32/2025\nT-2.00\n^\n"),
              QStringLiteral("m.qif: line 5: the date \"1/32/2025\" cannot be read"));
    EXPECT_EQ(qif("!Type:Bank\nD1/2/2025\nT1O.00\n^\n"), QStringLiteral("m.qif: line 3: the amount \"1O.00\" is no number"));
    EXPECT_EQ(qif("!Type:Bank\nPNo date\nT-1.00\n^\n"),
              QStringLiteral("m.qif: line 2: the transaction starting here has no date (D)"));
    EXPECT_EQ(qif("!Type:Bank\nD1/2/2025\n^\n"), QStringLiteral("m.qif: line 2: the transaction starting here has no amount (T)"));
    EXPECT_EQ(qif("!Type:Invst\nD1/2/2025\nT-1.00\n^\n"),
              QStringLiteral("m.qif: line 1: no !Type:Bank, !Type:Cash or !Type:CCard section"));
    EXPECT_EQ(qif("!Type:Bank\nD1/2/2025\nT-1.00\n!Type:Bank\n"),
              QStringLiteral("m.qif: line 2: the record starting here has no closing \"^\""));
    // Cut inside the last record: its amount may be cut too, so nothing is taken.
    EXPECT_EQ(qif("!Type:Bank\nD1/2/2025\nT-1.00\n^\nD1/3/2025\nT-12\n"),
              QStringLiteral("m.qif: line 5: the record starting here has no closing \"^\"; the file was cut short"));
    EXPECT_EQ(qif("!Type:Bank\nD1/2/2025\nT-1.00\n^\nD1/3/2025\nT-12.5"),
              QStringLiteral("m.qif: line 5: the record starting here has no closing \"^\"; the file was cut short"));
    EXPECT_EQ(qif("!Type:Bank\nD1/2/2025\nT0.001\n^\n"), QStringLiteral("m.qif: line 3: the amount \"0.001\" has a part of a cent"));
    EXPECT_EQ(qif("!Type:Bank\nD1/2/2025\nT+-5\n^\n"), QStringLiteral("m.qif: line 3: the amount \"+-5\" is no number"));
}

// One amount routine for every reader: the same limit, said the same way.
TEST_F(Readers, AnAmountBeyondTheLimitIsRefusedAlikeByEveryReader) {
    const QString reason = QStringLiteral("the amount \"999999999999999.99\" is beyond 999,999,999,999.99, the most one entry may be");
    QByteArray ofx = fixtureBytes("bank_sgml.ofx");
    ofx.replace("<TRNAMT>1500.00", "<TRNAMT>999999999999999.99");
    EXPECT_EQ(refusal(write(QStringLiteral("big.ofx"), ofx)), QStringLiteral("big.ofx: transaction 2 (line 47): ") + reason);
    EXPECT_EQ(refusal(write(QStringLiteral("big.qif"), "!Type:Bank\nD1/2/2025\nT999999999999999.99\n^\n")),
              QStringLiteral("big.qif: line 3: ") + reason);
    EXPECT_EQ(refusal(write(QStringLiteral("big.csv"), "Date,Amount\n2025-01-02,999999999999999.99\n")),
              QStringLiteral("big.csv: line 2: ") + reason);
    // The largest that is taken reads exactly, through libofx too.
    ofx.replace("<TRNAMT>999999999999999.99", "<TRNAMT>999999999999.99");
    EXPECT_EQ(readStatementFile(write(QStringLiteral("big.ofx"), ofx)).entries[1].amount, kLargestStatementAmount);
}

TEST_F(Readers, DamagedCsvNamesTheLine) {
    auto csv = [&](const char* body) { return refusal(write(QStringLiteral("b.csv"), QByteArray(body))); };
    EXPECT_EQ(csv("Date,Description,Amount\n2025-01-02,A,-1.00\n\n2025-01-03,B\n"),
              QStringLiteral("b.csv: line 4: the record has 2 fields, the header 3"));
    EXPECT_EQ(csv("Date,Description,Amount\n2025-01-02,A,12abc\n"),
              QStringLiteral("b.csv: line 2: the amount \"12abc\" is no number"));
    EXPECT_EQ(csv("Date,Description,Amount\n2025-02-30,A,1\n"),
              QStringLiteral("b.csv: line 2: the date \"2025-02-30\" cannot be read"));
    EXPECT_EQ(csv("Date,Description,Amount\n2025-01-02,\"never closed,1\n"),
              QStringLiteral("b.csv: CSV: the quoted field opened on line 2 never closes"));
}

TEST_F(Readers, EmptyFilesAndFilesOfAnotherKind) {
    EXPECT_EQ(refusal(write(QStringLiteral("empty.ofx"), QByteArray())), QStringLiteral("empty.ofx: the file is empty"));
    EXPECT_EQ(refusal(write(QStringLiteral("blank.qif"), " \r\n\n")), QStringLiteral("blank.qif: the file is empty"));
    const QString other = refusal(write(QStringLiteral("picture.ofx"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    EXPECT_TRUE(other.startsWith(QStringLiteral("picture.ofx: this is no bank statement"))) << other.toStdString();
    EXPECT_TRUE(refusal(write(QStringLiteral("notes.csv"), "Name,Phone\nAnn,555\n"))
                    .startsWith(QStringLiteral("notes.csv: this is no bank statement")));
    EXPECT_EQ(refusal(folder.filePath(QStringLiteral("missing.qif"))).left(28), QStringLiteral("missing.qif: cannot be read:"));
}

}  // namespace
}  // namespace brevanta::statements

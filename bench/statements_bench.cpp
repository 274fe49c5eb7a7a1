// Bank statements: importing 10,000 transactions from OFX and from QIF (the
// file read, every entry mapped to a row and matched against an empty
// list), beside loading the same count as the headless --list does (the
// file read, decoded and cut into rows); and matching a 1,000-entry
// statement against a 32,768-row list.

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "frame/text_decoding.h"
#include "ledger/saved_list.h"
#include "statements/reconciler.h"
#include "statements/statement_file.h"
#include "statements/statement_values.h"

using namespace brevanta;

namespace {

constexpr int kImportCount = 10000;

QDate dayOf(int i) { return QDate(2024, 1, 1).addDays(i % 366); }

QString amountOf(int i) { return QStringLiteral("%1.%2").arg(i % 497 + 1).arg(i % 100, 2, 10, QLatin1Char('0')); }

QByteArray ofxStatement(int count) {
    QByteArray text =
        "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:USASCII\r\nCHARSET:1252\r\n"
        "COMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n<OFX>\r\n<SIGNONMSGSRSV1>\r\n<SONRS>\r\n"
        "<STATUS>\r\n<CODE>0\r\n<SEVERITY>INFO\r\n</STATUS>\r\n<DTSERVER>20250101\r\n<LANGUAGE>ENG\r\n</SONRS>\r\n"
        "</SIGNONMSGSRSV1>\r\n<BANKMSGSRSV1>\r\n<STMTTRNRS>\r\n<TRNUID>1\r\n<STATUS>\r\n<CODE>0\r\n<SEVERITY>INFO\r\n"
        "</STATUS>\r\n<STMTRS>\r\n<CURDEF>USD\r\n<BANKACCTFROM>\r\n<BANKID>121000248\r\n<ACCTID>4455667788\r\n"
        "<ACCTTYPE>CHECKING\r\n</BANKACCTFROM>\r\n<BANKTRANLIST>\r\n<DTSTART>20240101\r\n<DTEND>20241231\r\n";
    for (int i = 0; i < count; ++i) {
        text += "<STMTTRN>\r\n<TRNTYPE>DEBIT\r\n<DTPOSTED>" + dayOf(i).toString(QStringLiteral("yyyyMMdd")).toLatin1() +
                "\r\n<TRNAMT>-" + amountOf(i).toLatin1() + "\r\n<FITID>F" + QByteArray::number(i) +
                "\r\n<NAME>Payee " + QByteArray::number(i) + "\r\n<MEMO>Memo " + QByteArray::number(i) +
                "\r\n</STMTTRN>\r\n";
    }
    text += "</BANKTRANLIST>\r\n<LEDGERBAL>\r\n<BALAMT>100.00\r\n<DTASOF>20241231\r\n</LEDGERBAL>\r\n</STMTRS>\r\n"
            "</STMTTRNRS>\r\n</BANKMSGSRSV1>\r\n</OFX>\r\n";
    return text;
}

QByteArray qifStatement(int count) {
    QByteArray text = "!Type:Bank\n";
    for (int i = 0; i < count; ++i)
        text += "D" + dayOf(i).toString(QStringLiteral("M/d/yyyy")).toLatin1() + "\nT-" + amountOf(i).toLatin1() +
                "\nN" + QByteArray::number(1000 + i) + "\nPPayee " + QByteArray::number(i) + "\nLGroceries\nMMemo " +
                QByteArray::number(i) + "\nC*\n^\n";
    return text;
}

reg::Transaction listRow(int i) {
    return {QStringLiteral("%1/%2/2024").arg(dayOf(i).month()).arg(dayOf(i).day()), QString::number(1000 + i),
            QStringLiteral("Payee %1").arg(i), QStringLiteral("Groceries"), i % 2 ? QStringLiteral("Yes") : QString(),
            amountOf(i), QString()};
}

class Files {
public:
    Files() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        write(QStringLiteral("statement.ofx"), ofxStatement(kImportCount));
        write(QStringLiteral("statement.qif"), qifStatement(kImportCount));
        std::vector<reg::Transaction> rows;
        for (int i = 0; i < kImportCount; ++i) rows.push_back(listRow(i));
        write(QStringLiteral("list.txt"), reg::encodeSavedList(rows).toUtf8());
    }
    QString path(const char* name) const { return folder_.filePath(QLatin1String(name)); }

private:
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(folder_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) std::abort();
    }
    QTemporaryDir folder_;
};

const Files& files() {
    static const Files instance;
    return instance;
}

void importStatement(benchmark::State& state, const char* name) {
    const QString path = files().path(name);
    for (auto _ : state) {
        const statements::Statement statement = statements::readStatementFile(path);
        std::vector<reg::Transaction> rows;
        const statements::Reconciliation reconciliation = statements::reconcile(rows, statement);
        statements::applyReconciliation(rows, reconciliation);
        if (rows.size() != size_t(kImportCount)) state.SkipWithError("wrong row count");
    }
}

void importOfx(benchmark::State& state) { importStatement(state, "statement.ofx"); }
void importQif(benchmark::State& state) { importStatement(state, "statement.qif"); }

// What brevanta-register --list does with the file before the generation.
void loadList(benchmark::State& state) {
    const QString path = files().path("list.txt");
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) state.SkipWithError("cannot read");
        std::vector<reg::Transaction> rows;
        for (const reg::SavedRecord& record : reg::decodeSavedList(frame::decodeText(file.readAll()).text))
            rows.push_back(record.fields);
        if (rows.size() != size_t(kImportCount)) state.SkipWithError("wrong row count");
    }
}

// A month's statement of 1,000 entries against a long register: two thirds
// are rows already typed (one in four with its check number, the others by
// date), a third are new.
void matchStatement(benchmark::State& state) {
    const int rowCount = int(state.range(0));
    std::vector<reg::Transaction> rows;
    rows.reserve(size_t(rowCount));
    for (int i = 0; i < rowCount; ++i) rows.push_back(listRow(i));
    statements::Statement statement;
    for (int e = 0; e < 1000; ++e) {
        const int i = rowCount - 1 - e * 7;
        statements::StatementEntry entry;
        entry.date = dayOf(i).addDays(e % 3);
        entry.amount = -*statements::readAmount(amountOf(e % 3 == 2 ? i + 13 : i));
        if (e % 4 == 0) entry.checkNumber = QString::number(1000 + i);
        entry.payee = QStringLiteral("BANK TEXT %1").arg(e);
        entry.cleared = true;
        statement.entries.push_back(entry);
    }
    statement.ledgerBalance = 0;
    statement.ledgerBalanceDate = QDate(2024, 12, 31);
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    for (auto _ : state) benchmark::DoNotOptimize(statements::reconcile(rows, statement, locale));
}

}  // namespace

BENCHMARK(importOfx)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(importQif)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(loadList)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(matchStatement)->Arg(32768)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();

// PDFs of registers as brevanta-register writes them, read back with
// poppler's pdfinfo and pdftotext, and the page set-up of a workbook that
// LibreOffice wrote.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "print/sheet_printout.h"

using namespace brevanta;

namespace {

const QString kFixtures = QStringLiteral(BREVANTA_PRINT_TEST_DIR "/fixtures");

QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(300000);
    if (exitCode) *exitCode = process.exitCode();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct PdfFacts {
    int pages = 0;
    QString pageSize;
    QString title;
    QString creator;
};

PdfFacts factsOf(const QString& pdf) {
    PdfFacts facts;
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    auto field = [&](const char* name) {
        const auto match = QRegularExpression(QStringLiteral("^%1:\\s+(.*)$").arg(QLatin1String(name)),
                                              QRegularExpression::MultilineOption)
                               .match(info);
        return match.hasMatch() ? match.captured(1).trimmed() : QString();
    };
    facts.pages = field("Pages").toInt();
    facts.pageSize = field("Page size");
    facts.title = field("Title");
    facts.creator = field("Creator");
    return facts;
}

QString textOfPage(const QString& pdf, int page) {
    return run(QStringLiteral("pdftotext"),
               {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page), pdf,
                QStringLiteral("-")});
}

class RegisterPdf : public ::testing::Test {
protected:
    // The register of `rows` synthetic transactions as a workbook and its PDF.
    QString makePdf(const QStringList& source) {
        const QString workbook = folder.filePath(QStringLiteral("register.xls"));
        const QString pdf = folder.filePath(QStringLiteral("register.pdf"));
        int exitCode = -1;
        run(QStringLiteral(BREVANTA_REGISTER_COMMAND),
            source + QStringList{QStringLiteral("-o"), workbook, QStringLiteral("--pdf"), pdf}, &exitCode);
        EXPECT_EQ(exitCode, 0);
        return pdf;
    }
    QString rowsPdf(int rows) { return makePdf({QStringLiteral("--rows"), QString::number(rows)}); }

    // Each "Transaction n" of the register, counted over all pages.
    std::vector<int> transactionsSeen(const QString& pdf, int pages, int rows) {
        std::vector<int> seen(size_t(rows) + 1, 0);
        static const QRegularExpression label(QStringLiteral("Transaction (\\d+)\\b"));
        for (int page = 1; page <= pages; ++page)
            for (const auto& match : label.globalMatch(textOfPage(pdf, page))) {
                const int n = match.captured(1).toInt();
                if (n >= 1 && n <= rows) ++seen[size_t(n)];
            }
        return seen;
    }

    QTemporaryDir folder;
};

// The LibreOffice fixture: rows → (pages, pages with text).
std::map<int, std::pair<int, int>> libreOfficePages() {
    std::map<int, std::pair<int, int>> pages;
    QFile file(kFixtures + QStringLiteral("/libreoffice_pages.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (line.startsWith('#') || fields.size() != 3) continue;
        pages[fields[0].toInt()] = {fields[1].toInt(), fields[2].toInt()};
    }
    return pages;
}

}  // namespace

TEST_F(RegisterPdf, TheSampleAndAHundredRowsMakeOneLandscapeA4PageTitledAndSearchable) {
    for (const QStringList& source : {QStringList{QStringLiteral("--sample")}, QStringList{QStringLiteral("--rows"), QStringLiteral("100")}}) {
        const QString pdf = makePdf(source);
        const PdfFacts facts = factsOf(pdf);
        EXPECT_EQ(facts.pages, 1);
        EXPECT_TRUE(facts.pageSize.startsWith(QStringLiteral("842 x 595"))) << facts.pageSize.toStdString();
        EXPECT_EQ(facts.title, QStringLiteral("Check Register"));
        EXPECT_EQ(facts.creator, QStringLiteral("Brevanta"));
        const QString text = textOfPage(pdf, 1);
        EXPECT_TRUE(text.contains(QStringLiteral("Check Register")));
        EXPECT_TRUE(text.contains(QStringLiteral("Description Of Transaction")));
    }
    EXPECT_TRUE(textOfPage(folder.filePath(QStringLiteral("register.pdf")), 1).contains(QStringLiteral("Transaction 100")));
    const QString fonts = run(QStringLiteral("pdffonts"), {folder.filePath(QStringLiteral("register.pdf"))});
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSans")));
    static const QRegularExpression fontLine(QStringLiteral("\\s(yes|no)\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$"),
                                             QRegularExpression::MultilineOption);
    int embedded = 0;
    for (const auto& match : fontLine.globalMatch(fonts)) {
        EXPECT_EQ(match.captured(1), QStringLiteral("yes")) << fonts.toStdString();
        ++embedded;
    }
    EXPECT_GT(embedded, 0);
}

// LibreOffice draws this register below the 10 % floor and adds blank pages
// after it (see the fixture); ours prints at 10 % on as many pages as that
// takes: no fewer pages of cells than LibreOffice, and none blank.
TEST_F(RegisterPdf, AThousandRowsRepeatTheTitlesOnEveryLaterPageAndMissNoTransaction) {
    const auto office = libreOfficePages();
    ASSERT_TRUE(office.count(1000));
    ASSERT_TRUE(office.count(100));
    EXPECT_EQ(office.at(100).first, 1);
    const QString pdf = rowsPdf(1000);
    const PdfFacts facts = factsOf(pdf);
    EXPECT_GE(facts.pages, office.at(1000).second);
    EXPECT_LE(facts.pages, office.at(1000).first);
    EXPECT_EQ(facts.pages, 4);
    for (int page = 1; page <= facts.pages; ++page) {
        const QString text = textOfPage(pdf, page);
        EXPECT_EQ(text.contains(QStringLiteral("Check Register")), page == 1) << page;
        // The header row 4 (row 5 is the band under it).
        for (const char* header : {"Date", "Number", "Category", "Cleared", "Debit (-)", "Credit (+)", "Balance"})
            EXPECT_TRUE(text.contains(QLatin1String(header))) << page << header;
    }
    const std::vector<int> seen = transactionsSeen(pdf, facts.pages, 1000);
    for (int n = 1; n <= 1000; ++n) EXPECT_EQ(seen[size_t(n)], 1) << "Transaction " << n;
}

TEST_F(RegisterPdf, TheLongestRegisterPrintsAllItsRows) {
    const QString pdf = rowsPdf(32768);
    const PdfFacts facts = factsOf(pdf);
    EXPECT_EQ(facts.pages, 128);
    const std::vector<int> seen = transactionsSeen(pdf, facts.pages, 32768);
    int missing = 0;
    for (int n = 1; n <= 32768; ++n) missing += seen[size_t(n)] != 1;
    EXPECT_EQ(missing, 0);
}

TEST_F(RegisterPdf, ALetterPortraitSetUpWrittenByLibreOfficePrintsOnLetterPortrait) {
    const auto printout = print::printoutOfWorkbookFile(kFixtures + QStringLiteral("/letter_portrait.xls"));
    EXPECT_EQ(printout.plan.paper.code, 1);
    EXPECT_FALSE(printout.plan.landscape);
    EXPECT_NEAR(printout.plan.setup.leftMargin, 54, 0.5);
    // LibreOffice counts its header area into the top margin it writes.
    EXPECT_GE(printout.plan.setup.topMargin, 72);
    const QString pdf = folder.filePath(QStringLiteral("letter.pdf"));
    int exitCode = -1;
    run(QStringLiteral(BREVANTA_REGISTER_COMMAND),
        {QStringLiteral("--from-xls"), kFixtures + QStringLiteral("/letter_portrait.xls"), QStringLiteral("--pdf"), pdf},
        &exitCode);
    EXPECT_EQ(exitCode, 0);
    const PdfFacts facts = factsOf(pdf);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_TRUE(facts.pageSize.startsWith(QStringLiteral("612 x 792"))) << facts.pageSize.toStdString();
    EXPECT_TRUE(textOfPage(pdf, 1).contains(QStringLiteral("Letter portrait page")));
}

TEST_F(RegisterPdf, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    const QString pdf = folder.filePath(QStringLiteral("missing-folder/register.pdf"));
    int exitCode = -1;
    run(QStringLiteral(BREVANTA_REGISTER_COMMAND), {QStringLiteral("--sample"), QStringLiteral("--pdf"), pdf}, &exitCode);
    EXPECT_EQ(exitCode, 1);
    EXPECT_FALSE(QFile::exists(pdf));
}

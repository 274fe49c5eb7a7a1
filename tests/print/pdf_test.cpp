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

// 1,000 transactions at full size: 22 under the title on the first page,
// then 24 under the repeated header rows on each later one.
constexpr int kThousandRowPages = 42;

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
    std::vector<int> transactionsSeen(const QString& pdf, int rows) {
        std::vector<int> seen(size_t(rows) + 1, 0);
        static const QRegularExpression label(QStringLiteral("Transaction (\\d+)\\b"));
        for (const auto& match : label.globalMatch(run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}))) {
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

// The heights in points of the word boxes poppler finds on a page whose
// text is `word`. A box spans the font's ascent and descent: 1.09 em for
// Liberation Sans as poppler measures it, so 7-point text is 7.6 pt tall.
std::vector<double> wordHeights(const QString& pdf, int page, const QString& word) {
    const QString boxes = run(QStringLiteral("pdftotext"),
                              {QStringLiteral("-bbox-layout"), QStringLiteral("-f"), QString::number(page),
                               QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    static const QRegularExpression box(
        QStringLiteral("<word xMin=\"[\\d.]+\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    std::vector<double> heights;
    for (const auto& match : box.globalMatch(boxes))
        if (match.captured(3) == word) heights.push_back(match.captured(2).toDouble() - match.captured(1).toDouble());
    return heights;
}

}  // namespace

TEST_F(RegisterPdf, TheSampleAndShortRegistersMakeOneLandscapeA4PageTitledAndSearchable) {
    for (const QStringList& source : {QStringList{QStringLiteral("--sample")}, QStringList{QStringLiteral("--rows"), QStringLiteral("21")}}) {
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
    EXPECT_TRUE(textOfPage(folder.filePath(QStringLiteral("register.pdf")), 1).contains(QStringLiteral("Transaction 21")));
    // Registers of up to 21 rows print at full size on one page, as they did
    // when the sheet was fitted to one page; a longer one runs on to a second.
    EXPECT_EQ(factsOf(rowsPdf(22)).pages, 2);
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

// One page wide, as many pages down as the rows take, each under the
// repeated header rows 4 and 5, at a size that can be read: the 10-point
// body text prints at full size. LibreOffice pages the same workbook (see
// the fixture); poppler may count a page more or less at the breaks.
TEST_F(RegisterPdf, AThousandRowsRunDownReadablePagesThatRepeatTheTitlesAndMissNoTransaction) {
    const auto office = libreOfficePages();
    ASSERT_TRUE(office.count(1000));
    ASSERT_TRUE(office.count(100));
    EXPECT_EQ(office.at(1000).first, office.at(1000).second) << "LibreOffice prints no blank page";
    const QString pdf = rowsPdf(1000);
    const PdfFacts facts = factsOf(pdf);
    EXPECT_EQ(facts.pages, kThousandRowPages);
    EXPECT_NEAR(facts.pages, office.at(1000).first, 2);
    for (int page = 1; page <= facts.pages; ++page) {
        const QString text = textOfPage(pdf, page);
        EXPECT_EQ(text.contains(QStringLiteral("Check Register")), page == 1) << page;
        // The header row 4 (row 5 is the band under it).
        for (const char* header : {"Date", "Number", "Category", "Cleared", "Debit (-)", "Credit (+)", "Balance"})
            EXPECT_TRUE(text.contains(QLatin1String(header))) << page << header;
    }
    for (const int page : {1, 2, facts.pages}) {
        const std::vector<double> heights = wordHeights(pdf, page, QStringLiteral("Transaction"));
        ASSERT_FALSE(heights.empty()) << page;
        for (const double height : heights) EXPECT_GE(height, 7 * 1.09) << "page " << page;
    }
    const std::vector<int> seen = transactionsSeen(pdf, 1000);
    for (int n = 1; n <= 1000; ++n) EXPECT_EQ(seen[size_t(n)], 1) << "Transaction " << n;
}

TEST_F(RegisterPdf, TheLongestRegisterPrintsAllItsRows) {
    const QString pdf = rowsPdf(32768);
    const PdfFacts facts = factsOf(pdf);
    EXPECT_GT(facts.pages, 32 * kThousandRowPages);
    const std::vector<int> seen = transactionsSeen(pdf, 32768);
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

// brevanta-register: the register generation without windows. Reads the
// transactions from a saved list, a CSV file, a bank statement, the example
// data or a synthetic count, runs the very generation the main window runs,
// and copies the workbook (and optionally its picture) where asked.

#include <sys/resource.h>

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QBuffer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/information_options.h"
#include "app/terminal_text.h"
#include "engine/embedded/embedded_host.h"
#include "picture/picture_file.h"
#include "picture/picture_output.h"
#include "frame/error_report.h"
#include "frame/failure.h"
#include "frame/safe_file.h"
#include "frame/text_decoding.h"
#include "generate/check_register.h"
#include "generate/generation_windows.h"
#include "generate/register_layout.h"
#include "host/connection.h"
#include "host/host_factory.h"
#include "print/sheet_printout.h"
#include "ledger/sample_transactions.h"
#include "ledger/saved_list.h"
#include "statements/reconciler.h"
#include "statements/register_csv.h"
#include "statements/statement_file.h"
#include "xls/xls_file.h"
#include "xlsx/xlsx_file.h"

using namespace brevanta;

namespace {

const char kUsage[] =
    "Usage:\n"
    "  brevanta-register (--list FILE | --csv FILE | --sample | --rows N) [-o OUT.xls|OUT.xlsx]\n"
    "                    [--picture OUT.svg|OUT.png] [--pdf OUT.pdf] [--summary] [--timings]\n"
    "  brevanta-register --import STATEMENT -o OUT.xls [--save-list FILE] [--date-order dmy|mdy|ymd]\n"
    "                    [--decimal-mark .|,]\n"
    "  brevanta-register (--list FILE | --csv FILE | --import STATEMENT ...) --export-csv OUT.csv\n"
    "  brevanta-register --list FILE --import STATEMENT --reconcile -o OUT.xls [--save-list FILE]\n"
    "  brevanta-register --from-xls FILE [--picture OUT.svg|OUT.png] [--pdf OUT.pdf] [--timings]\n"
    "  brevanta-register --help | --version\n"
    "\n"
    "  --list FILE       transactions as the program saves them between runs\n"
    "  --csv FILE        CSV with the header Date,Number,Description,Category,Cleared,Debit,Credit\n"
    "  --sample          the two example transactions\n"
    "  --rows N          N synthetic transactions\n"
    "  --import FILE     a bank statement (OFX, QFX, QIF or CSV), matched against the\n"
    "                    rows read so far: matched rows are marked cleared, the rest added\n"
    "  --reconcile       with --import: print what the statement did on stdout\n"
    "  --date-order dmy|mdy|ymd  with --import of a bank's CSV file: the order of its\n"
    "                    dates' day, month and year, where the file leaves it open or\n"
    "                    to override it (every row is checked against it)\n"
    "  --decimal-mark .|, with --import of a bank's CSV file: its amounts' decimal mark\n"
    "  --save-list FILE  also write the resulting list as the program stores it\n"
    "  --export-csv FILE also write the resulting list as \"Export List as CSV\" does;\n"
    "                    with no -o, --picture or --pdf, only the CSV is written\n"
    "  -o OUT.xls        where the register workbook goes: .xls (Excel 97-2003)\n"
    "  -o OUT.xlsx       or .xlsx (Office Open XML)\n"
    "  --picture OUT.svg also write the picture of the register sheet: .svg at any size,\n"
    "                    .png while it fits in a bitmap (32,767 pixels a side)\n"
    "  --pdf OUT.pdf     also write the register sheet as a PDF, paged as its page set-up says\n"
    "  --summary         add the \"Category Summary\" sheet: per category the count, debits,\n"
    "                    credits and net as formulas over the register (.xlsx: with a chart)\n"
    "  --from-xls FILE   write the picture or the PDF of FILE's active sheet only\n"
    "  --timings         print the time of each phase and the peak memory on stderr\n"
    "  -h, --help        print this help and exit\n"
    "  --version         print the version and exit\n";

// Every message the tool prints goes through here: texts from outside (a
// bank's error text, a payee, a file name) reach the terminal escaped.
void printText(FILE* stream, const QString& text) { std::fputs(app::terminalText(text).toLocal8Bit().constData(), stream); }
void printErr(const QString& text) { printText(stderr, text); }

// Every failure of a step, printed as the error box would show it.
class PrintingReporter final : public frame::Reporter {
public:
    void report(const frame::ErrorReport& report) override {
        ++count;
        QString text = report.text();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        printErr(QStringLiteral("error: ") + text + QLatin1Char('\n'));
    }
    int count = 0;
};

class PhaseClock {
public:
    PhaseClock() { timer_.start(); }
    void mark(const char* phase) {
        const qint64 now = timer_.nsecsElapsed();
        phases_.push_back({QString::fromLatin1(phase), (now - last_) / 1e6});
        last_ = now;
    }
    void print() const {
        double total = 0;
        for (const auto& [name, ms] : phases_) {
            printErr(QStringLiteral("time %1 %2 ms\n").arg(name, -8).arg(ms, 0, 'f', 2));
            total += ms;
        }
        printErr(QStringLiteral("time %1 %2 ms\n").arg(QStringLiteral("total"), -8).arg(total, 0, 'f', 2));
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        printErr(QStringLiteral("peak-memory %1 KiB\n").arg(usage.ru_maxrss));
    }

private:
    QElapsedTimer timer_;
    qint64 last_ = 0;
    std::vector<std::pair<QString, double>> phases_;
};

// The generation's hand-over, kept instead of shown.
class HeadlessWindows final : public generate::GenerationWindows {
public:
    HeadlessWindows(PhaseClock& clock, bool wantsPicture, bool wantsSummary)
        : clock_(clock), wantsPicture_(wantsPicture), wantsSummary_(wantsSummary) {}
    bool wantsPicture() const override { return wantsPicture_; }
    bool wantsCategorySummary() const override { return wantsSummary_; }
    bool pictureThroughClipboard() const override { return false; }  // the user's clipboard is left alone
    void setMainPointer(int) override {}
    void hideMain() override {}
    void loadPreviewPicture(const QString& path) override {
        picture = paint::loadPictureFile(path);
        if (!picture || picture->isNull()) throw frame::Failure(QStringLiteral("Invalid picture"));
    }
    void setPreviewExcelFile(const QString& path) override { excelFile = path; }
    void showPreview() override {}
    void tell(const QString& text) override { printErr(QStringLiteral("brevanta-register: ") + text + QLatin1Char('\n')); }
    void phaseFinished(const char* phase) override { clock_.mark(phase); }
    paint::SharedPicture picture;
    QString excelFile;

private:
    PhaseClock& clock_;
    bool wantsPicture_;
    bool wantsSummary_;
};

struct Options {
    QString list, csv, output, picture, pdf, fromXls, statement, saveList, exportCsv;
    bool reconcile = false;
    std::optional<statements::DateOrder> dateOrder;
    std::optional<QChar> decimalMark;
    bool sample = false;
    std::optional<int> rows;
    bool timings = false;
    bool summary = false;
};

// A run the tool declines: the message main prints, with the usage after it
// for a bad command line, and the exit status main answers.
struct Refusal {
    QString message;
    int status = 1;
    bool withUsage = false;
};

// Input the register cannot take: exit status 1.
Refusal inputRefused(const QString& message) { return {message, 1, false}; }
// A command line the tool cannot follow: exit status 2, with the usage.
Refusal usageError(const QString& message) { return {message, 2, true}; }
// An input that cannot be read or understood: exit status 2.
Refusal unreadable(const QString& message) { return {message, 2, false}; }

// Every option but --help and --version, which are answered before the
// command line is read. An option with a value name takes one.
struct OptionSpelling {
    const char* name;
    const char* otherName;
    const char* valueName;
};
constexpr OptionSpelling kOptions[] = {
    {"list", nullptr, "FILE"},       {"csv", nullptr, "FILE"},         {"sample", nullptr, nullptr},
    {"rows", nullptr, "N"},          {"o", "output", "OUT"},           {"picture", nullptr, "OUT"},
    {"pdf", nullptr, "OUT"},         {"from-xls", nullptr, "FILE"},    {"import", nullptr, "FILE"},
    {"reconcile", nullptr, nullptr}, {"save-list", nullptr, "FILE"},   {"export-csv", nullptr, "FILE"},
    {"date-order", nullptr, "ORDER"}, {"decimal-mark", nullptr, "MARK"}, {"timings", nullptr, nullptr},
    {"summary", nullptr, nullptr},
};

// An option's name as typed: "-o", "--output".
QString dashed(const char* name) {
    return QLatin1String(std::strlen(name) == 1 ? "-" : "--") + QLatin1String(name);
}

// "-o", "--output", "--list" and the rest: the options that take the next argument as their value.
std::span<const std::string_view> valueOptionSpellings() {
    static const std::vector<std::string> spellings = [] {
        std::vector<std::string> all;
        for (const OptionSpelling& option : kOptions)
            if (option.valueName)
                for (const char* name : {option.name, option.otherName})
                    if (name) all.push_back(dashed(name).toStdString());
        return all;
    }();
    static const std::vector<std::string_view> views(spellings.begin(), spellings.end());
    return views;
}

// The argument the parser named `name` as the user typed it ("--bogus=1", "-x").
QString typedArgument(const QStringList& arguments, const QString& name) {
    const QString longForm = QStringLiteral("--") + name;
    for (const QString& argument : arguments.mid(1)) {
        if (argument == longForm || argument.startsWith(longForm + QLatin1Char('='))) return argument;
        if (name.size() == 1 && argument.startsWith(QLatin1Char('-')) && !argument.startsWith(QLatin1String("--")) &&
            argument.contains(name))
            return argument;
    }
    return name.size() == 1 ? QLatin1Char('-') + name : longForm;
}

// What is wrong with a command line the parser could not read, in the tool's words.
QString parseFault(const QCommandLineParser& parser, const QStringList& arguments) {
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("unknown argument \"") + typedArgument(arguments, parser.unknownOptionNames().first()) +
               QLatin1Char('"');
    // Otherwise a value is missing after the last argument, or given to an option that takes none.
    const QString last = arguments.last();
    for (const std::string_view spelling : valueOptionSpellings())
        if (last == QLatin1String(spelling.data(), qsizetype(spelling.size())))
            return last + QStringLiteral(" needs a value");
    for (const QString& argument : arguments.mid(1))
        for (const OptionSpelling& option : kOptions)
            if (!option.valueName && argument.startsWith(dashed(option.name) + QLatin1Char('=')))
                return QStringLiteral("unknown argument \"") + argument + QLatin1Char('"');
    return parser.errorText();
}

int rowCountOf(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 0) throw usageError(QStringLiteral("--rows needs a whole number of 0 or more, not \"") + text + QLatin1Char('"'));
    if (n > generate::kMostTransactions) throw inputRefused(generate::tooManyTransactionsMessage(n));
    return n;
}

statements::DateOrder dateOrderOf(const QString& order) {
    if (order == QLatin1String("dmy")) return statements::DateOrder::DayMonthYear;
    if (order == QLatin1String("mdy")) return statements::DateOrder::MonthDayYear;
    if (order == QLatin1String("ymd")) return statements::DateOrder::YearMonthDay;
    throw usageError(QStringLiteral("--date-order takes dmy, mdy or ymd, not \"") + order + QLatin1Char('"'));
}

QChar decimalMarkOf(const QString& mark) {
    if (mark != QLatin1String(".") && mark != QLatin1String(","))
        throw usageError(QStringLiteral("--decimal-mark takes . or , not \"") + mark + QLatin1Char('"'));
    return mark.front();
}

// The options' values; an option given more than once takes its last value,
// and every value given is checked.
Options optionsOf(const QCommandLineParser& parser) {
    Options options;
    options.list = parser.value(QStringLiteral("list"));
    options.csv = parser.value(QStringLiteral("csv"));
    options.sample = parser.isSet(QStringLiteral("sample"));
    for (const QString& text : parser.values(QStringLiteral("rows"))) options.rows = rowCountOf(text);
    options.output = parser.value(QStringLiteral("output"));
    options.picture = parser.value(QStringLiteral("picture"));
    options.pdf = parser.value(QStringLiteral("pdf"));
    options.fromXls = parser.value(QStringLiteral("from-xls"));
    options.timings = parser.isSet(QStringLiteral("timings"));
    options.summary = parser.isSet(QStringLiteral("summary"));
    options.statement = parser.value(QStringLiteral("import"));
    options.reconcile = parser.isSet(QStringLiteral("reconcile"));
    options.saveList = parser.value(QStringLiteral("save-list"));
    options.exportCsv = parser.value(QStringLiteral("export-csv"));
    for (const QString& order : parser.values(QStringLiteral("date-order"))) options.dateOrder = dateOrderOf(order);
    for (const QString& mark : parser.values(QStringLiteral("decimal-mark"))) options.decimalMark = decimalMarkOf(mark);
    return options;
}

bool isXls(const QString& path) { return path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive); }
bool isXlsx(const QString& path) { return path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive); }

// The options that only make sense together, and the names of what is written.
void checkCombination(const Options& options) {
    const int sources = int(!options.list.isEmpty()) + int(!options.csv.isEmpty()) + int(options.sample) +
                        int(options.rows.has_value()) + int(!options.fromXls.isEmpty());
    if (sources > 1 || (sources == 0 && options.statement.isEmpty()))
        throw usageError(QStringLiteral("give exactly one of --list, --csv, --sample, --rows or --from-xls, or --import alone"));
    if (options.reconcile && options.statement.isEmpty()) throw usageError(QStringLiteral("--reconcile needs --import FILE"));
    if ((options.dateOrder || options.decimalMark) && options.statement.isEmpty())
        throw usageError(QStringLiteral("--date-order and --decimal-mark need --import FILE"));
    if (!options.fromXls.isEmpty() &&
        (!options.statement.isEmpty() || !options.saveList.isEmpty() || !options.exportCsv.isEmpty() || options.summary))
        throw usageError(QStringLiteral("--from-xls takes no --import, --save-list, --export-csv or --summary"));
    if (!options.picture.isEmpty() && !options.picture.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive) &&
        !options.picture.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        throw usageError(QStringLiteral("--picture writes .svg or .png, not \"") + options.picture + QLatin1Char('"'));
    if (!options.fromXls.isEmpty()) {
        if (options.picture.isEmpty() && options.pdf.isEmpty())
            throw usageError(QStringLiteral("--from-xls needs --picture OUT.svg or OUT.png, or --pdf OUT.pdf"));
        if (!options.output.isEmpty()) throw usageError(QStringLiteral("--from-xls writes only a picture or a PDF; leave out -o"));
    } else if (options.output.isEmpty() && options.pdf.isEmpty() &&
               (options.exportCsv.isEmpty() || !options.picture.isEmpty())) {
        throw usageError(QStringLiteral("-o OUT.xls, -o OUT.xlsx or --pdf OUT.pdf is missing"));
    } else if (!options.output.isEmpty() && !isXls(options.output) && !isXlsx(options.output)) {
        throw usageError(QStringLiteral("-o writes .xls or .xlsx, not \"") + options.output + QLatin1Char('"'));
    }
}

// The command line (without the options Qt itself took) as the run needs it.
Options parseArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    for (const OptionSpelling& option : kOptions) {
        QStringList names{QLatin1String(option.name)};
        if (option.otherName) names << QLatin1String(option.otherName);
        parser.addOption(QCommandLineOption(names, QString(), option.valueName ? QLatin1String(option.valueName) : QString()));
    }
    if (!parser.parse(arguments)) throw usageError(parseFault(parser, arguments));
    if (!parser.positionalArguments().isEmpty())
        throw usageError(QStringLiteral("unknown argument \"") + parser.positionalArguments().first() + QLatin1Char('"'));
    Options options = optionsOf(parser);
    checkCombination(options);
    return options;
}

// No list the register can lay out comes near this: 65,531 transactions of
// a few hundred characters each are some tens of megabytes.
constexpr qint64 kLargestInput = qint64(256) << 20;

// The text of an input file, read in pieces so that an endless or huge
// file (a device, a mistaken name) is refused instead of filling memory.
QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw unreadable(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    auto tooLarge = [&] {
        return inputRefused(
            QStringLiteral("%1 is larger than the %2 MB any list the register can hold takes; it is not read")
                .arg(path)
                .arg(kLargestInput >> 20));
    };
    if (file.size() > kLargestInput) throw tooLarge();  // a plain file says its size; a device or pipe does not
    QByteArray bytes;
    while (true) {
        const QByteArray piece = file.read(qint64(1) << 20);
        if (piece.isEmpty()) break;
        bytes += piece;
        if (bytes.size() > kLargestInput) throw tooLarge();
    }
    if (file.error() != QFileDevice::NoError)
        throw unreadable(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    frame::DecodedText decoded = frame::decodeText(bytes);
    if (decoded.encoding == frame::TextEncoding::Windows1252)
        printErr(QStringLiteral("brevanta-register: %1 is not UTF-8; it is read as Windows-1252\n").arg(path));
    return std::move(decoded.text);
}

// A saved list as a file: one line break after it, as editors write, is no part of it.
QString withoutOneTrailingLineBreak(QString text) {
    if (text.endsWith(QLatin1String("\r\n"))) text.chop(2);
    else if (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) text.chop(1);
    return text;
}

std::vector<reg::Transaction> syntheticRows(int count) {
    static const char* kCategories[] = {"Groceries", "Automotive", "Utilities", "Salary", "Toys", "Rent"};
    std::vector<reg::Transaction> rows;
    rows.reserve(count);
    // Printed straight into their characters: QString::arg() took as long as reading a real list.
    auto text = [](const char* format, auto... values) {
        char buffer[48];
        const int length = std::snprintf(buffer, sizeof buffer, format, values...);
        return QString::fromLatin1(buffer, length);
    };
    QString categories[6];
    for (int c = 0; c < 6; ++c) categories[c] = QLatin1String(kCategories[c]);
    const QString yes = QStringLiteral("Yes");
    for (int i = 0; i < count; ++i) {
        reg::Transaction t;
        t[reg::Date] = text("2024-%02d-%02d", i % 12 + 1, i % 28 + 1);
        t[reg::Number] = text("%d", count - i);  // written in reverse, so the sort has work
        t[reg::Description] = text("Transaction %d", i + 1);
        t[reg::Category] = categories[i % 6];
        t[reg::Cleared] = i % 3 ? yes : QString();
        if (i % 5 == 0) t[reg::Credit] = text("%d", 100 + i % 900);
        else t[reg::Debit] = text("%d.%02d", i % 97 + 1, i % 100);
        rows.push_back(std::move(t));
    }
    return rows;
}

// The PDF of a workbook file's active sheet, paged by its own page set-up.
bool writePdf(const QString& workbook, const QString& path) {
    try {
        print::writePdf(print::printoutOfWorkbookFile(workbook), path);
        return true;
    } catch (const std::exception& failure) {
        printErr(QStringLiteral("brevanta-register: cannot write the PDF %1: %2\n")
                     .arg(path, frame::describe(std::current_exception())));
        return false;
    }
}

// Copies the workbook to where it was asked for: complete and verified, or
// the old file there left as it was (it is never deleted first).
bool replaceFile(const QString& from, const QString& to) {
    try {
        frame::copyFileSafely(from, to);
        return true;
    } catch (const frame::Failure& failure) {
        printErr(QStringLiteral("brevanta-register: cannot write %1 (%2)\n").arg(to, failure.description()));
        return false;
    }
}

// The picture as SVG, or as PNG when it fits in a bitmap; a register too
// long for one is refused rather than written cut.
bool writePicture(const paint::SharedPicture& picture, const QString& path) {
    if (!picture || picture->isNull()) {
        printErr(QStringLiteral("brevanta-register: no picture was produced\n"));
        return false;
    }
    const bool svg = path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
    if (!svg && !paint::fitsInBitmap(*picture)) {
        printErr(QStringLiteral("brevanta-register: the picture is %1 x %2 pixels, more than a PNG bitmap holds "
                                "(%3 a side); write it as .svg instead\n")
                     .arg(picture->width)
                     .arg(picture->height)
                     .arg(paint::kLargestBitmapSide));
        return false;
    }
    QByteArray bytes;
    if (svg) {
        bytes = paint::pictureToSvg(*picture);
    } else {
        QBuffer buffer(&bytes);
        // Light compression: a long register's picture is millions of pixels.
        if (!buffer.open(QIODevice::WriteOnly) || !paint::pictureToImage(*picture).save(&buffer, "png", 80)) {
            printErr(QStringLiteral("brevanta-register: cannot encode the picture %1\n").arg(path));
            return false;
        }
    }
    try {
        frame::writeFileSafely(path, bytes);
    } catch (const frame::Failure& failure) {
        printErr(QStringLiteral("brevanta-register: ") + failure.description() + QLatin1Char('\n'));
        return false;
    }
    return true;
}

// The statement, a bank CSV file in the form its columns decide or the
// command line gives; one that leaves its form open is refused, naming the option.
statements::StatementReading readStatementAsTold(const Options& options) {
    statements::StatementReadOptions read;
    read.dateOrder = options.dateOrder;
    read.decimalMark = options.decimalMark;
    read.askForm = [&](const statements::BankCsvFile& file,
                       const statements::BankCsvForm&) -> std::optional<statements::BankCsvForm> {
        QStringList say;
        if (!options.dateOrder && !file.dates().order) say << QStringLiteral("--date-order dmy|mdy|ymd");
        if (!options.decimalMark && !file.amounts().decimalMark) say << QStringLiteral("--decimal-mark .|,");
        throw statements::StatementError(QStringLiteral("%1: %2; say which with %3")
                                             .arg(file.fileName(), file.openQuestion(options.dateOrder, options.decimalMark),
                                                  say.join(QStringLiteral(" and "))));
    };
    return *statements::readStatement(options.statement, read);
}


// ---- The phases of a run ----

// Without a display, Qt's offscreen platform serves (the picture goes through the clipboard).
void useOffscreenWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The transactions the command line names: a saved list, a CSV file, the
// examples, a synthetic count, or none (a statement alone).
std::vector<reg::Transaction> readTransactions(const Options& options) {
    std::vector<reg::Transaction> rows;
    if (!options.list.isEmpty()) {
        for (const reg::SavedRecord& record : reg::decodeSavedList(withoutOneTrailingLineBreak(readText(options.list))))
            rows.push_back(record.fields);
    } else if (!options.csv.isEmpty()) {
        rows = statements::transactionsFromCsv(readText(options.csv));
    } else if (options.sample) {
        rows = reg::sampleTransactions();
    } else if (options.rows) {
        rows = syntheticRows(*options.rows);
    }
    return rows;
}

// Matches the statement against the rows: matched rows are marked cleared,
// the rest added. All or nothing: a damaged statement stops the run here,
// before anything is written.
void importStatement(const Options& options, std::vector<reg::Transaction>& rows) {
    const statements::StatementReading reading = readStatementAsTold(options);
    const statements::Reconciliation reconciliation = statements::reconcile(rows, reading.statement);
    statements::applyReconciliation(rows, reconciliation);
    const QString fileName = QFileInfo(options.statement).fileName();
    if (options.reconcile)
        printText(stdout, statements::reconciliationSummary(fileName, reconciliation) + QLatin1Char('\n') +
                              (reading.formNote.isEmpty() ? QString() : reading.formNote + QLatin1Char('\n')));
    else if (!reading.formNote.isEmpty())
        printErr(QStringLiteral("brevanta-register: %1: %2\n").arg(fileName, reading.formNote));
}

void checkRowLimit(const std::vector<reg::Transaction>& rows) {
    if (rows.size() > size_t(generate::kMostTransactions))
        throw inputRefused(generate::tooManyTransactionsMessage(int(rows.size())));
}

// --save-list and --export-csv: the list itself, written before the register.
void writeListFiles(const Options& options, const std::vector<reg::Transaction>& rows) {
    if (!options.saveList.isEmpty()) frame::writeFileSafely(options.saveList, reg::encodeSavedList(rows).toUtf8());
    if (!options.exportCsv.isEmpty()) statements::exportListAsCsv(reg::TransactionList(rows), options.exportCsv);
}

// The rows the register is laid out from, with the list files written. A
// refused run writes nothing, the saved list included.
std::vector<reg::Transaction> prepareTransactions(const Options& options) {
    try {
        std::vector<reg::Transaction> rows = readTransactions(options);
        if (!options.statement.isEmpty()) importStatement(options, rows);
        checkRowLimit(rows);
        writeListFiles(options, rows);
        return rows;
    } catch (const frame::Failure& failure) {
        throw unreadable(failure.description());
    }
}

// A private temporary folder, so runs side by side never share the picture file.
void usePrivateTemporaryFolder(const QTemporaryDir& temporary) {
    if (!temporary.isValid()) throw unreadable(QStringLiteral("cannot make a temporary folder"));
    qputenv("TEMP", QDir::toNativeSeparators(temporary.path()).toLocal8Bit());
}

// --from-xls: the picture and the PDF of an existing workbook's active sheet.
bool writeWorkbookPictureAndPdf(const Options& options, const QTemporaryDir& temporary, PhaseClock& clock,
                                const PrintingReporter& reporter) {
    if (!QFileInfo(options.fromXls).isReadable()) throw unreadable(QStringLiteral("cannot read %1").arg(options.fromXls));
    bool ok = true;
    if (!options.picture.isEmpty()) {
        const QString bitmap = temporary.filePath(QLatin1String(generate::kPictureFileName));
        host::ApplicationPtr app;
        host::WorkbookPtr book;
        frame::Procedure proc(QStringLiteral("Excel1"), QStringLiteral("PictureOfWorkbook"));
        proc.step(100, [&] { app = host::openWorkbookInNewExcel(QFileInfo(options.fromXls).absoluteFilePath()); });
        proc.step(102, [&] { book = host::must(app).workbooks().item(app->workbooks().count()); });
        clock.mark("open");
        host::saveCellsActivesheet(book, bitmap, host::PictureRoute::Direct);
        proc.step(104, [&] { host::must(app).quit(); });
        clock.mark("picture");
        ok = writePicture(paint::loadPictureFile(bitmap), options.picture) && reporter.count == 0;
    }
    if (!options.pdf.isEmpty()) {
        ok = writePdf(options.fromXls, options.pdf) && ok;
        clock.mark("pdf");
    }
    return ok;
}

// The workbook where -o says, as .xls (a copy of the generation's) or as
// .xlsx (made from it as the preview's Save does). Each failure is printed once.
bool saveWorkbook(const QString& generated, const QString& output) {
    if (generated.isEmpty() || !QFile::exists(generated)) {
        printErr(QStringLiteral("brevanta-register: no workbook was produced\n"));
        return false;
    }
    if (output.isEmpty()) return true;
    if (isXlsx(output)) {
        try {
            xlsx::convertXlsWorkbook(generated, output);
        } catch (const frame::Failure& failure) {
            printErr(QStringLiteral("brevanta-register: ") + failure.description() + QLatin1Char('\n'));
            return false;
        }
        return true;
    }
    return replaceFile(generated, output);
}

// The register laid out by the window's own generation, and the workbook,
// picture and PDF written where asked.
bool generateAndWriteRegister(const Options& options, std::vector<reg::Transaction> rows, PhaseClock& clock) {
    const reg::TransactionList transactions(std::move(rows));
    HeadlessWindows windows(clock, !options.picture.isEmpty(), options.summary);
    generate::generateCheckRegister(1, transactions, windows);

    bool ok = saveWorkbook(windows.excelFile, options.output);
    if (!options.picture.isEmpty() && !writePicture(windows.picture, options.picture)) ok = false;
    clock.mark("output");
    if (!options.pdf.isEmpty() && !windows.excelFile.isEmpty()) {
        // From the workbook as written, so the PDF prints what the file holds.
        if (!writePdf(windows.excelFile, options.pdf)) ok = false;
        clock.mark("pdf");
    }
    return ok;
}

// The exit status of a run that got to its end: 0 when nothing failed.
int finish(const Options& options, const PhaseClock& clock, bool ok) {
    if (options.timings) clock.print();
    return ok ? 0 : 1;
}

int run(int argc, char** argv) {
    useOffscreenWithoutDisplay();
    QGuiApplication application(argc, argv);
    const Options options = parseArguments(QCoreApplication::arguments());

    PhaseClock clock;
    PrintingReporter reporter;
    frame::setReporter(&reporter);
    xls::XlsWorkbookFiles xlsFiles;
    engine::EmbeddedHostFactory hosts(xlsFiles);
    host::setHostFactory(&hosts);

    // The input is read before the temporary folder exists, so that a
    // refusal leaves nothing behind.
    std::vector<reg::Transaction> rows;
    if (options.fromXls.isEmpty()) {
        rows = prepareTransactions(options);
        clock.mark("input");
        // The CSV alone was asked for, which holds any number of transactions.
        if (options.output.isEmpty() && options.pdf.isEmpty() && options.picture.isEmpty())
            return finish(options, clock, true);
    }

    QTemporaryDir temporary;
    usePrivateTemporaryFolder(temporary);
    if (!options.fromXls.isEmpty())
        return finish(options, clock, writeWorkbookPictureAndPdf(options, temporary, clock, reporter));
    const bool written = generateAndWriteRegister(options, std::move(rows), clock);
    return finish(options, clock, written && reporter.count == 0);
}

// A declined run: its message, and the usage after a bad command line.
int reportRefusal(const Refusal& refusal) {
    printErr(QStringLiteral("brevanta-register: ") + refusal.message + QLatin1Char('\n'));
    if (refusal.withUsage) {
        std::fputc('\n', stderr);
        std::fputs(kUsage, stderr);
    }
    return refusal.status;
}

}  // namespace

int main(int argc, char** argv) {
    // --help and --version come first: they need neither a display nor a valid command line.
    if (const auto status = app::answerInformationRequest(argc, argv, "brevanta-register", kUsage, valueOptionSpellings()))
        return *status;
    try {
        return run(argc, argv);
    } catch (const Refusal& refusal) {
        return reportRefusal(refusal);
    } catch (const std::bad_alloc&) {
        std::fputs("brevanta-register: out of memory; the input is too large for this machine\n", stderr);
        return 1;
    }
}

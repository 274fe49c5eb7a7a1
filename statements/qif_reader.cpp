#include "statements/qif_reader.h"

#include <QStringList>

#include "statements/statement_values.h"

namespace brevanta::statements {
namespace {

enum class Section { None, Transactions, Other };

class QifReader {
public:
    explicit QifReader(const QString& fileName) : fileName_(fileName) {}

    Statement read(const QString& text) {
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QString line = lines[i];
            if (line.endsWith(u'\r')) line.chop(1);
            readLine(int(i) + 1, line);
        }
        // A last record without its "^": the file was cut, maybe inside the amount.
        if (recordStarted()) fail(recordLine_, QStringLiteral("the record starting here has no closing \"^\"; the file was cut short"));
        if (!sawTransactionSection_)
            fail(1, QStringLiteral("no !Type:Bank, !Type:Cash or !Type:CCard section"));
        return std::move(statement_);
    }

private:
    [[noreturn]] void fail(int line, const QString& reason) const {
        throw StatementError(QStringLiteral("%1: line %2: %3").arg(fileName_).arg(line).arg(reason));
    }

    bool recordStarted() const { return recordLine_ > 0; }

    void readLine(int number, const QString& line) {
        if (line.trimmed().isEmpty()) return;
        if (line.startsWith(u'!')) {
            if (recordStarted()) fail(recordLine_, QStringLiteral("the record starting here has no closing \"^\""));
            readHeader(number, line.trimmed());
            return;
        }
        if (section_ == Section::None) fail(number, QStringLiteral("a record before any !Type line"));
        if (line.trimmed() == u'^') {
            if (section_ == Section::Transactions && recordStarted()) finishRecord();
            recordLine_ = 0;
            entry_ = StatementEntry();
            dateText_.clear(), amountText_.clear();
            return;
        }
        if (section_ != Section::Transactions) return;
        if (!recordStarted()) {
            recordLine_ = number;
            entry_.line = number;
        }
        const QChar letter = line.front();
        const QString value = line.mid(1).trimmed();
        switch (letter.unicode()) {
        case u'D': dateText_ = value, dateLine_ = number; break;
        case u'T': amountText_ = value, amountLine_ = number; break;
        case u'U':
            if (amountText_.isEmpty()) amountText_ = value, amountLine_ = number;
            break;
        case u'N': entry_.checkNumber = value; break;
        case u'P': entry_.payee = value; break;
        case u'L': entry_.category = value; break;
        case u'M': entry_.memo = value; break;
        case u'C': entry_.cleared = value == u'*' || value.compare(QLatin1String("X"), Qt::CaseInsensitive) == 0; break;
        default: break;  // address lines, splits, flags: not part of the register row
        }
    }

    void readHeader(int number, const QString& line) {
        if (line.startsWith(QLatin1String("!Type:"), Qt::CaseInsensitive)) {
            const QString type = line.mid(6).trimmed().toLower();
            static const QStringList kAccountTypes{QStringLiteral("bank"), QStringLiteral("cash"),
                                                   QStringLiteral("ccard")};
            if (kAccountTypes.contains(type)) {
                section_ = Section::Transactions;
                sawTransactionSection_ = true;
            } else {
                section_ = Section::Other;
            }
        } else if (line.startsWith(QLatin1String("!Account"), Qt::CaseInsensitive)) {
            section_ = Section::Other;  // an account description, closed by "^"
        } else if (line.startsWith(QLatin1String("!Option"), Qt::CaseInsensitive) ||
                   line.startsWith(QLatin1String("!Clear"), Qt::CaseInsensitive)) {
            // switches for the program that wrote the file
        } else {
            fail(number, QStringLiteral("\"%1\" is no QIF header line").arg(line.left(40)));
        }
    }

    void finishRecord() {
        if (dateText_.isEmpty()) fail(recordLine_, QStringLiteral("the transaction starting here has no date (D)"));
        if (amountText_.isEmpty()) fail(recordLine_, QStringLiteral("the transaction starting here has no amount (T)"));
        const std::optional<QDate> date = readQifDate(dateText_);
        if (!date) fail(dateLine_, QStringLiteral("the date \"%1\" cannot be read").arg(dateText_.left(40)));
        const StatementAmount amount = readStatementAmount(amountText_);
        if (!amount.refusal.isEmpty()) fail(amountLine_, amount.refusal);
        entry_.date = *date;
        entry_.amount = amount.cents;
        statement_.entries.push_back(std::move(entry_));
        entry_ = StatementEntry();
        recordLine_ = 0;
        dateText_.clear(), amountText_.clear();
    }

    QString fileName_;
    Statement statement_;
    Section section_ = Section::None;
    bool sawTransactionSection_ = false;
    StatementEntry entry_;
    int recordLine_ = 0;
    QString dateText_, amountText_;
    int dateLine_ = 0, amountLine_ = 0;
};

}  // namespace

Statement readQif(const QString& text, const QString& fileName) { return QifReader(fileName).read(text); }

}  // namespace brevanta::statements

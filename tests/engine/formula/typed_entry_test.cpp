#include <gtest/gtest.h>

#include <QDate>
#include <QTime>
#include <QRegularExpression>
#include <cstring>

#include "engine/formula/display_format.h"
#include "engine/formula/entry_reading.h"
#include "engine/formula/typed_entry.h"
#include "host/host_api.h"

using namespace brevanta;
using engine::TypedEntry;

namespace {

const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale kGermany(QLocale::German, QLocale::Germany);

// The number typed text becomes, or NaN when it does not become a plain number.
double numberOf(const QString& text, const QLocale& locale) {
    const TypedEntry entry = engine::interpretEntry(text, locale);
    const auto* number = std::get_if<double>(&entry.value);
    if (entry.kind != TypedEntry::Kind::Constant || !number || !entry.numberFormat.isEmpty()) return std::nan("");
    return *number;
}

bool staysText(const QString& text, const QLocale& locale) {
    const TypedEntry entry = engine::interpretEntry(text, locale);
    const auto* stored = std::get_if<QString>(&entry.value);
    return entry.kind == TypedEntry::Kind::Constant && stored && *stored == text && entry.numberFormat.isEmpty();
}

struct DateSeen {
    double serial = -1;
    QString format;
    QString shown;
};
DateSeen dateOf(const QString& text, const QLocale& locale) {
    const TypedEntry entry = engine::interpretEntry(text, locale);
    DateSeen seen;
    if (const auto* number = std::get_if<double>(&entry.value)) seen.serial = *number;
    seen.format = entry.numberFormat;
    seen.shown = engine::displayText(entry.value, entry.numberFormat, locale);
    return seen;
}

}  // namespace

TEST(TypedEntryUnitedStates, NumbersInTheirUsualForms) {
    EXPECT_EQ(numberOf(QStringLiteral("5055"), kUnitedStates), 5055);
    EXPECT_EQ(numberOf(QStringLiteral("-5"), kUnitedStates), -5);
    EXPECT_EQ(numberOf(QStringLiteral("+5"), kUnitedStates), 5);
    EXPECT_EQ(numberOf(QStringLiteral("  12.50 "), kUnitedStates), 12.5);
    EXPECT_EQ(numberOf(QStringLiteral(".5"), kUnitedStates), 0.5);
    EXPECT_EQ(numberOf(QStringLiteral("1,234,567.25"), kUnitedStates), 1234567.25);
    EXPECT_EQ(numberOf(QStringLiteral("1.5E3"), kUnitedStates), 1500);
    EXPECT_EQ(numberOf(QStringLiteral("2e-2"), kUnitedStates), 0.02);
    EXPECT_EQ(numberOf(QStringLiteral("(5)"), kUnitedStates), -5);
    EXPECT_EQ(numberOf(QStringLiteral("5%"), kUnitedStates), 0.05);
    EXPECT_EQ(numberOf(QStringLiteral("$5"), kUnitedStates), 5);
    EXPECT_EQ(numberOf(QStringLiteral("-$5.25"), kUnitedStates), -5.25);
    EXPECT_EQ(numberOf(QStringLiteral("($1,000)"), kUnitedStates), -1000);
}

TEST(TypedEntryUnitedStates, LookalikesStayText) {
    for (const char* text : {"12abc", "0 5", "Yes", "1,23", "12,34,567", "5-", "--5", "1e", "$", "%", "(5", "1.2.3.4",
                             "1,000.5.2", "1E999", "13/45/2013", "2/30/2013", "1/1/213", "1/2"}) {
        EXPECT_TRUE(staysText(QString::fromLatin1(text), kUnitedStates)) << text;
    }
}

TEST(TypedEntryUnitedStates, DatesWithTwoAndFourDigitYears) {
    const DateSeen full = dateOf(QStringLiteral("1/1/2013"), kUnitedStates);
    EXPECT_EQ(full.serial, 41275);
    EXPECT_EQ(full.format, QStringLiteral("m/d/yyyy"));
    EXPECT_EQ(full.shown, QStringLiteral("1/1/2013"));
    EXPECT_EQ(dateOf(QStringLiteral("12/31/99"), kUnitedStates).serial, engine::dateToSerial(1999, 12, 31));
    EXPECT_EQ(dateOf(QStringLiteral("1/2/29"), kUnitedStates).serial, engine::dateToSerial(2029, 1, 2));
    EXPECT_EQ(dateOf(QStringLiteral("1/2/30"), kUnitedStates).serial, engine::dateToSerial(1930, 1, 2));
    EXPECT_EQ(dateOf(QStringLiteral("2/29/2012"), kUnitedStates).serial, engine::dateToSerial(2012, 2, 29));
    EXPECT_EQ(dateOf(QStringLiteral("1-2-2013"), kUnitedStates).serial, engine::dateToSerial(2013, 1, 2));
}

TEST(TypedEntryUnitedStates, DateWithTimeOfDay) {
    const DateSeen afternoon = dateOf(QStringLiteral("1/1/2013 1:45 PM"), kUnitedStates);
    EXPECT_DOUBLE_EQ(afternoon.serial, 41275 + (13 * 60 + 45) / 1440.0);
    EXPECT_EQ(afternoon.shown, QStringLiteral("1/1/2013 1:45 PM"));
    // The main window writes the locale's own time text, which may use a narrow no-break space.
    const DateSeen narrow = dateOf(QStringLiteral("1/1/2013 1:45\u202FPM"), kUnitedStates);
    EXPECT_DOUBLE_EQ(narrow.serial, afternoon.serial);
    EXPECT_DOUBLE_EQ(dateOf(QStringLiteral("1/1/2013 13:45:30"), kUnitedStates).serial,
                     41275 + (13 * 3600 + 45 * 60 + 30) / 86400.0);
    EXPECT_EQ(dateOf(QStringLiteral("1/1/2013 12:00 AM"), kUnitedStates).serial, 41275);
    EXPECT_TRUE(staysText(QStringLiteral("1/1/2013 25:00"), kUnitedStates));
    EXPECT_TRUE(staysText(QStringLiteral("1/1/2013 lunch"), kUnitedStates));
}

TEST(TypedEntryUnitedStates, TruthValuesApostropheFormulaAndClear) {
    EXPECT_EQ(engine::interpretEntry(QStringLiteral("tRuE"), kUnitedStates).value, model::Value(true));
    EXPECT_EQ(engine::interpretEntry(QStringLiteral("FALSE"), kUnitedStates).value, model::Value(false));
    EXPECT_EQ(engine::interpretEntry(QStringLiteral("#N/A"), kUnitedStates).value, model::Value(model::ErrorCode::NA));

    const TypedEntry quoted = engine::interpretEntry(QStringLiteral("'5"), kUnitedStates);
    EXPECT_EQ(quoted.kind, TypedEntry::Kind::Constant);
    EXPECT_EQ(quoted.value, model::Value(QStringLiteral("5")));
    EXPECT_EQ(engine::interpretEntry(QStringLiteral("'=1+1"), kUnitedStates).value, model::Value(QStringLiteral("=1+1")));

    const TypedEntry formula = engine::interpretEntry(QStringLiteral("=100*3"), kUnitedStates);
    ASSERT_EQ(formula.kind, TypedEntry::Kind::Formula);
    ASSERT_TRUE(formula.formula);

    EXPECT_EQ(engine::interpretEntry(QString(), kUnitedStates).kind, TypedEntry::Kind::Clear);
    EXPECT_THROW(engine::interpretEntry(QStringLiteral("=SUMM(R1C1)"), kUnitedStates), host::HostError);
}

TEST(TypedEntryGermany, NumbersUseCommaAndPoint) {
    EXPECT_EQ(numberOf(QStringLiteral("12,5"), kGermany), 12.5);
    EXPECT_EQ(numberOf(QStringLiteral("1.234,5"), kGermany), 1234.5);
    EXPECT_EQ(numberOf(QStringLiteral("1.000"), kGermany), 1000);
    EXPECT_EQ(numberOf(QStringLiteral("1,5E2"), kGermany), 150);
    EXPECT_EQ(numberOf(QStringLiteral("(7,5)"), kGermany), -7.5);
    EXPECT_EQ(numberOf(QStringLiteral("50%"), kGermany), 0.5);
    EXPECT_EQ(numberOf(QStringLiteral("5 €"), kGermany), 5);
    EXPECT_EQ(numberOf(QStringLiteral("-5€"), kGermany), -5);
    // The other locale's way of writing stays text (or, for "1.5", is no number here).
    EXPECT_TRUE(staysText(QStringLiteral("1,234.5"), kGermany));
    EXPECT_TRUE(staysText(QStringLiteral("$5"), kGermany));
    EXPECT_TRUE(std::isnan(numberOf(QStringLiteral("1.5"), kGermany)));
}

TEST(TypedEntryGermany, DatesInDayMonthYearOrder) {
    const DateSeen shortForm = dateOf(QStringLiteral("1.1.2013"), kGermany);
    EXPECT_EQ(shortForm.serial, 41275);
    EXPECT_EQ(shortForm.format, QStringLiteral("dd.mm.yyyy"));
    EXPECT_EQ(shortForm.shown, QStringLiteral("01.01.2013"));
    EXPECT_EQ(dateOf(QStringLiteral("01.01.2013"), kGermany).serial, 41275);
    EXPECT_EQ(dateOf(QStringLiteral("31.12.99"), kGermany).serial, engine::dateToSerial(1999, 12, 31));
    EXPECT_EQ(dateOf(QStringLiteral("02.01.13"), kGermany).serial, engine::dateToSerial(2013, 1, 2));
    EXPECT_EQ(dateOf(QStringLiteral("02.01.2013 13:45"), kGermany).shown, QStringLiteral("02.01.2013 13:45"));
    EXPECT_TRUE(staysText(QStringLiteral("13.13.2013"), kGermany));
}

TEST(TypedEntry, DateTextOfTheMainWindowComesBackAsTheSameDate) {
    for (const QLocale& locale : {kUnitedStates, kGermany, QLocale(QLocale::English, QLocale::UnitedKingdom),
                                  QLocale(QLocale::French, QLocale::France), QLocale(QLocale::Swedish, QLocale::Sweden),
                                  QLocale::c()}) {
        const QDate date(2013, 7, 4);
        // The main window shows the locale's short date with a four-digit year,
        // then the short time of day when there is one.
        QString pattern = locale.dateFormat(QLocale::ShortFormat);
        if (!pattern.contains(QLatin1String("yyyy"))) pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        const QString typed = locale.toString(date, pattern);
        const DateSeen seen = dateOf(typed, locale);
        EXPECT_EQ(seen.serial, 41459) << qPrintable(locale.name()) << " " << qPrintable(typed);
        EXPECT_EQ(seen.shown, typed) << qPrintable(locale.name());

        const QString withTime = typed + QLatin1Char(' ') + locale.toString(QTime(15, 30), QLocale::ShortFormat);
        const DateSeen timed = dateOf(withTime, locale);
        EXPECT_DOUBLE_EQ(timed.serial, 41459 + 15.5 / 24) << qPrintable(withTime);
        EXPECT_EQ(timed.shown, withTime) << qPrintable(locale.name());
    }
}

// A year-first ISO date is a date under every locale, in the locale's own date format.
TEST(TypedEntry, IsoDatesAreDatesUnderEveryLocale) {
    for (const QLocale& locale : {kUnitedStates, kGermany, QLocale(QLocale::English, QLocale::UnitedKingdom),
                                  QLocale(QLocale::French, QLocale::France), QLocale::c()}) {
        const DateSeen seen = dateOf(QStringLiteral("2013-07-04"), locale);
        EXPECT_EQ(seen.serial, 41459) << qPrintable(locale.name());
        EXPECT_EQ(seen.format, dateOf(locale.toString(QDate(2013, 7, 4), QLocale::ShortFormat), locale).format);
        EXPECT_DOUBLE_EQ(dateOf(QStringLiteral("2013-07-04T15:30"), locale).serial, 41459 + 15.5 / 24);
        EXPECT_DOUBLE_EQ(dateOf(QStringLiteral("2013-07-04 15:30"), locale).serial, 41459 + 15.5 / 24);
        for (const char* text : {"2013-13-04", "2013-02-30", "1899-12-31", "2013-07-04T25:00", "2013-07-04x"})
            EXPECT_TRUE(staysText(QLatin1String(text), locale)) << text << " " << qPrintable(locale.name());
    }
}

TEST(TypedEntry, MonthNamesInDates) {
    EXPECT_EQ(dateOf(QStringLiteral("1 Jan 2013"), QLocale::c()).serial, 41275);
    EXPECT_EQ(dateOf(QStringLiteral("January 1, 2013"), kUnitedStates).serial, 41275);
    EXPECT_EQ(dateOf(QStringLiteral("1-jan-13"), kUnitedStates).serial, 41275);
    EXPECT_EQ(dateOf(QStringLiteral("1. Januar 2013"), kGermany).serial, 41275);
    EXPECT_TRUE(staysText(QStringLiteral("Jan 2013"), kUnitedStates));
    EXPECT_TRUE(staysText(QStringLiteral("1 Janu 2013"), kUnitedStates));
    EXPECT_TRUE(staysText(QStringLiteral("Sold My Used Car"), kUnitedStates));
}

// Short decimals take a quicker road than the full conversion; the doubles must be the same, bit for bit,
// on both sides of where that road ends (2^53, 22 decimals, exponents).
TEST(TypedEntry, NumbersAreTheDoublesOfTheFullConversion) {
    for (const char* text : {"0", "0.0", "007", "0.1", "0.3", "12.34", "99.99", "1234567.89", "0.000001",
                             "9007199254740992", "9007199254740993", "9007199254740993.5", "900719925474099.3",
                             "123456789012345678901234567890", "0.1234567890123456789012", "0.12345678901234567890123",
                             "1.0000000000000000000001", "3.14159265358979323846", "1e22", "1.5E-7", "4.35",
                             "2.675", "1.005", "8.41", "0.00000000000000000000000000001"}) {
        bool ok = false;
        const double expected = QString::fromLatin1(text).toDouble(&ok);
        ASSERT_TRUE(ok) << text;
        const double typed = numberOf(QString::fromLatin1(text), kUnitedStates);
        EXPECT_EQ(std::memcmp(&typed, &expected, sizeof(double)), 0) << text;
    }
}

// What a locale writes is remembered per locale: switching back and forth reads each one's way again.
TEST(TypedEntry, EveryLocaleKeepsItsOwnWayAcrossSwitches) {
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(numberOf(QStringLiteral("1.234,5"), kGermany), 1234.5);
        EXPECT_EQ(numberOf(QStringLiteral("1,234.5"), kUnitedStates), 1234.5);
        EXPECT_EQ(dateOf(QStringLiteral("2.1.2013"), kGermany).serial, 41276);
        EXPECT_EQ(dateOf(QStringLiteral("2/1/2013"), kUnitedStates).serial, 41306);
        EXPECT_EQ(dateOf(QStringLiteral("2/1/2013"), kUnitedStates).format, QStringLiteral("m/d/yyyy"));
        EXPECT_EQ(dateOf(QStringLiteral("2.1.2013"), kGermany).format, QStringLiteral("dd.mm.yyyy"));
    }
}

// The hand-written split of month-name dates against the pattern it stands for, around every UTF-16 unit.
TEST(TypedEntry, NamedDateFieldsSplitAsThePatternDoes) {
    static const QRegularExpression pattern(QStringLiteral("[\\s\\x{00A0}/,-]+|\\.\\s*(?=\\d)"));
    auto check = [](const QString& text) {
        const QStringList expected = text.split(pattern, Qt::SkipEmptyParts);
        const engine::NamedDateFields split = engine::namedDateFields(text);
        ASSERT_EQ(split.count, std::min<int>(expected.size(), 4)) << qPrintable(text);
        if (split.count == 3) {
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(split.fields[i].toString(), expected[i]) << qPrintable(text);
            }
        }
    };
    for (char32_t unit = 1; unit <= 0xFFFF; ++unit) {
        const QChar c(static_cast<char16_t>(unit));
        check(QStringLiteral("1") + c + QStringLiteral("Jan") + c + c + QStringLiteral("2013"));
        check(QStringLiteral("Jan.") + c + QStringLiteral("5") + c + QStringLiteral(" 13"));
    }
    for (const char* text : {"1 Jan 2013", "  1 -Jan- 2013 ", "Jan. 5, 2013", "5.Jan.2013", "1. Januar 2013",
                             "a b c d e", "1..2", ".5", "5.", "x. 5", "x .\t\n5", "Transaction 17", "", " ", "1/2/3/4"})
        check(QString::fromLatin1(text));
}

// The quick reading of plain numbers gives, bit for bit, what the full reader
// gives, or leaves the text to it: under locales that write numbers each
// their own way, and on texts just beside the plain forms.
TEST(TypedEntry, PlainNumbersReadAsTheFullReaderReadsThem) {
    const QLocale locales[] = {kUnitedStates, kGermany, QLocale(QLocale::French, QLocale::France),
                               QLocale(QLocale::German, QLocale::Switzerland), QLocale(QLocale::Hindi, QLocale::India),
                               QLocale(QLocale::Arabic, QLocale::Egypt), QLocale::c()};
    const char* texts[] = {"0",     "-0",    "12",   "-12.5", ".5",  "5.",   "-.5",  "1.234", "1234.567", "007",
                           "12.34", "99.99", "-",    ".",     "-.",  "--5",  "1.2.3", "5-",   "1-2",      "",
                           "9007199254740993", "0.12345678901234567890123", "1234567890.12", " 5", "5 ", "+5"};
    int quick = 0;
    for (const QLocale& locale : locales)
        for (const char* text : texts) {
            const QString typed = QString::fromLatin1(text);
            const std::optional<double> plain = engine::readPlainNumber(typed, locale);
            if (!plain) continue;
            ++quick;
            const std::optional<double> full = engine::readTypedNumber(typed, locale);
            ASSERT_TRUE(full.has_value()) << text << " " << locale.name().toStdString();
            EXPECT_EQ(std::memcmp(&*plain, &*full, sizeof(double)), 0) << text << " " << locale.name().toStdString();
        }
    EXPECT_GT(quick, 40);  // the quick reading is taken, not only declined
    EXPECT_EQ(engine::readPlainNumber(QStringLiteral("12.5"), kGermany), std::nullopt);  // a group separator there
    EXPECT_EQ(engine::readPlainNumber(QStringLiteral("-12.5"), kUnitedStates), -12.5);
}

#include "ledger/amounts.h"

#include <QByteArray>
#include <QStringView>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace brevanta::ledger {
namespace {

constexpr QChar kNoBreakSpace(0x00A0);
constexpr QChar kNarrowNoBreakSpace(0x202F);
constexpr qsizetype kWholeDigitsInCents = 15;  // beyond them a double no longer holds every cent
constexpr qsizetype kShownLength = 40;         // of a refused text in the message

bool isBlank(QChar c) { return c.isSpace() || c == kNoBreakSpace || c == kNarrowNoBreakSpace; }

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

QStringView trimmedBlanks(QStringView text) {
    while (!text.isEmpty() && isBlank(text.front())) text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back())) text.chop(1);
    return text;
}

// One character of the locale, or none when it writes the mark with more or none.
QChar singleMark(const QString& mark) { return mark.size() == 1 ? mark.front() : QChar(); }

// The separators of one reading of the digits.
struct Separators {
    QChar decimal;
    QChar group;               // QChar() when there is none
    bool spaceGroups = false;  // the locale groups with a (narrow) no-break space: a plain space too
    bool isGroup(QChar c) const {
        if (spaceGroups) return c == u' ' || c == kNoBreakSpace || c == kNarrowNoBreakSpace;
        return !group.isNull() && c == group;
    }
};

// The digits of an amount without its sign, in C notation ("1234.50").
struct Digits {
    QByteArray notation;
    qsizetype wholeDigits = 0;  // without leading zeros
};

std::optional<Digits> readDigits(QStringView text, const Separators& separators) {
    Digits digits;
    qsizetype whole = 0;       // digits before the decimal separator
    qsizetype sinceGroup = 0;  // digits since the last group separator
    bool grouped = false;
    qsizetype at = 0;
    for (; at < text.size(); ++at) {
        const QChar c = text[at];
        if (isDigit(c)) {
            if (digits.wholeDigits > 0 || c != u'0') ++digits.wholeDigits;
            digits.notation.append(char(c.unicode()));
            ++whole;
            ++sinceGroup;
        } else if (separators.isGroup(c)) {
            if (sinceGroup == 0 || sinceGroup > 3 || (grouped && sinceGroup != 3)) return std::nullopt;
            grouped = true;
            sinceGroup = 0;
        } else {
            break;
        }
    }
    if (grouped && sinceGroup != 3) return std::nullopt;
    qsizetype fraction = 0;
    if (at < text.size()) {
        if (text[at] != separators.decimal) return std::nullopt;
        digits.notation.append('.');
        for (++at; at < text.size(); ++at, ++fraction) {
            if (!isDigit(text[at])) return std::nullopt;
            digits.notation.append(char(text[at].unicode()));
        }
    }
    if (whole + fraction == 0) return std::nullopt;
    return digits;
}

// The locale's reading first, then one with "." as the decimal separator;
// `dotInstead` tells when only the second read the text.
std::optional<Digits> readDigits(QStringView text, const QLocale& locale, bool& dotInstead) {
    const QChar decimal = singleMark(locale.decimalPoint());
    QChar group = singleMark(locale.groupSeparator());
    const bool spaceGroups = group == kNoBreakSpace || group == kNarrowNoBreakSpace;
    dotInstead = false;
    if (!decimal.isNull() && decimal != u'.') {
        if (auto digits = readDigits(text, Separators{decimal, group == decimal ? QChar() : group, spaceGroups}))
            return digits;
        dotInstead = true;
    }
    if (group == u'.') group = QChar();
    return readDigits(text, Separators{QChar(u'.'), group, spaceGroups});
}

// Cents from C notation, the third decimal rounding half up.
Cents centsOf(const QByteArray& notation) {
    const qsizetype point = notation.indexOf('.');
    const QByteArray whole = point < 0 ? notation : notation.left(point);
    const QByteArray fraction = point < 0 ? QByteArray() : notation.mid(point + 1);
    Cents cents = 0;
    for (const char c : whole) cents = cents * 10 + (c - '0');
    for (qsizetype place = 0; place < 2; ++place) cents = cents * 10 + (place < fraction.size() ? fraction[place] - '0' : 0);
    if (fraction.size() > 2 && fraction[2] >= '5') cents += 1;
    return cents;
}

TypedAmount tooLarge() { return {AmountFault::TooLarge, 0, std::nullopt}; }

// The typed text with the locale's decimal separator where a "." was typed
// for it: the workbook reads the list's amounts the locale's way.
QString withLocaleDecimal(const QString& typed, const QLocale& locale) {
    QString text = typed;
    text[text.lastIndexOf(u'.')] = singleMark(locale.decimalPoint());
    return text;
}

QString shown(const QString& typed) {
    if (typed.size() <= kShownLength) return typed;
    return typed.left(kShownLength - 1) + QChar(0x2026);
}

}  // namespace

TypedAmount readTypedAmount(const QString& typed, const QLocale& locale) {
    QStringView text = trimmedBlanks(typed);
    if (text.isEmpty()) return {AmountFault::None, 0, 0};
    auto takeMinus = [&] {
        if (!text.startsWith(u'-')) return false;
        text = text.sliced(1);
        return true;
    };
    bool negative = takeMinus();
    // Most amounts start with a digit: the locale's currency symbol is asked for only when one may lead.
    if (!text.isEmpty() && !isDigit(text.front())) {
        const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
        if (!symbol.isEmpty() && text.startsWith(symbol)) {
            text = trimmedBlanks(text.sliced(symbol.size()));
            if (!negative) negative = takeMinus();
        }
    }
    bool dotInstead = false;
    const std::optional<Digits> digits = readDigits(text, locale, dotInstead);
    if (!digits) return {AmountFault::NotAnAmount, 0, std::nullopt};
    // 309 whole digits are at least 1e308: no conversion needed to know.
    if (digits->wholeDigits > 308) return tooLarge();
    bool converted = false;
    const double magnitude = digits->notation.toDouble(&converted);
    if (!converted || !std::isfinite(magnitude) || magnitude > kLargestAmount) return tooLarge();
    TypedAmount amount{AmountFault::None, negative ? -magnitude : magnitude, std::nullopt};
    amount.dotInstead = dotInstead && digits->notation.contains('.');
    if (digits->wholeDigits <= kWholeDigitsInCents) {
        const Cents cents = centsOf(digits->notation);
        amount.cents = negative ? -cents : cents;
    }
    return amount;
}

bool isNumberBeyondLimit(const QString& text, const QLocale& locale) {
    // Fewer digits than the limit has, and nothing but digits, marks and
    // blanks: no reading can come near it. Most amounts end here.
    if (text.size() < 300 && std::all_of(text.begin(), text.end(), [](QChar c) {
            return (c >= u'0' && c <= u'9') || c == u'.' || c == u',' || c == u'-' || c == u' ';
        }))
        return false;
    if (readTypedAmount(text, locale).fault == AmountFault::TooLarge) return true;
    const QByteArray latin = text.trimmed().toLatin1();
    if (latin.isEmpty() || latin.size() > 400) return false;
    for (const char c : latin)  // decimal notation only: no "inf", "nan" or hexadecimal
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(latin.constData(), &end);
    if (end != latin.constData() + latin.size()) return false;  // not a number throughout
    return (errno == ERANGE && value != 0) || !std::isfinite(value) || std::fabs(value) > kLargestAmount;
}

std::optional<Cents> readCents(const QString& text, const QLocale& locale) {
    return readTypedAmount(text, locale).cents;
}

AmountEntry enterAmount(const QString& fieldName, const QString& typed, const QLocale& locale) {
    const TypedAmount amount = readTypedAmount(typed, locale);
    switch (amount.fault) {
    case AmountFault::None:
        if (amount.value == 0) return {true, QString(), {}};
        return {true, amount.dotInstead ? withLocaleDecimal(typed, locale) : typed, {}};
    case AmountFault::NotAnAmount: {
        const QChar decimal = singleMark(locale.decimalPoint());
        const QString example = QStringLiteral("12") + (decimal.isNull() ? QChar(u'.') : decimal) + QStringLiteral("50");
        return {false, typed,
                QStringLiteral("%1 must be an amount, such as %2; \"%3\" is not one.").arg(fieldName, example, shown(typed))};
    }
    case AmountFault::TooLarge:
        return {false, typed,
                QStringLiteral("%1 must be an amount between -1E+307 and 1E+307; \"%2\" is beyond that.")
                    .arg(fieldName, shown(typed))};
    }
    return {false, typed, {}};
}

}  // namespace brevanta::ledger

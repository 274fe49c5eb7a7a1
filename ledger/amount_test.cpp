#include "ledger/amount_test.h"

namespace brevanta::reg {
namespace {

bool isIgnored(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n'); }

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

int radixDigit(QChar c, int radix) {
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9') value = u - u'0';
    else if (u >= u'a' && u <= u'f') value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F') value = u - u'A' + 10;
    return value < radix ? value : -1;
}

// Reads "&H1F" / "&O17" style numbers from `text` (prefix included); zero
// when no digit follows the prefix.
bool radixNumberIsZero(const QString& text, int radix) {
    for (qsizetype i = 2; i < text.size(); ++i) {
        const int digit = radixDigit(text.at(i), radix);
        if (digit < 0) break;
        if (digit != 0) return false;
    }
    return true;
}

}  // namespace

bool amountIsZero(const QString& text) {
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text)
        if (!isIgnored(c)) compact.append(c);

    if (compact.size() >= 2 && compact.at(0) == QLatin1Char('&')) {
        const QChar kind = compact.at(1).toUpper();
        if (kind == QLatin1Char('H')) return radixNumberIsZero(compact, 16);
        if (kind == QLatin1Char('O')) return radixNumberIsZero(compact, 8);
        return true;
    }

    // Only the mantissa decides: an exponent cannot make a non-zero mantissa zero.
    qsizetype i = 0;
    if (i < compact.size() && (compact.at(i) == QLatin1Char('+') || compact.at(i) == QLatin1Char('-'))) ++i;
    bool seenPoint = false;
    for (; i < compact.size(); ++i) {
        const QChar c = compact.at(i);
        if (c == QLatin1Char('.')) {
            if (seenPoint) break;
            seenPoint = true;
        } else if (isAsciiDigit(c)) {
            if (c != QLatin1Char('0')) return false;
        } else {
            break;
        }
    }
    return true;
}

}  // namespace brevanta::reg

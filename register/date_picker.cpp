#include "register/date_picker.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "ledger/date_text.h"

namespace brevanta::reg {

int monthNamed(const QString& typed, const QLocale& locale) {
    if (typed.isEmpty()) return 0;
    for (int month = 1; month <= 12; ++month)
        for (const QString& name : {locale.monthName(month, QLocale::LongFormat),
                                    locale.standaloneMonthName(month, QLocale::LongFormat),
                                    locale.monthName(month, QLocale::ShortFormat)})
            if (name.startsWith(typed, Qt::CaseInsensitive)) return month;
    return 0;
}

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDisplayFormat(pickerDateFormat(locale()));
}

bool DatePicker::focusNextPrevChild(bool next) {
    // Past the picker's own parts: to the next control.
    return QWidget::focusNextPrevChild(next);
}

void DatePicker::focusInEvent(QFocusEvent* event) {
    typedMonth_.clear();
    QDateEdit::focusInEvent(event);
}

void DatePicker::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool letter = text.size() == 1 && text.at(0).isLetter() &&
                        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (letter && currentSection() == MonthSection && displayFormat().contains(QLatin1String("MMM"))) {
        typeMonth(text);
        return;  // a letter never goes into the month as text
    }
    typedMonth_.clear();
    const Section before = currentSection();
    QDateEdit::keyPressEvent(event);
    // A digit typed at the end of a finished part only steps into the next
    // part and selects it; the digit itself was dropped, so the year typed
    // after "March" read "0000" and fell back to the old year on leaving.
    // The digit goes into the part it stepped into.
    const bool digit = text.size() == 1 && text.at(0).isDigit();
    if (digit && currentSection() != before && lineEdit()->hasSelectedText() &&
        lineEdit()->selectedText() == sectionText(currentSection()))
        QDateEdit::keyPressEvent(event);
}

bool DatePicker::typeMonth(const QString& letter) {
    int month = monthNamed(typedMonth_ + letter, locale());
    if (month) {
        typedMonth_ += letter;
    } else {
        typedMonth_ = letter;
        month = monthNamed(typedMonth_, locale());
    }
    if (!month) return false;
    const QDate current = date();
    setDate(QDate(current.year(), month, std::min(current.day(), QDate(current.year(), month, 1).daysInMonth())));
    setSelectedSection(MonthSection);
    return true;
}

}  // namespace brevanta::reg

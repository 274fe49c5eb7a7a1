#include "register/date_cell_editor.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "ledger/dates.h"
#include "register/cell_editing.h"

namespace brevanta::reg {

namespace {
constexpr qsizetype kLongestDateText = 64;  // longer texts are no dates (ledger/dates.h)
}

DateCellEditor::DateCellEditor(const QString& storedText, QWidget* parent)
    : QDateEdit(parent), storedText_(storedText) {
    setDisplayFormat(ledger::shortDateFormatWithFullYear(locale()));
    const auto date = ledger::readDate(storedText, locale());
    shownDate_ = date ? date->date : QDate::currentDate();
    setDate(shownDate_);
    setProperty("originalDate", shownDate_);
}

void DateCellEditor::selectWholeText() { lineEdit()->selectAll(); }

QValidator::State DateCellEditor::validate(QString& text, int& position) const {
    if (typedOver_) return text.size() <= kLongestDateText ? QValidator::Intermediate : QValidator::Invalid;
    return QDateEdit::validate(text, position);
}

void DateCellEditor::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool printable = !text.isEmpty() && text.at(0).isPrint();
    const QLineEdit* line = lineEdit();
    if (!typedOver_ && (printable || event->matches(QKeySequence::Paste)) && line->hasSelectedText() &&
        line->selectedText() == line->text())
        typedOver_ = true;
    if (typedOver_ && event->key() != Qt::Key_Up && event->key() != Qt::Key_Down) {
        // Plain text editing, past the picker's sections.
        QAbstractSpinBox::keyPressEvent(event);
        return;
    }
    QDateEdit::keyPressEvent(event);
}

CellText DateCellEditor::cellText() const {
    if (!typedOver_) {
        // An untouched date keeps its text as it was (with a time of day, say).
        if (date() == shownDate_) return {true, storedText_, {}};
        return {true, ledger::storedDateText(date()), {}};
    }
    const QString typed = lineEdit()->text().trimmed();
    if (const auto date = ledger::readDate(typed, locale())) return {true, ledger::storedDateText(*date), {}};
    return {false, {},
            QStringLiteral("\"%1\" is no date. Type a date as %2 or %3.")
                .arg(typed.left(kLongestDateText), QDate(2026, 1, 31).toString(ledger::shortDateFormatWithFullYear(locale())),
                     QStringLiteral("2026-01-31"))};
}

}  // namespace brevanta::reg

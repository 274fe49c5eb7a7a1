#pragma once
// The main window's date picker (dtpDate), as a newcomer types into it:
//   - the locale's long date without the weekday (pickerDateFormat), so a
//     year typed digit by digit reads "2", "20", "202", "2026";
//   - months typed by name with the month section selected: "o" picks
//     October, "ma" March, "may" May, "ju" June and "jul" July; letters
//     typed one after another count together, and a letter that would match
//     no month starts again from itself. The day is kept, or the month's
//     last day when the month is shorter;
//   - Tab and Shift+Tab go to the next and previous control, as in every
//     other field; Left and Right, or the separator, move between its parts.

#include <QDateEdit>
#include <QLocale>
#include <QString>

namespace brevanta::reg {

// The month (1..12) whose name begins with `typed` (case ignored), the first
// in the year's order; 0 when none does.
int monthNamed(const QString& typed, const QLocale& locale = QLocale());

class DatePicker final : public QDateEdit {
    Q_OBJECT

public:
    explicit DatePicker(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool typeMonth(const QString& letter);
    QString typedMonth_;
};

}  // namespace brevanta::reg

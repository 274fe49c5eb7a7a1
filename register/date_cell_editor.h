#pragma once
// The editor of a Date in the list: a date picker in the locale's short
// format with a four-digit year, whose text may also be typed over whole.
// Once the whole text is selected and a character typed (or a text pasted), the editor takes
// free text, read on Enter by the register's one date reader
// (ledger/dates.h): ISO "2026-01-03" as well as the locale's "1/3/2026".

#include <QDateEdit>
#include <QString>

namespace brevanta::reg {

struct CellText;

class DateCellEditor final : public QDateEdit {
    Q_OBJECT

public:
    // Shows `storedText` (today when it is no date) with all of it selected.
    DateCellEditor(const QString& storedText, QWidget* parent);

    // Whether the text was typed over, rather than stepped by sections.
    bool typedOver() const { return typedOver_; }
    // What the Date field becomes: the stored form of the date, the text
    // that was there when the date is untouched, or why it is refused.
    CellText cellText() const;
    // Selects the whole text, ready to be typed over.
    void selectWholeText();

protected:
    QValidator::State validate(QString& text, int& position) const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString storedText_;
    QDate shownDate_;
    bool typedOver_ = false;
};

}  // namespace brevanta::reg

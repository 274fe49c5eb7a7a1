#pragma once
// The longest text an entry box takes, cut as the sheet writer cuts a
// cell's text: before a character, never between the two halves of a
// surrogate pair. QLineEdit's own limit cuts a pasted text at a code unit,
// and a character outside the Basic Multilingual Plane at the limit left
// half of it in the box.

#include <QValidator>

class QLineEdit;

namespace brevanta::reg {

class WholeCharacterLimit final : public QValidator {
public:
    explicit WholeCharacterLimit(int units, QObject* parent = nullptr) : QValidator(parent), units_(units) {}
    // A text over the limit loses the end of what was just put in before
    // the cursor, whole characters at a time; the text after it stays.
    State validate(QString& input, int& position) const override;

private:
    int units_;
};

// Limits `box` to the most a cell holds (32,767 UTF-16 units), cut on whole characters.
void limitToWholeCharacters(QLineEdit* box);

}  // namespace brevanta::reg

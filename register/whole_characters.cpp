#include "register/whole_characters.h"

#include <QLineEdit>
#include <algorithm>

#include "generate/register_layout.h"
#include "xls/biff_strings.h"

namespace brevanta::reg {

QValidator::State WholeCharacterLimit::validate(QString& input, int& position) const {
    if (input.size() <= units_) return Acceptable;
    position = std::clamp(position, 0, int(input.size()));
    const QString after = input.mid(position);
    if (after.size() >= units_) {  // nothing of the insertion fits: the text as a whole is cut
        input = xls::leftWholeCharacters(input, units_);
        position = int(std::min<qsizetype>(position, input.size()));
        return Acceptable;
    }
    const QString before = xls::leftWholeCharacters(input.left(position), units_ - after.size());
    input = before + after;
    position = int(before.size());
    return Acceptable;
}

void limitToWholeCharacters(QLineEdit* box) {
    // One unit above the limit, so that a pair the box's own cut would split
    // reaches the validator whole or as its first half, and is cut there.
    box->setMaxLength(generate::kLongestCellText + 1);
    box->setValidator(new WholeCharacterLimit(generate::kLongestCellText, box));
}

}  // namespace brevanta::reg

#pragma once
// Return or Enter on a button that has the focus presses it, as Space does.
// A window that is not a dialog leaves Return to a button only when it is a
// default button, so a keyboard user who tabbed to "Add Transaction" and
// pressed Return saw nothing happen.

class QAbstractButton;

namespace brevanta::frame {

void clickOnReturn(QAbstractButton* button);

}  // namespace brevanta::frame

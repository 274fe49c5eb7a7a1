#pragma once
// Connects the main window to what it starts: the palette and host check at
// start-up, the running-host guard, the generation, and the preview window.

class QWidget;

namespace brevanta::reg {
class Form1;
}

namespace brevanta::app {

void wireApplication(reg::Form1& form1);

// Brings whichever window of the program is shown, the main window or the
// preview, to the front; answers it (null when none is shown).
QWidget* bringToFront(reg::Form1& form1);

}  // namespace brevanta::app

#pragma once
// Connects the main window to what it starts: the palette and host check at
// start-up, the running-host guard, the generation, and the preview window.

namespace brevanta::reg {
class Form1;
}

namespace brevanta::app {

void wireApplication(reg::Form1& form1);

}  // namespace brevanta::app

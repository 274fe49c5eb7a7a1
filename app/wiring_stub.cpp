// Until the generation and preview are wired in, the main window runs on its
// own: its hooks stay unset and do nothing.

#include "app/wiring.h"

namespace brevanta::app {

void wireApplication(reg::Form1&) {}

}  // namespace brevanta::app

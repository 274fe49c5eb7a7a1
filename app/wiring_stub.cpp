// Until the generation and preview are wired in, the main window runs on its
// own: its hooks stay unset and do nothing.

#include "app/wiring.h"

#include "register/form1.h"

namespace brevanta::app {

void wireApplication(reg::Form1&) {}

QWidget* bringToFront(reg::Form1& form1) {
    if (!form1.isVisible()) return nullptr;
    form1.setWindowState(form1.windowState() & ~Qt::WindowMinimized);
    form1.raise();
    form1.activateWindow();
    return &form1;
}

}  // namespace brevanta::app

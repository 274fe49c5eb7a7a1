#pragma once
// Connects the main window to what it starts: the host check at start-up,
// the running-host guard, the generation, and the preview window.

#include <QObject>
#include <memory>

class QWidget;

namespace brevanta::reg {
class Form1;
}
namespace brevanta::preview {
class Form2;
class SummaryOption;
}

namespace brevanta::app {

// The preview window of one main window: made on first use, kept for the
// whole run like the main window, and owned here. This object is a child of
// the main window, so the preview goes when the main window goes.
class ProgramWindows final : public QObject {
public:
    explicit ProgramWindows(reg::Form1& form1);
    ~ProgramWindows() override;

    // The preview window, made now if it does not exist yet, with the
    // summary option in its right-click menu.
    preview::Form2& preview();
    // "Include Category Summary", read from the list's settings on first use.
    preview::SummaryOption& summaryOption();

    // Brings whichever window of the program is shown, the main window or
    // the preview, to the front; answers it (null when none is shown).
    QWidget* bringToFront();

private:
    reg::Form1& form1_;
    std::unique_ptr<preview::Form2> preview_;
    preview::SummaryOption* summaryOption_ = nullptr;  // a child of this object
};

// Wires `form1` and answers the windows it now owns (a child of `form1`).
ProgramWindows& wireApplication(reg::Form1& form1);

}  // namespace brevanta::app

#pragma once
// How the windows look: the button-face colour, and the optional style sheet
// ("skin") a user may put beside the program.

#include <QString>

class QWidget;

namespace brevanta::frame {

// The main window's colours: white behind black text when the theme is
// light, as the window was drawn; under a dark or high-contrast theme with
// a dark window colour, the theme's own colours for both, so no text is
// ever drawn in the colour of what is behind it. Follows the theme when it
// changes while the window is open.
void useWindowColours(QWidget* window);

// Gives the window, and its frames, labels, check boxes and option buttons, the button-face colour,
// with the button text colour for their text.
void useButtonFaceColors(QWidget* window);

// When `folder` holds "x/o.cjs", colours the window like useButtonFaceColors
// and applies the file as the window's style sheet. Without the file does
// nothing. Throws Failure when the file exists but cannot be read.
void applySkin(QWidget* mainWindow, const QString& folder);

}  // namespace brevanta::frame

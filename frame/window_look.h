#pragma once
// How the windows look: the button-face colour, and the optional style sheet
// ("skin") a user may put beside the program.

#include <QString>

class QWidget;

namespace brevanta::frame {

// Gives the window, and its frames, labels, check boxes and option buttons, the button-face colour.
void useButtonFaceColors(QWidget* window);

// When `folder` holds "x/o.cjs", colours the window like useButtonFaceColors
// and applies the file as the window's style sheet. Without the file does
// nothing. Throws Failure when the file exists but cannot be read.
void applySkin(QWidget* mainWindow, const QString& folder);

}  // namespace brevanta::frame

#pragma once
// Text from outside (a statement's payee, a bank's error text, a file name)
// printed to a terminal: a control character in it would be taken as a
// command (ESC [2J clears the screen, a carriage return overwrites the
// line). Such characters are shown escaped instead.

#include <QString>

namespace brevanta::app {

// `text` with every control character but the line break and the tab
// written as \xNN (C0, DEL and C1 alike); a backslash stays as it is.
QString terminalText(const QString& text);

}  // namespace brevanta::app

#pragma once
// The tool tips of the main window's controls: what each one is for, and the
// keys that reach it.

namespace brevanta::reg {

class Form1;

void giveControlTips(Form1& form);

}  // namespace brevanta::reg

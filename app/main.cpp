// The program: the main window, wired to the rest of the program, runs its
// start-up and is shown; closing it ends the program. One copy runs per
// user: a second start brings the running copy's window to the front and
// ends before it shows anything of its own.

#include "app/program.h"

int main(int argc, char** argv) { return brevanta::app::runProgram(argc, argv); }

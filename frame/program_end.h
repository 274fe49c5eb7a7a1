#pragma once
// Ending the program "at once" (after the start-up check fails, or when the
// preview window closes). Tests replace the action so that the test process
// survives and can check what happened before the end.

#include <functional>

namespace brevanta::frame {

// Ends the program: by default QCoreApplication::exit plus an immediate
// std::exit when no event loop runs yet.
void endProgram(int exitCode = 0);

// Replaces the action (tests, so that the test process survives); an empty
// function restores the default. The program never installs one; it costs
// one test of an empty function when the program ends.
void setProgramEndAction(std::function<void(int)> action);

}  // namespace brevanta::frame

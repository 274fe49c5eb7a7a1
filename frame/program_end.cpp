#include "frame/program_end.h"

#include <QCoreApplication>
#include <cstdlib>

namespace brevanta::frame {
namespace {
// The one service point for the end: empty while the default ends the program.
std::function<void(int)> installedAction;
}

void endProgram(int exitCode) {
    if (installedAction) {
        installedAction(exitCode);
        return;
    }
    // No further handler of ours may run: leave without unwinding the windows.
    std::exit(exitCode);
}

void setProgramEndAction(std::function<void(int)> action) { installedAction = std::move(action); }

}  // namespace brevanta::frame

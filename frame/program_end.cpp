#include "frame/program_end.h"

#include <QCoreApplication>
#include <cstdlib>

namespace brevanta::frame {
namespace {
std::function<void(int)> gAction;
}

void endProgram(int exitCode) {
    if (gAction) {
        gAction(exitCode);
        return;
    }
    // No further handler of ours may run: leave without unwinding the windows.
    std::exit(exitCode);
}

void setProgramEndAction(std::function<void(int)> action) { gAction = std::move(action); }

}  // namespace brevanta::frame

#pragma once
// A statement read while the window goes on: the reading runs on a thread
// of its own (an OFX file in a process of its own beneath it), the window
// keeps painting, and a reading that takes longer than half a second shows
// a progress window whose Cancel stops it.

#include <QString>

#include "statements/statement.h"

namespace brevanta::reg {

// Reads the statement at `path`; throws statements::StatementError, or
// statements::ReadCancelled when the user pressed Cancel.
statements::Statement readStatementShowingProgress(const QString& path);

}  // namespace brevanta::reg

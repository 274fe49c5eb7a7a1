#pragma once
// A statement read while the window goes on: the reading runs on a thread
// of its own (an OFX file in a process of its own beneath it), the window
// keeps painting, and a reading that takes longer than half a second shows
// a progress window whose Cancel stops it.

#include <QString>
#include <optional>

#include "statements/statement_file.h"

namespace brevanta::reg {

// Reads the statement at `path` as statements::readStatement does, asking
// `options.askForm` on the window's thread; nothing when that question was
// cancelled. Throws statements::StatementError, or statements::ReadCancelled
// when the user pressed Cancel in the progress window.
std::optional<statements::StatementReading> readStatementShowingProgress(const QString& path,
                                                                        const statements::StatementReadOptions& options);

}  // namespace brevanta::reg

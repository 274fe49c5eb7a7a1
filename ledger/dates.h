#pragma once
// The register's dates: the one form they are stored in, and the one reader
// of every date text the register meets.

namespace brevanta::ledger {}  // namespace brevanta::ledger

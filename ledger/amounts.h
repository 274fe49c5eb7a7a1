#pragma once
// The register's amounts: the one reader of what people type for money.

namespace brevanta::ledger {}  // namespace brevanta::ledger

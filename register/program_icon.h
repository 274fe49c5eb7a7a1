#pragma once
// The program's icon, drawn in code: a green ledger page with ruled lines
// and a check mark.

#include <QIcon>

namespace brevanta::reg {

QIcon programIcon();

}  // namespace brevanta::reg

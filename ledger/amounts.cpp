#include "ledger/amounts.h"

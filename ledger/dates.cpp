#include "ledger/dates.h"

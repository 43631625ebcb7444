#pragma once
#include "records.h"

namespace lp {

// Makes the custom count equal the number of user-defined services and numbers their othernum
// 1..custom count in table order, which the folder list relies on. A table that already holds
// both is left exactly as it is.
void RestoreTableInvariants(ServiceTable& table);

} // namespace lp

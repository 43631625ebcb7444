#pragma once
// Rules that are passed over because they hold something this program does not know (a condition
// kind from a newer or hand-edited file, say): said once when the file is read, so that the user
// learns why such a rule never acts. The file keeps them as they are.

#include "globals/records.h"

#include <string>
#include <vector>

namespace lp {

// One line per enabled rule that is passed over, each starting "larchpost: ".
std::vector<std::string> PassedOverNotices(const ServiceTable& table);

} // namespace lp

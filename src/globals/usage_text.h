#pragma once
// What `larchpost --help` prints: every mode and option, one screen of plain text.

#include <string>

namespace lp {

std::string usageText();

} // namespace lp

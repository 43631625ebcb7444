#pragma once
// The options dialog's choices, for the program built without its desktop layer, which has no
// settings reader of its own. Only Windows has it: there the desktop program keeps them as values
// of HKEY_CURRENT_USER\Software\Larchpost\Options.

#include <optional>
#include <string>

namespace lp::platform {

// Where the choices are kept, in the words a user would look for it by.
std::string StoredChoicesPlace();

// The named value's text (a number as its digits), nothing when the value or its key is absent
// or cannot be read.
std::optional<std::string> ReadStoredChoice(const std::string& name);

} // namespace lp::platform

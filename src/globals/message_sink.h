#pragma once
#include <functional>
#include <string>

namespace lp {

// Where the core sends what the user must be told. The desktop program turns a message into a
// warning box; the headless program prints it on standard error. The core itself shows nothing.
using MessageSink = std::function<void(const std::string& message)>;

} // namespace lp

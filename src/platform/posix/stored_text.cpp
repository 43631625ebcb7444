#include "platform/stored_text.h"

namespace lp::platform {

// Names on Linux are bytes, and a configuration names them exactly as they are on disk.
void StoredTextToUtf8(std::string&) {}

} // namespace lp::platform

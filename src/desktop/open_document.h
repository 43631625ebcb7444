#pragma once
// Opening a file, a program or a web address the way the desktop would.

#include "globals/message_sink.h"

#include <cstdint>
#include <string>

namespace lp {

// An executable file is started directly (no shell, not waited for); anything else, a document or
// a web address, goes to the desktop's default handler. Returns 0, or -1 after telling onError
// "Error starting player program.".
std::int32_t OpenDocument(const std::string& target, const MessageSink& onError);

} // namespace lp

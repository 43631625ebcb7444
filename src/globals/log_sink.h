#pragma once
// Where the core's own warnings go: what went wrong out of the user's sight (an exception caught
// at the edge of a cycle, a log that cannot be written). What the user must be told in answer to
// what they did goes to a MessageSink the caller hands over instead.

#include "message_sink.h"

#include <string>
#include <string_view>

namespace lp {

// Replaces where the core's warnings go (the desktop program routes them to its logging
// category); an empty sink puts back the one of a program without Qt: standard error, one line
// each. Lines from two threads never mix.
void SetLogSink(MessageSink sink);

void LogWarning(const std::string& message) noexcept;

// Says that an exception was caught while doing what `during` names, with what it said (its
// what(), or "unknown exception" for nullptr). Never throws: a handler may call it when memory
// ran out.
void LogCaught(std::string_view during, const char* what) noexcept;

} // namespace lp

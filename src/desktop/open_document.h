#pragma once
// Opening a file, a program or a web address the way the desktop would.

#include "platform/problem.h"

#include <string>

namespace lp {

// An executable file is started directly (no shell, not waited for); anything else, a document or
// a web address, goes to the desktop's default handler. "Error starting player program." when
// it could not be started.
Problem OpenDocument(const std::string& target);

} // namespace lp

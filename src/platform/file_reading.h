#pragma once
// Reading a small file whole, such as the configuration.

#include <cstddef>
#include <string>

namespace lp::platform {

// Appends at most limit bytes of the file at path to content. False when the file cannot be
// opened, or when it opens but not one byte of it can be read (a folder, say); readFailed is set
// then, and also when a read error cuts the file short, content keeping what came before it.
bool ReadFileStart(const std::string& path, std::size_t limit, std::string& content,
                   bool& readFailed);

} // namespace lp::platform

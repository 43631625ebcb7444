#pragma once
// Reading a small file whole, such as the configuration, and comparing two files.

#include <cstddef>
#include <string>

namespace lp::platform {

// Appends at most limit bytes of the file at path to content. False when the file cannot be
// opened, or when it opens but not one byte of it can be read (a folder, say); readFailed is set
// then, and also when a read error cuts the file short, content keeping what came before it.
bool ReadFileStart(const std::string& path, std::size_t limit, std::string& content,
                   bool& readFailed);

// Whether plain files stand at both paths holding the same bytes. Anything else at either path
// (a link, a pipe, a device, a folder) is never opened through nor waited on: it counts as
// different, as does a file that cannot be read whole.
bool SameFileBytes(const std::string& first, const std::string& second);

} // namespace lp::platform

#pragma once
// The text of files that older programs wrote, such as the configuration, as the UTF-8 that
// Larchpost works in.

#include <string>

namespace lp::platform {

// Turns text into UTF-8 where the system's older programs wrote another encoding. On Windows a
// text whose bytes beyond ASCII form no UTF-8 at all was written in the system's ANSI code page,
// as the program that first kept these files did, and is converted from it; UTF-8 (plain ASCII
// included) stays as it is, and so does a text that mixes both. On Linux a file name is any
// bytes, so the text is always kept byte for byte.
void StoredTextToUtf8(std::string& text);

} // namespace lp::platform

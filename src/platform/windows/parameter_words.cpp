#include "platform/parameter_words.h"

#include "windows_support.h"

#include <shellapi.h>

namespace lp::platform {

std::vector<std::string> SplitParameterText(std::string_view text) {
    // The system's own splitter reads its first word as a program's name, by other rules, and
    // an empty line as this program's own name; a stand-in name in front keeps every word of the
    // text an argument.
    const std::wstring line = L"x " + windows::toWide(text);
    int count = 0;
    wchar_t** const words = ::CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::string> arguments;
    if (words == nullptr)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(windows::toUtf8(words[i]));
    ::LocalFree(words);
    return arguments;
}

} // namespace lp::platform

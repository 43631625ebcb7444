#include "platform/program_arguments.h"

#include "windows_support.h"

#include <shellapi.h>

namespace lp::platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    // The narrow arguments went through the ANSI code page, which loses every letter outside
    // it; the wide command line keeps them all.
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        arguments.push_back(windows::toUtf8(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

void UseUtf8Console() {
    ::SetConsoleOutputCP(CP_UTF8);
}

} // namespace lp::platform

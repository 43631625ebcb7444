#include "platform/launcher.h"

#include "windows_support.h"

#include <shellapi.h>

namespace lp::platform {

namespace {

using windows::toWide;

// Whether a word goes into the command line as it stands: one without blanks and quotes that is
// either free of the characters a command interpreter acts on (& | < > ^ ( ) , ; = ! %), or made
// of nothing but redirections and digits ("2>&1", ">>", "|"), which the user typed to be acted
// on. Any word holding a file's path has a folder part and so is never the latter: a name such
// as "a&b.txt" is quoted, where cmd.exe reads & and ^ as letters (it still expands %VAR%).
bool standsBare(const std::wstring& argument) {
    if (argument.empty() || argument.find_first_of(L" \t\n\v\"") != std::wstring::npos)
        return false;
    if (argument.find_first_of(L"&|<>^(),;=!%") == std::wstring::npos)
        return true;
    return argument.find_first_not_of(L"&|<>0123456789") == std::wstring::npos;
}

// One argument as the receiving program's start-up code splits a command line again: quoted
// unless it stands bare, with the backslashes before a quote doubled. A file name cannot hold a
// double quotation mark on Windows, so a quoted path always arrives whole.
void appendQuoted(std::wstring& line, const std::wstring& argument) {
    if (standsBare(argument)) {
        line += argument;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            line.append(backslashes * 2 + 1, L'\\');
        else
            line.append(backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\'); // the closing quote must stay a quote
    line += L'"';
}

std::wstring parameterText(const std::vector<std::string>& arguments) {
    std::wstring line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += L' ';
        appendQuoted(line, toWide(argument));
    }
    return line;
}

// A name without a folder part, which the shell looks up on the search path and among the
// programs registered under App Paths.
bool bareName(const std::wstring& name) {
    return name.find_first_of(L"\\/:") == std::wstring::npos;
}

bool registeredProgram(const std::wstring& name) {
    const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name;
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const wchar_t* suffix : {L"", L".exe"}) {
            HKEY entry = nullptr;
            if (::RegOpenKeyExW(root, (key + suffix).c_str(), 0, KEY_QUERY_VALUE, &entry) ==
                ERROR_SUCCESS) {
                ::RegCloseKey(entry);
                return true;
            }
        }
    return false;
}

bool onSearchPath(const std::wstring& name) {
    wchar_t found[MAX_PATH];
    return ::SearchPathW(nullptr, name.c_str(), L".exe", MAX_PATH, found, nullptr) != 0;
}

} // namespace

std::error_code StartProgram(const std::string& program,
                             const std::vector<std::string>& arguments) {
    if (program.empty())
        return std::make_error_code(std::errc::no_such_file_or_directory);
    const std::wstring file = toWide(program);
    const std::wstring parameters = parameterText(arguments);
    // The shell opens a program, a document or a web address alike: what it is decides what
    // starts. Nothing is waited for, and no message box stands in the way of an unattended run.
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.hwnd = ::GetDesktopWindow();
    start.lpVerb = L"open";
    start.lpFile = file.c_str();
    start.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&start))
        return windows::lastError();
    return {};
}

bool ProgramStartable(const std::string& program) {
    if (program.empty())
        return false;
    // A web address goes to the handler of its scheme, which the shell always has for the
    // usual ones.
    if (program.find("://") != std::string::npos)
        return true;
    const std::wstring file = toWide(program);
    if (bareName(file))
        return onSearchPath(file) || registeredProgram(file);
    // A program or a document: the shell opens whatever is there.
    return ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace lp::platform

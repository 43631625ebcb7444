#pragma once
// One run of the real larchpost.exe, which lies beside the test program, its standard output and
// error output kept in files, for the end-to-end tests on Windows.

#include "own_executable.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

namespace lp::test {

// How long a check waits for the program before it counts as stuck. Only a guard against a hang:
// no test depends on how fast anything is.
inline constexpr std::chrono::seconds kStuck{60};

inline std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline std::wstring wide(const std::string& utf8) {
    const std::u8string text(utf8.begin(), utf8.end());
    return std::filesystem::path(text).wstring();
}

// One argument as the program's start-up code splits the command line again.
inline void appendArgument(std::wstring& line, const std::wstring& argument) {
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

template <typename Predicate> bool waitFor(Predicate done) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + kStuck;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class ProgramRun {
public:
    // Runs larchpost.exe with args (UTF-8); output and errors go to files in folder.
    ProgramRun(const std::filesystem::path& folder, const std::vector<std::string>& args)
        : output_(folder / ("stdout-" + std::to_string(++runs()) + ".txt")),
          errors_(folder / ("stderr-" + std::to_string(runs()) + ".txt")) {
        const std::wstring program = wide(ownExecutableFolder() + "larchpost.exe");
        std::wstring line;
        appendArgument(line, program);
        for (const std::string& arg : args) {
            line += L' ';
            appendArgument(line, wide(arg));
        }
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const HANDLE out = ::CreateFileW(output_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        const HANDLE err = ::CreateFileW(errors_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION started{};
        // Under a busy Wine a start can be refused for a moment: a few more tries, then the
        // refusal is what the test sees.
        for (int attempt = 0; attempt < 3 && process_ == nullptr; ++attempt) {
            if (attempt > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                 nullptr, &startup, &started)) {
                process_ = started.hProcess;
                ::CloseHandle(started.hThread);
            } else {
                startError_ = ::GetLastError();
            }
        }
        ::CloseHandle(out);
        ::CloseHandle(err);
    }
    ~ProgramRun() {
        if (process_ != nullptr) {
            if (!status_)
                ::TerminateProcess(process_, 255);
            ::CloseHandle(process_);
        }
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return process_ != nullptr; }
    std::string output() const { return fileBytes(output_); }
    std::string errors() const {
        if (process_ == nullptr)
            return "larchpost.exe could not be started: error " + std::to_string(startError_);
        return fileBytes(errors_);
    }

    // The exit status once the program has ended; nothing while it runs or when it hangs.
    std::optional<int> waitForEnd(std::chrono::milliseconds limit = kStuck) {
        if (!status_ && process_ != nullptr &&
            ::WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0) {
            DWORD code = 0;
            ::GetExitCodeProcess(process_, &code);
            status_ = static_cast<int>(code);
        }
        return status_;
    }
    void kill() {
        if (process_ != nullptr && !status_) {
            ::TerminateProcess(process_, 255);
            waitForEnd();
        }
    }

private:
    static int& runs() {
        static int count = 0;
        return count;
    }

    std::filesystem::path output_;
    std::filesystem::path errors_;
    HANDLE process_ = nullptr;
    DWORD startError_ = 0;
    std::optional<int> status_;
};

} // namespace lp::test

#include "platform/launcher.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lp::platform {

namespace {

bool isExecutableFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The executable a name stands for: a name with a folder part as it is, a bare name looked up
// on PATH. Empty when there is none.
std::string findExecutable(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return isExecutableFile(program) ? program : std::string();
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const auto colon = folders.find(':');
        std::string_view folder = folders.substr(0, colon);
        if (folder.empty())
            folder = "."; // an empty entry names the working folder
        std::string candidate;
        candidate.reserve(folder.size() + 1 + program.size());
        candidate.append(folder).append(1, '/').append(program);
        if (isExecutableFile(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            return {};
        folders.remove_prefix(colon + 1);
    }
}

// Starts executable in a grandchild that nobody needs to wait for: the child in between ends at
// once and is reaped here. A pipe that closes on exec tells whether the program really started.
// The program reads nothing of ours and writes nowhere we print: its standard input and output
// are the null device, so nothing it prints can pass for one of our lines. Its standard error
// stays ours, where its complaints belong.
std::error_code spawnDetached(const std::string& executable, std::string name,
                              std::vector<std::string> arguments) {
    std::vector<char*> argv{name.data()};
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (nothing < 0)
        return {errno, std::generic_category()};
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(nothing);
        return {error, std::generic_category()};
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(nothing);
        ::close(report[0]);
        ::close(report[1]);
        return {error, std::generic_category()};
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on.
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int error = errno;
                (void)!::write(report[1], &error, sizeof error);
            }
            ::_exit(0);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr); // the stop signals must reach the program
        // Started without a standard input, we may have got the null device as that very
        // number: then it only needs to stay open across the exec.
        const auto useNothingAs = [nothing](int target) {
            return nothing == target ? ::fcntl(target, F_SETFD, 0) : ::dup2(nothing, target);
        };
        if (useNothingAs(STDIN_FILENO) < 0 || useNothingAs(STDOUT_FILENO) < 0) {
            const int error = errno;
            (void)!::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        ::execve(executable.c_str(), argv.data(), environ);
        const int error = errno;
        (void)!::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(nothing);
    ::close(report[1]);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error))
        return {error, std::generic_category()};
    return {};
}

// What StartProgram hands program to: the program itself, or the desktop's opener when it is a
// document or a web address; empty when there is nothing to start.
struct Starter {
    std::string executable;
    bool opener = false;
};

Starter starterFor(const std::string& program) {
    if (program.empty())
        return {};
    if (std::string executable = findExecutable(program); !executable.empty())
        return {std::move(executable), false};
    // A document or a web address: what the desktop opens it with decides about arguments.
    struct stat status {};
    const bool exists = ::stat(program.c_str(), &status) == 0;
    const bool address = program.find("://") != std::string::npos;
    if (!exists && !address)
        return {};
    return {findExecutable("xdg-open"), true};
}

} // namespace

std::error_code StartProgram(const std::string& program,
                             const std::vector<std::string>& arguments) {
    const Starter starter = starterFor(program);
    if (starter.executable.empty())
        return std::make_error_code(std::errc::no_such_file_or_directory);
    if (starter.opener)
        return spawnDetached(starter.executable, "xdg-open", {program});
    return spawnDetached(starter.executable, program, arguments);
}

bool ProgramStartable(const std::string& program) {
    return !starterFor(program).executable.empty();
}

} // namespace lp::platform

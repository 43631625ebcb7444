#pragma once
// One run of the real executable with its own runtime and configuration folders, its standard
// output and error output kept in files, for the end-to-end tests.
//
// The program places its instance guard by what the system knows of the user (/run/user/<uid> and
// .cache/Larchpost in the home the password database gives), not by anything a test may set. So
// that no run meets the guard of the user running the tests, nor that of a test running beside
// it, each run sees both of its test's own: it is started in a mount namespace of its own
// (unshare(1)) where the test's "system-run" folder stands at /run and its "system-home-guard"
// at the home's guard folder. Runs of one test share those folders, and so the guard.

#include "platform/instance_lock.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

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

// Whether a run can be given a /run of its own here (user namespaces may be turned off). Without,
// runs use the real /run and may meet the guard of a Larchpost running for the same user.
inline bool runIsolationAvailable() {
    static const bool available =
        std::system("unshare --user --map-current-user --mount --keep-caps -- sh -c "
                    "'mount --bind /tmp /run' >/dev/null 2>&1") == 0;
    return available;
}

// Where the runs of a test with this home keep the instance guard: the user's runtime folder in
// the test's own /run.
inline std::filesystem::path guardFolder(const std::filesystem::path& home) {
    if (!runIsolationAvailable()) {
        const auto folders = lp::platform::InstanceGuardFolders();
        return folders.empty() ? std::filesystem::path() : std::filesystem::path(folders.back());
    }
    return home / "system-run" / "user" / std::to_string(::geteuid());
}

// The guard's folder in the home the password database gives this user, made so that a folder of
// the test's own can be mounted on it; nothing when the user has no home there or it cannot be
// made (the program then cannot use it either).
inline std::optional<std::filesystem::path> homeGuardMountPoint() {
    namespace fs = std::filesystem;
    const passwd* entry = ::getpwuid(::geteuid());
    if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] != '/')
        return std::nullopt;
    const fs::path folder = fs::path(entry->pw_dir) / ".cache" / "Larchpost";
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error))
        return std::nullopt;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    return folder;
}

// The words that start a command with the test's /run in place of the system's. The runtime
// folder the system would make for the user is made there (0700, as logind makes it).
inline std::vector<std::string> isolatedStart(const std::filesystem::path& home) {
    namespace fs = std::filesystem;
    if (!runIsolationAvailable()) {
        static const bool warned = [] {
            std::fprintf(stderr, "unshare(1) cannot make a mount namespace here: the program "
                                 "runs use the real /run and its instance guard\n");
            return true;
        }();
        (void)warned;
        return {};
    }
    const fs::path runtime = guardFolder(home);
    if (!fs::exists(runtime)) {
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    }
    std::vector<std::string> words{"unshare", "--user", "--map-current-user", "--mount",
                                   // An ordinary user keeps the capabilities the namespace gives,
                                   // so the mounts work.
                                   "--keep-caps", "--", "sh", "-c"};
    static const std::optional<fs::path> homeGuard = homeGuardMountPoint();
    if (!homeGuard) {
        words.insert(words.end(),
                     {"mount --bind \"$0\" /run && exec \"$@\"", (home / "system-run").string()});
        return words;
    }
    const fs::path ownHomeGuard = home / "system-home-guard";
    if (!fs::exists(ownHomeGuard)) {
        fs::create_directories(ownHomeGuard);
        fs::permissions(ownHomeGuard, fs::perms::owner_all, fs::perm_options::replace);
    }
    words.insert(words.end(),
                 {"mount --bind \"$0\" /run && mount --bind \"$1\" \"$2\" && "
                  "shift 2 && exec \"$@\"",
                  (home / "system-run").string(), ownHomeGuard.string(), homeGuard->string()});
    return words;
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
    // Runs the executable with args; home holds "run" (the runtime folder), "config", "state"
    // (where the activity log goes) and "data" (where the trash is). With
    // display false, no display variable reaches the program. Each "NAME=value" of extraEnv
    // replaces that variable (a real display instead of the offscreen one, say); a bare "NAME"
    // removes it.
    ProgramRun(const std::filesystem::path& home, const std::vector<std::string>& args,
               bool display = true, const std::vector<std::string>& extraEnv = {})
        : output_(home / ("stdout-" + std::to_string(++runs()) + ".txt")),
          errors_(home / ("stderr-" + std::to_string(runs()) + ".txt")) {
        const auto overridden = [](const std::string& entry) {
            for (const char* name :
                 {"XDG_RUNTIME_DIR=", "XDG_CONFIG_HOME=", "XDG_STATE_HOME=", "XDG_DATA_HOME=",
                  "QT_QPA_PLATFORM=", "DISPLAY=", "WAYLAND_DISPLAY="})
                if (entry.rfind(name, 0) == 0)
                    return true;
            return false;
        };
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e)
            if (!overridden(*e))
                env.emplace_back(*e);
        env.push_back("XDG_RUNTIME_DIR=" + (home / "run").string());
        env.push_back("XDG_CONFIG_HOME=" + (home / "config").string());
        env.push_back("XDG_STATE_HOME=" + (home / "state").string());
        env.push_back("XDG_DATA_HOME=" + (home / "data").string());
        if (display)
            env.push_back("QT_QPA_PLATFORM=offscreen");
        for (const std::string& entry : extraEnv) {
            const bool removed = entry.find('=') == std::string::npos;
            const std::string name = removed ? entry + "=" : entry.substr(0, entry.find('=') + 1);
            std::erase_if(env, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
            if (!removed)
                env.push_back(entry);
        }

        std::vector<std::string> argv = isolatedStart(home);
        argv.push_back(LARCHPOST_EXE);
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> cargv, cenv;
        for (std::string& a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        for (std::string& e : env)
            cenv.push_back(e.data());
        cenv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::posix_spawnp(&pid_, cargv[0], &actions, nullptr, cargv.data(), cenv.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ProgramRun() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return pid_ > 0; }
    void signal(int number) const { ::kill(pid_, number); }
    std::string output() const { return fileBytes(output_); }
    std::string errors() const { return fileBytes(errors_); }

    // The exit status once the program has ended by itself; nothing while it runs.
    std::optional<int> status() {
        if (!status_ && pid_ > 0) {
            int raw = 0;
            if (::waitpid(pid_, &raw, WNOHANG) == pid_)
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        return status_;
    }
    std::optional<int> waitForEnd() {
        waitFor([&] { return status().has_value(); });
        return status();
    }

private:
    static int& runs() {
        static int count = 0;
        return count;
    }

    std::filesystem::path output_;
    std::filesystem::path errors_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

} // namespace lp::test

// The real desktop program on Qt's offscreen platform: one instance per user, a first run that
// writes the default settings, and a lock left by a crashed instance taken over.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// How long a check waits for the program before it counts as stuck. Only a guard against a hang:
// no test depends on how fast anything is.
constexpr auto kStuck = 60s;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

template <typename Predicate> bool waitFor(Predicate done) {
    const auto deadline = std::chrono::steady_clock::now() + kStuck;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// One run of the program with its own runtime and configuration folders.
class Instance {
public:
    Instance(const fs::path& home, const std::vector<std::string>& args) {
        const auto overridden = [](const std::string& entry) {
            for (const char* name : {"XDG_RUNTIME_DIR=", "XDG_CONFIG_HOME=", "QT_QPA_PLATFORM="})
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
        env.push_back("QT_QPA_PLATFORM=offscreen");

        std::vector<std::string> argv{LARCHPOST_EXE};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> cargv, cenv;
        for (std::string& a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        for (std::string& e : env)
            cenv.push_back(e.data());
        cenv.push_back(nullptr);
        if (::posix_spawn(&pid_, LARCHPOST_EXE, nullptr, nullptr, cargv.data(), cenv.data()) != 0)
            pid_ = -1;
    }
    ~Instance() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool started() const { return pid_ > 0; }

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
    pid_t pid_ = -1;
    std::optional<int> status_;
};

class DesktopStart : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "larchpost-desktop-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        fs::create_directories(home_ / "run");
        fs::permissions(home_ / "run", fs::perms::owner_all); // what a runtime folder must be
        fs::create_directories(home_ / "config");
        settings_ = home_ / "config" / "Larchpost" / "settings.ini";
        config_ = home_ / "bxconf.ini";
    }
    void TearDown() override { fs::remove_all(home_); }

    std::vector<std::string> args() const { return {"StartUp", "--config", config_.string()}; }
    // Up means past the guard: the settings are written and the socket listens.
    bool firstIsUp() const {
        if (!fs::exists(settings_))
            return false;
        for (const auto& entry : fs::directory_iterator(home_ / "run"))
            if (entry.is_socket())
                return true;
        return false;
    }

    fs::path home_, settings_, config_;
};

TEST_F(DesktopStart, FirstRunWritesDefaultsAndASecondInstanceEndsAtOnce) {
    Instance first(home_, args());
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(waitFor([&] { return firstIsUp() || first.status(); }));
    ASSERT_FALSE(first.status()) << "the first instance ended with " << *first.status();

    const std::string written = readBytes(settings_);
    for (const char* line :
         {"Larchpost\\AutoStart=1", "Larchpost\\Main\\Status=0", "Larchpost\\Main\\Height=400",
          "Larchpost\\Main\\Width=440", "Larchpost\\Main\\Left=50", "Larchpost\\Main\\Top=50"})
        EXPECT_NE(written.find(line), std::string::npos) << line << " in\n" << written;

    // The second instance must leave settings and files exactly as they are.
    std::ofstream(settings_, std::ios::app) << "; marker\n";
    const std::string before = readBytes(settings_);
    Instance second(home_, args());
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.waitForEnd(), 0);
    EXPECT_FALSE(first.status()) << "the first instance must keep running";
    EXPECT_EQ(readBytes(settings_), before);
    EXPECT_FALSE(fs::exists(config_)); // nobody made an edit, so no file
}

TEST_F(DesktopStart, ALockLeftByACrashedInstanceIsTakenOver) {
    {
        Instance crashed(home_, args());
        ASSERT_TRUE(waitFor([&] { return firstIsUp() || crashed.status(); }));
        ASSERT_FALSE(crashed.status());
    } // killed outright: its lock file and socket stay behind
    ASSERT_FALSE(fs::is_empty(home_ / "run"));

    fs::remove(settings_); // written again only by an instance that got past the guard
    Instance next(home_, args());
    ASSERT_TRUE(waitFor([&] { return firstIsUp() || next.status(); }));
    EXPECT_FALSE(next.status()) << "the new instance must run, not defer to a dead one";
}

} // namespace

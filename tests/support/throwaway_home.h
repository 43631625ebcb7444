#pragma once
// The home a test program runs in: HOME and the user's folders (configuration, cache, state,
// data, and the runtime folder, private as a runtime folder must be) point into one fresh folder
// before the first test, so that no test, and no program a test starts, reaches the real home of
// whoever runs them. At the end the variables are back and the folder is gone with everything in
// it. The session bus is one that does not exist, so that no notification reaches the desktop of
// whoever runs them. Each test program's main makes one.

#include "globals/temp_folder.h"
#include "support/scoped_variable.h"

#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <list>
#include <optional>
#include <string>

namespace lp::test {

class ThrowawayHome {
public:
    ThrowawayHome() {
        namespace fs = std::filesystem;
        const fs::path home = folder_.path() / "home";
        const struct {
            const char* variable;
            fs::path path;
        } places[] = {
            {"HOME", home},
            {"XDG_CONFIG_HOME", home / ".config"},
            {"XDG_CACHE_HOME", home / ".cache"},
            {"XDG_STATE_HOME", home / ".local" / "state"},
            {"XDG_DATA_HOME", home / ".local" / "share"},
            {"XDG_RUNTIME_DIR", folder_.path() / "runtime"},
        };
        for (const auto& place : places) {
            fs::create_directories(place.path);
            fs::permissions(place.path, fs::perms::owner_all);
            variables_.emplace_back(place.variable, place.path.string().c_str());
        }
        const std::string noBus = "unix:path=" + (folder_.path() / "runtime" / "no-bus").string();
        variables_.emplace_back("DBUS_SESSION_BUS_ADDRESS", noBus.c_str());
    }

    const std::filesystem::path& path() const { return folder_.path(); }

private:
    TempFolder folder_;
    std::list<ScopedVariable> variables_; // put back before the folder goes
};

// Runs a test program's tests (runTests) in a throwaway home; 1 when none could be made.
inline int runInThrowawayHome(const std::function<int()>& runTests) {
    std::optional<ThrowawayHome> home;
    try {
        home.emplace();
    } catch (const std::exception& error) {
        std::cerr << "no throwaway home for the tests: " << error.what() << '\n';
        return 1;
    }
    return runTests();
}

} // namespace lp::test

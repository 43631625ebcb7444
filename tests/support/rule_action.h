#pragma once
// Rule actions for tests, built in one place rather than filled in field by field in each test.

#include "globals/records.h"

#include <cstdint>
#include <string>

namespace lp::test {

// The program and parameters of a launch whose program a test does not care about.
inline const raclaunchrec kAnyLaunch{"player", "mfile"};

// An action of kind that moves and copies to folder and launches launch: one call for every kind,
// for tables that try them all. The fields its kind does not use are filled all the same.
inline ruleactionrec MakeAction(std::uint8_t kind, const std::string& folder = {},
                                const raclaunchrec& launch = {}) {
    ruleactionrec action;
    action.raction = kind;
    action.racmove.filepath = folder;
    action.raccopy.filepath = folder;
    action.raclaunch = launch;
    return action;
}

// An action of kind to folder whose launch, should kind be rLaunch, starts kAnyLaunch.
inline ruleactionrec ActionTo(std::uint8_t kind, const std::string& folder = {}) {
    return MakeAction(kind, folder, kAnyLaunch);
}

// An action of kind whose move, copy and launch all name path, as the rule editor shows it.
inline ruleactionrec ActionOn(std::uint8_t kind, const std::string& path = {}) {
    return MakeAction(kind, path, {path, {}});
}

// An action with only the fields its kind uses filled.
inline ruleactionrec MoveTo(const std::string& folder) {
    ruleactionrec action;
    action.raction = rMove;
    action.racmove.filepath = folder;
    return action;
}

inline ruleactionrec CopyTo(const std::string& folder) {
    ruleactionrec action;
    action.raction = rCopy;
    action.raccopy.filepath = folder;
    return action;
}

inline ruleactionrec Deleting() {
    ruleactionrec action;
    action.raction = rDelete;
    return action;
}

inline ruleactionrec Launching(const std::string& program, const std::string& params) {
    ruleactionrec action;
    action.raction = rLaunch;
    action.raclaunch = {program, params};
    return action;
}

} // namespace lp::test

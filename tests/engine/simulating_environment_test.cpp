// A simulated cycle on real folders: what it foresees, given what is on disk and what its own
// earlier operations would have done.

#include "engine/headless_run.h"
#include "globals/temp_folder.h"
#include "recording_environment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace lp {
namespace {

namespace fs = std::filesystem;

ruleactionrec action(std::uint8_t kind, const std::string& folder = {},
                     const std::string& program = {}) {
    ruleactionrec a;
    a.raction = kind;
    a.racmove.filepath = folder;
    a.raccopy.filepath = folder;
    a.raclaunch = {program, "mfile"};
    return a;
}

RuleRec ruleOf(std::vector<ruleactionrec> actions) {
    RuleRec rule;
    rule.enabled = true;
    rule.mcond = NewFile;
    rule.actions = std::move(actions);
    rule.actioncnt = static_cast<std::int32_t>(rule.actions.size());
    return rule;
}

TEST(Simulation, ForeseesFailuresFromTheDiskAndFromItsOwnEarlierOperations) {
    test::TempFolder temp;
    const std::string in = temp.file("in"), out = temp.file("out"), copies = temp.file("copies");
    const auto q = [](const std::string& path) { return "\"" + path + "\""; };
    const auto two = [&](const char* verb, const std::string& from, const std::string& to) {
        return std::string(verb) + " " + q(from) + " " + q(to);
    };
    const std::string a = in + "/a", outA = out + "/a";
    struct Case {
        const char* what;
        std::function<void()> setUp; // beyond "in/a" and the folders in, out and copies
        std::vector<RuleRec> rules;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"later actions act on the moved file",
         [] {},
         {ruleOf({action(rMove, out), action(rCopy, copies), action(rDelete),
                  action(rLaunch, {}, "true")})},
         {two("move", a, outA), two("copy", outA, copies + "/a"), "delete " + q(outA),
          "launch \"true\" " + q(outA)}},
        {"a later rule finds the file gone",
         [] {},
         {ruleOf({action(rDelete)}), ruleOf({action(rCopy, copies), action(rDelete)})},
         {"delete " + q(a), "failed " + two("copy", a, copies + "/a"), "failed delete " + q(a)}},
        {"a missing destination folder; the failed file is passed over",
         [] {},
         {ruleOf({action(rMove, temp.file("missing")), action(rLaunch, {}, "true")})},
         {"failed " + two("move", a, temp.file("missing") + "/a")}},
        {"a destination folder that is a file",
         [&] { test::writeBytes(temp.file("file"), "f"); },
         {ruleOf({action(rCopy, temp.file("file"))})},
         {"failed " + two("copy", a, temp.file("file") + "/a")}},
        {"the destination is the source itself",
         [] {},
         {ruleOf({action(rMove, in + "/")})},
         {"failed " + two("move", a, in + "//a")}},
        {"a hard link to the source at the destination",
         [&] { fs::create_hard_link(a, outA); },
         {ruleOf({action(rMove, out)})},
         {"failed " + two("move", a, outA)}},
        {"a folder is never moved",
         [&] {
             fs::remove(a);
             fs::create_directories(a);
         },
         {ruleOf({action(rMove, out), action(rDelete)})},
         {"failed " + two("move", a, outA)}},
        {"a program that does not exist",
         [] {},
         {ruleOf({action(rLaunch, {}, "no-such-program-anywhere")})},
         {"failed launch \"no-such-program-anywhere\" " + q(a)}},
    };
    for (const Case& c : cases) {
        fs::remove_all(temp.path());
        for (const std::string& folder : {in, out, copies})
            fs::create_directories(folder);
        test::writeBytes(a, "a");
        c.setUp();
        ServiceTable table;
        rServiceRules service;
        service.enabled = true;
        service.sharedir = in;
        service.rulelist.rules = c.rules;
        service.rulelist.rulecnt = static_cast<std::int32_t>(c.rules.size());
        table.services = {service};
        test::RecordingEnvironment real;
        std::vector<std::string> lines;
        EXPECT_EQ(
            RunSimulation(table, {}, real, [&](const std::string& line) { lines.push_back(line); }),
            0);
        EXPECT_EQ(lines, c.lines) << c.what;
        EXPECT_TRUE(fs::exists(a)) << c.what << ": nothing changes";
        EXPECT_TRUE(fs::is_empty(copies)) << c.what;
        EXPECT_TRUE(real.launches.empty()) << c.what;
    }
}

} // namespace
} // namespace lp

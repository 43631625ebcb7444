// What a run does with each kind of entry on each file system, foreseen alike by a simulation:
// links, pipes, sockets and device nodes, a second file system and a bind mount, and folders
// that may not be changed.

#include "engine/failure_reason.h"
#include "engine/operation_report.h"
#include "engine/simulation_runs.h"
#include "globals/temp_folder.h"
#include "pipes_and_devices.h"
#include "private_mounts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace lp {
namespace {

namespace fs = std::filesystem;
using test::action;
using test::performedLines;
using test::ruleOf;
using test::serviceOver;
using test::simulatedLines;

TEST(Simulation, ForeseesWhatARunDoesWithEachKindOfEntryOnEachFileSystem) {
    test::TempFolder temp;
    const std::string in = temp.file("in");
    for (const char* folder : {"in", "out", "far", "alias", "targets"})
        fs::create_directories(temp.file(folder));
    const test::ScopedMount far("none", temp.file("far"), "tmpfs", 0);
    // The folder out seen again: one device, but a rename cannot cross the two mounts.
    const test::ScopedMount alias(temp.file("out"), temp.file("alias"), nullptr, MS_BIND);
    struct Kind {
        const char* what;
        std::optional<test::SpecialEntry> special; // a file where there is none
        bool link;             // to the file or special entry, made beside targets/t
        bool dangling = false; // the link leads nowhere
    };
    const Kind kinds[] = {{"a file", std::nullopt, false},
                          {"a link", std::nullopt, true},
                          {"a link that leads nowhere", std::nullopt, true, true},
                          {"a link to a pipe", test::SpecialEntry::Pipe, true},
                          {"a pipe", test::SpecialEntry::Pipe, false},
                          {"a socket", test::SpecialEntry::Socket, false},
                          {"a device node", test::SpecialEntry::Device, false}};
    struct Place {
        const char* what;
        std::string folder;
        bool sameFileSystem;
        bool there;
    };
    const Place places[] = {{"on the same file system", temp.file("out"), true, true},
                            {"on another file system", temp.file("far"), false, far.mounted()},
                            {"through a bind mount", temp.file("alias"), false, alias.mounted()}};
    int number = 0, left = 0;
    for (const std::uint8_t operation : {rMove, rCopy})
        for (const Kind& kind : kinds)
            for (const Place& place : places) {
                const std::string what = std::string(operation == rMove ? "move of " : "copy of ") +
                                         kind.what + " " + place.what;
                // A name of its own for each case, so that nothing left from one meets another.
                const std::string entry = in + "/e" + std::to_string(++number);
                fs::remove_all(in);
                fs::create_directories(in);
                const std::string made =
                    kind.link ? temp.file("targets/e" + std::to_string(number)) : entry;
                if (kind.link)
                    fs::create_symlink(made, entry);
                if (!kind.special && !kind.dangling)
                    test::writeBytes(made, "e");
                if (!place.there ||
                    (kind.special && !test::makeSpecialEntry(*kind.special, made))) {
                    ++left;
                    continue;
                }
                const ServiceTable table =
                    serviceOver(in, {ruleOf({action(operation, place.folder)})});
                const auto foreseen = simulatedLines(table);
                EXPECT_TRUE(fs::exists(fs::symlink_status(entry))) << what << ": nothing changes";
                const auto performed = performedLines(table);
                EXPECT_EQ(foreseen, performed) << what;
                // Only a rename moves what is never opened, and nothing copies it, nor what
                // leads nowhere; a link to either moves as any link does.
                const bool fails = (kind.special || kind.dangling) &&
                                   (operation == rCopy || (!kind.link && !place.sameFileSystem));
                ASSERT_EQ(performed.size(), 1u) << what;
                EXPECT_EQ(performed[0].starts_with("failed "), fails) << what;
                if (fails && kind.special) {
                    EXPECT_NE(performed[0].find(kNeverCopied), std::string::npos) << performed[0];
                }
            }
    if (left > 0)
        GTEST_SKIP() << left << " cases left out: no second file system, bind mount or device node";
}

// Keeping both names adds " (2)": a name near the longest the file system takes gives up the
// end of its stem for it, in the simulation as in the real run.
TEST(Simulation, ANumberedNameTooLongForTheFileSystemIsCutToFit) {
    test::TempFolder temp;
    const std::string in = temp.file("in"), out = temp.file("out");
    const std::string name = std::string(251, 'n') + ".txt";
    const std::string source = in + "/" + name;
    const std::string taken = out + "/" + name;
    const std::string numbered = out + "/" + std::string(247, 'n') + " (2).txt";
    for (const std::string& folder : {in, out})
        fs::create_directories(folder);
    test::writeBytes(source, "new");
    test::writeBytes(taken, "old");
    SortingPolicy keepBoth;
    keepBoth.nameClash = NameClash::KeepBoth;
    const ServiceTable table = serviceOver(in, {ruleOf({action(rMove, out)})});
    const auto foreseen = simulatedLines(table, keepBoth);
    EXPECT_EQ(foreseen,
              std::vector<std::string>{"move " + QuoteValue(source) + " " + QuoteValue(numbered)});
    EXPECT_EQ(foreseen, performedLines(table, keepBoth));
    EXPECT_EQ(test::readBytes(numbered), "new");
    EXPECT_EQ(test::readBytes(taken), "old");
}

// A folder the user may not change keeps its files: a write-protected card (a read-only mount,
// which refuses root too) and a folder without write permission (which refuses all but root).
// Whoever runs the test, the simulation foresees what the run then does.
TEST(Simulation, AFolderThatMayNotBeChangedKeepsItsFilesAsTheRunFinds) {
    test::TempFolder temp;
    const std::string out = temp.file("out");
    fs::create_directories(out);
    struct Folder {
        const char* what;
        std::string path;
    };
    const Folder folders[] = {{"a read-only mount", temp.file("card")},
                              {"a folder without write permission", temp.file("locked")}};
    struct Rule {
        const char* what;
        std::vector<ruleactionrec> actions;
    };
    const Rule rules[] = {{"move", {action(rMove, out)}},
                          {"delete", {action(rDelete)}},
                          {"copy, then delete", {action(rCopy, out), action(rDelete)}}};
    int number = 0, left = 0;
    for (const Folder& folder : folders)
        for (const Rule& rule : rules) {
            const std::string what = std::string(rule.what) + " from " + folder.what;
            fs::remove_all(folder.path);
            fs::create_directories(folder.path);
            const std::string file = folder.path + "/f" + std::to_string(++number);
            test::writeBytes(file, "f");
            std::optional<test::ScopedMount> readOnly;
            if (folder.path.ends_with("card")) {
                readOnly.emplace(folder.path, folder.path, nullptr, MS_BIND);
                if (!readOnly->mounted() ||
                    ::mount(nullptr, folder.path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                            nullptr) != 0) {
                    ++left;
                    continue;
                }
            } else {
                fs::permissions(folder.path, fs::perms::owner_read | fs::perms::owner_exec);
            }
            const ServiceTable table = serviceOver(folder.path, {ruleOf(rule.actions)});
            const auto foreseen = simulatedLines(table);
            const auto performed = performedLines(table);
            EXPECT_EQ(foreseen, performed) << what;
            ASSERT_FALSE(performed.empty()) << what;
            // However the run went, it kept the file or said what it did with it.
            EXPECT_EQ(fs::exists(file), performed.back().starts_with("failed ")) << what;
            if (!readOnly)
                fs::permissions(folder.path, fs::perms::owner_all);
        }
    if (left > 0)
        GTEST_SKIP() << left << " cases left out: no read-only mount could be made";
}

} // namespace
} // namespace lp

// A simulated cycle on real folders: what it foresees, given what is on disk and what its own
// earlier operations would have done.

#include "engine/failure_reason.h"
#include "engine/operation_report.h"
#include "engine/simulation_runs.h"
#include "globals/temp_folder.h"
#include "platform/local_time.h"
#include "platform/path_separator.h"
#include "program_on_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace lp {
namespace {

namespace fs = std::filesystem;
using test::action;
using test::ruleOf;
using test::serviceOver;
using test::simulatedLines;

TEST(Simulation, ForeseesFailuresFromTheDiskAndFromItsOwnEarlierOperations) {
    test::TempFolder temp;
    const std::string in = temp.file("in"), out = temp.file("out"), copies = temp.file("copies");
    const auto q = [](const std::string& path) { return QuoteValue(path); };
    const auto two = [&](const char* verb, const std::string& from, const std::string& to) {
        return std::string(verb) + " " + q(from) + " " + q(to);
    };
    const auto inside = [](const std::string& folder, const char* name) {
        return folder + platform::kPathSeparator + name;
    };
    const std::string a = inside(in, "a"), outA = inside(out, "a");
    const auto because = [](std::string line, std::string_view reason) {
        return line + ReasonPart(reason);
    };
    const std::string isFolder = std::make_error_code(std::errc::is_a_directory).message();
    const std::string noProgram =
        std::make_error_code(std::errc::no_such_file_or_directory).message();
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
                  action(rLaunch, {}, test::kProgramOnPath)})},
         {two("move", a, outA), two("copy", outA, inside(copies, "a")), "delete " + q(outA),
          "launch " + q(test::kProgramOnPath) + " " + q(outA)}},
        {"a later rule finds the file gone, and its failed copy ends that rule for the file",
         [] {},
         {ruleOf({action(rDelete)}), ruleOf({action(rCopy, copies), action(rDelete)}),
          ruleOf({action(rDelete)})},
         {"delete " + q(a), because("failed " + two("copy", a, inside(copies, "a")), kFileGone),
          because("failed delete " + q(a), kFileGone)}},
        {"a missing destination folder; the failed file is passed over",
         [] {},
         {ruleOf({action(rMove, temp.file("missing")), action(rLaunch, {}, test::kProgramOnPath)})},
         {because("failed " + two("move", a, inside(temp.file("missing"), "a")), kFolderMissing)}},
        {"a destination folder that is a file",
         [&] { test::writeBytes(temp.file("file"), "f"); },
         {ruleOf({action(rCopy, temp.file("file"))})},
         {because("failed " + two("copy", a, inside(temp.file("file"), "a")), kFolderMissing)}},
        {"the destination is the source itself",
         [] {},
         {ruleOf({action(rMove, in + "/")})},
         {because("failed " + two("move", a, inside(in + "/", "a")), kOntoItself)}},
        {"a hard link to the source at the destination",
         [&] { fs::create_hard_link(a, outA); },
         {ruleOf({action(rMove, out)})},
         {because("failed " + two("move", a, outA), kOntoItself)}},
        {"a folder is never moved",
         [&] {
             fs::remove(a);
             fs::create_directories(a);
         },
         {ruleOf({action(rMove, out), action(rDelete)})},
         {because("failed " + two("move", a, outA), isFolder)}},
        {"a program that does not exist",
         [] {},
         {ruleOf({action(rLaunch, {}, "no-such-program-anywhere")})},
         {because("failed launch \"no-such-program-anywhere\" " + q(a), noProgram)}},
    };
    for (const Case& c : cases) {
        fs::remove_all(temp.path());
        for (const std::string& folder : {in, out, copies})
            fs::create_directories(folder);
        test::writeBytes(a, "a");
        c.setUp();
        EXPECT_EQ(simulatedLines(serviceOver(in, c.rules)), c.lines) << c.what;
        EXPECT_TRUE(fs::exists(a)) << c.what << ": nothing changes";
        EXPECT_TRUE(fs::is_empty(copies)) << c.what;
    }
}

TEST(Simulation, ADeleteMeantForTheTrashFailsWhereThereIsNoTrashOrItWouldRefuse) {
    test::TempFolder temp;
    const std::string a = temp.file("in") + platform::kPathSeparator + "a";
    fs::create_directories(temp.file("in"));
    test::writeBytes(a, "a");
    SortingPolicy toTrash;
    toTrash.deleteToTrash = true;
    std::vector<std::string> asked;
    const TrashMover refusing = [&](const std::string& path) {
        asked.push_back(path);
        return std::make_error_code(std::errc::filename_too_long);
    };
    struct Case {
        const char* what;
        TrashMover foresee;
        const char* line;
        std::string reason;
    };
    for (const Case& c : {Case{"takes it", SimulatingEnvironment::TakesAll(), "trash ", ""},
                          Case{"no trash", TrashMover{}, "failed trash ", std::string(kNoTrash)},
                          Case{"refuses it", refusing, "failed trash ",
                               std::make_error_code(std::errc::filename_too_long).message()}}) {
        EXPECT_EQ(simulatedLines(serviceOver(temp.file("in"), {ruleOf({action(rDelete)})}), toTrash,
                                 c.foresee),
                  std::vector<std::string>{c.line + QuoteValue(a) + ReasonPart(c.reason)})
            << c.what;
        EXPECT_TRUE(fs::exists(a)) << c.what;
    }
    EXPECT_EQ(asked, std::vector<std::string>{a}); // asked of the very file
}

// A photo moved and then renamed after the date it was taken: the date is the photo's own, read
// where the photo is, not where it is foreseen to be.
TEST(Simulation, ARenameAfterAMoveOrCopyDatesThePhotoByItsOwnData) {
    test::TempFolder temp;
    const std::string in = temp.file("in"), out = temp.file("out");
    fs::create_directories(in);
    fs::create_directories(out);
    const std::string photo = (fs::path(in) / "photo.jpg").string();
    test::writeBytes(photo, "jpeg");
    class PhotoDates : public test::RecordingEnvironment {
    public:
        explicit PhotoDates(std::string photo) : photo_(std::move(photo)) {}
        std::optional<double> captureDate(const std::string& path) override {
            if (path == photo_)
                return platform::LocalDateTime(2018, 8, 9);
            return std::nullopt;
        }

    private:
        std::string photo_;
    };
    ruleactionrec rename;
    rename.raction = rRename;
    rename.racrename.newname = "{taken.year} {name}.{ext}";
    for (const std::uint8_t kind : {rMove, rCopy}) {
        ServiceTable table = serviceOver(in, {ruleOf({action(kind, out), rename})});
        PhotoDates real(photo);
        std::vector<std::string> lines;
        EXPECT_EQ(
            RunSimulation(table, {}, real, [&](const std::string& line) { lines.push_back(line); }),
            0);
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find("2018 photo.jpg"), std::string::npos) << lines.back();
    }
}

} // namespace
} // namespace lp

// Symbolic links: a move moves the link and keeps it leading to the same file, a copy copies
// what it points at, a delete removes the link alone; no target is ever touched.

#include "platform/file_operations.h"
#include "platform/file_operations_fixture.h"
#include "private_mounts.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

enum class Operation { Move, Copy, Delete };

struct Case {
    const char* what;
    Operation operation;
    std::string from, to;
    bool succeeds;
    std::string leadsTo;   // what a moved link leads to, or a copy holds
    std::string text = {}; // a moved link's target text, when it matters; "/…" stands under root
};

class Links : public test::FileOperationsTest {
protected:
    // A fresh set of links and targets under root for each case.
    void build(const fs::path& root) {
        for (const char* folder : {"in", "out", "sub", "mid", "other/deep", "real/inner"})
            fs::create_directories(root / folder);
        writeBytes((root / "out/a.mp3").string(), "target");
        writeBytes((root / "sub/f").string(), "inside");
        writeBytes((root / "real/x").string(), "real");
        writeBytes((root / "x").string(), "decoy");
        fs::create_symlink("real/inner", root / "linked");
        fs::create_symlink("../sub", root / "other/b");
        // Climbs out of a linked folder: leads to real/x, though read lexically it names x.
        fs::create_symlink("../linked/../x", root / "in/climb");
        fs::create_symlink("../other/b/f", root / "in/through");
        fs::create_symlink("../out/a.mp3", root / "mid/hop");
        fs::create_symlink("../out/a.mp3", root / "in/rel");
        fs::create_symlink(root / "out/a.mp3", root / "in/abs");
        fs::create_symlink("../nowhere", root / "in/dangling");
        fs::create_symlink("../sub", root / "in/folder");
        fs::create_symlink("../mid/hop", root / "in/chain");
    }

    std::error_code run(const Case& c, const fs::path& root) {
        const std::string from = (root / c.from).string(), to = (root / c.to).string();
        switch (c.operation) {
        case Operation::Move:
            return MoveFileReplacing(from, to);
        case Operation::Copy:
            return CopyFileReplacing(from, to);
        case Operation::Delete:
            return DeleteFileEntry(from);
        }
        return {};
    }

    void check(const Case& c, const fs::path& root) {
        const fs::path from = root / c.from, to = root / c.to;
        EXPECT_EQ(readBytes((root / "out/a.mp3").string()), "target") << c.what;
        EXPECT_FALSE(fs::is_symlink(root / "out/a.mp3")) << c.what;
        EXPECT_EQ(readBytes((root / "sub/f").string()), "inside") << c.what;
        EXPECT_TRUE(fs::is_symlink(root / "mid/hop")) << c.what;
        EXPECT_EQ(fs::read_symlink(root / "other/b"), "../sub") << c.what;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            EXPECT_EQ(entry.path().filename().string().find(".larchpost-"), std::string::npos)
                << c.what << ": " << entry.path() << " left behind";
        if (!c.succeeds) {
            EXPECT_TRUE(fs::is_symlink(from)) << c.what;
            return;
        }
        switch (c.operation) {
        case Operation::Move: {
            EXPECT_FALSE(fs::is_symlink(from)) << c.what;
            ASSERT_TRUE(fs::is_symlink(to)) << c.what;
            if (!c.text.empty()) {
                EXPECT_EQ(fs::read_symlink(to).string(),
                          c.text[0] == '/' ? root.string() + c.text : c.text)
                    << c.what;
            }
            // The link no longer depends on the folder it came from.
            if (*to.lexically_relative(root / "in").begin() == "..")
                fs::remove_all(root / "in");
            const fs::path target = root / c.leadsTo;
            const bool made = !fs::exists(target);
            if (made) // a dangling link must lead where it led before
                writeBytes(target.string(), "");
            EXPECT_TRUE(fs::equivalent(to, target)) << c.what;
            if (made)
                fs::remove(target);
            break;
        }
        case Operation::Copy:
            EXPECT_TRUE(fs::is_symlink(from)) << c.what;
            EXPECT_FALSE(fs::is_symlink(to)) << c.what;
            EXPECT_EQ(readBytes(to.string()), readBytes((root / c.leadsTo).string())) << c.what;
            break;
        case Operation::Delete:
            EXPECT_FALSE(fs::is_symlink(from)) << c.what;
            break;
        }
    }
};

TEST_F(Links, MovesCopiesAndDeletesOfLinksNeverTouchTheirTargets) {
    fs::create_directories(at("far"));
    const test::ScopedMount far("none", at("far"), "tmpfs", 0);
    std::vector<Case> cases{
        {"a relative link whose text still leads there keeps it", Operation::Move, "in/rel",
         "other/rel", true, "out/a.mp3", "../out/a.mp3"},
        {"a relative link moved into its target's folder keeps its text", Operation::Move, "in/rel",
         "out/rel", true, "out/a.mp3", "../out/a.mp3"},
        {"a relative link moved deeper gets a relative text", Operation::Move, "in/rel",
         "other/deep/rel", true, "out/a.mp3", "../../out/a.mp3"},
        {"a link to a link moved deeper still leads through it", Operation::Move, "in/chain",
         "other/deep/chain", true, "out/a.mp3", "../../mid/hop"},
        {"a link that climbs out of a linked folder is read as the system reads it",
         Operation::Move, "in/climb", "other/deep/climb", true, "real/x", "../../real/x"},
        {"a link moved into a folder reached through a link is written from the real folder",
         Operation::Move, "in/rel", "linked/rel", true, "out/a.mp3", "../../out/a.mp3"},
        {"an absolute link keeps its text", Operation::Move, "in/abs", "other/deep/abs", true,
         "out/a.mp3", "/out/a.mp3"},
        {"a relative link renamed in its folder", Operation::Move, "in/rel", "in/renamed", true,
         "out/a.mp3", "../out/a.mp3"},
        {"a link moved onto a link its way passes through", Operation::Move, "in/through",
         "other/b", false, ""},
        {"a link moved onto its own target", Operation::Move, "in/rel", "out/a.mp3", false, ""},
        {"a link moved onto a link on its way", Operation::Move, "in/chain", "mid/hop", false, ""},
        {"a link moved onto the file at the end of its way", Operation::Move, "in/chain",
         "out/a.mp3", false, ""},
        {"a dangling link moved", Operation::Move, "in/dangling", "other/dangling", true, "nowhere",
         "../nowhere"},
        {"a dangling link moved deeper keeps its text", Operation::Move, "in/dangling",
         "other/deep/dangling", true, "other/nowhere", "../nowhere"},
        {"a link to a folder moved", Operation::Move, "in/folder", "other/folder", true, "sub"},
        {"a link copied", Operation::Copy, "in/rel", "other/copy", true, "out/a.mp3"},
        {"a link copied onto its own target", Operation::Copy, "in/rel", "out/a.mp3", false, ""},
        {"a link to a folder copied", Operation::Copy, "in/folder", "other/copy", false, ""},
        {"a dangling link copied", Operation::Copy, "in/dangling", "other/copy", false, ""},
        {"a link deleted", Operation::Delete, "in/rel", "", true, ""},
        {"a link to a folder deleted", Operation::Delete, "in/folder", "", true, ""},
    };
    if (far.mounted())
        cases.push_back({"a relative link moved to another file system", Operation::Move, "in/rel",
                         "../far/rel", true, "out/a.mp3",
                         "../" + std::to_string(cases.size() + 1) + "/out/a.mp3"});
    int number = 0;
    for (const Case& c : cases) {
        const fs::path root = at(std::to_string(++number));
        build(root);
        EXPECT_EQ(!run(c, root), c.succeeds) << c.what;
        check(c, root);
        if (c.operation == Operation::Copy && !c.succeeds) {
            EXPECT_FALSE(fs::exists(root / "other/copy")) << c.what;
        }
    }
    if (!far.mounted())
        GTEST_SKIP() << "no second file system could be mounted: that case was left out";
}

} // namespace
} // namespace lp::platform

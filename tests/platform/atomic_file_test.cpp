#include "globals/temp_folder.h"
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public testing::Test {
protected:
    std::string file(const std::string& name) const { return (folder_ / name).string(); }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), {}));
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    static void write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    test::TempFolder temp_;
    const fs::path& folder_ = temp_.path();
};

TEST_F(AtomicFile, ReplacesTheFileAndLeavesNoTemporaryFile) {
    const std::string path = file("target");
    write(path, "old");
    const std::error_code error = WriteFileAtomically(path, std::string("new\0bytes", 9));
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ(read(path), std::string("new\0bytes", 9));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, FailureKeepsTheOldStateAndRemovesTheTemporaryFile) {
    EXPECT_EQ(WriteFileAtomically(file("no/such/folder/x"), "x"),
              std::errc::no_such_file_or_directory);
    fs::create_directory(file("busy"));
    write(file("busy/inside"), "kept");
    EXPECT_TRUE(WriteFileAtomically(file("busy"), "x"));
    EXPECT_EQ(read(file("busy/inside")), "kept");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, SetAsideNeverReplacesAKeptFile) {
    const std::string path = file("conf");
    std::string keptAs;
    EXPECT_EQ(SetFileAside(path, keptAs), std::errc::no_such_file_or_directory);
    for (const char* expected : {".bad", ".bad1", ".bad2"}) {
        write(path, expected);
        ASSERT_FALSE(SetFileAside(path, keptAs));
        EXPECT_EQ(keptAs, path + expected);
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_EQ(read(path + ".bad"), ".bad");
    EXPECT_EQ(read(path + ".bad1"), ".bad1");
    EXPECT_EQ(read(path + ".bad2"), ".bad2");
}

} // namespace
} // namespace lp::platform

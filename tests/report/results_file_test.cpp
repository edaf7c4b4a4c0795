#include "report/results_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Names in the folder, so a temporary file left behind shows.
std::vector<std::string> listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Writes a few bytes, then fails as a full disk does.
ssize_t fails_part_way(int fd, const void* buffer, std::size_t size) {
    static bool wrote_some = false;
    if (!wrote_some) {
        wrote_some = true;
        return ::write(fd, buffer, size < 5 ? size : 5);
    }
    wrote_some = false;
    errno = ENOSPC;
    return -1;
}

class ReplaceFile : public testing::Test {
protected:
    fs::path dir = fs::path(testing::TempDir()) / "quen_replace_file";
    fs::path target = dir / "quenresults.txt";
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(ReplaceFile, WritesTheWholeContentWithTheUsualMode) {
    std::ofstream(target) << "older content that is longer than the new\n";
    EXPECT_EQ(replace_file(target, "new\n"), "");
    EXPECT_EQ(read_file(target), "new\n");
    EXPECT_EQ(listing(dir), std::vector<std::string>{"quenresults.txt"});
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST_F(ReplaceFile, AFailedWriteLeavesTheOlderFileAndNoTemporary) {
    std::ofstream(target) << "older\n";
    EXPECT_EQ(replace_file(target, "a report of some length\n", fails_part_way),
              "Error: " + target.string() + ": cannot write: No space left on device");
    EXPECT_EQ(read_file(target), "older\n");
    EXPECT_EQ(listing(dir), std::vector<std::string>{"quenresults.txt"});
}

TEST_F(ReplaceFile, AFolderThatDoesNotExist) {
    const fs::path missing = dir / "no such folder" / "quenresults.txt";
    EXPECT_EQ(replace_file(missing, "x"),
              "Error: " + missing.string() +
                  ": cannot create a temporary file beside it: No such file or directory");
}

TEST_F(ReplaceFile, AFolderInTheWayIsLeftAlone) {
    fs::create_directory(target);
    std::ofstream(target / "inside") << "kept\n";
    EXPECT_EQ(replace_file(target, "x"),
              "Error: " + target.string() + ": cannot replace it: Is a directory");
    EXPECT_EQ(read_file(target / "inside"), "kept\n");
    EXPECT_EQ(listing(dir), std::vector<std::string>{"quenresults.txt"});
}

TEST_F(ReplaceFile, ASymbolicLinkIsReplacedNotFollowed) {
    const fs::path elsewhere = dir / "elsewhere.txt";
    std::ofstream(elsewhere) << "not to be touched\n";
    fs::create_symlink(elsewhere, target);
    EXPECT_EQ(replace_file(target, "new\n"), "");
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(read_file(target), "new\n");
    EXPECT_EQ(read_file(elsewhere), "not to be touched\n");
}

}  // namespace

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "report/SaveFile.h"
#include "support/CreateFailureCause.h"
#include "support/TestFiles.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::vector<std::string> Names(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

using test::CreateFailureCause;
using test::FileSizeLimit;
using test::ReadWhole;
using test::WriteWhole;

const std::string kReport =
    "Quillon Vantor\t\t\tMarch 05, 1997 2:07 PM\r\n\r\n20\t\t3\t\t[Root] \r\n";

class SaveFile : public ::testing::Test {
  protected:
    test::TemporaryFolder temporary;
    const fs::path dir = temporary.Path();
};

TEST_F(SaveFile, WritesANewFileExactlyWithTheUsualPermissions) {
    const fs::path path = dir / "vantor.txt";
    EXPECT_EQ(SaveFileReplacing(path.string(), kReport), std::nullopt);
    EXPECT_EQ(ReadWhole(path), kReport);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(path), 0666 & ~mask);
    EXPECT_EQ(Names(dir), std::vector<std::string>{"vantor.txt"});
}

TEST_F(SaveFile, ReplacesAnExistingLongerFileAndKeepsItsPermissions) {
    const fs::path path = dir / "vantor.txt";
    WriteWhole(path, std::string(5000, 'x'));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    EXPECT_EQ(SaveFileReplacing(path.string(), kReport), std::nullopt);
    EXPECT_EQ(ReadWhole(path), kReport);
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(Names(dir), std::vector<std::string>{"vantor.txt"});
}

TEST_F(SaveFile, SavingThroughASymbolicLinkReplacesItsTargetAndKeepsTheLink) {
    const fs::path target = dir / "reports.txt";
    const fs::path link = dir / "vantor.txt";
    WriteWhole(target, "old report");
    fs::create_symlink(target, link);
    EXPECT_EQ(SaveFileReplacing(link.string(), kReport), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadWhole(target), kReport);
}

TEST_F(SaveFile, ALinkToNothingYetIsWrittenThroughAndStaysALink) {
    fs::create_directory(dir / "reports");
    const fs::path link = dir / "vantor.txt";
    fs::create_symlink(dir / "reports" / "new.txt", link);
    EXPECT_EQ(SaveFileReplacing(link.string(), kReport), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadWhole(dir / "reports" / "new.txt"), kReport);
    EXPECT_EQ(Names(dir / "reports"), std::vector<std::string>{"new.txt"});
}

TEST_F(SaveFile, AReplacedFileKeepsItsOwnerWhenRootWritesIt) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a file to another user";
    }
    const fs::path path = dir / "vantor.txt";
    WriteWhole(path, "a user's old report");
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    EXPECT_EQ(SaveFileReplacing(path.string(), kReport), std::nullopt);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(ReadWhole(path), kReport);
}

TEST(SaveFileSystem, NoNameIsRefused) {
    const auto failure = SaveFileReplacing("", kReport);
    ASSERT_TRUE(failure.has_value());
    EXPECT_THAT(*failure, HasSubstr("no file name"));
}

TEST_F(SaveFile, NameWithoutADirectoryIsSavedInTheWorkingDirectory) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    const auto failure = SaveFileReplacing("plain.txt", kReport);
    fs::current_path(previous);
    EXPECT_EQ(failure, std::nullopt);
    EXPECT_EQ(ReadWhole(dir / "plain.txt"), kReport);
}

TEST_F(SaveFile, MissingDirectoryNamesTheFileAndTheCause) {
    const std::string path = (dir / "no-such-folder" / "vantor.txt").string();
    const auto failure = SaveFileReplacing(path, kReport);
    ASSERT_TRUE(failure.has_value());
    EXPECT_THAT(*failure, HasSubstr(path));
    EXPECT_THAT(*failure, HasSubstr(std::strerror(ENOENT)));
    EXPECT_TRUE(Names(dir).empty());
}

TEST(SaveFileSystem, DirectoryThatRefusesNewFilesNamesTheFileAndTheCause) {
    // Root may write into any ordinary directory, but not into /proc.
    const std::string cause = CreateFailureCause("/proc");
    ASSERT_FALSE(cause.empty());
    const std::string path = "/proc/vantor.txt";
    const auto failure = SaveFileReplacing(path, kReport);
    ASSERT_TRUE(failure.has_value());
    EXPECT_THAT(*failure, HasSubstr(path));
    EXPECT_THAT(*failure, HasSubstr(cause));
}

TEST(SaveFileSystem, FullDiskNamesTheFileAndTheCause) {
    const auto failure = SaveFileReplacing("/dev/full", kReport);
    ASSERT_TRUE(failure.has_value());
    EXPECT_THAT(*failure, HasSubstr("/dev/full"));
    EXPECT_THAT(*failure, HasSubstr(std::strerror(ENOSPC)));
}

TEST_F(SaveFile, WriteFailureLeavesTheOldFileIntactAndNoTemporaryBehind) {
    const fs::path path = dir / "vantor.txt";
    const std::string old = "the previous report\r\n";
    WriteWhole(path, old);
    const std::string large(8192, 'r');
    std::optional<std::string> failure;
    {
        FileSizeLimit limit(100);
        failure = SaveFileReplacing(path.string(), large);
    }
    ASSERT_TRUE(failure.has_value());
    EXPECT_THAT(*failure, HasSubstr(path.string()));
    EXPECT_THAT(*failure, HasSubstr(std::strerror(EFBIG)));
    EXPECT_EQ(ReadWhole(path), old);
    EXPECT_EQ(Names(dir), std::vector<std::string>{"vantor.txt"});
}

}  // namespace
}  // namespace vantor

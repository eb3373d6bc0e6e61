// Files written whole or not at all: a failure at any point leaves the old file
// exactly as it was and no temporary beside it.
#include "rtl/classes.h"
#include "rtl/paths.h"
#include "rtl/savefile.h"
#include "rtl/sysutils.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Names in the folder other than the ones given: a leftover temporary shows here.
std::vector<std::string> Others(const TempFolder& dir, std::initializer_list<std::string> known)
{
    std::vector<std::string> names = ListFolder(dir.Path(), "*", ListKind::All);
    std::erase_if(names, [&](const std::string& n) { return std::find(known.begin(), known.end(), n) != known.end(); });
    return names;
}

TEST(SaveFileAtomically, WritesNewAndReplacesOldFilesThroughStreamsAndTexts)
{
    TempFolder dir;
    std::string error;
    ASSERT_TRUE(SaveFileAtomically(dir / "a.txt", "first\r\n", &error)) << error;
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "first\r\n");
    ASSERT_TRUE(SaveFileAtomically(dir / "a.txt", [](TStream& s) { s.WriteBuffer("second", 6); }, &error)) << error;
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "second");
    // A string list written through the helper keeps its CR LF lines.
    TStringList lines;
    lines.Add("<subpictures>");
    lines.Add("</subpictures>");
    ASSERT_TRUE(SaveFileAtomically(dir / "a.txt", [&](TStream& s) { lines.SaveToStream(s); }, &error)) << error;
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "<subpictures>\r\n</subpictures>\r\n");
    ASSERT_TRUE(SaveFileAtomically(dir / "empty", "", &error)) << error;
    EXPECT_TRUE(FileExists(dir / "empty"));
    EXPECT_EQ(FileSize64(dir / "empty"), 0);
    EXPECT_TRUE(Others(dir, {"a.txt", "empty"}).empty());
}

TEST(SaveFileAtomically, KeepsModesAndLinks)
{
    TempFolder dir;
    const mode_t old = ::umask(022);
    ASSERT_TRUE(SaveFileAtomically(dir / "private", "x", nullptr, 0600));
    ASSERT_TRUE(SaveFileAtomically(dir / "public", "x"));
    ::umask(old);
    struct stat st;
    ASSERT_EQ(::stat((dir / "private").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((dir / "public").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    ::chmod((dir / "public").c_str(), 0640);
    ASSERT_TRUE(SaveFileAtomically(dir / "public", "y", nullptr, 0600));
    ASSERT_EQ(::stat((dir / "public").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    ASSERT_EQ(::symlink((dir / "public").c_str(), (dir / "link").c_str()), 0);
    ASSERT_TRUE(SaveFileAtomically(dir / "link", "through"));
    ASSERT_EQ(::lstat((dir / "link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBytes(dir / "public"), "through");
}

TEST(SaveFileAtomically, FailuresLeaveTheOldFileAndNoTemporary)
{
    TempFolder dir;
    WriteBytes(dir / "keep.xml", "old");
    std::string error;
    // A writer that raises halfway.
    EXPECT_FALSE(SaveFileAtomically(dir / "keep.xml", [](TStream& s) {
        s.WriteBuffer("new", 3);
        throw EWriteError("Stream write error");
    }, &error));
    EXPECT_EQ(error, "Cannot write \"" + (dir / "keep.xml") + "\": Stream write error");
    EXPECT_EQ(ReadBytes(dir / "keep.xml"), "old");
    // No folder to write in, a file where the folder should be, a folder where the file should be.
    EXPECT_FALSE(SaveFileAtomically(dir / "no/such/x.xml", "x", &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_FALSE(SaveFileAtomically(dir / "keep.xml/x.xml", "x", &error));
    ForceDirectories(dir / "folder");
    EXPECT_FALSE(SaveFileAtomically(dir / "folder", "x", &error));
    EXPECT_TRUE(DirectoryExists(dir / "folder"));
    EXPECT_TRUE(Others(dir, {"keep.xml", "folder"}).empty());
}

TEST(SaveFileAtomically, AFullDiskKeepsTheOldFile)
{
    TempFolder dir;
    WriteBytes(dir / "still.bmp", "old picture");
    // A file-size limit makes the kernel refuse the write as a full disk would;
    // the child process carries the limit alone.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool saved = SaveFileAtomically(dir / "still.bmp", std::string(100000, 'x'), &error);
        _exit(!saved && error.find("File too large") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(dir / "still.bmp"), "old picture");
    EXPECT_TRUE(Others(dir, {"still.bmp"}).empty());
}

} // namespace

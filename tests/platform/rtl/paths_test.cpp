#include "rtl/paths.h"
#include "tempfolder.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

TEST(PathText, SplitJoinAndExtensions)
{
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/b"), "/a/b/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/b/"), "/a/b/");
    EXPECT_EQ(IncludeTrailingPathDelimiter(""), "");          // never turns "nothing" into the root
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/b//"), "/a/b");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
    EXPECT_EQ(JoinPath("/work", "RES"), "/work/RES");
    EXPECT_EQ(JoinPath("/work/", "/RES"), "/work/RES");
    EXPECT_EQ(JoinPath("", "RES"), "RES");
    EXPECT_EQ(ExtractFilePath("/m/VIDEO_TS/VTS_01_1.VOB"), "/m/VIDEO_TS/");
    EXPECT_EQ(ExtractFileDir("/m/VIDEO_TS/VTS_01_1.VOB"), "/m/VIDEO_TS");
    EXPECT_EQ(ExtractFileDir("/file"), "/");
    EXPECT_EQ(ExtractFileDir("file"), "");
    EXPECT_EQ(ExtractFileName("/m/clip.avi"), "clip.avi");
    EXPECT_EQ(ExtractFileName("clip.avi"), "clip.avi");
    EXPECT_EQ(ExtractFileExt("/m/clip.part.AVI"), ".AVI");
    EXPECT_EQ(ExtractFileExt("/m.d/clip"), "");                // a dot in a folder is no extension
    EXPECT_EQ(ChangeFileExt("/m/clip.avi", ".vob"), "/m/clip.vob");
    EXPECT_EQ(ChangeFileExt("/m.d/clip", ".vob"), "/m.d/clip.vob");
    EXPECT_EQ(ChangeFileExt("clip.avi", ""), "clip");
    EXPECT_EQ(ExpandFileName("/a/./b/../c//d/"), "/a/c/d/");
    EXPECT_EQ(ExpandFileName("/../x"), "/x");
    EXPECT_EQ(ExpandFileName("rel"), JoinPath(GetCurrentDir(), "rel"));
}

TEST(PathMatching, WildcardsAndExtensionsIgnoreCase)
{
    EXPECT_TRUE(MatchesMask("VTS_01_1.VOB", "*.vob"));
    EXPECT_TRUE(MatchesMask("vts_01_1.vob", "VTS_??_?.VOB"));
    EXPECT_FALSE(MatchesMask("VTS_01_10.VOB", "VTS_??_?.VOB"));
    EXPECT_FALSE(MatchesMask("clip.vobx", "*.vob"));
    EXPECT_TRUE(MatchesMask("README", "*.*"));
    EXPECT_TRUE(MatchesMask("VTS_01", "VTS_*.*"));
    EXPECT_TRUE(MatchesMask("a.b.c", "*.c"));
    EXPECT_TRUE(MatchesMask("aXbXc", "a*b*c"));
    EXPECT_FALSE(MatchesMask("aXbX", "a*b*c"));
    EXPECT_TRUE(MatchesMask("", "*"));
    EXPECT_FALSE(MatchesMask("x", ""));
    EXPECT_TRUE(SameFileExt("a.VOB", ".vob"));
    EXPECT_TRUE(SameFileExt("a.vob", "vob"));
    EXPECT_FALSE(SameFileExt("a.vob", "mpg"));
    EXPECT_TRUE(SameFileExt("noext", ""));
}

TEST(FileSystem, ListCreateDeleteAndSizes)
{
    TempFolder dir;
    const std::string ts = dir / "out/VIDEO_TS";
    EXPECT_TRUE(ForceDirectories(ts));
    EXPECT_TRUE(ForceDirectories(ts + "/"));                   // already there
    EXPECT_TRUE(DirectoryExists(ts));
    WriteBytes(ts + "/VTS_01_1.VOB", "12345");
    WriteBytes(ts + "/VTS_01_0.IFO", "1");
    WriteBytes(ts + "/vts_01_2.vob", "");
    ASSERT_TRUE(CreateDir(ts + "/sub.vob"));                   // a folder named like a file
    EXPECT_FALSE(CreateDir(ts + "/sub.vob"));
    EXPECT_FALSE(ForceDirectories(ts + "/VTS_01_1.VOB/x"));    // a file is in the way

    EXPECT_EQ(ListFolder(ts, "*.vob", ListKind::Files), (std::vector<std::string>{"VTS_01_1.VOB", "vts_01_2.vob"}));
    EXPECT_EQ(ListFolder(ts, "*.*", ListKind::Folders), (std::vector<std::string>{"sub.vob"}));
    EXPECT_EQ(ListFolder(ts, "*", ListKind::All).size(), 4u);
    EXPECT_TRUE(ListFolder(dir / "missing", "*", ListKind::All).empty());

    EXPECT_EQ(FileSize64(ts + "/VTS_01_1.VOB"), 5);
    EXPECT_EQ(FileSize64(ts + "/sub.vob"), -1);
    EXPECT_EQ(FileSize64(ts + "/none"), -1);
    EXPECT_TRUE(FileExists(ts + "/VTS_01_1.VOB"));
    EXPECT_FALSE(FileExists(ts + "/sub.vob"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(DeleteFile(ts + "/sub.vob"));
    EXPECT_TRUE(DeleteFile(ts + "/vts_01_2.vob"));
    EXPECT_FALSE(DeleteFile(ts + "/vts_01_2.vob"));
    EXPECT_FALSE(RemoveDir(ts));                               // not empty
}

TEST(FileSystem, RenameAndCopyNeverClobber)
{
    TempFolder dir;
    WriteBytes(dir / "a", "AAA");
    WriteBytes(dir / "b", "B");
    EXPECT_FALSE(RenameFile(dir / "a", dir / "b"));
    EXPECT_EQ(ReadBytes(dir / "b"), "B");
    EXPECT_TRUE(RenameFile(dir / "a", dir / "c"));
    EXPECT_FALSE(FileExists(dir / "a"));

    EXPECT_FALSE(CopyFile(dir / "c", dir / "b", true));
    EXPECT_EQ(ReadBytes(dir / "b"), "B");
    EXPECT_TRUE(CopyFile(dir / "c", dir / "b", false));
    EXPECT_EQ(ReadBytes(dir / "b"), "AAA");
    EXPECT_FALSE(CopyFile(dir / "c", dir / "c", false));       // onto itself would truncate it
    EXPECT_EQ(ReadBytes(dir / "c"), "AAA");
    EXPECT_FALSE(CopyFile(dir / "none", dir / "d", false));
    EXPECT_FALSE(FileExists(dir / "d"));
}

TEST(FileSystem, DeleteFilesInKeepsFoldersAndLinkedFolders)
{
    TempFolder dir;
    TempFolder outside;
    WriteBytes(outside / "precious", "keep");
    ForceDirectories(dir / "RES/menu/deep");
    WriteBytes(dir / "RES/a.bmp", "x");
    WriteBytes(dir / "RES/b.xml", "x");
    WriteBytes(dir / "RES/menu/c.png", "x");
    WriteBytes(dir / "RES/menu/deep/d", "x");
    ASSERT_EQ(symlink(outside.Path().c_str(), (dir / "RES/link").c_str()), 0);

    EXPECT_EQ(DeleteFilesIn(dir / "RES", false), 0);
    EXPECT_TRUE(ListFolder(dir / "RES", "*", ListKind::Files).empty());
    EXPECT_TRUE(FileExists(dir / "RES/menu/c.png"));           // subfolders left alone
    EXPECT_EQ(DeleteFilesIn(dir / "RES/", true), 0);
    EXPECT_FALSE(FileExists(dir / "RES/menu/deep/d"));
    EXPECT_TRUE(DirectoryExists(dir / "RES/menu/deep"));
    EXPECT_TRUE(FileExists(outside / "precious"));             // never through a link
    EXPECT_TRUE(DirectoryExists(dir / "RES/link"));            // and a linked folder is a folder
    EXPECT_EQ(DeleteFilesIn(dir / "nowhere", true), 0);
    EXPECT_EQ(DeleteFilesIn("", true), 0);

    // A file in a folder the user may not change is counted as left behind.
    WriteBytes(dir / "RES/menu/locked", "x");
    chmod((dir / "RES/menu").c_str(), 0555);
    EXPECT_EQ(AsUnprivilegedUser(dir.Path(), [&]() -> std::string {
                  const int left = DeleteFilesIn(dir / "RES/menu", false);
                  return left == 1 ? "" : "DeleteFilesIn left " + std::to_string(left) + " files, not 1";
              }),
              "");
    chmod((dir / "RES/menu").c_str(), 0755);
    EXPECT_TRUE(FileExists(dir / "RES/menu/locked"));
}

TEST(FileSystem, TempFoldersAreFreshAndPrivate)
{
    const std::string a = MakeTempFolder("rtl-x/");
    const std::string b = MakeTempFolder("rtl-x/");
    EXPECT_NE(a, b);
    EXPECT_TRUE(DirectoryExists(a));
    EXPECT_TRUE(ListFolder(a, "*", ListKind::All).empty());
    EXPECT_EQ(ExtractFileName(a).rfind("rtl-x_", 0), 0u);
    EXPECT_TRUE(RemoveDir(a));
    EXPECT_TRUE(RemoveDir(b));
}

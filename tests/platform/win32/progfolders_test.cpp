#include "win32/progfolders.h"

#include "rtl/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

TEST(Win32ProgFolders, ExecutableFolderIsTheBinFolder)
{
    std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    if (const char* bin = std::getenv("KELDARA_BIN_DIR")) {
        EXPECT_EQ(std::filesystem::canonical(folder), std::filesystem::canonical(bin));
    }
}

TEST(Win32ProgFolders, ProgramFolderOverrideAndDataLookup)
{
    std::string temp = MakeTempFolder("win32-progfolders");
    SetProgramFolder(temp);
    EXPECT_EQ(ProgramFolder(), IncludeTrailingPathDelimiter(temp));
    ASSERT_FALSE(DataFolders().empty());
    EXPECT_EQ(DataFolders().front(), IncludeTrailingPathDelimiter(temp));

    EXPECT_EQ(FindDataFile("keldara-test-only.ini"), "");
    ForceDirectories(JoinPath(temp, "BMP"));
    std::ofstream(JoinPath(temp, "BMP/keldara-test-only.bmp")) << "x";
    EXPECT_EQ(FindDataFile("BMP/keldara-test-only.bmp"), JoinPath(temp, "BMP/keldara-test-only.bmp"));
    EXPECT_EQ(FindDataFile("BMP\\keldara-test-only.bmp"), JoinPath(temp, "BMP/keldara-test-only.bmp"));
    EXPECT_EQ(FindDataFile(""), "");

    SetProgramFolder("");
    EXPECT_NE(ProgramFolder(), IncludeTrailingPathDelimiter(temp));
    EXPECT_EQ(ProgramFolder().back(), '/');
    std::filesystem::remove_all(temp);
}

TEST(Win32ProgFolders, LanguageNamesFromLocales)
{
    EXPECT_EQ(LanguageNameOfLocale("de_DE.UTF-8"), "German");
    EXPECT_EQ(LanguageNameOfLocale("fr_CA"), "French");
    EXPECT_EQ(LanguageNameOfLocale("pt_BR.utf8@latin"), "Portuguese");
    EXPECT_EQ(LanguageNameOfLocale("zh"), "Chinese");
    EXPECT_EQ(LanguageNameOfLocale("C"), "English");
    EXPECT_EQ(LanguageNameOfLocale("POSIX"), "English");
    EXPECT_EQ(LanguageNameOfLocale(""), "English");
    EXPECT_EQ(LanguageNameOfLocale("xx_YY"), "English");

    SetUserLocale("ja_JP.UTF-8");
    EXPECT_EQ(UserLanguageName(), "Japanese");
    SetUserLocale("");
    EXPECT_FALSE(UserLanguageName().empty());
}

} // namespace

#include "win32/progfolders.h"

#include "rtl/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

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

TEST(Win32ProgFolders, DataBesideTheExecutableIsFoundAfterTheProgramFolder)
{
    // A program folder away from a read-only executable folder: the data built
    // beside the executable is still found, and the program folder's own copy wins.
    const std::string temp = IncludeTrailingPathDelimiter(MakeTempFolder("win32-datafolders"));
    SetProgramFolder(temp);
    std::vector<std::string> folders = DataFolders();
    ASSERT_GE(folders.size(), 2u);
    EXPECT_EQ(folders[0], temp);
    EXPECT_EQ(folders[1], ExecutableFolder());

    const std::string name = "keldara-datafolders-" + std::to_string(::getpid()) + ".dat";
    std::ofstream(ExecutableFolder() + name) << "built";
    EXPECT_EQ(FindDataFile(name), ExecutableFolder() + name);
    std::ofstream(temp + name) << "own";
    EXPECT_EQ(FindDataFile(name), temp + name);
    std::filesystem::remove(ExecutableFolder() + name);

    // The usual case, the executable's folder being the program folder, lists it once.
    SetProgramFolder(ExecutableFolder());
    folders = DataFolders();
    EXPECT_EQ(std::count(folders.begin(), folders.end(), ExecutableFolder()), 1);
    EXPECT_EQ(folders.front(), ExecutableFolder());
    SetProgramFolder("");
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

TEST(Win32ProgFolders, MiddleEastLocalesReadRightToLeft)
{
    for (const char* locale : {"ar_EG.UTF-8", "he_IL", "iw_IL.utf8", "fa_IR", "ur_PK", "yi_US"})
        EXPECT_TRUE(LocaleIsMiddleEast(locale)) << locale;
    for (const char* locale : {"en_US.UTF-8", "de_DE", "arn_CL", "C", "", "hi_IN"})
        EXPECT_FALSE(LocaleIsMiddleEast(locale)) << locale;

    SetUserLocale("ar_SA.UTF-8");
    EXPECT_TRUE(UserLocaleIsMiddleEast());
    SetUserLocale("en_GB.UTF-8");
    EXPECT_FALSE(UserLocaleIsMiddleEast());
    SetUserLocale("");
}

} // namespace

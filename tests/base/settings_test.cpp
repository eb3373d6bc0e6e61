#include "base/burnpubfunction.h"
#include "shellfixture.h"

#include "rtl/inifiles.h"

using Settings = ShellTest;

TEST_F(Settings, DefaultConfigHoldsTheNineKeysInOrder)
{
    UseVolumes({{"disk", "/dev/sda1", "rw", 700}});
    ASSERT_TRUE(WriteDefaultConfig());
    std::string text = Read(Config());
    std::erase(text, '\r');   // the settings files keep the platform's line ends
    EXPECT_EQ(text, "[Config]\nWorking Folder=" + Mount("disk") +
                                  "/DVDTemp/\nConvert Engine=0\nOutput Setup=1\nAdd DVD Menu=1\nDVDSize=4300\n"
                                  "VCDSize=600\nDVDSPM=30\nSVCDSPM=22\nVCDSPM=13\n");
}

TEST_F(Settings, MissingFileGivesDefaults)
{
    EXPECT_EQ(ReadConvertEngine(), 1);
    EXPECT_TRUE(ReadOutputSetup());
    ReadDiscSizeSettings();
    EXPECT_EQ(i_FileSize, (std::array<std::int32_t, 4>{4300, 4300, 600, 600}));
    EXPECT_EQ(i_SizePerMin, (std::array<std::int32_t, 4>{30, 30, 22, 13}));
    EXPECT_FALSE(FileExists(Config()));   // readers never write
}

TEST_F(Settings, WritersAndReadersAgree)
{
    ASSERT_TRUE(WriteWorkSettings("/data/work/", 0, 0));
    ASSERT_TRUE(WriteAddDvdMenu(false));
    EXPECT_EQ(ReadConvertEngine(), 0);
    EXPECT_FALSE(ReadOutputSetup());
    TIniFile ini(Config());
    EXPECT_EQ(ini.ReadString("Config", "Working Folder", ""), "/data/work/");
    EXPECT_EQ(ini.ReadString("Config", "Add DVD Menu", ""), "0");
    ASSERT_TRUE(WriteWorkSettings("/data/work/", 1, 2));
    EXPECT_TRUE(ReadOutputSetup());   // any non-zero value
}

TEST_F(Settings, DiscSizesAreReadPerOutputType)
{
    Write(Config(), "[Config]\nDVDSize=8500\nVCDSize=700\nDVDSPM=40\nSVCDSPM=20\nVCDSPM=10\n");
    ReadDiscSizeSettings();
    EXPECT_EQ(i_FileSize, (std::array<std::int32_t, 4>{8500, 8500, 700, 700}));
    EXPECT_EQ(i_SizePerMin, (std::array<std::int32_t, 4>{40, 40, 20, 10}));
    // A capacity of nothing is the user's to give; the clips window reports every clip as too much.
    Write(Config(), "[Config]\nDVDSize=0\nVCDSize=0\n");
    ReadDiscSizeSettings();
    EXPECT_EQ(i_FileSize, (std::array<std::int32_t, 4>{0, 0, 0, 0}));
}

TEST_F(Settings, AbsurdOrNonNumericValuesFallBack)
{
    Write(Config(), "[Config]\nConvert Engine=7\nOutput Setup=yes\nDVDSize=-4300\nVCDSize=99999999999\n"
                    "DVDSPM=0\nSVCDSPM=abc\nVCDSPM=\n");
    EXPECT_EQ(ReadConvertEngine(), 1);
    EXPECT_TRUE(ReadOutputSetup());
    ReadDiscSizeSettings();
    EXPECT_EQ(i_FileSize, (std::array<std::int32_t, 4>{4300, 4300, 600, 600}));
    EXPECT_EQ(i_SizePerMin, (std::array<std::int32_t, 4>{30, 30, 22, 13}));
}

TEST_F(Settings, LanguageDefaultsWithoutAFile)
{
    SetDataFolders({program_});   // no copy delivered anywhere
    SetUserLocale("de_DE.UTF-8");
    ReadLanguageRegions();
    ASSERT_EQ(RegionLanguage.Length(), 1);
    EXPECT_EQ(RegionLanguage[0], "English");
    EXPECT_EQ(LanguageCode[0], "EN");
    EXPECT_EQ(CharacterSet[0], "ISO-8859-1");
    EXPECT_EQ(g_i_LanguageIndex, 0);
    EXPECT_THROW(RegionLanguage[1], ERangeError);
    EXPECT_THROW(CharacterSet[-1], ERangeError);
}

TEST_F(Settings, RegionsAndLocaleMatch)
{
    Write(program_ + "Language.ini",
          "[Region]\nRegionCount=3\n[Region0]\nRegionLanguage=English\nLanguageCode=EN\nCharacterSet=ISO-8859-1\n"
          "[Region1]\nRegionLanguage=French\nLanguageCode=FR\nCharacterSet=ISO-8859-15\n"
          "[Region2]\nRegionLanguage=german\nLanguageCode=DE\n");
    SetUserLocale("ja_JP.UTF-8");
    ReadLanguageRegions();
    ASSERT_EQ(LanguageCode.Length(), 3);
    EXPECT_EQ(g_i_LanguageIndex, 1);   // no match: the second region
    EXPECT_EQ(CharacterSet[1], "ISO-8859-15");
    EXPECT_EQ(CharacterSet[2], "ISO-8859-1");
    EXPECT_THROW(LanguageCode[3], ERangeError);

    SetUserLocale("de_AT.UTF-8");
    ReadLanguageRegions();
    EXPECT_EQ(g_i_LanguageIndex, 2);   // case-insensitive match
    SetUserLocale("C");
    ReadLanguageRegions();
    EXPECT_EQ(g_i_LanguageIndex, 0);
}

TEST_F(Settings, NoRegionsLeaveEmptyCheckedArrays)
{
    Write(program_ + "Language.ini", "[Region]\nRegionCount=-2\n");
    ReadLanguageRegions();
    EXPECT_EQ(RegionLanguage.Length(), 0);
    EXPECT_EQ(g_i_LanguageIndex, 0);
    EXPECT_THROW(RegionLanguage[0], ERangeError);
    Write(program_ + "Language.ini", "[Region]\nRegionCount=2000000000\n");
    ReadLanguageRegions();
    EXPECT_LE(RegionLanguage.Length(), 1000);
}

TEST_F(Settings, ReadOnlyInstallReadsTheDeliveredLanguageIni)
{
    // The program folder is the user's data folder, without a Language.ini of
    // its own: the copy delivered beside the executable offers every language.
    ASSERT_TRUE(FileExists(ExecutableFolder() + "Language.ini"));
    EXPECT_EQ(LanguageFilePath(), ExecutableFolder() + "Language.ini");
    SetUserLocale("de_DE.UTF-8");
    ReadLanguageRegions();
    EXPECT_GT(RegionLanguage.Length(), 1);
    EXPECT_EQ(RegionLanguage[g_i_LanguageIndex], "German");

    // An installed data folder serves the same way, and the program folder's own copy wins.
    const std::string installed = JoinPath(root_, "share/keldara") + "/";
    ForceDirectories(installed);
    Write(installed + "Language.ini", "[Region]\nRegionCount=2\n[Region1]\nRegionLanguage=Dutch\nLanguageCode=NL\n");
    SetDataFolders({program_, installed});
    ReadLanguageRegions();
    ASSERT_EQ(LanguageCode.Length(), 2);
    EXPECT_EQ(LanguageCode[1], "NL");
    Write(program_ + "Language.ini", "[Region]\nRegionCount=1\n");
    EXPECT_EQ(LanguageFilePath(), program_ + "Language.ini");
}

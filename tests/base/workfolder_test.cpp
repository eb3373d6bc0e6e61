#include "base/burnpubfunction.h"
#include "shellfixture.h"

#include "rtl/inifiles.h"

using WorkingFolder = ShellTest;

TEST_F(WorkingFolder, MostFreeSpaceWinsAndEarliestAmongEquals)
{
    UseVolumes({{"small", "/dev/sda1", "rw", 100},
                {"big", "/dev/sda2", "rw", 9000},
                {"same", "/dev/sda3", "rw", 9000},
                {"stick", "/dev/sdb1", "rw", 90000},       // removable: never chosen
                {"readonly", "/dev/sda4", "ro", 90000},    // read-only file system
                {"gone", "/dev/sda5", "rw", 90000, false}}); // nowhere to write
    EXPECT_EQ(AutomaticWorkingFolder(), Mount("big") + "/DVDTemp/");
}

TEST_F(WorkingFolder, MoreThanFourGigabytesFreeIsCountedInFull)
{
    // 5 GB free would wrap to about 1 GB in 32-bit bytes.
    UseVolumes({{"a", "/dev/sda1", "rw", 2000}, {"b", "/dev/sda2", "rw", 5 * 1024 + 1}});
    EXPECT_EQ(AutomaticWorkingFolder(), Mount("b") + "/DVDTemp/");
}

TEST_F(WorkingFolder, NoUsableVolumeFallsBackToTheProgramFolder)
{
    UseVolumes({{"stick", "/dev/sdb1", "rw", 500}, {"full", "/dev/sda1", "rw", 0}});
    EXPECT_EQ(AutomaticWorkingFolder(), program_ + "DVDTemp/");
}

TEST_F(WorkingFolder, AbsentValueWritesTheDefaultsAndStoresTheChoice)
{
    UseVolumes({{"disk", "/dev/sda1", "rw", 700}});
    const std::string expected = Mount("disk") + "/DVDTemp/";
    EXPECT_EQ(GetWorkingFolder(), expected);
    TIniFile ini(Config());
    EXPECT_EQ(ini.ReadString("Config", "Working Folder", ""), expected);
    EXPECT_EQ(ini.ReadString("Config", "Convert Engine", ""), "0");
    EXPECT_EQ(ini.ReadString("Config", "DVDSize", ""), "4300");
    EXPECT_EQ(ini.ReadString("Config", "VCDSPM", ""), "13");
}

TEST_F(WorkingFolder, MarkersAndStoredFolders)
{
    UseVolumes({{"disk", "/dev/sda1", "rw", 700}});
    Write(Config(), "[Config]\nWorking Folder=DVDFOLDER\nDVDSize=1234\n");
    EXPECT_EQ(GetWorkingFolder(), Mount("disk") + "/DVDTemp/");
    // The marker was replaced by the full defaults.
    EXPECT_EQ(TIniFile(Config()).ReadString("Config", "DVDSize", ""), "4300");

    Write(Config(), "[Config]\nWorking Folder=NOFOLDER\n");
    EXPECT_EQ(GetWorkingFolder(), Mount("disk") + "/DVDTemp/");
    EXPECT_EQ(TIniFile(Config()).ReadString("Config", "Working Folder", ""), "NOFOLDER");

    Write(Config(), "[Config]\nWorking Folder=/srv/my work/\n");
    EXPECT_EQ(GetWorkingFolder(), "/srv/my work/");
}

TEST_F(WorkingFolder, UnwritableConfigAnswersOnceWithTheAutomaticChoice)
{
    UseVolumes({{"disk", "/dev/sda1", "rw", 700}});
    // A folder where the file should be: every write fails, even for root.
    ForceDirectories(Config());
    EXPECT_EQ(GetWorkingFolder(), Mount("disk") + "/DVDTemp/");
    EXPECT_FALSE(WriteDefaultConfig());
    EXPECT_FALSE(WriteWorkSettings("/x/", 1, 0));
    EXPECT_FALSE(WriteAddDvdMenu(false));
}

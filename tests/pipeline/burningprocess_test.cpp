// What the burning-process window works out for itself: the DVD folder the
// listed files must come from, the used and remaining time, the volume name.
#include "pipeline/burningprocess.h"

#include "rtl/paths.h"
#include "testkit/tempfolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(BurningProcess, TheListedFilesMustBeOneVideoTsFolderWithItsIfo)
{
    testkit::TempFolder folder("keldara-burning");
    const std::string ts = folder.File("disc/VIDEO_TS");
    const std::string other = folder.File("other/VIDEO_TS");
    ForceDirectories(ts);
    ForceDirectories(other);
    for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO", "VTS_01_1.VOB"})
        std::ofstream(JoinPath(ts, name)) << "x";
    std::ofstream(JoinPath(other, "VTS_01_1.VOB")) << "x";
    BurnFiles files;
    EXPECT_EQ(ListedDvdFolder(files), "");   // nothing listed: no IfoFiles[0] to read
    files.IfoFiles = {JoinPath(ts, "VIDEO_TS.IFO"), JoinPath(ts, "VTS_01_0.IFO")};
    files.VobFiles = {JoinPath(ts, "VTS_01_1.VOB")};
    files.BupFiles = {JoinPath(ts, "VIDEO_TS.BUP")};
    EXPECT_EQ(ListedDvdFolder(files), folder.File("disc/"));
    // A VOB file of another disc would not be burnt: refused.
    files.VobFiles.push_back(JoinPath(other, "VTS_01_1.VOB"));
    EXPECT_EQ(ListedDvdFolder(files), "");
    files.VobFiles.pop_back();
    // Files outside a VIDEO_TS folder, or a VIDEO_TS without its VIDEO_TS.IFO.
    files.IfoFiles = {folder.File("loose.IFO")};
    EXPECT_EQ(ListedDvdFolder(files), "");
    files.IfoFiles = {JoinPath(other, "VTS_01_0.IFO")};
    files.VobFiles = {JoinPath(other, "VTS_01_1.VOB")};
    files.BupFiles.clear();
    EXPECT_EQ(ListedDvdFolder(files), "");
}

TEST(BurningProcess, TheRemainingTimeFollowsThePaceAndNeverRises)
{
    BurnClock clock;
    EXPECT_EQ(clock.Tick(), "00:00:00");
    EXPECT_EQ(clock.TickCount, 1);
    while (clock.TickCount < 60) clock.Tick();
    int percent = -1;
    EXPECT_TRUE(clock.Progress(32767, percent));
    EXPECT_EQ(percent, 49);
    EXPECT_EQ(clock.RemainSeconds, 62);   // 60 x 100 / 49 - 60
    // A slower moment later would say more: the shown time stays.
    for (int i = 0; i < 40; ++i) clock.Tick();
    EXPECT_FALSE(clock.Progress(39321, percent));
    EXPECT_EQ(percent, 60);
    EXPECT_EQ(clock.RemainSeconds, 62);
    // At 0 % there is no pace to go by yet.
    BurnClock fresh;
    fresh.TickCount = 5;
    EXPECT_FALSE(fresh.Progress(0, percent));
    EXPECT_EQ(percent, 0);
    EXPECT_EQ(fresh.RemainSeconds, BurnClock::kUnknownRemain);
    fresh.TickCount = 3725;
    EXPECT_EQ(fresh.Tick(), "01:02:05");
    fresh.Reset();
    EXPECT_EQ(fresh.RemainSeconds, BurnClock::kUnknownRemain);
}

TEST(BurningProcess, TheVolumeNameAvoidsWhatTheWorkingFolderHolds)
{
    testkit::TempFolder folder("keldara-burning");
    EXPECT_EQ(BurningVolumeName(1, folder.Path()), "DVD_DISC");
    EXPECT_EQ(BurningVolumeName(2, folder.Path()), "SVCD_DISC");
    ForceDirectories(folder.File("VCD_DISC"));
    std::ofstream(folder.File("VCD_DISC_1")) << "x";
    EXPECT_EQ(BurningVolumeName(3, folder.Path()), "VCD_DISC_2");
}

} // namespace

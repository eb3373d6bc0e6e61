#include "base/burnpubfunction.h"
#include "base/qv_pubfunction.h"
#include "shellfixture.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "vcl/controls.h"

#include <algorithm>
#include <random>

using Files = ShellTest;

TEST(TimeTexts, WholeSeconds)
{
    EXPECT_EQ(FormatSecondsHms(-5), "00:00:00");
    EXPECT_EQ(FormatSecondsHms(0), "00:00:00");
    EXPECT_EQ(FormatSecondsHms(59), "00:00:59");
    EXPECT_EQ(FormatSecondsHms(3661), "01:01:01");
    EXPECT_EQ(FormatSecondsHms(86400), "24:00:00");
    EXPECT_EQ(FormatSecondsHms(86401), "More than 1 day");
    EXPECT_EQ(PadTwoDigits(7), "07");
    EXPECT_EQ(PadTwoDigits(10), "10");
}

TEST(TimeTexts, WithFrames)
{
    EXPECT_EQ(FormatSecondsHmsf(1.5), "00:00:01:12");
    EXPECT_EQ(FormatSecondsHmsf(-3.0), "00:00:00:00");
    EXPECT_EQ(FormatSecondsHmsf(3723.99), "01:02:03:23");
    EXPECT_EQ(FormatSecondsHmsf(86399.5), "23:59:59:12");
    EXPECT_EQ(FormatSecondsHmsf(86400.0), "00:00:00:00");
    EXPECT_EQ(FormatSecondsHmsf(1e300), "00:00:00:00");
    EXPECT_EQ(FormatSecondsHmsf(std::nan("")), "00:00:00:00");
}

TEST(SpeedLabels, BoundsBelongToTheNextRow)
{
    EXPECT_EQ(SimpleDvdSpeed(0), "DVD-0.5 X");
    EXPECT_EQ(SimpleDvdSpeed(1022), "DVD-0.5 X");
    EXPECT_EQ(SimpleDvdSpeed(1023), "DVD-1 X");
    EXPECT_EQ(SimpleDvdSpeed(1385), "DVD-1 X");
    EXPECT_EQ(SimpleDvdSpeed(5540), "DVD-4 X");
    EXPECT_EQ(SimpleDvdSpeed(11080), "DVD-8 X");
    EXPECT_EQ(SimpleDvdSpeed(30073), "DVD-20 X");
    EXPECT_EQ(SimpleDvdSpeed(30074), "DVD-24 X");
    EXPECT_EQ(SimpleDvdSpeed(-1), "DVD-0.5 X");
}

TEST(ChapterSort, SortsRangesWithDuplicatesAndLeavesTheRest)
{
    std::vector<std::int32_t> a{9, 3, 3, 0, 120, 45, 3, -7, 60};
    QuickSortInts(a, 0, static_cast<int>(a.size()) - 1);
    EXPECT_EQ(a, (std::vector<std::int32_t>{-7, 0, 3, 3, 3, 9, 45, 60, 120}));

    std::vector<std::int32_t> b{5, 4, 3, 2, 1};
    QuickSortInts(b, 1, 3);
    EXPECT_EQ(b, (std::vector<std::int32_t>{5, 2, 3, 4, 1}));
    QuickSortInts(b, 3, 3);   // single element and empty ranges change nothing
    QuickSortInts(b, 4, 2);
    EXPECT_EQ(b, (std::vector<std::int32_t>{5, 2, 3, 4, 1}));

    QuickSortInts(b, -10, 99);   // bounds clipped to the array
    EXPECT_EQ(b, (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
    std::vector<std::int32_t> empty;
    QuickSortInts(empty, 0, 5);
}

TEST(ChapterSort, LargeSortedAndRandomInput)
{
    std::vector<std::int32_t> sorted(20000);
    for (std::size_t i = 0; i < sorted.size(); ++i)
        sorted[i] = static_cast<std::int32_t>(i);
    auto copy = sorted;
    QuickSortInts(copy, 0, static_cast<int>(copy.size()) - 1);   // must not exhaust the stack
    EXPECT_EQ(copy, sorted);

    std::mt19937 random(42);
    std::vector<std::int32_t> mixed(5000);
    for (auto& v : mixed)
        v = static_cast<std::int32_t>(random() % 300);
    auto expected = mixed;
    std::sort(expected.begin(), expected.end());
    QuickSortInts(mixed, 0, static_cast<int>(mixed.size()) - 1);
    EXPECT_EQ(mixed, expected);
}

TEST_F(Files, SizesInMegabytesUseTheFullSize)
{
    const std::string big = JoinPath(root_, "big.vob");
    Write(big, "");
    std::filesystem::resize_file(big, 5LL * 1024 * 1024 * 1024 + 512 * 1024);   // sparse, 5 GB and a half MB
    EXPECT_EQ(GetFileSizeMB(big), 5120);
    EXPECT_EQ(GetFileSizeMBText(big), "5120.50");

    const std::string tiny = JoinPath(root_, "tiny.mpg");
    Write(tiny, "abc");
    EXPECT_EQ(GetFileSizeMB(tiny), 0);
    EXPECT_EQ(GetFileSizeMBText(tiny), "0.01");

    EXPECT_EQ(GetFileSizeMB(JoinPath(root_, "missing")), 0);
    EXPECT_EQ(GetFileSizeMBText(JoinPath(root_, "missing")), "Unknow");
    EXPECT_EQ(GetFileSizeMBText(root_), "Unknow");   // a folder has no file size
    EXPECT_EQ(GetFileSizeMBText(""), "");
}

TEST_F(Files, CleanUpDeletesFilesAndKeepsFolders)
{
    const std::string res = JoinPath(root_, "RES");
    ForceDirectories(JoinPath(res, "menu/deep"));
    Write(JoinPath(res, "a.bmp"), "x");
    Write(JoinPath(res, "menu/b.xml"), "x");
    Write(JoinPath(res, "menu/deep/c.png"), "x");

    DeleteFolderFiles(res, false);   // no trailing separator given
    EXPECT_FALSE(FileExists(JoinPath(res, "a.bmp")));
    EXPECT_TRUE(FileExists(JoinPath(res, "menu/b.xml")));

    DeleteFolderFiles(res + "/", true);
    EXPECT_FALSE(FileExists(JoinPath(res, "menu/b.xml")));
    EXPECT_FALSE(FileExists(JoinPath(res, "menu/deep/c.png")));
    EXPECT_TRUE(DirectoryExists(JoinPath(res, "menu/deep")));
    DeleteFolderFiles(JoinPath(root_, "missing"), true);   // nothing to do, no fault
}

TEST_F(Files, ListingFoldersAndFiles)
{
    const std::string dvd = JoinPath(root_, "dvd");
    ForceDirectories(JoinPath(dvd, "VIDEO_TS"));
    ForceDirectories(JoinPath(dvd, "AUDIO_TS"));
    Write(JoinPath(dvd, "VIDEO_TS/VTS_01_1.VOB"), "x");
    Write(JoinPath(dvd, "VIDEO_TS/VTS_01_2.vob"), "x");
    Write(JoinPath(dvd, "VIDEO_TS/VTS_01_0.IFO"), "x");
    Write(JoinPath(dvd, "note.txt"), "x");

    std::vector<std::string> names{"stale"};
    ListSubFolders(dvd, names);   // separator added when missing
    EXPECT_EQ(names, (std::vector<std::string>{"AUDIO_TS", "VIDEO_TS"}));
    ListSubFolders(dvd + "/", names);
    EXPECT_EQ(names.size(), 2u);
    ListSubFolders(JoinPath(root_, "missing"), names);
    EXPECT_TRUE(names.empty());

    std::vector<std::string> paths;
    ListFilesByExt(JoinPath(dvd, "VIDEO_TS"), "vob", paths);
    EXPECT_EQ(paths, (std::vector<std::string>{JoinPath(dvd, "VIDEO_TS/VTS_01_1.VOB"),
                                               JoinPath(dvd, "VIDEO_TS/VTS_01_2.vob")}));
}

TEST(PathTexts, NamesExtensionsAndVideoTs)
{
    EXPECT_TRUE(IsVideoTsFolder("/media/disc/VIDEO_TS"));
    EXPECT_FALSE(IsVideoTsFolder("/media/disc/video_ts"));
    EXPECT_FALSE(IsVideoTsFolder("VIDEO_T"));
    EXPECT_EQ(ExtractFileNamePart("/home/u/clip one.avi"), "clip one.avi");
    EXPECT_EQ(GetFileExtension("/home/u/clip.one.avi"), ".avi");
    EXPECT_EQ(GetFileExtension("/home/u.d/clip"), "");
    EXPECT_EQ(StripFileExt("/home/u/clip.one.avi"), "/home/u/clip.one");
    EXPECT_TRUE(CanRenderFile("/anything"));

    std::vector<std::string> list{"a", "b", "c"};
    DeleteStringAt(1, list);
    EXPECT_EQ(list, (std::vector<std::string>{"a", "c"}));
    EXPECT_THROW(DeleteStringAt(2, list), ERangeError);
    EXPECT_THROW(DeleteStringAt(-1, list), ERangeError);
    EXPECT_EQ(list.size(), 2u);
}

TEST_F(Files, BitmapFilesAreCheckedWithoutRaising)
{
    const std::string good = JoinPath(root_, "good.bmp");
    TBitmap picture(8, 6);
    picture.SaveToFile(good);
    EXPECT_TRUE(IsBitmapFileUsable(good));

    const std::string bad = JoinPath(root_, "bad.bmp");
    Write(bad, "BM this is not a bitmap");
    EXPECT_FALSE(IsBitmapFileUsable(bad));
    EXPECT_FALSE(IsBitmapFileUsable(JoinPath(root_, "missing.bmp")));
}

TEST_F(Files, ProgramFoldersAreMade)
{
    ASSERT_TRUE(CreateAppFolders());
    EXPECT_TRUE(DirectoryExists(program_ + "RES"));
    EXPECT_TRUE(DirectoryExists(program_ + "Snapshot"));
    EXPECT_TRUE(CreateAppFolders());   // already there

    Write(JoinPath(root_, "blocked"), "a file");
    SetProgramFolder(JoinPath(root_, "blocked") + "/");
    EXPECT_FALSE(CreateAppFolders());
}

TEST(SnapshotTile, WidePictureIsCentredBetweenBlackBars)
{
    TBitmap snapshot(160, 60);
    snapshot.Canvas()->Brush()->SetColor(clWhite);
    snapshot.Canvas()->FillRect(Rect(0, 0, 160, 60));
    snapshot.Canvas()->SetPixels(0, 0, clRed);
    TBitmap tile;
    FitSnapshotToTile(tile, snapshot, 100, 76);
    ASSERT_EQ(tile.Width(), 100);
    ASSERT_EQ(tile.Height(), 76);
    // h = 100 / (160/60) = 37; rows (76-37)/2 = 19 up to (37+76)/2 = 56.
    EXPECT_EQ(tile.Canvas()->Pixels(50, 18), clBlack);
    EXPECT_EQ(tile.Canvas()->Pixels(0, 19), clRed);   // colours copied exactly
    EXPECT_EQ(tile.Canvas()->Pixels(50, 19), clWhite);
    EXPECT_EQ(tile.Canvas()->Pixels(99, 55), clWhite);
    EXPECT_EQ(tile.Canvas()->Pixels(50, 56), clBlack);
}

TEST(SnapshotTile, TallPictureAndEmptySnapshot)
{
    TBitmap snapshot(30, 60);
    snapshot.Canvas()->Brush()->SetColor(clWhite);
    snapshot.Canvas()->FillRect(Rect(0, 0, 30, 60));
    TBitmap tile;
    FitSnapshotToTile(tile, snapshot, 101, 76);
    // w = 76 * 0.5 = 38; columns (101-38)/2 = 31 up to (38+101)/2 = 69.
    EXPECT_EQ(tile.Canvas()->Pixels(30, 40), clBlack);
    EXPECT_EQ(tile.Canvas()->Pixels(31, 40), clWhite);
    EXPECT_EQ(tile.Canvas()->Pixels(68, 0), clWhite);
    EXPECT_EQ(tile.Canvas()->Pixels(69, 40), clBlack);

    TBitmap empty;
    FitSnapshotToTile(tile, empty, 101, 76);   // no division by zero: a black tile
    EXPECT_EQ(tile.Width(), 101);
    EXPECT_EQ(tile.Canvas()->Pixels(50, 38), clBlack);
}

namespace {
class TPlainGraphic : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
};
} // namespace

TEST(ControlsEnabled, WalksWindowedChildrenAndKeepsTheStartingControl)
{
    TWinControl panel(nullptr);
    auto* label = new TPlainGraphic(&panel);
    label->SetParent(&panel);
    auto* group = new TWinControl(&panel);
    group->SetParent(&panel);
    auto* inner = new TPlainGraphic(&panel);
    inner->SetParent(group);
    auto* emptyBox = new TWinControl(&panel);
    emptyBox->SetParent(&panel);

    SetControlsEnabled(false, &panel);
    EXPECT_TRUE(panel.Enabled());
    EXPECT_TRUE(group->Enabled());   // has children: only they change
    EXPECT_FALSE(label->Enabled());
    EXPECT_FALSE(inner->Enabled());
    EXPECT_FALSE(emptyBox->Enabled());   // no children: set itself

    SetControlsEnabled(true, &panel);
    EXPECT_TRUE(inner->Enabled());
    EXPECT_TRUE(emptyBox->Enabled());
    SetControlsEnabled(false, label);
    EXPECT_FALSE(label->Enabled());
    SetControlsEnabled(true, nullptr);
}

// The disc-burner setup: its model on real folders and files (a DVD folder,
// files sized sparsely past a disc's capacity, MPEG files written by FFmpeg
// and read by the media detector), and the window driven headless: the boxes,
// the grid's rows and deleting the right file from a scrolled grid.
#include "../base/startupfixture.h"

#include "app/startup.h"
#include "base/projectdata.h"
#include "pipeline/burnfilelist.h"
#include "pipeline/qv_videodvdsetupdiscburnerform.h"
#include "shell/qv_videodvdselectform.h"
#include "skin/kivbutton.h"
#include "skin/kivgrid.h"
#include "skin/kivpopupmenu.h"
#include "skin/kivprogressbar.h"
#include "testkit/clips.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class BurnerSetupTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        files = JoinPath(root_, "files");
        ForceDirectories(files);
        ScriptedDialogs().Reset();
    }
    void TearDown() override
    {
        ScriptedDialogs().Reset();
        QV_Video_DVD_Setup_Disc_Burner_Form = nullptr;
        StartupTest::TearDown();
    }

    // A file of `bytes` bytes (sparse, so gigabytes cost nothing).
    std::string MakeFile(const std::string& folder, const std::string& name, std::uintmax_t bytes)
    {
        ForceDirectories(folder);
        const std::string path = JoinPath(folder, name);
        std::ofstream(path).put('x');
        fs::resize_file(path, bytes);
        return path;
    }
    // disc/VIDEO_TS with a title set of `vobs` VOB files of 1 MB.
    std::string MakeDvdFolder(const std::string& name, int vobs = 2)
    {
        const std::string ts = JoinPath(JoinPath(files, name), "VIDEO_TS");
        MakeFile(ts, "VIDEO_TS.IFO", 12288);
        MakeFile(ts, "VIDEO_TS.BUP", 12288);
        MakeFile(ts, "VTS_01_0.IFO", 20480);
        MakeFile(ts, "VTS_01_0.BUP", 20480);
        for (int i = 1; i <= vobs; ++i) MakeFile(ts, "VTS_01_" + std::to_string(i) + ".VOB", 1 << 20);
        return ts;
    }
    std::string MakeMpeg(const std::string& name, int width, int height, int fpsNum, int fpsDen,
                         testkit::VideoCodec codec = testkit::VideoCodec::Mpeg2)
    {
        testkit::ClipSpec spec;
        spec.width = width, spec.height = height, spec.fpsNum = fpsNum, spec.fpsDen = fpsDen;
        spec.seconds = 1, spec.video = codec, spec.container = "vob";
        const std::string path = JoinPath(files, name);
        testkit::WriteClip(path, spec);
        return path;
    }

    TQV_Video_DVD_Setup_Disc_Burner_Form& Window(int kind)
    {
        if (!QV_Video_DVD_Setup_Disc_Burner_Form) app->CreateForm(QV_Video_DVD_Setup_Disc_Burner_Form);
        QV_Video_DVD_Setup_Disc_Burner_Form->InitBurnFileList(kind);
        return *QV_Video_DVD_Setup_Disc_Burner_Form;
    }
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> texts;
        for (const HeadlessMessageBox& box : headless->MessageBoxes()) texts.push_back(box.text);
        return texts;
    }

    std::string files;
};

TEST_F(BurnerSetupTest, AFolderAddsItsVideoTsFilesOnceEachInTheirLists)
{
    const std::string ts = MakeDvdFolder("movie");
    BurnFileList list;
    list.Init(1);
    // The parent folder leads to its VIDEO_TS; the same folder again adds nothing.
    list.AddDvdFolder(JoinPath(files, "movie"));
    list.AddDvdFolder(ts + "/");
    list.AddChosenFiles({JoinPath(ts, "VTS_01_1.VOB")}, 1);
    list.Refresh();
    EXPECT_EQ(list.Files->IfoFiles, (std::vector<std::string>{JoinPath(ts, "VIDEO_TS.IFO"), JoinPath(ts, "VTS_01_0.IFO")}));
    EXPECT_EQ(list.Files->VobFiles, (std::vector<std::string>{JoinPath(ts, "VTS_01_1.VOB"), JoinPath(ts, "VTS_01_2.VOB")}));
    EXPECT_EQ(list.Files->BupFiles.size(), 2u);
    ASSERT_EQ(list.RowTotal, 6);
    EXPECT_EQ(list.Rows()[0].Type, "IFO");
    EXPECT_EQ(list.Rows()[2].Type, "VOB");
    EXPECT_EQ(list.Rows()[2].SizeText, "1.00");
    EXPECT_EQ(list.Rows()[5].Type, "BUP");
    EXPECT_EQ(list.CheckIfoBupPairs(), "");

    // A folder without a VIDEO_TS is taken as it is; the filters 2..4 force the list.
    BurnFileList plain;
    plain.AddDvdFolder(files);   // holds only the "movie" folder: nothing to add
    plain.AddChosenFiles({"/a/x.dat", "/a/y.mpeg", "/a/z.Ifo"}, 1);
    plain.AddChosenFiles({"/a/odd.name"}, 3);
    EXPECT_EQ(plain.Files->MpgFiles, (std::vector<std::string>{"/a/y.mpeg"}));
    EXPECT_EQ(plain.Files->IfoFiles, (std::vector<std::string>{"/a/z.Ifo"}));
    EXPECT_EQ(plain.Files->VobFiles, (std::vector<std::string>{"/a/odd.name"}));
}

TEST_F(BurnerSetupTest, IfoAndBupFilesPairByNameAndSize)
{
    BurnFileList list;
    EXPECT_EQ(list.CheckIfoBupPairs(), "Unmatched file loaded!");
    const std::string a = MakeFile(files, "VTS_01_0.IFO", 40000);
    const std::string b = MakeFile(files, "VTS_01_0.BUP", 40000);
    const std::string c = MakeFile(files, "VTS_02_0.IFO", 40000);
    const std::string d = MakeFile(files, "VTS_02_0.BUP", 3 << 20);
    list.AddChosenFiles({a, b}, 1);
    EXPECT_EQ(list.CheckIfoBupPairs(), "");
    list.AddChosenFiles({c}, 1);
    EXPECT_EQ(list.CheckIfoBupPairs(), "The amount of IFO files can not match the BUP files's!");
    list.AddChosenFiles({d}, 1);
    EXPECT_EQ(list.CheckIfoBupPairs(), "The size of IFO files can not match the BUP files's!");
    list.Files->BupFiles = {d, b};
    EXPECT_EQ(list.CheckIfoBupPairs(), "The name of IFO files can not match the BUP files's!");
}

TEST_F(BurnerSetupTest, MpegFilesMustSuitTheDiscKindAndShareOneStandard)
{
    const std::string palSvcd = MakeMpeg("pal_svcd.mpg", 480, 576, 25, 1);
    const std::string ntscSvcd = MakeMpeg("ntsc_svcd.mpg", 480, 480, 30000, 1001);
    const std::string palVcd = MakeMpeg("pal_vcd.mpg", 352, 288, 25, 1, testkit::VideoCodec::Mpeg1);
    const std::string oddHeight = MakeMpeg("odd.mpg", 480, 400, 25, 1);
    const std::string wrongRate = MakeMpeg("rate.mpg", 480, 576, 30000, 1001);
    BurnFileList svcd;
    svcd.Init(2);
    EXPECT_EQ(svcd.CheckMpegFiles(), kNoMpegText);
    svcd.Files->MpgFiles = {palSvcd};
    EXPECT_EQ(svcd.CheckMpegFiles(), "");
    svcd.Files->MpgFiles = {palSvcd, ntscSvcd};
    EXPECT_EQ(svcd.CheckMpegFiles(), kIncompatibleText);
    svcd.Files->MpgFiles = {ntscSvcd};
    EXPECT_EQ(svcd.CheckMpegFiles(), "");
    for (const std::string& bad : {palVcd, oddHeight, wrongRate, JoinPath(files, "gone.mpg")}) {
        svcd.Files->MpgFiles = {palSvcd, bad};
        EXPECT_EQ(svcd.CheckMpegFiles(), kIncompatibleText) << bad;
    }
    BurnFileList vcd;
    vcd.Init(3);
    vcd.Files->MpgFiles = {palVcd};
    EXPECT_EQ(vcd.CheckMpegFiles(), "");
    vcd.Files->MpgFiles = {palSvcd};
    EXPECT_EQ(vcd.CheckMpegFiles(), kIncompatibleText);
}

TEST_F(BurnerSetupTest, TheWindowShowsTheKindsPicturesAndRefusesTheOtherWayToAdd)
{
    auto& svcd = Window(2);
    EXPECT_TRUE(svcd.Image_Vol->Visible());
    EXPECT_TRUE(svcd.Image_SVCD->Visible());
    EXPECT_FALSE(svcd.Image_VCD->Visible());
    EXPECT_TRUE(svcd.kivImageButton_AddFile->Visible());
    EXPECT_FALSE(svcd.kivImageButton2->Visible());
    EXPECT_EQ(svcd.OpenDialog->Filter, "SVCD Files (*.mpg, *.mpeg)|*.mpg;*.mpeg");
    svcd.kivImageButton2Click(nullptr);

    const std::string mpg = MakeMpeg("a.mpg", 480, 576, 25, 1);
    ScriptedDialogs().AnswerFiles({mpg, mpg});
    svcd.kivImageButton_AddFileClick(nullptr);
    EXPECT_EQ(svcd.kivStringGrid_BurnFileInfo->Cells(0, 1), mpg);
    EXPECT_EQ(svcd.kivStringGrid_BurnFileInfo->Cells(1, 1), "MPG");
    EXPECT_EQ(svcd.kivStringGrid_BurnFileInfo->Cells(0, 2), "");
    TCloseAction action = caHide;
    svcd.FormClose(nullptr, action);
    EXPECT_TRUE(svcd.Model.Files->MpgFiles.empty());

    auto& dvd = Window(1);
    EXPECT_FALSE(dvd.Image_Vol->Visible());
    EXPECT_TRUE(dvd.kivImageButton2->Visible());
    EXPECT_FALSE(dvd.kivImageButton_AddFile->Visible());
    dvd.kivImageButton_AddFileClick(nullptr);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Can't use this method to add mpg files!",
                                                 "Can't use this method to add DVD files!"}));
}

TEST_F(BurnerSetupTest, FilesPastTheDiscsCapacityFillTheBarAndSaySo)
{
    auto& dvd = Window(1);
    EXPECT_EQ(dvd.kivStringGrid_BurnFileInfo->RowCount(), 19);
    EXPECT_EQ(dvd.kivStringGrid_BurnFileInfo->ColWidths(0), 388);
    EXPECT_EQ(dvd.kivStringGrid_BurnFileInfo->Cells(2, 0), "Size (MB)");
    const std::string ts = JoinPath(files, "big/VIDEO_TS");
    MakeFile(ts, "VTS_01_1.VOB", std::uintmax_t(4343) << 20);
    ScriptedDialogs().AnswerFolder(JoinPath(files, "big"));
    dvd.kivImageButton2Click(nullptr);
    EXPECT_EQ(dvd.Model.Percent(), 101);
    EXPECT_EQ(dvd.kivProgressBar1->Position(), 100);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kBurnOverfullText}));
    EXPECT_EQ(dvd.kivStringGrid_BurnFileInfo->Cells(2, 1), "4343.00");   // kept listed

    // Below the capacity: the percent, no box. A 600 MB CD is full at 594 MB.
    dvd.DeleteAll1Click(nullptr);
    EXPECT_EQ(dvd.kivProgressBar1->Position(), 0);
    BurnFileList cd;
    cd.Init(3);
    cd.Files->MpgFiles = {MakeFile(files, "a.mpg", std::uintmax_t(594) << 20)};
    cd.Refresh();
    EXPECT_EQ(cd.Percent(), 99);
    EXPECT_FALSE(cd.Overfull());
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(BurnerSetupTest, ARightClickDeletesTheFileUnderThePointerInAScrolledGrid)
{
    const std::string ts = MakeDvdFolder("long", 30);
    auto& dvd = Window(1);
    ScriptedDialogs().AnswerFolder(ts);
    dvd.kivImageButton2Click(nullptr);
    TkivStringGrid* grid = dvd.kivStringGrid_BurnFileInfo;
    ASSERT_EQ(dvd.Model.RowTotal, 34);
    EXPECT_EQ(grid->RowCount(), 35);
    dvd.Show();
    grid->SetTopRow(10);
    ASSERT_EQ(grid->TopRow(), 10);
    // The third row shown is row 12, a VOB file (two IFO rows, then the VOB files).
    const TRect cell = grid->CellRect(0, 12);
    ASSERT_FALSE(IsRectEmpty(cell));
    const std::string target = grid->Cells(0, 12);
    ASSERT_EQ(grid->Cells(1, 12), "VOB");
    headless->MouseDown(dvd, grid->Left() + cell.Left + 5, grid->Top() + cell.Top + 4, mbRight);
    headless->MouseUp(dvd, grid->Left() + cell.Left + 5, grid->Top() + cell.Top + 4, mbRight);
    EXPECT_EQ(grid->PopupMenu(), dvd.kivPopupMenu1);
    EXPECT_EQ(grid->Row(), 12);
    dvd.Delete1Click(nullptr);
    EXPECT_EQ(dvd.Model.RowTotal, 33);
    EXPECT_EQ(std::count(dvd.Model.Files->VobFiles.begin(), dvd.Model.Files->VobFiles.end(), target), 0);
    EXPECT_EQ(dvd.Model.Files->VobFiles.size(), 29u);

    // Below the last file the grid has no menu.
    dvd.DeleteAll1Click(nullptr);
    ScriptedDialogs().AnswerFolder(MakeDvdFolder("short", 1));
    dvd.kivImageButton2Click(nullptr);
    grid->SetTopRow(1);
    const TRect empty = grid->CellRect(0, 8);
    headless->MouseDown(dvd, grid->Left() + empty.Left + 5, grid->Top() + empty.Top + 4, mbRight);
    headless->MouseUp(dvd, grid->Left() + empty.Left + 5, grid->Top() + empty.Top + 4, mbRight);
    EXPECT_EQ(grid->PopupMenu(), nullptr);
    dvd.Hide();
}

TEST_F(BurnerSetupTest, BurnChecksTheFilesBeforeItOpensTheBurningWindow)
{
    auto& dvd = Window(1);
    ScriptedDialogs().AnswerFolder(MakeDvdFolder("ok"));
    dvd.kivImageButton2Click(nullptr);
    dvd.Model.Files->BupFiles.pop_back();
    dvd.kivImageButton3Click(nullptr);
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "The amount of IFO files can not match the BUP files's!");
    EXPECT_EQ(headless->MessageBoxes()[0].caption, "Warning");
    dvd.DeleteAll1Click(nullptr);
    ScriptedDialogs().AnswerFolder(MakeDvdFolder("ok2"));
    dvd.kivImageButton2Click(nullptr);
    // Without a burning-process window the step says it is not there yet.
    dvd.kivImageButton3Click(nullptr);
    EXPECT_EQ(Boxes().back(), kTaskNotAvailableText);

    auto& svcd = Window(2);
    svcd.Model.Files->Clear();
    svcd.kivImageButton3Click(nullptr);
    EXPECT_EQ(Boxes().back(), kNoMpegText);
}

TEST_F(BurnerSetupTest, TheBurnTaskReachesTheWindowThroughTheChoice)
{
    for (const StartupWindow& window : StartupWindows())
        if (window.name == kDiscBurnerSetupWindowName || window.name == kSelectWindowName) {
            ASSERT_TRUE(window.create);
            window.create(*app);
        }
    ASSERT_NE(QV_Video_DVD_Setup_Disc_Burner_Form, nullptr);
    TQV_Video_DVD_Setup_Disc_Burner_Form& burner = *QV_Video_DVD_Setup_Disc_Burner_Form;
    burner.Model.Files->MpgFiles = {"/left/over.mpg"};
    bool reached = false;
    headless->OnNextModal([&](TCustomForm&) {
        headless->OnNextModal([&](TCustomForm& shown) {
            reached = &shown == &burner;
            EXPECT_EQ(burner.Model.DiscType, 3);
            EXPECT_TRUE(burner.Image_VCD->Visible());
            EXPECT_EQ(burner.OpenDialog->Filter, "VCD Files (*.mpg, *.mpeg)|*.mpg;*.mpeg");
            headless->ClickControl(*burner.kivImageButton_Close);
        });
        headless->ClickControl(*QV_Video_DVD_Select_Form->kivImageButton_SelectVCD);
        headless->ClickControl(*QV_Video_DVD_Select_Form->kivImageButton2);
    });
    RunDiscBurnerTask(StartupTaskWindows());
    EXPECT_TRUE(reached);
    // Closing the window let go of the files.
    EXPECT_TRUE(burner.Model.Files->MpgFiles.empty());
    QV_Video_DVD_Select_Form = nullptr;
}

} // namespace

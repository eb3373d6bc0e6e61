// The source clips window on synthetic media files through the real probe and
// the scripted open and save dialogs: adding files with a failure among them,
// leaving in the middle of an add, late probe messages, output names, a
// sound-only file, and the preview: the letter box, ticks, seeking by the bar,
// Stop, setting the begin and end, and a snapshot that ImageMagick reads.
#include "clipsfixture.h"

#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "shell/aboutform.h"

#include "skin/kivbutton.h"
#include "skin/kivimagepanel.h"
#include "skin/kivradiogroup.h"
#include "skin/kivtrackbar.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

#include <cstdio>
#include <filesystem>

namespace {

class SourceClipsLoadTest : public ClipsTest {
protected:
    // A colour near the expected one (the picture went through a lossy codec).
    static bool Near(TColor c, int r, int g, int b)
    {
        return std::abs(int(c & 255) - r) < 60 && std::abs(int(c >> 8 & 255) - g) < 60 &&
               std::abs(int(c >> 16 & 255) - b) < 60;
    }
    // The screen pixel of the preview panel at (x, y).
    TColor PreviewPixel(int x, int y)
    {
        return headless->PixelAt(*form, form->kivImagePanel_Preview->Left() + x, form->kivImagePanel_Preview->Top() + y);
    }
    // Runs a command and answers its standard output.
    static std::string Output(const std::string& command)
    {
        std::string out;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[256];
            while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
            pclose(pipe);
        }
        return out;
    }
};

TEST_F(SourceClipsLoadTest, AFileThatFailsIsReportedAndTheOthersKeepTheirOrder)
{
    const std::string first = WriteClip(media() + "first.avi");
    const std::string broken = testkit::MakeNotMediaFile(media());
    const std::string third = WriteClip(media() + "third.avi", 3);
    ASSERT_TRUE(form->PrepareClipsForm(0, 1));
    ShowWizard([&] {
        Add({first, broken, third});
        form->kivImageButton_ExitClick(nullptr);
    });
    EXPECT_EQ(Names(), (std::vector<std::string>{"first.avi", "third.avi"}));
    for (std::int64_t i = 0; i < 2; ++i) {
        EXPECT_EQ(MyMovieImage[i]->ClipIndex, i);
        EXPECT_EQ(MyMovieImage[i]->Parent(), form->kivImagePanel_Clips);
        EXPECT_EQ(MyMovieImage[i]->Left(), 5);
    }
    EXPECT_EQ(MyMovieImage[0]->OutputName, "first.avi");
    EXPECT_EQ(MyMovieImage[1]->OutputName, "third.avi");

    // The open dialog offered the supported kinds and several files at once.
    ASSERT_EQ(ScriptedDialogs().Requests().size(), 1u);
    const TFileDialogRequest& request = ScriptedDialogs().Requests()[0].file;
    EXPECT_TRUE(request.MultiSelect);
    ASSERT_EQ(request.Filters.size(), 11u);
    EXPECT_EQ(request.Filters[0].Text, "All Supported Video Media Format");
    EXPECT_TRUE(FilterMatches(request.Filters[0], "MOVIE.AVI"));
    EXPECT_TRUE(FilterMatches(request.Filters[0], "talk.rmvb"));
    EXPECT_TRUE(FilterMatches(request.Filters[0], "x.DAT"));
    EXPECT_FALSE(FilterMatches(request.Filters[0], "notes.txt"));
    EXPECT_EQ(request.Filters[5].Text, "Real Player Format (*.rm,*rmvb)");
    // Besides the kinds the dialog always named, every kind the media layer reads.
    for (const char* name : {"clip.mp4", "Caf\xC3\xA9 \xC3\xA9t\xC3\xA9.mkv", "a.M4V", "b.webm", "c.ts", "d.m2ts",
                             "e.MTS", "f.flv", "g.3gp", "VTS_01_1.VOB", "h.ogv"})
        EXPECT_TRUE(FilterMatches(request.Filters[0], name)) << name;
    EXPECT_EQ(request.Filters[10].Text, "All files (*)");
    EXPECT_TRUE(FilterMatches(request.Filters[10], "notes.txt"));
    EXPECT_TRUE(FilterMatches(request.Filters[10], "README"));

    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    const HeadlessMessageBox& box = headless->MessageBoxes()[0];
    EXPECT_EQ(box.text, std::string("No matched codecs in you system, this file maybe can't be conveted!\n"
                                    "You need to install some codec,\nplease see Help File or visite:\n") +
                            kHomePageAddress +
                            "\nto download codecs.\n\nCan not load following file(s):\n"
                            "******************************\n\n" +
                            broken + "\n\n******************************");
    EXPECT_EQ(box.flags & 0xF0, MB_ICONWARNING);
}

TEST_F(SourceClipsLoadTest, TheLoadedClipIsSelectedAndShownWithItsFacts)
{
    const std::string a = WriteClip(media() + "a.avi", 2, 96, 64);
    const std::string b = WriteClip(media() + "b.avi", 3, 128, 96);
    ASSERT_TRUE(form->PrepareClipsForm(1, 1));
    ShowWizard([&] {
        ScriptedDialogs().AnswerFiles({a, b});
        headless->ClickControl(*form->kivImageButton_Add);
        // While the files load, the window is closed to everything but the strip and the box.
        EXPECT_TRUE(form->Panel_Progress->Visible());
        EXPECT_FALSE(form->kivImageButton_Add->Enabled());
        EXPECT_FALSE(form->kivImageButton_Burn->Enabled());
        EXPECT_TRUE(form->kivImageButton_Exit->Enabled());
        EXPECT_FALSE(form->kivRadioGroup->Buttons(0)->Enabled());
        EXPECT_TRUE(form->kivProgressBar_Loading->Enabled());
        ASSERT_TRUE(PumpUntil([this] { return !form->Loader; }));
        EXPECT_EQ(form->kivProgressBar_Loading->Position(), 100);
        EXPECT_FALSE(form->Panel_Progress->Visible());
        EXPECT_TRUE(form->kivImageButton_Add->Enabled());
        EXPECT_FALSE(form->kivImageButton_SetBegin->Enabled());
        EXPECT_FALSE(form->kivTrackBar->Enabled());

        EXPECT_EQ(OldMovieImage, MyMovieImage[1]);
        EXPECT_EQ(form->SelectedIndex, 1);
        EXPECT_EQ(form->Label_ClipName->Caption(), "Clip name : b.avi");
        EXPECT_EQ(form->Label_FrameRate->Caption(), "Frames Rate : 25.00");
        EXPECT_NEAR(OldMovieImage->VideoDuration, 3, 0.05);
        EXPECT_EQ(form->Label_VideoDuration->Caption(),
                  "Video Play Duration : " + FormatSecondsHmsf(OldMovieImage->VideoDuration));
        EXPECT_EQ(form->Label_Width->Caption(), "Resolution Width : 128");
        EXPECT_EQ(form->Label_Height->Caption(), "Resolution Height : 96");
        EXPECT_EQ(form->Label_SupportSeek->Caption(), "Support Seek : Yes");
        EXPECT_EQ(form->Label_EndPoint->Caption(), "End Point : " + FormatSecondsHmsf(OldMovieImage->Duration));
        EXPECT_EQ(form->ClipCaptions[0]->Caption(), "a.avi");
        EXPECT_EQ(form->ClipCaptions[1]->Caption(), "b.avi");
        // The still picture is the clip's snapshot: the synthetic picture's red block, top left.
        ASSERT_FALSE(form->Image_Preview->Picture()->Bitmap()->Empty());
        EXPECT_EQ(form->Image_Preview->Picture()->Bitmap()->Width(), 128);
        EXPECT_TRUE(Near(PreviewPixel(20, 60), 255, 0, 0)) << std::hex << PreviewPixel(20, 60);
        // 5 seconds of DVD: 2.5 MB of 4300.
        EXPECT_EQ(form->kivProgressBar->Position(), 0);
        form->kivImageButton_ExitClick(nullptr);
    });
    EXPECT_TRUE(headless->MessageBoxes().empty());
}

TEST_F(SourceClipsLoadTest, ThreeClipsOfOneNameGetNumberedOutputNames)
{
    std::vector<std::string> files;
    for (const char* folder : {"one/", "two/", "three/"}) files.push_back(WriteClip(media() + folder + "a.avi"));
    ASSERT_TRUE(form->PrepareClipsForm(0, 2));
    ShowWizard([&] {
        Add(files);
        form->kivImageButton_ExitClick(nullptr);
    });
    ASSERT_EQ(MyMovieImage.Length(), 3);
    EXPECT_EQ(MyMovieImage[0]->OutputName, "a.avi");
    EXPECT_EQ(MyMovieImage[1]->OutputName, "a_1.avi");
    EXPECT_EQ(MyMovieImage[2]->OutputName, "a_2.avi");
    for (std::int64_t i = 0; i < 3; ++i) EXPECT_EQ(MyMovieImage[i]->SourcePath, files[i]);
}

TEST_F(SourceClipsLoadTest, SixClipsScrollByOneAndTheAddedClipIsScrolledIntoView)
{
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) files.push_back(WriteClip(media() + "clip" + std::to_string(i) + ".avi", 1));
    ASSERT_TRUE(form->PrepareClipsForm(0, 3));
    ShowWizard([&] {
        Add(std::vector<std::string>(files.begin(), files.begin() + 5));
        EXPECT_EQ(form->kivTrackBar_Image->Max(), 0);
        Add({files[5]});
        EXPECT_EQ(form->kivTrackBar_Image->Max(), 1);
        EXPECT_EQ(Names().back(), "clip5.avi");
        EXPECT_EQ(MyMovieImage[5]->ClipIndex, 5);
        // The sixth, selected, is in view: the strip has moved on by one clip.
        EXPECT_EQ(form->SelectedIndex, 5);
        EXPECT_EQ(form->kivTrackBar_Image->Position(), 1);
        EXPECT_EQ(MyMovieImage[0]->Top(), -100);
        EXPECT_EQ(MyMovieImage[5]->Top(), 410);
        EXPECT_EQ(form->ClipCaptions[4]->Caption(), "clip5.avi");
        // Scrolling back shows the first five.
        form->kivTrackBar_Image->SetPosition(0);
        EXPECT_EQ(MyMovieImage[0]->Top(), 10);
        EXPECT_EQ(form->ClipCaptions[4]->Caption(), "clip4.avi");
        form->kivImageButton_ExitClick(nullptr);
    });
    // Six added at once into a new list: the last in view as well.
    ASSERT_TRUE(form->PrepareClipsForm(0, 3));
    ShowWizard([&] {
        Add(files);
        EXPECT_EQ(form->SelectedIndex, 5);
        EXPECT_EQ(form->kivTrackBar_Image->Position(), 1);
        EXPECT_EQ(form->ClipCaptions[4]->Caption(), "clip5.avi");
        form->kivImageButton_ExitClick(nullptr);
    });
}

TEST_F(SourceClipsLoadTest, LeavingInTheMiddleOfAnAddKeepsTheLoadedClipsOnly)
{
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) files.push_back(WriteClip(media() + "part" + std::to_string(i) + ".avi", 2));
    ASSERT_TRUE(form->PrepareClipsForm(0, 1));
    struct Way {
        const char* what;
        std::function<void()> leave;
    };
    const Way ways[] = {{"Exit", [&] { headless->ClickControl(*form->kivImageButton_Exit); }},
                        {"window manager", [&] { form->InputCloseRequest(); }}};
    for (const Way& way : ways) {
        ASSERT_TRUE(form->PrepareClipsForm(0, 1));
        HWND relay = nullptr;
        const int result = ShowWizard([&] {
            ScriptedDialogs().AnswerFiles(files);
            headless->ClickControl(*form->kivImageButton_Add);
            // The first file is in; the second is being probed.
            ASSERT_TRUE(PumpUntil([] { return MyMovieImage.Length() == 3 && MyMovieImage[0]; }));
            ASSERT_TRUE(form->Loader);
            relay = form->Loader->OwnerWindow;
            way.leave();
        });
        EXPECT_EQ(result, 3) << way.what;
        EXPECT_FALSE(form->Loader) << way.what;
        EXPECT_FALSE(IsWindow(relay)) << way.what;
        EXPECT_EQ(Names(), (std::vector<std::string>{"part0.avi"})) << way.what;
        EXPECT_EQ(MyMovieImage[0]->Parent(), form->kivImagePanel_Clips);
        EXPECT_EQ(MyMovieImage[0]->OutputName, "part0.avi");
        EXPECT_EQ(form->kivTrackBar_Image->Max(), 0);

        // A probe message arriving now changes nothing, on any handle.
        PostMessage(form->Handle(), MSG_LOAD_READY, 1, 0);
        PostMessage(form->Handle(), MSG_LOAD_FAILED, 1, 0);
        EXPECT_FALSE(PostMessage(relay, MSG_LOAD_READY, 1, 0));
        app->ProcessMessages();
        EXPECT_EQ(Names(), (std::vector<std::string>{"part0.avi"})) << way.what;

        // Nor does it later, in the middle of the next add: each clip is stored once, in order.
        ShowWizard([&] {
            PostMessage(form->Handle(), MSG_LOAD_READY, 1, 0);
            Add({files[1], files[2]});
            form->kivImageButton_ExitClick(nullptr);
        });
        EXPECT_EQ(Names(), (std::vector<std::string>{"part0.avi", "part1.avi", "part2.avi"})) << way.what;
        for (std::int64_t i = 0; i < 3; ++i) EXPECT_EQ(MyMovieImage[i]->ClipIndex, i);
        EXPECT_TRUE(headless->MessageBoxes().empty());
    }
}

TEST_F(SourceClipsLoadTest, ASoundOnlyFileTakesThePlaceholderOrFailsWithoutIt)
{
    const std::string sound = testkit::MakeAudioOnlyFile(media());
    ASSERT_TRUE(form->PrepareClipsForm(0, 1));
    ShowWizard([&] {
        Add({sound});
        form->kivImageButton_ExitClick(nullptr);
    });
    ASSERT_EQ(MyMovieImage.Length(), 1);
    EXPECT_FALSE(MyMovieImage[0]->Snapshot->Empty());
    EXPECT_TRUE(headless->MessageBoxes().empty());

    // Without the placeholder the clip has no snapshot: it counts as failed and is freed.
    std::filesystem::remove(program_ + "BMP/VideoP.bmp");
    SetDataFolders({program_});
    ASSERT_TRUE(form->PrepareClipsForm(0, 1));
    ShowWizard([&] {
        Add({sound});
        form->kivImageButton_ExitClick(nullptr);
    });
    EXPECT_EQ(MyMovieImage.Length(), 0);
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_NE(headless->MessageBoxes()[0].text.find(sound + "\n"), std::string::npos);
}

TEST_F(SourceClipsLoadTest, PreviewPlaysLetterBoxedMovesTheBarSeeksAndStops)
{
    const std::string wide = WriteClip(media() + "wide.avi", 4, 320, 160);
    ASSERT_TRUE(form->PrepareClipsForm(1, 1));
    ShowWizard([&] {
        Add({wide});
        TQV_MovieImage* clip = MyMovieImage[0];
        ASSERT_EQ(OldMovieImage, clip);
        headless->ClickControl(*form->kivImageButton_Preview);
        ASSERT_NE(GRAPH, nullptr);
        EXPECT_FALSE(form->Image_Preview->Visible());
        EXPECT_TRUE(form->kivImageButton_SetBegin->Enabled());
        EXPECT_TRUE(form->kivImageButton_Stop->Enabled());
        EXPECT_TRUE(form->kivTrackBar->Enabled());
        EXPECT_DOUBLE_EQ(form->PreviewDuration, clip->Duration);

        // A 2:1 picture in the 4:3 panel: full width, 192 rows from row 48.
        EXPECT_EQ(LetterBoxRect(384, 288, 320, 160, true), Rect(0, 48, 384, 240));
        ASSERT_TRUE(PumpUntil([this] { return form->kivImagePanel_Preview->HasFrame(); }));
        EXPECT_EQ(PreviewPixel(60, 20), TColor(clBlack));
        EXPECT_TRUE(Near(PreviewPixel(60, 80), 255, 0, 0)) << std::hex << PreviewPixel(60, 80);
        // Without the letter box the picture fills the panel.
        headless->ClickControl(*form->kivCheckBox);
        EXPECT_FALSE(clip->LetterBox);
        ASSERT_TRUE(PumpUntil([this] { return Near(PreviewPixel(60, 20), 255, 0, 0); }));

        // Ticks move the play bar.
        ASSERT_TRUE(PumpUntil([this] { return form->kivTrackBar->Position() > 0; }));
        EXPECT_GT(form->CurrentPosition, 0);
        EXPECT_EQ(form->TickPercent, form->kivTrackBar->Position());

        // Pressing the bar's slider pauses; letting it go at 75 % seeks there and plays on.
        TkivTrackBar& bar = *form->kivTrackBar;
        const int sliderX = bar.Left() + bar.Slider()->Left() + bar.Slider()->Width() / 2;
        const int y = bar.Top() + bar.Height() / 2;
        headless->MouseDown(*form, sliderX, y);
        EXPECT_EQ(GRAPH->State, GraphGroup::Paused);
        const TPoint at = bar.SliderPointFor(75);
        headless->MouseMove(*form, bar.Left() + at.X + bar.Slider()->Width() / 2, y, ssLeft);
        ASSERT_EQ(bar.Position(), 75);
        headless->MouseUp(*form, bar.Left() + at.X + bar.Slider()->Width() / 2, y);
        EXPECT_EQ(GRAPH->State, GraphGroup::Running);
        ASSERT_TRUE(PumpUntil([&] { return form->CurrentPosition >= 0.75 * clip->Duration - 0.05; }));

        headless->ClickControl(*form->kivImageButton_Stop);
        EXPECT_EQ(GRAPH, nullptr);
        EXPECT_TRUE(form->Image_Preview->Visible());
        EXPECT_FALSE(form->kivImagePanel_Preview->HasFrame());
        EXPECT_EQ(form->kivTrackBar->Position(), 0);
        EXPECT_FALSE(form->kivImageButton_SetBegin->Enabled());
        EXPECT_FALSE(form->kivImageButton_SetEnd->Enabled());
        EXPECT_FALSE(form->kivTrackBar->Enabled());
        // Ticks already on their way change nothing now.
        PostMessage(form->Handle(), MSG_GRAPH_TICK, 0, 0);
        app->ProcessMessages();
        EXPECT_EQ(form->kivTrackBar->Position(), 0);

        // Played to its end, the preview stops by itself.
        headless->ClickControl(*form->kivImageButton_Preview);
        ASSERT_TRUE(PumpUntil([] { return GRAPH == nullptr; }));
        EXPECT_TRUE(form->Image_Preview->Visible());
        form->kivImageButton_ExitClick(nullptr);
    });
}

TEST_F(SourceClipsLoadTest, SetBeginAndEndTakeThePlayPositionAndAskWhenTheyCross)
{
    const std::string file = WriteClip(media() + "trim.avi", 4);
    ASSERT_TRUE(form->PrepareClipsForm(0, 1));
    ShowWizard([&] {
        Add({file});
        TQV_MovieImage& clip = *MyMovieImage[0];
        // Without a preview nothing is set.
        form->CurrentPosition = 1;
        form->kivImageButton_SetBeginClick(form->kivImageButton_SetBegin);
        EXPECT_EQ(clip.StartPoint, 0);

        headless->ClickControl(*form->kivImageButton_Preview);
        ASSERT_NE(GRAPH, nullptr);
        // The play position is the test's from here: the ticker is ended and its last ticks read.
        GRAPH->Stop();
        app->ProcessMessages();
        form->CurrentPosition = 1.5;
        headless->ClickControl(*form->kivImageButton_SetBegin);
        EXPECT_DOUBLE_EQ(clip.StartPoint, 1.5);
        form->CurrentPosition = 3;
        headless->ClickControl(*form->kivImageButton_SetEnd);
        EXPECT_DOUBLE_EQ(clip.EndPoint, 3);
        EXPECT_EQ(form->Label_StartPoint->Caption(), "Start Point : 00:00:01:12");
        EXPECT_EQ(form->Label_EndPoint->Caption(), "End Point : 00:00:03:00");
        // The blue span moved with them: from 1.5 / length x 381 + 1 to 3 / length x 381 + 1.
        TBitmap* bar = form->kivTrackBar->BarImage()->Bitmap();
        const int from = static_cast<int>(1.5 / clip.Duration * 381 + 1), to = static_cast<int>(3 / clip.Duration * 381 + 1);
        EXPECT_EQ(bar->Pixel(from - 2, 1), TColor(0x808080));
        EXPECT_EQ(bar->Pixel(from - 1, 1), clBlue);
        EXPECT_EQ(bar->Pixel(to, 1), clBlue);
        EXPECT_EQ(bar->Pixel(to + 1, 1), TColor(0x808080));

        // Begin after the end: No keeps the begin, Yes puts it on the end.
        form->CurrentPosition = 3.5;
        headless->AnswerNextMessageBox(IDNO);
        headless->ClickControl(*form->kivImageButton_SetBegin);
        EXPECT_DOUBLE_EQ(clip.StartPoint, 1.5);
        headless->AnswerNextMessageBox(IDYES);
        headless->ClickControl(*form->kivImageButton_SetBegin);
        EXPECT_DOUBLE_EQ(clip.StartPoint, 3);
        // End before the begin, the same way round.
        form->CurrentPosition = 2;
        headless->AnswerNextMessageBox(IDNO);
        headless->ClickControl(*form->kivImageButton_SetEnd);
        EXPECT_DOUBLE_EQ(clip.EndPoint, 3);
        clip.StartPoint = 2.5;
        headless->AnswerNextMessageBox(IDYES);
        headless->ClickControl(*form->kivImageButton_SetEnd);
        EXPECT_DOUBLE_EQ(clip.EndPoint, 2.5);
        form->kivImageButton_ExitClick(nullptr);
    });
    ASSERT_EQ(headless->MessageBoxes().size(), 4u);
    const std::string begin = "Set Begin wrong, and there will be an unknowable error!\nDo you want to continue anyway?";
    const std::string end = "Set End wrong, and there will be an unknowable error!\nDo you want to continue anyway?";
    EXPECT_EQ(headless->MessageBoxes()[0].text, begin);
    EXPECT_EQ(headless->MessageBoxes()[1].text, begin);
    EXPECT_EQ(headless->MessageBoxes()[2].text, end);
    EXPECT_EQ(headless->MessageBoxes()[3].text, end);
    EXPECT_EQ(headless->MessageBoxes()[0].flags & 0xF0, MB_ICONQUESTION);
}

TEST_F(SourceClipsLoadTest, ASnapshotIsABitmapOfTheClipsSize)
{
    const std::string file = WriteClip(media() + "snap.avi", 3, 176, 144);
    const std::string shot = root_ + "/shot.BMP";
    const std::string other = root_ + "/frame.png";
    ASSERT_TRUE(form->PrepareClipsForm(0, 2));
    ShowWizard([&] {
        Add({file});
        headless->ClickControl(*form->kivImageButton_SavePic);   // nothing plays yet
        ASSERT_EQ(headless->MessageBoxes().size(), 1u);
        EXPECT_EQ(headless->MessageBoxes()[0].text, "Please preview a video clip to snapshoot!");
        EXPECT_EQ(headless->MessageBoxes()[0].flags & 0xF0, MB_ICONINFORMATION);

        headless->ClickControl(*form->kivImageButton_Preview);
        ASSERT_TRUE(PumpUntil([this] { return form->kivImagePanel_Preview->HasFrame(); }));
        ScriptedDialogs().AnswerFiles({shot});
        headless->ClickControl(*form->kivImageButton_SavePic);
        ASSERT_NE(GRAPH, nullptr);
        EXPECT_EQ(GRAPH->State, GraphGroup::Running);   // playing on after the dialog
        ScriptedDialogs().AnswerFiles({other});
        headless->ClickControl(*form->kivImageButton_SavePic);
        ScriptedDialogs().CancelNext();
        headless->ClickControl(*form->kivImageButton_SavePic);
        EXPECT_EQ(GRAPH->State, GraphGroup::Running);
        form->kivImageButton_ExitClick(nullptr);
    });
    EXPECT_EQ(ScriptedDialogs().Requests().back().kind, "save");
    EXPECT_EQ(ScriptedDialogs().Requests().back().file.Filters.at(0).Text, "Bitmap File(*.bmp)");
    // The name kept its own extension in any case; another extension got ".bmp". ImageMagick
    // reads both as Windows bitmaps with the 40-byte header (its "BMP3").
    EXPECT_TRUE(FileExists(shot));
    EXPECT_FALSE(FileExists(shot + ".bmp"));
    EXPECT_TRUE(FileExists(other + ".bmp"));
    EXPECT_EQ(Output("identify -format '%m %w %h' '" + shot + "' 2>&1"), "BMP3 176 144");
    EXPECT_EQ(Output("identify -format '%m %w %h' '" + other + ".bmp' 2>&1"), "BMP3 176 144");
}

} // namespace

// The start-up: the windows in their order, the splash around their making,
// the message loop until Exit, and a start that cannot make its folders.
#include "startupfixture.h"

#include "app/startup.h"
#include "base/taskwindows.h"
#include "shell/aboutform.h"
#include "shell/qv_videodvdauthorform.h"
#include "shell/qv_videodvdclippropertyform.h"
#include "shell/qv_videodvdselectform.h"
#include "shell/qv_videodvdsetupchapterform.h"
#include "shell/splashform.h"

#include "vcl/timer.h"
#include "win32/progfolders.h"

#include <algorithm>

namespace {

TEST_F(StartupTest, WindowsAreListedInTheirStartUpOrderMainWindowFirst)
{
    std::vector<std::string> names;
    for (const StartupWindow& w : StartupWindows()) names.push_back(w.name);
    EXPECT_EQ(names, (std::vector<std::string>{
                         "QV_Video_DVD_Author_Form", "QV_Video_DVD_Text_Property_Form",
                         "QV_Video_DVD_Disc_Builder_Form", "QV_Video_DVD_Disc_Burning_Process_Form",
                         "QV_Video_DVD_Setup_Source_Clips_Form", "QV_Video_DVD_Setup_DVD_Menu_Form",
                         "QV_Video_DVD_Setup_Disc_Burner_Form", "QV_Video_DVD_Convert_Process_Form",
                         "QV_Video_DVD_Clip_Property_Form", "QV_Video_DVD_Select_Form", "Form_About",
                         "QV_Video_DVD_Subtitle_Property_Form", "QV_Video_DVD_Setup_Chapter_Form"}));
    for (const StartupWindow& w : StartupWindows()) EXPECT_TRUE(w.create) << w.name;
    // The task chains find their windows by these same names.
    for (const char* chained : {kSelectWindowName, kSourceClipsWindowName, kMenuDesignerWindowName,
                                kDiscBurnerSetupWindowName, kClipPropertyWindowName, kSetupChapterWindowName})
        EXPECT_NE(std::find(names.begin(), names.end(), chained), names.end()) << chained;
}

TEST_F(StartupTest, StartShowsTheSplashMakesTheWindowsAndRunsUntilExit)
{
    // Exit is pressed once the loop runs: well after both fades (about 1 s of test time).
    std::vector<int> splashAlphas;
    clock.onSleep = [&] {
        if (Form1) splashAlphas.push_back(headless->WindowAlpha(*Form1));
    };
    bool mainShownAtExit = false;
    TTimer exitLater(nullptr);
    exitLater.SetInterval(3000);
    exitLater.OnTimer = [&](TObject*) {
        exitLater.SetEnabled(false);
        ASSERT_NE(QV_Video_DVD_Author_Form, nullptr);
        mainShownAtExit = headless->WindowVisible(*QV_Video_DVD_Author_Form);
        // The windows as the loop has them (they are gone once the start-up returns).
        EXPECT_EQ(app->MainForm(), QV_Video_DVD_Author_Form);
        EXPECT_NE(Form_About, nullptr);
        ASSERT_NE(QV_Video_DVD_Select_Form, nullptr);
        EXPECT_EQ(app->FindComponent(kSelectWindowName), QV_Video_DVD_Select_Form);
        // The menu designer's dialogs, in their places and found as it finds them.
        ASSERT_NE(QV_Video_DVD_Clip_Property_Form, nullptr);
        ASSERT_NE(QV_Video_DVD_Setup_Chapter_Form, nullptr);
        EXPECT_EQ(FindTaskWindow<ClipPropertySteps>(kClipPropertyWindowName), QV_Video_DVD_Clip_Property_Form);
        EXPECT_EQ(FindTaskWindow<ChapterSetupSteps>(kSetupChapterWindowName), QV_Video_DVD_Setup_Chapter_Form);
        EXPECT_LT(QV_Video_DVD_Clip_Property_Form->ComponentIndex(), QV_Video_DVD_Select_Form->ComponentIndex());
        EXPECT_GT(QV_Video_DVD_Setup_Chapter_Form->ComponentIndex(), Form_About->ComponentIndex());
        QV_Video_DVD_Author_Form->Button_ExitClick(nullptr);
    };

    EXPECT_EQ(RunStartup(*app), 0);
    clock.onSleep = nullptr;
    EXPECT_EQ(app->Title(), "Keldara DVD Maker");
    std::vector<int> expected = Range(10, 250, 10);
    for (int a : Range(245, 5, -10)) expected.push_back(a);
    EXPECT_EQ(splashAlphas, expected);
    EXPECT_EQ(Form1, nullptr);   // the splash is gone before the loop
    EXPECT_EQ(app->ComponentCount(), 0);   // the windows went before the project data
    EXPECT_TRUE(mainShownAtExit);
    EXPECT_TRUE(app->Terminated());
}

TEST_F(StartupTest, ProgramFolderThatCannotHoldItsFoldersEndsTheStartWithAnErrorCode)
{
    // A plain file where the program folder should be: neither RES/ nor Snapshot/ can be made.
    Write(root_ + "/blocked", "not a folder");
    SetProgramFolder(root_ + "/blocked/");
    EXPECT_EQ(RunStartup(*app), 1);
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "Creating application system directory error!");
    EXPECT_EQ(headless->MessageBoxes()[0].flags & 0xF0, MB_ICONERROR);
    EXPECT_EQ(QV_Video_DVD_Author_Form, nullptr);
    EXPECT_EQ(Form1, nullptr);
    EXPECT_TRUE(launcher.launched.empty());   // nothing registered after the failure
}

} // namespace

// The start-up: splash fade, the windows in their order, the registration
// commands, the program folders, and a start that cannot make its folders.
#include "startupfixture.h"

#include "shell/aboutform.h"
#include "shell/qv_videodvdauthorform.h"
#include "shell/qv_videodvdclippropertyform.h"
#include "shell/qv_videodvdselectform.h"
#include "shell/qv_videodvdsetupchapterform.h"
#include "shell/splashform.h"
#include "shell/startup.h"
#include "shell/taskwindows.h"

#include "vcl/timer.h"
#include "win32/progfolders.h"

#include <algorithm>

namespace {

std::vector<int> Range(int from, int to, int step)
{
    std::vector<int> v;
    for (int a = from; step > 0 ? a <= to : a >= to; a += step) v.push_back(a);
    return v;
}

TEST_F(StartupTest, SplashFadesUpInTensToFullAndDownInTensToNothingPumpingMessages)
{
    TForm1* splash = new TForm1(nullptr);
    splash->Show();
    EXPECT_TRUE(splash->FadeIn);
    EXPECT_EQ(splash->Alpha, 0);
    EXPECT_EQ(headless->WindowAlpha(*splash), 0);
    EXPECT_EQ(splash->ClientWidth(), 488);
    EXPECT_EQ(splash->ClientHeight(), 241);
    EXPECT_EQ(splash->BorderStyle(), bsNone);
    EXPECT_EQ(splash->FormStyle(), fsStayOnTop);

    // Each sleep sees the alpha just set; a message posted before the fade is handled during it.
    std::vector<int> seen;
    int handled = 0, handledAtFirstSleep = -1;
    clock.onSleep = [&] {
        seen.push_back(headless->WindowAlpha(*splash));
        if (handledAtFirstSleep < 0) handledAtFirstSleep = handled;
    };
    TTimer pump(nullptr);
    pump.SetInterval(100);
    pump.OnTimer = [&](TObject*) { ++handled; };

    const std::uint64_t before = clock.TotalSlept();
    Fade(*splash);
    EXPECT_EQ(seen, Range(10, 250, 10));
    EXPECT_EQ(headless->WindowAlpha(*splash), 255);
    EXPECT_EQ(splash->Alpha, 255);
    EXPECT_FALSE(splash->FadeIn);
    EXPECT_EQ(clock.TotalSlept() - before, 25u * 20u);
    EXPECT_GE(handled, 4);   // the pump ran the 100 ms timer while the fade slept

    seen.clear();
    Fade(*splash);
    EXPECT_EQ(seen, Range(245, 5, -10));
    EXPECT_EQ(headless->WindowAlpha(*splash), 0);
    EXPECT_EQ(splash->Alpha, 0);
    EXPECT_FALSE(splash->FadeIn);
    clock.onSleep = nullptr;
    splash->Free();
}

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
    ASSERT_TRUE(StartupWindows().front().create);
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

TEST_F(StartupTest, RegistrationRunsTheTenCommandsWithTheProgramsToolsInTheExecutablesFolder)
{
    const std::vector<std::string> pinned = {
        "regsvr32.exe /s audio.dll", "regsvr32.exe /s video.dll", "regsvr32.exe /s YUV2RGBFilter.ax",
        "regsvr32.exe /s RMSP.DLL",  "regsvr32.exe /s QT.dll",    "regsvr32.exe /s KVMADec.ax",
        "regsvr32.exe /s KVMVDec.ax", "reg import audio1.reg",    "reg import audio2.reg",
        "reg import video.reg"};
    EXPECT_EQ(RegistrationCommands(), pinned);

    app->CreateForm(QV_Video_DVD_Author_Form);
    const std::string exe = ExecutableFolder();
    ASSERT_EQ(launcher.launched.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        const ProcessSpec& spec = launcher.launched[i];
        const std::vector<std::string> words = SplitCommandLine(pinned[i]);
        ASSERT_EQ(spec.argv.size(), words.size()) << pinned[i];
        EXPECT_EQ(spec.argv[0], exe + (i < 7 ? "regsvr32" : "reg")) << pinned[i];
        EXPECT_EQ(std::vector<std::string>(spec.argv.begin() + 1, spec.argv.end()),
                  std::vector<std::string>(words.begin() + 1, words.end()));
        EXPECT_EQ(spec.workingFolder, exe);
    }
}

TEST_F(StartupTest, RegistrationCommandsReallyRegisterTheServersBuiltHereAndFailForTheOthers)
{
    // Run for real, one after the other, into a private registry: the sink
    // servers register; components that are not delivered here fail.
    const std::string registry = root_ + "/registry";
    std::vector<int> codes;
    for (ProcessSpec spec : RegistrationSpecs()) {
        spec.extraEnv.push_back({"KELDARA_REGISTRY", registry});
        codes.push_back(RunProcess(spec, 30000).exitCode);
    }
    ASSERT_EQ(codes.size(), 10u);
    if (!FileExists(ExecutableFolder() + "libaudio.so")) GTEST_SKIP() << "the sink servers are not built";
    EXPECT_EQ(codes[0], 0);   // audio.dll
    EXPECT_EQ(codes[1], 0);   // video.dll
    EXPECT_EQ(codes[3], 3);   // RMSP.DLL: cannot be loaded
    EXPECT_NE(codes[7], 0);   // audio1.reg: not there
    EXPECT_TRUE(FileExists(registry));
    // At start-up the same failures stay unseen.
    app->CreateForm(QV_Video_DVD_Author_Form);
    EXPECT_TRUE(headless->MessageBoxes().empty());
}

TEST_F(StartupTest, FoldersAreMadeAndEmptiedOfFilesAtStartAndExitKeepingSubfolders)
{
    for (const char* sub : {"RES/keep/", "Snapshot/keep/"}) {
        ForceDirectories(program_ + sub);
        Write(program_ + sub + "inner.txt", "x");
    }
    Write(program_ + "RES/Menu_P.xml", "<old/>");
    Write(program_ + "Snapshot/0.bmp", "old");
    app->CreateForm(QV_Video_DVD_Author_Form);
    EXPECT_FALSE(FileExists(program_ + "RES/Menu_P.xml"));
    EXPECT_FALSE(FileExists(program_ + "Snapshot/0.bmp"));
    EXPECT_TRUE(FileExists(program_ + "RES/keep/inner.txt"));
    EXPECT_TRUE(FileExists(program_ + "Snapshot/keep/inner.txt"));

    Write(program_ + "RES/Author.xml", "<dvdauthor/>");
    Write(program_ + "Snapshot/1.bmp", "new");
    QV_Video_DVD_Author_Form->Button_ExitClick(nullptr);
    EXPECT_FALSE(FileExists(program_ + "RES/Author.xml"));
    EXPECT_FALSE(FileExists(program_ + "Snapshot/1.bmp"));
    EXPECT_TRUE(FileExists(program_ + "RES/keep/inner.txt"));
    EXPECT_TRUE(FileExists(program_ + "Snapshot/keep/inner.txt"));
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

TEST_F(StartupTest, ScreenSaverIsHeldOffWhileTheMainWindowLives)
{
    app->CreateForm(QV_Video_DVD_Author_Form);
    EXPECT_EQ(headless->ScreenSaverCalls(), std::vector<bool>{true});
    QV_Video_DVD_Author_Form->Free();
    QV_Video_DVD_Author_Form = nullptr;
    EXPECT_EQ(headless->ScreenSaverCalls(), (std::vector<bool>{true, false}));
}

} // namespace

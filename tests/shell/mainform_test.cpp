// The main window: its skin and buttons, the task chains over scripted
// windows, Help, Home, About and Minimise, the registration commands and the
// program folders it looks after; and the splash's fade.
#include "startupfixture.h"

#include "base/taskwindows.h"
#include "shell/aboutform.h"
#include "shell/qv_videodvdauthorform.h"
#include "shell/qv_videodvdselectform.h"
#include "shell/registration.h"
#include "shell/splashform.h"

#include "skin/kivbutton.h"
#include "skin/kivpopupmenu.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"
#include "win32/progfolders.h"

#include <stdexcept>

namespace {

// Windows of the tasks played from a script; every call is written down with
// whether the main window was showing at that moment.
class ScriptedWindows : public TaskWindows {
public:
    explicit ScriptedWindows(THeadlessBackend* headless) : headless_(headless) {}
    int ChooseDiscKind(int selectMode) override
    {
        Note("choice " + std::to_string(selectMode));
        return kind;
    }
    bool PrepareClipsForm(int mode, int k) override
    {
        Note("prepare " + std::to_string(mode) + " " + std::to_string(k));
        return prepareOk;
    }
    bool InitMenuDesigner(bool withClips) override
    {
        Note(withClips ? "menu init clips" : "menu init empty");
        return menuInitOk;
    }
    int ShowClipsWizard() override
    {
        Note("clips wizard");
        return Next(wizardResults, 1);
    }
    void PassClipsToMenuDesigner() override { Note("to menu"); }
    void PassAutoChapters() override { Note("auto chapters"); }
    int ShowMenuDesigner() override
    {
        Note("menu show");
        if (throwInMenu) throw std::runtime_error("menu failed");
        return Next(menuResults, 1);
    }
    void ShowClipsForConversion() override { Note("clips convert"); }
    void InitBurnFileList(int k) override { Note("burn list " + std::to_string(k)); }
    void ShowDiscBurnerSetup() override { Note("burner show"); }

    bool prepareOk = true, menuInitOk = true, throwInMenu = false;
    int kind = 1;
    std::vector<int> wizardResults, menuResults;
    std::vector<std::string> calls;
    bool mainVisibleDuringChain = false;

private:
    static int Next(std::vector<int>& results, int fallback)
    {
        if (results.empty()) return fallback;
        const int r = results.front();
        results.erase(results.begin());
        return r;
    }
    void Note(const std::string& call)
    {
        calls.push_back(call);
        if (QV_Video_DVD_Author_Form && headless_->WindowVisible(*QV_Video_DVD_Author_Form))
            mainVisibleDuringChain = true;
    }
    THeadlessBackend* headless_;
};

class MainFormTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        app->CreateForm(QV_Video_DVD_Author_Form);
        main = QV_Video_DVD_Author_Form;
        main->Show();
        app->ProcessMessages();
    }
    TQV_Video_DVD_Author_Form* main = nullptr;
    ScriptedWindows windows{nullptr};
};

using Calls = std::vector<std::string>;

TEST_F(MainFormTest, TaskWithoutItsWindowsSaysSoAndKeepsTheMainWindow)
{
    for (TkivImageButton* b : {main->Button_VideoDVDDiscBuilder, main->Button_ConvertVideoCliptovob,
                               main->Button_DVDMenuCreator, main->Button_DiscBurner})
        headless->ClickControl(*b);
    ASSERT_EQ(headless->MessageBoxes().size(), 4u);
    for (const HeadlessMessageBox& box : headless->MessageBoxes()) {
        EXPECT_EQ(box.text, kTaskNotAvailableText);
        EXPECT_EQ(box.flags & 0xF0, MB_ICONINFORMATION);
    }
    EXPECT_TRUE(headless->WindowVisible(*main));
    EXPECT_TRUE(headless->UnscriptedModals().empty());
}

TEST_F(MainFormTest, TaskButtonsOpenTheChoiceInTheirModesAndGoOnToTheFirstMissingWindow)
{
    app->CreateForm(QV_Video_DVD_Select_Form);
    struct Task {
        TkivImageButton* button;
        int mode;
        const char* dvdCaption;
    };
    const Task tasks[3] = {{main->Button_VideoDVDDiscBuilder, 0, "DVD Disc"},
                           {main->Button_ConvertVideoCliptovob, 1, "VOB - DVD Files"},
                           {main->Button_DiscBurner, 2, "Burn DVD Disc"}};
    for (const Task& t : tasks) {
        for (bool accept : {false, true}) {
            const std::size_t boxes = headless->MessageBoxes().size();
            bool choiceShown = false, mainHidden = false;
            headless->OnNextModal([&](TCustomForm& f) {
                choiceShown = &f == QV_Video_DVD_Select_Form;
                mainHidden = !headless->WindowVisible(*main);
                EXPECT_EQ(QV_Video_DVD_Select_Form->SelectMode, t.mode);
                EXPECT_EQ(QV_Video_DVD_Select_Form->Label_DVD->Caption(), t.dvdCaption);
                headless->ClickControl(*QV_Video_DVD_Select_Form->kivImageButton_SelectSVCD);
                headless->ClickControl(accept ? *QV_Video_DVD_Select_Form->kivImageButton2
                                              : *QV_Video_DVD_Select_Form->kivImageButton1);
            });
            headless->ClickControl(*t.button);
            EXPECT_TRUE(choiceShown) << t.mode;
            EXPECT_TRUE(mainHidden) << t.mode;
            EXPECT_TRUE(headless->WindowVisible(*main)) << t.mode;
            // A kind chosen: the next window is not there yet and says so. None: the task just ends.
            ASSERT_EQ(headless->MessageBoxes().size(), boxes + (accept ? 1 : 0)) << t.mode;
            if (accept) {
                EXPECT_EQ(headless->MessageBoxes().back().text, kTaskNotAvailableText);
            }
        }
    }
    EXPECT_TRUE(headless->UnscriptedModals().empty());
}

// A window that takes the burner's steps, made by the application under its name.
class TFakeBurnerSetup : public TForm, public DiscBurnerSetupSteps {
public:
    explicit TFakeBurnerSetup(TComponent* owner) : TForm(owner) { SetName(kDiscBurnerSetupWindowName); }
    void InitBurnFileList(int kind) override { calls.push_back("list " + std::to_string(kind)); }
    void ShowDiscBurnerSetup() override { calls.push_back("show"); }
    std::vector<std::string> calls;
};

TEST_F(MainFormTest, AWindowJoinsTheChainsByItsNameAndSteps)
{
    app->CreateForm(QV_Video_DVD_Select_Form);
    TFakeBurnerSetup* burner = nullptr;
    app->CreateForm(burner);
    headless->OnNextModal([](TCustomForm&) {
        HeadlessBackend()->ClickControl(*QV_Video_DVD_Select_Form->kivImageButton_SelectVCD);
        HeadlessBackend()->ClickControl(*QV_Video_DVD_Select_Form->kivImageButton2);
    });
    headless->ClickControl(*main->Button_DiscBurner);
    EXPECT_EQ(burner->calls, (Calls{"list 3", "show"}));
    EXPECT_TRUE(headless->MessageBoxes().empty());
    EXPECT_TRUE(headless->WindowVisible(*main));
}

TEST_F(MainFormTest, DiscBuildGoesBackToTheClipsWhenTheMenuDesignerSaysSoAndEndsOnDone)
{
    ScriptedWindows w(headless);
    w.kind = 2;
    w.wizardResults = {1, 1};
    w.menuResults = {4, 1};
    main->SetTaskWindows(&w);
    headless->ClickControl(*main->Button_VideoDVDDiscBuilder);
    EXPECT_EQ(w.calls, (Calls{"choice 0", "prepare 0 2", "menu init empty",
                              "prepare 1 2", "clips wizard", "to menu", "menu init clips", "auto chapters", "menu show",
                              "prepare 1 2", "clips wizard", "to menu", "menu init clips", "auto chapters", "menu show"}));
    EXPECT_FALSE(w.mainVisibleDuringChain);
    EXPECT_TRUE(headless->WindowVisible(*main));
    EXPECT_TRUE(headless->MessageBoxes().empty());
    main->SetTaskWindows(nullptr);
}

TEST_F(MainFormTest, DiscBuildEndsEarlyWhenAStepDeclines)
{
    struct Case {
        const char* what;
        std::function<void(ScriptedWindows&)> setUp;
        Calls calls;
    };
    const std::vector<Case> cases = {
        {"no kind chosen", [](ScriptedWindows& w) { w.kind = 0; }, {"choice 0"}},
        {"clips not ready", [](ScriptedWindows& w) { w.prepareOk = false; }, {"choice 0", "prepare 0 1"}},
        {"clips closed without Next", [](ScriptedWindows& w) { w.wizardResults = {2}; },
         {"choice 0", "prepare 0 1", "menu init empty", "prepare 1 1", "clips wizard"}},
        {"menu closed", [](ScriptedWindows& w) { w.menuResults = {2}; },
         {"choice 0", "prepare 0 1", "menu init empty", "prepare 1 1", "clips wizard", "to menu", "menu init clips",
          "auto chapters", "menu show"}},
    };
    for (const Case& c : cases) {
        ScriptedWindows w(headless);
        c.setUp(w);
        main->SetTaskWindows(&w);
        headless->ClickControl(*main->Button_VideoDVDDiscBuilder);
        EXPECT_EQ(w.calls, c.calls) << c.what;
        EXPECT_TRUE(headless->WindowVisible(*main)) << c.what;
    }
    main->SetTaskWindows(nullptr);
}

TEST_F(MainFormTest, ConvertMenuCreatorAndBurnerChainTheirWindows)
{
    ScriptedWindows convert(headless);
    convert.kind = 3;
    main->SetTaskWindows(&convert);
    headless->ClickControl(*main->Button_ConvertVideoCliptovob);
    EXPECT_EQ(convert.calls, (Calls{"choice 1", "prepare 0 3", "clips convert"}));

    ScriptedWindows menu(headless);
    main->SetTaskWindows(&menu);
    headless->ClickControl(*main->Button_DVDMenuCreator);
    EXPECT_EQ(menu.calls, (Calls{"menu init empty", "menu init empty", "menu show"}));

    ScriptedWindows burner(headless);
    burner.kind = 1;
    main->SetTaskWindows(&burner);
    headless->ClickControl(*main->Button_DiscBurner);
    EXPECT_EQ(burner.calls, (Calls{"choice 2", "burn list 1", "burner show"}));

    ScriptedWindows none(headless);
    none.kind = 0;
    main->SetTaskWindows(&none);
    headless->ClickControl(*main->Button_DiscBurner);
    EXPECT_EQ(none.calls, (Calls{"choice 2"}));

    for (auto* w : {&convert, &menu, &burner}) EXPECT_FALSE(w->mainVisibleDuringChain);
    EXPECT_TRUE(headless->WindowVisible(*main));
    main->SetTaskWindows(nullptr);
}

TEST_F(MainFormTest, MainWindowComesBackWhenATaskFails)
{
    ScriptedWindows w(headless);
    w.throwInMenu = true;
    main->SetTaskWindows(&w);
    app->OnException = [](TObject*, const std::exception&) {};
    headless->ClickControl(*main->Button_DVDMenuCreator);
    EXPECT_TRUE(headless->WindowVisible(*main));
    main->SetTaskWindows(nullptr);
}

TEST_F(MainFormTest, HelpPopsUpItsMenuAtThePointerAndOpensTheHelpFileOrTheCodecPage)
{
    std::vector<std::string> captions;
    TPoint shownAt, cursor;
    auto pick = [&](const char* caption) {
        headless->OnNextModal([&, caption](TCustomForm& f) {
            auto& menu = dynamic_cast<TMenuWindow&>(f);
            shownAt = {menu.BoundsRect().Left, menu.BoundsRect().Top};
            cursor = Mouse->CursorPos();
            captions.clear();
            for (int i = 0; i < main->kivPopupMenu1->Items()->Count(); ++i)
                captions.push_back(main->kivPopupMenu1->Items()->Items(i)->Caption());
            const TRect r = menu.ItemRect(main->kivPopupMenu1->Items()->Find(caption));
            headless->Click(f, r.Left + 5, r.Top + 3);
        });
        headless->ClickControl(*main->Button_Help);
    };
    pick("Help Content");
    EXPECT_EQ(captions, (std::vector<std::string>{"Help Content", "-", "Download Codecs"}));
    EXPECT_EQ(shownAt.X, cursor.X);   // the pointer's spot on the Help button
    EXPECT_EQ(shownAt.Y, cursor.Y);
    ASSERT_EQ(launcher.opened.size(), 1u);
    EXPECT_TRUE(launcher.opened[0].ends_with("KELDARA.CHM")) << launcher.opened[0];
    pick("Download Codecs");
    ASSERT_EQ(launcher.opened.size(), 2u);
    EXPECT_EQ(launcher.opened[1], kCodecPageAddress);

    headless->ClickControl(*main->Button_Home);
    ASSERT_EQ(launcher.opened.size(), 3u);
    EXPECT_EQ(launcher.opened[2], kHomePageAddress);
}

TEST_F(MainFormTest, HelpFileIsARealCompiledHelpFileDeliveredWithTheProgram)
{
    const std::string help = FindDataFile(kHelpFileName);
    ASSERT_FALSE(help.empty());
    const std::string bytes = Read(help);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes.substr(0, 4), "ITSF");   // the compiled-help signature
}

TEST_F(MainFormTest, MinimiseAndAbout)
{
    headless->ClickControl(*main->Button_Min);
    EXPECT_TRUE(headless->AppMinimized());
    app->Restore();

    app->CreateForm(Form_About);
    bool shown = false;
    headless->OnNextModal([&](TCustomForm& f) {
        shown = &f == Form_About;
        EXPECT_EQ(f.ClientWidth(), 396);
        EXPECT_EQ(f.ClientHeight(), 220);
        headless->ClickControl(*Form_About->URLLabel_Home);
        headless->ClickControl(*Form_About->URLLabel_Mail);
        headless->ClickControl(*Form_About->Button_Close);
    });
    headless->ClickControl(*main->Button_About);
    EXPECT_TRUE(shown);
    EXPECT_EQ(Form_About->ModalResult(), mrOk);
    EXPECT_EQ(launcher.opened, (std::vector<std::string>{kHomePageAddress, kContactAddress}));
}

TEST_F(MainFormTest, SkinShapesTheWindowAndTheButtonsShowTheirHints)
{
    EXPECT_EQ(main->ClientWidth(), 593);
    EXPECT_EQ(main->ClientHeight(), 420);
    EXPECT_EQ(main->BorderStyle(), bsNone);
    EXPECT_EQ(main->Button_VideoDVDDiscBuilder->Hint(), "Create a complete DVD disk with DVD Menu");
    EXPECT_EQ(main->Button_ConvertVideoCliptovob->Hint(), "Create VOB or MPEG file from avi divx wmv xvid rm, etc");
    EXPECT_EQ(main->Button_DVDMenuCreator->Hint(), "Create DVD Menu and combine Vob file to DVD directory");
    EXPECT_EQ(main->Button_DiscBurner->Hint(), "Burn DVD from the existing compatible MPEG file");
    EXPECT_EQ(main->Button_Min->Hint(), "Minimiaze");
    EXPECT_EQ(main->Button_Exit->Hint(), "Close");
    if (!havePictures) GTEST_SKIP() << "the program's pictures are not built";

    headless->SetDesktopColor(0x00FF00);
    // The rounded corner is outside the shape; the title band and the panel are the skin's.
    EXPECT_EQ(headless->PixelAt(*main, 0, 0), 0x00FF00u);
    EXPECT_EQ(headless->PixelAt(*main, 592, 419), 0x00FF00u);
    const TColor band = headless->PixelAt(*main, 300, 20);
    EXPECT_NE(band, 0x00FF00u);
    EXPECT_NE(band, 0xFF00FFu);
    // A task button lights up under the pointer.
    const TRect r = main->Button_DiscBurner->BoundsRect();
    const int x = r.Left + 200, y = r.Top + 110;
    const TColor normal = headless->PixelAt(*main, x, y);
    headless->MouseMove(*main, x, y);
    app->ProcessMessages();
    EXPECT_NE(headless->PixelAt(*main, x, y), normal);
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

TEST_F(StartupTest, ScreenSaverIsHeldOffWhileTheMainWindowLives)
{
    app->CreateForm(QV_Video_DVD_Author_Form);
    EXPECT_EQ(headless->ScreenSaverCalls(), std::vector<bool>{true});
    QV_Video_DVD_Author_Form->Free();
    QV_Video_DVD_Author_Form = nullptr;
    EXPECT_EQ(headless->ScreenSaverCalls(), (std::vector<bool>{true, false}));
}

} // namespace

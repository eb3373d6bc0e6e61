#include "shell/startup.h"

#include "shell/aboutform.h"
#include "shell/projectdata.h"
#include "shell/qv_videodvdclippropertyform.h"
#include "shell/qv_videodvdsetupchapterform.h"
#include "shell/qv_videodvdauthorform.h"
#include "shell/qv_videodvdselectform.h"
#include "shell/qv_videodvdsetupsourceclipsform.h"
#include "shell/qv_videodvdsubtitlepropertyform.h"
#include "shell/splashform.h"

#include "rtl/sysutils.h"
#include "vcl/application.h"
#include "win32/process.h"
#include "win32/progfolders.h"

#include <exception>
#include <utility>

const char* const kApplicationTitle = "Keldara DVD Maker";

namespace {

std::vector<StartupWindow>& WindowList()
{
    static std::vector<StartupWindow> windows = {
        {"QV_Video_DVD_Author_Form", [](TApplication& app) { app.CreateForm(QV_Video_DVD_Author_Form); }},
        {"QV_Video_DVD_Text_Property_Form", nullptr},
        {"QV_Video_DVD_Disc_Builder_Form", nullptr},
        {"QV_Video_DVD_Disc_Burning_Process_Form", nullptr},
        {"QV_Video_DVD_Setup_Source_Clips_Form",
         [](TApplication& app) { app.CreateForm(QV_Video_DVD_Setup_Source_Clips_Form); }},
        {"QV_Video_DVD_Setup_DVD_Menu_Form", nullptr},
        {"QV_Video_DVD_Setup_Disc_Burner_Form", nullptr},
        {"QV_Video_DVD_Convert_Process_Form", nullptr},
        {"QV_Video_DVD_Clip_Property_Form",
         [](TApplication& app) { app.CreateForm(QV_Video_DVD_Clip_Property_Form); }},
        {"QV_Video_DVD_Select_Form", [](TApplication& app) { app.CreateForm(QV_Video_DVD_Select_Form); }},
        {"Form_About", [](TApplication& app) { app.CreateForm(Form_About); }},
        {"QV_Video_DVD_Subtitle_Property_Form",
         [](TApplication& app) { app.CreateForm(QV_Video_DVD_Subtitle_Property_Form); }},
        {"QV_Video_DVD_Setup_Chapter_Form",
         [](TApplication& app) { app.CreateForm(QV_Video_DVD_Setup_Chapter_Form); }},
    };
    return windows;
}

} // namespace

const std::vector<StartupWindow>& StartupWindows() { return WindowList(); }

bool SetStartupWindowCreator(const std::string& name, std::function<void(TApplication&)> create)
{
    for (StartupWindow& window : WindowList()) {
        if (window.name == name) {
            window.create = std::move(create);
            return true;
        }
    }
    return false;
}

const std::vector<std::string>& RegistrationCommands()
{
    static const std::vector<std::string> commands = {
        "regsvr32.exe /s audio.dll",   "regsvr32.exe /s video.dll", "regsvr32.exe /s YUV2RGBFilter.ax",
        "regsvr32.exe /s RMSP.DLL",    "regsvr32.exe /s QT.dll",    "regsvr32.exe /s KVMADec.ax",
        "regsvr32.exe /s KVMVDec.ax",  "reg import audio1.reg",     "reg import audio2.reg",
        "reg import video.reg",
    };
    return commands;
}

std::vector<ProcessSpec> RegistrationSpecs()
{
    const std::string folder = ExecutableFolder();
    std::vector<ProcessSpec> specs;
    for (const std::string& command : RegistrationCommands()) {
        ProcessSpec spec;
        spec.argv = SplitCommandLine(command);
        if (SameText(spec.argv[0], "regsvr32.exe")) spec.argv[0] = folder + "regsvr32";
        else if (SameText(spec.argv[0], "reg")) spec.argv[0] = folder + "reg";
        spec.workingFolder = folder;
        specs.push_back(std::move(spec));
    }
    return specs;
}

void RunRegistrationCommands()
{
    for (const ProcessSpec& spec : RegistrationSpecs())
        LaunchHidden(spec);   // a component missing here fails on its own, unseen
}

int RunStartup(TApplication& app)
{
    try {
        app.SetTitle(kApplicationTitle);
        TForm1* splash = new TForm1(nullptr);
        Form1 = splash;
        try {
            splash->Show();
            splash->Update();
            Fade(*splash);
            for (const StartupWindow& window : StartupWindows())
                if (window.create) window.create(app);
            Fade(*splash);
        } catch (...) {
            Form1 = nullptr;
            splash->Free();
            throw;
        }
        Form1 = nullptr;
        splash->Free();
        app.Run();
        // The windows go before the project data: the menu designer frees its chapter pages
        // through MyDVDChapter, which the release empties.
        app.DestroyComponents();
        ReleaseProjectData();
        return 0;
    } catch (const EStartupAbort& e) {
        return e.ExitCode();   // the main window has told the user already
    } catch (const std::exception& e) {
        app.ShowException(e);
        return 1;
    }
}

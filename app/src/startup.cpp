#include "app/startup.h"

#include "base/projectdata.h"
#include "base/taskwindows.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"
#include "menu/qv_videodvdtextpropertyform.h"
#include "pipeline/qv_videodvdconvertprocessform.h"
#include "pipeline/qv_videodvddiscbuilderform.h"
#include "pipeline/qv_videodvddiscburningprocessform.h"
#include "pipeline/qv_videodvdsetupdiscburnerform.h"
#include "shell/aboutform.h"
#include "shell/qv_videodvdauthorform.h"
#include "shell/qv_videodvdclippropertyform.h"
#include "shell/qv_videodvdselectform.h"
#include "shell/qv_videodvdsetupchapterform.h"
#include "shell/qv_videodvdsetupsourceclipsform.h"
#include "shell/qv_videodvdsubtitlepropertyform.h"
#include "shell/splashform.h"

#include "vcl/application.h"

#include <exception>

namespace {

// The window of global `Global` made through the application.
template <class Form>
StartupWindow Made(const char* name, Form*& global)
{
    return {name, [&global](TApplication& app) { app.CreateForm(global); }};
}

} // namespace

const std::vector<StartupWindow>& StartupWindows()
{
    static const std::vector<StartupWindow> windows = {
        Made("QV_Video_DVD_Author_Form", QV_Video_DVD_Author_Form),
        Made("QV_Video_DVD_Text_Property_Form", QV_Video_DVD_Text_Property_Form),
        Made(kDiscBuilderWindowName, QV_Video_DVD_Disc_Builder_Form),
        Made(kBurningProcessWindowName, QV_Video_DVD_Disc_Burning_Process_Form),
        Made(kSourceClipsWindowName, QV_Video_DVD_Setup_Source_Clips_Form),
        Made(kMenuDesignerWindowName, QV_Video_DVD_Setup_DVD_Menu_Form),
        Made(kDiscBurnerSetupWindowName, QV_Video_DVD_Setup_Disc_Burner_Form),
        Made(kConvertProcessWindowName, QV_Video_DVD_Convert_Process_Form),
        Made(kClipPropertyWindowName, QV_Video_DVD_Clip_Property_Form),
        Made(kSelectWindowName, QV_Video_DVD_Select_Form),
        Made("Form_About", Form_About),
        Made(kSubtitlePropertyWindowName, QV_Video_DVD_Subtitle_Property_Form),
        Made(kSetupChapterWindowName, QV_Video_DVD_Setup_Chapter_Form),
    };
    return windows;
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
            for (const StartupWindow& window : StartupWindows()) window.create(app);
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

#include "shell/qv_videodvdauthorform.h"

#include "base/burnpubfunction.h"
#include "base/mainlayout.h"
#include "base/programpictures.h"
#include "base/projectdata.h"
#include "base/taskwindows.h"
#include "shell/aboutform.h"
#include "shell/registration.h"

#include "gfx/bitmap.h"
#include "skin/kivbutton.h"
#include "skin/kivpopupmenu.h"
#include "skin/kivpublic.h"
#include "skin/kivskinform.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"
#include "vcl/menus.h"
#include "win32/process.h"
#include "win32/progfolders.h"

#include <functional>
#include <string>

const char* const kApplicationTitle = "Keldara DVD Maker";
const char* const kHelpFileName = "KELDARA.CHM";

namespace {

TMenuItem* NewMenuItem(TPopupMenu* menu, const char* name, const char* caption, std::function<void(TObject*)> onClick)
{
    auto* item = new TMenuItem(menu);
    item->SetName(name);
    item->SetCaption(caption);
    item->OnClick = std::move(onClick);
    menu->Items()->Add(item);
    return item;
}

// Hides the main window for the whole of a task and shows it again however the task ends.
class HiddenDuring {
public:
    explicit HiddenDuring(TForm& form) : form_(form) { form_.Hide(); }
    ~HiddenDuring() { form_.Show(); }
    HiddenDuring(const HiddenDuring&) = delete;
    HiddenDuring& operator=(const HiddenDuring&) = delete;

private:
    TForm& form_;
};

} // namespace

TQV_Video_DVD_Author_Form::TQV_Video_DVD_Author_Form(TComponent* AOwner)
    : TForm(AOwner), tasks_(&StartupTaskWindows())
{
    using namespace mainlayout;
    BeginLoading();
    SetName("QV_Video_DVD_Author_Form");
    SetCaption(kApplicationTitle);
    SetPosition(poScreenCenter);
    SetColor(0x36180C);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);

    auto on = [this](void (TQV_Video_DVD_Author_Form::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };
    Button_VideoDVDDiscBuilder = NewPictureButton(this, "Button_VideoDVDDiscBuilder", kTask[0], kTaskFiles[0],
                                                  "Create a complete DVD disk with DVD Menu",
                                                  on(&TQV_Video_DVD_Author_Form::Button_VideoDVDDiscBuilderClick));
    Button_ConvertVideoCliptovob = NewPictureButton(this, "Button_ConvertVideoCliptovob", kTask[1], kTaskFiles[1],
                                                    "Create VOB or MPEG file from avi divx wmv xvid rm, etc",
                                                    on(&TQV_Video_DVD_Author_Form::Button_ConvertVideoCliptovobClick));
    Button_DVDMenuCreator = NewPictureButton(this, "Button_DVDMenuCreator", kTask[2], kTaskFiles[2],
                                             "Create DVD Menu and combine Vob file to DVD directory",
                                             on(&TQV_Video_DVD_Author_Form::Button_DVDMenuCreatorClick));
    Button_DiscBurner = NewPictureButton(this, "Button_DiscBurner", kTask[3], kTaskFiles[3],
                                         "Burn DVD from the existing compatible MPEG file",
                                         on(&TQV_Video_DVD_Author_Form::Button_DiscBurnerClick));
    Button_About = NewPictureButton(this, "Button_About", kSmall[0], kSmallFiles[0], "",
                                    on(&TQV_Video_DVD_Author_Form::Button_AboutClick));
    Button_Help = NewPictureButton(this, "Button_Help", kSmall[1], kSmallFiles[1], "",
                                   on(&TQV_Video_DVD_Author_Form::Button_HelpClick));
    Button_Home = NewPictureButton(this, "Button_Home", kSmall[2], kSmallFiles[2], "",
                                   on(&TQV_Video_DVD_Author_Form::Button_HomeClick));
    Button_Min = NewPictureButton(this, "Button_Min", kSmall[3], kSmallFiles[3], "Minimiaze",
                                  on(&TQV_Video_DVD_Author_Form::Button_MinClick));
    Button_Exit = NewPictureButton(this, "Button_Exit", kSmall[4], kSmallFiles[4], "Close",
                                   on(&TQV_Video_DVD_Author_Form::Button_ExitClick));

    kivPopupMenu1 = new TkivPopupMenu(this);
    kivPopupMenu1->SetName("kivPopupMenu1");
    KeldaraHelp1 = NewMenuItem(kivPopupMenu1, "KeldaraHelp1", "Help Content",
                               on(&TQV_Video_DVD_Author_Form::KeldaraHelp1Click));
    N1 = NewMenuItem(kivPopupMenu1, "N1", "-", nullptr);
    DownloadCodecs1 = NewMenuItem(kivPopupMenu1, "DownloadCodecs1", "Download Codecs",
                                  on(&TQV_Video_DVD_Author_Form::DownloadCodecs1Click));

    OnCreate = on(&TQV_Video_DVD_Author_Form::FormCreate);
    OnDestroy = on(&TQV_Video_DVD_Author_Form::FormDestroy);
    EndLoading();

    if (!CreateAppFolders()) {
        MessageDlg("Creating application system directory error!", mtError, MsgButtons({mbOK}));
        // The process ends here, and says so by its exit code.
        throw EStartupAbort("Creating application system directory error!", 1);
    }
    ReadLanguageRegions();
    RunRegistrationCommands();
}

TQV_Video_DVD_Author_Form::~TQV_Video_DVD_Author_Form()
{
    if (screenSaverHeld_ && Application) Application->GetBackend().InhibitScreenSaver(false);
}

void TQV_Video_DVD_Author_Form::FormCreate(TObject*)
{
    DeleteFolderFiles(ProgramFolder() + "RES/", false);
    DeleteFolderFiles(ProgramFolder() + "Snapshot/", false);
    // While the program runs the screen saver stays off (a long encode or burn is watched).
    if (Application) {
        Application->GetBackend().InhibitScreenSaver(true);
        screenSaverHeld_ = true;
    }
}

void TQV_Video_DVD_Author_Form::FormDestroy(TObject*)
{
    if (screenSaverHeld_ && Application) Application->GetBackend().InhibitScreenSaver(false);
    screenSaverHeld_ = false;
}

void TQV_Video_DVD_Author_Form::SetTaskWindows(TaskWindows* windows)
{
    tasks_ = windows ? windows : &StartupTaskWindows();
}

void TQV_Video_DVD_Author_Form::RunTask(int task)
{
    static void (*const kChains[4])(TaskWindows&) = {RunDiscBuilderTask, RunConvertTask, RunMenuCreatorTask,
                                                     RunDiscBurnerTask};
    bool missing = false;
    {
        HiddenDuring hidden(*this);
        try {
            kChains[task](*tasks_);
        } catch (const ETaskWindowMissing&) {
            missing = true;   // the chain ends at a window the program does not have yet
        }
    }
    if (missing) ShowTaskNotAvailable();
}

void TQV_Video_DVD_Author_Form::Button_VideoDVDDiscBuilderClick(TObject*) { RunTask(0); }
void TQV_Video_DVD_Author_Form::Button_ConvertVideoCliptovobClick(TObject*) { RunTask(1); }
void TQV_Video_DVD_Author_Form::Button_DVDMenuCreatorClick(TObject*) { RunTask(2); }
void TQV_Video_DVD_Author_Form::Button_DiscBurnerClick(TObject*) { RunTask(3); }

void TQV_Video_DVD_Author_Form::Button_AboutClick(TObject*)
{
    if (Form_About) Form_About->ShowModal();
}

void TQV_Video_DVD_Author_Form::Button_MinClick(TObject*) { Application->Minimize(); }

void TQV_Video_DVD_Author_Form::Button_HelpClick(TObject*)
{
    const TPoint p = Mouse->CursorPos();
    kivPopupMenu1->Popup(p.X, p.Y);
}

void TQV_Video_DVD_Author_Form::KeldaraHelp1Click(TObject*)
{
    std::string help = FindDataFile(kHelpFileName);
    if (help.empty()) help = ProgramFolder() + kHelpFileName;
    ShellOpen(help);
}

void TQV_Video_DVD_Author_Form::Button_HomeClick(TObject*) { ShellOpen(kHomePageAddress); }
void TQV_Video_DVD_Author_Form::DownloadCodecs1Click(TObject*) { ShellOpen(kCodecPageAddress); }

void TQV_Video_DVD_Author_Form::Button_ExitClick(TObject*)
{
    DeleteFolderFiles(ProgramFolder() + "RES/", false);
    DeleteFolderFiles(ProgramFolder() + "Snapshot/", false);
    Application->Terminate();
}

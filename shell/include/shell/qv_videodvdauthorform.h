#pragma once
// The main window: a picture-shaped skin with the four task buttons and the
// About, Help, Home, Minimise and Exit buttons. Making it prepares the
// program folders, reads the language regions and registers the media filters.
#include "rtl/sysutils.h"
#include "vcl/forms.h"

class TkivImageButton;
class TkivSkinForm;
class TMenuItem;
class TkivPopupMenu;
class TaskWindows;

// Start-up cannot go on; the user has been told. Carries the process's exit code.
class EStartupAbort : public Exception {
public:
    EStartupAbort(const std::string& message, int exitCode) : Exception(message), exitCode_(exitCode) {}
    int ExitCode() const { return exitCode_; }

private:
    int exitCode_;
};

class TQV_Video_DVD_Author_Form : public TForm {
public:
    // Raises EStartupAbort (exit code 1) after "Creating application system
    // directory error!" when RES/ or Snapshot/ cannot be made.
    explicit TQV_Video_DVD_Author_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Author_Form() override;

    TkivSkinForm* kivSkinForm1 = nullptr;
    TkivImageButton* Button_VideoDVDDiscBuilder = nullptr;
    TkivImageButton* Button_ConvertVideoCliptovob = nullptr;
    TkivImageButton* Button_DVDMenuCreator = nullptr;
    TkivImageButton* Button_DiscBurner = nullptr;
    TkivImageButton* Button_About = nullptr;
    TkivImageButton* Button_Help = nullptr;
    TkivImageButton* Button_Home = nullptr;
    TkivImageButton* Button_Min = nullptr;
    TkivImageButton* Button_Exit = nullptr;
    TkivPopupMenu* kivPopupMenu1 = nullptr;
    TMenuItem* KeldaraHelp1 = nullptr;       // "Help Content"
    TMenuItem* N1 = nullptr;                 // separator
    TMenuItem* DownloadCodecs1 = nullptr;    // "Download Codecs"

    void Button_VideoDVDDiscBuilderClick(TObject* Sender);
    void Button_ConvertVideoCliptovobClick(TObject* Sender);
    void Button_DVDMenuCreatorClick(TObject* Sender);
    void Button_DiscBurnerClick(TObject* Sender);
    void Button_AboutClick(TObject* Sender);
    void Button_MinClick(TObject* Sender);
    void Button_HelpClick(TObject* Sender);
    void Button_HomeClick(TObject* Sender);
    void Button_ExitClick(TObject* Sender);
    void KeldaraHelp1Click(TObject* Sender);
    void DownloadCodecs1Click(TObject* Sender);
    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);

    // The windows the tasks chain: the start-up's by default; tests script their own.
    void SetTaskWindows(TaskWindows* windows);

private:
    void RunTask(int task);
    TaskWindows* tasks_;
    bool screenSaverHeld_ = false;
};

// The main window's caption and the application's title.
extern const char* const kApplicationTitle;   // "Keldara DVD Maker"
// The help file beside the program.
extern const char* const kHelpFileName;   // "KELDARA.CHM"

#include "pipeline/qv_videodvdconvertprocessform.h"

#include "pipeline/encodeparams.h"
#include "pipeline/handlemoviethread.h"
#include "pipeline/titlestill.h"

#include "author/dvdauthorlib.h"
#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivprogressbar.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"
#include "win32/messages.h"
#include "win32/progfolders.h"

#include <algorithm>


TQV_Video_DVD_Convert_Process_Form::TQV_Video_DVD_Convert_Process_Form(TComponent* AOwner)
    : TRunProcessForm(AOwner, runlayout::kConvert, kConvertProcessWindowName, "Convert Process",
                      pipeline::ClipEncodeSequence::RunWindow::Convert)
{
}

// --- the task's steps -------------------------------------------------------------------
bool TQV_Video_DVD_Convert_Process_Form::InitConvertProcess(bool withMenu, int outputType)
{
    ResetDisplay();
    Encode().TickCount = 0;
    Encode().CurrentClipIndex = 0;
    if (!RunActive()) Encode().EncoderRunning = false;
    Timer->SetEnabled(false);
    kivImageButton_Stop->SetVisible(false);
    kivImageButton_Stop->SetDefault(false);
    kivImageButton_Start->SetVisible(true);
    kivImageButton_Start->SetDefault(true);
    AuthorRun.WithMenu = withMenu;
    OutputType = outputType;
    // Only the menu designer asks for an author-only run, after this.
    AuthorRun.FromMenuDesigner = false;
    const int items = kivComboBox_ConvertEngine->Items()->Count();
    kivComboBox_ConvertEngine->SetItemIndex(std::clamp(ReadConvertEngine(), 0, items - 1));
    Label4->SetChecked(ReadOutputSetup());
    Label5->SetChecked(!Label4->Checked());
    kivEdit_WorkingFolder->SetText(GetWorkingFolder());
    // The window opens with Start in focus, not the read-only folder box with its text selected.
    if (!Visible()) SetActiveControl(kivImageButton_Start);
    return true;
}

void TQV_Video_DVD_Convert_Process_Form::ReleaseRunWorker() { ReleaseHandleMovieThread(true); }

void TQV_Video_DVD_Convert_Process_Form::SetWorkingFolderText(const std::string& folder)
{
    kivEdit_WorkingFolder->SetText(folder);
}

void TQV_Video_DVD_Convert_Process_Form::ShowClipPanels()
{
    Label16->SetVisible(true);
    kivComboBox_ConvertEngine->SetVisible(true);
}

void TQV_Video_DVD_Convert_Process_Form::SetAuthorOnly(int menuLanguageIndex)
{
    AuthorRun.FromMenuDesigner = true;
    AuthorRun.MenuLanguageIndex = menuLanguageIndex;
    Label16->SetVisible(false);
    kivComboBox_ConvertEngine->SetVisible(false);
}

void TQV_Video_DVD_Convert_Process_Form::ShowConvertProcess() { ShowModal(); }

// --- Start ------------------------------------------------------------------------------------
bool TQV_Video_DVD_Convert_Process_Form::SourcesUntouched()
{
    // What the run writes or deletes in the working folder, against what it reads.
    std::vector<std::string> written, sources;
    if (AuthorOnly()) written = {s_WorkFolderPath + "Title.vob", s_WorkFolderPath + "TitleSub.vob"};
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
        const TQV_MovieImage* clip = MyMovieImage[i];
        if (!clip) continue;
        sources.push_back(clip->SourcePath);
        if (AuthorOnly()) {
            sources.push_back(TitleVob(*clip, true));
            continue;
        }
        const std::string base = s_WorkFolderPath + StripFileExt(clip->OutputName);
        written.push_back(pipeline::AudioOutputPath(base, OutputType));
        written.push_back(pipeline::VideoOutputPath(base, OutputType));
        written.push_back(base + (OutputType <= 1 ? ".vob" : ".mpg"));
    }
    return SourcesStayUntouched(written, sources);
}

void TQV_Video_DVD_Convert_Process_Form::kivImageButton_StartClick(TObject*)
{
    if (RunActive()) return;
    Encode().TotalSeconds = ClipsTotalSeconds();
    const auto clipCount = static_cast<int>(MyMovieImage.Length());
    if (!CheckWorkFolder(false)) return;
    const bool pal = Label4->Checked();
    const int engineItem = kivComboBox_ConvertEngine->ItemIndex();
    WriteWorkSettings(kivEdit_WorkingFolder->Text(), engineItem, pal ? 1 : 0);
    kivEdit_WorkingFolder->SetText(FolderText());
    s_WorkFolderPath = FolderText();
    if (!ForceDirectories(s_WorkFolderPath)) {
        MessageDlg("Can not create working folder.", mtError, MsgButtons({mbOK}));
        return;
    }
    if (!ForceDirectories(ProgramFolder() + "RES/")) {
        MessageDlg("Can not create RES folder.", mtError, MsgButtons({mbOK}));
        return;
    }
    if (clipCount == 0) {
        Log("No file to convert.");
        return;
    }
    AssignClipOutputNames("VOB", OutputType);
    // The user's files are only read: a working folder where the run would
    // write over one of them is refused before anything is written.
    if (!SourcesUntouched()) return;

    BeginRun();
    AuthorRun.EncodeStage = true;
    AuthorRun.AuthorTotalMB = 0;
    Encode().ClipCount = clipCount;
    Encode().CurrentClipIndex = 0;
    Encode().TickCount = 0;
    if (const TQV_MovieImage* first = MyMovieImage[0])
        Encode().ClipSeconds = pipeline::KeptSeconds(*first);
    if (AuthorOnly()) {
        if (!ComposeTitleStill()) FinishRun(false);
        return;
    }
    Log("Data preparation. >>>");
    StartClipStage(RunClips(), pal, engineItem);
}

void TQV_Video_DVD_Convert_Process_Form::ClipStageOver()
{
    kivProgressBar->SetPosition(100);
    kivProgressBar1->SetPosition(0);
    kivProgressBar2->SetPosition(0);
    Label_FileName->SetCaption("");
    Encode().EncoderRunning = false;
    FinishRun(true);
}

void TQV_Video_DVD_Convert_Process_Form::RunEnding(bool finished)
{
    if (finished) DeleteFolderFiles(ProgramFolder() + "RES/", false);
}

// --- after the clips ----------------------------------------------------------------------------
void TQV_Video_DVD_Convert_Process_Form::MuxStepEnded(bool, LPARAM lparam)
{
    if (lparam == kMuxTitleStill) {
        Encode().EncoderRunning = false;
        MakeMenuAndAuthor();
        return;
    }
    ++Encode().CurrentClipIndex;
    Encode().EncodeClip();
}

bool TQV_Video_DVD_Convert_Process_Form::ComposeTitleStill()
{
    std::string why;
    if (!EncodeTitleStill(Label4->Checked(), s_WorkFolderPath, &why)) {
        Log("Can not make the title menu: " + why + ".");
        return false;
    }
    PostMessage(Handle(), MSG_MUX_DONE, kMuxSucceeded, kMuxTitleStill);
    return true;
}

void TQV_Video_DVD_Convert_Process_Form::MakeMenuAndAuthor()
{
    if (!AuthorRun.WithMenu) {
        EndQuietly();
        return;
    }
    const bool pal = Label4->Checked();
    const std::string menuXml = ProgramFolder() + "RES/" + (pal ? "Menu_P.xml" : "Menu_N.xml");
    if (!FileExists(menuXml)) {
        // The run stands until the user stops or closes it, with nothing going on in it.
        Timer->SetEnabled(false);
        Encode().EncodeStage = false;
        MessageDlg("Can not find menu information, skip menu creator.", mtInformation, MsgButtons({mbOK}));
        AuthorRun.WithMenu = false;
        return;
    }
    Log("Create \"TitleSub.vob\" >>>");
    AuthorRun.Pal = pal;
    AuthorRun.ClipCount = Encode().ClipCount;
    if (!WriteConvertAuthorXml(AuthorRun)) {
        if (!AuthorRun.ErrorText.empty()) MessageDlg(AuthorRun.ErrorText, mtError, MsgButtons({mbOK}));
        FinishRun(false);
        return;
    }
    Encode().EncodeStage = AuthorRun.EncodeStage;
    ReplaceWorker();
    handleMovieThread->MenuXmlPath = menuXml;
    handleMovieThread->JobCode = kJobAuthor;
    Log("Create DVD directory >>>");
}

void TQV_Video_DVD_Convert_Process_Form::OnAuthorDone(LPARAM result)
{
    SetCurrentTime(static_cast<int>(std::min(Encode().TotalSeconds, 1e9)));
    kivProgressBar1->SetPosition(100);
    const std::string why = handleMovieThread ? handleMovieThread->LastErrorText : std::string();
    ReleaseHandleMovieThread(false);
    DeleteFile(s_WorkFolderPath + "TitleSub.vob");
    DeleteFile(s_WorkFolderPath + "Title.vob");
    if (result != AUTHOR_OK) {
        // What was written stays for a look: RES/ is emptied only after a finished run.
        Log("Can not create the DVD directory" + (why.empty() ? std::string() : ": " + why) + ".");
        FinishRun(false);
        return;
    }
    kivProgressBar->SetPosition(100);   // the whole run is done, as after a conversion
    FinishRun(true);
}

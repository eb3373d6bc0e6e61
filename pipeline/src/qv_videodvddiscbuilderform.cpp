#include "pipeline/qv_videodvddiscbuilderform.h"

#include "pipeline/burnerdevicegroup.h"
#include "pipeline/cdburnstage.h"

#include "pipeline/authorlibrary.h"
#include "pipeline/chapterpages.h"
#include "pipeline/discvolumename.h"
#include "pipeline/encodeparams.h"
#include "pipeline/handlemoviethread.h"
#include "pipeline/titlestill.h"

#include "author/dvdauthorlib.h"
#include "base/burnpubfunction.h"
#include "base/programpictures.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "base/qv_pubfunction.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivgroupbox.h"
#include "skin/kivprogressbar.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"
#include "win32/messages.h"
#include "win32/progfolders.h"

#include <algorithm>

TQV_Video_DVD_Disc_Builder_Form::TQV_Video_DVD_Disc_Builder_Form(TComponent* AOwner)
    : TRunProcessForm(AOwner, runlayout::kDiscBuilder, kDiscBuilderWindowName, "Video DVD Disc Builder",
                      pipeline::ClipEncodeSequence::RunWindow::DiscBuilder),
      burnStage_(MakeDiscBurnStage())
{
    using namespace runlayout;
    const BuilderPlaces& b = kBuilderPlaces;
    BeginLoading();
    BarCaptions[0]->SetCaption("Burning Process :");
    kivComboBox_ConvertEngine->Items()->Add("Preference by max speed and min size");

    // The burner device.
    const BurnerDeviceGroup device =
        NewBurnerDeviceGroup(this, "kivGroupBox4",
                             {b.burnerGroup, b.driveLabel, b.drive, b.speedLabel, b.speed, b.volumeLabel, b.volume},
                             kTextColor);
    kivGroupBox4 = device.group;
    kivComboBox_Drive = device.drive;
    kivComboBox_Drive->OnChange = [this](TObject* sender) { kivComboBox_DriveChange(sender); };
    kivComboBox_WriteSpeed = device.speed;
    kivEdit_VolumeName = device.volume;
    volumeBase_ = DefaultVolumeName(OutputType);
    ShowVolumeName(volumeBase_);

    kivImageButton_Back = NewPictureButton(this, "kivImageButton_Back", b.back, b.backFile, "Back", nullptr);
    kivImageButton_Back->SetVisible(false);
    kivImageButton_Min = NewPictureButton(this, "kivImageButton_Min", b.min, b.minFile, "Minimize",
                                          [this](TObject* sender) { kivImageButton_MinClick(sender); });
    EndLoading();
}

TQV_Video_DVD_Disc_Builder_Form::~TQV_Video_DVD_Disc_Builder_Form()
{
    if (RunActive()) CancelSubtitleStage();
}

void TQV_Video_DVD_Disc_Builder_Form::SetBurnStage(std::unique_ptr<DiscBurnStage> stage)
{
    if (stage) burnStage_ = std::move(stage);
}

// --- the task's steps ---------------------------------------------------------------------
bool TQV_Video_DVD_Disc_Builder_Form::InitDiscBuilder(int outputType)
{
    if (RunActive()) return true;   // the window is shown modally: a run cannot be under way here
    ResetDisplay();
    Encode().TickCount = 0;
    Encode().CurrentClipIndex = 0;
    Encode().EncoderRunning = false;
    Timer->SetEnabled(false);
    kivImageButton_Stop->SetVisible(false);
    kivImageButton_Stop->SetDefault(false);
    kivImageButton_Start->SetVisible(true);
    kivImageButton_Start->SetDefault(true);
    OutputType = std::clamp(outputType, 0, 3);
    AuthorRun.WithMenu = true;
    AuthorRun.FromMenuDesigner = false;
    Converting = false;
    const int items = kivComboBox_ConvertEngine->Items()->Count();
    kivComboBox_ConvertEngine->SetItemIndex(std::clamp(ReadConvertEngine(), 0, items - 1));
    Label4->SetChecked(ReadOutputSetup());
    Label5->SetChecked(!Label4->Checked());
    kivEdit_WorkingFolder->SetText(GetWorkingFolder());
    volumeBase_ = DefaultVolumeName(OutputType);
    ShowVolumeName(volumeBase_);
    ShowFreeVolumeName();
    SavedVolumeName = kivEdit_VolumeName->Text();
    return burnStage_->InitBurner(*this, OutputType);
}

void TQV_Video_DVD_Disc_Builder_Form::BuildWithoutMenu(int languageIndex)
{
    AuthorRun.WithMenu = false;
    AuthorRun.MenuLanguageIndex = languageIndex;
}

void TQV_Video_DVD_Disc_Builder_Form::BuildWithMenu(int languageIndex)
{
    AuthorRun.WithMenu = true;
    AuthorRun.MenuLanguageIndex = languageIndex;
}

void TQV_Video_DVD_Disc_Builder_Form::ShowDiscBuilder() { ShowModal(); }

// --- the working folder and the volume name -----------------------------------------------
std::string TQV_Video_DVD_Disc_Builder_Form::MissingFolderText() const
{
    return "Please input or select a valid path to work.";
}

void TQV_Video_DVD_Disc_Builder_Form::WorkFolderChosen() { ShowFreeVolumeName(); }

std::string TQV_Video_DVD_Disc_Builder_Form::VolumeNameBase() const
{
    const std::string& text = kivEdit_VolumeName->Text();
    return text == shownVolume_ ? volumeBase_ : DiscVolumeName(text, OutputType);
}

void TQV_Video_DVD_Disc_Builder_Form::ShowVolumeName(const std::string& name)
{
    shownVolume_ = name;
    kivEdit_VolumeName->SetText(name);
}

void TQV_Video_DVD_Disc_Builder_Form::ShowFreeVolumeName()
{
    volumeBase_ = VolumeNameBase();
    const std::string folder = kivEdit_WorkingFolder->Text();
    ShowVolumeName(folder.empty() ? volumeBase_ : FreeVolumeName(folder, volumeBase_));
}

// --- Start ----------------------------------------------------------------------------------
void TQV_Video_DVD_Disc_Builder_Form::kivImageButton_StartClick(TObject*)
{
    if (RunActive()) return;
    // Writers were found and none is chosen. Without any writer the run still
    // authors its disc, and the burn stage finds no writer at its end.
    if (kivComboBox_Drive->Items()->Count() > 0 && kivComboBox_Drive->ItemIndex() < 0) {
        MessageDlg("Can not find burning device, process is terminated.", mtWarning, MsgButtons({mbOK}));
        return;
    }
    Encode().TotalSeconds = ClipsTotalSeconds();
    const auto clipCount = static_cast<int>(MyMovieImage.Length());
    if (!CheckWorkFolder(false)) return;
    if (kivEdit_VolumeName->Text().empty() &&
        MessageDlg("No valid volume for new disc. \nSure to continue?", mtConfirmation, MsgButtons({mbYes, mbNo})) !=
            mrYes) {
        Timer->SetEnabled(false);
        return;
    }
    volumeBase_ = VolumeNameBase();
    ShowVolumeName(kivEdit_VolumeName->Text().empty() ? volumeBase_ : kivEdit_VolumeName->Text());
    if (clipCount == 0) {
        Log("No file to convert.");
        return;
    }
    if (!burnStage_->CheckDiscBeforeRun(*this)) return;
    const std::string folder = FolderText();
    if (!ForceDirectories(folder)) {
        MessageDlg("Can not create working folder.", mtError, MsgButtons({mbOK}));
        return;
    }
    s_WorkFolderPath = folder;
    kivEdit_WorkingFolder->SetText(folder);
    SavedVolumeName = kivEdit_VolumeName->Text();
    ShowVolumeName(FreeVolumeName(folder, volumeBase_));
    AssignClipOutputNames(kivEdit_VolumeName->Text(), OutputType);
    if (!SourcesUntouched()) return;
    if (!ForceDirectories(ProgramFolder() + "RES/")) {
        MessageDlg("Can not create RES folder.", mtError, MsgButtons({mbOK}));
        return;
    }
    const bool pal = Label4->Checked();
    const int engineItem = kivComboBox_ConvertEngine->ItemIndex();
    WriteWorkSettings(folder, engineItem, pal ? 1 : 0);

    BeginRun();
    burnStage_->RunBegun(*this);
    SetControlsEnabled(false, kivGroupBox4);   // the folder and label of the disc stay what the run uses
    Converting = true;
    VobFixNote = true;
    MenuPresent = false;
    ChapterIndex = 0;
    AuthorRun.EncodeStage = true;
    AuthorRun.AuthorTotalMB = 0;
    AuthorRun.Pal = pal;
    AuthorRun.ClipCount = clipCount;
    AuthorRun.VolumeName = kivEdit_VolumeName->Text();
    std::vector<pipeline::EncodeClipInfo> clips = RunClips();
    if (OutputType <= 1 && !clips.empty()) {
        // One title set has one picture shape: every title is encoded at the
        // first one's, so dvdauthor never relabels a title it does not fit.
        for (pipeline::EncodeClipInfo& clip : clips) clip.AspectIndex = clips.front().AspectIndex;
    }
    StartClipStage(std::move(clips), pal, engineItem);
}

bool TQV_Video_DVD_Disc_Builder_Form::SourcesUntouched()
{
    // Every file the run writes or deletes in the working folder, against the clips it reads.
    std::vector<std::string> written, sources;
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
        const TQV_MovieImage* clip = MyMovieImage[i];
        if (!clip) continue;
        sources.push_back(clip->SourcePath);
        const std::string base = s_WorkFolderPath + StripFileExt(clip->OutputName);
        written.push_back(pipeline::AudioOutputPath(base, OutputType));
        written.push_back(pipeline::VideoOutputPath(base, OutputType));
        written.push_back(base + (OutputType <= 1 ? ".vob" : ".mpg"));
        written.push_back(base + "subtitle.vob");
        written.push_back(s_WorkFolderPath + "Chapter_" + IntToStr(i) + ".vob");
        written.push_back(s_WorkFolderPath + "ChapterSub_" + IntToStr(i) + ".vob");
    }
    written.push_back(s_WorkFolderPath + "Title.vob");
    written.push_back(s_WorkFolderPath + "TitleSub.vob");
    return SourcesStayUntouched(written, sources);
}

// --- the clip stage --------------------------------------------------------------------------
void TQV_Video_DVD_Disc_Builder_Form::NextClip()
{
    ++Encode().CurrentClipIndex;
    Encode().EncodeClip();
}

void TQV_Video_DVD_Disc_Builder_Form::MuxStepEnded(bool muxed, LPARAM lparam)
{
    if (lparam == kMuxTitleStill) {
        ChapterAndAuthorStage();
        return;
    }
    // A subtitle goes into the clip's multiplexed stream: a clip that has none
    // (its failure is logged) goes on without a word about its subtitle.
    // Subtitles are multiplexed into DVD program streams only: SVCD and VCD clips go on without, said once a clip.
    const int index = Encode().CurrentClipIndex;
    const TQV_MovieImage* clip = index >= 0 && index < MyMovieImage.Length() ? MyMovieImage[index] : nullptr;
    if (muxed && clip && !clip->SubtitleFile.empty()) {
        if (OutputType <= 1 && StartSubtitleStage(index)) return;
        if (OutputType >= 2)
            Log("The subtitle of " + clip->ClipName + " is skipped: SVCD and VCD discs carry no subtitles.");
    }
    NextClip();
}

void TQV_Video_DVD_Disc_Builder_Form::ClipStageOver()
{
    Label_FileName->SetCaption("");
    kivProgressBar1->SetPosition(0);
    kivProgressBar2->SetPosition(0);
    Encode().Muxing = false;
    Encode().EncoderRunning = false;
    if (OutputType >= 2) {
        burnStage_->StartImageStage(*this);
        return;
    }
    if (!WithMenu()) {
        StartAuthoring();
        return;
    }
    TitleStage();
}

// --- the menus and the author job ------------------------------------------------------------
void TQV_Video_DVD_Disc_Builder_Form::TitleStage()
{
    const std::uint64_t run = RunNumber();
    std::string why;
    if (!EncodeTitleStill(Label4->Checked(), s_WorkFolderPath, &why)) {
        Log("Can not make the title menu: " + why + ".");
        FinishRun(false);
        return;
    }
    if (!MyDVDChapter.empty() && !MakeChapterStills()) {
        TerminateRun(run);
        return;
    }
    PostMessage(Handle(), MSG_MUX_DONE, kMuxSucceeded, kMuxTitleStill);
}

void TQV_Video_DVD_Disc_Builder_Form::ChapterAndAuthorStage()
{
    const std::uint64_t run = RunNumber();
    Encode().EncoderRunning = false;
    if (!MyDVDChapter.empty() && !MuxChapterPages()) {
        TerminateRun(run);
        return;
    }
    ChapterIndex = 0;
    StartAuthoring();
}

void TQV_Video_DVD_Disc_Builder_Form::StartAuthoring()
{
    const bool pal = Label4->Checked();
    AuthorRun.Pal = pal;
    AuthorRun.ClipCount = Encode().ClipCount;
    AuthorRun.VolumeName = kivEdit_VolumeName->Text();
    std::string menuXml;
    bool written = false;
    if (!WithMenu()) {
        written = WriteTitleMenuAuthorXml(AuthorRun);
    } else {
        menuXml = ProgramFolder() + "RES/" + (pal ? "Menu_P.xml" : "Menu_N.xml");
        if (!FileExists(menuXml)) {
            // The run stands, with nothing going on in it, until the user stops or closes it.
            Timer->SetEnabled(false);
            Encode().EncodeStage = false;
            MessageDlg("Can not find menu information, skip menu creator.", mtInformation, MsgButtons({mbOK}));
            return;
        }
        MenuPresent = true;
        DeleteFile(s_WorkFolderPath + "TitleSub.vob");
        Log("Create \"TitleSub.vob\" >>>");
        written = MyDVDChapter.empty() ? WriteTitleMenuAuthorXml(AuthorRun) : WriteChapterMenuAuthorXml(AuthorRun);
    }
    if (!written) {
        if (!AuthorRun.ErrorText.empty()) MessageDlg(AuthorRun.ErrorText, mtError, MsgButtons({mbOK}));
        FinishRun(false);
        return;
    }
    ShowVolumeName(AuthorRun.VolumeName);   // the writer takes "_n" when the folder appeared meanwhile
    Encode().EncodeStage = AuthorRun.EncodeStage;
    ReplaceWorker();
    handleMovieThread->WithMenu = WithMenu();
    handleMovieThread->MenuXmlPath = menuXml;
    handleMovieThread->JobCode = kJobAuthor;
    Log("Create DVD directory >>>");
}

void TQV_Video_DVD_Disc_Builder_Form::DeleteIntermediates()
{
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
        if (const TQV_MovieImage* clip = MyMovieImage[i])
            DeleteFile(s_WorkFolderPath + StripFileExt(clip->OutputName) + ".vob");
    for (int i = 0; i < Encode().ClipCount; ++i) DeleteFile(s_WorkFolderPath + "ChapterSub_" + IntToStr(i) + ".vob");
    DeleteFile(s_WorkFolderPath + "TitleSub.vob");
    DeleteFile(s_WorkFolderPath + "Title.vob");
}

void TQV_Video_DVD_Disc_Builder_Form::OnAuthorDone(LPARAM result)
{
    const std::string why = handleMovieThread ? handleMovieThread->LastErrorText : std::string();
    ReleaseHandleMovieThread(false);
    SetCurrentTime(static_cast<int>(std::min(Encode().TotalSeconds, 1e9)));
    kivProgressBar1->SetPosition(0);
    kivProgressBar2->SetPosition(0);
    if (result != AUTHOR_OK) {
        // Every file of the run stays for another try, and nothing is burnt.
        Log("Can not create the DVD directory" + (why.empty() ? std::string() : ": " + why) + ".");
        FinishRun(false);
        return;
    }
    DeleteIntermediates();
    Converting = false;
    Log("Starting to burn...");
    Log("Getting disc type...");
    burnStage_->StartDvdWrite(*this, AuthorRun.Dest, DiscVolumeLabel(AuthorRun.VolumeName));
}

// --- the stages that join the run later --------------------------------------------------------
// The subtitle stage is in subtitlestage.cpp.

// --- the chapter pages ---------------------------------------------------------------------------
bool TQV_Video_DVD_Disc_Builder_Form::PumpWithinRun(std::uint64_t run)
{
    if (Application) Application->ProcessMessages();
    return RunActive() && RunNumber() == run;
}

void TQV_Video_DVD_Disc_Builder_Form::TerminateRun(std::uint64_t run)
{
    if (RunActive() && RunNumber() == run) FinishRun(false);
}

bool TQV_Video_DVD_Disc_Builder_Form::MakeChapterStills()
{
    const auto pages = static_cast<int>(MyDVDChapter.Length());
    if (ChapterIndex >= pages) return true;
    const std::uint64_t run = RunNumber();
    const bool pal = Label4->Checked();
    for (int n = 0; n < pages; ++n) {
        if (!PumpWithinRun(run)) return false;
        std::string why;
        if (!EncodeChapterStill(n, pal, s_WorkFolderPath, &why)) {
            Log("Can not make the chapter page " + IntToStr(n) + ": " + why + ".");
            return false;
        }
    }
    return true;
}

bool TQV_Video_DVD_Disc_Builder_Form::MuxChapterPages()
{
    const auto pages = static_cast<int>(MyDVDChapter.Length());
    if (ChapterIndex >= pages) return true;
    ReleaseHandleMovieThread(true);
    const std::uint64_t run = RunNumber();
    while (ChapterIndex < pages) {
        if (!PumpWithinRun(run)) return false;
        if (!MuxChapterPage()) return false;
        ++ChapterIndex;
    }
    return true;
}

bool TQV_Video_DVD_Disc_Builder_Form::MuxChapterPage()
{
    const int n = ChapterIndex;
    if (n < 0 || n >= MyDVDChapter.Length()) return false;
    const std::string xml = ChapterMenuXmlPath(n, Label4->Checked());
    if (!FileExists(xml)) {
        MessageDlg("Can not find chapter information, skip chapter creator.", mtInformation, MsgButtons({mbOK}));
        return false;
    }
    const std::string input = ChapterStillPath(s_WorkFolderPath, n);
    const std::string output = ChapterSubPath(s_WorkFolderPath, n);
    DeleteFile(output);
    for (const std::string* path : {&xml, &input, &output})
        if (!FitsAuthorBuffer(*path)) {
            Log("Can not hand the path " + *path + " to dvdauthor.dll: it is longer than " +
                IntToStr(static_cast<std::int64_t>(kAuthorPathLimit)) + " bytes.");
            return false;
        }
    AuthorLibrary library;
    if (!library.Load(AuthorLibrary::Counter::SubtitlePercent)) {
        if (library.EntryMissing()) MessageDlg("Can't GetProaddress", mtError, MsgButtons({mbOK}));
        return false;
    }
    const int result = library.SpumuxMain(xml, input, output);
    const std::string why = library.LastError();
    library.Free();
    if (result != AUTHOR_OK || FileSize64(output) <= 0) {
        // dvdauthor would stop later at the missing page: the run ends here, saying why.
        DeleteFile(output);
        Log("Can not add the buttons to chapter page " + IntToStr(n) + (why.empty() ? std::string() : ": " + why) +
            ".");
        return false;
    }
    DeleteFile(input);
    return true;
}

// --- the timer, Stop, Close ----------------------------------------------------------------------
void TQV_Video_DVD_Disc_Builder_Form::TimerTimer(TObject* Sender)
{
    if (burnStage_->TimerTick(*this)) return;   // a CD is written: its bar is all this tick shows
    if (!Converting) {
        // The burn stage: the time goes on, the bars are the stage's.
        SetUsedTime(++Encode().TickCount / 2);
        return;
    }
    TRunProcessForm::TimerTimer(Sender);
    if (const int percent = SubtitlePercent(); percent >= 0) kivProgressBar2->SetPosition(std::clamp(percent, 0, 100));
    const HandleMovieThread* worker = handleMovieThread;
    if (VobFixNote && worker && worker->JobCode == kJobAuthor && kivProgressBar1->Position() > 95) {
        VobFixNote = false;
        Log("Fix VOB file>>>");
    }
}

void TQV_Video_DVD_Disc_Builder_Form::kivImageButton_StopClick(TObject*)
{
    if (!RunActive()) return;
    if (MessageDlg("Sure to stop?", mtConfirmation, MsgButtons({mbYes, mbNo})) != mrYes) return;
    if (!RunActive()) return;   // the run ended while the question was up
    if (!Converting) {
        MessageDlg("Can not stop burning process!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    StopRun();
}

bool TQV_Video_DVD_Disc_Builder_Form::ConfirmClose()
{
    if (RunActive() && MessageDlg("Sure to close?", mtWarning, MsgButtons({mbYes, mbNo})) != mrYes) return false;
    if (RunActive()) {
        if (Converting) {
            Encode().Stop();
            ReleaseHandleMovieThread(true);
        } else {
            burnStage_->AbortWrite(*this);
        }
    }
    // A tray the burn left open goes back in with the window.
    burnStage_->CloseTray(*this);
    if (RunActive()) FinishRun(false);
    return true;
}

void TQV_Video_DVD_Disc_Builder_Form::RunEnding(bool)
{
    CancelSubtitleStage();
    burnStage_->RunEnded(*this);
    Converting = false;
    ShowVolumeName(SavedVolumeName);
    SetControlsEnabled(true, kivGroupBox4);
}

void TQV_Video_DVD_Disc_Builder_Form::FormClose(TObject* Sender, TCloseAction& Action)
{
    TRunProcessForm::FormClose(Sender, Action);
    burnStage_->Release(*this);
    DeleteFolderFiles(ProgramFolder() + "RES/", false);
    if (RunActive()) FinishRun(false);
}

void TQV_Video_DVD_Disc_Builder_Form::kivImageButton_MinClick(TObject*)
{
    if (Application) Application->Minimize();
}

void TQV_Video_DVD_Disc_Builder_Form::kivComboBox_DriveChange(TObject*)
{
    burnStage_->OnDriveChange(*this, kivComboBox_Drive->ItemIndex());
}

// --- messages ------------------------------------------------------------------------------------
void TQV_Video_DVD_Disc_Builder_Form::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case MSG_SPUMUX_DONE:
        if (RunActive()) SubtitleStageDone();
        return;
    case MSG_WRITER_MEDIA:
    case MSG_WRITER_STATUS:
    case MSG_WRITER_CLOSING:
    case MSG_WRITER_PROGRESS:
    case MSG_VCDIMAGE_DONE:
    case MSG_CDWRITE_DONE:
        burnStage_->WriterMessage(*this, Message.Msg, Message.WParam, Message.LParam);
        return;
    default:
        TRunProcessForm::WndProc(Message);
    }
}

#include "pipeline/runprocessform.h"

#include "pipeline/encodeparams.h"
#include "pipeline/handlemoviethread.h"

#include "base/burnpubfunction.h"
#include "base/fschoosefolder.h"
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
#include "skin/kivmemo.h"
#include "skin/kivprogressbar.h"
#include "skin/kivskinform.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"
#include "win32/drives.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <utility>

using pipeline::ClipEncodeSequence;
using pipeline::EncodeClipInfo;

namespace {

constexpr int kMegabytesPerMinute[4] = {30, 30, 22, 13};
constexpr int kDiscSizeMB[4] = {4300, 4300, 600, 600};
constexpr const char* kBarCaptions[3] = {"Total Process :", "Converting Process :", "Muxing Process :"};
constexpr const char* kStatusCaptions[4] = {"Time Used :", "Frames per second :", "Current Time :", "Total Time :"};

int ClampedType(int outputType) { return std::clamp(outputType, 0, 3); }

// A place of the layout, relative to the group box it lies in.
mainlayout::Place Inside(const mainlayout::Place& group, const mainlayout::Place& p)
{
    return {p.left - group.left, p.top - group.top, p.width, p.height};
}

TkivGroupBox* NewGroup(TWinControl* parent, const char* name, const char* caption, const mainlayout::Place& p)
{
    auto* group = new TkivGroupBox(parent);
    group->SetName(name);
    group->SetCaption(caption);
    group->SetTransparent(true);
    group->Font()->SetName("Arial");
    group->Font()->SetSize(8);
    group->Font()->SetStyle(TFontStyles{fsBold});
    group->Font()->SetColor(runlayout::kTextColor);
    group->SetBounds(p.left, p.top, p.width, p.height);
    group->SetParent(parent);
    return group;
}

// A path as the file system resolves it, so that two spellings of one file compare equal.
std::string Resolved(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? std::filesystem::path(path).lexically_normal().string() : resolved.string();
}

// The volume a folder lies on, for its free space: the folder need not exist yet.
std::string VolumeRoot(const std::string& folder)
{
    if (std::optional<Volume> volume = VolumeOf(folder)) return volume->mountPoint;
    return folder;
}

} // namespace

std::int64_t RunEstimateMB(int outputType, double seconds)
{
    if (!(seconds > 0)) return 0;
    const double megabytes = kMegabytesPerMinute[ClampedType(outputType)] * seconds / 60.0;
    return static_cast<std::int64_t>(std::min(megabytes, 1e15));   // a damaged length cannot overflow
}

std::int64_t RunDiscSizeMB(int outputType) { return kDiscSizeMB[ClampedType(outputType)]; }

TRunProcessForm::TRunProcessForm(TComponent* AOwner, const runlayout::Layout& layout, const std::string& name,
                                 const std::string& caption, ClipEncodeSequence::RunWindow kind)
    : TForm(AOwner), layout_(layout), kind_(kind), library_(&pipeline::LinkedEncoderLibrary())
{
    using Self = TRunProcessForm;
    using namespace runlayout;
    BeginLoading();
    SetName(name);
    SetCaption(caption);
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, layout.skinFile, layout.width, layout.height);
    auto on = [this](void (Self::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };

    // The working folder.
    kivGroupBox2 = NewGroup(this, "kivGroupBox2", "Working Folder", layout.folderGroup);
    kivEdit_WorkingFolder = new TkivEdit(this);
    kivEdit_WorkingFolder->SetName("kivEdit_WorkingFolder");
    kivEdit_WorkingFolder->SetReadOnly(true);
    kivEdit_WorkingFolder->SetParentFont(false);   // dark on the edit's face, not the group's light caption
    kivEdit_WorkingFolder->Font()->SetName("Arial");
    kivEdit_WorkingFolder->Font()->SetSize(8);
    kivEdit_WorkingFolder->Font()->SetColor(clWindowText);
    const Place edit = Inside(layout.folderGroup, layout.folderEdit);
    kivEdit_WorkingFolder->SetBounds(edit.left, edit.top, edit.width, edit.height);
    kivEdit_WorkingFolder->SetParent(kivGroupBox2);
    kivImageButton_Browse = NewPictureButton(kivGroupBox2, "kivImageButton_Browse",
                                             Inside(layout.folderGroup, layout.browse), layout.browseFile,
                                             "Choose the working folder", on(&Self::kivImageButton_BrowseClick));
    kivImageButton_Check = NewPictureButton(kivGroupBox2, "kivImageButton_Check",
                                            Inside(layout.folderGroup, layout.check), layout.checkFile, "",
                                            on(&Self::kivImageButton_CheckClick));
    kivImageButton_Check->SetVisible(false);
    Label_FreeSpace = NewLabel(kivGroupBox2, "Label_FreeSpace", Inside(layout.folderGroup, layout.freeSpace),
                               kDimTextColor);
    Label_FreeSpace->SetCaption("Free Space must > 5 GB");
    fsChooseFolde = new TfsChooseFolder(this);
    fsChooseFolde->SetName("fsChooseFolde");
    fsChooseFolde->SetTitle("Please select the working folder.");

    // The TV standard.
    kivGroupBox3 = NewGroup(this, "kivGroupBox3", "Output Setup", layout.outputGroup);
    Label4 = NewCheckBox(kivGroupBox3, "Label4", "PAL", Inside(layout.outputGroup, layout.pal), kTextColor);
    Label5 = NewCheckBox(kivGroupBox3, "Label5", "NTSC", Inside(layout.outputGroup, layout.ntsc), kTextColor);
    Label5->SetChecked(false);
    Label4->OnClick = on(&Self::Label4Click);
    Label5->OnClick = on(&Self::Label5Click);

    // The encoder choice.
    Label16 = NewLabel(this, "Label16", layout.engineLabel, kTextColor, 8, true);
    Label16->SetCaption("Convert Engine :");
    kivComboBox_ConvertEngine = new TkivComboBox(this);
    kivComboBox_ConvertEngine->SetName("kivComboBox_ConvertEngine");
    kivComboBox_ConvertEngine->SetStyle(csDropDownList);
    kivComboBox_ConvertEngine->SetBounds(layout.engine.left, layout.engine.top, layout.engine.width,
                                         layout.engine.height);
    kivComboBox_ConvertEngine->SetParent(this);
    for (const char* item : {"Preference by picture quality (much bigger output size)", "Preference by converting speed"})
        kivComboBox_ConvertEngine->Items()->Add(item);
    kivComboBox_ConvertEngine->SetItemIndex(0);

    // The log.
    Memo1 = new TkivMemo(this);
    Memo1->SetName("Memo1");
    Memo1->SetReadOnly(true);
    Memo1->SetWordWrap(false);
    Memo1->SetScrollBars(ssVertical);
    Memo1->SetBounds(layout.log.left, layout.log.top, layout.log.width, layout.log.height);
    Memo1->SetParent(this);

    // The time lines.
    TLabel** values[4] = {&Label_UsedTime, &Label_FPS, &Label_CurrentFame, &Label_TotalTime};
    static const char* const valueNames[4] = {"Label_UsedTime", "Label_FPS", "Label_CurrentFame", "Label_TotalTime"};
    for (int i = 0; i < 4; ++i) {
        const int left = layout.status.left + kStatusLineLeft, width = layout.status.width - 2 * kStatusLineLeft;
        const int top = layout.status.top + kStatusLineTop + kStatusLineStep * i;
        NewLabel(this, nullptr, {left, top, width, kStatusCaptionHeight}, kDimTextColor)->SetCaption(kStatusCaptions[i]);
        *values[i] = NewLabel(this, valueNames[i], {left, top + kStatusValueTop, width, kStatusValueHeight},
                              kValueColor, 12, true);
    }
    Label_FileName = NewLabel(this, "Label_FileName", layout.fileName, kTextColor);

    // The bars.
    static const char* const barNames[3] = {"kivProgressBar", "kivProgressBar1", "kivProgressBar2"};
    TkivProgressBar** bars[3] = {&kivProgressBar, &kivProgressBar1, &kivProgressBar2};
    for (int i = 0; i < 3; ++i) {
        BarCaptions[i] = NewLabel(this, nullptr, layout.barLabels[i], kTextColor, 8, true);
        BarCaptions[i]->SetCaption(kBarCaptions[i]);
        *bars[i] = NewBar(this, barNames[i], layout.bars[i]);
    }

    kivImageButton_Start = NewPictureButton(this, "kivImageButton_Start", layout.start, layout.startFile, "Start",
                                            [this](TObject* sender) { kivImageButton_StartClick(sender); });
    kivImageButton_Start->SetDefault(true);
    kivImageButton_Stop = NewPictureButton(this, "kivImageButton_Stop", layout.start, layout.stopFile, "Stop",
                                           [this](TObject* sender) { kivImageButton_StopClick(sender); });
    kivImageButton_Stop->SetVisible(false);
    kivImageButton1 = NewPictureButton(this, "kivImageButton1", layout.close, layout.closeFile, "Close",
                                       [this](TObject* sender) { kivImageButton1Click(sender); });

    Timer = new TTimer(this);
    Timer->SetName("Timer");
    Timer->SetEnabled(false);
    Timer->SetInterval(500);
    Timer->OnTimer = [this](TObject* sender) { TimerTimer(sender); };

    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    OnCloseQuery = [this](TObject* sender, bool& canClose) { CloseQueryHandler(sender, canClose); };
    EndLoading();

    encode_ = std::make_unique<ClipEncodeSequence>(kind_, *library_, *this, nullptr);
    ResetDisplay();
}

TRunProcessForm::~TRunProcessForm()
{
    // The program ends during a run: nothing of it may go on unheard.
    if (active_) {
        encode_->Stop();
        ReleaseHandleMovieThread(true);
    }
}

// --- the working folder -----------------------------------------------------------------
std::string TRunProcessForm::MissingFolderText() const { return "Please set the working folder."; }

std::string TRunProcessForm::FolderText() const
{
    return IncludeTrailingPathDelimiter(kivEdit_WorkingFolder->Text());
}

bool TRunProcessForm::SourcesStayUntouched(const std::vector<std::string>& written,
                                           const std::vector<std::string>& sources)
{
    std::set<std::string> resolved;
    for (const std::string& path : written) resolved.insert(Resolved(path));
    for (const std::string& source : sources) {
        if (!resolved.count(Resolved(source))) continue;
        MessageDlg("The working folder holds a file of the clips that this run would write over:\n" + source +
                       "\nPlease choose another working folder.",
                   mtError, MsgButtons({mbOK}));
        return false;
    }
    return true;
}

double TRunProcessForm::ClipsTotalSeconds()
{
    double total = 0;
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
        if (const TQV_MovieImage* clip = MyMovieImage[i])
            total += pipeline::KeptSeconds(*clip);
    return total;
}

bool TRunProcessForm::CheckWorkFolder(bool silent)
{
    const std::string folder = kivEdit_WorkingFolder->Text();
    if (folder.empty() || folder[0] != '/') {
        MessageDlg(MissingFolderText(), mtInformation, MsgButtons({mbOK}));
        return false;
    }
    std::uint64_t freeMB = 0;
    DiskSpace space;
    if (GetDiskFreeSpace(VolumeRoot(folder), space)) freeMB = space.freeBytes / 1048576;
    const std::int64_t estimate = RunEstimateMB(OutputType, encode_->TotalSeconds);
    if (estimate > RunDiscSizeMB(OutputType) &&
        MessageDlg("Exceeding the disc media limite size.\nDo you want to continue?", mtConfirmation,
                   MsgButtons({mbYes, mbNo})) != mrYes)
        return false;
    const auto need = static_cast<std::int64_t>(static_cast<double>(estimate) * 1.1);
    if (need <= static_cast<std::int64_t>(std::min<std::uint64_t>(freeMB, INT64_MAX))) return true;
    if (silent) return false;
    return MessageDlg("No enough free hard disk space to work.\nDo you want to continue", mtConfirmation,
                      MsgButtons({mbYes, mbNo})) == mrYes;
}

void TRunProcessForm::kivImageButton_BrowseClick(TObject*)
{
    if (!fsChooseFolde->Execute()) return;
    kivEdit_WorkingFolder->SetText(IncludeTrailingPathDelimiter(fsChooseFolde->FolderName));
    WorkFolderChosen();
    encode_->TotalSeconds = ClipsTotalSeconds();
    CheckWorkFolder(true);
}

void TRunProcessForm::kivImageButton_CheckClick(TObject*)
{
    encode_->TotalSeconds = ClipsTotalSeconds();
    CheckWorkFolder(true);
}

void TRunProcessForm::Label4Click(TObject*) { Label5->SetChecked(!Label4->Checked()); }

void TRunProcessForm::Label5Click(TObject*) { Label4->SetChecked(!Label5->Checked()); }

// --- the display ---------------------------------------------------------------------------
void TRunProcessForm::ResetDisplay()
{
    for (TkivProgressBar* bar : {kivProgressBar, kivProgressBar1, kivProgressBar2}) bar->SetPosition(0);
    Label_FileName->SetCaption("");
    Label_FPS->SetCaption("0");
    for (TLabel* label : {Label_UsedTime, Label_TotalTime, Label_CurrentFame}) label->SetCaption("00:00:00");
    Memo1->Lines()->Clear();
}

void TRunProcessForm::Log(const std::string& line)
{
    Memo1->Lines()->Add(line);
    Memo1->SetSelStart(static_cast<int>(Memo1->Text().size()));   // the newest line in view
}

void TRunProcessForm::SetFileLabel(const std::string& text) { Label_FileName->SetCaption(text); }
void TRunProcessForm::SetUsedTime(int seconds) { Label_UsedTime->SetCaption(FormatSecondsHms(seconds)); }
void TRunProcessForm::SetFramesPerSecond(int fps) { Label_FPS->SetCaption(IntToStr(fps)); }
void TRunProcessForm::SetCurrentTime(int seconds) { Label_CurrentFame->SetCaption(FormatSecondsHms(seconds)); }
void TRunProcessForm::SetConvertingBar(int percent) { kivProgressBar1->SetPosition(percent); }
void TRunProcessForm::SetTotalBar(int percent) { kivProgressBar->SetPosition(percent); }

// --- a run ------------------------------------------------------------------------------------
void TRunProcessForm::BeginRun()
{
    active_ = true;
    ++runNumber_;
    closing_ = false;
    encode_ = std::make_unique<ClipEncodeSequence>(kind_, *library_, *this, Handle());
    encode_->OutputType = ClampedType(OutputType);
    encode_->TotalSeconds = ClipsTotalSeconds();
    encode_->EncodeStage = true;
    Timer->SetEnabled(true);
    Label_TotalTime->SetCaption(FormatSecondsHms(static_cast<int>(std::min(encode_->TotalSeconds, 1e9))));
    for (TControl* control : {static_cast<TControl*>(kivComboBox_ConvertEngine), static_cast<TControl*>(kivGroupBox2),
                              static_cast<TControl*>(kivGroupBox3)})
        SetControlsEnabled(false, control);
    kivEdit_WorkingFolder->SetEnabled(true);   // read-only anyway: the run's folder stays readable
    Label_FreeSpace->SetEnabled(true);         // a note, not a choice: drawn as before
    kivImageButton_Start->SetVisible(false);
    kivImageButton_Start->SetDefault(false);
    kivImageButton_Stop->SetVisible(true);
    kivImageButton_Stop->SetDefault(true);
    for (TkivProgressBar* bar : {kivProgressBar, kivProgressBar1, kivProgressBar2}) bar->SetPosition(0);
    Memo1->Lines()->Clear();
}

std::vector<EncodeClipInfo> TRunProcessForm::RunClips() const
{
    std::vector<EncodeClipInfo> clips;
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
        EncodeClipInfo info;
        if (const TQV_MovieImage* clip = MyMovieImage[i]) {
            info.ClipName = clip->ClipName;
            info.OutputName = clip->OutputName;
            info.SourcePath = clip->SourcePath;
            info.StartPoint = clip->StartPoint;
            info.EndPoint = clip->EndPoint;
            info.VideoDuration = clip->VideoDuration;
            info.AudioDuration = clip->AudioDuration;
            info.SupportsSeek = clip->SupportsSeek;
            info.VideoWidth = clip->VideoWidth;
            info.VideoHeight = clip->VideoHeight;
            info.PictureAspectX = clip->PictureAspectX;
            info.PictureAspectY = clip->PictureAspectY;
            info.AspectIndex = clip->AspectIndex;
            info.LetterBox = clip->LetterBox;
        }
        clips.push_back(std::move(info));
    }
    return clips;
}

void TRunProcessForm::StartClipStage(std::vector<EncodeClipInfo> clips, bool pal, int engineItem)
{
    clips_ = clips;
    clipStage_ = true;
    encode_->Start(std::move(clips), ClampedType(OutputType), pal, s_WorkFolderPath, engineItem);
}

const EncodeClipInfo* TRunProcessForm::RunClip(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= clips_.size()) return nullptr;
    return &clips_[static_cast<std::size_t>(index)];
}

void TRunProcessForm::EndQuietly()
{
    Timer->SetEnabled(false);
    active_ = false;
    clipStage_ = false;
    encode_->EncodeStage = false;
    kivImageButton_Stop->SetVisible(false);
    kivImageButton_Stop->SetDefault(false);
    kivImageButton_Start->SetVisible(true);
    kivImageButton_Start->SetDefault(true);
    for (TControl* control : {static_cast<TControl*>(kivComboBox_ConvertEngine), static_cast<TControl*>(kivGroupBox2),
                              static_cast<TControl*>(kivGroupBox3)})
        SetControlsEnabled(true, control);
}

void TRunProcessForm::FinishRun(bool finished)
{
    EndQuietly();
    RunEnding(finished);
    const int failed = encode_->FailedClips;
    if (finished && failed > 0)
        // A run that lost clips is not told as a plain success.
        Log("Process finished, but " + IntToStr(failed) + " of " + IntToStr(encode_->ClipCount) + " clips failed.");
    else
        Log(finished ? "Process finished." : "Process is terminated.");
}

void TRunProcessForm::StopRun()
{
    encode_->Stop();
    ReleaseHandleMovieThread(true);
    FinishRun(false);
}

void TRunProcessForm::ReplaceWorker()
{
    ReleaseHandleMovieThread(false);
    auto* worker = new HandleMovieThread(true, Handle());   // frees itself once terminated
    worker->Resume();
    handleMovieThread = worker;
}

// --- the multiplex step -------------------------------------------------------------------------
void TRunProcessForm::MuxClip(int clipIndex)
{
    ClipEncodeSequence& run = *encode_;
    const EncodeClipInfo* clip = RunClip(clipIndex);
    run.Muxing = true;
    if (clip) run.DoneSeconds += pipeline::KeptSeconds(*clip);
    const std::string base = s_WorkFolderPath + (clip ? StripFileExt(clip->OutputName) : std::string());
    const std::string audio = pipeline::AudioOutputPath(base, run.OutputType);
    const std::string video = pipeline::VideoOutputPath(base, run.OutputType);
    const std::string output = base + (run.OutputType <= 1 ? ".vob" : ".mpg");
    if (!clip || !FileExists(audio) || !FileExists(video)) {
        Log("Mux current file wrong, skip it...");
        ++run.FailedClips;
        run.Muxing = false;   // the next clip's progress is polled again
        run.CurrentClipIndex = clipIndex + 1;
        run.EncodeClip();
        return;
    }
    Log("Mux " + clip->ClipName + " >>>");
    ReplaceWorker();
    handleMovieThread->StartMux(run.OutputType, output, video, audio);
}

void TRunProcessForm::OnMuxDone(WPARAM wparam, LPARAM lparam)
{
    const std::string why = handleMovieThread ? handleMovieThread->LastErrorText : std::string();
    ReleaseHandleMovieThread(false);
    if (wparam == kMuxFailed) {
        Log("Loading tormux.dll wrong.");
        if (lparam == kMuxDvdArgc) {
            const EncodeClipInfo* clip = RunClip(encode_->CurrentClipIndex);
            Log("Can not mux " + (clip ? clip->ClipName : std::string()) + "!");
        }
        // The multiplexer's own reason (a full disk, a stream it refused) under the two fixed lines.
        if (!why.empty()) Log(why);
        ++encode_->FailedClips;
    }
    encode_->Muxing = false;
    kivProgressBar2->SetPosition(0);
    MuxStepEnded(wparam != kMuxFailed, lparam);
}

void TRunProcessForm::OnEncoderDone(LPARAM result) { encode_->EncoderDone(result); }

// --- the timer ---------------------------------------------------------------------------------
void TRunProcessForm::TimerTimer(TObject*)
{
    ClipEncodeSequence& run = *encode_;
    if (clipStage_) {
        run.TimerTimer();
    } else {
        ++run.TickCount;
        SetUsedTime(run.TickCount / 2);
    }
    HandleMovieThread* worker = handleMovieThread;
    if (worker && worker->MuxRunning) kivProgressBar2->SetPosition(worker->MuxPosition());
    if (!run.EncodeStage) {
        const bool authoring = worker && worker->JobCode == kJobAuthor;
        kivProgressBar1->SetPosition(authoring ? AuthorProgressPercent(worker->VobProgress(), AuthorRun.AuthorTotalMB)
                                               : 100);
    }
}

// --- stop and close ---------------------------------------------------------------------------
void TRunProcessForm::kivImageButton_StopClick(TObject*)
{
    if (!active_) return;
    if (MessageDlg("Sure to stop?", mtConfirmation, MsgButtons({mbYes, mbNo})) != mrYes) return;
    if (active_) StopRun();   // the run may have ended while the question was up
}

bool TRunProcessForm::ConfirmClose()
{
    // Any active run asks, multiplexing and authoring included: a worker left
    // running would go on writing after the window said it stopped.
    if (active_) {
        if (MessageDlg("Sure to close?", mtWarning, MsgButtons({mbYes, mbNo})) != mrYes) return false;
        if (active_) FinishRun(false);
        encode_->Stop();
    }
    if (handleMovieThread) {
        ReleaseHandleMovieThread(true);
        FinishRun(false);
    }
    return true;
}

void TRunProcessForm::kivImageButton1Click(TObject*)
{
    if (!ConfirmClose()) return;
    closing_ = true;
    Close();
}

void TRunProcessForm::CloseQueryHandler(TObject*, bool& CanClose)
{
    // The window manager's close goes through the same question as the close button.
    if (closing_) {
        closing_ = false;
        return;
    }
    CanClose = ConfirmClose();
}

void TRunProcessForm::FormClose(TObject*, TCloseAction&)
{
    Timer->SetEnabled(false);
    kivImageButton_Start->SetVisible(true);
    kivImageButton_Stop->SetVisible(false);
}

// --- messages ------------------------------------------------------------------------------------
void TRunProcessForm::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case MSG_AUTHOR_DONE:
        if (active_) OnAuthorDone(Message.LParam);
        return;
    case MSG_MUX_DONE:
        if (active_) OnMuxDone(Message.WParam, Message.LParam);
        return;
    case MSG_ENCODER_DONE:
        if (active_) OnEncoderDone(Message.LParam);
        return;
    default:
        TForm::WndProc(Message);
    }
}

#include "pipeline/qv_videodvddiscburningprocessform.h"

#include "pipeline/burnerdevicegroup.h"
#include "pipeline/burninglayout.h"
#include "pipeline/discvolumename.h"
#include "pipeline/runlayout.h"

#include "base/burnpubfunction.h"
#include "base/programpictures.h"
#include "base/projectdata.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivgroupbox.h"
#include "skin/kivmemo.h"
#include "skin/kivprogressbar.h"
#include "skin/kivskinform.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"
#include "win32/progfolders.h"

namespace {

namespace layout = burninglayout;

using runlayout::kTextColor;
using runlayout::kValueColor;
constexpr const char* kNoVolumeText = "No valid volume for new disc. \nSure to continue?";

void Box(const std::string& text, TMsgDlgType type) { MessageDlg(text, type, MsgButtons({mbOK})); }

} // namespace

TQV_Video_DVD_Disc_Burning_Process_Form::TQV_Video_DVD_Disc_Burning_Process_Form(TComponent* AOwner)
    : TForm(AOwner), dvdStage_(std::make_unique<BurnStage>(*this, nullptr, kBurningWindowBurnValues)),
      cdStage_(std::make_unique<CdBurnStage>(*this, MakeCueBurner()))
{
    using namespace layout;
    using Self = TQV_Video_DVD_Disc_Burning_Process_Form;
    auto on = [this](void (Self::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };
    cdStage_->SetSpeedOnDriveChange = false;   // the speed is set when the burn starts
    ConnectStages();
    BeginLoading();
    SetName(kBurningProcessWindowName);
    SetCaption("Burning Process");
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };

    const BurnerDeviceGroup device = NewBurnerDeviceGroup(
        this, "kivGroupBox1", {kGroup, kDriveLabel, kDrive, kSpeedLabel, kSpeed, kVolumeLabel, kVolume}, kTextColor);
    kivGroupBox1 = device.group;
    kivComboBox_Drive = device.drive;
    kivComboBox_Drive->OnChange = on(&Self::kivComboBox_DriveChange);
    kivComboBox_WriteSpeed = device.speed;
    kivEdit_VolumeName = device.volume;
    kivEdit_VolumeName->SetText("DVD_DISC");

    Memo1 = new TkivMemo(this);
    Memo1->SetName("Memo1");
    Memo1->SetBounds(kLog.left, kLog.top, kLog.width, kLog.height);
    Memo1->SetReadOnly(true);
    Memo1->Font()->SetName("Arial");
    Memo1->Font()->SetSize(9);
    Memo1->SetParent(this);

    NewLabel(this, "Label_UsedCaption", kUsedCaption, kTextColor, 9, true)->SetCaption("Used Time :");
    Label_UsedTime = NewLabel(this, "Label_UsedTime", kUsed, kValueColor, 14, true);
    NewLabel(this, "Label_RemainCaption", kRemainCaption, kTextColor, 9, true)->SetCaption("Remaining Time :");
    Label_RemainTime = NewLabel(this, "Label_RemainTime", kRemain, kValueColor, 14, true);
    NewLabel(this, "Label_Bar", kBarLabel, kTextColor, 8, true)->SetCaption("Burning Process :");
    kivProgressBar = new TkivProgressBar(this);
    kivProgressBar->SetName("kivProgressBar");
    kivProgressBar->SetBounds(kBar.left, kBar.top, kBar.width, kBar.height);
    kivProgressBar->SetMax(100);
    kivProgressBar->SetShowCaption(true);
    kivProgressBar->SetParent(this);

    kivImageButton_Start = NewPictureButton(this, "kivImageButton_Start", kStart, kStartFile, "Start",
                                            on(&Self::kivImageButton_StartClick));
    kivImageButton_Stop = NewPictureButton(this, "kivImageButton_Stop", kStart, kStopFile, "Stop",
                                           on(&Self::kivImageButton_StopClick));
    kivImageButton_Stop->SetVisible(false);
    kivImageButton1 = NewPictureButton(this, "kivImageButton1", kClose, kCloseFile, "Close",
                                       on(&Self::kivImageButton1Click));

    Timer = new TTimer(this);
    Timer->SetName("Timer");
    Timer->SetInterval(1000);
    Timer->SetEnabled(false);
    Timer->OnTimer = on(&Self::TimerTimer);
    EndLoading();
}

TQV_Video_DVD_Disc_Burning_Process_Form::~TQV_Video_DVD_Disc_Burning_Process_Form()
{
    // The stages end their threads before the controls they show go.
    cdStage_.reset();
    dvdStage_.reset();
}

void TQV_Video_DVD_Disc_Burning_Process_Form::SetBurners(std::function<bool(WritingEngine&)> engineLoader,
                                                         std::unique_ptr<CdBurner> cd)
{
    if (engineLoader) dvdStage_ = std::make_unique<BurnStage>(*this, std::move(engineLoader), kBurningWindowBurnValues);
    if (cd) {
        cdStage_ = std::make_unique<CdBurnStage>(*this, std::move(cd));
        cdStage_->SetSpeedOnDriveChange = false;
    }
    ConnectStages();
}

void TQV_Video_DVD_Disc_Burning_Process_Form::ConnectStages()
{
    // Without a DVD writer, a disc in a CD drive is disc enough to start a DVD run.
    dvdStage_->CdDriveReady = [this] { return cdStage_->DriveReady(); };
}

bool TQV_Video_DVD_Disc_Burning_Process_Form::Running() const { return kivImageButton_Stop->Visible(); }

// --- the setup window's steps ----------------------------------------------------------------
bool TQV_Video_DVD_Disc_Burning_Process_Form::InitBurningProcess(int discType, std::shared_ptr<BurnFiles> files)
{
    if (files) Files = std::move(files);
    kivComboBox_Drive->Items()->Clear();
    Label_UsedTime->SetCaption("00:00:00");
    Label_RemainTime->SetCaption("00:00:00");
    Clock.Reset();
    Memo1->Lines()->Clear();
    kivProgressBar->SetMax(100);
    kivProgressBar->SetPosition(0);
    Timer->SetEnabled(false);
    DiscType = discType;
    kivEdit_VolumeName->SetText(BurningVolumeName(discType, s_WorkFolderPath));
    return CdKind() ? cdStage_->InitBurner() : dvdStage_->InitBurner(discType);
}

void TQV_Video_DVD_Disc_Burning_Process_Form::ShowBurningProcess() { ShowModal(); }

// --- behaviour -----------------------------------------------------------------------------------
void TQV_Video_DVD_Disc_Burning_Process_Form::kivComboBox_DriveChange(TObject*)
{
    const int index = kivComboBox_Drive->ItemIndex();
    if (CdKind()) cdStage_->OnDriveChange(index);
    else dvdStage_->OnDriveChange(index);
}

void TQV_Video_DVD_Disc_Burning_Process_Form::ShowRunning(bool running)
{
    kivImageButton_Start->SetVisible(!running);
    kivImageButton_Stop->SetVisible(running);
    kivComboBox_Drive->SetEnabled(!running);
    kivComboBox_WriteSpeed->SetEnabled(!running);
    kivEdit_VolumeName->SetEnabled(!running);
}

void TQV_Video_DVD_Disc_Burning_Process_Form::kivImageButton_StartClick(TObject*)
{
    if (Running()) return;
    if (kivComboBox_Drive->ItemIndex() < 0)
        return Box("Can not find burning device, process is terminated.", mtWarning);
    if (!(CdKind() ? cdStage_->CheckDiscBeforeRun() : dvdStage_->CheckDiscBeforeRun())) return;
    Timer->SetEnabled(true);
    dvdStage_->RunBegun();
    Log("Checking disc volume...");
    Clock.Reset();
    Label_RemainTime->SetCaption("00:00:00");
    if (CdKind()) StartCdRun();
    else StartDvdRun();
}

void TQV_Video_DVD_Disc_Burning_Process_Form::StartCdRun()
{
    if (Trim(kivEdit_VolumeName->Text()).empty() &&
        MessageDlg(kNoVolumeText, mtConfirmation, MsgButtons({mbYes, mbNo})) != mrYes) {
        Timer->SetEnabled(false);
        return;
    }
    ShowRunning(true);
    s_WorkFolderPath = GetWorkingFolder();
    if (!ForceDirectories(s_WorkFolderPath)) {
        Box("Can not create working folder.", mtError);
        return FinishRun(false);
    }
    if (!ForceDirectories(ProgramFolder() + "RES/")) {
        Box("Can not create RES folder.", mtError);
        return FinishRun(false);
    }
    dvdStage_->StartImageStage(DiscType, Trim(kivEdit_VolumeName->Text()), s_WorkFolderPath, Files->MpgFiles);
}

void TQV_Video_DVD_Disc_Burning_Process_Form::StartDvdRun()
{
    if (Files->NoDvdFile()) {
        Timer->SetEnabled(false);
        return Box("No file to burn!", mtInformation);
    }
    // What is burnt is the folder of the listed files: they must all be one DVD folder.
    const std::string folder = ListedDvdFolder(*Files);
    if (folder.empty()) {
        Timer->SetEnabled(false);
        return Box("No DVD directory in working folder!\nPlease try again!", mtError);
    }
    if (!ForceDirectories(ProgramFolder() + "RES/")) {
        Timer->SetEnabled(false);
        return Box("Can not create RES folder.", mtError);
    }
    if (Trim(kivEdit_VolumeName->Text()).empty() &&
        MessageDlg(kNoVolumeText, mtConfirmation, MsgButtons({mbYes, mbNo})) != mrYes) {
        Timer->SetEnabled(false);
        return;
    }
    Log("Starting to burn...");
    Log("Getting disc type...");
    ShowRunning(true);
    dvdStage_->StartDvdWrite(folder, DiscVolumeLabel(Trim(kivEdit_VolumeName->Text())));
}

void TQV_Video_DVD_Disc_Burning_Process_Form::kivImageButton_StopClick(TObject*)
{
    // A disc-at-once write stopped half way is a lost disc either way.
    Box("Can not stop burning process!", mtInformation);
}

void TQV_Video_DVD_Disc_Burning_Process_Form::kivImageButton1Click(TObject*)
{
    if (Running()) {
        if (MessageDlg("Sure to close?\nDisc may be damaged!", mtWarning, MsgButtons({mbYes, mbNo})) != mrYes) return;
        dvdStage_->AbortWrite();
        dvdStage_->RunEnded();   // an image being built is cancelled
        cdStage_->AbortBurn();   // a CD write is aborted and waited for
    }
    if (CdKind()) cdStage_->CloseTray();
    else dvdStage_->CloseTray();
    Close();
}

void TQV_Video_DVD_Disc_Burning_Process_Form::TimerTimer(TObject*)
{
    Label_UsedTime->SetCaption(Clock.Tick());
    cdStage_->TimerTick();
    dvdStage_->TimerTick();
}

void TQV_Video_DVD_Disc_Burning_Process_Form::FormClose(TObject*, TCloseAction&)
{
    dvdStage_->Release();
    FinishRun(false);
}

void TQV_Video_DVD_Disc_Burning_Process_Form::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case MSG_WRITER_PROGRESS: {
        int percent = 0;
        if (Clock.Progress(static_cast<int>(Message.WParam), percent))
            Label_RemainTime->SetCaption(FormatSecondsHms(Clock.RemainSeconds));
        dvdStage_->WriterMessage(Message.Msg, Message.WParam);
        return;
    }
    case MSG_WRITER_MEDIA:
    case MSG_WRITER_STATUS:
    case MSG_WRITER_CLOSING:
        dvdStage_->WriterMessage(Message.Msg, Message.WParam);
        return;
    case MSG_VCDIMAGE_DONE:
        dvdStage_->ImageDone(Message.WParam, Message.LParam);
        return;
    case MSG_CDWRITE_DONE:
        cdStage_->WriteDone(Message.WParam);
        return;
    default:
        TForm::WndProc(Message);
    }
}

// --- what the stages show -------------------------------------------------------------------------
HWND TQV_Video_DVD_Disc_Burning_Process_Form::WindowHandle() { return Handle(); }
void TQV_Video_DVD_Disc_Burning_Process_Form::Log(const std::string& line) { Memo1->Lines()->Add(line); }
void TQV_Video_DVD_Disc_Burning_Process_Form::SetWriteBar(int percent)
{
    kivProgressBar->SetMax(100);
    kivProgressBar->SetPosition(percent);
}
void TQV_Video_DVD_Disc_Burning_Process_Form::SetConvertingBar(int percent) { SetWriteBar(percent); }
void TQV_Video_DVD_Disc_Burning_Process_Form::ShowWriting() { ShowRunning(true); }
void TQV_Video_DVD_Disc_Burning_Process_Form::Repaint() { TForm::Repaint(); }
bool TQV_Video_DVD_Disc_Burning_Process_Form::TimerOn() { return Timer->Enabled(); }
void TQV_Video_DVD_Disc_Burning_Process_Form::CountTick() {}   // the window's own tick counts the time
void TQV_Video_DVD_Disc_Burning_Process_Form::ConvertingOver() {}
void TQV_Video_DVD_Disc_Burning_Process_Form::ImageReady(const std::string& cuePath, const std::string& binPath)
{
    cdStage_->Burn(cuePath, binPath);
}
std::string TQV_Video_DVD_Disc_Burning_Process_Form::VolumeName() { return kivEdit_VolumeName->Text(); }
void TQV_Video_DVD_Disc_Burning_Process_Form::CdBurnStarting()
{
    SetWriteBar(0);
    cdStartTick_ = Clock.TickCount;
}
void TQV_Video_DVD_Disc_Burning_Process_Form::SetCdProgress(int position, int maximum)
{
    kivProgressBar->SetMax(maximum > 0 ? maximum : 1);
    kivProgressBar->SetPosition(position);
    // The remaining time at the write's pace so far. The drive's buffer takes
    // the first megabytes at once, so the pace is measured afresh each tick
    // rather than kept at its lowest.
    if (position <= 0 || maximum <= 0 || position > maximum) return;
    const long long elapsed = Clock.TickCount - cdStartTick_;
    Clock.RemainSeconds = static_cast<int>(elapsed * (maximum - position) / position);
    Label_RemainTime->SetCaption(FormatSecondsHms(Clock.RemainSeconds));
}

void TQV_Video_DVD_Disc_Burning_Process_Form::FinishRun(bool finished)
{
    Timer->SetEnabled(false);
    ShowRunning(false);
    dvdStage_->RunEnded();
    if (finished) {
        DeleteFolderFiles(ProgramFolder() + "RES/", false);
        Log("Process finished.");
    } else {
        Log("Process is terminated.");
    }
}

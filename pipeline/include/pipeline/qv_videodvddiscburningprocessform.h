#pragma once
// The burning-process window: burns what the disc-burner setup listed, a DVD
// folder through the DVD-writing engine, or SVCD/VCD MPEG files through a CD
// image built in the working folder and the CD burner. It converts nothing.
// The DVD write and the image build are the burn stage's (BurnStage), the CD
// write the CD burn stage's (CdBurnStage); the window shows both and keeps
// the run's time.
#include "pipeline/burnerdevicegroup.h"
#include "pipeline/burningprocess.h"
#include "pipeline/burnstage.h"
#include "pipeline/cdburnstage.h"
#include "pipeline/qv_videodvdsetupdiscburnerform.h"

#include "vcl/forms.h"

#include <memory>
#include <string>

class TkivComboBox;
class TkivEdit;
class TkivGroupBox;
class TkivImageButton;
class TkivMemo;
class TkivProgressBar;
class TkivSkinForm;
class TLabel;
class TTimer;

class TQV_Video_DVD_Disc_Burning_Process_Form : public TForm,
                                                public BurningProcessSteps,
                                                public BurnView,
                                                public CdBurnView,
                                                public BurnerComboLists {
public:
    explicit TQV_Video_DVD_Disc_Burning_Process_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Disc_Burning_Process_Form() override;

    // --- the setup window's steps -------------------------------------------------------
    bool InitBurningProcess(int discType, std::shared_ptr<BurnFiles> files) override;
    void ShowBurningProcess() override;

    // --- components -------------------------------------------------------------------------
    TkivSkinForm* kivSkinForm1 = nullptr;
    TkivGroupBox* kivGroupBox1 = nullptr;   // "Burner Device"
    TkivComboBox* kivComboBox_Drive = nullptr;
    TkivComboBox* kivComboBox_WriteSpeed = nullptr;
    TkivEdit* kivEdit_VolumeName = nullptr;
    TkivMemo* Memo1 = nullptr;
    TTimer* Timer = nullptr;
    TLabel* Label_UsedTime = nullptr;
    TLabel* Label_RemainTime = nullptr;
    TkivProgressBar* kivProgressBar = nullptr;
    TkivImageButton* kivImageButton_Start = nullptr;
    TkivImageButton* kivImageButton_Stop = nullptr;
    TkivImageButton* kivImageButton1 = nullptr;   // close

    // --- fields -----------------------------------------------------------------------------
    std::shared_ptr<BurnFiles> Files = std::make_shared<BurnFiles>();
    int DiscType = 1;
    BurnClock Clock;
    bool Running() const;

    // The burners (the program's unless a test gives others before the set-up):
    // the DVD-writing engine as `engineLoader` binds it, and a CD burner.
    void SetBurners(std::function<bool(WritingEngine&)> engineLoader, std::unique_ptr<CdBurner> cd);
    BurnStage& DvdStage() { return *dvdStage_; }
    CdBurnStage& CdStage() { return *cdStage_; }

    // --- behaviour --------------------------------------------------------------------------
    void kivComboBox_DriveChange(TObject* Sender);
    void kivImageButton_StartClick(TObject* Sender);
    void kivImageButton_StopClick(TObject* Sender);
    void kivImageButton1Click(TObject* Sender);
    void TimerTimer(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    // The writer messages, the image's end and the CD write's end.
    void WndProc(TMessage& Message) override;

    // --- what the stages show ---------------------------------------------------------------
    HWND WindowHandle() override;
    void Log(const std::string& line) override;
    void SetWriteBar(int percent) override;
    void SetConvertingBar(int percent) override;
    void ShowWriting() override;
    void Repaint() override;
    bool TimerOn() override;
    void CountTick() override;
    void FinishRun(bool finished) override;
    void ConvertingOver() override;
    void ImageReady(const std::string& cuePath, const std::string& binPath) override;
    std::string VolumeName() override;
    void CdBurnStarting() override;
    void SetCdProgress(int position, int maximum) override;

private:
    TkivComboBox* DriveList() override { return kivComboBox_Drive; }
    TkivComboBox* SpeedList() override { return kivComboBox_WriteSpeed; }
    bool CdKind() const { return DiscType >= 2; }
    void ConnectStages();
    // Start hidden, Stop shown and the burner's controls locked, or the other way round.
    void ShowRunning(bool running);
    void StartCdRun();
    void StartDvdRun();

    std::unique_ptr<BurnStage> dvdStage_;
    std::unique_ptr<CdBurnStage> cdStage_;
    int cdStartTick_ = 0;   // Clock's tick when the CD write began
};

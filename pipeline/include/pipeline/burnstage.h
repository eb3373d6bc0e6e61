#pragma once
// The burn stage of the burning windows, free of any control: the DVD
// writer's set-up with its drive and speed lists, the medium check before a
// run, the write of an authored DVD folder through the writing engine with its
// messages, abort, tray and release, and the image of an SVCD or VCD run. A
// window shows it through a BurnView.
#include "pipeline/burnerview.h"
#include "pipeline/runmessages.h"
#include "pipeline/writingengine.h"
#include "win32/messages.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ThreadVCDImager;

// What the stage shows and asks of its window besides the writer's part.
// Boxes are the framework's message dialogs, which tests answer from a script.
class BurnView : public virtual BurnerView {
public:
    virtual void SetWriteBar(int percent) = 0;       // "Burning Process"
    virtual void SetConvertingBar(int percent) = 0;  // "Converting Process"
    virtual void ShowWriting() = 0;                  // Start hidden, Stop shown
    virtual bool TimerOn() = 0;
    // Seconds since the run began, for the time label.
    virtual void CountTick() = 0;
    // The convert part of the run is over (image built or building ends).
    virtual void ConvertingOver() = 0;
    // The CD image is ready: the CD burn of the window takes over.
    virtual void ImageReady(const std::string& cuePath, const std::string& binPath) = 0;
};

// What sets the burning windows apart in the stage they share.
struct BurnStageValues {
    int waitTicks;              // ticks of the window's timer the stage waits for a medium after "Yes"
    const char* maxSpeedText;   // the speed lines after an insert prompt
    const char* autoSpeedText;
    bool cancelFinishes;        // Cancel at the insert prompt ends the run as finished (else terminated)
};
// The disc builder: 40 ticks of 500 ms.
inline constexpr BurnStageValues kBuilderBurnValues{40, "Set Max. writing speed. ", "Auto set writing speed. ", true};
// The burning-process window: 20 ticks of 1000 ms.
inline constexpr BurnStageValues kBurningWindowBurnValues{20, "Set Max. write speed. ", "Auto set write speed. ", false};

class BurnStage {
public:
    // loader binds the engine's entries (the library's unless a test gives another).
    explicit BurnStage(BurnView& view, std::function<bool(WritingEngine&)> loader = {},
                       const BurnStageValues& values = kBuilderBurnValues);
    ~BurnStage();
    BurnStage(const BurnStage&) = delete;
    BurnStage& operator=(const BurnStage&) = delete;

    // --- the DVD writer -----------------------------------------------------------------
    // The set-up for the disc type: 0, 1 DVD; 2, 3 the CD image (nothing to set
    // up here); any other the "Burning mode error!" box and false.
    bool InitBurner(int discType);
    void OnDriveChange(int index);
    // Before a run: a writable DVD in the writer, or (without a DVD writer) a
    // CD drive that answers CdDriveReady; else the user may go on without a disc.
    bool CheckDiscBeforeRun();
    std::function<bool()> CdDriveReady;
    // Writes the authored folder (the parent of VIDEO_TS) under the label.
    // Asks for a writable DVD first; after Yes the stage waits for the medium
    // (up to the window's ticks) and goes on by itself. Without a DVD writer
    // the folder stays where it is, and the log says where.
    void StartDvdWrite(const std::string& discFolder, const std::string& volumeLabel);
    void WriterMessage(UINT message, WPARAM wparam);
    void AbortWrite();
    void CloseTray();
    // Hwe_Free and the engine unloaded (the window closes).
    void Release();

    // --- the CD image --------------------------------------------------------------------
    // Writes the control file for the MPEG files and builds the image named
    // after the volume in the working folder; the run ends on a failure.
    void StartImageStage(int discType, const std::string& volumeName, const std::string& workFolder,
                         const std::vector<std::string>& mpgs);
    void ImageDone(WPARAM result, LPARAM run);
    // The image's path (valid from StartImageStage on).
    const std::string& CuePath() const { return cuePath_; }
    const std::string& BinPath() const { return binPath_; }

    // --- the run ---------------------------------------------------------------------------
    // The window's tick: true when the tick is the stage's alone.
    bool TimerTick();
    // A run begins: the writer's media messages are logged for it.
    void RunBegun();
    // The run ended: a late message of its write is ignored, its image build
    // cancelled, and nothing more is logged for it.
    void RunEnded();

    bool WaitingForMedium() const { return waiting_; }
    bool Writing() const { return writing_; }
    bool ImageBuilding() const { return imageThread_ != nullptr; }
    WritingEngine& Engine() { return engine_; }

private:
    void NoSupport();
    void FillSpeeds();
    bool HasEngine() const { return engine_.EngineHandle != 0 && engine_.Hwe_Init != nullptr; }
    // The medium loop of the write: writes when a writable DVD is in.
    void TryWrite();
    void Write();
    void EndWait();
    void LogMedium(int type, int status);
    void EndImageBuild(bool cancel);
    // Why the engine's last write failed, "" when it does not say.
    std::string WriterReason();

    BurnView& view_;
    std::function<bool(WritingEngine&)> loader_;
    BurnStageValues values_;
    bool ended_ = false;   // the run is over: its writer says nothing more in the log
    WritingEngine engine_;
    bool writableDvdSeen_ = false;
    bool mediaEventSeen_ = false;
    bool closingLogged_ = false;
    bool promptless_ = true;
    bool waiting_ = false;
    int waitTicks_ = 0;
    bool writing_ = false;
    std::string discFolder_, volumeLabel_;

    int run_ = 0;   // counts runs, so that a late message of an ended one is known
    Library vcdModule_;
    std::unique_ptr<ThreadVCDImager> imageThread_;
    void (*getSwp_)(int*, int*) = nullptr;
    std::string cuePath_, binPath_;
};

// The writable DVD media types (MMC profiles) the write accepts.
bool WritableDvdType(int mediaType);
// The log text of a media type.
std::string MediaTypeText(int mediaType);
// The disc folder of a VIDEO_TS.IFO path: cut at its last '/' and then before "VIDEO_TS".
std::string DiscFolderOfIfo(const std::string& ifoPath);

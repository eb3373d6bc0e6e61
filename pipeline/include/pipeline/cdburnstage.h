#pragma once
// The CD burn of the burning windows, free of any control: the CD writer's
// set-up with its drive and speed lists, the disc check before a run, and the
// disc-at-once write of a built SVCD/VCD image (cue and bin) with its prompts,
// progress and end. A window shows it through a CdBurnView; the burner itself
// is a CdBurner (the program's is the cue burner of the disc-recording
// library, tests give a fake).
//
// The burner ends a write on its own writer thread: the stage only keeps the
// burner's text and posts MSG_CDWRITE_DONE to the window, which hands it back
// to WriteDone on the user-interface thread.
#include "pipeline/burnerview.h"
#include "pipeline/runmessages.h"
#include "win32/messages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The calls the stage makes into a CD burner.
class CdBurner {
public:
    virtual ~CdBurner() = default;
    // Binds the SCSI layer: the system's (false) or the built-in pass-through (true).
    virtual bool InitializeASPI(bool useSpti) = 0;
    virtual bool ASPIInitialized() = 0;
    virtual std::vector<std::string> Devices() = 0;
    virtual void SetDeviceID(const std::string& device) = 0;
    virtual std::uint16_t MaxWriteSpeed() = 0;   // kB/s, 0 when unknown
    virtual void SetWriteSpeed(std::uint16_t kbPerSecond) = 0;
    virtual bool Writable() = 0;
    virtual bool TestUnitReady(int timeoutMs) = 0;
    virtual bool LoadMedium(bool eject) = 0;
    virtual bool LockMedium(bool unlock) = 0;
    virtual std::uint8_t DiscType() = 0;         // 2 CD-R, 3 CD-RW
    virtual void ReadBufferCapacity() = 0;
    virtual std::uint32_t FreeBlocksOnDisc() = 0;
    virtual bool LoadCueFile(const std::string& path) = 0;
    virtual void SetCDTitle(const std::string& title) = 0;
    // Starts the write; false when it could not start. OnWriteDone runs when
    // the write ends ("" or the reason), on the writer thread or inside BurnCD.
    virtual bool BurnCD() = 0;
    // Why the last call failed: a drive's or the library's text, "" when
    // BurnCD found the disc not writable.
    virtual std::string LastError() = 0;
    virtual std::int64_t BytesToWrite() = 0;
    virtual std::int64_t BytesWritten() = 0;
    virtual void Abort() = 0;
    virtual void WaitForBurn() = 0;
    virtual bool Burning() = 0;
    std::function<void(const std::string& error)> OnWriteDone;
};

// The program's burner: the library's cue burner set for disc-at-once
// (cache 4 MB, underrun protection, no test write, no OPC).
std::unique_ptr<CdBurner> MakeCueBurner();

// What the stage shows and asks of its window besides the writer's part.
class CdBurnView : public virtual BurnerView {
public:
    virtual std::string VolumeName() = 0;
    // The write begins: the window sets its bars for it.
    virtual void CdBurnStarting() = 0;
    // The write's progress in kB of the image.
    virtual void SetCdProgress(int position, int maximum) = 0;
};

class CdBurnStage {
public:
    CdBurnStage(CdBurnView& view, std::unique_ptr<CdBurner> burner);
    ~CdBurnStage();
    CdBurnStage(const CdBurnStage&) = delete;
    CdBurnStage& operator=(const CdBurnStage&) = delete;

    // The set-up: the layer bound, the drives listed, the first chosen; false
    // when the writers cannot be used, saying why in a box when `tellWhy`.
    bool InitBurner(bool tellWhy = true);
    // Another drive chosen: its speeds listed ("Max." chosen), or "No Support!".
    void OnDriveChange(int index);
    // Before a run: the drive answers, or the user goes on without a disc.
    bool CheckDiscBeforeRun();
    // The drive answers TEST UNIT READY within 5 s (a disc is in). Without a
    // set-up the layer is bound and the first drive taken, quietly: the
    // window's lists are left alone.
    bool DriveReady();
    // The image is built: asks for a writable disc, checks it and the image
    // and starts the write; the run ends through FinishRun on every failure.
    void Burn(const std::string& cuePath, const std::string& binPath);
    // The window's tick: the write's progress; true while a write is shown.
    bool TimerTick();
    // MSG_CDWRITE_DONE arrived for `run`.
    void WriteDone(WPARAM run);
    // The window closes during a write: the write is aborted and waited for.
    void AbortBurn();
    // Close: the tray goes back in.
    void CloseTray();

    // The disc builder sets the drive's fastest speed when a drive is chosen;
    // the burning-process window only lists the speeds and sets one at the burn.
    bool SetSpeedOnDriveChange = true;

    bool CdBurning() const { return cdBurning_; }
    bool Writing() const;
    CdBurner& Burner() { return *burner_; }
    const std::string& CuePath() const { return cuePath_; }
    const std::string& BinPath() const { return binPath_; }

private:
    // Asks for a blank disc with the tray open; false on Cancel.
    bool AskForDisc();
    // The speed the chosen list item stands for, in kB/s.
    std::uint16_t ChosenSpeed();
    void Fail(const std::string& box);

    CdBurnView& view_;
    std::unique_ptr<CdBurner> burner_;
    std::vector<std::string> speeds_;   // the list's labels
    int driveIndex_ = -1;
    bool cdBurning_ = false;
    bool writing_ = false;
    bool aborted_ = false;
    int run_ = 0;
    int maximum_ = 0;
    std::string cuePath_, binPath_;
    // The write's end, as the writer thread left it.
    std::shared_ptr<std::mutex> doneMutex_;
    std::shared_ptr<std::string> doneError_;
};

// The speed list's labels for a drive writing at most `maxKbPerSecond`
// (a writable disc in it): the table's up to that speed, then "Max."; or
// "No Support!" alone.
std::vector<std::string> CdSpeedList(std::uint16_t maxKbPerSecond, bool writable);
// kB/s of a label ("CD-8 X" 1408); 0 for "Max.", "No Support!" or another text.
std::uint16_t CdSpeedOfLabel(const std::string& label);

// Box texts.
extern const char* const kCdInsertDiscText;
extern const char* const kCdImageTooLargeText;
extern const char* const kCdNoDevicesText;
extern const char* const kCdNoLayerText;

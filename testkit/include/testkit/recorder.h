#pragma once
// A virtual MMC CD/DVD recorder: a drive in the pass-through's table that
// answers the commands of the disc-recording library as a real recorder does
// and writes what it is sent into an image file.
//
//   CD media keep raw 2352-byte sectors from LBA 0. A disc-at-once burn sends
//   a cue sheet, then WRITE (10) from LBA -150: the pregap must be zeros and is
//   not stored; mode-2 (data form 0x20) sectors get their sync and header
//   (BCD MSF of LBA + 150), mode-1 (0x10) sectors their sync and header and
//   zeros for EDC/ECC, audio (0x00) and raw (0x21) sectors are stored as sent.
//   So the image of a burned .bin equals the .bin.
//   DVD media keep 2048-byte sectors at their LBA; runs of zero sectors past
//   the end of the file stay holes.
//
// Thread-safe: every command runs under one lock, as a drive runs one command
// at a time. Busy windows, late readiness and the write throttle go by the
// process's clock (CurrentClock), so tests drive them with a ManualClock.
#include "win32/scsi.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace testkit {

namespace recorder {
struct RecorderState;
}

enum class MediumKind {
    None,
    CdR,
    CdRw,
    CdRom,
    DvdRom,
    DvdR,
    DvdRw,               // sequential recording
    DvdRwRestricted,     // restricted overwrite
    DvdPlusR,
    DvdPlusRw,
    DvdRam,
};

// A disc as it goes into the tray.
struct Medium {
    MediumKind kind = MediumKind::None;
    bool complete = false;        // written and closed: nothing more can be written (ROM media always are)
    std::uint32_t capacity = 0;   // sectors; 0 = the kind's usual size
    std::uint32_t recorded = 0;   // sectors already written (a complete disc without image: 1000)
    std::string image;            // a complete or ROM disc read from this file
    bool rawSectors = false;      // that file holds 2352-byte CD sectors (a .bin), else 2048-byte ones

    static Medium Blank(MediumKind kind, std::uint32_t capacity = 0);
    static Medium Complete(MediumKind kind, std::uint32_t recorded = 1000);
    // A disc whose content is an image file (CD-ROM from a .bin, DVD-ROM from an .iso, ...).
    static Medium FromImage(MediumKind kind, const std::string& image, bool rawSectors);
};

// Usual sizes in sectors.
constexpr std::uint32_t kCdCapacity = 359849;          // 80 minutes
constexpr std::uint32_t kDvdMinusCapacity = 2298496;   // DVD-R, DVD-RW
constexpr std::uint32_t kDvdPlusCapacity = 2295104;    // DVD+R, DVD+RW
constexpr std::uint32_t kDvdRamCapacity = 2236704;

struct RecorderConfig {
    std::uint8_t peripheralType = 5;            // 4 for a write-once device
    std::string vendor = "KELDARA";             // padded to 8
    std::string product = "VIRTUAL RECORDER";   // padded to 16
    std::string revision = "1.00";              // padded to 4
    std::uint16_t maxWriteSpeed = 7056;         // kB/s (40x CD)
    std::uint16_t maxReadSpeed = 8467;          // kB/s (48x CD)
    std::uint32_t bufferBytes = 2048 * 1024;
    bool dvdRecorder = false;                   // DVD profiles and capabilities even without a DVD disc
    std::vector<std::uint16_t> dvdWriteSpeeds = {2770, 5540, 11080};   // kB/s, GET PERFORMANCE
    bool blockDescriptor = false;               // MODE SENSE replies carry an 8-byte block descriptor
    std::uint32_t syncBusyMs = 0;               // SYNCHRONIZE CACHE: 2/04/08 for this long
    std::uint32_t blankBusyMs = 0;              // BLANK and FORMAT UNIT: 2/04/07 for this long
    bool throttle = false;                      // writes fill a buffer that drains at the set write speed
    std::vector<std::uint8_t> unsupportedOpcodes;   // commands the drive does not know (5/20/00)
    std::string imagePath;                      // where written sectors go
};

// Faults the drive can be told to show.
struct RecorderFaults {
    bool refuseCueSheet = false;                // SEND CUE SHEET fails (5/26/00)
    int longWriteBusyWrites = 0;                // the next N writes answer 2/04/08 and store nothing
    int busyCommands = 0;                       // the next N commands answer BUSY status
    std::optional<std::int32_t> hardWriteErrorAt;   // a write covering this LBA fails with 3/0C/00
    std::uint8_t timeoutOpcode = 0;             // with timeoutOnNth: the host reports a time-out
    int timeoutOnNth = 0;                       //   on the n-th command of that opcode (from now)
    std::uint8_t refuseOpcode = 0;              // commands with this opcode (not 0) fail with refuseSense,
    int refuseOnNth = 0;                        //   only the n-th from now (0: every one)
    std::uint8_t refuseSense[3] = {0x03, 0x0C, 0x00};   // key, ASC, ASCQ: a write error
    int lateReadyCommands = 0;                  // after a load: 2/04/01 for N commands
    bool refuseFirstFormat = false;             // the first FORMAT UNIT fails (3/31/01)
    bool unitAttentionOnChange = false;         // a changed medium answers 6/28/00 once
    std::uint8_t stallOpcode = 0;               // the next command with this opcode (not 0) hangs
                                                //   until ReleaseStall, as a drive that stops answering

    // Only every command with `opcode` refused, with this sense (a write error unless told).
    static RecorderFaults Refusing(std::uint8_t opcode, std::uint8_t key = 0x03, std::uint8_t asc = 0x0C,
                                   std::uint8_t ascq = 0x00)
    {
        RecorderFaults faults;
        faults.refuseOpcode = opcode;
        faults.refuseSense[0] = key, faults.refuseSense[1] = asc, faults.refuseSense[2] = ascq;
        return faults;
    }
};

// One command as the drive saw it, and its answer.
struct RecordedCommand {
    std::vector<std::uint8_t> cdb;
    std::vector<std::uint8_t> data;   // the parameter list sent (never WRITE data)
    std::uint32_t timeoutMs = 0;      // the time-out the sender gave
    std::uint8_t status = 0;          // SCSI status
    std::uint16_t hostStatus = 0;
    std::uint8_t senseKey = 0, asc = 0, ascq = 0;
};

class VirtualRecorder : public ScsiTarget {
public:
    explicit VirtualRecorder(RecorderConfig config = {});
    ~VirtualRecorder() override;

    ScsiResult Execute(const ScsiCommand& command) override;
    bool Reset() override;

    // What a person does at the drive.
    void InsertMedium(const Medium& medium);   // closes the tray with that disc in it
    void RemoveMedium();                        // opens the tray and takes the disc out
    void OpenTray();                            // the eject button: does nothing while locked
    void CloseTray();

    void SetFaults(const RecorderFaults& faults);
    RecorderFaults Faults() const;
    // A command is hanging on the stall fault now.
    bool Stalled() const;
    void ReleaseStall();
    // Turns the write throttle on or off: writes fill the buffer, which drains
    // at the write speed last set (SET CD SPEED, SET STREAMING).
    void SetThrottle(bool on);

    // What it saw and where it stands.
    std::vector<RecordedCommand> Commands() const;
    std::vector<RecordedCommand> CommandsWithOpcode(std::uint8_t opcode) const;
    void ClearCommands();
    bool TrayOpen() const;
    bool Locked() const;
    MediumKind Kind() const;
    bool DiscComplete() const;
    std::int64_t NextWritableAddress() const;
    std::uint32_t RecordedSectors() const;
    std::vector<std::uint8_t> WriteParametersPage() const;   // page 05 as last selected
    std::vector<std::uint8_t> CueSheet() const;              // the accepted cue sheet
    std::uint16_t CurrentWriteSpeed() const;
    const RecorderConfig& Config() const { return config_; }

private:
    RecorderConfig config_;
    mutable std::mutex mutex_;
    std::unique_ptr<recorder::RecorderState> state_;
    std::condition_variable stallCv_;
    bool stalled_ = false;    // under mutex_
    bool released_ = false;
};

// A recorder in the pass-through's table for one scope.
class RegisteredRecorder {
public:
    explicit RegisteredRecorder(RecorderConfig config = {}, std::string name = "virtual recorder");
    ~RegisteredRecorder();
    RegisteredRecorder(const RegisteredRecorder&) = delete;
    RegisteredRecorder& operator=(const RegisteredRecorder&) = delete;

    VirtualRecorder& Recorder() { return *recorder_; }
    VirtualRecorder* operator->() { return recorder_.get(); }
    int Number() const { return number_; }

private:
    std::shared_ptr<VirtualRecorder> recorder_;
    int number_ = -1;
};

// "cdr", "cdrw", "cdr-complete", "cdrom", "dvdrom", "dvd-r", "dvd-r-complete",
// "dvd-rw", "dvd+r", "dvd+rw", "dvd-ram", "none": the medium a name stands for.
std::optional<Medium> MediumByName(const std::string& name);

} // namespace testkit

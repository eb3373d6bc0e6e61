// A drive whose every reply comes from the input, behind the library's own
// SCSI pass-through layer: it is probed and selected (INQUIRY, capabilities,
// write methods), its disc is read (type, information, room, the ISO volume),
// a short VCD-style image is burnt onto it disc at once and a two-track one
// track at once. Each command takes its answer from the input in turn:
//   kind byte: bits 0-1 GOOD (0), CHECK CONDITION (1), BUSY (2), host time-out (3);
//              bit 2: a residual of its own (4 bytes, big-endian) follows
//   GOOD:      reply length (2 bytes, big-endian), then that many reply bytes
//   CHECK:     sense length (1 byte, at most 64), then the sense bytes
// An input that has run out answers "medium not present". The process clock
// is a manual one, so that the library's waits and retries take no time.
#include "discrec/dkaspi.h"
#include "discrec/dkcueburner.h"
#include "discrec/dkspti.h"
#include "fuzztarget.h"
#include "rtl/clock.h"
#include "win32/scsi.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>

namespace {

class FuzzDrive : public ScsiTarget {
public:
    FuzzDrive(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    ScsiResult Execute(const ScsiCommand& command) override
    {
        std::lock_guard<std::mutex> guard(mutex_);
        ScsiResult result;
        if (at_ >= size_) {
            Sense(result, {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x3A, 0x00});
            return result;
        }
        const std::uint8_t kind = Take();
        const std::uint32_t room = command.direction == ScsiDirection::In && command.buffer ? command.length : 0;
        std::uint32_t count = 0;
        switch (kind & 0x03) {
        case 0: {
            const std::uint32_t wanted = (std::uint32_t{Take()} << 8) | Take();
            count = std::min<std::uint32_t>({wanted, room, static_cast<std::uint32_t>(size_ - at_)});
            if (count)
                std::memcpy(command.buffer, data_ + at_, count);
            at_ += count;
            break;
        }
        case 1: {
            std::vector<std::uint8_t> sense(std::min<std::size_t>(Take(), kScsiSenseSize));
            for (std::uint8_t& b : sense)
                b = Take();
            Sense(result, sense);
            break;
        }
        case 2: result.status = SAM_STAT_BUSY; break;
        default: result.hostStatus = DID_TIME_OUT; break;
        }
        result.residual = static_cast<std::int32_t>(room - count);
        if (kind & 0x04) {
            std::uint32_t residual = 0;
            for (int i = 0; i < 4; ++i)
                residual = (residual << 8) | Take();
            result.residual = static_cast<std::int32_t>(residual);
        }
        return result;
    }

private:
    std::uint8_t Take() { return at_ < size_ ? data_[at_++] : 0; }
    static void Sense(ScsiResult& result, const std::vector<std::uint8_t>& sense)
    {
        result.status = SAM_STAT_CHECK_CONDITION;
        result.driverStatus = DRIVER_SENSE;
        std::copy(sense.begin(), sense.end(), result.sense.begin());
        result.senseLength = static_cast<std::uint8_t>(sense.size());
    }

    std::mutex mutex_;
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// No drive of the machine is touched, and no wait takes time.
struct Setting {
    Setting()
    {
        ::unsetenv("KELDARA_VIRTUAL_RECORDER");
        const std::string root = fuzz::ScratchFile("drive_replies-block");
        std::filesystem::create_directories(root);
        ScsiSource source;
        source.sysClassBlockRoot = root;
        SetScsiSource(source);
        SetCurrentClock(&clock);
        // An image of 20 mode-2 sectors, its cue file, and one that makes two tracks of it.
        bin = fuzz::ScratchFile("drive_replies.bin");
        cue = fuzz::ScratchFile("drive_replies.cue");
        tracks = fuzz::ScratchFile("drive_replies-tracks.cue");
        std::string sectors(20 * 2352, '\0');
        for (std::size_t s = 0; s < 20; ++s) {
            std::memset(&sectors[s * 2352 + 1], 0xFF, 10);
            sectors[s * 2352 + 15] = 2;
        }
        fuzz::WriteFile(bin, sectors);
        fuzz::WriteFile(cue, "FILE \"" + bin + "\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n");
        fuzz::WriteFile(tracks, "FILE \"" + bin + "\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n"
                                "  TRACK 02 MODE2/2352\n    INDEX 00 00:00:08\n    INDEX 01 00:00:10\n");
    }
    ManualClock clock;
    std::string bin, cue, tracks;
};

// A burn never counts more than it had to write.
void BurnWith(TCueBurner& burner, const std::string& cue, TWriteMethod method)
{
    burner.WriteMethod = method;
    if (burner.LoadCueFile(cue) && burner.BurnCD())
        burner.WaitForBurn();
    if (burner.BytesWritten > burner.BytesToWrite)
        fuzz::Broken();
}

} // namespace

// Everything the target does with a drive.
void ExerciseDrive(std::shared_ptr<ScsiTarget> drive)
{
    static Setting setting;
    const int number = RegisterVirtualScsiDrive(std::move(drive), "fuzz drive");
    {
        TCueBurner burner(nullptr);
        if (burner.InitializeASPI(true, "") && burner.Devices().Count() > 0) {
            burner.SetDeviceID(burner.Devices()[0]);
            (void)burner.DiscType();
            const TDisc disc = burner.GetDiscInformation();
            if (disc.Present && disc.Description.empty())
                fuzz::Broken();
            (void)burner.FreeBlocksOnDisc();
            (void)burner.TotalBlocksOnDisc();
            (void)burner.UsedBlocksOnDisc();
            (void)burner.SessionsOnDisc();
            (void)burner.Erasable();
            (void)burner.MaxWriteSpeed();
            (void)burner.GetLastRecordedAddress();
            std::uint32_t total = 0, free = 0;
            if (burner.ReadBufferCapacity(total, free) && burner.DeviceFreeBufferSize() > std::max(total, free))
                fuzz::Broken();
            BurnWith(burner, setting.cue, wmDAO);
            BurnWith(burner, setting.tracks, wmTAO);
        }
    }
    SPTIDeInit();
    ASPIDLLLoaded = false;
    UnregisterVirtualScsiDrive(number);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ExerciseDrive(std::make_shared<FuzzDrive>(data, size));
    return 0;
}

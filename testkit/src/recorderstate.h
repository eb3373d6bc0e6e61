#pragma once
// The virtual recorder's inner state and the helpers its command handlers share.
#include "testkit/recorder.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testkit::recorder {

// ---- bytes ----
inline void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}
inline void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, v >> 16);
    Put16(b, at + 2, v & 0xFFFF);
}
// A reply of `size` zero bytes that descriptors are appended to: room for
// the longest reply is made at once.
inline std::vector<std::uint8_t> GrowingReply(std::size_t size)
{
    std::vector<std::uint8_t> b;
    b.reserve(256);
    b.resize(size, 0);
    return b;
}
// Appends `count` zero bytes to a reply; where they start.
inline std::size_t AppendZeros(std::vector<std::uint8_t>& b, std::size_t count)
{
    const std::size_t at = b.size();
    b.resize(at + count, 0);
    return at;
}
inline std::uint32_t Get16(const std::uint8_t* p) { return (std::uint32_t{p[0]} << 8) | p[1]; }
inline std::uint32_t Get24(const std::uint8_t* p) { return (std::uint32_t{p[0]} << 16) | Get16(p + 1); }
inline std::uint32_t Get32(const std::uint8_t* p) { return (Get16(p) << 16) | Get16(p + 2); }

// Absolute CD time of an LBA (LBA 0 is 00:02:00).
struct Msf {
    std::uint8_t m = 0, s = 0, f = 0;
};
Msf MsfOf(std::int64_t lba);
std::int64_t LbaOf(std::uint8_t m, std::uint8_t s, std::uint8_t f);
inline std::uint8_t Bcd(std::uint8_t v) { return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10)); }

// ---- answers ----
ScsiResult Good();
ScsiResult Check(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq);
// Copies a reply into the caller's buffer: at most the allocation length the
// command gave and the buffer holds; the rest counts as residual.
ScsiResult Reply(const ScsiCommand& command, const std::vector<std::uint8_t>& reply, std::uint32_t allocation);

// ---- the disc ----
bool IsCd(MediumKind kind);
bool IsDvd(MediumKind kind);
bool IsRom(MediumKind kind);
bool IsErasable(MediumKind kind);
bool IsSequentialDvd(MediumKind kind);   // DVD-R, DVD-RW sequential, DVD+R
std::uint16_t ProfileOf(MediumKind kind);
std::uint32_t UsualCapacity(MediumKind kind);

struct Track {
    int number = 1;
    std::int64_t start = 0;   // first sector (index 1)
    std::int64_t size = 0;    // sectors
    bool audio = false;
    bool xa = false;          // mode 2 (CD-ROM XA) sectors
};

// One cue-sheet entry as the drive keeps it.
struct CueEntry {
    std::uint8_t ctlAdr = 0, tno = 0, index = 0, dataForm = 0;
    std::int64_t lba = 0;
};
// Bytes the host sends per sector for a cue-sheet data form; 0 when the drive makes them.
std::uint32_t HostSectorSize(std::uint8_t dataForm);

// An image file written and read by sector.
class SectorFile {
public:
    ~SectorFile();
    bool Open(const std::string& path, bool truncate);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // Writes bytes at an offset; with sparse set, blocks of zeros past the
    // file's end are left as holes (the file still grows over them).
    bool Write(std::uint64_t offset, const std::uint8_t* data, std::size_t length, bool sparse,
               std::size_t blockSize = 2048);
    // Reads bytes at an offset; bytes past the end read as zeros.
    bool Read(std::uint64_t offset, std::uint8_t* data, std::size_t length) const;
    bool Truncate(std::uint64_t size);
    std::uint64_t Size() const;

private:
    int fd_ = -1;
};

struct RecorderState {
    // The tray and the disc in it.
    bool trayOpen = false;
    bool locked = false;
    Medium medium;                  // kind None: no disc
    bool complete = false;
    bool formatted = true;          // DVD+RW: false until formatted
    std::uint32_t capacity = 0;
    std::uint32_t recorded = 0;     // sectors from LBA 0 that hold data
    std::int64_t nextWritable = 0;
    std::vector<recorder::Track> tracks;
    std::vector<recorder::Track> pma;   // tracks written track at once, as the PMA lists them
    std::uint32_t reserved = 0;         // sectors RESERVE TRACK set aside for the open track, 0 none

    // Disc-at-once writing on CD.
    std::vector<std::uint8_t> cueSheet;
    std::vector<recorder::CueEntry> cue;
    bool sessionOpen = false;       // a cue sheet was accepted and the disc is not closed yet
    std::int64_t expected = 0;      // the LBA the next WRITE must start at

    // Track-at-once writing on CD: tracks are written one by one at the next
    // writable address; SYNCHRONIZE CACHE (or CLOSE TRACK) closes a track, the
    // drive writes the next one's 150-sector pregap, CLOSE SESSION closes the session.
    bool taoSession = false;        // tracks were written in a session that is not closed yet
    bool taoTrack = false;          // the open track holds data and is not closed
    std::int64_t taoStart = 0;      // where the open track's data begins
    std::int64_t pregapFrom = -1;   // where the next track's pregap begins (-1: the disc's first track)
    bool taoAudio = false, taoXa = false;

    // Where sectors live: the recorder's image for what it wrote, the medium's own image for ROM.
    recorder::SectorFile written;
    recorder::SectorFile content;

    std::vector<std::uint8_t> page05;
    std::uint16_t readSpeed = 0;
    std::uint16_t writeSpeed = 0;

    RecorderFaults faults;
    std::map<std::uint8_t, int> opcodeCounts;   // since the faults were set
    std::uint64_t busyUntil = 0;                // clock time a busy window ends
    std::uint8_t busyAscq = 0;                  // 04/07 or 04/08 during it
    int lateReady = 0;
    bool unitAttention = false;
    bool formatRefused = false;

    bool throttle = false;
    std::uint64_t bufferFill = 0;
    std::uint64_t lastDrain = 0;

    std::vector<RecordedCommand> log;
};

// The command handlers, each under the recorder's lock.
using Handler = ScsiResult (*)(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command);

// Replies about the drive and the disc.
ScsiResult Inquiry(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult GetConfiguration(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ModeSense(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ModeSelect(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ReadDiscInformation(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ReadTrackInformation(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ReadToc(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ReadCapacity(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ReadFormatCapacities(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ReadBufferCapacity(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult GetPerformance(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ReadDvdStructure(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult GetEventStatus(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult MechanismStatus(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult SetCdSpeed(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult SetStreaming(RecorderState&, const RecorderConfig&, const ScsiCommand&);
std::vector<std::uint8_t> DefaultPage05();

// Writing, reading, closing and erasing.
ScsiResult SendCueSheet(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult Write10(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult Read10(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ReadCd(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult ReserveTrack(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult SynchronizeCache(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult CloseTrackSession(RecorderState&, const RecorderConfig&, const ScsiCommand&);
// Bytes the host sends per sector for a write parameters page's data block type; 0 for one not taken.
std::uint32_t BlockSize(std::uint8_t blockType);
ScsiResult Blank(RecorderState&, const RecorderConfig&, const ScsiCommand&);
ScsiResult FormatUnit(RecorderState&, const RecorderConfig&, const ScsiCommand&);

// A sector of the disc as 2352 bytes (a 2048-byte one in mode 1 form); false past what was recorded.
bool RawSector(const RecorderState& s, std::int64_t lba, std::uint8_t* raw);

// Shared by both: the disc as the drive sees it.
void LoadDisc(RecorderState& s, const RecorderConfig& config);   // from s.medium
void ResetToBlank(RecorderState& s, const RecorderConfig& config);
void StartBusy(RecorderState& s, std::uint32_t ms, std::uint8_t ascq);
// Lets the buffer drain to the clock's time.
void Drain(RecorderState& s);
std::uint32_t BufferFree(const RecorderState& s, const RecorderConfig& config);
bool DvdCapable(const RecorderState& s, const RecorderConfig& config);

} // namespace testkit::recorder

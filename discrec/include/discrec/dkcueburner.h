#pragma once
// TCueBurner: writes a CD from a cue file and its image files.
//
//   LoadCueFile   reads the cue file into files, tracks and indices;
//   BuildCueSheet turns them into the MMC cue sheet, the read queue of the
//                 cache thread and BytesToWrite;
//   BurnCD        checks the disc, holds the drive for itself, fills the
//                 read-ahead cache and starts the writer thread, which writes
//                 the image and closes the disc, then calls OnWriteDone with ""
//                 or the reason it failed.
//
// Write methods: disc at once (wmDAO, wmSAO) sends the cue sheet and writes
// the whole disc from LBA -150. Track at once (wmTAO) writes each track at the
// drive's next writable address with its own write parameters, closes it with
// SYNCHRONIZE CACHE (the drive then writes the next track's 2-second pregap),
// and closes the session at the end; another may follow unless FinalizeDisc.
//
// Track types and their sectors in the image file: AUDIO and CDG 2352 bytes,
// MODE1/2048 2048, MODE1/2352 2352, MODE2/2352 2352, MODE2/2048 2048 (the data
// of mode 2 form 1 sectors, burnt as MODE2/2352), CDI/2336 2336, CDI/2352 2352.
// Each goes to the drive as its data form takes it; the library makes the sync,
// header, sub-header and codes a form needs from what the file holds.
#include "discrec/dkdrvlib.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TFileType { ftWave, ftMP3, ftBinary, ftMotorola, ftAIFF, ftPreGap, ftPostGap, ftNone };
enum TTrackType { ttAudio, ttCDG, ttMode1_2048, ttMode1_2352, ttMode2_2336, ttMode2_2352, ttCDI2336, ttCDI2352, ttNone };

// Bytes per sector of a track type in its image file.
std::uint32_t SectorSizeOf(TTrackType type);
// The cue sheet's data form of a track type's sectors (0x00 audio, 0x10 mode 1, 0x20 mode 2, 0x21 raw mode 2).
std::uint8_t DataFormOf(TTrackType type);

struct TTrack {
    TTrackType TrackType = ttNone;
    bool DCP = false;            // copy permitted
    bool FourCh = false;
    bool PreEmphasis = false;
    std::uint32_t PreGap = 0;    // sectors
    std::uint32_t PostGap = 0;
    std::vector<std::uint32_t> Indices;   // start sectors, relative to the file
    std::uint32_t SectorSize = 0;         // bytes of each sector in the file
};

struct TFiles {
    std::string FileName;
    TFileType FileType = ftNone;
    std::int64_t Size = 0;         // 2352-byte sectors (the last one may be short)
    std::int64_t Bytes = 0;        // bytes of sector data (a WAVE file's data chunk)
    std::int64_t DataOffset = 0;   // bytes before the sectors (a WAVE header)
    std::vector<TTrack> Tracks;
    std::vector<std::uint32_t> IndexLength;   // sectors of each index of the file, in order
    std::vector<std::int64_t> IndexOffset;    // where each index's data starts, bytes after DataOffset
    std::uint32_t LastIndex = 0;              // where the file's last index so far starts (with IndexLength)
};

// One stretch of the image the cache reads ahead: from a file, or zeros (no file name).
struct TQueEntry {
    std::string FileName;
    TFileType FileType = ftNone;
    TTrackType TrackType = ttNone;
    std::int64_t Offset = 0;   // bytes into the file
    std::int64_t Count = 0;    // bytes, whole sectors
    bool Gap = false;
    bool Done = false;
    std::uint32_t SectorSize = 2352;   // bytes of each sector read (a gap's are 2352)
    int Track = 1;                     // the disc's track it belongs to
};

using TWriteDoneEvent = std::function<void(TObject* Sender, const std::string& Error)>;

class TCueCacheThread;
class TThreadedWrite;

class TCueBurner : public TSCSIDevice {
public:
    explicit TCueBurner(TComponent* AOwner);
    ~TCueBurner() override;

    // ---- the cue file ----
    // False with the reason as the last error text ("INVALID COMMAND "REM"", ...).
    bool LoadCueFile(const std::string& FileName);
    void ClearAll();
    bool AddFile(const std::string& Name, TFileType FileType);
    // A disc holds tracks 1 to 99: a 100th is refused. SectorSize: bytes of each
    // of its sectors in the file, 0 for the track type's own.
    bool AddTrack(TTrackType TrackType, std::uint32_t SectorSize = 0);
    bool AddIndexMSF(std::uint8_t M, std::uint8_t S, std::uint8_t F);
    bool AddIndexLBA(std::uint32_t LBA);
    void SetPreGap(std::uint32_t Sectors);
    void SetPostGap(std::uint32_t Sectors);
    void SetGapsMSF(std::uint8_t PreM, std::uint8_t PreS, std::uint8_t PreF, std::uint8_t PostM, std::uint8_t PostS,
                    std::uint8_t PostF);
    void SetFlags(bool DCP, bool PRE, bool FourCh);
    // The cue sheet, the read queue and BytesToWrite (2352 bytes a sector) from
    // the files; false for an empty model. The sectors of a file before its
    // first index are no track's and are not written.
    bool BuildCueSheet();
    std::uint16_t AddToCueSheet(const std::array<std::uint8_t, 8>& Entry);
    static std::string LBA2MSFStr(std::uint32_t LBA);
    static bool ValidWave(const std::string& Name);
    // Bytes of the WAVE data chunk (-1 when none), and where it starts.
    static std::int64_t AudioFileSize(const std::string& Name, std::int64_t& HeaderSize);

    const std::vector<TFiles>& Files() const { return files_; }
    // CueIndex entries of 8 bytes.
    const std::vector<std::uint8_t>& CueSheet() const { return cueSheet_; }
    int CueIndex() const { return static_cast<int>(cueSheet_.size() / 8); }
    const std::vector<TQueEntry>& Que() const { return que_; }

    // ---- burning ----
    bool Writable();
    // Starts the burn; false when it could not start (OnWriteDone tells why
    // when the drive or the image failed, the last error text otherwise).
    bool BurnCD();
    bool DoBurn();
    // Stops a burn; the writer ends with "OPERATION ABORTED BY USER".
    void Abort();
    // Waits for a burn to end (its OnWriteDone has returned).
    void WaitForBurn();
    bool Burning() const;
    // Cache fill in percent of CacheSize; 0 without a cache.
    int BufferProgress() const;
    // Page 5 for the whole disc (track mode 4, data block type 0 at once, 13
    // track at once) or, Closing track at once, for the session's end.
    bool SetWriteParamsAudio(bool Underrun, bool MultiSession, std::uint8_t SessionFormat, bool CopyBit, bool Closing);

    std::atomic<std::int64_t> BytesWritten{0};
    std::atomic<std::int64_t> BytesToWrite{0};

    bool UnderrunProtection = true;
    bool FinalizeDisc = false;
    bool TestWrite = false;
    TWriteMethod WriteMethod = wmTAO;
    bool PerformOPC = false;
    std::string CDTitle, CDSongWriter, CDPerformer, CDCatalog;   // kept, not written
    TWriteDoneEvent OnWriteDone;

    std::string Version() const { return "1.20.0"; }
    void SetDKBVersion(const std::string&) {}
    std::int64_t CacheSize() const { return cacheSize_; }
    void SetCacheSize(std::int64_t Bytes);

private:
    friend class TThreadedWrite;
    // The disc's tracks in order (number 1 first), with the type of the file each is in.
    struct TDiscTrack {
        const TTrack* Track;
        TFileType FileType;
    };
    std::vector<TDiscTrack> DiscTracks() const;
    bool WriteParamsPage(bool Underrun, bool MultiSession, std::uint8_t SessionFormat, bool CopyBit, bool Closing,
                         std::uint8_t TrackMode, std::uint8_t BlockType);
    // Where the drive writes the disc's open track next; false when it does not say.
    bool NextWritableAddress(std::int32_t& Address);
    // Tells a burn that could not start why: debug line, last error text, OnWriteDone.
    void Fail(const std::string& text);
    // The end of a burn: the layer refreshed, the drive let go, then OnWriteDone.
    void FinishBurn(const std::string& error);
    bool CueError(std::string_view text);

    std::vector<TFiles> files_;
    std::size_t tracks_ = 0;   // over every file
    std::vector<std::uint8_t> cueSheet_;
    std::vector<TQueEntry> que_;
    std::int64_t cacheSize_ = 4194304;
    std::atomic<bool> abortWrite_{false};

    mutable std::mutex burnMutex_;
    std::shared_ptr<TCueCacheThread> cache_;
    std::unique_ptr<TThreadedWrite> writer_;
    std::shared_ptr<ScsiDriveHandle> exclusive_;
};

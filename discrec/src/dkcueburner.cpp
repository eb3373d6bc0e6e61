// TCueBurner: the disc-at-once burn and its writer thread.
#include "discrec/dkcueburner.h"

#include "discrec/dkaspi.h"
#include "discrec/dkconst.h"
#include "discrec/dkcuecache.h"
#include "rtl/clock.h"
#include "rtl/thread.h"
#include "win32/cdsector.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::uint32_t kRawSector = 2352;
constexpr std::int64_t kMinCacheSize = 2097152;
constexpr std::uint64_t kCacheWaitMs = 60000;
constexpr int kBusyRetries = 5000;

// What the drive takes of each sector: where it begins in the sector's 2352 bytes, and how many bytes.
struct SentPart {
    std::uint32_t from = 0;
    std::uint32_t size = kRawSector;
};

// Disc at once: as the cue sheet's data form of the track says.
SentPart DiscAtOncePart(std::uint8_t dataForm)
{
    switch (dataForm) {
    case 0x10: return {16, 2048};   // mode 1: the user data; the drive makes the rest
    case 0x20: return {16, 2336};   // mode 2: all after the header
    default: return {0, kRawSector};   // audio and raw mode 2 sectors whole
    }
}

// A sector as it lies on the disc, from what the image file holds of it: a
// 2336-byte sector lacks its sync and header, a 2048-byte one holds only the
// user data of a mode 1 or a mode 2 form 1 sector.
void RawSectorOf(const std::uint8_t* in, std::uint32_t size, TTrackType type, std::int32_t lba, std::uint8_t* raw)
{
    std::memset(raw, 0, kRawSector);
    if (size == 2336) {
        CdSectorHeader(raw, lba, 2);
        std::memcpy(raw + 16, in, 2336);
        return;
    }
    if (type == ttMode1_2048 || type == ttMode1_2352) {
        CdSectorHeader(raw, lba, 1);
        std::memcpy(raw + 16, in, 2048);
    } else {
        CdSectorHeader(raw, lba, 2);
        std::memcpy(raw + 16, kCdForm1SubHeader, sizeof kCdForm1SubHeader);
        std::memcpy(raw + 24, in, 2048);
    }
    CdSectorCodes(raw);
}

// Track at once, page 5 tells the drive each track's sectors: audio whole, mode
// 1 as its 2048 data bytes, mode 2 as the 2332 bytes from the sub-header on
// (data block type 13: the drive makes EDC and ECC by the sub-header's form).
struct TrackAtOnceMode {
    std::uint8_t trackMode;
    std::uint8_t blockType;
};

TrackAtOnceMode TrackAtOnceModeOf(const TTrack& track, TFileType file)
{
    const bool audio = file == ftWave || track.TrackType == ttAudio || track.TrackType == ttCDG;
    std::uint8_t mode = audio ? 0x00 : 0x04;
    if (track.DCP)
        mode |= 0x02;
    if (audio && track.PreEmphasis)
        mode |= 0x01;
    if (audio && track.FourCh)
        mode |= 0x08;
    const bool mode1 = track.TrackType == ttMode1_2048 || track.TrackType == ttMode1_2352;
    return {mode, static_cast<std::uint8_t>(audio ? 0 : mode1 ? 8 : 13)};
}

SentPart TrackAtOncePart(std::uint8_t blockType)
{
    switch (blockType) {
    case 8: return {16, 2048};
    case 13: return {16, 2332};
    default: return {0, kRawSector};
    }
}

// Track types the library writes; a mode 2 track of 2336-byte sectors has no
// data form of its own in the cue sheet.
bool Burnable(TTrackType type) { return type != ttMode2_2336 && type != ttNone; }

std::string SpeedText(std::uint16_t speed, bool cd)
{
    return FormatFloat("0.0", speed / (cd ? 176.4 : 1385.0)) + "X (" + FormatFloat("#,##0", speed) + " KB/s)";
}

} // namespace

// The writer: sends the cue sheet and writes the cache's blocks from LBA -150
// (disc at once), or writes track after track at the drive's next writable
// address (track at once); closes the disc and reports through the burner's OnWriteDone.
class TThreadedWrite : public TThread {
public:
    TThreadedWrite(TCueBurner& burner, std::shared_ptr<TCueCacheThread> cache)
        : TThread(true), burner_(burner), cache_(std::move(cache))
    {
        // What track at once needs of the tracks, taken now: the files may be loaded anew while it writes.
        for (const TCueBurner::TDiscTrack& track : burner.DiscTracks()) {
            modes_.push_back(TrackAtOnceModeOf(*track.Track, track.FileType));
            xa_ = xa_ || modes_.back().blockType == 13;
        }
    }
    ~TThreadedWrite() override
    {
        Terminate();
        WaitFor();
    }

protected:
    void Execute() override;

private:
    // WRITE (10) of one block, retried while the drive is busy; "" or the reason it failed.
    std::string WriteBlock(std::int32_t address, std::uint16_t sectors, const std::uint8_t* data, std::uint32_t bytes);
    // Track at once, before a track's first block: the track before it closed
    // (all but the first), the track's write parameters, where it starts; "" or why not.
    std::string StartTrack(int track, bool first, std::int32_t& address);
    // Track at once: CLOSE SESSION, retried while the drive is busy or not ready; "" or why not.
    std::string CloseSession();
    // Flushes and closes the disc and lets the tray go; "" or why the disc may not be closed.
    std::string Close(std::uint8_t kind);
    void StopCache()
    {
        cache_->Abort();
        cache_->WaitFor();
    }

    TCueBurner& burner_;
    std::shared_ptr<TCueCacheThread> cache_;
    std::vector<TrackAtOnceMode> modes_;   // of each track, number 1 first
    bool xa_ = false;                      // a mode 2 track is among them: a CD-ROM XA disc
};

std::string TThreadedWrite::WriteBlock(std::int32_t address, std::uint16_t sectors, const std::uint8_t* data,
                                       std::uint32_t bytes)
{
    const std::uint8_t cdb[10] = {0x2A,
                                  0,
                                  static_cast<std::uint8_t>(static_cast<std::uint32_t>(address) >> 24),
                                  static_cast<std::uint8_t>(static_cast<std::uint32_t>(address) >> 16),
                                  static_cast<std::uint8_t>(static_cast<std::uint32_t>(address) >> 8),
                                  static_cast<std::uint8_t>(address),
                                  0,
                                  static_cast<std::uint8_t>(sectors >> 8),
                                  static_cast<std::uint8_t>(sectors),
                                  0};
    const std::vector<std::uint8_t> command(cdb, cdb + sizeof cdb);
    for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
        TSRB_ExecSCSICmd srb;
        if (burner_.Run(command, SRB_DIR_OUT, const_cast<std::uint8_t*>(data), bytes, 120000, &srb) ||
            srb.SRB_Status == SS_PENDING)
            return {};
        const TScsiErrorRecord record = burner_.ErrorRecord();
        const std::uint8_t key = record.Sense[2] & 0x0F;
        const bool checkCondition = srb.SRB_HaStat == HASTAT_OK && srb.SRB_TargStat == TARGSTAT_CHECK_CONDITION;
        const bool busy = record.TargetBusy || (record.SenseValid && IsNotReadyYet(record.Sense.data())) ||
                          (checkCondition && key == 0);
        if (!busy)
            return std::string(ERR_WRITEERROR) + " [" + record.LastError + "]";
        if (burner_.abortWrite_)
            return std::string(ERR_ABORTED);
        Sleep(100);
    }
    return std::string(ERR_DEVICEBUSY);
}

void TThreadedWrite::Execute()
{
    TCueBurner& b = burner_;
    SetCurrentThreadPriority(tpTimeCritical);   // best effort
    const bool tao = b.WriteMethod == wmTAO;
    b.BytesWritten = tao ? 352800 : 0;
    const std::uint8_t kind = b.DiscType();
    // The drive is woken, loaded and wound back; SEND CUE SHEET below tells
    // whether it took the disc, so these answers decide nothing by themselves.
    (void)b.TestUnitReady(5000);
    (void)b.LoadMedium(false);
    (void)b.TestUnitReady(5000);
    (void)b.Rewind();
    (void)b.SetCDSpeed(b.ReadSpeed(), b.WriteSpeed());   // a refused speed leaves the drive's own
    const std::uint16_t speed = b.CurrentWriteSpeed();
    std::string error;
    // Track at once writes each track's own page when it starts.
    if (!tao && !b.SetWriteParamsAudio(b.UnderrunProtection, false, 0, false, false))
        error = CommandFailedText(0x55, b.LastError());
    (void)b.ReadDiscInformation();   // only for the debug lines: the disc was checked before the burn
    b.DebugMsg(Format(std::string(MSG_WRITESTART), std::string(DiscTypeString.at(kind)), SpeedText(speed, IsCDKind(kind))),
               1);
    if (b.TestWrite)
        b.DebugMsg(std::string(MSG_TESTWRITE), 1);

    const std::vector<std::uint8_t> sheet = b.CueSheet();
    if (!tao && error.empty() && !b.SendCueSheet(sheet.data(), static_cast<std::uint32_t>(sheet.size())))
        error = std::string(CUESEND_ERR) + " [" + b.LastError() + "]";
    if (!error.empty()) {
        b.DebugMsg(">>> BURN PROCESS START FAILED", 1);
        StopCache();
        Sleep(1000);
        b.FinishBurn(error);
        return;
    }
    b.DebugMsg(">>> BURN PROCESS STARTED", 1);

    std::int32_t address = -150;
    std::unique_ptr<TCacheBlock> block;
    std::vector<std::uint8_t> sent;
    std::vector<std::uint8_t> raw(kRawSector);
    int track = 0;   // track at once: the one being written
    SentPart part;
    int blocks = 0;
    for (;;) {
        const int got = cache_->WaitFirst(block, b.abortWrite_);
        if (b.abortWrite_) {
            StopCache();
            error = ERR_ABORTED;
            Sleep(100);
            break;
        }
        if (got == 0)
            break;
        if (got < 0) {
            error = cache_->Error();
            if (error.empty())
                error = ERR_SREADERROR;
            break;
        }
        if (tao && block->Track != track) {
            error = StartTrack(block->Track, track == 0, address);
            track = block->Track;
            if (!error.empty()) {
                StopCache();
                break;
            }
            part = TrackAtOncePart(modes_.at(static_cast<std::size_t>(track - 1)).blockType);
        }
        const auto sectors = static_cast<std::uint16_t>(block->Sectors());
        b.BytesWritten += std::int64_t{sectors} * kRawSector;
        // Each sector goes out as the drive takes it for its track.
        if (!tao)
            part = DiscAtOncePart(DataFormOf(block->TrackType));
        sent.resize(std::size_t{sectors} * part.size);
        for (std::uint32_t i = 0; i < sectors; ++i) {
            const std::uint8_t* sector = block->Data.data() + std::size_t{i} * block->SectorSize;
            if (block->SectorSize != kRawSector) {
                RawSectorOf(sector, block->SectorSize, block->TrackType, address + static_cast<std::int32_t>(i),
                            raw.data());
                sector = raw.data();
            }
            std::memcpy(sent.data() + std::size_t{i} * part.size, sector + part.from, part.size);
        }
        if (++blocks % 5 == 0) {
            std::uint32_t total = 0, free = 0;
            (void)b.ReadBufferCapacity(total, free);   // only refreshes the buffer figures
        }
        error = WriteBlock(address, sectors, sent.data(), static_cast<std::uint32_t>(sent.size()));
        if (!error.empty()) {
            StopCache();
            break;
        }
        address += sectors;
    }

    const std::string closeError = Close(kind);
    if (error.empty())
        error = cache_->Error();
    if (error.empty())
        error = closeError;
    if (!error.empty())
        StopCache();
    cache_->WaitFor();
    b.FinishBurn(error);
}

std::string TThreadedWrite::StartTrack(int track, bool first, std::int32_t& address)
{
    TCueBurner& b = burner_;
    if (!first) {
        // The drive closes the track it was writing once it has written what it holds.
        if (!b.FlushCache(300000, false))
            return CommandFailedText(0x35, b.LastError());
        (void)b.TestUnitReady(5000);   // both only position the drive
        (void)b.Rewind();
        (void)b.ReadDiscInformation();
    }
    const TrackAtOnceMode& mode = modes_.at(static_cast<std::size_t>(track - 1));
    if (!b.WriteParamsPage(b.UnderrunProtection, false, 0, false, false, mode.trackMode, mode.blockType))
        return CommandFailedText(0x55, b.LastError());
    if (!b.NextWritableAddress(address))
        return std::string(ERR_NEXTADRESS) + " [" + b.LastError() + "]";
    if (b.PerformOPC)
        (void)b.SendOPC();   // a drive without power calibration writes at its own
    return {};
}

std::string TThreadedWrite::CloseSession()
{
    TCueBurner& b = burner_;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (b.CloseTrack(true, true, 0))
            return {};
        const TScsiErrorRecord record = b.ErrorRecord();
        const std::uint8_t key = record.Sense[2] & 0x0F;
        if (!record.TargetBusy && !(record.SenseValid && key == 0x02))
            break;
        Sleep(1000);
    }
    return CommandFailedText(0x5B, b.LastError());
}

std::string TThreadedWrite::Close(std::uint8_t kind)
{
    TCueBurner& b = burner_;
    std::string error;
    b.mediumCommand_ = true;
    // The disc is closed once the drive has written what it holds: a flush that
    // fails or never ends leaves a disc that is not closed.
    if (!b.FlushCache(120000, true))
        error = CommandFailedText(0x35, b.LastError());
    if (error.empty() && b.WriteMethod == wmTAO) {
        // The session's lead-in and lead-out: a CD-ROM XA disc when its tracks are mode 2.
        if (!b.SetWriteParamsAudio(b.UnderrunProtection, !b.FinalizeDisc, xa_ ? 0x20 : 0x00, false, true))
            error = CommandFailedText(0x55, b.LastError());
        else
            error = CloseSession();
    }
    if (error.empty() && !b.WaitForReady(240000, 5000))
        error = CommandFailedText(0x35, std::string(ERR_TIMEOUT));
    // The next burn writes its own page: a refused reset leaves nothing wrong.
    (void)b.SetWriteParams(false, b.UnderrunProtection, dkCDR);
    // The disc stayed in the drive throughout: a refused load changes nothing.
    (void)b.LoadMedium(false);
    // A tray that stays locked keeps the disc from the user: that is a failure too.
    if (!b.LockMedium(true) && error.empty())
        error = CommandFailedText(0x1E, b.LastError());
    b.mediumCommand_ = false;
    if (kind != dkDVDR && kind != dkDVDRAM && kind != dkDVDRWRestricted && kind != dkDVDRWSequential &&
        kind != dkDVDPLUSRW)
        (void)b.Rewind();   // positioning only
    return error;
}

TCueBurner::TCueBurner(TComponent* AOwner) : TSCSIDevice(AOwner) {}

TCueBurner::~TCueBurner()
{
    Abort();
    WaitForBurn();
    std::lock_guard<std::mutex> guard(burnMutex_);
    cache_.reset();
}

void TCueBurner::SetCacheSize(std::int64_t Bytes) { cacheSize_ = std::max(Bytes, kMinCacheSize); }

bool TCueBurner::Writable()
{
    if (!ReadDiscInformation())
        return false;
    return (DiscInfo()[2] & 0x02) == 0;
}

void TCueBurner::Abort()
{
    abortWrite_ = true;
    std::lock_guard<std::mutex> guard(burnMutex_);
    if (cache_)
        cache_->Wake();
}

bool TCueBurner::Burning() const
{
    std::lock_guard<std::mutex> guard(burnMutex_);
    return writer_ && !writer_->Finished();
}

void TCueBurner::WaitForBurn()
{
    std::unique_ptr<TThreadedWrite> writer;
    {
        std::lock_guard<std::mutex> guard(burnMutex_);
        // Asked from the writer itself (an OnWriteDone handler): it is ending already.
        if (!writer_ || writer_->ThreadID() == std::this_thread::get_id())
            return;
        writer = std::move(writer_);
    }
    if (writer)
        writer->WaitFor();
}

int TCueBurner::BufferProgress() const
{
    std::lock_guard<std::mutex> guard(burnMutex_);
    if (!cache_ || cacheSize_ <= 0)
        return 0;
    return static_cast<int>(std::lround(static_cast<double>(cache_->HeldBytes()) * 100.0 / cacheSize_));
}

bool TCueBurner::SetWriteParamsAudio(bool Underrun, bool MultiSession, std::uint8_t SessionFormat, bool CopyBit,
                                     bool Closing)
{
    return WriteParamsPage(Underrun, MultiSession, SessionFormat, CopyBit, Closing, 0x04,
                           WriteMethod == wmTAO ? 13 : 0);
}

bool TCueBurner::WriteParamsPage(bool Underrun, bool MultiSession, std::uint8_t SessionFormat, bool CopyBit,
                                 bool Closing, std::uint8_t TrackMode, std::uint8_t BlockType)
{
    TModePage mode;
    if (!ReadModePage(0x05, false, 512, mode) || mode.length < 16)   // up to the audio pause length
        return false;
    std::uint8_t* p = mode.Bytes();
    const bool tao = WriteMethod == wmTAO;
    std::uint8_t byte2 = tao ? 1 : 2;
    if (Underrun && Capabilities().Contains(dcUnderrunProtection))
        byte2 |= 0x40;
    if (TestWrite)
        byte2 |= 0x10;
    const std::uint8_t multiSession = !TestWrite && MultiSession ? 0xC0 : 0;
    std::uint8_t byte3 = static_cast<std::uint8_t>(TrackMode | multiSession);
    std::uint8_t blockType = BlockType;
    if (tao && Closing) {
        // Whether another session may follow is the closing page's to say (FinalizeDisc closes the disc).
        byte3 = static_cast<std::uint8_t>(multiSession | (CopyBit ? 0x10 : 0));
        blockType = 0;
    }
    p[2] = byte2;
    p[3] = byte3;
    p[4] = static_cast<std::uint8_t>((p[4] & 0xF0) | blockType);
    // The session format goes into the lead-in that closing writes: CD-ROM XA for a mode 2 disc.
    p[8] = SessionFormat;
    p[14] = 0;
    p[15] = 150;
    return WriteModePage(mode);
}

std::vector<TCueBurner::TDiscTrack> TCueBurner::DiscTracks() const
{
    std::vector<TDiscTrack> tracks;
    for (const TFiles& file : files_)
        for (const TTrack& track : file.Tracks)
            tracks.push_back(TDiscTrack{&track, file.FileType});
    return tracks;
}

bool TCueBurner::NextWritableAddress(std::int32_t& Address)
{
    if (!ReadDiscInformation() || !ReadTrackInformation(DiscInfo()[6]))
        return false;
    const TTrackInfo info = TrackInfo();
    if (!info.NextWritableValid)
        return false;
    Address = static_cast<std::int32_t>(info.NextWritable);
    return true;
}

void TCueBurner::Fail(const std::string& text)
{
    DebugMsg(">>> " + text, 0);
    SetLastError(text);
    if (OnWriteDone)
        OnWriteDone(this, text);
}

void TCueBurner::FinishBurn(const std::string& error)
{
    std::shared_ptr<ScsiDriveHandle> exclusive;
    {
        Lock();
        if (ASPILayerName() == "DKASPI32")
            _ReInitializeASPI();
        Unlock();
        std::lock_guard<std::mutex> guard(burnMutex_);
        exclusive = std::move(exclusive_);
    }
    exclusive.reset();   // the drive is the system's again before anyone hears of the end
    if (OnWriteDone)
        OnWriteDone(this, error);
}

bool TCueBurner::BurnCD()
{
    if (Erasing() || Burning()) {
        SetLastError(ERR_DEVICEBUSY);
        return false;
    }
    WaitForBurn();
    abortWrite_ = false;
    bool supported = !files_.empty();
    for (const TFiles& file : files_)
        for (const TTrack& track : file.Tracks)
            supported = supported && Burnable(track.TrackType);
    if (!supported) {
        SetLastError(ERR_NOTSUPPORTED);
        return false;
    }
    if (!Writable()) {
        DebugMsg(">>> DISC IS NOT WRITABLE", 4);
        if (DiscInfo()[2] & 0x10)
            DebugMsg(">>> BUT DISC IS ERASABLE, ERASE IT FIRST", 4);
        return false;
    }
    if (!BuildCueSheet())
        return false;

    // The drive is this burn's alone: nothing may mount its disc or write to it meanwhile.
    const char letter = GetDriveLetter();
    std::shared_ptr<ScsiDriveHandle> exclusive;
    if (letter != '\0') {
        ScsiOpenError openError;
        exclusive = OpenScsiDrive(static_cast<unsigned char>(letter) - 'A', ScsiOpenMode::Exclusive, &openError);
        if (!exclusive) {
            Fail(openError.text);
            return false;
        }
    }
    auto cache = std::make_shared<TCueCacheThread>(cacheSize_, que_, 352800, BytesToWrite.load());
    {
        std::lock_guard<std::mutex> guard(burnMutex_);
        cache_ = cache;
        exclusive_ = exclusive;
    }
    const std::uint64_t start = GetTickCount64();
    std::string error;
    while (!cache->WaitReady(100)) {
        if (abortWrite_)
            cache->Abort();
        if (GetTickCount64() - start >= kCacheWaitMs) {
            cache->Abort();
            error = ERR_SREADERROR;
            break;
        }
    }
    if (error.empty())
        error = cache->Error();
    if (error.empty() && abortWrite_)
        error = ERR_ABORTED;
    if (!error.empty()) {
        cache->Abort();
        cache->WaitFor();
        {
            std::lock_guard<std::mutex> guard(burnMutex_);
            exclusive_.reset();
        }
        Fail(error);
        return false;
    }
    return DoBurn();
}

bool TCueBurner::DoBurn()
{
    std::lock_guard<std::mutex> guard(burnMutex_);
    if (!cache_)
        return false;
    writer_ = std::make_unique<TThreadedWrite>(*this, cache_);
    writer_->Start();
    return true;
}

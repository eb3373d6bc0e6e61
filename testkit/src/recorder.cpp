// The virtual recorder: its tray, its readiness, its faults and the command dispatch.
#include "recorderstate.h"

#include "rtl/clock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testkit {

namespace recorder {

Msf MsfOf(std::int64_t lba)
{
    const std::int64_t frames = std::max<std::int64_t>(lba + 150, 0);
    return Msf{static_cast<std::uint8_t>(frames / 4500), static_cast<std::uint8_t>(frames / 75 % 60),
               static_cast<std::uint8_t>(frames % 75)};
}

std::int64_t LbaOf(std::uint8_t m, std::uint8_t s, std::uint8_t f) { return std::int64_t{m} * 4500 + s * 75 + f - 150; }

ScsiResult Good() { return ScsiResult{}; }

ScsiResult Check(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq)
{
    ScsiResult result;
    result.status = SAM_STAT_CHECK_CONDITION;
    result.driverStatus = DRIVER_SENSE;
    result.sense[0] = 0x70;
    result.sense[2] = key;
    result.sense[7] = 10;
    result.sense[12] = asc;
    result.sense[13] = ascq;
    result.senseLength = 18;
    return result;
}

ScsiResult Reply(const ScsiCommand& command, const std::vector<std::uint8_t>& reply, std::uint32_t allocation)
{
    ScsiResult result;
    const std::uint32_t room = command.direction == ScsiDirection::In && command.buffer ? command.length : 0;
    const std::size_t count = std::min<std::size_t>({reply.size(), allocation, room});
    if (count)
        std::memcpy(command.buffer, reply.data(), count);
    result.residual = static_cast<std::int32_t>(room - count);
    return result;
}

bool IsCd(MediumKind kind)
{
    return kind == MediumKind::CdR || kind == MediumKind::CdRw || kind == MediumKind::CdRom;
}
bool IsDvd(MediumKind kind) { return kind != MediumKind::None && !IsCd(kind); }
bool IsRom(MediumKind kind) { return kind == MediumKind::CdRom || kind == MediumKind::DvdRom; }
bool IsErasable(MediumKind kind)
{
    return kind == MediumKind::CdRw || kind == MediumKind::DvdRw || kind == MediumKind::DvdRwRestricted ||
           kind == MediumKind::DvdPlusRw || kind == MediumKind::DvdRam;
}
bool IsSequentialDvd(MediumKind kind)
{
    return kind == MediumKind::DvdR || kind == MediumKind::DvdRw || kind == MediumKind::DvdPlusR;
}

std::uint16_t ProfileOf(MediumKind kind)
{
    switch (kind) {
    case MediumKind::CdRom: return 0x08;
    case MediumKind::CdR: return 0x09;
    case MediumKind::CdRw: return 0x0A;
    case MediumKind::DvdRom: return 0x10;
    case MediumKind::DvdR: return 0x11;
    case MediumKind::DvdRam: return 0x12;
    case MediumKind::DvdRwRestricted: return 0x13;
    case MediumKind::DvdRw: return 0x14;
    case MediumKind::DvdPlusRw: return 0x1A;
    case MediumKind::DvdPlusR: return 0x1B;
    case MediumKind::None: break;
    }
    return 0;
}

std::uint32_t UsualCapacity(MediumKind kind)
{
    switch (kind) {
    case MediumKind::CdR:
    case MediumKind::CdRw:
    case MediumKind::CdRom: return kCdCapacity;
    case MediumKind::DvdR:
    case MediumKind::DvdRw:
    case MediumKind::DvdRwRestricted:
    case MediumKind::DvdRom: return kDvdMinusCapacity;
    case MediumKind::DvdPlusR:
    case MediumKind::DvdPlusRw: return kDvdPlusCapacity;
    case MediumKind::DvdRam: return kDvdRamCapacity;
    case MediumKind::None: break;
    }
    return 0;
}

SectorFile::~SectorFile() { Close(); }

bool SectorFile::Open(const std::string& path, bool truncate)
{
    Close();
    if (path.empty())
        return false;
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0), 0644);
    if (fd_ < 0 && !truncate)
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd_ >= 0;
}

void SectorFile::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool SectorFile::Write(std::uint64_t offset, const std::uint8_t* data, std::size_t length, bool sparse,
                       std::size_t blockSize)
{
    if (fd_ < 0)
        return false;
    const std::uint64_t end = offset + length;
    std::uint64_t size = Size();
    std::size_t done = 0;
    while (done < length) {
        const std::size_t chunk = std::min(blockSize, length - done);
        const std::uint64_t at = offset + done;
        const bool zeros = sparse && at >= size &&
                           std::all_of(data + done, data + done + chunk, [](std::uint8_t b) { return b == 0; });
        if (!zeros) {
            std::size_t written = 0;
            while (written < chunk) {
                const ssize_t n = ::pwrite(fd_, data + done + written, chunk - written, static_cast<off_t>(at + written));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    return false;
                written += static_cast<std::size_t>(n);
            }
            size = std::max(size, at + chunk);
        }
        done += chunk;
    }
    if (end > Size() && ::ftruncate(fd_, static_cast<off_t>(end)) != 0)
        return false;
    return true;
}

bool SectorFile::Read(std::uint64_t offset, std::uint8_t* data, std::size_t length) const
{
    std::memset(data, 0, length);
    if (fd_ < 0)
        return false;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd_, data + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool SectorFile::Truncate(std::uint64_t size) { return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }

std::uint64_t SectorFile::Size() const
{
    struct stat info{};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0)
        return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

void StartBusy(RecorderState& s, std::uint32_t ms, std::uint8_t ascq)
{
    if (ms == 0)
        return;
    s.busyUntil = std::max(s.busyUntil, CurrentClock().NowMs() + ms);
    s.busyAscq = ascq;
}

void Drain(RecorderState& s)
{
    const std::uint64_t now = CurrentClock().NowMs();
    if (now > s.lastDrain) {
        const std::uint64_t drained = (now - s.lastDrain) * s.writeSpeed;   // kB/s = bytes per ms
        s.bufferFill = drained >= s.bufferFill ? 0 : s.bufferFill - drained;
    }
    s.lastDrain = now;
}

std::uint32_t BufferFree(const RecorderState& s, const RecorderConfig& config)
{
    if (!s.throttle || s.bufferFill >= config.bufferBytes)
        return s.throttle ? 0 : config.bufferBytes;
    return static_cast<std::uint32_t>(config.bufferBytes - s.bufferFill);
}

bool DvdCapable(const RecorderState& s, const RecorderConfig& config)
{
    return config.dvdRecorder || IsDvd(s.medium.kind);
}

void LoadDisc(RecorderState& s, const RecorderConfig& config)
{
    const Medium& m = s.medium;
    s.capacity = m.capacity ? m.capacity : UsualCapacity(m.kind);
    s.content.Close();
    s.recorded = m.recorded;
    if (!m.image.empty() && s.content.Open(m.image, false))
        s.recorded = static_cast<std::uint32_t>(s.content.Size() / (m.rawSectors ? 2352 : 2048));
    s.complete = m.complete || IsRom(m.kind);
    if (IsRom(m.kind) && !m.capacity)
        s.capacity = s.recorded;
    s.formatted = m.kind != MediumKind::DvdPlusRw || s.recorded > 0 || m.complete;
    s.nextWritable = s.recorded;
    s.tracks.clear();
    if (s.recorded > 0)
        s.tracks.push_back(Track{1, 0, s.recorded, false});
    s.cue.clear();
    s.cueSheet.clear();
    s.sessionOpen = false;
    s.expected = 0;
    s.pma.clear();
    s.reserved = 0;
    s.taoSession = s.taoTrack = false;
    s.pregapFrom = -1;
    (void)config;
}


void ResetToBlank(RecorderState& s, const RecorderConfig& config)
{
    s.medium.complete = false;
    s.medium.recorded = 0;
    s.medium.image.clear();
    LoadDisc(s, config);
    s.formatted = true;
    if (s.written.IsOpen())
        s.written.Truncate(0);
}

} // namespace recorder

using namespace recorder;

namespace {

constexpr std::uint8_t kTestUnitReady = 0x00, kRequestSense = 0x03, kFormatUnit = 0x04, kInquiry = 0x12,
                       kStartStop = 0x1B, kPreventAllow = 0x1E, kReadFormatCapacities = 0x23, kReadCapacity = 0x25,
                       kRead10 = 0x28, kWrite10 = 0x2A, kSynchronizeCache = 0x35, kReadToc = 0x43,
                       kGetConfiguration = 0x46, kGetEventStatus = 0x4A, kReadDiscInfo = 0x51, kReadTrackInfo = 0x52,
                       kReserveTrack = 0x53, kSendOpc = 0x54, kModeSelect10 = 0x55, kModeSense10 = 0x5A,
                       kCloseTrack = 0x5B, kReadBufferCapacity = 0x5C, kSendCueSheet = 0x5D, kBlank = 0xA1,
                       kGetPerformance = 0xAC, kReadDvdStructure = 0xAD, kSetStreaming = 0xB6, kSetCdSpeed = 0xBB,
                       kMechanismStatus = 0xBD, kReadCd = 0xBE;

// Commands a drive answers whatever state its disc is in.
bool NeedsNoDisc(std::uint8_t opcode)
{
    switch (opcode) {
    case kRequestSense:
    case kInquiry:
    case kStartStop:
    case kPreventAllow:
    case kModeSelect10:
    case kModeSense10:
    case kGetConfiguration:
    case kGetEventStatus:
    case kReadBufferCapacity:
    case kSetCdSpeed:
    case kSetStreaming:
    case kMechanismStatus:
    case kReadFormatCapacities:
        return true;
    default:
        return false;
    }
}

// Commands that neither report nor clear a unit attention.
bool PassesUnitAttention(std::uint8_t opcode)
{
    return opcode == kInquiry || opcode == kRequestSense || opcode == kGetConfiguration || opcode == kGetEventStatus;
}

// Why the disc cannot be used now, if it cannot.
std::optional<ScsiResult> NotReady(RecorderState& s)
{
    if (s.trayOpen)
        return Check(0x02, 0x3A, 0x02);
    if (s.medium.kind == MediumKind::None)
        return Check(0x02, 0x3A, 0x01);
    if (s.lateReady > 0) {
        --s.lateReady;
        return Check(0x02, 0x04, 0x01);
    }
    if (CurrentClock().NowMs() < s.busyUntil)
        return Check(0x02, 0x04, s.busyAscq);
    return std::nullopt;
}

ScsiResult RequestSense(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    ScsiResult state = Good();
    if (s.trayOpen)
        state = Check(0x02, 0x3A, 0x02);
    else if (s.medium.kind == MediumKind::None)
        state = Check(0x02, 0x3A, 0x01);
    else if (s.lateReady > 0)
        state = Check(0x02, 0x04, 0x01);
    else if (CurrentClock().NowMs() < s.busyUntil)
        state = Check(0x02, 0x04, s.busyAscq);
    std::vector<std::uint8_t> reply(18, 0);
    reply[0] = 0x70;
    reply[7] = 10;
    if (state.status == SAM_STAT_CHECK_CONDITION) {
        reply[2] = state.sense[2];
        reply[12] = state.sense[12];
        reply[13] = state.sense[13];
    }
    return Reply(command, reply, command.cdb[4]);
}

ScsiResult StartStopUnit(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    const std::uint8_t how = command.cdb[4] & 0x03;
    if (how == 0x02) {   // eject
        if (s.locked)
            return Check(0x05, 0x53, 0x02);
        s.trayOpen = true;
    } else if (how == 0x03) {   // load
        if (s.trayOpen) {
            s.trayOpen = false;
            if (s.medium.kind != MediumKind::None) {
                s.lateReady = s.faults.lateReadyCommands;
                s.unitAttention = s.faults.unitAttentionOnChange;
            }
        }
    }
    (void)config;
    return Good();
}

ScsiResult PreventAllow(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    s.locked = (command.cdb[4] & 0x01) != 0;
    return Good();
}

ScsiResult Accept(RecorderState&, const RecorderConfig&, const ScsiCommand&) { return Good(); }

Handler HandlerFor(std::uint8_t opcode)
{
    switch (opcode) {
    case kTestUnitReady: return Accept;
    case kRequestSense: return RequestSense;
    case kFormatUnit: return FormatUnit;
    case kInquiry: return Inquiry;
    case kStartStop: return StartStopUnit;
    case kPreventAllow: return PreventAllow;
    case kReadFormatCapacities: return ReadFormatCapacities;
    case kReadCapacity: return ReadCapacity;
    case kRead10: return Read10;
    case kWrite10: return Write10;
    case kSynchronizeCache: return SynchronizeCache;
    case kReadToc: return ReadToc;
    case kGetConfiguration: return GetConfiguration;
    case kGetEventStatus: return GetEventStatus;
    case kReadDiscInfo: return ReadDiscInformation;
    case kReadTrackInfo: return ReadTrackInformation;
    case kReserveTrack: return ReserveTrack;
    case kReadCd: return ReadCd;
    case kSendOpc: return Accept;
    case kModeSelect10: return ModeSelect;
    case kModeSense10: return ModeSense;
    case kCloseTrack: return CloseTrackSession;
    case kReadBufferCapacity: return ReadBufferCapacity;
    case kSendCueSheet: return SendCueSheet;
    case kBlank: return Blank;
    case kGetPerformance: return GetPerformance;
    case kReadDvdStructure: return ReadDvdStructure;
    case kSetStreaming: return SetStreaming;
    case kSetCdSpeed: return SetCdSpeed;
    case kMechanismStatus: return MechanismStatus;
    default: return nullptr;
    }
}

void Record(RecorderState& s, const ScsiCommand& command, const ScsiResult& result)
{
    RecordedCommand entry;
    entry.cdb.assign(command.cdb.begin(), command.cdb.end());
    entry.timeoutMs = command.timeoutMs;
    const std::uint8_t opcode = command.cdb[0];
    if (command.direction == ScsiDirection::Out && command.buffer && opcode != kWrite10) {
        const auto* bytes = static_cast<const std::uint8_t*>(command.buffer);
        entry.data.assign(bytes, bytes + command.length);
    }
    entry.status = result.status;
    entry.hostStatus = result.hostStatus;
    if (result.status == SAM_STAT_CHECK_CONDITION) {
        entry.senseKey = result.sense[2] & 0x0F;
        entry.asc = result.sense[12];
        entry.ascq = result.sense[13];
    }
    s.log.push_back(std::move(entry));
}

std::string Padded(const std::string& text, std::size_t width)
{
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

} // namespace

Medium Medium::Blank(MediumKind kind, std::uint32_t capacity)
{
    Medium m;
    m.kind = kind;
    m.capacity = capacity;
    return m;
}

Medium Medium::Complete(MediumKind kind, std::uint32_t recorded)
{
    Medium m;
    m.kind = kind;
    m.complete = true;
    m.recorded = recorded;
    return m;
}

Medium Medium::FromImage(MediumKind kind, const std::string& image, bool rawSectors)
{
    Medium m;
    m.kind = kind;
    m.complete = true;
    m.image = image;
    m.rawSectors = rawSectors;
    return m;
}

VirtualRecorder::VirtualRecorder(RecorderConfig config) : config_(std::move(config)), state_(std::make_unique<RecorderState>())
{
    config_.vendor = Padded(config_.vendor, 8);
    config_.product = Padded(config_.product, 16);
    config_.revision = Padded(config_.revision, 4);
    state_->page05 = DefaultPage05();
    state_->writeSpeed = config_.maxWriteSpeed;
    state_->readSpeed = config_.maxReadSpeed;
    state_->throttle = config_.throttle;
    state_->lastDrain = CurrentClock().NowMs();
    if (!config_.imagePath.empty())
        state_->written.Open(config_.imagePath, false);
}

VirtualRecorder::~VirtualRecorder() = default;

ScsiResult VirtualRecorder::Execute(const ScsiCommand& command)
{
    std::unique_lock<std::mutex> lock(mutex_);
    RecorderState& s = *state_;
    const std::uint8_t opcode = command.cdb[0];
    if (s.faults.stallOpcode != 0 && s.faults.stallOpcode == opcode) {
        s.faults.stallOpcode = 0;
        stalled_ = true;
        released_ = false;
        stallCv_.wait(lock, [&] { return released_; });
        stalled_ = false;
    }
    ScsiResult result;
    const int nth = ++s.opcodeCounts[opcode];
    if (s.faults.timeoutOpcode == opcode && s.faults.timeoutOnNth == nth) {
        result.hostStatus = DID_TIME_OUT;
    } else if (s.faults.refuseOpcode != 0 && s.faults.refuseOpcode == opcode &&
               (s.faults.refuseOnNth == 0 || s.faults.refuseOnNth == nth)) {
        result = Check(s.faults.refuseSense[0], s.faults.refuseSense[1], s.faults.refuseSense[2]);
    } else if (s.faults.busyCommands > 0) {
        --s.faults.busyCommands;
        result.status = SAM_STAT_BUSY;
    } else if (s.unitAttention && !PassesUnitAttention(opcode)) {
        s.unitAttention = false;
        result = Check(0x06, 0x28, 0x00);
    } else if (Handler handler = HandlerFor(opcode);
               !handler || std::find(config_.unsupportedOpcodes.begin(), config_.unsupportedOpcodes.end(), opcode) !=
                                config_.unsupportedOpcodes.end()) {
        result = Check(0x05, 0x20, 0x00);
    } else if (std::optional<ScsiResult> notReady; !NeedsNoDisc(opcode) && (notReady = NotReady(s))) {
        result = *notReady;
    } else {
        result = handler(s, config_, command);
    }
    Record(s, command, result);
    return result;
}

bool VirtualRecorder::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    state_->unitAttention = state_->faults.unitAttentionOnChange;
    return true;
}

void VirtualRecorder::InsertMedium(const Medium& medium)
{
    std::lock_guard<std::mutex> lock(mutex_);
    RecorderState& s = *state_;
    s.medium = medium;
    s.trayOpen = false;
    LoadDisc(s, config_);
    if (medium.image.empty() && s.written.IsOpen())
        s.written.Truncate(0);   // a fresh disc: the image starts empty
    if (medium.kind != MediumKind::None) {
        s.lateReady = s.faults.lateReadyCommands;
        s.unitAttention = s.faults.unitAttentionOnChange;
    }
}

void VirtualRecorder::RemoveMedium()
{
    std::lock_guard<std::mutex> lock(mutex_);
    RecorderState& s = *state_;
    s.trayOpen = true;
    s.medium = Medium{};
    LoadDisc(s, config_);
    s.unitAttention = s.faults.unitAttentionOnChange;
}

void VirtualRecorder::OpenTray()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!state_->locked)
        state_->trayOpen = true;
}

void VirtualRecorder::CloseTray()
{
    std::lock_guard<std::mutex> lock(mutex_);
    RecorderState& s = *state_;
    if (!s.trayOpen)
        return;
    s.trayOpen = false;
    if (s.medium.kind != MediumKind::None) {
        s.lateReady = s.faults.lateReadyCommands;
        s.unitAttention = s.faults.unitAttentionOnChange;
    }
}

void VirtualRecorder::SetFaults(const RecorderFaults& faults)
{
    std::lock_guard<std::mutex> lock(mutex_);
    state_->faults = faults;
    state_->opcodeCounts.clear();
    state_->formatRefused = false;
}

bool VirtualRecorder::Stalled() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stalled_;
}

void VirtualRecorder::ReleaseStall()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
    }
    stallCv_.notify_all();
}

RecorderFaults VirtualRecorder::Faults() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->faults;
}

void VirtualRecorder::SetThrottle(bool on)
{
    std::lock_guard<std::mutex> lock(mutex_);
    state_->throttle = on;
    state_->bufferFill = 0;
    state_->lastDrain = CurrentClock().NowMs();
}

std::vector<RecordedCommand> VirtualRecorder::Commands() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->log;
}

std::vector<RecordedCommand> VirtualRecorder::CommandsWithOpcode(std::uint8_t opcode) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<RecordedCommand> found;
    for (const RecordedCommand& c : state_->log)
        if (c.cdb[0] == opcode)
            found.push_back(c);
    return found;
}

void VirtualRecorder::ClearCommands()
{
    std::lock_guard<std::mutex> lock(mutex_);
    state_->log.clear();
}

bool VirtualRecorder::TrayOpen() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->trayOpen;
}

bool VirtualRecorder::Locked() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->locked;
}

MediumKind VirtualRecorder::Kind() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->medium.kind;
}

bool VirtualRecorder::DiscComplete() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->complete;
}

std::int64_t VirtualRecorder::NextWritableAddress() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->sessionOpen || state_->taoTrack ? state_->expected : state_->nextWritable;
}

std::uint32_t VirtualRecorder::RecordedSectors() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->recorded;
}

std::vector<std::uint8_t> VirtualRecorder::WriteParametersPage() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->page05;
}

std::vector<std::uint8_t> VirtualRecorder::CueSheet() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->cueSheet;
}

std::uint16_t VirtualRecorder::CurrentWriteSpeed() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_->writeSpeed;
}

RegisteredRecorder::RegisteredRecorder(RecorderConfig config, std::string name)
    : recorder_(std::make_shared<VirtualRecorder>(std::move(config)))
{
    number_ = RegisterVirtualScsiDrive(recorder_, std::move(name));
}

RegisteredRecorder::~RegisteredRecorder()
{
    if (number_ >= 0)
        UnregisterVirtualScsiDrive(number_);
}

std::optional<Medium> MediumByName(const std::string& name)
{
    const struct {
        const char* name;
        Medium medium;
    } named[] = {
        {"none", Medium{}},
        {"cdr", Medium::Blank(MediumKind::CdR)},
        {"cdrw", Medium::Blank(MediumKind::CdRw)},
        {"cdr-complete", Medium::Complete(MediumKind::CdR)},
        {"cdrom", Medium::Complete(MediumKind::CdRom)},
        {"dvdrom", Medium::Complete(MediumKind::DvdRom)},
        {"dvd-r", Medium::Blank(MediumKind::DvdR)},
        {"dvd-r-complete", Medium::Complete(MediumKind::DvdR)},
        {"dvd-rw", Medium::Blank(MediumKind::DvdRw)},
        {"dvd+r", Medium::Blank(MediumKind::DvdPlusR)},
        {"dvd+rw", Medium::Blank(MediumKind::DvdPlusRw)},
        {"dvd-ram", Medium::Blank(MediumKind::DvdRam)},
    };
    for (const auto& entry : named)
        if (name == entry.name)
            return entry.medium;
    return std::nullopt;
}

} // namespace testkit

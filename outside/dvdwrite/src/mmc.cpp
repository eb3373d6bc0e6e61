#include "mmc.h"

#include "rtl/clock.h"
#include "rtl/sysutils.h"

#include <algorithm>
#include <cerrno>
#include <functional>

namespace dvdwrite {

namespace {

constexpr std::uint8_t kTestUnitReady = 0x00, kInquiry = 0x12, kStartStopUnit = 0x1B, kWrite10 = 0x2A,
                       kSynchronizeCache = 0x35, kGetConfiguration = 0x46, kReadDiscInformation = 0x51,
                       kModeSense10 = 0x5A, kCloseTrackSession = 0x5B, kGetPerformance = 0xAC;
constexpr std::uint8_t kCapabilitiesPage = 0x2A;

// Queries answer at once on a healthy drive; a tray move takes longer.
constexpr std::uint32_t kQueryTimeoutMs = 10000;
constexpr std::uint32_t kTrayTimeoutMs = 30000;
// Writing, flushing and closing: a drive may take minutes over the last two.
constexpr std::uint32_t kWriteTimeoutMs = 120000;
constexpr std::uint32_t kCloseTimeoutMs = 600000;
// A drive busy with what it already holds is asked again this often, this many times.
constexpr std::uint32_t kBusyPauseMs = 100;
constexpr int kBusyTries = 600;

std::uint32_t Get16(std::span<const std::uint8_t> b, std::size_t at)
{
    return at + 2 <= b.size() ? (std::uint32_t{b[at]} << 8) | b[at + 1] : 0;
}

std::uint32_t Get32(std::span<const std::uint8_t> b, std::size_t at)
{
    return at + 4 <= b.size() ? (Get16(b, at) << 16) | Get16(b, at + 2) : 0;
}

std::string Field(std::span<const std::uint8_t> b, std::size_t at, std::size_t length)
{
    std::string text;
    for (std::size_t i = at; i < at + length && i < b.size(); ++i)
        text.push_back(b[i] >= 0x20 && b[i] < 0x7F ? static_cast<char>(b[i]) : ' ');
    return Trim(text);
}

} // namespace

bool IsWritableDvdProfile(int profile)
{
    return (profile >= 0x11 && profile <= 0x16) || profile == 0x1A || profile == 0x1B || profile == 0x2A ||
           profile == 0x2B;
}

bool IsCdProfile(int profile)
{
    return (profile >= 0x08 && profile <= 0x0A) || (profile >= 0x20 && profile <= 0x22) ||
           (profile >= 0x80 && profile <= 0x82);
}

bool IsOverwritableProfile(int profile)
{
    return profile == 0x12 || profile == 0x13 || profile == 0x1A || profile == 0x2A;
}

Sense SenseOf(const ScsiResult& result)
{
    const auto& s = result.sense;
    if (result.senseLength == 0)
        return {};
    if ((s[0] & 0x7F) >= 0x72)   // descriptor format
        return {static_cast<std::uint8_t>(s[1] & 0x0F), s[2], s[3]};
    return {static_cast<std::uint8_t>(s[2] & 0x0F), s[12], s[13]};
}

std::string DescribeFailure(const ScsiResult& result, const std::string& drivePath)
{
    if (result.error != 0)
        return ScsiSystemErrorText(result.error, drivePath);
    if (result.hostStatus == DID_TIME_OUT || (result.driverStatus & 0x0F) == DRIVER_TIMEOUT)
        return drivePath + " did not answer in time";
    if (result.hostStatus != DID_OK)
        return drivePath + " could not be reached";
    if (result.status == SAM_STAT_BUSY)
        return drivePath + " stayed busy";
    const Sense sense = SenseOf(result);
    return drivePath + " answered sense " + Format("%X/%02X/%02X", sense.key, sense.asc, sense.ascq);
}

bool Succeeded(const ScsiResult& result)
{
    return result.error == 0 && result.status == SAM_STAT_GOOD && result.hostStatus == DID_OK &&
           (result.driverStatus & 0x0F) == DRIVER_OK;
}

InquiryText ParseInquiry(std::span<const std::uint8_t> reply)
{
    return {Field(reply, 8, 8), Field(reply, 16, 16), Field(reply, 32, 4)};
}

Configuration ParseConfiguration(std::span<const std::uint8_t> reply)
{
    Configuration config;
    if (reply.size() < 8)
        return config;
    config.currentProfile = static_cast<int>(Get16(reply, 6));
    // The data length counts from byte 4; never past what came back.
    const std::size_t end = std::min<std::size_t>(reply.size(), std::size_t{Get32(reply, 0)} + 4);
    std::size_t at = 8;
    while (at + 4 <= end) {
        const std::uint32_t code = Get16(reply, at);
        const std::size_t length = reply[at + 3];
        if (code == 0x0000) {
            for (std::size_t p = at + 4; p + 4 <= at + 4 + length && p + 4 <= end; p += 4)
                config.profiles.push_back(static_cast<int>(Get16(reply, p)));
        }
        at += 4 + length;
    }
    return config;
}

std::optional<Capabilities> ParseCapabilities(std::span<const std::uint8_t> reply)
{
    if (reply.size() < 8)
        return std::nullopt;
    const std::size_t page = 8 + Get16(reply, 6);   // after the header and any block descriptor
    if (page + 4 > reply.size() || (reply[page] & 0x3F) != kCapabilitiesPage)
        return std::nullopt;
    const std::size_t end = std::min<std::size_t>(reply.size(), page + 2 + reply[page + 1]);
    Capabilities caps;
    caps.writesDvd = (reply[page + 3] & 0x30) != 0;   // DVD-R write, DVD-RAM write
    if (page + 32 <= end) {
        const std::size_t count = Get16(reply, page + 30);
        for (std::size_t i = 0; i < count && page + 32 + 4 * i + 4 <= end; ++i)
            caps.writeSpeeds.push_back(static_cast<int>(Get16(reply, page + 32 + 4 * i + 2)));
    }
    return caps;
}

std::vector<int> ParseWriteSpeedDescriptors(std::span<const std::uint8_t> reply)
{
    std::vector<int> speeds;
    if (reply.size() < 8)
        return speeds;
    const std::size_t end = std::min<std::size_t>(reply.size(), std::size_t{Get32(reply, 0)} + 4);
    for (std::size_t at = 8; at + 16 <= end; at += 16)
        speeds.push_back(static_cast<int>(std::min<std::uint32_t>(Get32(reply, at + 12), 0x7FFFFFFF)));
    return speeds;
}

std::vector<int> SortedSpeeds(std::vector<int> speeds)
{
    std::erase_if(speeds, [](int s) { return s <= 0; });
    std::sort(speeds.begin(), speeds.end(), std::greater<>());
    speeds.erase(std::unique(speeds.begin(), speeds.end()), speeds.end());
    return speeds;
}

bool MmcDrive::Open()
{
    if (!handle_)
        handle_ = OpenScsiDrive(number_, ScsiOpenMode::Shared);
    if (handle_)
        path_ = handle_->Path();
    return handle_ != nullptr;
}

const std::string& MmcDrive::Path() const { return path_; }

ScsiResult MmcDrive::Run(const std::vector<std::uint8_t>& cdb, ScsiDirection direction, void* buffer,
                         std::uint32_t length, std::uint32_t timeoutMs)
{
    if (!handle_) {
        ScsiResult result;
        result.error = EBADF;   // the drive is not open
        return result;
    }
    ScsiCommand command;
    command.cdb = cdb;
    command.direction = direction;
    command.buffer = buffer;
    command.length = length;
    command.timeoutMs = timeoutMs;
    return handle_->Execute(command);
}

std::optional<std::vector<std::uint8_t>> MmcDrive::Read(const std::vector<std::uint8_t>& cdb, std::uint32_t length)
{
    std::vector<std::uint8_t> reply(length, 0);
    const ScsiResult result = Run(cdb, ScsiDirection::In, reply.data(), length, kQueryTimeoutMs);
    if (!Succeeded(result))
        return std::nullopt;
    const std::int32_t residual = std::clamp<std::int32_t>(result.residual, 0, static_cast<std::int32_t>(length));
    reply.resize(length - static_cast<std::uint32_t>(residual));
    return reply;
}

std::optional<InquiryText> MmcDrive::Inquiry()
{
    auto reply = Read({kInquiry, 0, 0, 0, 96, 0}, 96);
    if (!reply || reply->size() < 36)
        return std::nullopt;
    return ParseInquiry(*reply);
}

bool MmcDrive::TestUnitReady()
{
    const std::vector<std::uint8_t> cdb = {kTestUnitReady, 0, 0, 0, 0, 0};
    for (int attempt = 0; attempt < 2; ++attempt) {
        const ScsiResult result = Run(cdb, ScsiDirection::None, nullptr, 0, kQueryTimeoutMs);
        if (Succeeded(result))
            return true;
        if (SenseOf(result).key != 0x06)   // only a unit attention is worth asking again
            return false;
    }
    return false;
}

std::optional<Configuration> MmcDrive::GetConfiguration()
{
    constexpr std::uint16_t kLength = 2048;
    auto reply = Read({kGetConfiguration, 0x00, 0, 0, 0, 0, 0, kLength >> 8, kLength & 0xFF, 0}, kLength);
    if (!reply || reply->size() < 8)
        return std::nullopt;
    return ParseConfiguration(*reply);
}

std::optional<Capabilities> MmcDrive::CapabilitiesPage()
{
    constexpr std::uint16_t kLength = 512;
    auto reply = Read({kModeSense10, 0x08, kCapabilitiesPage, 0, 0, 0, 0, kLength >> 8, kLength & 0xFF, 0}, kLength);
    if (!reply)
        return std::nullopt;
    return ParseCapabilities(*reply);
}

std::vector<int> MmcDrive::WriteSpeeds()
{
    constexpr std::uint16_t kDescriptors = 64;
    constexpr std::uint32_t kLength = 8 + 16 * kDescriptors;
    auto reply = Read({kGetPerformance, 0, 0, 0, 0, 0, 0, 0, kDescriptors >> 8, kDescriptors & 0xFF, 0x03, 0},
                      kLength);
    std::vector<int> speeds = reply ? SortedSpeeds(ParseWriteSpeedDescriptors(*reply)) : std::vector<int>{};
    if (speeds.empty())
        if (auto caps = CapabilitiesPage())
            speeds = SortedSpeeds(caps->writeSpeeds);
    return speeds;
}

std::optional<MmcDrive::DiscInformation> MmcDrive::DiscInfo()
{
    auto reply = Read({kReadDiscInformation, 0, 0, 0, 0, 0, 0, 0, 34, 0}, 34);
    if (!reply || reply->size() < 3)
        return std::nullopt;
    return DiscInformation{(*reply)[2] & 0x03, ((*reply)[2] & 0x10) != 0};
}

ScsiResult MmcDrive::Write(std::uint32_t lba, const std::uint8_t* data, std::uint16_t sectors)
{
    const std::vector<std::uint8_t> cdb = {kWrite10,
                                           0,
                                           static_cast<std::uint8_t>(lba >> 24),
                                           static_cast<std::uint8_t>(lba >> 16),
                                           static_cast<std::uint8_t>(lba >> 8),
                                           static_cast<std::uint8_t>(lba),
                                           0,
                                           static_cast<std::uint8_t>(sectors >> 8),
                                           static_cast<std::uint8_t>(sectors),
                                           0};
    ScsiResult result;
    for (int attempt = 0; attempt < kBusyTries; ++attempt) {
        result = Run(cdb, ScsiDirection::Out, const_cast<std::uint8_t*>(data), std::uint32_t{sectors} * 2048,
                     kWriteTimeoutMs);
        const Sense sense = SenseOf(result);
        const bool busy = result.error == 0 && result.hostStatus == DID_OK &&
                          (result.status == SAM_STAT_BUSY || (sense.key == 0x02 && sense.asc == 0x04 && sense.ascq == 0x08));
        if (!busy)
            break;
        CurrentClock().SleepMs(kBusyPauseMs);
    }
    return result;
}

ScsiResult MmcDrive::SynchronizeCache()
{
    return Run({kSynchronizeCache, 0, 0, 0, 0, 0, 0, 0, 0, 0}, ScsiDirection::None, nullptr, 0, kCloseTimeoutMs);
}

ScsiResult MmcDrive::CloseTrackSession(std::uint8_t function, std::uint16_t number)
{
    return Run({kCloseTrackSession, 0, function, 0, static_cast<std::uint8_t>(number >> 8),
                static_cast<std::uint8_t>(number), 0, 0, 0, 0},
               ScsiDirection::None, nullptr, 0, kCloseTimeoutMs);
}

bool MmcDrive::StartStopUnit(bool load)
{
    const std::uint8_t how = load ? 0x03 : 0x02;   // LoEj with Start: load; LoEj alone: eject
    return Succeeded(Run({kStartStopUnit, 0, 0, 0, how, 0}, ScsiDirection::None, nullptr, 0, kTrayTimeoutMs));
}

} // namespace dvdwrite

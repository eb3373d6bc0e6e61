// TSCSIDevice: the capabilities page, speeds, write parameters and waiting for the drive.
#include "discrec/dkdrvlib.h"

#include "dkreply.h"
#include "rtl/clock.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kPageWriteParameters = 0x05;
constexpr std::uint8_t kPageCapabilities = 0x2A;
constexpr std::uint8_t kPageJustLink = 0x30;
constexpr std::uint16_t kSlowestCdSpeed = 1385;   // kB/s a drive that reports 0 is taken to write at
// Bytes a page must hold to be read: the capabilities page of the oldest
// drives (up to the maximum write speed, bytes 18-19), the write parameters
// page up to its audio pause length (bytes 14-15).
constexpr std::size_t kCapabilitiesPageBytes = 20;
constexpr std::size_t kWriteParametersPageBytes = 16;

// Whether GET CONFIGURATION answered the feature asked for, and its first data byte.
bool FeatureReturned(const std::uint8_t* bytes, std::uint32_t returned, std::uint16_t feature, std::uint8_t& data)
{
    // The data length (bytes 0-3) counts what follows it; the feature header is bytes 8-11.
    const TReply reply = TReply(bytes, returned).Within(0, 4);
    if (!reply.Has(8, 4) || reply.Be16(8) != feature)
        return false;
    data = reply.U8(11) > 0 ? reply.U8(12) : 0;
    return true;
}

} // namespace

bool TSCSIDevice::ReadModePage(std::uint8_t page, bool defaults, std::uint16_t allocation, TModePage& mode)
{
    mode.reply.assign(allocation, 0);
    mode.at = mode.length = 0;
    std::uint32_t returned = 0;
    if (!ModeSense10(page, mode.reply.data(), defaults, allocation, &returned))
        return false;
    // The mode data length (bytes 0-1) counts what follows it.
    const TReply reply = TReply(mode.reply.data(), returned).Within(0, 2);
    // The page follows the 8-byte header and its block descriptors; some drives
    // misreport the descriptor length, so the usual places are looked at too.
    auto holds = [&](std::size_t i) { return reply.Has(i, 2) && (reply.U8(i) & 0x3F) == page; };
    const std::size_t described = 8 + std::size_t{reply.Be16(6)};
    std::size_t at = 0;
    if (holds(described))
        at = described;
    else if (holds(16))
        at = 16;
    else if (holds(8))
        at = 8;
    else if (holds(7))
        at = 7;
    else
        return false;
    mode.at = at;
    // The page's own length (byte 1) counts what follows it, as far as it came.
    mode.length = reply.Part(at, reply.Size()).Within(1, 1).Size();
    return true;
}

bool TSCSIDevice::WriteModePage(TModePage& mode)
{
    // On MODE SELECT the mode data length and the page's PS bit are reserved: drives refuse them set.
    mode.reply[0] = mode.reply[1] = 0;
    mode.reply[mode.at] &= 0x3F;
    mode.reply[mode.at + 1] = static_cast<std::uint8_t>(mode.length - 2);
    return ModeSelect10(mode.reply.data(), static_cast<std::uint16_t>(mode.at + mode.length));
}

bool TSCSIDevice::IsJustLinkCapable()
{
    TModePage mode;
    return ReadModePage(kPageJustLink, false, 255, mode);
}

bool TSCSIDevice::GetDeviceCapabilities(bool Default)
{
    TScsiDeviceCapabilities caps;
    deviceMaxWriteSpeed_ = 0;
    deviceMaxReadSpeed_ = 0;
    TModePage mode;
    if (!ReadModePage(kPageCapabilities, Default, 255, mode) || mode.length < kCapabilitiesPageBytes) {
        std::lock_guard<std::mutex> guard(stateMutex_);
        capabilities_ = caps;
        capabilityPage_ = TCapabilityPage{};
        return false;
    }
    const TReply p(mode.Bytes(), mode.length);
    const TScsiDeviceCapability reads[] = {dcReadCDR, dcReadCDRW, dcReadMethod2, dcReadDVD};
    for (int bit = 0; bit < 4; ++bit)
        if (p.U8(2) & (1 << bit))
            caps.Include(reads[bit]);
    if (p.U8(2) & 0x10) {
        caps.Include(dcReadDVDR);
        caps.Include(dcReadDVDRW);
    }
    if (p.U8(2) & 0x20)
        caps.Include(dcReadDVDRAM);
    if (p.U8(3) & 0x01)
        caps.Include(dcWriteCDR);
    if (p.U8(3) & 0x02)
        caps.Include(dcWriteCDRW);
    if (p.U8(3) & 0x04)
        caps.Include(dcWriteTest);
    if (p.U8(3) & 0x10) {
        caps.Include(dcWriteDVDR);
        caps.Include(dcWriteDVDRW);
    }
    if (p.U8(3) & 0x20)
        caps.Include(dcWriteDVDRAM);
    if ((p.U8(4) & 0x80) || flagA_ || IsJustLinkCapable())
        caps.Include(dcUnderrunProtection);
    std::uint16_t maxWrite = p.Be16(18);
    std::uint16_t maxRead = p.Be16(8);
    if (caps.Contains(dcWriteDVDRAM)) {
        maxWrite = maxWrite ? maxWrite : 1;
        maxRead = maxRead ? maxRead : 1;
    }
    deviceMaxWriteSpeed_ = maxWrite;
    deviceMaxReadSpeed_ = maxRead;

    // A returned DVD+RW or DVD-R/-RW write feature tells that the drive reads
    // those discs; it writes both kinds of the pair when the feature's first
    // data byte is 1 (its write bit alone).
    std::vector<std::uint8_t> config(114, 0);
    std::uint32_t returned = 0;
    std::uint8_t data = 0;
    if (GetConfigData(2, 0x2A, config.data(), 114, &returned) && FeatureReturned(config.data(), returned, 0x2A, data)) {
        caps.Include(dcReadDVDPLUSR);
        caps.Include(dcReadDVDPLUSRW);
        if (data == 1) {
            caps.Include(dcWriteDVDPLUSR);
            caps.Include(dcWriteDVDPLUSRW);
        }
    }
    if (GetConfigData(2, 0x2F, config.data(), 114, &returned) && FeatureReturned(config.data(), returned, 0x2F, data)) {
        caps.Include(dcReadDVDR);
        caps.Include(dcReadDVDRW);
        if (data == 1) {
            caps.Include(dcWriteDVDR);
            caps.Include(dcWriteDVDRW);
        }
    }

    TCapabilityPage current;
    if (ReadModePage(kPageCapabilities, false, 128, mode) && mode.length >= kCapabilitiesPageBytes) {
        current.Bytes.assign(mode.Bytes(), mode.Bytes() + mode.length);
        const TReply c(current.Bytes.data(), current.Bytes.size());
        current.MaxReadSpeed = c.Be16(8);
        current.BufferSizeKB = c.Be16(12);
        current.CurrentReadSpeed = c.Be16(14);
        current.MaxWriteSpeed = c.Be16(18);
        current.CurrentWriteSpeed = c.Has(28, 2) ? c.Be16(28) : c.Be16(20);
        if (current.MaxWriteSpeed == 0)
            current.MaxWriteSpeed = kSlowestCdSpeed;
        if (current.CurrentWriteSpeed == 0)
            current.CurrentWriteSpeed = kSlowestCdSpeed;
        deviceMaxWriteSpeed_ = std::max<std::uint16_t>(deviceMaxWriteSpeed_, current.MaxWriteSpeed);
        deviceMaxReadSpeed_ = std::max<std::uint16_t>(deviceMaxReadSpeed_, current.MaxReadSpeed);
        current.Bytes.resize(std::max<std::size_t>(current.Bytes.size(), 32), 0);
    }
    std::lock_guard<std::mutex> guard(stateMutex_);
    capabilities_ = caps;
    capabilityPage_ = std::move(current);
    return true;
}

TScsiDeviceCapabilities TSCSIDevice::Capabilities() const
{
    std::lock_guard<std::mutex> guard(stateMutex_);
    return capabilities_;
}

TCapabilityPage TSCSIDevice::CapabilityPage() const
{
    std::lock_guard<std::mutex> guard(stateMutex_);
    return capabilityPage_;
}

std::uint16_t TSCSIDevice::MaxWriteSpeed() { return GetDeviceCapabilities() ? CapabilityPage().MaxWriteSpeed : 0; }

std::uint16_t TSCSIDevice::MaxReadSpeed() { return GetDeviceCapabilities() ? CapabilityPage().MaxReadSpeed : 0; }

std::uint16_t TSCSIDevice::CurrentReadSpeed()
{
    return GetDeviceCapabilities() ? CapabilityPage().CurrentReadSpeed : 0;
}

std::uint16_t TSCSIDevice::CurrentWriteSpeed()
{
    return GetDeviceCapabilities() ? CapabilityPage().CurrentWriteSpeed : 0;
}

void TSCSIDevice::SetWriteSpeed(std::uint16_t S)
{
    // A drive that refuses a speed writes at one of its own; WriteSpeed keeps what was asked for.
    (void)SetCDSpeed(readSpeed_, S);
    writeSpeed_ = S;
}

bool TSCSIDevice::CheckWriteMethod(TWriteMethod wm)
{
    TModePage mode;
    if (!ReadModePage(kPageWriteParameters, false, 512, mode) || mode.length < kWriteParametersPageBytes)
        return false;
    std::uint8_t* p = mode.Bytes();
    const std::uint8_t type = wm == wmTAO ? 1 : wm == wmSAO ? 2 : 3;
    p[2] = static_cast<std::uint8_t>((p[2] & 0xF0) | type);
    p[3] = 0;
    p[4] = static_cast<std::uint8_t>((p[4] & 0xF0) | (wm == wmDAO ? 1 : 0));
    p[8] = 0;
    p[14] = 0;
    p[15] = 150;
    return WriteModePage(mode);
}

TWriteMethods TSCSIDevice::GetWriteMethods()
{
    // What the drive takes is noted only; nothing is refused by it.
    TWriteMethods methods;
    for (TWriteMethod wm : {wmDAO, wmSAO, wmTAO})
        if (CheckWriteMethod(wm))
            methods.Include(wm);
    writeMethods_ = methods;
    return methods;
}

bool TSCSIDevice::SetWriteParams(bool TestWrite, bool BufferUnderrun, std::uint8_t DiscKind)
{
    if (DiscKind == dkDVDRAM)
        return true;
    TModePage mode;
    if (!ReadModePage(kPageWriteParameters, false, 512, mode) || mode.length < kWriteParametersPageBytes)
        return false;
    std::uint8_t* p = mode.Bytes();
    std::uint8_t byte2 = 0x01;   // CD: track at once
    std::uint8_t byte3 = 0x04;   // data track
    std::uint8_t link = 0;
    std::uint32_t packet = 0;
    switch (DiscKind) {
    case dkDVDR: byte2 = 0x60, byte3 = 0xE5, link = 16, packet = 16; break;
    case dkDVDRW:
    case dkDVDRWRestricted:
    case dkDVDRWSequential: byte2 = 0x20, byte3 = 0xC5, link = 16; break;
    case dkDVDPLUSR: byte2 = 0x00, byte3 = 0xC4; break;
    case dkDVDPLUSRW: byte2 = 0x00, byte3 = 0x04, link = 16; break;
    default: break;
    }
    const TScsiDeviceCapabilities caps = Capabilities();
    if (TestWrite && caps.Contains(dcWriteTest))
        byte2 |= 0x10;
    if (BufferUnderrun && caps.Contains(dcUnderrunProtection))
        byte2 |= 0x40;
    if (flagB_)
        byte2 |= 0x20;
    p[2] = byte2;
    p[3] = byte3;
    p[4] = static_cast<std::uint8_t>((p[4] & 0xF0) | 0x08);   // mode 1, 2048 bytes
    p[5] = link;
    p[10] = static_cast<std::uint8_t>(packet >> 24);
    p[11] = static_cast<std::uint8_t>(packet >> 16);
    p[12] = static_cast<std::uint8_t>(packet >> 8);
    p[13] = static_cast<std::uint8_t>(packet);
    p[14] = 0;
    p[15] = 150;
    return WriteModePage(mode);
}

bool TSCSIDevice::WaitForReady(int Timeout, int Interval)
{
    std::int64_t left = Timeout;
    auto pause = [&](int ms) {
        if (left <= 0)
            return false;
        Sleep(static_cast<std::uint32_t>(ms));
        left -= ms;
        return true;
    };
    if (flagD_ || lateReady_) {
        do {
            if (!pause(1500))
                return false;
        } while (!TestUnitReady(5000) && SenseNotReadyYet());
    }
    if (mediumIs_ != dkDVDRAM) {
        alignas(8) std::uint8_t info[34];
        while (!ReadDiscInformationRaw(info, sizeof info) && SenseNotReadyYet())
            if (!pause(Interval))
                return false;
    }
    (void)TestUnitReady(5000);   // it only brings the sense data up to date: REQUEST SENSE below decides
    for (;;) {
        alignas(8) std::uint8_t sense[18] = {};
        if (!RequestSense(sense, sizeof sense) || !IsNotReadyYet(sense))
            return true;
        if (!pause(Interval))
            return false;
    }
}

// TSCSIDevice: what disc is in the drive, its state and the room left on it.
#include "discrec/dkdrvlib.h"

#include "discrec/dkaspi.h"
#include "dkreply.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kCdSectorBytes = 2352;

// CD blocks of an absolute MSF time (LBA 0 is 00:02:00).
std::uint32_t MsfToBlocks(std::uint8_t m, std::uint8_t s, std::uint8_t f)
{
    const std::int64_t frames = std::int64_t{m} * 4500 + s * 75 + f - 150;
    return frames > 0 ? static_cast<std::uint32_t>(frames) : 0;
}

// The ATIP of a CD as READ TOC/PMA/ATIP format 4 returned it: its 4-byte header
// (the data length in bytes 0-1), then the descriptor.
constexpr std::uint16_t kAtipLength = 26;
TReply Atip(const std::uint8_t* bytes, std::uint32_t returned) { return TReply(bytes, returned).Within(0, 2); }

bool ErasableProfile(std::uint16_t profile)
{
    return profile == 0x03 || profile == 0x0A || profile == 0x13 || profile == 0x14 || profile == 0x1A ||
           profile == 0x22;
}

} // namespace

std::uint8_t DiscKindOfProfile(std::uint16_t profile)
{
    switch (profile) {
    case 0x08: return dkCDROM;
    case 0x09: return dkCDR;
    case 0x0A: return dkCDRW;
    case 0x10: return dkDVDROM;
    case 0x11: return dkDVDR;
    case 0x12: return dkDVDRAM;
    case 0x13: return dkDVDRWRestricted;
    case 0x14: return dkDVDRWSequential;
    case 0x1A: return dkDVDPLUSRW;
    case 0x1B: return dkDVDPLUSR;
    case 0x20: return dkDDCDROM;
    case 0x21: return dkDDCDR;
    case 0x22: return dkDDCDRW;
    default: return dkUnknown;
    }
}

std::string_view MediumDescription(std::uint16_t profile)
{
    switch (profile) {
    case 0x01: return "Non-removable disk";
    case 0x02: return "Removable disk";
    case 0x03: return "MO Eraseable";
    case 0x04: return "MO Write Once";
    case 0x05: return "AS-MO";
    case 0x08: return "CD-ROM";
    case 0x09: return "CD-R";
    case 0x0A: return "CD-RW";
    case 0x10: return "DVD-ROM";
    case 0x11: return "DVD-R";
    case 0x12: return "DVD-RAM";
    case 0x13: return "DVD-RW Restricted Overwrite";
    case 0x14: return "DVD-RW Sequential Recording";
    case 0x1A: return "DVD+RW";
    case 0x1B: return "DVD+R";
    case 0x20: return "DDCD-ROM";
    case 0x21: return "DDCD-R";
    case 0x22: return "DDCD-RW";
    default: return "???????";
    }
}

std::uint64_t CDImageSectors(std::uint64_t BinBytes) { return (BinBytes + kCdSectorBytes - 1) / kCdSectorBytes; }

bool CDImageFits(std::uint64_t BinBytes, std::uint32_t FreeBlocks) { return CDImageSectors(BinBytes) <= FreeBlocks; }

std::uint16_t TSCSIDevice::CurrentProfile()
{
    alignas(8) std::uint8_t bytes[114] = {};
    std::uint32_t returned = 0;
    if (!GetConfigData(0, 0, bytes, sizeof bytes, &returned))
        return 0;
    // The feature header: data length (bytes 0-3), then the current profile at bytes 6-7.
    return TReply(bytes, returned).Within(0, 4).Be16(6);
}

std::uint8_t TSCSIDevice::DiscType()
{
    std::uint8_t kind = DiscKindOfProfile(CurrentProfile());
    if (kind == dkUnknown) {
        alignas(8) std::uint8_t bytes[kAtipLength] = {};
        std::uint32_t returned = 0;
        if (ReadTOC(4, bytes, kAtipLength, 0, true, 0, &returned)) {
            const TReply atip = Atip(bytes, returned);
            if (atip.Has(6))
                kind = (atip.U8(6) & 0x80) ? ((atip.U8(6) & 0x40) ? dkCDRW : dkCDR) : dkCDROM;
        }
    }
    if (kind == dkUnknown) {
        std::array<std::uint8_t, 56> info{};
        if (ReadDiscInformationInto(info))
            kind = (info[2] & 0x10) ? dkCDRW : dkCDR;
    }
    if (kind == dkUnknown && TestUnitReady(10000))
        kind = dkCDROM;
    mediumIs_ = kind;
    return kind;
}

bool TSCSIDevice::ReadDiscInformationInto(std::array<std::uint8_t, 56>& info)
{
    info.fill(0);
    std::uint32_t returned = 0;
    if (!ReadDiscInformationRaw(info.data(), static_cast<std::uint16_t>(info.size()), &returned))
        return false;
    // Only what the reply's own length (bytes 0-1) covers counts; without the
    // disc status (byte 2) it says nothing.
    const TReply reply = TReply(info.data(), returned).Within(0, 2);
    if (!reply.Has(2)) {
        info.fill(0);
        return false;
    }
    std::fill(info.begin() + static_cast<std::ptrdiff_t>(reply.Size()), info.end(), 0);
    std::swap(info[0], info[1]);   // the length word in host order
    return true;
}

bool TSCSIDevice::ReadDiscInformation()
{
    std::array<std::uint8_t, 56> info{};
    const bool ok = ReadDiscInformationInto(info);
    std::lock_guard<std::mutex> guard(stateMutex_);
    discInfo_ = info;
    return ok;
}

std::array<std::uint8_t, 56> TSCSIDevice::DiscInfo() const
{
    std::lock_guard<std::mutex> guard(stateMutex_);
    return discInfo_;
}

std::int16_t TSCSIDevice::DiscStatus()
{
    if (!ReadDiscInformation())
        return -1;
    return DiscInfo()[2] & 0x03;
}

std::int16_t TSCSIDevice::LastSessionStatus()
{
    if (!ReadDiscInformation())
        return -1;
    return (DiscInfo()[2] >> 2) & 0x03;
}

std::int16_t TSCSIDevice::SessionsOnDisc()
{
    if (!ReadDiscInformation())
        return 0;
    const std::array<std::uint8_t, 56> info = DiscInfo();
    if ((info[2] & 0x03) == 0)
        return 0;
    std::int16_t sessions = info[4];
    const bool lastEmpty = ((info[2] >> 2) & 0x03) == 0;
    if (lastEmpty && sessions > 0)
        --sessions;
    return sessions;
}

bool TSCSIDevice::Erasable()
{
    if (ReadDiscInformation())
        return (DiscInfo()[2] & 0x10) != 0;
    const std::uint8_t kind = DiscType();
    return kind == dkDVDRAM || kind == dkDVDRWRestricted || kind == dkDVDRWSequential || kind == dkDVDPLUSRW;
}

bool TSCSIDevice::ReadTrackInformation(std::uint32_t Track)
{
    TTrackInfo info;
    std::uint8_t cdb[10] = {0x52, 1, 0, 0, 0, 0, 0, 0, 40, 0};
    cdb[2] = static_cast<std::uint8_t>(Track >> 24);
    cdb[3] = static_cast<std::uint8_t>(Track >> 16);
    cdb[4] = static_cast<std::uint8_t>(Track >> 8);
    cdb[5] = static_cast<std::uint8_t>(Track);
    std::uint32_t returned = 0;
    bool ok = Run(std::vector<std::uint8_t>(cdb, cdb + sizeof cdb), SRB_DIR_IN, info.Bytes.data(),
                  static_cast<std::uint32_t>(info.Bytes.size()), 60000, nullptr, &returned);
    // The fields count as far as the reply's own length (bytes 0-1) covers them;
    // one without even the track start tells nothing.
    const TReply reply = TReply(info.Bytes.data(), returned).Within(0, 2);
    ok = ok && reply.Has(8, 4);
    if (ok) {
        std::fill(info.Bytes.begin() + static_cast<std::ptrdiff_t>(reply.Size()), info.Bytes.end(), 0);
        info.TrackStart = reply.Be32(8);
        info.NextWritable = reply.Be32(12);
        info.FreeBlocks = reply.Be32(16);
        info.PacketSize = reply.Be32(20);
        info.TrackSize = reply.Be32(24);
        info.LastRecorded = reply.Be32(28);
        info.NextWritableValid = reply.Has(12, 4) && (reply.U8(7) & 0x01);
    } else {
        info.Bytes.fill(0);
    }
    std::lock_guard<std::mutex> guard(stateMutex_);
    trackInfo_ = info;
    return ok;
}

TSCSIDevice::TTrackInfo TSCSIDevice::TrackInfo() const
{
    std::lock_guard<std::mutex> guard(stateMutex_);
    return trackInfo_;
}

bool TSCSIDevice::GetFormatCapacity(std::uint32_t& Capacity, std::uint32_t& BlockLength)
{
    std::vector<std::uint8_t> bytes(248, 0);
    std::uint8_t cdb[10] = {0x23, 0, 0, 0, 0, 0, 0, 0, 248, 0};
    BlockLength = 2048;
    std::uint32_t returned = 0;
    if (!Run(std::vector<std::uint8_t>(cdb, cdb + sizeof cdb), SRB_DIR_IN, bytes.data(), 248, 10000, nullptr,
             &returned))
        return false;
    // The capacity list length (byte 3) counts the descriptors after the 4-byte header.
    const TReply reply = TReply(bytes.data(), returned).Within(3, 1);
    if (!reply.Has(4, 8))
        return false;
    // The first descriptor tells the capacity as it stands (type in bits 0-1 of
    // byte 4: 1 unformatted, 2 formatted, 3 no disc); an unformatted DVD+RW
    // gives its size in the format-type 0x26 descriptor.
    const std::uint8_t type = reply.U8(8) & 0x03;
    if (type == 3)
        return false;
    Capacity = reply.Be32(4);
    if (type == 1)
        for (std::size_t at = 12; reply.Has(at, 8); at += 8)
            if (reply.U8(at + 4) == (0x26 << 2)) {
                Capacity = reply.Be32(at);
                break;
            }
    return true;
}

std::uint32_t TSCSIDevice::GetLastRecordedAddress()
{
    std::vector<std::uint8_t> sector(2048);
    for (std::uint32_t lba = 16; lba <= 32; ++lba) {
        std::uint32_t returned = 0;
        // A short sector is no volume descriptor (the zeros past what came do not match).
        if (!Read10(lba, 1, sector.data(), 2048, &returned) || returned < 84)
            continue;
        if ((sector[0] == 1 || sector[0] == 2) && std::memcmp(&sector[1], "CD001", 5) == 0)
            return std::uint32_t{sector[80]} | (std::uint32_t{sector[81]} << 8) | (std::uint32_t{sector[82]} << 16) |
                   (std::uint32_t{sector[83]} << 24);
    }
    return 0;
}

std::uint32_t TSCSIDevice::FreeBlocksOnDisc()
{
    const std::uint8_t kind = DiscType();
    // The drive tells the room of the write mode in force: write the page the burn will use.
    // A drive that refuses the page tells the room of the mode it keeps.
    (void)SetWriteParams(false, true, kind);
    if (!ReadDiscInformation())
        return 0;
    const std::uint8_t track = DiscInfo()[6];
    if (!IsCDKind(kind))
        return DvdFreeBlocks(kind, track);
    const std::int16_t status = DiscStatus();   // read again: the page may have changed what the drive tells
    if (status == 2 || status < 0)
        return 0;
    if (!ReadTrackInformation(track) && !ReadTrackInformation(track))
        return 0;
    const TTrackInfo info = TrackInfo();
    return std::max(info.FreeBlocks, info.TrackSize);
}

std::uint32_t TSCSIDevice::DvdFreeBlocks(std::uint8_t kind, std::uint8_t track)
{
    if (!ReadTrackInformation(track))
        return 0;
    const TTrackInfo info = TrackInfo();
    if (kind == dkDVDRWRestricted && info.NextWritable == 0) {
        std::uint32_t capacity = 0, blockLength = 0;
        if (GetFormatCapacity(capacity, blockLength) && info.TrackSize != info.FreeBlocks)
            return capacity > info.TrackSize ? capacity - info.TrackSize : 0;
    }
    if (kind == dkDVDRAM || kind == dkDVDPLUSRW) {
        const std::uint32_t used = GetLastRecordedAddress();
        return info.TrackSize > used ? info.TrackSize - used : 0;
    }
    if (info.TrackSize >= 0xFFFFFFFE)
        return 0;
    return info.FreeBlocks;
}

std::uint32_t TSCSIDevice::UsedBlocksOnDisc()
{
    const std::uint8_t kind = DiscType();
    std::uint32_t lba = 0, blockLength = 0;
    if (IsCDKind(kind)) {
        if (ReadTrackInformation(static_cast<std::uint32_t>(SessionsOnDisc()) + 1)) {
            const TTrackInfo info = TrackInfo();
            return info.NextWritable == 0xFFFFFFFF ? info.TrackSize : info.NextWritable;
        }
        if (ReadCapacity(lba, blockLength))
            return lba + 1;
        return TrackInfo().FreeBlocks;
    }
    if (ReadCapacity(lba, blockLength) && lba < 0x7F000001)
        return lba + 1;
    std::uint32_t capacity = 0;
    return GetFormatCapacity(capacity, blockLength) ? capacity : 0;
}

std::uint32_t TSCSIDevice::TotalBlocksOnDisc()
{
    const std::uint8_t kind = DiscType();
    if (IsCDKind(kind)) {
        alignas(8) std::uint8_t bytes[kAtipLength] = {};
        std::uint32_t returned = 0;
        std::uint32_t total = 0;
        // The lead-out's possible start: ATIP bytes 12-14 (MSF).
        if (ReadTOC(4, bytes, kAtipLength, 0, true, 0, &returned) && Atip(bytes, returned).Has(12, 3))
            total = MsfToBlocks(bytes[12], bytes[13], bytes[14]);
        std::uint32_t lba = 0, blockLength = 0;
        if (total < 20000 && ReadCapacity(lba, blockLength))
            total = std::max(total, lba + 1);
        return total;
    }
    std::uint32_t capacity = 0, blockLength = 0;
    if (GetFormatCapacity(capacity, blockLength))
        return capacity;
    if (ReadDiscInformation() && ReadTrackInformation(DiscInfo()[6])) {
        const TTrackInfo info = TrackInfo();
        return info.TrackStart + info.FreeBlocks;
    }
    return UsedBlocksOnDisc();
}

TDisc TSCSIDevice::GetDiscInformation()
{
    TDisc disc;
    if (!TestUnitReady(5000)) {
        (void)WaitForReady(3000, 5000);   // however the wait ends, the test after it decides
        if (!TestUnitReady(5000))
            return disc;
    }
    disc.Present = true;
    alignas(8) std::uint8_t toc[804] = {};
    std::uint32_t returned = 0;
    // The first and last track numbers follow the TOC's data length (bytes 0-1).
    if (ReadTOC(0, toc, sizeof toc, 0, false, 0, &returned) && TReply(toc, returned).Within(0, 2).Has(2, 2)) {
        disc.FirstTrack = toc[2];
        disc.LastTrack = toc[3];
    }
    alignas(8) std::uint8_t atip[kAtipLength] = {};
    if (ReadTOC(4, atip, kAtipLength, 0, true, 0, &returned) && Atip(atip, returned).Has(12, 3))
        disc.LeadOut = MsfToBlocks(atip[12], atip[13], atip[14]);
    disc.CurrentProfile = CurrentProfile();
    disc.Description = MediumDescription(disc.CurrentProfile);
    disc.Erasable = ErasableProfile(disc.CurrentProfile);
    const std::uint8_t kind = DiscKindOfProfile(disc.CurrentProfile);
    std::array<std::uint8_t, 56> info{};
    const bool haveInfo = ReadDiscInformationInto(info);
    const std::uint32_t track = IsCDKind(kind) ? (haveInfo ? info[6] : disc.LastTrack) : 1;
    if (ReadTrackInformation(track)) {
        const TTrackInfo t = TrackInfo();
        disc.TrackStart = t.TrackStart;
        disc.FreeBlocks = t.FreeBlocks;
        disc.UsedBlocks = t.NextWritable;
    }
    std::uint32_t capacity = 0, blockLength = 0;
    if (GetFormatCapacity(capacity, blockLength))
        disc.Capacity = capacity;
    else if (disc.LeadOut)
        disc.Capacity = disc.LeadOut;
    if (haveInfo) {
        disc.Erasable = disc.Erasable || (info[2] & 0x10);
        disc.DiscStatus = info[2] & 0x03;
        disc.LastSessionStatus = (info[2] >> 2) & 0x03;
    } else {
        std::uint32_t lba = 0;
        if (ReadCapacity(lba, blockLength))
            disc.UsedBlocks = lba + 1;
    }
    return disc;
}

bool TSCSIDevice::GetDiskInformation()
{
    TSRB_GetDiskInfo srb;
    srb.SRB_Cmd = SC_GET_DISK_INFO;
    srb.SRB_HaId = Address().hostAdapter;
    srb.SRB_Target = Address().target;
    srb.SRB_Lun = Address().lun;
    SendASPI32Command(&srb);
    return srb.SRB_Status == SS_COMP;
}

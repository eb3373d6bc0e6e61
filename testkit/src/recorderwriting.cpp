// The virtual recorder's writing, reading back, closing and erasing.
#include "recorderstate.h"

#include "win32/cdsector.h"
#include "rtl/clock.h"

#include <algorithm>
#include <cstring>

namespace testkit::recorder {

namespace {

constexpr std::uint32_t kRawSector = 2352;
constexpr std::uint32_t kUserSector = 2048;
constexpr std::uint8_t kSync[12] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

bool KnownDataForm(std::uint8_t form)
{
    return form == 0x00 || form == 0x01 || form == 0x10 || form == 0x14 || form == 0x20 || form == 0x21 ||
           form == 0x24;
}

// The entry of the program area that holds a sector (the last one starting at or before it).
const CueEntry* EntryFor(const std::vector<CueEntry>& cue, std::int64_t lba)
{
    const CueEntry* found = nullptr;
    for (const CueEntry& e : cue)
        if (e.tno >= 1 && e.tno <= 99 && e.lba <= lba)
            found = &e;
    return found;
}

std::int64_t LeadOut(const std::vector<CueEntry>& cue) { return cue.empty() ? 0 : cue.back().lba; }

// A 2352-byte sector as it lies on the disc, from what the host sent for it:
// raw sectors as sent; the drive makes the sync and header of data sectors,
// and the EDC and ECC of mode 1 ones.
void MakeRawSector(std::int64_t lba, std::uint8_t form, const std::uint8_t* sent, std::uint8_t* raw)
{
    std::memset(raw, 0, kRawSector);
    if (form == 0x00 || form == 0x21) {
        std::memcpy(raw, sent, kRawSector);
        return;
    }
    CdSectorHeader(raw, static_cast<std::int32_t>(lba), form == 0x10 ? 1 : 2);
    if (form == 0x10) {
        std::memcpy(raw + 16, sent, kUserSector);
        CdSectorCodes(raw);
    } else {
        std::memcpy(raw + 16, sent, 2336);
    }
}

// Holds the write back while the drive's buffer has no room for it.
void Throttle(RecorderState& s, const RecorderConfig& config, std::uint32_t bytes)
{
    if (!s.throttle)
        return;
    Drain(s);
    if (s.bufferFill + bytes > config.bufferBytes && s.writeSpeed > 0) {
        const std::uint64_t excess = s.bufferFill + bytes - config.bufferBytes;
        CurrentClock().SleepMs(static_cast<std::uint32_t>((excess + s.writeSpeed - 1) / s.writeSpeed));
        Drain(s);
    }
    s.bufferFill += bytes;
}

// The tracks a disc-at-once session leaves: each starts at its index 1.
std::vector<Track> TracksOf(const std::vector<CueEntry>& cue)
{
    std::vector<Track> tracks;
    for (std::size_t i = 0; i < cue.size(); ++i) {
        const CueEntry& e = cue[i];
        if (e.tno < 1 || e.tno > 99)
            continue;
        if (tracks.empty() || tracks.back().number != e.tno) {
            if (!tracks.empty())
                tracks.back().size = e.lba - tracks.back().start;
            tracks.push_back(Track{e.tno, e.lba, 0, e.dataForm == 0x00 || e.dataForm == 0x01, (e.dataForm & 0x20) != 0});
        }
        if (e.index == 1) {
            tracks.back().start = e.lba;
            tracks.back().audio = e.dataForm == 0x00 || e.dataForm == 0x01;
            tracks.back().xa = (e.dataForm & 0x20) != 0;
        }
    }
    if (!tracks.empty())
        tracks.back().size = LeadOut(cue) - tracks.back().start;
    return tracks;
}

void CloseSession(RecorderState& s)
{
    s.tracks = TracksOf(s.cue);
    s.sessionOpen = false;
    s.complete = (s.page05[3] & 0xC0) == 0;   // multi-session 0: nothing may follow
    s.nextWritable = s.complete ? s.capacity : LeadOut(s.cue) + 11400;
}

// The open track-at-once track ends where its data ends; the next track's pregap follows it.
void CloseTaoTrack(RecorderState& s)
{
    if (!s.taoTrack)
        return;
    const Track track{s.tracks.empty() ? 1 : s.tracks.back().number + 1, s.taoStart, s.expected - s.taoStart,
                      s.taoAudio, s.taoXa};
    s.tracks.push_back(track);
    s.pma.push_back(track);
    s.taoTrack = false;
    s.reserved = 0;
    s.pregapFrom = s.expected;
    s.nextWritable = s.expected + 150;
}

// Lead-in and lead-out of a track-at-once session; the page's multi-session field says whether another may follow.
void CloseTaoSession(RecorderState& s)
{
    CloseTaoTrack(s);
    s.taoSession = false;
    s.complete = (s.page05[3] & 0xC0) == 0;
    const std::int64_t end = s.tracks.empty() ? 0 : s.tracks.back().start + s.tracks.back().size;
    s.nextWritable = s.complete ? s.capacity : end + 11400;
    s.pregapFrom = -1;
}

// A track-at-once sector as the drive lays it down from what the host sent in a data block type.
void MakeTaoSector(std::int64_t lba, std::uint8_t blockType, const std::uint8_t* sent, std::uint8_t* raw)
{
    std::memset(raw, 0, kRawSector);
    switch (blockType) {
    case 0: std::memcpy(raw, sent, kRawSector); return;
    case 8:   // mode 1: the drive makes sync, header, EDC and ECC
        CdSectorHeader(raw, static_cast<std::int32_t>(lba), 1);
        std::memcpy(raw + 16, sent, kUserSector);
        CdSectorCodes(raw);
        return;
    case 9:   // mode 2 as sent after the header
        CdSectorHeader(raw, static_cast<std::int32_t>(lba), 2);
        std::memcpy(raw + 16, sent, 2336);
        return;
    default:   // 13, mode 2 form 1 or 2 by the sub-header: the drive makes the EDC (and ECC)
        CdSectorHeader(raw, static_cast<std::int32_t>(lba), 2);
        std::memcpy(raw + 16, sent, 2332);
        CdSectorCodes(raw);
        return;
    }
}

// The pregap sector a drive writes before a track's data: silence, an empty mode 1
// sector, or an empty form 2 sector for a mode 2 track (as a VCD track's pregap is laid).
void MakePregapSector(std::int64_t lba, bool audio, bool xa, std::uint8_t* raw)
{
    std::memset(raw, 0, kRawSector);
    if (audio)
        return;
    CdSectorHeader(raw, static_cast<std::int32_t>(lba), xa ? 2 : 1);
    if (xa)
        raw[18] = raw[22] = 0x20;
    CdSectorCodes(raw);
}

ScsiResult WriteTrackAtOnce(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command,
                            std::int32_t lba, std::uint32_t count, bool hardError)
{
    const std::uint8_t blockType = s.page05[4] & 0x0F;
    const bool data = (s.page05[3] & 0x04) != 0;
    const std::uint32_t size = BlockSize(blockType);
    if (size == 0 || (!data && blockType != 0))
        return Check(0x05, 0x64, 0x00);   // illegal mode for this track
    if (s.complete)
        return Check(0x05, 0x21, 0x02);
    if (lba != (s.taoTrack ? s.expected : s.nextWritable))
        return Check(0x05, 0x21, 0x02);
    const std::int64_t end = std::int64_t(lba) + count;
    const std::int64_t trackFrom = s.taoTrack ? s.taoStart : lba;
    if (end > s.capacity || (s.reserved && end > trackFrom + s.reserved))
        return Check(0x05, 0x21, 0x00);   // past the disc or past the reserved track
    if (command.direction != ScsiDirection::Out || !command.buffer || command.length != std::uint64_t{count} * size)
        return Check(0x05, 0x26, 0x00);
    if (hardError)
        return Check(0x03, 0x0C, 0x00);
    Throttle(s, config, command.length);
    std::vector<std::uint8_t> raw(kRawSector);
    if (!s.taoTrack) {
        s.taoTrack = true;
        s.taoSession = true;
        s.taoStart = lba;
        s.expected = lba;
        s.taoAudio = !data;
        s.taoXa = blockType == 9 || blockType == 13;
        // The drive lays down the pregap of every track after the disc's first.
        for (std::int64_t sector = std::max<std::int64_t>(s.pregapFrom, 0); s.pregapFrom >= 0 && sector < lba;
             ++sector) {
            MakePregapSector(sector, s.taoAudio, s.taoXa, raw.data());
            s.written.Write(std::uint64_t(sector) * kRawSector, raw.data(), raw.size(), false);
        }
    }
    const auto* sent = static_cast<const std::uint8_t*>(command.buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        MakeTaoSector(std::int64_t(lba) + i, blockType, sent + std::size_t{i} * size, raw.data());
        s.written.Write(std::uint64_t(lba + std::int64_t(i)) * kRawSector, raw.data(), raw.size(), false);
    }
    s.expected = end;
    s.recorded = static_cast<std::uint32_t>(std::max<std::int64_t>(s.recorded, end));
    return Good();
}

// Runs an operation's busy time: at once for an immediate command (the drive
// answers "not ready" meanwhile), else before the command returns.
void BusyFor(RecorderState& s, std::uint32_t ms, std::uint8_t ascq, bool immediate)
{
    if (immediate)
        StartBusy(s, ms, ascq);
    else if (ms)
        CurrentClock().SleepMs(ms);
}

} // namespace

std::uint32_t BlockSize(std::uint8_t blockType)
{
    switch (blockType) {
    case 0: return kRawSector;
    case 8: return kUserSector;
    case 9: return 2336;
    case 13: return 2332;
    default: return 0;
    }
}

std::uint32_t HostSectorSize(std::uint8_t dataForm)
{
    switch (dataForm) {
    case 0x00:
    case 0x21: return kRawSector;
    case 0x10: return kUserSector;
    case 0x20: return 2336;
    default: return 0;
    }
}

ScsiResult SendCueSheet(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    if (s.faults.refuseCueSheet)
        return Check(0x05, 0x26, 0x00);
    if (s.medium.kind != MediumKind::CdR && s.medium.kind != MediumKind::CdRw)
        return Check(0x05, 0x2C, 0x00);
    if (s.complete || s.recorded > 0 || s.taoSession)
        return Check(0x05, 0x2C, 0x03);   // the program area is not empty
    const std::uint32_t length = Get24(&command.cdb[6]);
    if ((s.page05[2] & 0x0F) != 2 || length == 0 || length % 8 != 0 || length > command.length ||
        command.direction != ScsiDirection::Out || !command.buffer)
        return Check(0x05, 0x26, 0x00);
    const auto* sheet = static_cast<const std::uint8_t*>(command.buffer);
    std::vector<CueEntry> cue;
    for (std::uint32_t at = 0; at < length; at += 8) {
        const std::uint8_t* e = sheet + at;
        if (e[6] >= 60 || e[7] >= 75 || !KnownDataForm(e[3]))
            return Check(0x05, 0x26, 0x00);
        CueEntry entry{e[0], e[1], e[2], e[3], LbaOf(e[5], e[6], e[7])};
        const bool last = at + 8 == length;
        if ((at == 0 && entry.tno != 0) || (last != (entry.tno == 0xAA)) ||
            (!last && at > 0 && (entry.tno < 1 || entry.tno > 99)))
            return Check(0x05, 0x26, 0x00);
        if (!cue.empty()) {
            const CueEntry& before = cue.back();
            const bool rising = entry.tno > before.tno || (entry.tno == before.tno && entry.index > before.index);
            if (!rising || entry.lba < before.lba)
                return Check(0x05, 0x26, 0x00);
        }
        cue.push_back(entry);
    }
    const CueEntry* first = cue.size() > 1 ? &cue[1] : nullptr;
    if (!first || first->tno == 0xAA)
        return Check(0x05, 0x26, 0x00);
    s.cue = std::move(cue);
    s.cueSheet.assign(sheet, sheet + length);
    s.sessionOpen = true;
    s.expected = first->lba;
    if (s.written.IsOpen())
        s.written.Truncate(0);
    return Good();
}

ScsiResult Write10(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    const auto lba = static_cast<std::int32_t>(Get32(&command.cdb[2]));
    const std::uint32_t count = Get16(&command.cdb[7]);
    if (s.faults.longWriteBusyWrites > 0) {
        --s.faults.longWriteBusyWrites;
        return Check(0x02, 0x04, 0x08);
    }
    if (IsRom(s.medium.kind))
        return Check(0x05, 0x30, 0x05);
    const bool sent = command.direction == ScsiDirection::Out && command.buffer;
    const auto* data = static_cast<const std::uint8_t*>(command.buffer);
    const bool hardError = s.faults.hardWriteErrorAt && *s.faults.hardWriteErrorAt >= lba &&
                           *s.faults.hardWriteErrorAt < std::int64_t(lba) + count;

    if (IsCd(s.medium.kind)) {
        if (!s.sessionOpen && (s.page05[2] & 0x0F) == 1)
            return WriteTrackAtOnce(s, config, command, lba, count, hardError);
        if (!s.sessionOpen)
            return Check(0x05, 0x2C, 0x00);
        if (lba != s.expected)
            return Check(0x05, 0x21, 0x02);
        if (std::int64_t(lba) + count > LeadOut(s.cue))
            return Check(0x05, 0x21, 0x00);
        std::uint64_t expectedBytes = 0;
        std::vector<std::uint8_t> forms(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const CueEntry* entry = EntryFor(s.cue, std::int64_t(lba) + i);
            forms[i] = entry ? entry->dataForm : 0x01;
            const std::uint32_t size = HostSectorSize(forms[i]);
            if (size == 0)
                return Check(0x05, 0x26, 0x00);
            expectedBytes += size;
        }
        if (!sent || command.length != expectedBytes)
            return Check(0x05, 0x26, 0x00);
        // The pregap before LBA 0 is the drive's to write: the host may only send zeros for it.
        std::uint64_t offset = 0;
        for (std::uint32_t i = 0; i < count && std::int64_t(lba) + i < 0; ++i) {
            const std::uint32_t size = HostSectorSize(forms[i]);
            if (!std::all_of(data + offset, data + offset + size, [](std::uint8_t b) { return b == 0; }))
                return Check(0x05, 0x26, 0x00);
            offset += size;
        }
        if (hardError)
            return Check(0x03, 0x0C, 0x00);
        Throttle(s, config, command.length);
        offset = 0;
        std::vector<std::uint8_t> raw(kRawSector);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::int64_t sector = std::int64_t(lba) + i;
            if (sector >= 0) {
                MakeRawSector(sector, forms[i], data + offset, raw.data());
                s.written.Write(std::uint64_t(sector) * kRawSector, raw.data(), raw.size(), false);
            }
            offset += HostSectorSize(forms[i]);
        }
        s.expected += count;
        s.recorded = static_cast<std::uint32_t>(std::max<std::int64_t>(s.recorded, std::int64_t(lba) + count));
        return Good();
    }

    // DVD media: 2048-byte sectors; the write-once kinds only at the next writable address.
    if (s.complete)
        return Check(0x05, 0x21, 0x02);
    if (!sent || command.length != std::uint64_t{count} * kUserSector)
        return Check(0x05, 0x26, 0x00);
    const bool sequential = IsSequentialDvd(s.medium.kind);
    if (lba < 0 || (sequential && lba != s.nextWritable))
        return Check(0x05, 0x21, 0x02);
    if (std::int64_t(lba) + count > s.capacity)
        return Check(0x05, 0x21, 0x00);
    if (hardError)
        return Check(0x03, 0x0C, 0x00);
    Throttle(s, config, command.length);
    s.written.Write(std::uint64_t(lba) * kUserSector, data, command.length, true, kUserSector);
    s.formatted = true;
    s.recorded = static_cast<std::uint32_t>(std::max<std::int64_t>(s.recorded, std::int64_t(lba) + count));
    if (sequential)
        s.nextWritable = std::int64_t(lba) + count;
    s.tracks = {Track{1, 0, s.recorded, false}};
    return Good();
}

ScsiResult Read10(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    const auto lba = static_cast<std::int32_t>(Get32(&command.cdb[2]));
    const std::uint32_t count = Get16(&command.cdb[7]);
    if (command.direction != ScsiDirection::In || !command.buffer || command.length < std::uint64_t{count} * kUserSector)
        return Check(0x05, 0x24, 0x00);
    const bool random = s.medium.kind == MediumKind::DvdPlusRw || s.medium.kind == MediumKind::DvdRam ||
                        s.medium.kind == MediumKind::DvdRwRestricted;
    const std::int64_t end = random ? s.capacity : s.recorded;
    if (lba < 0 || std::int64_t(lba) + count > end)
        return Check(0x05, 0x21, 0x00);
    const bool fromContent = s.content.IsOpen();
    const SectorFile& file = fromContent ? s.content : s.written;
    const bool raw = fromContent ? s.medium.rawSectors : IsCd(s.medium.kind);
    auto* out = static_cast<std::uint8_t*>(command.buffer);
    std::vector<std::uint8_t> sector(kRawSector);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t at = std::uint64_t(lba) + i;
        if (!raw) {
            file.Read(at * kUserSector, out + i * kUserSector, kUserSector);
            continue;
        }
        file.Read(at * kRawSector, sector.data(), kRawSector);
        if (std::memcmp(sector.data(), kSync, sizeof kSync) != 0)
            return Check(0x05, 0x64, 0x00);   // an audio sector has no user data to read
        const std::size_t user = sector[15] == 2 ? 24 : 16;
        std::memcpy(out + i * kUserSector, sector.data() + user, kUserSector);
    }
    ScsiResult result;
    result.residual = static_cast<std::int32_t>(command.length - std::uint64_t{count} * kUserSector);
    return result;
}

bool RawSector(const RecorderState& s, std::int64_t lba, std::uint8_t* raw)
{
    if (lba < 0 || lba >= std::int64_t{s.recorded})
        return false;
    if (s.content.IsOpen() && !s.medium.rawSectors) {
        // A disc read from 2048-byte sectors: mode 1 sectors around them.
        std::memset(raw, 0, kRawSector);
        CdSectorHeader(raw, static_cast<std::int32_t>(lba), 1);
        s.content.Read(std::uint64_t(lba) * kUserSector, raw + 16, kUserSector);
        CdSectorCodes(raw);
        return true;
    }
    const SectorFile& file = s.content.IsOpen() ? s.content : s.written;
    return file.Read(std::uint64_t(lba) * kRawSector, raw, kRawSector);
}

ScsiResult ReadCd(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    if (!IsCd(s.medium.kind))
        return Check(0x05, 0x30, 0x02);   // no CD in the drive
    const std::uint8_t expected = (command.cdb[1] >> 2) & 0x07;
    const auto lba = static_cast<std::int32_t>(Get32(&command.cdb[2]));
    const std::uint32_t count = Get24(&command.cdb[6]);
    const std::uint8_t fields = command.cdb[9];
    const std::uint8_t headers = (fields >> 5) & 0x03;
    const std::uint8_t errors = (fields >> 1) & 0x03;
    if (expected > 5 || errors == 3 || (command.cdb[10] & 0x07) != 0)   // no sub-channel is kept
        return Check(0x05, 0x24, 0x00);
    if (lba < 0 || std::int64_t(lba) + count > std::int64_t{s.recorded})
        return Check(0x05, 0x21, 0x00);
    std::vector<std::uint8_t> reply;
    std::vector<std::uint8_t> raw(kRawSector);
    for (std::uint32_t i = 0; i < count; ++i) {
        RawSector(s, std::int64_t(lba) + i, raw.data());
        const bool audio = std::memcmp(raw.data(), kSync, sizeof kSync) != 0;
        const std::uint8_t mode = audio ? 0 : raw[15];
        const bool form2 = mode == 2 && CdSectorForm2(raw.data());
        // Sector types: 1 CD-DA, 2 mode 1, 3 mode 2 formless, 4 form 1, 5 form 2.
        const std::uint8_t type = audio ? 1 : mode == 1 ? 2 : form2 ? 5 : 4;
        if (expected != 0 && expected != type && !(expected == 3 && mode == 2))
            return Check(0x05, 0x64, 0x00);   // illegal mode for this track
        auto take = [&](std::size_t from, std::size_t bytes) {
            reply.insert(reply.end(), raw.begin() + static_cast<std::ptrdiff_t>(from),
                         raw.begin() + static_cast<std::ptrdiff_t>(from + bytes));
        };
        if (audio) {
            if (fields & 0x10)
                take(0, kRawSector);
        } else {
            if (fields & 0x80)
                take(0, 12);
            if (headers & 0x01)
                take(12, 4);
            if ((headers & 0x02) && mode == 2)
                take(16, 8);
            const std::size_t data = mode == 1 ? 16 : 24;
            const std::size_t end = mode == 1 ? 2064 : form2 ? 2348 : 2072;
            if (fields & 0x10)
                take(data, end - data);
            if (fields & 0x08)
                take(end, kRawSector - end);
        }
        if (errors)   // no read errors: all C2 flags clear
            reply.resize(reply.size() + (errors == 1 ? 294 : 296), 0);
    }
    return Reply(command, reply, static_cast<std::uint32_t>(reply.size()));
}

ScsiResult ReserveTrack(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    const std::uint32_t size = Get32(&command.cdb[5]);
    if (!IsCd(s.medium.kind) || IsRom(s.medium.kind) || s.complete || s.sessionOpen ||
        (s.page05[2] & 0x0F) != 1 || s.reserved != 0)
        return Check(0x05, 0x2C, 0x00);   // only the open track of a track-at-once disc, once
    if (s.taoTrack)
        return Check(0x05, 0x2C, 0x00);   // the open track is being written already
    if (size == 0)
        return Check(0x05, 0x24, 0x00);
    if (std::int64_t{size} > std::int64_t{s.capacity} - s.nextWritable)
        return Check(0x05, 0x21, 0x00);
    s.reserved = size;
    return Good();
}

ScsiResult SynchronizeCache(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    const bool immediate = command.cdb[1] & 0x02;
    std::uint32_t drainMs = 0;
    if (s.throttle && s.writeSpeed > 0) {
        Drain(s);
        drainMs = static_cast<std::uint32_t>((s.bufferFill + s.writeSpeed - 1) / s.writeSpeed);
    }
    BusyFor(s, config.syncBusyMs + drainMs, 0x08, immediate);
    s.bufferFill = 0;   // on the disc once the busy time is over
    s.lastDrain = CurrentClock().NowMs();
    if (IsCd(s.medium.kind) && s.sessionOpen)
        CloseSession(s);
    else if (IsCd(s.medium.kind))
        CloseTaoTrack(s);   // track at once: the written track is closed
    return Good();
}

ScsiResult CloseTrackSession(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    const std::uint8_t function = command.cdb[2] & 0x07;
    if (IsCd(s.medium.kind)) {
        if (IsRom(s.medium.kind) || s.complete || s.sessionOpen || (function != 1 && function != 2))
            return Check(0x05, 0x2C, 0x00);
        if (function == 1) {
            CloseTaoTrack(s);
            return Good();
        }
        if (!s.taoSession)
            return Check(0x05, 0x2C, 0x00);   // no session open to close
        BusyFor(s, config.syncBusyMs, 0x08, command.cdb[1] & 0x01);
        CloseTaoSession(s);
        return Good();
    }
    if (IsSequentialDvd(s.medium.kind) && !s.complete && (function == 2 || function == 5 || function == 6) &&
        s.recorded > 0) {
        s.complete = true;
        s.tracks = {Track{1, 0, s.recorded, false}};
    }
    return Good();
}

ScsiResult Blank(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    const MediumKind kind = s.medium.kind;
    if (kind != MediumKind::CdRw && kind != MediumKind::DvdRw && kind != MediumKind::DvdRwRestricted)
        return Check(0x05, 0x30, 0x00);
    BusyFor(s, config.blankBusyMs, 0x07, command.cdb[1] & 0x10);
    if (kind == MediumKind::DvdRwRestricted)
        s.medium.kind = MediumKind::DvdRw;   // blanking returns it to sequential recording
    ResetToBlank(s, config);
    return Good();
}

ScsiResult FormatUnit(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    const MediumKind kind = s.medium.kind;
    if (kind != MediumKind::DvdPlusRw && kind != MediumKind::DvdRam && kind != MediumKind::DvdRw &&
        kind != MediumKind::DvdRwRestricted)
        return Check(0x05, 0x30, 0x00);
    bool immediate = false;
    if (command.cdb[1] & 0x10) {   // a parameter list follows: header and one format descriptor
        if (command.direction != ScsiDirection::Out || !command.buffer || command.length < 12)
            return Check(0x05, 0x1A, 0x00);
        immediate = static_cast<const std::uint8_t*>(command.buffer)[1] & 0x02;
    }
    if (s.faults.refuseFirstFormat && !s.formatRefused) {
        s.formatRefused = true;
        return Check(0x03, 0x31, 0x01);
    }
    BusyFor(s, config.blankBusyMs, 0x07, immediate);
    if (kind == MediumKind::DvdRw)
        s.medium.kind = MediumKind::DvdRwRestricted;
    ResetToBlank(s, config);
    return Good();
}

} // namespace testkit::recorder

// The virtual recorder's answers about itself and its disc, laid out as MMC lays them out.
#include "recorderstate.h"

#include "rtl/clock.h"

#include <algorithm>

namespace testkit::recorder {

namespace {

constexpr std::uint8_t kPageWriteParameters = 0x05;
constexpr std::uint8_t kPageCapabilities = 0x2A;
constexpr std::uint8_t kAllPages = 0x3F;
constexpr std::size_t kPage05Size = 52;

// CD write speeds a drive offers up to its maximum (kB/s: 4x to 48x).
const std::uint16_t kCdSpeeds[] = {8467, 7056, 5645, 4234, 2822, 1411, 706};

std::vector<std::uint16_t> WriteSpeeds(const RecorderState& s, const RecorderConfig& config)
{
    std::vector<std::uint16_t> speeds;
    if (IsDvd(s.medium.kind)) {
        speeds = config.dvdWriteSpeeds;
    } else {
        for (std::uint16_t speed : kCdSpeeds)
            if (speed <= config.maxWriteSpeed)
                speeds.push_back(speed);
    }
    std::sort(speeds.begin(), speeds.end(), std::greater<>());
    return speeds;
}

std::uint16_t MaxWriteSpeed(const RecorderState& s, const RecorderConfig& config)
{
    const std::vector<std::uint16_t> speeds = WriteSpeeds(s, config);
    return speeds.empty() ? config.maxWriteSpeed : speeds.front();
}

std::vector<std::uint8_t> CapabilitiesPage(const RecorderState& s, const RecorderConfig& config)
{
    const std::vector<std::uint16_t> speeds = {config.maxWriteSpeed};
    std::vector<std::uint8_t> page(32 + 4 * speeds.size(), 0);
    page[0] = kPageCapabilities;
    page[1] = static_cast<std::uint8_t>(page.size() - 2);
    const bool dvd = DvdCapable(s, config);
    page[2] = 0x07 | (dvd ? 0x38 : 0);          // CD-R, CD-RW, method 2; DVD-ROM, DVD-R, DVD-RAM
    page[3] = 0x07 | (dvd ? 0x30 : 0);          // CD-R, CD-RW, test write; DVD-R, DVD-RAM
    page[4] = 0x80 | 0x40 | 0x30 | 0x01;        // BUF, multi-session, mode 2 forms, audio play
    page[5] = 0x03;                             // CD-DA commands, accurate stream
    page[6] = 0x20 | 0x08 | 0x01 | (s.locked ? 0x02 : 0);   // tray, eject, lock, lock state
    Put16(page, 8, config.maxReadSpeed);
    Put16(page, 12, config.bufferBytes / 1024);
    Put16(page, 14, s.readSpeed);
    Put16(page, 18, config.maxWriteSpeed);
    Put16(page, 20, s.writeSpeed);
    Put16(page, 28, s.writeSpeed);
    Put16(page, 30, static_cast<std::uint32_t>(speeds.size()));
    for (std::size_t i = 0; i < speeds.size(); ++i)
        Put16(page, 32 + 4 * i + 2, speeds[i]);
    return page;
}

// The feature descriptors the drive knows, by code; current marks those the disc in it uses.
std::vector<std::uint8_t> Feature(std::uint16_t code, bool current, std::vector<std::uint8_t> data,
                                  std::uint8_t version = 0)
{
    std::vector<std::uint8_t> f(4 + data.size(), 0);
    Put16(f, 0, code);
    f[2] = static_cast<std::uint8_t>(version << 2 | 0x02 * (code <= 0x0001) | (current ? 1 : 0));
    f[3] = static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), f.begin() + 4);
    return f;
}

std::vector<std::vector<std::uint8_t>> Features(const RecorderState& s, const RecorderConfig& config)
{
    const MediumKind kind = s.medium.kind;
    const bool present = kind != MediumKind::None && !s.trayOpen;
    const bool dvd = DvdCapable(s, config);
    const std::uint16_t current = present ? ProfileOf(kind) : 0;

    std::vector<std::uint16_t> profiles;
    if (dvd)
        profiles = {0x1B, 0x1A, 0x14, 0x13, 0x12, 0x11, 0x10};
    profiles.insert(profiles.end(), {0x0A, 0x09, 0x08});
    std::vector<std::uint8_t> list;
    for (std::uint16_t p : profiles) {
        list.push_back(static_cast<std::uint8_t>(p >> 8));
        list.push_back(static_cast<std::uint8_t>(p));
        list.push_back(p == current ? 1 : 0);
        list.push_back(0);
    }
    std::vector<std::vector<std::uint8_t>> features;
    features.push_back(Feature(0x0000, true, list));
    features.push_back(Feature(0x0001, true, {0, 0, 0, 2, 0, 0, 0, 0}));      // core: ATAPI
    features.push_back(Feature(0x0003, true, {0x29, 0, 0, 0}));              // removable medium: tray, eject, lock
    features.push_back(Feature(0x001E, present && IsCd(kind), {0, 0, 0, 0}));   // CD read
    if (dvd)
        features.push_back(Feature(0x001F, present && IsDvd(kind), {}));        // DVD read
    if (dvd) {
        features.push_back(Feature(0x002A, kind == MediumKind::DvdPlusRw, {0x01, 0, 0, 0}, 1));   // DVD+RW, write
        features.push_back(Feature(0x002B, kind == MediumKind::DvdPlusR, {0x01, 0, 0, 0}));       // DVD+R, write
    }
    features.push_back(Feature(0x002D, present && (kind == MediumKind::CdR || kind == MediumKind::CdRw),
                               {0x46, 0, 0, 0}));   // track at once: BUF, test write, CD-RW
    features.push_back(Feature(0x002E, present && (kind == MediumKind::CdR || kind == MediumKind::CdRw),
                               {0x4E, 0, 0, 0}));   // disc at once: BUF, SAO, test write, CD-RW
    if (dvd)
        features.push_back(Feature(0x002F, kind == MediumKind::DvdR || kind == MediumKind::DvdRw,
                                   {0x46, 0, 0, 0}));   // DVD-R/-RW write: BUF, test write, DVD-RW
    return features;
}

std::uint32_t LastLba(const RecorderState& s)
{
    return s.recorded > 0 ? s.recorded - 1 : 0;
}

} // namespace

std::vector<std::uint8_t> DefaultPage05()
{
    std::vector<std::uint8_t> page(kPage05Size, 0);
    page[0] = kPageWriteParameters;
    page[1] = static_cast<std::uint8_t>(kPage05Size - 2);
    page[2] = 0x01;     // track at once
    page[3] = 0x04;     // data track, uninterrupted
    page[4] = 0x08;     // mode 1, 2048 bytes
    Put16(page, 14, 150);
    return page;
}

ScsiResult Inquiry(RecorderState&, const RecorderConfig& config, const ScsiCommand& command)
{
    if (command.cdb[1] & 0x01)   // vital product data: none
        return Check(0x05, 0x24, 0x00);
    std::vector<std::uint8_t> reply(96, 0);
    reply[0] = config.peripheralType;
    reply[1] = 0x80;   // removable
    reply[2] = 0x05;
    reply[3] = 0x32;
    reply[4] = static_cast<std::uint8_t>(reply.size() - 5);
    std::copy(config.vendor.begin(), config.vendor.end(), reply.begin() + 8);
    std::copy(config.product.begin(), config.product.end(), reply.begin() + 16);
    std::copy(config.revision.begin(), config.revision.end(), reply.begin() + 32);
    return Reply(command, reply, Get16(&command.cdb[3]));
}

ScsiResult GetConfiguration(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    const std::uint8_t requestType = command.cdb[1] & 0x03;
    const std::uint16_t start = static_cast<std::uint16_t>(Get16(&command.cdb[2]));
    const bool present = s.medium.kind != MediumKind::None && !s.trayOpen;
    std::vector<std::uint8_t> reply(8, 0);
    Put16(reply, 6, present ? ProfileOf(s.medium.kind) : 0);
    for (const std::vector<std::uint8_t>& f : Features(s, config)) {
        const std::uint16_t code = static_cast<std::uint16_t>(Get16(f.data()));
        const bool wanted = requestType == 2 ? code == start
                            : requestType == 1 ? code >= start && (f[2] & 0x01)
                                               : code >= start;
        if (wanted)
            reply.insert(reply.end(), f.begin(), f.end());
    }
    Put32(reply, 0, static_cast<std::uint32_t>(reply.size() - 4));
    return Reply(command, reply, Get16(&command.cdb[7]));
}

ScsiResult ModeSense(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    const std::uint8_t page = command.cdb[2] & 0x3F;
    const std::uint8_t control = command.cdb[2] >> 6;
    if (control == 3)
        return Check(0x05, 0x39, 0x00);
    std::vector<std::uint8_t> pages;
    auto add = [&](std::vector<std::uint8_t> bytes) { pages.insert(pages.end(), bytes.begin(), bytes.end()); };
    auto page05 = [&] {
        if (control == 2)
            return DefaultPage05();
        if (control == 1) {   // what MODE SELECT may change
            std::vector<std::uint8_t> mask(kPage05Size, 0xFF);
            mask[0] = kPageWriteParameters;
            mask[1] = static_cast<std::uint8_t>(kPage05Size - 2);
            return mask;
        }
        return s.page05;
    };
    auto page2A = [&] {
        std::vector<std::uint8_t> p = CapabilitiesPage(s, config);
        if (control == 1)
            std::fill(p.begin() + 2, p.end(), 0);
        return p;
    };
    if (page == kPageWriteParameters)
        add(page05());
    else if (page == kPageCapabilities)
        add(page2A());
    else if (page == kAllPages) {
        add(page05());
        add(page2A());
    } else {
        return Check(0x05, 0x24, 0x00);   // no such page (0x30 among them)
    }
    const std::size_t header = config.blockDescriptor ? 16 : 8;
    std::vector<std::uint8_t> reply(header, 0);
    if (config.blockDescriptor) {
        Put16(reply, 6, 8);
        Put32(reply, 12, 2048);
    }
    reply.insert(reply.end(), pages.begin(), pages.end());
    Put16(reply, 0, static_cast<std::uint32_t>(reply.size() - 2));
    return Reply(command, reply, Get16(&command.cdb[7]));
}

ScsiResult ModeSelect(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    const std::uint32_t length = std::min<std::uint32_t>(Get16(&command.cdb[7]), command.length);
    if (command.direction != ScsiDirection::Out || !command.buffer || length < 8)
        return Check(0x05, 0x1A, 0x00);
    const auto* list = static_cast<const std::uint8_t*>(command.buffer);
    std::size_t at = 8 + Get16(list + 6);
    while (at + 2 <= length) {
        const std::uint8_t code = list[at] & 0x3F;
        const std::size_t size = std::size_t{list[at + 1]} + 2;
        if (at + size > length)
            return Check(0x05, 0x1A, 0x00);
        if (code != kPageWriteParameters || size < 16)
            return Check(0x05, 0x26, 0x00);
        const std::uint8_t writeType = list[at + 2] & 0x0F;
        const std::uint8_t blockType = list[at + 4] & 0x0F;
        const bool dvd = IsDvd(s.medium.kind);
        const bool typeKnown = (writeType >= 1 && writeType <= 3) || (dvd && writeType == 0);
        const bool blockKnown = blockType == 0 || blockType == 1 || blockType == 8 || blockType == 9 || blockType == 13;
        if (!typeKnown || !blockKnown)
            return Check(0x05, 0x26, 0x00);
        std::copy(list + at + 2, list + at + std::min(size, kPage05Size), s.page05.begin() + 2);
        at += size;
    }
    return Good();
}

ScsiResult ReadDiscInformation(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    std::vector<std::uint8_t> reply(34, 0);
    Put16(reply, 0, 32);
    const bool blank = s.recorded == 0 && !s.complete && !s.sessionOpen && !s.taoSession;
    // A CD closed for appending: its closed sessions and an empty one after them.
    const bool appendable = IsCd(s.medium.kind) && !blank && !s.complete && !s.sessionOpen && !s.taoSession;
    std::uint8_t status = s.complete ? 2 : blank ? 0 : 1;
    std::uint8_t session = s.complete ? 3 : (blank || appendable) ? 0 : 1;
    if (s.medium.kind == MediumKind::DvdRam || s.medium.kind == MediumKind::DvdRwRestricted ||
        (s.medium.kind == MediumKind::DvdPlusRw && s.formatted)) {
        status = 2;   // random-access media read as complete
        session = 3;
    }
    reply[2] = static_cast<std::uint8_t>((IsErasable(s.medium.kind) ? 0x10 : 0) | session << 2 | status);
    const int lastTrack = s.tracks.empty() ? 1 : s.tracks.back().number + (s.complete ? 0 : 1);
    reply[3] = 1;
    reply[4] = appendable ? 2 : 1;
    reply[5] = static_cast<std::uint8_t>(s.complete ? (s.tracks.empty() ? 1 : s.tracks.front().number) : lastTrack);
    reply[6] = static_cast<std::uint8_t>(lastTrack);
    reply[7] = 0x20;   // unrestricted use
    if (!s.complete && IsCd(s.medium.kind)) {
        const Msf leadIn{97, 26, 66};
        const Msf leadOut = MsfOf(s.capacity);
        reply[17] = leadIn.m, reply[18] = leadIn.s, reply[19] = leadIn.f;
        reply[21] = leadOut.m, reply[22] = leadOut.s, reply[23] = leadOut.f;
    } else {
        std::fill(reply.begin() + 16, reply.begin() + 24, 0xFF);
    }
    return Reply(command, reply, Get16(&command.cdb[7]));
}

ScsiResult ReadTrackInformation(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    const std::uint8_t type = command.cdb[1] & 0x03;
    const std::uint32_t value = Get32(&command.cdb[2]);
    // The tracks on the disc, and the open (invisible) track after them while it can be written.
    std::vector<Track> tracks = s.tracks;
    const bool open = !s.complete;
    const std::int64_t used = s.tracks.empty() ? 0 : s.tracks.back().start + s.tracks.back().size;
    if (open)
        tracks.push_back(Track{tracks.empty() ? 1 : tracks.back().number + 1, used, s.capacity - used, false});
    const Track* track = nullptr;
    for (const Track& t : tracks) {
        const bool match = type == 1   ? (value == 0xFF ? open && &t == &tracks.back() : t.number == int(value))
                           : type == 2 ? value == 1
                                       : std::int64_t(value) >= t.start && std::int64_t(value) < t.start + t.size;
        if (match) {
            track = &t;
            if (type == 2)
                break;
        }
    }
    if (!track)
        return Check(0x05, 0x24, 0x00);
    const bool invisible = open && track == &tracks.back();
    std::vector<std::uint8_t> reply(48, 0);
    Put16(reply, 0, 46);
    reply[2] = static_cast<std::uint8_t>(track->number);
    reply[3] = 1;
    reply[5] = track->audio ? 0x00 : 0x04;
    reply[6] = static_cast<std::uint8_t>((invisible ? 0x40 : 0) | 0x01);
    std::int64_t freeBlocks = 0;
    std::int64_t next = 0;
    if (invisible) {
        next = IsSequentialDvd(s.medium.kind) || IsCd(s.medium.kind) ? (s.taoTrack ? s.expected : s.nextWritable) : 0;
        freeBlocks = s.capacity - next;
        if (s.reserved) {   // a reserved track: its own size, what of it is still free
            const std::int64_t from = s.taoTrack ? s.taoStart : s.nextWritable;
            freeBlocks = from + s.reserved - next;
            reply[6] |= 0x80;
        }
        reply[7] = 0x01;   // next writable address valid
    } else if (s.medium.kind == MediumKind::DvdPlusRw || s.medium.kind == MediumKind::DvdRam ||
               s.medium.kind == MediumKind::DvdRwRestricted) {
        freeBlocks = s.capacity - std::int64_t(s.recorded);
    }
    Put32(reply, 8, static_cast<std::uint32_t>(track->start));
    Put32(reply, 12, static_cast<std::uint32_t>(next));
    Put32(reply, 16, static_cast<std::uint32_t>(std::max<std::int64_t>(freeBlocks, 0)));
    const std::int64_t openSize = s.reserved ? (s.taoTrack ? s.taoStart : s.nextWritable) + s.reserved - track->start
                                             : s.capacity - track->start;
    Put32(reply, 24, static_cast<std::uint32_t>(invisible ? openSize : track->size));
    Put32(reply, 28, static_cast<std::uint32_t>(track->size > 0 && !invisible ? track->start + track->size - 1 : 0));
    return Reply(command, reply, Get16(&command.cdb[7]));
}

ScsiResult ReadToc(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    const bool msf = command.cdb[1] & 0x02;
    std::uint8_t format = command.cdb[2] & 0x0F;
    if (format == 0 && (command.cdb[9] >> 6))
        format = command.cdb[9] >> 6;
    const std::uint32_t allocation = Get16(&command.cdb[7]);
    auto address = [&](std::vector<std::uint8_t>& reply, std::size_t at, std::int64_t lba) {
        if (msf) {
            const Msf t = MsfOf(lba);
            reply[at + 1] = t.m, reply[at + 2] = t.s, reply[at + 3] = t.f;
        } else {
            Put32(reply, at, static_cast<std::uint32_t>(lba));
        }
    };
    if (format == 4) {   // ATIP
        if (s.medium.kind != MediumKind::CdR && s.medium.kind != MediumKind::CdRw)
            return Check(0x05, 0x24, 0x00);
        std::vector<std::uint8_t> reply(28, 0);
        Put16(reply, 0, 26);
        reply[4] = 0x55;   // writing power and reference speed
        reply[6] = s.medium.kind == MediumKind::CdRw ? 0xC0 : 0x80;
        reply[8] = 97, reply[9] = 26, reply[10] = 66;   // lead-in start
        const Msf leadOut = MsfOf(s.capacity);
        reply[12] = leadOut.m, reply[13] = leadOut.s, reply[14] = leadOut.f;
        return Reply(command, reply, allocation);
    }
    const auto control = [](const Track& t) -> std::uint8_t { return t.audio ? 0x10 : 0x14; };
    // Raw TOC and PMA descriptors: session, ADR/control, TNO 0, point, time, zero, point time (binary MSF).
    auto rawDescriptor = [](std::vector<std::uint8_t>& reply, std::uint8_t session, std::uint8_t adrControl,
                            std::uint8_t point, Msf time, Msf pointTime) {
        reply.insert(reply.end(), {session, adrControl, 0, point, time.m, time.s, time.f, 0, pointTime.m,
                                   pointTime.s, pointTime.f});
    };
    if (format == 3) {   // PMA: the tracks written track at once, start and end
        if (!IsCd(s.medium.kind))
            return Check(0x05, 0x24, 0x00);
        std::vector<std::uint8_t> reply(4, 0);
        for (const Track& t : s.pma)
            rawDescriptor(reply, 0, control(t), static_cast<std::uint8_t>(t.number), MsfOf(t.start + t.size - 1),
                          MsfOf(t.start));
        Put16(reply, 0, static_cast<std::uint32_t>(reply.size() - 2));
        return Reply(command, reply, allocation);
    }
    if (s.tracks.empty() || (format != 0 && format != 1 && format != 2 && format != 5))
        return Check(0x05, 0x24, 0x00);
    if (format == 5) {   // CD-TEXT: the recorder writes none into the lead-in
        std::vector<std::uint8_t> reply(4, 0);
        Put16(reply, 0, 2);
        return Reply(command, reply, allocation);
    }
    if (format == 2) {   // the raw TOC of the session: first and last track, lead-out, then each track
        const Track& first = s.tracks.front();
        const Track& last = s.tracks.back();
        const bool xa = std::any_of(s.tracks.begin(), s.tracks.end(), [](const Track& t) { return t.xa; });
        std::vector<std::uint8_t> reply(4, 0);
        reply[2] = reply[3] = 1;
        rawDescriptor(reply, 1, control(first), 0xA0, Msf{}, Msf{static_cast<std::uint8_t>(first.number), xa ? std::uint8_t{0x20} : std::uint8_t{0}, 0});
        rawDescriptor(reply, 1, control(last), 0xA1, Msf{}, Msf{static_cast<std::uint8_t>(last.number), 0, 0});
        rawDescriptor(reply, 1, control(last), 0xA2, Msf{}, MsfOf(last.start + last.size));
        for (const Track& t : s.tracks)
            rawDescriptor(reply, 1, control(t), static_cast<std::uint8_t>(t.number), Msf{}, MsfOf(t.start));
        Put16(reply, 0, static_cast<std::uint32_t>(reply.size() - 2));
        return Reply(command, reply, allocation);
    }
    if (format == 1) {   // session information
        std::vector<std::uint8_t> reply(12, 0);
        Put16(reply, 0, 10);
        reply[2] = 1, reply[3] = 1;
        reply[5] = control(s.tracks.front());
        reply[6] = static_cast<std::uint8_t>(s.tracks.front().number);
        address(reply, 8, s.tracks.front().start);
        return Reply(command, reply, allocation);
    }
    const int from = command.cdb[6];
    std::vector<std::uint8_t> reply(4, 0);
    reply[2] = static_cast<std::uint8_t>(s.tracks.front().number);
    reply[3] = static_cast<std::uint8_t>(s.tracks.back().number);
    auto descriptor = [&](std::uint8_t ctl, std::uint8_t number, std::int64_t lba) {
        const std::size_t at = reply.size();
        reply.resize(at + 8, 0);
        reply[at + 1] = ctl;
        reply[at + 2] = number;
        address(reply, at + 4, lba);
    };
    for (const Track& t : s.tracks)
        if (t.number >= from)
            descriptor(control(t), static_cast<std::uint8_t>(t.number), t.start);
    const Track& last = s.tracks.back();
    descriptor(control(last), 0xAA, last.start + last.size);
    if (reply.size() == 4 && from != 0xAA)
        return Check(0x05, 0x24, 0x00);
    Put16(reply, 0, static_cast<std::uint32_t>(reply.size() - 2));
    return Reply(command, reply, allocation);
}

ScsiResult ReadCapacity(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    std::vector<std::uint8_t> reply(8, 0);
    Put32(reply, 0, LastLba(s));
    Put32(reply, 4, 2048);
    return Reply(command, reply, 8);
}

ScsiResult ReadFormatCapacities(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    const MediumKind kind = s.medium.kind;
    const bool present = kind != MediumKind::None && !s.trayOpen;
    std::vector<std::uint8_t> reply = GrowingReply(4);
    auto descriptor = [&](std::uint32_t blocks, std::uint8_t typeByte, std::uint32_t parameter) {
        const std::size_t at = AppendZeros(reply, 8);
        Put32(reply, at, blocks);
        reply[at + 4] = typeByte;
        reply[at + 5] = static_cast<std::uint8_t>(parameter >> 16);
        Put16(reply, at + 6, parameter & 0xFFFF);
    };
    if (!present) {
        descriptor(0xFFFFFFFF, 0x03, 2048);   // no disc
    } else {
        const bool formatted = kind == MediumKind::DvdRam || kind == MediumKind::DvdRwRestricted ||
                               (kind == MediumKind::DvdPlusRw && s.formatted) || s.complete;
        descriptor(s.capacity, formatted ? 0x02 : 0x01, 2048);
        if (kind == MediumKind::DvdPlusRw)
            descriptor(s.capacity, 0x26 << 2, 0);
        else if (kind == MediumKind::DvdRam)
            descriptor(s.capacity, 0x00, 2048);
        else if (kind == MediumKind::DvdRw || kind == MediumKind::DvdRwRestricted) {
            descriptor(s.capacity, 0x10 << 2, 16);
            descriptor(s.capacity, 0x15 << 2, 16);
        }
    }
    reply[3] = static_cast<std::uint8_t>(reply.size() - 4);
    return Reply(command, reply, Get16(&command.cdb[7]));
}

ScsiResult ReadBufferCapacity(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    Drain(s);
    std::vector<std::uint8_t> reply(12, 0);
    Put16(reply, 0, 10);
    Put32(reply, 4, config.bufferBytes);
    Put32(reply, 8, BufferFree(s, config));
    return Reply(command, reply, Get16(&command.cdb[7]));
}

ScsiResult GetPerformance(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    const std::uint8_t type = command.cdb[10];
    const std::uint32_t most = Get16(&command.cdb[8]);
    std::vector<std::uint8_t> reply = GrowingReply(8);
    if (type == 0x03) {   // write speed descriptors
        if (s.medium.kind == MediumKind::None || s.trayOpen)
            return Check(0x02, 0x3A, s.trayOpen ? 0x02 : 0x01);
        for (std::uint16_t speed : WriteSpeeds(s, config)) {
            if ((reply.size() - 8) / 16 >= most)
                break;
            const std::size_t at = AppendZeros(reply, 16);
            Put32(reply, at + 4, s.capacity);
            Put32(reply, at + 8, config.maxReadSpeed);
            Put32(reply, at + 12, speed);
        }
    } else if (type == 0x00) {   // nominal performance over the disc
        const bool write = command.cdb[1] & 0x04;
        if (most > 0) {
            AppendZeros(reply, 16);
            Put32(reply, 8, 0);
            Put32(reply, 12, write ? MaxWriteSpeed(s, config) : config.maxReadSpeed);
            Put32(reply, 16, s.capacity ? s.capacity - 1 : 0);
            Put32(reply, 20, write ? MaxWriteSpeed(s, config) : config.maxReadSpeed);
        }
    } else {
        return Check(0x05, 0x24, 0x00);
    }
    Put32(reply, 0, static_cast<std::uint32_t>(reply.size() - 4));
    return Reply(command, reply, 8 + 16 * most);
}

ScsiResult ReadDvdStructure(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    if (!IsDvd(s.medium.kind))
        return Check(0x05, 0x30, 0x02);
    const std::uint8_t format = command.cdb[7];
    if (format != 0x00)
        return Check(0x05, 0x24, 0x00);
    std::vector<std::uint8_t> reply(4 + 17, 0);
    Put16(reply, 0, static_cast<std::uint32_t>(reply.size() - 2));
    const MediumKind kind = s.medium.kind;
    const std::uint8_t book = kind == MediumKind::DvdRom                                        ? 0x0
                              : kind == MediumKind::DvdRam                                      ? 0x1
                              : kind == MediumKind::DvdR                                        ? 0x2
                              : kind == MediumKind::DvdRw || kind == MediumKind::DvdRwRestricted ? 0x3
                              : kind == MediumKind::DvdPlusRw                                   ? 0x9
                                                                                                : 0xA;
    reply[4] = static_cast<std::uint8_t>(book << 4 | 0x01);
    reply[5] = 0x0F;   // 120 mm, no maximum rate
    reply[6] = 0x01;   // one layer, recordable
    Put32(reply, 8, 0x030000);
    Put32(reply, 12, 0x030000 + s.capacity - 1);
    return Reply(command, reply, Get16(&command.cdb[8]));
}

ScsiResult GetEventStatus(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    if (!(command.cdb[1] & 0x01))   // only polled requests
        return Check(0x05, 0x24, 0x00);
    std::vector<std::uint8_t> reply = GrowingReply(4);
    reply[3] = 0x10;   // media events supported
    if (command.cdb[4] & 0x10) {
        AppendZeros(reply, 4);
        reply[2] = 0x04;   // media class
        reply[5] = static_cast<std::uint8_t>((s.trayOpen ? 0x01 : 0) |
                                             (s.medium.kind != MediumKind::None && !s.trayOpen ? 0x02 : 0));
    }
    Put16(reply, 0, static_cast<std::uint32_t>(reply.size() - 2));
    return Reply(command, reply, Get16(&command.cdb[7]));
}

ScsiResult MechanismStatus(RecorderState& s, const RecorderConfig&, const ScsiCommand& command)
{
    std::vector<std::uint8_t> reply(8, 0);
    reply[1] = s.trayOpen ? 0x10 : 0;
    return Reply(command, reply, Get16(&command.cdb[8]));
}

ScsiResult SetCdSpeed(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    auto pick = [](std::uint32_t asked, std::uint16_t most, std::uint16_t least) -> std::uint16_t {
        if (asked == 0xFFFF || asked > most)
            return most;
        return static_cast<std::uint16_t>(std::max<std::uint32_t>(asked, least));
    };
    Drain(s);
    s.readSpeed = pick(Get16(&command.cdb[2]), config.maxReadSpeed, 176);
    s.writeSpeed = pick(Get16(&command.cdb[4]), MaxWriteSpeed(s, config), 176);
    return Good();
}

ScsiResult SetStreaming(RecorderState& s, const RecorderConfig& config, const ScsiCommand& command)
{
    const std::uint32_t length = std::min<std::uint32_t>(Get16(&command.cdb[9]), command.length);
    if (command.direction != ScsiDirection::Out || !command.buffer || length < 28)
        return Check(0x05, 0x1A, 0x00);
    const auto* list = static_cast<const std::uint8_t*>(command.buffer);
    const std::uint32_t size = Get32(list + 20);
    const std::uint32_t time = Get32(list + 24);
    if (time > 0) {
        Drain(s);
        const std::uint64_t speed = std::uint64_t{size} * 1000 / time;   // kilobytes per ms time -> kB/s
        s.writeSpeed = static_cast<std::uint16_t>(std::clamp<std::uint64_t>(speed, 176, MaxWriteSpeed(s, config)));
    }
    return Good();
}

} // namespace testkit::recorder

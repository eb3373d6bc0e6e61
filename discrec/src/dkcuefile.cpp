// TCueBurner: reading a cue file, and the cue sheet and read queue made from it.
#include "discrec/dkcueburner.h"

#include "discrec/dkconst.h"
#include "rtl/paths.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

constexpr std::uint32_t kRawSector = 2352;
constexpr std::uint32_t kPregapSectors = 150;
constexpr std::size_t kMaxIndices = 99;
constexpr std::size_t kMaxTracks = 99;   // track numbers are 1 to 99; 0xAA is the lead-out

struct TrackForm {
    std::uint8_t ctlAdr;
    std::uint8_t dataForm;
    std::uint8_t leadForm;   // of the lead-in and lead-out entries
};

TrackForm FormOf(TTrackType type)
{
    switch (type) {
    case ttAudio:
    case ttCDG: return {0x01, 0x00, 0x01};
    case ttMode1_2048:
    case ttMode1_2352: return {0x41, 0x10, 0x14};
    case ttMode2_2352:
    case ttCDI2336: return {0x41, 0x20, 0x24};
    case ttCDI2352: return {0x41, 0x21, 0x24};
    case ttMode2_2336: return {0x00, 0x20, 0x24};
    default: return {0x00, 0x00, 0x00};
    }
}

std::uint8_t CtlAdr(const TTrack& track)
{
    std::uint8_t ctl = FormOf(track.TrackType).ctlAdr;
    if (track.PreEmphasis)
        ctl |= 0x10;
    if (track.DCP)
        ctl |= 0x20;
    if (track.FourCh)
        ctl |= 0x80;
    return ctl;
}

std::array<std::uint8_t, 8> Entry(std::uint8_t ctl, std::uint8_t tno, std::uint8_t index, std::uint8_t form,
                                  std::uint32_t address)
{
    return {ctl,
            tno,
            index,
            form,
            0,
            static_cast<std::uint8_t>(address / 4500),
            static_cast<std::uint8_t>(address / 75 % 60),
            static_cast<std::uint8_t>(address % 75)};
}

// The next word of a parameter text: up to a blank (or one of `stops`).
std::string Word(const std::string& text, std::size_t& at, const char* stops = "")
{
    while (at < text.size() && text[at] == ' ')
        ++at;
    const std::size_t from = at;
    while (at < text.size() && text[at] != ' ' && text[at] != '\t' && !std::strchr(stops, text[at]))
        ++at;
    return text.substr(from, at - from);
}

// "mm:ss:ff", two digits each, seconds below 60 and frames below 75.
bool ParseMsf(const std::string& text, std::uint8_t& m, std::uint8_t& s, std::uint8_t& f)
{
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return false;
    for (int i : {0, 1, 3, 4, 6, 7})
        if (text[i] < '0' || text[i] > '9')
            return false;
    m = static_cast<std::uint8_t>((text[0] - '0') * 10 + (text[1] - '0'));
    s = static_cast<std::uint8_t>((text[3] - '0') * 10 + (text[4] - '0'));
    f = static_cast<std::uint8_t>((text[6] - '0') * 10 + (text[7] - '0'));
    return s < 60 && f < 75;
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

struct WaveInfo {
    bool pcmCdAudio = false;   // PCM, 2 channels, 44100 Hz, 16 bits
    std::int64_t dataOffset = -1;
    std::int64_t dataBytes = -1;
};

// Walks the RIFF chunks of a WAVE file, every read checked against the file's size.
WaveInfo ReadWave(const std::string& name)
{
    WaveInfo info;
    std::ifstream in(name, std::ios::binary | std::ios::ate);
    if (!in)
        return info;
    const std::int64_t size = in.tellg();
    std::uint8_t header[12];
    in.seekg(0);
    if (size < 12 || !in.read(reinterpret_cast<char*>(header), 12) || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0)
        return info;
    std::int64_t at = 12;
    bool format = false;
    while (at + 8 <= size) {
        std::uint8_t chunk[8];
        in.seekg(at);
        if (!in.read(reinterpret_cast<char*>(chunk), 8))
            break;
        const std::int64_t length = Le32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && (length == 16 || length == 18) && at + 8 + length <= size) {
            std::uint8_t fmt[18];
            if (!in.read(reinterpret_cast<char*>(fmt), length))
                break;
            format = Le16(fmt) == 1 && Le16(fmt + 2) == 2 && Le32(fmt + 4) == 44100 && Le16(fmt + 14) == 16;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            info.dataOffset = at + 8;
            info.dataBytes = std::min(length, size - info.dataOffset);
            break;
        }
        at += 8 + length + (length & 1);
    }
    info.pcmCdAudio = format && info.dataOffset >= 0;
    return info;
}

} // namespace

std::uint32_t SectorSizeOf(TTrackType type)
{
    switch (type) {
    case ttMode1_2048: return 2048;
    case ttMode2_2336:
    case ttCDI2336: return 2336;
    case ttNone: return 2048;
    default: return kRawSector;
    }
}

std::uint8_t DataFormOf(TTrackType type) { return FormOf(type).dataForm; }

bool TCueBurner::ValidWave(const std::string& Name) { return ReadWave(Name).pcmCdAudio; }

std::int64_t TCueBurner::AudioFileSize(const std::string& Name, std::int64_t& HeaderSize)
{
    const WaveInfo info = ReadWave(Name);
    HeaderSize = info.dataOffset < 0 ? 0 : info.dataOffset;
    return info.dataBytes;
}

std::string TCueBurner::LBA2MSFStr(std::uint32_t LBA)
{
    return Format("%.2d:%.2d:%.2d", LBA / 4500, LBA / 75 % 60, LBA % 75);
}

void TCueBurner::ClearAll()
{
    files_.clear();
    tracks_ = 0;
    cueSheet_.clear();
    que_.clear();
}

bool TCueBurner::AddFile(const std::string& Name, TFileType FileType)
{
    TFiles file;
    file.FileName = Name;
    file.FileType = FileType;
    if (FileType == ftWave) {
        std::int64_t header = 0;
        const std::int64_t bytes = AudioFileSize(Name, header);
        if (!ValidWave(Name) || bytes < 0)
            return false;
        file.DataOffset = header;
        file.Size = (bytes + kRawSector - 1) / kRawSector;
        file.Bytes = bytes;
    } else if (FileType == ftBinary) {
        std::ifstream in(Name, std::ios::binary | std::ios::ate);
        if (!in)
            return false;
        file.Bytes = static_cast<std::int64_t>(in.tellg());
        file.Size = (file.Bytes + kRawSector - 1) / kRawSector;
    } else {
        return false;
    }
    files_.push_back(std::move(file));
    return true;
}

bool TCueBurner::AddTrack(TTrackType TrackType, std::uint32_t SectorSize)
{
    if (files_.empty() || tracks_ >= kMaxTracks)
        return false;
    ++tracks_;
    TTrack track;
    track.TrackType = TrackType;
    track.SectorSize = SectorSize ? SectorSize : SectorSizeOf(TrackType);
    files_.back().Tracks.push_back(track);
    return true;
}

bool TCueBurner::AddIndexMSF(std::uint8_t M, std::uint8_t S, std::uint8_t F)
{
    return AddIndexLBA(std::uint32_t{M} * 4500 + std::uint32_t{S} * 75 + F);
}

bool TCueBurner::AddIndexLBA(std::uint32_t LBA)
{
    if (files_.empty() || files_.back().Tracks.empty())
        return false;
    TFiles& file = files_.back();
    TTrack& track = file.Tracks.back();
    if (track.Indices.size() >= kMaxIndices)
        return false;
    // Indices grow through the whole file: the previous one (of this track or an earlier one) ends here.
    const bool previous = !file.IndexLength.empty();
    if (previous && LBA <= file.LastIndex)
        return false;
    // Its data starts after the previous index's sectors, counted in that index's track's sector size.
    std::int64_t offset = std::int64_t{LBA} * track.SectorSize;
    if (previous) {
        auto before = file.Tracks.rbegin();
        while (before->Indices.empty())
            ++before;
        offset = file.IndexOffset.back() + std::int64_t{LBA - file.LastIndex} * before->SectorSize;
    }
    if (file.Bytes > 0 && offset >= file.Bytes)
        return false;
    if (previous)
        file.IndexLength.back() = LBA - file.LastIndex;
    track.Indices.push_back(LBA);
    file.LastIndex = LBA;
    file.IndexOffset.push_back(offset);
    // Until another index follows, this one runs to the end of the file.
    const std::int64_t rest = std::max<std::int64_t>(file.Bytes - offset, 0);
    file.IndexLength.push_back(static_cast<std::uint32_t>((rest + track.SectorSize - 1) / track.SectorSize));
    return true;
}

void TCueBurner::SetPreGap(std::uint32_t Sectors)
{
    if (!files_.empty() && !files_.back().Tracks.empty())
        files_.back().Tracks.back().PreGap = Sectors;
}

void TCueBurner::SetPostGap(std::uint32_t Sectors)
{
    if (!files_.empty() && !files_.back().Tracks.empty())
        files_.back().Tracks.back().PostGap = Sectors;
}

void TCueBurner::SetGapsMSF(std::uint8_t PreM, std::uint8_t PreS, std::uint8_t PreF, std::uint8_t PostM,
                            std::uint8_t PostS, std::uint8_t PostF)
{
    SetPreGap(std::uint32_t{PreM} * 4500 + std::uint32_t{PreS} * 75 + PreF);
    SetPostGap(std::uint32_t{PostM} * 4500 + std::uint32_t{PostS} * 75 + PostF);
}

void TCueBurner::SetFlags(bool DCP, bool PRE, bool FourCh)
{
    if (files_.empty() || files_.back().Tracks.empty())
        return;
    TTrack& track = files_.back().Tracks.back();
    track.DCP = DCP;
    track.PreEmphasis = PRE;
    track.FourCh = FourCh;
}

bool TCueBurner::CueError(std::string_view text)
{
    SetLastError(text);
    return false;
}

bool TCueBurner::LoadCueFile(const std::string& FileName)
{
    ClearAll();
    std::ifstream in(FileName, std::ios::binary);
    if (!in)
        return CueError(Format(std::string(ERR_FILEINUSE), FileName));
    const std::string folder = ExtractFilePath(FileName);
    auto invalid = [&](const std::string& field) { return CueError(Format(std::string(CUEFILE_ERR_2), field)); };
    // A quoted text, or the text up to the first blank.
    auto quoted = [](const std::string& params, std::size_t& at, std::string& value) {
        if (!params.empty() && params[0] == '"') {
            const std::size_t close = params.find('"', 1);
            if (close == std::string::npos)
                return false;
            value = params.substr(1, close - 1);
            at = close + 1;
            return true;
        }
        value = Word(params, at);
        return true;
    };
    // A file that cannot be added is left out with its tracks, and the load goes on with the next file.
    bool skipping = false;
    std::string skipped;   // why the first file left out was
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty())
            continue;
        const std::size_t blank = line.find(' ');
        const std::string command = UpperCase(line.substr(0, blank));
        const std::string params = blank == std::string::npos ? std::string() : Trim(line.substr(blank + 1));
        std::size_t at = 0;
        const bool ofTrack = command == "TRACK" || command == "INDEX" || command == "FLAGS" || command == "PREGAP" ||
                             command == "POSTGAP";
        if (skipping && ofTrack)
            continue;
        if (command == "FILE") {
            std::string name;
            if (!quoted(params, at, name))
                return CueError(CUEFILE_ERR_1);
            const std::string type = UpperCase(Word(params, at, ";"));
            // A relative name is the cue file's neighbour first; a name from another
            // system is looked for by its last part next to the cue file.
            const bool absolute = !name.empty() && name[0] == '/';
            std::string found;
            for (const std::string& candidate :
                 {absolute ? name : folder + name, name,
                  folder + name.substr(name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1)})
                if (found.empty() && FileExists(candidate))
                    found = candidate;
            if (found.empty())
                return CueError(CUEFILE_ERR_3);
            if (DoDebug)
                DebugMsg(">>> " + command + " : \"" + found + "\" - [" + type + "]", 1);
            const TFileType fileType = type == "BINARY" ? ftBinary : type == "WAVE" ? ftWave : ftNone;
            std::string why;
            if (fileType == ftNone) {
                why = Format(std::string(CUEFILE_ERR_2), type);
                DebugMsg(">>> " + why, 0);
            } else if (!AddFile(found, fileType)) {
                why = Format(std::string(ERR_FILEINUSE), found);
                DebugMsg(">>> ERROR: GETTING FILE INFO \"" + found + "\"", 0);
            }
            skipping = !why.empty();
            if (skipped.empty())
                skipped = why;
        } else if (command == "TRACK") {
            const std::string mode = UpperCase(params.substr(params.find_last_of(' ') == std::string::npos
                                                                 ? 0
                                                                 : params.find_last_of(' ') + 1));
            TTrackType type = ttNone;
            if (mode == "AUDIO")
                type = ttAudio;
            else if (mode == "CDG")
                type = ttCDG;
            else if (mode == "MODE1/2048")
                type = ttMode1_2048;
            else if (mode == "MODE1/2352")
                type = ttMode1_2352;
            else if (mode == "MODE2/2352")
                type = ttMode2_2352;
            else if (mode == "MODE2/2048")
                type = ttMode2_2352;   // the form 1 data of mode 2 sectors: see the sector size below
            else if (mode == "CDI/2336")
                type = ttCDI2336;
            else if (mode == "CDI/2352")
                type = ttCDI2352;
            else
                return invalid(mode);
            if (!AddTrack(type, mode == "MODE2/2048" ? 2048 : 0))
                return invalid(params);
        } else if (command == "INDEX") {
            Word(params, at);
            const std::string address = Word(params, at, ";");
            if (address.empty())
                return CueError(CUEFILE_ERR_1);
            std::uint8_t m = 0, s = 0, f = 0;
            if (!ParseMsf(address, m, s, f) || !AddIndexMSF(m, s, f))
                return invalid(address);
        } else if (command == "FLAGS") {
            if (files_.empty() || files_.back().Tracks.empty())
                return invalid(params);
            bool dcp = false, pre = false, fourCh = false;
            for (int i = 0; i < 3; ++i) {
                const std::string flag = UpperCase(Word(params, at));
                dcp = dcp || flag == "DCP";
                pre = pre || flag == "PRE";
                fourCh = fourCh || flag == "4CH";
            }
            SetFlags(dcp, pre, fourCh);
        } else if (command == "PREGAP" || command == "POSTGAP") {
            const std::string address = Word(params, at, ";");
            std::uint8_t m = 0, s = 0, f = 0;
            if (files_.empty() || files_.back().Tracks.empty() || !ParseMsf(address, m, s, f))
                return invalid(address);
            const std::uint32_t sectors = std::uint32_t{m} * 4500 + std::uint32_t{s} * 75 + f;
            if (command == "PREGAP")
                SetPreGap(sectors);
            else
                SetPostGap(sectors);
        } else if (command == "TITLE" || command == "PERFORMER" || command == "SONGWRITER" || command == "ISRC") {
            std::string value;
            if (!quoted(params, at, value))
                return CueError(CUEFILE_ERR_1);
            DebugMsg(">>>  \"" + command + "\" COMMAND NOT SUPPORTED YET", 1);
        } else {
            return CueError(Format(std::string(CUEFILE_ERR_4), command));
        }
    }
    // Something to burn: a file, with a track, with an index.
    if (files_.empty())
        return CueError(skipped.empty() ? std::string(CUEFILE_ERR_3) : skipped);
    for (const TFiles& file : files_) {
        if (file.Tracks.empty())
            return CueError(CUEFILE_ERR_1);
        for (const TTrack& track : file.Tracks)
            if (track.Indices.empty())
                return CueError(CUEFILE_ERR_1);
    }
    return true;
}

std::uint16_t TCueBurner::AddToCueSheet(const std::array<std::uint8_t, 8>& Entry)
{
    cueSheet_.insert(cueSheet_.end(), Entry.begin(), Entry.end());
    return static_cast<std::uint16_t>(CueIndex());
}

bool TCueBurner::BuildCueSheet()
{
    que_.clear();
    cueSheet_.clear();
    bool empty = files_.empty();
    for (const TFiles& file : files_) {
        empty = empty || file.Tracks.empty();
        for (const TTrack& track : file.Tracks)
            empty = empty || track.Indices.empty();
    }
    if (empty)
        return CueError(ERR_1);
    const bool tao = WriteMethod == wmTAO;
    const TTrack& first = files_.front().Tracks.front();
    const TTrackType firstType = first.TrackType;
    int trackNumber = 0;
    auto queueZeros = [&](std::uint32_t sectors, TTrackType type) {
        if (sectors > 0 && !tao)
            que_.push_back(TQueEntry{"", ftNone, type, 0, std::int64_t{sectors} * kRawSector, true, false, kRawSector,
                                     std::max(trackNumber, 1)});
    };
    queueZeros(kPregapSectors, firstType);
    AddToCueSheet(Entry(CtlAdr(first), 0x00, 0x00, FormOf(firstType).leadForm, 0));
    AddToCueSheet(Entry(CtlAdr(first), 0x01, 0x00, FormOf(firstType).dataForm, 0));
    std::uint32_t address = kPregapSectors;
    for (const TFiles& file : files_) {
        if (DoDebug)
            DebugMsg("FILE : " + file.FileName, 1);
        std::size_t indexOfFile = 0;
        for (const TTrack& track : file.Tracks) {
            ++trackNumber;
            if (DoDebug)
                DebugMsg("  TRACK : " + IntToStr(trackNumber), 1);
            const TrackForm form = FormOf(track.TrackType);
            const std::uint8_t ctl = CtlAdr(track);
            std::uint8_t index = 1;
            if (track.PreGap > 0) {
                if (trackNumber > 1)
                    AddToCueSheet(Entry(ctl, static_cast<std::uint8_t>(trackNumber), 0, form.dataForm, address));
                queueZeros(track.PreGap, track.TrackType);
                address += track.PreGap;
            } else if (trackNumber > 1 && file.FileType != ftWave && track.Indices.size() != 1) {
                index = 0;
            }
            // Track at once: the drive writes each later track's 2-second pregap itself, so the
            // image's own pregap (its index 0 data, up to 150 sectors) is not sent.
            std::int64_t unsent = tao && trackNumber > 1 ? kPregapSectors : 0;
            for (std::size_t k = 0; k < track.Indices.size(); ++k) {
                const std::uint32_t length = file.IndexLength.at(indexOfFile);
                std::int64_t offset = file.IndexOffset.at(indexOfFile++);
                AddToCueSheet(Entry(ctl, static_cast<std::uint8_t>(trackNumber), index, form.dataForm, address));
                if (DoDebug)
                    DebugMsg("    INDEX  : " + IntToStr(index) + " " + LBA2MSFStr(address), 1);
                std::int64_t sectors = length;
                if (index == 0 && unsent > 0) {
                    const std::int64_t cut = std::min(unsent, sectors);
                    sectors -= cut;
                    offset += cut * track.SectorSize;
                    unsent -= cut;
                }
                if (sectors > 0)
                    que_.push_back(TQueEntry{file.FileName, file.FileType, track.TrackType, file.DataOffset + offset,
                                             sectors * track.SectorSize, false, false, track.SectorSize, trackNumber});
                address += length;
                ++index;
            }
            if (track.PostGap > 0) {
                queueZeros(track.PostGap, track.TrackType);
                address += track.PostGap;
            }
        }
    }
    const TTrack& lastTrack = files_.back().Tracks.back();
    AddToCueSheet(Entry(CtlAdr(lastTrack), 0xAA, 0x01, FormOf(firstType).leadForm, address));
    if (DoDebug)
        DebugMsg("LEAD OUT   : " + LBA2MSFStr(address), 1);
    std::int64_t queued = 0;   // sectors
    for (const TQueEntry& entry : que_)
        queued += entry.Count / entry.SectorSize;
    // Progress counts every sector as 2352 bytes, whatever the file holds of it.
    if (tao) {
        BytesToWrite = 352800 + queued * kRawSector;
        return true;
    }
    BytesToWrite = std::int64_t{address} * kRawSector;
    // The cache must deliver exactly what the drive expects, sector for sector.
    if (queued != address)
        return CueError(ERR_2);
    return true;
}

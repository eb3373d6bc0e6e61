#include "skin/kivthemefile.h"

#include "rtl/paths.h"
#include "rtl/readfile.h"

#include <cerrno>
#include <cstring>
#include <set>
#include <vector>

namespace {

constexpr char kMagic[] = "Kivarna_TB";
constexpr std::size_t kMagicField = 12;

std::uint32_t U32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void PutU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool MagicMatches(const std::uint8_t* field)
{
    // The field is read up to its first zero byte; it need not hold one.
    std::size_t n = 0;
    while (n < kMagicField && field[n] != 0) ++n;
    return n == std::strlen(kMagic) && std::memcmp(field, kMagic, n) == 0;
}

[[noreturn]] void Invalid() { throw EKivThemeFileError(kInvalidSkinFile); }

void WriteRecord(TStream& out, const std::string& name, std::uint8_t type, std::uint32_t dataOffset,
                 std::uint32_t size, std::uint32_t next)
{
    std::uint8_t rec[KIV_RECORD_SIZE] = {};
    std::memcpy(rec, name.data(), std::min<std::size_t>(name.size(), KIV_NAME_SIZE));
    rec[64] = type;
    PutU32(rec + 65, dataOffset);
    PutU32(rec + 69, size);
    PutU32(rec + 73, next);
    out.WriteBuffer(rec, KIV_RECORD_SIZE);
}

// Writes one entry at the stream's end position; the data follows the record at once.
void WriteEntry(TStream& out, const std::string& name, std::uint8_t type, const void* data, std::uint32_t size)
{
    const auto dataOffset = static_cast<std::uint32_t>(out.Position() + KIV_RECORD_SIZE);
    WriteRecord(out, name, type, dataOffset, size, dataOffset + size);
    if (size) out.WriteBuffer(data, size);
}

std::vector<std::uint8_t> ReadThemeFile(const std::string& fileName)
{
    std::string bytes;
    int code = 0;
    // Offsets in the format are 32-bit: anything larger cannot be a theme file.
    if (!ReadWholeFile(fileName, bytes, &code, 0xFFFFFFFFull)) {
        if (code == EFBIG) Invalid();
        throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName, std::strerror(code)));
    }
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

bool IsKIVThemeFile(const std::string& fileName)
{
    if (!FileExists(fileName)) return false;
    try {
        TFileStream in(fileName, fmOpenRead | fmShareDenyNone);
        std::uint8_t head[16];
        if (in.Read(head, sizeof head) != sizeof head) return false;
        return MagicMatches(head);
    } catch (const Exception&) {
        return false;
    }
}

// ---------------------------------------------------------------------------
TkivThemeFileWriter::TkivThemeFileWriter(std::string fileName) : fileName_(std::move(fileName)) {}

TkivThemeFileWriter::~TkivThemeFileWriter()
{
    try {
        Save();
    } catch (...) {
        // A destructor must not throw; callers that care call Save themselves.
    }
}

void TkivThemeFileWriter::AddFile(const std::string& name, const std::string& filePath) { files_.Add(name + "=" + filePath); }
void TkivThemeFileWriter::AddInteger(const std::string& name, int value) { integers_.Add(name + "=" + IntToStr(value)); }
void TkivThemeFileWriter::AddBool(const std::string& name, bool value) { bools_.Add(name + "=" + (value ? "1" : "0")); }
void TkivThemeFileWriter::AddStr(const std::string& name, const std::string& value) { strings_.Add(name + "=" + value); }

void TkivThemeFileWriter::Save()
{
    TFileStream out(fileName_, fmCreate);
    std::uint8_t header[KIV_HEADER_SIZE] = {};
    std::memcpy(header, kMagic, std::strlen(kMagic));
    PutU32(header + 12, KIV_HEADER_SIZE);
    PutU32(header + 16, 1);
    PutU32(header + 20, KIV_HEADER_SIZE);
    out.WriteBuffer(header, sizeof header);

    for (int i = 0; i < files_.Count(); ++i) {
        TMemoryStream data;
        data.LoadFromFile(files_.ValueFromIndex(i));
        WriteEntry(out, files_.Names(i), kivEntryFile, data.Memory(), static_cast<std::uint32_t>(data.Size()));
    }
    for (int i = 0; i < strings_.Count(); ++i) {
        const std::string text = strings_.ValueFromIndex(i);
        WriteEntry(out, strings_.Names(i), kivEntryString, text.data(), static_cast<std::uint32_t>(text.size()));
    }
    for (int i = 0; i < integers_.Count(); ++i) {
        std::uint8_t v[4];
        PutU32(v, static_cast<std::uint32_t>(StrToInt(integers_.ValueFromIndex(i))));
        WriteEntry(out, integers_.Names(i), kivEntryInteger, v, 4);
    }
    for (int i = 0; i < bools_.Count(); ++i) {
        const std::uint8_t v = static_cast<std::uint8_t>(StrToInt(bools_.ValueFromIndex(i)));
        WriteEntry(out, bools_.Names(i), kivEntryBool, &v, 1);
    }
    WriteRecord(out, "", kivEntryBool, 0, 0, 0);
}

// ---------------------------------------------------------------------------
TkivThemeFileReader::TkivThemeFileReader(const std::string& fileName)
{
    files_.SetOwnsObjects(true);
    Load(ReadThemeFile(fileName));
}

TkivThemeFileReader::TkivThemeFileReader(std::span<const std::uint8_t> data)
{
    files_.SetOwnsObjects(true);
    Load(data);
}

TkivThemeFileReader::~TkivThemeFileReader() = default;

void TkivThemeFileReader::Load(std::span<const std::uint8_t> data)
{
    // Every size and offset comes from the file: check each against its length
    // before use, and follow the links only to records not seen before.
    const std::uint64_t size = data.size();
    if (size < KIV_HEADER_SIZE || !MagicMatches(data.data())) Invalid();
    const std::uint64_t headerSize = U32(data.data() + 12);
    if (headerSize < KIV_HEADER_SIZE || headerSize > size) Invalid();
    std::uint64_t pos = U32(data.data() + 20);

    std::set<std::uint64_t> seen;
    // A file written by the writer holds each record and its data once: what
    // the entries load (their records and data, which are copied) can never
    // add up to more than the file. Records pointing at shared or overlapping
    // bytes to load more than that are no theme file.
    std::uint64_t loaded = 0;
    for (;;) {
        if (pos + KIV_RECORD_SIZE > size || !seen.insert(pos).second) Invalid();
        const std::uint8_t* rec = data.data() + pos;
        const std::uint64_t next = U32(rec + 73);
        if (next == 0) break;
        const std::uint64_t dataOffset = U32(rec + 65);
        const std::uint64_t dataSize = U32(rec + 69);
        if (dataOffset + dataSize > size) Invalid();
        loaded += KIV_RECORD_SIZE + dataSize;
        if (loaded > size) Invalid();
        std::size_t nameLength = 0;
        while (nameLength < KIV_NAME_SIZE && rec[nameLength] != 0) ++nameLength;
        const std::string name(reinterpret_cast<const char*>(rec), nameLength);
        const std::uint8_t* bytes = data.data() + dataOffset;

        switch (rec[64]) {
        case kivEntryFile: {
            auto* stream = new TMemoryStream;
            if (dataSize) stream->WriteBuffer(bytes, static_cast<std::int64_t>(dataSize));
            stream->SetPosition(0);
            files_.AddObject(name, stream);
            break;
        }
        case kivEntryInteger: {
            // Up to four bytes of a little-endian integer; a shorter field is zero-extended.
            std::uint8_t v[4] = {};
            std::memcpy(v, bytes, std::min<std::uint64_t>(dataSize, 4));
            const auto value = static_cast<std::int32_t>(U32(v));
            // The controls add and subtract these lengths freely: a huge one would overflow.
            if (EndsText("Int", name) && (value < -KIV_MAX_LENGTH || value > KIV_MAX_LENGTH)) Invalid();
            integers_.Add(name + "=" + IntToStr(value));
            break;
        }
        case kivEntryBool:
            bools_.Add(name + "=" + IntToStr(dataSize ? bytes[0] : 0));
            break;
        case kivEntryString:
            strings_.Add(name + "=" + std::string(reinterpret_cast<const char*>(bytes), dataSize));
            break;
        default:
            break; // unknown kinds are skipped
        }
        pos = next;
    }
}

TMemoryStream* TkivThemeFileReader::GetFile(const std::string& name) const
{
    const int i = files_.IndexOf(name);
    if (i < 0) return nullptr;
    auto* stream = static_cast<TMemoryStream*>(files_.Objects(i));
    stream->SetPosition(0);
    return stream;
}

int TkivThemeFileReader::GetInteger(const std::string& name) const
{
    const int i = integers_.IndexOfName(name);
    return i < 0 ? -1 : StrToIntDef(integers_.ValueFromIndex(i), -1);
}

bool TkivThemeFileReader::GetBool(const std::string& name) const
{
    const int i = bools_.IndexOfName(name);
    return i >= 0 && StrToIntDef(bools_.ValueFromIndex(i), 0) != 0;
}

std::string TkivThemeFileReader::GetStr(const std::string& name) const
{
    const int i = strings_.IndexOfName(name);
    return i < 0 ? std::string() : strings_.ValueFromIndex(i);
}

// The chunk classes other than image data: reading, writing and copying each one.
#include "png/pngimage.h"
#include "png/pnglang.h"
#include "pngcrc.h"
#include "pngformat.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

using namespace pngdetail;

// ---------------------------------------------------------------------------
// TChunk

TChunk::TChunk(TPNGObject* owner) : data_(1, 0), owner_(owner) {}

TChunk::~TChunk() = default;

void TChunk::ResizeData(std::uint32_t n)
{
    dataSize_ = n;
    data_.assign(static_cast<std::size_t>(n) + 1, 0);
}

int TChunk::GetIndex() const
{
    return owner_ ? owner_->Chunks.IndexOf(this) : -1;
}

TChunkIHDR* TChunk::GetHeader() const
{
    return owner_ ? dynamic_cast<TChunkIHDR*>(owner_->Chunks.GetItem(0)) : nullptr;
}

void TChunk::Assign(const TChunk& source)
{
    name_ = source.name_;
    data_ = source.data_;
    dataSize_ = source.dataSize_;
}

std::unique_ptr<TChunk> TChunk::Create(TPNGObject* owner) const
{
    return std::make_unique<TChunk>(owner);
}

void TChunk::ReadData(TStream& stream, std::uint32_t size)
{
    // The length was checked against what the stream still holds before we got here,
    // so this allocation is bounded by the file itself.
    ResizeData(size);
    if (size != 0 && stream.Read(data_.data(), size) != static_cast<std::int64_t>(size))
        throw EPngUnexpectedEnd(pnglang::EPNGUnexpectedEndText);
}

bool TChunk::ReadAndCheckCRC(TStream& stream)
{
    std::uint8_t raw[4];
    if (stream.Read(raw, 4) != 4) throw EPngUnexpectedEnd(pnglang::EPNGUnexpectedEndText);
    std::uint8_t name[4] = {0, 0, 0, 0};
    std::memcpy(name, name_.data(), std::min<std::size_t>(4, name_.size()));
    std::uint32_t crc = update_crc(0xFFFFFFFFu, name, 4);
    crc = update_crc(crc, data_.data(), dataSize_) ^ 0xFFFFFFFFu;
    if (crc != ReadBE32(raw)) throw EPngInvalidCRC(pnglang::EPngInvalidCRCText);
    return true;
}

bool TChunk::LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size)
{
    SetChunkName(chunkName);
    ReadData(stream, size);
    return ReadAndCheckCRC(stream);
}

bool TChunk::SaveData(TStream& stream)
{
    std::uint8_t head[8];
    WriteBE32(head, dataSize_);
    std::memset(head + 4, 0, 4);
    std::memcpy(head + 4, name_.data(), std::min<std::size_t>(4, name_.size()));
    stream.WriteBuffer(head, 8);
    if (dataSize_ != 0) stream.WriteBuffer(data_.data(), dataSize_);
    std::uint32_t crc = update_crc(0xFFFFFFFFu, head + 4, 4);
    crc = update_crc(crc, data_.data(), dataSize_) ^ 0xFFFFFFFFu;
    std::uint8_t tail[4];
    WriteBE32(tail, crc);
    stream.WriteBuffer(tail, 4);
    return true;
}

bool TChunk::SaveToStream(TStream& stream)
{
    return SaveData(stream);
}

// ---------------------------------------------------------------------------
// TChunkIEND

TChunkIEND::TChunkIEND(TPNGObject* owner) : TChunk(owner) { SetChunkName(GetName()); }

std::unique_ptr<TChunk> TChunkIEND::Create(TPNGObject* owner) const
{
    return std::make_unique<TChunkIEND>(owner);
}

// ---------------------------------------------------------------------------
// TChunkIHDR

TChunkIHDR::TChunkIHDR(TPNGObject* owner) : TChunk(owner) { SetChunkName(GetName()); }

TChunkIHDR::~TChunkIHDR() { FreeImageData(); }

std::unique_ptr<TChunk> TChunkIHDR::Create(TPNGObject* owner) const
{
    return std::make_unique<TChunkIHDR>(owner);
}

int TChunkIHDR::DibBitsPerPixel() const
{
    switch (ColorType) {
    case 0:
    case 3:
        if (BitDepth == 2) return 4;
        if (BitDepth == 16) return 8;
        return BitDepth;
    case 4: return 8;
    case 2:
    case 6: return 24;
    default: return 0;
    }
}

void TChunkIHDR::FreeImageData()
{
    ImageData.clear();
    ImageData.shrink_to_fit();
    ImageAlpha.clear();
    ImageAlpha.shrink_to_fit();
}

void TChunkIHDR::PrepareImageData()
{
    BitmapInfo = TPNGBitmapInfo{};
    FreeImageData();
    const int bpp = DibBitsPerPixel();
    HasPalette = bpp != 0 && bpp <= 8;
    BitmapInfo.biWidth = static_cast<std::int32_t>(Width);
    BitmapInfo.biHeight = static_cast<std::int32_t>(Height);
    BitmapInfo.biBitCount = static_cast<std::uint16_t>(bpp);
    BytesPerRow = static_cast<std::int32_t>(((std::uint64_t(bpp) * Width + 31) & ~std::uint64_t(31)) / 8);
    try {
        if (ColorType == 4 || ColorType == 6) ImageAlpha.assign(std::size_t(Width) * Height, 0);
        ImageData.assign(std::size_t(BytesPerRow) * Height, 0);
    } catch (const std::bad_alloc&) {
        FreeImageData();
        throw EPNGOutMemory(pnglang::EPNGOutMemoryText);
    }
}

void TChunkIHDR::Assign(const TChunk& source)
{
    const auto* src = dynamic_cast<const TChunkIHDR*>(&source);
    if (!src) throw EPngError(pnglang::EPNGCannotAssignChunkText);
    Width = src->Width;
    Height = src->Height;
    BitDepth = src->BitDepth;
    ColorType = src->ColorType;
    CompressionMethod = src->CompressionMethod;
    FilterMethod = src->FilterMethod;
    InterlaceMethod = src->InterlaceMethod;
    PrepareImageData();
    ImageData = src->ImageData;
    if (!ImageAlpha.empty()) ImageAlpha = src->ImageAlpha;
    BitmapInfo.bmiColors = src->BitmapInfo.bmiColors;
}

bool TChunkIHDR::LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size)
{
    bool ok = TChunk::LoadFromStream(stream, chunkName, size);
    if (DataSize() < 13) throw EPngInvalidIHDR(pnglang::EPNGInvalidIHDRText);
    const std::uint8_t* d = Data();
    Width = ReadBE32(d);
    Height = ReadBE32(d + 4);
    BitDepth = d[8];
    ColorType = d[9];
    CompressionMethod = d[10];
    FilterMethod = d[11];
    InterlaceMethod = d[12];
    if (Width >= 65536 || Height >= 65536) throw EPNGSizeExceeds(pnglang::EPNGSizeExceedsText);
    if (CompressionMethod != 0) throw EPNGUnknownCompression(pnglang::EPNGUnknownCompressionText);
    if (InterlaceMethod > 1) throw EPNGUnknownInterlace(pnglang::EPNGUnknownInterlaceText);
    // An empty image or an impossible colour type / depth pair cannot be decoded safely:
    // the row converters rely on the pair being one the format allows.
    if (Width == 0 || Height == 0 || !ValidColorDepth(ColorType, BitDepth))
        throw EPngInvalidIHDR(pnglang::EPNGInvalidIHDRText);
    // Allocate only what the rest of the file can describe: deflate cannot expand data by
    // more than about 1032 times, so a header claiming more than that is refused.
    const std::uint64_t raw = RawImageBytes(ColorType, BitDepth, Width, Height, InterlaceMethod == 1);
    const std::int64_t left = std::max<std::int64_t>(0, stream.Size() - stream.Position());
    if (raw > std::uint64_t(left) * 1040 + 65536) throw EPNGSizeExceeds(pnglang::EPNGSizeExceedsText);
    if (Owner()) Owner()->InterlaceMethod = InterlaceMethod == 1 ? imAdam7 : imNone;
    PrepareImageData();
    return ok;
}

bool TChunkIHDR::SaveToStream(TStream& stream)
{
    if (BitDepth == 2) BitDepth = 4; // 2-bit pixels are held at 4 bits
    ResizeData(13);
    std::uint8_t* d = Data();
    WriteBE32(d, Width);
    WriteBE32(d + 4, Height);
    d[8] = BitDepth;
    d[9] = ColorType;
    d[10] = CompressionMethod;
    d[11] = FilterMethod;
    d[12] = (Owner() && Owner()->InterlaceMethod == imAdam7) ? 1 : 0;
    return SaveData(stream);
}

// ---------------------------------------------------------------------------
// TChunkgAMA

TChunkgAMA::TChunkgAMA(TPNGObject* owner) : TChunk(owner)
{
    SetChunkName(GetName());
    SetValue(1);
}

std::unique_ptr<TChunk> TChunkgAMA::Create(TPNGObject* owner) const
{
    return std::make_unique<TChunkgAMA>(owner);
}

std::uint32_t TChunkgAMA::GetValue() const
{
    return DataSize() >= 4 ? ReadBE32(Data()) : 0;
}

void TChunkgAMA::SetValue(std::uint32_t value)
{
    if (DataSize() != 4) ResizeData(4);
    WriteBE32(Data(), value);
}

void TChunkgAMA::Assign(const TChunk& source)
{
    const auto* src = dynamic_cast<const TChunkgAMA*>(&source);
    if (!src) throw EPngError(pnglang::EPNGCannotAssignChunkText);
    SetValue(src->GetValue());
}

bool TChunkgAMA::LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size)
{
    bool ok = TChunk::LoadFromStream(stream, chunkName, size);
    if (DataSize() != 4) {
        ResizeData(4);
        SetValue(1);
    }
    const std::uint32_t value = GetValue();
    TPNGObject* png = Owner();
    if (value != 0 && png) {
        const double exponent = 1.0 / (value / 100000.0 * 2.2);
        for (int i = 0; i < 256; ++i) {
            const double base = i / 255.0;
            const double power = exponent == 0 ? 1.0 : (base == 0 ? 0.0 : std::pow(base, exponent));
            const double v = std::nearbyint(255.0 * power); // halves to even
            png->GammaTable[i] = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
            png->InverseGamma[png->GammaTable[i]] = static_cast<std::uint8_t>(i);
        }
    }
    return ok;
}

// ---------------------------------------------------------------------------
// TChunkPLTE

TChunkPLTE::TChunkPLTE(TPNGObject* owner) : TChunk(owner) { SetChunkName(GetName()); }

std::unique_ptr<TChunk> TChunkPLTE::Create(TPNGObject* owner) const
{
    return std::make_unique<TChunkPLTE>(owner);
}

void TChunkPLTE::Assign(const TChunk& source)
{
    const auto* src = dynamic_cast<const TChunkPLTE*>(&source);
    if (!src) throw EPngError(pnglang::EPNGCannotAssignChunkText);
    Count = src->Count;
}

TRGBQuad TChunkPLTE::GetPaletteItem(int index) const
{
    TChunkIHDR* header = GetHeader();
    if (index < 0 || index > static_cast<int>(Count) - 1 || index > 255 || !header)
        throw EPngError(pnglang::EPNGUnknownPalEntryText);
    return header->BitmapInfo.bmiColors[index];
}

bool TChunkPLTE::LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size)
{
    bool ok = TChunk::LoadFromStream(stream, chunkName, size);
    if (DataSize() % 3 != 0 || DataSize() / 3 > 256) throw EPNGInvalidPalette(pnglang::EPNGInvalidPaletteText);
    Count = DataSize() / 3;
    TChunkIHDR* header = GetHeader();
    TPNGObject* png = Owner();
    if (header && png) {
        const std::uint8_t* d = Data();
        for (std::uint32_t i = 0; i < Count; ++i) {
            TRGBQuad& q = header->BitmapInfo.bmiColors[i];
            q.rgbRed = png->GammaTable[d[3 * i]];
            q.rgbGreen = png->GammaTable[d[3 * i + 1]];
            q.rgbBlue = png->GammaTable[d[3 * i + 2]];
            q.rgbReserved = 0;
        }
    }
    return ok;
}

bool TChunkPLTE::SaveToStream(TStream& stream)
{
    TChunkIHDR* header = GetHeader();
    TPNGObject* png = Owner();
    const std::uint32_t count = std::min<std::uint32_t>(Count, 256);
    ResizeData(count * 3);
    if (header && png) {
        std::uint8_t* d = Data();
        for (std::uint32_t i = 0; i < count; ++i) {
            const TRGBQuad& q = header->BitmapInfo.bmiColors[i];
            d[3 * i] = png->InverseGamma[q.rgbRed];
            d[3 * i + 1] = png->InverseGamma[q.rgbGreen];
            d[3 * i + 2] = png->InverseGamma[q.rgbBlue];
        }
    }
    return SaveData(stream);
}

// ---------------------------------------------------------------------------
// TChunktRNS

TChunktRNS::TChunktRNS(TPNGObject* owner) : TChunk(owner) { SetChunkName(GetName()); }

std::unique_ptr<TChunk> TChunktRNS::Create(TPNGObject* owner) const
{
    return std::make_unique<TChunktRNS>(owner);
}

void TChunktRNS::Assign(const TChunk& source)
{
    TChunk::Assign(source);
    if (const auto* src = dynamic_cast<const TChunktRNS*>(&source)) {
        PaletteValues = src->PaletteValues;
        BitTransparency = src->BitTransparency;
    }
}

bool TChunktRNS::LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size)
{
    bool ok = TChunk::LoadFromStream(stream, chunkName, size);
    if (DataSize() > 256) throw EPNGInvalidPalette(pnglang::EPNGInvalidPaletteText);
    PaletteValues.fill(255);
    std::memcpy(PaletteValues.data(), Data(), DataSize());
    TChunkIHDR* header = GetHeader();
    if (!header) return ok;
    switch (header->ColorType) {
    case 0:
        // 2-bit grey is held (and saved) as 4-bit grey with samples 0, 5, 10, 15.
        if (header->BitDepth == 2 && DataSize() >= 2) PaletteValues[1] = std::uint8_t((PaletteValues[1] & 3) * 5);
        BitTransparency = true;
        break;
    case 2: BitTransparency = true; break;
    case 3: {
        // One fully transparent entry and every other opaque is a single transparent
        // colour; anything else needs blending.
        int below = 0, zeros = 0;
        for (std::uint32_t i = 0; i < DataSize(); ++i) {
            below += PaletteValues[i] < 255;
            zeros += PaletteValues[i] == 0;
        }
        BitTransparency = below == 1 && zeros == 1;
        break;
    }
    default: break;
    }
    return ok;
}

bool TChunktRNS::SaveToStream(TStream& stream)
{
    if (DataSize() <= 256) {
        const std::uint32_t n = DataSize();
        ResizeData(n);
        std::memcpy(Data(), PaletteValues.data(), n);
    }
    return SaveData(stream);
}

void TChunktRNS::SetTransparentColor(TColor rgb)
{
    PaletteValues.fill(0);
    BitTransparency = true;
    TChunkIHDR* header = GetHeader();
    if (!header) return;
    const auto r = static_cast<std::uint8_t>(GetRValue(rgb)), g = static_cast<std::uint8_t>(GetGValue(rgb)),
               b = static_cast<std::uint8_t>(GetBValue(rgb));
    // Samples are stored as the image stores them: 16-bit images are written with the
    // 8-bit value in the high byte; grey below 8 bits as a sample of the saved depth.
    const bool wide = header->BitDepth == 16;
    auto put16 = [&](int at, std::uint8_t v) {
        PaletteValues[at] = wide ? v : 0;
        PaletteValues[at + 1] = wide ? 0 : v;
    };
    switch (header->ColorType) {
    case 0: {
        ResizeData(2);
        const int depth = header->BitDepth == 2 ? 4 : header->BitDepth;
        if (depth < 8) {
            const int top = (1 << depth) - 1;
            PaletteValues[0] = 0;
            PaletteValues[1] = static_cast<std::uint8_t>((r * top + 127) / 255);
        } else {
            put16(0, r);
        }
        break;
    }
    case 2:
        ResizeData(6);
        put16(0, r);
        put16(2, g);
        put16(4, b);
        break;
    case 3: {
        // Only entries the palette has: a tRNS chunk longer than the palette is invalid.
        int entries = 1 << std::min<int>(header->BitDepth, 8);
        if (Owner())
            if (auto* plte = Owner()->Chunks.ItemFromClass<TChunkPLTE>()) entries = std::min<int>(entries, plte->Count);
        int found = 0; // no match: entry 0 becomes the transparent one
        for (int i = 0; i < entries; ++i) {
            const TRGBQuad& q = header->BitmapInfo.bmiColors[i];
            if (q.rgbBlue == b && q.rgbGreen == g && q.rgbRed == r) {
                found = i;
                break;
            }
        }
        for (int i = 0; i < found; ++i) PaletteValues[i] = 255;
        ResizeData(static_cast<std::uint32_t>(found + 1));
        break;
    }
    default: break;
    }
    std::memcpy(Data(), PaletteValues.data(), DataSize());
}

TColor TChunktRNS::GetTransparentColor() const
{
    TChunkIHDR* header = GetHeader();
    if (!header) return 0;
    const bool wide = header->BitDepth == 16;
    auto get16 = [&](int at) -> std::uint32_t { return wide ? PaletteValues[at] : PaletteValues[at + 1]; };
    switch (header->ColorType) {
    case 0: {
        const int depth = header->BitDepth == 2 ? 4 : header->BitDepth;
        std::uint32_t grey = get16(0);
        if (depth < 8) {
            const std::uint32_t top = (1u << depth) - 1;
            grey = (std::min(grey, top) * 255) / top;
        }
        return RGB(int(grey), int(grey), int(grey));
    }
    case 2: return RGB(int(get16(0)), int(get16(2)), int(get16(4)));
    case 3:
        for (std::uint32_t i = 0; i < DataSize() && i < 256; ++i)
            if (PaletteValues[i] == 0) {
                const TRGBQuad& q = header->BitmapInfo.bmiColors[i];
                return QuadToColor(q);
            }
        return 0;
    default: return 0;
    }
}

// ---------------------------------------------------------------------------
// TChunktIME

TChunktIME::TChunktIME(TPNGObject* owner) : TChunk(owner) { SetChunkName(GetName()); }

std::unique_ptr<TChunk> TChunktIME::Create(TPNGObject* owner) const
{
    return std::make_unique<TChunktIME>(owner);
}

void TChunktIME::Assign(const TChunk& source)
{
    TChunk::Assign(source);
    if (const auto* src = dynamic_cast<const TChunktIME*>(&source)) {
        Year = src->Year;
        Month = src->Month;
        Day = src->Day;
        Hour = src->Hour;
        Minute = src->Minute;
        Second = src->Second;
    }
}

bool TChunktIME::LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size)
{
    bool ok = TChunk::LoadFromStream(stream, chunkName, size);
    if (DataSize() == 7) {
        const std::uint8_t* d = Data();
        Year = static_cast<std::uint16_t>(d[0] * 256 + d[1]);
        Month = d[2];
        Day = d[3];
        Hour = d[4];
        Minute = d[5];
        Second = d[6];
    }
    return ok;
}

bool TChunktIME::SaveToStream(TStream& stream)
{
    ResizeData(7);
    std::uint8_t* d = Data();
    d[0] = static_cast<std::uint8_t>(Year >> 8);
    d[1] = static_cast<std::uint8_t>(Year);
    d[2] = Month;
    d[3] = Day;
    d[4] = Hour;
    d[5] = Minute;
    d[6] = Second;
    return SaveData(stream);
}

// ---------------------------------------------------------------------------
// TChunktEXt

namespace {

// Length of the keyword: up to the first zero byte, never past the data.
std::size_t KeywordLength(const std::uint8_t* d, std::size_t size)
{
    const void* zero = std::memchr(d, 0, size);
    return zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - d) : size;
}

constexpr std::size_t kMaxInflatedText = 16u << 20; // a text larger than this is refused

} // namespace

TChunktEXt::TChunktEXt(TPNGObject* owner) : TChunk(owner) { SetChunkName(GetName()); }

std::unique_ptr<TChunk> TChunktEXt::Create(TPNGObject* owner) const
{
    return std::make_unique<TChunktEXt>(owner);
}

void TChunktEXt::Assign(const TChunk& source)
{
    TChunk::Assign(source);
    if (const auto* src = dynamic_cast<const TChunktEXt*>(&source)) {
        Keyword = src->Keyword;
        Text = src->Text;
    }
}

bool TChunktEXt::LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size)
{
    bool ok = TChunk::LoadFromStream(stream, chunkName, size);
    if (DataSize() >= 3) {
        const std::size_t k = KeywordLength(Data(), DataSize());
        Keyword.assign(reinterpret_cast<const char*>(Data()), k);
        if (k + 1 < DataSize()) Text.assign(reinterpret_cast<const char*>(Data()) + k + 1, DataSize() - k - 1);
        else Text.clear();
    }
    return ok;
}

bool TChunktEXt::SaveToStream(TStream& stream)
{
    ResizeData(static_cast<std::uint32_t>(Keyword.size() + 1 + Text.size()));
    std::memcpy(Data(), Keyword.data(), Keyword.size());
    std::memcpy(Data() + Keyword.size() + 1, Text.data(), Text.size());
    return SaveData(stream);
}

// ---------------------------------------------------------------------------
// TChunkzTXt

TChunkzTXt::TChunkzTXt(TPNGObject* owner) : TChunktEXt(owner) { SetChunkName(GetName()); }

std::unique_ptr<TChunk> TChunkzTXt::Create(TPNGObject* owner) const
{
    return std::make_unique<TChunkzTXt>(owner);
}

bool TChunkzTXt::LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size)
{
    bool ok = TChunktEXt::LoadFromStream(stream, chunkName, size);
    if (DataSize() < 4) return ok;
    const std::size_t k = KeywordLength(Data(), DataSize());
    Keyword.assign(reinterpret_cast<const char*>(Data()), k);
    Text.clear();
    if (k + 2 > DataSize() || Data()[k + 1] != 0) return ok;
    std::string out;
    if (InflateBytes(Data() + k + 2, DataSize() - k - 2, kMaxInflatedText, out)) Text = std::move(out);
    return ok;
}

bool TChunkzTXt::SaveToStream(TStream& stream)
{
    if (Text.empty()) Text.assign(1, ' ');
    std::string packed;
    const int level = Owner() ? Owner()->CompressionLevel : Z_DEFAULT_COMPRESSION;
    if (!DeflateBytes(reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size(), level, packed)) return false;
    ResizeData(static_cast<std::uint32_t>(Keyword.size() + 2 + packed.size()));
    std::memcpy(Data(), Keyword.data(), Keyword.size());
    std::memcpy(Data() + Keyword.size() + 2, packed.data(), packed.size());
    return SaveData(stream);
}

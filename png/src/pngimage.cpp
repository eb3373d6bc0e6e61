// The PNG object: its chunk list, reading and writing the chunk sequence, pixels and
// transparency.
#include "png/pngimage.h"
#include "png/pnglang.h"
#include "pngcrc.h"
#include "pngformat.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <typeinfo>

using namespace pngdetail;

// ---------------------------------------------------------------------------
// Chunk registry

namespace {

struct Registry {
    std::mutex lock;
    std::vector<std::pair<std::string, ChunkFactory>> classes;
};

Registry& TheRegistry()
{
    static Registry* registry = [] {
        auto* r = new Registry; // lives for the process, as the class registry does
        auto add = [r](const std::string& name, ChunkFactory f) { r->classes.emplace_back(name, f); };
        add(TChunkIEND::GetName(), [](TPNGObject* o) -> std::unique_ptr<TChunk> { return std::make_unique<TChunkIEND>(o); });
        add(TChunkIHDR::GetName(), [](TPNGObject* o) -> std::unique_ptr<TChunk> { return std::make_unique<TChunkIHDR>(o); });
        add(TChunkIDAT::GetName(), [](TPNGObject* o) -> std::unique_ptr<TChunk> { return std::make_unique<TChunkIDAT>(o); });
        add(TChunkPLTE::GetName(), [](TPNGObject* o) -> std::unique_ptr<TChunk> { return std::make_unique<TChunkPLTE>(o); });
        add(TChunkgAMA::GetName(), [](TPNGObject* o) -> std::unique_ptr<TChunk> { return std::make_unique<TChunkgAMA>(o); });
        add(TChunktRNS::GetName(), [](TPNGObject* o) -> std::unique_ptr<TChunk> { return std::make_unique<TChunktRNS>(o); });
        add(TChunktIME::GetName(), [](TPNGObject* o) -> std::unique_ptr<TChunk> { return std::make_unique<TChunktIME>(o); });
        add(TChunktEXt::GetName(), [](TPNGObject* o) -> std::unique_ptr<TChunk> { return std::make_unique<TChunktEXt>(o); });
        add(TChunkzTXt::GetName(), [](TPNGObject* o) -> std::unique_ptr<TChunk> { return std::make_unique<TChunkzTXt>(o); });
        return r;
    }();
    return *registry;
}

} // namespace

namespace pngdetail {

void RegisterChunkFactory(const std::string& name, ChunkFactory factory)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.classes.emplace_back(name, factory);
}

void RaiseCannotAdd()
{
    throw EPngError(pnglang::EPNGCannotAddChunkText);
}

} // namespace pngdetail

std::unique_ptr<TChunk> CreateChunkByName(TPNGObject* owner, const std::string& name)
{
    Registry& r = TheRegistry();
    ChunkFactory factory = nullptr;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        for (const auto& [n, f] : r.classes)
            if (n == name) {
                factory = f;
                break;
            }
    }
    std::unique_ptr<TChunk> chunk = factory ? factory(owner) : std::make_unique<TChunk>(owner);
    chunk->SetChunkName(name);
    return chunk;
}

// ---------------------------------------------------------------------------
// TPNGList

TChunk* TPNGList::GetItem(int index) const
{
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
}

void TPNGList::Append(std::unique_ptr<TChunk> chunk)
{
    items_.push_back(std::move(chunk));
}

void TPNGList::Insert(std::unique_ptr<TChunk> chunk, int position)
{
    position = std::clamp(position, 0, Count());
    items_.insert(items_.begin() + position, std::move(chunk));
}

std::unique_ptr<TChunk> TPNGList::Remove(TChunk* chunk)
{
    for (auto it = items_.begin(); it != items_.end(); ++it)
        if (it->get() == chunk) {
            std::unique_ptr<TChunk> removed = std::move(*it);
            items_.erase(it);
            return removed;
        }
    return nullptr;
}

int TPNGList::IndexOf(const TChunk* chunk) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == chunk) return static_cast<int>(i);
    return -1;
}

void TPNGList::SetSize(int n)
{
    if (n >= 0 && n < Count()) items_.resize(static_cast<std::size_t>(n));
}

TChunk* TPNGList::AddChecked(std::unique_ptr<TChunk> chunk)
{
    auto* header = ItemFromClass<TChunkIHDR>();
    if (!ItemFromClass<TChunkIEND>() || !header) throw EPngError(pnglang::EPNGCannotAddInvalidImageText);
    TChunk* raw = chunk.get();
    const int headerAt = IndexOf(header);
    if (dynamic_cast<TChunkgAMA*>(raw)) {
        Insert(std::move(chunk), headerAt + 1);
    } else if (dynamic_cast<TChunktRNS*>(raw)) {
        if (auto* plte = ItemFromClass<TChunkPLTE>()) Insert(std::move(chunk), IndexOf(plte) + 1);
        else if (auto* idat = ItemFromClass<TChunkIDAT>()) Insert(std::move(chunk), IndexOf(idat));
        else Insert(std::move(chunk), headerAt + 1);
    } else {
        Insert(std::move(chunk), IndexOf(ItemFromClass<TChunkIEND>()));
    }
    return raw;
}

// ---------------------------------------------------------------------------
// TPNGObject

TPNGObject::TPNGObject() : Chunks(this)
{
    InitializeGamma();
}

TPNGObject::~TPNGObject()
{
    ClearChunks();
}

void TPNGObject::InitializeGamma()
{
    for (int i = 0; i < 256; ++i) {
        GammaTable[i] = static_cast<std::uint8_t>(i);
        InverseGamma[i] = static_cast<std::uint8_t>(i);
    }
}

void TPNGObject::ClearChunks()
{
    InitializeGamma();
    Chunks.Clear();
}

bool TPNGObject::HeaderPresent() const
{
    return Chunks.Count() != 0 && dynamic_cast<TChunkIHDR*>(Chunks.GetItem(0)) != nullptr;
}

TChunkIHDR* TPNGObject::GetHeader() const
{
    if (!HeaderPresent()) throw EPNGHeaderNotPresent(pnglang::EPNGHeaderNotPresentText);
    return static_cast<TChunkIHDR*>(Chunks.GetItem(0));
}

int TPNGObject::GetWidth() const
{
    return HeaderPresent() ? static_cast<int>(GetHeader()->Width) : 0;
}

int TPNGObject::GetHeight() const
{
    return HeaderPresent() ? static_cast<int>(GetHeader()->Height) : 0;
}

void TPNGObject::SetWidthImpl(int)
{
    throw EPngError(pnglang::EPNGCannotChangeSizeText);
}

void TPNGObject::SetHeightImpl(int)
{
    throw EPngError(pnglang::EPNGCannotChangeSizeText);
}

void TPNGObject::SetMaxIdatSize(std::int32_t n)
{
    MaxIdatSize = n < 65535 ? 65535 : n;
}

void TPNGObject::GetPixelInfo(int& lineSize, int& offset) const
{
    lineSize = 0;
    offset = 0;
    if (!HeaderPresent()) return;
    const TChunkIHDR* h = GetHeader();
    lineSize = static_cast<int>(PngRowBytes(h->ColorType, h->BitDepth, h->Width));
    offset = PixelOffset(h->ColorType, h->BitDepth);
}

TPNGTransparencyMode TPNGObject::GetTransparencyMode() const
{
    if (!HeaderPresent()) return ptmNone;
    auto* trns = Chunks.ItemFromClass<TChunktRNS>();
    switch (GetHeader()->ColorType) {
    case 0:
    case 2: return trns ? ptmBit : ptmNone;
    case 3:
        if (!trns) return ptmNone;
        return trns->BitTransparency ? ptmBit : ptmPartial;
    case 4:
    case 6: return ptmPartial;
    default: return ptmNone;
    }
}

TColor TPNGObject::GetTransparentColor() const
{
    auto* trns = Chunks.ItemFromClass<TChunktRNS>();
    return trns ? trns->GetTransparentColor() : 0;
}

void TPNGObject::SetTransparentColor(TColor color)
{
    if (!HeaderPresent()) return;
    const std::uint8_t type = GetHeader()->ColorType;
    if (type == 4 || type == 6) throw EPNGCannotChangeTransparent(pnglang::EPNGCannotChangeTransparentText);
    if (type != 0 && type != 2 && type != 3) return;
    auto* trns = Chunks.ItemFromClass<TChunktRNS>();
    if (!trns) trns = Chunks.Add<TChunktRNS>();
    trns->SetTransparentColor(ColorToRGB(color) & 0x00FFFFFF);
}

void TPNGObject::RemoveTransparency()
{
    if (auto* trns = Chunks.ItemFromClass<TChunktRNS>()) Chunks.RemoveChunk(trns);
}

void TPNGObject::CreateAlpha()
{
    if (!HeaderPresent()) return;
    TChunkIHDR* h = GetHeader();
    switch (h->ColorType) {
    case 0: {
        // Grey with alpha exists only at 8 and 16 bits: narrower grey is widened first,
        // so the pixel storage keeps matching the header.
        if (h->BitDepth < 8) {
            const int bits = h->DibBitsPerPixel();
            const int top = (1 << (h->BitDepth == 2 ? 4 : h->BitDepth)) - 1;
            std::vector<std::uint8_t> grey(std::size_t(h->Width) * h->Height);
            for (std::uint32_t y = 0; y < h->Height; ++y) {
                const std::uint8_t* row = GetScanline(static_cast<int>(y));
                for (std::uint32_t x = 0; x < h->Width; ++x) {
                    const int per = 8 / bits;
                    const int shift = 8 - bits - static_cast<int>(x % per) * bits;
                    const int s = (row[x / per] >> shift) & ((1 << bits) - 1);
                    grey[std::size_t(y) * h->Width + x] = static_cast<std::uint8_t>(s * 255 / top);
                }
            }
            h->BitDepth = 8;
            h->ColorType = 4;
            h->PrepareImageData();
            for (std::uint32_t y = 0; y < h->Height; ++y)
                std::memcpy(GetScanline(static_cast<int>(y)), &grey[std::size_t(y) * h->Width], h->Width);
        } else {
            h->ColorType = 4;
        }
        for (int i = 0; i < 256; ++i) {
            TRGBQuad& q = h->BitmapInfo.bmiColors[i];
            q.rgbRed = q.rgbGreen = q.rgbBlue = GammaTable[i];
            q.rgbReserved = 0;
        }
        h->ImageAlpha.assign(std::size_t(h->Width) * h->Height, 255);
        break;
    }
    case 2:
        h->ColorType = 6;
        h->ImageAlpha.assign(std::size_t(h->Width) * h->Height, 255);
        break;
    case 3: {
        auto* trns = Chunks.ItemFromClass<TChunktRNS>();
        if (!trns) trns = Chunks.Add<TChunktRNS>();
        trns->PaletteValues.fill(255);
        trns->ResizeData(1u << std::min<int>(h->BitDepth, 8));
        std::memcpy(trns->Data(), trns->PaletteValues.data(), trns->DataSize());
        trns->BitTransparency = false;
        break;
    }
    default: break;
    }
}

void TPNGObject::AddtEXt(const std::string& keyword, const std::string& text)
{
    auto* chunk = Chunks.Add<TChunktEXt>();
    chunk->Keyword = keyword;
    chunk->Text = text;
}

void TPNGObject::AddzTXt(const std::string& keyword, const std::string& text)
{
    auto* chunk = Chunks.Add<TChunkzTXt>();
    chunk->Keyword = keyword;
    chunk->Text = text;
}

std::uint8_t* TPNGObject::GetScanline(int row) const
{
    if (!HeaderPresent()) return nullptr;
    TChunkIHDR* h = GetHeader();
    if (row < 0 || static_cast<std::uint32_t>(row) >= h->Height || h->ImageData.empty()) return nullptr;
    return h->ImageData.data() + std::size_t(h->Height - 1 - static_cast<std::uint32_t>(row)) * h->BytesPerRow;
}

std::uint8_t* TPNGObject::GetAlphaScanline(int row) const
{
    if (!HeaderPresent()) return nullptr;
    TChunkIHDR* h = GetHeader();
    if ((h->ColorType != 4 && h->ColorType != 6) || h->ImageAlpha.empty()) return nullptr;
    if (row < 0 || static_cast<std::uint32_t>(row) >= h->Height) return nullptr;
    return h->ImageAlpha.data() + std::size_t(row) * h->Width;
}

TColor TPNGObject::GetPixels(int x, int y) const
{
    if (!HeaderPresent()) return 0;
    TChunkIHDR* h = GetHeader();
    if (x < 0 || y < 0 || static_cast<std::uint32_t>(x) >= h->Width || static_cast<std::uint32_t>(y) >= h->Height)
        return 0;
    const std::uint8_t* row = GetScanline(y);
    switch (h->ColorType) {
    case 2:
    case 6: {
        const std::uint8_t* p = row + 3 * x;
        return RGB(p[2], p[1], p[0]);
    }
    case 0:
    case 3:
    case 4: {
        // The sample is read at the width it is stored with (2-bit images use 4 bits).
        const int bits = h->DibBitsPerPixel();
        const int per = 8 / bits;
        const int shift = 8 - bits - (x % per) * bits;
        const int index = (row[x / per] >> shift) & ((1 << bits) - 1);
        const TRGBQuad& q = h->BitmapInfo.bmiColors[index];
        return QuadToColor(q);
    }
    default: return 0;
    }
}

void TPNGObject::SetPixels(int x, int y, TColor color)
{
    if (!HeaderPresent()) return;
    TChunkIHDR* h = GetHeader();
    if (x < 0 || y < 0 || static_cast<std::uint32_t>(x) >= h->Width || static_cast<std::uint32_t>(y) >= h->Height)
        return;
    std::uint8_t* row = GetScanline(y);
    color = ColorToRGB(color);
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    switch (h->ColorType) {
    case 2:
    case 6: {
        std::uint8_t* p = row + 3 * x;
        p[0] = static_cast<std::uint8_t>(b);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(r);
        break;
    }
    case 0:
    case 3:
    case 4: {
        const int bits = h->DibBitsPerPixel();
        const int entries = 1 << bits;
        int best = 0;
        long bestDistance = -1;
        for (int i = 0; i < entries; ++i) {
            const TRGBQuad& q = h->BitmapInfo.bmiColors[i];
            const long d = long(q.rgbRed - r) * (q.rgbRed - r) + long(q.rgbGreen - g) * (q.rgbGreen - g) +
                           long(q.rgbBlue - b) * (q.rgbBlue - b);
            if (bestDistance < 0 || d < bestDistance) {
                best = i;
                bestDistance = d;
            }
        }
        const int per = 8 / bits;
        const int shift = 8 - bits - (x % per) * bits;
        const int mask = ((1 << bits) - 1) << shift;
        std::uint8_t& byte = row[x / per];
        byte = static_cast<std::uint8_t>((byte & ~mask) | ((best << shift) & mask));
        break;
    }
    default: break;
    }
}

void TPNGObject::AssignPNG(const TPNGObject& source)
{
    if (&source == this) return;
    InterlaceMethod = source.InterlaceMethod;
    SetMaxIdatSize(source.MaxIdatSize);
    CompressionLevel = source.CompressionLevel;
    Filters = source.Filters;
    ClearChunks();
    // The copy's pixels were made with the source's gamma, so it saves them the same way.
    GammaTable = source.GammaTable;
    InverseGamma = source.InverseGamma;
    for (int i = 0; i < source.Chunks.Count(); ++i) {
        std::unique_ptr<TChunk> chunk = source.Chunks.GetItem(i)->Create(this);
        TChunk* raw = chunk.get();
        Chunks.Append(std::move(chunk));
        raw->Assign(*source.Chunks.GetItem(i));
    }
    Changed();
}

// ---------------------------------------------------------------------------
// Reading and writing the chunk sequence

namespace {

// Bytes the stream still holds after its position.
std::int64_t BytesLeft(TStream& stream)
{
    return std::max<std::int64_t>(0, stream.Size() - stream.Position());
}

} // namespace

void TPNGObject::LoadFromStream(TStream& stream)
{
    ClearChunks();
    std::uint8_t signature[8];
    if (stream.Read(signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0)
        throw EPNGInvalidFileHeader(pnglang::EPNGInvalidFileHeaderText);
    bool imageDataSeen = false;
    for (;;) {
        std::uint8_t head[8];
        if (stream.Read(head, 4) != 4 || stream.Read(head + 4, 4) != 4)
            throw EPngUnexpectedEnd(pnglang::EPNGUnexpectedEndText);
        const std::uint32_t length = ReadBE32(head);
        const std::string name(reinterpret_cast<const char*>(head + 4), 4);
        if (Chunks.Count() == 0 && name != "IHDR") throw EPNGIHDRNotFirst(pnglang::EPNGIHDRNotFirstText);
        // A chunk cannot hold more than the file has left (its data and CRC).
        if (length > kMaxChunkLength || std::int64_t(length) + 4 > BytesLeft(stream))
            throw EPngUnexpectedEnd(pnglang::EPNGUnexpectedEndText);
        if ((name == "IDAT" && imageDataSeen) || name == "cHRM") {
            stream.Seek(std::int64_t(length) + 4, soCurrent);
            continue;
        }
        if (name == "IDAT") imageDataSeen = true;
        std::unique_ptr<TChunk> chunk = CreateChunkByName(this, name);
        const TChunk& made = *chunk;
        if (typeid(made) == typeid(TChunk) && (head[4] & 0x20) == 0)
            throw EPNGUnknownCriticalChunk(pnglang::EPNGUnknownCriticalChunkText);
        // A chunk joins the list only once it loaded, so a failed load never leaves a
        // header without pixel storage behind.
        const bool ok = chunk->LoadFromStream(stream, name, length);
        Chunks.Append(std::move(chunk));
        if (!ok || name == "IEND") break;
    }
    if (!imageDataSeen) throw EPNGNoImageData(pnglang::EPNGNoImageDataText);
    Changed();
}

void TPNGObject::SaveToStream(TStream& stream) const
{
    stream.WriteBuffer(kSignature, 8);
    // Chunks rebuild their data bytes as they write; the image itself is unchanged.
    for (int i = 0; i < Chunks.Count(); ++i) Chunks.GetItem(i)->SaveToStream(stream);
}

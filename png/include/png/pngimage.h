#pragma once
// A PNG image held as its ordered list of chunks, with the decoded pixels kept in a
// device-independent bitmap owned by the header chunk. Reading and writing use zlib only.
#include "gfx/graphics.h"
#include "rtl/classes.h"
#include "rtl/sysutils.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

// ---------------------------------------------------------------------------
// Faults: one class each, several sharing the general EPngError.
KELDARA_EXCEPTION(EPNGOutMemory, Exception);
KELDARA_EXCEPTION(EPngError, Exception);
KELDARA_EXCEPTION(EPngUnexpectedEnd, Exception);
KELDARA_EXCEPTION(EPngInvalidCRC, Exception);
KELDARA_EXCEPTION(EPngInvalidIHDR, Exception);
KELDARA_EXCEPTION(EPNGMissingMultipleIDAT, Exception);
KELDARA_EXCEPTION(EPNGZLIBError, Exception);
KELDARA_EXCEPTION(EPNGInvalidPalette, Exception);
KELDARA_EXCEPTION(EPNGInvalidFileHeader, Exception);
KELDARA_EXCEPTION(EPNGIHDRNotFirst, Exception);
KELDARA_EXCEPTION(EPNGNotExists, Exception);
KELDARA_EXCEPTION(EPNGSizeExceeds, Exception);
KELDARA_EXCEPTION(EPNGMissingPalette, Exception);
KELDARA_EXCEPTION(EPNGUnknownCriticalChunk, Exception);
KELDARA_EXCEPTION(EPNGUnknownCompression, Exception);
KELDARA_EXCEPTION(EPNGUnknownInterlace, Exception);
KELDARA_EXCEPTION(EPNGNoImageData, Exception);
KELDARA_EXCEPTION(EPNGCouldNotLoadResource, Exception);
KELDARA_EXCEPTION(EPNGCannotChangeTransparent, Exception);
KELDARA_EXCEPTION(EPNGHeaderNotPresent, Exception);

enum TPNGTransparencyMode { ptmNone, ptmBit, ptmPartial };
enum TInterlaceMethod { imNone, imAdam7 };
using TCompressionLevel = int; // 0..9
enum TFilter { pfNone, pfSub, pfUp, pfAverage, pfPaeth };
using TFilters = std::uint8_t; // bit n set = filter n allowed

constexpr TFilters FilterBit(TFilter f) { return static_cast<TFilters>(1u << f); }

// The bitmap description of the pixel storage: a bottom-up DIB with up to 256 colours.
struct TPNGBitmapInfo {
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biBitCount = 0;
    std::array<TRGBQuad, 256> bmiColors{};
};

class TBitmap;
class TCanvas;
class TPNGObject;
class TChunkIHDR;

// ---------------------------------------------------------------------------
// One chunk of the file: its 4-character name and its data bytes.
class TChunk : public TObject {
public:
    explicit TChunk(TPNGObject* owner);
    ~TChunk() override;

    static std::string GetName() { return ""; } // plain chunks take the name read
    virtual void Assign(const TChunk& source);
    virtual std::unique_ptr<TChunk> Create(TPNGObject* owner) const; // same class, new owner
    // Reads size data bytes and the CRC that follows; raises on a CRC mismatch.
    virtual bool LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size);
    virtual bool SaveToStream(TStream& stream);

    void ResizeData(std::uint32_t n);
    std::uint8_t* Data() { return data_.data(); }
    const std::uint8_t* Data() const { return data_.data(); }
    std::uint32_t DataSize() const { return dataSize_; }
    TPNGObject* Owner() const { return owner_; }
    int GetIndex() const;
    TChunkIHDR* GetHeader() const;
    std::string GetChunkName() const { return name_; }
    void SetChunkName(const std::string& name) { name_ = name.substr(0, 4); }

protected:
    bool SaveData(TStream& stream); // length, name, data, CRC
    void ReadData(TStream& stream, std::uint32_t size); // EPngUnexpectedEnd when the stream is short
    bool ReadAndCheckCRC(TStream& stream);

private:
    std::vector<std::uint8_t> data_;
    std::uint32_t dataSize_ = 0;
    TPNGObject* owner_;
    std::string name_;
};

class TChunkIEND : public TChunk {
public:
    explicit TChunkIEND(TPNGObject* owner);
    static std::string GetName() { return "IEND"; }
    std::unique_ptr<TChunk> Create(TPNGObject* owner) const override;
};

// The header: the 13 header fields and the decoded pixels.
class TChunkIHDR : public TChunk {
public:
    explicit TChunkIHDR(TPNGObject* owner);
    ~TChunkIHDR() override;
    static std::string GetName() { return "IHDR"; }
    void Assign(const TChunk& source) override;
    std::unique_ptr<TChunk> Create(TPNGObject* owner) const override;
    bool LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size) override;
    bool SaveToStream(TStream& stream) override;

    // Sizes the DIB (and alpha plane) for Width, Height, BitDepth and ColorType, zero-filled.
    void PrepareImageData();
    void FreeImageData();
    int DibBitsPerPixel() const;

    bool HasPalette = false;
    TPNGBitmapInfo BitmapInfo;
    std::int32_t BytesPerRow = 0;
    std::vector<std::uint8_t> ImageData;  // bottom-up rows, blue green red or indexes
    std::vector<std::uint8_t> ImageAlpha; // Width bytes a row, top row first; empty without alpha

    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 0;
    std::uint8_t ColorType = 0;
    std::uint8_t CompressionMethod = 0;
    std::uint8_t FilterMethod = 0;
    std::uint8_t InterlaceMethod = 0;
};

class TChunkgAMA : public TChunk {
public:
    explicit TChunkgAMA(TPNGObject* owner); // value 1
    static std::string GetName() { return "gAMA"; }
    void Assign(const TChunk& source) override;
    std::unique_ptr<TChunk> Create(TPNGObject* owner) const override;
    bool LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size) override;

    std::uint32_t GetValue() const;
    void SetValue(std::uint32_t value);
};

class TChunkPLTE : public TChunk {
public:
    explicit TChunkPLTE(TPNGObject* owner);
    static std::string GetName() { return "PLTE"; }
    void Assign(const TChunk& source) override;
    std::unique_ptr<TChunk> Create(TPNGObject* owner) const override;
    bool LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size) override;
    bool SaveToStream(TStream& stream) override;

    TRGBQuad GetPaletteItem(int index) const; // EPngError beyond Count

    std::uint32_t Count = 0;
};

class TChunktRNS : public TChunk {
public:
    explicit TChunktRNS(TPNGObject* owner);
    static std::string GetName() { return "tRNS"; }
    void Assign(const TChunk& source) override;
    std::unique_ptr<TChunk> Create(TPNGObject* owner) const override;
    bool LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size) override;
    bool SaveToStream(TStream& stream) override;

    void SetTransparentColor(TColor rgb);
    TColor GetTransparentColor() const;

    bool BitTransparency = false;
    std::array<std::uint8_t, 256> PaletteValues{};
};

// Image data; the chunk stands for the whole run of IDAT chunks of the file.
class TChunkIDAT : public TChunk {
public:
    explicit TChunkIDAT(TPNGObject* owner);
    static std::string GetName() { return "IDAT"; }
    std::unique_ptr<TChunk> Create(TPNGObject* owner) const override;
    bool LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size) override;
    bool SaveToStream(TStream& stream) override;
};

class TChunktIME : public TChunk {
public:
    explicit TChunktIME(TPNGObject* owner);
    static std::string GetName() { return "tIME"; }
    void Assign(const TChunk& source) override;
    std::unique_ptr<TChunk> Create(TPNGObject* owner) const override;
    bool LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size) override;
    bool SaveToStream(TStream& stream) override;

    std::uint16_t Year = 0;
    std::uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TChunktEXt : public TChunk {
public:
    explicit TChunktEXt(TPNGObject* owner);
    static std::string GetName() { return "tEXt"; }
    void Assign(const TChunk& source) override;
    std::unique_ptr<TChunk> Create(TPNGObject* owner) const override;
    bool LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size) override;
    bool SaveToStream(TStream& stream) override;

    std::string Keyword;
    std::string Text;
};

class TChunkzTXt : public TChunktEXt {
public:
    explicit TChunkzTXt(TPNGObject* owner);
    static std::string GetName() { return "zTXt"; }
    std::unique_ptr<TChunk> Create(TPNGObject* owner) const override;
    bool LoadFromStream(TStream& stream, const std::string& chunkName, std::uint32_t size) override;
    bool SaveToStream(TStream& stream) override;
};

// ---------------------------------------------------------------------------
// The chunks of one image in file order; owns them.
class TPNGList {
public:
    explicit TPNGList(TPNGObject* owner) : owner_(owner) {}

    int Count() const { return static_cast<int>(items_.size()); }
    TChunk* GetItem(int index) const; // nullptr outside the list
    void Append(std::unique_ptr<TChunk> chunk);
    void Insert(std::unique_ptr<TChunk> chunk, int position);
    std::unique_ptr<TChunk> Remove(TChunk* chunk);
    void RemoveChunk(TChunk* chunk) { Remove(chunk); }
    int IndexOf(const TChunk* chunk) const;
    void SetSize(int n); // drops the chunks from n on
    void Clear() { items_.clear(); }

    // First chunk of class T or one descending from it.
    template <class T>
    T* ItemFromClass() const;
    // Adds an ancillary chunk at its place (gAMA after IHDR, tRNS after PLTE or before
    // IDAT, others before IEND); critical chunks and a second gAMA/tRNS are refused.
    template <class T>
    T* Add();

private:
    TChunk* AddChecked(std::unique_ptr<TChunk> chunk);
    TPNGObject* owner_;
    std::vector<std::unique_ptr<TChunk>> items_;
};

// ---------------------------------------------------------------------------
// A PNG picture. Assigning a bitmap replaces every chunk (IHDR, [PLTE], [tRNS], IDAT,
// IEND); drawing honours one transparent colour or per-pixel alpha.
class TPNGObject : public TGraphic {
public:
    TPNGObject();
    ~TPNGObject() override;

    void Assign(const TGraphic& source) override;
    void AssignTo(TGraphic& dest) const override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    std::vector<TRGBQuad> GetPalette() const override; // 256 colours of grey and palette images
    std::string ClassName() const override { return "TPNGObject"; }

    int GetWidth() const override;  // 0 without a header
    int GetHeight() const override;
    bool GetEmpty() const override { return Chunks.Count() == 0; }
    bool GetTransparent() const override { return GetTransparencyMode() != ptmNone; }

    virtual TColor GetPixels(int x, int y) const;      // 0 outside the image
    virtual void SetPixels(int x, int y, TColor color); // palette images take the nearest entry

    void AssignPNG(const TPNGObject& source);
    void AssignHandle(const TBitmap& bitmap, bool transparent, TColor transparentColor);
    void ClearChunks();
    bool HeaderPresent() const;
    TChunkIHDR* GetHeader() const; // EPNGHeaderNotPresent without one
    void GetPixelInfo(int& lineSize, int& offset) const;
    TPNGTransparencyMode GetTransparencyMode() const;
    TColor GetTransparentColor() const;
    void SetTransparentColor(TColor color); // ignored without a header
    void RemoveTransparency();
    void CreateAlpha();
    void AddtEXt(const std::string& keyword, const std::string& text);
    void AddzTXt(const std::string& keyword, const std::string& text);
    std::uint8_t* GetScanline(int row) const;      // DIB row, counted from the top
    std::uint8_t* GetAlphaScanline(int row) const; // nullptr without an alpha plane
    void SetMaxIdatSize(std::int32_t n);           // below 65535 stores 65535
    std::int32_t GetMaxIdatSize() const { return MaxIdatSize; }
    void InitializeGamma();
    template <class E>
    [[noreturn]] void RaiseError(const std::string& text) const { throw E(text); }

    std::array<std::uint8_t, 256> InverseGamma{};
    TFilters Filters = FilterBit(pfSub);
    TCompressionLevel CompressionLevel = 7;
    TInterlaceMethod InterlaceMethod = imNone;
    TPNGList Chunks;
    std::array<std::uint8_t, 256> GammaTable{};

protected:
    void SetWidthImpl(int value) override;  // always EPngError: assign a bitmap instead
    void SetHeightImpl(int value) override;

private:
    void DrawPartialTrans(TCanvas& canvas, const TRect& rect);
    std::int32_t MaxIdatSize = 65535;
};

// Row bytes of n pixels of the given colour type and depth (0 for unknown types).
std::uint32_t PngRowBytes(std::uint8_t colorType, std::uint8_t bitDepth, std::uint32_t pixels);

// The chunk classes a read chunk is made as, in registration order.
template <class T>
void RegisterChunk();
std::unique_ptr<TChunk> CreateChunkByName(TPNGObject* owner, const std::string& name);

// ---------------------------------------------------------------------------
namespace pngdetail {
using ChunkFactory = std::unique_ptr<TChunk> (*)(TPNGObject*);
void RegisterChunkFactory(const std::string& name, ChunkFactory factory);
[[noreturn]] void RaiseCannotAdd();
} // namespace pngdetail

template <class T>
void RegisterChunk()
{
    pngdetail::RegisterChunkFactory(T::GetName(), [](TPNGObject* owner) -> std::unique_ptr<TChunk> {
        return std::make_unique<T>(owner);
    });
}

template <class T>
T* TPNGList::ItemFromClass() const
{
    for (const auto& c : items_)
        if (auto* t = dynamic_cast<T*>(c.get())) return t;
    return nullptr;
}

template <class T>
T* TPNGList::Add()
{
    static_assert(std::is_base_of_v<TChunk, T>);
    constexpr bool critical = std::is_same_v<T, TChunkIHDR> || std::is_same_v<T, TChunkIDAT> ||
                              std::is_same_v<T, TChunkPLTE> || std::is_same_v<T, TChunkIEND>;
    constexpr bool single = std::is_same_v<T, TChunkgAMA> || std::is_same_v<T, TChunktRNS>;
    if constexpr (critical) {
        pngdetail::RaiseCannotAdd();
    } else {
        if (single && ItemFromClass<T>()) pngdetail::RaiseCannotAdd();
        return static_cast<T*>(AddChecked(std::make_unique<T>(owner_)));
    }
}

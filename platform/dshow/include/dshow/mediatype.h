#pragma once
// Media types and the format blocks the program reads and writes.
#include "dshow/export.h"
#include "com/unknown.h"
#include "dshow/uuids.h"

using REFERENCE_TIME = LONGLONG;   // 100 ns units
using REFTIME = double;            // seconds
constexpr REFERENCE_TIME UNITS = 10000000;   // per second
constexpr REFERENCE_TIME MILLISECONDS = 10000;

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat;          // CoTaskMemAlloc memory owned by the type
};

struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER) == 88);

struct VIDEOINFOHEADER2 {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    DWORD dwInterlaceFlags;
    DWORD dwCopyProtectFlags;
    DWORD dwPictAspectRatioX;
    DWORD dwPictAspectRatioY;
    DWORD dwControlFlags;
    DWORD dwReserved2;
    BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER2) == 112);

#pragma pack(push, 1)
// 18 bytes, as it is stored in files and format blocks.
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
struct WAVEFORMATEXTENSIBLE {
    WAVEFORMATEX Format;
    WORD wValidBitsPerSample;
    DWORD dwChannelMask;
    GUID SubFormat;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);
static_assert(sizeof(WAVEFORMATEXTENSIBLE) == 40);

constexpr WORD WAVE_FORMAT_PCM = 1;
constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 3;
constexpr WORD WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

// Frees the format block and the held unknown; the structure itself stays.
DSHOW_API void FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees a type made by CreateMediaType (or handed out by an enumerator) and the structure.
DSHOW_API void DeleteMediaType(AM_MEDIA_TYPE* mt);
// Deep copy into dest (whose old contents are not freed).
DSHOW_API HRESULT CopyMediaType(AM_MEDIA_TYPE* dest, const AM_MEDIA_TYPE* source);
// A CoTaskMemAlloc copy, for enumerators and GetMediaType; null when out of memory.
DSHOW_API AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);

// A media type that owns its format block.
class DSHOW_API CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType();
    explicit CMediaType(const GUID& major);
    CMediaType(const AM_MEDIA_TYPE& other);
    CMediaType(const CMediaType& other);
    CMediaType& operator=(const AM_MEDIA_TYPE& other);
    CMediaType& operator=(const CMediaType& other);
    ~CMediaType();

    bool operator==(const CMediaType& other) const;   // same types and the same format bytes
    bool IsValid() const { return majortype != GUID_NULL; }

    const GUID* Type() const { return &majortype; }
    void SetType(const GUID* type) { majortype = *type; }
    const GUID* Subtype() const { return &subtype; }
    void SetSubtype(const GUID* type) { subtype = *type; }
    const GUID* FormatType() const { return &formattype; }
    void SetFormatType(const GUID* type) { formattype = *type; }
    bool IsFixedSize() const { return bFixedSizeSamples != 0; }
    bool IsTemporalCompressed() const { return bTemporalCompression != 0; }
    ULONG GetSampleSize() const { return bFixedSizeSamples ? lSampleSize : 0; }
    void SetSampleSize(ULONG size);
    void SetVariableSize() { bFixedSizeSamples = FALSE; }
    void SetTemporalCompression(bool compressed) { bTemporalCompression = compressed; }

    BYTE* Format() const { return pbFormat; }
    ULONG FormatLength() const { return cbFormat; }
    // Replaces the format block by a copy of the bytes; false when out of memory.
    bool SetFormat(const BYTE* format, ULONG length);
    // A zeroed block of the given length (kept bytes when it only grows); null when out of memory.
    BYTE* AllocFormatBuffer(ULONG length);
    BYTE* ReallocFormatBuffer(ULONG length);
    void ResetFormatBuffer();
    void InitMediaType();

    // True when this partially specified type (GUID_NULL as a wildcard) matches other.
    bool MatchesPartial(const CMediaType* partial) const;
    bool IsPartiallySpecified() const;
};

// Checked views of a type's format block: null unless the format type and size fit.
DSHOW_API const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& mt);
DSHOW_API const VIDEOINFOHEADER2* VideoInfo2(const AM_MEDIA_TYPE& mt);
DSHOW_API const WAVEFORMATEX* WaveFormat(const AM_MEDIA_TYPE& mt);
// The bitmap header of either video format, or null.
DSHOW_API const BITMAPINFOHEADER* VideoBitmapHeader(const AM_MEDIA_TYPE& mt);
// Bytes of one uncompressed bottom-up frame: rows padded to 4 bytes.
DSHOW_API DWORD DibImageSize(const BITMAPINFOHEADER& header);

#pragma once
// The fixed-width types of the component interfaces. Widths follow the
// platform the interfaces were designed for (LONG and BOOL are 32 bits), so
// structures handed between modules keep their layout; wide texts are
// wchar_t, so L"..." literals work as they do there.
#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using DWORDLONG = std::uint64_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using UINT = std::uint32_t;
using LPVOID = void*;

using WCHAR = wchar_t;
using OLECHAR = wchar_t;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPOLESTR = wchar_t*;
using LPCOLESTR = const wchar_t*;
using BSTR = wchar_t*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Calling conventions have no meaning on this platform; kept so interface
// declarations read as they do elsewhere.
#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT

#ifndef KELDARA_RECT_DEFINED
#define KELDARA_RECT_DEFINED
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
#endif

#ifndef KELDARA_BITMAPINFOHEADER_DEFINED
#define KELDARA_BITMAPINFOHEADER_DEFINED
// The 40-byte header of a device-independent bitmap, as stored in BMP files
// and in video format blocks.
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
constexpr DWORD BI_RGB = 0;
#endif

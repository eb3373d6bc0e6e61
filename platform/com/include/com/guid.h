#pragma once
// Globally unique identifiers and their "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" texts.
#include "com/export.h"
#include "com/hresult.h"
#include "com/types.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}
constexpr bool IsEqualGUID(const GUID& a, const GUID& b) { return a == b; }
constexpr bool IsEqualIID(const IID& a, const IID& b) { return a == b; }
constexpr bool IsEqualCLSID(const CLSID& a, const CLSID& b) { return a == b; }
// Any fixed order, for maps and sets.
inline bool operator<(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }

inline constexpr GUID GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr const GUID& CLSID_NULL = GUID_NULL;
inline constexpr const GUID& IID_NULL = GUID_NULL;

// Upper-case braced text, 38 characters.
COM_API std::string GuidToString(const GUID& guid);
// Accepts the braced form (braces optional), either case; nothing else.
COM_API std::optional<GUID> GuidFromString(std::string_view text);

// Writes the braced text and its terminating zero into buffer; answers the
// number of characters written including the zero, or 0 when it does not fit.
COM_API int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int capacity);
COM_API HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);   // CO_E_CLASSSTRING when malformed
COM_API HRESULT IIDFromString(LPCOLESTR text, IID* iid);

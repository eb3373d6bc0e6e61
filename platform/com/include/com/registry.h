#pragma once
// The registry: a hierarchical store of keys and typed values, kept in one
// text file per user in the registry-file format of "reg import":
//
//   $KELDARA_REGISTRY                       when set (tests point it at a temp file)
//   else $XDG_CONFIG_HOME/keldara/registry
//   else $HOME/.config/keldara/registry
//
// Every change locks the file (flock on "<file>.lock"), reads it, applies the
// change, writes a temporary file beside it and renames it over the old one, so
// two processes writing at once never lose or tear each other's keys. Key and
// value names are case-insensitive and keep their case. The roots are
// HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS and
// HKEY_CURRENT_CONFIG; HKLM\SOFTWARE\Classes and HKCU\Software\Classes are the
// same keys as HKEY_CLASSES_ROOT. Texts are UTF-8.
#include "com/export.h"
#include "com/hresult.h"
#include "com/types.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

struct COM_API RegValue {
    std::string name;                 // "" is the key's default value
    DWORD type = REG_NONE;
    std::vector<BYTE> data;           // texts as UTF-8 without terminator; MULTI_SZ items separated by 0

    std::string AsString() const;     // texts as they are, DWORD/QWORD in decimal, else ""
    DWORD AsDword() const;            // DWORD (and QWORD's low half), a decimal text, else 0
    static RegValue String(std::string name, std::string_view text, DWORD type = REG_SZ);
    static RegValue Dword(std::string name, DWORD value);
    static RegValue Binary(std::string name, std::vector<BYTE> bytes);
};

class COM_API RegKey {
public:
    explicit RegKey(std::string name) : name_(std::move(name)) {}
    const std::string& Name() const { return name_; }

    RegKey* Child(std::string_view name);                     // null when absent
    const RegKey* Child(std::string_view name) const;
    RegKey& CreateChild(std::string_view name);
    bool DeleteChild(std::string_view name);                  // with everything below it
    const std::vector<std::unique_ptr<RegKey>>& Children() const { return children_; }

    const RegValue* Value(std::string_view name) const;       // null when absent
    void SetValue(RegValue value);
    bool DeleteValue(std::string_view name);
    const std::vector<RegValue>& Values() const { return values_; }

private:
    std::string name_;
    std::vector<RegValue> values_;
    std::vector<std::unique_ptr<RegKey>> children_;
    // By lower-case name, so that a key of many thousand entries is read in linear time.
    std::unordered_map<std::string, std::size_t> valueIndex_;
    std::unordered_map<std::string, RegKey*> childIndex_;
};

// Limits of the store, as the platform has them: keys nest at most 512 deep
// below their root, a key's name has at most 255 characters. A path past them
// is refused (Find, Create and the import answer no key).
constexpr std::size_t kRegMaxDepth = 512;
constexpr std::size_t kRegMaxKeyName = 255;

// The whole store in memory. Paths are "ROOT\sub\key"; roots may be abbreviated
// (HKCR, HKCU, HKLM).
class COM_API RegistryTree {
public:
    RegistryTree();
    // Null when absent or the root is unknown. The key lives as long as the tree:
    // keep the snapshot from ReadRegistry() in a variable before keeping its keys.
    RegKey* Find(std::string_view path);
    const RegKey* Find(std::string_view path) const;
    RegKey* Create(std::string_view path);                    // null when the root is unknown
    bool Delete(std::string_view path);                       // a key and its subtree; roots stay

    // The registry-file text: "Windows Registry Editor Version 5.00", one
    // [key] section per key with values, texts quoted and escaped.
    std::string ToText() const;
    // Applies registry-file text. Nothing is changed when a line is malformed;
    // error then names the line.
    bool Import(std::string_view text, std::string* error);
    // Key names hold no line break (nothing could write them) and keep to the limits above.
    static bool UsableKeyName(std::string_view name);

    // Canonical form of a key path ("HKEY_CLASSES_ROOT\CLSID\..."), "" for an unknown root.
    static std::string CanonicalPath(std::string_view path);

private:
    std::vector<std::unique_ptr<RegKey>> roots_;
};

// Where the store lives now (see above).
COM_API std::string RegistryFilePath();
// The store as it stands (an empty tree when the file is missing or cannot be
// read). A store unchanged since the last read in this process is not read
// again: the snapshot is shared.
COM_API std::shared_ptr<const RegistryTree> ReadRegistry();
// Locked read-modify-write. change answers false to abandon (nothing is written).
// Answers false with error set when the file cannot be read, parsed or written.
COM_API bool UpdateRegistry(const std::function<bool(RegistryTree&)>& change, std::string* error = nullptr);
// Imports registry-file bytes (UTF-16 with byte-order mark, UTF-8, or REGEDIT4 text).
COM_API bool ImportRegistryText(std::string_view bytes, std::string* error);
// The text of registry-file bytes, as ImportRegistryText reads them.
COM_API std::string RegistryFileText(std::string_view bytes);

// ---------------------------------------------------------------------------
// The platform's calls, over the store. A key handle names a path; it holds
// no lock and no copy of the data.
using HKEY = struct HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LSTATUS = LONG;

extern COM_API const HKEY HKEY_CLASSES_ROOT;
extern COM_API const HKEY HKEY_CURRENT_USER;
extern COM_API const HKEY HKEY_LOCAL_MACHINE;
extern COM_API const HKEY HKEY_USERS;
extern COM_API const HKEY HKEY_CURRENT_CONFIG;

constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
constexpr LSTATUS ERROR_MORE_DATA = 234;
constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
constexpr LSTATUS ERROR_CANTWRITE = 1013;

constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

COM_API LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                                REGSAM sam, void* security, PHKEY result, DWORD* disposition);
COM_API LSTATUS RegCreateKeyA(HKEY key, const char* subKey, PHKEY result);
COM_API LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM sam, PHKEY result);
COM_API LSTATUS RegOpenKeyA(HKEY key, const char* subKey, PHKEY result);
COM_API LSTATUS RegCloseKey(HKEY key);
// Texts are stored as given up to their first zero byte.
COM_API LSTATUS RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
// size in: the buffer's capacity; out: the bytes needed (texts with their terminator).
// data null asks the size only; a short buffer gives ERROR_MORE_DATA.
COM_API LSTATUS RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
COM_API LSTATUS RegDeleteValueA(HKEY key, const char* name);
COM_API LSTATUS RegDeleteKeyA(HKEY key, const char* subKey);      // only a key without subkeys
COM_API LSTATUS RegDeleteTreeA(HKEY key, const char* subKey);     // the key and all below it
COM_API LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, char* keyClass,
                              DWORD* classSize, void* lastWrite);
// The path a handle names ("" for an invalid handle).
COM_API std::string RegKeyPath(HKEY key);

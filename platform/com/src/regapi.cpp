// The platform's registry calls over the file-backed store.
#include "com/registry.h"

#include <cstring>
#include <mutex>
#include <set>

struct HKEY__ {
    std::string path;
};

namespace {

HKEY__ g_roots[5] = {{"HKEY_CLASSES_ROOT"}, {"HKEY_CURRENT_USER"}, {"HKEY_LOCAL_MACHINE"}, {"HKEY_USERS"},
                     {"HKEY_CURRENT_CONFIG"}};

std::mutex g_mutex;
std::set<HKEY>& OpenHandles()
{
    static std::set<HKEY> handles;
    return handles;
}

bool IsPredefined(HKEY key)
{
    for (auto& r : g_roots)
        if (key == &r) return true;
    return false;
}

// The path a handle names, or "" when it is not a live handle.
std::string PathOf(HKEY key)
{
    if (!key) return {};
    if (IsPredefined(key)) return key->path;
    std::lock_guard lock(g_mutex);
    return OpenHandles().count(key) ? key->path : std::string();
}

std::string Join(const std::string& base, const char* sub)
{
    if (!sub || !*sub) return base;
    return base + "\\" + sub;
}

HKEY NewHandle(std::string path)
{
    HKEY key = new HKEY__{std::move(path)};
    std::lock_guard lock(g_mutex);
    OpenHandles().insert(key);
    return key;
}

} // namespace

const HKEY HKEY_CLASSES_ROOT = &g_roots[0];
const HKEY HKEY_CURRENT_USER = &g_roots[1];
const HKEY HKEY_LOCAL_MACHINE = &g_roots[2];
const HKEY HKEY_USERS = &g_roots[3];
const HKEY HKEY_CURRENT_CONFIG = &g_roots[4];

std::string RegKeyPath(HKEY key) { return PathOf(key); }

LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM, void*, PHKEY result,
                        DWORD* disposition)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::string base = PathOf(key);
    if (base.empty()) return ERROR_INVALID_HANDLE;
    std::string path = RegistryTree::CanonicalPath(Join(base, subKey));
    if (path.empty()) return ERROR_INVALID_PARAMETER;
    bool existed = false;
    if (!UpdateRegistry([&](RegistryTree& tree) {
            existed = tree.Find(path) != nullptr;
            if (existed) return false;
            return tree.Create(path) != nullptr;
        }))
        return ERROR_CANTWRITE;
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = NewHandle(path);
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyA(HKEY key, const char* subKey, PHKEY result)
{
    return RegCreateKeyExA(key, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, result, nullptr);
}

LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM, PHKEY result)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::string base = PathOf(key);
    if (base.empty()) return ERROR_INVALID_HANDLE;
    std::string path = RegistryTree::CanonicalPath(Join(base, subKey));
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    auto tree = ReadRegistry();
    if (!tree->Find(path)) return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(path);
    return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyA(HKEY key, const char* subKey, PHKEY result)
{
    return RegOpenKeyExA(key, subKey, 0, KEY_ALL_ACCESS, result);
}

LSTATUS RegCloseKey(HKEY key)
{
    if (IsPredefined(key)) return ERROR_SUCCESS;
    {
        std::lock_guard lock(g_mutex);
        if (!key || OpenHandles().erase(key) == 0) return ERROR_INVALID_HANDLE;
    }
    delete key;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, const char* name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    std::string path = PathOf(key);
    if (path.empty()) return ERROR_INVALID_HANDLE;
    if (!data && size) return ERROR_INVALID_PARAMETER;
    RegValue value;
    value.name = name ? name : "";
    value.type = type;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::size_t n = 0;
        while (n < size && data[n]) ++n;
        value.data.assign(data, data + n);
    } else if (type == REG_MULTI_SZ) {
        value.data.assign(data, data + size);
        while (!value.data.empty() && value.data.back() == 0) value.data.pop_back();
    } else {
        if (type == REG_DWORD && size != 4) return ERROR_INVALID_PARAMETER;
        if (size) value.data.assign(data, data + size);
    }
    bool found = true;
    if (!UpdateRegistry([&](RegistryTree& tree) {
            RegKey* k = tree.Find(path);
            if (!k) {
                found = false;
                return false;
            }
            k->SetValue(value);
            return true;
        }))
        return ERROR_CANTWRITE;
    return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LSTATUS RegQueryValueExA(HKEY key, const char* name, DWORD*, DWORD* type, BYTE* data, DWORD* size)
{
    std::string path = PathOf(key);
    if (path.empty()) return ERROR_INVALID_HANDLE;
    if (data && !size) return ERROR_INVALID_PARAMETER;
    auto tree = ReadRegistry();
    const RegKey* k = tree->Find(path);
    const RegValue* v = k ? k->Value(name ? name : "") : nullptr;
    if (!v) return ERROR_FILE_NOT_FOUND;
    std::vector<BYTE> bytes = v->data;
    if (v->type == REG_SZ || v->type == REG_EXPAND_SZ) bytes.push_back(0);
    if (v->type == REG_MULTI_SZ) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    if (type) *type = v->type;
    if (!size) return ERROR_SUCCESS;
    DWORD capacity = *size;
    *size = DWORD(bytes.size());
    if (!data) return ERROR_SUCCESS;
    if (capacity < bytes.size()) return ERROR_MORE_DATA;
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    return ERROR_SUCCESS;
}

LSTATUS RegDeleteValueA(HKEY key, const char* name)
{
    std::string path = PathOf(key);
    if (path.empty()) return ERROR_INVALID_HANDLE;
    bool found = false;
    if (!UpdateRegistry([&](RegistryTree& tree) {
            RegKey* k = tree.Find(path);
            found = k && k->DeleteValue(name ? name : "");
            return found;
        }))
        return ERROR_CANTWRITE;
    return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

namespace {
LSTATUS DeleteKey(HKEY key, const char* subKey, bool tree)
{
    std::string base = PathOf(key);
    if (base.empty()) return ERROR_INVALID_HANDLE;
    std::string path = RegistryTree::CanonicalPath(Join(base, subKey));
    if (path.empty() || path.find('\\') == std::string::npos) return ERROR_ACCESS_DENIED;
    LSTATUS status = ERROR_SUCCESS;
    if (!UpdateRegistry([&](RegistryTree& t) {
            RegKey* k = t.Find(path);
            if (!k) {
                status = ERROR_FILE_NOT_FOUND;
                return false;
            }
            if (!tree && !k->Children().empty()) {
                status = ERROR_ACCESS_DENIED;
                return false;
            }
            return t.Delete(path);
        }))
        return ERROR_CANTWRITE;
    return status;
}
} // namespace

LSTATUS RegDeleteKeyA(HKEY key, const char* subKey) { return DeleteKey(key, subKey, false); }
LSTATUS RegDeleteTreeA(HKEY key, const char* subKey) { return DeleteKey(key, subKey, true); }

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD*, char*, DWORD*, void*)
{
    std::string path = PathOf(key);
    if (path.empty()) return ERROR_INVALID_HANDLE;
    if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
    auto tree = ReadRegistry();
    const RegKey* k = tree->Find(path);
    if (!k) return ERROR_FILE_NOT_FOUND;
    if (index >= k->Children().size()) return ERROR_NO_MORE_ITEMS;
    const std::string& child = k->Children()[index]->Name();
    if (*nameSize < child.size() + 1) {
        *nameSize = DWORD(child.size() + 1);
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, child.c_str(), child.size() + 1);
    *nameSize = DWORD(child.size());
    return ERROR_SUCCESS;
}

#include "com/registry.h"

#include "com/widestring.h"
#include "rtl/paths.h"
#include "rtl/readfile.h"
#include "rtl/savefile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

const char* const kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                              "HKEY_CURRENT_CONFIG"};

std::vector<std::string> SplitPath(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t j = path.find('\\', i);
        if (j == std::string_view::npos) j = path.size();
        if (j > i) parts.emplace_back(path.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

std::string LowerName(std::string_view name)
{
    std::string out(name);
    for (char& c : out) c = Lower(c);
    return out;
}

// Root name and the components below it, with the classes aliases folded.
// False for an unknown root and for a path past the store's limits.
bool CanonicalParts(std::string_view path, std::vector<std::string>& parts)
{
    parts = SplitPath(path);
    if (parts.empty() || parts.size() > kRegMaxDepth + 3) return false;
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (!RegistryTree::UsableKeyName(parts[i])) return false;
    std::string& root = parts[0];
    if (SameName(root, "HKCR")) root = "HKEY_CLASSES_ROOT";
    else if (SameName(root, "HKCU")) root = "HKEY_CURRENT_USER";
    else if (SameName(root, "HKLM")) root = "HKEY_LOCAL_MACHINE";
    else if (SameName(root, "HKU")) root = "HKEY_USERS";
    else if (SameName(root, "HKCC")) root = "HKEY_CURRENT_CONFIG";
    bool known = false;
    for (const char* r : kRoots)
        if (SameName(root, r)) { root = r; known = true; }
    if (!known) return false;
    if ((root == "HKEY_LOCAL_MACHINE" || root == "HKEY_CURRENT_USER") && parts.size() >= 3 &&
        SameName(parts[1], "SOFTWARE") && SameName(parts[2], "Classes")) {
        parts.erase(parts.begin() + 1, parts.begin() + 3);
        parts[0] = "HKEY_CLASSES_ROOT";
    }
    return parts.size() <= kRegMaxDepth + 1;
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// A quoted text with the escapes ParseQuoted reads back: a line break in a
// name or text must not break the store's lines.
std::string QuoteName(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\\' || c == '"') out += {'\\', c};
        else out.push_back(c);
    }
    out.push_back('"');
    return out;
}

void AppendHex(std::string& line, const std::vector<BYTE>& bytes)
{
    // Lines wrapped with a trailing backslash, as the format allows.
    std::size_t width = line.size();
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
        line += buf;
        width += 2;
        if (i + 1 < bytes.size()) {
            line.push_back(',');
            ++width;
            if (width > 76) {
                line += "\\\r\n  ";
                width = 2;
            }
        }
    }
}

std::vector<BYTE> TextToUtf16Bytes(const std::vector<BYTE>& utf8, DWORD type)
{
    std::string text(utf8.begin(), utf8.end());
    std::u16string units = Utf8ToUtf16(text);
    units.push_back(0);
    if (type == REG_MULTI_SZ) units.push_back(0);
    std::vector<BYTE> bytes;
    for (auto u : units) {
        bytes.push_back(BYTE(u & 0xFF));
        bytes.push_back(BYTE(u >> 8));
    }
    return bytes;
}

void WriteValues(std::string& out, const RegKey& key)
{
    for (const RegValue& v : key.Values()) {
        std::string line = v.name.empty() ? "@=" : QuoteName(v.name) + "=";
        if (v.type == REG_SZ) {
            line += QuoteName(std::string(v.data.begin(), v.data.end()));
        } else if (v.type == REG_DWORD && v.data.size() == 4) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "dword:%08x", v.AsDword());
            line += buf;
        } else if (v.type == REG_BINARY) {
            line += "hex:";
            AppendHex(line, v.data);
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "hex(%x):", unsigned(v.type));
            line += buf;
            AppendHex(line, IsTextType(v.type) ? TextToUtf16Bytes(v.data, v.type) : v.data);
        }
        out += line + "\r\n";
    }
}

// One [path] section a key, in depth-first order; a stack, not recursion, so
// that no depth of keys can exhaust the thread's stack. A key with neither
// values nor a section of its own to keep is left out when keys below it are
// written: their sections create it again. Written for every level, a key
// nested N deep would cost N sections of growing paths, and a small import of
// deep keys would make the store grow with the square of its depth.
void WriteTree(std::string& out, const RegKey& root)
{
    struct Item {
        const RegKey* key;
        std::string path;
        bool isRoot;
    };
    std::vector<Item> stack{{&root, root.Name(), true}};
    while (!stack.empty()) {
        Item item = std::move(stack.back());
        stack.pop_back();
        const RegKey& key = *item.key;
        const bool implied = key.Values().empty() && (item.isRoot || !key.Children().empty());
        if (!implied) {
            out += "[" + item.path + "]\r\n";
            WriteValues(out, key);
            out += "\r\n";
        }
        const auto& children = key.Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back({it->get(), item.path + "\\" + (*it)->Name(), false});
    }
}

// ---------------------------------------------------------------------------
// Registry-file text.

struct Operation {
    enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind;
    std::string path;
    RegValue value;
};

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// A quoted text at s[pos] (pos at the opening quote); pos ends after the closing quote.
bool ParseQuoted(std::string_view s, std::size_t& pos, std::string& out)
{
    if (pos >= s.size() || s[pos] != '"') return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '"') return true;
        if (c == '\\') {
            if (pos >= s.size()) return false;
            char e = s[pos++];
            if (e == 'n') out.push_back('\n');
            else if (e == 'r') out.push_back('\r');
            else if (e == 't') out.push_back('\t');
            else out.push_back(e);
        } else {
            out.push_back(c);
        }
    }
    return false;
}

bool ParseHexBytes(std::string_view s, std::vector<BYTE>& bytes)
{
    bytes.clear();
    std::size_t i = 0;
    auto skip = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    };
    skip();
    if (i == s.size()) return true;
    while (true) {
        skip();
        std::size_t start = i;
        unsigned value = 0;
        while (i < s.size() && std::isxdigit(static_cast<unsigned char>(s[i])) && i - start < 2) {
            char c = s[i];
            value = value * 16 + unsigned(c <= '9' ? c - '0' : Lower(c) - 'a' + 10);
            ++i;
        }
        if (i == start) return false;
        bytes.push_back(BYTE(value));
        skip();
        if (i == s.size()) return true;
        if (s[i] != ',') return false;
        ++i;
        skip();
        if (i == s.size()) return true;   // a trailing comma before nothing
    }
}

std::string BytesToText(const std::vector<BYTE>& bytes, DWORD type, bool unicode)
{
    std::string text;
    if (unicode) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) units.push_back(char16_t(bytes[i] | bytes[i + 1] << 8));
        text = Utf16ToUtf8(units);
    } else {
        text.assign(bytes.begin(), bytes.end());
    }
    // Terminators go; MULTI_SZ keeps zeros between its items.
    while (!text.empty() && text.back() == '\0') text.pop_back();
    if (type != REG_MULTI_SZ) {
        auto zero = text.find('\0');
        if (zero != std::string::npos) text.resize(zero);
    }
    return text;
}

bool KnownRoot(std::string_view path)
{
    std::vector<std::string> parts = SplitPath(path);
    if (parts.empty()) return false;
    for (const char* r : kRoots)
        if (SameName(parts[0], r)) return true;
    for (const char* r : {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"})
        if (SameName(parts[0], r)) return true;
    return false;
}

bool ParseText(std::string_view text, std::vector<Operation>& ops, std::string* error)
{
    // Lines, with CR LF, LF or CR ends.
    std::vector<std::string> lines;
    {
        std::string line;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c == '\r' || c == '\n') {
                lines.push_back(line);
                line.clear();
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            } else {
                line.push_back(c);
            }
        }
        if (!line.empty()) lines.push_back(line);
    }
    auto fail = [&](std::size_t lineNo, const std::string& why) {
        if (error) *error = "line " + std::to_string(lineNo + 1) + ": " + why;
        return false;
    };

    std::size_t n = 0;
    while (n < lines.size() && Trim(lines[n]).empty()) ++n;
    if (n == lines.size()) return fail(0, "empty file, no version line");
    std::string_view version = Trim(lines[n]);
    bool unicode;
    if (version == "Windows Registry Editor Version 5.00") unicode = true;
    else if (version == "REGEDIT4") unicode = false;
    else return fail(n, "not a registry file (version line expected)");
    ++n;

    std::string current;      // canonical path of the open section; "" when none
    bool deleted = false;
    for (; n < lines.size(); ++n) {
        std::string_view line = Trim(lines[n]);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            if (line.back() != ']') return fail(n, "key line without ']'");
            std::string_view inner = line.substr(1, line.size() - 2);
            deleted = !inner.empty() && inner.front() == '-';
            if (deleted) inner.remove_prefix(1);
            std::string path = RegistryTree::CanonicalPath(inner);
            if (path.empty()) return fail(n, KnownRoot(inner) ? "key path past the limits of the store" : "unknown root key");
            if (path.find('\\') == std::string::npos && deleted) return fail(n, "a root key cannot be deleted");
            current = path;
            ops.push_back({deleted ? Operation::DeleteKey : Operation::CreateKey, path, {}});
            continue;
        }
        if (current.empty()) return fail(n, "value outside a key");
        if (deleted) return fail(n, "value under a deleted key");

        // Continued hex lines.
        std::string joined(line);
        while (!joined.empty() && joined.back() == '\\' && n + 1 < lines.size()) {
            joined.pop_back();
            joined += std::string(Trim(lines[++n]));
        }
        std::string_view v = joined;
        std::size_t pos = 0;
        std::string name;
        if (v.empty()) return fail(n, "malformed value line");
        if (v.front() == '@') {
            pos = 1;
        } else if (!ParseQuoted(v, pos, name)) {
            return fail(n, "malformed value name");
        }
        while (pos < v.size() && (v[pos] == ' ' || v[pos] == '\t')) ++pos;
        if (pos >= v.size() || v[pos] != '=') return fail(n, "'=' expected");
        ++pos;
        std::string_view data = Trim(v.substr(pos));
        Operation op{Operation::SetValue, current, {}};
        op.value.name = name;
        if (data == "-") {
            op.kind = Operation::DeleteValue;
        } else if (!data.empty() && data.front() == '"') {
            std::size_t p = 0;
            std::string textValue;
            if (!ParseQuoted(data, p, textValue) || p != data.size()) return fail(n, "malformed text value");
            op.value = RegValue::String(name, textValue);
        } else if (data.substr(0, 6) == "dword:") {
            std::string_view digits = data.substr(6);
            if (digits.empty() || digits.size() > 8) return fail(n, "malformed dword value");
            DWORD value = 0;
            for (char c : digits) {
                if (!std::isxdigit(static_cast<unsigned char>(c))) return fail(n, "malformed dword value");
                value = value * 16 + DWORD(c <= '9' ? c - '0' : Lower(c) - 'a' + 10);
            }
            op.value = RegValue::Dword(name, value);
        } else if (data.substr(0, 3) == "hex") {
            DWORD type = REG_BINARY;
            std::size_t colon = data.find(':');
            if (colon == std::string_view::npos) return fail(n, "malformed hex value");
            std::string_view head = data.substr(0, colon);
            if (head != "hex") {
                if (head.size() < 6 || head.substr(0, 4) != "hex(" || head.back() != ')')
                    return fail(n, "malformed hex value type");
                std::string_view t = head.substr(4, head.size() - 5);
                if (t.empty() || t.size() > 8) return fail(n, "malformed hex value type");
                type = 0;
                for (char c : t) {
                    if (!std::isxdigit(static_cast<unsigned char>(c))) return fail(n, "malformed hex value type");
                    type = type * 16 + DWORD(c <= '9' ? c - '0' : Lower(c) - 'a' + 10);
                }
            }
            std::vector<BYTE> bytes;
            if (!ParseHexBytes(data.substr(colon + 1), bytes)) return fail(n, "malformed hex bytes");
            if (IsTextType(type) || type == REG_SZ) {
                op.value = RegValue::String(name, BytesToText(bytes, type, unicode), type);
            } else {
                op.value.type = type;
                op.value.data = std::move(bytes);
            }
        } else {
            return fail(n, "unknown value data");
        }
        ops.push_back(std::move(op));
    }
    return true;
}

void Apply(RegistryTree& tree, const std::vector<Operation>& ops)
{
    for (const Operation& op : ops) {
        switch (op.kind) {
        case Operation::CreateKey: tree.Create(op.path); break;
        case Operation::DeleteKey: tree.Delete(op.path); break;
        case Operation::SetValue:
            if (RegKey* key = tree.Create(op.path)) key->SetValue(op.value);
            break;
        case Operation::DeleteValue:
            if (RegKey* key = tree.Find(op.path)) key->DeleteValue(op.value.name);
            break;
        }
    }
}

// ---------------------------------------------------------------------------
// The file.

// flock on a file beside the store: the store itself is replaced by rename.
class FileLock {
public:
    FileLock(const std::string& storePath, bool exclusive)
    {
        std::string dir = ExtractFileDir(storePath);
        if (exclusive && !dir.empty()) ForceDirectories(dir);
        fd_ = ::open((storePath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileLock()
    {
        if (fd_ >= 0) ::close(fd_);   // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// What tells one version of the store from another. Every change writes a new
// file and renames it over the old one, so the same device, inode, size and
// times mean the same store.
struct StoreIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0, changed = 0;   // nanoseconds
    bool operator==(const StoreIdentity&) const = default;
};

StoreIdentity IdentityOf(const std::string& path)
{
    StoreIdentity id;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return id;
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.modified = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    id.changed = std::int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

// The store as last read or written by this process.
struct Snapshot {
    std::string path;
    StoreIdentity identity;
    std::shared_ptr<const RegistryTree> tree;
};

std::mutex g_snapshotMutex;
Snapshot g_snapshot;

void Remember(const std::string& path, const StoreIdentity& identity, std::shared_ptr<const RegistryTree> tree)
{
    std::lock_guard guard(g_snapshotMutex);
    g_snapshot = {path, identity, std::move(tree)};
}

} // namespace

// ---------------------------------------------------------------------------

std::string RegValue::AsString() const
{
    if (IsTextType(type)) return std::string(data.begin(), data.end());
    if (type == REG_DWORD || type == REG_QWORD) return std::to_string(AsDword());
    return {};
}

DWORD RegValue::AsDword() const
{
    if ((type == REG_DWORD || type == REG_QWORD) && data.size() >= 4)
        return DWORD(data[0]) | DWORD(data[1]) << 8 | DWORD(data[2]) << 16 | DWORD(data[3]) << 24;
    if (IsTextType(type)) {
        std::string text(data.begin(), data.end());
        char* end = nullptr;
        unsigned long v = std::strtoul(text.c_str(), &end, 10);
        if (!text.empty() && end && *end == '\0') return DWORD(v);
    }
    return 0;
}

RegValue RegValue::String(std::string name, std::string_view text, DWORD type)
{
    RegValue v;
    v.name = std::move(name);
    v.type = type;
    v.data.assign(text.begin(), text.end());
    return v;
}

RegValue RegValue::Dword(std::string name, DWORD value)
{
    RegValue v;
    v.name = std::move(name);
    v.type = REG_DWORD;
    v.data = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
    return v;
}

RegValue RegValue::Binary(std::string name, std::vector<BYTE> bytes)
{
    RegValue v;
    v.name = std::move(name);
    v.type = REG_BINARY;
    v.data = std::move(bytes);
    return v;
}

RegKey* RegKey::Child(std::string_view name)
{
    auto it = childIndex_.find(LowerName(name));
    return it == childIndex_.end() ? nullptr : it->second;
}

const RegKey* RegKey::Child(std::string_view name) const { return const_cast<RegKey*>(this)->Child(name); }

RegKey& RegKey::CreateChild(std::string_view name)
{
    if (RegKey* c = Child(name)) return *c;
    children_.push_back(std::make_unique<RegKey>(std::string(name)));
    childIndex_[LowerName(name)] = children_.back().get();
    return *children_.back();
}

bool RegKey::DeleteChild(std::string_view name)
{
    auto index = childIndex_.find(LowerName(name));
    if (index == childIndex_.end()) return false;
    RegKey* child = index->second;
    childIndex_.erase(index);
    std::erase_if(children_, [child](const std::unique_ptr<RegKey>& c) { return c.get() == child; });
    return true;
}

const RegValue* RegKey::Value(std::string_view name) const
{
    auto it = valueIndex_.find(LowerName(name));
    return it == valueIndex_.end() ? nullptr : &values_[it->second];
}

void RegKey::SetValue(RegValue value)
{
    const std::string key = LowerName(value.name);
    if (auto it = valueIndex_.find(key); it != valueIndex_.end()) {
        values_[it->second] = std::move(value);
        return;
    }
    valueIndex_[key] = values_.size();
    values_.push_back(std::move(value));
}

bool RegKey::DeleteValue(std::string_view name)
{
    auto it = valueIndex_.find(LowerName(name));
    if (it == valueIndex_.end()) return false;
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(it->second));
    valueIndex_.clear();
    for (std::size_t i = 0; i < values_.size(); ++i) valueIndex_[LowerName(values_[i].name)] = i;
    return true;
}

RegistryTree::RegistryTree()
{
    for (const char* r : kRoots) roots_.push_back(std::make_unique<RegKey>(r));
}

bool RegistryTree::UsableKeyName(std::string_view name)
{
    return !name.empty() && name.size() <= kRegMaxKeyName && name.find_first_of("\r\n") == std::string_view::npos;
}

std::string RegistryTree::CanonicalPath(std::string_view path)
{
    std::vector<std::string> parts;
    if (!CanonicalParts(path, parts)) return {};
    std::string out = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i) out += "\\" + parts[i];
    return out;
}

RegKey* RegistryTree::Find(std::string_view path)
{
    std::vector<std::string> parts;
    if (!CanonicalParts(path, parts)) return nullptr;
    RegKey* key = nullptr;
    for (auto& r : roots_)
        if (r->Name() == parts[0]) key = r.get();
    for (std::size_t i = 1; key && i < parts.size(); ++i) key = key->Child(parts[i]);
    return key;
}

const RegKey* RegistryTree::Find(std::string_view path) const { return const_cast<RegistryTree&>(*this).Find(path); }

RegKey* RegistryTree::Create(std::string_view path)
{
    std::vector<std::string> parts;
    if (!CanonicalParts(path, parts)) return nullptr;
    RegKey* key = nullptr;
    for (auto& r : roots_)
        if (r->Name() == parts[0]) key = r.get();
    for (std::size_t i = 1; key && i < parts.size(); ++i) key = &key->CreateChild(parts[i]);
    return key;
}

bool RegistryTree::Delete(std::string_view path)
{
    std::vector<std::string> parts;
    if (!CanonicalParts(path, parts) || parts.size() < 2) return false;
    std::string parentPath = parts[0];
    for (std::size_t i = 1; i + 1 < parts.size(); ++i) parentPath += "\\" + parts[i];
    RegKey* parent = Find(parentPath);
    return parent && parent->DeleteChild(parts.back());
}

std::string RegistryTree::ToText() const
{
    std::string out = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (const auto& r : roots_) WriteTree(out, *r);
    return out;
}

bool RegistryTree::Import(std::string_view text, std::string* error)
{
    std::vector<Operation> ops;
    if (!ParseText(text, ops, error)) return false;
    Apply(*this, ops);
    return true;
}

std::string RegistryFilePath()
{
    if (const char* p = std::getenv("KELDARA_REGISTRY"); p && *p) return p;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) return JoinPath(x, "keldara/registry");
    const char* home = std::getenv("HOME");
    return JoinPath(JoinPath(home && *home ? home : "/tmp", ".config"), "keldara/registry");
}

std::shared_ptr<const RegistryTree> ReadRegistry()
{
    const std::string path = RegistryFilePath();
    FileLock lock(path, false);   // no change can land between the look and the read
    const StoreIdentity identity = IdentityOf(path);
    {
        std::lock_guard guard(g_snapshotMutex);
        if (g_snapshot.tree && g_snapshot.path == path && g_snapshot.identity == identity) return g_snapshot.tree;
    }
    auto tree = std::make_shared<RegistryTree>();
    std::string text;
    if (identity.exists && ReadWholeFile(path, text)) {
        RegistryTree parsed;
        if (parsed.Import(text, nullptr)) *tree = std::move(parsed);
    }
    Remember(path, identity, tree);
    return tree;
}

bool UpdateRegistry(const std::function<bool(RegistryTree&)>& change, std::string* error)
{
    std::string path = RegistryFilePath();
    FileLock lock(path, true);
    if (!lock.Held()) {
        if (error) *error = "cannot lock " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    int code = 0;
    const bool exists = ReadWholeFile(path, text, &code);
    if (!exists && code != ENOENT) {
        if (error) *error = "cannot read " + path + ": " + std::strerror(code);
        return false;
    }
    RegistryTree tree;
    std::string parseError;
    if (exists && !text.empty() && !tree.Import(text, &parseError)) {
        // Never overwrite a store that cannot be read back: it would lose every key.
        if (error) *error = path + " is damaged (" + parseError + ")";
        return false;
    }
    if (!change(tree)) return true;
    // A store its own reader would refuse, or read as something else, is never written.
    const std::string stored = tree.ToText();
    auto check = std::make_shared<RegistryTree>();
    if (!check->Import(stored, nullptr) || check->ToText() != stored) {
        if (error) *error = "the change cannot be stored in " + path;
        return false;
    }
    if (!SaveFileAtomically(path, stored, error, 0600)) return false;
    // The next read finds the store as written here (the lock is still held).
    Remember(path, IdentityOf(path), std::move(check));
    return true;
}

std::string RegistryFileText(std::string_view bytes)
{
    if (bytes.size() >= 2 && ((BYTE(bytes[0]) == 0xFF && BYTE(bytes[1]) == 0xFE) ||
                              (BYTE(bytes[0]) == 0xFE && BYTE(bytes[1]) == 0xFF))) {
        bool little = BYTE(bytes[0]) == 0xFF;
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            BYTE a = BYTE(bytes[i]), b = BYTE(bytes[i + 1]);
            units.push_back(little ? char16_t(a | b << 8) : char16_t(b | a << 8));
        }
        return Utf16ToUtf8(units);
    }
    if (bytes.size() >= 3 && BYTE(bytes[0]) == 0xEF && BYTE(bytes[1]) == 0xBB && BYTE(bytes[2]) == 0xBF)
        return std::string(bytes.substr(3));
    return std::string(bytes);
}

bool ImportRegistryText(std::string_view bytes, std::string* error)
{
    const std::string text = RegistryFileText(bytes);
    // Parse before locking, so a bad file changes nothing and reports its line.
    std::vector<Operation> ops;
    if (!ParseText(text, ops, error)) return false;
    return UpdateRegistry(
        [&](RegistryTree& tree) {
            Apply(tree, ops);
            return true;
        },
        error);
}

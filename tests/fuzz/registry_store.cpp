// The registry store as the platform's calls read it: a store of any bytes
// is read or refused as damaged, never overwritten when damaged, read once
// while it stays unchanged, and a change to a readable store is read back.
#include "com/registry.h"
#include "fuzztarget.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

std::string ReadBack(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        std::string p = fuzz::ScratchFile("registry");
        ::setenv("KELDARA_REGISTRY", p.c_str(), 1);
        return p;
    }();
    const std::string_view bytes = fuzz::Text(data, size);
    fuzz::WriteFile(path, bytes);

    // Every subkey of the user's root, through the buffer protocol.
    HKEY root = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &root) == ERROR_SUCCESS) {
        char name[256];
        for (DWORD i = 0; i < 64; ++i) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        }
        RegCloseKey(root);
    }

    // Every call above looked at the same, unchanged store: one reading served them all.
    if (ReadRegistry() != ReadRegistry()) fuzz::Broken();

    const bool readable = [&] {
        RegistryTree tree;
        return bytes.empty() || tree.Import(bytes, nullptr);
    }();
    const bool changed = UpdateRegistry([](RegistryTree& tree) {
        if (RegKey* key = tree.Create("HKCU\\Software\\KeldaraFuzz")) key->SetValue(RegValue::Dword("Seen", 7));
        return true;
    });
    if (!readable) {
        if (changed || ReadBack(path) != bytes) fuzz::Broken();   // a damaged store is left as it is
        return 0;
    }
    auto after = ReadRegistry();
    const RegKey* key = after->Find("HKCU\\Software\\KeldaraFuzz");
    if (changed && (!key || !key->Value("Seen") || key->Value("Seen")->AsDword() != 7)) fuzz::Broken();
    return 0;
}

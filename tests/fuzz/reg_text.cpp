// ".reg" text, as "reg import" reads it: whatever is accepted is written by
// the store's writer in a form its reader takes back unchanged, and the store
// grows by no more than a few bytes for each byte imported.
#include "com/registry.h"
#include "fuzztarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text = RegistryFileText(fuzz::Text(data, size));
    RegistryTree tree;
    if (!tree.Import(text, nullptr)) return 0;
    const std::string stored = tree.ToText();
    // Roots spelled out ("HKCU" becomes "HKEY_CURRENT_USER"), texts of an old
    // REGEDIT4 file in UTF-16: a few times the input at most.
    if (stored.size() > 8 * size + 4096) fuzz::Broken();
    RegistryTree again;
    if (!again.Import(stored, nullptr) || again.ToText() != stored) fuzz::Broken();
    return 0;
}

// Settings files: every listing and lookup of a file of any bytes answers,
// in time linear in the file.
#include "fuzztarget.h"
#include "rtl/classes.h"
#include "rtl/inifiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = fuzz::ScratchFile("ini") + ".ini";
    fuzz::WriteFile(path, fuzz::Text(data, size));
    const TIniFile ini(path);
    TStringList sections;
    ini.ReadSections(sections);
    // Each call reads the file again: a few sections and keys are looked at.
    for (int i = 0; i < sections.Count() && i < 2; ++i) {
        TStringList keys, values;
        ini.ReadSection(sections.Strings(i), keys);
        ini.ReadSectionValues(sections.Strings(i), values);
        if (keys.Count() != values.Count()) fuzz::Broken();
        for (int k = 0; k < keys.Count() && k < 2; ++k) {
            (void)ini.ReadString(sections.Strings(i), keys.Strings(k), "");
            (void)ini.ReadInteger(sections.Strings(i), keys.Strings(k), 0);
        }
    }
    return 0;
}

// Theme files (".kiv"): the reader refuses a bad file with its own error, and
// never loads more than the file holds.
#include "fuzztarget.h"
#include "skin/kivthemefile.h"

#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        TkivThemeFileReader reader(std::span<const std::uint8_t>(data, size));
        (void)reader.GetInteger("FormBorderWidthInt");
        (void)reader.GetBool("FormShadow");
        (void)reader.GetStr("ThemeName");
        if (TMemoryStream* file = reader.GetFile("ButtonImage"); file && file->Size() > static_cast<std::int64_t>(size))
            fuzz::Broken();
    } catch (const EKivThemeFileError&) {
        // "Invalid skin file for Kivarna!"
    }
    return 0;
}

// Theme files (".kiv"): the reader refuses a bad file with its own error,
// never loads more than the file holds, and answers no length past the limit
// the controls can draw with.
#include "fuzztarget.h"
#include "skin/kivthemefile.h"

#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        TkivThemeFileReader reader(std::span<const std::uint8_t>(data, size));
        (void)reader.GetInteger("FormBorderWidthInt");
        const TStringList& integers = reader.Integers();
        for (int i = 0; i < integers.Count(); ++i) {
            const int value = reader.GetInteger(integers.Names(i));
            if (EndsText("Int", integers.Names(i)) && (value < -KIV_MAX_LENGTH || value > KIV_MAX_LENGTH))
                fuzz::Broken();
        }
        (void)reader.GetBool("FormShadow");
        (void)reader.GetStr("ThemeName");
        if (TMemoryStream* file = reader.GetFile("ButtonImage"); file && file->Size() > static_cast<std::int64_t>(size))
            fuzz::Broken();
    } catch (const EKivThemeFileError&) {
        // "Invalid skin file for Kivarna!"
    }
    return 0;
}

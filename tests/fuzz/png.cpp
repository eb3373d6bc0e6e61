// PNG files: the codec reads any bytes, refusing with its own errors only.
#include "fuzztarget.h"
#include "png/pngimage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TMemoryStream stream;
    fuzz::Fill(stream, data, size);
    try {
        TPNGObject png;
        png.LoadFromStream(stream);
        // A picture that loaded is drawn into a bitmap and written again.
        if (png.Width() > 0 && png.Height() > 0 && static_cast<std::int64_t>(png.Width()) * png.Height() <= 1 << 22) {
            TMemoryStream out;
            png.SaveToStream(out);
        }
    } catch (const Exception&) {
        // refused with the codec's error
    }
    return 0;
}

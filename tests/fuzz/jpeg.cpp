// JPEG files: the picture class reads any bytes, refusing with its own errors only.
#include "fuzztarget.h"
#include "gfx/bitmap.h"
#include "gfx/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TMemoryStream stream;
    fuzz::Fill(stream, data, size);
    try {
        TJPEGImage jpeg;
        jpeg.LoadFromStream(stream);
        (void)jpeg.Width();
    } catch (const Exception&) {
        // refused with the picture's error
    }
    return 0;
}

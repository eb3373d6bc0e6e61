// BMP and ICO files: the picture classes read any bytes, refusing with their own errors only.
#include "fuzztarget.h"
#include "gfx/bitmap.h"
#include "gfx/icon.h"

namespace {

template <class Picture>
void Load(const std::uint8_t* data, std::size_t size)
{
    TMemoryStream stream;
    fuzz::Fill(stream, data, size);
    try {
        Picture picture;
        picture.LoadFromStream(stream);
        (void)picture.Width();
    } catch (const Exception&) {
        // refused with the picture's error
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Load<TBitmap>(data, size);
    Load<TIcon>(data, size);
    return 0;
}

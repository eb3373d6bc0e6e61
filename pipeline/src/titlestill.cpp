#include "pipeline/titlestill.h"

#include "encoder/kvrencoder.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "rtl/paths.h"
#include "win32/progfolders.h"

#include <cstring>
#include <exception>

namespace {

constexpr int kStillWidth = 720;
constexpr int kPalHeight = 576, kNtscHeight = 480;
constexpr std::size_t kSpareBytes = 100;

} // namespace

std::vector<std::uint8_t> TitleStillRows(const TBitmap& picture, int width, int height)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> rows(rowBytes * static_cast<std::size_t>(height) + kSpareBytes, 0);
    TBitmap frame(width, height, pf24bit);
    TCanvas& canvas = *frame.Canvas();
    canvas.SetStretchBltMode(COLORONCOLOR);
    TBitmap source;
    source.Assign(picture);   // StretchDraw takes a picture it may touch
    canvas.StretchDraw(Rect(0, 0, width, height), source);
    for (int y = 0; y < height; ++y)
        std::memcpy(rows.data() + rowBytes * static_cast<std::size_t>(y), frame.ScanLine(y), rowBytes);
    return rows;
}

std::string TitleBackgroundPath(bool pal)
{
    return ProgramFolder() + "RES/" + (pal ? "backbitmap_P.bmp" : "backbitmap_N.bmp");
}

bool EncodeMenuStill(const std::string& background, bool pal, const std::string& output, std::string* why)
{
    TBitmap picture;
    try {
        picture.LoadFromFile(background);
    } catch (const std::exception&) {
        picture.SetSize(0, 0);
    }
    if (picture.Empty()) {
        if (why) *why = "can not read the menu picture " + background;
        return false;
    }
    const int height = pal ? kPalHeight : kNtscHeight;
    const std::vector<std::uint8_t> rows = TitleStillRows(picture, kStillWidth, height);
    if (MPEG2StillEncode(rows.data(), 1, pal ? 2 : 1, output.c_str()) != 0) {
        if (why) *why = "can not write " + output;
        return false;
    }
    return true;
}

bool EncodeTitleStill(bool pal, const std::string& workFolder, std::string* why)
{
    return EncodeMenuStill(TitleBackgroundPath(pal), pal, IncludeTrailingPathDelimiter(workFolder) + "Title.vob", why);
}

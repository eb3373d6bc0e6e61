// The disc-burner setup window's pictures: its skin with the panel and the
// footer, Add Files, Add Folder, Burn and the close button, the volume picture
// and the SVCD and VCD marks.
#include "programkit.h"

#include "gfx/canvas.h"
#include "pipeline/burnerlayout.h"

namespace {

namespace bl = burnerlayout;

TBitmap BurnerSkin()
{
    TBitmap b = WindowBody(bl::kWidth, bl::kHeight, bl::kBandHeight);
    WindowHeading(b, "Disc burner", "Burn a DVD folder or SVCD/VCD MPEG files you already have");
    BodyPanel(b, bl::kBody);
    Text(b, 20, bl::kHeight - 30, "Right-click a file to take it off the list.", 8, Hex(0x7F9CC4));
    return b;
}

// The disc volume: a small disc over the panel.
TBitmap VolumePicture(const TBitmap& skin)
{
    TBitmap b = Crop(skin, bl::kVolume);
    Disc(b, bl::kVolume.width / 2.0, bl::kVolume.height / 2.0, bl::kVolume.width / 2.0 - 2);
    return b;
}

// A rounded badge with the kind's name.
TBitmap KindMark(const TBitmap& skin, const char* word, Rgb top, Rgb bottom)
{
    const bl::Place& p = bl::kKind;
    TBitmap b = Crop(skin, p);
    PaintBox(b, {1, 1, p.width - 1.0, p.height - 1.0, 7, top, bottom, Hex(0x06101F), 0.35, false, true});
    const int w = TextWidth(b, word, 11, true);
    Text(b, (p.width - w) / 2 + 1, (p.height - 18) / 2 + 1, word, 11, Hex(0x08162E), true);
    Text(b, (p.width - w) / 2, (p.height - 18) / 2, word, 11, Hex(0xFFFFFF), true);
    return b;
}

} // namespace

void SaveBurnerPictures(const std::string& folder)
{
    const TBitmap skin = BurnerSkin();
    skin.SaveToFile(folder + bl::kSkinFile);
    Strip4([&](int s) { return WordButtonState(skin, bl::kAdd, "Add Files", false, false, s); })
        .SaveToFile(folder + bl::kAddFilesFile);
    Strip4([&](int s) { return WordButtonState(skin, bl::kAdd, "Add Folder", false, false, s); })
        .SaveToFile(folder + bl::kAddFolderFile);
    Strip4([&](int s) { return WordButtonState(skin, bl::kBurn, "Burn", true, true, s); }).SaveToFile(folder + bl::kBurnFile);
    Strip4([&](int s) { return OrbState(skin, bl::kClose, 4, s); }).SaveToFile(folder + bl::kCloseFile);
    VolumePicture(skin).SaveToFile(folder + bl::kVolumeFile);
    KindMark(skin, "SVCD", Hex(0xF0A040), Hex(0xA85A10)).SaveToFile(folder + bl::kSvcdFile);
    KindMark(skin, "VCD", Hex(0x60C080), Hex(0x207040)).SaveToFile(folder + bl::kVcdFile);
}

// The burning-process window's pictures: its skin with the panel, the time
// box and the footer; Start, Stop and the close button.
#include "programkit.h"

#include "gfx/canvas.h"
#include "pipeline/burninglayout.h"

namespace {

namespace bl = burninglayout;

TBitmap BurningSkin()
{
    TBitmap b = WindowBody(bl::kWidth, bl::kHeight, bl::kBandHeight);
    WindowHeading(b, "Burning process", "The listed files written to a blank disc");
    BodyPanel(b, bl::kBody);
    // The time box: a warm well with a rule between its two lines.
    const bl::Place& s = bl::kStatus;
    PaintBox(b, {double(s.left), double(s.top), double(s.left + s.width), double(s.top + s.height), 8,
                 FromColor(0x4A2612), FromColor(0x2E170A), Hex(0x06101F), 0, false, false});
    FillRect(b, s.left + 12, bl::kRemainCaption.top - 10, s.left + s.width - 12, bl::kRemainCaption.top - 9,
             ToColor(Mix(FromColor(0x4A2612), Hex(0x9C6A3A), 0.5)));
    Text(b, 20, bl::kHeight - 26, "A disc being written is finished by the burner; closing may damage it.", 8,
         Hex(0x7F9CC4));
    return b;
}

} // namespace

void SaveBurningPictures(const std::string& folder)
{
    const TBitmap skin = BurningSkin();
    skin.SaveToFile(folder + bl::kSkinFile);
    Strip4([&](int s) { return WordButtonState(skin, bl::kStart, "Start", true, true, s); }).SaveToFile(folder + bl::kStartFile);
    Strip4([&](int s) { return StopState(skin, bl::kStart, s); }).SaveToFile(folder + bl::kStopFile);
    Strip4([&](int s) { return OrbState(skin, bl::kClose, 4, s); }).SaveToFile(folder + bl::kCloseFile);
}

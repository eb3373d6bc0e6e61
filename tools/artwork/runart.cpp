// The run windows' pictures (the convert window and the disc builder): each skin with its panel, the time box and the
// footer; Start, Stop, Browse and Check; the close button.
#include "programkit.h"

#include "gfx/canvas.h"
#include "pipeline/runlayout.h"

namespace {

using runlayout::Layout;

TBitmap RunSkin(const Layout& l)
{
    TBitmap b = WindowBody(l.width, l.height, l.bandHeight);
    WindowHeading(b, l.title, l.subtitle);
    BodyPanel(b, 12, l.bandHeight + 6, l.width - 12, l.height - 28);
    // The time box: a warm well, its lines drawn by the window.
    const runlayout::Place& s = l.status;
    PaintBox(b, {s.left - 0.0, s.top - 0.0, s.left + s.width + 0.0, s.top + s.height + 0.0, 8, FromColor(0x4A2612),
                 FromColor(0x2E170A), Hex(0x06101F), 0, false, false});
    for (int i = 1; i < 4; ++i) {
        const int y = s.top + runlayout::kStatusLineTop + runlayout::kStatusLineStep * i - 8;
        FillRect(b, s.left + 12, y, s.left + s.width - 12, y + 1, ToColor(Mix(FromColor(0x4A2612), Hex(0x9C6A3A), 0.5)));
    }
    Text(b, 20, l.height - 21, l.footer, 8, Hex(0x7F9CC4));
    return b;
}

void SaveRunPictures(const std::string& folder, const Layout& l)
{
    const TBitmap skin = RunSkin(l);
    skin.SaveToFile(folder + l.skinFile);
    Strip4([&](int s) { return WordButtonState(skin, l.start, "Start", true, true, s); }).SaveToFile(folder + l.startFile);
    Strip4([&](int s) { return StopState(skin, l.start, s); }).SaveToFile(folder + l.stopFile);
    Strip4([&](int s) { return WordButtonState(skin, l.browse, "Browse", false, false, s); })
        .SaveToFile(folder + l.browseFile);
    Strip4([&](int s) { return WordButtonState(skin, l.check, "Check", false, false, s); })
        .SaveToFile(folder + l.checkFile);
    Strip4([&](int s) { return OrbState(skin, l.close, 4, s); }).SaveToFile(folder + l.closeFile);
}

} // namespace

void SaveRunWindowPictures(const std::string& folder)
{
    SaveRunPictures(folder, runlayout::kConvert);
    SaveRunPictures(folder, runlayout::kDiscBuilder);
    const TBitmap builder = RunSkin(runlayout::kDiscBuilder);
    const runlayout::BuilderPlaces& b = runlayout::kBuilderPlaces;
    Strip4([&](int s) { return WordButtonState(builder, b.back, "Back", false, true, s); }).SaveToFile(folder + b.backFile);
    Strip4([&](int s) { return OrbState(builder, b.min, 3, s); }).SaveToFile(folder + b.minFile);
}

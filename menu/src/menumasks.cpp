// The subpicture masks and spumux descriptions of the menus. A mask is drawn at
// the design size in exact colours (no smoothing anywhere) and stretched pixel
// for pixel to each output frame: the key colour everywhere, a frame around
// every button, the corner button's shape.
#include "menu/menuoutput.h"
#include "menufiles.h"

#include "base/qv_pubfunction.h"
#include "base/xmltext.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "png/pngimage.h"
#include "rtl/classes.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"

#include <cassert>
#include <vector>

using namespace menufiles;

namespace {

constexpr TColor kMaskKey = RGB(1, 1, 1);          // "010101", the transparent colour
constexpr TColor kHighlightColour = RGB(0, 0, 255);
constexpr TColor kSelectColour = RGB(255, 251, 240);

// One menu's buttons as the masks and the description see them.
struct MenuButtons {
    std::string prefix;            // "" for the title menu, "Chapter_<n>_" for a page
    std::vector<TRect> buttons;    // design rectangles, as the stills place them
    bool corner = false;
    TRect cornerRect;
};

// Frames of the 5-pixel pen centred one pixel outside each button, the inside
// left in the key colour, and the corner button's shape.
void DrawButtons(TBitmap& mask, const MenuModel& menu, const MenuButtons& b, TColor colour)
{
    TCanvas& c = *mask.Canvas();
    c.Pen()->SetColor(colour);
    c.Pen()->SetWidth(5);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(kMaskKey);
    for (const TRect& r : b.buttons)
        c.Rectangle(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
    if (!b.corner)
        return;
    if (menu.CornerShape && !menu.CornerShape->Empty()) {
        StampKeyedPicture(c, *menu.CornerShape, b.cornerRect.Left, b.cornerRect.Top, colour);
    } else {
        c.Brush()->SetColor(colour);
        c.FillRect(b.cornerRect);
        c.Brush()->SetColor(kMaskKey);
    }
}

bool SavePng(const MenuModel& menu, MenuOutput& out, const std::string& name, const TBitmap& mask)
{
    return SaveFile(menu, out, name, [&](TStream& s) {
        TPNGObject png;
        png.Assign(mask);
        png.SaveToStream(s);
    });
}

// The mask at both output sizes: "_N" first, then "_P".
bool SaveMask(const MenuModel& menu, MenuOutput& out, const std::string& stem, TBitmap& mask)
{
    return SavePng(menu, out, stem + "_N.png", StretchedPicture(&mask, kMenuWidth, kNtscHeight)) &&
           SavePng(menu, out, stem + "_P.png", StretchedPicture(&mask, kMenuWidth, kPalHeight));
}

std::string ButtonLine(const TRect& design, int height)
{
    const TRect r = MenuScaleRect(design, height);
    assert(r.Left >= 0 && r.Top >= 0 && r.Right <= kMenuWidth && r.Bottom <= height);
    return Format("    <button x0=\"%d\" y0=\"%d\" x1=\"%d\" y1=\"%d\"/>", r.Left, r.Top, r.Right, r.Bottom);
}

bool SaveDescription(const MenuModel& menu, MenuOutput& out, const MenuButtons& b, bool pal)
{
    const std::string tag = pal ? "P" : "N";
    const int height = pal ? kPalHeight : kNtscHeight;
    const std::string res = XmlEscape(IncludeTrailingPathDelimiter(menu.ResFolder));
    TStringList lines;
    lines.Add("<subpictures>");
    lines.Add("  <stream>");
    lines.Add("    <spu start=\"00:00:00.0\" end=\"00:00:00.0\"");
    lines.Add("         highlight=\"" + res + b.prefix + "highlight_" + tag + ".png\"");
    lines.Add("         select=\"" + res + b.prefix + "select_" + tag + ".png\"");
    lines.Add("         transparent=\"010101\" force=\"yes\"");
    lines.Add("         autoorder=\"rows\">");
    if (b.corner)
        lines.Add(ButtonLine(b.cornerRect, height));
    for (const TRect& r : b.buttons)
        lines.Add(ButtonLine(r, height));
    lines.Add("    </spu>");
    lines.Add("  </stream>");
    lines.Add("</subpictures>");
    const std::string name = (b.prefix.empty() ? std::string("Menu_") : b.prefix) + tag + ".xml";
    return SaveFile(menu, out, name, [&](TStream& s) { lines.SaveToStream(s); });
}

bool WriteMasks(const MenuModel& menu, MenuOutput& out, const MenuButtons& b)
{
    TBitmap mask(kDesignWidth, kDesignHeight, pf24bit);
    TCanvas& c = *mask.Canvas();
    // The whole mask in the key colour inside a one-pixel black border.
    c.Brush()->SetColor(kMaskKey);
    c.Pen()->SetColor(clBlack);
    c.Pen()->SetWidth(1);
    c.Rectangle(0, 0, kDesignWidth, kDesignHeight);
    DrawButtons(mask, menu, b, kHighlightColour);
    if (!SaveMask(menu, out, b.prefix + "highlight", mask))
        return false;
    // Drawn again with the wide pen: the key colour inside a wider black border.
    c.Pen()->SetColor(clBlack);
    c.Brush()->SetColor(kMaskKey);
    c.Rectangle(0, 0, kDesignWidth, kDesignHeight);
    DrawButtons(mask, menu, b, kSelectColour);
    return SaveMask(menu, out, b.prefix + "select", mask) && SaveDescription(menu, out, b, true) &&
           SaveDescription(menu, out, b, false);
}

// The common part of both mask writers: the folder, the corner, a path XML can carry.
bool StartMasks(const MenuModel& menu, MenuOutput& out, MenuButtons& b)
{
    if (!PrepareFolder(menu, out))
        return false;
    if (!IsXmlSafeText(menu.ResFolder)) {
        out.ErrorText = "Can not write the folder name \"" + menu.ResFolder + "\" into a menu description.";
        return false;
    }
    out.HasCornerButton = !menu.ChapterPages.empty();
    out.CornerButtonRect = CornerButtonRect(menu);
    b.corner = out.HasCornerButton;
    b.cornerRect = out.CornerButtonRect;
    return true;
}

} // namespace

bool WriteTitleMenuMasks(const MenuModel& menu, MenuOutput& out)
{
    MenuButtons b;
    if (!StartMasks(menu, out, b))
        return false;
    // A button at (0, 0) is written as (0, 0)-(155, 124): only a button reaching past
    // the picture is moved in, since its subpicture button would lie outside the frame.
    for (const MenuTitleButton& title : menu.Titles)
        b.buttons.push_back(KeepOnPicture(title.Rect, CornerPictureHeight(menu)));
    return WriteMasks(menu, out, b);
}

bool WriteChapterMenuMasks(const MenuModel& menu, MenuOutput& out)
{
    MenuButtons b;
    if (!StartMasks(menu, out, b))
        return false;
    for (std::size_t n = 0; n < menu.ChapterPages.size(); ++n) {
        b.prefix = "Chapter_" + IntToStr(static_cast<std::int64_t>(n)) + "_";
        b.buttons.clear();
        for (const MenuChapterButton& button : menu.ChapterPages[n].Buttons)
            b.buttons.push_back(KeepOnPicture(button.Rect, CornerPictureHeight(menu)));
        if (!WriteMasks(menu, out, b))
            return false;
    }
    return true;
}

// The menu stills: the chosen background stretched to the output frame, the
// buttons' pictures, the texts and the corner button drawn over it.
#include "menu/menuoutput.h"
#include "menufiles.h"

#include "base/burnpubfunction.h"
#include "base/dvdchapter.h"
#include "base/qv_pubfunction.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "rtl/sysutils.h"

#include <cmath>

using namespace menufiles;

namespace {

// The corner button where there is no corner picture: a plain patch over the
// corner rectangle, dark inside a light line so it shows on any background.
constexpr TColor kCornerPatch = RGB(64, 64, 64);
constexpr TColor kCornerPatchEdge = clWhite;

// A picture fitted into the output-size tile of a design rectangle (at the
// shape it is shown at, black bars; an empty picture gives a black tile),
// copied to its place.
void DrawTile(TBitmap& still, const MenuPicture& picture, double pictureRatio, const TRect& design)
{
    const int x = MenuScaleX(design.Left), y = MenuScaleY(design.Top, kPalHeight);
    const int w = MenuScaleX(design.Width()), h = MenuScaleY(design.Height(), kPalHeight);
    TBitmap tile, none;
    FitSnapshotToTile(tile, picture ? *picture : none, w, h, pictureRatio);
    BitBlt(still.Canvas(), x, y, w, h, tile.Canvas(), 0, 0, SRCCOPY);
}

void DrawCorner(TBitmap& still, const MenuModel& menu)
{
    if (menu.CornerPicture && !menu.CornerPicture->Empty()) {
        StampKeyedPicture(*still.Canvas(), *menu.CornerPicture, 5, kPalHeight - menu.CornerPicture->Height() - 5);
        return;
    }
    TCanvas& canvas = *still.Canvas();
    canvas.Brush()->SetStyle(bsSolid);
    const TRect patch = MenuScaleRect(CornerButtonRect(menu), kPalHeight);
    canvas.Brush()->SetColor(kCornerPatch);
    canvas.FillRect(patch);
    canvas.Brush()->SetColor(kCornerPatchEdge);
    canvas.FrameRect(patch);
}

} // namespace

std::string ChapterTimeLabel(const MenuChapterPage& page, std::size_t j)
{
    if (j == 0 || j >= page.Buttons.size())
        return FormatSecondsHms(0);
    return TitleTimeLabel(page.Buttons[j].Time, page.TrimStart);
}

std::string TitleTimeLabel(double clipSeconds, double trimStart)
{
    return FormatSecondsHms(std::max(0, WholeTitleSeconds(clipSeconds, trimStart)));
}

bool WriteTitleMenuBackground(const MenuModel& menu, MenuOutput& out)
{
    if (!PrepareFolder(menu, out))
        return false;
    out.HasCornerButton = !menu.ChapterPages.empty();
    TBitmap pal = StretchedPicture(menu.Background.get(), kMenuWidth, kPalHeight);
    DrawMenuText(*pal.Canvas(), menu.Title, {});
    const int cornerHeight = CornerPictureHeight(menu);
    for (const MenuTitleButton& title : menu.Titles) {
        // The button where the designer has it; only one reaching past the
        // picture is moved in (see KeepOnPicture), its caption moved along.
        const TRect r = KeepOnPicture(title.Rect, cornerHeight);
        DrawTile(pal, title.Snapshot, title.SnapshotRatio, r);
        DrawMenuText(*pal.Canvas(), title.Caption, {r.Left - title.Rect.Left, r.Top - title.Rect.Top});
    }
    if (out.HasCornerButton)
        DrawCorner(pal, menu);
    const TBitmap ntsc = StretchedPicture(&pal, kMenuWidth, kNtscHeight);
    return SaveBitmap(menu, out, "backbitmap_P.bmp", pal) && SaveBitmap(menu, out, "backbitmap_N.bmp", ntsc) &&
           SaveJpeg(menu, out, "backbitmap_P.jpg", pal) && SaveJpeg(menu, out, "backbitmap_N.jpg", ntsc);
}

bool WriteChapterMenuBackgrounds(const MenuModel& menu, MenuOutput& out)
{
    if (!PrepareFolder(menu, out))
        return false;
    out.HasCornerButton = !menu.ChapterPages.empty();
    const int cornerHeight = CornerPictureHeight(menu);
    for (std::size_t n = 0; n < menu.ChapterPages.size(); ++n) {
        const MenuChapterPage& page = menu.ChapterPages[n];
        TBitmap pal = StretchedPicture(page.Background.get(), kMenuWidth, kPalHeight);
        // The time labels take the canvas's own font, on no box.
        TCanvas& canvas = *pal.Canvas();
        canvas.Brush()->SetStyle(bsClear);
        for (std::size_t j = 0; j < page.Buttons.size(); ++j) {
            const TRect r = KeepOnPicture(page.Buttons[j].Rect, cornerHeight);
            DrawTile(pal, page.Buttons[j].Thumbnail, page.Buttons[j].ThumbnailRatio, r);
            canvas.TextOut(MenuScaleX(r.Left),
                           MenuScaleY(r.Top, kPalHeight) + MenuScaleY(r.Height(), kPalHeight) + 5,
                           ChapterTimeLabel(page, j));
        }
        DrawCorner(pal, menu);
        const std::string stem = "Chapter_" + IntToStr(static_cast<std::int64_t>(n)) + "_backbitmap";
        if (!SaveBitmap(menu, out, stem + ".bmp", pal) || !SaveJpeg(menu, out, stem + ".jpg", pal))
            return false;
    }
    return true;
}

#include "menufiles.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "gfx/jpeg.h"
#include "rtl/paths.h"
#include "rtl/savefile.h"

namespace menufiles {

bool PrepareFolder(const MenuModel& menu, MenuOutput& out)
{
    out.ErrorText.clear();
    if (!menu.ResFolder.empty() && ForceDirectories(menu.ResFolder))
        return true;
    out.ErrorText = "Can not create the folder \"" + menu.ResFolder + "\".";
    return false;
}

bool SaveFile(const MenuModel& menu, MenuOutput& out, const std::string& name,
              const std::function<void(TStream&)>& writer)
{
    return SaveFileAtomically(IncludeTrailingPathDelimiter(menu.ResFolder) + name, writer, &out.ErrorText);
}

bool SaveBitmap(const MenuModel& menu, MenuOutput& out, const std::string& name, const TBitmap& bitmap)
{
    return SaveFile(menu, out, name, [&](TStream& s) { bitmap.SaveToStream(s); });
}

bool SaveJpeg(const MenuModel& menu, MenuOutput& out, const std::string& name, const TBitmap& bitmap)
{
    return SaveFile(menu, out, name, [&](TStream& s) {
        TJPEGImage jpeg;
        jpeg.Assign(bitmap);
        jpeg.SaveToStream(s);
    });
}

TBitmap StretchedPicture(TBitmap* picture, int width, int height)
{
    TBitmap out(width, height, pf24bit);
    TCanvas& canvas = *out.Canvas();
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect(Rect(0, 0, width, height));
    if (picture && !picture->Empty()) {
        SetStretchBltMode(&canvas, COLORONCOLOR);
        StretchBlt(&canvas, 0, 0, width, height, picture->Canvas(), 0, 0, picture->Width(), picture->Height(),
                   SRCCOPY);
    }
    return out;
}

void DrawMenuText(TCanvas& canvas, const MenuText& text, TPoint offset)
{
    if (text.Caption.empty())
        return;
    TFont& font = *canvas.Font();
    font.SetName(text.Font.Name);
    font.SetSize(text.Font.Size);
    font.SetStyle(text.Font.Style);
    font.SetColor(ColorToRGB(text.Font.Color));
    font.SetQuality(fqAntialiased);
    canvas.Brush()->SetStyle(bsClear);
    canvas.TextOut(MenuScaleX(text.Position.X + offset.X), MenuScaleY(text.Position.Y + offset.Y, kPalHeight),
                   text.Caption);
}

} // namespace menufiles

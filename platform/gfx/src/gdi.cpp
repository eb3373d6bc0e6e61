// Block transfers and formatted text.
#include "gfx/gdi.h"

bool BitBlt(TCanvas*, int, int, int, int, TCanvas*, int, int, std::uint32_t) { return false; }
bool StretchBlt(TCanvas*, int, int, int, int, TCanvas*, int, int, int, int, std::uint32_t) { return false; }
bool PatBlt(TCanvas*, int, int, int, int, std::uint32_t) { return false; }
bool TransparentBlt(TCanvas*, int, int, int, int, TCanvas*, int, int, int, int, TColor) { return false; }
int SetStretchBltMode(TCanvas* canvas, int mode) { return canvas ? canvas->SetStretchBltMode(mode) : 0; }
int GetStretchBltMode(TCanvas* canvas) { return canvas ? canvas->StretchBltMode() : 0; }
int SetBkMode(TCanvas* canvas, int mode) { return canvas ? canvas->SetBkMode(mode) : 0; }
TColor SetBkColor(TCanvas* canvas, TColor color) { return canvas ? canvas->SetBkColor(color) : 0; }
TColor SetTextColor(TCanvas* canvas, TColor color)
{
    if (!canvas) return 0;
    TColor old = canvas->Font()->Color();
    canvas->Font()->SetColor(color);
    return old;
}
int DrawText(TCanvas*, std::string_view, TRect&, unsigned) { return 0; }
bool DrawFocusRect(TCanvas* canvas, const TRect& rect)
{
    if (!canvas) return false;
    canvas->DrawFocusRect(rect);
    return true;
}

#include "skin/kivpublic.h"

#include "skin/kivskinnable.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "vcl/application.h"
#include "vcl/backend.h"
#include "vcl/forms.h"
#include "vcl/scrollstate.h"
#include "vcl/stdctrls_list.h"

#include <algorithm>
#include <cstring>

namespace {

// Draws a piece of the source stretched over `dest`, skipping `key` pixels when keyed.
void DrawPiece(TCanvas* canvas, TBitmap* source, const TRect& src, const TRect& dest, bool keyed, int key)
{
    if (src.IsEmpty() || dest.IsEmpty()) return;
    if (!keyed) {
        canvas->CopyRect(dest, *source->Canvas(), src);
        return;
    }
    TBitmap piece(dest.Width(), dest.Height(), pf24bit);
    piece.Canvas()->CopyRect(Rect(0, 0, dest.Width(), dest.Height()), *source->Canvas(), src);
    piece.SetTransparentColor(key);
    piece.SetTransparent(true);
    canvas->Draw(dest.Left, dest.Top, piece);
}

// A 24-bit copy turned by `map` (source x, y -> destination x, y).
template <class Map>
void Turn(TBitmap* bitmap, int newWidth, int newHeight, Map map)
{
    if (!bitmap || bitmap->Empty()) return;
    TBitmap turned(newWidth, newHeight, pf24bit);
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x) {
            const TPoint p = map(x, y);
            turned.SetPixel(p.X, p.Y, bitmap->Pixel(x, y));
        }
    const bool transparent = bitmap->Transparent();
    bitmap->Assign(turned);
    bitmap->SetTransparent(transparent);
}

} // namespace

void SpitBitmap(TBitmap* source, TBitmap* destination, int count, int index)
{
    if (!source || !destination) return;
    if (count < 1) count = 1, index = 1;
    index = std::clamp(index, 1, count);
    const int w = source->Width() / count;
    const int h = source->Height();
    const int x0 = w * (index - 1);

    destination->SetPixelFormat(source->PixelFormat());
    if (!source->Colors().empty()) destination->SetColors(source->Colors());
    destination->SetSize(w, h);
    const int bpp = source->BitsPerPixel();
    // A strip narrower than its count (a theme's picture too small) gives
    // pieces without pixels: there is nothing to copy.
    for (int y = 0; w > 0 && y < h; ++y) {
        if (bpp % 8 == 0) {
            const int bytes = bpp / 8;
            std::memcpy(destination->ScanLine(y), source->ScanLine(y) + std::size_t(x0) * bytes,
                        std::size_t(w) * bytes);
        } else {
            for (int x = 0; x < w; ++x) destination->SetPixel(x, y, source->Pixel(x0 + x, y));
        }
    }
    if (source->TransparentMode() == tmFixed) destination->SetTransparentColor(source->TransparentColor());
    destination->SetTransparent(source->Transparent());
}

void TileDraw(TCanvas* canvas, TBitmap* picture, const TRect& rect)
{
    if (!canvas || !picture) return;
    const int w = picture->Width(), h = picture->Height();
    if (w <= 0 || h <= 0) return; // nothing to repeat (and no end to the loop)
    for (int y = 0; y < rect.Height() + h; y += h)
        for (int x = 0; x < rect.Width() + w; x += w) canvas->Draw(x, y, *picture);
}

void SpitDraw(TBitmap* bitmap, TCanvas* canvas, const TRect& rect, bool transparent)
{
    if (!bitmap || !canvas || bitmap->Empty() || rect.IsEmpty()) return;
    const int W = bitmap->Width(), H = bitmap->Height();
    const int a = W / 2, b = H / 2, c = rect.Width() / 2, d = rect.Height() / 2;
    const int cw = W - 2 * a, ch = H - 2 * b; // centre strips: 1 for an odd size, 0 for an even one
    const int L = rect.Left, T = rect.Top, R = rect.Right, B = rect.Bottom;

    // Corner sizes, each cut to the picture part and the destination quarter.
    const int lw = std::max(0, std::min(a, c)), rw = std::max(0, std::min(a - 1, c - 1));
    const int th = std::max(0, std::min(b, d)), bh = std::max(0, std::min(b - 1, d - 1));

    DrawPiece(canvas, bitmap, Rect(0, 0, lw, th), Bounds(L, T, lw, th), transparent, kivKeyColor);
    DrawPiece(canvas, bitmap, Rect(0, H - bh, lw, H), Bounds(L, B - bh, lw, bh), transparent, kivKeyColor);
    DrawPiece(canvas, bitmap, Rect(W - rw, 0, W, th), Bounds(R - rw, T, rw, th), transparent, kivKeyColor);
    DrawPiece(canvas, bitmap, Rect(W - rw, H - bh, W, H), Bounds(R - rw, B - bh, rw, bh), transparent, kivKeyColor);

    // Bands and centre, stretched from the strips next to the picture's centre lines.
    if (ch > 0) {
        DrawPiece(canvas, bitmap, Rect(0, b, lw, b + ch), Rect(L, T + th, L + lw, B - bh), true, kivKeyColor);
        DrawPiece(canvas, bitmap, Rect(W - rw, b, W, b + ch), Rect(R - rw, T + th, R, B - bh), true, kivKeyColor);
    }
    if (cw > 0) {
        DrawPiece(canvas, bitmap, Rect(a, 0, a + cw, th), Rect(L + lw, T, R - rw, T + th), true, kivKeyColor);
        DrawPiece(canvas, bitmap, Rect(a, H - bh, a + cw, H), Rect(L + lw, B - bh, R - rw, B), true, kivKeyColor);
    }
    if (cw > 0 && ch > 0)
        DrawPiece(canvas, bitmap, Rect(a, b, a + cw, b + ch), Rect(L + lw, T + th, R - rw, B - bh), true, kivKeyColor);
}

void SpitDrawHorizontal(TBitmap* bitmap, TCanvas* canvas, const TRect& rect, bool keyCorner, bool transparent)
{
    if (!bitmap || !canvas || bitmap->Empty()) return;
    const int part = bitmap->Width() / 3, H = bitmap->Height();
    if (part <= 0) return;
    const int key = keyCorner ? bitmap->Pixel(0, 0) : bitmap->Pixel(0, H - 1);
    const int mask = transparent ? key : kivKeyColor;
    if (rect.Width() >= part) {
        DrawPiece(canvas, bitmap, Rect(0, 0, part, H), Bounds(rect.Left, rect.Top, part, H), true, mask);
        DrawPiece(canvas, bitmap, Rect(2 * part, 0, 3 * part, H), Bounds(rect.Right - part, rect.Top, part, H), true, mask);
        DrawPiece(canvas, bitmap, Rect(part, 0, 2 * part, H), Rect(rect.Left + part, rect.Top, rect.Right - part, rect.Bottom),
                  true, mask);
    } else {
        DrawPiece(canvas, bitmap, Rect(0, 0, rect.Width(), H), Bounds(rect.Left, rect.Top, rect.Width(), H), true, mask);
    }
}

TRegion BitmapRegion(TBitmap* bitmap, int transparentColor)
{
    std::vector<TRect> runs;
    if (!bitmap) return TRegion();
    const int W = bitmap->Width(), H = bitmap->Height();
    for (int y = 0; y < H; ++y) {
        int start = -1, end = -1;
        for (int x = 0; x < W; ++x) {
            const bool opaque = bitmap->Pixel(x, y) != transparentColor;
            if (opaque && x != W - 1) {
                if (start < 0) start = x;
                end = x;
            } else if (start >= 0) {
                runs.push_back(Rect(start, y, end + 1, y + 1));
                start = -1;
            }
        }
    }
    return TRegion::FromRects(runs);
}

void SetBitmapWindow(TCustomForm* form, TBitmap* bitmap, int transparentColor)
{
    if (!form || !bitmap) return;
    form->SetWindowRegion(BitmapRegion(bitmap, transparentColor));
}

void RoundPicture(TBitmap* bitmap)
{
    if (!bitmap) return;
    const int W = bitmap->Width(), H = bitmap->Height();
    Turn(bitmap, H, W, [W](int x, int y) { return Point(y, W - 1 - x); });
}

void RoundPicture2(TBitmap* bitmap)
{
    if (!bitmap) return;
    const int W = bitmap->Width(), H = bitmap->Height();
    Turn(bitmap, W, H, [W, H](int x, int y) { return Point(W - 1 - x, H - 1 - y); });
}

void RoundPicture3(TBitmap* bitmap)
{
    if (!bitmap) return;
    const int W = bitmap->Width(), H = bitmap->Height();
    Turn(bitmap, H, W, [H](int x, int y) { return Point(H - 1 - y, x); });
}

bool InRect(int x, int y, const TRect& rect)
{
    return x >= rect.Left && x <= rect.Right && y >= rect.Top && y <= rect.Bottom;
}

void PlaceControl(TControl* control, TPoint p)
{
    if (control) control->SetBounds(p.X, p.Y, control->Width(), control->Height());
}

void PlaceControl(TControl* control, const TRect& rect)
{
    if (control) control->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
}

void DoTrans(TCanvas* canvas, TControl* control)
{
    if (canvas && control && control->Parent()) control->Parent()->PaintBackgroundFor(*control, *canvas);
}

void ContainerApplyUIStyle(TWinControl* container, TkivUIStyle style, TkivFileTheme* fileTheme)
{
    if (!container) return;
    for (int i = 0; i < container->ControlCount(); ++i)
        if (auto* skinnable = dynamic_cast<ISkinnable*>(container->Controls(i))) {
            skinnable->SetFileTheme(fileTheme);
            skinnable->SetUIStyle(style);
        }
}

void SetWinControlTransparent(TControl* control)
{
    if (!control) return;
    control->SetControlStyle((control->ControlStyle() & ~csOpaque) | csParentBackground);
}

TRect GetWorkAreaRect()
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main) return Screen->WorkAreaRect();
    const TRect b = main->BoundsRect();
    return CurrentBackend().WorkAreaAt(Point(b.Left + b.Width() / 2, b.Top + b.Height() / 2));
}

namespace {

// The canvas that draws over the control's whole window (the paint pass's while painting).
TCanvas* WindowCanvas(TControl* control)
{
    if (auto* f = dynamic_cast<TCustomForm*>(control)) return f->Canvas();
    if (auto* c = dynamic_cast<TCustomControl*>(control)) return c->ParentForm() ? c->Canvas() : nullptr;
    if (auto* g = dynamic_cast<TGraphicControl*>(control)) return g->ParentForm() ? g->Canvas() : nullptr;
    return nullptr;
}

} // namespace

void DrawControlBorder(TControl* control, TColor color, TColor innerColor, bool drawInner)
{
    TCanvas* c = control ? WindowCanvas(control) : nullptr;
    if (!c) return;
    TBrush* brush = c->Brush();
    TBrush saved;
    saved.Assign(*brush);
    brush->SetBitmap(nullptr);
    TRect r = Rect(0, 0, control->Width(), control->Height());
    brush->SetStyle(bsSolid);
    brush->SetColor(color);
    c->FrameRect(r);
    if (drawInner) {
        InflateRect(r, -1, -1);
        brush->SetColor(innerColor);
        c->FrameRect(r);
    }
    brush->Assign(saved);
}

std::string PCharToStr(const char* text) { return text ? std::string(text) : std::string(); }

bool FormHasFocus(TCustomForm* form)
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main) return form && form->Active();
    if (main->FormStyle() == fsMDIForm && main == form) return true;
    if (!Application->Active()) return false;
    if (!form || form == main) return true;
    if (main->FormStyle() == fsMDIForm && main->MDIClient()) {
        auto* active = reinterpret_cast<TCustomForm*>(main->MDIClient()->Perform(WM_MDIGETACTIVE, 0, 0));
        if (active == form) return true;
    }
    return form->Active();
}

bool KIVGetScrollBarInfo(HWND window, int objectId, SCROLLBARINFO& info)
{
    if (info.cbSize != sizeof(SCROLLBARINFO)) return false;
    if (objectId != OBJID_VSCROLL && objectId != OBJID_HSCROLL) return false;
    TWinControl* control = FindControl(window);
    if (!control) return false;
    const bool vertical = objectId == OBJID_VSCROLL;
    TScrollBarQuery query;
    if (control->Perform(CM_GETSCROLLBAR, vertical ? SB_VERT : SB_HORZ, reinterpret_cast<LPARAM>(&query)) != 1)
        return false;

    const std::uint32_t size = info.cbSize;
    info = SCROLLBARINFO{};
    info.cbSize = size;
    if (query.Bar.IsEmpty()) {
        info.rgstate[0] = STATE_SYSTEM_INVISIBLE;
        return true;
    }
    const TRect& bar = query.Bar;
    const TPoint origin = control->ClientToScreen(Point(bar.Left, bar.Top));
    info.rcScrollBar = Bounds(origin.X, origin.Y, bar.Width(), bar.Height());
    // Arrow size and thumb run along the bar: heights down a vertical one, widths across a horizontal one.
    info.dxyLineButton = vertical ? std::min(bar.Width(), bar.Height() / 2) : std::min(bar.Height(), bar.Width() / 2);
    if (!query.State.Needed() || !control->Enabled()) {
        for (std::uint32_t& state : info.rgstate) state = STATE_SYSTEM_UNAVAILABLE;
        return true;
    }
    const TRect thumb = ScrollThumbRect(bar, query.State, vertical ? sbVertical : sbHorizontal);
    info.xyThumbTop = vertical ? thumb.Top - bar.Top : thumb.Left - bar.Left;
    info.xyThumbBottom = vertical ? thumb.Bottom - bar.Top : thumb.Right - bar.Left;
    return true;
}

bool KIVGetComboBoxInfo(HWND window, COMBOBOXINFO& info)
{
    if (info.cbSize != sizeof(COMBOBOXINFO)) return false;
    auto* combo = dynamic_cast<TCustomComboBox*>(FindControl(window));
    if (!combo) return false;
    info.rcItem = combo->EditRect();
    info.rcButton = combo->ButtonRect();
    info.stateButton = info.rcButton.IsEmpty() ? STATE_SYSTEM_INVISIBLE : combo->DroppedDown() ? STATE_SYSTEM_PRESSED : 0;
    info.hwndCombo = window;
    TCustomEdit* edit = combo->EditControl();
    info.hwndItem = edit && edit->HandleAllocated() ? edit->Handle() : nullptr;
    TComboListWindow* list = combo->DroppedDown() ? combo->ListWindow() : nullptr;
    info.hwndList = list && list->HandleAllocated() ? list->Handle() : nullptr;
    return true;
}

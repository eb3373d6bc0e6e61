#pragma once
// Drawing, region and layout helpers shared by every skinned control.
#include "gfx/graphics.h"
#include "gfx/region.h"
#include "gfx/types.h"
#include "skin/kivthemes.h"
#include "win32/messages.h"

#include <cstdint>
#include <string>

class TBitmap;
class TCanvas;
class TControl;
class TCustomForm;
class TWinControl;
class TkivFileTheme;

constexpr int kivKeyColor = 0xFF00FF; // pixels of this colour are never drawn where pictures are keyed

// Copies strip `index` (1-based) of `count` equal side-by-side strips of the
// source into the destination, which takes the strip's size. A count below 1
// copies the whole picture; the index is kept within 1..count.
void SpitBitmap(TBitmap* source, TBitmap* destination, int count, int index);

// Repeats the picture from the canvas origin over the rectangle's size.
void TileDraw(TCanvas* canvas, TBitmap* picture, const TRect& rect);

// Nine-part draw keeping the picture's corners; bands and centre are stretched
// from the picture's middle lines. Corners are keyed by 0xFF00FF when transparent.
void SpitDraw(TBitmap* bitmap, TCanvas* canvas, const TRect& rect, bool transparent);

// Three equal parts side by side (left end, middle, right end): ends unscaled,
// middle stretched. The key is the top-left pixel with keyCorner, else the
// bottom-left one; it masks when transparent, 0xFF00FF masks otherwise.
void SpitDrawHorizontal(TBitmap* bitmap, TCanvas* canvas, const TRect& rect, bool keyCorner, bool transparent);

// Row runs of the pixels that differ from the transparent colour. The last
// column never joins a run (the shape the skinned windows were drawn for).
TRegion BitmapRegion(TBitmap* bitmap, int transparentColor);
// Shapes the form by the picture (client coordinates).
void SetBitmapWindow(TCustomForm* form, TBitmap* bitmap, int transparentColor);

// Quarter turn counter-clockwise, half turn, quarter turn clockwise (in place).
void RoundPicture(TBitmap* bitmap);
void RoundPicture2(TBitmap* bitmap);
void RoundPicture3(TBitmap* bitmap);

// Both edges inclusive.
bool InRect(int x, int y, const TRect& rect);
inline bool InRect(TPoint p, const TRect& rect) { return InRect(p.X, p.Y, rect); }

void PlaceControl(TControl* control, TPoint p);
void PlaceControl(TControl* control, const TRect& rect);

// Paints what lies below the control (its parent's background and the
// windowless controls under it) into `canvas`, whose origin is the control's top-left.
void DoTrans(TCanvas* canvas, TControl* control);

// Every direct skinned child gets the file theme, then the style.
void ContainerApplyUIStyle(TWinControl* container, TkivUIStyle style, TkivFileTheme* fileTheme);

// Drops the opaque flag: the control leaves its parent's picture below it.
void SetWinControlTransparent(TControl* control);

// The work area of the screen that holds the main form; the system's without one.
TRect GetWorkAreaRect();

// A one-pixel frame round the control's whole window in `color`, and when
// drawInner a second one just inside it in `innerColor`.
void DrawControlBorder(TControl* control, TColor color, TColor innerColor, bool drawInner);

std::string PCharToStr(const char* text); // empty for none

// Whether the form counts as focused for drawing its frame (active caption).
bool FormHasFocus(TCustomForm* form);

// The framework always offers the window calls below (and their themed look).
inline bool IsWinXP() { return true; }

// --- window information and animation, by handle ---------------------------
constexpr int OBJID_HSCROLL = -6, OBJID_VSCROLL = -5;
constexpr std::uint32_t STATE_SYSTEM_UNAVAILABLE = 0x1, STATE_SYSTEM_PRESSED = 0x8,
                        STATE_SYSTEM_INVISIBLE = 0x8000;

struct SCROLLBARINFO {
    std::uint32_t cbSize = sizeof(SCROLLBARINFO);
    TRect rcScrollBar;              // screen coordinates
    int dxyLineButton = 0;          // size of an arrow button
    int xyThumbTop = 0;             // from the bar's top
    int xyThumbBottom = 0;
    int reserved = 0;
    std::uint32_t rgstate[6] = {};  // the bar, up arrow, page up, thumb, page down, down arrow
};

struct COMBOBOXINFO {
    std::uint32_t cbSize = sizeof(COMBOBOXINFO);
    TRect rcItem;                   // the text area, client coordinates
    TRect rcButton;                 // client coordinates
    std::uint32_t stateButton = 0;  // pressed while the list is open, invisible without a button
    HWND hwndCombo = nullptr;
    HWND hwndItem = nullptr;        // the edit part, none for a list-only combo
    HWND hwndList = nullptr;        // the open list's window, none while closed
};

// False for a handle that is no self-scrolling control, an object other than
// the two bars, or a record whose cbSize is not its own size.
bool KIVGetScrollBarInfo(HWND window, int objectId, SCROLLBARINFO& info);
// False for a handle that is no combo box or a wrong cbSize.
bool KIVGetComboBoxInfo(HWND window, COMBOBOXINFO& info);

constexpr std::uint32_t AW_HOR_POSITIVE = 0x1, AW_HOR_NEGATIVE = 0x2, AW_VER_POSITIVE = 0x4,
                        AW_VER_NEGATIVE = 0x8, AW_CENTER = 0x10, AW_HIDE = 0x10000, AW_ACTIVATE = 0x20000,
                        AW_SLIDE = 0x40000, AW_BLEND = 0x80000;
constexpr int kivAnimateStepMs = 10; // one frame of an animation

// Shows (or with AW_HIDE hides) a form over `time` milliseconds of the current
// clock: faded with AW_BLEND, growing from the centre with AW_CENTER, else
// rolled or (AW_SLIDE) slid in from the side the direction flags name, by
// moving and clipping the window. The form's own position, shape and alpha are
// back afterwards; only AW_ACTIVATE makes it the active form. Other controls
// are shown or hidden at once. False when the
// handle is no control, or it is already shown (hidden, for AW_HIDE).
bool KIVAnimateWindow(HWND window, std::uint32_t time, std::uint32_t flags);

#pragma once
// The scroll state of a self-scrolling control (memo, list, grid) and the plain
// drawn scroll bars it keeps inside itself, vertical and horizontal. Kept apart
// so a skinned bar can replace the drawing while the state and the
// WM_VSCROLL/WM_HSCROLL protocol stay the same.
#include "gfx/canvas.h"
#include "vcl/messages.h"

#include <cstdint>

constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
// Scroll codes (low word of WPARAM; SB_THUMBPOSITION and SB_THUMBTRACK carry a position, see MakeScrollWParam).
constexpr int SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3, SB_THUMBPOSITION = 4,
              SB_THUMBTRACK = 5, SB_TOP = 6, SB_BOTTOM = 7, SB_ENDSCROLL = 8;
constexpr int SB_LINELEFT = SB_LINEUP, SB_LINERIGHT = SB_LINEDOWN, SB_PAGELEFT = SB_PAGEUP,
              SB_PAGERIGHT = SB_PAGEDOWN, SB_LEFT = SB_TOP, SB_RIGHT = SB_BOTTOM;
// Which of a control's own bars (WPARAM of CM_GETSCROLLBAR).
constexpr int SB_HORZ = 0, SB_VERT = 1;

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

inline bool HasVertBar(TScrollStyle s) { return s == ssVertical || s == ssBoth; }
inline bool HasHorzBar(TScrollStyle s) { return s == ssHorizontal || s == ssBoth; }
inline TScrollStyle ScrollStyleOf(bool horizontal, bool vertical)
{
    return horizontal ? (vertical ? ssBoth : ssHorizontal) : (vertical ? ssVertical : ssNone);
}

// Range Min..Max with Page visible units; Pos runs Min..Max-Page+1.
struct TScrollState {
    int Min = 0;
    int Max = 0;
    int Page = 1;
    int Pos = 0;
    bool Needed() const { return static_cast<std::int64_t>(Max) - Min + 1 > Page; }
    int MaxPos() const
    {
        const std::int64_t last = static_cast<std::int64_t>(Max) - Page + 1;
        return last > Min ? static_cast<int>(last) : Min;
    }
};

// The WPARAM of a scroll message: the code in the low word, the thumb
// position as a full 32-bit value above it. The platform's 16-bit high word
// would cut positions past 65535 (a log of 70000 lines); WPARAM is wide enough
// here to carry all 32 bits, and a position below 65536 reads the same either way.
static_assert(sizeof(WPARAM) >= 8, "scroll positions need a 64-bit WPARAM");
inline WPARAM MakeScrollWParam(int code, int pos)
{
    return (static_cast<WPARAM>(static_cast<std::uint32_t>(pos)) << 16) | static_cast<std::uint16_t>(code);
}
inline int ScrollMessageCode(WPARAM w) { return static_cast<int>(w & 0xFFFF); }
inline int ScrollMessagePos(WPARAM w) { return static_cast<int>(static_cast<std::uint32_t>(w >> 16)); }

// Asks a self-scrolling control about one of its own bars (WPARAM SB_VERT or
// SB_HORZ): LPARAM points at a TScrollBarQuery the control fills (Bar in
// client coordinates, empty when that bar is not shown); the answer is 1.
// Skinned bars follow the control this way.
constexpr UINT CM_GETSCROLLBAR = CM_BASE + 0x120;
struct TScrollBarQuery {
    TRect Bar;
    TScrollState State;
};

enum TScrollHit { shNone, shLineUp, shLineDown, shPageUp, shPageDown, shThumb };

constexpr int ScrollBarSize = 16;

// Geometry of a bar rectangle `r` of either kind; "up" is left on a horizontal bar.
// The thumb lies between the two arrow squares.
TRect ScrollThumbRect(const TRect& r, const TScrollState& s, TScrollBarKind kind = sbVertical);
TScrollHit ScrollBarHitTest(const TRect& r, const TScrollState& s, TPoint p, TScrollBarKind kind = sbVertical);
// Position for a thumb whose leading edge is dragged to `at` (y, or x on a horizontal bar).
int ScrollPosFromThumb(const TRect& r, const TScrollState& s, int at, TScrollBarKind kind = sbVertical);
void DrawScrollBar(TCanvas& c, const TRect& r, const TScrollState& s, TScrollBarKind kind, bool enabled = true);
// A control's vertical and horizontal bar (either rectangle may be empty) and the square where they meet.
void DrawScrollBars(TCanvas& c, const TRect& v, const TScrollState& vs, const TRect& h, const TScrollState& hs,
                    bool enabled);
// Applies a scroll code to a position; answers the new position, clamped.
int ApplyScrollCode(const TScrollState& s, int code, int thumbPos, int line = 1);
// The same for a whole scroll message's WPARAM (see MakeScrollWParam).
int ApplyScrollMessage(const TScrollState& s, WPARAM wParam, int line = 1);
// The scroll code a press on `hit` sends; SB_ENDSCROLL for the thumb and for no part.
int ScrollCodeForHit(TScrollHit hit);
// Lines a wheel turn scrolls up (positive) or down: three a notch, at least one notch.
int WheelScrollLines(int wheelDelta);
// Fills the TScrollBarQuery of a CM_GETSCROLLBAR message and answers it.
void AnswerScrollBarQuery(TMessage& m, const TRect& bar, const TScrollState& s);

// The mouse on one of a self-scrolling control's own bars: a press on an
// arrow or the lane names the scroll code to send, a press on the thumb
// starts a drag that lasts until the left button is released.
class TScrollBarMouse {
public:
    explicit TScrollBarMouse(TScrollBarKind kind) : kind_(kind) {}
    TScrollBarKind Kind() const { return kind_; }
    // A left press at `p`: false when it is not on `bar`. Otherwise `code` is
    // the scroll code to send (SB_ENDSCROLL: none, e.g. a thumb press).
    bool Press(const TRect& bar, const TScrollState& s, TPoint p, int& code);
    bool Dragging() const { return dragging_; }
    // The position for the dragged thumb under the mouse at `p`.
    int DragPos(const TRect& bar, const TScrollState& s, TPoint p) const;
    // Ends a drag; true when one was running (the release is then the bar's).
    bool Release();

private:
    TScrollBarKind kind_;
    bool dragging_ = false;
    int offset_ = 0; // mouse offset within the thumb when the drag started
};

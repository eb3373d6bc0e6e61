#pragma once
// The scroll state of a self-scrolling control (memo, list, grid) and a plain
// drawn vertical scroll bar for it. Kept apart so a skinned bar can replace the
// drawing while the state and the WM_VSCROLL protocol stay the same.
#include "gfx/canvas.h"
#include "vcl/messages.h"

constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
// Scroll codes (low word of WPARAM; SB_THUMBPOSITION carries the position in the high word).
constexpr int SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3, SB_THUMBPOSITION = 4,
              SB_THUMBTRACK = 5, SB_TOP = 6, SB_BOTTOM = 7, SB_ENDSCROLL = 8;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Range Min..Max with Page visible units; Pos runs 0..Max-Page+1.
struct TScrollState {
    int Min = 0;
    int Max = 0;
    int Page = 1;
    int Pos = 0;
    bool Needed() const { return Max - Min + 1 > Page; }
    int MaxPos() const { return Max - Page + 1 > Min ? Max - Page + 1 : Min; }
};

// Asks a self-scrolling control about its own vertical bar: LPARAM points at a
// TScrollBarQuery the control fills (Bar in client coordinates, empty when no
// bar is shown); the answer is 1. Skinned bars follow the control this way.
constexpr UINT CM_GETVSCROLLBAR = CM_BASE + 0x120;
struct TScrollBarQuery {
    TRect Bar;
    TScrollState State;
};

enum TScrollHit { shNone, shLineUp, shLineDown, shPageUp, shPageDown, shThumb };

constexpr int ScrollBarSize = 16;

// Thumb rectangle inside the bar rectangle `r` (between the two arrow squares).
TRect ScrollThumbRect(const TRect& r, const TScrollState& s);
TScrollHit ScrollBarHitTest(const TRect& r, const TScrollState& s, TPoint p);
// Position for a thumb whose top is dragged to `y` (bar coordinates as `r`).
int ScrollPosFromThumb(const TRect& r, const TScrollState& s, int thumbTop);
void DrawVScrollBar(TCanvas& c, const TRect& r, const TScrollState& s, bool enabled = true);
// Applies a WM_VSCROLL code to a position; answers the new position, clamped.
int ApplyScrollCode(const TScrollState& s, int code, int thumbPos, int line = 1);
// The same for a whole WM_VSCROLL WPARAM (code in the low word, thumb position in the high word).
int ApplyScrollMessage(const TScrollState& s, WPARAM wParam);
// The WM_VSCROLL code a press on `hit` sends; SB_ENDSCROLL for the thumb and for no part.
int ScrollCodeForHit(TScrollHit hit);
// Lines a wheel turn scrolls up (positive) or down: three a notch, at least one notch.
int WheelScrollLines(int wheelDelta);
// Fills the TScrollBarQuery of a CM_GETVSCROLLBAR message and answers it.
void AnswerScrollBarQuery(TMessage& m, const TRect& bar, const TScrollState& s);

// The mouse on a self-scrolling control's own vertical bar: a press on an
// arrow or the lane names the WM_VSCROLL code to send, a press on the thumb
// starts a drag that lasts until the left button is released.
class TVScrollBarMouse {
public:
    // A left press at `p`: false when it is not on `bar`. Otherwise `code` is
    // the scroll code to send (SB_ENDSCROLL: none, e.g. a thumb press).
    bool Press(const TRect& bar, const TScrollState& s, TPoint p, int& code);
    bool Dragging() const { return dragging_; }
    // The position for the dragged thumb under the mouse at height `y`.
    int DragPos(const TRect& bar, const TScrollState& s, int y) const;
    // Ends a drag; true when one was running (the release is then the bar's).
    bool Release();

private:
    bool dragging_ = false;
    int offset_ = 0; // mouse height within the thumb when the drag started
};

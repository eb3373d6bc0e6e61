#pragma once
// Window messages the controls react to, the framework's own CM_ notifications,
// virtual-key codes and the message record handed to every handler.
#include "gfx/types.h"
#include "win32/messages.h"

#include <cstdint>

// One message as a control's handlers see it; Result is what SendMessage answers.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// Mouse coordinates travel in LPARAM as two signed 16-bit halves, as on the platform.
inline LPARAM MakeLParam(int lo, int hi)
{
    return static_cast<LPARAM>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(lo))) |
                               (static_cast<std::uint32_t>(static_cast<std::uint16_t>(hi)) << 16));
}
inline int LParamX(LPARAM l) { return static_cast<std::int16_t>(static_cast<std::uint32_t>(l) & 0xFFFF); }
inline int LParamY(LPARAM l) { return static_cast<std::int16_t>((static_cast<std::uint32_t>(l) >> 16) & 0xFFFF); }

// Window messages (numbers as on the platform; the queue's own ones come from win32).
// WM_ERASEBKGND and WM_PAINT carry the canvas to paint on in WPARAM (a TCanvas*,
// with its origin at the control's top-left): the device context of the platform.
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_FONTCHANGE = 0x001D; // the installed fonts changed (every window hears it)
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_CONTEXTMENU = 0x007B;
// A form drawing its own frame asks itself for it: WPARAM 1, LPARAM a NCCALCSIZE_PARAMS*
// whose rgrc[0] holds the window rectangle and is to become the client rectangle.
constexpr UINT WM_NCCALCSIZE = 0x0083;
// LPARAM: the point in screen coordinates; the answer is one of the HT codes below.
constexpr UINT WM_NCHITTEST = 0x0084;
// Paints the frame: WPARAM is the canvas (TCanvas*) with its origin at the window's top-left.
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_NCLBUTTONUP = 0x00A2;
constexpr UINT WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr UINT WM_NCRBUTTONDOWN = 0x00A4;
constexpr UINT WM_NCRBUTTONUP = 0x00A5;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
// Clipboard requests an edit carries out (its cut, copy, paste and clear go through them).
constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;
constexpr UINT WM_CLEAR = 0x0303;

// WM_NCHITTEST answers.
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTCAPTION = 2;
constexpr LRESULT HTSYSMENU = 3;
constexpr LRESULT HTMINBUTTON = 8;
constexpr LRESULT HTMAXBUTTON = 9;
constexpr LRESULT HTLEFT = 10;
constexpr LRESULT HTRIGHT = 11;
constexpr LRESULT HTTOP = 12;
constexpr LRESULT HTTOPLEFT = 13;
constexpr LRESULT HTTOPRIGHT = 14;
constexpr LRESULT HTBOTTOM = 15;
constexpr LRESULT HTBOTTOMLEFT = 16;
constexpr LRESULT HTBOTTOMRIGHT = 17;
constexpr LRESULT HTBORDER = 18;
constexpr LRESULT HTCLOSE = 20;

// An MDI frame's client control hears these (WPARAM: the child form, TCustomForm*,
// where one is meant); its WindowProc can be hooked to watch them.
constexpr UINT WM_MDICREATE = 0x0220;
constexpr UINT WM_MDIDESTROY = 0x0221;
constexpr UINT WM_MDIACTIVATE = 0x0222;    // brings the child forward and makes it the active one
constexpr UINT WM_MDIRESTORE = 0x0223;     // the child leaves its maximized or minimized state
constexpr UINT WM_MDINEXT = 0x0224;
constexpr UINT WM_MDIMAXIMIZE = 0x0225;    // the child fills the client
constexpr UINT WM_MDITILE = 0x0226;        // WPARAM: MDITILE_VERTICAL or MDITILE_HORIZONTAL
constexpr UINT WM_MDICASCADE = 0x0227;
constexpr UINT WM_MDIICONARRANGE = 0x0228; // lines the minimized children up along the bottom
constexpr UINT WM_MDIGETACTIVE = 0x0229;   // answers the active child (TCustomForm*), 0 for none
constexpr UINT WM_MDIREFRESHMENU = 0x0234; // the children, the active one or a caption changed
constexpr WPARAM MDITILE_VERTICAL = 0x0000, MDITILE_HORIZONTAL = 0x0001;

// WM_NCCALCSIZE's record, and its answer when the rectangles were set.
struct NCCALCSIZE_PARAMS {
    TRect rgrc[3];
};
constexpr LRESULT WVR_VALIDRECTS = 0x0400;

// WM_SIZE's WPARAM: how the window changed.
constexpr WPARAM SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;
// WM_ACTIVATE's WPARAM.
constexpr WPARAM WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2;

// WM_GETDLGCODE answers: which keys a control keeps for itself instead of the dialog.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;

// Mouse-message WPARAM flags.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// The framework's notifications between controls. LPARAM of CM_MOUSEENTER and
// CM_MOUSELEAVE is the control entered or left; of CM_FOCUSCHANGED the control
// that received the focus; CM_DIALOGKEY and CM_DIALOGCHAR carry the key in WPARAM
// and are answered 1 by the control that used the key.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr UINT CM_CHILDKEY = CM_BASE + 46;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 59;
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
// Our own: runs a TThread::Synchronize call on the GUI thread (WPARAM = the call).
constexpr UINT CM_SYNCHRONIZE = CM_BASE + 0x100;

// Virtual-key codes.
constexpr unsigned short VK_LBUTTON = 0x01;
constexpr unsigned short VK_RBUTTON = 0x02;
constexpr unsigned short VK_MBUTTON = 0x04;
constexpr unsigned short VK_BACK = 0x08;
constexpr unsigned short VK_TAB = 0x09;
constexpr unsigned short VK_RETURN = 0x0D;
constexpr unsigned short VK_SHIFT = 0x10;
constexpr unsigned short VK_CONTROL = 0x11;
constexpr unsigned short VK_MENU = 0x12;
constexpr unsigned short VK_PAUSE = 0x13;
constexpr unsigned short VK_CAPITAL = 0x14;
constexpr unsigned short VK_ESCAPE = 0x1B;
constexpr unsigned short VK_SPACE = 0x20;
constexpr unsigned short VK_PRIOR = 0x21;
constexpr unsigned short VK_NEXT = 0x22;
constexpr unsigned short VK_END = 0x23;
constexpr unsigned short VK_HOME = 0x24;
constexpr unsigned short VK_LEFT = 0x25;
constexpr unsigned short VK_UP = 0x26;
constexpr unsigned short VK_RIGHT = 0x27;
constexpr unsigned short VK_DOWN = 0x28;
constexpr unsigned short VK_INSERT = 0x2D;
constexpr unsigned short VK_DELETE = 0x2E;
constexpr unsigned short VK_F1 = 0x70;
constexpr unsigned short VK_F2 = 0x71;
constexpr unsigned short VK_F3 = 0x72;
constexpr unsigned short VK_F4 = 0x73;
constexpr unsigned short VK_F5 = 0x74;
constexpr unsigned short VK_F10 = 0x79;
constexpr unsigned short VK_F12 = 0x7B;
// Letters and digits are their upper-case ASCII codes ('A'..'Z', '0'..'9').

#pragma once
// The control tree: windowless graphic controls painted by their parent, and
// windowed controls with lazily made handles that own child controls. All
// painting goes through gfx canvases into the form's back buffer.
#include "gfx/canvas.h"
#include "gfx/graphics.h"
#include "gfx/types.h"
#include "vcl/components.h"
#include "vcl/messages.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TWinControl;
class TControl;
class TCustomForm;
class TPopupMenu; // the menus unit's; controls only keep the reference

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

using TAnchors = unsigned;
enum : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

// Control style flags (a set).
using TControlStyle = unsigned;
enum : unsigned {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,     // a mouse-down captures the mouse until the button is released
    csDesignInteractive = 1u << 2,
    csClickEvents = 1u << 3,      // a mouse-up inside after a mouse-down makes a click
    csFramed = 1u << 4,
    csSetCaption = 1u << 5,       // Name sets Caption while they are equal
    csOpaque = 1u << 6,           // paints its whole client area: nothing is erased below
    csDoubleClicks = 1u << 7,     // double-clicks arrive as such, else as a second mouse-down
    csFixedWidth = 1u << 8,
    csFixedHeight = 1u << 9,
    csNoDesignVisible = 1u << 10,
    csReplicatable = 1u << 11,
    csNoStdEvents = 1u << 12,
    csDisplayDragImage = 1u << 13,
    csReflector = 1u << 14,
    csActionClient = 1u << 15,
    csMenuEvents = 1u << 16,
    csParentBackground = 1u << 17,
};

// Shift state (a set).
using TShiftState = unsigned;
enum : unsigned {
    ssShift = 1u << 0, ssAlt = 1u << 1, ssCtrl = 1u << 2,
    ssLeft = 1u << 3, ssRight = 1u << 4, ssMiddle = 1u << 5, ssDouble = 1u << 6,
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Reading direction. The right-to-left modes take effect only on a Middle-East
// system (a user locale written right to left, UserLocaleIsMiddleEast);
// elsewhere every control reads and lays out left to right.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
// True on a Middle-East system.
bool SysLocaleMiddleEast();

using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                  crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, unsigned short& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
// A replaceable window procedure (skins hook a form's this way).
using TWndMethod = std::function<void(TMessage& Message)>;

// Smallest and largest size a control may take (0: no limit); SetBounds keeps to them.
class TSizeConstraints {
public:
    explicit TSizeConstraints(TControl& control) : control_(control) {}
    int MinWidth() const { return minWidth_; }
    int MinHeight() const { return minHeight_; }
    int MaxWidth() const { return maxWidth_; }
    int MaxHeight() const { return maxHeight_; }
    void SetMinWidth(int value);
    void SetMinHeight(int value);
    void SetMaxWidth(int value);
    void SetMaxHeight(int value);
    // The size within the limits.
    int ConstrainWidth(int width) const;
    int ConstrainHeight(int height) const;

private:
    void Changed();
    TControl& control_;
    int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;
};

// ---------------------------------------------------------------------------
class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // Tree. Changing the parent moves the control, also to another form.
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);
    TCustomForm* ParentForm() const; // the form the control sits on, nullptr when none

    // Bounds in the parent's client coordinates (screen coordinates for a form).
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect ClientRect() const { return Rect(0, 0, width_, height_); }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int v);
    void SetClientHeight(int v);
    TPoint ClientOrigin() const; // the client area's top-left on the screen
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TSizeConstraints* Constraints() { return &constraints_; }
    const TSizeConstraints* Constraints() const { return &constraints_; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors value);

    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    // Makes the control visible, asking its parents to bring it into view
    // first (a page control activates the sheet it sits on).
    void Show();
    void Hide() { SetVisible(false); }
    // Visible itself and every parent up to a visible form.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool value);

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TFont* Font() { return font_.get(); }
    const TFont* Font() const { return font_.get(); }
    void SetFont(const TFont& value) { font_->Assign(value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);

    // Reading direction; with ParentBiDiMode (the default) it follows the parent's.
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode value);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value);
    // On a Middle-East system only: any right-to-left mode; text read right to
    // left (every mode but bdLeftToRight); the layout mirrored (bdRightToLeft);
    // the vertical scroll bar on the left (bdRightToLeft, bdRightToLeftNoAlign).
    bool IsRightToLeft() const;
    bool UseRightToLeftReading() const;
    bool UseRightToLeftAlignment() const;
    bool UseRightToLeftScrollBar() const;
    // DrawText flags for the reading direction: a mirrored layout swaps DT_LEFT
    // and DT_RIGHT (DT_CENTER stays), right-to-left reading adds DT_RTLREADING.
    unsigned DrawTextBiDiModeFlags(unsigned Flags) const;
    unsigned DrawTextBiDiModeFlagsReadingOnly() const;

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value) { hint_ = value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value) { showHint_ = value; }
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* value);
    // Caption and Text are one string.
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& value) { SetText(value); }
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);

    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle value) { controlStyle_ = value; }

    // Painting: Invalidate marks the area for the next paint pass, Update paints
    // what is marked now, Repaint does both.
    virtual void Invalidate();
    void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    // Paints the control (and for a windowed one its children) into any canvas
    // with its top-left at (X, Y); usable on an unparented control from any thread.
    virtual void PaintTo(TCanvas& canvas, int X, int Y);

    void BringToFront();
    void SendToBack();

    // Synchronous message to this control.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    // The window procedure in use: WndProc unless replaced.
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& Message);
    // Unhandled messages end here (default answer 0).
    virtual void DefaultHandler(TMessage& Message);

    virtual bool IsWindowed() const { return false; }
    bool MouseCapture() const;
    void SetMouseCapture(bool value);
    bool MouseInControl() const { return mouseInside_; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnResize;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    // Steps subclasses refine; each calls the inherited one for the default.
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual void Resize();
    virtual void Changed() {}
    virtual void TextChanged() {}
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Anchored and aligned controls of the parent are laid out again.
    void RequestAlign();
    // Area in the form's client coordinates, clipped by every parent.
    TRect VisibleRectInForm() const;
    TPoint OffsetInForm() const;
    void InvalidateRectInForm(const TRect& r) const;

    // Paint steps with the control's origin at (0, 0) of `canvas`.
    virtual void PaintSelf(TCanvas& canvas);
    // Whether SetBounds keeps to Constraints now (a minimized MDI child does not).
    virtual bool KeepsConstraints() const { return true; }

private:
    friend class TWinControl;
    friend class TCustomForm;
    void ParentFontChanged();
    void ParentColorChanged();
    void ParentBiDiModeChanged();
    void FontChanged(TObject*);
    void UpdateAnchorRules();
    void DispatchMouse(TMessage& m);

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TSizeConstraints constraints_{*this};
    TAlign align_ = alNone;
    TAnchors anchors_ = akLeft | akTop;
    TPoint anchorMargins_;     // distance of right/bottom edge from the parent's client edge
    bool anchorValid_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool changingFont_ = false;
    TBiDiMode biDiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
    TCursor cursor_ = crDefault;
    std::string hint_;
    bool showHint_ = false;
    TPopupMenu* popupMenu_ = nullptr;
    std::string text_;
    TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    bool clicked_ = false;     // mouse went down here; a release inside makes a click
    bool mouseInside_ = false;
};

// ---------------------------------------------------------------------------
// A windowless control drawn by its parent, below the parent's windowed children.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;

    // The canvas to draw on: inside Paint the one being painted; otherwise one
    // that draws onto the form's back buffer where the control sits.
    TCanvas* Canvas();

    void WndProc(TMessage& Message) override;

protected:
    virtual void Paint() {}
    void PaintSelf(TCanvas& canvas) override;

private:
    TCanvas* current_ = nullptr;
    std::unique_ptr<TCanvas> own_;
};

// ---------------------------------------------------------------------------
// A control with a window handle, made on first need, and child controls.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    bool IsWindowed() const override { return true; }
    // The handle, created when first asked for (also when the form is shown).
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    void DestroyHandle();

    // Children, windowless and windowed together: graphic ones first (their
    // z-order), then windowed ones (theirs); later ones lie above.
    int ControlCount() const { return static_cast<int>(controls_.size() + winControls_.size()); }
    TControl* Controls(int index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(const TControl* AControl) const;
    // The topmost visible child at a client point (enabled ones only unless asked).
    TControl* ControlAtPos(TPoint Pos, bool AllowDisabled = false, bool AllowWinControls = true) const;
    void Broadcast(TMessage& Message); // to every direct child until one answers non-zero
    void NotifyControls(UINT Msg);      // a bare message to every direct child
    // A child is being shown (Show): containers that show one child at a time
    // bring it forward. The request goes on up to the form.
    virtual void ShowControl(TControl* AControl);
    void DisableAlign() { ++alignDisabled_; }
    void EnableAlign();
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    void Realign();

    // Focus.
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    int TabOrder() const;
    void SetTabOrder(int value);
    virtual bool CanFocus() const;
    virtual void SetFocus();
    bool Focused() const;
    void SelectFirst();
    // Fills the list with the tab-order sequence of all windowed descendants.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) const;
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    bool ParentBackground() const { return (ControlStyle() & csParentBackground) != 0; }

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

    void PaintTo(TCanvas& canvas, int X, int Y) override;
    // Paints this control's background (erase, its own painting and its windowless
    // children) into `canvas`, whose origin stands at `child`'s top-left: what a
    // transparent child shows through.
    void PaintBackgroundFor(TControl& child, TCanvas& canvas);

    void WndProc(TMessage& Message) override;
    void SetEnabled(bool value) override;

protected:
    // Makes the handle; subclasses add to it (forms open their native window).
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void CreateHandle();
    // Key steps; KeyPress may set Key to 0 to drop the character.
    virtual void KeyDown(unsigned short& Key, TShiftState Shift);
    virtual void KeyUp(unsigned short& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void DoEnter();
    virtual void DoExit();
    void PaintSelf(TCanvas& canvas) override;
    // Erases with Color; WM_ERASEBKGND handlers that do nothing keep what lies below.
    virtual void PaintWindow(TCanvas& canvas);
    void PaintControls(TCanvas& canvas, TControl* First);
    void CreateChildHandles();

private:
    friend class TControl;
    friend class TCustomForm;
    bool DoKeyDown(TMessage& m);
    bool DoKeyUp(TMessage& m);
    bool DoKeyPress(TMessage& m);
    void AlignAll();
    void ApplyAnchors(int oldW, int oldH);

    HWND handle_ = nullptr;
    std::vector<TControl*> controls_;       // windowless, in z-order
    std::vector<TControl*> winControls_;    // windowed, in z-order
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    int alignDisabled_ = 0;
    bool aligning_ = false;
    int lastClientW_ = -1, lastClientH_ = -1;
};

// ---------------------------------------------------------------------------
// A windowed control that paints itself on its own canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas();
    void WndProc(TMessage& Message) override;

protected:
    virtual void Paint() {}
    void PaintWindow(TCanvas& canvas) override;

private:
    TCanvas* current_ = nullptr;
    std::unique_ptr<TCanvas> own_;
};

// ---------------------------------------------------------------------------
// The global mouse: where the pointer is on the screen, and which control holds the capture.
class TMouse {
public:
    TPoint CursorPos() const;
    void SetCursorPos(TPoint p);
    TControl* Capture() const;
};
extern TMouse* Mouse;

// Capture by control (the framework's GetCaptureControl/SetCaptureControl).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// The windowed control behind a handle, nullptr for none.
TWinControl* FindControl(HWND handle);
// True when `caption` marks `key` with "&" (case-insensitive, "&&" is a plain "&").
bool IsAccel(unsigned short key, const std::string& caption);
// Keys held now, as the backend last reported them.
TShiftState KeyboardStateToShiftState();
TShiftState KeysToShiftState(WPARAM keys);
// The menus unit installs how a control's popup menu opens at a screen point.
void SetPopupMenuHandler(std::function<void(TPopupMenu*, TControl*, TPoint)> handler);

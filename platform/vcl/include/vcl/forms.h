#pragma once
// Forms: top-level windows of the control tree with a back buffer, focus,
// dialog keys, modal loops and window shapes; the screen object.
#include "gfx/bitmap.h"
#include "gfx/region.h"
#include "vcl/controls.h"

#include <memory>
#include <optional>
#include <vector>

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                       mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                 poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TTileMode { tbHorizontal, tbVertical };

class TMenuItem;
class TMDIClient;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // Fires OnCreate once construction is over; CreateForm and NewForm call it.
    virtual void AfterConstruction();
    // Fires OnDestroy while the form is still whole (Free and owners call it).
    void BeforeDestruction() override;
    // The canvas of the form's own painting (OnPaint, Paint).
    TCanvas* Canvas();

    void Show();
    void Hide();
    void Close();
    // Runs a nested loop until ModalResult is set; answers it. Raises
    // EInvalidOperation for a form already visible or modal.
    virtual TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    bool Modal() const { return modal_; }
    virtual bool CloseQuery();
    // Frees the form once the messages already queued are handled.
    void Release();

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle value);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition value) { position_ = value; }
    // A form drawing its own frame maximizes itself: its window then covers the
    // work area, and WM_SIZE (SIZE_MAXIMIZED) tells; Normal puts the bounds it had back.
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState value);
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool value);
    int AlphaBlendValue() const { return alpha_; }
    void SetAlphaBlendValue(int value); // 0..255
    // --- the frame ----------------------------------------------------------------
    // The native caption and border (the window style's caption). Without them
    // (and with a BorderStyle other than bsNone) the window is frameless and the
    // form draws a frame of its own round the client area: WM_NCCALCSIZE gives
    // its widths, WM_NCPAINT paints it, WM_NCHITTEST tells its parts, and mouse
    // input over it arrives as WM_NC* messages. Setting BorderStyle brings the
    // caption back (CM_BORDERCHANGED follows).
    bool HasCaption() const { return hasCaption_; }
    void SetHasCaption(bool value);
    // Widths of the form's own frame (Left, Top, Right, Bottom); all 0 when it
    // draws none. Width and Height stay the client's; the frame lies outside.
    const TRect& FrameInsets() const { return insets_; }
    // The bounds with the frame (screen coordinates; the parent's client ones for a child form).
    TRect WindowRect() const;
    void SetWindowRect(const TRect& r);
    // Asks WM_NCCALCSIZE for the frame again and repaints it (the client keeps its bounds).
    void FrameChanged();
    // The frame is painted again at the next paint pass.
    void InvalidateFrame();

    // The window's shape (nullopt: the whole rectangle), in window coordinates
    // (the client's when the form draws no frame).
    const std::optional<TRegion>& WindowRegion() const { return region_; }
    void SetWindowRegion(std::optional<TRegion> region);

    // --- MDI ------------------------------------------------------------------------
    // An MDI frame (fsMDIForm) holds its child forms (fsMDIChild) as child windows
    // in its client control, which fills what the frame's other aligned controls
    // leave. A child has no window of its own: the frame draws it and its frame
    // (a one-line caption with a close box unless it takes its caption away),
    // a click activates it, its caption moves it and its edges size it; maximized
    // it fills the client, minimized it is a strip along the client's bottom.
    // The client's WindowProc hears the WM_MDI* messages. Making a child with no
    // frame about raises EInvalidOperation.
    TWinControl* MDIClient() const;
    bool IsMDIChild() const;
    int MDIChildCount() const;
    // The children, the top of the z-order first.
    TCustomForm* MDIChildren(int index) const;
    TCustomForm* ActiveMDIChild() const;
    void Cascade();
    void Tile();
    TTileMode TileMode() const { return tileMode_; }
    void SetTileMode(TTileMode value) { tileMode_ = value; }
    // The frame's menu that lists its children (kept only: whoever shows the menu fills it).
    TMenuItem* WindowMenu() const { return windowMenu_; }
    void SetWindowMenu(TMenuItem* value);

    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }
    bool Active() const { return active_; }
    void FocusControl(TWinControl* control);

    // The picture of the window, painted on demand: the client area at
    // (FrameInsets().Left, FrameInsets().Top), the form's own frame round it.
    TBitmap& BackBuffer() { return buffer_; }
    // Paints what was invalidated; answers the area painted in window coordinates (empty: nothing to do).
    TRect PaintDirty();
    void InvalidateArea(const TRect& r);
    // Drawing straight onto the back buffer outside a paint pass: shown at the next present.
    void MarkDrawn(const TRect& r);
    // (An MDI child never is: its frame paints it.)
    bool Dirty() const { return !Parent() && (!dirty_.IsEmpty() || !drawn_.IsEmpty() || frameDirty_); }

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;

    // What the backends call: input at client coordinates (outside the client
    // area on the form's own frame) and window events; sizes and places are the window's.
    void InputMouseMove(int X, int Y, TShiftState Shift);
    void InputMouseButton(UINT Msg, TMouseButton Button, int X, int Y, TShiftState Shift);
    void InputMouseWheel(int X, int Y, int Delta, TShiftState Shift);
    void InputMouseLeave();
    void InputKey(UINT Msg, unsigned short Key, TShiftState Shift);
    void InputChar(char Key);
    void InputActivate(bool active);
    void InputResize(int WindowW, int WindowH);
    void InputMove(int X, int Y);
    void InputCloseRequest();
    // One turn of the modal loop's test: a set ModalResult is offered to
    // CloseQuery/OnClose; true once the loop may end.
    bool ModalCheck();

    void WndProc(TMessage& Message) override;

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    void PaintWindow(TCanvas& canvas) override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    virtual void Paint();
    virtual void CloseModal();
    void DoCreate();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool KeepsConstraints() const override;

private:
    friend class TControl;
    friend class TWinControl;
    friend class TMDIClient;
    // The form has a window of its own (MDI children are drawn by their frame).
    bool NativeWindow() const { return native_ && HandleAllocated(); }
    TMDIClient* ParentClient() const;
    void VisibleChanging(bool visible);
    // Caption strip and close box of an MDI child's own frame, in window coordinates.
    TRect ChildCaptionRect() const;
    TRect ChildCloseBox() const;
    void SetFocusedControl(TWinControl* control);
    void ControlRemoved(TControl* control);
    void UpdateMouseControl(TControl* hit);
    TControl* InputTarget(int X, int Y) const;
    void PlaceOnScreen();
    bool HasFrame() const;
    void DefaultNCCalcSize(NCCALCSIZE_PARAMS& params) const;
    LRESULT DefaultNCHitTest(TPoint screen) const;
    void DefaultNCPaint(TCanvas& canvas);
    // Mouse input over a form's frame goes out as WM_NC* messages; true when it did.
    bool NonClientMouse(TControl* target, UINT Msg, TPoint screen);
    void SysCommand(WPARAM command);

    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool modalAccepted_ = false;
    bool created_ = false;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    bool alphaBlend_ = false;
    int alpha_ = 255;
    std::optional<TRegion> region_;
    bool hasCaption_ = true;
    TRect insets_;
    bool frameDirty_ = false;
    std::optional<TRect> restoreBounds_; // while maximized by the form itself (or an MDI child minimized)
    bool native_ = false;
    TMDIClient* mdiClient_ = nullptr;
    TTileMode tileMode_ = tbHorizontal;
    TMenuItem* windowMenu_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focused_ = nullptr;
    bool keyPreview_ = false;
    bool active_ = false;
    bool showing_ = false;
    bool closing_ = false;
    bool destroyFired_ = false;
    TCanvas* paintCanvas_ = nullptr;
    TBitmap buffer_;
    TRect dirty_;
    TRect drawn_;
    TControl* mouseControl_ = nullptr; // under the pointer, for enter/leave
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// Makes a form and finishes its construction (OnCreate).
template <class T, class... A>
T* NewForm(TComponent* AOwner, A&&... args)
{
    T* form = new T(AOwner, std::forward<A>(args)...);
    form->AfterConstruction();
    return form;
}

TCustomForm* GetParentForm(const TControl* control);

// The screen: size, forms, the active form and a cursor that overrides the controls'.
class TScreen {
public:
    int Width() const;
    int Height() const;
    TRect WorkAreaRect() const;
    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int index) const { return forms_.at(static_cast<std::size_t>(index)); }
    TCustomForm* ActiveForm() const { return activeForm_; }
    TWinControl* ActiveControl() const;
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    // The installed fonts changed: every form, and every control on it, hears WM_FONTCHANGE.
    void FontsChanged();

private:
    friend class TCustomForm;
    std::vector<TCustomForm*> forms_;
    TCustomForm* activeForm_ = nullptr;
    TCursor cursor_ = crDefault;
};
extern TScreen* Screen;

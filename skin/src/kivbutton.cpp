#include "skin/kivbutton.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "gfx/imagelist.h"
#include "rtl/sysutils.h"
#include "vcl/messages.h"
#include "vcl/timer.h"

#include <algorithm>

namespace {

bool IsPressKey(WPARAM key) { return key == VK_SPACE || key == VK_RETURN; }

bool NoModifiers() { return (KeyboardStateToShiftState() & (ssShift | ssAlt | ssCtrl)) == 0; }

void FillWithColor(TCanvas* canvas, TColor color, const TRect& r)
{
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(r);
}

} // namespace

// ---------------------------------------------------------------------------
TkivCustomButton::TkivCustomButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(ControlStyle() & ~(csAcceptsControls | csDoubleClicks | csSetCaption));
    SetTabStop(true);
    uiStyle_ = GetKIVFormStyle(AOwner);
    SetText("");
}

TkivCustomButton::~TkivCustomButton() = default;

void TkivCustomButton::SetAutoSize(bool value)
{
    autoSize_ = value;
    AutoSizeChanged();
    Invalidate();
}

void TkivCustomButton::SetDefault(bool value)
{
    default_ = value;
    if (HandleAllocated())
        if (TCustomForm* form = ParentForm())
            form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
    Invalidate();
}

void TkivCustomButton::SetTransparent(bool value)
{
    transparent_ = value;
    TransparentChanged();
    Invalidate();
}

void TkivCustomButton::SetPicTransparent(bool value)
{
    picTransparent_ = value;
    Invalidate();
}

void TkivCustomButton::SetFocusedRectMargin(int value)
{
    focusedRectMargin_ = value;
    Invalidate();
}

void TkivCustomButton::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    UIStyleChanged();
    Invalidate();
}

void TkivCustomButton::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

void TkivCustomButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
}

void TkivCustomButton::SetEnabled(bool value)
{
    TCustomControl::SetEnabled(value);
    EnableChanged();
}

void TkivCustomButton::CreateWnd()
{
    TCustomControl::CreateWnd();
    active_ = default_;
}

void TkivCustomButton::AutoSizeChanged()
{
    if (!autoSize_) return;
    TBitmap picture;
    KivThemeBitmap(fileTheme_, UIStyle(), 1, &picture);
    const int h = picture.Height() == 0 ? 21 : picture.Height();
    const int w = picture.Width() == 0 ? 74 : picture.Width();
    SetBounds(Left(), Top(), w / 3, h);
}

void TkivCustomButton::FontChanged()
{
    Canvas()->SetFont(*Font());
    Invalidate();
}

void TkivCustomButton::TransparentChanged() { picTransparent_ = transparent_; }

void TkivCustomButton::PaintButtonNormal(TBitmap* bitmap) { KivThemeBitmap(fileTheme_, UIStyle(), 1, bitmap, 3, 1); }
void TkivCustomButton::PaintButtonMouseOn(TBitmap* bitmap) { KivThemeBitmap(fileTheme_, UIStyle(), 1, bitmap, 3, 2); }
void TkivCustomButton::PaintButtonMouseDown(TBitmap* bitmap) { KivThemeBitmap(fileTheme_, UIStyle(), 1, bitmap, 3, 3); }
void TkivCustomButton::PaintButtonDisabled(TBitmap* bitmap) { KivThemeBitmap(fileTheme_, UIStyle(), 1, bitmap, 3, 1); }

void TkivCustomButton::PaintPic(TCanvas* canvas, TBitmap* bitmap)
{
    if (bitmap->Empty()) return;
    TImageList list(bitmap->Width(), bitmap->Height());
    if (picTransparent_)
        list.AddMasked(*bitmap, bitmap->Pixel(0, 0));
    else
        list.Add(*bitmap, nullptr);
    list.Draw(canvas, 0, 0, 0, Enabled());
}

void TkivCustomButton::PaintFocus(TCanvas* canvas)
{
    TRect r = ClientRect();
    InflateRect(r, -focusedRectMargin_, -focusedRectMargin_);
    canvas->Brush()->SetStyle(bsSolid);
    DrawFocusRect(canvas, r);
}

void TkivCustomButton::PaintText(TCanvas* canvas, const std::string& caption)
{
    canvas->Brush()->SetStyle(bsClear);
    canvas->SetFont(*Font());
    if (boldCaption_) canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsBold});
    const unsigned flags = DT_EXPANDTABS | DT_WORDBREAK;
    TRect r = ClientRect();
    DrawText(canvas, caption, r, flags | DT_CALCRECT);
    OffsetRect(r, (ClientWidth() - r.Width()) / 2, (ClientHeight() - r.Height()) / 2);
    if (!Enabled()) {
        TRect shadow = r;
        OffsetRect(shadow, 1, 1);
        canvas->Font()->SetColor(clWhite);
        DrawText(canvas, caption, shadow, flags | DT_CENTER);
        canvas->Font()->SetColor(static_cast<TColor>(0x808080));
        DrawText(canvas, caption, r, flags | DT_CENTER);
    } else {
        if (mouseDown_) OffsetRect(r, 1, 1);
        DrawText(canvas, caption, r, flags | DT_CENTER);
    }
    boldCaption_ = false;
}

void TkivCustomButton::Paint()
{
    TBitmap buffer;
    TBitmap picture;
    if (Enabled()) {
        if (mouseDown_)
            PaintButtonMouseDown(&picture);
        else if (mouseOn_)
            PaintButtonMouseOn(&picture);
        else
            PaintButtonNormal(&picture);
    } else {
        PaintButtonDisabled(&picture);
    }
    picture.SetTransparent(picTransparent_);
    buffer.SetSize(std::max(Width(), 1), std::max(Height(), 1));
    TCanvas* canvas = buffer.Canvas();
    if (transparent_)
        DoTrans(canvas, this);
    else
        FillWithColor(canvas, Color(), ClientRect());
    PaintPic(canvas, &picture);
    if (Focused() && TabStop()) PaintFocus(canvas);
    canvas->SetFont(*Font());
    Canvas()->SetFont(*Font());
    if (!Trim(Caption()).empty()) PaintText(canvas, Caption());
    Canvas()->CopyRect(ClientRect(), *canvas, ClientRect());
}

void TkivCustomButton::FreeRepeatTimer() { repeatTimer_.reset(); }

void TkivCustomButton::RepeatTick()
{
    if (OnMouseContinuouslyDown) OnMouseContinuouslyDown(this);
}

void TkivCustomButton::SetRepeatPeriod(int ms)
{
    if (repeatTimer_) repeatTimer_->SetInterval(static_cast<unsigned>(std::max(ms, 0)));
}

void TkivCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        mouseDown_ = true;
        if (!repeatTimer_) {
            repeatTimer_ = std::make_unique<TTimer>(nullptr);
            // Interval 0 never fires: a negative or zero period cannot spin the loop.
            repeatTimer_->SetInterval(static_cast<unsigned>(std::max(repeatInterval_, 0)));
            repeatTimer_->OnTimer = [this](TObject*) { RepeatTick(); };
            repeatTimer_->SetEnabled(true);
        }
        if (TabStop() && CanFocus()) {
            try {
                SetFocus();
            } catch (...) {
                // A form that refuses the focus must not lose the press.
            }
        }
        Invalidate();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TkivCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    // Repeating ends with the press, also when the release makes no click.
    if (Button == mbLeft) FreeRepeatTimer();
}

void TkivCustomButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (X < 0 || X > Width() || Y < 0 || Y > Height()) {
        if (mouseOn_ || mouseDown_) {
            mouseOn_ = false;
            mouseDown_ = false;
            Invalidate();
        }
    }
}

void TkivCustomButton::Click()
{
    if (mouseDown_) {
        FreeRepeatTimer();
        mouseDown_ = false;
        Invalidate();
    }
    if (Parent())
        if (TCustomForm* form = ParentForm()) form->SetModalResult(modalResult_);
    TCustomControl::Click();
}

void TkivCustomButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case CM_MOUSEENTER:
        if (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this)) {
            mouseOn_ = true;
            Invalidate();
        }
        TCustomControl::WndProc(m);
        return;
    case CM_MOUSELEAVE:
        if (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this)) {
            mouseOn_ = false;
            mouseDown_ = false;
            FreeRepeatTimer();
            Invalidate();
            TCustomControl::WndProc(m);
            if (OnMouseExit) OnMouseExit(this);
            return;
        }
        TCustomControl::WndProc(m);
        return;
    case CM_DIALOGKEY:
        if (((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && cancel_)) && NoModifiers() &&
            CanFocus()) {
            Click();
            m.Result = 1;
            return;
        }
        TCustomControl::WndProc(m);
        return;
    case CM_DIALOGCHAR:
        TCustomControl::WndProc(m);
        if (IsAccel(static_cast<unsigned short>(m.WParam), Caption()) && Enabled()) {
            Click();
            m.Result = 1;
        } else {
            m.Result = 0;
        }
        return;
    case CM_FOCUSCHANGED: {
        auto* focused = reinterpret_cast<TControl*>(m.LParam);
        if (auto* button = dynamic_cast<TkivButton*>(focused))
            active_ = button == this;
        else
            active_ = default_;
        Invalidate();
        TCustomControl::WndProc(m);
        return;
    }
    case CM_TEXTCHANGED:
        CaptionChanged();
        Invalidate();
        TCustomControl::WndProc(m);
        return;
    case CM_FONTCHANGED:
        TCustomControl::WndProc(m);
        FontChanged();
        return;
    case WM_KEYDOWN:
        if (IsPressKey(m.WParam) && Focused() && Enabled()) {
            mouseDown_ = true;
            Invalidate();
        }
        TCustomControl::WndProc(m);
        return;
    case WM_KEYUP:
        if (IsPressKey(m.WParam) && Focused() && mouseDown_ && Enabled()) {
            mouseDown_ = false;
            Invalidate();
            Click();
        }
        TCustomControl::WndProc(m);
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        TCustomControl::WndProc(m);
        return;
    default:
        TCustomControl::WndProc(m);
    }
}

// ---------------------------------------------------------------------------
TkivImageButton::TkivImageButton(TComponent* AOwner) : TkivCustomButton(AOwner)
{
    for (TPicture& p : pics_)
        p.OnChange = [this](TObject*) {
            AutoSizeChanged();
            Invalidate();
        };
}

TkivImageButton::~TkivImageButton()
{
    for (TPicture& p : pics_) p.OnChange = nullptr;
}

void TkivImageButton::SetStretch(bool value)
{
    stretch_ = value;
    Invalidate();
}

void TkivImageButton::SetDrawFocused(bool value)
{
    drawFocused_ = value;
    Invalidate();
}

void TkivImageButton::AutoSizeChanged()
{
    const TGraphic* g = pics_[0].Graphic();
    if (Parent() && AutoSize() && g && !g->Empty()) SetBounds(Left(), Top(), g->Width(), g->Height());
}

void TkivImageButton::PictureFor(int index, TBitmap* bitmap)
{
    const TGraphic* g = pics_[index].Graphic();
    if (!g || g->Empty()) g = pics_[0].Graphic();
    if (g && !g->Empty()) bitmap->Assign(*g);
}

void TkivImageButton::PaintButtonNormal(TBitmap* bitmap) { PictureFor(0, bitmap); }
void TkivImageButton::PaintButtonMouseOn(TBitmap* bitmap) { PictureFor(1, bitmap); }
void TkivImageButton::PaintButtonMouseDown(TBitmap* bitmap) { PictureFor(2, bitmap); }
void TkivImageButton::PaintButtonDisabled(TBitmap* bitmap) { PictureFor(3, bitmap); }

void TkivImageButton::PaintPic(TCanvas* canvas, TBitmap* bitmap)
{
    if (bitmap->Empty()) return;
    bitmap->SetTransparentColor(bitmap->Pixel(0, 0));
    bitmap->SetTransparent(PicTransparent());
    if (Stretch())
        canvas->StretchDraw(Rect(0, 0, Width(), Height()), *bitmap);
    else
        canvas->Draw(0, 0, *bitmap);
}

void TkivImageButton::PaintFocus(TCanvas* canvas)
{
    if (DrawFocused()) TkivCustomButton::PaintFocus(canvas);
}

// ---------------------------------------------------------------------------
TkivButton::TkivButton(TComponent* AOwner) : TkivCustomButton(AOwner)
{
    SetBounds(Left(), Top(), 80, 27);
    UIStyleChanged();
}

TkivButton::~TkivButton() = default;

void TkivButton::SetGlyph(const TBitmap& value)
{
    glyph_.Assign(value);
    Invalidate();
}

void TkivButton::SetLayout(TButtonLayout value)
{
    layout_ = value;
    Invalidate();
}

void TkivButton::SetSpacing(int value)
{
    spacing_ = value;
    Invalidate();
}

void TkivButton::UIStyleChanged() { SetTransparent(KivThemeBool(FileTheme(), UIStyle(), 2)); }

void TkivButton::PaintFocus(TCanvas* canvas)
{
    if (UIStyle() == MacOS || UIStyle() == BlueGlass)
        boldCaption_ = true;
    else
        TkivCustomButton::PaintFocus(canvas);
}

void TkivButton::PaintPic(TCanvas* canvas, TBitmap* bitmap)
{
    canvas->SetFont(*Font());
    if (!bitmap->Empty()) SpitDraw(bitmap, canvas, ClientRect(), PicTransparent());
    if (glyph_.Empty()) return;
    const int tw = canvas->TextWidth(Caption());
    const int th = canvas->TextHeight(Caption());
    int gw = glyph_.Width();
    const int gh = glyph_.Height();
    const bool twoImages = gw == 2 * gh;
    if (twoImages) gw = gh;
    const int w = Width(), h = Height(), s = spacing_;
    int gx = 0, gy = 0;
    switch (layout_) {
    case blGlyphLeft:
        gx = (w - (tw + gw + s)) / 2;
        gy = (h - gh) / 2;
        textPos_ = Point(gx + gw + s, (h - th) / 2);
        break;
    case blGlyphRight:
        gx = (w + tw + s - gw) / 2;
        gy = (h - gh) / 2;
        textPos_ = Point(gx - tw - s, (h - th) / 2);
        break;
    case blGlyphTop:
        gx = (w - gw) / 2;
        gy = (h - (th + gh + s)) / 2;
        textPos_ = Point((w - tw) / 2, gy + gh + s);
        break;
    case blGlyphBottom:
        gx = (w - gw) / 2;
        gy = (h + th + s - gh) / 2;
        textPos_ = Point((w - tw) / 2, gy - th - s);
        break;
    }
    if (mouseDown_) ++gx, ++gy;
    TImageList list(gw, gh);
    list.AddMasked(glyph_, glyph_.Pixel(0, 0));
    if (twoImages)
        list.Draw(canvas, gx, gy, Enabled() || list.Count() < 2 ? 0 : 1, true);
    else
        list.Draw(canvas, gx, gy, 0, Enabled());
}

void TkivButton::PaintText(TCanvas* canvas, const std::string& caption)
{
    if (glyph_.Empty()) {
        TkivCustomButton::PaintText(canvas, caption);
        return;
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->SetFont(*Font());
    if (boldCaption_) canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsBold});
    const int w = Width(), h = Height();
    if (!Enabled()) {
        TRect shadow = Rect(textPos_.X + 1, textPos_.Y + 1, w, h);
        canvas->Font()->SetColor(clWhite);
        DrawText(canvas, caption, shadow, DT_SINGLELINE);
        TRect r = Rect(textPos_.X, textPos_.Y, w, h);
        canvas->Font()->SetColor(static_cast<TColor>(0x808080));
        DrawText(canvas, caption, r, DT_SINGLELINE);
    } else {
        if (mouseDown_) textPos_ = Point(textPos_.X + 1, textPos_.Y + 1);
        TRect r = Rect(textPos_.X, textPos_.Y, w, h);
        DrawText(canvas, caption, r, DT_SINGLELINE);
    }
    boldCaption_ = false;
}

// ---------------------------------------------------------------------------
TkivControlButton::TkivControlButton(TComponent* AOwner) : TkivCustomButton(AOwner)
{
    SetTabStop(false);
    SetUIStyle(DeepBlue);
}

void TkivControlButton::SetPicIndex(int value)
{
    picIndex_ = value;
    Invalidate();
}

void TkivControlButton::SetPicCount(int value)
{
    picCount_ = value;
    Invalidate();
}

void TkivControlButton::SetThemeID(int value)
{
    themeID_ = value;
    Invalidate();
}

void TkivControlButton::PaintButtonNormal(TBitmap* bitmap)
{
    if (themeID_ < 1) return;
    KivThemeBitmap(FileTheme(), UIStyle(), themeID_, bitmap, picCount_, picIndex_);
    if (!bitmap->Empty() && (bitmap->Width() != Width() || bitmap->Height() != Height()))
        SetBounds(Left(), Top(), bitmap->Width(), bitmap->Height());
}

void TkivControlButton::PaintButtonMouseOn(TBitmap* bitmap)
{
    if (themeID_ >= 1) KivThemeBitmap(FileTheme(), UIStyle(), themeID_, bitmap, picCount_, picIndex_ + 1);
}

void TkivControlButton::PaintButtonMouseDown(TBitmap* bitmap)
{
    if (themeID_ >= 1) KivThemeBitmap(FileTheme(), UIStyle(), themeID_, bitmap, picCount_, picIndex_);
}

void TkivControlButton::PaintButtonDisabled(TBitmap* bitmap)
{
    if (themeID_ >= 1) KivThemeBitmap(FileTheme(), UIStyle(), themeID_, bitmap, picCount_, picIndex_);
}

void TkivControlButton::PaintPic(TCanvas* canvas, TBitmap* bitmap)
{
    if (bitmap->Empty()) return;
    bitmap->SetTransparentColor(bitmap->Pixel(0, 0));
    bitmap->SetTransparent(PicTransparent());
    canvas->Draw(0, 0, *bitmap);
    if (bitmap->Width() != Width() || bitmap->Height() != Height())
        SetBounds(Left(), Top(), bitmap->Width(), bitmap->Height());
}

// ---------------------------------------------------------------------------
TkivArrowButton::TkivArrowButton(TComponent* AOwner) : TkivCustomButton(AOwner) { UIStyleChanged(); }

void TkivArrowButton::SetArrow(TkivArrowButtonType value)
{
    arrow_ = value;
    Invalidate();
}

void TkivArrowButton::UIStyleChanged() { SetTransparent(KivThemeBool(FileTheme(), UIStyle(), 2)); }

void TkivArrowButton::PaintPic(TCanvas* canvas, TBitmap* bitmap)
{
    if (!bitmap->Empty()) SpitDraw(bitmap, canvas, ClientRect(), PicTransparent());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBlack);
    canvas->Pen()->SetColor(clBlack);
    const int x0 = (Width() - 6) / 2, y0 = (Height() - 3) / 2;
    if (arrow_ == kivUp) {
        const TPoint pts[] = {{x0, y0 + 3}, {x0 + 3, y0}, {x0 + 6, y0 + 3}};
        canvas->Polygon(pts);
    } else {
        const TPoint pts[] = {{x0, y0}, {x0 + 3, y0 + 3}, {x0 + 6, y0}};
        canvas->Polygon(pts);
    }
}

// ---------------------------------------------------------------------------
TkivToolBarSpeedButton::TkivToolBarSpeedButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(ControlStyle() & ~(csAcceptsControls | csSetCaption));
    SetBounds(Left(), Top(), 18, 18);
}

void TkivToolBarSpeedButton::SetGlyph(const TBitmap& value)
{
    glyph_.Assign(value);
    Invalidate();
}

void TkivToolBarSpeedButton::Paint()
{
    TBitmap buffer(std::max(Width(), 1), std::max(Height(), 1));
    TCanvas* canvas = buffer.Canvas();
    FillWithColor(canvas, Color(), ClientRect());
    if (!glyph_.Empty()) {
        if (mouseOn_) {
            canvas->Brush()->SetColor(clBlack);
            canvas->FrameRect(ClientRect());
        }
        glyph_.SetTransparent(true);
        canvas->Draw(1, 1, glyph_);
    }
    Canvas()->CopyRect(ClientRect(), *canvas, ClientRect());
}

void TkivToolBarSpeedButton::WndProc(TMessage& m)
{
    if ((m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) &&
        (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this))) {
        mouseOn_ = m.Msg == CM_MOUSEENTER;
        Invalidate();
    } else if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    TCustomControl::WndProc(m);
}

// ---------------------------------------------------------------------------
TkivCheckBox::TkivCheckBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(ControlStyle() & ~(csDoubleClicks | csAcceptsControls | csSetCaption));
    SetBounds(Left(), Top(), 93, 17);
    SetTabStop(true);
    uiStyle_ = GetKIVFormStyle(AOwner);
}

TkivCheckBox::~TkivCheckBox() = default;

void TkivCheckBox::SetChecked(bool value)
{
    if (checked_ == value) return;
    checked_ = value;
    Invalidate();
    CheckStateChanged();
}

void TkivCheckBox::SetTransparent(bool value)
{
    transparent_ = value;
    Invalidate();
}

void TkivCheckBox::SetAutoSize(bool value)
{
    autoSize_ = value;
    Invalidate();
}

void TkivCheckBox::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    Invalidate();
}

void TkivCheckBox::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

void TkivCheckBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
}

void TkivCheckBox::SetEnabled(bool value)
{
    TCustomControl::SetEnabled(value);
    Invalidate();
}

void TkivCheckBox::ApplyAutoSize()
{
    if (!autoSize_) return;
    TBitmap picture;
    KivThemeBitmap(fileTheme_, uiStyle_, GetPicThemeIndex(), &picture, 4, 1);
    TBitmap scratch(1, 1);
    TCanvas* canvas = scratch.Canvas();
    canvas->SetFont(*Font());
    const int h = std::max(canvas->TextHeight("W") + 2, picture.Height()) + 4;
    const int w = picture.Width() + 8 + canvas->TextWidth(Caption());
    if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
}

bool TkivCheckBox::NeedDrawFocus() { return TabStop() && Focused(); }

void TkivCheckBox::CheckStateChanged()
{
    if (!Loading() && OnClick) OnClick(this);
}

void TkivCheckBox::DoClick()
{
    Toggle();
    SetChecked(!Checked());
}

void TkivCheckBox::Click()
{
    DoClick();
    TCustomControl::Click();
}

void TkivCheckBox::TakeFocus()
{
    if (!CanFocus()) return;
    try {
        SetFocus();
    } catch (...) {
        // The click still counts when the form refuses the focus.
    }
}

void TkivCheckBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft) TakeFocus();
}

void TkivCheckBox::Paint()
{
    const int frame = checked_ ? (Enabled() ? 1 : 3) : (Enabled() ? 2 : 4);
    TBitmap picture;
    KivThemeBitmap(fileTheme_, uiStyle_, GetPicThemeIndex(), &picture, 4, frame);
    picture.SetTransparent(GetPicTransparent());
    ApplyAutoSize();
    TBitmap buffer(std::max(Width(), 1), std::max(Height(), 1));
    TCanvas* canvas = buffer.Canvas();
    canvas->SetFont(*Font());
    if (transparent_)
        DoTrans(canvas, this);
    else
        FillWithColor(canvas, Color(), ClientRect());
    canvas->Brush()->SetStyle(bsClear);
    const int th = canvas->TextHeight("W");
    const int textY = (ClientHeight() - th) / 2;
    const int picY = (ClientHeight() - picture.Height()) / 2;
    const int textX = picture.Width() + 4;
    // Mirrored on a right-to-left system: the box at the right, the caption ending before it.
    const bool mirrored = UseRightToLeftAlignment();
    if (!picture.Empty()) canvas->Draw(mirrored ? Width() - picture.Width() - 1 : 1, picY, picture);
    TRect r = mirrored ? Rect(0, textY, Width() - textX, Height()) : Rect(textX, textY, Width(), Height());
    DrawText(canvas, Caption(), r, mirrored ? DT_SINGLELINE | DT_RIGHT : DT_SINGLELINE);
    if (NeedDrawFocus()) {
        canvas->Brush()->SetStyle(bsSolid);
        DrawFocusRect(canvas, mirrored ? Rect(0, textY, Width() - textX + 2, textY + th + 2)
                                       : Rect(textX - 1, textY, Width(), textY + th + 2));
    }
    Canvas()->CopyRect(ClientRect(), *canvas, ClientRect());
}

void TkivCheckBox::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case WM_KEYUP:
        if (WantKeyUp() && IsPressKey(m.WParam) && Focused() && Enabled()) {
            Invalidate();
            Click();
        }
        TCustomControl::WndProc(m);
        return;
    case CM_DIALOGCHAR:
        TCustomControl::WndProc(m);
        if (IsAccel(static_cast<unsigned short>(m.WParam), Caption()) && Enabled()) {
            TakeFocus();
            Click();
            m.Result = 1;
        } else {
            m.Result = 0;
        }
        return;
    case CM_FOCUSCHANGED:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        TCustomControl::WndProc(m);
        return;
    default:
        TCustomControl::WndProc(m);
    }
}

// ---------------------------------------------------------------------------
TkivRadioButton::TkivRadioButton(TComponent* AOwner) : TkivCheckBox(AOwner)
{
    SetControlStyle(ControlStyle() | csDoubleClicks);
}

void TkivRadioButton::DoClick()
{
    if (!Checked()) SetChecked(true);
}

void TkivRadioButton::CheckStateChanged()
{
    if (!Checked()) return;
    if (TWinControl* parent = Parent())
        for (int i = 0; i < parent->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TkivRadioButton*>(parent->Controls(i));
            if (sibling && sibling != this && sibling->GroupIndex() == groupIndex_) sibling->SetChecked(false);
        }
    TkivCheckBox::CheckStateChanged();
}

void TkivRadioButton::WndProc(TMessage& m)
{
    TkivCheckBox::WndProc(m);
    if (m.Msg == WM_SETFOCUS) {
        auto* previous = reinterpret_cast<TControl*>(m.WParam);
        auto* button = dynamic_cast<TkivRadioButton*>(previous);
        if (button && button != this && button->IsRadioGroupButton()) Click();
    }
}

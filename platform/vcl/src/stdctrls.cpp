#include "vcl/stdctrls.h"

#include "gfx/gdi.h"
#include "vcl/extctrls.h"

#include <algorithm>
#include <vector>

void DrawControlText(TCanvas& c, const std::string& text, TRect r, unsigned flags, bool enabled)
{
    c.Brush()->SetStyle(bsClear);
    if (!enabled) {
        // Embossed: a light copy one pixel down and right, the shadow on top.
        TRect lit = r;
        OffsetRect(lit, 1, 1);
        c.Font()->SetColor(clBtnHighlight);
        DrawText(&c, text, lit, flags);
        c.Font()->SetColor(clBtnShadow);
    }
    DrawText(&c, text, r, flags);
}

// ---------------------------------------------------------------------------
TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetControlStyle(ControlStyle() | csReplicatable);
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

TCustomLabel::~TCustomLabel()
{
    if (focusControl_) RemoveFreeNotification(focusControl_);
}

void TCustomLabel::SetAlignment(TAlignment value)
{
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool value)
{
    if (autoSize_ == value) return;
    autoSize_ = value;
    AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout value)
{
    if (layout_ == value) return;
    layout_ = value;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool value)
{
    if (wordWrap_ == value) return;
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool value)
{
    if (transparent_ == value) return;
    transparent_ = value;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value)
{
    if (showAccelChar_ == value) return;
    showAccelChar_ = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value)
{
    if (focusControl_ == value) return;
    if (focusControl_) RemoveFreeNotification(focusControl_);
    focusControl_ = value;
    if (focusControl_) FreeNotification(focusControl_);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

std::string TCustomLabel::GetLabelText() const { return Caption(); }

unsigned TCustomLabel::DrawFlags() const
{
    return DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u) | AlignmentToDrawFlags(alignment_);
}

void TCustomLabel::DoDrawText(TCanvas& canvas, TRect& Rect, unsigned Flags)
{
    std::string text = GetLabelText();
    // An empty label still measures one line high.
    if ((Flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
    if (!showAccelChar_) Flags |= DT_NOPREFIX;
    canvas.SetFont(*Font());
    if (Flags & DT_CALCRECT) DrawText(&canvas, text, Rect, Flags);
    else DrawControlText(canvas, text, Rect, Flags, Enabled());
}

void TCustomLabel::AdjustBounds()
{
    if (!autoSize_ || Loading() || adjusting_) return;
    adjusting_ = true;
    TCanvas measure; // no target: measuring only, nothing lands on the form
    TRect r = ClientRect();
    DoDrawText(measure, r, DrawFlags() | DT_CALCRECT);
    // Wrapped text keeps the width it was given and grows downwards.
    const int w = wordWrap_ ? Width() : r.Width();
    int x = Left();
    if (alignment_ == taRightJustify && !wordWrap_) x += Width() - w;
    SetBounds(x, Top(), w, r.Height());
    adjusting_ = false;
}

void TCustomLabel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const bool widthChanged = AWidth != Width();
    TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    // A new width reflows wrapped text, so its height follows.
    if (widthChanged && wordWrap_ && autoSize_ && !adjusting_) AdjustBounds();
}

void TCustomLabel::Paint()
{
    TCanvas* c = Canvas();
    if (!transparent_) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
        c->FillRect(ClientRect());
    }
    TRect r = ClientRect();
    const unsigned flags = DrawFlags();
    if (layout_ != tlTop) {
        TRect calc = r;
        DoDrawText(*c, calc, flags | DT_CALCRECT);
        const int dy = layout_ == tlBottom ? Height() - calc.Bottom : (Height() - calc.Bottom) / 2;
        OffsetRect(r, 0, dy);
    }
    DoDrawText(*c, r, flags);
}

void TCustomLabel::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TGraphicControl::WndProc(m);
        AdjustBounds();
        return;
    case CM_DIALOGCHAR:
        if (focusControl_ && Enabled() && showAccelChar_ &&
            IsAccel(static_cast<unsigned short>(m.WParam), GetLabelText()) && focusControl_->CanFocus()) {
            focusControl_->SetFocus();
            m.Result = 1;
            return;
        }
        break;
    }
    TGraphicControl::WndProc(m);
}

// ---------------------------------------------------------------------------
TButtonControl::TButtonControl(TComponent* AOwner) : TCustomControl(AOwner)
{
    // Presses are tracked here; a quick second press is a second press.
    SetControlStyle((ControlStyle() | csCaptureMouse) & ~(csClickEvents | csDoubleClicks));
    SetTabStop(true);
}

void TButtonControl::SetWordWrap(bool value)
{
    if (wordWrap_ == value) return;
    wordWrap_ = value;
    Invalidate();
}

void TButtonControl::SetPressed(bool value)
{
    if (pressed_ == value) return;
    pressed_ = value;
    Invalidate();
}

void TButtonControl::CancelPress()
{
    mouseTracking_ = false;
    spaceDown_ = false;
    SetPressed(false);
}

void TButtonControl::AccelPressed()
{
    SetFocus();
    if (Focused()) Pushed();
}

void TButtonControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && Enabled()) {
        if (CanFocus()) SetFocus();
        mouseTracking_ = true;
        SetPressed(true);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TButtonControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (mouseTracking_) SetPressed(PtInRect(ClientRect(), Point(X, Y)));
    TCustomControl::MouseMove(Shift, X, Y);
}

void TButtonControl::KeyDown(unsigned short& Key, TShiftState Shift)
{
    if (Key == VK_SPACE && !mouseTracking_ && Shift == 0) {
        spaceDown_ = true;
        SetPressed(true);
    }
    TCustomControl::KeyDown(Key, Shift);
}

void TButtonControl::KeyUp(unsigned short& Key, TShiftState Shift)
{
    if (Key == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        SetPressed(false);
        Pushed();
    }
    TCustomControl::KeyUp(Key, Shift);
}

void TButtonControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONUP: {
        // The pushed-in look ends before the press acts: its handler may open a dialog.
        const bool inside = mouseTracking_ && PtInRect(ClientRect(), Point(LParamX(m.LParam), LParamY(m.LParam)));
        const bool was = mouseTracking_;
        mouseTracking_ = false;
        SetPressed(false);
        TCustomControl::WndProc(m); // releases the capture, fires OnMouseUp
        if (was && inside && Enabled()) Pushed();
        return;
    }
    case WM_KILLFOCUS:
        spaceDown_ = false;
        if (!mouseTracking_) SetPressed(false);
        break;
    case WM_CANCELMODE:
        CancelPress();
        break;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse: the press is abandoned.
        if (mouseTracking_ && reinterpret_cast<TControl*>(m.LParam) != this) CancelPress();
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled()) CancelPress();
        break;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<unsigned short>(m.WParam), Caption()) && CanFocus()) {
            AccelPressed();
            m.Result = 1;
            return;
        }
        break;
    }
    TCustomControl::WndProc(m);
}

// ---------------------------------------------------------------------------
TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool value)
{
    if (default_ == value) return;
    default_ = value;
    TCustomForm* f = ParentForm();
    UpdateActive(f ? f->ActiveControl() : nullptr);
}

void TButton::UpdateActive(TWinControl* focused)
{
    // A focused button takes Enter for itself; otherwise the default one does.
    const bool active = dynamic_cast<TButton*>(focused) ? focused == this : default_;
    if (active == active_) return;
    active_ = active;
    Invalidate();
}

void TButton::Click()
{
    if (TCustomForm* f = ParentForm()) f->SetModalResult(modalResult_);
    TButtonControl::Click();
}

void TButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_DIALOGKEY:
        if (((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && cancel_)) &&
            (KeyboardStateToShiftState() & (ssShift | ssAlt | ssCtrl)) == 0 && CanFocus()) {
            Click();
            m.Result = 1;
            return;
        }
        break;
    case CM_FOCUSCHANGED:
        UpdateActive(reinterpret_cast<TWinControl*>(m.LParam));
        break;
    case WM_GETDLGCODE:
        m.Result = DLGC_BUTTON | (active_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return;
    }
    TButtonControl::WndProc(m);
}

void TButton::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetStyle(bsSolid);
    if (active_ || Pressed()) {
        // The button Enter would press wears a dark outline.
        Frame3D(c, r, cl3DDkShadow, cl3DDkShadow, 1);
    }
    if (Pressed()) {
        Frame3D(c, r, clBtnShadow, clBtnShadow, 1);
    } else {
        Frame3D(c, r, clBtnHighlight, cl3DDkShadow, 1);
        Frame3D(c, r, Color(), clBtnShadow, 1);
    }
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    TRect text = r;
    if (Pressed()) OffsetRect(text, 1, 1);
    c->SetFont(*Font());
    unsigned flags = DT_CENTER | (WordWrap() ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
    if (WordWrap()) {
        // Wrapped lines are centred as a block.
        TRect calc = text;
        DrawText(c, Caption(), calc, flags | DT_CALCRECT);
        OffsetRect(text, 0, (text.Height() - calc.Height()) / 2);
    }
    DrawControlText(*c, Caption(), text, flags, Enabled());
    if (Focused()) {
        TRect f = ClientRect();
        InflateRect(f, -4, -4);
        c->Brush()->SetColor(Color());
        c->Font()->SetColor(clBtnText);
        c->DrawFocusRect(f);
    }
}

// ---------------------------------------------------------------------------
namespace {
constexpr int CheckSize = 13;

// Where the box and the caption of a check box or radio button go.
void SplitCheckLayout(const TRect& client, TLeftRight alignment, TRect& box, TRect& text)
{
    const int top = (client.Height() - CheckSize) / 2;
    if (alignment == lrRight) {
        box = Bounds(client.Left, top, CheckSize, CheckSize);
        text = Rect(client.Left + CheckSize + 4, client.Top, client.Right, client.Bottom);
    } else {
        box = Bounds(client.Right - CheckSize, top, CheckSize, CheckSize);
        text = Rect(client.Left, client.Top, client.Right - CheckSize - 4, client.Bottom);
    }
}

// Caption beside the box, with the focus frame around the text when focused.
void DrawCheckCaption(TControl& self, TCanvas& c, TRect text, bool wordWrap, bool focused)
{
    c.SetFont(*self.Font());
    unsigned flags = wordWrap ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
    TRect calc = text;
    DrawText(&c, self.Caption(), calc, (flags & ~DT_VCENTER) | DT_CALCRECT);
    if (wordWrap) OffsetRect(text, 0, (text.Height() - calc.Height()) / 2);
    DrawControlText(c, self.Caption(), text, flags, self.Enabled());
    if (focused && !self.Caption().empty()) {
        const int h = calc.Height();
        const int top = wordWrap ? text.Top : text.Top + (text.Height() - h) / 2;
        TRect f = Rect(text.Left - 1, top, text.Left + std::min(calc.Width(), text.Width()) + 1, top + h);
        c.Brush()->SetColor(self.Color());
        c.Font()->SetColor(clBtnText);
        c.DrawFocusRect(f);
    }
}
} // namespace

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetParentColor(true);
    SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::SetState(TCheckBoxState value)
{
    if (state_ == value) return;
    state_ = value;
    Invalidate();
    if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::SetAlignment(TLeftRight value)
{
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TCustomCheckBox::Toggle()
{
    switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::WndProc(TMessage& m)
{
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = DLGC_BUTTON;
        return;
    }
    TButtonControl::WndProc(m);
}

void TCustomCheckBox::Paint()
{
    TCanvas* c = Canvas();
    TRect box, text;
    SplitCheckLayout(ClientRect(), alignment_, box, text);
    // Sunken square, white inside (face while pressed, disabled or grayed).
    TRect r = box;
    Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    Frame3D(c, r, cl3DDkShadow, cl3DLight, 1);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor((Pressed() || !Enabled() || state_ == cbGrayed) ? clBtnFace : clWindow);
    c->FillRect(r);
    if (state_ != cbUnchecked) {
        // The tick: three pixels thick, from the left down to the foot and up to the right.
        c->Pen()->SetStyle(psSolid);
        c->Pen()->SetWidth(1);
        c->Pen()->SetColor((state_ == cbGrayed || !Enabled()) ? clBtnShadow : clWindowText);
        const int x = box.Left, y = box.Top;
        for (int i = 0; i < 3; ++i) {
            c->MoveTo(x + 3, y + 5 + i);
            c->LineTo(x + 5, y + 7 + i);
            c->LineTo(x + 10, y + 2 + i);
        }
    }
    DrawCheckCaption(*this, *c, text, WordWrap(), Focused());
}

// ---------------------------------------------------------------------------
TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetParentColor(true);
    SetTabStop(false);
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetChecked(bool value)
{
    if (checked_ == value) return;
    checked_ = value;
    SetTabStop(value);
    Invalidate();
    if (!value) return;
    if (TWinControl* p = Parent()) {
        for (int i = 0; i < p->ControlCount(); ++i)
            if (auto* other = dynamic_cast<TRadioButton*>(p->Controls(i)); other && other != this)
                other->SetChecked(false);
    }
    if (!ClicksDisabled()) Click();
}

void TRadioButton::SetAlignment(TLeftRight value)
{
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TRadioButton::KeyDown(unsigned short& Key, TShiftState Shift)
{
    const bool forward = Key == VK_RIGHT || Key == VK_DOWN;
    if ((forward || Key == VK_LEFT || Key == VK_UP) && Parent()) {
        // The next radio button beside this one, round the end, takes the focus and the check.
        TWinControl* p = Parent();
        std::vector<TRadioButton*> group;
        for (int i = 0; i < p->ControlCount(); ++i)
            if (auto* r = dynamic_cast<TRadioButton*>(p->Controls(i)); r && (r == this || r->CanFocus()))
                group.push_back(r);
        std::sort(group.begin(), group.end(), [](TRadioButton* a, TRadioButton* b) { return a->TabOrder() < b->TabOrder(); });
        auto it = std::find(group.begin(), group.end(), this);
        if (group.size() > 1 && it != group.end()) {
            const auto n = static_cast<std::ptrdiff_t>(group.size());
            std::ptrdiff_t i = it - group.begin();
            i = forward ? (i + 1) % n : (i + n - 1) % n;
            TRadioButton* next = group[static_cast<std::size_t>(i)];
            next->SetFocus();
            next->SetChecked(true);
        }
        Key = 0;
        return;
    }
    TButtonControl::KeyDown(Key, Shift);
}

void TRadioButton::WndProc(TMessage& m)
{
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = DLGC_BUTTON | DLGC_RADIOBUTTON | DLGC_WANTARROWS;
        return;
    }
    TButtonControl::WndProc(m);
}

void TRadioButton::Paint()
{
    TCanvas* c = Canvas();
    TRect box, text;
    SplitCheckLayout(ClientRect(), alignment_, box, text);
    const int x = box.Left, y = box.Top;
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Brush()->SetStyle(bsSolid);
    // A sunken ring: shadow outside, dark shadow inside, white (or face) within.
    c->Pen()->SetColor(clBtnShadow);
    c->Brush()->SetColor(clBtnHighlight);
    c->Ellipse(x, y, x + 12, y + 12);
    c->Pen()->SetColor(cl3DDkShadow);
    c->Brush()->SetColor((Pressed() || !Enabled()) ? clBtnFace : clWindow);
    c->Ellipse(x + 1, y + 1, x + 11, y + 11);
    if (checked_) {
        const TColor dot = Enabled() ? clWindowText : clBtnShadow;
        c->Pen()->SetColor(dot);
        c->Brush()->SetColor(dot);
        c->Ellipse(x + 4, y + 4, x + 8, y + 8);
    }
    DrawCheckCaption(*this, *c, text, WordWrap(), Focused());
}

// ---------------------------------------------------------------------------
TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks |
                    csReplicatable);
    SetParentColor(true);
    SetBounds(0, 0, 185, 105);
}

int TCustomGroupBox::CaptionHeight() const
{
    TCanvas measure;
    measure.SetFont(*Font());
    return measure.TextHeight("0");
}

void TCustomGroupBox::AlignControls(TControl* AControl, TRect& Rect)
{
    Rect.Top += CaptionHeight() + 2;
    InflateRect(Rect, -2, 0);
    Rect.Bottom -= 2;
    if (Rect.Right < Rect.Left) Rect.Right = Rect.Left;
    if (Rect.Bottom < Rect.Top) Rect.Bottom = Rect.Top;
    TCustomControl::AlignControls(AControl, Rect);
}

void TCustomGroupBox::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<unsigned short>(m.WParam), Caption()) && CanFocus()) {
            SelectFirst();
            m.Result = 1;
            return;
        }
        break;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TCustomControl::WndProc(m);
        Realign();
        return;
    }
    TCustomControl::WndProc(m);
}

void TCustomGroupBox::Paint()
{
    TCanvas* c = Canvas();
    c->SetFont(*Font());
    const int h = CaptionHeight();
    // Etched frame: a shadow line with a highlight line just inside and below it.
    TRect frame = Rect(0, h / 2, Width(), Height());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(Rect(frame.Left, frame.Top, frame.Right - 1, frame.Bottom - 1));
    c->Brush()->SetColor(clBtnHighlight);
    c->FrameRect(Rect(frame.Left + 1, frame.Top + 1, frame.Right, frame.Bottom));
    if (Caption().empty()) return;
    TRect text = Rect(8, 0, 0, h);
    DrawText(c, Caption(), text, DT_SINGLELINE | DT_CALCRECT);
    text.Right = std::min(text.Right, Width() - 8);
    // The caption interrupts the frame's top edge.
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(text.Left - 2, 0, text.Right + 2, h));
    DrawControlText(*c, Caption(), text, DT_SINGLELINE, Enabled());
}

#include "vcl/extctrls.h"

#include "gfx/bitmap.h"
#include "gfx/gdi.h"

#include <algorithm>

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width)
{
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Brush()->SetStyle(bsSolid);
    for (int i = 0; i < Width && Rect.Right > Rect.Left && Rect.Bottom > Rect.Top; ++i) {
        const int l = Rect.Left, t = Rect.Top, r = Rect.Right - 1, b = Rect.Bottom - 1;
        Canvas->Brush()->SetColor(TopColor);
        Canvas->FillRect(::Rect(l, t, r + 1, t + 1));
        Canvas->FillRect(::Rect(l, t, l + 1, b + 1));
        Canvas->Brush()->SetColor(BottomColor);
        Canvas->FillRect(::Rect(l, b, r + 1, b + 1));
        Canvas->FillRect(::Rect(r, t, r + 1, b + 1));
        InflateRect(Rect, -1, -1);
    }
}

// ---------------------------------------------------------------------------
TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>())
{
    SetControlStyle(ControlStyle() | csReplicatable);
    picture_->OnChange = [this](TObject* s) { PictureChanged(s); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage()
{
    // The picture's canvas may still call back while it goes.
    picture_->OnChange = nullptr;
    if (hookedCanvas_) hookedCanvas_->OnChange = nullptr;
}

TCanvas* TImage::Canvas()
{
    if (!picture_->Graphic()) {
        TBitmap blank(std::max(Width(), 0), std::max(Height(), 0));
        picture_->SetGraphic(&blank);
    }
    auto* bitmap = dynamic_cast<TBitmap*>(picture_->Graphic());
    if (!bitmap) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
    TCanvas* c = bitmap->Canvas();
    // Drawing on the picture shows at the next paint pass.
    c->OnChange = [this](TObject*) { Invalidate(); };
    hookedCanvas_ = c;
    return c;
}

void TImage::SetStretch(bool value)
{
    if (stretch_ == value) return;
    stretch_ = value;
    Invalidate();
}

void TImage::SetCenter(bool value)
{
    if (center_ == value) return;
    center_ = value;
    Invalidate();
}

void TImage::SetProportional(bool value)
{
    if (proportional_ == value) return;
    proportional_ = value;
    Invalidate();
}

void TImage::SetTransparent(bool value)
{
    if (transparent_ == value) return;
    transparent_ = value;
    if (TGraphic* g = picture_->Graphic(); g && g->Transparent() != value) g->SetTransparent(value);
    Invalidate();
}

void TImage::SetAutoSize(bool value)
{
    if (autoSize_ == value) return;
    autoSize_ = value;
    ApplyPictureSize();
}

void TImage::ApplyPictureSize()
{
    TGraphic* g = picture_->Graphic();
    if (!autoSize_ || !g || g->Empty()) return;
    if (g->Width() != Width() || g->Height() != Height()) SetBounds(Left(), Top(), g->Width(), g->Height());
}

void TImage::PictureChanged(TObject*)
{
    if (drawing_) return;
    drawing_ = true;
    try {
        if (TGraphic* g = picture_->Graphic()) {
            if (g->Transparent() != transparent_) g->SetTransparent(transparent_);
            ApplyPictureSize();
        } else {
            hookedCanvas_ = nullptr; // that canvas went with its bitmap
        }
    } catch (...) {
        drawing_ = false;
        throw;
    }
    drawing_ = false;
    Invalidate();
}

TRect TImage::DestRect() const
{
    TGraphic* g = picture_->Graphic();
    const int cw = ClientWidth(), ch = ClientHeight();
    int w = g ? g->Width() : 0, h = g ? g->Height() : 0;
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            // Fit the longer side, then shrink the other to stay inside.
            const double aspect = static_cast<double>(w) / h;
            if (w > h) {
                w = cw;
                h = static_cast<int>(cw / aspect);
                if (h > ch) {
                    h = ch;
                    w = static_cast<int>(ch * aspect);
                }
            } else {
                h = ch;
                w = static_cast<int>(ch * aspect);
                if (w > cw) {
                    w = cw;
                    h = static_cast<int>(cw / aspect);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r = Rect(0, 0, w, h);
    if (center_) OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::Paint()
{
    TGraphic* g = picture_->Graphic();
    if (!g || g->Empty()) return;
    TCanvas* c = ControlCanvas();
    TRect r = DestRect();
    if (!stretch_ && !proportional_ && r.Width() == g->Width() && r.Height() == g->Height())
        c->Draw(r.Left, r.Top, *g);
    else
        c->StretchDraw(r, *g);
}

// ---------------------------------------------------------------------------
TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetControlStyle(ControlStyle() | csReplicatable);
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape value)
{
    if (shape_ == value) return;
    shape_ = value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle value)
{
    if (style_ == value) return;
    style_ = value;
    Invalidate();
}

void TBevel::Paint()
{
    TCanvas* c = TGraphicControl::Canvas();
    TColor c1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor c2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = Width(), h = Height();
    auto hline = [&](int y, TColor col) {
        c->Brush()->SetColor(col);
        c->FillRect(Rect(0, y, w, y + 1));
    };
    auto vline = [&](int x, TColor col) {
        c->Brush()->SetColor(col);
        c->FillRect(Rect(x, 0, x + 1, h));
    };
    TRect r = Rect(0, 0, w, h);
    switch (shape_) {
    case bsBox:
        Frame3D(c, r, c1, c2, 1);
        break;
    case bsFrame: {
        // Two nested frames: an etched groove or ridge.
        TRect outer = Rect(0, 0, w - 1, h - 1);
        Frame3D(c, outer, c1, c1, 1);
        TRect inner = Rect(1, 1, w, h);
        Frame3D(c, inner, c2, c2, 1);
        break;
    }
    case bsTopLine: hline(0, c1); hline(1, c2); break;
    case bsBottomLine: hline(h - 2, c1); hline(h - 1, c2); break;
    case bsLeftLine: vline(0, c1); vline(1, c2); break;
    case bsRightLine: vline(w - 2, c1); vline(w - 1, c2); break;
    case bsSpacer: break;
    }
}

// ---------------------------------------------------------------------------
TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetControlStyle(ControlStyle() | csReplicatable);
    SetBounds(0, 0, 65, 65);
    pen_.OnChange = [this](TObject*) { Invalidate(); };
    brush_.OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape()
{
    pen_.OnChange = nullptr;
    brush_.OnChange = nullptr;
}

void TShape::SetShape(TShapeType value)
{
    if (shape_ == value) return;
    shape_ = value;
    Invalidate();
}

void TShape::Paint()
{
    TCanvas* c = TGraphicControl::Canvas();
    c->Pen()->Assign(pen_);
    c->Brush()->Assign(brush_);
    const int pw = pen_.Width();
    // The pen stays inside the bounds.
    int x = pw / 2, y = pw / 2;
    int w = Width() - pw + 1, h = Height() - pw + 1;
    if (pw == 0) {
        --w;
        --h;
    }
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        const int side = std::min(w, h);
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
    }
    switch (shape_) {
    case stRectangle:
    case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: c->RoundRect(x, y, x + w, y + h, std::min(w, h) / 4, std::min(w, h) / 4); break;
    case stEllipse:
    case stCircle: c->Ellipse(x, y, x + w, y + h); break;
    }
}

// ---------------------------------------------------------------------------
TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque |
                    csDoubleClicks | csReplicatable);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::SetAlignment(TAlignment value)
{
    if (alignment_ == value) return;
    alignment_ = value;
    Invalidate();
}

void TCustomPanel::BordersChanged()
{
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value)
{
    if (bevelInner_ == value) return;
    bevelInner_ = value;
    BordersChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut value)
{
    if (bevelOuter_ == value) return;
    bevelOuter_ = value;
    BordersChanged();
}

void TCustomPanel::SetBevelWidth(int value)
{
    value = std::max(value, 1);
    if (bevelWidth_ == value) return;
    bevelWidth_ = value;
    BordersChanged();
}

void TCustomPanel::SetBorderWidth(int value)
{
    value = std::max(value, 0);
    if (borderWidth_ == value) return;
    borderWidth_ = value;
    BordersChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle value)
{
    if (value != bsSingle) value = bsNone;
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    BordersChanged();
}

void TCustomPanel::SetParentBackground(bool value)
{
    if (ParentBackground() == value) return;
    TControlStyle s = ControlStyle();
    s = value ? ((s | csParentBackground) & ~csOpaque) : ((s & ~csParentBackground) | csOpaque);
    SetControlStyle(s);
    Invalidate();
}

int TCustomPanel::FrameWidth() const
{
    int w = borderWidth_;
    if (borderStyle_ == bsSingle) w += 2;
    if (bevelOuter_ != bvNone) w += bevelWidth_;
    if (bevelInner_ != bvNone) w += bevelWidth_;
    return w;
}

void TCustomPanel::AlignControls(TControl* AControl, TRect& Rect)
{
    const int f = FrameWidth();
    InflateRect(Rect, -f, -f);
    if (Rect.Right < Rect.Left) Rect.Right = Rect.Left;
    if (Rect.Bottom < Rect.Top) Rect.Bottom = Rect.Top;
    TCustomControl::AlignControls(AControl, Rect);
}

void TCustomPanel::WndProc(TMessage& m)
{
    // Paint covers the whole client area, or shows the parent's picture through it.
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    TCustomControl::WndProc(m);
}

namespace {
void Bevel(TCanvas* c, TRect& r, TBevelCut cut, int width, TColor face)
{
    switch (cut) {
    case bvLowered: Frame3D(c, r, clBtnShadow, clBtnHighlight, width); break;
    case bvRaised: Frame3D(c, r, clBtnHighlight, clBtnShadow, width); break;
    case bvSpace: Frame3D(c, r, face, face, width); break;
    case bvNone: break;
    }
}
} // namespace

void TCustomPanel::Paint()
{
    TCanvas* c = TCustomControl::Canvas();
    const TColor face = Color();
    TRect r = ClientRect();
    const bool see = ParentBackground() && Parent();
    if (see) Parent()->PaintBackgroundFor(*this, *c);
    if (borderStyle_ == bsSingle) {
        Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
        Frame3D(c, r, cl3DDkShadow, cl3DLight, 1);
    }
    Bevel(c, r, bevelOuter_, bevelWidth_, face);
    if (!see) Frame3D(c, r, face, face, borderWidth_);
    else InflateRect(r, -borderWidth_, -borderWidth_);
    Bevel(c, r, bevelInner_, bevelWidth_, face);
    if (!see) {
        c->Brush()->SetColor(face);
        c->Brush()->SetStyle(bsSolid);
        c->FillRect(r);
    }
    if (!Caption().empty()) {
        c->Brush()->SetStyle(bsClear);
        c->SetFont(*Font());
        if (!Enabled()) c->Font()->SetColor(clGrayText);
        TRect tr = r;
        DrawText(c, Caption(), tr, DT_SINGLELINE | DT_VCENTER | AlignmentToDrawFlags(alignment_));
    }
}

// ---------------------------------------------------------------------------
class TCustomRadioGroup::TGroupButton : public TRadioButton {
public:
    TGroupButton(TCustomRadioGroup* group) : TRadioButton(group), group_(group)
    {
        SetParent(group);
    }
    // A set check from code fires the group's click too, unless the group is rebuilding.
    void Click() override
    {
        TRadioButton::Click();
        group_->ButtonClicked(this);
    }

protected:
    void Pushed() override
    {
        if (group_->CanModify()) TRadioButton::Pushed();
    }

private:
    TCustomRadioGroup* group_;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner)
    : TCustomGroupBox(AOwner), items_(std::make_unique<TStringList>())
{
    SetControlStyle(ControlStyle() & ~csAcceptsControls);
    items_->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomRadioGroup::~TCustomRadioGroup()
{
    items_->OnChange = nullptr;
    // The buttons go first, while the group they call back is whole.
    std::vector<TGroupButton*> buttons;
    buttons.swap(buttons_);
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) (*it)->Free();
}

TRadioButton* TCustomRadioGroup::Buttons(int index) const
{
    if (index < 0 || index >= static_cast<int>(buttons_.size())) return nullptr;
    return buttons_[static_cast<std::size_t>(index)];
}

void TCustomRadioGroup::SetItemIndex(int value)
{
    if (Loading()) {
        itemIndex_ = value;
        return;
    }
    if (value < -1 || value >= static_cast<int>(buttons_.size()) || value == itemIndex_) return;
    if (itemIndex_ >= 0) buttons_[static_cast<std::size_t>(itemIndex_)]->SetChecked(false);
    itemIndex_ = value;
    if (value >= 0) buttons_[static_cast<std::size_t>(value)]->SetChecked(true);
    UpdateTabStops();
}

void TCustomRadioGroup::SetColumns(int value)
{
    value = std::clamp(value, 1, 16);
    if (columns_ == value) return;
    columns_ = value;
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::ButtonClicked(TGroupButton* button)
{
    if (updating_) return;
    auto it = std::find(buttons_.begin(), buttons_.end(), button);
    if (it == buttons_.end()) return;
    itemIndex_ = static_cast<int>(it - buttons_.begin());
    UpdateTabStops();
    if (!Loading()) Click();
}

void TCustomRadioGroup::ItemsChanged()
{
    if (Loading()) return;
    if (itemIndex_ >= items_->Count()) itemIndex_ = items_->Count() - 1;
    UpdateButtons();
}

void TCustomRadioGroup::Loaded()
{
    TCustomGroupBox::Loaded();
    if (itemIndex_ < -1 || itemIndex_ >= items_->Count()) itemIndex_ = -1;
    UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons()
{
    const auto count = static_cast<std::size_t>(items_->Count());
    while (buttons_.size() < count) buttons_.push_back(new TGroupButton(this));
    while (buttons_.size() > count) {
        TGroupButton* last = buttons_.back();
        buttons_.pop_back();
        last->Free();
    }
    updating_ = true;
    for (std::size_t i = 0; i < count; ++i) {
        TGroupButton* b = buttons_[i];
        b->SetCaption(items_->Get(static_cast<int>(i)));
        b->SetChecked(static_cast<int>(i) == itemIndex_);
    }
    updating_ = false;
    UpdateTabStops();
    ArrangeButtons();
    Invalidate();
}

void TCustomRadioGroup::UpdateTabStops()
{
    // The checked line is where Tab lands; with none checked, the first line.
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->SetTabStop(static_cast<int>(i) == itemIndex_ || (itemIndex_ < 0 && i == 0));
}

void TCustomRadioGroup::ArrangeButtons()
{
    if (buttons_.empty()) return;
    const int n = static_cast<int>(buttons_.size());
    const int perColumn = (n + columns_ - 1) / columns_;
    const int buttonWidth = (Width() - 10) / columns_;
    const int fontHeight = CaptionHeight();
    const int free = Height() - fontHeight - 5;
    const int buttonHeight = free / perColumn;
    const int top = fontHeight + 1 + (free % perColumn) / 2;
    for (int i = 0; i < n; ++i)
        buttons_[static_cast<std::size_t>(i)]->SetBounds((i / perColumn) * buttonWidth + 8,
                                                         (i % perColumn) * buttonHeight + top, buttonWidth,
                                                         buttonHeight);
}

void TCustomRadioGroup::WndProc(TMessage& m)
{
    TCustomGroupBox::WndProc(m);
    switch (m.Msg) {
    case WM_SIZE:
    case CM_FONTCHANGED:
        ArrangeButtons();
        break;
    case CM_ENABLEDCHANGED:
        for (TGroupButton* b : buttons_) b->SetEnabled(Enabled());
        break;
    }
}

#include "skin/kivtabcontrol.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "vcl/messages.h"

#include <algorithm>

namespace {

bool Keyed(const TBitmap& picture, int x, int y) { return !picture.Empty() && picture.Pixel(x, y) == kivKeyColor; }

// A tab picture drawn three-part: its rounded corners are keyed when the
// picture carries the key colour at its top-left or bottom-left pixel.
void DrawTabPicture(TCanvas* canvas, TBitmap& picture, const TRect& box)
{
    if (picture.Empty() || box.Width() <= 0) return;
    const bool topKey = Keyed(picture, 0, 0);
    const bool bottomKey = Keyed(picture, 0, picture.Height() - 1);
    SpitDrawHorizontal(&picture, canvas, box, topKey, topKey || bottomKey);
}

} // namespace

// ---------------------------------------------------------------------------
TkivTabControlTopPanel::TkivTabControlTopPanel(TComponent* AOwner, TkivTab* tab)
    : TCustomPanel(AOwner), tab_(tab), tabs_(std::make_unique<TStringList>())
{
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetBorderWidth(0);
    SetControlStyle(ControlStyle() & ~csSetCaption);
    tabs_->Add("Tab1");
    visible_.assign(1, true);
    tabs_->OnChange = [this](TObject*) {
        SyncFlags();
        Invalidate();
    };
}

TkivTabControlTopPanel::~TkivTabControlTopPanel() { tabs_->OnChange = nullptr; }

void TkivTabControlTopPanel::SyncFlags() { visible_.resize(static_cast<std::size_t>(TabCount()), true); }

bool TkivTabControlTopPanel::TabVisible(int index) const
{
    return index >= 0 && index < static_cast<int>(visible_.size()) && visible_[static_cast<std::size_t>(index)];
}

void TkivTabControlTopPanel::SetTabVisible(int index, bool value)
{
    if (index < 0 || index >= static_cast<int>(visible_.size())) return;
    visible_[static_cast<std::size_t>(index)] = value;
    Invalidate();
}

void TkivTabControlTopPanel::InsertTab(int index, const std::string& caption, bool visible)
{
    index = std::clamp(index, 0, TabCount());
    visible_.insert(visible_.begin() + index, visible);
    tabs_->Insert(index, caption);
}

void TkivTabControlTopPanel::DeleteTab(int index)
{
    if (index < 0 || index >= TabCount()) return;
    visible_.erase(visible_.begin() + index);
    tabs_->Delete(index);
}

void TkivTabControlTopPanel::SetTabIndex(int value)
{
    if (value == tabIndex_) return;
    if (TabCount() == 0) {
        tabIndex_ = -1;
        Invalidate();
        return;
    }
    if (value < -1 || value >= TabCount()) {
        Invalidate();
        return;
    }
    if (clicked_ && tab_->OnChanging) {
        bool allow = true;
        tab_->OnChanging(tab_, allow);
        if (!allow) return;
    }
    tabIndex_ = value;
    ScrollToSelected();
    Repaint();
    tab_->TabActive(value);
    Repaint();
}

void TkivTabControlTopPanel::SetLeftMargin(int value)
{
    leftMargin_ = value;
    Invalidate();
}

void TkivTabControlTopPanel::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    LoadPictures();
}

void TkivTabControlTopPanel::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
}

void TkivTabControlTopPanel::LoadPictures()
{
    KivThemeBitmap(fileTheme_, uiStyle_, 39, &activePicture_, 2, 1);
    KivThemeBitmap(fileTheme_, uiStyle_, 39, &inactivePicture_, 2, 2);
    KivThemeBitmap(fileTheme_, uiStyle_, 40, &linePicture_);
    TBitmap arrow;
    KivThemeBitmap(fileTheme_, uiStyle_, 38, &arrow, 4, 1);
    arrowWidth_ = arrow.Width();
    arrowHeight_ = arrow.Height();
    if (tabPosition_ == kivBottom) {
        RoundPicture2(&activePicture_);
        RoundPicture2(&inactivePicture_);
        RoundPicture2(&linePicture_);
    }
    SetHeight(activePicture_.Height() + linePicture_.Height());
    Invalidate();
}

void TkivTabControlTopPanel::SetTabPosition(TkivTabPosition value)
{
    if (value == tabPosition_) return;
    tabPosition_ = value;
    RoundPicture2(&activePicture_);
    RoundPicture2(&inactivePicture_);
    RoundPicture2(&linePicture_);
    Invalidate();
}

int TkivTabControlTopPanel::VisibleCount() const
{
    return static_cast<int>(std::count(visible_.begin(), visible_.end(), true));
}

// Lays the tabs out from the first visible one not scrolled off. The offset
// counts visible tabs, for painting and hit testing alike.
TkivTabControlTopPanel::Layout TkivTabControlTopPanel::LayOut() const
{
    Layout layout;
    const int count = TabCount();
    widths_.assign(static_cast<std::size_t>(count), -1);
    TBitmap scratch(1, 1);
    TCanvas* canvas = scratch.Canvas();
    canvas->SetFont(*tab_->Font());
    const int first = std::clamp(firstVisible_, 0, std::max(VisibleCount() - 1, 0));
    int lastVisible = -1;
    for (int i = 0; i < count; ++i)
        if (TabVisible(i)) lastVisible = i;
    const int width = Width();
    int x = leftMargin_, seen = 0;
    for (int i = 0; i < count; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        if (!TabVisible(i)) {
            widths_[slot] = 0;
            continue;
        }
        const std::string caption = tabs_->Get(i);
        const int w = std::max(caption.empty() ? 80 : canvas->TextWidth(caption) + 20, 15);
        widths_[slot] = w;
        if (seen++ < first) continue; // scrolled off
        const int available = i == lastVisible && first == 0 ? width - 10 : width - 2 * arrowWidth_ - 2;
        if (x >= available) { // no room left even for a cut tab
            layout.overflowed = true;
            break;
        }
        if (x + w > available) {
            layout.boxes.push_back({i, Rect(x, 0, available, 0), true});
            layout.truncated = true;
            break;
        }
        layout.boxes.push_back({i, Rect(x, 0, x + w, 0), false});
        layout.lastWhole = i;
        x += w;
    }
    if (first > 0) layout.overflowed = true;
    return layout;
}

TRect TkivTabControlTopPanel::TabBand(bool active) const
{
    const int h = Height();
    const int ah = activePicture_.Height(), ih = inactivePicture_.Height();
    if (tabPosition_ == kivTop) return active ? Rect(0, 1, 0, ah + 1) : Rect(0, 0, 0, ih);
    return active ? Rect(0, h - ah - 1, 0, h - 1) : Rect(0, h - ih, 0, h);
}

int TkivTabControlTopPanel::TabWidth(int index) const
{
    LayOut();
    return index >= 0 && index < static_cast<int>(widths_.size()) ? widths_[static_cast<std::size_t>(index)] : -1;
}

TRect TkivTabControlTopPanel::TabRect(int index) const
{
    for (const TabBox& b : LayOut().boxes)
        if (b.index == index) {
            const TRect band = TabBand(index == tabIndex_);
            return Rect(b.rect.Left, band.Top, b.rect.Right, band.Bottom);
        }
    return TRect{};
}

int TkivTabControlTopPanel::LastWholeTab() const { return LayOut().lastWhole; }
bool TkivTabControlTopPanel::Truncated() const { return LayOut().truncated; }
bool TkivTabControlTopPanel::ArrowsShown() const { return LayOut().ArrowsShown(TabCount()); }

TRect TkivTabControlTopPanel::ArrowRect(bool forward) const
{
    const int w = Width(), h = Height();
    int y;
    if (tabPosition_ == kivTop)
        y = h <= arrowHeight_ + 4 ? 0 : (h - arrowHeight_) / 2 - 2;
    else
        y = h <= arrowHeight_ + 4 ? h - arrowHeight_ : (h - arrowHeight_) / 2 + 2;
    const int right = w - 2 - arrowWidth_;
    const int x = forward ? right : right - arrowWidth_;
    return Bounds(x, y, arrowWidth_, arrowHeight_);
}

void TkivTabControlTopPanel::ScrollToSelected()
{
    const int limit = VisibleCount() - 1;
    int lastWhole = LayOut().lastWhole;
    while (lastWhole > tabIndex_ && firstVisible_ > 0) {
        --firstVisible_;
        lastWhole = LayOut().lastWhole;
    }
    while (lastWhole < tabIndex_ && firstVisible_ < limit) {
        ++firstVisible_;
        lastWhole = LayOut().lastWhole;
    }
}

void TkivTabControlTopPanel::PaintTabs(TCanvas* canvas, const Layout& layout)
{
    const int w = Width();
    const int lineHeight = linePicture_.Height();
    const int lineTop = tabPosition_ == kivBottom ? 0 : inactivePicture_.Height();
    if (!linePicture_.Empty()) canvas->StretchDraw(Rect(1, lineTop, w - 1, lineTop + lineHeight), linePicture_);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetColor(tab_->BorderColor());
    canvas->MoveTo(0, lineTop);
    canvas->LineTo(0, lineTop + lineHeight);
    canvas->MoveTo(w - 1, lineTop);
    canvas->LineTo(w - 1, lineTop + lineHeight);

    canvas->SetFont(*tab_->Font());
    canvas->Brush()->SetStyle(bsClear);
    for (const TabBox& b : layout.boxes) {
        const bool active = b.index == tabIndex_;
        const TRect band = TabBand(active);
        const TRect box = Rect(b.rect.Left, band.Top, b.rect.Right, band.Bottom);
        DrawTabPicture(canvas, active ? activePicture_ : inactivePicture_, box);
        canvas->Brush()->SetStyle(bsClear);
        TRect text = box;
        unsigned flags = DT_SINGLELINE | DT_VCENTER;
        if (b.cut) {
            text.Left += 10;
            text.Right -= 4;
        } else {
            flags |= DT_CENTER;
        }
        DrawText(canvas, tabs_->Get(b.index), text, flags);
    }
}

void TkivTabControlTopPanel::PaintButtons(TCanvas* canvas)
{
    TBitmap strip;
    KivThemeBitmap(fileTheme_, uiStyle_, 38, &strip);
    if (strip.Empty()) return;
    for (const bool forward : {true, false}) {
        const TRect r = ArrowRect(forward);
        const bool hot = PtInRect(r, mouse_);
        if (hot) arrowHit_ = forward ? 1 : -1;
        TBitmap part;
        SpitBitmap(&strip, &part, 4, (forward ? 1 : 3) + (hot ? 1 : 0));
        canvas->Draw(r.Left, r.Top, part);
    }
}

void TkivTabControlTopPanel::Paint()
{
    const int w = std::max(Width(), 1), h = std::max(Height(), 1);
    TBitmap buffer(w, h);
    TCanvas* canvas = buffer.Canvas();
    DoTrans(canvas, this);
    arrowHit_ = 0;
    firstVisible_ = std::clamp(firstVisible_, 0, std::max(VisibleCount() - 1, 0));
    const Layout layout = LayOut();
    PaintTabs(canvas, layout);
    if (layout.ArrowsShown(TabCount()) || firstVisible_ > 0) PaintButtons(canvas);
    Canvas()->CopyRect(Rect(0, 0, w, h), *canvas, Rect(0, 0, w, h));
}

void TkivTabControlTopPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        mouse_ = Point(X, Y);
        const Layout layout = LayOut();
        const bool arrowsShown = layout.ArrowsShown(TabCount());
        int hit = 0;
        if (arrowsShown || firstVisible_ > 0)
            for (const bool forward : {true, false})
                if (PtInRect(ArrowRect(forward), mouse_)) hit = forward ? 1 : -1;
        if (hit == -1) {
            firstVisible_ = std::max(firstVisible_ - 1, 0);
        } else if (hit == 1 && arrowsShown) {
            firstVisible_ = std::min(firstVisible_ + 1, VisibleCount());
        } else if (hit == 0) {
            const int top = tabPosition_ == kivTop ? 1 : Height() - TabHeight();
            const int bottom = tabPosition_ == kivTop ? TabHeight() : Height() - 1;
            for (const TabBox& b : layout.boxes)
                if (X > b.rect.Left && X < b.rect.Right && Y >= top && Y < bottom) {
                    clicked_ = true;
                    try {
                        SetTabIndex(b.index);
                    } catch (...) {
                        clicked_ = false;
                        throw;
                    }
                    clicked_ = false;
                    break;
                }
        }
        Invalidate();
    }
    TCustomPanel::MouseDown(Button, Shift, X, Y);
}

void TkivTabControlTopPanel::MouseMove(TShiftState Shift, int X, int Y)
{
    mouse_ = Point(X, Y);
    if (LayOut().ArrowsShown(TabCount()) || firstVisible_ > 0) Invalidate();
    TCustomPanel::MouseMove(Shift, X, Y);
}

void TkivTabControlTopPanel::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case CM_MOUSELEAVE:
        mouse_ = Point(-1, -1);
        Invalidate();
        break;
    default:
        break;
    }
    TCustomPanel::WndProc(m);
    // Also while the form loads, when Resize stays quiet.
    if (m.Msg == WM_SIZE) tab_->PlaceStrip();
}

// ---------------------------------------------------------------------------
TkivTab::TkivTab(TComponent* AOwner) : TCustomPanel(AOwner)
{
    SetControlStyle(ControlStyle() & ~csSetCaption);
    SetCaption(" ");
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetBorderWidth(0);
    SetHeight(80);
}

TkivTab::~TkivTab() = default;

void TkivTab::InitStrip()
{
    strip_ = CreateTopPanel();
    strip_->SetParent(this);
    strip_->OnClick = [this](TObject*) {
        if (OnClick) OnClick(this);
    };
    strip_->OnDblClick = [this](TObject*) {
        if (OnDblClick) OnDblClick(this);
    };
    SetUIStyle(GetKIVFormStyle(Owner()));
    PlaceStrip();
}

void TkivTab::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    strip_->SetFileTheme(fileTheme_);
    strip_->SetUIStyle(value);
    Invalidate();
    UpdateUIStyle(value, fileTheme_);
    TkivUIStyle suggested = value;
    const bool fromFile = UsingFileTheme(fileTheme_, value, suggested);
    strip_->SetColor(static_cast<TColor>(KivThemeColor(fileTheme_, value, 26)));
    SetBorderColor(static_cast<TColor>(KivThemeColor(fileTheme_, value, 25)));
    if (fromFile)
        SetColor(static_cast<TColor>(fileTheme_->GetColor(15)));
    else
        SetColor(suggested == WinXP ? clWhite : static_cast<TColor>(GetInsideThemeColor(suggested, 26)));
    Invalidate();
}

void TkivTab::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

void TkivTab::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
}

void TkivTab::SetBorderColor(TColor value)
{
    borderColor_ = value;
    BorderColorChanged();
    Invalidate();
    strip_->Invalidate();
}

void TkivTab::SetTabPosition(TkivTabPosition value)
{
    if (value == tabPosition_) return;
    tabPosition_ = value;
    strip_->SetTabPosition(value);
    PlaceStrip();
    Realign();
    Invalidate();
}

void TkivTab::TabActive(int index)
{
    if (Loading()) return;
    if (OnTabActive) OnTabActive(this, index);
    if (OnChange) OnChange(this);
}

void TkivTab::PlaceStrip()
{
    if (!strip_) return;
    const int h = strip_->Height();
    const TRect want = tabPosition_ == kivTop ? Rect(0, 0, Width(), h) : Rect(0, Height() - h, Width(), Height());
    if (strip_->BoundsRect() == want) return;
    strip_->SetBoundsRect(want);
    Realign();
}

TRect TkivTab::BodyRect() const
{
    const int h = strip_ ? strip_->Height() : 0;
    return tabPosition_ == kivTop ? Rect(0, h, Width(), Height()) : Rect(0, 0, Width(), Height() - h);
}

void TkivTab::AlignControls(TControl* AControl, TRect& Rect)
{
    const int h = strip_ ? strip_->Height() : 0;
    Rect.Left += 3;
    Rect.Right -= 3;
    if (tabPosition_ == kivTop) {
        Rect.Top += h + 3;
        Rect.Bottom -= 3;
    } else {
        Rect.Top += 3;
        Rect.Bottom -= h + 3;
    }
    TCustomPanel::AlignControls(AControl, Rect);
}

void TkivTab::Paint()
{
    const int w = std::max(Width(), 1), h = std::max(Height(), 1);
    TBitmap buffer(w, h);
    TCanvas* canvas = buffer.Canvas();
    DoTrans(canvas, this); // what lies below shows round the tabs
    const TRect body = BodyRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(body);
    // Three sides; the strip's line closes the fourth.
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetColor(borderColor_);
    if (tabPosition_ == kivTop) {
        canvas->MoveTo(body.Left, body.Top);
        canvas->LineTo(body.Left, body.Bottom - 1);
        canvas->LineTo(body.Right - 1, body.Bottom - 1);
        canvas->LineTo(body.Right - 1, body.Top - 1);
    } else {
        canvas->MoveTo(body.Left, body.Bottom - 1);
        canvas->LineTo(body.Left, body.Top);
        canvas->LineTo(body.Right - 1, body.Top);
        canvas->LineTo(body.Right - 1, body.Bottom);
    }
    Canvas()->CopyRect(Rect(0, 0, w, h), *canvas, Rect(0, 0, w, h));
}

void TkivTab::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case CM_FONTCHANGED:
        if (strip_) strip_->Invalidate();
        break;
    case CM_CURSORCHANGED:
        if (strip_) strip_->SetCursor(Cursor());
        break;
    default:
        break;
    }
    TCustomPanel::WndProc(m);
    if (m.Msg == WM_SIZE) PlaceStrip(); // also while the form loads, when Resize stays quiet
}

// ---------------------------------------------------------------------------
TkivTabControl::TkivTabControl(TComponent* AOwner) : TkivTab(AOwner) { InitStrip(); }

TkivTabControlTopPanel* TkivTabControl::CreateTopPanel() { return new TkivTabControlTopPanel(this, this); }

#include "vcl/pagectrl.h"

#include "gfx/gdi.h"
#include "edges.h"

#include <algorithm>

namespace {
constexpr int StripInset = 2;   // tabs start this far in; the selected one stands out by it
constexpr int ArrowWidth = 16;
constexpr int DisplayMargin = 4;

void Arrow(TCanvas& c, const TRect& box, bool forward, bool enabled)
{
    RaisedFace(c, box);
    c.Brush()->SetColor(enabled ? clBtnText : clGrayText);
    const int cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
    for (int i = 0; i < 4; ++i) {
        int x = forward ? cx + 1 - i : cx - 2 + i;
        c.FillRect(Rect(x, cy - i, x + 1, cy + i + 1));
    }
}
} // namespace

// --- common tab strip --------------------------------------------------------------
TCustomTabControl::TCustomTabControl(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle((ControlStyle() | csAcceptsControls | csOpaque) & ~(csSetCaption | csClickEvents | csDoubleClicks));
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

TCustomTabControl::~TCustomTabControl() = default;

int TCustomTabControl::TabBoxWidth(int index) const
{
    // Caption widths are measured once per change of the tabs, the font or TabWidth.
    const int n = TabCount();
    if (static_cast<int>(widths_.size()) != n) {
        widths_.clear();
        TBitmap probe(1, 1, pf24bit);
        probe.Canvas()->SetFont(*Font());
        for (int i = 0; i < n; ++i) {
            int w = tabWidth_;
            if (w <= 0) {
                TRect r = Rect(0, 0, 0, 0);
                DrawText(probe.Canvas(), TabCaption(i), r, DT_SINGLELINE | DT_CALCRECT);
                w = std::max(20, r.Width() + 12);
            }
            widths_.push_back(w);
        }
    }
    return index >= 0 && index < n ? widths_[static_cast<std::size_t>(index)] : 0;
}

int TCustomTabControl::TabStripHeight() const
{
    if (tabHeight_ > 0) return tabHeight_;
    TBitmap probe(1, 1, pf24bit);
    probe.Canvas()->SetFont(*Font());
    return probe.Canvas()->TextHeight("Wg") + 6;
}

TRect TCustomTabControl::TabStripRect() const
{
    const int h = TabStripHeight() + StripInset;
    return tabPosition_ == tpTop ? Rect(0, 0, Width(), h) : Rect(0, Height() - h, Width(), Height());
}

TRect TCustomTabControl::BodyRect() const
{
    const int h = TabStripHeight() + StripInset;
    TRect r = ClientRect();
    if (tabPosition_ == tpTop) r.Top = std::min(r.Bottom, h);
    else r.Bottom = std::max(r.Top, r.Bottom - h);
    return r;
}

TRect TCustomTabControl::DisplayRect() const
{
    TRect r = BodyRect();
    InflateRect(r, -DisplayMargin, -DisplayMargin);
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
}

bool TCustomTabControl::TabsScroll() const
{
    if (firstTab_ > 0) return true;
    int x = StripInset;
    for (int i = 0, n = TabCount(); i < n; ++i) {
        x += TabBoxWidth(i);
        if (x > Width() - StripInset) return true;
    }
    return false;
}

TRect TCustomTabControl::ScrollArrowRect(bool forward) const
{
    if (!TabsScroll()) return {};
    const int h = TabStripHeight();
    const int top = tabPosition_ == tpTop ? StripInset : Height() - StripInset - h;
    const int right = Width() - (forward ? 0 : ArrowWidth);
    return Rect(right - ArrowWidth, top, right, top + h);
}

TRect TCustomTabControl::TabRect(int index) const
{
    if (index < firstTab_ || index >= TabCount()) return {};
    const int h = TabStripHeight();
    const int top = tabPosition_ == tpTop ? StripInset : Height() - StripInset - h;
    const int limit = TabsScroll() ? Width() - 2 * ArrowWidth - StripInset : Width() - StripInset;
    int x = StripInset;
    for (int i = firstTab_; i <= index; ++i) {
        const int w = TabBoxWidth(i);
        if (x + w > limit) return {}; // past the strip's end
        if (i == index) return Rect(x, top, x + w, top + h);
        x += w;
    }
    return {};
}

int TCustomTabControl::IndexOfTabAt(int X, int Y) const
{
    // Beyond the tabs shown nothing answers; a selected tab also owns the pixels it stands out by.
    const TPoint p = Point(X, Y);
    if (tabIndex_ >= 0) {
        TRect sel = TabRect(tabIndex_);
        if (!sel.IsEmpty()) {
            InflateRect(sel, StripInset, 0);
            if (tabPosition_ == tpTop) sel.Top -= StripInset;
            else sel.Bottom += StripInset;
            if (PtInRect(sel, p)) return tabIndex_;
        }
    }
    for (int i = firstTab_, n = TabCount(); i < n; ++i) {
        TRect r = TabRect(i);
        if (r.IsEmpty()) break;
        if (PtInRect(r, p)) return i;
    }
    return -1;
}

void TCustomTabControl::SetTabIndex(int value)
{
    if (value < -1 || value >= TabCount() || value == tabIndex_) return;
    tabIndex_ = value;
    MakeTabVisible(value);
    TabChanged();
    Invalidate();
}

void TCustomTabControl::SetTabPosition(TTabPosition value)
{
    if (value == tabPosition_) return;
    tabPosition_ = value;
    Realign();
    Invalidate();
}

void TCustomTabControl::SetTabHeight(int value)
{
    value = std::max(0, value);
    if (value == tabHeight_) return;
    tabHeight_ = value;
    Realign();
    Invalidate();
}

void TCustomTabControl::SetTabWidth(int value)
{
    value = std::max(0, value);
    if (value == tabWidth_) return;
    tabWidth_ = value;
    widths_.clear();
    MakeTabVisible(tabIndex_);
    Invalidate();
}

void TCustomTabControl::MakeTabVisible(int index)
{
    const int n = TabCount();
    firstTab_ = std::clamp(firstTab_, 0, std::max(0, n - 1));
    if (index < 0 || index >= n) return;
    if (index < firstTab_) firstTab_ = index;
    while (firstTab_ < index && TabRect(index).IsEmpty()) ++firstTab_;
}

void TCustomTabControl::TabsChanged()
{
    widths_.clear();
    const int n = TabCount();
    if (tabIndex_ >= n) tabIndex_ = n - 1;
    if (tabIndex_ < 0 && n > 0) tabIndex_ = 0;
    MakeTabVisible(tabIndex_);
    Invalidate();
}

bool TCustomTabControl::CanChange()
{
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change()
{
    if (OnChange) OnChange(this);
}

bool TCustomTabControl::SelectTabByUser(int index)
{
    if (index < 0 || index >= TabCount() || index == tabIndex_) return false;
    if (!CanChange()) return false;
    SetTabIndex(index);
    Change();
    return true;
}

void TCustomTabControl::AlignControls(TControl* AControl, TRect& Rect)
{
    Rect = DisplayRect();
    TCustomControl::AlignControls(AControl, Rect);
}

void TCustomTabControl::KeyDown(unsigned short& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const int n = TabCount();
    if (n == 0) return;
    switch (Key) {
    case VK_LEFT:
    case VK_UP:
        SelectTabByUser(std::max(0, tabIndex_ - 1));
        Key = 0;
        break;
    case VK_RIGHT:
    case VK_DOWN:
        SelectTabByUser(std::min(n - 1, tabIndex_ + 1));
        Key = 0;
        break;
    case VK_HOME:
        SelectTabByUser(0);
        Key = 0;
        break;
    case VK_END:
        SelectTabByUser(n - 1);
        Key = 0;
        break;
    }
}

void TCustomTabControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        const TPoint p = Point(X, Y);
        if (PtInRect(ScrollArrowRect(false), p)) {
            if (firstTab_ > 0) --firstTab_;
            Invalidate();
        } else if (PtInRect(ScrollArrowRect(true), p)) {
            if (TabRect(TabCount() - 1).IsEmpty()) ++firstTab_;
            Invalidate();
        } else if (int i = IndexOfTabAt(X, Y); i >= 0) {
            if (CanFocus() && !Focused()) SetFocus();
            SelectTabByUser(i);
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomTabControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS;
        return;
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case CM_DIALOGKEY:
        // Ctrl+Tab walks the tabs while the focus is on the control or inside it.
        if (m.WParam == VK_TAB && (KeyboardStateToShiftState() & ssCtrl) && TabCount() > 0) {
            TCustomForm* f = ParentForm();
            TWinControl* active = f ? f->ActiveControl() : nullptr;
            if (active && (active == this || ContainsControl(active))) {
                const bool back = (KeyboardStateToShiftState() & ssShift) != 0;
                const int n = TabCount();
                SelectTabByUser(((tabIndex_ < 0 ? 0 : tabIndex_) + (back ? n - 1 : 1)) % n);
                m.Result = 1;
                return;
            }
        }
        break;
    case CM_FONTCHANGED:
        TCustomControl::WndProc(m);
        widths_.clear();
        Realign();
        return;
    case CM_ENTER:
    case CM_EXIT:
        Invalidate();
        break;
    }
    TCustomControl::WndProc(m);
}

void TCustomTabControl::DrawTab(TCanvas& c, int index, const TRect& rect, bool selected)
{
    TRect r = rect;
    const bool top = tabPosition_ == tpTop;
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(r);
    // Outline: highlight on the left and the outer edge, shadows on the right; the edge
    // toward the body stays open.
    const int outer = top ? r.Top : r.Bottom - 1;
    c.Brush()->SetColor(clBtnHighlight);
    c.FillRect(Rect(r.Left, r.Top + (top ? 1 : 0), r.Left + 1, r.Bottom - (top ? 0 : 1)));
    c.FillRect(Rect(r.Left + 1, outer, r.Right - 2, outer + 1));
    c.Brush()->SetColor(clBtnShadow);
    c.FillRect(Rect(r.Right - 2, r.Top + (top ? 1 : 0), r.Right - 1, r.Bottom - (top ? 0 : 1)));
    c.Brush()->SetColor(cl3DDkShadow);
    c.FillRect(Rect(r.Right - 1, r.Top + (top ? 2 : 0), r.Right, r.Bottom - (top ? 0 : 2)));
    if (!top) {
        c.Brush()->SetColor(clBtnShadow);
        c.FillRect(Rect(r.Left + 1, outer, r.Right - 2, outer + 1));
    }
    TRect tr = r;
    if (selected) OffsetRect(tr, 0, top ? -1 : 1);
    c.Brush()->SetStyle(bsClear);
    c.Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
    DrawText(&c, TabCaption(index), tr, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (selected && Focused()) {
        TRect f = r;
        InflateRect(f, -3, -3);
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(Color());
        c.DrawFocusRect(f);
    }
}

void TCustomTabControl::Paint()
{
    TCanvas& c = *Canvas();
    const bool top = tabPosition_ == tpTop;
    // The strip shows what lies behind the control; the body is a raised frame.
    c.Brush()->SetStyle(bsSolid);
    if (Parent()) Parent()->PaintBackgroundFor(*this, c);
    else {
        c.Brush()->SetColor(Color());
        c.FillRect(TabStripRect());
    }
    TRect body = BodyRect();
    c.Brush()->SetColor(Color());
    c.FillRect(body);
    RaisedEdge(c, body);

    const int n = TabCount();
    for (int i = firstTab_; i < n; ++i) {
        if (i == tabIndex_) continue;
        TRect r = TabRect(i);
        if (r.IsEmpty()) break;
        DrawTab(c, i, r, false);
    }
    TRect sel = TabRect(tabIndex_);
    if (!sel.IsEmpty()) {
        // The selected tab stands out and runs into the body without a line between.
        InflateRect(sel, StripInset, 0);
        if (top) {
            sel.Top -= StripInset;
            sel.Bottom += 1;
        } else {
            sel.Top -= 1;
            sel.Bottom += StripInset;
        }
        DrawTab(c, tabIndex_, sel, true);
    }
    if (TabsScroll()) {
        Arrow(c, ScrollArrowRect(false), false, firstTab_ > 0);
        Arrow(c, ScrollArrowRect(true), true, n > 0 && TabRect(n - 1).IsEmpty());
    }
}

// --- tab control -----------------------------------------------------------------
TTabControl::TTabControl(TComponent* AOwner) : TCustomTabControl(AOwner), tabs_(std::make_unique<TStringList>())
{
    tabs_->OnChange = [this](TObject*) { TabsChanged(); };
}

TTabControl::~TTabControl()
{
    tabs_->OnChange = nullptr;
}

std::string TTabControl::TabCaption(int index) const
{
    if (index < 0 || index >= tabs_->Count()) return {};
    return tabs_->Get(index);
}

// --- tab sheet -------------------------------------------------------------------
TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle((ControlStyle() | csAcceptsControls) & ~csSetCaption);
    SetVisible(false);
}

TTabSheet::~TTabSheet()
{
    if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* value)
{
    if (value == pageControl_) return;
    SetParent(value);
}

int TTabSheet::PageIndex() const
{
    if (!pageControl_) return -1;
    auto& list = pageControl_->pages_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TTabSheet::SetPageIndex(int value)
{
    if (pageControl_) pageControl_->MovePage(this, value);
}

int TTabSheet::TabIndex() const
{
    if (!pageControl_ || !tabVisible_) return -1;
    int t = 0;
    for (TTabSheet* p : pageControl_->pages_) {
        if (p == this) return t;
        if (p->tabVisible_) ++t;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool value)
{
    if (value == tabVisible_) return;
    tabVisible_ = value;
    if (pageControl_) pageControl_->PageTabChanged(this);
}

void TTabSheet::DoShow()
{
    if (OnShow) OnShow(this);
}

void TTabSheet::DoHide()
{
    if (OnHide) OnHide(this);
}

void TTabSheet::WndProc(TMessage& m)
{
    TWinControl::WndProc(m);
    if (m.Msg == CM_TEXTCHANGED && pageControl_) pageControl_->PagesChanged();
}

// --- page control ----------------------------------------------------------------
TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TPageControl::~TPageControl()
{
    // The sheets go with the control as its children, after it is no longer a page control.
    for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const
{
    if (index < 0 || index >= PageCount()) return nullptr;
    return pages_[static_cast<std::size_t>(index)];
}

int TPageControl::TabCount() const
{
    return static_cast<int>(std::count_if(pages_.begin(), pages_.end(), [](TTabSheet* p) { return p->tabVisible_; }));
}

TTabSheet* TPageControl::PageForTab(int tabIndex) const
{
    if (tabIndex < 0) return nullptr;
    for (TTabSheet* p : pages_)
        if (p->tabVisible_ && tabIndex-- == 0) return p;
    return nullptr;
}

std::string TPageControl::TabCaption(int index) const
{
    TTabSheet* p = PageForTab(index);
    return p ? p->Caption() : std::string();
}

int TPageControl::ActivePageIndex() const
{
    return activePage_ ? activePage_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int value)
{
    if (value == -1) SetActivePage(nullptr);
    else if (value >= 0 && value < PageCount()) SetActivePage(Pages(value));
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && page->pageControl_ != this) return;
    ShowPage(page);
    // The tab follows the page; a page whose tab is hidden selects none.
    switching_ = true;
    tabIndex_ = page ? page->TabIndex() : -1;
    if (tabIndex_ >= 0) MakeTabVisible(tabIndex_);
    switching_ = false;
    Invalidate();
}

void TPageControl::ShowPage(TTabSheet* page)
{
    if (page == activePage_) return;
    TTabSheet* old = activePage_;
    // The focus leaves a page that goes out of sight.
    if (old) {
        TCustomForm* f = ParentForm();
        TWinControl* active = f ? f->ActiveControl() : nullptr;
        if (active && old->ContainsControl(active) && CanFocus()) SetFocus();
    }
    activePage_ = page;
    if (page) {
        page->SetBoundsRect(DisplayRect());
        page->SetVisible(true);
        page->BringToFront();
    }
    if (old) {
        old->SetVisible(false);
        old->DoHide();
    }
    if (page) page->DoShow();
}

void TPageControl::TabChanged()
{
    if (switching_) return;
    ShowPage(PageForTab(tabIndex_));
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool GoForward, bool CheckTabVisible) const
{
    const int n = PageCount();
    if (n == 0) return nullptr;
    int start = current ? current->PageIndex() : -1;
    if (start < 0) start = GoForward ? n - 1 : 0;
    for (int k = 1; k <= n; ++k) {
        int i = GoForward ? (start + k) % n : (start - k + n) % n;
        TTabSheet* p = pages_[static_cast<std::size_t>(i)];
        if (!CheckTabVisible || p->tabVisible_) return p;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward)
{
    TTabSheet* next = FindNextPage(activePage_, GoForward, true);
    if (next && next != activePage_) SelectTabByUser(next->TabIndex());
}

void TPageControl::InsertPage(TTabSheet* page)
{
    if (std::find(pages_.begin(), pages_.end(), page) != pages_.end()) return;
    pages_.push_back(page);
    page->pageControl_ = this;
    page->SetBoundsRect(DisplayRect());
    if (page != activePage_) page->SetVisible(false);
    if (!activePage_ && page->tabVisible_) SetActivePage(page);
    PagesChanged();
}

// The tabs follow the pages: widths measured again, the active page's tab selected.
void TPageControl::PagesChanged()
{
    TabsChanged();
    tabIndex_ = activePage_ ? activePage_->TabIndex() : -1;
    MakeTabVisible(tabIndex_);
}

void TPageControl::RemovePage(TTabSheet* page)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    TTabSheet* next = page == activePage_ ? FindNextPage(page, true, true) : activePage_;
    if (next == page) next = nullptr;
    pages_.erase(it);
    page->pageControl_ = nullptr;
    if (page == activePage_) activePage_ = nullptr; // it is leaving: no events for it
    SetActivePage(next);
    PagesChanged();
}

void TPageControl::MovePage(TTabSheet* page, int index)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end() || index < 0 || index >= PageCount()) return;
    pages_.erase(it);
    pages_.insert(pages_.begin() + index, page);
    PagesChanged();
}

void TPageControl::PageTabChanged(TTabSheet* page)
{
    if (page == activePage_ && !page->tabVisible_) {
        // Hiding the active page's tab moves on to the next page with a tab.
        TTabSheet* next = FindNextPage(page, true, true);
        SetActivePage(next == page ? nullptr : next);
    } else if (!activePage_ && page->tabVisible_) {
        SetActivePage(page);
    }
    PagesChanged();
}

void TPageControl::AlignControls(TControl* AControl, TRect& Rect)
{
    TCustomTabControl::AlignControls(AControl, Rect);
    LayoutPages();
}

void TPageControl::ShowControl(TControl* AControl)
{
    TCustomTabControl::ShowControl(AControl);
    for (TTabSheet* p : pages_)
        if (static_cast<TControl*>(p) == AControl) {
            SetActivePage(p);
            break;
        }
}

void TPageControl::LayoutPages()
{
    const TRect r = DisplayRect();
    for (TTabSheet* p : pages_) p->SetBoundsRect(r);
}

void TPageControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_CONTROLLISTCHANGE: {
        auto* c = reinterpret_cast<TControl*>(m.WParam);
        if (m.LParam) {
            if (auto* sheet = dynamic_cast<TTabSheet*>(c)) InsertPage(sheet);
        } else {
            // Found by identity: the control may be part-way through its destruction.
            for (TTabSheet* p : pages_)
                if (static_cast<TControl*>(p) == c) {
                    RemovePage(p);
                    break;
                }
        }
        break;
    }
    }
    TCustomTabControl::WndProc(m);
}

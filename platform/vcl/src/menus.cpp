#include "vcl/menus.h"

#include "gfx/gdi.h"
#include "vcl/application.h"
#include "internal.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr int kFrame = 3;       // raised frame and padding around a level
constexpr int kCheckColumn = 22;
constexpr int kLineHeight = 8;

bool HasVisibleItems(const TMenuItem* item)
{
    for (int i = 0; i < item->Count(); ++i)
        if (item->Items(i)->Visible()) return true;
    return false;
}

std::string KeyName(unsigned short key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F1 + 11) {
        std::string name = "F";
        name += std::to_string(key - VK_F1 + 1);
        return name;
    }
    switch (key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
    default: return "";
    }
}
} // namespace

TShortCut ShortCut(unsigned short key, TShiftState shift)
{
    TShortCut s = key & 0xFF;
    if (shift & ssShift) s |= scShift;
    if (shift & ssCtrl) s |= scCtrl;
    if (shift & ssAlt) s |= scAlt;
    return s;
}

std::string ShortCutToText(TShortCut s)
{
    std::string name = KeyName(s & 0xFF);
    if (name.empty()) return "";
    std::string out;
    if (s & scShift) out += "Shift+";
    if (s & scCtrl) out += "Ctrl+";
    if (s & scAlt) out += "Alt+";
    return out + name;
}

std::string StripHotkey(const std::string& caption)
{
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') out += '&', ++i;
            continue;
        }
        out += caption[i];
    }
    return out;
}

// --- items ---------------------------------------------------------------------
TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
    if (parent_) parent_->Remove(this);
    while (!items_.empty()) {
        TMenuItem* child = items_.back();
        items_.pop_back();
        child->parent_ = nullptr;
        child->Free();
    }
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* i = this;
    while (i->parent_) i = i->parent_;
    return i->menu_;
}

void TMenuItem::Changed()
{
    if (TMenu* m = GetParentMenu()) m->MenuChanged(this);
}

void TMenuItem::SetCaption(const std::string& value)
{
    if (caption_ == value) return;
    caption_ = value;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut value)
{
    shortCut_ = value;
    Changed();
}

void TMenuItem::SetChecked(bool value)
{
    if (checked_ == value) return;
    checked_ = value;
    // A checked radio item unchecks the others of its group.
    if (value && radioItem_ && parent_)
        for (TMenuItem* s : parent_->items_)
            if (s != this && s->radioItem_ && s->groupIndex_ == groupIndex_) s->checked_ = false;
    Changed();
}

void TMenuItem::SetEnabled(bool value)
{
    if (enabled_ == value) return;
    enabled_ = value;
    Changed();
}

void TMenuItem::SetVisible(bool value)
{
    if (visible_ == value) return;
    visible_ = value;
    Changed();
}

void TMenuItem::SetDefault(bool value)
{
    if (default_ == value) return;
    // One default item per level.
    if (value && parent_)
        for (TMenuItem* s : parent_->items_) s->default_ = false;
    default_ = value;
    Changed();
}

void TMenuItem::SetImageIndex(int value)
{
    imageIndex_ = value;
    Changed();
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return items_[static_cast<std::size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item) return;
    if (item->parent_) throw EInvalidOperation("Menu inserted twice");
    if (index < 0 || index > Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (p == item) throw EInvalidOperation("A menu item cannot hold itself");
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    Changed();
}

void TMenuItem::Delete(int index)
{
    TMenuItem* item = Items(index);
    Remove(item);
    item->Free();
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
    Changed();
}

void TMenuItem::Clear()
{
    while (!items_.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenuItem* TMenuItem::Find(const std::string& caption) const
{
    for (TMenuItem* i : items_)
        if (SameText(StripHotkey(i->caption_), StripHotkey(caption))) return i;
    return nullptr;
}

void TMenuItem::Click()
{
    if (enabled_ && OnClick) OnClick(this);
}

// --- menus ------------------------------------------------------------------------
TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(nullptr))
{
    items_->menu_ = this;
}

TMenu::~TMenu()
{
    items_->menu_ = nullptr;
    items_->Free();
}

TBiDiMode TMenu::BiDiMode() const
{
    if (parentBiDiMode_)
        if (auto* control = dynamic_cast<TControl*>(Owner())) return control->BiDiMode();
    return biDiMode_;
}

void TMenu::SetBiDiMode(TBiDiMode value)
{
    biDiMode_ = value;
    parentBiDiMode_ = false;
}

void TMenu::SetImages(TImageList* value) { images_ = value; }
void TMenu::SetOwnerDraw(bool value) { ownerDraw_ = value; }

void TMenu::MenuChanged(TMenuItem*)
{
    if (OnChange && !Loading()) OnChange(this);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
}

TMenuItem* TMenu::FindItemByShortCut(TShortCut s) const
{
    if (s == 0) return nullptr;
    std::vector<TMenuItem*> stack{items_};
    while (!stack.empty()) {
        TMenuItem* i = stack.back();
        stack.pop_back();
        if (i != items_ && i->ShortCut() == s && i->Enabled()) return i;
        for (int k = 0; k < i->Count(); ++k) stack.push_back(i->Items(k));
    }
    return nullptr;
}

TSize TMenu::MeasureItem(TMenuItem* item, TCanvas& c)
{
    int w, h;
    if (item->IsLine()) {
        w = 20;
        h = kLineHeight;
    } else {
        TFont saved;
        saved.Assign(*c.Font());
        if (item->Default()) c.Font()->SetStyle({fsBold});
        w = kCheckColumn + c.TextWidth(StripHotkey(item->Caption())) + 24;
        std::string sc = ShortCutToText(item->ShortCut());
        if (!sc.empty()) w += c.TextWidth(sc) + 16;
        if (HasVisibleItems(item)) w += 12;
        h = std::max(19, c.TextHeight("Wg") + 6);
        c.SetFont(saved);
    }
    if (item->OnMeasureItem) item->OnMeasureItem(item, &c, w, h);
    return {std::max(0, w), std::max(0, h)};
}

void TMenu::DrawItem(TMenuItem* item, TCanvas& c, const TRect& r, bool selected)
{
    if (item->OnDrawItem) {
        SavedDC dc(c);
        item->OnDrawItem(item, &c, r, selected);
        return;
    }
    c.Brush()->SetStyle(bsSolid);
    if (item->IsLine()) {
        c.Brush()->SetColor(clMenu);
        c.FillRect(r);
        int y = (r.Top + r.Bottom) / 2 - 1;
        c.Pen()->SetColor(clBtnShadow);
        c.MoveTo(r.Left + 1, y);
        c.LineTo(r.Right - 1, y);
        c.Pen()->SetColor(clBtnHighlight);
        c.MoveTo(r.Left + 1, y + 1);
        c.LineTo(r.Right - 1, y + 1);
        return;
    }
    bool hot = selected && item->Enabled();
    c.Brush()->SetColor(selected ? clHighlight : clMenu);
    c.FillRect(r);
    TColor ink = !item->Enabled() ? clGrayText : selected ? clHighlightText : clMenuText;
    c.Font()->SetColor(ink);
    if (item->Default()) c.Font()->SetStyle({fsBold});
    int cy = (r.Top + r.Bottom) / 2;
    TImageList* images = images_;
    if (images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count()) {
        if (item->Checked()) {
            c.Brush()->SetColor(selected ? clHighlight : clBtnHighlight);
            c.FillRect(Rect(r.Left + 1, r.Top + 1, r.Left + kCheckColumn - 1, r.Bottom - 1));
        }
        images->Draw(&c, r.Left + (kCheckColumn - images->Width()) / 2, cy - images->Height() / 2, item->ImageIndex(),
                     item->Enabled());
    } else if (item->Checked()) {
        c.Pen()->SetColor(ink);
        int x = r.Left + 7;
        if (item->RadioItem()) {
            c.Brush()->SetColor(ink);
            c.Ellipse(x, cy - 3, x + 7, cy + 4);
        } else {
            // A check mark three pixels thick.
            for (int k = 0; k < 3; ++k) {
                c.MoveTo(x, cy - 1 + k);
                c.LineTo(x + 2, cy + 1 + k);
                c.LineTo(x + 7, cy - 4 + k);
            }
        }
    }
    c.Brush()->SetStyle(bsClear);
    TRect tr = Rect(r.Left + kCheckColumn, r.Top, r.Right - 8, r.Bottom);
    if (!item->Enabled() && !selected) {
        // Disabled text is embossed: a white copy one pixel down and right.
        c.Font()->SetColor(clBtnHighlight);
        TRect sh = tr;
        OffsetRect(sh, 1, 1);
        DrawText(&c, item->Caption(), sh, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        c.Font()->SetColor(clGrayText);
    }
    DrawText(&c, item->Caption(), tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    std::string sc = ShortCutToText(item->ShortCut());
    if (!sc.empty()) {
        TRect sr = Rect(r.Left, r.Top, r.Right - (HasVisibleItems(item) ? 18 : 10), r.Bottom);
        DrawText(&c, sc, sr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
    if (HasVisibleItems(item)) {
        c.Pen()->SetColor(hot ? clHighlightText : ink);
        int x = r.Right - 12;
        for (int k = 0; k < 4; ++k) {
            c.MoveTo(x + k, cy - 3 + k);
            c.LineTo(x + k, cy + 4 - k);
        }
    }
}

TMenuItem* TMainMenu::DropDown(TMenuItem* topItem, int X, int Y)
{
    if (!topItem || !HasVisibleItems(topItem)) return nullptr;
    TMenuWindow* w = NewForm<TMenuWindow>(nullptr, *this, *topItem);
    TMenuItem* picked = nullptr;
    try {
        picked = w->Run(X, Y);
    } catch (...) {
        w->Free();
        throw;
    }
    w->Free();
    if (picked) picked->Click();
    return picked;
}

// --- popup menu ----------------------------------------------------------------------
TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner)
{
    // The framework opens a control's popup menu on a right click through this hook.
    static bool installed = false;
    if (!installed) {
        installed = true;
        SetPopupMenuHandler([](TPopupMenu* menu, TControl* control, TPoint p) {
            if (!menu->AutoPopup()) return;
            menu->SetPopupComponent(control);
            menu->Popup(p.X, p.Y);
        });
    }
}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(int X, int Y)
{
    lastPicked_ = nullptr;
    if (OnPopup) OnPopup(this);
    if (!HasVisibleItems(Items())) return;
    TMenuWindow* w = NewForm<TMenuWindow>(nullptr, *this, *Items());
    TMenuItem* picked = nullptr;
    try {
        // Alignment places the point at the menu's left, right or middle.
        picked = w->Run(X, Y);
    } catch (...) {
        w->Free();
        throw;
    }
    w->Free();
    lastPicked_ = picked;
    if (OnClose) OnClose(this);
    if (picked) picked->Click();
}

// --- the menu window -------------------------------------------------------------------
TMenuWindow::TMenuWindow(TComponent* AOwner, TMenu& menu, TMenuItem& root) : TCustomForm(AOwner), menu_(menu), root_(root)
{
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetColor(clMenu);
    Font()->SetName("MS Sans Serif");
    SetCaption("Menu");
    SetKeyPreview(false);
}

TMenuWindow::~TMenuWindow() = default;

TMenuItem* TMenuWindow::Run(int X, int Y)
{
    OpenLevel(&root_, X, Y, X);
    if (auto* pm = dynamic_cast<TPopupMenu*>(&menu_); pm && !levels_.empty()) {
        int w = levels_[0].screen.Width();
        int dx = pm->Alignment() == paRight ? -w : pm->Alignment() == paCenter ? -w / 2 : 0;
        if (dx) {
            levels_.clear();
            OpenLevel(&root_, X + dx, Y, X + dx);
        }
    }
    ShowModal();
    return picked_;
}

void TMenuWindow::OpenLevel(TMenuItem* parent, int X, int Y, int alternativeX)
{
    Level lv;
    lv.parent = parent;
    TCanvas& c = *BackBuffer().Canvas();
    c.SetFont(*Font());
    int w = 0, y = kFrame;
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* it = parent->Items(i);
        if (!it->Visible()) continue;
        TSize s = menu_.MeasureItem(it, c);
        lv.items.push_back(it);
        lv.rects.push_back(Rect(kFrame, y, 0, y + s.cy));
        y += s.cy;
        w = std::max(w, s.cx);
    }
    for (TRect& r : lv.rects) r.Right = kFrame + w;
    int width = w + 2 * kFrame, height = y + kFrame;
    // Keep the level on the screen: flip to the other side of the point when it would leave it.
    TRect work = Screen->WorkAreaRect();
    if (X + width > work.Right) X = std::max(work.Left, alternativeX - width);
    if (Y + height > work.Bottom) Y = std::max(work.Top, work.Bottom - height);
    X = std::max(X, work.Left);
    lv.screen = Bounds(X, Y, width, height);
    levels_.push_back(std::move(lv));
    Relayout();
}

void TMenuWindow::CloseLevelsAfter(int level)
{
    if (static_cast<int>(levels_.size()) <= level + 1) return;
    levels_.resize(static_cast<std::size_t>(level) + 1);
    Relayout();
}

void TMenuWindow::Relayout()
{
    TRect u;
    for (const Level& lv : levels_) UnionRect(u, u, lv.screen);
    bounds_ = u;
    SetBounds(u.Left, u.Top, u.Width(), u.Height());
    TRegion region;
    for (const Level& lv : levels_) {
        TRect r = lv.screen;
        OffsetRect(r, -u.Left, -u.Top);
        region = region.Union(TRegion(r));
    }
    SetWindowRegion(levels_.size() > 1 ? std::optional<TRegion>(region) : std::nullopt);
    Invalidate();
}

TRect TMenuWindow::ItemRect(const TMenuItem* item) const
{
    for (const Level& lv : levels_)
        for (std::size_t i = 0; i < lv.items.size(); ++i)
            if (lv.items[i] == item) {
                TRect r = lv.rects[i];
                OffsetRect(r, lv.screen.Left - bounds_.Left, lv.screen.Top - bounds_.Top);
                return r;
            }
    return {};
}

TMenuItem* TMenuWindow::HotItem() const
{
    if (levels_.empty()) return nullptr;
    const Level& lv = levels_.back();
    return lv.hot >= 0 ? lv.items[static_cast<std::size_t>(lv.hot)] : nullptr;
}

bool TMenuWindow::HitTest(TPoint screen, int& level, int& index) const
{
    for (int l = static_cast<int>(levels_.size()) - 1; l >= 0; --l) {
        const Level& lv = levels_[static_cast<std::size_t>(l)];
        if (!PtInRect(lv.screen, screen)) continue;
        level = l;
        index = -1;
        TPoint p{screen.X - lv.screen.Left, screen.Y - lv.screen.Top};
        for (std::size_t i = 0; i < lv.rects.size(); ++i)
            if (PtInRect(lv.rects[i], p)) index = static_cast<int>(i);
        return true;
    }
    return false;
}

void TMenuWindow::Pick(TMenuItem* item)
{
    if (!item || !item->Enabled() || item->IsLine()) return;
    if (HasVisibleItems(item)) return;
    picked_ = item;
    SetModalResult(mrOk);
}

void TMenuWindow::MoveHot(int step)
{
    Level& lv = levels_.back();
    int n = static_cast<int>(lv.items.size());
    if (n == 0) return;
    int i = lv.hot;
    for (int k = 0; k < n; ++k) {
        i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
        if (!lv.items[static_cast<std::size_t>(i)]->IsLine()) break;
    }
    lv.hot = i;
    Invalidate();
}

void TMenuWindow::HandleKey(unsigned short key)
{
    Level& lv = levels_.back();
    int depth = static_cast<int>(levels_.size()) - 1;
    switch (key) {
    case VK_UP: MoveHot(-1); return;
    case VK_DOWN: MoveHot(1); return;
    case VK_ESCAPE:
    case VK_LEFT:
        if (depth > 0) CloseLevelsAfter(depth - 1);
        else if (key == VK_ESCAPE) SetModalResult(mrCancel);
        return;
    case VK_RIGHT:
    case VK_RETURN:
    case VK_SPACE: {
        if (lv.hot < 0) return;
        TMenuItem* it = lv.items[static_cast<std::size_t>(lv.hot)];
        if (HasVisibleItems(it) && it->Enabled()) {
            TRect r = lv.rects[static_cast<std::size_t>(lv.hot)];
            OpenLevel(it, lv.screen.Right - 3, lv.screen.Top + r.Top - kFrame, lv.screen.Left + 3);
            MoveHot(1);
        } else if (key != VK_RIGHT) {
            Pick(it);
        }
        return;
    }
    default:
        // An accelerator letter picks (or opens) its item.
        for (std::size_t i = 0; i < lv.items.size(); ++i)
            if (IsAccel(key, lv.items[i]->Caption()) && lv.items[i]->Enabled()) {
                lv.hot = static_cast<int>(i);
                Invalidate();
                HandleKey(VK_RETURN);
                return;
            }
    }
}

void TMenuWindow::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        HandleKey(static_cast<unsigned short>(m.WParam));
        m.Result = 1;
        return;
    case WM_CHAR:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK: {
        // Every mouse message is ours while the menu is open (the capture of a real menu).
        TPoint screen = ClientToScreen(Point(LParamX(m.LParam), LParamY(m.LParam)));
        int level = -1, index = -1;
        bool inside = HitTest(screen, level, index);
        bool down = m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK;
        bool up = m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP;
        if (!inside) {
            if (down) SetModalResult(mrCancel); // a press outside every level closes the menu
            return;
        }
        Level& lv = levels_[static_cast<std::size_t>(level)];
        if (index != lv.hot) {
            lv.hot = index;
            Invalidate();
        }
        if (index < 0) return;
        TMenuItem* it = lv.items[static_cast<std::size_t>(index)];
        bool opensLevel = HasVisibleItems(it) && it->Enabled();
        bool shownLevel = level + 1 < static_cast<int>(levels_.size()) && levels_[static_cast<std::size_t>(level) + 1].parent == it;
        if (!shownLevel && (m.Msg == WM_MOUSEMOVE || down)) {
            CloseLevelsAfter(level);
            if (opensLevel) {
                TRect r = lv.rects[static_cast<std::size_t>(index)];
                OpenLevel(it, lv.screen.Right - 3, lv.screen.Top + r.Top - kFrame, lv.screen.Left + 3);
            }
        }
        if (down) pressed_ = true;
        if (up && !opensLevel) Pick(it);
        return;
    }
    case WM_MOUSEWHEEL:
        return;
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    }
    TCustomForm::WndProc(m);
}

void TMenuWindow::Deactivate()
{
    TCustomForm::Deactivate();
    // Another window took the input: the menu closes, as a real one does.
    if (Modal() && ModalResult() == mrNone) SetModalResult(mrCancel);
}

void TMenuWindow::Paint()
{
    TCanvas& c = *Canvas();
    for (const Level& lv : levels_) {
        SavedDC dc(c);
        c.MoveViewportOrg(lv.screen.Left - bounds_.Left, lv.screen.Top - bounds_.Top);
        TRect r = Rect(0, 0, lv.screen.Width(), lv.screen.Height());
        c.IntersectClipRect(r);
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(clMenu);
        c.FillRect(r);
        // Raised frame: light outside top-left, dark outside bottom-right.
        c.Pen()->SetColor(cl3DLight);
        c.MoveTo(r.Left, r.Bottom - 1);
        c.LineTo(r.Left, r.Top);
        c.LineTo(r.Right - 1, r.Top);
        c.Pen()->SetColor(cl3DDkShadow);
        c.LineTo(r.Right - 1, r.Bottom - 1);
        c.LineTo(r.Left - 1, r.Bottom - 1);
        c.Pen()->SetColor(clBtnHighlight);
        c.MoveTo(r.Left + 1, r.Bottom - 2);
        c.LineTo(r.Left + 1, r.Top + 1);
        c.LineTo(r.Right - 2, r.Top + 1);
        c.Pen()->SetColor(clBtnShadow);
        c.LineTo(r.Right - 2, r.Bottom - 2);
        c.LineTo(r.Left, r.Bottom - 2);
        for (std::size_t i = 0; i < lv.items.size(); ++i) {
            SavedDC idc(c);
            c.SetFont(*Font());
            c.IntersectClipRect(lv.rects[i]);
            menu_.DrawItem(lv.items[i], c, lv.rects[i], static_cast<int>(i) == lv.hot);
        }
    }
}

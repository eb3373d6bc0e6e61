#include "vcl/stdctrls_list.h"

#include "gfx/gdi.h"
#include "rtl/clock.h"
#include "vcl/application.h"
#include "edges.h"
#include "internal.h"

#include <algorithm>

namespace {
int FontItemHeight(const TFont& f)
{
    TBitmap probe(1, 1, pf24bit);
    probe.Canvas()->SetFont(f);
    return probe.Canvas()->TextHeight("Wg") + 2;
}

// The plain item look shared by lists and combo boxes.
void PlainItem(TCanvas& c, const std::string& text, const TRect& r, TOwnerDrawState st, TColor back, TColor ink)
{
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor((st & odSelected) ? clHighlight : back);
    c.FillRect(r);
    c.Font()->SetColor((st & odDisabled) ? clGrayText : (st & odSelected) ? clHighlightText : ink);
    c.Brush()->SetStyle(bsClear);
    TRect tr = r;
    tr.Left += 2;
    DrawText(&c, text, tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
}
} // namespace

// --- list box ---------------------------------------------------------------------
TCustomListBox::TCustomListBox(TComponent* AOwner) : TCustomControl(AOwner), items_(std::make_unique<TStringList>())
{
    SetControlStyle(csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csOpaque);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 121, 97);
    items_->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomListBox::~TCustomListBox() { items_->OnChange = nullptr; }

void TCustomListBox::ItemsChanged()
{
    int n = items_->Count();
    selected_.resize(static_cast<std::size_t>(n), false);
    if (itemIndex_ >= n) itemIndex_ = n - 1;
    if (anchor_ >= n) anchor_ = -1;
    MeasureItems();
    topIndex_ = std::clamp(topIndex_, 0, LastTopIndex());
    Invalidate();
    ScrollStateChanged();
}

void TCustomListBox::SetItemIndex(int value)
{
    if (value < -1 || value >= Count()) value = -1;
    if (!multiSelect_) {
        std::fill(selected_.begin(), selected_.end(), false);
        if (value >= 0) selected_[static_cast<std::size_t>(value)] = true;
    }
    if (itemIndex_ == value) return;
    itemIndex_ = value;
    anchor_ = value;
    if (value >= 0) MakeVisible(value);
    Invalidate();
}

void TCustomListBox::SetMultiSelect(bool value)
{
    multiSelect_ = value;
    std::fill(selected_.begin(), selected_.end(), false);
    if (itemIndex_ >= 0 && !value) selected_[static_cast<std::size_t>(itemIndex_)] = true;
    Invalidate();
}

bool TCustomListBox::Selected(int index) const
{
    if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return index < static_cast<int>(selected_.size()) && selected_[static_cast<std::size_t>(index)];
}

void TCustomListBox::SetSelected(int index, bool value)
{
    if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    if (!multiSelect_) {
        SetItemIndex(value ? index : (itemIndex_ == index ? -1 : itemIndex_));
        return;
    }
    selected_[static_cast<std::size_t>(index)] = value;
    Invalidate();
}

int TCustomListBox::SelCount() const
{
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

void TCustomListBox::ClearSelection()
{
    std::fill(selected_.begin(), selected_.end(), false);
    if (!multiSelect_) itemIndex_ = -1;
    Invalidate();
}

void TCustomListBox::SelectAll()
{
    if (!multiSelect_) return;
    std::fill(selected_.begin(), selected_.end(), true);
    Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle value)
{
    if (style_ == value) return;
    style_ = value;
    ItemsChanged();
}

int TCustomListBox::FixedItemHeight() const
{
    if (itemHeight_ > 0 && style_ != lbStandard) return itemHeight_;
    return std::max(1, FontItemHeight(*Font()));
}

void TCustomListBox::MeasureItem(int Index, int& Height)
{
    if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomListBox::MeasureItems()
{
    heights_.clear();
    if (style_ != lbOwnerDrawVariable) return;
    const int n = items_->Count();
    heights_.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        int h = FixedItemHeight();
        MeasureItem(i, h);
        // An item takes at least a pixel and at most what the platform's list lets it.
        heights_.push_back(std::clamp(h, 1, 255));
    }
}

int TCustomListBox::HeightOfItem(int index) const
{
    if (index >= 0 && static_cast<std::size_t>(index) < heights_.size()) return heights_[static_cast<std::size_t>(index)];
    return FixedItemHeight();
}

int TCustomListBox::FittingFrom(int top) const
{
    const int n = items_->Count();
    if (heights_.empty()) return VisibleCount();
    const int room = InnerRect().Height();
    int used = 0, fit = 0;
    for (int i = std::max(0, top); i < n && used + HeightOfItem(i) <= room; ++i, ++fit) used += HeightOfItem(i);
    return std::max(1, fit);
}

int TCustomListBox::LastTopIndex() const
{
    const int n = items_->Count();
    if (heights_.empty()) return std::max(0, n - VisibleCount());
    const int room = InnerRect().Height();
    int used = 0, top = n;
    while (top > 0 && used + HeightOfItem(top - 1) <= room) used += HeightOfItem(--top);
    return std::min(top, std::max(0, n - 1));
}

int TCustomListBox::ItemHeight() { return FixedItemHeight(); }

void TCustomListBox::SetItemHeight(int value)
{
    if (value <= 0) return;
    itemHeight_ = value;
    ItemsChanged();
}

void TCustomListBox::SetBorderStyle(TFormBorderStyle value)
{
    borderStyle_ = value;
    Invalidate();
    ScrollStateChanged();
}

void TCustomListBox::SetBorderWidth(int value)
{
    borderWidth_ = std::max(0, value);
    Invalidate();
    ScrollStateChanged();
}

TRect TCustomListBox::InnerRect() const
{
    TRect r = ClientRect();
    int inset = (borderStyle_ == bsSingle ? 2 : 0) + borderWidth_;
    InflateRect(r, -inset, -inset);
    return r;
}

int TCustomListBox::VisibleCount() const { return std::max(1, InnerRect().Height() / FixedItemHeight()); }

TScrollState TCustomListBox::VertScrollState() const
{
    TScrollState s;
    s.Max = std::max(0, items_->Count() - 1);
    // Items of their own heights: the page is what the last ones fill, so that
    // the thumb's end is the greatest top index.
    s.Page = heights_.empty() ? VisibleCount() : std::max(1, items_->Count() - LastTopIndex());
    s.Pos = topIndex_;
    return s;
}

TRect TCustomListBox::ScrollBarRect() const
{
    if (!VertScrollState().Needed()) return {};
    TRect r = InnerRect();
    // A right-to-left list keeps its bar on the left.
    if (UseRightToLeftScrollBar()) return Rect(r.Left, r.Top, r.Left + ScrollBarSize, r.Bottom);
    return Rect(r.Right - ScrollBarSize, r.Top, r.Right, r.Bottom);
}

void TCustomListBox::SetTopIndex(int value)
{
    value = std::clamp(value, 0, VertScrollState().MaxPos());
    if (value == topIndex_) return;
    topIndex_ = value;
    Invalidate();
    ScrollStateChanged();
}

void TCustomListBox::MakeVisible(int index)
{
    if (index < topIndex_) {
        SetTopIndex(index);
    } else if (heights_.empty()) {
        if (index >= topIndex_ + VisibleCount()) SetTopIndex(index - VisibleCount() + 1);
    } else if (index >= topIndex_ + FittingFrom(topIndex_)) {
        // The highest top from which the item still fits whole.
        const int room = InnerRect().Height();
        int top = index, used = HeightOfItem(index);
        while (top > 0 && used + HeightOfItem(top - 1) <= room) used += HeightOfItem(--top);
        SetTopIndex(top);
    }
}

TRect TCustomListBox::ItemRect(int index) const
{
    TRect inner = InnerRect();
    TRect sb = ScrollBarRect();
    if (!sb.IsEmpty()) {
        if (sb.Left == inner.Left) inner.Left = sb.Right;
        else inner.Right = sb.Left;
    }
    if (heights_.empty()) {
        int h = FixedItemHeight();
        int top = inner.Top + (index - topIndex_) * h;
        return Rect(inner.Left, top, inner.Right, top + h);
    }
    int top = inner.Top;
    for (int i = topIndex_; i < index; ++i) top += HeightOfItem(i);
    for (int i = index; i < topIndex_; ++i) top -= HeightOfItem(i);
    return Rect(inner.Left, top, inner.Right, top + HeightOfItem(index));
}

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) const
{
    TRect inner = InnerRect();
    int rel = Pos.Y - inner.Top;
    int index;
    if (heights_.empty()) {
        index = topIndex_ + (rel < 0 ? -1 : rel / FixedItemHeight());
    } else {
        index = rel < 0 ? topIndex_ - 1 : topIndex_;
        for (int y = 0; rel >= 0 && index < Count() && y + HeightOfItem(index) <= rel; ++index) y += HeightOfItem(index);
    }
    if (Existing) {
        TRect sb = ScrollBarRect();
        if (!PtInRect(inner, Pos) || PtInRect(sb, Pos)) return -1;
        return index >= 0 && index < Count() ? index : -1;
    }
    return std::clamp(index, 0, std::max(0, Count() - 1));
}

void TCustomListBox::DrawItem(int Index, TRect R, TOwnerDrawState State)
{
    TCanvas& c = *Canvas();
    if (OnDrawItem && style_ != lbStandard) {
        // The canvas comes prepared as the platform's owner-draw message leaves it.
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor((State & odSelected) ? clHighlight : Color());
        c.Font()->SetColor((State & odSelected) ? clHighlightText : Font()->Color());
        OnDrawItem(this, Index, R, State);
        return;
    }
    PlainItem(c, items_->Get(Index), R, State, Color(), Font()->Color());
}

void TCustomListBox::Paint()
{
    TCanvas& c = *Canvas();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(ClientRect());
    if (borderStyle_ == bsSingle) SunkenEdge(c, ClientRect());
    TRect inner = InnerRect();
    bool focused = Focused();
    SavedDC dc(c);
    c.IntersectClipRect(inner);
    int n = Count();
    for (int i = topIndex_; i < n; ++i) {
        TRect r = ItemRect(i);
        if (r.Top >= inner.Bottom) break;
        TOwnerDrawState st = 0;
        if (selected_[static_cast<std::size_t>(i)]) st |= odSelected;
        if (!Enabled()) st |= odDisabled;
        if (focused && i == itemIndex_) st |= odFocused;
        SavedDC idc(c);
        c.SetFont(*Font());
        c.IntersectClipRect(r);
        OwnerDrawItem(i, r, st);
    }
    if (n == 0 && focused) {
        SavedDC idc(c);
        c.SetFont(*Font());
        OwnerDrawItem(-1, Rect(inner.Left, inner.Top, inner.Right, inner.Top + FixedItemHeight()), odFocused);
    }
    if (!ScrollBarRect().IsEmpty()) DrawScrollBar(c, ScrollBarRect(), VertScrollState(), sbVertical, Enabled());
}

void TCustomListBox::OwnerDrawItem(int Index, TRect R, TOwnerDrawState State)
{
    TCanvas& c = *Canvas();
    if (Index >= 0) {
        SavedDC dc(c);
        DrawItem(Index, R, State);
    }
    if (State & odFocused) c.DrawFocusRect(R);
}

void TCustomListBox::SelectByUser(int index, TShiftState shift)
{
    if (index < 0 || index >= Count()) return;
    int old = itemIndex_;
    std::vector<bool> oldSel = selected_;
    if (multiSelect_) {
        if (shift & ssShift) {
            int a = anchor_ < 0 ? index : anchor_;
            if (!(shift & ssCtrl)) std::fill(selected_.begin(), selected_.end(), false);
            for (int i = std::min(a, index); i <= std::max(a, index); ++i) selected_[static_cast<std::size_t>(i)] = true;
        } else if (shift & ssCtrl) {
            selected_[static_cast<std::size_t>(index)] = !selected_[static_cast<std::size_t>(index)];
            anchor_ = index;
        } else {
            std::fill(selected_.begin(), selected_.end(), false);
            selected_[static_cast<std::size_t>(index)] = true;
            anchor_ = index;
        }
        itemIndex_ = index;
        MakeVisible(index);
        Invalidate();
    } else {
        SetItemIndex(index);
    }
    if (old != itemIndex_ || oldSel != selected_) Click();
}

void TCustomListBox::KeyDown(unsigned short& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0 || Count() == 0) return;
    int i = itemIndex_;
    switch (Key) {
    case VK_UP: i = std::max(0, i - 1); break;
    case VK_DOWN: i = std::min(Count() - 1, i + 1); break;
    case VK_PRIOR: i = std::max(0, i - FittingFrom(topIndex_) + 1); break;
    case VK_NEXT: i = std::min(Count() - 1, std::max(0, i) + FittingFrom(topIndex_) - 1); break;
    case VK_HOME: i = 0; break;
    case VK_END: i = Count() - 1; break;
    case VK_SPACE:
        if (multiSelect_ && i >= 0) SelectByUser(i, ssCtrl);
        return;
    default: return;
    }
    SelectByUser(i, Shift & ssShift);
}

void TCustomListBox::KeyPress(char& Key)
{
    TCustomControl::KeyPress(Key);
    if (Key <= ' ') return;
    // A letter selects the next item starting with it.
    int n = Count();
    for (int k = 1; k <= n; ++k) {
        int i = (std::max(0, itemIndex_) + k) % n;
        std::string s = items_->Get(i);
        if (!s.empty() && std::toupper(static_cast<unsigned char>(s[0])) == std::toupper(static_cast<unsigned char>(Key))) {
            SelectByUser(i, 0);
            return;
        }
    }
}

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (CanFocus() && !Focused()) SetFocus();
    int code;
    if (Button == mbLeft && vbar_.Press(ScrollBarRect(), VertScrollState(), Point(X, Y), code)) {
        if (code != SB_ENDSCROLL) Perform(WM_VSCROLL, code, 0);
        return;
    }
    if (Button == mbLeft) {
        int i = ItemAtPos(Point(X, Y), true);
        if (i >= 0) SelectByUser(i, Shift);
        tracking_ = !multiSelect_;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    if (vbar_.Dragging()) {
        SetTopIndex(vbar_.DragPos(ScrollBarRect(), VertScrollState(), Point(X, Y)));
        return;
    }
    if (tracking_ && (Shift & ssLeft)) {
        int i = ItemAtPos(Point(X, Y), false);
        if (i != itemIndex_ && Count() > 0) SelectByUser(i, 0);
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        tracking_ = false;
        if (vbar_.Release()) return;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    SetTopIndex(topIndex_ - WheelScrollLines(WheelDelta));
    return true;
}

void TCustomListBox::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_GETSCROLLBAR:
        // A list scrolls vertically only.
        if (m.WParam == SB_VERT) AnswerScrollBarQuery(m, ScrollBarRect(), VertScrollState());
        else AnswerScrollBarQuery(m, TRect{}, TScrollState{});
        return;
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_SIZE:
        TCustomControl::WndProc(m);
        // Measured items may wrap otherwise at another width.
        if (style_ == lbOwnerDrawVariable) ItemsChanged();
        ScrollStateChanged();
        return;
    case CM_FONTCHANGED:
        TCustomControl::WndProc(m);
        if (style_ == lbOwnerDrawVariable) ItemsChanged();
        return;
    case WM_VSCROLL:
        SetTopIndex(ApplyScrollMessage(VertScrollState(), m.WParam));
        return;
    case WM_LBUTTONUP:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The click of a list is its selection change, not every release.
        if (m.Msg != WM_LBUTTONDBLCLK) {
            TControlStyle cs = ControlStyle();
            SetControlStyle(cs & ~csClickEvents);
            TCustomControl::WndProc(m);
            SetControlStyle(cs);
            return;
        }
        break;
    }
    TCustomControl::WndProc(m);
}

// --- combo box --------------------------------------------------------------------------
TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TCustomControl(AOwner), items_(std::make_unique<TStringList>())
{
    SetControlStyle(csCaptureMouse | csSetCaption | csDoubleClicks | csOpaque);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 145, 21);
    items_->OnChange = [this](TObject*) {
        if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
        Invalidate();
    };
    SetStyle(csDropDown);
}

TCustomComboBox::~TCustomComboBox() { items_->OnChange = nullptr; }

TCanvas* TCustomComboBox::Canvas() { return drawCanvas_ ? drawCanvas_ : TCustomControl::Canvas(); }

void TCustomComboBox::SetStyle(TComboBoxStyle value)
{
    style_ = value;
    if (HasEdit() && !edit_) {
        edit_ = new TEdit(this);
        edit_->SetBorderStyle(bsNone);
        edit_->SetTabStop(false);
        edit_->SetParent(this);
        edit_->OnChange = [this](TObject*) { EditChanged(); };
        edit_->OnKeyDown = [this](TObject*, unsigned short& key, TShiftState shift) {
            // Keys that move through the list belong to the combo box.
            if (key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT || (key == VK_F4 && !shift)) {
                KeyDown(key, shift);
                key = 0;
            }
        };
        edit_->OnKeyPress = [this](TObject*, char& key) {
            if (OnKeyPress) OnKeyPress(this, key);
        };
        // A focused combo keeps its focus in the edit part it gained.
        if (Focused() && edit_->CanFocus()) edit_->SetFocus();
    } else if (!HasEdit() && edit_) {
        TEdit* e = edit_;
        const bool focused = e->Focused();
        edit_ = nullptr;
        // Off the parent first: a control's own destructor unlinks it too late to be found as windowed.
        e->SetParent(nullptr);
        e->Free();
        if (focused && CanFocus()) SetFocus();
    }
    PlaceEdit();
    Invalidate();
}

int TCustomComboBox::ItemHeight() const
{
    if (itemHeight_ > 0) return itemHeight_;
    return FontItemHeight(*Font());
}

void TCustomComboBox::SetItemHeight(int value)
{
    if (value > 0) itemHeight_ = value;
    Invalidate();
}

int TCustomComboBox::MaxLength() const { return edit_ ? edit_->MaxLength() : 0; }
void TCustomComboBox::SetMaxLength(int value)
{
    if (edit_) edit_->SetMaxLength(value);
}

void TCustomComboBox::Clear()
{
    items_->Clear();
    itemIndex_ = -1;
    SetText("");
}

std::string TCustomComboBox::Text() const
{
    if (edit_) return edit_->Text();
    return itemIndex_ >= 0 && itemIndex_ < items_->Count() ? items_->Get(itemIndex_) : std::string();
}

void TCustomComboBox::SetText(const std::string& value)
{
    if (edit_) {
        syncing_ = true;
        edit_->SetText(value);
        syncing_ = false;
        int i = items_->IndexOf(value);
        itemIndex_ = (i >= 0 && items_->Get(i) == value) ? i : -1;
    } else {
        int i = items_->IndexOf(value);
        if (i >= 0) SetItemIndex(i);
    }
    TControl::SetText(value);
    Invalidate();
}

void TCustomComboBox::SetItemIndex(int value)
{
    if (value < -1 || value >= items_->Count()) value = -1;
    itemIndex_ = value;
    if (edit_) {
        syncing_ = true;
        edit_->SetText(value >= 0 ? items_->Get(value) : std::string());
        edit_->SelectAll();
        syncing_ = false;
    }
    TControl::SetText(Text());
    Invalidate();
}

void TCustomComboBox::EditChanged()
{
    if (syncing_) return;
    TControl::SetText(edit_->Text());
    // Typing a whole item's text selects it.
    int i = items_->IndexOf(edit_->Text());
    itemIndex_ = i;
    if (autoComplete_ && style_ == csDropDown && edit_->Focused() && edit_->SelLength() == 0 &&
        edit_->SelStart() == static_cast<int>(edit_->Text().size()) && !edit_->Text().empty() && i < 0) {
        // Auto-complete: the first item that starts with the typed text fills in the rest, selected.
        const std::string typed = edit_->Text();
        for (int k = 0; k < items_->Count(); ++k) {
            std::string s = items_->Get(k);
            if (s.size() > typed.size() && SameText(s.substr(0, typed.size()), typed)) {
                syncing_ = true;
                edit_->SetText(typed + s.substr(typed.size()));
                edit_->SetSelStart(static_cast<int>(typed.size()));
                edit_->SetSelLength(static_cast<int>(s.size() - typed.size()));
                syncing_ = false;
                itemIndex_ = k;
                TControl::SetText(edit_->Text());
                break;
            }
        }
    }
    Change();
}

void TCustomComboBox::Change()
{
    if (OnChange && !Loading()) OnChange(this);
}

void TCustomComboBox::Select()
{
    if (OnSelect) OnSelect(this);
    Change();
}

void TCustomComboBox::DropDown()
{
    if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp()
{
    if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::SelectByUser(int index)
{
    if (index < 0 || index >= items_->Count() || index == itemIndex_) return;
    SetItemIndex(index);
    Click();
    Select();
}

TRect TCustomComboBox::ButtonRect() const
{
    if (style_ == csSimple) return {};
    TRect r = ClientRect();
    InflateRect(r, -2, -2);
    // A mirrored combo box has its button at the left.
    if (UseRightToLeftAlignment()) return Rect(r.Left, r.Top, r.Left + 17, r.Bottom);
    return Rect(r.Right - 17, r.Top, r.Right, r.Bottom);
}

TRect TCustomComboBox::EditRect() const
{
    TRect r = ClientRect();
    InflateRect(r, -2, -2);
    if (style_ != csSimple) {
        if (UseRightToLeftAlignment()) r.Left += 17;
        else r.Right -= 17;
    }
    return r;
}

TRect TCustomComboBox::ListRect() const
{
    if (!dropped_ || !list_) return {};
    return list_->BoundsRect();
}

void TCustomComboBox::PlaceEdit()
{
    if (!edit_) return;
    TRect r = EditRect();
    edit_->SetBounds(r.Left + 1, r.Top + 1, std::max(0, r.Width() - 1), std::max(0, r.Height() - 2));
    edit_->SetFont(*Font());
}

void TCustomComboBox::Resize()
{
    PlaceEdit();
    TCustomControl::Resize();
}

void TCustomComboBox::Loaded()
{
    TCustomControl::Loaded();
    PlaceEdit();
}

void TCustomComboBox::DoEnter()
{
    TCustomControl::DoEnter();
    // The combo's focus lives in its edit part.
    if (edit_ && edit_->CanFocus()) edit_->SetFocus();
}

void TCustomComboBox::SetDroppedDown(bool value)
{
    if (value == dropped_ || style_ == csSimple) return;
    if (!value) {
        if (list_) list_->SetModalResult(mrCancel);
        return;
    }
    if (!Showing() || (items_->Count() == 0 && !OnDropDown)) return;
    DropDown();
    TComboListWindow* w = NewForm<TComboListWindow>(nullptr, *this);
    list_ = w;
    dropped_ = true;
    Invalidate();
    int picked = -1;
    try {
        w->Open();
        picked = w->picked_;
    } catch (...) {
        list_ = nullptr;
        dropped_ = false;
        w->Free();
        throw;
    }
    list_ = nullptr;
    dropped_ = false;
    w->Free();
    // The list closes up before the choice made in it takes effect.
    CloseUp();
    if (picked >= 0) SelectByUser(picked);
    Invalidate();
}

void TCustomComboBox::DrawItem(TCanvas& c, int Index, TRect R, TOwnerDrawState State)
{
    if (IsOwnerDraw() && OnDrawItem) {
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor((State & odSelected) ? clHighlight : Color());
        c.Font()->SetColor((State & odSelected) ? clHighlightText : Font()->Color());
        // The handler draws on the control's canvas: point it at the one being painted.
        TCanvas* saved = drawCanvas_;
        drawCanvas_ = &c;
        try {
            OnDrawItem(this, Index, R, State);
        } catch (...) {
            drawCanvas_ = saved;
            throw;
        }
        drawCanvas_ = saved;
        return;
    }
    std::string text = Index >= 0 && Index < items_->Count() ? items_->Get(Index) : std::string();
    PlainItem(c, text, R, State, Color(), Font()->Color());
}

void TCustomComboBox::DrawListFrame(TCanvas& canvas, const TRect& r)
{
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clWindowFrame);
    canvas.FrameRect(r);
}

void TCustomComboBox::Paint()
{
    TCanvas& c = *Canvas();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(ClientRect());
    SunkenEdge(c, ClientRect());
    if (!edit_) {
        TRect er = EditRect();
        InflateRect(er, -1, -1);
        TOwnerDrawState st = odComboBoxEdit;
        if (Focused() && !dropped_) st |= odSelected | odFocused;
        if (!Enabled()) st |= odDisabled;
        SavedDC dc(c);
        c.IntersectClipRect(er);
        if (itemIndex_ >= 0 || !IsOwnerDraw()) DrawItem(c, itemIndex_, er, st);
        if (st & odFocused) c.DrawFocusRect(er);
    }
    TRect b = ButtonRect();
    if (b.IsEmpty()) return;
    // The drop-down button: raised, pressed while the list is open.
    c.Brush()->SetColor(clBtnFace);
    c.FillRect(b);
    if (dropped_) {
        c.Brush()->SetColor(clBtnShadow);
        c.FrameRect(b);
    } else {
        c.Pen()->SetColor(cl3DLight);
        c.MoveTo(b.Left, b.Bottom - 1);
        c.LineTo(b.Left, b.Top);
        c.LineTo(b.Right - 1, b.Top);
        c.Pen()->SetColor(cl3DDkShadow);
        c.LineTo(b.Right - 1, b.Bottom - 1);
        c.LineTo(b.Left - 1, b.Bottom - 1);
        c.Pen()->SetColor(clBtnShadow);
        c.MoveTo(b.Left + 1, b.Bottom - 2);
        c.LineTo(b.Right - 2, b.Bottom - 2);
        c.LineTo(b.Right - 2, b.Top);
    }
    int d = dropped_ ? 1 : 0;
    int cx = (b.Left + b.Right) / 2 + d, cy = (b.Top + b.Bottom) / 2 - 1 + d;
    c.Pen()->SetColor(Enabled() ? clBtnText : clGrayText);
    for (int k = 0; k < 4; ++k) {
        c.MoveTo(cx - 3 + k, cy - 1 + k);
        c.LineTo(cx + 4 - k, cy - 1 + k);
    }
}

void TCustomComboBox::KeyDown(unsigned short& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    int n = items_->Count();
    if ((Key == VK_DOWN && (Shift & ssAlt)) || Key == VK_F4) {
        SetDroppedDown(true);
        return;
    }
    if (n == 0) return;
    int i = itemIndex_;
    switch (Key) {
    case VK_UP: i = std::max(0, i - 1); break;
    case VK_DOWN: i = std::min(n - 1, i + 1); break;
    case VK_PRIOR: i = std::max(0, i - dropDownCount_ + 1); break;
    case VK_NEXT: i = std::min(n - 1, std::max(0, i) + dropDownCount_ - 1); break;
    case VK_HOME: if (edit_) return; i = 0; break;
    case VK_END: if (edit_) return; i = n - 1; break;
    default: return;
    }
    SelectByUser(i);
}

void TCustomComboBox::KeyPress(char& Key)
{
    TCustomControl::KeyPress(Key);
    if (Key == 0 || edit_ || static_cast<unsigned char>(Key) < ' ') return;
    // A drop-down list completes what was typed within a second to the first matching item.
    std::uint64_t now = CurrentClock().NowMs();
    if (!autoComplete_ || now - typedAt_ > 1000) typed_.clear();
    typedAt_ = now;
    typed_ += Key;
    int n = items_->Count();
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = 0; k < n; ++k) {
            std::string s = items_->Get(k);
            if (s.size() >= typed_.size() && SameText(s.substr(0, typed_.size()), typed_)) {
                SelectByUser(k);
                return;
            }
        }
        // Nothing starts with the whole run: start again from this key.
        typed_ = std::string(1, Key);
    }
}

void TCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (CanFocus() && !Focused() && !(edit_ && edit_->Focused())) SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    // The drop-down list style opens from anywhere, the drop-down style from its button.
    if (PtInRect(ButtonRect(), Point(X, Y)) || (!edit_ && style_ != csSimple)) {
        SetMouseCapture(false);
        SetDroppedDown(true);
    }
}

bool TCustomComboBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    int n = items_->Count();
    if (n == 0) return true;
    SelectByUser(std::clamp(itemIndex_ + (WheelDelta > 0 ? -1 : 1), 0, n - 1));
    return true;
}

void TCustomComboBox::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case CM_FONTCHANGED:
    case CM_BIDIMODECHANGED:
        TCustomControl::WndProc(m);
        PlaceEdit();
        return;
    case CM_TEXTCHANGED:
        Invalidate();
        return;
    }
    TCustomControl::WndProc(m);
}

// --- the open list ----------------------------------------------------------------------
TComboListWindow::TComboListWindow(TComponent* AOwner, TCustomComboBox& combo) : TCustomForm(AOwner), combo_(combo)
{
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetColor(combo.Color());
    SetCaption("ComboList");
}

int TComboListWindow::VisibleCount() const
{
    return std::min(combo_.Items()->Count(), combo_.DropDownCount());
}

void TComboListWindow::Open()
{
    Font()->Assign(*combo_.Font());
    int n = combo_.Items()->Count();
    int h = combo_.ItemHeight() * std::max(1, VisibleCount()) + 2;
    TPoint p = combo_.ClientToScreen(Point(0, combo_.Height()));
    TRect work = Screen->WorkAreaRect();
    // Open above the combo when there is no room below.
    if (p.Y + h > work.Bottom) p.Y = combo_.ClientToScreen(Point(0, 0)).Y - h;
    SetBounds(p.X, p.Y, combo_.Width(), h);
    hot_ = combo_.ItemIndex();
    top_ = std::clamp(hot_ - VisibleCount() + 1, 0, std::max(0, n - VisibleCount()));
    if (hot_ >= 0 && hot_ < top_) top_ = hot_;
    ShowModal();
}

TRect TComboListWindow::ItemRect(int index) const
{
    int h = combo_.ItemHeight();
    int right = ClientWidth() - 1 - (combo_.Items()->Count() > VisibleCount() ? ScrollBarSize : 0);
    int top = 1 + (index - top_) * h;
    return Rect(1, top, right, top + h);
}

void TComboListWindow::SetHot(int index)
{
    int n = combo_.Items()->Count();
    if (n == 0) return;
    index = std::clamp(index, 0, n - 1);
    hot_ = index;
    if (index < top_) top_ = index;
    if (index >= top_ + VisibleCount()) top_ = index - VisibleCount() + 1;
    Invalidate();
}

void TComboListWindow::WndProc(TMessage& m)
{
    int n = combo_.Items()->Count();
    switch (m.Msg) {
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        switch (m.WParam) {
        case VK_UP: SetHot(hot_ - 1); break;
        case VK_DOWN: SetHot(hot_ + 1); break;
        case VK_PRIOR: SetHot(hot_ - VisibleCount() + 1); break;
        case VK_NEXT: SetHot(std::max(0, hot_) + VisibleCount() - 1); break;
        case VK_HOME: SetHot(0); break;
        case VK_END: SetHot(n - 1); break;
        case VK_RETURN:
        case VK_TAB:
        case VK_F4:
            picked_ = hot_;
            SetModalResult(mrOk);
            break;
        case VK_ESCAPE: SetModalResult(mrCancel); break;
        }
        m.Result = 1;
        return;
    case WM_CHAR: {
        auto c = static_cast<unsigned char>(m.WParam);
        if (c <= ' ') return;
        for (int k = 1; k <= n; ++k) {
            int i = (std::max(0, hot_) + k) % n;
            std::string s = combo_.Items()->Get(i);
            if (!s.empty() && std::toupper(static_cast<unsigned char>(s[0])) == std::toupper(c)) {
                SetHot(i);
                break;
            }
        }
        return;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
        TPoint p{LParamX(m.LParam), LParamY(m.LParam)};
        bool inside = PtInRect(ClientRect(), p);
        if (!inside) {
            if (m.Msg == WM_LBUTTONDOWN) SetModalResult(mrCancel);
            return;
        }
        bool overBar = n > VisibleCount() && p.X >= ClientWidth() - 1 - ScrollBarSize;
        if (overBar) {
            if (m.Msg == WM_LBUTTONDOWN) {
                TRect bar = Rect(ClientWidth() - 1 - ScrollBarSize, 1, ClientWidth() - 1, ClientHeight() - 1);
                TScrollState s{0, n - 1, VisibleCount(), top_};
                top_ = ApplyScrollCode(s, ScrollCodeForHit(ScrollBarHitTest(bar, s, p, sbVertical)), 0);
                Invalidate();
            }
            return;
        }
        int h = combo_.ItemHeight();
        int index = top_ + (p.Y - 1) / std::max(1, h);
        if (index >= 0 && index < n && index != hot_) {
            hot_ = index;
            Invalidate();
        }
        if (m.Msg == WM_LBUTTONUP && index >= 0 && index < n) {
            picked_ = index;
            SetModalResult(mrOk);
        }
        return;
    }
    case WM_MOUSEWHEEL: {
        int delta = static_cast<std::int16_t>((m.WParam >> 16) & 0xFFFF);
        top_ = std::clamp(top_ + (delta > 0 ? -1 : 1), 0, std::max(0, n - VisibleCount()));
        Invalidate();
        m.Result = 1;
        return;
    }
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    }
    TCustomForm::WndProc(m);
}

void TComboListWindow::Deactivate()
{
    TCustomForm::Deactivate();
    if (Modal() && ModalResult() == mrNone) SetModalResult(mrCancel);
}

void TComboListWindow::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(combo_.Color());
    c.FillRect(r);
    combo_.DrawListFrame(c, r);
    int n = combo_.Items()->Count();
    for (int i = top_; i < n && i < top_ + VisibleCount(); ++i) {
        SavedDC dc(c);
        TRect ir = ItemRect(i);
        c.IntersectClipRect(ir);
        c.SetFont(*combo_.Font());
        combo_.DrawItem(c, i, ir, i == hot_ ? (odSelected | odFocused) : 0);
    }
    if (n > VisibleCount())
        DrawScrollBar(c, Rect(r.Right - 1 - ScrollBarSize, 1, r.Right - 1, r.Bottom - 1),
                      TScrollState{0, n - 1, VisibleCount(), top_}, sbVertical);
}

#include "skin/kivpagecontrol.h"

#include "skin/kivpublic.h"

#include "gfx/canvas.h"
#include "vcl/forms.h"
#include "vcl/messages.h"

#include <algorithm>
#include <string>

// ---------------------------------------------------------------------------
TkivTabSheet::TkivTabSheet(TComponent* AOwner) : TCustomPanel(AOwner)
{
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetBorderWidth(0);
    SetAlign(alClient);
}

TkivTabSheet::~TkivTabSheet()
{
    if (pageControl_) pageControl_->RemoveSheet(this);
}

void TkivTabSheet::SetPageControl(TkivPageControl* value)
{
    if (value == pageControl_) return;
    SetParent(value); // the control-list change adds it to the control, or takes it off
}

int TkivTabSheet::PageIndex() const
{
    if (!pageControl_) return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TkivTabSheet::SetPageIndex(int value)
{
    if (pageControl_) pageControl_->MovePage(this, value);
}

void TkivTabSheet::SetTabVisible(bool value)
{
    if (value == tabVisible_) return;
    tabVisible_ = value;
    if (pageControl_) pageControl_->SheetTabVisibleChanged(this);
}

void TkivTabSheet::SetBorderColor(TColor value)
{
    borderColor_ = value;
    Invalidate();
}

void TkivTabSheet::Paint()
{
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
}

void TkivTabSheet::WndProc(TMessage& m)
{
    TCustomPanel::WndProc(m);
    if (m.Msg == CM_TEXTCHANGED && pageControl_) pageControl_->RewriteTabs();
}

// ---------------------------------------------------------------------------
TkivPageControlTopPanel::TkivPageControlTopPanel(TComponent* AOwner, TkivTab* tab)
    : TkivTabControlTopPanel(AOwner, tab)
{
    Tabs()->Clear(); // each page adds its own tab
}

// ---------------------------------------------------------------------------
TkivPageControl::TkivPageControl(TComponent* AOwner)
    : TkivTab(AOwner), pageNames_(std::make_unique<TStringList>())
{
    InitStrip();
}

TkivPageControl::~TkivPageControl()
{
    // The sheets go with the control as its children, after it is no longer a page control.
    for (TkivTabSheet* p : pages_) p->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

TkivTabControlTopPanel* TkivPageControl::CreateTopPanel() { return new TkivPageControlTopPanel(this, this); }

TkivTabSheet* TkivPageControl::GetPage(int index) const
{
    return index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

int TkivPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : 0; }

void TkivPageControl::SetActivePageIndex(int value)
{
    if (value >= 0 && value < PageCount()) ActivatePage(value);
}

void TkivPageControl::HideSheet(TkivTabSheet* sheet)
{
    if (!sheet->Visible()) return;
    sheet->SetVisible(false);
    if (sheet->OnHide) sheet->OnHide(sheet);
}

void TkivPageControl::ShowSheet(TkivTabSheet* sheet)
{
    const bool wasShown = sheet == activePage_ && sheet->Visible();
    activePage_ = sheet;
    sheet->SetVisible(true);
    sheet->SetEnabled(true);
    sheet->BringToFront();
    sheet->Invalidate();
    if (!wasShown && sheet->OnShow) sheet->OnShow(sheet);
}

void TkivPageControl::ActivatePage(int index)
{
    if (index < 0 || index >= TopPanel()->TabCount() || index >= PageCount()) return;
    if (activePage_ && activePage_->PageIndex() != index) HideSheet(activePage_);
    SetTabIndex(index); // a change shows the page through TabActive
    ShowSheet(pages_[static_cast<std::size_t>(index)]);
}

void TkivPageControl::ActivatePage(TkivTabSheet* sheet)
{
    if (sheet && sheet->pageControl_ == this) {
        ActivatePage(sheet->PageIndex());
    } else if (!sheet && activePage_) {
        HideSheet(activePage_);
        activePage_ = nullptr;
    }
}

void TkivPageControl::TabActive(int index)
{
    TkivTabSheet* page = GetPage(index);
    if (activePage_ && activePage_ != page) HideSheet(activePage_);
    if (page) {
        ShowSheet(page);
        if (!Loading() && page->ControlCount() > 0) {
            auto* first = dynamic_cast<TWinControl*>(page->Controls(0));
            if (first && first->Visible() && first->CanFocus())
                if (TCustomForm* form = ParentForm()) form->SetActiveControl(first);
        }
    }
    TkivTab::TabActive(index);
}

void TkivPageControl::MovePage(TkivTabSheet* sheet, int& index)
{
    if (!sheet || sheet->pageControl_ != this) return;
    if (index < 0 || index >= PageCount()) {
        index = sheet->PageIndex();
        return;
    }
    pages_.erase(std::find(pages_.begin(), pages_.end(), sheet));
    pages_.insert(pages_.begin() + index, sheet);
    RewriteTabs();
    ActivatePage(sheet);
}

void TkivPageControl::SelectNextPage(bool forward)
{
    const int count = PageCount();
    if (count == 0) return;
    const int start = activePage_ ? activePage_->PageIndex() : (forward ? -1 : count);
    const int step = forward ? 1 : -1;
    for (int k = 1; k <= count; ++k) {
        const int i = ((start + k * step) % count + count) % count;
        TkivTabSheet* page = pages_[static_cast<std::size_t>(i)];
        if (!page->TabVisible()) continue;
        if (page != activePage_) ActivatePage(i);
        return;
    }
}

TkivTabSheet* TkivPageControl::NewPage()
{
    TComponent* owner = Owner();
    auto* sheet = new TkivTabSheet(owner);
    if (owner && (owner->ComponentState() & csDesigning)) {
        // The next free number from the page count on.
        for (int n = PageCount() + 1;; ++n) {
            const std::string name = "kivTabSheet" + std::to_string(n);
            if (!owner->FindComponent(name)) {
                sheet->SetName(name);
                break;
            }
        }
    }
    sheet->SetCaption(sheet->Name());
    sheet->SetAlign(alClient);
    sheet->SetPageControl(this);
    return sheet;
}

void TkivPageControl::ShowControl(TControl* AControl)
{
    TkivTab::ShowControl(AControl);
    if (auto* sheet = dynamic_cast<TkivTabSheet*>(AControl); sheet && sheet->pageControl_ == this) ActivatePage(sheet);
}

void TkivPageControl::InsertSheet(TkivTabSheet* sheet)
{
    sheet->pageControl_ = this;
    sheet->SetColor(Color());
    sheet->SetBorderColor(BorderColor());
    // Only the page under the selected tab shows; the others wait behind it hidden.
    if (PageCount() != TabIndex() || activePage_) sheet->SetVisible(false);
    TopPanel()->InsertTab(PageCount(), sheet->Caption(), sheet->TabVisible());
    pages_.push_back(sheet);
}

void TkivPageControl::RemoveSheet(TkivTabSheet* sheet)
{
    auto it = std::find(pages_.begin(), pages_.end(), sheet);
    if (it == pages_.end()) return;
    const int index = static_cast<int>(it - pages_.begin());
    pages_.erase(it);
    sheet->pageControl_ = nullptr;
    if (sheet == activePage_) activePage_ = nullptr;
    TopPanel()->DeleteTab(index);
}

void TkivPageControl::RewriteTabs()
{
    TkivTabControlTopPanel* strip = TopPanel();
    strip->Tabs()->BeginUpdate();
    strip->Tabs()->Clear();
    for (TkivTabSheet* p : pages_) strip->Tabs()->Add(p->Caption());
    strip->Tabs()->EndUpdate();
    for (int i = 0; i < PageCount(); ++i) strip->SetTabVisible(i, pages_[static_cast<std::size_t>(i)]->TabVisible());
}

void TkivPageControl::SheetTabVisibleChanged(TkivTabSheet* sheet)
{
    const int index = sheet->PageIndex();
    TopPanel()->SetTabVisible(index, sheet->TabVisible());
    if (sheet->TabVisible() || sheet != activePage_) return;
    for (int i = index - 1; i >= 0; --i)
        if (pages_[static_cast<std::size_t>(i)]->TabVisible()) return ActivatePage(i);
    for (int i = index + 1; i < PageCount(); ++i)
        if (pages_[static_cast<std::size_t>(i)]->TabVisible()) return ActivatePage(i);
}

void TkivPageControl::BorderColorChanged()
{
    for (TkivTabSheet* p : pages_) p->SetBorderColor(BorderColor());
    if (activePage_) activePage_->Invalidate();
}

void TkivPageControl::UpdateUIStyle(TkivUIStyle style, TkivFileTheme* fileTheme)
{
    for (TkivTabSheet* p : pages_) {
        ContainerApplyUIStyle(p, style, fileTheme);
        p->SetColor(Color());
        p->SetBorderColor(BorderColor());
        p->SetAlign(alClient);
    }
}

void TkivPageControl::Loaded()
{
    TkivTab::Loaded();
    const int count = PageCount();
    if (count == 0 || pageNames_->Count() != count) return;
    std::vector<std::pair<int, TkivTabSheet*>> order;
    for (TkivTabSheet* p : pages_) {
        const int position = pageNames_->IndexOf(p->Name());
        if (position < 0) return; // a list that does not name every page says nothing
        order.emplace_back(position, p);
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (int i = 0; i < count; ++i) pages_[static_cast<std::size_t>(i)] = order[static_cast<std::size_t>(i)].second;
    RewriteTabs();
}

void TkivPageControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_CONTROLLISTCHANGE: {
        auto* c = reinterpret_cast<TControl*>(m.WParam);
        if (m.LParam) {
            if (auto* sheet = dynamic_cast<TkivTabSheet*>(c)) InsertSheet(sheet);
        } else {
            // Found by identity: the control may be part-way through its destruction.
            for (TkivTabSheet* p : pages_)
                if (static_cast<TControl*>(p) == c) {
                    RemoveSheet(p);
                    break;
                }
        }
        break;
    }
    case CM_COLORCHANGED:
        if (!Loading())
            for (TkivTabSheet* p : pages_) p->SetColor(Color());
        break;
    default:
        break;
    }
    TkivTab::WndProc(m);
}

// ---------------------------------------------------------------------------
TkivTabSheet* PageControl_InsertPage(TkivPageControl* control) { return control ? control->NewPage() : nullptr; }

void PageControl_RemovePage(TkivPageControl* control)
{
    if (!control || !control->ActivePage()) return;
    TkivTabSheet* sheet = control->ActivePage();
    sheet->SetParent(nullptr);
    sheet->Free();
}

bool PageControl_CanRemove(const TkivPageControl* control) { return control && control->TopPanel()->TabCount() > 0; }

TkivTabSheet* TabSheet_InsertPage(TkivTabSheet* sheet)
{
    return sheet ? PageControl_InsertPage(sheet->PageControl()) : nullptr;
}

void TabSheet_RemovePage(TkivTabSheet* sheet)
{
    if (!sheet) return;
    sheet->SetParent(nullptr);
    sheet->Free();
}

bool TabSheet_CanRemove(const TkivTabSheet* sheet) { return sheet && PageControl_CanRemove(sheet->PageControl()); }

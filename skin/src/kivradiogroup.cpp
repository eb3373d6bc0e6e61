#include "skin/kivradiogroup.h"

#include "rtl/sysutils.h"
#include "vcl/messages.h"

#include <string>

// ---------------------------------------------------------------------------
TkivCheckGroupButton::TkivCheckGroupButton(TComponent* AOwner, TkivCheckGroup* group)
    : TkivCheckBox(AOwner), group_(group)
{
}

bool TkivCheckGroupButton::NeedDrawFocus() { return Focused(); }

TkivRadioGroupButton::TkivRadioGroupButton(TComponent* AOwner, TkivRadioGroup* group)
    : TkivRadioButton(AOwner), group_(group)
{
}

bool TkivRadioGroupButton::NeedDrawFocus() { return (Focused() || group_->Focused()) && Checked(); }

void TkivRadioGroupButton::DoClick()
{
    if (group_->CanModify()) TkivRadioButton::DoClick();
}

void TkivRadioGroupButton::KeyPress(char& Key)
{
    TkivRadioButton::KeyPress(Key);
    if (Key) group_->ButtonKeyPress(Key);
}

void TkivRadioGroupButton::DoExit()
{
    if (group_->ButtonExit(*this)) TkivRadioButton::DoExit();
}

// ---------------------------------------------------------------------------
TkivCheckGroup::TkivCheckGroup(TComponent* AOwner)
    : TkivCustomGroupBox(AOwner), items_(std::make_unique<TStringList>())
{
    SetTransparent(false);
    SetParentColor(true);
    SetTabStop(true);
    items_->OnChange = [this](TObject*) { ItemChanged(); };
}

TkivCheckGroup::~TkivCheckGroup() { items_->OnChange = nullptr; }

TkivCheckBox* TkivCheckGroup::CreateAButton() { return new TkivCheckGroupButton(this, this); }

TkivCheckBox* TkivCheckGroup::Buttons(int index) const
{
    return index >= 0 && index < ButtonCount() ? buttons_[static_cast<std::size_t>(index)] : nullptr;
}

void TkivCheckGroup::SetColumns(int value)
{
    if (value < 1) return; // the arrangement divides by it
    columns_ = value;
    ArrangeButtons();
}

void TkivCheckGroup::SetTopMargin(int value)
{
    if (value < 0) return;
    topMargin_ = value;
    ArrangeButtons();
}

void TkivCheckGroup::SetTransparent(bool value)
{
    TkivCustomGroupBox::SetTransparent(value);
    for (TkivCheckBox* b : buttons_) b->SetTransparent(value);
}

bool TkivCheckGroup::GetChecked(int index) const
{
    const TkivCheckBox* b = Buttons(index);
    return b && b->Checked();
}

void TkivCheckGroup::SetChecked(int index, bool value)
{
    TkivCheckBox* b = Buttons(index);
    if (!b) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    b->SetChecked(value);
}

bool TkivCheckGroup::GetItemEnabled(int index) const
{
    const TkivCheckBox* b = Buttons(index);
    return b && b->Enabled();
}

void TkivCheckGroup::SetItemEnabled(int index, bool value)
{
    TkivCheckBox* b = Buttons(index);
    if (!b) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    b->SetEnabled(value);
}

void TkivCheckGroup::DoClick()
{
    NewClick();
    if (!Loading() && OnClick) OnClick(this);
}

void TkivCheckGroup::Click() { DoClick(); }

void TkivCheckGroup::FocusUpdate()
{
    if (buttons_.empty()) return;
    if (TkivCheckBox* first = buttons_.front(); first->CanFocus()) first->SetFocus();
}

void TkivCheckGroup::UpdateUIStyle(TkivUIStyle style, TkivFileTheme* fileTheme)
{
    TkivCustomGroupBox::UpdateUIStyle(style, fileTheme);
    for (TkivCheckBox* b : buttons_) {
        b->SetFileTheme(fileTheme);
        b->SetUIStyle(style);
        b->SetColor(Color());
    }
    SizeAndArrangeButtons(); // the style's pictures may differ in size
}

void TkivCheckGroup::SizeAndArrangeButtons()
{
    for (TkivCheckBox* b : buttons_) b->ApplyAutoSize();
    ArrangeButtons();
}

void TkivCheckGroup::UpdateButtons()
{
    const std::size_t count = static_cast<std::size_t>(items_->Count());
    bool created = false;
    while (buttons_.size() < count) {
        TkivCheckBox* b = CreateAButton();
        b->SetParent(this);
        b->SetFont(*Font());
        b->SetAutoSize(true);
        b->SetFileTheme(FileTheme());
        b->SetUIStyle(UIStyle());
        b->SetTransparent(Transparent());
        b->SetParentColor(true);
        b->SetTabStop(false);
        b->OnClick = [this](TObject*) { DoClick(); };
        b->SetCursor(Cursor());
        buttons_.push_back(b);
        created = true;
    }
    while (buttons_.size() > count) {
        TkivCheckBox* b = buttons_.back();
        buttons_.pop_back();
        b->Free();
    }
    for (std::size_t i = 0; i < count; ++i) {
        buttons_[i]->SetCaption(items_->Get(static_cast<int>(i)));
        buttons_[i]->SetAutoSize(true);
    }
    SizeAndArrangeButtons(); // sized before painting: a right-to-left layout needs the widths
    if (created) SetTransparent(Transparent()); // every child repaints over the new layout
}

TRect TkivCheckGroup::GetClient() const
{
    const TRect r = ClientRect();
    return Rect(r.Left + 3, r.Top + FontHeight(), r.Right - 2, r.Bottom - 2);
}

void TkivCheckGroup::ArrangeButtons()
{
    if (buttons_.empty()) return;
    TRect r = GetClient();
    r.Top += topMargin_;
    const int h = r.Bottom - r.Top;
    const int count = ButtonCount();
    const int rows = (count + columns_ - 1) / columns_;
    const int columnWidth = (Width() - 10) / columns_;
    const int rowHeight = h / rows;
    const int firstTop = (h % rows) / 2 + r.Top;
    const bool mirrored = UseRightToLeftReading(); // columns from the right
    for (int i = 0; i < count; ++i) {
        TkivCheckBox* b = buttons_[static_cast<std::size_t>(i)];
        const int column = i / rows, row = i % rows;
        const int x = mirrored ? Width() - column * columnWidth - 8 - b->Width() : column * columnWidth + 8;
        b->SetBounds(x, row * rowHeight + firstTop, b->Width(), b->Height());
    }
}

void TkivCheckGroup::WndProc(TMessage& m)
{
    TkivCustomGroupBox::WndProc(m);
    switch (m.Msg) {
    case WM_SETFOCUS:
        FocusUpdate();
        break;
    case CM_FONTCHANGED:
        for (TkivCheckBox* b : buttons_) b->SetFont(*Font());
        SizeAndArrangeButtons();
        break;
    case CM_CURSORCHANGED:
        for (TkivCheckBox* b : buttons_) b->SetCursor(Cursor());
        break;
    case CM_BIDIMODECHANGED:
    case WM_SIZE: // also while the form loads, when Resize stays quiet
        ArrangeButtons();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
TkivRadioGroup::TkivRadioGroup(TComponent* AOwner) : TkivCheckGroup(AOwner) {}

TkivCheckBox* TkivRadioGroup::CreateAButton() { return new TkivRadioGroupButton(this, this); }

int TkivRadioGroup::ItemIndex() const
{
    for (int i = 0; i < ButtonCount(); ++i)
        if (Buttons(i)->Checked()) return i;
    return -1;
}

void TkivRadioGroup::SetItemIndex(int value)
{
    if (value == -1) {
        for (int i = 0; i < ButtonCount(); ++i) Buttons(i)->SetChecked(false);
    } else if (value >= 0 && value < Items()->Count()) {
        // Checking one unchecks its siblings and fires the group's OnClick.
        Buttons(value)->SetChecked(true);
    }
}

void TkivRadioGroup::FocusUpdate()
{
    const int index = ItemIndex();
    if (index >= 0 && index < Items()->Count())
        if (TkivCheckBox* b = Buttons(index); b->CanFocus()) b->SetFocus();
}

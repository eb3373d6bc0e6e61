#include "skin/kivdbctrls.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "vcl/messages.h"

namespace {

// The ";"-separated entries of a value list.
std::vector<std::string> Entries(const std::string& list)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = list.find(';', start);
        entries.push_back(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return entries;
        start = end + 1;
    }
}

// Escape drops the control's change; Backspace and printable keys ask for
// edit mode and are swallowed when refused.
void DataKeyPress(TFieldDataLink& link, char& Key)
{
    const auto c = static_cast<unsigned char>(Key);
    if (c == 27) {
        link.Reset();
        Key = 0;
    } else if ((c == 8 || c >= 32) && !link.Edit()) {
        Key = 0;
    }
}

} // namespace

// --- grid ---------------------------------------------------------------------------
void TkivDBGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState)
{
    // Titles and the record indicator in the title colour.
    if (DefaultDrawing() && (AState & gdFixed)) Canvas()->Font()->SetColor(TitleFontColor());
    TkivGridOf::DrawCell(ACol, ARow, ARect, AState);
}

// --- check box ----------------------------------------------------------------------
void TkivDBCheckBox::SetValueChecked(const std::string& value)
{
    valueChecked_ = value;
    DataLink()->Reset();
}

void TkivDBCheckBox::SetValueUnchecked(const std::string& value)
{
    valueUnchecked_ = value;
    DataLink()->Reset();
}

bool TkivDBCheckBox::FieldState() const
{
    const TField* field = Field();
    if (!field || field->IsNull()) return false;
    if (field->DataType() == ftBoolean) return field->AsBoolean();
    const std::string text = field->Text();
    for (const std::string& entry : Entries(valueChecked_))
        if (SameText(entry, text)) return true;
    return false;
}

void TkivDBCheckBox::DataChange() { SetChecked(FieldState()); }

void TkivDBCheckBox::UpdateData()
{
    TField* field = Field();
    if (field->DataType() == ftBoolean) field->SetAsBoolean(Checked());
    else field->SetText(Entries(Checked() ? valueChecked_ : valueUnchecked_).front());
}

void TkivDBCheckBox::DoClick()
{
    if (!DataLink()->Edit()) return;
    TkivCheckBox::DoClick();
    DataLink()->Modified();
}

void TkivDBCheckBox::KeyPress(char& Key)
{
    TkivCheckBox::KeyPress(Key);
    DataKeyPress(*DataLink(), Key);
}

void TkivDBCheckBox::DoExit()
{
    if (UpdateRecordOnExit(*this, *DataLink())) TkivCheckBox::DoExit();
}

// --- radio group --------------------------------------------------------------------
TkivDBRadioGroup::TkivDBRadioGroup(TComponent* AOwner)
    : TDBFieldControl(AOwner), values_(std::make_unique<TStringList>())
{
    values_->OnChange = [this](TObject*) { DataLink()->Reset(); };
}

TkivDBRadioGroup::~TkivDBRadioGroup() { values_->OnChange = nullptr; }

void TkivDBRadioGroup::ItemChanged()
{
    // New buttons show the field's value again.
    TkivRadioGroup::ItemChanged();
    DataLink()->Reset();
}

std::string TkivDBRadioGroup::ButtonValue(int index) const
{
    if (index >= 0 && index < values_->Count() && !values_->Get(index).empty()) return values_->Get(index);
    if (index >= 0 && index < Items()->Count()) return Items()->Get(index);
    return {};
}

std::string TkivDBRadioGroup::Value() const { return ButtonValue(ItemIndex()); }

void TkivDBRadioGroup::DataChange()
{
    const TField* field = Field();
    int selected = -1;
    if (field && !field->IsNull()) {
        const std::string text = field->Text();
        for (int i = 0; i < ButtonCount() && selected < 0; ++i)
            if (ButtonValue(i) == text) selected = i;
    }
    SetItemIndex(selected);
}

void TkivDBRadioGroup::UpdateData()
{
    if (TField* field = Field()) field->SetText(Value());
}

bool TkivDBRadioGroup::CanModify() const
{
    // Asking for edit mode changes the dataset, not the group.
    return const_cast<TkivDBRadioGroup*>(this)->DataLink()->Edit();
}

void TkivDBRadioGroup::NewClick()
{
    // The choice reaches the field at the post or as the group is left;
    // Escape before then brings the field's value back.
    if (!showingData_ && DataLink()->Editing()) DataLink()->Modified();
}

void TkivDBRadioGroup::ButtonKeyPress(char& Key) { DataKeyPress(*DataLink(), Key); }

bool TkivDBRadioGroup::ButtonExit(TkivCheckBox& button) { return UpdateRecordOnExit(button, *DataLink()); }

void TkivDBRadioGroup::KeyPress(char& Key)
{
    TkivRadioGroup::KeyPress(Key);
    ButtonKeyPress(Key);
}

void TkivDBRadioGroup::DoExit()
{
    if (UpdateRecordOnExit(*this, *DataLink())) TkivRadioGroup::DoExit();
}

#include "vcl/dbctrls.h"

#include <algorithm>

// --- the list's texts and keys --------------------------------------------------
void TDBLookupList::SetKeyField(const std::string& value)
{
    keyField_ = value;
    Read();
}

void TDBLookupList::SetListField(const std::string& value)
{
    listField_ = value;
    Read();
}

void TDBLookupList::Read()
{
    texts_.clear();
    keys_.clear();
    TDataSet* ds = DataSet();
    TField* key = Active() && ds ? ds->FindField(keyField_) : nullptr;
    TField* text = Active() && ds ? ds->FindField(listField_.empty() ? keyField_ : listField_) : nullptr;
    if (key && text) {
        // The window holds every record: each is read where it stands, the cursor stays.
        SetBufferCount(ds->RecordCount());
        const int current = ActiveRecord();
        for (int i = 0; i < RecordCount(); ++i) {
            SetActiveRecord(i);
            texts_.push_back(text->DisplayText());
            keys_.push_back(key->Text());
        }
        SetActiveRecord(current);
    }
    if (changed_) changed_();
}

int TDBLookupList::IndexOfKey(const std::string& key) const
{
    const auto it = std::find(keys_.begin(), keys_.end(), key);
    return it == keys_.end() ? -1 : static_cast<int>(it - keys_.begin());
}

std::string TDBLookupList::KeyAt(int index) const
{
    return index >= 0 && index < static_cast<int>(keys_.size()) ? keys_[static_cast<std::size_t>(index)] : std::string();
}

// --- the lookup controls --------------------------------------------------------
template <class Base>
TDBLookupControl<Base>::TDBLookupControl(TComponent* AOwner)
    : TDBChoiceControl<Base>(AOwner), list_([this] { ListChanged(); })
{
}

template <class Base>
void TDBLookupControl<Base>::ListChanged()
{
    this->ShowingData([this] {
        {
            TStringsUpdate update(*this->Items());
            this->Items()->Clear();
            for (const std::string& text : list_.Texts()) this->Items()->Add(text);
        }
        DataChange();
    });
}

template <class Base>
void TDBLookupControl<Base>::DataChange()
{
    TField* field = this->Field();
    this->SetItemIndex(field && !field->IsNull() ? list_.IndexOfKey(field->Text()) : -1);
}

template <class Base>
void TDBLookupControl<Base>::UpdateData()
{
    const std::string key = list_.KeyAt(this->ItemIndex());
    if (key.empty() && this->ItemIndex() < 0) this->Field()->Clear();
    else this->Field()->SetText(key);
}

template class TDBLookupControl<TCustomListBox>;
template class TDBLookupControl<TCustomComboBox>;

void TDBLookupListBox::Click()
{
    UserChose();
    TDBLookupControl::Click();
}

TDBLookupComboBox::TDBLookupComboBox(TComponent* AOwner) : TDBLookupControl(AOwner) { SetStyle(csDropDownList); }

void TDBLookupComboBox::Change()
{
    UserChose();
    TDBLookupControl::Change();
}

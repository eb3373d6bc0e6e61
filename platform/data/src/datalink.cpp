#include "data/datasource.h"

#include <algorithm>

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
    if (source_) source_->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* value)
{
    if (value == source_) return;
    if (source_) source_->RemoveLink(this);
    source_ = value;
    if (value) value->AddLink(this);
    UpdateState();
}

void TDataLink::SetReadOnly(bool value)
{
    if (value == readOnly_) return;
    readOnly_ = value;
    UpdateEditing();
}

bool TDataLink::Edit()
{
    if (!readOnly_ && source_) source_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord()
{
    // The dataset's own request to write back comes here too: it must not run twice.
    if (updating_) return;
    TFlagScope scope(updating_);
    UpdateData();
}

void TDataLink::UpdateState()
{
    const bool active = source_ && source_->State() != dsInactive;
    if (active != active_) {
        active_ = active;
        first_ = 0;
        if (active) UpdateWindow();
        ActiveChanged();
    }
    UpdateEditing();
}

void TDataLink::UpdateEditing()
{
    const TDataSetState state = active_ ? source_->State() : dsInactive;
    const bool editing = (state == dsEdit || state == dsInsert) && !readOnly_ && EditingAllowed();
    if (editing == editing_) return;
    editing_ = editing;
    EditingChanged();
}

void TDataLink::SetBufferCount(int value)
{
    bufferCount_ = std::max(1, value);
    if (active_) UpdateWindow();
}

int TDataLink::UpdateWindow()
{
    const TDataSet* ds = DataSet();
    if (!active_ || !ds) return 0;
    const int old = first_, cursor = ds->CurrentIndex(), n = ds->RecordCount();
    if (cursor < first_) first_ = cursor;
    else if (cursor >= first_ + bufferCount_) first_ = cursor - bufferCount_ + 1;
    // A window that could be full is kept full (after deleting near the end).
    first_ = std::max(0, std::min(first_, n - bufferCount_));
    return first_ - old;
}

int TDataLink::ActiveRecord() const
{
    const TDataSet* ds = DataSet();
    return active_ && ds ? ds->CurrentIndex() - first_ : 0;
}

void TDataLink::SetActiveRecord(int value)
{
    if (TDataSet* ds = DataSet(); active_ && ds) ds->SetDisplayRecord(first_ + std::clamp(value, 0, bufferCount_ - 1));
}

int TDataLink::RecordCount() const
{
    const TDataSet* ds = DataSet();
    return active_ && ds ? std::clamp(ds->RecordCount() - first_, 0, bufferCount_) : 0;
}

void TDataLink::DataSetScrolled(int) { DataSetChanged(); }

void TDataLink::DataEvent(TDataEvent event, TField* field)
{
    if (!active_) return;
    switch (event) {
    case deFieldChange:
        RecordChanged(field);
        break;
    case deDataSetChange:
        UpdateWindow();
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(UpdateWindow());
        break;
    case deLayoutChange:
        UpdateWindow();
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
void TFieldDataLink::SetFieldName(const std::string& value)
{
    if (value == fieldName_) return;
    fieldName_ = value;
    BindField();
    UpdateEditing();
    RecordChanged(nullptr);
}

void TFieldDataLink::BindField()
{
    // A name the dataset does not know leaves the control unbound and empty.
    TDataSet* ds = DataSet();
    field_ = Active() && ds && !fieldName_.empty() ? ds->FindField(fieldName_) : nullptr;
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && field_ && field_->CanModify(); }

bool TFieldDataLink::Edit()
{
    if (CanModify()) TDataLink::Edit();
    return Editing();
}

void TFieldDataLink::ActiveChanged()
{
    BindField();
    if (OnActiveChange) OnActiveChange(this);
    RecordChanged(nullptr);
}

void TFieldDataLink::EditingChanged()
{
    if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLink::LayoutChanged()
{
    BindField();
    UpdateEditing();
    RecordChanged(nullptr);
}

void TFieldDataLink::RecordChanged(TField* field)
{
    if (field && field != field_) return;
    modified_ = false;
    if (OnDataChange) OnDataChange(this);
}

void TFieldDataLink::UpdateData()
{
    if (!modified_) return;
    if (field_ && OnUpdateData) OnUpdateData(this);
    modified_ = false;
}

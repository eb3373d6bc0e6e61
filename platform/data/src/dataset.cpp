#include "data/datasource.h"
#include "data/db.h"

#include <algorithm>

namespace {

const TFieldValue kNull{};

} // namespace

TDataSet::TDataSet() = default;

TDataSet::~TDataSet()
{
    // The subclass has closed already; its sources only learn that the set is gone.
    state_ = dsInactive;
    for (TDataSource* source : std::vector<TDataSource*>(sources_)) {
        source->dataSet_ = nullptr;
        source->StateMayHaveChanged();
    }
}

void TDataSet::CloseDataSet() { SetActive(false); }

// --- fields ------------------------------------------------------------------
void TDataSet::AddFieldDef(const std::string& name, TFieldType type, int size)
{
    if (Active()) throw EDatabaseError("Cannot perform this operation on an open dataset");
    if (std::any_of(fieldDefs_.begin(), fieldDefs_.end(), [&](const TFieldDef& d) { return SameText(d.Name, name); }))
        throw EDatabaseError(Format("Duplicate field name '%s'", name));
    fieldDefs_.push_back({name, type, size});
    fieldsStale_ = true;
}

void TDataSet::ClearFieldDefs()
{
    if (Active()) throw EDatabaseError("Cannot perform this operation on an open dataset");
    fieldDefs_.clear();
    fieldsStale_ = true;
}

TField* TDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount()) throw EListError(Format("List index out of bounds (%d)", index));
    return fields_[static_cast<std::size_t>(index)].get();
}

TField* TDataSet::FindField(const std::string& name) const
{
    for (const auto& f : fields_)
        if (SameText(f->FieldName(), name)) return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const std::string& name) const
{
    if (TField* f = FindField(name)) return f;
    throw EDatabaseError(Format("Field '%s' not found", name));
}

void TDataSet::CreateFields()
{
    if (!fieldsStale_) return;
    fields_.clear();
    for (const TFieldDef& d : fieldDefs_)
        fields_.push_back(std::make_unique<TField>(*this, d.Name, d.DataType, d.Size, static_cast<int>(fields_.size())));
    fieldsStale_ = false;
}

// --- checks --------------------------------------------------------------------
void TDataSet::CheckActive() const
{
    if (!Active()) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckCanModify() const
{
    if (!CanModify()) throw EDatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::CheckEditing() const
{
    if (!Editing()) throw EDatabaseError("Dataset not in edit or insert mode");
}

// --- opening -------------------------------------------------------------------
void TDataSet::SetActive(bool value)
{
    if (value == Active()) return;
    if (value) {
        InternalOpen();
        CreateFields();
        state_ = dsBrowse;
        cursor_ = 0;
        bof_ = true;
        eof_ = IsEmpty();
    } else {
        InternalClose();
        state_ = dsInactive;
        buffer_.clear();
        insertAt_ = -1;
        modified_ = false;
        cursor_ = 0;
        bof_ = eof_ = true;
    }
    display_ = -1;
    DataEvent(deUpdateState);
}

// --- cursor --------------------------------------------------------------------
int TDataSet::RecordCount() const
{
    if (!Active()) return 0;
    return InternalRecordCount() + (insertAt_ >= 0 ? 1 : 0);
}

int TDataSet::RecNo() const { return Active() && !IsEmpty() ? cursor_ + 1 : 0; }

void TDataSet::SetRecNo(int value)
{
    CheckBrowseMode();
    MoveBy(std::clamp(value, 1, std::max(1, RecordCount())) - RecNo());
}

void TDataSet::First()
{
    CheckBrowseMode();
    cursor_ = 0;
    bof_ = true;
    eof_ = IsEmpty();
    display_ = -1;
    DataEvent(deDataSetScroll);
}

void TDataSet::Last()
{
    CheckBrowseMode();
    cursor_ = std::max(0, RecordCount() - 1);
    eof_ = true;
    bof_ = IsEmpty();
    display_ = -1;
    DataEvent(deDataSetScroll);
}

int TDataSet::MoveBy(int distance)
{
    CheckBrowseMode();
    const int n = RecordCount();
    const bool bof = bof_, eof = eof_;
    int moved = 0;
    if (n == 0) {
        bof_ = eof_ = true;
    } else if (distance > 0) {
        const int target = std::min(cursor_ + distance, n - 1);
        moved = target - cursor_;
        if (moved) bof_ = false;
        eof_ = moved < distance;
    } else if (distance < 0) {
        const int target = std::max(cursor_ + distance, 0);
        moved = target - cursor_;
        if (moved) eof_ = false;
        bof_ = moved > distance;
    }
    cursor_ += moved;
    display_ = -1;
    if (moved || bof != bof_ || eof != eof_) DataEvent(deDataSetScroll);
    return moved;
}

// --- changes -------------------------------------------------------------------
void TDataSet::Edit()
{
    CheckActive();
    if (Editing()) return;
    if (IsEmpty()) {
        Append();
        return;
    }
    CheckCanModify();
    buffer_.clear();
    for (int f = 0; f < FieldCount(); ++f) buffer_.push_back(InternalValue(cursor_, f));
    state_ = dsEdit;
    modified_ = false;
    display_ = -1;
    DataEvent(deUpdateState);
}

void TDataSet::StartInsert(int position)
{
    beforeInsert_ = cursor_;
    buffer_.assign(static_cast<std::size_t>(FieldCount()), TFieldValue{});
    insertAt_ = position;
    cursor_ = position;
    state_ = dsInsert;
    modified_ = false;
    bof_ = eof_ = false;
    display_ = -1;
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
}

void TDataSet::Insert()
{
    CheckBrowseMode();
    CheckCanModify();
    StartInsert(IsEmpty() ? 0 : cursor_);
}

void TDataSet::Append()
{
    CheckBrowseMode();
    CheckCanModify();
    StartInsert(InternalRecordCount());
}

void TDataSet::UpdateRecord()
{
    CheckEditing();
    DataEvent(deUpdateRecord);
}

void TDataSet::EndEdit()
{
    state_ = dsBrowse;
    buffer_.clear();
    insertAt_ = -1;
    modified_ = false;
    display_ = -1;
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
}

void TDataSet::Post()
{
    CheckActive();
    UpdateRecord();
    StoreEdit();
}

void TDataSet::StoreEdit()
{
    // A failing store leaves the edit as it was.
    if (state_ == dsInsert) InternalPost(insertAt_, buffer_, true);
    else InternalPost(cursor_, buffer_, false);
    EndEdit();
}

void TDataSet::Cancel()
{
    if (!Editing()) return;
    DataEvent(deCheckBrowseMode);
    DropEdit();
}

void TDataSet::DropEdit()
{
    if (state_ == dsInsert) {
        insertAt_ = -1;
        const int n = InternalRecordCount();
        cursor_ = std::clamp(beforeInsert_, 0, std::max(0, n - 1));
        bof_ = eof_ = n == 0;
    }
    EndEdit();
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (IsEmpty()) throw EDatabaseError("Cannot perform this operation on an empty dataset");
    CheckCanModify();
    const bool wasEditing = Editing();
    if (wasEditing) DataEvent(deCheckBrowseMode);
    InternalDelete(cursor_);
    const int n = InternalRecordCount();
    cursor_ = std::clamp(cursor_, 0, std::max(0, n - 1));
    bof_ = eof_ = n == 0;
    state_ = dsBrowse;
    buffer_.clear();
    modified_ = false;
    display_ = -1;
    if (wasEditing) DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
}

void TDataSet::Refresh()
{
    CheckBrowseMode();
    InternalRefresh();
    cursor_ = std::clamp(cursor_, 0, std::max(0, RecordCount() - 1));
    display_ = -1;
    DataEvent(deDataSetChange);
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    if (!Editing()) return;
    DataEvent(deCheckBrowseMode);
    UpdateRecord();
    if (modified_) StoreEdit();
    else DropEdit();
}

void TDataSet::AppendRecord(const std::vector<TFieldValue>& values)
{
    Append();
    try {
        for (std::size_t i = 0; i < values.size() && i < fields_.size(); ++i) fields_[i]->SetValue(values[i]);
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TDataSet::EnableControls()
{
    if (disableCount_ == 0 || --disableCount_ > 0) return;
    const bool state = missedState_, change = missedChange_;
    missedState_ = missedChange_ = false;
    if (state) DataEvent(deUpdateState);
    if (state || change) DataEvent(deDataSetChange);
}

// --- values --------------------------------------------------------------------
const TFieldValue& TDataSet::ReadValue(int field) const
{
    if (!Active() || field < 0 || field >= FieldCount()) return kNull;
    const int index = display_ >= 0 ? display_ : cursor_;
    if (Editing() && index == cursor_) return buffer_[static_cast<std::size_t>(field)];
    int stored = index;
    if (insertAt_ >= 0 && index > insertAt_) --stored;
    if (stored < 0 || stored >= InternalRecordCount()) return kNull;
    return InternalValue(stored, field);
}

void TDataSet::WriteValue(TField& field, TFieldValue value)
{
    CheckActive();
    CheckEditing();
    if (field.ReadOnly()) throw EDatabaseError(Format("Field '%s' cannot be modified", field.FieldName()));
    buffer_[static_cast<std::size_t>(field.Index())] = std::move(value);
    modified_ = true;
    DataEvent(deFieldChange, &field);
}

void TDataSet::SetDisplayRecord(int index)
{
    display_ = index >= 0 && index < RecordCount() && index != cursor_ ? index : -1;
}

// --- notifications -------------------------------------------------------------
void TDataSet::DataEvent(TDataEvent event, TField* field)
{
    if (disableCount_ > 0 && event != deUpdateRecord && event != deCheckBrowseMode) {
        (event == deUpdateState ? missedState_ : missedChange_) = true;
        return;
    }
    // A handler may detach sources: each is asked only while still attached.
    const std::vector<TDataSource*> sources = sources_;
    for (TDataSource* source : sources)
        if (std::find(sources_.begin(), sources_.end(), source) != sources_.end()) source->DataEvent(event, field);
}

void TDataSet::AddDataSource(TDataSource* source) { sources_.push_back(source); }

void TDataSet::RemoveDataSource(TDataSource* source)
{
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

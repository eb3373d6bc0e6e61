#include "data/datasource.h"

#include <algorithm>

TDataSource::TDataSource() = default;

TDataSource::~TDataSource()
{
    if (dataSet_) dataSet_->RemoveDataSource(this);
    dataSet_ = nullptr;
    for (TDataLink* link : std::vector<TDataLink*>(links_)) link->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* value)
{
    if (value == dataSet_) return;
    if (dataSet_) dataSet_->RemoveDataSource(this);
    dataSet_ = value;
    if (value) value->AddDataSource(this);
    StateMayHaveChanged();
}

void TDataSource::SetEnabled(bool value)
{
    if (value == enabled_) return;
    enabled_ = value;
    StateMayHaveChanged();
}

TDataSetState TDataSource::State() const { return dataSet_ && enabled_ ? dataSet_->State() : dsInactive; }

void TDataSource::Edit()
{
    if (autoEdit_ && State() == dsBrowse) dataSet_->Edit();
}

void TDataSource::StateMayHaveChanged()
{
    for (TDataLink* link : std::vector<TDataLink*>(links_))
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->UpdateState();
    if (State() != lastState_) {
        lastState_ = State();
        if (OnStateChange) OnStateChange(this);
    }
}

void TDataSource::RemoveLink(TDataLink* link) { links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end()); }

void TDataSource::DataEvent(TDataEvent event, TField* field)
{
    if (!enabled_) return;
    if (event == deUpdateState) {
        StateMayHaveChanged();
        return;
    }
    for (TDataLink* link : std::vector<TDataLink*>(links_))
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->DataEvent(event, field);
    switch (event) {
    case deFieldChange:
        if (OnDataChange) OnDataChange(this, field);
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange) OnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData) OnUpdateData(this);
        break;
    default:
        break;
    }
}

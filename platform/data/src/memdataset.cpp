#include "data/memdataset.h"

TMemoryDataSet::TMemoryDataSet() = default;

TMemoryDataSet::~TMemoryDataSet() { CloseDataSet(); }

const TFieldValue& TMemoryDataSet::InternalValue(int record, int field) const
{
    return records_.at(static_cast<std::size_t>(record)).at(static_cast<std::size_t>(field));
}

void TMemoryDataSet::InternalPost(int record, const std::vector<TFieldValue>& values, bool inserting)
{
    if (inserting) records_.insert(records_.begin() + record, values);
    else records_.at(static_cast<std::size_t>(record)) = values;
}

void TMemoryDataSet::InternalDelete(int record) { records_.erase(records_.begin() + record); }

void TMemoryDataSet::InternalOpen()
{
    // Records made under other field definitions take the new shape: kept
    // columns stay, new ones are null.
    for (auto& r : records_) r.resize(FieldDefs().size());
}

#pragma once
// A dataset that keeps its records in memory, made from its field definitions.
// The records stay across closing and opening.
#include "data/db.h"

#include <vector>

class TMemoryDataSet : public TDataSet {
public:
    TMemoryDataSet();
    ~TMemoryDataSet() override;

    // A read-only set refuses Edit, Insert, Append and Delete.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    bool CanModify() const override { return !readOnly_; }

protected:
    int InternalRecordCount() const override { return static_cast<int>(records_.size()); }
    const TFieldValue& InternalValue(int record, int field) const override;
    void InternalPost(int record, const std::vector<TFieldValue>& values, bool inserting) override;
    void InternalDelete(int record) override;
    void InternalOpen() override;

private:
    std::vector<std::vector<TFieldValue>> records_;
    bool readOnly_ = false;
};

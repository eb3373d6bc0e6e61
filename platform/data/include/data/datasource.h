#pragma once
// Data sources stand between a dataset and the data-aware controls: each
// control holds a data link on a source. The dataset tells its sources in the
// order they were attached; a source tells its links in the order they were
// attached, then fires its own events.
#include "data/db.h"

#include <functional>
#include <string>
#include <vector>

using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

class TDataSource : public TObject {
public:
    TDataSource();
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* value);
    // Whether a control's Edit may put a browsing dataset into edit mode.
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool value) { autoEdit_ = value; }
    // A disabled source shows its links an inactive dataset.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // The dataset's state; inactive without a dataset or while disabled.
    TDataSetState State() const;
    // With AutoEdit, a browsing dataset begins editing.
    void Edit();

    // A field changed (Field), or the record or records did (Field nullptr).
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;
    // The links have written their values back, before a post.
    TNotifyEvent OnUpdateData;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent event, TField* field);
    // The dataset went away or was switched: links and state follow.
    void StateMayHaveChanged();
    void AddLink(TDataLink* link) { links_.push_back(link); }
    void RemoveLink(TDataLink* link);

    TDataSet* dataSet_ = nullptr;
    bool autoEdit_ = true;
    bool enabled_ = true;
    TDataSetState lastState_ = dsInactive;
    std::vector<TDataLink*> links_;
};

// A control's connection to a data source. Besides the current record a link
// can see a window of BufferCount records around it, which follows the
// cursor (a grid paints its rows through it).
class TDataLink : public TObject {
public:
    TDataLink();
    ~TDataLink() override;

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* value);
    TDataSet* DataSet() const { return source_ ? source_->DataSet() : nullptr; }
    // The source's dataset is open (and the source enabled).
    bool Active() const { return active_; }
    // The dataset is editing or inserting and this link may take part.
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    // Asks for edit mode (the source's AutoEdit decides); false when refused.
    virtual bool Edit();
    // Writes what the control holds into the fields now.
    void UpdateRecord();

    // The record window.
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int value); // at least 1
    // The current record's place in the window (from 0).
    int ActiveRecord() const;
    // Points the fields at window record `value` (restore with the old ActiveRecord).
    void SetActiveRecord(int value);
    // Records in the window: BufferCount, or fewer at the end of the data.
    int RecordCount() const;

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // The cursor moved; the window moved by `distance` records.
    virtual void DataSetScrolled(int distance);
    virtual void EditingChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField*) {}
    virtual void UpdateData() {}
    // Whether this link may edit now (besides being active, editing and not read-only).
    virtual bool EditingAllowed() const { return true; }
    void UpdateEditing();

private:
    friend class TDataSource;
    void DataEvent(TDataEvent event, TField* field);
    void UpdateState();
    // Keeps the current record inside the window; answers how far the window moved.
    int UpdateWindow();

    TDataSource* source_ = nullptr;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool updating_ = false;
    int bufferCount_ = 1;
    int first_ = 0; // cursor index of the window's first record
};

// A link to one field of the current record, for controls that show one value.
class TFieldDataLink : public TDataLink {
public:
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& value);
    // The named field of the open dataset; nullptr when closed or not found.
    TField* Field() const { return field_; }
    // The link is not read-only and the field can be modified.
    bool CanModify() const;
    // Refuses (false) when the field cannot be modified.
    bool Edit() override;
    // The control's value differs from the field's: it is written back at UpdateRecord.
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    // Drops the control's change: the field's value is shown again.
    void Reset() { RecordChanged(nullptr); }

    // The field's value changed (or the record did): show it.
    TNotifyEvent OnDataChange;
    TNotifyEvent OnEditingChange;
    // Write the control's value into Field.
    TNotifyEvent OnUpdateData;
    TNotifyEvent OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;
    bool EditingAllowed() const override { return CanModify(); }

private:
    void BindField();

    std::string fieldName_;
    TField* field_ = nullptr;
    bool modified_ = false;
};

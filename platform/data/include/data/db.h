#pragma once
// Datasets: records of typed fields behind a cursor, with the browse, edit and
// insert states, and the notifications that tell data sources (and through
// them the data-aware controls) what changed.
#include "rtl/system.h"
#include "rtl/sysutils.h"

#include <memory>
#include <string>
#include <variant>
#include <vector>

KELDARA_EXCEPTION(EDatabaseError, Exception);

enum TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftBoolean, ftMemo, ftBlob };
enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// What a dataset tells its data sources.
enum TDataEvent {
    deFieldChange,      // a field of the current record got a new value
    deDataSetChange,    // records, their values or the current record changed
    deDataSetScroll,    // the cursor moved, or hit an end
    deLayoutChange,     // the fields were made again
    deUpdateRecord,     // about to post: controls write what they hold back into the fields
    deUpdateState,      // the state changed (opened, closed, editing began or ended)
    deCheckBrowseMode,  // editing is about to end (post or cancel)
};

// A stored value: null, text (string, memo, and blob bytes), integer, float or Boolean.
using TFieldValue = std::variant<std::monostate, std::string, int, double, bool>;

class TDataSet;
class TDataSource;
class TDataLink;

// One column of a dataset, read and written in the current record (or, while
// a grid paints, in the record its link points at).
//
// Conversions: a null reads as "", 0, 0.0 or false. Booleans read as "True" and
// "False" and are written from any leading part of those words (case ignored);
// text reads as a Boolean when it starts with T or Y. Writing "" to a number or
// Boolean field makes it null; text that is no number raises EConvertError.
// Floats written to an integer field are rounded (ERangeError beyond its range).
// A string field keeps at most Size characters.
class TField : public TObject {
public:
    TField(TDataSet& dataSet, std::string fieldName, TFieldType dataType, int size, int index);
    ~TField() override;

    TDataSet* DataSet() const { return dataSet_; }
    const std::string& FieldName() const { return fieldName_; }
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    int Index() const { return index_; }
    bool IsBlob() const { return dataType_ == ftMemo || dataType_ == ftBlob; }

    // The column title; the field name until set.
    const std::string& DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const std::string& value) { displayLabel_ = value; }
    // Characters a column shows: set, or the size of a string field, or a width for the kind.
    int DisplayWidth() const;
    void SetDisplayWidth(int value) { displayWidth_ = value; }
    // Whether a grid makes a column for the field.
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { visible_ = value; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    // Neither the field nor its dataset is read-only.
    bool CanModify() const;

    bool IsNull() const;
    // Makes the value null (EDatabaseError as any write).
    void Clear();
    TFieldValue Value() const;
    // Writes take the dataset's edit buffer: EDatabaseError when the dataset is
    // closed or not editing, or the field is read-only.
    void SetValue(const TFieldValue& value);

    std::string AsString() const;
    void SetAsString(const std::string& value);
    int AsInteger() const;
    void SetAsInteger(int value);
    double AsFloat() const;
    void SetAsFloat(double value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    // The value as it is edited.
    std::string Text() const { return AsString(); }
    void SetText(const std::string& value) { SetAsString(value); }
    // The value as a cell shows it: a memo's first line, "(BLOB)" for blob bytes.
    std::string DisplayText() const;

private:
    TFieldValue Converted(const std::string& text) const;

    TDataSet* dataSet_;
    std::string fieldName_;
    TFieldType dataType_;
    int size_;
    int index_;
    std::string displayLabel_;
    int displayWidth_ = 0;
    bool visible_ = true;
    bool readOnly_ = false;
};

struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0; // characters of a string field
};

// The cursor and the states over records a subclass stores.
//
// Bof is true after First, after Prior could not move, and on an empty set;
// Eof after Last, after Next could not move, and on an empty set. Moving the
// cursor, and Insert and Append, first end an edit (posting it when a field
// changed, cancelling it otherwise). Posting first asks every link for the
// values its control holds (deUpdateRecord).
class TDataSet : public TObject {
public:
    TDataSet();
    ~TDataSet() override;

    // Field definitions, changed while closed (EDatabaseError otherwise);
    // opening makes the fields from them.
    const std::vector<TFieldDef>& FieldDefs() const { return fieldDefs_; }
    void AddFieldDef(const std::string& name, TFieldType type, int size = 0);
    void ClearFieldDefs();
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const; // EListError outside 0..count-1
    TField* FindField(const std::string& name) const; // case ignored; nullptr when none
    TField* FieldByName(const std::string& name) const; // EDatabaseError "Field 'X' not found"

    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); } // an unposted edit is dropped
    TDataSetState State() const { return state_; }

    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to `distance` records; answers how far it went.
    int MoveBy(int distance);
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return RecordCount() == 0; }
    // The current record from 1 (0 when closed or empty); the record being inserted counts.
    int RecNo() const;
    void SetRecNo(int value);
    int RecordCount() const;

    // Edit on an empty set appends. Insert puts the new record before the current one.
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    // Deletes the current record (cancels an insert); the next one becomes current.
    void Delete();
    void Refresh();
    // Posts a changed edit, cancels an unchanged one.
    void CheckBrowseMode();
    // Asks the links to write their controls' values into the fields.
    void UpdateRecord();
    // A field was written since editing began.
    bool Modified() const { return modified_; }
    virtual bool CanModify() const { return true; }
    // Appends a record holding these values in field order, and posts it.
    void AppendRecord(const std::vector<TFieldValue>& values);

    // While disabled (counted), data sources hear nothing but the requests
    // to write back; enabling tells them of whatever they missed at once.
    void DisableControls() { ++disableCount_; }
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

protected:
    // The stored records, without the one being inserted.
    virtual int InternalRecordCount() const = 0;
    virtual const TFieldValue& InternalValue(int record, int field) const = 0;
    // Replaces record `record`, or with `inserting` puts a new one there.
    virtual void InternalPost(int record, const std::vector<TFieldValue>& values, bool inserting) = 0;
    virtual void InternalDelete(int record) = 0;
    virtual void InternalOpen() {}
    virtual void InternalClose() {}
    virtual void InternalRefresh() {}
    // The subclass's destructor closes through this, while its storage still exists.
    void CloseDataSet();

private:
    friend class TField;
    friend class TDataSource;
    friend class TDataLink;

    void CheckActive() const;
    void CheckCanModify() const;
    void CheckEditing() const;
    bool Editing() const { return state_ == dsEdit || state_ == dsInsert; }
    void CreateFields();
    void StartInsert(int position);
    void StoreEdit(); // posts the edit buffer
    void DropEdit();  // cancels without telling the links first
    void EndEdit();
    // The value a field reads: the edit buffer on the current record, else what is stored.
    const TFieldValue& ReadValue(int field) const;
    void WriteValue(TField& field, TFieldValue value);
    // Cursor index (from 0) of the record fields read while a link paints; -1: the current one.
    void SetDisplayRecord(int index);
    int CurrentIndex() const { return cursor_; }
    void DataEvent(TDataEvent event, TField* field = nullptr);
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);

    std::vector<TFieldDef> fieldDefs_;
    std::vector<std::unique_ptr<TField>> fields_;
    bool fieldsStale_ = true;
    TDataSetState state_ = dsInactive;
    int cursor_ = 0;            // index among RecordCount records
    int display_ = -1;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    std::vector<TFieldValue> buffer_; // the record being edited or inserted
    int insertAt_ = -1;         // where the inserted record stands, -1 when not inserting
    int beforeInsert_ = 0;      // the cursor before Insert or Append, for Cancel
    int disableCount_ = 0;
    bool missedState_ = false;
    bool missedChange_ = false;
    std::vector<TDataSource*> sources_;
};

#pragma once
// Data-aware controls: edits, memos, pictures, lists and combo boxes that
// show one field of a data source's current record and write it back. A
// control asks its link for edit mode before it changes (the source's
// AutoEdit puts a browsing dataset into edit mode); Escape drops its change;
// its value reaches the field when the dataset posts or the control is left.
#include "data/datasource.h"
#include "gfx/picture.h"
#include "vcl/stdctrls_edit.h"
#include "vcl/stdctrls_list.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Writes what `control` holds through `link` as the control is left. A value
// the field refuses is reported, and the control keeps the focus (false).
bool UpdateRecordOnExit(TWinControl& control, TDataLink& link);

// What every control of one field has: its link and the properties over it.
// Any control can be the base (the skin binds its check box and radio group).
template <class Base>
class TDBFieldControl : public Base {
public:
    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* value) { link_.SetDataSource(value); }
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(const std::string& value) { link_.SetFieldName(value); }
    // The control's own read-only flag: it never asks for edit mode.
    bool ReadOnly() const { return link_.ReadOnly(); }
    void SetReadOnly(bool value) { link_.SetReadOnly(value); }
    TField* Field() const { return link_.Field(); }
    TFieldDataLink* DataLink() { return &link_; }

protected:
    explicit TDBFieldControl(TComponent* AOwner) : Base(AOwner)
    {
        link_.OnDataChange = [this](TObject*) { ShowingData([this] { DataChange(); }); };
        link_.OnEditingChange = [this](TObject*) { EditingChange(); };
        link_.OnUpdateData = [this](TObject*) { UpdateData(); };
    }
    ~TDBFieldControl() override
    {
        // The control is half gone: the link must not call back into it any more.
        link_.OnDataChange = nullptr;
        link_.OnEditingChange = nullptr;
        link_.OnUpdateData = nullptr;
    }
    // Show the field's value (or nothing without a field).
    virtual void DataChange() = 0;
    virtual void EditingChange() {}
    // Write the control's value into the field.
    virtual void UpdateData() = 0;
    // Runs `show` as showing the field's value: what it changes is no change of the user's.
    template <class F>
    void ShowingData(F&& show)
    {
        const bool was = showingData_;
        showingData_ = true;
        try {
            show();
        } catch (...) {
            showingData_ = was;
            throw;
        }
        showingData_ = was;
    }
    bool showingData_ = false;

private:
    TFieldDataLink link_;
};

// Edit and memo: the text of the field. They stay read-only while the link is
// not editing; typing, Delete, cut and paste ask for edit mode first.
template <class Base>
class TDBTextControl : public TDBFieldControl<Base> {
public:
    void WndProc(TMessage& Message) override;

protected:
    explicit TDBTextControl(TComponent* AOwner);
    void DataChange() override;
    void EditingChange() override;
    void UpdateData() override;
    void Change() override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    // Leaving writes the text into the field; a value the field refuses is
    // reported and the control keeps the focus.
    void DoExit() override;
};

extern template class TDBFieldControl<TCustomEdit>;
extern template class TDBFieldControl<TCustomMemo>;
extern template class TDBTextControl<TCustomEdit>;
extern template class TDBTextControl<TCustomMemo>;

class TDBEdit : public TDBTextControl<TCustomEdit> {
public:
    explicit TDBEdit(TComponent* AOwner) : TDBTextControl(AOwner) {}
};

class TDBMemo : public TDBTextControl<TCustomMemo> {
public:
    explicit TDBMemo(TComponent* AOwner) : TDBTextControl(AOwner) {}
};

// ---------------------------------------------------------------------------
// A blob field shown as a picture: BMP or JPEG bytes, told apart by their
// signature. Bytes that are no readable picture show nothing. A picture
// assigned while the link may edit is stored back in its own format.
class TDBImage : public TDBFieldControl<TCustomControl> {
public:
    explicit TDBImage(TComponent* AOwner);
    ~TDBImage() override;

    TPicture* Picture() { return picture_.get(); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    // Where the picture lands in the client area.
    TRect PictureRect() const;

protected:
    void DataChange() override;
    void UpdateData() override;
    void KeyPress(char& Key) override;
    void Paint() override;
    TRect InnerRect() const;

private:
    void PictureChanged();

    std::unique_ptr<TPicture> picture_;
    bool stretch_ = false;
    bool center_ = true;
    TFormBorderStyle borderStyle_ = bsSingle;
};

// ---------------------------------------------------------------------------
// Lists and combo boxes of one field: the item equal to the field's text is
// selected; choosing one writes its text. A choice the link refuses is undone.
template <class Base>
class TDBChoiceControl : public TDBFieldControl<Base> {
protected:
    explicit TDBChoiceControl(TComponent* AOwner) : TDBFieldControl<Base>(AOwner) {}
    void KeyPress(char& Key) override;
    // The user's choice: edit mode is asked for, the choice kept or undone.
    void UserChose();
};

extern template class TDBFieldControl<TCustomListBox>;
extern template class TDBFieldControl<TCustomComboBox>;
extern template class TDBChoiceControl<TCustomListBox>;
extern template class TDBChoiceControl<TCustomComboBox>;

class TDBListBox : public TDBChoiceControl<TCustomListBox> {
public:
    explicit TDBListBox(TComponent* AOwner) : TDBChoiceControl(AOwner) {}

protected:
    void DataChange() override;
    void UpdateData() override;
    void Click() override;
};

class TDBComboBox : public TDBChoiceControl<TCustomComboBox> {
public:
    explicit TDBComboBox(TComponent* AOwner) : TDBChoiceControl(AOwner) {}

protected:
    void DataChange() override;
    void UpdateData() override;
    void Change() override;
};

// ---------------------------------------------------------------------------
// The lookup controls list the ListField of every record of ListSource and
// store the chosen record's KeyField in DataField; the item shown is the one
// whose key equals the field's value.
class TDBLookupList : private TDataLink {
public:
    // `changed` runs whenever the list's texts and keys were read again.
    explicit TDBLookupList(std::function<void()> changed) : changed_(std::move(changed)) {}
    TDataSource* ListSource() const { return DataSource(); }
    void SetListSource(TDataSource* value) { SetDataSource(value); }
    const std::string& KeyField() const { return keyField_; }
    void SetKeyField(const std::string& value);
    const std::string& ListField() const { return listField_; }
    void SetListField(const std::string& value);
    // The list's texts and keys, read whenever the list's records change.
    const std::vector<std::string>& Texts() const { return texts_; }
    int IndexOfKey(const std::string& key) const;
    std::string KeyAt(int index) const; // empty outside the list

private:
    void ActiveChanged() override { Read(); }
    void DataSetChanged() override { Read(); }
    void DataSetScrolled(int) override {} // moving through the list changes none of it
    void Read();

    std::string keyField_, listField_;
    std::vector<std::string> texts_, keys_;
    std::function<void()> changed_;
};

template <class Base>
class TDBLookupControl : public TDBChoiceControl<Base> {
public:
    TDataSource* ListSource() const { return list_.ListSource(); }
    void SetListSource(TDataSource* value) { list_.SetListSource(value); }
    const std::string& KeyField() const { return list_.KeyField(); }
    void SetKeyField(const std::string& value) { list_.SetKeyField(value); }
    const std::string& ListField() const { return list_.ListField(); }
    void SetListField(const std::string& value) { list_.SetListField(value); }
    // The key of the item shown, empty when none.
    std::string KeyValue() const { return list_.KeyAt(this->ItemIndex()); }

protected:
    explicit TDBLookupControl(TComponent* AOwner);
    void DataChange() override;
    void UpdateData() override;

private:
    void ListChanged();
    TDBLookupList list_;
};

extern template class TDBLookupControl<TCustomListBox>;
extern template class TDBLookupControl<TCustomComboBox>;

class TDBLookupListBox : public TDBLookupControl<TCustomListBox> {
public:
    explicit TDBLookupListBox(TComponent* AOwner) : TDBLookupControl(AOwner) {}

protected:
    void Click() override;
};

// A drop-down list (no typing) of the list field.
class TDBLookupComboBox : public TDBLookupControl<TCustomComboBox> {
public:
    explicit TDBLookupComboBox(TComponent* AOwner);

protected:
    void Change() override;
};

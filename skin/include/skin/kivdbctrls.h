#pragma once
// The skinned data-aware controls: the framework's data-aware edit, memo,
// picture, lists, combo boxes and grid with the skin's border and colours
// (and skinned scroll bars where they scroll), a check box and a radio group
// bound to a field, and a navigator of ten skinned buttons moving through
// and changing a data source's records.
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivgrid.h"
#include "skin/kivlistbox.h"
#include "skin/kivmemo.h"
#include "skin/kivradiogroup.h"

#include "data/datasource.h"
#include "rtl/classes.h"
#include "vcl/dbctrls.h"
#include "vcl/dbgrids.h"
#include "vcl/extctrls.h"

#include <array>
#include <memory>
#include <string>

// The unit's texts: the navigator's hints, its questions and the grid's complaints.
inline constexpr const char* SFirstRecord = "第一条记录";
inline constexpr const char* SPriorRecord = "前一条记录";
inline constexpr const char* SNextRecord = "下一条记录";
inline constexpr const char* SLastRecord = "最后一条记录";
inline constexpr const char* SInsertRecord = "插入记录";
inline constexpr const char* SDeleteRecord = "删除记录";
inline constexpr const char* SEditRecord = "修改记录";
inline constexpr const char* SPostEdit = "提交修改";
inline constexpr const char* SCancelEdit = "取消修改";
inline constexpr const char* SConfirmCaption = "确认";
inline constexpr const char* SRefreshRecord = "刷新数据";
inline constexpr const char* SDeleteRecordQuestion = "删除记录？";
inline constexpr const char* SDeleteMultipleRecordsQuestion = "删除所有选中的记录？";
inline constexpr const char* SDataSourceFixed = "DBCtrlGrid不允许执行该操作";
inline constexpr const char* SNotReplicatable = "该控件不能在DBCtrlGridControl中使用";
inline constexpr const char* SPropDefByLookup = "该属性已经在查找字段中被定义";
inline constexpr const char* STooManyColumns = "Grid被要求显示超过256列";

extern template class TkivEditSkin<TDBEdit>;
extern template class TkivEditSkin<TDBImage>;
extern template class TkivScrolled<TDBMemo>;
extern template class TkivScrolled<TDBListBox>;
extern template class TkivScrolled<TDBLookupListBox>;
extern template class TkivComboSkin<TDBComboBox>;
extern template class TkivComboSkin<TDBLookupComboBox>;
extern template class TkivScrolled<TDBGrid>;
extern template class TkivGridOf<TDBGrid>;

// --- the framework's data-aware controls in the skin ------------------------------
class TkivDBEdit : public TkivEditSkin<TDBEdit> {
public:
    explicit TkivDBEdit(TComponent* AOwner) : TkivEditSkin(AOwner) {}
};

class TkivDBMemo : public TkivMemoOf<TDBMemo> {
public:
    explicit TkivDBMemo(TComponent* AOwner) : TkivMemoOf(AOwner) {}
};

// The picture in the skin's border.
class TkivDBImage : public TkivEditSkin<TDBImage> {
public:
    explicit TkivDBImage(TComponent* AOwner) : TkivEditSkin(AOwner) {}
};

class TkivDBListBox : public TkivScrolled<TDBListBox> {
public:
    explicit TkivDBListBox(TComponent* AOwner) : TkivScrolled(AOwner, TkivScrollBarLink::kpListBox, 2) {}
};

class TkivDBLookupListBox : public TkivScrolled<TDBLookupListBox> {
public:
    explicit TkivDBLookupListBox(TComponent* AOwner) : TkivScrolled(AOwner, TkivScrollBarLink::kpListBox, 2) {}
};

class TkivDBComboBox : public TkivComboSkin<TDBComboBox> {
public:
    explicit TkivDBComboBox(TComponent* AOwner) : TkivComboSkin(AOwner) {}

protected:
    bool HasSkinnedButton() const override { return Style() != csSimple; }
};

class TkivDBLookupComboBox : public TkivComboSkin<TDBLookupComboBox> {
public:
    explicit TkivDBLookupComboBox(TComponent* AOwner) : TkivComboSkin(AOwner) {}
};

// The grid: focused cell 0x008000, selected 0x00FFFF, titles in TitleFontColor.
class TkivDBGrid : public TkivGridOf<TDBGrid> {
public:
    explicit TkivDBGrid(TComponent* AOwner) : TkivGridOf(AOwner, clGreen) {}

    TColor TitleFontColor() const { return FixedFontColor(); }
    void SetTitleFontColor(TColor value) { SetFixedFontColor(value); }

protected:
    void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;
};

// --- the check box and the radio group bound to a field ----------------------------
// Checked when the field is a Boolean true, or its text is one of the
// ";"-separated ValueChecked entries (case ignored); unchecked otherwise (no
// field, null, no match). Writing back: the Boolean, or the first entry of
// ValueChecked or ValueUnchecked.
class TkivDBCheckBox : public TDBFieldControl<TkivCheckBox> {
public:
    explicit TkivDBCheckBox(TComponent* AOwner) : TDBFieldControl(AOwner) {}

    const std::string& ValueChecked() const { return valueChecked_; }
    void SetValueChecked(const std::string& value);
    const std::string& ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const std::string& value);

protected:
    void DataChange() override;
    void UpdateData() override;
    // A toggle first asks for edit mode and is dropped when refused.
    void DoClick() override;
    void KeyPress(char& Key) override;
    void DoExit() override;

private:
    bool FieldState() const;

    std::string valueChecked_ = "True";
    std::string valueUnchecked_ = "False";
};

// Selects the button whose value equals the field's text: its entry in
// Values, or its caption where Values has none. A click enters edit mode and
// chooses that value; it reaches the field at the post or as the group is left.
class TkivDBRadioGroup : public TDBFieldControl<TkivRadioGroup> {
public:
    explicit TkivDBRadioGroup(TComponent* AOwner);
    ~TkivDBRadioGroup() override;

    TStrings* Values() { return values_.get(); }
    void SetValues(const TStrings& value) { values_->Assign(value); }
    // The value of the selected button, empty without one.
    std::string Value() const;
    // The value of button `index`.
    std::string ButtonValue(int index) const;

    // Asks for edit mode.
    bool CanModify() const override;
    void ButtonKeyPress(char& Key) override;
    // The choice reaches the field as the focus leaves a button; a value the
    // field refuses is reported and the button keeps the focus.
    bool ButtonExit(TkivCheckBox& button) override;

protected:
    void DataChange() override;
    void UpdateData() override;
    void NewClick() override;
    void ItemChanged() override;
    void KeyPress(char& Key) override;
    void DoExit() override;

private:
    std::unique_ptr<TStringList> values_;
};

// --- the navigator ------------------------------------------------------------------
enum TkivNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
constexpr int kivNavButtonCount = 10;

class TkivDBNavigator;

// A navigator button: a skinned button that, for Prior and Next, repeats its
// action while held (first after 400 ms, then every 100 ms).
class TkivNavButton : public TkivButton {
public:
    TkivNavButton(TkivDBNavigator& navigator, TkivNavigateBtn index);

    TkivNavigateBtn Index() const { return index_; }
    bool AllowTimer() const { return index_ == nbPrior || index_ == nbNext; }

protected:
    void RepeatTick() override;

private:
    TkivDBNavigator& navigator_;
    TkivNavigateBtn index_;
};

class TkivDBNavigator : public TCustomPanel, public ISkinnable {
public:
    explicit TkivDBNavigator(TComponent* AOwner);
    ~TkivDBNavigator() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* value);
    // Which buttons show (a bit per TkivNavigateBtn); all ten by default.
    unsigned VisibleButtons() const { return visibleButtons_; }
    void SetVisibleButtons(unsigned value);
    static constexpr unsigned AllButtons = (1u << kivNavButtonCount) - 1;
    // Delete asks SDeleteRecordQuestion first.
    bool ConfirmDelete() const { return confirmDelete_; }
    void SetConfirmDelete(bool value) { confirmDelete_ = value; }
    TkivNavButton* Buttons(TkivNavigateBtn index) const { return buttons_[index]; }
    // Runs a button's action on the data source's dataset.
    void BtnClick(TkivNavigateBtn index);

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    TkivUIStyle UIStyle() const override { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetEnabled(bool value) override;
    void WndProc(TMessage& Message) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Arrows move to the prior or next record, Home and End to the first and last.
    void KeyDown(unsigned short& Key, TShiftState Shift) override;

private:
    class NavLink;
    friend class NavLink;

    // The smallest size that leaves every visible button a few pixels.
    void CalcMinSize(int& W, int& H) const;
    // Shares the width among the visible buttons; hidden ones wait right of the panel.
    void SetSize();
    void ActiveChanged();
    void DataChanged();
    void EditingChanged();

    std::unique_ptr<NavLink> link_;
    std::array<TkivNavButton*, kivNavButtonCount> buttons_{};
    unsigned visibleButtons_ = AllButtons;
    bool confirmDelete_ = true;
    TColor borderColor_ = clBlack;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
};

#pragma once
// Group boxes that make one skinned check box (check group) or radio button
// (radio group) per line of Items and lay them out in columns, top to bottom.
#include "skin/kivbutton.h"
#include "skin/kivgroupbox.h"

#include "rtl/classes.h"

#include <memory>
#include <vector>

class TkivCheckGroup;
class TkivRadioGroup;

class TkivCheckGroupButton : public TkivCheckBox {
public:
    TkivCheckGroupButton(TComponent* AOwner, TkivCheckGroup* group);
    TkivCheckGroup* Group() const { return group_; }

protected:
    // The buttons take no tab stop of their own: the focus frame shows whenever focused.
    bool NeedDrawFocus() override;

private:
    TkivCheckGroup* group_;
};

class TkivRadioGroupButton : public TkivRadioButton {
public:
    TkivRadioGroupButton(TComponent* AOwner, TkivRadioGroup* group);
    TkivRadioGroup* Group() const { return group_; }
    bool IsRadioGroupButton() const override { return true; }

protected:
    // Drawn round the checked button while it or its group has the focus.
    bool NeedDrawFocus() override;
    // A press selects only while the group lets the choice change.
    void DoClick() override;
    // The group hears the button's keys too, and the focus leaving it.
    void KeyPress(char& Key) override;
    void DoExit() override;

private:
    TkivRadioGroup* group_;
};

class TkivCheckGroup : public TkivCustomGroupBox {
public:
    explicit TkivCheckGroup(TComponent* AOwner);
    ~TkivCheckGroup() override;

    // One button per line; any change rebuilds the buttons (the states of
    // those kept stay with their positions).
    TStrings* Items() { return items_.get(); }
    const TStrings* Items() const { return items_.get(); }
    void SetItems(const TStrings& value) { items_->Assign(value); }
    int Columns() const { return columns_; }
    // Values below 1 are ignored (the old value stays).
    void SetColumns(int value);
    int TopMargin() const { return topMargin_; }
    // Values below 0 are ignored.
    void SetTopMargin(int value);
    TColor FontColor() const { return Font()->Color(); }
    void SetFontColor(TColor value) { Font()->SetColor(value); }
    void SetTransparent(bool value) override;

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    TkivCheckBox* Buttons(int index) const;
    // Reading outside the buttons answers false; setting outside them raises EListError.
    bool GetChecked(int index) const;
    void SetChecked(int index, bool value);
    bool GetItemEnabled(int index) const;
    void SetItemEnabled(int index, bool value);

    // A cursor or font change reaches every button; a size change arranges them.
    void WndProc(TMessage& Message) override;

    // Fired when a button is clicked or changes state (also from code), and
    // when the group itself is clicked; never while loading.
    TNotifyEvent OnClick;

protected:
    virtual void NewClick() {}
    // Items changed: the buttons are made again.
    virtual void ItemChanged() { UpdateButtons(); }
    virtual TkivCheckBox* CreateAButton();
    // The focus passes on to a button when the group receives it.
    virtual void FocusUpdate();

    void DoClick();
    void Click() override;
    void UpdateUIStyle(TkivUIStyle style, TkivFileTheme* fileTheme) override;
    // Where the buttons are laid out (client coordinates).
    TRect GetClient() const;
    void ArrangeButtons();

private:
    void UpdateButtons();
    void SizeAndArrangeButtons();

    std::unique_ptr<TStringList> items_;
    std::vector<TkivCheckBox*> buttons_; // owned components of the group
    int columns_ = 1;
    int topMargin_ = 8;
};

class TkivRadioGroup : public TkivCheckGroup {
public:
    explicit TkivRadioGroup(TComponent* AOwner);

    // The first checked button, -1 when none.
    int ItemIndex() const;
    // -1 unchecks every button; 0..count-1 checks that one (the others
    // uncheck), which fires OnClick unless loading; other values are ignored.
    void SetItemIndex(int value);
    // False keeps presses from changing the choice (code still may).
    virtual bool CanModify() const { return true; }
    // A character typed on one of the buttons; setting Key to 0 drops it.
    virtual void ButtonKeyPress(char&) {}
    // The focus leaves `button`; false keeps it there.
    virtual bool ButtonExit(TkivCheckBox& /*button*/) { return true; }

protected:
    TkivCheckBox* CreateAButton() override;
    void FocusUpdate() override;
};

#pragma once
// The skinned page control: one tab sheet per tab, the active one shown in
// the framed body. Sheets join and leave it by being parented to it.
#include "skin/kivtabcontrol.h"

class TkivPageControl;

class TkivTabSheet : public TCustomPanel {
public:
    // No bevels or border; fills its page control.
    explicit TkivTabSheet(TComponent* AOwner);
    ~TkivTabSheet() override;

    TkivPageControl* PageControl() const { return pageControl_; }
    // Parents the sheet to the control (its last page); none takes it off.
    void SetPageControl(TkivPageControl* value);
    // Position among the control's pages, -1 when on none.
    int PageIndex() const;
    // Moves the page (MovePage); an index outside the pages leaves it where it is.
    void SetPageIndex(int value);
    bool TabVisible() const { return tabVisible_; }
    // Hiding the active page's tab activates the nearest visible page before
    // it, else the first visible one after it.
    void SetTabVisible(bool value);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);

    void WndProc(TMessage& Message) override;

    // Fired when the sheet becomes the shown page and when it stops being it.
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

protected:
    void Paint() override;

private:
    friend class TkivPageControl;
    TkivPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
    TColor borderColor_ = clBlack;
};

// The page control's strip: its tabs are the sheets' captions.
class TkivPageControlTopPanel : public TkivTabControlTopPanel {
public:
    TkivPageControlTopPanel(TComponent* AOwner, TkivTab* tab);
};

class TkivPageControl : public TkivTab {
public:
    explicit TkivPageControl(TComponent* AOwner);
    ~TkivPageControl() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    // The page at an index, nullptr outside the pages.
    TkivTabSheet* GetPage(int index) const;
    TkivTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TkivTabSheet* value) { ActivatePage(value); }
    // The active page's index, 0 when there is none. Setting ignores values
    // outside the pages.
    int ActivePageIndex() const;
    void SetActivePageIndex(int value);
    // Hides the current page and shows page `index` (visible, enabled, in
    // front): a disabled sheet becomes enabled when it is activated. Indices
    // outside the tabs change nothing.
    void ActivatePage(int index);
    // The same for a sheet of this control; none hides the current page.
    void ActivatePage(TkivTabSheet* sheet);
    // Moves the sheet to `index` and activates it; an index outside the pages
    // is set back to the sheet's own.
    void MovePage(TkivTabSheet* sheet, int& index);
    // The next (or previous) page whose tab shows, wrapping round.
    void SelectNextPage(bool forward);
    // A sheet owned by this control's owner, filling the control, as its last page.
    TkivTabSheet* NewPage();
    // The sheets' names in page order, set while the form loads: when it names
    // every page, Loaded puts the pages in its order.
    TStrings* PageNames() { return pageNames_.get(); }

    // Showing a sheet of this control activates it.
    void ShowControl(TControl* AControl) override;
    void WndProc(TMessage& Message) override;

protected:
    TkivTabControlTopPanel* CreateTopPanel() override;
    void TabActive(int index) override;
    void BorderColorChanged() override;
    void UpdateUIStyle(TkivUIStyle style, TkivFileTheme* fileTheme) override;
    void Loaded() override;

private:
    friend class TkivTabSheet;
    void InsertSheet(TkivTabSheet* sheet);
    void RemoveSheet(TkivTabSheet* sheet);
    void ShowSheet(TkivTabSheet* sheet);
    void HideSheet(TkivTabSheet* sheet);
    void SheetTabVisibleChanged(TkivTabSheet* sheet);
    // Captions and visibility flags of the strip from the sheets.
    void RewriteTabs();

    std::vector<TkivTabSheet*> pages_;
    TkivTabSheet* activePage_ = nullptr;
    std::unique_ptr<TStringList> pageNames_;
};

// Page commands of a page control, and of the control a sheet is on.
TkivTabSheet* PageControl_InsertPage(TkivPageControl* control);
// Frees the active page.
void PageControl_RemovePage(TkivPageControl* control);
bool PageControl_CanRemove(const TkivPageControl* control);
TkivTabSheet* TabSheet_InsertPage(TkivTabSheet* sheet);
void TabSheet_RemovePage(TkivTabSheet* sheet);
bool TabSheet_CanRemove(const TkivTabSheet* sheet);

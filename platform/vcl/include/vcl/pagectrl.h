#pragma once
// Tab strips over a framed body: the tab control (a list of captions) and the
// page control (one tab sheet per tab, the active one shown). Changes made by
// the user (click, Ctrl+Tab, arrow keys) ask OnChanging first and report
// OnChange after; changes made from code do neither. The geometry queries let
// a skinned control paint its own tabs where the plain ones would be.
#include "rtl/classes.h"
#include "vcl/ctrltypes.h"

#include <functional>
#include <memory>
#include <vector>

enum TTabPosition { tpTop, tpBottom };

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomTabControl : public TCustomControl {
public:
    explicit TCustomTabControl(TComponent* AOwner);
    ~TCustomTabControl() override;

    // Number of tabs shown and their captions.
    virtual int TabCount() const = 0;
    virtual std::string TabCaption(int index) const = 0;

    // The selected tab, -1 for none.
    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int value);
    TTabPosition TabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition value);
    // 0: from the font.
    int TabHeight() const { return tabHeight_; }
    void SetTabHeight(int value);
    // 0: each tab as wide as its caption needs.
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int value);

    // --- geometry, in client coordinates ------------------------------------
    // Height of a tab as drawn unselected (the selected one stands 2 pixels out).
    int TabStripHeight() const;
    // The band across the control holding the tabs.
    TRect TabStripRect() const;
    // A tab's box, empty when scrolled out of the strip or out of range.
    TRect TabRect(int index) const;
    // The tab at a client point, -1 for none.
    int IndexOfTabAt(int X, int Y) const;
    // The framed body below (or above) the tabs, and the area inside it for pages and children.
    TRect BodyRect() const;
    TRect DisplayRect() const;
    // Tabs that do not fit scroll: the first one shown, and the two arrow boxes
    // (empty while everything fits).
    int FirstVisibleTab() const { return firstTab_; }
    TRect ScrollArrowRect(bool forward) const;
    bool TabsScroll() const;

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

    void AlignControls(TControl* AControl, TRect& Rect) override;
    void WndProc(TMessage& Message) override;

protected:
    virtual bool CanChange();
    virtual void Change();
    // The user picked a tab: asks, selects, reports.
    bool SelectTabByUser(int index);
    // Called when the selection moves (from code or user), before it is painted.
    virtual void TabChanged() {}
    void TabsChanged();
    void Paint() override;
    virtual void DrawTab(TCanvas& c, int index, const TRect& rect, bool selected);
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MakeTabVisible(int index);
    // Width of a tab's box: TabWidth, or its caption's width and a margin.
    int TabBoxWidth(int index) const;

    int tabIndex_ = -1;

private:
    TTabPosition tabPosition_ = tpTop;
    int tabHeight_ = 0, tabWidth_ = 0;
    int firstTab_ = 0;
    mutable std::vector<int> widths_;
};

// ---------------------------------------------------------------------------
class TTabControl : public TCustomTabControl {
public:
    explicit TTabControl(TComponent* AOwner);
    ~TTabControl() override;

    TStrings* Tabs() { return tabs_.get(); }
    void SetTabs(const TStrings& value) { tabs_->Assign(value); }

    int TabCount() const override { return tabs_->Count(); }
    std::string TabCaption(int index) const override;

private:
    std::unique_ptr<TStringList> tabs_;
};

// ---------------------------------------------------------------------------
class TPageControl;

class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return pageControl_; }
    // Moves the sheet onto a page control (its last page), or off with nullptr.
    void SetPageControl(TPageControl* value);
    // Position among the page control's pages, -1 when on none.
    int PageIndex() const;
    void SetPageIndex(int value);
    // Position among the visible tabs, -1 when the tab is hidden or on no control.
    int TabIndex() const;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool value);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

    void WndProc(TMessage& Message) override;

protected:
    virtual void DoShow();
    virtual void DoHide();

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

class TPageControl : public TCustomTabControl {
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const { return activePage_; }
    // Shows the sheet (nullptr: none); a sheet of another control is ignored.
    void SetActivePage(TTabSheet* page);
    // The active page's index, -1 for none; out-of-range values are ignored, -1 shows none.
    int ActivePageIndex() const;
    void SetActivePageIndex(int value);
    // The next (or previous) page from `current`, wrapping; with CheckTabVisible
    // only pages whose tab shows. nullptr when there is none.
    TTabSheet* FindNextPage(TTabSheet* current, bool GoForward, bool CheckTabVisible) const;
    // What Ctrl+Tab does: the user moves to the next page with a visible tab.
    void SelectNextPage(bool GoForward);

    int TabCount() const override;
    std::string TabCaption(int index) const override;
    // The sheet behind a visible tab, and back.
    TTabSheet* PageForTab(int tabIndex) const;

    // Pages fill the display area whenever the control is laid out.
    void AlignControls(TControl* AControl, TRect& Rect) override;
    // Showing one of the sheets makes it the active page.
    void ShowControl(TControl* AControl) override;
    void WndProc(TMessage& Message) override;

protected:
    void TabChanged() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void MovePage(TTabSheet* page, int index);
    void ShowPage(TTabSheet* page);
    void PageTabChanged(TTabSheet* page);
    void PagesChanged();
    void LayoutPages();

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    bool switching_ = false;
};

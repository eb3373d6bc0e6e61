#pragma once
// Skinned tab strips over a framed body. TkivTab is the common base: a panel
// whose top (or bottom) strip paints the tabs from the theme's pictures and
// scrolls them with two arrows when they do not fit. TkivTabControl shows a
// plain list of tab captions.
#include "skin/kivskinnable.h"

#include "gfx/bitmap.h"
#include "rtl/classes.h"
#include "vcl/extctrls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TkivTabPosition { kivTop, kivBottom };

using TkivTabActiveEvent = std::function<void(TObject* Sender, int TabIndex)>;
using TkivTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TkivTab;

// The strip: tabs drawn from theme pictures 39 (active and inactive tab) and
// 40 (the line below them), arrows from picture 38. Tabs hidden by their
// flag take no room. Any number of tabs.
class TkivTabControlTopPanel : public TCustomPanel {
public:
    TkivTabControlTopPanel(TComponent* AOwner, TkivTab* tab);
    ~TkivTabControlTopPanel() override;

    TStrings* Tabs() { return tabs_.get(); }
    void SetTabs(const TStrings& value) { tabs_->Assign(value); }
    int TabCount() const { return tabs_->Count(); }
    // The selected tab, -1 for none.
    int TabIndex() const { return tabIndex_; }
    // From code: never asks OnChanging. A change scrolls the tab into view and
    // tells the owner (TabActive); values outside -1..count-1 only repaint.
    void SetTabIndex(int value);
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int value);
    TkivUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TkivUIStyle value);
    TkivFileTheme* FileTheme() const { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value);
    TkivTabPosition TabPosition() const { return tabPosition_; }
    // Turns the pictures upside down for a bottom strip.
    void SetTabPosition(TkivTabPosition value);

    bool TabVisible(int index) const;
    void SetTabVisible(int index, bool value);
    // Keep the visibility flags in step with the captions.
    void InsertTab(int index, const std::string& caption, bool visible);
    void DeleteTab(int index);

    // --- layout, in the strip's coordinates ---------------------------------
    // Width a tab takes: 0 when hidden, -1 past the cut tab or outside the tabs.
    int TabWidth(int index) const;
    int TabHeight() const { return activePicture_.Height(); }
    // Visible tabs scrolled off to the left.
    int FirstVisibleTab() const { return firstVisible_; }
    // The box a tab is drawn in (cut at the available width), empty when not drawn.
    TRect TabRect(int index) const;
    // The last tab drawn whole, -1 for none.
    int LastWholeTab() const;
    // Whether a tab was cut at the available width.
    bool Truncated() const;
    // Shown when the tabs overflow the strip.
    bool ArrowsShown() const;
    // The two scroll arrows' boxes (shown or not).
    TRect ArrowRect(bool forward) const;

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;

private:
    struct TabBox {
        int index;
        TRect rect;
        bool cut;
    };
    struct Layout {
        std::vector<TabBox> boxes;
        int lastWhole = -1;
        bool truncated = false;
        bool overflowed = false;
        bool ArrowsShown(int count) const { return count > 0 && (truncated || overflowed); }
    };
    Layout LayOut() const;
    int VisibleCount() const;
    TRect TabBand(bool active) const;
    void PaintTabs(TCanvas* canvas, const Layout& layout);
    void PaintButtons(TCanvas* canvas);
    void ScrollToSelected();
    void SyncFlags();
    void LoadPictures();

    TkivTab* tab_;
    std::unique_ptr<TStringList> tabs_;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    int tabIndex_ = 0;
    int leftMargin_ = 10;
    mutable std::vector<int> widths_;
    std::vector<bool> visible_;
    bool clicked_ = false;
    int firstVisible_ = 0;
    int arrowHit_ = 0; // -1 left arrow, 1 right arrow, 0 none
    int arrowWidth_ = 0, arrowHeight_ = 0;
    TBitmap activePicture_, inactivePicture_, linePicture_;
    TkivTabPosition tabPosition_ = kivTop;
    TPoint mouse_{-1, -1};
};

class TkivTab : public TCustomPanel, public ISkinnable {
public:
    ~TkivTab() override;

    TkivUIStyle UIStyle() const override { return uiStyle_; }
    // Takes the theme's pictures and its border (25), strip (26) and body colours.
    void SetUIStyle(TkivUIStyle value) override;
    TkivFileTheme* FileTheme() const override { return fileTheme_; }
    void SetFileTheme(TkivFileTheme* value) override;
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    int LeftMargin() const { return strip_->LeftMargin(); }
    void SetLeftMargin(int value) { strip_->SetLeftMargin(value); }
    TkivTabPosition TabPosition() const { return tabPosition_; }
    void SetTabPosition(TkivTabPosition value);
    int TabIndex() const { return strip_->TabIndex(); }
    TkivTabControlTopPanel* TopPanel() const { return strip_; }

    void AlignControls(TControl* AControl, TRect& Rect) override;
    void WndProc(TMessage& Message) override;

    TkivTabActiveEvent OnTabActive;
    TNotifyEvent OnChange;
    // Asked before a click changes the tab; code never asks.
    TkivTabChangingEvent OnChanging;

protected:
    explicit TkivTab(TComponent* AOwner);
    // Makes the strip (through CreateTopPanel) and applies the owner form's
    // style; the concrete controls call it from their constructors.
    void InitStrip();
    virtual TkivTabControlTopPanel* CreateTopPanel() = 0;
    virtual void SetTabIndex(int value) { strip_->SetTabIndex(value); }
    virtual void BorderColorChanged() {}
    // The strip selected tab `index`: OnTabActive, then OnChange, unless loading.
    virtual void TabActive(int index);
    virtual void UpdateUIStyle(TkivUIStyle, TkivFileTheme*) {}
    // Keeps the strip along the top or bottom edge (on every size change).
    void PlaceStrip();
    // The framed area below (or above) the strip.
    TRect BodyRect() const;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;

private:
    friend class TkivTabControlTopPanel;
    TkivUIStyle uiStyle_ = DeepBlue;
    TkivFileTheme* fileTheme_ = nullptr;
    TColor borderColor_ = clBlack;
    TkivTabPosition tabPosition_ = kivTop;
    TkivTabControlTopPanel* strip_ = nullptr; // an owned child
};

class TkivTabControl : public TkivTab {
public:
    explicit TkivTabControl(TComponent* AOwner);

    TStrings* Tabs() { return TopPanel()->Tabs(); }
    void SetTabs(const TStrings& value) { TopPanel()->SetTabs(value); }
    using TkivTab::SetTabIndex;

protected:
    TkivTabControlTopPanel* CreateTopPanel() override;
};

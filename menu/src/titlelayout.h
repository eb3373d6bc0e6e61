#pragma once
// The title menu on the design area: a picture button per title with its
// caption under it, laid out on the chosen background's points or in the row
// under them, the selected title, the title text's size and the disc-fill gauge.
#include "gfx/types.h"

#include <vector>

class TComponent;
class TLabel;
class TQV_MovieImage;
class TQV_Video_DVD_Setup_DVD_Menu_Form;
class TWinControl;

// A white Arial label of the design area, transparent; "&" shows as itself.
TLabel* NewDesignLabel(TComponent* owner, TWinControl* parent, int fontSize, bool bold);

class TitleLayout {
public:
    explicit TitleLayout(TQV_Video_DVD_Setup_DVD_Menu_Form& form) : form_(form) {}

    // The clip becomes title button `index`, on the design area with its caption.
    void MakeButton(TQV_MovieImage& clip, int index);
    void FreeLabels();
    TQV_MovieImage* At(int i) const;
    TQV_MovieImage* Selected() const;
    void Select(TQV_MovieImage* button);

    // The title buttons on the points, the rest in the overflow row; all kept in the area.
    void Layout(int count, const std::vector<TPoint>& points);
    void LayoutOnSelectedBackground();
    // Title i at `at`, moved in when it would reach past the picture, its caption under it.
    void Place(int i, TPoint at);
    // Place k of the row under the laid-out titles: Top 216, Left 20 + 40 k, at most 360.
    static TPoint OverflowPlace(int k);
    void PlaceLabel(int i);

    void UpdateSizeGauge(bool quiet);
    // The title text's width: caption length x font size.
    void SizeTitleText();

private:
    TQV_Video_DVD_Setup_DVD_Menu_Form& form_;
};

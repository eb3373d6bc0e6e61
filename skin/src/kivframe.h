#pragma once
// What the skinned form frame and the skinned MDI frame share: the look they
// read from the theme, the client rectangle inside their border, the border's
// painting, the rounded window shape, the maximized placement and menu shortcuts.
#include "skin/kivmgr.h"
#include "skin/kivtitlebar.h"

#include "gfx/bitmap.h"
#include "vcl/forms.h"
#include "vcl/menus.h"

struct TkivFrameLook {
    TColor borderColor = clBlack;
    int borderWidth = 1;
    TColor color = clBtnFace;
    int roundCorner = 0;
    int roundCornerBottom = 0;
    TBitmap leftBorder;   // file themes: turned for the left edge, empty otherwise
    TBitmap bottomBorder; // file themes
    // The menu bar's colour: the theme's when it has one, else `color`.
    TColor menuBarColor = clBtnFace;
    TkivUIStyle suggested = DeepBlue; // the built-in style drawn with
    bool fromFile = false;            // the file theme is in force

    // Items 14-17 and, with a file theme, 45-48 (`hasMenu`: the menu bar's colour too).
    void Read(TkivFileTheme* theme, TkivUIStyle style, bool hasMenu);
    int LeftBorderWidth() const { return leftBorder.Empty() ? 0 : leftBorder.Width(); }
    // Narrows the window rectangle to the client one: the left border picture at
    // both sides, the bottom picture's or the border's height (when `useBorderWidth`) below.
    void ClientInside(TRect& r, bool useBorderWidth) const;
};

// The frame round a form's client area on `c` (origin at the window's top-left):
// the border, strips in the panel colour beside the client and in `menuBarColor`
// beside `menuBar` (window coordinates, empty for none), and the title bar's
// pictures continued round `bar` standing at `barOrigin`.
void KivPaintFrame(TCanvas* c, const TCustomForm& form, const TkivFrameLook& look, TColor panelColor,
                   const TRect& menuBar, TColor menuBarColor, TkivTitleBar* bar, TPoint barOrigin);

// Fills a rectangle with a plain colour (nothing when empty).
void KivFillRect(TCanvas* c, const TRect& r, TColor color);

// Rounded upper corners of `top`, lower ones of `bottom` (−1 counts as 0).
void KivShapeWindow(TCustomForm* form, int top, int bottom);

// A maximized frame covers the work area and 2 pixels more left, top and right, 1 less at the bottom.
void KivPlaceMaximized(TCustomForm* form);

// Runs the menu item with the key's shortcut (the shift state held now); true when there was one.
bool KivRunShortCut(TMenu* menu, unsigned short key);

#pragma once
// The one rule every skinned control fetches its pictures, colours and flags
// by: the file theme when it is in force for the control, else the built-in
// table of the control's style.
#include "skin/kivmgr.h"
#include "skin/kivthemes.h"

inline void KivThemeBitmap(const TkivFileTheme* theme, TkivUIStyle style, int item, TBitmap* bitmap,
                           int count = 0, int frame = 0)
{
    TkivUIStyle suggested = style;
    if (UsingFileTheme(theme, style, suggested))
        theme->GetBitmap(item, bitmap, count, frame);
    else
        GetInsideThemeBitmap(suggested, item, bitmap, count, frame);
}

inline bool KivThemeBool(const TkivFileTheme* theme, TkivUIStyle style, int item)
{
    TkivUIStyle suggested = style;
    return UsingFileTheme(theme, style, suggested) ? theme->GetBool(item) : GetInsideThemeBool(suggested, item);
}

inline int KivThemeColor(const TkivFileTheme* theme, TkivUIStyle style, int item)
{
    TkivUIStyle suggested = style;
    return UsingFileTheme(theme, style, suggested) ? theme->GetColor(item) : GetInsideThemeColor(suggested, item);
}

inline int KivThemeInt(const TkivFileTheme* theme, TkivUIStyle style, int item)
{
    TkivUIStyle suggested = style;
    return UsingFileTheme(theme, style, suggested) ? theme->GetInt(item) : GetInsideThemeInt(suggested, item);
}

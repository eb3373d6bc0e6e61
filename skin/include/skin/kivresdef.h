#pragma once
// Texts of the skinned title bar's system menu.

inline constexpr const char* KIV_TITLE_MENUITEM_MINIMIZE = "最小化(&N)";
inline constexpr const char* KIV_TITLE_MENUITEM_MAXIMIZE = "最大化/还原(&X)";
inline constexpr const char* KIV_TITLE_MENUITEM_CLOSE = "关闭(&C)";

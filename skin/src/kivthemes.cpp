#include "skin/kivthemes.h"

#include "skin/kivpublic.h"
#include "skin/kivresources.h"
#include "skin/kivskinnable.h"
#include "skin/kivthemefile.h"

#include "gfx/bitmap.h"
#include "rtl/paths.h"
#include "vcl/forms.h"

namespace {

struct ThemeItem {
    const char* name;
    TkivType type;
    // MacOS, WinXP, DeepBlue, Protein, BlueGlass.
    std::int32_t values[5];
    const char* resources[5];
};

#define KIV_PICS(stem) {"MACOS_" stem, "WINXP_" stem, "DEEPBLUE_" stem, "PROTEIN_" stem, "BLUEGLASS_" stem}
#define KIV_NOPICS {nullptr, nullptr, nullptr, nullptr, nullptr}
#define KIV_EMPTYPICS {"", "", "", "", ""}

const ThemeItem kItems[KIV_THEME_ITEM_COUNT] = {
    {"ButtonImage", kivStr, {}, KIV_PICS("BUTTON")},
    {"ButtonTransparentBool", kivBool, {1, 0, 0, 0, 1}, KIV_NOPICS},
    {"CheckBoxImage", kivStr, {}, KIV_PICS("CHECKBOX")},
    {"RadioButtonImage", kivStr, {}, KIV_PICS("RADIOBUTTON")},
    {"TitleBarButtonImage", kivStr, {}, KIV_PICS("TITLEBTN")},
    {"TitleBarButtonTransparentBool", kivBool, {0, 0, 0, 1, 1}, KIV_NOPICS},
    {"TitleBarButtonLeftOffsetInt", kivInt, {3, 2, 0, 0, 4}, KIV_NOPICS},
    {"TitleBarButtonRightOffsetInt", kivInt, {-2, -2, 0, 0, -3}, KIV_NOPICS},
    {"TitleBarButtonTopInt", kivInt, {4, 5, 2, 2, 6}, KIV_NOPICS},
    {"TitleBarLeftImage", kivStr, {}, KIV_PICS("TITLE_LEFT")},
    {"TitleBarClientImage", kivStr, {}, KIV_PICS("TITLE_CLIENT")},
    {"TitleBarRightImage", kivStr, {}, KIV_PICS("TITLE_RIGHT")},
    {"FormMinWidthInt", kivInt, {130, 150, 130, 130, 270}, KIV_NOPICS},
    {"FormRoundCornerInt", kivInt, {0, 13, 0, 0, 11}, KIV_NOPICS},
    {"FormBackgroundColor", kivColor, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}, KIV_NOPICS},
    {"FormBorderColor", kivColor, {0x7F7F7F, 0xC82C00, 0x000000, 0x000000, 0x000000}, KIV_NOPICS},
    {"FormBorderWidthInt", kivInt, {1, 3, 1, 1, 1}, KIV_NOPICS},
    {"MenuSelectedBorderColor", kivColor, {0xC47339, 0xC66931, 0xA04A44, 0xC4302D, 0xEC5E5E}, KIV_NOPICS},
    {"MenuSelectedBackgroundColor", kivColor, {0xC47339, 0xEFD3C6, 0xA04A44, 0xC4302D, 0xEC5E5E}, KIV_NOPICS},
    {"MenuSelectedFontColor", kivColor, {0xFFFFFF, 0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, KIV_NOPICS},
    {"MenuBackgroundColor", kivColor, {0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xE7E7E7}, KIV_NOPICS},
    {"MenuFontColor", kivColor, {0x000000, 0x000000, 0x000000, 0x000000, 0x000000}, KIV_NOPICS},
    {"MenuBarColor", kivColor, {0x000000, 0xCED3D6, 0xCED3D6, 0xCED3D6, 0xCED3D6}, KIV_NOPICS},
    {"ProgressBarImage", kivStr, {}, KIV_PICS("PROGRESSBAR")},
    {"ControlBorderColor", kivColor, {0x7F7F7F, 0x686868, 0x000000, 0x000000, 0x000000}, KIV_NOPICS},
    {"ControlBackgroundColor", kivColor, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}, KIV_NOPICS},
    {"ControlFontColor", kivColor, {0x000000, 0xCF4602, 0x000000, 0x000000, 0x000000}, KIV_NOPICS},
    {"TrackBarBarImage", kivStr, {}, KIV_PICS("TRACKBAR_BAR")},
    {"TrackBarSliderImage", kivStr, {}, KIV_PICS("TRACKBAR_SLIDER")},
    {"TrackBarSliderVImage", kivStr, {}, KIV_PICS("TRACKBAR_SLIDER_V")},
    {"ScrollBarBackgroundColor", kivColor, {0xC9C9C9, 0xF9F9F9, 0xF5F5F5, 0xF5F5F5, 0xF4F4F4}, KIV_NOPICS},
    {"ScrollBarButtonImage", kivStr, {}, KIV_PICS("SCROLLBAR_BUTTON")},
    {"ScrollBarSliderImage", kivStr, {}, KIV_PICS("SCROLLBAR_TRACK")},
    {"CheckListBoxImage", kivStr, {}, KIV_PICS("CHECKLIST")},
    {"ToolBarButtonBorderColor", kivColor, {0x474747, 0xC66931, 0x474747, 0x474747, 0x474747}, KIV_NOPICS},
    {"ToolBarButtonBackgroundColor", kivColor, {0xEFEFEF, 0xEFD3C6, 0xEFEFEF, 0xEFEFEF, 0xEFEFEF}, KIV_NOPICS},
    {"ToolBarButtonDownBackgroundColor", kivColor, {0xD8D8D8, 0xE1AC93, 0xD8D8D8, 0xD8D8D8, 0xD8D8D8}, KIV_NOPICS},
    {"ScrollButtonImage", kivStr, {},
     {"MACOS_SCROLLBUTTON", "WINXP_SCROLLBUTTON", "MORE_SCROLLBUTTON", "MORE_SCROLLBUTTON", "MORE_SCROLLBUTTON"}},
    {"TabControlTabImage", kivStr, {}, KIV_PICS("TAB")},
    {"TabControlBarImage", kivStr, {}, KIV_PICS("TAB_LINE")},
    {"SideChannelHandleImage", kivStr, {}, KIV_PICS("SIDECHENNEL_HANDLE")},
    {"SideChannelBarImage", kivStr, {}, KIV_PICS("SIDECHENNEL_BAR")},
    {"TitleBarMinimizedImage", kivStr, {}, KIV_EMPTYPICS},
    {"TitleBarFontColor", kivColor, {0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, KIV_NOPICS},
    {"FormLeftBorderImage", kivStr, {}, KIV_EMPTYPICS},
    {"FormBottomBorderImage", kivStr, {}, KIV_EMPTYPICS},
    {"FormBottomRoundCornerInt", kivInt, {0, 0, 0, 0, 0}, KIV_NOPICS},
    {"MenuMenuBarColor", kivColor, {0xE7E7E7, 0xDEEBEF, 0xE8E8E8, 0xFBFBFB, 0xE7E7E7}, KIV_NOPICS},
};

const ThemeItem* Item(int item)
{
    return item >= 1 && item <= KIV_THEME_ITEM_COUNT ? &kItems[item - 1] : nullptr;
}

bool BuiltIn(TkivUIStyle style) { return style >= MacOS && style <= BlueGlass; }

// The shared lookup: the style's value and the item's kind; FromThemeFile, a
// style or an item out of range answer kind Int and value -1.
TkivType Lookup(TkivUIStyle style, int item, std::int32_t& value)
{
    const ThemeItem* it = Item(item);
    if (!it || !BuiltIn(style)) {
        value = -1;
        return kivInt;
    }
    value = it->values[style - 1];
    return it->type;
}

} // namespace

std::string GetThemeItemName(int item)
{
    const ThemeItem* it = Item(item);
    return it ? it->name : "";
}

TkivType GetThemeItemType(int item)
{
    const ThemeItem* it = Item(item);
    return it ? it->type : kivInt;
}

std::string GetInsideThemeResourceName(TkivUIStyle style, int item)
{
    const ThemeItem* it = Item(item);
    if (!it || !BuiltIn(style) || it->type != kivStr) return "";
    return it->resources[style - 1];
}

void GetInsideThemeBitmap(TkivUIStyle style, int item, TBitmap* bitmap, int count, int index)
{
    if (!bitmap) return;
    const ThemeItem* it = Item(item);
    if (!it || !BuiltIn(style) || it->type != kivStr) return;
    const std::string name = it->resources[style - 1];
    if (count == 0) {
        LoadBitmapResource(name, *bitmap);
        return;
    }
    TBitmap whole;
    LoadBitmapResource(name, whole);
    SpitBitmap(&whole, bitmap, count, index);
}

int GetInsideThemeColor(TkivUIStyle style, int item)
{
    std::int32_t value = 0;
    return Lookup(style, item, value) == kivColor ? value : 0;
}

int GetInsideThemeInt(TkivUIStyle style, int item)
{
    std::int32_t value = 0;
    return Lookup(style, item, value) == kivInt ? value : -1;
}

bool GetInsideThemeBool(TkivUIStyle style, int item)
{
    std::int32_t value = 0;
    return Lookup(style, item, value) == kivBool && value != 0;
}

TkivUIStyle GetKIVFormStyle(const TComponent* component)
{
    auto* form = dynamic_cast<const TCustomForm*>(component);
    if (!form) return DeepBlue;
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* frame = dynamic_cast<const IKivFormFrame*>(form->Components(i))) return frame->UIStyle();
    return DeepBlue;
}

// ---------------------------------------------------------------------------
TkivFileThemeMgr::TkivFileThemeMgr() = default;
TkivFileThemeMgr::~TkivFileThemeMgr() = default;

bool TkivFileThemeMgr::LoadFromFile(const std::string& fileName)
{
    if (!FileExists(fileName)) return false;
    reader_.reset();
    reader_ = std::make_unique<TkivThemeFileReader>(fileName);
    return true;
}

void TkivFileThemeMgr::SetReader(std::unique_ptr<TkivThemeFileReader> reader) { reader_ = std::move(reader); }

void TkivFileThemeMgr::GetBitmap(int item, TBitmap* bitmap) const
{
    if (!reader_ || !bitmap) return;
    if (TMemoryStream* stream = reader_->GetFile(GetThemeItemName(item))) bitmap->LoadFromStream(*stream);
}

bool TkivFileThemeMgr::GetBool(int item) const
{
    return reader_ ? reader_->GetBool(GetThemeItemName(item)) : false;
}

int TkivFileThemeMgr::GetColor(int item) const
{
    return reader_ ? reader_->GetInteger(GetThemeItemName(item)) : 0;
}

int TkivFileThemeMgr::GetInt(int item) const
{
    return reader_ ? reader_->GetInteger(GetThemeItemName(item)) : 0;
}

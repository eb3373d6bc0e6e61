#include "skin/kivresources.h"
#include "skin/kivthemes.h"

#include "gfx/bitmap.h"

#include <gtest/gtest.h>

TEST(KivThemes, LookupsAnswerByKindAndStyle)
{
    EXPECT_EQ(GetInsideThemeColor(DeepBlue, 25), 0x000000);
    EXPECT_EQ(GetInsideThemeColor(WinXP, 25), 0x686868);
    EXPECT_EQ(GetInsideThemeColor(FromThemeFile, 25), 0);
    EXPECT_EQ(GetInsideThemeInt(MacOS, 8), -2);
    EXPECT_EQ(GetInsideThemeInt(MacOS, 15), -1);
    EXPECT_TRUE(GetInsideThemeBool(BlueGlass, 2));
    EXPECT_FALSE(GetInsideThemeBool(FromThemeFile, 2));
    EXPECT_EQ(GetInsideThemeInt(BlueGlass, 13), 270);
    EXPECT_EQ(GetInsideThemeColor(WinXP, 16), 0xC82C00);
    EXPECT_EQ(GetInsideThemeInt(WinXP, 0), -1);
    EXPECT_EQ(GetInsideThemeInt(WinXP, 49), -1);
    EXPECT_EQ(GetInsideThemeInt(static_cast<TkivUIStyle>(9), 7), -1);
    EXPECT_EQ(GetThemeItemName(48), "MenuMenuBarColor");
    EXPECT_EQ(GetThemeItemName(1), "ButtonImage");
}

TEST(KivThemes, EveryPictureItemOfEveryStyleHasItsResource)
{
    int names = 0;
    for (int s = MacOS; s <= BlueGlass; ++s)
        for (int item = 1; item <= KIV_THEME_ITEM_COUNT; ++item) {
            if (GetThemeItemType(item) != kivStr) continue;
            const std::string name = GetInsideThemeResourceName(static_cast<TkivUIStyle>(s), item);
            if (item == 43 || item == 45 || item == 46) {
                EXPECT_EQ(name, "");
                TBitmap b;
                EXPECT_THROW(GetInsideThemeBitmap(static_cast<TkivUIStyle>(s), item, &b), EResNotFound);
                continue;
            }
            ++names;
            TBitmap b;
            GetInsideThemeBitmap(static_cast<TkivUIStyle>(s), item, &b);
            EXPECT_FALSE(b.Empty()) << name;
        }
    EXPECT_EQ(names, 95); // 93 names, MORE_SCROLLBUTTON counted three times
    EXPECT_TRUE(HasBitmapResource("MACOS_MENU_BAR"));
    EXPECT_TRUE(HasBitmapResource("MSNPOPFORM"));
    try {
        TBitmap b;
        LoadBitmapResource("NO_SUCH", b);
        FAIL();
    } catch (const EResNotFound& e) {
        EXPECT_STREQ(e.what(), "Resource NO_SUCH not found");
    }
}

TEST(KivThemes, StripsAndNinePartPicturesHaveTheirLayout)
{
    for (int s = MacOS; s <= BlueGlass; ++s) {
        const auto style = static_cast<TkivUIStyle>(s);
        TBitmap button, title, check, whole, frame;
        GetInsideThemeBitmap(style, 1, &button);
        EXPECT_EQ(button.Width() % 3, 0);
        EXPECT_EQ(button.Width() / 3 % 2, 1); // odd: one-pixel centre lines
        EXPECT_EQ(button.Height() % 2, 1);
        GetInsideThemeBitmap(style, 5, &title);
        EXPECT_EQ(title.Width(), 18 * title.Height());
        GetInsideThemeBitmap(style, 3, &check);
        EXPECT_EQ(check.Width(), 4 * check.Height());
        GetInsideThemeBitmap(style, 32, &whole);
        EXPECT_EQ(whole.Width(), 6 * whole.Height());
        GetInsideThemeBitmap(style, 1, &frame, 3, 2);
        EXPECT_EQ(frame.Width(), button.Width() / 3);
        EXPECT_EQ(frame.Pixel(5, 5), button.Pixel(frame.Width() + 5, 5));
    }
    // Keyed styles leave the button's corner transparent.
    TBitmap mac;
    GetInsideThemeBitmap(MacOS, 1, &mac);
    EXPECT_EQ(mac.Pixel(0, 0), 0xFF00FF);
}

TEST(KivThemes, FormStyleFallsBackToDeepBlue)
{
    EXPECT_EQ(GetKIVFormStyle(nullptr), DeepBlue);
}

#include "skin/kivmgr.h"
#include "skin/kivthemefile.h"

#include "gfx/bitmap.h"
#include "rtl/paths.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(KivMgr, UsingFileThemeRule)
{
    TkivUIStyle s = MacOS;
    EXPECT_FALSE(UsingFileTheme(nullptr, FromThemeFile, s));
    EXPECT_EQ(s, DeepBlue);
    TkivFileTheme theme(nullptr);
    const std::string dir = MakeTempFolder("kivmgr");
    { TkivThemeFileWriter w(dir + "/t.kiv"); w.AddInteger("FormBorderWidthInt", 3); }
    theme.SetThemeFile(dir + "/t.kiv");
    ASSERT_TRUE(theme.CanUse());
    EXPECT_EQ(theme.GetInt(17), 3);
    EXPECT_FALSE(UsingFileTheme(&theme, WinXP, s));
    EXPECT_EQ(s, WinXP);
    EXPECT_TRUE(UsingFileTheme(&theme, FromThemeFile, s));
}

TEST(KivMgr, BadThemeFileRaisesAndMissingOneIsIgnored)
{
    const std::string dir = MakeTempFolder("kivmgr");
    std::ofstream(dir + "/bad.kiv") << "not a theme";
    TkivFileTheme theme(nullptr);
    theme.SetThemeFile(dir + "/nowhere.kiv");
    EXPECT_FALSE(theme.CanUse());
    EXPECT_EQ(theme.ThemeFile(), "");
    try {
        theme.SetThemeFile(dir + "/bad.kiv");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Invalid skin file for Kivarna!");
    }
}

TEST(KivMgr, EmbeddedThemeLoadsFromMemoryAndManagerFallsBack)
{
    const std::string dir = MakeTempFolder("kivmgr");
    { TkivThemeFileWriter w(dir + "/e.kiv"); w.AddBool("ButtonTransparentBool", true); }
    TMemoryStream bytes;
    bytes.LoadFromFile(dir + "/e.kiv");
    TComponent owner(nullptr);
    auto* theme = new TkivBuiltInFileTheme(&owner);
    theme->SetSkinData({bytes.Memory(), static_cast<std::size_t>(bytes.Size())});
    EXPECT_TRUE(theme->CanUse());
    EXPECT_TRUE(theme->GetBool(2));

    auto* mgr = new TkivThemeManager(&owner);
    int changes = 0;
    mgr->OnUIStyleChanged = [&](TObject*) { ++changes; };
    mgr->SetFileTheme(theme);
    mgr->SetUIStyle(FromThemeFile);
    EXPECT_EQ(changes, 1);
    theme->Free();
    EXPECT_EQ(mgr->FileTheme(), nullptr);
    EXPECT_EQ(mgr->UIStyle(), DeepBlue);
}

// Skinned font and font-size boxes over a fake font list (each filter, the
// name and change rules, the sizes of scalable and bitmap families) and once
// over the installed fonts.
#include "kivcontrols_fixture.h"

#include "skin/kivfontcombobox.h"
#include "skin/kivresources.h"

#include "gfx/canvas.h"
#include "gfx/fonts.h"

#include <memory>
#include <string>
#include <vector>

namespace {

// A font list of our own making: bitmap families list one entry per size.
class FakeFonts : public IFontEnumerator {
public:
    std::vector<TFontFamily> fonts = {
        {"Liberation Sans", TRUETYPE_FONTTYPE, false, ANSI_CHARSET},
        {"Liberation Mono", TRUETYPE_FONTTYPE, true, ANSI_CHARSET},
        {"Fixedsys", RASTER_FONTTYPE, true, ANSI_CHARSET, 19, 3},
        {"Fixedsys", RASTER_FONTTYPE, true, ANSI_CHARSET, 13, 2},
        {"Fixedsys", RASTER_FONTTYPE, true, ANSI_CHARSET, 15, 3},
        {"Fixedsys", RASTER_FONTTYPE, true, ANSI_CHARSET, 15, 3},
        {"Terminal", RASTER_FONTTYPE, true, OEM_CHARSET, 12, 0},
        {"Symbolic", TRUETYPE_FONTTYPE, false, SYMBOL_CHARSET},
        {"Cyrillic Sans", TRUETYPE_FONTTYPE, false, DEFAULT_CHARSET},
    };
    std::vector<TFontFamily> Families() override
    {
        std::vector<TFontFamily> out;
        for (const TFontFamily& f : fonts) {
            bool seen = false;
            for (const TFontFamily& o : out) seen |= o.Name == f.Name;
            if (!seen) out.push_back(f);
        }
        return out;
    }
    std::vector<TFontFamily> FamilyFonts(const std::string& family) override
    {
        std::vector<TFontFamily> out;
        for (const TFontFamily& f : fonts)
            if (SameText(f.Name, family)) out.push_back(f);
        return out;
    }
};

class KivFontBoxes : public KivControlsTest {
protected:
    void SetUp() override
    {
        KivControlsTest::SetUp();
        SetFontEnumerator(&fake);
    }
    void TearDown() override
    {
        SetFontEnumerator(nullptr);
        KivControlsTest::TearDown();
    }
    TkivFontComboBox* MakeFontBox(TFontListOptions options = 0)
    {
        auto* b = new TkivFontComboBox(form);
        b->SetParent(form);
        b->SetBounds(20, 20, 180, 21);
        b->SetOptions(options);
        b->OnChange = [this](TObject*) { ++changes; };
        form->Show();
        return b;
    }
    static std::vector<std::string> ItemsOf(TCustomComboBox& box)
    {
        std::vector<std::string> out;
        for (int i = 0; i < box.Items()->Count(); ++i) out.push_back(box.Items()->Get(i));
        return out;
    }
    FakeFonts fake;
    int changes = 0;
};

using Names = std::vector<std::string>;

TEST_F(KivFontBoxes, ListIsSortedAndFilteredByEachOption)
{
    auto* b = MakeFontBox();
    EXPECT_EQ(ItemsOf(*b), (Names{"Cyrillic Sans", "Fixedsys", "Liberation Mono", "Liberation Sans", "Symbolic",
                                  "Terminal"}));
    const struct {
        TFontListOptions option;
        Names names;
    } cases[] = {
        {foAnsiOnly, {"Fixedsys", "Liberation Mono", "Liberation Sans"}},
        {foTrueTypeOnly, {"Cyrillic Sans", "Liberation Mono", "Liberation Sans", "Symbolic"}},
        {foFixedPitchOnly, {"Fixedsys", "Liberation Mono", "Terminal"}},
        {foOEMFontsOnly, {"Terminal"}},
        {foNoOEMFonts, {"Cyrillic Sans", "Fixedsys", "Liberation Mono", "Liberation Sans", "Symbolic"}},
        {foScalableOnly, {"Cyrillic Sans", "Liberation Mono", "Liberation Sans", "Symbolic"}},
        {foNoSymbolFonts, {"Cyrillic Sans", "Fixedsys", "Liberation Mono", "Liberation Sans", "Terminal"}},
        {foTrueTypeOnly | foFixedPitchOnly, {"Liberation Mono"}},
    };
    for (const auto& c : cases) {
        b->SetOptions(c.option);
        EXPECT_EQ(ItemsOf(*b), c.names) << c.option;
    }
    // Each item carries its type flags, and 0x100 unless it is a symbol font.
    b->SetOptions(0);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(b->Items()->Objects(b->Items()->IndexOf("Symbolic"))), TRUETYPE_FONTTYPE);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(b->Items()->Objects(b->Items()->IndexOf("Terminal"))),
              RASTER_FONTTYPE | kivFontNotSymbol);
    // A printer's list is the same installed fonts: both devices list each family once.
    b->SetDevice(fdBoth);
    EXPECT_EQ(b->Items()->Count(), 6);
}

TEST_F(KivFontBoxes, FontNameChoosesIgnoringCaseAndAlwaysTellsOnChange)
{
    auto* b = MakeFontBox();
    changes = 0;
    b->SetFontName("liberation mono");
    EXPECT_EQ(b->FontName(), "Liberation Mono");
    EXPECT_EQ(changes, 1);
    b->SetFontName("Liberation Mono"); // unchanged: nothing happens
    EXPECT_EQ(changes, 1);
    b->SetFontName("No Such Font");    // missing: nothing chosen, still a change
    EXPECT_EQ(b->ItemIndex(), -1);
    EXPECT_EQ(b->FontName(), "");
    EXPECT_EQ(changes, 2);

    // The editable style keeps a missing name as typed.
    b->SetStyle(csDropDown);
    b->SetFontName("Missing Sans");
    EXPECT_EQ(b->FontName(), "Missing Sans");
    EXPECT_EQ(b->ItemIndex(), -1);
    EXPECT_EQ(changes, 3);
}

TEST_F(KivFontBoxes, TypingAFamilyOrPickingOneFromTheListFiresOnce)
{
    auto* b = MakeFontBox();
    b->SetStyle(csDropDown);
    b->SetAutoComplete(false);
    b->SetFontName("Terminal");
    changes = 0;
    b->SetFocus();
    b->EditControl()->SelectAll();
    headless->TypeText("liberation sans"); // "liberation" alone names no family
    EXPECT_EQ(b->ItemIndex(), b->Items()->IndexOf("Liberation Sans"));
    EXPECT_EQ(b->FontName(), "liberation sans");
    EXPECT_EQ(changes, 1);

    headless->OnNextModal([&](TCustomForm& f) {
        auto& list = dynamic_cast<TComboListWindow&>(f);
        const TRect r = list.ItemRect(1);
        headless->Click(f, r.Left + 5, r.Top + 3);
    });
    b->SetDroppedDown(true);
    EXPECT_EQ(b->FontName(), "Fixedsys");
    EXPECT_EQ(changes, 2);
}

TEST_F(KivFontBoxes, InstalledFontsChangingRebuildsTheListAndKeepsTheName)
{
    auto* b = MakeFontBox();
    b->SetFontName("Symbolic");
    changes = 0;
    fake.fonts.push_back({"Added Serif", TRUETYPE_FONTTYPE, false, ANSI_CHARSET});
    Screen->FontsChanged();
    EXPECT_GE(b->Items()->IndexOf("Added Serif"), 0);
    EXPECT_EQ(b->FontName(), "Symbolic");
    EXPECT_EQ(changes, 0);
    fake.fonts.erase(fake.fonts.begin() + 7); // "Symbolic" uninstalled: the choice is gone, and told
    Screen->FontsChanged();
    EXPECT_EQ(b->FontName(), "");
    EXPECT_EQ(changes, 1);
    fake.fonts.push_back({"Symbolic", TRUETYPE_FONTTYPE, false, SYMBOL_CHARSET}); // back again: chosen again
    Screen->FontsChanged();
    EXPECT_EQ(b->FontName(), "Symbolic");
}

TEST_F(KivFontBoxes, ItemsShowTheKindPictureAndWithUseFontsTheirOwnFont)
{
    auto* b = MakeFontBox();
    EXPECT_GE(b->ItemHeight(), b->TrueTypePicture()->Height() - 1);
    EXPECT_GE(b->ItemHeight(), 9);
    auto draw = [&](const std::string& name) {
        auto out = std::make_unique<TBitmap>(180, b->ItemHeight());
        b->DrawItem(*out->Canvas(), b->Items()->IndexOf(name), Rect(0, 0, 180, b->ItemHeight()), 0);
        return out;
    };
    auto same = [](const TBitmap& x, const TBitmap& y) {
        for (int j = 0; j < x.Height(); ++j)
            for (int i = 0; i < x.Width(); ++i)
                if (x.Pixel(i, j) != y.Pixel(i, j)) return false;
        return true;
    };
    // The TrueType mark at left + 2, centred; a bitmap family has no mark.
    const auto mono = draw("Liberation Mono");
    const TBitmap& mark = *b->TrueTypePicture();
    const int top = (b->ItemHeight() - mark.Height()) / 2;
    bool found = false;
    for (int y = 0; y < mark.Height(); ++y)
        for (int x = 0; x < mark.Width(); ++x)
            if (mark.Pixel(x, y) != mark.Pixel(0, mark.Height() - 1)) found |= mono->Pixel(2 + x, top + y) == mark.Pixel(x, y);
    EXPECT_TRUE(found);
    const auto fixed = draw("Fixedsys");
    for (int y = 0; y < fixed->Height(); ++y)
        for (int x = 0; x < 20; ++x) EXPECT_EQ(fixed->Pixel(x, y), ColorToRGB(b->Color()));

    b->Font()->SetName("Liberation Sans");
    const auto plain = draw("Liberation Mono");
    const auto plainSymbol = draw("Symbolic");
    b->SetUseFonts(true);
    EXPECT_FALSE(same(*plain, *draw("Liberation Mono"))); // drawn in its own face
    EXPECT_TRUE(same(*plainSymbol, *draw("Symbolic")));   // a symbol font keeps the box's font
}

TEST_F(KivFontBoxes, SizesOfScalableAndBitmapFamilies)
{
    auto* sizes = new TkivFontSizeComboBox(form);
    sizes->SetParent(form);
    sizes->SetBounds(20, 60, 60, 21);
    int sizeChanges = 0;
    sizes->OnChange = [&](TObject*) { ++sizeChanges; };
    form->Show();
    EXPECT_EQ(sizes->FontSize(), 0);
    sizes->SetFontName("Liberation Sans");
    EXPECT_EQ(ItemsOf(*sizes), (Names{"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36",
                                      "48", "72"}));
    EXPECT_EQ(sizeChanges, 1);
    EXPECT_EQ(sizes->FontSize(), 0);
    EXPECT_EQ(sizes->PixelsPerInch(), 96);
    sizes->SetFontSize(12);
    EXPECT_EQ(sizes->FontSize(), 12);
    sizes->SetFontSize(13);
    EXPECT_EQ(sizes->FontSize(), 0);
    sizes->SetFontSize(12);

    // (cell - leading) * 72 / 96, rounded: 12, 8, 9 and 9 again -> ascending, each once; 12 stays chosen.
    sizes->SetFontName("Fixedsys");
    EXPECT_EQ(ItemsOf(*sizes), (Names{"8", "9", "12"}));
    EXPECT_EQ(sizes->FontSize(), 12);
    EXPECT_EQ(sizeChanges, 2);
    sizes->SetFontName("Terminal");
    EXPECT_EQ(ItemsOf(*sizes), (Names{"9"}));
    EXPECT_EQ(sizes->FontSize(), 0);
    sizes->SetFontName("");
    EXPECT_EQ(sizes->Items()->Count(), 0);
}

TEST_F(KivFontBoxes, RealFontListHoldsLiberationSansAsTrueType)
{
    SetFontEnumerator(nullptr);
    auto* b = MakeFontBox(foTrueTypeOnly);
    const int i = b->Items()->IndexOf("Liberation Sans");
    ASSERT_GE(i, 0);
    const auto flags = reinterpret_cast<std::intptr_t>(b->Items()->Objects(i));
    EXPECT_TRUE(flags & TRUETYPE_FONTTYPE);
    EXPECT_TRUE(flags & kivFontNotSymbol);
    b->SetFontName("Liberation Sans");
    auto* sizes = new TkivFontSizeComboBox(form);
    sizes->SetParent(form);
    sizes->SetFontName(b->FontName());
    EXPECT_EQ(sizes->Items()->Count(), 16);
}

TEST_F(KivFontBoxes, MarkPicturesAreBuiltAndAMissingOneIsNamed)
{
    for (const char* name : {"FONTCOMBO_TRUETYPE_FNT", "FONTCOMBO_DEVICE_FNT", "MACOS_COMBOBOX_BUTTON",
                             "WINXP_COMBOBOX_BUTTON"})
        EXPECT_TRUE(HasBitmapResource(name)) << name;
    TBitmap b;
    try {
        LoadBitmapResource("FONTCOMBO_NO_SUCH_FNT", b);
        ADD_FAILURE() << "no error";
    } catch (const EResNotFound& e) {
        EXPECT_STREQ(e.what(), "Resource FONTCOMBO_NO_SUCH_FNT not found");
    }
}

} // namespace

// Skinned colour box: Selected with and without a window, the lists of the
// style sets, pretty names, the "Custom..." item through a scripted colour
// dialog, and the swatches as drawn.
#include "kivcontrols_fixture.h"

#include "skin/kivcolorbox.h"

#include "gfx/canvas.h"
#include "vcl/dialogs.h"

namespace {

class KivColorBoxes : public KivControlsTest {
protected:
    void SetUp() override
    {
        KivControlsTest::SetUp();
        ScriptedDialogs().Reset();
    }
    void TearDown() override
    {
        ScriptedDialogs().Reset();
        KivControlsTest::TearDown();
    }
    TkivColorBox* MakeBox(bool show = true)
    {
        auto* b = new TkivColorBox(form);
        b->SetParent(form);
        b->SetBounds(20, 20, 160, 21);
        b->OnSelect = [this](TObject*) { ++selects; };
        if (show) form->Show();
        return b;
    }
    // Opens the list and clicks item `index` in it.
    void PickFromList(TkivColorBox* b, int index)
    {
        headless->OnNextModal([&, index](TCustomForm& f) {
            const TRect r = dynamic_cast<TComboListWindow&>(f).ItemRect(index);
            headless->Click(f, r.Left + 30, r.Top + 3);
        });
        b->SetDroppedDown(true);
    }
    int selects = 0;
};

TEST_F(KivColorBoxes, SelectedWithAndWithoutAWindow)
{
    auto* b = MakeBox(false);
    EXPECT_FALSE(b->HandleAllocated());
    EXPECT_EQ(b->Selected(), clBlack);           // the stored default
    b->SetSelected(clTeal);
    EXPECT_EQ(b->Selected(), clTeal);
    b->SetSelected(0x123456);                    // not in the list: kept while there is no window
    EXPECT_EQ(b->Selected(), 0x123456);
    b->SetSelected(clTeal);
    form->Show();                                // the list is built with the window, the colour chosen
    ASSERT_TRUE(b->HandleAllocated());
    EXPECT_EQ(b->Items()->Count(), 50);
    EXPECT_EQ(b->Items()->Get(b->ItemIndex()), "clTeal");
    EXPECT_EQ(b->Selected(), clTeal);
    b->SetSelected(0x123456);                    // with a window: nothing selected, the sentinel
    EXPECT_EQ(b->ItemIndex(), -1);
    EXPECT_EQ(b->Selected(), kivNoColorSelected);
    EXPECT_NE(b->Selected(), clBlack);
    b->SetSelected(clBtnFace);                   // system colours come as they are
    EXPECT_EQ(b->Selected(), clBtnFace);
}

TEST_F(KivColorBoxes, StyleSetsGiveTheirListsInTableOrder)
{
    auto* b = MakeBox();
    auto names = [&] {
        std::vector<std::string> out;
        for (int i = 0; i < b->Items()->Count(); ++i) out.push_back(b->GetColorName(i));
        return out;
    };
    b->SetStyle(cbStandardColors);
    ASSERT_EQ(b->Items()->Count(), 16);
    EXPECT_EQ(names().front(), "clBlack");
    EXPECT_EQ(names().back(), "clWhite");
    b->SetStyle(cbExtendedColors);
    EXPECT_EQ(names(), (std::vector<std::string>{"clMoneyGreen", "clSkyBlue", "clCream", "clMedGray"}));
    b->SetStyle(cbSystemColors | cbIncludeNone | cbIncludeDefault);
    ASSERT_EQ(b->Items()->Count(), 32);
    EXPECT_EQ(names().front(), "clScrollBar");
    EXPECT_EQ(b->GetColor(30), clNone);
    EXPECT_EQ(b->GetColor(31), clDefault);
    b->SetStyle(cbStandardColors | cbIncludeDefault);
    EXPECT_EQ(b->Items()->Count(), 17);
    EXPECT_EQ(b->GetColor(16), clDefault);
    EXPECT_TRUE(b->Enabled());

    b->SetStyle(cbCustomColor);                   // "Custom..." alone: listed and enabled
    EXPECT_EQ(names(), (std::vector<std::string>{"Custom..."}));
    EXPECT_TRUE(b->Enabled());
    b->SetStyle(0);                               // nothing: empty and disabled
    EXPECT_EQ(b->Items()->Count(), 0);
    EXPECT_FALSE(b->Enabled());
    b->SetStyle(cbIncludeNone);                   // none alone is no colour group: still disabled
    EXPECT_FALSE(b->Enabled());
    EXPECT_EQ(names(), (std::vector<std::string>{"clNone"}));

    b->SetStyle(cbStandardColors | cbExtendedColors | cbSystemColors | cbPrettyNames);
    EXPECT_EQ(b->GetColorName(0), "Black");
    EXPECT_EQ(b->GetColorName(16), "Money Green");
    EXPECT_EQ(b->GetColorName(b->Items()->IndexOfObject(reinterpret_cast<TObject*>(static_cast<std::intptr_t>(clBtnFace)))),
              "Btn Face");
    EXPECT_GE(b->ItemIndex(), 0);                 // a rebuilt list keeps a choice
}

TEST_F(KivColorBoxes, CustomColourComesFromTheColourDialog)
{
    auto* b = MakeBox();
    b->SetStyle(cbCustomColor | cbStandardColors);
    b->SetSelected(0x123456);                     // a colour not listed becomes the custom item's
    EXPECT_EQ(b->ItemIndex(), 0);
    EXPECT_EQ(b->GetColor(0), 0x123456);
    b->SetItemIndex(3);

    ScriptedDialogs().AnswerColor(0xABCDEF);
    PickFromList(b, 0);
    ASSERT_EQ(ScriptedDialogs().Requests().size(), 1u);
    const auto& request = ScriptedDialogs().Requests()[0];
    EXPECT_EQ(request.kind, "color");
    EXPECT_EQ(request.color, 0x123456);           // opened on the item's colour ...
    ASSERT_FALSE(request.customColors.empty());
    EXPECT_EQ(request.customColors[0], 0x123456); // ... with it as custom colour A ("ColorA=00123456")
    EXPECT_EQ(b->GetColor(0), 0xABCDEF);
    EXPECT_EQ(b->Selected(), 0xABCDEF);
    EXPECT_EQ(selects, 1);

    b->SetItemIndex(3);
    ScriptedDialogs().CancelNext();               // a cancelled dialog chooses nothing
    PickFromList(b, 0);
    EXPECT_EQ(ScriptedDialogs().Requests().size(), 2u);
    EXPECT_EQ(b->GetColor(0), 0xABCDEF);
    EXPECT_EQ(selects, 1);

    // Keys moving onto "Custom..." ask nothing; Enter there does.
    b->SetItemIndex(1);
    b->SetFocus();
    headless->PressKey(VK_UP);
    EXPECT_EQ(b->ItemIndex(), 0);
    EXPECT_EQ(ScriptedDialogs().Requests().size(), 2u);
    ScriptedDialogs().AnswerColor(clMaroon);
    headless->PressKey(VK_RETURN);
    EXPECT_EQ(ScriptedDialogs().Requests().size(), 3u);
    EXPECT_EQ(b->GetColor(0), clMaroon);
}

TEST_F(KivColorBoxes, SwatchesAndTheirFrames)
{
    auto* b = MakeBox();
    b->SetStyle(cbStandardColors | cbIncludeDefault);
    b->SetDefaultColorColor(clLime);
    const int h = b->ItemHeight();
    auto draw = [&](TColor colour, TOwnerDrawState state) {
        auto out = std::make_unique<TBitmap>(160, h);
        const int i = b->Items()->IndexOfObject(reinterpret_cast<TObject*>(static_cast<std::intptr_t>(colour)));
        b->DrawItem(*out->Canvas(), i, Rect(0, 0, 160, h), state);
        return out;
    };
    // The swatch is the item-high square shrunk by one, framed.
    auto navy = draw(clNavy, 0);
    EXPECT_EQ(navy->Pixel(0, 0), clWhite);                 // the item's background
    EXPECT_EQ(navy->Pixel(1, 1), clNavy);                  // a dark colour framed in itself
    EXPECT_EQ(navy->Pixel(h / 2, h / 2), clNavy);
    EXPECT_EQ(navy->Pixel(h - 1, h / 2), clWhite);
    auto navySelected = draw(clNavy, odSelected);
    EXPECT_EQ(navySelected->Pixel(1, 1), clWhite);         // ... in white when selected
    EXPECT_EQ(navySelected->Pixel(0, 0), ColorToRGB(clHighlight));
    auto yellow = draw(clYellow, 0);
    EXPECT_EQ(yellow->Pixel(1, 1), clBlack);               // a light colour framed in black
    EXPECT_EQ(yellow->Pixel(h / 2, h / 2), clYellow);
    auto standIn = draw(clDefault, 0);
    EXPECT_EQ(standIn->Pixel(h / 2, h / 2), clLime);       // clDefault shows DefaultColorColor
    bool text = false;                                     // the name 5 pixels right of the swatch
    for (int y = 0; y < h; ++y)
        for (int x = h + 4; x < h + 40; ++x) text |= yellow->Pixel(x, y) != clWhite;
    EXPECT_TRUE(text);
}

} // namespace

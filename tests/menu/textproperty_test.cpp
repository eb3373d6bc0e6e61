// The text property dialog: filling it from a font and text, the style set
// built from the style box and the effects, the sample cut to its width and
// centred, and what comes back.
#include "designerfixture.h"

#include "skin/kivbutton.h"
#include "skin/kivcolorbox.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivfontcombobox.h"
#include "skin/kivgroupbox.h"

TEST_F(DesignerTest, TextDialogBuildsTheStyleFromTheBoxAndTheEffects)
{
    MakeDesigner();
    TQV_Video_DVD_Text_Property_Form& dialog = *QV_Video_DVD_Text_Property_Form;
    TFont font;
    font.SetName("Arial");
    font.SetSize(16);
    font.SetColor(clYellow);
    font.SetStyle({fsItalic});
    dialog.SetTextProperties(font, "Holiday");
    EXPECT_EQ(dialog.kivFontComboBox->FontName(), "Arial");
    EXPECT_EQ(dialog.kivFontSizeComboBox->FontSize(), 16);
    EXPECT_EQ(dialog.kivColorBox->Selected(), clYellow);
    EXPECT_EQ(dialog.kivComboBox->ItemIndex(), 1);
    EXPECT_EQ(dialog.Label_Sample->Caption(), "Holiday");

    headless->OnNextModal([&](TCustomForm&) {
        dialog.kivComboBox->SetItemIndex(3);   // "Bold Italic"
        dialog.StyleChange(dialog.kivComboBox);
        headless->ClickControl(*dialog.kivCheckBox2);   // "  Underline"
        EXPECT_EQ(dialog.kivCheckBox2->Caption(), "  Underline");
        EXPECT_EQ(dialog.Label_Sample->Font()->Style(), (TFontStyles{fsBold, fsItalic, fsUnderline}));
        dialog.kivColorBox->SetSelected(clRed);
        dialog.kivColorBoxChange(nullptr);
        headless->ClickControl(*dialog.kivImageButton2);
    });
    EXPECT_EQ(dialog.ShowModal(), 1);
    TFont back;
    std::string text;
    dialog.GetTextProperties(back, text);
    EXPECT_EQ(back.Style(), (TFontStyles{fsBold, fsItalic, fsUnderline}));
    EXPECT_EQ(back.Color(), clRed);
    EXPECT_EQ(back.Size(), 16);
    EXPECT_EQ(text, "Holiday");

    // Back to "Regular": the effects stay, bold and italic go.
    dialog.kivComboBox->SetItemIndex(0);
    dialog.StyleChange(dialog.kivComboBox);
    EXPECT_EQ(dialog.Label_Sample->Font()->Style(), (TFontStyles{fsUnderline}));
}

TEST_F(DesignerTest, TextDialogCutsALongSampleButReturnsTheWholeText)
{
    MakeDesigner();
    TQV_Video_DVD_Text_Property_Form& dialog = *QV_Video_DVD_Text_Property_Form;
    TFont font;
    font.SetName("Arial");
    font.SetSize(36);
    const std::string longText = "A very long title for the menu";
    dialog.SetTextProperties(font, longText);
    TLabel& sample = *dialog.Label_Sample;
    EXPECT_LT(sample.Caption().size(), longText.size());
    EXPECT_EQ(longText.rfind(sample.Caption(), 0), 0u);
    EXPECT_LE(sample.Width(), kSampleWidthLimit + 36);   // about the limit: the cut is by average width
    EXPECT_EQ(sample.Left(), (dialog.kivGroupBox2->Width() - sample.Width()) / 2);
    EXPECT_EQ(sample.Top(), (dialog.kivGroupBox2->Height() - sample.Height()) / 2);
    std::string text;
    TFont back;
    dialog.GetTextProperties(back, text);
    EXPECT_EQ(text, longText);

    // A short text is shown whole, centred.
    dialog.kivEdit_Sample->SetText("Hi");
    EXPECT_EQ(sample.Caption(), "Hi");
    EXPECT_EQ(sample.Left(), (dialog.kivGroupBox2->Width() - sample.Width()) / 2);
}

#pragma once
// The text property dialog of the menu designer: the title text's wording,
// font, style, size, effects and colour, with a live sample. The designer
// fills it from its title text, shows it modally and on OK takes the result.
#include "vcl/forms.h"

#include <string>

class TFont;
class TLabel;
class TkivCheckBox;
class TkivColorBox;
class TkivComboBox;
class TkivEdit;
class TkivFontComboBox;
class TkivFontSizeComboBox;
class TkivGroupBox;
class TkivImageButton;
class TkivSkinForm;

// The widest the sample may be before its text is cut, in pixels.
constexpr int kSampleWidthLimit = 170;

class TQV_Video_DVD_Text_Property_Form : public TForm {
public:
    explicit TQV_Video_DVD_Text_Property_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Text_Property_Form() override;

    void SetTextProperties(const TFont& font, const std::string& text);
    // The sample's font into `font` (a box that shows no choice leaves the
    // font's own size or colour); `text` the whole text as typed.
    void GetTextProperties(TFont& font, std::string& text) const;
    // Cuts a sample wider than the limit and centres it in its group.
    void FitSample();

    TkivSkinForm* kivSkinForm1 = nullptr;
    TkivFontComboBox* kivFontComboBox = nullptr;
    TkivComboBox* kivComboBox = nullptr;                 // "Regular", "Italic", "Bold", "Bold Italic"
    TkivFontSizeComboBox* kivFontSizeComboBox = nullptr;
    TkivGroupBox* kivGroupBox1 = nullptr;                // "Effects"
    TkivCheckBox* kivCheckBox1 = nullptr;                // strike-out
    TkivCheckBox* kivCheckBox2 = nullptr;                // underline
    TkivColorBox* kivColorBox = nullptr;
    TkivEdit* kivEdit_Sample = nullptr;
    TkivGroupBox* kivGroupBox2 = nullptr;                // "Sample"
    TLabel* Label_Sample = nullptr;
    TkivImageButton* kivImageButton2 = nullptr;          // OK, 1
    TkivImageButton* kivImageButton1 = nullptr;          // Cancel, 7
    TkivImageButton* kivImageButton_Close = nullptr;     // 2

    void kivFontComboBoxChange(TObject* Sender);
    void kivFontSizeComboBoxChange(TObject* Sender);
    void kivColorBoxChange(TObject* Sender);
    void StyleChange(TObject* Sender);
    void kivEdit_SampleChange(TObject* Sender);

private:
    bool filling_ = false;   // SetTextProperties is putting values in
};

#include "menu/qv_videodvdtextpropertyform.h"

#include "base/burnpubfunction.h"
#include "base/programpictures.h"
#include "menu/menudesignerlayout.h"

#include "rtl/system.h"
#include "skin/kivbutton.h"
#include "skin/kivcolorbox.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivfontcombobox.h"
#include "skin/kivgroupbox.h"
#include "skin/kivskinform.h"
#include "vcl/stdctrls.h"

#include <cmath>

namespace {

namespace layout = menulayout::text;

template <class T>
T* Place(T* control, const mainlayout::Place& p, TWinControl* parent, const char* name)
{
    control->SetName(name);
    control->SetBounds(p.left, p.top, p.width, p.height);
    control->SetParent(parent);
    return control;
}

// A group's caption and frame in the skin's colours.
void SkinGroup(TkivGroupBox& group)
{
    group.Font()->SetName("Arial");
    group.Font()->SetSize(8);
    group.Font()->SetStyle({fsBold});
    group.Font()->SetColor(menulayout::kTextColor);
    group.SetBorderColor(0xC4A07F);
}

} // namespace

TQV_Video_DVD_Text_Property_Form::TQV_Video_DVD_Text_Property_Form(TComponent* AOwner) : TForm(AOwner)
{
    using namespace layout;
    using Self = TQV_Video_DVD_Text_Property_Form;
    BeginLoading();
    SetName("QV_Video_DVD_Text_Property_Form");
    SetCaption("Text property");
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);
    auto on = [this](void (Self::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };

    NewSkinLabel(this, "Label_Font", "Font :", kFontLabel);
    kivFontComboBox = Place(new TkivFontComboBox(this), kFont, this, "kivFontComboBox");
    kivFontComboBox->OnChange = on(&Self::kivFontComboBoxChange);
    NewSkinLabel(this, "Label_Style", "Font style :", kStyleLabel);
    kivComboBox = Place(new TkivComboBox(this), kStyle, this, "kivComboBox");
    kivComboBox->SetStyle(csDropDownList);
    for (const char* item : {"Regular", "Italic", "Bold", "Bold Italic"}) kivComboBox->Items()->Add(item);
    kivComboBox->SetItemIndex(0);
    kivComboBox->OnChange = on(&Self::StyleChange);
    NewSkinLabel(this, "Label_Size", "Size :", kSizeLabel);
    kivFontSizeComboBox = Place(new TkivFontSizeComboBox(this), kSize, this, "kivFontSizeComboBox");
    kivFontSizeComboBox->OnChange = on(&Self::kivFontSizeComboBoxChange);
    NewSkinLabel(this, "Label_Color", "Color :", kColorLabel);
    kivColorBox = Place(new TkivColorBox(this), kColor, this, "kivColorBox");
    kivColorBox->SetStyle(cbStandardColors | cbExtendedColors | cbCustomColor | cbPrettyNames);
    kivColorBox->OnChange = on(&Self::kivColorBoxChange);
    NewSkinLabel(this, "Label_Text", "Input Text :", kTextLabel);
    kivEdit_Sample = Place(new TkivEdit(this), kText, this, "kivEdit_Sample");
    kivEdit_Sample->OnChange = on(&Self::kivEdit_SampleChange);

    kivGroupBox1 = Place(new TkivGroupBox(this), kEffects, this, "kivGroupBox1");
    kivGroupBox1->SetCaption("Effects");
    SkinGroup(*kivGroupBox1);
    for (auto [box, place, name, caption] :
         {std::tuple{&kivCheckBox1, kStrikeout, "kivCheckBox1", "  Strikeout"},
          std::tuple{&kivCheckBox2, kUnderline, "kivCheckBox2", "  Underline"}}) {
        *box = Place(new TkivCheckBox(this), place, kivGroupBox1, name);
        (*box)->SetCaption(caption);
        (*box)->SetTransparent(true);
        (*box)->Font()->SetName("Arial");
        (*box)->Font()->SetSize(8);
        (*box)->Font()->SetColor(menulayout::kTextColor);
        (*box)->OnClick = on(&Self::StyleChange);
    }
    kivGroupBox2 = Place(new TkivGroupBox(this), kSample, this, "kivGroupBox2");
    kivGroupBox2->SetCaption("Sample");
    SkinGroup(*kivGroupBox2);
    Label_Sample = new TLabel(this);
    Label_Sample->SetName("Label_Sample");
    Label_Sample->SetAutoSize(true);
    Label_Sample->SetTransparent(true);
    Label_Sample->Font()->SetName("Arial");
    Label_Sample->Font()->SetSize(20);
    Label_Sample->Font()->SetColor(clWhite);
    Label_Sample->SetCaption("My Title");
    Label_Sample->SetParent(kivGroupBox2);

    kivImageButton1 = NewPictureButton(this, "kivImageButton1", kCancel, kCancelFile, "",
                                       [this](TObject*) { SetModalResult(7); });
    kivImageButton1->SetCancel(true);
    kivImageButton2 = NewPictureButton(this, "kivImageButton2", kOk, kOkFile, "", [this](TObject*) { SetModalResult(1); });
    kivImageButton2->SetDefault(true);
    kivImageButton_Close = NewPictureButton(this, "kivImageButton_Close", kClose, kCloseFile, "Close",
                                            [this](TObject*) { SetModalResult(2); });
    EndLoading();
    FitSample();
}

TQV_Video_DVD_Text_Property_Form::~TQV_Video_DVD_Text_Property_Form() = default;

void TQV_Video_DVD_Text_Property_Form::SetTextProperties(const TFont& font, const std::string& text)
{
    TFlagScope filling(filling_);
    kivFontComboBox->SetFontName(font.Name());
    kivFontSizeComboBox->SetFontName(kivFontComboBox->FontName());
    kivFontSizeComboBox->SetFontSize(font.Size());
    Label_Sample->Font()->Assign(font);
    kivColorBox->SetSelected(font.Color());
    const TFontStyles style = font.Style();
    const bool bold = style.Contains(fsBold), italic = style.Contains(fsItalic);
    kivComboBox->SetItemIndex(bold && italic ? 3 : bold ? 2 : italic ? 1 : 0);
    kivCheckBox1->SetChecked(style.Contains(fsStrikeOut));
    kivCheckBox2->SetChecked(style.Contains(fsUnderline));
    kivEdit_Sample->SetText(text);
    Label_Sample->SetCaption(text);
    FitSample();
}

void TQV_Video_DVD_Text_Property_Form::GetTextProperties(TFont& font, std::string& text) const
{
    const TFont& sample = *Label_Sample->Font();
    if (!sample.Name().empty()) font.SetName(sample.Name());
    if (sample.Size() > 0) font.SetSize(sample.Size());
    if (sample.Color() != kivNoColorSelected) font.SetColor(sample.Color());
    font.SetStyle(sample.Style());
    text = kivEdit_Sample->Text();
}

void TQV_Video_DVD_Text_Property_Form::FitSample()
{
    const int width = Label_Sample->Width();
    if (width > kSampleWidthLimit) {
        const std::string caption = Label_Sample->Caption();
        const double keep = static_cast<double>(CharacterCount(caption)) * kSampleWidthLimit / width;
        Label_Sample->SetCaption(FirstCharacters(caption, static_cast<std::size_t>(std::nearbyint(keep))));
    }
    Label_Sample->SetTop((kivGroupBox2->Height() - Label_Sample->Height()) / 2);
    Label_Sample->SetLeft((kivGroupBox2->Width() - Label_Sample->Width()) / 2);
}

void TQV_Video_DVD_Text_Property_Form::kivFontComboBoxChange(TObject*)
{
    if (filling_) return;
    const std::string name = kivFontComboBox->FontName();
    kivFontSizeComboBox->SetFontName(name);
    if (!name.empty()) Label_Sample->Font()->SetName(name);
    kivFontSizeComboBox->SetFontSize(Label_Sample->Font()->Size());
    FitSample();
}

void TQV_Video_DVD_Text_Property_Form::kivFontSizeComboBoxChange(TObject*)
{
    if (filling_) return;
    // A box that shows no size keeps the sample's own.
    if (const int size = kivFontSizeComboBox->FontSize(); size > 0) Label_Sample->Font()->SetSize(size);
    FitSample();
}

void TQV_Video_DVD_Text_Property_Form::kivColorBoxChange(TObject*)
{
    if (filling_) return;
    if (const TColor colour = kivColorBox->Selected(); colour != kivNoColorSelected)
        Label_Sample->Font()->SetColor(colour);
}

void TQV_Video_DVD_Text_Property_Form::StyleChange(TObject* Sender)
{
    if (filling_) return;
    TFontStyles style;
    if (kivCheckBox1->Checked()) style.Include(fsStrikeOut);
    if (kivCheckBox2->Checked()) style.Include(fsUnderline);
    switch (kivComboBox->ItemIndex()) {
    case 1: style.Include(fsItalic); break;
    case 2: style.Include(fsBold); break;
    case 3:
        style.Include(fsBold);
        style.Include(fsItalic);
        break;
    default: break;
    }
    Label_Sample->Font()->SetStyle(style);
    if (Sender == kivComboBox) FitSample();
}

void TQV_Video_DVD_Text_Property_Form::kivEdit_SampleChange(TObject*)
{
    if (filling_) return;
    Label_Sample->SetCaption(kivEdit_Sample->Text());
    FitSample();
}

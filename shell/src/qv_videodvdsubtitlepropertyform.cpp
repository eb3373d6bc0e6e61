#include "shell/qv_videodvdsubtitlepropertyform.h"

#include "base/burnpubfunction.h"
#include "base/programpictures.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "shell/subtitlelayout.h"

#include "gfx/gdi.h"
#include "rtl/charsets.h"
#include "rtl/paths.h"
#include "rtl/textfile.h"
#include "rtl/sysutils.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivfontcombobox.h"
#include "skin/kivmemo.h"
#include "skin/kivpagecontrol.h"
#include "skin/kivradiogroup.h"
#include "skin/kivskinform.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

#include <algorithm>

namespace {

namespace layout = subtitlelayout;

const char* const kNoText = "Can not get text from Subtitle file";
// What the "Text" page holds of a file at most: a feature film's file has a few
// thousand lines of a few dozen bytes; anything far beyond is no subtitle file,
// and its start is all there is to see of it.
constexpr int kTextPageLines = 100000;
constexpr std::size_t kTextPageBytes = 8u << 20;
constexpr std::size_t kTextPageLineBytes = 1000;

template <class T>
T* Put(T* control, const mainlayout::Place& p, TWinControl* parent, const char* name)
{
    control->SetName(name);
    control->SetBounds(p.left, p.top, p.width, p.height);
    control->SetParent(parent);
    return control;
}

} // namespace

std::string GetSubtitleText(const std::string& file, int n)
{
    TTextLineReader reader(file);
    int entry = -1;
    const int wanted = std::max(n, 0);
    bool first = true;
    for (std::string line; reader.ReadLine(line); first = false) {
        if (first || line.find("-->") == std::string::npos) continue;
        if (++entry == wanted) return reader.ReadLine(line) ? line : kNoText;
    }
    return kNoText;
}

int SubtitlePreviewWidth(int discType)
{
    static constexpr int widths[] = {720, 720, 480, 352};
    return widths[std::clamp(discType, 0, 3)];
}

int SubtitlePreviewHeight(int discType)
{
    // NTSC pictures are previewed at the PAL height too.
    static constexpr int heights[] = {576, 576, 576, 288};
    return heights[std::clamp(discType, 0, 3)];
}

TQV_Video_DVD_Subtitle_Property_Form::TQV_Video_DVD_Subtitle_Property_Form(TComponent* AOwner)
    : TForm(AOwner), preview_(std::make_unique<TBitmap>())
{
    using namespace layout;
    using Self = TQV_Video_DVD_Subtitle_Property_Form;
    BeginLoading();
    SetName("QV_Video_DVD_Subtitle_Property_Form");
    SetCaption("Subtitle property");
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);
    auto on = [this](void (Self::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };

    Label_Subtitle = NewSkinLabel(this, "Label_Subtitle", "Subtitle : None", kFileLabel);
    kivPageControl = Put(new TkivPageControl(this), kPages, this, "kivPageControl");
    TabSheet_Image = new TkivTabSheet(this);
    TabSheet_Image->SetName("TabSheet_Image");
    TabSheet_Image->SetCaption("Image");
    TabSheet_Image->SetPageControl(kivPageControl);
    TabSheet_Text = new TkivTabSheet(this);
    TabSheet_Text->SetName("TabSheet_Text");
    TabSheet_Text->SetCaption("Text");
    TabSheet_Text->SetPageControl(kivPageControl);
    Image_Preview = new TImage(this);
    Image_Preview->SetName("Image_Preview");
    Image_Preview->SetAlign(alClient);
    Image_Preview->SetStretch(true);
    Image_Preview->SetProportional(true);
    Image_Preview->SetCenter(true);
    Image_Preview->SetParent(TabSheet_Image);
    kivMemo_Text = new TkivMemo(this);
    kivMemo_Text->SetName("kivMemo_Text");
    kivMemo_Text->SetAlign(alClient);
    kivMemo_Text->SetReadOnly(true);
    kivMemo_Text->SetScrollBars(ssVertical);
    kivMemo_Text->SetParent(TabSheet_Text);

    kivButton_LoadSubtitle = Put(new TkivButton(this), kLoadButton, this, "kivButton_LoadSubtitle");
    kivButton_LoadSubtitle->SetCaption("Load File");
    kivButton_LoadSubtitle->OnClick = on(&Self::kivButton_LoadSubtitleClick);
    NewSkinLabel(this, "Label_Font", "Font :", kFontLabel);
    kivFontComboBox = Put(new TkivFontComboBox(this), kFont, this, "kivFontComboBox");
    kivFontComboBox->OnChange = on(&Self::kivFontComboBoxChange);
    NewSkinLabel(this, "Label_Size", "Size :", kSizeLabel);
    kivFontSizeComboBox = Put(new TkivFontSizeComboBox(this), kSize, this, "kivFontSizeComboBox");
    kivFontSizeComboBox->OnChange = on(&Self::kivFontSizeComboBoxChange);
    NewSkinLabel(this, "Label_Language", "Language :", kLanguageLabel);
    kivComboBox_Language = Put(new TkivComboBox(this), kLanguage, this, "kivComboBox_Language");
    kivComboBox_Language->SetStyle(csDropDownList);
    kivComboBox_Language->OnChange = [this](TObject*) {
        // Another language reads an 8-bit file in its character set.
        if (!IsUnicode(fileEncoding_)) ShowFileText();
        DrawSubtitlePreview();
    };
    kivRadioGroup_View = Put(new TkivRadioGroup(this), kView, this, "kivRadioGroup_View");
    kivRadioGroup_View->SetCaption("View");
    kivRadioGroup_View->SetTransparent(true);
    kivRadioGroup_View->Font()->SetName("Arial");
    kivRadioGroup_View->Font()->SetSize(8);
    kivRadioGroup_View->Items()->Add("Image");
    kivRadioGroup_View->Items()->Add("Text");
    kivRadioGroup_View->SetFontColor(clWhite);

    kivImageButton1 = NewPictureButton(this, "kivImageButton1", kCancel, kCancelFile, "",
                                       [this](TObject*) { SetModalResult(mrCancel); });
    kivImageButton1->SetCancel(true);
    kivImageButton2 = NewPictureButton(this, "kivImageButton2", kOk, kOkFile, "", on(&Self::kivImageButton2Click));
    kivImageButton2->SetDefault(true);
    kivImageButton_Close = NewPictureButton(this, "kivImageButton_Close", kClose, kCloseFile, "Close",
                                            [this](TObject*) { SetModalResult(mrCancel); });
    EndLoading();
    kivPageControl->SetActivePage(TabSheet_Image);
    FormCreate();
}

TQV_Video_DVD_Subtitle_Property_Form::~TQV_Video_DVD_Subtitle_Property_Form() = default;

void TQV_Video_DVD_Subtitle_Property_Form::FormCreate()
{
    kivComboBox_Language->Items()->Clear();
    for (std::int64_t i = 0; i < RegionLanguage.Length(); ++i) kivComboBox_Language->Items()->Add(RegionLanguage[i]);
}

bool TQV_Video_DVD_Subtitle_Property_Form::PrepareSubtitleDialog(TQV_MovieImage* clip, int discType)
{
    if (!clip) return false;
    Clip = clip;
    DiscType = discType;
    CueIndex = 0;
    kivPageControl->SetActivePage(TabSheet_Image);
    // The clip's language; the program's when the clip's is no region of Language.ini.
    const int regions = kivComboBox_Language->Items()->Count();
    int language = clip->SubtitleLanguage;
    if (language < 0 || language >= regions) language = g_i_LanguageIndex;
    kivComboBox_Language->SetItemIndex(language >= 0 && language < regions ? language : -1);
    const bool has = !clip->SubtitleFile.empty();
    SubtitleFileName = clip->SubtitleFile;
    Label_Subtitle->SetCaption(has ? "Subtitle : " + clip->SubtitleFile : std::string("Subtitle : None"));
    kivButton_LoadSubtitle->SetCaption(has ? "Clear File" : "Load File");
    SetFontControlsEnabled(has);
    LoadTextBox();
    kivRadioGroup_View->SetItemIndex(0);
    kivFontComboBox->SetFontName(clip->SubtitleFontName);
    kivFontSizeComboBox->SetFontName(clip->SubtitleFontName);
    kivFontSizeComboBox->SetFontSize(clip->SubtitleFontSize);
    kivMemo_Text->Font()->SetName(clip->SubtitleFontName);
    DrawSubtitlePreview();
    return true;
}

void TQV_Video_DVD_Subtitle_Property_Form::ShowSubtitleDialog() { ShowModal(); }

void TQV_Video_DVD_Subtitle_Property_Form::SetFontControlsEnabled(bool enabled)
{
    kivFontComboBox->SetEnabled(enabled);
    kivFontSizeComboBox->SetEnabled(enabled);
}

std::string TQV_Video_DVD_Subtitle_Property_Form::ChosenCharacterSet() const
{
    const int i = kivComboBox_Language->ItemIndex();
    return i >= 0 && i < CharacterSet.Length() ? CharacterSet[i]
                                               : (CharacterSet.Length() > 0 ? CharacterSet[0] : "ISO-8859-1");
}

std::string TQV_Video_DVD_Subtitle_Property_Form::Shown(std::string_view bytes) const
{
    return IsUnicode(fileEncoding_) ? ValidUtf8(bytes) : DecodeToUtf8(bytes, ChosenCharacterSet());
}

void TQV_Video_DVD_Subtitle_Property_Form::LoadTextBox()
{
    fileText_.clear();
    fileEncoding_ = TextEncoding::Bytes;
    cueText_.clear();
    if (!SubtitleFileName.empty()) {
        // One pass: the page's lines, and the encoding, which only the whole file tells.
        TTextLineReader reader(SubtitleFileName, kTextPageLineBytes);
        int lines = 0;
        for (std::string line; reader.ReadLine(line);) {
            if (lines == kTextPageLines || fileText_.size() + line.size() > kTextPageBytes) continue;
            fileText_.append(line).append("\r\n");
            ++lines;
        }
        fileEncoding_ = reader.Encoding();
        cueText_ = GetSubtitleText(SubtitleFileName, CueIndex);
    }
    ShowFileText();
}

void TQV_Video_DVD_Subtitle_Property_Form::ShowFileText()
{
    // Set in one go, which also shows the page from its first line.
    kivMemo_Text->SetText(Shown(fileText_));
}

void TQV_Video_DVD_Subtitle_Property_Form::kivButton_LoadSubtitleClick(TObject*)
{
    if (kivButton_LoadSubtitle->Caption() == "Load File") {
        TOpenDialog dialog(this);
        dialog.Filter = "Subtitle File (*.srt, *.SRT)|*.srt;*.SRT";
        if (!dialog.Execute()) {
            DrawSubtitlePreview();   // where the file dialog lay
            return;
        }
        SubtitleFileName = dialog.FileName;
        Label_Subtitle->SetCaption("Subtitle : " + SubtitleFileName);
        kivButton_LoadSubtitle->SetCaption("Clear File");
        SetFontControlsEnabled(true);
        LoadTextBox();
    } else {
        SubtitleFileName.clear();
        Label_Subtitle->SetCaption("Subtitle : None");
        kivButton_LoadSubtitle->SetCaption("Load File");
        SetFontControlsEnabled(false);
        LoadTextBox();
    }
    DrawSubtitlePreview();
}

void TQV_Video_DVD_Subtitle_Property_Form::kivFontComboBoxChange(TObject*)
{
    const int old = kivFontSizeComboBox->FontSize() > 0 ? kivFontSizeComboBox->FontSize()
                                                        : (Clip ? Clip->SubtitleFontSize : 0);
    const std::string name = kivFontComboBox->FontName();
    kivFontSizeComboBox->SetFontName(name);
    // The old size when the font has it, else the largest below it, else the first.
    TStrings& sizes = *kivFontSizeComboBox->Items();
    int pick = sizes.Count() > 0 ? 0 : -1, best = 0;
    for (int i = 0; i < sizes.Count(); ++i) {
        const int size = StrToIntDef(sizes.Get(i), 0);
        if (size <= old && size > best) best = size, pick = i;
    }
    kivFontSizeComboBox->SetItemIndex(pick);
    if (!name.empty()) kivMemo_Text->Font()->SetName(name);
    DrawSubtitlePreview();
}

void TQV_Video_DVD_Subtitle_Property_Form::kivFontSizeComboBoxChange(TObject*) { DrawSubtitlePreview(); }

void TQV_Video_DVD_Subtitle_Property_Form::kivImageButton2Click(TObject*)
{
    if (Clip) {
        // A box that shows no choice keeps what the clip had.
        if (const std::string name = kivFontComboBox->FontName(); !name.empty()) Clip->SubtitleFontName = name;
        if (const int size = kivFontSizeComboBox->FontSize(); size > 0) Clip->SubtitleFontSize = size;
        Clip->SubtitleFile = SubtitleFileName;
        if (const int language = kivComboBox_Language->ItemIndex(); language >= 0) {
            g_i_LanguageIndex = language;
            Clip->SubtitleLanguage = language;
        }
    }
    SetModalResult(mrOk);
}

void TQV_Video_DVD_Subtitle_Property_Form::DrawSubtitlePreview()
{
    const int width = SubtitlePreviewWidth(DiscType), height = SubtitlePreviewHeight(DiscType);
    TBitmap& b = *preview_;
    b.SetPixelFormat(pf24bit);
    b.SetSize(width, height);
    TCanvas& c = *b.Canvas();
    c.Brush()->SetColor(clBlack);
    c.FillRect(Rect(0, 0, width, height));
    // The snapshot keeps its shape, centred between black bars; none leaves the picture black.
    if (Clip && Clip->Snapshot && !Clip->Snapshot->Empty()) {
        TBitmap& shot = *Clip->Snapshot;
        const double scale = std::min(static_cast<double>(width) / shot.Width(),
                                      static_cast<double>(height) / shot.Height());
        const int w = std::max(1, static_cast<int>(shot.Width() * scale + 0.5));
        const int h = std::max(1, static_cast<int>(shot.Height() * scale + 0.5));
        const int x = (width - w) / 2, y = (height - h) / 2;
        const int mode = c.SetStretchBltMode(COLORONCOLOR);
        c.StretchDraw(Rect(x, y, x + w, y + h), shot);
        c.SetStretchBltMode(mode);
    }
    if (!SubtitleFileName.empty()) {
        // The line as the disc shows it: centred near the bottom, white with a
        // dark edge so it reads on any picture.
        const std::string text = Shown(cueText_);
        const std::string font = kivFontComboBox->FontName();
        c.Font()->SetName(font.empty() && Clip ? Clip->SubtitleFontName : font);
        const int size = kivFontSizeComboBox->FontSize();
        c.Font()->SetSize(size > 0 ? size : Clip ? Clip->SubtitleFontSize : 24);
        c.Font()->SetStyle({});
        c.Brush()->SetStyle(bsClear);
        const TSize extent = c.TextExtent(text);
        const int x = (width - extent.cx) / 2;
        const int y = height - height / 19 - extent.cy;   // 30 lines up on a 576-line picture
        c.Font()->SetColor(clBlack);
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                if (dx || dy) c.TextOut(x + dx, y + dy, text);
        c.Font()->SetColor(clWhite);
        c.TextOut(x, y, text);
        c.Brush()->SetStyle(bsSolid);
    }
    Image_Preview->Picture()->Assign(&b);
}

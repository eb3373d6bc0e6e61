#pragma once
// The subtitle dialog: attaches a SubRip file to one clip with the font, size
// and language its subtitles get on the disc, and previews the first line
// over the clip's snapshot at the disc's picture size. The file stays as it
// is; only the dialog decodes it to show it: UTF-8 and UTF-16 files as such,
// other files in the character set of the language chosen.
#include "base/taskwindows.h"

#include "rtl/textfile.h"
#include "vcl/forms.h"

#include <memory>
#include <string>
#include <string_view>

class TBitmap;
class TImage;
class TLabel;
class TkivButton;
class TkivComboBox;
class TkivFontComboBox;
class TkivFontSizeComboBox;
class TkivImageButton;
class TkivMemo;
class TkivPageControl;
class TkivRadioGroup;
class TkivSkinForm;
class TkivTabSheet;
class TQV_MovieImage;

// The text of entry n (negative counts as 0) of a SubRip file: the line after
// the entry's timing line ("-->"), timing lines counted from the file's second
// line on. "Can not get text from Subtitle file" when the file or the entry is
// missing, or the file ends on the timing line. The bytes are the file's own
// (a UTF-16 file's in UTF-8). Lines end with CR, LF or CR LF.
std::string GetSubtitleText(const std::string& file, int n);

// Preview size of a disc kind (0, 1 DVD, 2 SVCD, 3 VCD; others clamped).
int SubtitlePreviewWidth(int discType);
int SubtitlePreviewHeight(int discType);

class TQV_Video_DVD_Subtitle_Property_Form : public TForm, public SubtitlePropertySteps {
public:
    explicit TQV_Video_DVD_Subtitle_Property_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Subtitle_Property_Form() override;

    bool PrepareSubtitleDialog(TQV_MovieImage* clip, int discType) override;
    void ShowSubtitleDialog() override;

    // Fields.
    TQV_MovieImage* Clip = nullptr;
    std::string SubtitleFileName;
    int DiscType = 1;
    int CueIndex = 0;

    // Components.
    TkivSkinForm* kivSkinForm1 = nullptr;
    TLabel* Label_Subtitle = nullptr;                   // "Subtitle : ..."
    TkivButton* kivButton_LoadSubtitle = nullptr;       // "Load File" / "Clear File"
    TkivFontComboBox* kivFontComboBox = nullptr;
    TkivFontSizeComboBox* kivFontSizeComboBox = nullptr;
    TkivComboBox* kivComboBox_Language = nullptr;
    TkivRadioGroup* kivRadioGroup_View = nullptr;       // "View": "Image", "Text"
    TkivPageControl* kivPageControl = nullptr;
    TkivTabSheet* TabSheet_Image = nullptr;
    TkivTabSheet* TabSheet_Text = nullptr;
    TImage* Image_Preview = nullptr;
    TkivMemo* kivMemo_Text = nullptr;
    TkivImageButton* kivImageButton2 = nullptr;         // OK
    TkivImageButton* kivImageButton1 = nullptr;         // Cancel
    TkivImageButton* kivImageButton_Close = nullptr;    // cancel

    void FormCreate();
    void kivButton_LoadSubtitleClick(TObject* Sender);
    void kivFontComboBoxChange(TObject* Sender);
    void kivFontSizeComboBoxChange(TObject* Sender);
    void kivImageButton2Click(TObject* Sender);
    // The preview picture at the disc's size, drawn and shown on the "Image" page.
    void DrawSubtitlePreview();
    // The last preview drawn (its size is the disc's).
    const TBitmap& Preview() const { return *preview_; }

private:
    void SetFontControlsEnabled(bool enabled);
    // Reads the file chosen (none: nothing) and shows it on the "Text" page.
    void LoadTextBox();
    void ShowFileText();
    // The language box's character set: an 8-bit file's encoding.
    std::string ChosenCharacterSet() const;
    // Bytes of the file as the dialog shows them, in UTF-8.
    std::string Shown(std::string_view bytes) const;

    std::unique_ptr<TBitmap> preview_;
    std::string fileText_;        // the page's lines as the file has them, each ended by CR LF
    TextEncoding fileEncoding_ = TextEncoding::Bytes;
    std::string cueText_;         // entry CueIndex's text as the file has it
};

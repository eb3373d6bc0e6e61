// The subtitle dialog: the cue text it previews, the language preselected and
// kept, the size kept or chosen when the font changes, what OK and cancel
// store, the preview at each disc kind's size, and the clips window's line
// after the dialog. Files as other programs write them: UTF-8 with and without
// a mark, UTF-16, 8-bit text, old Mac line ends.
#include "clipsfixture.h"

#include "base/burnpubfunction.h"
#include "shell/qv_videodvdsubtitlepropertyform.h"

#include "gfx/fonts.h"
#include "rtl/paths.h"
#include "skin/kivbutton.h"
#include "skin/kivcombobox.h"
#include "skin/kivfontcombobox.h"
#include "skin/kivmemo.h"
#include "skin/kivpagecontrol.h"
#include "skin/kivradiogroup.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"

#include <fstream>

namespace {

const char* const kNoText = "Can not get text from Subtitle file";

// Two fonts: one in every usual size, one bitmap family in 12 and 30 points only.
class TwoFonts : public IFontEnumerator {
public:
    std::vector<TFontFamily> fonts = {
        {"Liberation Sans", TRUETYPE_FONTTYPE, false, ANSI_CHARSET},
        {"Pixel", RASTER_FONTTYPE, false, ANSI_CHARSET, 40, 0},   // 30 points at 96 pixels an inch
        {"Pixel", RASTER_FONTTYPE, false, ANSI_CHARSET, 16, 0},   // 12 points
    };
    std::vector<TFontFamily> Families() override { return {fonts[0], fonts[1]}; }
    std::vector<TFontFamily> FamilyFonts(const std::string& family) override
    {
        std::vector<TFontFamily> out;
        for (const TFontFamily& f : fonts)
            if (SameText(f.Name, family)) out.push_back(f);
        return out;
    }
};

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The same two cues written by other programs.
const std::string kLatin1Cues = "1\r\n00:00:01,000 --> 00:00:02,000\r\nBonjour, \xE7" "a va ? \xC9t\xE9 \xE0 No\xEBl\r\n\r\n"
                                "2\r\n00:00:03,000 --> 00:00:04,000\r\nDeux\r\n";
const std::string kUtf8Cues = "1\r\n00:00:01,000 --> 00:00:02,000\r\nBonjour, \xC3\xA7" "a va ? \xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl\r\n\r\n"
                              "2\r\n00:00:03,000 --> 00:00:04,000\r\nDeux\r\n";
const char* const kShownCue = "Bonjour, \xC3\xA7" "a va ? \xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl";

// UTF-8 text as UTF-16 with its mark (the text here is below U+0800).
std::string Utf16(const std::string& utf8, bool little)
{
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned unit = static_cast<unsigned char>(utf8[i]);
        if (unit >= 0xC0) unit = (unit & 0x1F) << 6 | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += little ? low : high;
        out += little ? high : low;
    }
    return out;
}

class SubtitleFormTest : public ClipsTest {
protected:
    void SetUp() override
    {
        ClipsTest::SetUp();
        SetFontEnumerator(&fonts);
        RegionLanguage.SetLength(3);
        CharacterSet.SetLength(3);
        LanguageCode.SetLength(3);
        const char* names[] = {"English", "German", "Czech"};
        const char* sets[] = {"ISO-8859-1", "ISO-8859-1", "CP1250"};
        for (int i = 0; i < 3; ++i) RegionLanguage[i] = names[i], CharacterSet[i] = sets[i], LanguageCode[i] = "EN";
        g_i_LanguageIndex = 2;
        app->CreateForm(QV_Video_DVD_Subtitle_Property_Form);
        dialog = QV_Video_DVD_Subtitle_Property_Form;
        srt = media() + "Caf\xC3\xA9.srt";
        WriteBytes(srt, "1\r\n00:00:01,000 --> 00:00:02,000\r\nCaf\xE9 cr\xE8me\r\n\r\n"
                   "2\r\n00:00:03,000 --> 00:00:04,000\r\nLine two\r\n");
    }
    void TearDown() override
    {
        ClipsTest::TearDown();
        QV_Video_DVD_Subtitle_Property_Form = nullptr;
        SetFontEnumerator(nullptr);
        RegionLanguage.SetLength(0);
        CharacterSet.SetLength(0);
        LanguageCode.SetLength(0);
        g_i_LanguageIndex = 0;
    }
    TQV_MovieImage* Clip()
    {
        TQV_MovieImage* clip = MakeClip("c.avi", 10);
        clip->SubtitleFontName = "Liberation Sans";
        return clip;
    }
    // The preview's lower third, where the cue is drawn, after `file` was loaded.
    std::vector<TColor> CueArea(const std::string& file)
    {
        TQV_MovieImage* clip = Clip();
        clip->SubtitleFile = file;
        EXPECT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
        const TBitmap& b = dialog->Preview();
        std::vector<TColor> pixels;
        for (int y = b.Height() * 2 / 3; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) pixels.push_back(b.Pixel(x, y));
        return pixels;
    }
    std::vector<std::string> Memo() const
    {
        std::vector<std::string> lines;
        for (int i = 0; i < dialog->kivMemo_Text->Lines()->Count(); ++i)
            lines.push_back(dialog->kivMemo_Text->Lines()->Get(i));
        return lines;
    }

    TwoFonts fonts;
    TQV_Video_DVD_Subtitle_Property_Form* dialog = nullptr;
    std::string srt;
};

TEST_F(SubtitleFormTest, CueTextSkipsAFirstTimingLineAndAnswersTheFallbackPastTheEnd)
{
    const std::string f = media() + "cues.srt";
    WriteBytes(f, "00:00:00,000 --> 00:00:01,000\nnot counted\n\n2\n00:00:02,000 --> 00:00:03,000\r\nsecond\r\n\r\n"
             "3\n00:00:04,000 --> 00:00:05,000");
    EXPECT_EQ(GetSubtitleText(f, 0), "second");
    EXPECT_EQ(GetSubtitleText(f, -3), "second");
    EXPECT_EQ(GetSubtitleText(f, 1), kNoText);   // the file ends on its timing line
    EXPECT_EQ(GetSubtitleText(f, 2), kNoText);
    EXPECT_EQ(GetSubtitleText(media() + "gone.srt", 0), kNoText);
    EXPECT_EQ(GetSubtitleText(srt, 1), "Line two");
    WriteBytes(f, "");
    EXPECT_EQ(GetSubtitleText(f, 0), kNoText);
}

TEST_F(SubtitleFormTest, CueTextIsFoundWhateverTheLineEnds)
{
    // Old Mac files end lines with CR alone; others mix all three.
    const std::string f = media() + "mac.srt";
    WriteBytes(f, "1\r00:00:01,000 --> 00:00:02,000\rBonjour\r\r2\r00:00:03,000 --> 00:00:04,000\rDeux\r");
    EXPECT_EQ(GetSubtitleText(f, 0), "Bonjour");
    EXPECT_EQ(GetSubtitleText(f, 1), "Deux");
    WriteBytes(f, "1\n00:00:01,000 --> 00:00:02,000\r\nBonjour\r\r\n2\r00:00:03,000 --> 00:00:04,000\nDeux");
    EXPECT_EQ(GetSubtitleText(f, 0), "Bonjour");
    EXPECT_EQ(GetSubtitleText(f, 1), "Deux");
    // A UTF-16 file's text comes as UTF-8; a UTF-8 file's mark is not part of it.
    WriteBytes(f, Utf16(kUtf8Cues, true));
    EXPECT_EQ(GetSubtitleText(f, 0), kShownCue);
    WriteBytes(f, "\xEF\xBB\xBF" "00:00:00,000 --> 00:00:01,000\nnot counted\n\n00:00:01,000 --> 00:00:02,000\nsecond\n");
    EXPECT_EQ(GetSubtitleText(f, 0), "second");
}

TEST_F(SubtitleFormTest, Utf8AndUtf16FilesAreShownAsWrittenUnderAnyLanguage)
{
    // Region 0 is ISO-8859-1: the 8-bit file is read in it, the Unicode files as what they are.
    dialog->kivComboBox_Language->SetItemIndex(0);
    const std::string latin1 = media() + "latin1.srt", utf8 = media() + "utf8.srt", marked = media() + "marked.srt",
                      little = media() + "le.srt", big = media() + "be.srt";
    WriteBytes(latin1, kLatin1Cues);
    WriteBytes(utf8, kUtf8Cues);
    WriteBytes(marked, "\xEF\xBB\xBF" + kUtf8Cues);
    WriteBytes(little, Utf16(kUtf8Cues, true));
    WriteBytes(big, Utf16(kUtf8Cues, false));
    const std::vector<TColor> drawn = CueArea(latin1);
    EXPECT_EQ(Memo()[2], kShownCue);
    for (const std::string& file : {utf8, marked, little, big}) {
        SCOPED_TRACE(file);
        TQV_MovieImage* clip = Clip();
        clip->SubtitleFile = file;
        clip->SubtitleLanguage = 0;
        ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
        const std::vector<std::string> memo = Memo();
        ASSERT_EQ(memo.size(), 7u);
        EXPECT_EQ(memo[0], "1");
        EXPECT_EQ(memo[2], kShownCue);
        EXPECT_EQ(memo[6], "Deux");
        // The preview draws the very letters of the 8-bit file's.
        EXPECT_TRUE(CueArea(file) == drawn);
        // Another language changes nothing for a Unicode file.
        dialog->kivComboBox_Language->SetItemIndex(2);
        dialog->kivComboBox_Language->OnChange(dialog->kivComboBox_Language);
        EXPECT_EQ(Memo()[2], kShownCue);
    }
    EXPECT_EQ(ReadBytes(marked), "\xEF\xBB\xBF" + kUtf8Cues);   // the user's files stay as they are
    EXPECT_EQ(ReadBytes(little), Utf16(kUtf8Cues, true));

    // The 8-bit file follows the language: CP1250 reads the same bytes as other letters.
    TQV_MovieImage* clip = Clip();
    clip->SubtitleFile = latin1;
    clip->SubtitleLanguage = 0;
    ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
    EXPECT_EQ(Memo()[2], kShownCue);
    dialog->kivComboBox_Language->SetItemIndex(2);
    dialog->kivComboBox_Language->OnChange(dialog->kivComboBox_Language);
    EXPECT_EQ(Memo()[2], "Bonjour, \xC3\xA7" "a va ? \xC3\x89t\xC3\xA9 \xC5\x95 No\xC3\xABl");
    EXPECT_EQ(ReadBytes(latin1), kLatin1Cues);
}

TEST_F(SubtitleFormTest, TextPageShowsTheFileFromItsFirstLineAfterLoadFile)
{
    // A file far longer than the page, loaded while the "Image" page is up.
    std::string cues;
    for (int i = 1; i <= 300; ++i)
        cues += std::to_string(i) + "\r\n00:00:" + std::to_string(10 + i % 50) + ",000 --> 00:01:00,000\r\nCue " +
                std::to_string(i) + "\r\n\r\n";
    const std::string f = media() + "long.srt";
    WriteBytes(f, cues);
    TQV_MovieImage* clip = Clip();
    ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
    dialog->Show();
    ScriptedDialogs().AnswerFiles({f});
    dialog->kivButton_LoadSubtitleClick(nullptr);
    EXPECT_EQ(dialog->kivMemo_Text->TopRow(), 0);
    dialog->kivPageControl->SetActivePage(dialog->TabSheet_Text);
    EXPECT_EQ(dialog->kivMemo_Text->TopRow(), 0);
    // The page shows text at its top: the first rows hold pixels in the memo's font colour.
    TkivMemo& memo = *dialog->kivMemo_Text;
    const auto shot = headless->Snapshot(*dialog);
    const int left = memo.ClientOrigin().X - dialog->ClientOrigin().X, top = memo.ClientOrigin().Y - dialog->ClientOrigin().Y;
    int ink = 0;
    for (int y = top + 2; y < top + 20; ++y)
        for (int x = left + 2; x < left + memo.Width() - 20; ++x)
            if (shot->Pixel(x, y) == ColorToRGB(memo.Font()->Color())) ++ink;
    EXPECT_GT(ink, 10);
    dialog->Hide();
}

TEST_F(SubtitleFormTest, CancelledLoadFileRedrawsThePreview)
{
    TQV_MovieImage* clip = Clip();
    ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
    TBitmap blank;
    blank.SetSize(4, 4);
    dialog->Image_Preview->Picture()->Assign(&blank);   // as if the file dialog had covered it
    ScriptedDialogs().CancelNext();
    dialog->kivButton_LoadSubtitleClick(nullptr);
    EXPECT_EQ(dialog->kivButton_LoadSubtitle->Caption(), "Load File");
    ASSERT_NE(dialog->Image_Preview->Picture()->Graphic(), nullptr);
    EXPECT_EQ(dialog->Image_Preview->Picture()->Graphic()->Width(), 720);
}

TEST_F(SubtitleFormTest, PreparedForAClipWithoutSubtitleAndCancelledChangesNothing)
{
    EXPECT_FALSE(dialog->PrepareSubtitleDialog(nullptr, 1));
    ASSERT_EQ(dialog->kivComboBox_Language->Items()->Count(), 3);
    EXPECT_EQ(dialog->kivComboBox_Language->Items()->Get(2), "Czech");
    TQV_MovieImage* clip = Clip();
    clip->SubtitleLanguage = 1;
    ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
    EXPECT_EQ(dialog->Label_Subtitle->Caption(), "Subtitle : None");
    EXPECT_EQ(dialog->kivButton_LoadSubtitle->Caption(), "Load File");
    EXPECT_FALSE(dialog->kivFontComboBox->Enabled());
    EXPECT_FALSE(dialog->kivFontSizeComboBox->Enabled());
    EXPECT_EQ(dialog->kivComboBox_Language->ItemIndex(), 1);
    EXPECT_EQ(dialog->kivRadioGroup_View->ItemIndex(), 0);
    EXPECT_EQ(dialog->kivPageControl->ActivePage(), dialog->TabSheet_Image);
    EXPECT_EQ(dialog->kivFontComboBox->FontName(), "Liberation Sans");
    EXPECT_EQ(dialog->kivFontSizeComboBox->FontSize(), 24);

    // Cancel: the file chosen and the language changed stay in the dialog.
    ScriptedDialogs().AnswerFiles({srt});
    dialog->kivButton_LoadSubtitleClick(nullptr);
    dialog->kivComboBox_Language->SetItemIndex(0);
    headless->ClickControl(*dialog->kivImageButton1);
    EXPECT_EQ(dialog->ModalResult(), mrCancel);
    EXPECT_EQ(clip->SubtitleFile, "");
    EXPECT_EQ(clip->SubtitleLanguage, 1);
    EXPECT_EQ(g_i_LanguageIndex, 2);
}

TEST_F(SubtitleFormTest, LoadedFileIsShownDecodedAndOkStoresFileFontSizeAndLanguage)
{
    TQV_MovieImage* clip = Clip();
    clip->SubtitleLanguage = 7;   // no region of this Language.ini: the program's language is shown
    ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
    EXPECT_EQ(dialog->kivComboBox_Language->ItemIndex(), 2);
    dialog->kivComboBox_Language->SetItemIndex(1);
    ScriptedDialogs().AnswerFiles({srt});
    dialog->kivButton_LoadSubtitleClick(nullptr);
    EXPECT_EQ(dialog->Label_Subtitle->Caption(), "Subtitle : " + srt);
    EXPECT_EQ(dialog->kivButton_LoadSubtitle->Caption(), "Clear File");
    EXPECT_TRUE(dialog->kivFontComboBox->Enabled());
    const std::vector<std::string> memo = Memo();
    ASSERT_GE(memo.size(), 3u);
    EXPECT_EQ(memo[2], "Caf\xC3\xA9 cr\xC3\xA8me");   // ISO-8859-1 shown as UTF-8
    dialog->kivFontSizeComboBox->SetFontSize(36);
    headless->ClickControl(*dialog->kivImageButton2);
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    EXPECT_EQ(clip->SubtitleFile, srt);
    EXPECT_EQ(clip->SubtitleFontSize, 36);
    EXPECT_EQ(clip->SubtitleFontName, "Liberation Sans");
    EXPECT_EQ(clip->SubtitleLanguage, 1);
    EXPECT_EQ(g_i_LanguageIndex, 1);

    // Opened again: the clip's file, its language; Clear File and OK remove the file.
    ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
    EXPECT_EQ(dialog->Label_Subtitle->Caption(), "Subtitle : " + srt);
    EXPECT_EQ(dialog->kivComboBox_Language->ItemIndex(), 1);
    EXPECT_EQ(Memo().size(), memo.size());
    dialog->kivButton_LoadSubtitleClick(nullptr);
    EXPECT_EQ(dialog->Label_Subtitle->Caption(), "Subtitle : None");
    EXPECT_TRUE(Memo().empty());
    dialog->kivImageButton2Click(nullptr);
    EXPECT_EQ(clip->SubtitleFile, "");
}

TEST_F(SubtitleFormTest, OkWithoutAnyLanguageOrSizeKeepsTheClipsValues)
{
    g_i_LanguageIndex = 5;
    TQV_MovieImage* clip = Clip();
    clip->SubtitleLanguage = -1;
    clip->SubtitleFontName = "No Such Font";
    clip->SubtitleFontSize = 20;
    ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
    EXPECT_EQ(dialog->kivComboBox_Language->ItemIndex(), -1);
    EXPECT_EQ(dialog->kivFontSizeComboBox->FontSize(), 0);   // a font the box cannot size
    dialog->kivImageButton2Click(nullptr);
    EXPECT_EQ(clip->SubtitleLanguage, -1);
    EXPECT_EQ(g_i_LanguageIndex, 5);
    EXPECT_EQ(clip->SubtitleFontSize, 20);
    EXPECT_EQ(clip->SubtitleFontName, "No Such Font");
}

TEST_F(SubtitleFormTest, AnotherFontKeepsTheSizeOrTakesTheLargestSmallerOrTheFirst)
{
    TQV_MovieImage* clip = Clip();
    clip->SubtitleFile = srt;
    ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
    EXPECT_EQ(dialog->kivFontSizeComboBox->FontSize(), 24);
    dialog->kivFontComboBox->SetFontName("Pixel");   // 12 and 30: 24 is not there
    EXPECT_EQ(dialog->kivFontSizeComboBox->FontSize(), 12);
    EXPECT_EQ(dialog->kivMemo_Text->Font()->Name(), "Pixel");
    dialog->kivFontComboBox->SetFontName("Liberation Sans");
    EXPECT_EQ(dialog->kivFontSizeComboBox->FontSize(), 12);
    dialog->kivFontSizeComboBox->SetFontSize(10);
    dialog->kivFontComboBox->SetFontName("Pixel");   // nothing at or below 10: the first
    EXPECT_EQ(dialog->kivFontSizeComboBox->FontSize(), 12);
    dialog->kivFontSizeComboBox->SetFontSize(30);
    dialog->kivFontComboBox->SetFontName("Liberation Sans");
    EXPECT_EQ(dialog->kivFontSizeComboBox->FontSize(), 28);
}

TEST_F(SubtitleFormTest, PreviewHasTheDiscsSizeWithBlackBarsAndTheCueOverThePicture)
{
    TQV_MovieImage* clip = Clip();   // a red 32 x 24 snapshot
    struct Kind {
        int type, width, height, bar;   // bar: the black rows above the picture
    };
    for (const Kind k : {Kind{0, 720, 576, 18}, Kind{1, 720, 576, 18}, Kind{2, 480, 576, 108}, Kind{3, 352, 288, 12}}) {
        SCOPED_TRACE(k.type);
        ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, k.type));
        TBitmap& b = const_cast<TBitmap&>(dialog->Preview());
        ASSERT_EQ(b.Width(), k.width);
        ASSERT_EQ(b.Height(), k.height);
        EXPECT_EQ(b.Canvas()->Pixels(k.width / 2, k.bar - 2), clBlack);
        EXPECT_EQ(b.Canvas()->Pixels(k.width / 2, k.bar + 2), clRed);
        EXPECT_EQ(b.Canvas()->Pixels(k.width / 2, k.height - k.bar + 2), clBlack);
    }
    // With a file: white letters near the bottom, none above the lower third.
    clip->SubtitleFile = srt;
    ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 1));
    TBitmap& b = const_cast<TBitmap&>(dialog->Preview());
    int whiteLow = 0, whiteHigh = 0;
    for (int y = 0; y < 576; ++y)
        for (int x = 0; x < 720; ++x)
            if (b.Canvas()->Pixels(x, y) == clWhite) ++(y > 576 * 2 / 3 ? whiteLow : whiteHigh);
    EXPECT_GT(whiteLow, 100);
    EXPECT_EQ(whiteHigh, 0);
    // No snapshot at all: black, without dividing by its size.
    clip->Snapshot->SetSize(0, 0);
    clip->SubtitleFile.clear();
    ASSERT_TRUE(dialog->PrepareSubtitleDialog(clip, 3));
    EXPECT_EQ(const_cast<TBitmap&>(dialog->Preview()).Canvas()->Pixels(176, 144), clBlack);
}

TEST_F(SubtitleFormTest, ClipsWindowShowsTheFileChosenAndNoneAfterOkWithoutAFile)
{
    MakeClips(1);
    TQV_MovieImage* clip = MyMovieImage[0];
    form->ClipClick(clip);
    headless->OnNextModal([&](TCustomForm&) {
        ScriptedDialogs().AnswerFiles({srt});
        dialog->kivButton_LoadSubtitleClick(nullptr);
        headless->ClickControl(*dialog->kivImageButton2);
    });
    form->kivButton_LoadSubtitleClick(nullptr);
    EXPECT_EQ(form->Label_Subtitle->Caption(), "Subtitle : " + srt);
    headless->OnNextModal([&](TCustomForm&) {
        dialog->kivButton_LoadSubtitleClick(nullptr);   // Clear File
        headless->ClickControl(*dialog->kivImageButton2);
    });
    form->kivButton_LoadSubtitleClick(nullptr);
    EXPECT_EQ(clip->SubtitleFile, "");
    EXPECT_EQ(form->Label_Subtitle->Caption(), "Subtitle : None");
}

} // namespace

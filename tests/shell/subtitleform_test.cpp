// The subtitle dialog: the cue text it previews, the language preselected and
// kept, the size kept or chosen when the font changes, what OK and cancel
// store, the preview at each disc kind's size, and the clips window's line
// after the dialog.
#include "clipsfixture.h"

#include "shell/burnpubfunction.h"
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

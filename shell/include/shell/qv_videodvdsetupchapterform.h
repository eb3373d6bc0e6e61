#pragma once
// The chapter setup dialog: edits the chapter start points of one title. The
// menu designer loads a title's chapters into it, shows it modally and takes
// the edited list back. The user sees and types whole seconds from the
// title's start, as the chapter page and the disc show them; the project keeps
// times on the clip's own time line (the one StartPoint and EndPoint use), and
// the dialog converts at its edge both ways. The first line is the title's
// start, which can be neither changed nor deleted; a title has at most 12
// chapters.
#include "base/taskwindows.h"

#include "vcl/forms.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TkivButton;
class TkivImageButton;
class TkivListBox;
class TkivSkinForm;
class TkivSpinEdit;
class TLabel;

class TQV_Video_DVD_Setup_Chapter_Form : public TForm, public ChapterSetupSteps {
public:
    explicit TQV_Video_DVD_Setup_Chapter_Form(TComponent* AOwner);
    ~TQV_Video_DVD_Setup_Chapter_Form() override;

    // Takes the title's chapter times (the first 12, as whole seconds from the
    // title's start, sorted) and its clip's length and trim; lists them with
    // the first line selected and the time fields at 0. ERangeError when there
    // is no such title or clip.
    void LoadClipChapters(int clipIndex) override;
    int ShowChapterSetup() override;
    // The lines as clip times: a line still at a loaded chapter's second keeps
    // that chapter's exact time, any other is the trim start plus its seconds.
    std::vector<double> ChapterPoints() const override;

    // The time in the three fields, each read within its range.
    std::int32_t InputSeconds() const;

    std::int32_t ClipIndex = 0;
    std::int32_t SelectedChapter = -1;   // the list line when a button was last used
    double Duration = 0;                 // seconds, of the clip
    double StartPoint = 0;               // the clip's trim, seconds
    double EndPoint = 0;
    // The lines: whole seconds from the title's start, ascending.
    std::array<std::int32_t, 12> ChapterSeconds{};
    std::int32_t ChapterCount = 0;

    TkivSkinForm* kivSkinForm1 = nullptr;
    TLabel* Label_ChapterList = nullptr;   // "Current Chapter List :"
    TkivListBox* kivListBox_Time = nullptr;
    TLabel* Label_InputTime = nullptr;     // "Input Split Chapter Time :"
    TLabel* Label_Hour = nullptr;
    TLabel* Label_Min = nullptr;
    TLabel* Label_Sec = nullptr;
    TkivSpinEdit* kivSpinEdit_Hour = nullptr;
    TkivSpinEdit* kivSpinEdit_Min = nullptr;
    TkivSpinEdit* kivSpinEdit_Sec = nullptr;
    TkivButton* kivButton_Insert = nullptr;
    TkivButton* kivButton_Modify = nullptr;
    TkivButton* kivButton_Delete = nullptr;
    TkivImageButton* kivImageButton_Ok = nullptr;
    TkivImageButton* kivImageButton_Cancel = nullptr;
    TkivImageButton* kivImageButton_Close = nullptr;

    void kivListBox_TimeClick(TObject* Sender);
    void kivButton_InsertClick(TObject* Sender);
    void kivButton_ModifyClick(TObject* Sender);
    void kivButton_DeleteClick(TObject* Sender);

private:
    // The list rebuilt from ChapterSeconds, with the line of `seconds` selected
    // (the first line when it is not there).
    void ListChapters(std::int32_t seconds);
    void ShowTime(std::int32_t seconds);
    void SortChapters();
    bool Holds(std::int32_t seconds) const;
    // A point a disc can hold: not before the first line and not after the
    // clip's end.
    bool WithinTitle(std::int32_t seconds) const;
    // Whole seconds from the title's start of clip time `clipSeconds`; -1 before the start.
    std::int32_t TitleSeconds(double clipSeconds) const;

    std::vector<double> loadedTimes_;   // the title's chapter times as loaded, clip seconds
};

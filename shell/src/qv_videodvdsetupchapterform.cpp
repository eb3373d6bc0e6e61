#include "shell/qv_videodvdsetupchapterform.h"

#include "base/burnpubfunction.h"
#include "base/programpictures.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "base/qv_pubfunction.h"
#include "shell/chapterlayout.h"

#include "skin/kivbutton.h"
#include "skin/kivedit.h"
#include "skin/kivlistbox.h"
#include "skin/kivskinform.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"

#include <algorithm>
#include <cmath>

namespace {

namespace layout = chapterlayout;

constexpr const char* kMaximumText = "The maximum number of chapter is 12.";
constexpr const char* kExceedingText = "Excceeding chapter time input, please check it out!";
constexpr const char* kEquivalentText = "Equivalent chapter time input!";
constexpr const char* kModifyStartText = "Can not modify chapter start point!";
constexpr const char* kDeleteStartText = "Can not delete chapter start point!";

void Inform(const char* text) { MessageDlg(text, mtInformation, MsgButtons({mbOK})); }

TkivSpinEdit* NewTimeField(TWinControl* parent, const char* name, int top, int maxValue)
{
    auto* edit = new TkivSpinEdit(parent);
    edit->SetName(name);
    edit->SetBounds(layout::kSpinLeft, top, layout::kSpinWidth, layout::kSpinHeight);
    edit->Font()->SetName("Arial");
    edit->Font()->SetSize(9);
    edit->SetMinValue(0);
    edit->SetMaxValue(maxValue);
    edit->SetIncrement(1);
    edit->SetValue(0);
    edit->SetParent(parent);
    return edit;
}

TkivButton* NewChapterButton(TWinControl* parent, const char* name, const char* caption, int top, TNotifyEvent onClick)
{
    auto* button = new TkivButton(parent);
    button->SetName(name);
    button->SetCaption(caption);
    button->SetBounds(layout::kButtonLeft, top, layout::kButtonWidth, layout::kButtonHeight);
    button->OnClick = std::move(onClick);
    button->SetParent(parent);
    return button;
}

} // namespace

TQV_Video_DVD_Setup_Chapter_Form::TQV_Video_DVD_Setup_Chapter_Form(TComponent* AOwner) : TForm(AOwner)
{
    using namespace layout;
    BeginLoading();
    SetName("QV_Video_DVD_Setup_Chapter_Form");
    SetCaption("Chapter setup");
    SetPosition(poScreenCenter);
    SetColor(0x5A3015);
    kivSkinForm1 = ApplyProgramSkin(this, kSkinFile, kWidth, kHeight);
    auto on = [this](void (TQV_Video_DVD_Setup_Chapter_Form::*handler)(TObject*)) {
        return [this, handler](TObject* sender) { (this->*handler)(sender); };
    };
    using Self = TQV_Video_DVD_Setup_Chapter_Form;

    Label_ChapterList = NewSkinLabel(this, "Label_ChapterList", "Current Chapter List :", kListLabel);
    kivListBox_Time = new TkivListBox(this);
    kivListBox_Time->SetName("kivListBox_Time");
    kivListBox_Time->SetBounds(kList.left, kList.top, kList.width, kList.height);
    kivListBox_Time->Font()->SetName("Arial");
    kivListBox_Time->Font()->SetSize(9);
    kivListBox_Time->SetItemHeight(18);
    kivListBox_Time->OnClick = on(&Self::kivListBox_TimeClick);
    kivListBox_Time->SetParent(this);

    Label_InputTime = NewSkinLabel(this, "Label_InputTime", "Input Split Chapter Time :", kTimeLabel);
    Label_Hour = NewSkinLabel(this, "Label_Hour", "Hour :", {kFieldLabelLeft, kHourTop + 3, kFieldLabelWidth, 16});
    Label_Min = NewSkinLabel(this, "Label_Min", "Min. :", {kFieldLabelLeft, kMinTop + 3, kFieldLabelWidth, 16});
    Label_Sec = NewSkinLabel(this, "Label_Sec", "Sec. :", {kFieldLabelLeft, kSecTop + 3, kFieldLabelWidth, 16});
    kivSpinEdit_Hour = NewTimeField(this, "kivSpinEdit_Hour", kHourTop, 23);
    kivSpinEdit_Min = NewTimeField(this, "kivSpinEdit_Min", kMinTop, 59);
    kivSpinEdit_Sec = NewTimeField(this, "kivSpinEdit_Sec", kSecTop, 59);

    kivButton_Insert = NewChapterButton(this, "kivButton_Insert", "Insert", kInsertTop, on(&Self::kivButton_InsertClick));
    kivButton_Modify = NewChapterButton(this, "kivButton_Modify", "Modify", kModifyTop, on(&Self::kivButton_ModifyClick));
    kivButton_Delete = NewChapterButton(this, "kivButton_Delete", "Delete", kDeleteTop, on(&Self::kivButton_DeleteClick));

    kivImageButton_Cancel = NewPictureButton(this, "kivImageButton_Cancel", kCancel, kCancelFile, "",
                                             [this](TObject*) { SetModalResult(mrCancel); });
    kivImageButton_Cancel->SetCancel(true);
    kivImageButton_Ok = NewPictureButton(this, "kivImageButton_Ok", kOk, kOkFile, "",
                                         [this](TObject*) { SetModalResult(mrOk); });
    kivImageButton_Close = NewPictureButton(this, "kivImageButton_Close", kClose, kCloseFile, "Close",
                                            [this](TObject*) { SetModalResult(mrCancel); });
    EndLoading();
}

TQV_Video_DVD_Setup_Chapter_Form::~TQV_Video_DVD_Setup_Chapter_Form() = default;

void TQV_Video_DVD_Setup_Chapter_Form::LoadClipChapters(int clipIndex)
{
    const DVDChapter& chapter = ChapterListAt(clipIndex);
    const TQV_MovieImage* clip = MyMovieImage[clipIndex];
    ClipIndex = clipIndex;
    kivListBox_Time->Items()->Clear();
    Duration = clip->Duration;
    StartPoint = std::isfinite(clip->StartPoint) ? std::max(0.0, clip->StartPoint) : 0;
    EndPoint = clip->EndPoint;
    ChapterCount = 0;
    loadedTimes_.clear();
    for (std::int64_t j = 0; j < chapter.ChapterTimes.Length() && ChapterCount < kMaxChapterPoints; ++j) {
        const double time = ChapterTimeAt(chapter, j);
        loadedTimes_.push_back(time);
        // A point before the trim shows as the title's start, as on the chapter page.
        ChapterSeconds[static_cast<std::size_t>(ChapterCount++)] = std::max(0, TitleSeconds(time));
    }
    SortChapters();
    ListChapters(ChapterCount > 0 ? ChapterSeconds[0] : 0);
    ShowTime(0);
}

int TQV_Video_DVD_Setup_Chapter_Form::ShowChapterSetup() { return ShowModal(); }

std::vector<double> TQV_Video_DVD_Setup_Chapter_Form::ChapterPoints() const
{
    std::vector<double> points;
    for (int i = 0; i < ChapterCount; ++i) {
        const std::int32_t seconds = ChapterSeconds[static_cast<std::size_t>(i)];
        // An untouched chapter keeps its own time (the title's start its exact
        // trim), so that opening and closing the dialog moves nothing.
        const auto kept = std::find_if(loadedTimes_.begin(), loadedTimes_.end(),
                                       [&](double time) { return TitleSeconds(time) == seconds; });
        points.push_back(kept != loadedTimes_.end() ? *kept : StartPoint + seconds);
    }
    return points;
}

std::int32_t TQV_Video_DVD_Setup_Chapter_Form::InputSeconds() const
{
    // A field clamps its text only when the focus leaves it: a value typed
    // just before a button press is brought into range here.
    auto field = [](const TkivSpinEdit* edit) { return edit->CheckValue(edit->Value()); };
    return field(kivSpinEdit_Hour) * 3600 + field(kivSpinEdit_Min) * 60 + field(kivSpinEdit_Sec);
}

void TQV_Video_DVD_Setup_Chapter_Form::kivListBox_TimeClick(TObject*)
{
    const int line = kivListBox_Time->ItemIndex();
    if (line < 0 || line >= ChapterCount) return;
    SelectedChapter = line;
    ShowTime(ChapterSeconds[static_cast<std::size_t>(line)]);
}

void TQV_Video_DVD_Setup_Chapter_Form::kivButton_InsertClick(TObject*)
{
    SelectedChapter = kivListBox_Time->ItemIndex();
    if (ChapterCount >= kMaxChapterPoints) return Inform(kMaximumText);
    const std::int32_t t = InputSeconds();
    if (!WithinTitle(t)) return Inform(kExceedingText);
    if (Holds(t)) return Inform(kEquivalentText);
    ChapterSeconds[static_cast<std::size_t>(ChapterCount++)] = t;
    SortChapters();
    ListChapters(t);
}

void TQV_Video_DVD_Setup_Chapter_Form::kivButton_ModifyClick(TObject*)
{
    const int line = kivListBox_Time->ItemIndex();
    SelectedChapter = line;
    if (line < 0 || line >= ChapterCount) return;
    if (line == 0) return Inform(kModifyStartText);
    const std::int32_t t = InputSeconds();
    if (!WithinTitle(t)) return Inform(kExceedingText);
    if (Holds(t)) return Inform(kEquivalentText);
    ChapterSeconds[static_cast<std::size_t>(line)] = t;
    SortChapters();
    ListChapters(t);
}

void TQV_Video_DVD_Setup_Chapter_Form::kivButton_DeleteClick(TObject*)
{
    const int line = kivListBox_Time->ItemIndex();
    SelectedChapter = line;
    if (line < 0 || line >= ChapterCount) return;
    if (line == 0) return Inform(kDeleteStartText);
    // The entry itself goes; the later ones move up (a stand-in time sorted to
    // the end could be outranked by a real chapter of a very long clip).
    std::copy(ChapterSeconds.begin() + line + 1, ChapterSeconds.begin() + ChapterCount, ChapterSeconds.begin() + line);
    ChapterSeconds[static_cast<std::size_t>(--ChapterCount)] = 0;
    ListChapters(ChapterSeconds[0]);
    ShowTime(0);
}

void TQV_Video_DVD_Setup_Chapter_Form::ListChapters(std::int32_t seconds)
{
    TStrings& lines = *kivListBox_Time->Items();
    lines.BeginUpdate();
    lines.Clear();
    int selected = ChapterCount > 0 ? 0 : -1;
    for (int i = 0; i < ChapterCount; ++i) {
        lines.Add(FormatSecondsHms(ChapterSeconds[static_cast<std::size_t>(i)]));
        if (ChapterSeconds[static_cast<std::size_t>(i)] == seconds) selected = i;
    }
    lines.EndUpdate();
    kivListBox_Time->SetItemIndex(selected);
}

void TQV_Video_DVD_Setup_Chapter_Form::ShowTime(std::int32_t seconds)
{
    kivSpinEdit_Hour->SetValue(seconds / 3600 % 24);
    kivSpinEdit_Min->SetValue(seconds / 60 % 60);
    kivSpinEdit_Sec->SetValue(seconds % 60);
}

void TQV_Video_DVD_Setup_Chapter_Form::SortChapters()
{
    std::vector<std::int32_t> points(ChapterSeconds.begin(), ChapterSeconds.begin() + ChapterCount);
    QuickSortInts(points, 0, static_cast<int>(points.size()) - 1);
    std::copy(points.begin(), points.end(), ChapterSeconds.begin());
}

bool TQV_Video_DVD_Setup_Chapter_Form::Holds(std::int32_t seconds) const
{
    return std::find(ChapterSeconds.begin(), ChapterSeconds.begin() + ChapterCount, seconds) !=
           ChapterSeconds.begin() + ChapterCount;
}

bool TQV_Video_DVD_Setup_Chapter_Form::WithinTitle(std::int32_t seconds) const
{
    const std::int32_t first = ChapterCount > 0 ? ChapterSeconds[0] : 0;
    // A clip never probed has no end yet: its length stands in.
    const double end = EndPoint > 0 ? EndPoint : Duration;
    return seconds >= first && StartPoint + seconds <= end;
}

std::int32_t TQV_Video_DVD_Setup_Chapter_Form::TitleSeconds(double clipSeconds) const
{
    return WholeTitleSeconds(clipSeconds, StartPoint);
}

// The chapter setup dialog, driven as a user would inside its modal loop:
// what a title's record loads as, Insert, Modify and Delete with their
// refusals (texts pinned), the time fields' ranges, and what the caller gets
// back.
#include "startupfixture.h"

#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "shell/qv_videodvdsetupchapterform.h"

#include "skin/kivbutton.h"
#include "skin/kivedit.h"
#include "skin/kivlistbox.h"
#include "vcl/dialogs.h"

#include <functional>

namespace {

const std::string kMaximum = "The maximum number of chapter is 12.";
const std::string kExceeding = "Excceeding chapter time input, please check it out!";
const std::string kEquivalent = "Equivalent chapter time input!";
const std::string kModifyStart = "Can not modify chapter start point!";
const std::string kDeleteStart = "Can not delete chapter start point!";

class SetupChapterTest : public StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        app->CreateForm(QV_Video_DVD_Setup_Chapter_Form);
        form = QV_Video_DVD_Setup_Chapter_Form;
    }
    void TearDown() override
    {
        MyDVDChapter.clear();
        MyMovieImage.Clear();
        QV_Video_DVD_Setup_Chapter_Form = nullptr;
        StartupTest::TearDown();
    }

    // A title of that length and trim with those chapter times; answers its index.
    int AddTitle(double duration, double start, double end, std::vector<double> times)
    {
        ClipPtr clip(new TQV_MovieImage(nullptr, static_cast<int>(MyMovieImage.Length())));
        clip->Duration = clip->VideoDuration = duration;
        clip->StartPoint = start;
        clip->EndPoint = end;
        const std::int64_t index = MyMovieImage.Add(std::move(clip));
        MyDVDChapter.SetLength(index + 1);
        for (double t : times) {
            DVDChapter& record = MyDVDChapter[index];
            record.ChapterTimes.SetLength(record.ChapterTimes.Length() + 1);
            record.ChapterTimes[record.ChapterTimes.Length() - 1] = t;
        }
        return static_cast<int>(index);
    }

    // Loads the title, shows the dialog, runs `steps` inside it and closes it by `close`.
    int Edit(int title, const std::function<void()>& steps, TControl* close = nullptr)
    {
        form->LoadClipChapters(title);
        headless->OnNextModal([&](TCustomForm&) {
            steps();
            headless->ClickControl(close ? *close : static_cast<TControl&>(*form->kivImageButton_Ok));
        });
        return form->ShowChapterSetup();
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        const TStrings& items = *form->kivListBox_Time->Items();
        for (int i = 0; i < items.Count(); ++i) lines.push_back(items.Strings(i));
        return lines;
    }
    std::string SelectedLine() const
    {
        const int i = form->kivListBox_Time->ItemIndex();
        return i < 0 ? "" : form->kivListBox_Time->Items()->Strings(i);
    }
    std::vector<std::string> Fields() const
    {
        return {form->kivSpinEdit_Hour->Text(), form->kivSpinEdit_Min->Text(), form->kivSpinEdit_Sec->Text()};
    }

    void ClickLine(int line)
    {
        TkivListBox& list = *form->kivListBox_Time;
        const int y = list.Top() + 2 + line * list.ItemHeight() + list.ItemHeight() / 2;
        headless->Click(*form, list.Left() + list.Width() / 2, y);
    }
    void Type(int hour, int minute, int second)
    {
        form->kivSpinEdit_Hour->SetText(std::to_string(hour));
        form->kivSpinEdit_Min->SetText(std::to_string(minute));
        form->kivSpinEdit_Sec->SetText(std::to_string(second));
    }
    void Press(TkivButton* button) { headless->ClickControl(*button); }

    // The message boxes shown since the last call, as their texts.
    std::vector<std::string> Boxes()
    {
        std::vector<std::string> texts;
        const auto& boxes = headless->MessageBoxes();
        for (std::size_t i = seenBoxes; i < boxes.size(); ++i) texts.push_back(boxes[i].text);
        seenBoxes = boxes.size();
        return texts;
    }

    TQV_Video_DVD_Setup_Chapter_Form* form = nullptr;
    std::size_t seenBoxes = 0;
};

using Lines_ = std::vector<std::string>;
using Points = std::vector<double>;

TEST_F(SetupChapterTest, ATitleLoadsSortedWholeSecondsWithTheFirstLineSelected)
{
    const int title = AddTitle(600, 0, 600, {300.9, 0, 120.4});
    form->kivSpinEdit_Min->SetText("12");
    form->LoadClipChapters(title);
    EXPECT_EQ(Lines(), (Lines_{"00:00:00", "00:02:00", "00:05:00"}));
    EXPECT_EQ(form->kivListBox_Time->ItemIndex(), 0);
    EXPECT_EQ(Fields(), (Lines_{"0", "0", "0"}));
    EXPECT_EQ(form->ChapterCount, 3);
    EXPECT_EQ(form->ChapterPoints(), (Points{0, 120.4, 300.9}));   // each line keeps its stored time
    EXPECT_EQ(form->Duration, 600.0);

    // More than twelve stored times: the first twelve.
    std::vector<double> many;
    for (int i = 0; i < 15; ++i) many.push_back(600.0 - 10 * i);
    form->LoadClipChapters(AddTitle(900, 0, 900, many));
    EXPECT_EQ(form->ChapterCount, 12);
    EXPECT_EQ(form->ChapterPoints().front(), 490);
    EXPECT_EQ(form->ChapterPoints().back(), 600);

    // A title with no times lists nothing; no such title is a range error.
    form->LoadClipChapters(AddTitle(60, 0, 60, {}));
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(form->kivListBox_Time->ItemIndex(), -1);
    EXPECT_THROW(form->LoadClipChapters(99), ERangeError);
}

TEST_F(SetupChapterTest, InsertKeepsTheListSortedAndRefusesAThirteenthARepeatAndTimesPastTheEnd)
{
    const int title = AddTitle(3725, 0, 3725, {0, 600});
    EXPECT_EQ(Edit(title, [&] {
                  Type(0, 5, 0);
                  Press(form->kivButton_Insert);
                  EXPECT_EQ(Lines(), (Lines_{"00:00:00", "00:05:00", "00:10:00"}));
                  EXPECT_EQ(SelectedLine(), "00:05:00");
                  // Equal to the clip's length: taken; a second more: refused.
                  Type(1, 2, 5);
                  Press(form->kivButton_Insert);
                  EXPECT_EQ(SelectedLine(), "01:02:05");
                  Type(1, 2, 6);
                  Press(form->kivButton_Insert);
                  EXPECT_EQ(Boxes(), (Lines_{kExceeding}));
                  Type(0, 10, 0);
                  Press(form->kivButton_Insert);
                  EXPECT_EQ(Boxes(), (Lines_{kEquivalent}));
                  EXPECT_EQ(Lines().size(), 4u);
              }),
              mrOk);
    EXPECT_EQ(form->ChapterPoints(), (Points{0, 300, 600, 3725}));
    EXPECT_EQ(headless->MessageBoxes().back().flags & 0xF0, unsigned(MB_ICONINFORMATION));

    std::vector<double> twelve;
    for (int i = 0; i < 12; ++i) twelve.push_back(60.0 * i);
    Edit(AddTitle(3600, 0, 3600, twelve), [&] {
        Type(0, 59, 30);
        Press(form->kivButton_Insert);
        EXPECT_EQ(Boxes(), (Lines_{kMaximum}));
        EXPECT_EQ(Lines().size(), 12u);
    });
}

TEST_F(SetupChapterTest, ATrimmedTitleShowsAndTakesTimesFromTheTitlesStart)
{
    // Trimmed to 30.4..90 s: the lines count from the title's start (not from
    // the clip's), as the chapter page and the disc do; the caller gets times
    // on the clip back.
    const int title = AddTitle(120, 30.4, 90, {30.4, 45.9});
    Edit(title, [&] {
        EXPECT_EQ(Lines(), (Lines_{"00:00:00", "00:00:15"}));
        // 59 s into the title is 89.4 s of the clip; 60 s would pass its end.
        Type(0, 1, 0);
        Press(form->kivButton_Insert);
        EXPECT_EQ(Boxes(), (Lines_{kExceeding}));
        Type(0, 0, 59);
        Press(form->kivButton_Insert);
        EXPECT_TRUE(Boxes().empty());
        Type(0, 0, 30);
        Press(form->kivButton_Insert);
        EXPECT_EQ(Lines(), (Lines_{"00:00:00", "00:00:15", "00:00:30", "00:00:59"}));
        // Modify is held to the same span.
        ClickLine(2);
        EXPECT_EQ(Fields(), (Lines_{"0", "0", "30"}));
        Type(0, 1, 5);
        Press(form->kivButton_Modify);
        EXPECT_EQ(Boxes(), (Lines_{kExceeding}));
        Type(0, 0, 20);
        Press(form->kivButton_Modify);
        EXPECT_EQ(Lines(), (Lines_{"00:00:00", "00:00:15", "00:00:20", "00:00:59"}));
        EXPECT_EQ(SelectedLine(), "00:00:20");
    });
    // The untouched chapters keep their exact times; the typed ones are the trim start plus their seconds.
    EXPECT_EQ(form->ChapterPoints(), (Points{30.4, 45.9, 30.4 + 20, 30.4 + 59}));

    // A point stored before the trim shows as the title's start and comes back as it.
    form->LoadClipChapters(AddTitle(120, 30.4, 90, {12, 50}));
    EXPECT_EQ(Lines(), (Lines_{"00:00:00", "00:00:19"}));
    EXPECT_EQ(form->ChapterPoints(), (Points{30.4, 50}));

    // A title with no points yet takes any time inside the trim as its first.
    Edit(AddTitle(120, 30, 90, {}), [&] {
        Type(0, 1, 1);
        Press(form->kivButton_Insert);
        EXPECT_EQ(Boxes(), (Lines_{kExceeding}));
        Type(0, 0, 0);
        Press(form->kivButton_Insert);
        EXPECT_EQ(Lines(), (Lines_{"00:00:00"}));
    });
    EXPECT_EQ(form->ChapterPoints(), (Points{30}));
}

TEST_F(SetupChapterTest, TheFirstLineStaysAndAChapterCannotBeMovedOntoItself)
{
    const int title = AddTitle(600, 0, 600, {0, 120, 240});
    Edit(title, [&] {
        ClickLine(0);
        Type(0, 1, 0);
        Press(form->kivButton_Modify);
        Press(form->kivButton_Delete);
        EXPECT_EQ(Boxes(), (Lines_{kModifyStart, kDeleteStart}));
        ClickLine(1);
        EXPECT_EQ(Fields(), (Lines_{"0", "2", "0"}));
        Press(form->kivButton_Modify);
        EXPECT_EQ(Boxes(), (Lines_{kEquivalent}));
        // Onto another chapter's time: refused the same way.
        Type(0, 4, 0);
        Press(form->kivButton_Modify);
        EXPECT_EQ(Boxes(), (Lines_{kEquivalent}));
        // Moved past a later one, it is sorted and stays selected.
        Type(0, 5, 0);
        Press(form->kivButton_Modify);
        EXPECT_EQ(Lines(), (Lines_{"00:00:00", "00:04:00", "00:05:00"}));
        EXPECT_EQ(SelectedLine(), "00:05:00");
        EXPECT_EQ(form->SelectedChapter, 1);
        // With no line selected, Modify and Delete do nothing at all.
        form->kivListBox_Time->SetItemIndex(-1);
        Press(form->kivButton_Modify);
        Press(form->kivButton_Delete);
        EXPECT_TRUE(Boxes().empty());
        EXPECT_EQ(Lines().size(), 3u);
    });
}

TEST_F(SetupChapterTest, DeleteRemovesOnlyTheChapterEvenPastADay)
{
    // A 26-hour clip (as a clip object: no file is that long here).
    const int title = AddTitle(26 * 3600, 0, 26 * 3600, {0, 3600, 90000, 93000});
    Edit(title, [&] {
        ClickLine(3);
        // Hours are shown within a day.
        EXPECT_EQ(Fields(), (Lines_{"1", "50", "0"}));
        ClickLine(1);
        Press(form->kivButton_Delete);
        EXPECT_EQ(form->kivListBox_Time->ItemIndex(), 0);
        EXPECT_EQ(Fields(), (Lines_{"0", "0", "0"}));
        EXPECT_EQ(Lines(), (Lines_{"00:00:00", "More than 1 day", "More than 1 day"}));
    });
    EXPECT_EQ(form->ChapterPoints(), (Points{0, 90000, 93000}));
}

TEST_F(SetupChapterTest, TimeFieldsAreReadWithinTheirRanges)
{
    const int title = AddTitle(7200, 0, 7200, {0});
    Edit(title, [&] {
        // Typed, and the button pressed before the field was left.
        Type(0, 75, 0);
        EXPECT_EQ(form->kivSpinEdit_Min->Text(), "75");
        EXPECT_EQ(form->InputSeconds(), 59 * 60);
        Press(form->kivButton_Insert);
        EXPECT_EQ(Lines(), (Lines_{"00:00:00", "00:59:00"}));
        form->kivSpinEdit_Hour->SetText("-3");
        form->kivSpinEdit_Min->SetText("abc");
        form->kivSpinEdit_Sec->SetText("99");
        EXPECT_EQ(form->InputSeconds(), 59);
    });
}

TEST_F(SetupChapterTest, OnlyOkHandsTheListBack)
{
    const int title = AddTitle(600, 0, 600, {0});
    EXPECT_EQ(Edit(title, [] {}, form->kivImageButton_Cancel), mrCancel);
    EXPECT_EQ(Edit(title, [] {}, form->kivImageButton_Close), mrCancel);
    EXPECT_EQ(Edit(title, [] {}), mrOk);
    EXPECT_TRUE(headless->UnscriptedModals().empty());
    // The caller finds the dialog by its name, as the menu designer does.
    ChapterSetupSteps* steps = FindTaskWindow<ChapterSetupSteps>(kSetupChapterWindowName);
    ASSERT_EQ(steps, form);
}

} // namespace

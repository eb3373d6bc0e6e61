// Chapter times in the disc-build task, through the program's real windows: a
// clip trimmed in the clips window, its chapter page in the designer, and the
// chapter dialog opened from the page, which lists and takes times from the
// title's start, as the page shows them.
#include "programtask.h"

#include "base/dvdchapter.h"

#include "skin/kivedit.h"
#include "skin/kivlistbox.h"
#include "vcl/stdctrls.h"

#include <algorithm>

namespace {

using Lines = std::vector<std::string>;

Lines Labels(const DVDChapter& page)
{
    Lines labels;
    for (const TLabel* label : page.ChapterLabels) labels.push_back(label->Caption());
    return labels;
}

Lines Listed(TQV_Video_DVD_Setup_Chapter_Form& dialog)
{
    Lines lines;
    for (int i = 0; i < dialog.kivListBox_Time->Items()->Count(); ++i)
        lines.push_back(dialog.kivListBox_Time->Items()->Get(i));
    return lines;
}

using ChapterTaskTest = ProgramTaskTest;

TEST_F(ChapterTaskTest, TheChapterDialogListsAndTakesTimesAsTheTrimmedTitlesPageShowsThem)
{
    const std::string clip = Clip("Holiday.mp4", 20);
    auto& designer = task_->Window<TQV_Video_DVD_Setup_DVD_Menu_Form>(kMenuDesignerWindowName);
    auto& dialog = task_->Window<TQV_Video_DVD_Setup_Chapter_Form>(kSetupChapterWindowName);
    double begin = 0;
    Lines pageBefore, listed, listedAfterInsert, pageAfter;
    std::vector<double> timesAfter;
    DvdBuildTask({clip}, [&](TQV_Video_DVD_Setup_Source_Clips_Form& clipsForm) {
        begin = TrimBegin(clipsForm, 0, 4.1);
        ASSERT_GT(begin, 3);
        task_->OnNextModal([&](TCustomForm& shown) {
            ASSERT_EQ(&shown, &designer);
            ASSERT_TRUE(task_->PumpUntil(
                [&] { return MyDVDChapter.Length() == 1 && !designer.Panel_Progress->Visible(); }, 120));
            task_->Step("designer: the clip's chapter page");
            task_->Click(*MyMovieImage[0]);
            task_->Click(*designer.kivImageButton_NextChapter);
            ASSERT_EQ(designer.ChapterPage, 0);
            const DVDChapter& page = MyDVDChapter[0];
            pageBefore = Labels(page);

            // The first chapter's right click, "Create Chpater by Manual", 12 s typed, Insert, OK.
            task_->Step("designer: the chapter dialog");
            task_->OnNextModal([&](TCustomForm& menu) { task_->ChooseMenuItem(menu, *designer.CreateChpaterbyManual1); });
            task_->OnNextModal([&](TCustomForm& shown2) {
                ASSERT_EQ(&shown2, &dialog);
                listed = Listed(dialog);
                task_->TypeInto(*dialog.kivSpinEdit_Sec, "12");
                task_->Click(*dialog.kivButton_Insert);
                listedAfterInsert = Listed(dialog);
                task_->Shoot(dialog, "chapter-dialog-trimmed-title");
                task_->Click(*dialog.kivImageButton_Ok);
            });
            task_->RightClick(*page.ChapterButtons[0]);
            ASSERT_TRUE(task_->PumpUntil(
                [&] { return page.ChapterTimes.Length() == 3 && !designer.Panel_Progress->Visible(); }, 120));
            pageAfter = Labels(page);
            timesAfter.assign(page.ChapterTimes.begin(), page.ChapterTimes.end());
            task_->Shoot(designer, "chapter-page-trimmed-title");
            task_->Step("designer: Exit");
            task_->Click(*designer.kivImageButton_Exit);
        });
        task_->Step("clips window: Next");
        task_->Click(*clipsForm.kivImageButton_Burn);
    });

    // The page counts from the title's start (the trim), and the dialog lists the same times.
    ASSERT_EQ(pageBefore.size(), 2u);
    EXPECT_EQ(pageBefore[0], "00:00:00");
    EXPECT_EQ(listed, pageBefore);
    // 12 s typed is 12 s into the title, on the page as in the dialog.
    Lines expected = pageBefore;
    expected.push_back("00:00:12");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listedAfterInsert, expected);
    EXPECT_EQ(pageAfter, expected);
    // Kept on the clip's time line: the trim start, then the typed point after it.
    ASSERT_EQ(timesAfter.size(), 3u);
    EXPECT_EQ(timesAfter[0], begin);
    EXPECT_TRUE(std::find(timesAfter.begin(), timesAfter.end(), begin + 12) != timesAfter.end());
}

} // namespace

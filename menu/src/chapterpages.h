#pragma once
// The designer's chapter pages: one per title, a picture button for every
// chapter with its start in title time under it, made by interval when the
// window opens or by hand through the chapter dialog; one page or the title
// menu is on the design area at a time.
class TObject;
class TQV_Video_DVD_Setup_DVD_Menu_Form;

// The popup opens from the message loop, so its items may free the button right-clicked.
constexpr unsigned kMsgChapterPopup = 0x0400 + 400;
// A chapter's time label sits this far under its button.
constexpr int kChapterLabelGap = 5;

class ChapterPages {
public:
    explicit ChapterPages(TQV_Video_DVD_Setup_DVD_Menu_Form& form) : form_(form) {}

    // The one-shot timer: automatic chapters, the window busy meanwhile.
    void TimerTick();
    // A page for every title by ChapterInterval, its pictures grabbed from the video.
    void MakeAuto();
    void BuildPage(int t, int count);
    void RebuildPicture(int t, int j);
    // Title t's chapter page on the design area, or the title menu for -1.
    void Show(int t);
    void ShowNext();
    void ShowPrevious();
    void FreePages();

    void MakePopup();
    void ShowPopup();
    // The chapter dialog's points become the page on show.
    void MakeManual();
    void DeleteChapter();

private:
    void FreePage(int t);
    void MakePageBackground(int t);
    void AddButton(int t, int j, double time);
    // The window while chapter pictures are grabbed: only the design area, the progress and Exit answer.
    void BeginWork();
    void EndWork();
    // Ends the chapter work however it ends, an exception included.
    struct WorkScope {
        ChapterPages& pages;
        ~WorkScope() { pages.EndWork(); }
    };

    TQV_Video_DVD_Setup_DVD_Menu_Form& form_;
};

#include "chapterpages.h"

#include "backgroundchooser.h"
#include "chapterthumbnails.h"
#include "designerpreview.h"
#include "titlelayout.h"

#include "base/burnpubfunction.h"
#include "base/dvdchapter.h"
#include "base/programpictures.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "base/qv_pubfunction.h"
#include "menu/menumodel.h"
#include "menu/menuoutput.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "gfx/bitmap.h"
#include "gfx/jpeg.h"
#include "skin/kivbutton.h"
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "vcl/dialogs.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kChapterWidth = 80, kChapterHeight = 60;
constexpr int kChapterLefts[4] = {50, 140, 230, 320};
constexpr int kChapterTop = 45, kChapterRowStep = 90, kChaptersPerRow = 4;
constexpr const char* kChapterPlaceholder = "VideoP.bmp";

template <class T>
void EraseAt(TDynArray<T>& items, std::int64_t j)
{
    for (std::int64_t k = j; k + 1 < items.Length(); ++k) items[k] = items[k + 1];
    items.SetLength(items.Length() - 1);
}

} // namespace

int AutoChapterCount(double length, double interval, bool canSeek)
{
    // A zero, negative or damaged interval would divide by nothing: one chapter.
    if (!canSeek || !(interval > 0) || !std::isfinite(interval)) return 1;
    if (!(length >= interval)) return 2;
    return static_cast<int>(std::min(std::trunc(length / interval), double{kMaxChapterPoints}));
}

double AutoChapterTime(double startPoint, double endPoint, double interval, int j)
{
    const double time = startPoint + j * interval;
    return time > endPoint ? (startPoint + endPoint) / 2 : time;
}

// --- making the pages -------------------------------------------------------------------------
void ChapterPages::TimerTick()
{
    form_.Timer->SetEnabled(false);
    if (MyMovieImage.empty()) return;
    BeginWork();
    const WorkScope scope{*this};
    MakeAuto();
}

void ChapterPages::BeginWork()
{
    auto& f = form_;
    SetControlsEnabled(false, &f);
    SetControlsEnabled(true, f.kivImagePanel_Preview);
    SetControlsEnabled(true, f.Panel_Progress);
    f.kivImageButton_Exit->SetEnabled(true);
    f.kivProgressBar1->SetPosition(0);
    f.Panel_Progress->Show();
    f.Panel_Progress->BringToFront();
    f.Repaint();
}

void ChapterPages::EndWork()
{
    auto& f = form_;
    f.Panel_Progress->Hide();
    SetControlsEnabled(true, &f);
    f.kivImageButton_PreviousChapter->SetEnabled(!MyDVDChapter.empty());
    f.kivImageButton_NextChapter->SetEnabled(!MyDVDChapter.empty());
}

void ChapterPages::MakeAuto()
{
    auto& f = form_;
    Show(-1);
    FreePages();
    MyDVDChapter.SetLength(MyMovieImage.Length());
    std::vector<int> counts;
    f.TotalChapters = 0;
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
        const TQV_MovieImage* clip = MyMovieImage[i];
        const int count =
            clip ? AutoChapterCount(clip->EndPoint - clip->StartPoint, f.ChapterInterval, clip->SupportsSeek) : 0;
        counts.push_back(count);
        f.TotalChapters += count;
    }
    f.ChaptersDone = 0;
    for (std::int64_t i = 0; i < MyMovieImage.Length() && !f.thumbnails_->Stopped(); ++i)
        BuildPage(static_cast<int>(i), counts[static_cast<std::size_t>(i)]);
    f.kivImageButton_PreviousChapter->SetEnabled(true);
    f.kivImageButton_NextChapter->SetEnabled(true);
}

void ChapterPages::MakePageBackground(int t)
{
    const auto& list = form_.BackgroundList;
    DVDChapter& page = ChapterListAt(t);
    delete page.PageBackground;
    page.PageBackground = new TBitmap(kDesignWidth, kDesignHeight, pf24bit);
    if (list.empty()) return;
    const std::size_t k = list.size() > 2 ? 1 : 0;
    const std::string file = ShippedBackgroundFile(list[k]);
    if (file.empty()) return;
    try {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(file);
        TBitmap picture;
        picture.Assign(jpeg);
        if (!picture.Empty()) page.PageBackground->Assign(picture);
    } catch (const std::exception&) {
        // A picture that cannot be read leaves the page plain.
    }
}

void ChapterPages::AddButton(int t, int j, double time)
{
    auto& f = form_;
    DVDChapter& page = ChapterListAt(t);
    const TQV_MovieImage* clip = f.titles_->At(t);
    auto* button = new TQV_Image(&f);
    button->SetStretch(true);
    button->SetBounds(kChapterLefts[j % kChaptersPerRow], kChapterTop + kChapterRowStep * (j / kChaptersPerRow),
                      kChapterWidth, kChapterHeight);
    button->SetCursor(crHandPoint);
    button->OnMouseDown = [&f](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        f.ChapterButtonMouseDown(s, b, sh, x, y);
    };
    button->OnMouseMove = [&f](TObject* s, TShiftState sh, int x, int y) { f.ChapterButtonMouseMove(s, sh, x, y); };
    button->OnMouseUp = [&f](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        f.ChapterButtonMouseUp(s, b, sh, x, y);
    };
    button->OnDblClick = [&f](TObject* s) { f.EditChapterButton(s); };
    auto* thumbnail = new TBitmap;
    LoadProgramPicture(kChapterPlaceholder, *thumbnail);
    auto* label = new TLabel(&f);
    label->SetTransparent(true);
    label->SetAutoSize(true);
    label->Font()->SetName("Arial");
    label->Font()->SetSize(10);
    label->Font()->SetColor(clWhite);
    // The label shows the chapter's start in the title, as the menu shows it.
    label->SetCaption(TitleTimeLabel(time, clip ? clip->StartPoint : 0));
    label->SetBounds(button->Left(), button->Top() + button->Height() + kChapterLabelGap, label->Width(),
                     label->Height());
    page.ChapterTimes.SetLength(j + 1);
    page.ChapterButtons.SetLength(j + 1);
    page.ChapterThumbnails.SetLength(j + 1);
    page.ChapterLabels.SetLength(j + 1);
    page.ChapterTimes[j] = time;
    page.ChapterButtons[j] = button;
    page.ChapterThumbnails[j] = thumbnail;
    page.ChapterLabels[j] = label;
    RebuildPicture(t, j);
    if (f.ChapterPage == t) {
        button->SetParent(f.kivImagePanel_Preview);
        label->SetParent(f.kivImagePanel_Preview);
    }
}

void ChapterPages::BuildPage(int t, int count)
{
    TQV_MovieImage* clip = form_.titles_->At(t);
    if (!clip || t >= MyDVDChapter.Length()) return;
    FreePage(t);
    ChapterListAt(t).Title = clip;
    MakePageBackground(t);
    for (int j = 0; j < count; ++j)
        AddButton(t, j, AutoChapterTime(clip->StartPoint, clip->EndPoint, form_.ChapterInterval, j));
    form_.thumbnails_->Grab(t);
}

void ChapterPages::RebuildPicture(int t, int j)
{
    DVDChapter& page = ChapterListAt(t);
    if (j < 0 || j >= page.ChapterButtons.Length()) return;
    TQV_Image* button = page.ChapterButtons[j];
    TBitmap& thumbnail = *page.ChapterThumbnails[j];
    const TQV_MovieImage* clip = form_.titles_->At(t);
    TBitmap tile;
    FitSnapshotToTile(tile, thumbnail, button->Width(), button->Height(), clip ? ClipPictureRatio(*clip, thumbnail) : 0);
    button->Picture()->SetGraphic(&tile);
}

// --- pages on show ----------------------------------------------------------------------------------
void ChapterPages::Show(int t)
{
    auto& f = form_;
    if (t < -1 || t >= MyDVDChapter.Length()) return;
    auto showTitleMenu = [&f](TWinControl* parent) {
        for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
            if (TQV_MovieImage* clip = MyMovieImage[i]) clip->SetParent(parent);
        for (TLabel* label : f.TitleLabels)
            if (label) label->SetParent(parent);
        f.Label_Title->SetParent(parent);
    };
    auto showChapterPage = [](int page, TWinControl* parent) {
        if (page < 0 || page >= MyDVDChapter.Length()) return;
        DVDChapter& chapter = ChapterListAt(page);
        for (TQV_Image* button : chapter.ChapterButtons) button->SetParent(parent);
        for (TLabel* label : chapter.ChapterLabels) label->SetParent(parent);
    };
    f.preview_->Stop();
    if (f.ChapterPage == -1)
        showTitleMenu(nullptr);
    else
        showChapterPage(f.ChapterPage, nullptr);
    f.ChapterPage = t;
    if (t == -1) {
        showTitleMenu(f.kivImagePanel_Preview);
        f.backgrounds_->Show(*f.BackgroundPicture);
    } else {
        showChapterPage(t, f.kivImagePanel_Preview);
        TBitmap plain(kDesignWidth, kDesignHeight, pf24bit);
        TBitmap* background = ChapterListAt(t).PageBackground;
        f.backgrounds_->Show(background ? *background : plain);
    }
}

void ChapterPages::ShowNext()
{
    const int selected = form_.SelectedIndex;
    if (selected < 0 || selected >= MyDVDChapter.Length() || form_.ChapterPage == selected) return;
    Show(selected);
}

void ChapterPages::ShowPrevious()
{
    if (form_.ChapterPage != -1) Show(-1);
}

void ChapterPages::FreePage(int t)
{
    if (t < 0 || t >= MyDVDChapter.Length()) return;
    DVDChapter& page = ChapterListAt(t);
    TQV_Image*& selected = form_.ChapterButton;
    if (selected && std::find(page.ChapterButtons.begin(), page.ChapterButtons.end(), selected) !=
                        page.ChapterButtons.end())
        selected = nullptr;
    for (TQV_Image* button : page.ChapterButtons) button->Free();
    for (TLabel* label : page.ChapterLabels) label->Free();
    for (TBitmap* thumbnail : page.ChapterThumbnails) delete thumbnail;
    delete page.PageBackground;
    page.PageBackground = nullptr;
    page.ChapterButtons.SetLength(0);
    page.ChapterLabels.SetLength(0);
    page.ChapterThumbnails.SetLength(0);
    page.ChapterTimes.SetLength(0);
}

void ChapterPages::FreePages()
{
    for (std::int64_t t = 0; t < MyDVDChapter.Length(); ++t) FreePage(static_cast<int>(t));
}

// --- chapters by hand -----------------------------------------------------------------------------------
void ChapterPages::MakePopup()
{
    auto& f = form_;
    f.PopupMenu = new TPopupMenu(&f);
    f.PopupMenu->SetName("PopupMenu");
    auto item = [&f](const char* name, const char* caption, void (TQV_Video_DVD_Setup_DVD_Menu_Form::*handler)(TObject*)) {
        auto* menuItem = new TMenuItem(f.PopupMenu);
        menuItem->SetName(name);
        menuItem->SetCaption(caption);
        menuItem->OnClick = [&f, handler](TObject* sender) { (f.*handler)(sender); };
        f.PopupMenu->Items()->Add(menuItem);
        return menuItem;
    };
    f.CreateChpaterbyManual1 = item("CreateChpaterbyManual1", "Create Chpater by Manual",
                                    &TQV_Video_DVD_Setup_DVD_Menu_Form::MakeManualChapters);
    f.DeleteChapter1 =
        item("DeleteChapter1", "Delete Selected Chapter", &TQV_Video_DVD_Setup_DVD_Menu_Form::DeleteChapter);
}

void ChapterPages::ShowPopup()
{
    if (form_.ChapterPage < 0 || !form_.Enabled()) return;
    const TPoint at = Mouse->CursorPos();
    form_.PopupMenu->Popup(at.X, at.Y);
}

void ChapterPages::MakeManual()
{
    auto& f = form_;
    const int t = f.ChapterPage;
    TQV_MovieImage* clip = f.titles_->At(t);
    if (!clip || t >= MyDVDChapter.Length()) return;
    if (!clip->SupportsSeek) {
        MessageDlg("Can not create DVD chapter because this clip can't support seek!", mtInformation,
                   MsgButtons({mbOK}));
        return;
    }
    auto* dialog = FindTaskWindow<ChapterSetupSteps>(kSetupChapterWindowName);
    if (!dialog) {
        ShowTaskNotAvailable();
        return;
    }
    dialog->LoadClipChapters(t);
    if (dialog->ShowChapterSetup() != mrOk) return;
    std::vector<double> points = dialog->ChapterPoints();
    if (points.size() > static_cast<std::size_t>(kMaxChapterPoints)) points.resize(kMaxChapterPoints);
    FreePage(t);
    ChapterListAt(t).Title = clip;
    BeginWork();
    const WorkScope scope{*this};
    MakePageBackground(t);
    for (std::size_t j = 0; j < points.size(); ++j) AddButton(t, static_cast<int>(j), points[j]);
    f.TotalChapters = static_cast<std::int32_t>(points.size());
    f.ChaptersDone = 0;
    f.thumbnails_->Grab(t);
}

void ChapterPages::DeleteChapter()
{
    auto& f = form_;
    if (MessageDlg("Delete operation can not get back.\nSure to delete?", mtConfirmation,
                   MsgButtons({mbYes, mbNo})) != mrYes)
        return;
    if (f.ChapterPage < 0 || f.ChapterPage >= MyDVDChapter.Length()) return;
    DVDChapter& page = ChapterListAt(f.ChapterPage);
    const std::int64_t j = f.PopupChapterIndex;
    if (j == 0) {
        MessageDlg("Can not delete the first chapter!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    if (page.ChapterButtons.Length() < 2) {
        MessageDlg("The menu must has one chapter at least!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    if (j < 0 || j >= page.ChapterButtons.Length()) return;
    if (f.ChapterButton == page.ChapterButtons[j]) f.ChapterButton = nullptr;
    page.ChapterButtons[j]->Free();
    page.ChapterLabels[j]->Free();
    delete page.ChapterThumbnails[j];
    // The others keep their places: a gap stays where the chapter was.
    EraseAt(page.ChapterButtons, j);
    EraseAt(page.ChapterLabels, j);
    EraseAt(page.ChapterThumbnails, j);
    EraseAt(page.ChapterTimes, j);
    f.PopupChapterIndex = -1;
}

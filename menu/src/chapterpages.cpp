// The designer's chapter pages: one per title, a picture button for every
// chapter with its start in title time under it, made by interval when the
// window opens, their pictures grabbed from the title's video.
#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "base/programpictures.h"
#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_movieimage.h"
#include "base/qv_pubfunction.h"
#include "menu/menumodel.h"
#include "menu/menuoutput.h"

#include "dshow/mediatype.h"
#include "dshow/qedit.h"
#include "gfx/bitmap.h"
#include "gfx/jpeg.h"
#include "rtl/clock.h"
#include "rtl/paths.h"
#include "skin/kivbutton.h"
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

constexpr int kChapterWidth = 80, kChapterHeight = 60;
constexpr int kChapterLefts[4] = {50, 140, 230, 320};
constexpr int kChapterTop = 45, kChapterRowStep = 90, kChaptersPerRow = 4;
constexpr int kLabelGap = 5;
constexpr int kRunChecks = 100, kRunCheckMs = 10, kSettleMs = 800;
// How much longer a busy machine is given for the first picture of the new place.
constexpr std::uint32_t kFirstFrameMs = 5000;
constexpr const char* kChapterPlaceholder = "VideoP.bmp";
constexpr const char* kGrabFile = "Snapshot/s-chapter.bmp";

// Counts the pictures that reach the grabber.
class FrameCounter : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = riid == IID_IUnknown || riid == IID_ISampleGrabberCB ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    // Lives as long as the grab that owns it, which closes its graph first.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override
    {
        ++frames;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, LONG) override { return S_OK; }
    std::atomic<long> frames{0};
};

class GraphGroupGrab : public ChapterGrabGraph {
public:
    ~GraphGroupGrab() override { Close(); }
    bool Open(const std::wstring& path, TWinControl& window) override
    {
        graph_ = std::make_unique<GraphGroup>();
        graph_->GrabFrames = true;
        graph_->MuteAudio = true;
        if (FAILED(graph_->BuildGraph()) || FAILED(graph_->RenderClip(path))) return false;
        // Pictures are counted only where the video reaches the grabber: a file without
        // one never sends any, and is not waited for.
        AM_MEDIA_TYPE mt{};
        if (graph_->Grabber && SUCCEEDED(graph_->Grabber->GetConnectedMediaType(&mt))) {
            FreeMediaType(mt);
            counting_ = SUCCEEDED(graph_->Grabber->SetCallback(&counter_, 0));
        }
        // Only the grabber's frames are wanted; no video shows.
        graph_->SetVideoWindow(window.Handle(), Rect(0, 0, window.Width(), window.Height()));
        graph_->ShowVideo(false);
        return true;
    }
    bool Seek(double seconds) override
    {
        const bool moved = SUCCEEDED(graph_->SeekTo(static_cast<LONGLONG>(seconds * kGraphUnitsPerSecond)));
        // The seek has flushed what was on its way: pictures counted from now are of the new place.
        seekedAt_ = counter_.frames.load();
        return moved;
    }
    bool FrameSinceSeek() override { return !counting_ || counter_.frames.load() > seekedAt_; }
    bool Run() override { return SUCCEEDED(graph_->Run()); }
    bool IsRunning() override { return graph_->State == GraphGroup::Running; }
    bool SaveFrame(const std::string& path) override { return SUCCEEDED(graph_->SaveFrameBitmap(path)); }
    void Pause() override { graph_->Pause(); }
    void Close() override
    {
        if (!graph_) return;
        graph_->Stop();
        graph_->ReleaseGraph();
        graph_.reset();
    }

private:
    FrameCounter counter_;   // before the graph: it outlives the grabber that calls it
    long seekedAt_ = 0;
    bool counting_ = false;
    std::unique_ptr<GraphGroup> graph_;
};

// Closes the grab's graph however the grab ends.
struct GraphCloser {
    ChapterGrabGraph* graph;
    ~GraphCloser()
    {
        if (graph) graph->Close();
    }
};

} // namespace

std::unique_ptr<ChapterGrabGraph> NewChapterGrabGraph() { return std::make_unique<GraphGroupGrab>(); }

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
void TQV_Video_DVD_Setup_DVD_Menu_Form::TimerTick(TObject*)
{
    Timer->SetEnabled(false);
    if (MyMovieImage.empty()) return;
    BeginChapterWork();
    const ChapterWorkScope scope{*this};
    MakeAutoChapters();
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::BeginChapterWork()
{
    SetControlsEnabled(false, this);
    SetControlsEnabled(true, kivImagePanel_Preview);
    SetControlsEnabled(true, Panel_Progress);
    kivImageButton_Exit->SetEnabled(true);
    kivProgressBar1->SetPosition(0);
    Panel_Progress->Show();
    Panel_Progress->BringToFront();
    Repaint();
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::EndChapterWork()
{
    Panel_Progress->Hide();
    SetControlsEnabled(true, this);
    kivImageButton_PreviousChapter->SetEnabled(!MyDVDChapter.empty());
    kivImageButton_NextChapter->SetEnabled(!MyDVDChapter.empty());
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::MakeAutoChapters()
{
    ShowPage(-1);
    FreeChapterPages();
    MyDVDChapter.SetLength(MyMovieImage.Length());
    std::vector<int> counts;
    TotalChapters = 0;
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
        const TQV_MovieImage* clip = MyMovieImage[i];
        const int count = clip ? AutoChapterCount(clip->EndPoint - clip->StartPoint, ChapterInterval, clip->SupportsSeek)
                               : 0;
        counts.push_back(count);
        TotalChapters += count;
    }
    ChaptersDone = 0;
    for (std::int64_t i = 0; i < MyMovieImage.Length() && !GrabStopped(); ++i)
        BuildChapterPage(static_cast<int>(i), counts[static_cast<std::size_t>(i)]);
    kivImageButton_PreviousChapter->SetEnabled(true);
    kivImageButton_NextChapter->SetEnabled(true);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::MakePageBackground(int t)
{
    DVDChapter& page = ChapterListAt(t);
    delete page.PageBackground;
    page.PageBackground = new TBitmap(kDesignWidth, kDesignHeight, pf24bit);
    if (BackgroundList.empty()) return;
    const std::size_t k = BackgroundList.size() > 2 ? 1 : 0;
    const std::string file = ShippedBackgroundFile(BackgroundList[k]);
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

void TQV_Video_DVD_Setup_DVD_Menu_Form::AddChapterButton(int t, int j, double time)
{
    DVDChapter& page = ChapterListAt(t);
    const TQV_MovieImage* clip = TitleAt(t);
    auto* button = new TQV_Image(this);
    button->SetStretch(true);
    button->SetBounds(kChapterLefts[j % kChaptersPerRow], kChapterTop + kChapterRowStep * (j / kChaptersPerRow),
                      kChapterWidth, kChapterHeight);
    button->SetCursor(crHandPoint);
    button->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        ChapterButtonMouseDown(s, b, sh, x, y);
    };
    button->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { ChapterButtonMouseMove(s, sh, x, y); };
    button->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        ChapterButtonMouseUp(s, b, sh, x, y);
    };
    button->OnDblClick = [this](TObject* s) { EditChapterButton(s); };
    auto* thumbnail = new TBitmap;
    LoadProgramPicture(kChapterPlaceholder, *thumbnail);
    auto* label = new TLabel(this);
    label->SetTransparent(true);
    label->SetAutoSize(true);
    label->Font()->SetName("Arial");
    label->Font()->SetSize(10);
    label->Font()->SetColor(clWhite);
    // The label shows the chapter's start in the title, as the menu shows it.
    label->SetCaption(TitleTimeLabel(time, clip ? clip->StartPoint : 0));
    label->SetBounds(button->Left(), button->Top() + button->Height() + kLabelGap, label->Width(), label->Height());
    page.ChapterTimes.SetLength(j + 1);
    page.ChapterButtons.SetLength(j + 1);
    page.ChapterThumbnails.SetLength(j + 1);
    page.ChapterLabels.SetLength(j + 1);
    page.ChapterTimes[j] = time;
    page.ChapterButtons[j] = button;
    page.ChapterThumbnails[j] = thumbnail;
    page.ChapterLabels[j] = label;
    RebuildChapterPicture(t, j);
    if (ChapterPage == t) {
        button->SetParent(kivImagePanel_Preview);
        label->SetParent(kivImagePanel_Preview);
    }
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::BuildChapterPage(int t, int count)
{
    TQV_MovieImage* clip = TitleAt(t);
    if (!clip || t >= MyDVDChapter.Length()) return;
    FreeChapterPage(t);
    ChapterListAt(t).Title = clip;
    MakePageBackground(t);
    for (int j = 0; j < count; ++j)
        AddChapterButton(t, j, AutoChapterTime(clip->StartPoint, clip->EndPoint, ChapterInterval, j));
    GrabChapterThumbnails(t);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::RebuildChapterPicture(int t, int j)
{
    DVDChapter& page = ChapterListAt(t);
    if (j < 0 || j >= page.ChapterButtons.Length()) return;
    TQV_Image* button = page.ChapterButtons[j];
    TBitmap& thumbnail = *page.ChapterThumbnails[j];
    const TQV_MovieImage* clip = TitleAt(t);
    TBitmap tile;
    FitSnapshotToTile(tile, thumbnail, button->Width(), button->Height(), clip ? ClipPictureRatio(*clip, thumbnail) : 0);
    button->Picture()->SetGraphic(&tile);
}

// --- grabbing the pictures ------------------------------------------------------------------------
bool TQV_Video_DVD_Setup_DVD_Menu_Form::GrabStopped()
{
    // Exit (or any close) during the grab ends it at its next wait.
    return ModalResult() != mrNone;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::GrabChapterThumbnails(int t)
{
    TQV_MovieImage* clip = TitleAt(t);
    if (!clip || t >= MyDVDChapter.Length() || !MakeGrabGraph) return;
    std::unique_ptr<ChapterGrabGraph> graph = MakeGrabGraph();
    if (!graph) return;
    GraphCloser closer{graph.get()};
    // A graph that cannot be built leaves the placeholders.
    if (!graph->Open(clip->WidePath, *kivImagePanel_Preview)) return;
    const std::string file = JoinPath(ProgramFolder(), kGrabFile);
    ForceDirectories(ExtractFilePath(file));
    DVDChapter& page = ChapterListAt(t);
    for (std::int64_t j = 0; j < page.ChapterTimes.Length(); ++j) {
        if (GrabStopped()) return;
        if (clip->SupportsSeek && !graph->Seek(std::trunc(page.ChapterTimes[j]))) continue;
        if (!graph->Run()) continue;
        for (int check = 0; check < kRunChecks && !graph->IsRunning() && !GrabStopped(); ++check) {
            Sleep(kRunCheckMs);
            Application->ProcessMessages();
        }
        // Let a picture of the new place arrive, the window answering meanwhile.
        const std::uint32_t since = GetTickCount();
        while (GetTickCount() - since < kSettleMs && !GrabStopped()) {
            Sleep(kRunCheckMs);
            Application->ProcessMessages();
        }
        // A loaded machine may not have shown a picture of the new place yet: the one
        // held would be the last chapter's.
        const std::uint32_t late = GetTickCount();
        while (!graph->FrameSinceSeek() && GetTickCount() - late < kFirstFrameMs && !GrabStopped()) {
            Sleep(kRunCheckMs);
            Application->ProcessMessages();
        }
        if (GrabStopped()) return;
        DeleteFile(file);
        if (graph->SaveFrame(file)) {
            try {
                TBitmap grabbed;
                grabbed.LoadFromFile(file);
                if (!grabbed.Empty()) page.ChapterThumbnails[j]->Assign(grabbed);
            } catch (const std::exception&) {
                // An unreadable grab leaves the placeholder.
            }
        }
        graph->Pause();
        RebuildChapterPicture(t, static_cast<int>(j));
        ++ChaptersDone;
        if (TotalChapters > 0) kivProgressBar1->SetPosition(ChaptersDone * 100 / TotalChapters);
    }
}

// --- pages on show ----------------------------------------------------------------------------------
void TQV_Video_DVD_Setup_DVD_Menu_Form::ShowPage(int t)
{
    if (t < -1 || t >= MyDVDChapter.Length()) return;
    auto showTitleMenu = [this](TWinControl* parent) {
        for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
            if (TQV_MovieImage* clip = MyMovieImage[i]) clip->SetParent(parent);
        for (TLabel* label : TitleLabels)
            if (label) label->SetParent(parent);
        Label_Title->SetParent(parent);
    };
    auto showChapterPage = [](int page, TWinControl* parent) {
        if (page < 0 || page >= MyDVDChapter.Length()) return;
        DVDChapter& chapter = ChapterListAt(page);
        for (TQV_Image* button : chapter.ChapterButtons) button->SetParent(parent);
        for (TLabel* label : chapter.ChapterLabels) label->SetParent(parent);
    };
    StopPreview();
    if (ChapterPage == -1)
        showTitleMenu(nullptr);
    else
        showChapterPage(ChapterPage, nullptr);
    ChapterPage = t;
    if (t == -1) {
        showTitleMenu(kivImagePanel_Preview);
        ShowBackground(*BackgroundPicture);
    } else {
        showChapterPage(t, kivImagePanel_Preview);
        TBitmap plain(kDesignWidth, kDesignHeight, pf24bit);
        TBitmap* background = ChapterListAt(t).PageBackground;
        ShowBackground(background ? *background : plain);
    }
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_NextChapterClick(TObject*)
{
    if (SelectedIndex < 0 || SelectedIndex >= MyDVDChapter.Length() || ChapterPage == SelectedIndex) return;
    ShowPage(SelectedIndex);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::kivImageButton_PreviousChapterClick(TObject*)
{
    if (ChapterPage != -1) ShowPage(-1);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::FreeChapterPage(int t)
{
    if (t < 0 || t >= MyDVDChapter.Length()) return;
    DVDChapter& page = ChapterListAt(t);
    if (ChapterButton && std::find(page.ChapterButtons.begin(), page.ChapterButtons.end(), ChapterButton) !=
                             page.ChapterButtons.end())
        ChapterButton = nullptr;
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

void TQV_Video_DVD_Setup_DVD_Menu_Form::FreeChapterPages()
{
    for (std::int64_t t = 0; t < MyDVDChapter.Length(); ++t) FreeChapterPage(static_cast<int>(t));
}

// --- chapter buttons under the mouse ------------------------------------------------------------------
void TQV_Video_DVD_Setup_DVD_Menu_Form::ChapterButtonMouseDown(TObject* Sender, TMouseButton, TShiftState, int X,
                                                               int Y)
{
    auto* button = dynamic_cast<TQV_Image*>(Sender);
    if (!button) return;
    if (SkipNextMouseDown) {
        SkipNextMouseDown = false;
        return;
    }
    StartButtonDrag(*button, X, Y);
    ChapterButton = button;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::ChapterButtonMouseMove(TObject* Sender, TShiftState, int X, int Y)
{
    auto* button = dynamic_cast<TQV_Image*>(Sender);
    if (button) DragButton(*button, ChapterButton == button, X, Y);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::ChapterButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState,
                                                             int, int)
{
    auto* button = dynamic_cast<TQV_Image*>(Sender);
    if (!button || ChapterPage < 0 || ChapterPage >= MyDVDChapter.Length()) return;
    DVDChapter& page = ChapterListAt(ChapterPage);
    const auto found = std::find(page.ChapterButtons.begin(), page.ChapterButtons.end(), button);
    if (found == page.ChapterButtons.end()) return;
    const int j = static_cast<int>(found - page.ChapterButtons.begin());
    if (ChapterButton == button && !ButtonMoveMode) RebuildChapterPicture(ChapterPage, j);
    const TRect r = ClampToDesignArea(button->BoundsRect(), CornerPictureHeight);
    button->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    TLabel* label = page.ChapterLabels[j];
    label->SetBounds(r.Left, r.Top + r.Height() + kLabelGap, label->Width(), label->Height());
    ChapterButton = nullptr;
    if (Button == mbRight) {
        PopupChapterIndex = j;
        PostMessage(Handle(), kMsgChapterPopup, 0, 0);
    }
}

// --- chapters by hand -----------------------------------------------------------------------------------
namespace {

template <class T>
void EraseAt(TDynArray<T>& items, std::int64_t j)
{
    for (std::int64_t k = j; k + 1 < items.Length(); ++k) items[k] = items[k + 1];
    items.SetLength(items.Length() - 1);
}

} // namespace

void TQV_Video_DVD_Setup_DVD_Menu_Form::MakeChapterPopup()
{
    PopupMenu = new TPopupMenu(this);
    PopupMenu->SetName("PopupMenu");
    auto item = [this](const char* name, const char* caption, void (TQV_Video_DVD_Setup_DVD_Menu_Form::*handler)(TObject*)) {
        auto* menuItem = new TMenuItem(PopupMenu);
        menuItem->SetName(name);
        menuItem->SetCaption(caption);
        menuItem->OnClick = [this, handler](TObject* sender) { (this->*handler)(sender); };
        PopupMenu->Items()->Add(menuItem);
        return menuItem;
    };
    CreateChpaterbyManual1 = item("CreateChpaterbyManual1", "Create Chpater by Manual",
                                  &TQV_Video_DVD_Setup_DVD_Menu_Form::MakeManualChapters);
    DeleteChapter1 = item("DeleteChapter1", "Delete Selected Chapter", &TQV_Video_DVD_Setup_DVD_Menu_Form::DeleteChapter);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::ShowChapterPopup()
{
    if (ChapterPage < 0 || !Enabled()) return;
    const TPoint at = Mouse->CursorPos();
    PopupMenu->Popup(at.X, at.Y);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::MakeManualChapters(TObject*)
{
    const int t = ChapterPage;
    TQV_MovieImage* clip = TitleAt(t);
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
    FreeChapterPage(t);
    ChapterListAt(t).Title = clip;
    BeginChapterWork();
    const ChapterWorkScope scope{*this};
    MakePageBackground(t);
    for (std::size_t j = 0; j < points.size(); ++j) AddChapterButton(t, static_cast<int>(j), points[j]);
    TotalChapters = static_cast<std::int32_t>(points.size());
    ChaptersDone = 0;
    GrabChapterThumbnails(t);
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::DeleteChapter(TObject*)
{
    if (MessageDlg("Delete operation can not get back.\nSure to delete?", mtConfirmation,
                   MsgButtons({mbYes, mbNo})) != mrYes)
        return;
    if (ChapterPage < 0 || ChapterPage >= MyDVDChapter.Length()) return;
    DVDChapter& page = ChapterListAt(ChapterPage);
    const std::int64_t j = PopupChapterIndex;
    if (j == 0) {
        MessageDlg("Can not delete the first chapter!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    if (page.ChapterButtons.Length() < 2) {
        MessageDlg("The menu must has one chapter at least!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    if (j < 0 || j >= page.ChapterButtons.Length()) return;
    if (ChapterButton == page.ChapterButtons[j]) ChapterButton = nullptr;
    page.ChapterButtons[j]->Free();
    page.ChapterLabels[j]->Free();
    delete page.ChapterThumbnails[j];
    // The others keep their places: a gap stays where the chapter was.
    EraseAt(page.ChapterButtons, j);
    EraseAt(page.ChapterLabels, j);
    EraseAt(page.ChapterThumbnails, j);
    EraseAt(page.ChapterTimes, j);
    PopupChapterIndex = -1;
}

void TQV_Video_DVD_Setup_DVD_Menu_Form::EditChapterButton(TObject* Sender)
{
    SkipNextMouseDown = true;
    ChapterButton = nullptr;
    const int t = ChapterPage;
    if (t < 0 || t >= MyDVDChapter.Length()) return;
    DVDChapter& page = ChapterListAt(t);
    const auto found = std::find(page.ChapterButtons.begin(), page.ChapterButtons.end(), Sender);
    if (found == page.ChapterButtons.end()) return;
    const auto j = static_cast<std::int64_t>(found - page.ChapterButtons.begin());
    ClipPropertySteps* dialog = OpenClipDialog(t);
    if (!dialog) return;
    dialog->ShowTextControls(false);
    if (dialog->ShowClipProperty() == mrOk && j < page.ChapterButtons.Length()) {
        if (GrabDialogFrame(*page.ChapterThumbnails[j])) RebuildChapterPicture(t, static_cast<int>(j));
        // The first chapter is the title's start: its picture may change, its time does not.
        if (j > 0) {
            const TQV_MovieImage* clip = TitleAt(t);
            page.ChapterTimes[j] = dialog->PickedTime();
            page.ChapterLabels[j]->SetCaption(TitleTimeLabel(page.ChapterTimes[j], clip ? clip->StartPoint : 0));
        }
    }
    dialog->ClosePreview();
    SkipNextMouseDown = true;
}

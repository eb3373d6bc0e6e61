// The menu designer in a real window, for screenshots: menudemo MODE
//   own      menu-only mode: three VOB titles added through Add, the user's own
//            background, a title moved and one resized, the title text changed;
//   shipped  the same on a shipped background chosen in the column, scrolled;
//   clips    clip-list mode (no Add or Remove, a Back button) on the first background;
//   play     as shipped, the selected title playing over the design area;
//   text     the text property dialog over the designer;
//   chapters clip-list mode with automatic chapters every second: the pictures
//            being grabbed, then the last title's page of twelve chapters;
//   chapteredit  that page with one chapter made bigger and one moved by hand.
#include "base/burnpubfunction.h"
#include "base/dvdchapter.h"
#include "base/projectdata.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "com/com.h"
#include "dshow/mediafilters.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"
#include "menu/qv_videodvdtextpropertyform.h"
#include "shell/qv_videodvdclippropertyform.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/jpeg.h"
#include "rtl/paths.h"
#include "skin/kivbutton.h"
#include "skin/kivtrackbar.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"
#include "vcl/qtbackend.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"
#include "win32/progfolders.h"

#include <cmath>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>

namespace {

// Answers each file dialog with the next file of the demo.
class DemoDialogs : public TDialogProvider {
public:
    explicit DemoDialogs(std::deque<std::string>& files) : files_(files) {}
    bool FileDialog(const TFileDialogRequest&, TFileDialogAnswer& answer) override
    {
        if (files_.empty()) return false;
        answer.Files = {files_.front()};
        files_.pop_front();
        return true;
    }
    bool FolderDialog(const std::string&, std::string&, const TFolderDialogEvents&) override { return false; }
    bool FontDialog(TFont&) override { return false; }
    bool ColorDialog(TColor&, std::vector<TColor>&) override { return false; }

private:
    std::deque<std::string>& files_;
};

// A photo-like picture of the user's own: a warm gradient with soft circles.
void WriteOwnPicture(const std::string& path)
{
    TBitmap b(800, 600, pf24bit);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            double r = 60 + 150 * y / 600.0, g = 40 + 60 * x / 800.0, bl = 90 + 80 * (1 - y / 600.0);
            for (int k = 0; k < 5; ++k) {
                const double cx = 120 + 150 * k, cy = 160 + 60 * (k % 2), d = std::hypot(x - cx, y - cy);
                const double glow = std::max(0.0, 1 - d / (70 + 10 * k)) * 0.5;
                r += (255 - r) * glow, g += (220 - g) * glow, bl += (160 - bl) * glow;
            }
            b.SetPixel(x, y, RGB(int(r), int(g), int(bl)));
        }
    TJPEGImage jpeg;
    jpeg.Assign(b);
    jpeg.SaveToFile(path);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "own";
    const bool chapters = mode == "chapters" || mode == "chapteredit";
    testkit::TempFolder folder("keldara-menudemo");
    setenv("KELDARA_AUDIO", "null", 1);
    setenv("KELDARA_REGISTRY", folder.File("registry").c_str(), 1);
    SetProgramFolder(folder.Path() + "/");
    ForceDirectories(folder.Path() + "/Snapshot");
    ForceDirectories(folder.Path() + "/RES");
    std::deque<std::string> files;
    const char* names[4] = {"Summer holiday.vob", "Birthday party.vob", "Garden.vob", "School play.vob"};
    for (int i = 0; i < 4; ++i) {
        testkit::ClipSpec spec;
        spec.seconds = chapters ? 4 + 3 * i : 6 + 2 * i;
        spec.width = 352;
        spec.height = 288;
        spec.video = testkit::VideoCodec::Mpeg2;
        spec.container = "vob";
        files.push_back(folder.File(names[i]));
        testkit::WriteClip(files.back(), spec);
    }
    if (mode == "own") {
        files.pop_back();
        files.push_back(folder.File("Our garden.jpg"));
        WriteOwnPicture(files.back());
    }
    CoInitialize(nullptr);
    RegisterMediaFilters();
    ReadLanguageRegions();
    g_i_LanguageIndex = 0;

    TApplication app;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    InstallDialogProvider(app.GetBackend().Name(), std::make_unique<DemoDialogs>(files));
    app.CreateForm(QV_Video_DVD_Text_Property_Form);
    app.CreateForm(QV_Video_DVD_Clip_Property_Form);
    app.CreateForm(QV_Video_DVD_Setup_DVD_Menu_Form);
    TQV_Video_DVD_Setup_DVD_Menu_Form& form = *QV_Video_DVD_Setup_DVD_Menu_Form;
    form.InitMenuDesigner(false);

    TTimer script(nullptr);
    script.SetInterval(150);
    int step = 0, added = 0;
    const int titles = mode == "own" ? 3 : 4;
    script.OnTimer = [&](TObject*) {
        if (form.FileLoader) return;
        if (step == 0) {
            if (added < titles) {
                ++added;
                form.kivImageButton_AddVOBClick(nullptr);
                return;
            }
            step = 1;
        }
        if (step == 1) {
            step = 2;
            if (mode == "own") {
                form.kivImageButton_LoadImageClick(nullptr);
            } else if (mode == "shipped" || mode == "play") {
                form.kivTrackBar_Image->SetPosition(2);
                form.ThumbnailClick(form.BackgroundThumbnails[3]);
            } else {
                form.InitMenuDesigner(true);
                form.FormShow(nullptr);
            }
            if (mode != "clips") {
                // One title moved, one made bigger; the title text says what the disc is.
                TQV_MovieImage& moved = *MyMovieImage[0];
                moved.SetBounds(moved.Left() + 20, moved.Top() + 24, moved.Width(), moved.Height());
                form.PlaceTitleLabel(0);
                TQV_MovieImage& big = *MyMovieImage[titles - 1];
                big.SetBounds(big.Left() - 60, big.Top() + 120, 150, 112);
                FitSnapshotToTile(big);
                form.TitleButtonMouseUp(&big, mbLeft, 0, 0, 0);   // kept in the area as a drag would be
                form.Label_Title->SetCaption("Family Summer 2026");
                form.Label_Title->Font()->SetColor(RGB(255, 230, 120));
                form.SizeTitleText();
                form.SelectTitle(MyMovieImage[1]);
                if (mode == "play") form.kivImageButton_PreviewClick(nullptr);
            }
            if (chapters) {
                form.SelectTitle(MyMovieImage[3]);
                form.StartAutoChapters(1);
                step = 3;
                return;
            }
            if (mode == "text") {
                QV_Video_DVD_Text_Property_Form->SetTextProperties(*form.Label_Title->Font(),
                                                                    form.Label_Title->Caption());
                QV_Video_DVD_Text_Property_Form->ShowModal();
            }
            std::printf("designer ready with %lld titles\n", static_cast<long long>(MyMovieImage.Length()));
            std::fflush(stdout);
        }
        if (step == 3 && !form.Timer->Enabled() && form.kivImageButton_NextChapter->Enabled()) {
            step = 4;
            form.kivImageButton_NextChapterClick(nullptr);
            if (mode == "chapteredit") {
                // By hand: the first chapter made bigger, one moved away (its place stays empty).
                DVDChapter& page = MyDVDChapter[3];
                auto drop = [&](int j, int left, int top, int width, int height) {
                    TQV_Image& button = *page.ChapterButtons[j];
                    button.SetBounds(left, top, width, height);
                    form.ChapterButton = &button;
                    form.ButtonMoveMode = false;
                    form.ChapterButtonMouseUp(&button, mbLeft, 0, 0, 0);
                };
                drop(0, 30, 30, 150, 112);
                drop(5, 380, 250, 80, 60);
            }
            std::printf("chapter page %d with %lld chapters\n", form.ChapterPage,
                        static_cast<long long>(MyDVDChapter[3].ChapterButtons.Length()));
            std::fflush(stdout);
        }
    };
    form.ShowMenuDesigner();
    CoUninitialize();
    return 0;
}

#include "backgroundchooser.h"

#include "titlelayout.h"

#include "base/dvdchapter.h"
#include "base/projectdata.h"
#include "menu/menumodel.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "gfx/jpeg.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "skin/kivimagepanel.h"
#include "skin/kivtrackbar.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

#include <algorithm>

namespace {

constexpr int kThumbWidth = 101, kThumbHeight = 76;
constexpr int kThumbLeft = 3, kThumbTop = 30, kThumbStep = 120, kThumbParked = 510;
constexpr int kVisibleThumbnails = 4;

} // namespace

TBitmap LoadPictureFile(const std::string& path)
{
    TBitmap picture;
    if (SameText(ExtractFileExt(path), ".bmp")) {
        picture.LoadFromFile(path);
    } else {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(path);
        picture.Assign(jpeg);
    }
    if (picture.Width() <= 0 || picture.Height() <= 0 || picture.Width() > kMaxBackgroundSide ||
        picture.Height() > kMaxBackgroundSide)
        throw EInvalidGraphic("picture size out of range");
    return picture;
}

void BackgroundChooser::LoadList()
{
    auto& f = form_;
    f.BackgroundList = LoadShippedBackgroundList();
    f.BackgroundCount = static_cast<std::int32_t>(f.BackgroundList.size());
    if (f.BackgroundCount < 1) return;
    bool anyLoaded = false;
    for (std::size_t k = 0; k < f.BackgroundList.size(); ++k) {
        auto* thumbnail = new TImage(&f);
        thumbnail->SetName("Image_Background" + IntToStr(static_cast<int>(k)));
        thumbnail->SetBounds(kThumbLeft, kThumbTop, kThumbWidth, kThumbHeight);
        thumbnail->SetStretch(true);
        thumbnail->SetCursor(crHandPoint);
        thumbnail->OnClick = [&f](TObject* sender) { f.ThumbnailClick(sender); };
        thumbnail->SetParent(f.kivImagePanel_Background);
        f.BackgroundThumbnails.push_back(thumbnail);
        const std::string file = ShippedBackgroundFile(f.BackgroundList[k]);
        if (file.empty()) continue;
        try {
            TBitmap picture = LoadPictureFile(file);
            TBitmap small(kThumbWidth, kThumbHeight, pf24bit);
            small.Canvas()->StretchDraw(Rect(0, 0, kThumbWidth, kThumbHeight), picture);
            thumbnail->Picture()->SetGraphic(&small);
            anyLoaded = true;
        } catch (const std::exception&) {
            // A damaged picture leaves its thumbnail empty; the others still serve.
        }
    }
    f.kivTrackBar_Image->SetMax(f.BackgroundCount > kVisibleThumbnails ? f.BackgroundCount - kVisibleThumbnails : 0);
    ScrollThumbnails();
    if (!anyLoaded || !SelectFirst(0))
        MessageDlg("Can not load background picture.\nPlease reinstall software to fix it!", mtInformation,
                   MsgButtons({mbOK}));
}

void BackgroundChooser::ScrollThumbnails()
{
    const int first = form_.kivTrackBar_Image->Position();
    const auto& thumbnails = form_.BackgroundThumbnails;
    for (std::size_t k = 0; k < thumbnails.size(); ++k) {
        const int at = static_cast<int>(k) - first;
        thumbnails[k]->SetTop(at < 0 ? kThumbParked : kThumbTop + kThumbStep * std::min(at, 1000));
    }
}

void BackgroundChooser::Show(TBitmap& picture)
{
    TBitmap shown(kDesignWidth, kDesignHeight, pf24bit);
    shown.Canvas()->Brush()->SetColor(clBlack);
    shown.Canvas()->FillRect(Rect(0, 0, kDesignWidth, kDesignHeight));
    shown.Canvas()->StretchDraw(Rect(0, 0, kDesignWidth, kDesignHeight), picture);
    form_.Image->Picture()->SetGraphic(&shown);
}

bool BackgroundChooser::Select(int k)
{
    auto& f = form_;
    if (k < 0 || k >= static_cast<int>(f.BackgroundList.size())) return false;
    const std::string file = ShippedBackgroundFile(f.BackgroundList[static_cast<std::size_t>(k)]);
    if (file.empty()) return false;
    try {
        TBitmap picture = LoadPictureFile(file);
        Show(picture);
        f.BackgroundPicture->Assign(picture);
    } catch (const std::exception&) {
        return false;
    }
    f.BackgroundFile = file;
    f.SelectedBackground = k;
    return true;
}

bool BackgroundChooser::SelectFirst(int k)
{
    for (int i = std::max(k, 0); i < static_cast<int>(form_.BackgroundList.size()); ++i)
        if (Select(i)) return true;
    return false;
}

void BackgroundChooser::ThumbnailClick(TObject* Sender)
{
    auto& f = form_;
    f.Label_BackGround->SetCaption("");
    const auto found = std::find(f.BackgroundThumbnails.begin(), f.BackgroundThumbnails.end(), Sender);
    if (found == f.BackgroundThumbnails.end()) return;
    const int k = static_cast<int>(found - f.BackgroundThumbnails.begin());
    if (f.ChapterPage == -1) {
        if (k != f.SelectedBackground && Select(k)) f.titles_->LayoutOnSelectedBackground();
        return;
    }
    // A chapter page on show takes the picture for itself; the title menu keeps its own.
    const std::string file = ShippedBackgroundFile(f.BackgroundList[static_cast<std::size_t>(k)]);
    if (file.empty()) return;
    try {
        SetPageBackground(LoadPictureFile(file));
    } catch (const std::exception&) {
        // A picture that cannot be read leaves the page as it was.
    }
}

void BackgroundChooser::SetPageBackground(const TBitmap& picture)
{
    DVDChapter& page = ChapterListAt(form_.ChapterPage);
    if (!page.PageBackground) page.PageBackground = new TBitmap;
    page.PageBackground->Assign(picture);
    Show(*page.PageBackground);
}

void BackgroundChooser::LoadOwnPicture()
{
    auto& f = form_;
    f.OpenDialog->Filter = kMenuImageFilter;
    if (!f.OpenDialog->Execute()) return;
    const std::string file = f.OpenDialog->FileName;
    f.OpenDialog->FileName.clear();
    if (file.empty()) return;
    TBitmap picture;
    try {
        picture = LoadPictureFile(file);
    } catch (const std::exception&) {
        MessageDlg("Can not load this bitmap file.Please reinstall...", mtInformation, MsgButtons({mbOK}));
        return;
    }
    if (f.ChapterPage != -1) {
        SetPageBackground(picture);   // the page on show only
        return;
    }
    Show(picture);
    f.BackgroundFile = file;
    f.SelectedBackground = -1;
    f.BackgroundPicture->Assign(picture);
    f.Label_BackGround->SetCaption(file);
}

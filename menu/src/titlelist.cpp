#include "titlelist.h"

#include "designerpreview.h"
#include "titlelayout.h"

#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"

#include <algorithm>

void TitleList::Add()
{
    auto& f = form_;
    if (f.FileLoader) return;   // one title at a time
    f.OpenDialog->Filter = kMenuVobFilter;
    if (!f.OpenDialog->Execute()) return;
    const std::int64_t slot = MyMovieImage.Length();
    MyMovieImage.SetLength(slot + 1);
    f.SetEnabled(false);
    f.FileLoader = std::make_unique<TQV_LoadFile>(false, f.OpenDialog->FileName, static_cast<int>(slot),
                                                  ++loaderSerial_, f.Handle());
    f.OpenDialog->FileName.clear();
}

void TitleList::TakeProbeMessage(const TMessage& message)
{
    auto& f = form_;
    // Only the current probe's word counts, and only while the window is shown.
    if (!f.Shown || !f.FileLoader || message.LParam != loaderSerial_ ||
        static_cast<WPARAM>(f.FileLoader->MessageWParam) != message.WParam)
        return;
    f.FileLoader->WaitFor();
    const auto index = static_cast<std::int64_t>(message.WParam);
    if (message.Msg != MSG_LOAD_FAILED && f.FileLoader->Clip && index < MyMovieImage.Length())
        MyMovieImage.Adopt(index, std::move(f.FileLoader->Clip));
    ForgetLoader();
    AddDone();
}

void TitleList::ForgetLoader()
{
    form_.FileLoader.reset();   // a running probe is cancelled and waited for
}

void TitleList::AddDone()
{
    auto& f = form_;
    TitleLayout& titles = *f.titles_;
    f.SetEnabled(true);
    // The slots past the last title are empty: the new one failed, or was let go.
    const std::int64_t last = MyMovieImage.Length() - 1;
    if (last < 0) return;
    TQV_MovieImage* clip = MyMovieImage[last];
    if (!clip) {
        MyMovieImage.Delete(last);
        if (f.Shown) MessageDlg("Can not load this file", mtInformation, MsgButtons({mbOK}));
        return;
    }
    FitSnapshotToTile(*clip);
    titles.MakeButton(*clip, static_cast<int>(last));
    if (!titles.Selected()) titles.Select(MyMovieImage[0]);
    // A shipped background lays every title out on its points; on the user's own
    // picture the titles placed stay where the user put them and the new one
    // takes its place in the row under them.
    if (f.SelectedBackground != -1)
        titles.LayoutOnSelectedBackground();
    else
        titles.Place(static_cast<int>(last), TitleLayout::OverflowPlace(static_cast<int>(last)));
    titles.UpdateSizeGauge(true);
}

void TitleList::Remove()
{
    auto& f = form_;
    TitleLayout& titles = *f.titles_;
    if (MyMovieImage.empty() || !titles.Selected()) return;
    f.preview_->Stop();
    const std::int64_t index = std::clamp<std::int64_t>(f.SelectedIndex, 0, MyMovieImage.Length() - 1);
    if (index < static_cast<std::int64_t>(f.TitleLabels.size())) {
        if (TLabel* label = f.TitleLabels[static_cast<std::size_t>(index)]) label->Free();
        f.TitleLabels.erase(f.TitleLabels.begin() + index);
    }
    MyMovieImage.Delete(index);
    for (std::int64_t i = index; i < MyMovieImage.Length(); ++i)
        if (TQV_MovieImage* clip = MyMovieImage[i]) clip->ClipIndex = static_cast<int>(i);
    OldMovieImage = nullptr;
    f.SelectedIndex = -1;
    const std::int64_t count = MyMovieImage.Length();
    if (count > 0) titles.Select(MyMovieImage[std::min(index, count - 1)]);
    if (f.SelectedBackground != -1) titles.LayoutOnSelectedBackground();
    titles.UpdateSizeGauge(false);
}

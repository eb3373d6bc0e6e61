#include "titlelayout.h"

#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "menu/menumodel.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kOverflowTop = 216, kOverflowLeft = 20, kOverflowStep = 40, kOverflowLastLeft = 360;
constexpr double kMegabytesPerSecond = 0.5, kDiscMegabytes = 4300;

} // namespace

int MenuSizeGaugePosition(const std::vector<double>& titleSeconds, bool* full)
{
    double seconds = 0;
    for (double s : titleSeconds) {
        // A damaged length counts as nothing rather than poisoning the sum.
        if (!(s > 0) || !std::isfinite(s)) s = 0;
        seconds = std::nearbyint(seconds + std::min(s, 1e9));   // halves to even
    }
    const double megabytes = seconds * kMegabytesPerSecond;
    if (full) *full = !(megabytes < kDiscMegabytes);
    if (megabytes < kDiscMegabytes) return static_cast<int>(megabytes * 100 / kDiscMegabytes);
    return 100;
}

TLabel* NewDesignLabel(TComponent* owner, TWinControl* parent, int fontSize, bool bold)
{
    auto* label = new TLabel(owner);
    label->SetTransparent(true);
    // Captions are the user's words, as the menu shows them: "&" is a letter, no accelerator mark.
    label->SetShowAccelChar(false);
    label->Font()->SetName("Arial");
    label->Font()->SetSize(fontSize);
    label->Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
    label->Font()->SetColor(clWhite);
    label->SetParent(parent);
    return label;
}

void TitleLayout::MakeButton(TQV_MovieImage& clip, int index)
{
    auto& f = form_;
    clip.SetParent(f.kivImagePanel_Preview);
    clip.ClipIndex = index;
    clip.OnClick = [&f](TObject* sender) { f.SelectTitle(dynamic_cast<TQV_MovieImage*>(sender)); };
    clip.OnDblClick = [&f](TObject* sender) { f.EditTitleButton(sender); };
    clip.OnMouseDown = [&f](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        f.TitleButtonMouseDown(s, b, sh, x, y);
    };
    clip.OnMouseMove = [&f](TObject* s, TShiftState sh, int x, int y) { f.TitleButtonMouseMove(s, sh, x, y); };
    clip.OnMouseUp = [&f](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        f.TitleButtonMouseUp(s, b, sh, x, y);
    };
    clip.MenuButtonMode = true;
    clip.Dragging = false;
    clip.SetCursor(crHandPoint);
    TLabel* label = NewDesignLabel(&f, f.kivImagePanel_Preview, 10, true);
    label->SetAutoSize(true);
    label->SetAlignment(taCenter);
    label->SetCaption(StripFileExt(clip.ClipName));
    if (index >= static_cast<int>(f.TitleLabels.size()))
        f.TitleLabels.resize(static_cast<std::size_t>(index) + 1, nullptr);
    f.TitleLabels[static_cast<std::size_t>(index)] = label;
}

void TitleLayout::FreeLabels()
{
    for (TLabel* label : form_.TitleLabels)
        if (label) label->Free();
    form_.TitleLabels.clear();
}

TQV_MovieImage* TitleLayout::At(int i) const
{
    return i >= 0 && i < MyMovieImage.Length() ? MyMovieImage[i] : nullptr;
}

TQV_MovieImage* TitleLayout::Selected() const
{
    return MyMovieImage.IndexOf(OldMovieImage) >= 0 ? OldMovieImage : nullptr;
}

void TitleLayout::Select(TQV_MovieImage* button)
{
    if (button && button == Selected()) return;
    if (TQV_MovieImage* old = Selected()) old->SetSelected(false);
    OldMovieImage = button;
    if (TQV_MovieImage* selected = Selected()) selected->SetSelected(true);
    form_.SelectedIndex = static_cast<std::int32_t>(MyMovieImage.IndexOf(Selected()));
}

void TitleLayout::Layout(int count, const std::vector<TPoint>& points)
{
    int overflow = 0;
    for (int i = 0; i < count; ++i) {
        if (!At(i)) continue;
        Place(i, i < static_cast<int>(points.size()) ? points[static_cast<std::size_t>(i)] : OverflowPlace(overflow++));
    }
}

TPoint TitleLayout::OverflowPlace(int k)
{
    return {std::min(kOverflowLeft + kOverflowStep * k, kOverflowLastLeft), kOverflowTop};
}

void TitleLayout::Place(int i, TPoint at)
{
    TQV_MovieImage* clip = At(i);
    if (!clip) return;
    // A point of a data file may lie anywhere, a resized button may be wide: one
    // that would reach past the picture is moved in.
    const TRect r =
        KeepOnPicture(Rect(at.X, at.Y, at.X + clip->Width(), at.Y + clip->Height()), form_.CornerPictureHeight);
    clip->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    PlaceLabel(i);
}

void TitleLayout::LayoutOnSelectedBackground()
{
    static const std::vector<TPoint> none;
    const auto& f = form_;
    const bool shipped = f.SelectedBackground >= 0 && f.SelectedBackground < static_cast<int>(f.BackgroundList.size());
    Layout(static_cast<int>(MyMovieImage.Length()),
           shipped ? f.BackgroundList[static_cast<std::size_t>(f.SelectedBackground)].Points : none);
}

void TitleLayout::PlaceLabel(int i)
{
    const auto& labels = form_.TitleLabels;
    const TQV_MovieImage* clip = At(i);
    if (!clip || i >= static_cast<int>(labels.size()) || !labels[static_cast<std::size_t>(i)]) return;
    TLabel* label = labels[static_cast<std::size_t>(i)];
    // Centred under its button, but never past the picture's edge, where a long
    // clip name would lose its first or last letters on the menu.
    label->SetTop(std::min(clip->Top() + clip->Height() + 3, std::max(kDesignHeight - label->Height(), 0)));
    label->SetLeft(std::clamp(clip->Left() + (clip->Width() - label->Width()) / 2, 0,
                              std::max(kDesignWidth - label->Width(), 0)));
}

void TitleLayout::UpdateSizeGauge(bool quiet)
{
    std::vector<double> seconds;
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i)
        if (const TQV_MovieImage* clip = MyMovieImage[i])
            seconds.push_back(std::max(clip->AudioDuration, clip->VideoDuration));
    bool full = false;
    form_.kivProgressBar->SetPosition(MenuSizeGaugePosition(seconds, &full));
    if (full && !quiet)
        MessageDlg("Exceeding the DVD media limite size, can not burn to one disc!", mtInformation,
                   MsgButtons({mbOK}));
}

void TitleLayout::SizeTitleText()
{
    TLabel& title = *form_.Label_Title;
    const std::string caption = title.Caption();
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(*title.Font());
    const int height = std::max(measure.Canvas()->TextHeight(caption.empty() ? "M" : caption), 1);
    // The width the menu keeps for the text: its length times its size.
    title.SetBounds(title.Left(), title.Top(), static_cast<int>(caption.size()) * title.Font()->Size(), height);
}

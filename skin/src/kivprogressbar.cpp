#include "skin/kivprogressbar.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "vcl/messages.h"

#include <algorithm>
#include <string>

TkivProgressBar::TkivProgressBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(ControlStyle() & ~(csAcceptsControls | csSetCaption));
    SetBounds(Left(), Top(), 150, 12);
    TCustomControl::SetColor(clBtnFace);
    picture_.OnChange = [this](TObject*) { Invalidate(); };
    SetUIStyle(GetKIVFormStyle(AOwner));
    UpdateProgress();
}

TkivProgressBar::~TkivProgressBar() { picture_.OnChange = nullptr; }

void TkivProgressBar::SetMax(int value)
{
    max_ = value;
    UpdateProgress();
}

void TkivProgressBar::SetMin(int value)
{
    min_ = value;
    UpdateProgress();
}

void TkivProgressBar::SetPosition(int value)
{
    position_ = value;
    UpdateProgress();
}

// Wraps like the 32-bit counter it is rather than overflowing.
void TkivProgressBar::StepBy(int delta)
{
    SetPosition(static_cast<int>(static_cast<std::uint32_t>(position_) + static_cast<std::uint32_t>(delta)));
}

void TkivProgressBar::SetOrientation(TkivProgressBarOrientation value)
{
    orientation_ = value;
    UpdatePicture();
}

void TkivProgressBar::SetBorderColor(TColor value)
{
    borderColor_ = value;
    Invalidate();
}

void TkivProgressBar::SetColor(TColor value)
{
    TCustomControl::SetColor(value);
    Invalidate();
}

void TkivProgressBar::SetPicture(const TPicture& value) { picture_.Assign(value); }

void TkivProgressBar::SetShowCaption(bool value)
{
    showCaption_ = value;
    Invalidate();
}

void TkivProgressBar::SetCaptionColor(TColor value)
{
    captionColor_ = value;
    Invalidate();
}

void TkivProgressBar::SetSmartShowCaption(bool value)
{
    smartShowCaption_ = value;
    Invalidate();
}

void TkivProgressBar::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    UpdatePicture();
}

void TkivProgressBar::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

void TkivProgressBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
}

// 64-bit products: byte counts times 100 or times a bar length overflow 32 bits.
int TkivProgressBar::GetPercentFromPosition() const
{
    if (max_ == min_) return 0;
    const std::int64_t span = static_cast<std::int64_t>(max_) - min_;
    const std::int64_t done = static_cast<std::int64_t>(position_) - min_;
    return static_cast<int>(done * 100 / span);
}

int TkivProgressBar::GetWidthFromPosition(int length) const
{
    if (max_ <= min_ || position_ <= min_) return 0;
    if (position_ > max_) return length;
    const std::int64_t span = static_cast<std::int64_t>(max_) - min_;
    const std::int64_t done = static_cast<std::int64_t>(position_) - min_;
    return static_cast<int>(done * length / span);
}

void TkivProgressBar::UpdateProgress()
{
    SetText(std::to_string(GetPercentFromPosition()) + "%");
    Invalidate();
}

void TkivProgressBar::UpdatePicture()
{
    TBitmap bitmap;
    KivThemeBitmap(fileTheme_, uiStyle_, 24, &bitmap);
    TCustomControl::SetColor(static_cast<TColor>(KivThemeColor(fileTheme_, uiStyle_, 26)));
    borderColor_ = static_cast<TColor>(KivThemeColor(fileTheme_, uiStyle_, 25));
    if (orientation_ == kivVertical && !bitmap.Empty()) RoundPicture(&bitmap);
    picture_.SetGraphic(bitmap.Empty() ? nullptr : &bitmap);
    Invalidate();
}

void TkivProgressBar::Paint()
{
    const int w = std::max(ClientWidth(), 1), h = std::max(ClientHeight(), 1);
    TBitmap buffer(w, h);
    TCanvas* canvas = buffer.Canvas();
    TGraphic* graphic = picture_.Graphic();
    const bool hasPicture = graphic && !graphic->Empty();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    if (orientation_ == kivHorizontal) {
        int f = GetWidthFromPosition(w - 1);
        if (f == 0) f = 1;
        if (hasPicture) canvas->StretchDraw(Rect(1, 1, f, h - 1), *graphic);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(Rect(f, 1, w - 1, h - 1));
    } else {
        int t = (h - 1) - GetWidthFromPosition(h - 1);
        if (t == 0) t = 1;
        // The picture is drawn mirrored top to bottom, filling upward from the bar's foot.
        const int bandW = w - 2, bandH = h - 1 - t;
        if (hasPicture && bandW > 0 && bandH > 0) {
            TBitmap band(bandW, bandH);
            band.Canvas()->StretchDraw(Rect(0, 0, bandW, bandH), *graphic);
            TBitmap mirrored(bandW, bandH);
            for (int y = 0; y < bandH; ++y)
                for (int x = 0; x < bandW; ++x) mirrored.SetPixel(x, y, band.Pixel(x, bandH - 1 - y));
            canvas->Draw(1, t, mirrored);
        }
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(Rect(1, 1, w - 1, t));
        showCaption_ = false;
    }
    if (showCaption_ && !(smartShowCaption_ && position_ == min_)) {
        canvas->SetFont(*Font());
        canvas->Font()->SetColor(captionColor_);
        canvas->Brush()->SetStyle(bsClear);
        const std::string& text = Text();
        canvas->TextOut((w - canvas->TextWidth(text)) / 2, (h - canvas->TextHeight(text)) / 2, text);
    }
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(borderColor_);
    canvas->FrameRect(Rect(0, 0, w, h));
    Canvas()->CopyRect(Rect(0, 0, w, h), *canvas, Rect(0, 0, w, h));
}

void TkivProgressBar::WndProc(TMessage& m)
{
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    TCustomControl::WndProc(m);
}

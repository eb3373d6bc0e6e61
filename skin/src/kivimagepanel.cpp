#include "skin/kivimagepanel.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"
#include "skin/kivresources.h"

#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "rtl/sysutils.h"
#include "vcl/application.h"
#include "vcl/messages.h"

#include <algorithm>

namespace {

void Fill(TCanvas* canvas, TColor color, const TRect& r)
{
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(r);
}

unsigned AlignmentFlags(TkivAlignment a)
{
    switch (a) {
    case kivLeftJustify: return DT_LEFT;
    case kivRightJustify: return DT_RIGHT;
    default: return DT_CENTER;
    }
}

} // namespace

// ---------------------------------------------------------------------------
TkivCustomPanel::TkivCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle((ControlStyle() | csAcceptsControls) & ~csSetCaption);
    SetBounds(Left(), Top(), 185, 41);
    picture_.OnChange = [this](TObject* sender) { PictureChanged(sender); };
}

TkivCustomPanel::~TkivCustomPanel() { picture_.OnChange = nullptr; }

bool TkivCustomPanel::HasGraphic() const
{
    const TGraphic* g = picture_.Graphic();
    return g && !g->Empty();
}

void TkivCustomPanel::SetPicture(const TPicture& value)
{
    picture_.Assign(value);
    ClearPanel();
    Invalidate();
}

void TkivCustomPanel::SetTransparent(bool value)
{
    transparent_ = value;
    if (HasGraphic()) ApplyTransparent();
    Invalidate();
}

void TkivCustomPanel::SetAutoSize(bool value)
{
    autoSize_ = value;
    if (HasGraphic()) ApplyAutoSize();
}

void TkivCustomPanel::SetCaptionPosX(int value)
{
    captionPosX_ = value;
    Invalidate();
}

void TkivCustomPanel::SetCaptionPosY(int value)
{
    captionPosY_ = value;
    Invalidate();
}

void TkivCustomPanel::SetDrawStyle(TkivDrawStyle value)
{
    drawStyle_ = value;
    ClearPanel();
    Invalidate();
}

void TkivCustomPanel::SetAlignment(TkivAlignment value)
{
    alignment_ = value;
    Invalidate();
}

void TkivCustomPanel::ShowFrame(const TBitmap& frame, std::optional<TRect> dest)
{
    frame_.Assign(frame);
    frameDest_ = dest;
    Invalidate();
}

void TkivCustomPanel::ClearFrame()
{
    frame_.SetSize(0, 0);
    frameDest_.reset();
    Invalidate();
}

void TkivCustomPanel::PictureChanged(TObject*)
{
    if (HasGraphic()) {
        if (autoSize_) ApplyAutoSize();
        ApplyTransparent();
    }
    ClearPanel();
    Invalidate();
}

void TkivCustomPanel::ApplyAutoSize()
{
    if (!autoSize_) return;
    const TAlign a = Align();
    int w = Width(), h = Height();
    if (a != alTop && a != alBottom && a != alClient) w = picture_.Width();
    if (a != alLeft && a != alRight && a != alClient) h = picture_.Height();
    SetBounds(Left(), Top(), w, h);
}

void TkivCustomPanel::ApplyTransparent()
{
    TGraphic* g = picture_.Graphic();
    if (g && g->Transparent() != transparent_) g->SetTransparent(transparent_);
}

// Panels here are never hosted in a foreign window, so there is nothing to wipe.
void TkivCustomPanel::ClearPanel() { Canvas()->Brush()->SetColor(Color()); }

void TkivCustomPanel::Resize()
{
    TCustomControl::Resize();
    Invalidate();
}

void TkivCustomPanel::Paint()
{
    const TRect client = Rect(0, 0, std::max(Width(), 1), std::max(Height(), 1));
    TBitmap buffer(client.Right, client.Bottom);
    TCanvas* canvas = buffer.Canvas();
    if (transparent_) DoTrans(canvas, this);
    if (HasGraphic()) {
        TGraphic* g = picture_.Graphic();
        switch (drawStyle_) {
        case kivStretch: canvas->StretchDraw(client, *g); break;
        case kivTile: TileDraw(canvas, picture_.Bitmap(), client); break;
        default: canvas->Draw(0, 0, *g); break;
        }
    } else if (!transparent_) {
        Fill(canvas, Color(), client);
    }
    if (!frame_.Empty()) canvas->StretchDraw(frameDest_.value_or(client), frame_);
    canvas->Brush()->SetStyle(bsClear);
    if (!Trim(Caption()).empty()) {
        canvas->SetFont(*Font());
        if (captionPosX_ == -1 || captionPosY_ == -1) {
            TRect r = client;
            DrawText(canvas, Caption(), r, DT_VCENTER | DT_SINGLELINE | AlignmentFlags(alignment_));
            textRect_ = client;
        } else {
            canvas->TextOut(captionPosX_, captionPosY_, Caption());
            const TSize ext = canvas->TextExtent(Caption());
            textRect_ = Bounds(captionPosX_, captionPosY_, ext.cx, ext.cy);
        }
    }
    Canvas()->CopyRect(client, *canvas, client);
}

void TkivCustomPanel::WndProc(TMessage& m)
{
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    if (m.Msg == CM_TEXTCHANGED) {
        RepaintText(textRect_);
        Invalidate();
    }
    TCustomControl::WndProc(m);
}

// ---------------------------------------------------------------------------
TkivPanel::TkivPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle((ControlStyle() | csAcceptsControls) & ~csSetCaption);
    SetBounds(Left(), Top(), 100, expandedHeight_);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

TkivPanel::~TkivPanel() = default;

void TkivPanel::SetBorderColor(TColor value)
{
    borderColor_ = value;
    Invalidate();
}

void TkivPanel::SetCaptionFontColor(TColor value)
{
    captionFontColor_ = value;
    Invalidate();
}

void TkivPanel::SetShowButton(bool value)
{
    showButton_ = value;
    Invalidate();
}

void TkivPanel::SetHeight(int value)
{
    expandedHeight_ = value;
    if (expanded_) TCustomControl::SetHeight(value);
}

void TkivPanel::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    if (applyingFileTheme_ && value != FromThemeFile) return;
    SetColor(clWhite);
    TkivUIStyle suggested = value;
    if (UsingFileTheme(fileTheme_, value, suggested)) {
        fileTheme_->GetBitmap(42, &titleImage_);
        borderColor_ = static_cast<TColor>(fileTheme_->GetColor(25));
        const int c = fileTheme_->GetColor(27);
        const bool dark = c == 0x020000 || c == 0x030000 || c == 0x040000 || c == 0x050000 || c == 0x7A5316 ||
                          c == 0x22630F;
        captionFontColor_ = dark ? clBlack : clWhite;
    } else {
        GetInsideThemeBitmap(suggested, 42, &titleImage_);
        borderColor_ = static_cast<TColor>(GetInsideThemeColor(suggested, 25));
        captionFontColor_ = suggested == MacOS ? clBlack : static_cast<TColor>(GetInsideThemeColor(suggested, 20));
    }
    // A new title strip changes the children's area.
    const int h = expandedHeight_;
    SetHeight(h - 1);
    SetHeight(h);
    Realign();
    Invalidate();
}

void TkivPanel::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    const TFlagScope applying(applyingFileTheme_);
    SetUIStyle(uiStyle_);
}

void TkivPanel::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) {
        ContainerApplyUIStyle(this, DeepBlue, nullptr);
        SetUIStyle(DeepBlue);
    }
}

void TkivPanel::AlignControls(TControl* AControl, TRect& Rect)
{
    Rect.Left += 3;
    Rect.Right -= 3;
    Rect.Bottom -= 3;
    Rect.Top = TitleHeight() + 3;
    TCustomControl::AlignControls(AControl, Rect);
}

void TkivPanel::Resize()
{
    TCustomControl::Resize();
    if (!animating_ && expanded_) expandedHeight_ = TCustomControl::Height();
}

TRect TkivPanel::ButtonRect(int frameWidth, int frameHeight) const
{
    const int right = Width() - 4;
    const int top = (TitleHeight() - frameHeight) / 2;
    return Rect(right - frameWidth, top, right, top + frameHeight);
}

void TkivPanel::Paint()
{
    const int w = std::max(Width(), 1), h = std::max(TCustomControl::Height(), 1);
    TBitmap buffer(w, h);
    TCanvas* canvas = buffer.Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->Pen()->SetColor(borderColor_);
    canvas->Rectangle(0, 0, w, h);
    const int th = TitleHeight();
    if (!titleImage_.Empty()) canvas->StretchDraw(Rect(1, 0, w - 1, th), titleImage_);
    canvas->Brush()->SetStyle(bsClear);
    canvas->SetFont(*Font());
    canvas->Font()->SetColor(captionFontColor_);
    if (UseRightToLeftAlignment()) {
        // The caption ends before the push button at the right.
        TRect strip = Rect(0, 0, w - (showButton_ ? 20 : 10), th);
        DrawText(canvas, Caption(), strip, DT_VCENTER | DT_SINGLELINE | DT_RIGHT);
    } else {
        TRect strip = Rect(10, 0, w, th);
        DrawText(canvas, Caption(), strip, DT_VCENTER | DT_SINGLELINE);
    }
    const TAlign a = Align();
    if (showButton_ && a != alClient && a != alLeft && a != alRight && HasBitmapResource("PANEL_BUTTON")) {
        TBitmap strip4;
        LoadBitmapResource("PANEL_BUTTON", strip4);
        const int fw = strip4.Width() / 4, fh = strip4.Height();
        const TRect r = ButtonRect(fw, fh);
        mouseOnButton_ = InRect(mouse_, r);
        const int frame = mouseOnButton_ ? (expanded_ ? 2 : 4) : (expanded_ ? 1 : 3);
        TBitmap piece;
        SpitBitmap(&strip4, &piece, 4, frame);
        piece.SetTransparentColor(kivKeyColor); // the strip's corners are keyed
        piece.SetTransparent(true);
        canvas->Draw(w - piece.Width() - 4, r.Top, piece);
    } else {
        mouseOnButton_ = false;
    }
    Canvas()->CopyRect(Rect(0, 0, w, h), *canvas, Rect(0, 0, w, h));
}

void TkivPanel::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    mouse_ = Point(X, Y);
    if (showButton_ && Y >= 0 && Y <= TitleHeight()) Repaint();
}

void TkivPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    mouse_ = Point(X, Y);
    Repaint(); // decides MouseOnButton for this point
    if (mouseOnButton_) {
        if (expanded_)
            Push();
        else
            Pop();
    }
    Invalidate();
}

void TkivPanel::Push()
{
    const TAlign a = Align();
    if (a == alClient || a == alLeft || a == alRight)
        throw Exception("Can't push when Align is alClient, alLeft or alRight.");
    const int target = TitleHeight() == 0 ? 20 : TitleHeight();
    animating_ = true;
    while (TCustomControl::Height() - 15 > target) {
        TCustomControl::SetHeight(TCustomControl::Height() - 15);
        Repaint();
        if (Application) Application->ProcessMessages();
    }
    TCustomControl::SetHeight(target);
    animating_ = false;
    expanded_ = false;
    Invalidate();
    if (OnPush) OnPush(this);
}

void TkivPanel::Pop()
{
    animating_ = true;
    while (TCustomControl::Height() + 15 < expandedHeight_) {
        TCustomControl::SetHeight(TCustomControl::Height() + 15);
        Repaint();
        if (Application) Application->ProcessMessages();
    }
    TCustomControl::SetHeight(expandedHeight_);
    animating_ = false;
    expanded_ = true;
    Invalidate();
    if (OnPop) OnPop(this);
}

void TkivPanel::WndProc(TMessage& m)
{
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    if (m.Msg == CM_MOUSELEAVE) mouse_ = Point(-1, -1);
    TCustomControl::WndProc(m);
}

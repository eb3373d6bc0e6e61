#include "skin/kivcombobox.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"
#include "skin/kivresources.h"
#include "skin/kivthemes.h"

#include "gfx/canvas.h"
#include "vcl/dbctrls.h"
#include "vcl/messages.h"

#include <array>

template <class Base>
TkivComboSkin<Base>::TkivComboSkin(TComponent* AOwner) : Base(AOwner)
{
    this->SetControlStyle(this->ControlStyle() | csOpaque);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

template <class Base>
TkivComboSkin<Base>::~TkivComboSkin() = default;

template <class Base>
void TkivComboSkin<Base>::SetBorderColor(TColor value)
{
    borderColor_ = value;
    this->Invalidate();
}

template <class Base>
void TkivComboSkin<Base>::SetButtonColor(TColor value)
{
    buttonColor_ = value;
    this->Invalidate();
}

template <class Base>
void TkivComboSkin<Base>::SetArrowColor(TColor value)
{
    arrowColor_ = value;
    this->Invalidate();
}

template <class Base>
void TkivComboSkin<Base>::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    arrowColor_ = clBlack;
    borderColor_ = static_cast<TColor>(KivThemeColor(fileTheme_, value, 25));
    buttonColor_ = static_cast<TColor>(KivThemeColor(fileTheme_, value, 15));
    buttonPicture_ = TBitmap();
    if (value == MacOS) LoadBitmapResource("MACOS_COMBOBOX_BUTTON", buttonPicture_);
    if (value == WinXP) LoadBitmapResource("WINXP_COMBOBOX_BUTTON", buttonPicture_);
    this->Invalidate();
}

template <class Base>
void TkivComboSkin<Base>::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

template <class Base>
void TkivComboSkin<Base>::Notification(TComponent* AComponent, TOperation Operation)
{
    Base::Notification(AComponent, Operation);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
}

template <class Base>
void TkivComboSkin<Base>::SetEnabled(bool value)
{
    Base::SetEnabled(value);
    this->Invalidate();
}

template <class Base>
void TkivComboSkin<Base>::CloseUp()
{
    Base::CloseUp();
    if (TWinControl* parent = this->Parent()) parent->Repaint();
}

template <class Base>
void TkivComboSkin<Base>::DrawListFrame(TCanvas& canvas, const TRect& r)
{
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(borderColor_);
    canvas.FrameRect(r);
}

template <class Base>
void TkivComboSkin<Base>::WndProc(TMessage& m)
{
    Base::WndProc(m);
    if ((m.Msg == WM_PAINT || m.Msg == WM_ERASEBKGND) && m.WParam)
        DrawButton(*reinterpret_cast<TCanvas*>(m.WParam));
}

template <class Base>
void TkivComboSkin<Base>::DrawButton(TCanvas& c)
{
    COMBOBOXINFO info;
    if (!KIVGetComboBoxInfo(this->Handle(), info) || !HasSkinnedButton()) return;
    const TRect client = this->ClientRect();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(borderColor_);
    c.FrameRect(client);
    TRect inner = client;
    InflateRect(inner, -1, -1);
    c.Brush()->SetColor(this->Color());
    c.FrameRect(inner);

    const TRect b = info.rcButton;
    if (!buttonPicture_.Empty()) {
        c.StretchDraw(b, buttonPicture_);
    } else {
        c.Brush()->SetColor(buttonColor_);
        c.FillRect(b);
        // The separating line runs along the side that faces the text.
        const int x = this->UseRightToLeftAlignment() ? b.Right - 1 : b.Left;
        c.Pen()->SetStyle(psSolid);
        c.Pen()->SetWidth(1);
        c.Pen()->SetColor(borderColor_);
        c.MoveTo(x, b.Top - 1);
        c.LineTo(x, b.Bottom + 1);
    }
    if (uiStyle_ == WinXP) return; // its picture carries the arrow

    const int x = b.Width() / 2 + b.Left - 3, y = b.Height() / 2;
    auto triangle = [&](int dx, int dy, TColor colour) {
        const std::array<TPoint, 3> points{Point(x + dx, y + dy), Point(x + 6 + dx, y + dy), Point(x + 3 + dx, y + 3 + dy)};
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(colour);
        c.Pen()->SetColor(colour);
        c.Polygon(points);
    };
    if (this->Enabled()) {
        triangle(0, 0, arrowColor_);
    } else {
        triangle(1, 1, clWhite);
        triangle(0, 0, clGray);
    }
}

template class TkivComboSkin<TCustomComboBox>;
template class TkivComboSkin<TDriveComboBox>;
template class TkivComboSkin<TFilterComboBox>;
template class TkivComboSkin<TDBComboBox>;
template class TkivComboSkin<TDBLookupComboBox>;

TkivDriveComboBox::TkivDriveComboBox(TComponent* AOwner) : TkivComboSkin<TDriveComboBox>(AOwner) { SetItemHeight(15); }

TkivFilterComboBox::TkivFilterComboBox(TComponent* AOwner) : TkivComboSkin<TFilterComboBox>(AOwner) { SetItemHeight(15); }

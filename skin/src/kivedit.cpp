#include "skin/kivedit.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"

#include "rtl/sysutils.h"
#include "vcl/dbctrls.h"
#include "vcl/messages.h"
#include "vcl/winuser.h"

#include <algorithm>

// --- the skinned border ---------------------------------------------------------------------
template <class Base>
TkivEditSkin<Base>::TkivEditSkin(TComponent* AOwner) : Base(AOwner)
{
    this->SetControlStyle(this->ControlStyle() | csOpaque);
    this->SetBorderStyle(bsNone);
    // The picture has no border width: its own inset keeps it off the border.
    if constexpr (requires(Base& b) { b.SetBorderWidth(2); }) this->SetBorderWidth(2);
    uiStyle_ = GetKIVFormStyle(AOwner);
    borderColor_ = static_cast<TColor>(KivThemeColor(fileTheme_, uiStyle_, 25));
}

template <class Base>
TkivEditSkin<Base>::~TkivEditSkin() = default;

template <class Base>
void TkivEditSkin<Base>::SetBorderColor(TColor value)
{
    borderColor_ = value;
    this->Invalidate();
}

template <class Base>
void TkivEditSkin<Base>::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    borderColor_ = static_cast<TColor>(KivThemeColor(fileTheme_, value, 25));
    UIStyleChanged();
    this->Invalidate();
}

template <class Base>
void TkivEditSkin<Base>::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

template <class Base>
void TkivEditSkin<Base>::Notification(TComponent* AComponent, TOperation Operation)
{
    Base::Notification(AComponent, Operation);
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
}

template <class Base>
void TkivEditSkin<Base>::Paint()
{
    Base::Paint();
    DrawControlBorder(this, borderColor_, this->Color(), true);
}

template class TkivEditSkin<TCustomEdit>;
template class TkivEditSkin<TCustomMaskEdit>;
template class TkivEditSkin<TDBEdit>;
template class TkivEditSkin<TDBImage>;

// --- number edit ----------------------------------------------------------------------------
namespace {
constexpr char kDecimalSeparator = '.';
constexpr char kThousandSeparator = ',';
constexpr unsigned kBeep = 0; // the default alert sound
} // namespace

TkivNumberEdit::TkivNumberEdit(TComponent* AOwner) : TkivEdit(AOwner)
{
    SetAlignment(taRightJustify);
    SetValue(0);
}

void TkivNumberEdit::SetValue(double value)
{
    value_ = value;
    SetText(FormatFloat(mask_, value));
}

bool TkivNumberEdit::ReadNumber(double& value) const
{
    std::string digits = Text();
    std::erase(digits, kThousandSeparator);
    return TryStrToFloat(digits, value);
}

void TkivNumberEdit::Change()
{
    // "." or "-." on the way to a number read as nothing yet: Value waits.
    double v = 0;
    if (!Text().empty() && Text() != "-" && ReadNumber(v)) value_ = v;
    TkivEdit::Change();
}

void TkivNumberEdit::DoEnter()
{
    TkivEdit::DoEnter();
    if (autoSelectSigns_ >= 1 && AutoSelect()) {
        const int length = static_cast<int>(Text().size());
        const int count = std::min(autoSelectSigns_, length);
        SetSelStart(length - count);
        SetSelLength(count);
    }
}

void TkivNumberEdit::DoExit()
{
    TkivEdit::DoExit();
    if (Text().empty() || Text() == "-") SetText("0");
    double v = value_;
    ReadNumber(v);
    SetValue(v);
}

void TkivNumberEdit::KeyPress(char& Key)
{
    TkivEdit::KeyPress(Key);
    if (Key == 0) return;
    const std::string& text = Text();
    bool accepted = (Key >= '0' && Key <= '9') || Key == '\b';
    if (Key == kDecimalSeparator)
        accepted = mask_.find('.') != std::string::npos && text.find(kDecimalSeparator) == std::string::npos;
    if (Key == '-')
        accepted = mask_.find('-') != std::string::npos && SelStart() == 0 && text.find('-') == std::string::npos;
    if (!accepted) {
        MessageBeep(kBeep);
        Key = 0;
    }
}

// --- spin buttons ---------------------------------------------------------------------------
TkivSpinButtons::TkivSpinButtons(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle((ControlStyle() & ~(csAcceptsControls | csSetCaption)) | csFramed | csOpaque);
    auto make = [this](TkivArrowButtonType arrow) {
        auto* b = new TkivArrowButton(this);
        b->SetParent(this);
        b->SetArrow(arrow);
        b->SetTabStop(false);
        b->SetMouseContinuouslyDownInterval(400);
        b->OnClick = [this](TObject* sender) { ButtonClick(sender); };
        b->OnMouseContinuouslyDown = [this](TObject* sender) { ButtonClick(sender); };
        return b;
    };
    up_ = make(kivUp);
    down_ = make(kivDown);
    SetBounds(0, 0, 20, 25);
}

TkivUIStyle TkivSpinButtons::UIStyle() const { return up_ ? up_->UIStyle() : DeepBlue; }

void TkivSpinButtons::SetUIStyle(TkivUIStyle value)
{
    for (TkivArrowButton* b : {up_, down_})
        if (b) b->SetUIStyle(value);
}

TkivFileTheme* TkivSpinButtons::FileTheme() const { return up_ ? up_->FileTheme() : nullptr; }

void TkivSpinButtons::SetFileTheme(TkivFileTheme* value)
{
    for (TkivArrowButton* b : {up_, down_})
        if (b) b->SetFileTheme(value);
}

void TkivSpinButtons::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    AdjustSize();
}

void TkivSpinButtons::Loaded()
{
    TWinControl::Loaded();
    AdjustSize();
}

void TkivSpinButtons::AdjustSize()
{
    if (Loading() || !up_ || !down_) return;
    const int w = std::max(Width(), 15);
    if (w != Width()) {
        TWinControl::SetBounds(Left(), Top(), w, Height());
    }
    up_->SetBounds(0, 0, w, Height() / 2 + 1);
    down_->SetBounds(0, up_->Height() - 1, w, Height() - up_->Height() + 1);
}

void TkivSpinButtons::WndProc(TMessage& m)
{
    TWinControl::WndProc(m);
    if (m.Msg == WM_SIZE) AdjustSize();
}

void TkivSpinButtons::KeyDown(unsigned short& Key, TShiftState Shift)
{
    if (Key == VK_UP) ButtonClick(up_);
    else if (Key == VK_DOWN) ButtonClick(down_);
    TWinControl::KeyDown(Key, Shift);
}

void TkivSpinButtons::ButtonClick(TObject* sender)
{
    if (sender == up_ && OnUpClick) OnUpClick(this);
    if (sender == down_ && OnDownClick) OnDownClick(this);
}

// --- spin edit ------------------------------------------------------------------------------
TkivSpinEdit::TkivSpinEdit(TComponent* AOwner) : TkivEdit(AOwner)
{
    buttons_ = new TkivSpinButtons(this);
    buttons_->SetBounds(0, 0, 15, 20);
    buttons_->SetParent(this);
    buttons_->OnUpClick = [this](TObject* sender) { UpClick(sender); };
    buttons_->OnDownClick = [this](TObject* sender) { DownClick(sender); };
    UIStyleChanged();
    SetText("0");
    PlaceButtons();
}

int TkivSpinEdit::Value() const
{
    int v = 0;
    return TryStrToInt(Trim(Text()), v) ? v : minValue_;
}

void TkivSpinEdit::SetValue(int value) { SetText(IntToStr(CheckValue(value))); }

int TkivSpinEdit::CheckValue(int value) const
{
    if (maxValue_ == minValue_) return value;
    return std::clamp(value, std::min(minValue_, maxValue_), std::max(minValue_, maxValue_));
}

void TkivSpinEdit::UpClick(TObject*)
{
    if (ReadOnly()) MessageBeep(kBeep);
    else SetValue(Value() + increment_);
}

void TkivSpinEdit::DownClick(TObject*)
{
    if (ReadOnly()) MessageBeep(kBeep);
    else SetValue(Value() - increment_);
}

bool TkivSpinEdit::IsValidChar(char Key) const
{
    const auto c = static_cast<unsigned char>(Key);
    const bool control = c < ' ' && Key != '\r';
    if (!editorEnabled_) return control && Key != '\b';
    return Key == '-' || (Key >= '0' && Key <= '9') || control;
}

void TkivSpinEdit::KeyPress(char& Key)
{
    if (!IsValidChar(Key)) {
        Key = 0;
        MessageBeep(kBeep);
    }
    if (Key != 0) TkivEdit::KeyPress(Key);
}

void TkivSpinEdit::KeyDown(unsigned short& Key, TShiftState Shift)
{
    if (Key == VK_UP) UpClick(this);
    else if (Key == VK_DOWN) DownClick(this);
    TkivEdit::KeyDown(Key, Shift);
}

void TkivSpinEdit::DoExit()
{
    TkivEdit::DoExit();
    if (CheckValue(Value()) != Value()) SetValue(Value());
}

void TkivSpinEdit::UIStyleChanged()
{
    if (!buttons_) return;
    buttons_->SetFileTheme(FileTheme());
    buttons_->SetUIStyle(UIStyle());
}

void TkivSpinEdit::CreateWnd()
{
    TkivEdit::CreateWnd();
    SetEditRectBesideButtons();
}

void TkivSpinEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TkivEdit::SetBounds(ALeft, ATop, AWidth, std::max(AHeight, 0));
    PlaceButtons();
}

// The client area the buttons and text share lies inside the border width.
void TkivSpinEdit::PlaceButtons()
{
    if (!buttons_) return;
    const int inset = BorderWidth();
    buttons_->SetBounds(Width() - buttons_->Width() - inset, inset, buttons_->Width(),
                        std::max(Height() - 2 * inset, 0));
    SetEditRectBesideButtons();
}

void TkivSpinEdit::SetEditRectBesideButtons()
{
    if (!buttons_) return;
    const int inset = BorderWidth();
    // One pixel of room before the text, as a plain edit keeps.
    SetEditRect(Rect(inset + 1, inset, std::max(inset + 1, Width() - buttons_->Width() - 2 * inset),
                     std::max(inset + 1, Height() - inset + 1)));
}

void TkivSpinEdit::WndProc(TMessage& m)
{
    // Cut and paste only while the text may be edited.
    if ((m.Msg == WM_CUT || m.Msg == WM_PASTE) && (!editorEnabled_ || ReadOnly())) return;
    TkivEdit::WndProc(m);
}

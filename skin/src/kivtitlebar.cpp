#include "skin/kivtitlebar.h"

#include "kivthemerule.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"
#include "skin/kivresdef.h"
#include "skin/kivresources.h"

#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "vcl/application.h"
#include "vcl/dialogs.h"
#include "vcl/forms.h"

#include <algorithm>

namespace {

// The frames of each button kind in "TitleBarButtonImage" (18 frames, three per kind).
int FirstFrame(TkivTitleBarBtnType type, bool restore)
{
    switch (type) {
    case kivControlBox: return 1;
    case kivHelp: return 4;
    case kivMax: return restore ? 10 : 7;
    case kivMin: return 13;
    case kivClose: return 16;
    default: return 0;
    }
}

// Drops the last UTF-8 character.
void PopCharacter(std::string& text)
{
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.back());
        text.pop_back();
        if ((c & 0xC0) != 0x80) return;
    }
}

// Font colours a file theme's control font colour (item 27) asks a dark caption for.
bool DarkCaptionFor(int controlFontColor)
{
    return controlFontColor == 0x010000 || controlFontColor == 0x030000 || controlFontColor == 0x040000 ||
           controlFontColor == 0x050000;
}

void KeyByFuchsia(TBitmap& picture)
{
    if (picture.Empty()) return;
    picture.SetTransparentColor(kivKeyColor);
    picture.SetTransparent(true);
}

} // namespace

// --- sections --------------------------------------------------------------------
void TkivTitleBarSection::Changed()
{
    if (bar_) bar_->sections_.Update();
}

void TkivTitleBarSection::SetWidth(int value)
{
    width_ = value;
    Changed();
}

void TkivTitleBarSection::SetAlign(TkivTitleBarAlign value)
{
    if (value == kivClient && align_ != kivClient && bar_) {
        for (int i = 0; i < bar_->sections_.Count(); ++i) {
            const TkivTitleBarSection* other = bar_->sections_.Items(i);
            if (other != this && other->align_ == kivClient) {
                MessageDlg("Sorry, only one section's Align property can be \"kivClient\"", mtError, MsgButtons({mbOK}));
                return;
            }
        }
    }
    align_ = value;
    if (align_ == kivClient) stretch_ = true;
    Changed();
}

void TkivTitleBarSection::SetPicture(const TBitmap& value)
{
    picture_.Assign(value);
    if (!picture_.Empty()) width_ = picture_.Width();
    Changed();
}

void TkivTitleBarSection::SetStretch(bool value)
{
    stretch_ = value || align_ == kivClient;
    Changed();
}

void TkivTitleBarSection::SetAutoSize(bool value)
{
    autoSize_ = value;
    if (autoSize_ && !picture_.Empty()) width_ = picture_.Width();
    Changed();
}

void TkivTitleBarSection::Assign(const TkivTitleBarSection& source)
{
    width_ = source.width_;
    align_ = source.align_;
    picture_.Assign(source.picture_);
    stretch_ = source.stretch_;
    autoSize_ = source.autoSize_;
    Changed();
}

// --- buttons ---------------------------------------------------------------------
TkivTitleBarButton::TkivTitleBarButton(TkivTitleBar* bar) : bar_(bar), uiStyle_(bar ? bar->UIStyle() : DeepBlue) {}

void TkivTitleBarButton::Changed()
{
    if (bar_) bar_->buttons_.Update();
}

void TkivTitleBarButton::SetVisible(bool value)
{
    visible_ = value;
    Changed();
}

void TkivTitleBarButton::SetButtonType(TkivTitleBarBtnType value)
{
    if (value == type_) return;
    if (value == kivControlBox && bar_) {
        for (int i = 0; i < bar_->buttons_.Count(); ++i) {
            const TkivTitleBarButton* other = bar_->buttons_.Items(i);
            if (other != this && other->type_ == kivControlBox) {
                MessageDlg("Sorry, only one button's ButtonType property can be \"kivControlBox\"", mtError,
                           MsgButtons({mbOK}));
                return;
            }
        }
    }
    type_ = value;
    SetUIStyle(uiStyle_);
}

void TkivTitleBarButton::SetTransparent(bool value)
{
    transparent_ = value;
    for (TBitmap& pic : pics_) pic.SetTransparent(value);
    Changed();
}

void TkivTitleBarButton::SetTop(int value)
{
    top_ = value;
    Changed();
}

void TkivTitleBarButton::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    TkivFileTheme* theme = bar_ ? bar_->FileTheme() : nullptr;
    transparent_ = KivThemeBool(theme, value, 6);
    if (type_ != kivCustom) {
        const TCustomForm* form = bar_ ? bar_->Form() : nullptr;
        const int first = FirstFrame(type_, type_ == kivMax && form && form->WindowState() == wsMaximized);
        TBitmap strip;
        KivThemeBitmap(theme, value, 5, &strip);
        for (int i = 0; i < 3; ++i) SpitBitmap(&strip, &pics_[i], 18, first + i);
    }
    for (TBitmap& pic : pics_) pic.SetTransparent(transparent_);
    Changed();
}

void TkivTitleBarButton::SetPic(int index, const TBitmap& value)
{
    pics_[index].Assign(value);
    pics_[index].SetTransparent(transparent_);
    Changed();
}

void TkivTitleBarButton::SetControlBoxMenu(TPopupMenu* value)
{
    if (controlBoxMenu_ == value) return;
    if (controlBoxMenu_ && bar_) controlBoxMenu_->RemoveFreeNotification(bar_);
    controlBoxMenu_ = value;
    if (value && bar_) value->FreeNotification(bar_);
    Changed();
}

void TkivTitleBarButton::Assign(const TkivTitleBarButton& source)
{
    visible_ = source.visible_;
    type_ = source.type_;
    transparent_ = source.transparent_;
    top_ = source.top_;
    uiStyle_ = source.uiStyle_;
    for (int i = 0; i < 3; ++i) pics_[i].Assign(source.pics_[i]);
    SetControlBoxMenu(source.controlBoxMenu_);
    Changed();
}

// --- collections -------------------------------------------------------------------
template <class Item>
Item* TkivTitleBarCollection<Item>::Add()
{
    items_.push_back(std::make_unique<Item>(bar_));
    Update();
    return items_.back().get();
}

template <class Item>
void TkivTitleBarCollection<Item>::Delete(int index)
{
    if (index < 0 || index >= Count()) return;
    items_.erase(items_.begin() + index);
    Update();
}

template <class Item>
void TkivTitleBarCollection<Item>::Clear()
{
    items_.clear();
    Update();
}

template <class Item>
int TkivTitleBarCollection<Item>::IndexOf(const Item* item) const
{
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<std::size_t>(i)].get() == item) return i;
    return -1;
}

template <class Item>
void TkivTitleBarCollection<Item>::Update()
{
    if (bar_) bar_->BarChanged();
}

template class TkivTitleBarCollection<TkivTitleBarSection>;
template class TkivTitleBarCollection<TkivTitleBarButton>;

// --- system menu -------------------------------------------------------------------
TkivTitleBarPopupMenu::TkivTitleBarPopupMenu(TComponent* AOwner, TkivTitleBar* bar) : TkivPopupMenu(AOwner), bar_(bar)
{
    auto item = [this](const char* caption, std::function<void()> action) {
        auto* it = new TMenuItem(this);
        it->SetCaption(caption);
        if (action) it->OnClick = [action](TObject*) { action(); };
        Items()->Add(it);
        return it;
    };
    minimize_ = item(KIV_TITLE_MENUITEM_MINIMIZE, [this] {
        for (int i = 0; i < bar_->Buttons()->Count(); ++i)
            if (bar_->Buttons()->Items(i)->ButtonType() == kivMin) {
                bar_->ClickButton(i);
                return;
            }
    });
    maximize_ = item(KIV_TITLE_MENUITEM_MAXIMIZE, [this] {
        for (int i = 0; i < bar_->Buttons()->Count(); ++i) {
            const TkivTitleBarButton* b = bar_->Buttons()->Items(i);
            if (b->Visible() && b->ButtonType() == kivMax) bar_->ClickButton(i);
        }
    });
    item("-", nullptr);
    close_ = item(KIV_TITLE_MENUITEM_CLOSE, [this] {
        if (TCustomForm* f = bar_->Form()) f->Close();
    });
}

void TkivTitleBarPopupMenu::UpdateItems()
{
    minimize_->SetEnabled(bar_->HasVisibleButton(kivMin));
    maximize_->SetEnabled(bar_->HasVisibleButton(kivMax));
    close_->SetEnabled(bar_->HasVisibleButton(kivClose));
}

void TkivTitleBarPopupMenu::Popup(int X, int Y)
{
    UpdateItems();
    if (bar_->IsRightToLeft()) X += 176;
    TkivPopupMenu::Popup(X, Y);
}

// --- the bar -----------------------------------------------------------------------
TkivTitleBar::TkivTitleBar(TComponent* AOwner) : TCustomPanel(AOwner), sections_(this), buttons_(this)
{
    SetControlStyle(ControlStyle() & ~csAcceptsControls);
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetAlign(alTop);
    SetParentFont(false);
    Font()->SetName("Tahoma");
    Font()->SetColor(clWhite);
    Font()->SetStyle(TFontStyles{fsBold});
    SetCaption("");
    systemMenu_ = new TkivTitleBarPopupMenu(this, this);
    for (TkivTitleBarBtnType type : {kivControlBox, kivClose, kivMax, kivMin}) buttons_.Add()->SetButtonType(type);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

TkivTitleBar::~TkivTitleBar()
{
    // The buttons forget their menus before the collections go.
    for (int i = 0; i < buttons_.Count(); ++i) buttons_.Items(i)->SetControlBoxMenu(nullptr);
}

TCustomForm* TkivTitleBar::Form() const
{
    if (frameForm_) return frameForm_;
    if (auto* f = dynamic_cast<TCustomForm*>(Owner())) return f;
    return ParentForm();
}

void TkivTitleBar::SetFrameForm(TCustomForm* form, bool mdi)
{
    frameForm_ = form;
    mdi_ = mdi;
    SetUIStyle(uiStyle_);
}

void TkivTitleBar::SetAutoSize(bool value)
{
    autoSize_ = value;
    ApplyAutoSize();
}

void TkivTitleBar::ApplyAutoSize()
{
    if (!autoSize_) return;
    if (sections_.Count() == 0 || sections_.Items(0)->Picture()->Empty()) {
        autoSize_ = false; // nothing to size by
        return;
    }
    SetHeight(sections_.Items(0)->Picture()->Height() - (InForm() ? 3 : 0));
}

void TkivTitleBar::SetButtonInterval(int value)
{
    buttonInterval_ = value;
    Invalidate();
}

void TkivTitleBar::SetFormActive(bool value)
{
    if (formActive_ == value) return;
    formActive_ = value;
    Invalidate();
}

void TkivTitleBar::SetLeftBtnXOffset(int value)
{
    leftBtnXOffset_ = value;
    Invalidate();
}

void TkivTitleBar::SetRightBtnXOffset(int value)
{
    rightBtnXOffset_ = value;
    Invalidate();
}

void TkivTitleBar::SetDrawAppIcon(bool value)
{
    drawAppIcon_ = value;
    Invalidate();
}

void TkivTitleBar::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    if (custom_) return;
    TkivUIStyle suggested = value;
    const bool fromFile = UsingFileTheme(fileTheme_, value, suggested);
    sections_.Clear();
    UpdateTheme(value);
    for (int i = 0; i < buttons_.Count(); ++i) buttons_.Items(i)->SetUIStyle(value);
    systemMenu_->SetFileTheme(fileTheme_);
    systemMenu_->SetUIStyle(value);
    if (!applyingFileTheme_) {
        TColor color = clWhite;
        if (fromFile) {
            const int themed = fileTheme_->GetColor(44);
            if (themed != -1) color = static_cast<TColor>(themed);
            else color = DarkCaptionFor(fileTheme_->GetColor(27)) ? clBlack : clWhite;
        } else if (suggested == MacOS) {
            color = clBlack;
        }
        Font()->SetColor(color);
    }
    SetAutoSize(true);
    Invalidate();
}

// The built-in and the file theme fill the bar alike; only the file theme has a bottom corner.
void TkivTitleBar::UpdateTheme(TkivUIStyle style)
{
    TkivUIStyle suggested = style;
    const bool fromFile = UsingFileTheme(fileTheme_, style, suggested);
    auto section = [&](int item, TkivTitleBarAlign align, bool autoSize) {
        TBitmap picture;
        KivThemeBitmap(fileTheme_, style, item, &picture);
        KeyByFuchsia(picture);
        TkivTitleBarSection* s = sections_.Add();
        s->SetPicture(picture);
        s->SetAlign(align);
        if (autoSize) s->SetAutoSize(true);
    };
    section(10, kivLeft, true);
    section(12, kivRight, true);
    section(11, kivClient, false);
    leftBtnXOffset_ = KivThemeInt(fileTheme_, style, 7);
    rightBtnXOffset_ = KivThemeInt(fileTheme_, style, 8);
    borderColor_ = static_cast<TColor>(KivThemeColor(fileTheme_, style, 16));
    TBitmap strip;
    KivThemeBitmap(fileTheme_, style, 5, &strip);
    rowHeight_ = strip.Height();
    buttonTop_ = KivThemeInt(fileTheme_, style, 9) - (InForm() ? 3 : 0);
    if (TCustomForm* f = Form(); f && !f->Destroying())
        f->Constraints()->SetMinWidth(KivThemeInt(fileTheme_, style, 13));
    roundCorner_ = KivThemeInt(fileTheme_, style, 14);
    roundCornerBottom_ = fromFile ? KivThemeInt(fileTheme_, style, 47) : 0;
}

void TkivTitleBar::SetFileTheme(TkivFileTheme* value)
{
    KivLinkFileTheme(this, fileTheme_, value);
    const TFlagScope applying(applyingFileTheme_);
    SetUIStyle(uiStyle_);
}

void TkivTitleBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
    for (int i = 0; i < buttons_.Count(); ++i)
        if (buttons_.Items(i)->controlBoxMenu_ == AComponent) buttons_.Items(i)->controlBoxMenu_ = nullptr;
    if (AComponent == frameForm_) frameForm_ = nullptr;
}

bool TkivTitleBar::HasVisibleButton(TkivTitleBarBtnType type) const
{
    for (int i = 0; i < buttons_.Count(); ++i) {
        const TkivTitleBarButton* b = buttons_.Items(i);
        if (b->Visible() && b->ButtonType() == type) return true;
    }
    return false;
}

void TkivTitleBar::UpdateMaximizeFrames()
{
    for (int i = 0; i < buttons_.Count(); ++i) {
        TkivTitleBarButton* b = buttons_.Items(i);
        if (b->ButtonType() == kivMax) b->SetUIStyle(b->UIStyle());
    }
}

// --- layout ------------------------------------------------------------------------
int TkivTitleBar::LeftBorderWidth() const
{
    return frameForm_ ? static_cast<int>(frameForm_->Perform(KIV_WM_LEFTBORDERWIDTH, 0, 0)) : 0;
}

TPoint TkivTitleBar::SectionOrigin() const
{
    if (!InForm()) return {0, 0};
    const int answer = LeftBorderWidth();
    return {answer ? -answer : (mdi_ ? -4 : -3), -3};
}

TkivTitleBar::Layout TkivTitleBar::ComputeLayout() const
{
    Layout l;
    l.buttons.resize(static_cast<std::size_t>(buttons_.Count()));
    const int answer = LeftBorderWidth();
    // Buttons from the right edge leftwards.
    int x = Width() + 1 + rightBtnXOffset_ + (answer - 1);
    int firstRight = Width();
    for (int i = 0; i < buttons_.Count(); ++i) {
        const TkivTitleBarButton* b = buttons_.Items(i);
        if (!b->Visible() || b->ButtonType() == kivControlBox) continue;
        const TBitmap& pic = b->pics_[0];
        x = std::max(0, x - (pic.Width() + 1 + buttonInterval_));
        l.buttons[static_cast<std::size_t>(i)] = Bounds(x, buttonTop_, pic.Width(), pic.Height());
        firstRight = std::min(firstRight, x);
    }
    // The control box (or the program's icon) at the left, then the caption.
    x = 0;
    for (int i = 0; i < buttons_.Count(); ++i) {
        const TkivTitleBarButton* b = buttons_.Items(i);
        if (!b->Visible() || b->ButtonType() != kivControlBox) continue;
        x = std::max(0, leftBtnXOffset_ - (answer - 1));
        if (drawAppIcon_) {
            l.icon = Bounds(x + 3, buttonTop_ + (rowHeight_ - 16) / 2, 16, 16);
            l.buttons[static_cast<std::size_t>(i)] = l.icon;
            x += 21;
        } else {
            const TBitmap& pic = b->pics_[0];
            l.buttons[static_cast<std::size_t>(i)] = Bounds(x, buttonTop_ - 1, pic.Width(), pic.Height());
            x += pic.Width() + 5;
        }
        break;
    }
    if (x == 0) x = 6;
    l.captionLeft = x;
    l.captionRight = firstRight;
    return l;
}

TRect TkivTitleBar::ButtonRect(int index) const
{
    const Layout l = ComputeLayout();
    return index >= 0 && index < static_cast<int>(l.buttons.size()) ? l.buttons[static_cast<std::size_t>(index)] : TRect{};
}

int TkivTitleBar::ButtonAt(TPoint p) const
{
    const Layout l = ComputeLayout();
    for (std::size_t i = 0; i < l.buttons.size(); ++i)
        if (!l.buttons[i].IsEmpty() && PtInRect(l.buttons[i], p)) return static_cast<int>(i);
    return -1;
}

int TkivTitleBar::CaptionLeft() const { return ComputeLayout().captionLeft; }

std::string TkivTitleBar::ShownCaption() const
{
    const Layout l = ComputeLayout();
    TBitmap probe(1, 1);
    TCanvas* c = probe.Canvas();
    c->SetFont(*Font());
    const int room = IsRightToLeft() ? l.captionRight - 10 - l.captionLeft : l.captionRight - l.captionLeft;
    std::string text = Caption();
    if (c->TextWidth(text) <= room) return text;
    // Cut a character at a time until it fits with "..."; nothing at all when even that does not.
    while (!text.empty()) {
        PopCharacter(text);
        if (c->TextWidth(text + "...") <= room) return text + "...";
    }
    return "";
}

// --- painting ----------------------------------------------------------------------
void TkivTitleBar::DrawSectionsAt(TCanvas* c, int X, int Y)
{
    const TPoint o = SectionOrigin();
    const int x0 = X + o.X, y0 = Y + o.Y;
    const int n = sections_.Count();
    int leftEnd = x0, rightStart = X + Width() - o.X;
    if (n > 0 && !sections_.Items(0)->Picture()->Empty()) {
        TBitmap* p = sections_.Items(0)->Picture();
        c->Draw(x0, y0, *p);
        leftEnd = x0 + p->Width();
    }
    if (n > 1 && !sections_.Items(1)->Picture()->Empty()) {
        TBitmap* p = sections_.Items(1)->Picture();
        rightStart = X + Width() - p->Width() - o.X;
        c->Draw(rightStart, y0, *p);
    }
    if (n > 2 && !sections_.Items(2)->Picture()->Empty()) {
        TBitmap* p = sections_.Items(2)->Picture();
        if (rightStart > leftEnd) c->StretchDraw(Rect(leftEnd, y0, rightStart, y0 + p->Height()), *p);
    }
}

void TkivTitleBar::DrawSectionsTo(TBitmap* bitmap) { DrawSectionsAt(bitmap->Canvas(), 0, 0); }

TBitmap* TkivTitleBar::ButtonPicture(int index) const
{
    auto* b = const_cast<TkivTitleBarButton*>(buttons_.Items(index));
    const TRect r = ButtonRect(index);
    const bool under = PtInRect(r, mouse_);
    if (under && mouseDownOnButton_ && pressedButton_ == index) return &b->pics_[2];
    if (under) return &b->pics_[1];
    return &b->pics_[0];
}

void TkivTitleBar::DrawButtons(TBitmap* bitmap)
{
    TCanvas* c = bitmap->Canvas();
    const Layout l = ComputeLayout();
    hotButton_ = -1;
    for (int i = 0; i < buttons_.Count(); ++i) {
        const TRect& r = l.buttons[static_cast<std::size_t>(i)];
        if (r.IsEmpty()) continue;
        if (PtInRect(r, mouse_)) hotButton_ = i;
        if (drawAppIcon_ && buttons_.Items(i)->ButtonType() == kivControlBox) {
            TIcon* icon = Application ? Application->Icon() : nullptr;
            if (icon && !icon->Empty()) {
                icon->Draw(*c, r);
            } else if (HasBitmapResource("MAINICON")) {
                TBitmap main;
                LoadBitmapResource("MAINICON", main);
                KeyByFuchsia(main);
                c->StretchDraw(r, main);
            }
            continue;
        }
        TBitmap* pic = ButtonPicture(i);
        if (!pic->Empty()) c->Draw(r.Left, r.Top, *pic);
    }

    // The caption, centred in the button row.
    const std::string text = ShownCaption();
    if (text.empty()) return;
    c->SetFont(*Font());
    if (!formActive_) c->Font()->SetColor(clInactiveCaptionText);
    c->Brush()->SetStyle(bsClear);
    const int y = buttonTop_ + (rowHeight_ - c->TextHeight(text)) / 2;
    if (IsRightToLeft()) {
        TRect r = Rect(l.captionLeft, y, l.captionRight - 10, y + c->TextHeight(text));
        DrawText(c, text, r, DT_SINGLELINE | DT_RIGHT | DT_NOPREFIX | DT_RTLREADING);
    } else {
        c->TextOut(l.captionLeft, y, text);
    }
}

void TkivTitleBar::Paint()
{
    TBitmap buffer(std::max(1, Width()), std::max(1, Height()), pf24bit);
    TCanvas* b = buffer.Canvas();
    b->Brush()->SetColor(InForm() ? borderColor_ : Color());
    b->FillRect(Rect(0, 0, Width(), Height()));
    DoTrans(b, this);
    b->SetFont(*Font());
    b->Brush()->SetStyle(bsClear);
    DrawSectionsTo(&buffer);
    DrawButtons(&buffer);
    Canvas()->Draw(0, 0, buffer);
}

// --- input -------------------------------------------------------------------------
void TkivTitleBar::PopupSystemMenu()
{
    TPoint p = ClientToScreen(Point(0, Height()));
    systemMenu_->Popup(std::max(0, p.X), p.Y);
}

void TkivTitleBar::ClickButton(int index)
{
    if (index < 0 || index >= buttons_.Count()) return;
    TkivTitleBarButton* b = buttons_.Items(index);
    TCustomForm* form = Form();
    const TkivTitleBarBtnType type = b->ButtonType();
    switch (type) {
    case kivControlBox:
        if (b->ControlBoxMenu()) {
            TPoint p = ClientToScreen(Point(0, Height()));
            if (IsRightToLeft()) p.X += 176;
            b->ControlBoxMenu()->Popup(std::max(0, p.X), p.Y);
        } else {
            PopupSystemMenu();
        }
        break;
    case kivMax:
        if (!form) break;
        if (form->WindowState() == wsMaximized) {
            form->SetWindowState(wsNormal);
        } else {
            form->SetWindowState(wsMaximized);
            // A skinned frame places its maximized form itself; a bare form is placed here.
            if (!InForm() && !form->Parent()) {
                TRect work = GetWorkAreaRect();
                InflateRect(work, 2, 2);
                work.Bottom -= 3;
                form->SetWindowRect(work);
            }
        }
        UpdateMaximizeFrames();
        break;
    case kivMin:
        if (!form) break;
        if (Application && Application->MainForm() == form) form->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
        else form->SetWindowState(wsMinimized);
        break;
    case kivClose:
        if (form) form->Close();
        break;
    default:
        break;
    }
    if (type == kivCustom && OnCustomBtnsClick) OnCustomBtnsClick(this, index);
    if (type == kivHelp && OnHelpBtnClick) OnHelpBtnClick(this, index);
}

void TkivTitleBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomPanel::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    mouse_ = Point(X, Y);
    mouseDownOnButton_ = true;
    pressedButton_ = ButtonAt(mouse_);
    Repaint();
    TCustomForm* form = Form();
    if (pressedButton_ < 0 && !(Shift & ssDouble) && form && form->WindowState() != wsMaximized) {
        // Dragging the bar drags the form.
        SetMouseCapture(false);
        mouseDownOnButton_ = false;
        form->Perform(WM_NCLBUTTONDOWN, HTCAPTION, MakeLParam(ClientToScreen(mouse_).X, ClientToScreen(mouse_).Y));
    }
}

void TkivTitleBar::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomPanel::MouseMove(Shift, X, Y);
    const int before = ButtonAt(mouse_);
    mouse_ = Point(X, Y);
    if (ButtonAt(mouse_) != before) Invalidate();
}

void TkivTitleBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomPanel::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    mouse_ = Point(X, Y);
    const int pressed = pressedButton_;
    const bool down = mouseDownOnButton_;
    mouseDownOnButton_ = false;
    pressedButton_ = -1;
    Invalidate();
    const int at = ButtonAt(mouse_);
    if (down && at >= 0 && at == pressed) ClickButton(at);
}

void TkivTitleBar::DblClick()
{
    TCustomPanel::DblClick();
    const int at = ButtonAt(mouse_);
    if (at >= 0) {
        if (buttons_.Items(at)->ButtonType() == kivControlBox)
            if (TCustomForm* form = Form()) form->Close();
        return;
    }
    for (int i = 0; i < buttons_.Count(); ++i) {
        const TkivTitleBarButton* b = buttons_.Items(i);
        if (b->Visible() && b->ButtonType() == kivMax) {
            ClickButton(i);
            return;
        }
    }
}

void TkivTitleBar::MouseOut()
{
    mouse_ = Point(-1, -1);
    Invalidate();
}

void TkivTitleBar::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_MOUSELEAVE:
        TCustomPanel::WndProc(m);
        MouseOut();
        return;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        TCustomPanel::WndProc(m);
        Invalidate();
        return;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCMOUSEMOVE:
        if (TCustomForm* form = Form()) m.Result = form->Perform(m.Msg, m.WParam, m.LParam);
        return;
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    }
    TCustomPanel::WndProc(m);
}

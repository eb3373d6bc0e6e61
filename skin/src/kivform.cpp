#include "skin/kivform.h"

#include "kivframe.h"
#include "kivthemerule.h"
#include "skin/kivimagepanel.h"
#include "skin/kivmenu.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"
#include "skin/kivresources.h"

#include "gfx/canvas.h"
#include "gfx/gdi.h"
#include "vcl/dialogs.h"
#include "vcl/forms.h"

#include <algorithm>

namespace {

// The menu font a bar shows its items in.
void MenuFont(TMainMenu* menu, TFont* font)
{
    auto* look = dynamic_cast<TkivMenuLook*>(menu);
    if (!look || look->UseSystemFont()) {
        Menu_GetSystemFont(font);
        return;
    }
    font->SetName(look->FontName());
    font->SetSize(look->FontSize());
    font->SetCharset(look->FontCharset());
}

} // namespace

// --- the menu bar ------------------------------------------------------------------
TkivMenuBar::TkivMenuBar(TComponent* AOwner) : TToolBar(AOwner)
{
    SetFlat(true);
    SetEdgeBorders(0);
    SetEdgeInner(esNone);
    SetEdgeOuter(esNone);
    SetShowCaptions(true);
    SetList(true);
    SetWrapable(true);
    SetAlign(alTop);
    SetParentFont(false);
    SetButtonHeight(menuBarHeight_);
    SetHeight(menuBarHeight_);
    OnCustomDraw = [this](TToolBar*, const TRect& r, bool& d) { DrawMenuBar(r, d); };
    OnCustomDrawButton = [this](TToolBar*, TToolButton* b, TCustomDrawState s, bool& d) { DrawButton(b, s, d); };
}

TkivMenuBar::~TkivMenuBar() { *alive_ = false; }

void TkivMenuBar::SetMenu(TMainMenu* menu)
{
    if (menu_ != menu) {
        if (menu_) menu_->RemoveFreeNotification(this);
        menu_ = menu;
        if (menu_) menu_->FreeNotification(this);
    }
    while (ButtonCount() > 0) Buttons(ButtonCount() - 1)->Free();
    dropped_ = nullptr;
    if (!menu_) return;
    MenuFont(menu_, Font());
    if (auto* look = dynamic_cast<TkivMenuLook*>(menu_)) Font()->SetColor(look->FontColor());
    TMenuItem* root = menu_->Items();
    for (int i = 0; i < root->Count(); ++i) {
        TMenuItem* item = root->Items(i);
        auto* button = new TToolButton(this);
        button->SetAutoSize(true);
        button->SetCaption(item->Caption());
        button->SetEnabled(item->Enabled());
        button->SetVisible(item->Visible());
        button->SetTag(i);
        button->OnClick = [this, button](TObject*) { DropDown(button); };
        button->SetParent(this);
    }
    FitHeight();
}

void TkivMenuBar::RefreshItems()
{
    if (!menu_) return;
    TMenuItem* root = menu_->Items();
    if (root->Count() != ButtonCount()) {
        SetMenu(menu_);
        return;
    }
    for (int i = 0; i < ButtonCount(); ++i) {
        TToolButton* b = Buttons(i);
        b->SetCaption(root->Items(i)->Caption());
        b->SetEnabled(root->Items(i)->Enabled());
        b->SetVisible(root->Items(i)->Visible());
    }
    FitHeight();
    Invalidate();
}

TMenuItem* TkivMenuBar::MenuItemOf(const TToolButton* button) const
{
    if (!menu_ || !button) return nullptr;
    const int i = button->Index();
    return i >= 0 && i < menu_->Items()->Count() ? menu_->Items()->Items(i) : nullptr;
}

TToolButton* TkivMenuBar::ButtonOf(const TMenuItem* item) const
{
    if (!menu_ || !item) return nullptr;
    const int i = menu_->Items()->IndexOf(item);
    return i >= 0 && i < ButtonCount() ? Buttons(i) : nullptr;
}

void TkivMenuBar::DropDown(TToolButton* button)
{
    TMenuItem* item = MenuItemOf(button);
    if (!item || !item->Enabled()) return;
    if (item->Count() == 0) {
        item->Click(); // a top-level command
        return;
    }
    const TPoint p = button->ClientToScreen(Point(0, button->Height()));
    dropped_ = button;
    Invalidate();
    // The bar may go while an item's click runs (it can free the form).
    const std::shared_ptr<bool> alive = alive_;
    menu_->DropDown(item, p.X, p.Y);
    if (*alive) {
        dropped_ = nullptr;
        Invalidate();
    }
}

void TkivMenuBar::SetMenuBarColor(TColor value)
{
    SetColor(value);
    Invalidate();
}

void TkivMenuBar::SetMenuBarHeight(int value)
{
    menuBarHeight_ = value;
    SetButtonHeight(value);
    FitHeight();
}

void TkivMenuBar::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    Invalidate();
}

// Wrapped rows make the bar higher.
void TkivMenuBar::FitHeight()
{
    int bottom = menuBarHeight_;
    for (int i = 0; i < ButtonCount(); ++i)
        if (Buttons(i)->Visible()) bottom = std::max(bottom, Buttons(i)->Top() + Buttons(i)->Height());
    if (Height() != bottom) SetHeight(bottom);
}

void TkivMenuBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TToolBar::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == menu_) {
        menu_ = nullptr;
        dropped_ = nullptr;
    }
}

void TkivMenuBar::DrawMenuBar(const TRect& rect, bool&)
{
    TCanvas* c = Canvas();
    if (uiStyle_ == MacOS) {
        TBitmap picture;
        LoadBitmapResource("MACOS_MENU_BAR", picture);
        c->StretchDraw(rect, picture);
    } else {
        KivFillRect(c, rect, Color());
    }
}

void TkivMenuBar::DrawButton(TToolButton* button, TCustomDrawState state, bool& defaultDraw)
{
    defaultDraw = false;
    TCanvas* c = Canvas();
    const TRect r = button->BoundsRect();
    const auto* look = dynamic_cast<const TkivMenuLook*>(menu_);
    const bool selected = button->Enabled() && (button == dropped_ || (state & (cdsHot | cdsSelected)));
    TColor text = look ? look->FontColor() : clMenuText;
    if (selected) {
        if (uiStyle_ == MacOS) {
            Menu_DrawMacOSSelectedItem(c, r);
        } else {
            Menu_DrawBackGround(c, r, look ? look->SelectedColor() : clHighlight);
            Menu_DrawBorder(c, r, look ? look->SelectedBorderColor() : clHighlight);
        }
        text = look ? look->SelectedFontColor() : clHighlightText;
    }
    if (!button->Enabled()) text = static_cast<TColor>(0x808080);
    c->SetFont(*Font());
    c->Font()->SetColor(text);
    c->Brush()->SetStyle(bsClear);
    TRect t = r;
    DrawText(c, button->Caption(), t, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

// --- the frame ---------------------------------------------------------------------
TkivForm::TkivForm(TComponent* AOwner) : TCustomPanel(AOwner), look_(std::make_unique<TkivFrameLook>())
{
    form_ = dynamic_cast<TCustomForm*>(AOwner);
    if (!form_) throw EInvalidOperation("TkivForm must be owned by a form");
    for (int i = 0; i < form_->ComponentCount(); ++i) {
        TComponent* c = form_->Components(i);
        if (c != this && dynamic_cast<IKivFormFrame*>(c))
            throw Exception("Sorry, You can create only one TkivForm component in one form!");
    }
    SetParent(form_);
    SetAlign(alClient);
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    TCustomPanel::SetBorderWidth(0);
    SetBorderStyle(bsNone);
    SetParentColor(false);
    form_->Constraints()->SetMinWidth(125);
    form_->Constraints()->SetMinHeight(50);
    Constraints()->SetMinWidth(125);
    Constraints()->SetMinHeight(50);

    titleBar_ = new TkivTitleBar(this);
    titleBar_->SetParent(this);
    titleBar_->SetFrameForm(form_, false);
    menuBarColor_ = form_->Color();
    menuBarHeight_ = 22;

    savedProc_ = form_->WindowProc;
    form_->WindowProc = [this](TMessage& m) { FormWndProc(m); };
    savedBorderStyle_ = form_->BorderStyle();
    if (savedBorderStyle_ == bsNone || savedBorderStyle_ == bsSingle || savedBorderStyle_ == bsToolWindow)
        form_->SetBorderStyle(bsDialog);
    form_->SetHasCaption(false);
    SetCaption(form_->Caption());
    SetUIStyle(DeepBlue);
    if (Application) Application->HookMessages(this, [this](MSG& msg) { return ApplicationHook(msg); });
}

TkivForm::~TkivForm()
{
    if (Application) Application->UnhookMessages(this);
    if (auto* km = dynamic_cast<TkivMainMenu*>(menu_); km && km->Form() == this) km->SetForm(nullptr);
    if (form_ && !form_->Destroying()) {
        // The form gets its own window procedure and caption back.
        form_->WindowProc = savedProc_;
        form_->SetWindowRegion(std::nullopt);
        form_->SetHasCaption(true);
        form_->FrameChanged();
    }
}

void TkivForm::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    look_->Read(fileTheme_, value, menu_ != nullptr);
    const TkivUIStyle suggested = look_->suggested;
    SetColor(look_->color);
    titleBar_->SetFileTheme(fileTheme_);
    titleBar_->SetUIStyle(value);
    titleBar_->SetRoundCorner(look_->roundCorner);
    titleBar_->SetRoundCornerBottom(look_->roundCornerBottom);
    // A file theme without a menu leaves the bar's colour as it was.
    if (menu_ || !look_->fromFile) menuBarColor_ = look_->menuBarColor;
    if (auto* km = dynamic_cast<TkivMainMenu*>(menu_)) {
        km->SetFileTheme(fileTheme_);
        km->SetUIStyle(value);
    }
    if (autoUpdateSub_) ContainerApplyUIStyle(this, value, fileTheme_);
    if (menuBar_) {
        menuBar_->SetUIStyle(suggested);
        menuBar_->SetMenuBarColor(menuBarColor_);
        menuBar_->SetMenu(menu_);
    }
    LayoutBars();
    form_->FrameChanged();
    RegionWindow();
    Invalidate();
}

void TkivForm::SetFileTheme(TkivFileTheme* value)
{
    if (fileTheme_ == value) return;
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

TColor TkivForm::BorderColor() const { return look_->borderColor; }
int TkivForm::BorderWidth() const { return look_->borderWidth; }
int TkivForm::LeftBorderWidth() const { return look_->LeftBorderWidth(); }

void TkivForm::SetBorderColor(TColor value)
{
    look_->borderColor = value;
    form_->InvalidateFrame();
}

void TkivForm::SetBorderWidth(int value)
{
    look_->borderWidth = value;
    form_->FrameChanged();
}

void TkivForm::SetTitleBarVisible(bool value)
{
    titleBar_->SetVisible(value);
    LayoutBars();
    RegionWindow();
    form_->InvalidateFrame();
}

void TkivForm::SetRoundCorner(int value)
{
    titleBar_->SetRoundCorner(value);
    RegionWindow();
}

void TkivForm::SetRoundCornerBottom(int value)
{
    titleBar_->SetRoundCornerBottom(value);
    RegionWindow();
}

void TkivForm::SetFormPanel(TWinControl* value)
{
    if (value && value == form_) {
        MessageDlg("Sorry, you can't select the Form assign to FormPanel property", mtError, MsgButtons({mbOK}));
        return;
    }
    if (formPanel_ == value) return;
    if (formPanel_) formPanel_->RemoveFreeNotification(this);
    formPanel_ = value;
    if (!value) return;
    value->FreeNotification(this);
    value->SetAlign(alClient);
    if (auto* image = dynamic_cast<TkivImagePanel*>(value)) {
        image->SetCaption("");
    } else if (auto* panel = dynamic_cast<TCustomPanel*>(value)) {
        panel->SetBevelOuter(bvNone);
        panel->SetBevelInner(bvNone);
        panel->SetBorderWidth(0);
        panel->SetCaption("");
    }
}

void TkivForm::SetMenu(TMainMenu* value)
{
    if (menu_ == value) return;
    if (auto* old = dynamic_cast<TkivMainMenu*>(menu_); old && old->Form() == this) old->SetForm(nullptr);
    if (menu_) menu_->RemoveFreeNotification(this);
    menu_ = value;
    if (!menu_) {
        if (menuBar_) menuBar_->Free();
        menuBar_ = nullptr;
        LayoutBars();
        form_->InvalidateFrame();
        return;
    }
    menu_->FreeNotification(this);
    if (auto* km = dynamic_cast<TkivMainMenu*>(menu_)) km->SetForm(this);
    SetUIStyle(uiStyle_); // the bar's colour follows the theme once a menu is there
    RebuildMenuBar();
}

void TkivForm::SetMenuBarColor(TColor value)
{
    menuBarColor_ = value;
    if (menuBar_) menuBar_->SetMenuBarColor(value);
    form_->InvalidateFrame();
}

void TkivForm::SetMenuBarHeight(int value)
{
    menuBarHeight_ = value;
    if (menuBar_) menuBar_->SetMenuBarHeight(value);
    LayoutBars();
}

void TkivForm::RebuildMenuBar()
{
    // An MDI child's menu is shown by its frame's bar.
    if (form_->IsMDIChild()) {
        form_->Parent()->Perform(WM_MDIREFRESHMENU, 0, 0);
        return;
    }
    if (!menu_) return;
    if (!menuBar_) {
        menuBar_ = new TkivMenuBar(this);
        menuBar_->SetParent(this);
    }
    TkivUIStyle suggested = uiStyle_;
    UsingFileTheme(fileTheme_, uiStyle_, suggested);
    menuBar_->SetUIStyle(suggested);
    menuBar_->SetMenuBarColor(menuBarColor_);
    menuBar_->SetMenuBarHeight(menuBarHeight_);
    menuBar_->SetMenu(menu_);
    LayoutBars();
    form_->InvalidateFrame();
}

void TkivForm::RefreshTopMenu()
{
    if (menuBar_) menuBar_->RefreshItems();
}

void TkivForm::RepaintMenuBar() { RebuildMenuBar(); }

// The title bar first, the menu bar directly under it.
void TkivForm::LayoutBars()
{
    if (!titleBar_) return;
    DisableAlign();
    titleBar_->SetTop(0);
    if (menuBar_) menuBar_->SetTop(titleBar_->Visible() ? titleBar_->Height() : 0);
    EnableAlign();
}

void TkivForm::Resize()
{
    TCustomPanel::Resize();
    LayoutBars();
}

void TkivForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == formPanel_) formPanel_ = nullptr;
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation)) SetUIStyle(DeepBlue);
    if (AComponent == menu_) {
        menu_ = nullptr;
        if (menuBar_ && !Destroying()) menuBar_->Free();
        menuBar_ = nullptr;
        if (!Destroying()) LayoutBars();
    }
    if (AComponent == menuBar_) menuBar_ = nullptr;
    if (AComponent == titleBar_) titleBar_ = nullptr;
}

void TkivForm::WndProc(TMessage& m)
{
    if (m.Msg == CM_TEXTCHANGED) {
        TCustomPanel::WndProc(m);
        if (titleBar_) titleBar_->SetCaption(Caption());
        if (form_ && form_->Caption() != Caption()) form_->SetCaption(Caption());
        return;
    }
    TCustomPanel::WndProc(m);
}

void TkivForm::Paint()
{
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    TkivUIStyle suggested = uiStyle_;
    UsingFileTheme(fileTheme_, uiStyle_, suggested);
    const char* pattern = suggested == MacOS ? "MACOS_FORM_BACKGROUND" : suggested == Protein ? "PROTEIN_FORM_BACKGROUND" : nullptr;
    if (pattern && HasBitmapResource(pattern)) {
        TBitmap picture;
        LoadBitmapResource(pattern, picture);
        c->Brush()->SetBitmap(&picture);
        c->FillRect(r);
        c->Brush()->SetBitmap(nullptr);
    } else {
        KivFillRect(c, r, Color());
    }
}

// --- the form's window --------------------------------------------------------------
void TkivForm::RegionWindow()
{
    if (form_ && titleBar_) KivShapeWindow(form_, RoundCorner(), RoundCornerBottom());
}

void TkivForm::PaintFormBorder(TCanvas* c)
{
    const TRect in = form_->FrameInsets();
    const TRect client = Bounds(in.Left, in.Top, form_->Width(), form_->Height());
    TRect bar;
    if (menuBar_ && menuBar_->Visible()) {
        const int y = client.Top + menuBar_->Top() + Top();
        bar = Rect(client.Left, y, client.Right, y + menuBar_->Height());
    }
    KivPaintFrame(c, *form_, *look_, Color(), bar, menuBarColor_, titleBar_,
                  Point(client.Left + Left() + titleBar_->Left(), client.Top + Top() + titleBar_->Top()));
}

bool TkivForm::ApplicationHook(MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    TWinControl* target = FindControl(msg.hwnd);
    if (!target || GetParentForm(target) != form_) return false; // another form's key
    const auto key = static_cast<unsigned short>(msg.wParam);
    if (msg.message == WM_SYSKEYDOWN && key == VK_SPACE && titleBar_ && titleBar_->Visible()) {
        // Alt+Space: the system menu at the form's left edge, just below the title bar.
        const TPoint below = titleBar_->ClientToScreen(Point(0, titleBar_->Height()));
        titleBar_->SystemMenu()->Popup(form_->WindowRect().Left, below.Y);
        return true;
    }
    return FormHasFocus(form_) && KivRunShortCut(menu_, key);
}

void TkivForm::FormWndProc(TMessage& m)
{
    switch (m.Msg) {
    case KIV_WM_LEFTBORDERWIDTH:
        m.Result = LeftBorderWidth();
        return;
    case WM_NCCALCSIZE:
        savedProc_(m); // the plain frame round the client area, no caption
        if (m.WParam && m.LParam) {
            look_->ClientInside(reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0], true);
            m.Result = WVR_VALIDRECTS;
        }
        return;
    case CM_BORDERCHANGED:
        savedProc_(m);
        form_->SetHasCaption(false); // a new border brought the caption back
        return;
    case WM_NCPAINT:
        if (m.WParam && form_->WindowState() != wsMinimized) PaintFormBorder(reinterpret_cast<TCanvas*>(m.WParam));
        return;
    case WM_ACTIVATE:
        savedProc_(m);
        if (titleBar_) titleBar_->SetFormActive(m.WParam != WA_INACTIVE);
        return;
    case WM_KEYDOWN:
        if (FormHasFocus(form_) && KivRunShortCut(menu_, static_cast<unsigned short>(m.WParam))) {
            m.Result = 1;
            return;
        }
        break;
    case WM_SIZE:
        savedProc_(m);
        if (form_->WindowState() == wsMaximized && !form_->IsMDIChild()) KivPlaceMaximized(form_);
        form_->InvalidateFrame();
        if (titleBar_) titleBar_->UpdateMaximizeFrames();
        RegionWindow();
        return;
    case WM_NCHITTEST:
        savedProc_(m);
        if (form_->FormStyle() == fsMDIChild && savedBorderStyle_ == bsSingle && m.Result >= HTLEFT &&
            m.Result <= HTBOTTOMRIGHT)
            m.Result = HTBORDER;
        return;
    }
    savedProc_(m);
}

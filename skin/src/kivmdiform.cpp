#include "skin/kivmdiform.h"

#include "kivframe.h"
#include "skin/kivbutton.h"
#include "skin/kivpublic.h"
#include "skin/kivresources.h"

#include "vcl/application.h"
#include "vcl/forms.h"

#include <algorithm>

namespace {
// The skinned frame of a child form, nullptr when it has none.
TkivForm* KivFormOf(const TCustomForm* child)
{
    if (!child) return nullptr;
    for (int i = 0; i < child->ComponentCount(); ++i)
        if (auto* frame = dynamic_cast<TkivForm*>(child->Components(i))) return frame;
    return nullptr;
}

TkivTitleBarBtnType TypeOfTag(int tag)
{
    return tag == kMDIMinimizeTag ? kivMin : tag == kMDIRestoreTag ? kivMax : kivClose;
}
} // namespace

TkivMDIForm::TkivMDIForm(TComponent* AOwner) : TComponent(AOwner), look_(std::make_unique<TkivFrameLook>())
{
    form_ = dynamic_cast<TCustomForm*>(AOwner);
    if (!form_) throw Exception("Sorry, TkivMDIForm must be placed on a form");
    form_->Constraints()->SetMinWidth(125);
    form_->Constraints()->SetMinHeight(50);
    const TFormBorderStyle border = form_->BorderStyle();
    if (border == bsNone || border == bsSingle || border == bsToolWindow) form_->SetBorderStyle(bsDialog);
    caption_ = form_->Caption();

    titleBar_ = new TkivTitleBar(this);
    titleBar_->SetParent(form_);
    titleBar_->SetFrameForm(form_, true);
    titleBar_->SetCaption(caption_);

    // The menu bar sits in a panel under the title bar, the control buttons at its right end.
    menuPanel_ = new TPanel(this);
    menuPanel_->SetBevelOuter(bvNone);
    menuPanel_->SetBevelInner(bvNone);
    menuPanel_->SetCaption("");
    menuPanel_->SetParentColor(false);
    menuPanel_->SetVisible(false);
    menuPanel_->SetParent(form_);
    menuPanel_->SetAlign(alTop);
    menuBar_ = new TkivMenuBar(this);
    menuBar_->SetParent(menuPanel_);
    TBitmap glyphs;
    LoadBitmapResource("MDI_CONTROL_BUTTON", glyphs);
    const int tags[] = {kMDIMinimizeTag, kMDIRestoreTag, kMDICloseTag};
    for (int i = 0; i < 3; ++i) {
        auto* b = new TkivToolBarSpeedButton(this);
        b->SetTag(tags[i]);
        b->SetVisible(false);
        b->SetParent(menuPanel_);
        b->SetAnchors(akTop | akRight);
        if (!glyphs.Empty()) {
            TBitmap glyph;
            SpitBitmap(&glyphs, &glyph, 3, i + 1);
            b->SetGlyph(glyph);
        }
        const int tag = tags[i];
        b->OnClick = [this, tag](TObject*) { ControlClick(tag); };
        controlButtons_.push_back(b);
    }

    SetUIStyle(DeepBlue);
    form_->SetHasCaption(false);
    savedProc_ = form_->WindowProc;
    form_->WindowProc = [this](TMessage& m) { FormWndProc(m); };
    client_ = form_->MDIClient();
    if (client_) {
        client_->FreeNotification(this);
        savedClientProc_ = client_->WindowProc;
        client_->WindowProc = [this](TMessage& m) { ClientWndProc(m); };
    }
    if (Application) Application->HookMessages(this, [this](MSG& msg) { return ApplicationHook(msg); });
    form_->FrameChanged();
    Shape();
}

TkivMDIForm::~TkivMDIForm()
{
    *alive_ = false;
    if (Application) Application->UnhookMessages(this);
    if (auto* km = dynamic_cast<TkivMainMenu*>(menu_); km && km->Form() == this) km->SetForm(nullptr);
    if (form_->Destroying()) return;
    if (client_) client_->WindowProc = savedClientProc_;
    form_->WindowProc = savedProc_;
    form_->SetWindowRegion(std::nullopt);
    form_->SetHasCaption(true);
    form_->FrameChanged();
}

TkivToolBarSpeedButton* TkivMDIForm::ControlButton(int tag) const
{
    for (TkivToolBarSpeedButton* b : controlButtons_)
        if (b->Tag() == tag) return b;
    return nullptr;
}

// --- the look -------------------------------------------------------------------------
void TkivMDIForm::SetUIStyle(TkivUIStyle value)
{
    uiStyle_ = value;
    look_->Read(fileTheme_, value, ShownMenu() != nullptr);
    menuBarColor_ = look_->menuBarColor;
    form_->SetColor(look_->color);
    if (titleBar_) {
        titleBar_->SetFileTheme(fileTheme_);
        titleBar_->SetUIStyle(value);
        titleBar_->SetRoundCorner(look_->roundCorner);
        titleBar_->SetRoundCornerBottom(look_->roundCornerBottom);
    }
    if (auto* km = dynamic_cast<TkivMainMenu*>(menu_)) {
        km->SetFileTheme(fileTheme_);
        km->SetUIStyle(value);
    }
    RebuildMenuBar();
    form_->FrameChanged();
    Shape();
}

void TkivMDIForm::SetFileTheme(TkivFileTheme* value)
{
    if (fileTheme_ == value) return;
    KivLinkFileTheme(this, fileTheme_, value);
    SetUIStyle(uiStyle_);
}

TColor TkivMDIForm::BorderColor() const { return look_->borderColor; }

void TkivMDIForm::SetBorderColor(TColor value)
{
    look_->borderColor = value;
    form_->InvalidateFrame();
}

void TkivMDIForm::SetCaption(const std::string& value)
{
    caption_ = value;
    form_->SetCaption(value);
    RefreshCaption();
}

void TkivMDIForm::SetTitleBarVisible(bool value)
{
    titleBar_->SetVisible(value);
    RebuildMenuBar();
    Shape();
}

void TkivMDIForm::SetTitleBarDrawChildCaptions(bool value)
{
    drawChildCaptions_ = value;
    RefreshCaption();
}

void TkivMDIForm::SetTitleBarDrawChildMenus(bool value)
{
    drawChildMenus_ = value;
    RebuildMenuBar();
}

void TkivMDIForm::SetRoundCorner(int value)
{
    titleBar_->SetRoundCorner(value);
    Shape();
}

void TkivMDIForm::SetRoundCornerBottom(int value)
{
    titleBar_->SetRoundCornerBottom(value);
    Shape();
}

int TkivMDIForm::TitleBarHeight() const
{
    int h = titleBar_ && titleBar_->Visible() ? titleBar_->Height() : 0;
    if (menuPanel_ && menuPanel_->Visible()) h += menuPanel_->Height();
    return h;
}

void TkivMDIForm::Shape()
{
    if (titleBar_ && !form_->Destroying()) KivShapeWindow(form_, RoundCorner(), RoundCornerBottom());
}

// --- the menu bar ----------------------------------------------------------------------
void TkivMDIForm::SetMenu(TMainMenu* value)
{
    if (menu_ == value) return;
    if (auto* old = dynamic_cast<TkivMainMenu*>(menu_); old && old->Form() == this) old->SetForm(nullptr);
    if (menu_) menu_->RemoveFreeNotification(this);
    menu_ = value;
    if (menu_) {
        menu_->FreeNotification(this);
        if (auto* km = dynamic_cast<TkivMainMenu*>(menu_)) km->SetForm(this);
    }
    SetUIStyle(uiStyle_); // the bar's colour follows the theme once a menu is there
}

void TkivMDIForm::SetMenuBarColor(TColor value)
{
    menuBarColor_ = value;
    RebuildMenuBar();
}

TMainMenu* TkivMDIForm::ShownMenu() const
{
    if (drawChildMenus_)
        if (TkivForm* child = KivFormOf(form_->ActiveMDIChild()); child && child->Menu()) return child->Menu();
    return menu_;
}

void TkivMDIForm::RebuildMenuBar()
{
    if (!menuBar_ || !menuPanel_ || !titleBar_ || form_->Destroying()) return;
    TMainMenu* shown = ShownMenu();
    menuBar_->SetUIStyle(look_->suggested);
    menuBar_->SetMenuBarColor(menuBarColor_);
    menuBar_->SetMenuBarHeight(22);
    if (menuBar_->Menu() != shown || !shown) menuBar_->SetMenu(shown);
    else menuBar_->RefreshItems();
    menuPanel_->SetColor(menuBarColor_);
    for (TkivToolBarSpeedButton* b : controlButtons_) b->SetColor(menuBarColor_);
    form_->DisableAlign();
    titleBar_->SetTop(0);
    menuPanel_->SetTop(titleBar_->Visible() ? titleBar_->Height() : 0);
    menuPanel_->SetHeight(menuBar_->Height());
    menuPanel_->SetVisible(shown != nullptr);
    form_->EnableAlign();
    // The control buttons at the right end of the bar, close last.
    int x = menuPanel_->ClientWidth() - 2;
    for (auto it = controlButtons_.rbegin(); it != controlButtons_.rend(); ++it) {
        x -= (*it)->Width();
        (*it)->SetBounds(x, 1, (*it)->Width(), (*it)->Height());
        (*it)->BringToFront();
    }
    RefreshWindowMenu();
    form_->InvalidateFrame();
}

void TkivMDIForm::RefreshTopMenu()
{
    if (menuBar_) menuBar_->RefreshItems();
}

void TkivMDIForm::RepaintMenuBar() { RebuildMenuBar(); }

// The frame's window menu lists the children after a line; a click brings one forward.
void TkivMDIForm::RefreshWindowMenu()
{
    for (TMenuItem* item : std::vector<TMenuItem*>(windowItems_)) item->Free();
    windowItems_.clear();
    TMenuItem* windowMenu = form_->WindowMenu();
    if (!windowMenu || !menu_ || ShownMenu() != menu_) return;
    auto add = [&](const std::string& caption) {
        auto* item = new TMenuItem(this);
        item->SetCaption(caption);
        windowMenu->Add(item);
        windowItems_.push_back(item);
        return item;
    };
    add("-");
    for (int i = 0; i < form_->MDIChildCount(); ++i) {
        TCustomForm* child = form_->MDIChildren(i);
        if (!child->Visible()) continue;
        add(child->Caption())->OnClick = [this, child](TObject*) {
            if (child->WindowState() == wsMinimized) child->SetWindowState(wsNormal);
            if (client_) client_->Perform(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
        };
    }
}

void TkivMDIForm::RefreshCaption()
{
    if (!titleBar_) return;
    std::string text = caption_;
    TCustomForm* child = form_->ActiveMDIChild();
    if (drawChildCaptions_ && child && child->WindowState() == wsMaximized) text += " - [" + child->Caption() + "]";
    titleBar_->SetCaption(text);
}

// Minimize, restore and close for a maximized child, each only when its frame has that button.
void TkivMDIForm::ShowControlButtons(bool show)
{
    TCustomForm* child = form_->ActiveMDIChild();
    TkivForm* frame = KivFormOf(child);
    for (TkivToolBarSpeedButton* b : controlButtons_) {
        bool visible = show && child;
        if (visible && frame) visible = frame->TitleBar()->HasVisibleButton(TypeOfTag(b->Tag()));
        b->SetVisible(visible);
    }
}

void TkivMDIForm::ControlClick(int tag)
{
    TCustomForm* child = form_->ActiveMDIChild();
    if (!child) return;
    if (tag == kMDIMinimizeTag) child->SetWindowState(wsMinimized);
    else if (tag == kMDIRestoreTag) child->SetWindowState(wsNormal);
    else child->Close();
    if (Application) Application->ProcessMessages();
}

// --- arranging the children ----------------------------------------------------------------
void TkivMDIForm::Cascade()
{
    if (!client_) return;
    const int w = client_->ClientWidth() * 80 / 100, h = client_->ClientHeight() * 60 / 100;
    // Taken first: bringing each forward reorders the children.
    std::vector<TCustomForm*> children;
    for (int i = form_->MDIChildCount() - 1; i >= 0; --i) children.push_back(form_->MDIChildren(i));
    int offset = 0;
    for (TCustomForm* child : children) {
        if (!child->Visible() || child->WindowState() == wsMinimized) continue;
        if (child->WindowState() == wsMaximized) child->SetWindowState(wsNormal);
        child->SetWindowRect(Bounds(offset, offset, w, h));
        child->BringToFront();
        offset += 22;
    }
}

void TkivMDIForm::Tile(TTileMode mode)
{
    if (!client_) return;
    std::vector<TCustomForm*> tiled;
    bool minimized = false;
    for (int i = 0; i < form_->MDIChildCount(); ++i) {
        TCustomForm* child = form_->MDIChildren(i);
        if (!child->Visible()) continue;
        if (child->WindowState() == wsMinimized) minimized = true;
        else tiled.push_back(child);
    }
    if (tiled.empty()) return;
    const int n = static_cast<int>(tiled.size());
    const int height = client_->ClientHeight() - (minimized ? 25 : 0), width = client_->ClientWidth();
    for (int i = 0; i < n; ++i) {
        TCustomForm* child = tiled[static_cast<std::size_t>(i)];
        if (child->WindowState() == wsMaximized) child->SetWindowState(wsNormal);
        if (mode == tbHorizontal) child->SetWindowRect(Bounds(0, i * (height / n), width - 4, height / n - 2));
        else child->SetWindowRect(Bounds(i * (width / n), 0, width / n - 2, height - 4));
    }
}

// --- hooks ------------------------------------------------------------------------------------
void TkivMDIForm::FormWndProc(TMessage& m)
{
    switch (m.Msg) {
    case KIV_WM_LEFTBORDERWIDTH:
        m.Result = look_->LeftBorderWidth();
        return;
    case WM_NCCALCSIZE:
        savedProc_(m);
        if (m.WParam && m.LParam) {
            look_->ClientInside(reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0], false);
            m.Result = WVR_VALIDRECTS;
        }
        return;
    case CM_BORDERCHANGED:
        savedProc_(m);
        form_->SetHasCaption(false);
        return;
    case WM_NCPAINT:
        if (m.WParam && form_->WindowState() != wsMinimized) {
            const TRect in = form_->FrameInsets();
            TRect bar;
            if (menuPanel_ && menuPanel_->Visible())
                bar = Bounds(in.Left + menuPanel_->Left(), in.Top + menuPanel_->Top(), menuPanel_->Width(),
                             menuPanel_->Height());
            const TPoint origin = titleBar_ ? Point(in.Left + titleBar_->Left(), in.Top + titleBar_->Top()) : TPoint{};
            KivPaintFrame(reinterpret_cast<TCanvas*>(m.WParam), *form_, *look_, form_->Color(), bar, menuBarColor_,
                          titleBar_, origin);
        }
        return;
    case WM_ACTIVATE:
        savedProc_(m);
        if (titleBar_) titleBar_->SetFormActive(m.WParam != WA_INACTIVE);
        return;
    case WM_KEYDOWN:
        if (FormHasFocus(form_) && KivRunShortCut(ShownMenu(), static_cast<unsigned short>(m.WParam))) {
            m.Result = 1;
            return;
        }
        break;
    case WM_SIZE:
        savedProc_(m);
        if (form_->WindowState() == wsMaximized) KivPlaceMaximized(form_);
        form_->InvalidateFrame();
        if (titleBar_) titleBar_->UpdateMaximizeFrames();
        RebuildMenuBar();
        Shape();
        return;
    }
    savedProc_(m);
}

void TkivMDIForm::ClientWndProc(TMessage& m)
{
    savedClientProc_(m);
    const std::shared_ptr<bool> alive = alive_;
    switch (m.Msg) {
    case WM_MDIREFRESHMENU:
        RebuildMenuBar();
        RefreshCaption();
        break;
    case WM_MDIMAXIMIZE:
    case WM_MDIRESTORE: {
        // The buttons follow the active child: a restore may be the maximized look moving on.
        TCustomForm* active = form_->ActiveMDIChild();
        ShowControlButtons(active && active->WindowState() == wsMaximized);
        RefreshCaption();
        break;
    }
    case WM_MDITILE:
        Tile((m.WParam & MDITILE_HORIZONTAL) ? tbHorizontal : tbVertical);
        break;
    case WM_MDICASCADE:
        Cascade();
        break;
    }
}

bool TkivMDIForm::ApplicationHook(MSG& msg)
{
    if (msg.message != WM_KEYDOWN) return false;
    TWinControl* target = FindControl(msg.hwnd);
    if (!target || GetParentForm(target) != form_) return false;
    return FormHasFocus(form_) && KivRunShortCut(ShownMenu(), static_cast<unsigned short>(msg.wParam));
}

void TkivMDIForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    windowItems_.erase(std::remove(windowItems_.begin(), windowItems_.end(), AComponent), windowItems_.end());
    controlButtons_.erase(std::remove(controlButtons_.begin(), controlButtons_.end(), AComponent),
                          controlButtons_.end());
    if (AComponent == titleBar_) titleBar_ = nullptr;
    if (AComponent == menuBar_) menuBar_ = nullptr;
    if (AComponent == menuPanel_) menuPanel_ = nullptr;
    if (AComponent == client_) client_ = nullptr;
    if (KivFileThemeFreed(fileTheme_, AComponent, Operation) && !Destroying()) SetUIStyle(DeepBlue);
    if (AComponent == menu_) {
        menu_ = nullptr;
        if (!Destroying()) RebuildMenuBar();
    }
}

// Track bars, skinned menu items, tool bars and link labels in each built-in style, one row per style:
// menusdemo [--headless OUT.bmp] [--popup] (--popup also opens a real popup menu).
#include "skin/kivimagepanel.h"
#include "skin/kivpopupmenu.h"
#include "skin/kivthemes.h"
#include "skin/kivtoolbar.h"
#include "skin/kivtrackbar.h"
#include "skin/kivurllabel.h"

#include "gfx/imagelist.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"
#include "vcl/qtbackend.h"
#include "vcl/timer.h"

#include <cstring>
#include <string>

namespace {

const char* const kStyleNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass"};

// The items of a skinned popup menu painted side by side as the open menu shows them.
class TMenuPreview : public TCustomControl {
public:
    TMenuPreview(TComponent* owner, TkivPopupMenu* menu, int selected) : TCustomControl(owner), menu_(menu), selected_(selected) {}

protected:
    void Paint() override
    {
        TCanvas* c = Canvas();
        c->Brush()->SetColor(clMenu);
        c->FillRect(ClientRect());
        int y = 0;
        for (int i = 0; i < menu_->Items()->Count(); ++i) {
            TMenuItem* item = menu_->Items()->Items(i);
            const TSize s = menu_->MeasureItem(item, *c);
            const TRect r = Rect(0, y, Width(), y + s.cy);
            c->SaveDC();
            menu_->DrawItem(item, c, r, i == selected_);
            c->RestoreDC(-1);
            y += s.cy;
        }
    }

private:
    TkivPopupMenu* menu_;
    int selected_;
};

class TMenusDemo : public TForm {
public:
    explicit TMenusDemo(TComponent* owner) : TForm(owner)
    {
        SetCaption("Skinned track bars, menus, tool bars and links");
        SetBounds(20, 20, 920, 5 * 150 + 10);
        SetColor(RGB(0xE8, 0xE8, 0xF0));
        images_ = std::make_unique<TImageList>(16, 16);
        TBitmap picture(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) picture.SetPixel(x, y, (x - 8) * (x - 8) + (y - 8) * (y - 8) < 40 ? clGreen : clWhite);
        images_->AddMasked(picture, clWhite);
        for (int s = 1; s <= 5; ++s) AddRow(static_cast<TkivUIStyle>(s), 10 + (s - 1) * 150);
    }

    TkivPopupMenu* DeepBlueMenu() const { return deepBlue_; }

private:
    template <class T>
    T* Place(TWinControl* parent, int x, int y, int w, int h)
    {
        auto* c = new T(this);
        c->SetParent(parent);
        c->SetBounds(x, y, w, h);
        return c;
    }

    TMenuItem* Item(TkivPopupMenu* menu, const std::string& caption)
    {
        auto* item = new TMenuItem(this);
        item->SetCaption(caption);
        menu->Items()->Add(item);
        return item;
    }

    void AddRow(TkivUIStyle style, int top)
    {
        auto* label = Place<TkivImagePanel>(this, 10, top, 90, 140);
        label->SetCaption(kStyleNames[style]);
        label->SetColor(GetInsideThemeColor(style, 26));
        label->Font()->SetStyle(TFontStyles{fsBold});

        // The trim slider of the clips window and an image slider, as the program sets them.
        auto* trim = Place<TkivTrackBar>(this, 110, top + 5, 260, 20);
        trim->SetUIStyle(style);
        trim->SetMax(100);
        trim->SetShowTick(false);
        trim->SetPosition(15 * static_cast<int>(style));
        auto* ticks = Place<TkivTrackBar>(this, 110, top + 40, 260, 20);
        ticks->SetUIStyle(style);
        ticks->SetMax(20);
        ticks->SetFrequency(2);
        ticks->SetPosition(4 * static_cast<int>(style) - 3);
        auto* wide = Place<TkivTrackBar>(this, 110, top + 80, 260, 20);
        wide->SetUIStyle(style);
        wide->SetMin(-2147483647 - 1);
        wide->SetMax(2147483647);
        wide->SetPosition(0);
        auto* image = new TkivTrackBar(this);
        image->SetParent(this);
        image->SetOrientation(kivVertical);
        image->SetBounds(390, top + 5, 18, 130);
        image->SetUIStyle(style);
        image->SetMax(100);
        image->SetShowTick(false);
        image->SetPosition(20 * static_cast<int>(style) - 10);

        auto* menu = new TkivPopupMenu(this);
        menu->SetUIStyle(style);
        menu->SetImages(images_.get());
        Item(menu, "&Help");
        Item(menu, "Selected")->SetShortCut(ShortCut('S', ssCtrl));
        Item(menu, "-");
        Item(menu, "Disabled")->SetEnabled(false);
        Item(menu, "Checked")->SetChecked(true);
        TMenuItem* pictured = Item(menu, "Checked picture");
        pictured->SetImageIndex(0);
        pictured->SetChecked(true);
        Item(menu, "Default")->SetDefault(true);
        if (style == DeepBlue) deepBlue_ = menu;
        auto* preview = new TMenuPreview(this, menu, 1);
        preview->SetParent(this);
        preview->SetBounds(430, top, 200, 140);

        // A tool bar with a checked button (drawn as the hot box), a plain and a drop-down one.
        auto* tools = new TkivToolBar(this);
        tools->SetParent(this);
        tools->SetAlign(alNone);
        tools->SetUIStyle(style);
        tools->SetBounds(650, top + 5, 250, 40);
        tools->SetImages(images_.get());
        tools->SetShowCaptions(true);
        tools->SetButtonWidth(60);
        tools->SetButtonHeight(38);
        const char* captions[] = {"&Open", "Checked", "Burn"};
        const TToolButtonStyle kinds[] = {tbsButton, tbsCheck, tbsDropDown};
        for (int i = 0; i < 3; ++i) {
            auto* b = new TToolButton(this);
            b->SetStyle(kinds[i]);
            b->SetCaption(captions[i]);
            b->SetImageIndex(0);
            b->SetParent(tools);
            if (kinds[i] == tbsCheck) b->SetDown(true);
        }

        // The About box's two links.
        auto* web = Place<TkivURLLabel>(this, 660, top + 70, 0, 0);
        web->SetCaption("www.example.org");
        web->SetURL("https://www.example.org/");
        auto* mail = Place<TkivURLLabel>(this, 660, top + 95, 0, 0);
        mail->SetCaption("support@example.org");
        mail->SetURL("mailto:support@example.org");
        mail->SetFontHoverColor(clRed);
    }

    std::unique_ptr<TImageList> images_;
    TkivPopupMenu* deepBlue_ = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    TApplication app;
    if (argc >= 3 && std::strcmp(argv[1], "--headless") == 0) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TMenusDemo>(&app);
        form->Show();
        HeadlessBackend()->Snapshot(*form)->SaveToFile(argv[2]);
        return 0;
    }
    const bool popup = argc >= 2 && std::strcmp(argv[1], "--popup") == 0;
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TMenusDemo* form = nullptr;
    app.CreateForm(form);
    TTimer timer(nullptr);
    timer.SetEnabled(popup);
    timer.SetInterval(500);
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        form->DeepBlueMenu()->Popup(form->Left() + 700, form->Top() + 330);
    };
    app.Run();
    return 0;
}

// Group boxes, check and radio groups and page controls in each built-in
// style, one row per style: groupsdemo [--headless OUT.bmp] [--rtl].
// --rtl reads right to left as on a Middle-East system.
#include "skin/kivbutton.h"
#include "skin/kivgroupbox.h"
#include "skin/kivimagepanel.h"
#include "skin/kivpagecontrol.h"
#include "skin/kivradiogroup.h"
#include "skin/kivthemes.h"

#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"
#include "vcl/qtbackend.h"
#include "win32/progfolders.h"

#include <cstring>
#include <string>

namespace {

const char* const kStyleNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass"};
constexpr int kRowHeight = 150;

class TGroupsDemo : public TForm {
public:
    explicit TGroupsDemo(TComponent* owner) : TForm(owner)
    {
        SetCaption("Skinned groups and pages");
        SetBounds(10, 10, 1240, 5 * (kRowHeight + 8) + 8);
        SetColor(RGB(0xE8, 0xE8, 0xF0));
        BeginLoading();
        for (int s = 1; s <= 5; ++s) AddRow(static_cast<TkivUIStyle>(s), 8 + (s - 1) * (kRowHeight + 8));
        EndLoading();
    }

private:
    template <class T>
    T* Place(TWinControl* parent, int x, int y, int w, int h)
    {
        auto* c = new T(this);
        c->SetParent(parent);
        c->SetBounds(x, y, w, h);
        return c;
    }
    static void Lines(TkivCheckGroup* g, std::initializer_list<const char*> lines)
    {
        TStringList list;
        for (const char* l : lines) list.Add(l);
        g->SetItems(list);
    }

    void AddRow(TkivUIStyle style, int top)
    {
        auto* label = Place<TkivImagePanel>(this, 8, top, 80, kRowHeight);
        label->SetCaption(kStyleNames[style]);
        label->SetColor(GetInsideThemeColor(style, 26));
        label->Font()->SetStyle(TFontStyles{fsBold});

        // A group box holding controls, as the program's setup windows have them.
        auto* box = Place<TkivGroupBox>(this, 96, top, 190, kRowHeight);
        box->SetUIStyle(style);
        box->SetCaption("Output Setup");
        box->SetTransparent(true);
        box->Font()->SetStyle(TFontStyles{fsBold});
        for (int k = 0; k < 2; ++k) {
            auto* radio = Place<TkivRadioButton>(box, 12, 24 + k * 24, 80, 21);
            radio->SetUIStyle(style);
            radio->SetCaption(k ? "NTSC" : "PAL");
            radio->SetTransparent(true);
            radio->SetChecked(k == 0);
        }
        auto* check = Place<TkivCheckBox>(box, 12, 74, 150, 21);
        check->SetUIStyle(style);
        check->SetCaption("Add DVD menu.");
        check->SetTransparent(true);
        check->SetChecked(true);
        auto* button = Place<TkivButton>(box, 100, 110, 78, 27);
        button->SetUIStyle(style);
        button->SetCaption("Browse");
        box->SetUIStyle(style); // the children take the group's style and theme

        auto* ratio = Place<TkivRadioGroup>(this, 294, top, 150, kRowHeight);
        ratio->SetUIStyle(style);
        ratio->SetCaption("Image Ratio Setting");
        ratio->SetTopMargin(6);
        ratio->SetTransparent(true);
        Lines(ratio, {"1:1", "4:3", "16:9"});
        ratio->SetItemIndex(1);

        auto* effects = Place<TkivCheckGroup>(this, 452, top, 170, 90);
        effects->SetUIStyle(style);
        effects->SetCaption("Effects");
        effects->SetColumns(2);
        effects->SetTransparent(true);
        Lines(effects, {"Fade", "Blur", "Mirror", "Sepia", "Grey"});
        effects->SetChecked(0, true);
        effects->SetChecked(3, true);
        effects->SetItemEnabled(4, false);

        auto* disabled = Place<TkivGroupBox>(this, 452, top + 96, 170, 54);
        disabled->SetUIStyle(style);
        disabled->SetCaption("Sample");
        disabled->SetTransparent(true);
        disabled->SetEnabled(false);

        // The subtitle dialog's page control: two sheets, the second disabled until shown.
        auto* pages = Place<TkivPageControl>(this, 630, top, 280, kRowHeight);
        pages->SetUIStyle(style);
        for (const char* caption : {"Image", "Text", "Options"}) {
            auto* sheet = new TkivTabSheet(this);
            sheet->SetCaption(caption);
            sheet->SetPageControl(pages);
        }
        auto* inner = Place<TkivRadioGroup>(pages->GetPage(0), 8, 8, 180, 80);
        inner->SetCaption("View");
        inner->SetTransparent(true);
        Lines(inner, {"Image", "Text"});
        inner->SetItemIndex(0);
        pages->GetPage(1)->SetEnabled(false);
        pages->SetUIStyle(style);
        pages->SetActivePage(pages->GetPage(0));

        // A bottom strip with more tabs than fit: arrows and a cut last tab.
        auto* many = Place<TkivPageControl>(this, 918, top, 310, kRowHeight);
        many->SetUIStyle(style);
        many->SetTabPosition(kivBottom);
        for (int i = 1; i <= 9; ++i) {
            auto* sheet = new TkivTabSheet(this);
            sheet->SetCaption("Chapter " + std::to_string(i));
            sheet->SetPageControl(many);
        }
        auto* note = Place<TkivCheckBox>(many->GetPage(1), 10, 10, 150, 21);
        note->SetUIStyle(style);
        note->SetCaption("Chapter 2 page");
        note->SetTransparent(true);
        many->SetActivePage(many->GetPage(1));
    }
};

} // namespace

int main(int argc, char** argv)
{
    bool rtl = false, headless = false;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rtl") == 0) rtl = true;
        else if (std::strcmp(argv[i], "--headless") == 0 && i + 1 < argc) headless = true, out = argv[++i];
    }
    if (rtl) SetUserLocale("ar_EG.UTF-8");
    TApplication app;
    auto finish = [rtl](TCustomForm* form) {
        if (rtl) form->SetBiDiMode(bdRightToLeft);
    };
    if (headless) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TGroupsDemo>(&app);
        finish(form);
        form->Show();
        HeadlessBackend()->Snapshot(*form)->SaveToFile(out);
        return 0;
    }
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TGroupsDemo* form = nullptr;
    app.CreateForm(form);
    finish(form);
    app.Run();
    return 0;
}

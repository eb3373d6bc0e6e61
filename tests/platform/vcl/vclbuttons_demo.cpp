// A form holding every label, button, check box, radio button, group box,
// radio group and speed button: for looking at them in a real window.
// vclbuttons_demo [--headless OUT.bmp] writes the headless picture instead.
#include "gfx/bitmap.h"
#include "vcl/application.h"
#include "vcl/buttons.h"
#include "vcl/extctrls.h"
#include "vcl/headless.h"
#include "vcl/qtbackend.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

#include <cstring>

namespace {
template <class T>
T* Place(TWinControl* parent, int x, int y, int w, int h, const std::string& caption = "")
{
    TCustomForm* form = GetParentForm(parent);
    auto* c = new T(form ? static_cast<TComponent*>(form) : parent);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if (!caption.empty()) c->SetCaption(caption);
    return c;
}

// A 16 x 16 picture: a filled triangle on a fuchsia (see-through) ground.
TBitmap PlayGlyph()
{
    TBitmap b(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int half = y < 8 ? y : 15 - y;
            b.SetPixel(x, y, (x >= 3 && x - 3 <= half) ? clGreen : clFuchsia);
        }
    return b;
}

class TButtonsDemoForm : public TForm {
public:
    explicit TButtonsDemoForm(TComponent* owner) : TForm(owner)
    {
        BeginLoading();
        SetCaption("Labels, buttons and groups");
        SetBounds(60, 60, 520, 330);
        SetColor(clBtnFace);
        SetPosition(poDesigned);

        auto* title = Place<TLabel>(this, 10, 10, 0, 0, "&Volume name :");
        auto* wrap = Place<TLabel>(this, 10, 34, 150, 0);
        wrap->SetWordWrap(true);
        wrap->SetCaption("A word-wrapped label keeps its width and grows downwards as it needs.");
        auto* centred = Place<TLabel>(this, 170, 34, 140, 40, "Centred, yellow");
        centred->SetAutoSize(false);
        centred->SetAlignment(taCenter);
        centred->SetLayout(tlCenter);
        centred->SetColor(clYellow);
        auto* off = Place<TLabel>(this, 320, 34, 0, 0, "Disabled label");
        off->SetEnabled(false);

        ok = Place<TButton>(this, 10, 90, 75, 25, "OK");
        ok->SetDefault(true);
        auto* cancel = Place<TButton>(this, 95, 90, 75, 25, "&Cancel");
        cancel->SetCancel(true);
        auto* dis = Place<TButton>(this, 180, 90, 75, 25, "Disabled");
        dis->SetEnabled(false);
        title->SetFocusControl(cancel);

        auto* c1 = Place<TCheckBox>(this, 270, 90, 140, 17, "Add DVD &menu.");
        c1->SetChecked(true);
        Place<TCheckBox>(this, 270, 110, 140, 17, "Auto add letter box.");
        auto* c3 = Place<TCheckBox>(this, 410, 90, 100, 17, "Grayed");
        c3->SetAllowGrayed(true);
        c3->SetState(cbGrayed);
        auto* c4 = Place<TCheckBox>(this, 410, 110, 100, 17, "Off, ticked");
        c4->SetChecked(true);
        c4->SetEnabled(false);

        auto* group = Place<TGroupBox>(this, 10, 130, 160, 80, "Output Setup");
        pal = Place<TRadioButton>(group, 10, 22, 120, 17, "&PAL");
        pal->SetChecked(true);
        Place<TRadioButton>(group, 10, 44, 120, 17, "&NTSC");

        auto* ratio = Place<TRadioGroup>(this, 180, 130, 200, 90, "Image Ratio Setting");
        ratio->Items()->Add("1:1  For square pixels");
        ratio->Items()->Add("4:3  For standard TV");
        ratio->Items()->Add("16:9 For wide screen TV");
        ratio->SetItemIndex(1);

        auto* cols = Place<TRadioGroup>(this, 10, 225, 370, 95, "Seven in two columns");
        for (const char* s : {"one", "two", "three", "four", "five", "six", "seven"}) cols->Items()->Add(s);
        cols->SetColumns(2);
        cols->SetItemIndex(4);

        const TBitmap glyph = PlayGlyph();
        int x = 395;
        for (int i = 0; i < 3; ++i, x += 25) {
            auto* s = Place<TSpeedButton>(this, x, 140, 25, 25);
            s->SetGlyph(glyph);
            s->SetGroupIndex(1);
            if (i == 1) s->SetDown(true);
        }
        auto* flat = Place<TSpeedButton>(this, 395, 175, 75, 25, "Flat");
        flat->SetFlat(true);
        flat->SetGlyph(glyph);
        auto* plain = Place<TSpeedButton>(this, 395, 205, 75, 25, "Play");
        plain->SetGlyph(glyph);
        auto* offSpeed = Place<TSpeedButton>(this, 395, 235, 75, 25, "Off");
        offSpeed->SetGlyph(glyph);
        offSpeed->SetEnabled(false);
        EndLoading();
    }
    TButton* ok = nullptr;
    TRadioButton* pal = nullptr;
};
} // namespace

int main(int argc, char** argv)
{
    TApplication app;
    if (argc == 3 && std::strcmp(argv[1], "--headless") == 0) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TButtonsDemoForm>(&app);
        form->Show();
        form->pal->SetFocus();
        HeadlessBackend()->Snapshot(*form)->SaveToFile(argv[2]);
        return 0;
    }
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TButtonsDemoForm* form = nullptr;
    app.CreateForm(form);
    // Once shown, the focus goes to a radio button (its frame shows).
    TTimer timer(nullptr);
    timer.SetInterval(200);
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        form->pal->SetFocus();
    };
    app.Run();
    return 0;
}

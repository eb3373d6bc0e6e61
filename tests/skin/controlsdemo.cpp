// Every skinned button, check box, progress bar and panel in each built-in
// style, one row per style: controlsdemo [--headless OUT.bmp].
#include "skin/kivbutton.h"
#include "skin/kivimagepanel.h"
#include "skin/kivprogressbar.h"
#include "skin/kivthemes.h"

#include "gfx/picture.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"
#include "vcl/qtbackend.h"

#include <cstring>
#include <string>

namespace {

const char* const kStyleNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass"};

class TControlsDemo : public TForm {
public:
    explicit TControlsDemo(TComponent* owner) : TForm(owner)
    {
        SetCaption("Skinned controls");
        SetBounds(20, 20, 980, 5 * 110 + 10);
        SetColor(RGB(0xE8, 0xE8, 0xF0));
        for (int s = 1; s <= 5; ++s) AddRow(static_cast<TkivUIStyle>(s), 10 + (s - 1) * 110);
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

    void AddRow(TkivUIStyle style, int top)
    {
        auto* label = Place<TkivImagePanel>(this, 10, top, 90, 100);
        label->SetCaption(kStyleNames[style]);
        label->SetColor(GetInsideThemeColor(style, 26));
        label->Font()->SetStyle(TFontStyles{fsBold});

        auto* ok = Place<TkivButton>(this, 110, top + 5, 80, 27);
        ok->SetUIStyle(style);
        ok->SetCaption("OK");
        ok->Font()->SetStyle(TFontStyles{fsBold});
        auto* off = Place<TkivButton>(this, 110, top + 38, 80, 27);
        off->SetUIStyle(style);
        off->SetCaption("Disabled");
        off->SetEnabled(false);
        auto* glyphButton = Place<TkivButton>(this, 110, top + 71, 80, 27);
        glyphButton->SetUIStyle(style);
        glyphButton->SetCaption("Next");
        TBitmap glyph(12, 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) glyph.SetPixel(x, y, x >= 3 && x - 3 <= y && x - 3 <= 11 - y ? clGreen : clWhite);
        glyphButton->SetGlyph(glyph);

        // An image button drawn from the style's button frames, as the program's pictures are.
        auto* image = Place<TkivImageButton>(this, 200, top + 5, 74, 21);
        TPicture* pics[4] = {image->PicNormal(), image->PicMouseOn(), image->PicMouseDown(), image->PicDisabled()};
        for (int f = 0; f < 3; ++f) {
            TBitmap frame;
            GetInsideThemeBitmap(style, 1, &frame, 3, f + 1);
            pics[f]->SetGraphic(&frame);
        }
        image->SetCaption("Back");
        image->SetTransparent(true);
        image->SetStretch(true);

        auto* up = Place<TkivArrowButton>(this, 200, top + 38, 17, 12);
        up->SetUIStyle(style);
        auto* down = Place<TkivArrowButton>(this, 200, top + 50, 17, 12);
        down->SetUIStyle(style);
        down->SetArrow(kivDown);
        auto* frameButton = Place<TkivControlButton>(this, 230, top + 40, 20, 20);
        frameButton->SetUIStyle(style);
        frameButton->SetThemeID(5);
        frameButton->SetPicCount(18);
        frameButton->SetPicIndex(16);
        // A title-bar picture: keyed where the style keys its title-bar buttons, as a title bar draws it.
        frameButton->SetPicTransparent(GetInsideThemeBool(style, 6));
        auto* speed = Place<TkivToolBarSpeedButton>(this, 200, top + 71, 18, 18);
        TBitmap tool(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) tool.SetPixel(x, y, (x / 4 + y / 4) % 2 ? clNavy : clWhite);
        tool.SetPixel(0, 15, clFuchsia);   // a glyph's key colour is its bottom-left pixel
        speed->SetGlyph(tool);

        auto* checked = Place<TkivCheckBox>(this, 290, top + 5, 93, 21);
        checked->SetUIStyle(style);
        checked->SetCaption("Add DVD menu.");
        checked->SetChecked(true);
        checked->SetTransparent(true);
        auto* unchecked = Place<TkivCheckBox>(this, 290, top + 30, 93, 21);
        unchecked->SetUIStyle(style);
        unchecked->SetCaption("Unchecked");
        unchecked->SetTransparent(true);
        auto* greyed = Place<TkivCheckBox>(this, 290, top + 55, 93, 21);
        greyed->SetUIStyle(style);
        greyed->SetCaption("Disabled");
        greyed->SetChecked(true);
        greyed->SetEnabled(false);
        greyed->SetTransparent(true);
        for (int k = 0; k < 2; ++k) {
            auto* radio = Place<TkivRadioButton>(this, 420, top + 5 + k * 25, 93, 21);
            radio->SetUIStyle(style);
            radio->SetCaption(k ? "PAL" : "NTSC");
            radio->SetTransparent(true);
            radio->SetGroupIndex(style);
            radio->SetChecked(k == 0);
        }

        auto* bar = Place<TkivProgressBar>(this, 520, top + 8, 200, 16);
        bar->SetUIStyle(style);
        bar->SetPosition(20 * static_cast<int>(style) - 10);
        auto* full = Place<TkivProgressBar>(this, 520, top + 34, 200, 16);
        full->SetUIStyle(style);
        full->SetPosition(100);
        auto* empty = Place<TkivProgressBar>(this, 520, top + 60, 200, 16);
        empty->SetUIStyle(style);
        empty->SetPosition(0);
        auto* vertical = Place<TkivProgressBar>(this, 730, top + 5, 14, 90);
        vertical->SetOrientation(kivVertical);
        vertical->SetUIStyle(style);
        vertical->SetPosition(65);

        auto* group = Place<TkivPanel>(this, 760, top, 200, 100);
        group->SetUIStyle(style);
        group->SetCaption("Output");
        group->Font()->SetStyle(TFontStyles{fsBold});
        auto* inner = Place<TkivImagePanel>(group, 0, 0, 10, 10);
        inner->SetAlign(alClient);
        inner->SetTransparent(true);
        inner->SetCaption("Transparent image panel");
    }
};

} // namespace

int main(int argc, char** argv)
{
    TApplication app;
    if (argc == 3 && std::strcmp(argv[1], "--headless") == 0) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TControlsDemo>(&app);
        form->Show();
        HeadlessBackend()->Snapshot(*form)->SaveToFile(argv[2]);
        return 0;
    }
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TControlsDemo* form = nullptr;
    app.CreateForm(form);
    app.Run();
    return 0;
}

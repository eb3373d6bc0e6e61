// Every skinned combo box and edit in each built-in style, one row per style:
// combosdemo [--headless OUT.bmp] [--drop] [--rtl]. With --drop the font box of
// the last row opens its list, its names drawn in their own fonts; --rtl reads
// right to left on a Middle-East locale.
#include "skin/kivcolorbox.h"
#include "skin/kivcombobox.h"
#include "skin/kivedit.h"
#include "skin/kivfontcombobox.h"
#include "skin/kivimagepanel.h"
#include "skin/kivthemes.h"

#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"
#include "vcl/qtbackend.h"
#include "vcl/timer.h"
#include "win32/progfolders.h"

#include <cstring>
#include <string>

namespace {

const char* const kStyleNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass"};
constexpr int kRow = 70;
bool rightToLeft = false;

class TCombosDemo : public TForm {
public:
    explicit TCombosDemo(TComponent* owner) : TForm(owner)
    {
        SetCaption("Skinned combo boxes and edits");
        SetBounds(20, 20, 1180, 5 * kRow + 60);
        SetColor(RGB(0xE8, 0xE8, 0xF0));
        Font()->SetName("Tahoma");
        if (rightToLeft) SetBiDiMode(bdRightToLeft);
        for (int s = 1; s <= 5; ++s) AddRow(static_cast<TkivUIStyle>(s), 10 + (s - 1) * kRow);
        auto* drives = Place<TkivDriveComboBox>(110, 5 * kRow + 20, 260, 21);
        drives->SetUIStyle(DeepBlue);
        auto* filters = Place<TkivFilterComboBox>(380, 5 * kRow + 20, 200, 21);
        filters->SetFilter("Video files (*.avi;*.mpg)|*.avi;*.mpg|VOB files (*.vob)|*.vob|All files (*.*)|*.*");
        filters->SetUIStyle(DeepBlue);
    }

    TkivFontComboBox* LastFontBox() const { return fontBox_; }

private:
    template <class T>
    T* Place(int x, int y, int w, int h)
    {
        auto* c = new T(this);
        c->SetParent(this);
        c->SetBounds(x, y, w, h);
        return c;
    }

    void AddRow(TkivUIStyle style, int top)
    {
        auto* label = Place<TkivImagePanel>(10, top, 90, kRow - 10);
        label->SetCaption(kStyleNames[style]);
        label->SetColor(GetInsideThemeColor(style, 26));
        label->Font()->SetStyle(TFontStyles{fsBold});

        // The program's look: a drop-down list with a black arrow on a light grey button.
        auto* list = Place<TkivComboBox>(110, top, 130, 21);
        list->SetUIStyle(style);
        list->SetStyle(csDropDownList);
        for (const char* s : {"5 minutes", "10 minutes", "15 minutes"}) list->Items()->Add(s);
        list->SetItemIndex(1);
        auto* editable = Place<TkivComboBox>(110, top + 30, 130, 21);
        editable->SetUIStyle(style);
        for (const char* s : {"English", "French", "German"}) editable->Items()->Add(s);
        editable->SetText("English");
        auto* off = Place<TkivComboBox>(250, top, 110, 21);
        off->SetUIStyle(style);
        off->SetStyle(csDropDownList);
        off->Items()->Add("Disabled");
        off->SetItemIndex(0);
        off->SetEnabled(false);
        auto* simple = Place<TkivComboBox>(250, top + 30, 110, 21);
        simple->SetUIStyle(style);
        simple->SetStyle(csSimple);
        simple->SetText("Simple");

        auto* fonts = Place<TkivFontComboBox>(370, top, 170, 21);
        fonts->SetUIStyle(style);
        fonts->SetUseFonts(true);
        fonts->SetFontName("Liberation Serif");
        fontBox_ = fonts;
        auto* sizes = Place<TkivFontSizeComboBox>(370, top + 30, 60, 21);
        sizes->SetUIStyle(style);
        sizes->SetFontName("Liberation Serif");
        sizes->SetFontSize(12);
        auto* colours = Place<TkivColorBox>(440, top + 30, 100, 21);
        colours->SetUIStyle(style);
        colours->SetStyle(cbStandardColors | cbExtendedColors | cbCustomColor | cbPrettyNames);
        colours->SetSelected(static_cast<TColor>(style) % 2 ? clNavy : clYellow);

        auto* edit = Place<TkivEdit>(550, top, 120, 21);
        edit->SetUIStyle(style);
        edit->SetText("DVD_DISC");
        edit->SetReadOnly(true);
        auto* mask = Place<TkivMaskEdit>(550, top + 30, 120, 21);
        mask->SetUIStyle(style);
        mask->SetEditMask("!90:00:00;1;_");
        mask->SetText("01:25:30");
        auto* number = Place<TkivNumberEdit>(680, top, 90, 21);
        number->SetUIStyle(style);
        number->SetValue(1234.5);
        auto* spin = Place<TkivSpinEdit>(680, top + 30, 55, 21);
        spin->SetUIStyle(style);
        spin->SetMaxValue(59);
        spin->SetValue(15 * static_cast<int>(style) % 60);
        auto* plain = Place<TkivEdit>(780, top, 160, 21);
        plain->SetUIStyle(style);
        plain->SetMaxLength(12);
        plain->SetText("Chapter title");
    }

    TkivFontComboBox* fontBox_ = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    bool drop = false;
    const char* headlessOut = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--drop") == 0) drop = true;
        else if (std::strcmp(argv[i], "--rtl") == 0) rightToLeft = true;
        else if (std::strcmp(argv[i], "--headless") == 0 && i + 1 < argc) headlessOut = argv[++i];
    }
    if (rightToLeft) SetUserLocale("ar_EG.UTF-8");
    TApplication app;
    if (headlessOut) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TCombosDemo>(&app);
        form->Show();
        HeadlessBackend()->Snapshot(*form)->SaveToFile(headlessOut);
        return 0;
    }
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TCombosDemo* form = nullptr;
    app.CreateForm(form);
    TTimer timer(nullptr);
    if (drop) {
        // The list opens once the window is up; its loop runs until the demo ends.
        timer.SetInterval(500);
        timer.OnTimer = [&](TObject*) {
            timer.SetEnabled(false);
            form->LastFontBox()->SetDroppedDown(true);
        };
        timer.SetEnabled(true);
    }
    app.Run();
    return 0;
}

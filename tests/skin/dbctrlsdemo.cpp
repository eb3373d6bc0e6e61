// A table of clips on one form of skinned data-aware controls: navigator,
// grid, edit, lookup combo box, check box, memo, radio group and picture:
// dbctrlsdemo [--style NAME] [--headless OUT.bmp] [--delete]. With --delete
// the navigator's Delete is pressed once the window is up, showing its question.
#include "skin/kivdbctrls.h"
#include "skin/kivimagepanel.h"
#include "skin/kivpublic.h"
#include "skin/kivthemes.h"

#include "data/memdataset.h"
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "rtl/classes.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/headless.h"
#include "vcl/qtbackend.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

const char* const kStyleNames[] = {"", "MacOS", "WinXP", "DeepBlue", "Protein", "BlueGlass"};
TkivUIStyle style = DeepBlue;

// A poster: a sky fading into the horizon, a sun and a ground line, as BMP bytes.
std::string Poster(TColor sky, TColor ground, double sunX)
{
    const int w = 160, h = 110;
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double t = static_cast<double>(y) / h;
            const auto mix = [&](int shift) {
                const int c = (sky >> shift) & 0xFF;
                return static_cast<int>(c + (255 - c) * t * 0.8);
            };
            TColor c = RGB(mix(0), mix(8), mix(16));
            if (std::hypot(x - sunX * w, y - 35.0) < 14) c = RGB(0xFF, 0xD8, 0x40);
            if (y > 80 + 6 * std::sin(x / 18.0)) c = ground;
            b.SetPixel(x, y, c);
        }
    TMemoryStream s;
    b.SaveToStream(s);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

class TDBDemo : public TForm {
public:
    explicit TDBDemo(TComponent* owner) : TForm(owner)
    {
        SetCaption(std::string("Skinned data-aware controls - ") + kStyleNames[style]);
        SetBounds(20, 20, 660, 405);
        SetColor(RGB(0xE8, 0xE8, 0xF0));
        Font()->SetName("Tahoma");
        FillTables();

        auto* header = Place<TkivImagePanel>(10, 10, 110, 30);
        header->SetCaption(kStyleNames[style]);
        header->SetColor(GetInsideThemeColor(style, 26));
        header->Font()->SetStyle(TFontStyles{fsBold});
        navigator_ = Place<TkivDBNavigator>(130, 10, 300, 30);
        navigator_->SetDataSource(&source_);
        navigator_->SetShowHint(true);

        auto* grid = Place<TkivDBGrid>(10, 50, 640, 130);
        grid->SetDataSource(&source_);

        Label("Title", 10, 196);
        Bound<TkivDBEdit>(80, 192, 180, 22, "Title");
        Label("Language", 10, 226);
        auto* language = Bound<TkivDBLookupComboBox>(80, 222, 180, 22, "Language");
        language->SetListSource(&languageSource_);
        language->SetKeyField("Code");
        language->SetListField("Name");
        auto* menu = Bound<TkivDBCheckBox>(80, 252, 180, 20, "Menu");
        menu->SetCaption("Add DVD menu");
        menu->SetTransparent(true);
        Label("Notes", 10, 282);
        auto* notes = Bound<TkivDBMemo>(80, 280, 180, 90, "Notes");
        auto* bar = Place<TkivScrollBar>(0, 0, 16, 16);
        notes->SetVScrollBar(bar);

        auto* standard = Bound<TkivDBRadioGroup>(280, 192, 170, 100, "Standard");
        standard->SetCaption("Television");
        for (const char* s : {"PAL", "NTSC", "Film"}) standard->Items()->Add(s);
        auto* wide = Bound<TkivDBCheckBox>(290, 302, 150, 20, "Aspect");
        wide->SetCaption("Widescreen");
        wide->SetTransparent(true);
        wide->SetValueChecked("16:9;wide");
        wide->SetValueUnchecked("4:3");

        Bound<TkivDBImage>(470, 192, 180, 130, "Poster");
        Label("Chapters", 280, 346);
        auto* chapters = Bound<TkivDBComboBox>(350, 342, 100, 22, "Chapters");
        for (const char* s : {"1", "2", "3", "4", "6", "8", "12"}) chapters->Items()->Add(s);
        Label("Disc", 470, 346);
        auto* discs = Bound<TkivDBLookupListBox>(510, 330, 140, 60, "Language");
        discs->SetListSource(&languageSource_);
        discs->SetKeyField("Code");
        discs->SetListField("Name");

        ContainerApplyUIStyle(this, style, nullptr);
        clips_.Next(); // the second record, so First and Prior are live too
    }

    TkivDBNavigator* Navigator() const { return navigator_; }

private:
    void FillTables()
    {
        clips_.AddFieldDef("Title", ftString, 24);
        clips_.AddFieldDef("Chapters", ftInteger);
        clips_.AddFieldDef("Minutes", ftFloat);
        clips_.AddFieldDef("Menu", ftBoolean);
        clips_.AddFieldDef("Standard", ftString, 4);
        clips_.AddFieldDef("Aspect", ftString, 5);
        clips_.AddFieldDef("Language", ftString, 3);
        clips_.AddFieldDef("Notes", ftMemo);
        clips_.AddFieldDef("Poster", ftBlob);
        clips_.Open();
        clips_.AppendRecord({std::string("Summer holiday"), 6, 42.5, true, std::string("PAL"), std::string("16:9"),
                             std::string("en"), std::string("Beach and harbour.\r\nSunset at the pier."),
                             Poster(RGB(0x20, 0x60, 0xC0), RGB(0xE0, 0xC8, 0x80), 0.7)});
        clips_.AppendRecord({std::string("Wedding"), 12, 95.0, true, std::string("NTSC"), std::string("4:3"),
                             std::string("fr"),
                             std::string("Church, then the garden party.\r\nSpeeches.\r\nFirst dance.\r\nCake.\r\n"
                                         "Fireworks.\r\nGuests leaving.\r\nThe long drive home."),
                             Poster(RGB(0x60, 0x30, 0x90), RGB(0x30, 0x80, 0x30), 0.25)});
        clips_.AppendRecord({std::string("Birthday"), 3, 18.25, false, std::string("Film"), std::string("wide"),
                             std::string("de"), std::string("Candles."),
                             Poster(RGB(0x10, 0x20, 0x50), RGB(0x50, 0x40, 0x30), 0.5)});
        clips_.AppendRecord({std::string("School play"), 4, 55.0, false, std::string("PAL"), std::string("4:3"),
                             std::string("en"), std::string(), TFieldValue{}});
        clips_.FieldByName("Notes")->SetVisible(false);
        clips_.FieldByName("Poster")->SetVisible(false);
        clips_.First();
        source_.SetDataSet(&clips_);

        languages_.AddFieldDef("Code", ftString, 3);
        languages_.AddFieldDef("Name", ftString, 20);
        languages_.Open();
        for (const auto& [code, name] : std::vector<std::pair<std::string, std::string>>{
                 {"de", "Deutsch"}, {"en", "English"}, {"fr", "Français"}, {"zh", "中文"}})
            languages_.AppendRecord({code, name});
        languageSource_.SetDataSet(&languages_);
    }

    template <class T>
    T* Place(int x, int y, int w, int h)
    {
        auto* c = new T(this);
        c->SetParent(this);
        c->SetBounds(x, y, w, h);
        return c;
    }
    template <class T>
    T* Bound(int x, int y, int w, int h, const std::string& field)
    {
        T* c = Place<T>(x, y, w, h);
        c->SetDataField(field);
        c->SetDataSource(&source_);
        return c;
    }
    void Label(const std::string& text, int x, int y) { Place<TLabel>(x, y, 64, 16)->SetCaption(text); }

    TMemoryDataSet clips_, languages_;
    TDataSource source_, languageSource_;
    TkivDBNavigator* navigator_ = nullptr;
};

} // namespace

int main(int argc, char** argv)
{
    const char* headlessOut = nullptr;
    bool pressDelete = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0 && i + 1 < argc) headlessOut = argv[++i];
        else if (std::strcmp(argv[i], "--delete") == 0) pressDelete = true;
        else if (std::strcmp(argv[i], "--style") == 0 && i + 1 < argc) {
            const std::string name = argv[++i];
            for (int s = 1; s <= 5; ++s)
                if (name == kStyleNames[s]) style = static_cast<TkivUIStyle>(s);
        }
    }
    TApplication app;
    if (headlessOut) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TDBDemo>(&app);
        form->Show();
        HeadlessBackend()->Snapshot(*form)->SaveToFile(headlessOut);
        return 0;
    }
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TDBDemo* form = nullptr;
    app.CreateForm(form);
    TTimer timer(nullptr);
    if (pressDelete) {
        // The question's own loop runs until the demo ends.
        timer.SetInterval(500);
        timer.OnTimer = [&](TObject*) {
            timer.SetEnabled(false);
            form->Navigator()->BtnClick(nbDelete);
        };
        timer.SetEnabled(true);
    }
    app.Run();
    return 0;
}

// A memo full of log lines, a list box and a string grid in each built-in
// style, first with their own scroll bars and then with skinned bars
// attached: listsdemo [--headless OUT.bmp] [--rtl] (right to left, Middle-East locale)
// [--variable] (list items of their own heights: one, two or three lines).
#include "skin/kivgrid.h"
#include "skin/kivimagepanel.h"
#include "skin/kivlistbox.h"
#include "skin/kivmemo.h"
#include "skin/kivscrollbar.h"
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
constexpr int kRow = 120, kCell = 170;
bool rightToLeft = false;
bool variableItems = false;

class TListsDemo : public TForm {
public:
    explicit TListsDemo(TComponent* owner) : TForm(owner)
    {
        SetCaption("Skinned memo, lists and grids");
        SetBounds(10, 10, 90 + 6 * kCell + 10, 5 * kRow + 10);
        SetColor(RGB(0xE8, 0xE8, 0xF0));
        if (rightToLeft) SetBiDiMode(bdRightToLeft);
        for (int s = 1; s <= 5; ++s) AddRow(static_cast<TkivUIStyle>(s), 10 + (s - 1) * kRow);
    }

private:
    template <class T>
    T* Place(int x, int y, int w, int h)
    {
        auto* c = new T(this);
        c->SetParent(this);
        c->SetBounds(x, y, w, h);
        return c;
    }

    TkivScrollBar* Bar(TkivUIStyle style)
    {
        auto* b = Place<TkivScrollBar>(0, 0, 16, 16);
        b->SetUIStyle(style);
        return b;
    }

    void AddRow(TkivUIStyle style, int top)
    {
        auto* label = Place<TkivImagePanel>(10, top, 70, kRow - 10);
        label->SetCaption(kStyleNames[style]);
        label->SetColor(GetInsideThemeColor(style, 26));
        label->Font()->SetStyle(TFontStyles{fsBold});
        for (int skinned = 0; skinned < 2; ++skinned) {
            const int left = 90 + skinned * 3 * kCell;
            auto* memo = Place<TkivMemo>(left, top, kCell - 10, kRow - 10);
            memo->SetUIStyle(style);
            memo->SetReadOnly(true);
            memo->SetWordWrap(false);
            memo->SetScrollBars(ssBoth);
            for (int i = 1; i <= 40; ++i)
                memo->Lines()->Add("Encoding clip " + std::to_string(i) + " of 40 >>> done in " +
                                   std::to_string(3 + i % 7) + " s");

            auto* list = Place<TkivListBox>(left + kCell, top, kCell - 10, kRow - 10);
            list->SetUIStyle(style);
            list->SetItemHeight(16);
            for (int i = 1; i <= 12; ++i) {
                std::string item = "Chapter " + std::to_string(i);
                if (variableItems && i % 3 == 2) item += " starts at 00:0" + std::to_string(i % 10) + ":00";
                if (variableItems && i % 3 == 0) item += "\nthe garden party,\nafter the speeches";
                list->Items()->Add(item);
            }
            if (variableItems) list->SetStyle(lbOwnerDrawVariable);
            list->SetItemIndex(2);

            auto* grid = Place<TkivStringGrid>(left + 2 * kCell, top, kCell - 10, kRow - 10);
            grid->SetUIStyle(style);
            // The selection colours the program's file grid uses.
            grid->SetFocusedColor(clHighlight);
            grid->SetSelectedColor(clMenuHighlight);
            grid->SetColCount(3);
            grid->SetRowCount(12);
            grid->SetFixedCols(0);
            grid->SetDefaultRowHeight(18);
            grid->SetColWidths(0, 90);
            grid->SetColWidths(1, 50);
            grid->SetColWidths(2, 50);
            grid->SetCells(0, 0, "File");
            grid->SetCells(1, 0, "Size");
            grid->SetCells(2, 0, "Time");
            for (int r = 1; r < 12; ++r) {
                grid->SetCells(0, r, "clip" + std::to_string(r) + ".vob");
                grid->SetCells(1, r, std::to_string(40 + 7 * r) + " MB");
                grid->SetCells(2, r, "0:0" + std::to_string(r % 10));
            }

            if (skinned) {
                memo->SetVScrollBar(Bar(style));
                memo->SetHScrollBar(Bar(style));
                list->SetVScrollBar(Bar(style));
                grid->SetVScrollBar(Bar(style));
                grid->SetHScrollBar(Bar(style));
            }
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    bool headless = false;
    const char* out = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rtl") == 0) rightToLeft = true;
        if (std::strcmp(argv[i], "--variable") == 0) variableItems = true;
        if (std::strcmp(argv[i], "--headless") == 0 && i + 1 < argc) headless = true, out = argv[++i];
    }
    if (rightToLeft) SetUserLocale("ar_EG.UTF-8");
    TApplication app;
    if (headless) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TListsDemo>(&app);
        form->Show();
        HeadlessBackend()->Snapshot(*form)->SaveToFile(out);
        return 0;
    }
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TListsDemo* form = nullptr;
    app.CreateForm(form);
    app.Run();
    return 0;
}

// A form holding every edit, list, combo box, grid and menu control, with its
// popup menu opened after start-up: for looking at the controls in a real
// window. vcltext_demo [--headless OUT.bmp] writes the headless picture instead.
#include "vcl/application.h"
#include "vcl/grids.h"
#include "vcl/headless.h"
#include "vcl/mask.h"
#include "vcl/menus.h"
#include "vcl/qtbackend.h"
#include "vcl/stdctrls_edit.h"
#include "vcl/stdctrls_list.h"
#include "vcl/timer.h"

#include <cstring>

namespace {
class TTextDemoForm : public TForm {
public:
    explicit TTextDemoForm(TComponent* owner) : TForm(owner)
    {
        BeginLoading();
        SetCaption("Edits, lists and menus");
        SetBounds(60, 60, 560, 400);
        SetColor(clBtnFace);
        SetPosition(poDesigned);
        edit = new TEdit(this);
        edit->SetParent(this);
        edit->SetBounds(10, 10, 180, 21);
        edit->SetText("DVD_DISC selected");
        mask = new TMaskEdit(this);
        mask->SetParent(this);
        mask->SetBounds(200, 10, 90, 21);
        mask->SetEditMask("!90:00:00;1;_");
        mask->SetMaskValue("01:25:30");
        combo = new TComboBox(this);
        combo->SetParent(this);
        combo->SetBounds(300, 10, 120, 21);
        combo->SetStyle(csDropDownList);
        for (const char* s : {"English", "French", "German"}) combo->Items()->Add(s);
        combo->SetItemIndex(0);
        free = new TComboBox(this);
        free->SetParent(this);
        free->SetBounds(430, 10, 120, 21);
        free->Items()->Add("600");
        free->SetText("900 seconds");
        memo = new TMemo(this);
        memo->SetParent(this);
        memo->SetBounds(10, 40, 280, 120);
        memo->SetScrollBars(ssVertical);
        memo->SetReadOnly(true);
        for (int i = 1; i <= 12; ++i) memo->Lines()->Add("Encoding clip " + std::to_string(i) + " >>>");
        memo->Lines()->Add("Process finished.");
        list = new TListBox(this);
        list->SetParent(this);
        list->SetBounds(300, 40, 120, 120);
        list->SetStyle(lbOwnerDrawFixed);
        list->SetItemHeight(16);
        for (int i = 1; i <= 12; ++i) list->Items()->Add(std::to_string(i));
        list->SetItemIndex(2);
        grid = new TStringGrid(this);
        grid->SetParent(this);
        grid->SetBounds(10, 170, 540, 220);
        grid->SetColCount(3);
        grid->SetRowCount(19);
        grid->SetFixedCols(0);
        grid->SetDefaultRowHeight(18);
        grid->SetColWidths(0, 358);
        grid->SetColWidths(1, 73);
        grid->SetColWidths(2, 73);
        grid->SetOptions(grid->Options() | goRowSelect);
        grid->SetCells(0, 0, "File Name");
        grid->SetCells(1, 0, "Type");
        grid->SetCells(2, 0, "Size (MB)");
        for (int r = 1; r <= 14; ++r) {
            grid->SetCells(0, r, "/home/user/DVD/VIDEO_TS/VTS_01_" + std::to_string(r) + ".VOB");
            grid->SetCells(1, r, "VOB");
            grid->SetCells(2, r, std::to_string(r * 37) + ".5");
        }
        grid->SetRow(2);
        popup = new TPopupMenu(this);
        for (const char* s : {"Delete", "-", "Delete All", "More"}) {
            auto* i = new TMenuItem(this);
            i->SetCaption(s);
            popup->Items()->Add(i);
        }
        popup->Items()->Items(0)->SetShortCut(ShortCut(VK_DELETE, 0));
        popup->Items()->Items(2)->SetChecked(true);
        popup->Items()->Items(3)->SetEnabled(false);
        grid->SetPopupMenu(popup);
        EndLoading();
    }
    TEdit* edit;
    TMaskEdit* mask;
    TComboBox* combo;
    TComboBox* free;
    TMemo* memo;
    TListBox* list;
    TStringGrid* grid;
    TPopupMenu* popup;
};
} // namespace

int main(int argc, char** argv)
{
    TApplication app;
    if (argc == 3 && std::strcmp(argv[1], "--headless") == 0) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TTextDemoForm>(&app);
        form->Show();
        form->edit->SetFocus();
        HeadlessBackend()->Snapshot(*form)->SaveToFile(argv[2]);
        return 0;
    }
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TTextDemoForm* form = nullptr;
    app.CreateForm(form);
    // Once shown, the popup menu opens over the grid (and stays open until closed).
    TTimer timer(nullptr);
    timer.SetInterval(300);
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        form->edit->SetFocus();
        form->edit->SelectAll();
        TPoint p = form->grid->ClientToScreen(Point(200, 80));
        form->popup->Popup(p.X, p.Y);
    };
    app.Run();
    return 0;
}

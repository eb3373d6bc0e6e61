#include "skin/frmthememgr.h"

#include "skin/kivbutton.h"
#include "skin/kivmgr.h"
#include "skin/kivskinnable.h"
#include "skin/kivthemefile.h"

#include "gfx/canvas.h"
#include "rtl/classes.h"
#include "vcl/dialogs.h"

#include <memory>

namespace {
constexpr const char* kThemeFileFilter = "Kivarna Theme File(*.kiv)|*.kiv";
}

// ---------------------------------------------------------------------------
TThemeMgrCheckList::TThemeMgrCheckList(TComponent* AOwner) : TCustomListBox(AOwner)
{
    SetStyle(lbOwnerDrawFixed);
    SetItemHeight(18);
}

bool TThemeMgrCheckList::Checked(int index) const
{
    return index >= 0 && index < static_cast<int>(checked_.size()) && checked_[static_cast<std::size_t>(index)];
}

void TThemeMgrCheckList::SetChecked(int index, bool value)
{
    if (index < 0 || index >= Count() || Checked(index) == value) return;
    if (static_cast<int>(checked_.size()) < Count()) checked_.resize(static_cast<std::size_t>(Count()), false);
    checked_[static_cast<std::size_t>(index)] = value;
    Invalidate();
}

void TThemeMgrCheckList::DrawItem(int Index, TRect R, TOwnerDrawState State)
{
    TCanvas& c = *Canvas();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(R);
    const TRect box = Bounds(R.Left + 3, R.Top + (R.Height() - BoxSize) / 2, BoxSize, BoxSize);
    c.Brush()->SetColor(Enabled() ? clWindow : clBtnFace);
    c.FillRect(box);
    c.Brush()->SetColor(clGray);
    c.FrameRect(box);
    if (Checked(Index)) {
        c.Pen()->SetColor(Enabled() ? clWindowText : clGrayText);
        c.Pen()->SetWidth(1);
        // A tick two pixels thick.
        for (int d = 0; d < 2; ++d) {
            c.MoveTo(box.Left + 3, box.Top + 6 + d);
            c.LineTo(box.Left + 5, box.Top + 8 + d);
            c.LineTo(box.Left + 10, box.Top + 3 + d);
        }
    }
    TRect text = R;
    text.Left = box.Right + 4;
    c.Brush()->SetColor((State & odSelected) ? clHighlight : Color());
    c.FillRect(text);
    c.Font()->Assign(*Font());
    c.Font()->SetColor((State & odSelected) ? clHighlightText : Font()->Color());
    c.Brush()->SetStyle(bsClear);
    c.TextOut(text.Left + 2, text.Top + (text.Height() - c.TextHeight("Ag")) / 2, Items()->Get(Index));
}

void TThemeMgrCheckList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomListBox::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    const int index = ItemAtPos(Point(X, Y), true);
    if (index >= 0 && X < ItemRect(index).Left + 3 + BoxSize + 2) SetChecked(index, !Checked(index));
}

void TThemeMgrCheckList::KeyPress(char& Key)
{
    if (Key == ' ' && ItemIndex() >= 0) {
        SetChecked(ItemIndex(), !Checked(ItemIndex()));
        Key = 0;
        return;
    }
    TCustomListBox::KeyPress(Key);
}

// ---------------------------------------------------------------------------
TfrmMgr::TfrmMgr(TComponent* AOwner) : TForm(AOwner)
{
    BeginLoading();
    SetCaption("Theme Manager - Kivarna");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(233);
    SetClientHeight(301);

    List = new TThemeMgrCheckList(this);
    List->SetName("List");
    List->SetParent(this);
    List->SetBounds(8, 8, 217, 250);
    List->SetColor(clWindow);

    auto button = [this](const char* name, const char* caption, int left, int width) {
        auto* b = new TkivButton(this);
        b->SetName(name);
        b->SetParent(this);
        b->SetCaption(caption);
        b->SetBounds(left, 268, width, 25);
        return b;
    };
    btn_unsel = button("btn_unsel", "&Unselect all", 8, 80);
    btn_sel = button("btn_sel", "&Select all", 94, 70);
    btn_ok = button("btn_ok", "&OK", 170, 55);
    btn_ok->SetDefault(true);
    btn_ok->SetModalResult(mrOk);
    btn_unsel->OnClick = [this](TObject*) { CheckAll(false); };
    btn_sel->OnClick = [this](TObject*) { CheckAll(true); };
    EndLoading();
}

void TfrmMgr::CheckAll(bool value)
{
    for (int i = 0; i < List->Count(); ++i) List->SetChecked(i, value);
}

// ---------------------------------------------------------------------------
bool ThemeManagerEdit(TkivThemeManager* manager)
{
    if (!manager || !manager->Owner()) return false;
    TComponent* form = manager->Owner();
    std::unique_ptr<TfrmMgr> dialog(NewForm<TfrmMgr>(nullptr));
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* c = form->Components(i);
        if (!dynamic_cast<ISkinnable*>(c) || c->Name().empty()) continue;
        const int index = dialog->List->Items()->Add(c->Name());
        dialog->List->SetChecked(index, manager->CompList().IndexOf(c->Name()) >= 0);
    }
    if (dialog->ShowModal() != mrOk) return false;
    TStringList chosen;
    for (int i = 0; i < dialog->List->Count(); ++i)
        if (dialog->List->Checked(i)) chosen.Add(dialog->List->Items()->Get(i));
    manager->SetList(chosen);
    manager->UpdateAll();
    return true;
}

namespace {

std::string PickThemeFile()
{
    TOpenDialog dialog(nullptr);
    dialog.Filter = kThemeFileFilter;
    dialog.DefaultExt = "kiv";
    return dialog.Execute() ? dialog.FileName : std::string();
}

} // namespace

bool FileThemeEdit(TkivFileTheme* theme)
{
    if (!theme) return false;
    const std::string file = PickThemeFile();
    if (file.empty()) return false;
    theme->SetThemeFile(file);
    return true;
}

bool BuiltInFileThemeEdit(TkivBuiltInFileTheme* theme)
{
    if (!theme) return false;
    const std::string file = PickThemeFile();
    if (file.empty()) return false;
    if (!IsKIVThemeFile(file)) throw EKivThemeFileError(kInvalidSkinFile);
    TMemoryStream bytes;
    bytes.LoadFromFile(file);
    theme->SetSkinData({bytes.Memory(), static_cast<std::size_t>(bytes.Size())});
    return true;
}

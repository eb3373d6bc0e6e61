// Skinned data-aware controls on a small in-memory table of clips: the check
// box and radio group bound to fields, the navigator's buttons, sizes, repeat
// and delete question, the grid's colours and editing, the lookup combo box,
// and the framework's controls in their skin following the cursor.
#include "kivcontrols_fixture.h"

#include "skin/kivdbctrls.h"
#include "skin/kivmgr.h"
#include "skin/kivpublic.h"
#include "skin/kivresources.h"
#include "skin/kivthemefile.h"
#include "skin/kivthemes.h"

#include "data/memdataset.h"
#include "rtl/classes.h"
#include "rtl/paths.h"
#include "win32/progfolders.h"
#include "vcl/winuser.h"

namespace {

class KivDBControls : public KivControlsTest {
protected:
    void SetUp() override
    {
        KivControlsTest::SetUp();
        form->SetBounds(10, 10, 640, 420);
        clips.AddFieldDef("Title", ftString, 20);
        clips.AddFieldDef("Menu", ftBoolean);
        clips.AddFieldDef("Widescreen", ftString, 6);
        clips.AddFieldDef("Standard", ftString, 4);
        clips.AddFieldDef("Notes", ftMemo);
        clips.AddFieldDef("Language", ftString, 3);
        clips.Open();
        clips.AppendRecord({std::string("Holiday"), true, std::string("YES"), std::string("PAL"),
                            std::string("Beach"), std::string("en")});
        clips.AppendRecord({std::string("Wedding"), false, std::string("no"), std::string("NTSC"),
                            std::string("Church"), std::string("fr")});
        clips.AppendRecord({std::string("Birthday"), TFieldValue{}, TFieldValue{}, std::string("Film"),
                            TFieldValue{}, std::string("de")});
        clips.First();
        source.SetDataSet(&clips);

        languages.AddFieldDef("Code", ftString, 3);
        languages.AddFieldDef("Name", ftString, 20);
        languages.Open();
        for (const auto& [code, name] : std::vector<std::pair<std::string, std::string>>{
                 {"de", "Deutsch"}, {"en", "English"}, {"fr", "Français"}})
            languages.AppendRecord({code, name});
        languageSource.SetDataSet(&languages);
    }

    template <class T>
    T* Place(int x, int y, int w, int h, const std::string& field = {})
    {
        auto* c = new T(form);
        c->SetParent(form);
        c->SetBounds(x, y, w, h);
        if constexpr (requires { c->SetDataField(field); }) c->SetDataField(field);
        if constexpr (requires { c->SetDataSource(&source); }) c->SetDataSource(&source);
        return c;
    }

    TkivDBNavigator* Navigator(int width = 250)
    {
        auto* nav = Place<TkivDBNavigator>(10, 10, width, 30);
        form->Show();
        return nav;
    }
    // Presses navigator button `b` with the mouse (held until MouseUp).
    void Press(TkivDBNavigator* nav, TkivNavigateBtn b)
    {
        const TkivNavButton* button = nav->Buttons(b);
        const int x = nav->Left() + button->Left() + button->Width() / 2, y = nav->Top() + button->Top() + 10;
        headless->MouseMove(*form, x, y);
        headless->MouseDown(*form, x, y);
    }
    void Release(TkivDBNavigator* nav, TkivNavigateBtn b)
    {
        const TkivNavButton* button = nav->Buttons(b);
        headless->MouseUp(*form, nav->Left() + button->Left() + button->Width() / 2, nav->Top() + button->Top() + 10);
    }
    void Tick(int ms)
    {
        clock.Advance(static_cast<std::uint64_t>(ms));
        app->ProcessMessages();
    }
    std::vector<bool> EnabledButtons(const TkivDBNavigator* nav) const
    {
        std::vector<bool> out;
        for (int i = 0; i < kivNavButtonCount; ++i) out.push_back(nav->Buttons(static_cast<TkivNavigateBtn>(i))->Enabled());
        return out;
    }
    // A click at the control's centre once the form has painted (a check box
    // takes its size from its picture and caption as it paints).
    void Tap(TControl& c)
    {
        headless->MouseMove(*form, 0, 0);
        headless->ClickControl(c);
    }
    TField* F(const std::string& name) { return clips.FieldByName(name); }

    TMemoryDataSet clips, languages;
    TDataSource source, languageSource;
};

} // namespace

TEST_F(KivDBControls, CheckBoxShowsABooleanOrATextMatchingValueChecked)
{
    auto* menu = Place<TkivDBCheckBox>(10, 10, 120, 20, "Menu");
    auto* wide = Place<TkivDBCheckBox>(10, 40, 120, 20, "Widescreen");
    wide->SetValueChecked("yes;wide;16:9");
    wide->SetValueUnchecked("no;narrow");
    form->Show();
    EXPECT_TRUE(menu->Checked());
    EXPECT_TRUE(wide->Checked()); // "YES" against "yes": case ignored
    clips.Next();
    EXPECT_FALSE(menu->Checked());
    EXPECT_FALSE(wide->Checked());
    clips.Next(); // nulls
    EXPECT_FALSE(menu->Checked());
    EXPECT_FALSE(wide->Checked());
    wide->SetValueChecked("");
    clips.First();
    EXPECT_FALSE(wide->Checked()); // no entry matches "YES"
    wide->SetValueChecked("Wide;YeS");
    EXPECT_TRUE(wide->Checked()); // a later entry matches too
    // No field (a name the table lacks) leaves it unchecked.
    auto* none = Place<TkivDBCheckBox>(10, 70, 120, 20, "Nothing");
    EXPECT_FALSE(none->Checked());
}

TEST_F(KivDBControls, CheckBoxWritesTheBooleanOrTheFirstEntryBack)
{
    auto* menu = Place<TkivDBCheckBox>(10, 10, 120, 20, "Menu");
    auto* wide = Place<TkivDBCheckBox>(10, 40, 120, 20, "Widescreen");
    wide->SetValueChecked("Wide;yes");
    wide->SetValueUnchecked("Narrow;no");
    form->Show();
    Tap(*menu);
    EXPECT_EQ(clips.State(), dsEdit);
    EXPECT_FALSE(menu->Checked());
    Tap(*wide);
    EXPECT_FALSE(wide->Checked());
    clips.Post();
    EXPECT_FALSE(F("Menu")->AsBoolean());
    EXPECT_EQ(F("Widescreen")->AsString(), "Narrow");

    clips.Next(); // "no": unchecked; a toggle writes the first checked entry
    Tap(*wide);
    Tap(*menu);
    clips.Post();
    EXPECT_EQ(F("Widescreen")->AsString(), "Wide");
    EXPECT_TRUE(F("Menu")->AsBoolean());
    EXPECT_TRUE(wide->Checked());

    // A null Boolean toggles to true.
    clips.Next();
    Tap(*menu);
    clips.Post();
    EXPECT_FALSE(F("Menu")->IsNull());
    EXPECT_TRUE(F("Menu")->AsBoolean());
}

TEST_F(KivDBControls, CheckBoxIgnoresAToggleTheLinkRefusesAndEscapeBringsTheFieldBack)
{
    auto* menu = Place<TkivDBCheckBox>(10, 10, 120, 20, "Menu");
    form->Show();
    menu->SetReadOnly(true);
    Tap(*menu);
    EXPECT_TRUE(menu->Checked());
    EXPECT_EQ(clips.State(), dsBrowse);
    menu->SetReadOnly(false);

    source.SetAutoEdit(false); // a browsing set stays browsing
    Tap(*menu);
    EXPECT_TRUE(menu->Checked());
    source.SetAutoEdit(true);

    F("Menu")->SetReadOnly(true);
    Tap(*menu);
    EXPECT_TRUE(menu->Checked());
    EXPECT_EQ(clips.State(), dsBrowse);
    F("Menu")->SetReadOnly(false);

    clips.SetReadOnly(true);
    menu->SetFocus();
    headless->PressKey(VK_SPACE);
    EXPECT_TRUE(menu->Checked());
    clips.SetReadOnly(false);

    // Escape: the field's value comes back.
    Tap(*menu);
    EXPECT_FALSE(menu->Checked());
    menu->SetFocus();
    headless->PressKey(VK_ESCAPE);
    EXPECT_TRUE(menu->Checked());
    clips.Post();
    EXPECT_TRUE(F("Menu")->AsBoolean());
}

TEST_F(KivDBControls, RadioGroupSelectsByValuesOrCaptionsAndAClickWritesTheValue)
{
    auto* group = Place<TkivDBRadioGroup>(10, 10, 200, 110, "Standard");
    group->Items()->Add("PAL");
    group->Items()->Add("NTSC television");
    group->Items()->Add("Film");
    TStringList values;
    values.Add("");
    values.Add("NTSC");
    group->SetValues(values);
    form->Show();
    // "PAL" by its caption (no value of its own), "NTSC" by its value.
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_EQ(group->Value(), "PAL");
    clips.Next();
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(group->ButtonValue(1), "NTSC");
    clips.Next();
    EXPECT_EQ(group->ItemIndex(), 2);
    // A value the group does not list selects nothing.
    clips.Edit();
    F("Standard")->SetAsString("SECAM");
    EXPECT_EQ(group->ItemIndex(), -1);
    clips.Cancel();
    EXPECT_EQ(group->ItemIndex(), 2);

    // A click writes the button's value, not its caption.
    Tap(*group->Buttons(1));
    EXPECT_EQ(clips.State(), dsEdit);
    EXPECT_EQ(group->ItemIndex(), 1);
    clips.Post();
    EXPECT_EQ(F("Standard")->AsString(), "NTSC");

    // Escape brings the field's value back.
    Tap(*group->Buttons(0));
    EXPECT_EQ(group->ItemIndex(), 0);
    headless->PressKey(VK_ESCAPE);
    EXPECT_EQ(group->ItemIndex(), 1);
    clips.Post();
    EXPECT_EQ(F("Standard")->AsString(), "NTSC");

    // Leaving the group writes the choice into the record, which stays in edit mode.
    auto* other = Place<TkivDBEdit>(300, 10, 100, 22, "Title");
    Tap(*group->Buttons(2));
    other->SetFocus();
    EXPECT_EQ(clips.State(), dsEdit);
    EXPECT_EQ(F("Standard")->AsString(), "Film");
    clips.Cancel();
    EXPECT_EQ(group->ItemIndex(), 1);

    // A read-only group keeps its choice.
    group->SetReadOnly(true);
    const int was = group->ItemIndex();
    Tap(*group->Buttons(was == 0 ? 1 : 0));
    EXPECT_EQ(group->ItemIndex(), was);
    EXPECT_EQ(clips.State(), dsBrowse);

    // New items show the field's value again.
    group->SetReadOnly(false);
    clips.First();
    group->Values()->Clear();
    group->Items()->Clear();
    group->Items()->Add("Film");
    group->Items()->Add("PAL");
    EXPECT_EQ(group->ItemIndex(), 1);
}

TEST_F(KivDBControls, NavigatorEnablesItsButtonsByPlaceAndState)
{
    auto* nav = Navigator();
    nav->SetDataSource(nullptr);
    // No source: nothing to press.
    EXPECT_EQ(EnabledButtons(nav), std::vector<bool>(10, false));
    nav->SetDataSource(&source);
    //                              first  prior  next  last  insert delete edit  post   cancel refresh
    EXPECT_EQ(EnabledButtons(nav), (std::vector<bool>{false, false, true, true, true, true, true, false, false, true}));
    clips.Next();
    EXPECT_EQ(EnabledButtons(nav), (std::vector<bool>{true, true, true, true, true, true, true, false, false, true}));
    clips.Last();
    EXPECT_EQ(EnabledButtons(nav), (std::vector<bool>{true, true, false, false, true, true, true, false, false, true}));
    clips.Edit();
    EXPECT_EQ(EnabledButtons(nav), (std::vector<bool>{true, true, false, false, true, true, false, true, true, true}));
    clips.Cancel();
    clips.Close();
    clips.SetReadOnly(true);
    clips.Open();
    EXPECT_EQ(EnabledButtons(nav), (std::vector<bool>{false, false, true, true, false, false, false, false, false, true}));
    clips.Close();
    clips.SetReadOnly(false);
    clips.Open();
    nav->SetEnabled(false);
    EXPECT_EQ(EnabledButtons(nav), std::vector<bool>(10, false));
    nav->SetEnabled(true);
    clips.Close();
    EXPECT_EQ(EnabledButtons(nav), std::vector<bool>(10, false));
    clips.Open();
    EXPECT_TRUE(nav->Buttons(nbNext)->Enabled());

    // An empty table: no moves, nothing to delete, but inserting.
    TMemoryDataSet empty;
    empty.AddFieldDef("Title", ftString, 10);
    empty.Open();
    TDataSource emptySource;
    emptySource.SetDataSet(&empty);
    nav->SetDataSource(&emptySource);
    EXPECT_EQ(EnabledButtons(nav), (std::vector<bool>{false, false, false, false, true, false, true, false, false, true}));
    nav->SetDataSource(nullptr);
}

TEST_F(KivDBControls, NavigatorButtonsMoveAndChangeTheRecords)
{
    auto* nav = Navigator();
    nav->SetDataSource(&source);
    for (int i = 0; i < kivNavButtonCount; ++i) {
        EXPECT_FALSE(nav->Buttons(static_cast<TkivNavigateBtn>(i))->Glyph()->Empty()) << i;
        EXPECT_FALSE(nav->Buttons(static_cast<TkivNavigateBtn>(i))->TabStop());
    }
    EXPECT_EQ(nav->Buttons(nbFirst)->Hint(), "第一条记录");
    EXPECT_EQ(nav->Buttons(nbRefresh)->Hint(), "刷新数据");
    Tap(*nav->Buttons(nbLast));
    EXPECT_EQ(clips.RecNo(), 3);
    Tap(*nav->Buttons(nbPrior));
    EXPECT_EQ(clips.RecNo(), 2);
    Tap(*nav->Buttons(nbFirst));
    EXPECT_EQ(clips.RecNo(), 1);
    Tap(*nav->Buttons(nbNext));
    EXPECT_EQ(clips.RecNo(), 2);
    Tap(*nav->Buttons(nbEdit));
    EXPECT_EQ(clips.State(), dsEdit);
    F("Title")->SetAsString("Wedding day");
    Tap(*nav->Buttons(nbCancel));
    EXPECT_EQ(F("Title")->AsString(), "Wedding");
    Tap(*nav->Buttons(nbEdit));
    F("Title")->SetAsString("Wedding day");
    Tap(*nav->Buttons(nbPost));
    EXPECT_EQ(clips.State(), dsBrowse);
    EXPECT_EQ(F("Title")->AsString(), "Wedding day");
    Tap(*nav->Buttons(nbInsert));
    EXPECT_EQ(clips.State(), dsInsert);
    F("Title")->SetAsString("Party");
    Tap(*nav->Buttons(nbPost));
    EXPECT_EQ(clips.RecordCount(), 4);

    // Delete asks first, captioned "确认"; No keeps the record.
    headless->AnswerNextMessageBox(IDNO);
    Tap(*nav->Buttons(nbDelete));
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "删除记录？");
    EXPECT_EQ(headless->MessageBoxes()[0].caption, "确认");
    EXPECT_EQ(headless->MessageBoxes()[0].flags & MB_YESNO, static_cast<unsigned>(MB_YESNO));
    EXPECT_EQ(clips.RecordCount(), 4);
    headless->AnswerNextMessageBox(IDYES);
    const std::string doomed = F("Title")->AsString();
    Tap(*nav->Buttons(nbDelete));
    EXPECT_EQ(clips.RecordCount(), 3);
    EXPECT_NE(F("Title")->AsString(), doomed);
    // Without confirmation nothing is asked.
    nav->SetConfirmDelete(false);
    Tap(*nav->Buttons(nbDelete));
    EXPECT_EQ(clips.RecordCount(), 2);
    EXPECT_EQ(headless->MessageBoxes().size(), 2u);
}

TEST_F(KivDBControls, NavigatorSharesItsWidthAndParksHiddenButtons)
{
    auto* fresh = new TkivDBNavigator(form);
    EXPECT_EQ(fresh->Width(), 250); // the default size
    EXPECT_EQ(fresh->Height(), 30);
    fresh->Free();
    auto* nav = Navigator(253);
    // 253 / 10 = 25, the three spare pixels to the first three buttons.
    int x = 0;
    for (int i = 0; i < kivNavButtonCount; ++i) {
        const TkivNavButton* b = nav->Buttons(static_cast<TkivNavigateBtn>(i));
        EXPECT_EQ(b->Left(), x) << i;
        EXPECT_EQ(b->Width(), i < 3 ? 26 : 25) << i;
        EXPECT_EQ(b->Height(), 30);
        x += b->Width();
    }
    EXPECT_EQ(x, 253);

    // Four visible buttons in 103 pixels: 26, 26, 26, 25; the rest wait right of the panel.
    nav->SetVisibleButtons((1u << nbFirst) | (1u << nbPrior) | (1u << nbNext) | (1u << nbLast));
    nav->SetBounds(10, 10, 103, 24);
    EXPECT_EQ(nav->Buttons(nbFirst)->Left(), 0);
    EXPECT_EQ(nav->Buttons(nbPrior)->Left(), 26);
    EXPECT_EQ(nav->Buttons(nbNext)->Left(), 52);
    EXPECT_EQ(nav->Buttons(nbLast)->Left(), 78);
    EXPECT_EQ(nav->Buttons(nbLast)->Width(), 25);
    for (TkivNavigateBtn hidden : {nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh}) {
        EXPECT_FALSE(nav->Buttons(hidden)->Visible());
        EXPECT_GT(nav->Buttons(hidden)->Left(), nav->Width() - 1);
    }
    // Too narrow a panel grows to a few pixels a button.
    nav->SetBounds(10, 10, 5, 2);
    EXPECT_GE(nav->Width(), 4 * 8);
    EXPECT_GE(nav->Height(), 8);
    for (TkivNavigateBtn shown : {nbFirst, nbPrior, nbNext, nbLast}) EXPECT_GT(nav->Buttons(shown)->Width(), 0);
}

TEST_F(KivDBControls, PriorAndNextRepeatAfter400msThenEvery100msWhileHeld)
{
    clips.AppendRecord({std::string("A")});
    clips.AppendRecord({std::string("B")});
    clips.AppendRecord({std::string("C")});
    clips.AppendRecord({std::string("D")});
    clips.First();
    auto* nav = Navigator();
    nav->SetDataSource(&source);
    Press(nav, nbNext);
    EXPECT_EQ(clips.RecNo(), 1); // a click happens on release
    Tick(399);
    EXPECT_EQ(clips.RecNo(), 1);
    Tick(1);
    EXPECT_EQ(clips.RecNo(), 2);
    Tick(99);
    EXPECT_EQ(clips.RecNo(), 2);
    Tick(1);
    EXPECT_EQ(clips.RecNo(), 3);
    Tick(100);
    EXPECT_EQ(clips.RecNo(), 4);
    Release(nav, nbNext);
    EXPECT_EQ(clips.RecNo(), 5); // and the release's click
    Tick(1000);
    EXPECT_EQ(clips.RecNo(), 5);

    // The next press starts with the long pause again.
    Press(nav, nbPrior);
    Tick(100);
    EXPECT_EQ(clips.RecNo(), 5);
    Tick(300);
    EXPECT_EQ(clips.RecNo(), 4);
    Release(nav, nbPrior);
    EXPECT_EQ(clips.RecNo(), 3);

    // Last never repeats.
    Press(nav, nbLast);
    Tick(1000);
    clips.First();
    Tick(1000);
    EXPECT_EQ(clips.RecNo(), 1);
    Release(nav, nbLast);
    EXPECT_EQ(clips.RecNo(), 7);
}

TEST_F(KivDBControls, NavigatorArrowKeysMoveTheRecord)
{
    auto* nav = Navigator();
    nav->SetDataSource(&source);
    nav->SetTabStop(true);
    nav->SetFocus();
    headless->PressKey(VK_END);
    EXPECT_EQ(clips.RecNo(), 3);
    headless->PressKey(VK_LEFT);
    EXPECT_EQ(clips.RecNo(), 2);
    headless->PressKey(VK_HOME);
    EXPECT_EQ(clips.RecNo(), 1);
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(clips.RecNo(), 2);
}

TEST_F(KivDBControls, GridTakesItsColoursAndEditsACellThroughToThePost)
{
    F("Notes")->SetVisible(false);
    auto* grid = Place<TkivDBGrid>(10, 10, 500, 150);
    auto* other = Place<TkivDBEdit>(10, 300, 100, 22, "Language");
    EXPECT_EQ(grid->FocusedColor(), static_cast<TColor>(0x008000));
    EXPECT_EQ(grid->SelectedColor(), static_cast<TColor>(0x00FFFF));
    for (TkivUIStyle style : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
        grid->SetUIStyle(style);
        EXPECT_EQ(grid->BorderColor(), static_cast<TColor>(GetInsideThemeColor(style, 25)));
        EXPECT_EQ(grid->FixedBGColor(), static_cast<TColor>(GetInsideThemeColor(style, 19)));
        EXPECT_EQ(grid->BGColor(), static_cast<TColor>(GetInsideThemeColor(style, 26)));
        EXPECT_EQ(grid->TitleFontColor(), static_cast<TColor>(GetInsideThemeColor(style, 20)));
        const auto font = static_cast<TColor>(GetInsideThemeColor(style, 22));
        EXPECT_EQ(grid->FontColor(), font == clWhite ? clBlack : font);
    }
    // A theme file with a white font: drawn black.
    const std::string dir = MakeTempFolder("kivdbgrid");
    {
        TkivThemeFileWriter w(dir + "/white.kiv");
        w.AddInteger("MenuFontColor", 0xFFFFFF);
    }
    auto* theme = new TkivFileTheme(form);
    theme->SetThemeFile(dir + "/white.kiv");
    grid->SetFileTheme(theme);
    grid->SetUIStyle(FromThemeFile);
    EXPECT_EQ(grid->FontColor(), clBlack);
    theme->Free();
    EXPECT_EQ(grid->UIStyle(), DeepBlue);
    DeleteFilesIn(dir, false);
    RemoveDir(dir);

    grid->SetBGColor(clWhite);
    grid->SetTitleFontColor(clRed);
    form->Show();
    // A cell's fill, away from its text and focus frame.
    auto fill = [&](int col, int row) {
        const TRect r = grid->CellRect(col, row);
        return At(grid->Left() + r.Right - 4, grid->Top() + r.Bottom - 4);
    };
    // The current cell: selected (yellow) without the focus, green with it; others white.
    other->SetFocus();
    EXPECT_EQ(fill(1, 1), clYellow);
    EXPECT_EQ(fill(2, 2), clWhite);
    grid->SetFocus();
    EXPECT_EQ(fill(1, 1), clGreen);
    // Titles in the title colour.
    const TRect title = grid->CellRect(1, 0);
    int red = 0;
    for (int y = title.Top; y < title.Bottom; ++y)
        for (int x = title.Left; x < title.Right; ++x)
            if (At(grid->Left() + x, grid->Top() + y) == clRed) ++red;
    EXPECT_GT(red, 5);

    // Editing a cell: typing opens the editor, Enter posts.
    headless->TypeText("Trip");
    ASSERT_TRUE(grid->EditorMode());
    headless->PressKey(VK_RETURN);
    EXPECT_EQ(clips.State(), dsBrowse);
    EXPECT_EQ(F("Title")->AsString(), "Trip");
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(clips.RecNo(), 2);
    EXPECT_EQ(other->Text(), "fr");
}

TEST_F(KivDBControls, SkinnedFrameworkControlsFollowTheCursorInTheSkinsBorder)
{
    auto* edit = Place<TkivDBEdit>(10, 10, 150, 22, "Title");
    auto* memo = Place<TkivDBMemo>(10, 40, 150, 60, "Notes");
    auto* lookup = Place<TkivDBLookupComboBox>(10, 110, 150, 22, "Language");
    lookup->SetListSource(&languageSource);
    lookup->SetKeyField("Code");
    lookup->SetListField("Name");
    auto* list = Place<TkivDBListBox>(200, 10, 120, 60);
    for (const char* s : {"PAL", "NTSC", "Film"}) list->Items()->Add(s);
    list->SetDataField("Standard");
    auto* lookupList = Place<TkivDBLookupListBox>(200, 80, 120, 60, "Language");
    lookupList->SetListSource(&languageSource);
    lookupList->SetKeyField("Code");
    lookupList->SetListField("Name");
    auto* combo = Place<TkivDBComboBox>(200, 150, 120, 22);
    for (const char* s : {"PAL", "NTSC", "Film"}) combo->Items()->Add(s);
    combo->SetDataField("Standard");
    auto* image = Place<TkivDBImage>(350, 10, 80, 60);
    form->Show();

    EXPECT_EQ(edit->Text(), "Holiday");
    EXPECT_EQ(memo->Text(), "Beach");
    EXPECT_EQ(lookup->Text(), "English");
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(lookupList->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "PAL");
    clips.Next();
    EXPECT_EQ(edit->Text(), "Wedding");
    EXPECT_EQ(memo->Text(), "Church");
    EXPECT_EQ(lookup->Text(), "Français");
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "NTSC");
    clips.Next();
    EXPECT_EQ(memo->Text(), "");
    EXPECT_EQ(lookup->Text(), "Deutsch");

    // Typing into the skinned edit edits the record; the memo writes back on leaving.
    edit->SetFocus();
    headless->PressKey(VK_END);
    headless->TypeText("!");
    memo->SetFocus();
    headless->TypeText("Cake");
    edit->SetFocus();
    clips.Post();
    EXPECT_EQ(F("Title")->AsString(), "Birthday!");
    EXPECT_EQ(F("Notes")->AsString(), "Cake");

    // Each wears the skin's border in its style's border colour.
    const auto border = static_cast<TColor>(GetInsideThemeColor(DeepBlue, 25));
    int i = 0;
    for (TControl* c : std::initializer_list<TControl*>{edit, memo, lookup, list, lookupList, combo, image})
        EXPECT_EQ(At(c->Left(), c->Top() + c->Height() / 2), border) << i++;
    image->SetUIStyle(MacOS);
    memo->SetUIStyle(MacOS);
    EXPECT_EQ(image->BorderColor(), static_cast<TColor>(GetInsideThemeColor(MacOS, 25)));
    EXPECT_EQ(At(image->Left(), image->Top() + 30), image->BorderColor());
    EXPECT_EQ(At(memo->Left(), memo->Top() + 30), static_cast<TColor>(GetInsideThemeColor(MacOS, 25)));
}

TEST_F(KivDBControls, MemoAndListKeepTheirSkinnedBarsInStep)
{
    clips.Edit();
    std::string many;
    for (int i = 0; i < 40; ++i) many += "line " + std::to_string(i) + "\r\n";
    F("Notes")->SetAsString(many);
    clips.Post();
    auto* memo = Place<TkivDBMemo>(10, 10, 150, 80, "Notes");
    auto* bar = new TkivScrollBar(form);
    bar->SetParent(form);
    memo->SetVScrollBar(bar);
    form->Show();
    EXPECT_TRUE(bar->Visible());
    EXPECT_GT(bar->Max(), 0);
    memo->SetFocus();
    headless->PressKey(VK_NEXT);
    EXPECT_GT(bar->Position(), 0);
    clips.Next(); // a short note: nothing to scroll
    EXPECT_FALSE(bar->Enabled());
}

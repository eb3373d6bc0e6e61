// The data-aware controls on a small table of clips, driven through the
// headless backend: bound edits and memo following the cursor and writing
// back, pictures from blobs (ImageMagick's files among them), lists and
// combo boxes, lookups into a second table, and the grid with its editor.
#include "democontrols.h"
#include "../gfx/testutil.h"

#include "data/memdataset.h"
#include "gfx/bitmap.h"
#include "gfx/jpeg.h"
#include "rtl/classes.h"
#include "rtl/paths.h"
#include "vcl/dbctrls.h"
#include "vcl/dbgrids.h"

#include <memory>

namespace {

std::string Bytes(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

std::string BitmapBytes(int w, int h, TColor c)
{
    TBitmap b = gfxtest::Pattern(w, h, [&](int, int) { return c; });
    TMemoryStream s;
    b.SaveToStream(s);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

class DBControlsTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        clips.AddFieldDef("Title", ftString, 20);
        clips.AddFieldDef("Chapters", ftInteger);
        clips.AddFieldDef("Minutes", ftFloat);
        clips.AddFieldDef("Menu", ftBoolean);
        clips.AddFieldDef("Notes", ftMemo);
        clips.AddFieldDef("Poster", ftBlob);
        clips.AddFieldDef("Language", ftString, 3);
        clips.Open();
        clips.AppendRecord({std::string("Holiday"), 3, 12.5, true, std::string("Beach\r\nSea"),
                            BitmapBytes(16, 12, clRed), std::string("en")});
        clips.AppendRecord({std::string("Wedding"), 8, 45.0, false, std::string("Church"), TFieldValue{},
                            std::string("fr")});
        clips.AppendRecord({std::string("Birthday"), 2, 7.25, true, std::string(), std::string("BM not a picture"),
                            std::string("xx")});
        clips.First();
        source.SetDataSet(&clips);

        languages.AddFieldDef("Code", ftString, 3);
        languages.AddFieldDef("Name", ftString, 20);
        languages.Open();
        for (const auto& [code, name] : std::vector<std::pair<std::string, std::string>>{
                 {"de", "Deutsch"}, {"en", "English"}, {"fr", "Français"}})
            languages.AppendRecord({code, name});
        languages.First();
        languageSource.SetDataSet(&languages);

        form = MakeForm(420, 320);
    }

    template <class T>
    T* Place(int x, int y, int w, int h, const std::string& field = {})
    {
        auto* c = new T(form);
        c->SetParent(form);
        c->SetBounds(x, y, w, h);
        if constexpr (requires { c->SetDataField(field); }) {
            c->SetDataField(field);
            c->SetDataSource(&source);
        }
        return c;
    }

    void ClickIn(TControl& c, TPoint p) { headless->Click(*form, c.Left() + p.X, c.Top() + p.Y); }
    TField* F(const std::string& name) { return clips.FieldByName(name); }

    TMemoryDataSet clips, languages;
    TDataSource source, languageSource;
    TForm* form = nullptr;
};

} // namespace

TEST_F(DBControlsTest, EditAndMemoFollowTheCursorAndWriteBackWhenPosted)
{
    auto* title = Place<TDBEdit>(10, 10, 150, 22, "Title");
    auto* notes = Place<TDBMemo>(10, 40, 150, 60, "Notes");
    form->Show();
    EXPECT_EQ(title->Text(), "Holiday");
    EXPECT_EQ(notes->Text(), "Beach\r\nSea");
    EXPECT_EQ(title->MaxLength(), 20);
    clips.Next();
    EXPECT_EQ(title->Text(), "Wedding");
    EXPECT_EQ(notes->Text(), "Church");

    // Typing asks for edit mode; the field takes the text at the post.
    title->SetFocus();
    headless->PressKey(VK_END);
    EXPECT_EQ(clips.State(), dsBrowse);
    headless->TypeText(" Day");
    EXPECT_EQ(clips.State(), dsEdit);
    EXPECT_EQ(F("Title")->AsString(), "Wedding");
    clips.Post();
    EXPECT_EQ(F("Title")->AsString(), "Wedding Day");
    EXPECT_EQ(title->Text(), "Wedding Day");

    // Escape brings the field's value back.
    headless->TypeText("zzz");
    EXPECT_NE(title->Text(), "Wedding Day");
    headless->PressKey(VK_ESCAPE);
    EXPECT_EQ(title->Text(), "Wedding Day");
    clips.Cancel();

    // Leaving the edit writes its text into the field, the record stays in edit mode.
    headless->PressKey(VK_END);
    headless->TypeText("!");
    notes->SetFocus();
    EXPECT_EQ(F("Title")->AsString(), "Wedding Day!");
    EXPECT_EQ(clips.State(), dsEdit);
    // Enter in the memo is editing too; the memo's lines reach the field.
    headless->PressKey(VK_END);
    headless->PressKey(VK_RETURN);
    headless->TypeText("Rings");
    clips.Next(); // moving posts
    EXPECT_EQ(clips.State(), dsBrowse);
    clips.Prior();
    EXPECT_EQ(F("Notes")->AsString(), "Church\r\nRings");
    EXPECT_EQ(F("Title")->AsString(), "Wedding Day!");

    // A read-only control never asks: typing changes nothing.
    title->SetReadOnly(true);
    title->SetFocus();
    headless->TypeText("x");
    EXPECT_EQ(clips.State(), dsBrowse);
    EXPECT_EQ(title->Text(), "Wedding Day!");
    // Closing the set empties both.
    clips.Close();
    EXPECT_EQ(title->Text(), "");
    EXPECT_EQ(notes->Text(), "");
}

TEST_F(DBControlsTest, AValueTheFieldRefusesIsReportedAndKeepsTheFocus)
{
    auto* chapters = Place<TDBEdit>(10, 10, 80, 22, "Chapters");
    auto* other = Place<TDBEdit>(10, 40, 80, 22, "Title");
    form->Show();
    chapters->SetFocus();
    headless->TypeText("many");
    other->SetFocus();
    ASSERT_EQ(headless->MessageBoxes().size(), 1u);
    EXPECT_EQ(headless->MessageBoxes()[0].text, "'many' is not a valid integer value.");
    EXPECT_TRUE(chapters->Focused());
    EXPECT_EQ(chapters->Text(), "many");
    EXPECT_EQ(F("Chapters")->AsInteger(), 3);
    headless->PressKey(VK_ESCAPE);
    EXPECT_EQ(chapters->Text(), "3");
}

TEST_F(DBControlsTest, PicturesFromBitmapAndJpegBlobsAndNothingFromDamagedBytes)
{
    // A JPEG written by ImageMagick for the second record.
    const std::string dir = gfxtest::TempDir();
    const std::string jpeg = JoinPath(dir, "poster.jpg");
    ASSERT_EQ(gfxtest::RunTool({"convert", "-size", "20x10", "xc:#0000FF", jpeg}), 0);
    clips.Next();
    clips.Edit();
    F("Poster")->SetAsString(Bytes(gfxtest::ReadFile(jpeg)));
    clips.Post();
    clips.First();

    auto* poster = Place<TDBImage>(10, 10, 100, 80, "Poster");
    form->Show();
    ASSERT_NE(poster->Picture()->Graphic(), nullptr);
    EXPECT_EQ(poster->Picture()->Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(poster->Picture()->Width(), 16);
    // Centred in the control: red in the middle, the window colour at the edge.
    EXPECT_EQ(headless->PixelAt(*form, 10 + 50, 10 + 40), clRed);
    EXPECT_EQ(headless->PixelAt(*form, 10 + 8, 10 + 8), ColorToRGB(clWindow));
    clips.Next();
    ASSERT_NE(poster->Picture()->Graphic(), nullptr);
    EXPECT_EQ(poster->Picture()->Graphic()->ClassName(), "TJPEGImage");
    EXPECT_EQ(poster->Picture()->Width(), 20);
    const TColor blue = headless->PixelAt(*form, 10 + 50, 10 + 40);
    EXPECT_GT(GetBValue(blue), 200);
    EXPECT_LT(GetRValue(blue), 40);
    clips.Next(); // "BM" followed by nothing readable
    EXPECT_TRUE(poster->Picture()->Graphic() == nullptr || poster->Picture()->Graphic()->Empty());

    // A picture assigned from code is stored as a bitmap the reader takes back.
    clips.First();
    TBitmap green = gfxtest::Pattern(7, 5, [](int, int) { return clLime; });
    poster->Picture()->Assign(&green);
    EXPECT_EQ(clips.State(), dsEdit);
    clips.Post();
    const std::string stored = F("Poster")->AsString();
    ASSERT_GE(stored.size(), 2u);
    EXPECT_EQ(stored.substr(0, 2), "BM");
    TMemoryStream s;
    s.WriteBuffer(stored.data(), static_cast<std::int64_t>(stored.size()));
    s.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(s);
    EXPECT_EQ(back.Width(), 7);
    EXPECT_EQ(back.Pixel(3, 2), clLime);

    // On a read-only set the field's picture comes back.
    clips.SetReadOnly(true);
    TBitmap small = gfxtest::Pattern(3, 3, [](int, int) { return clBlue; });
    poster->Picture()->Assign(&small);
    EXPECT_EQ(clips.State(), dsBrowse);
    EXPECT_EQ(poster->Picture()->Width(), 7);
}

TEST_F(DBControlsTest, ListAndComboBoxChooseTheFieldsText)
{
    auto* list = Place<TDBListBox>(10, 10, 100, 80, "Language");
    auto* combo = Place<TDBComboBox>(150, 10, 100, 22, "Language");
    combo->SetStyle(csDropDownList);
    for (const char* code : {"de", "en", "fr"}) {
        list->Items()->Add(code);
        combo->Items()->Add(code);
    }
    clips.Refresh(); // the items came after the link: show again
    form->Show();
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(combo->ItemIndex(), 1);
    clips.Last(); // "xx" is no item
    EXPECT_EQ(list->ItemIndex(), -1);
    clips.First();

    // A click chooses, the post writes, the combo follows.
    const TRect fr = list->ItemRect(2);
    ClickIn(*list, Point(fr.Left + 5, fr.Top + 3));
    EXPECT_EQ(clips.State(), dsEdit);
    EXPECT_EQ(F("Language")->AsString(), "en");
    clips.Post();
    EXPECT_EQ(F("Language")->AsString(), "fr");
    EXPECT_EQ(combo->ItemIndex(), 2);

    combo->SetFocus();
    headless->PressKey(VK_HOME);
    EXPECT_EQ(combo->Text(), "de");
    clips.Post();
    EXPECT_EQ(F("Language")->AsString(), "de");
    EXPECT_EQ(list->ItemIndex(), 0);

    // A choice the set refuses is undone.
    clips.SetReadOnly(true);
    ClickIn(*list, Point(fr.Left + 5, fr.Top + 3));
    EXPECT_EQ(list->ItemIndex(), 0);
    combo->SetFocus();
    headless->PressKey(VK_END);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(clips.State(), dsBrowse);
}

TEST_F(DBControlsTest, LookupsShowTheListFieldOfTheMatchingKeyAndStoreTheKey)
{
    auto* combo = Place<TDBLookupComboBox>(10, 10, 120, 22, "Language");
    combo->SetListSource(&languageSource);
    combo->SetKeyField("Code");
    combo->SetListField("Name");
    auto* list = Place<TDBLookupListBox>(10, 40, 120, 80, "Language");
    list->SetListSource(&languageSource);
    list->SetKeyField("Code");
    list->SetListField("Name");
    form->Show();
    EXPECT_EQ(combo->Items()->Count(), 3);
    EXPECT_EQ(combo->Text(), "English");
    EXPECT_EQ(combo->KeyValue(), "en");
    EXPECT_EQ(list->ItemIndex(), 1);
    clips.Next();
    EXPECT_EQ(combo->Text(), "Français");
    clips.Next(); // a key the list does not hold
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");

    // Choosing stores the chosen record's key.
    combo->SetFocus();
    headless->PressKey(VK_HOME);
    EXPECT_EQ(combo->Text(), "Deutsch");
    clips.Post();
    EXPECT_EQ(F("Language")->AsString(), "de");
    EXPECT_EQ(list->ItemIndex(), 0);

    // The list follows its own table; moving through it changes nothing shown.
    languages.AppendRecord({std::string("it"), std::string("Italiano")});
    EXPECT_EQ(combo->Items()->Count(), 4);
    EXPECT_EQ(combo->Text(), "Deutsch");
    languages.Last();
    EXPECT_EQ(combo->Text(), "Deutsch");
    const TRect it = list->ItemRect(3);
    ClickIn(*list, Point(it.Left + 5, it.Top + 3));
    clips.Post();
    EXPECT_EQ(F("Language")->AsString(), "it");
    EXPECT_EQ(combo->Text(), "Italiano");
}

TEST_F(DBControlsTest, GridRowsFollowTheRecordsAndCellsEditInPlace)
{
    F("Poster")->SetVisible(false);
    F("Notes")->SetVisible(false);
    auto* grid = Place<TDBGrid>(10, 10, 400, 120);
    grid->SetDataSource(&source);
    auto* title = Place<TDBEdit>(10, 200, 150, 22, "Title");
    form->Show();
    ASSERT_EQ(grid->ColumnCount(), 5);
    EXPECT_EQ(grid->Columns(0), F("Title"));
    EXPECT_EQ(grid->ColCount(), 6);
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->Row(), 1);

    // The indicator marks the current record.
    auto indicatorInk = [&](int row) {
        const TRect r = grid->CellRect(0, row);
        int dark = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (headless->PixelAt(*form, grid->Left() + x, grid->Top() + y) == clBlack) ++dark;
        return dark;
    };
    EXPECT_GT(indicatorInk(1), 4);
    EXPECT_EQ(indicatorInk(2), 0);

    // A click on a row moves the set; the bound edit follows.
    TRect cell = grid->CellRect(1, 3);
    ClickIn(*grid, Point(cell.Left + 4, cell.Top + 4));
    EXPECT_EQ(clips.RecNo(), 3);
    EXPECT_EQ(title->Text(), "Birthday");
    EXPECT_GT(indicatorInk(3), 4);
    clips.First();
    EXPECT_EQ(grid->Row(), 1);

    // Typing opens the editor with the key; Enter posts.
    grid->SetFocus();
    headless->TypeText("Trip");
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(clips.State(), dsEdit);
    EXPECT_EQ(grid->InplaceEditor()->Text(), "Trip");
    headless->PressKey(VK_RETURN);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(clips.State(), dsBrowse);
    EXPECT_EQ(F("Title")->AsString(), "Trip");
    EXPECT_EQ(title->Text(), "Trip");

    // Escape cancels.
    headless->PressKey(VK_F2);
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "Trip");
    headless->TypeText("Gone");
    headless->PressKey(VK_ESCAPE);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(clips.State(), dsBrowse);
    EXPECT_EQ(F("Title")->AsString(), "Trip");

    // Leaving the row posts what was typed, also in another column.
    headless->PressKey(VK_RIGHT);
    ASSERT_EQ(grid->SelectedField(), F("Chapters"));
    headless->TypeText("9");
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(clips.State(), dsBrowse);
    EXPECT_EQ(clips.RecNo(), 2);
    clips.First();
    EXPECT_EQ(F("Chapters")->AsInteger(), 9);

    // A value the field refuses stops the move and keeps the editor.
    headless->TypeText("x");
    headless->PressKey(VK_DOWN);
    EXPECT_EQ(clips.RecNo(), 1);
    EXPECT_TRUE(grid->EditorMode());
    ASSERT_FALSE(headless->MessageBoxes().empty());
    EXPECT_EQ(headless->MessageBoxes().back().text, "'x' is not a valid integer value.");
    headless->PressKey(VK_ESCAPE);

    // Records added and deleted elsewhere become rows; a read-only grid never edits.
    clips.Append();
    F("Title")->SetAsString("New");
    clips.Post();
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(grid->Row(), 4);
    clips.Delete();
    EXPECT_EQ(grid->RowCount(), 4);
    grid->SetReadOnly(true);
    grid->SetFocus();
    headless->TypeText("z");
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(clips.State(), dsBrowse);
    clips.Close();
    EXPECT_EQ(grid->ColumnCount(), 0);
}

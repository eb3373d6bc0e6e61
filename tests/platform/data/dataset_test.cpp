// The in-memory dataset: cursor and ends, states, post, cancel and delete,
// read-only refusals, and typed field values with their conversions and nulls.
#include "data/memdataset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A table of clips: name, chapters, length in minutes, menu flag, notes and a picture.
void DefineClips(TDataSet& ds)
{
    ds.AddFieldDef("Name", ftString, 12);
    ds.AddFieldDef("Chapters", ftInteger);
    ds.AddFieldDef("Minutes", ftFloat);
    ds.AddFieldDef("Menu", ftBoolean);
    ds.AddFieldDef("Notes", ftMemo);
    ds.AddFieldDef("Picture", ftBlob);
}

void Fill(TDataSet& ds, int count)
{
    for (int i = 1; i <= count; ++i) ds.AppendRecord({"clip" + std::to_string(i), i, i * 1.5, i % 2 == 0});
    ds.First();
}

std::vector<std::string> Names(TDataSet& ds)
{
    std::vector<std::string> names;
    const int keep = ds.RecNo();
    for (ds.First(); !ds.Eof(); ds.Next()) names.push_back(ds.FieldByName("name")->AsString());
    ds.SetRecNo(keep);
    return names;
}

template <class E, class F>
std::string ErrorOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "no error";
}

} // namespace

TEST(DataSetCursor, EndsOfAFullAndAnEmptySet)
{
    TMemoryDataSet ds;
    DefineClips(ds);
    ds.Open();
    // Empty: both ends at once, and moving changes nothing.
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_EQ(ds.MoveBy(3), 0);
    ds.Last();
    ds.Prior();
    EXPECT_TRUE(ds.Bof() && ds.Eof());
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "");

    Fill(ds, 3);
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    ds.Prior(); // already first: still Bof, nothing moved
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 1);
    ds.Next();
    EXPECT_FALSE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "clip2");
    ds.Next();
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_FALSE(ds.Eof()); // on the last record, Eof waits for a move past it
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 3);
    ds.First();
    EXPECT_EQ(ds.MoveBy(10), 2);
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.MoveBy(-10), -2);
    EXPECT_TRUE(ds.Bof());
    ds.Last();
    EXPECT_TRUE(ds.Eof());
    EXPECT_FALSE(ds.Bof());
    ds.SetRecNo(2);
    EXPECT_EQ(ds.FieldByName("Chapters")->AsInteger(), 2);
    EXPECT_EQ(Names(ds), (std::vector<std::string>{"clip1", "clip2", "clip3"}));

    // A single record is both ends after moving either way.
    TMemoryDataSet one;
    DefineClips(one);
    one.Open();
    Fill(one, 1);
    one.Next();
    EXPECT_TRUE(one.Bof() && one.Eof());
}

TEST(DataSetCursor, ClosedSetRefusesAndForgetsItsEdit)
{
    TMemoryDataSet ds;
    DefineClips(ds);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { ds.Next(); }), "Cannot perform this operation on a closed dataset");
    EXPECT_EQ(ds.RecordCount(), 0);
    ds.Open();
    Fill(ds, 2);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { ds.AddFieldDef("More", ftString); }),
              "Cannot perform this operation on an open dataset");
    ds.Edit();
    ds.FieldByName("Name")->SetAsString("changed");
    ds.Close();
    EXPECT_EQ(ds.State(), dsInactive);
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "");
    ds.Open();
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "clip1"); // records stay, the edit is gone
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(DataSetStates, EditInsertAppendPostAndCancel)
{
    TMemoryDataSet ds;
    DefineClips(ds);
    EXPECT_EQ(ds.State(), dsInactive);
    ds.Open();
    EXPECT_EQ(ds.State(), dsBrowse);
    // Editing an empty set appends.
    ds.Edit();
    EXPECT_EQ(ds.State(), dsInsert);
    ds.FieldByName("Name")->SetAsString("first");
    ds.Post();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 1);

    ds.Edit();
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_FALSE(ds.Modified());
    ds.FieldByName("Name")->SetAsString("renamed");
    EXPECT_TRUE(ds.Modified());
    ds.Cancel();
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "first");

    // Insert goes before the current record, Append after the last.
    ds.Append();
    ds.FieldByName("Name")->SetAsString("last");
    ds.Post();
    ds.First();
    ds.Insert();
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.RecordCount(), 3); // the new record counts while it is inserted
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_TRUE(ds.FieldByName("Name")->IsNull());
    ds.FieldByName("Name")->SetAsString("zero");
    ds.Post();
    EXPECT_EQ(Names(ds), (std::vector<std::string>{"zero", "first", "last"}));

    // Cancelling an insert drops the record and returns to the one before.
    ds.SetRecNo(2);
    ds.Insert();
    ds.FieldByName("Name")->SetAsString("dropped");
    ds.Cancel();
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "first");
    ds.Append();
    ds.Cancel();
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "first");

    // Post and the moves outside editing.
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { ds.Post(); }), "Dataset not in edit or insert mode");
    ds.Cancel(); // nothing to cancel: no error
}

TEST(DataSetStates, MovingPostsAChangedEditAndCancelsAnUnchangedInsert)
{
    TMemoryDataSet ds;
    DefineClips(ds);
    ds.Open();
    Fill(ds, 3);
    ds.Edit();
    ds.FieldByName("Chapters")->SetAsInteger(12);
    ds.Next();
    EXPECT_EQ(ds.State(), dsBrowse);
    ds.First();
    EXPECT_EQ(ds.FieldByName("Chapters")->AsInteger(), 12);
    ds.Append();
    ds.Last(); // nothing was typed into the new record: it goes away
    EXPECT_EQ(ds.RecordCount(), 3);
    ds.Insert();
    ds.FieldByName("Name")->SetAsString("kept");
    ds.CheckBrowseMode();
    EXPECT_EQ(ds.RecordCount(), 4);
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "kept");
}

TEST(DataSetStates, DeleteMovesToTheNextRecord)
{
    TMemoryDataSet ds;
    DefineClips(ds);
    ds.Open();
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { ds.Delete(); }), "Cannot perform this operation on an empty dataset");
    Fill(ds, 3);
    ds.SetRecNo(2);
    ds.Delete();
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "clip3");
    ds.Delete(); // the last one: the one before becomes current
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "clip1");
    EXPECT_EQ(ds.RecordCount(), 1);
    // Deleting while inserting only drops the new record.
    ds.Insert();
    ds.Delete();
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.State(), dsBrowse);
    // Deleting while editing drops the edit with the record.
    ds.Edit();
    ds.FieldByName("Name")->SetAsString("x");
    ds.Delete();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Bof() && ds.Eof());
}

TEST(DataSetRefusals, ReadOnlySetsAndFieldsAndWritesOutsideEditing)
{
    TMemoryDataSet ds;
    DefineClips(ds);
    ds.Open();
    Fill(ds, 2);
    TField* name = ds.FieldByName("Name");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { name->SetAsString("x"); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { ds.FieldByName("Title"); }), "Field 'Title' not found");
    EXPECT_EQ(ds.FindField("title"), nullptr);
    EXPECT_EQ(ds.FindField("NAME"), name);

    name->SetReadOnly(true);
    EXPECT_FALSE(name->CanModify());
    ds.Edit();
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { name->SetAsString("x"); }), "Field 'Name' cannot be modified");
    ds.FieldByName("Chapters")->SetAsInteger(5); // the other fields still take values
    ds.Post();
    name->SetReadOnly(false);

    ds.SetReadOnly(true);
    EXPECT_FALSE(ds.CanModify());
    EXPECT_FALSE(name->CanModify());
    for (auto op : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append, &TDataSet::Delete})
        EXPECT_EQ(ErrorOf<EDatabaseError>([&] { (ds.*op)(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(FieldValues, TypedConversionsAndNulls)
{
    TMemoryDataSet ds;
    DefineClips(ds);
    ds.Open();
    ds.Append();
    TField* name = ds.FieldByName("Name");
    TField* chapters = ds.FieldByName("Chapters");
    TField* minutes = ds.FieldByName("Minutes");
    TField* menu = ds.FieldByName("Menu");
    TField* notes = ds.FieldByName("Notes");
    TField* picture = ds.FieldByName("Picture");

    // A new record is null everywhere, and nulls read as empty values.
    for (TField* f : {name, chapters, minutes, menu, notes, picture}) EXPECT_TRUE(f->IsNull()) << f->FieldName();
    EXPECT_EQ(chapters->AsString(), "");
    EXPECT_EQ(chapters->AsInteger(), 0);
    EXPECT_EQ(minutes->AsFloat(), 0.0);
    EXPECT_FALSE(menu->AsBoolean());
    EXPECT_EQ(picture->DisplayText(), "");

    chapters->SetAsString("42");
    EXPECT_EQ(chapters->AsInteger(), 42);
    EXPECT_DOUBLE_EQ(chapters->AsFloat(), 42.0);
    EXPECT_TRUE(chapters->AsBoolean());
    chapters->SetAsFloat(2.5);
    EXPECT_EQ(chapters->AsInteger(), 3); // rounded
    EXPECT_EQ(ErrorOf<EConvertError>([&] { chapters->SetAsString("twelve"); }), "'twelve' is not a valid integer value");
    EXPECT_EQ(chapters->AsInteger(), 3); // a refused write keeps the value
    EXPECT_THROW(chapters->SetAsFloat(1e12), ERangeError);
    chapters->SetAsString("");
    EXPECT_TRUE(chapters->IsNull());

    minutes->SetAsString("12.75");
    EXPECT_EQ(minutes->AsString(), "12.75");
    EXPECT_EQ(minutes->AsInteger(), 13);
    minutes->SetAsInteger(7);
    EXPECT_EQ(minutes->Text(), "7");
    EXPECT_EQ(ErrorOf<EConvertError>([&] { minutes->SetAsString("1,5"); }), "'1,5' is not a valid floating point value");

    menu->SetAsString("t");
    EXPECT_TRUE(menu->AsBoolean());
    EXPECT_EQ(menu->AsString(), "True");
    menu->SetAsString("FALSE");
    EXPECT_EQ(menu->AsString(), "False");
    EXPECT_EQ(menu->AsInteger(), 0);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { menu->SetAsString("yes"); }),
              "'yes' is not a valid boolean value for field 'Menu'");
    menu->SetAsInteger(5);
    EXPECT_TRUE(menu->AsBoolean());
    menu->Clear();
    EXPECT_TRUE(menu->IsNull());

    // Strings keep their size in characters, never cutting a character in two.
    name->SetAsString("片段一二三四五六七八九十十一");
    EXPECT_EQ(name->AsString(), "片段一二三四五六七八九十");
    name->SetAsBoolean(true);
    EXPECT_EQ(name->AsString(), "True");
    name->SetAsString("yes");
    EXPECT_TRUE(name->AsBoolean());
    name->SetAsInteger(-3);
    EXPECT_EQ(name->AsInteger(), -3);
    name->SetAsString("");
    EXPECT_FALSE(name->IsNull()); // an empty string is a value
    EXPECT_EQ(ErrorOf<EConvertError>([&] { (void)name->AsFloat(); }), "'' is not a valid floating point value");

    notes->SetAsString("first line\r\nsecond line");
    EXPECT_EQ(notes->DisplayText(), "first line");
    EXPECT_EQ(notes->Text(), "first line\r\nsecond line");
    const std::string bytes("BM\0\x01\xff", 5);
    picture->SetAsString(bytes);
    EXPECT_EQ(picture->AsString(), bytes); // blob bytes pass unchanged, zeros included
    EXPECT_EQ(picture->DisplayText(), "(BLOB)");
    ds.Post();

    // Values written through SetValue of another kind convert as the typed setters do.
    ds.Edit();
    chapters->SetValue(std::string("9"));
    minutes->SetValue(true);
    menu->SetValue(0.0);
    ds.Post();
    EXPECT_EQ(chapters->AsInteger(), 9);
    EXPECT_DOUBLE_EQ(minutes->AsFloat(), 1.0);
    EXPECT_FALSE(menu->AsBoolean());
    EXPECT_FALSE(menu->IsNull());
    EXPECT_EQ(name->DisplayLabel(), "Name");
    EXPECT_EQ(name->DisplayWidth(), 12);
}

TEST(DataSetFields, DefinitionsMadeIntoFieldsOnOpen)
{
    TMemoryDataSet ds;
    DefineClips(ds);
    EXPECT_EQ(ds.FieldCount(), 0);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { ds.AddFieldDef("name", ftString); }), "Duplicate field name 'name'");
    ds.Open();
    ASSERT_EQ(ds.FieldCount(), 6);
    EXPECT_EQ(ds.Fields(3)->FieldName(), "Menu");
    EXPECT_EQ(ds.Fields(3)->DataType(), ftBoolean);
    EXPECT_THROW(ds.Fields(6), EListError);
    Fill(ds, 2);
    ds.Close();
    // A further column joins the stored records as null.
    ds.AddFieldDef("Language", ftString, 3);
    ds.Open();
    EXPECT_EQ(ds.FieldCount(), 7);
    EXPECT_TRUE(ds.FieldByName("Language")->IsNull());
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "clip1");
}

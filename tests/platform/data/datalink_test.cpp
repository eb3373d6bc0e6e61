// Data sources and links: the order notifications arrive in, editing through
// a link and its refusals, writing back before a post, the record window a
// grid paints through, disabled controls, and links outliving their sources.
#include "data/datasource.h"
#include "data/memdataset.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// A link that writes down every notification it gets.
class LoggingLink : public TDataLink {
public:
    LoggingLink(std::string name, Log& log) : name_(std::move(name)), log_(log) {}

protected:
    void ActiveChanged() override { Note(Active() ? "active" : "inactive"); }
    void CheckBrowseMode() override { Note("check"); }
    void DataSetChanged() override { Note("changed"); }
    void DataSetScrolled(int distance) override { Note("scrolled " + std::to_string(distance)); }
    void EditingChanged() override { Note(Editing() ? "editing" : "browsing"); }
    void RecordChanged(TField* field) override { Note("record " + (field ? field->FieldName() : std::string("-"))); }
    void UpdateData() override { Note("update"); }

private:
    void Note(const std::string& what) { log_.push_back(name_ + " " + what); }
    std::string name_;
    Log& log_;
};

struct Table {
    Table()
    {
        ds.AddFieldDef("Title", ftString, 20);
        ds.AddFieldDef("Chapters", ftInteger);
        ds.Open();
        for (int i = 1; i <= 6; ++i) ds.AppendRecord({"title" + std::to_string(i), i});
        ds.First();
        source.SetDataSet(&ds);
    }
    TMemoryDataSet ds;
    TDataSource source;
};

} // namespace

TEST(DataLinkNotifications, SourcesInTurnEachLinksFirstThenItsOwnEvents)
{
    Table t;
    TDataSource second;
    second.SetDataSet(&t.ds);
    Log log;
    LoggingLink a("a", log), b("b", log), c("c", log);
    a.SetDataSource(&t.source);
    b.SetDataSource(&t.source);
    c.SetDataSource(&second);
    EXPECT_EQ(log, (Log{"a active", "b active", "c active"}));
    t.source.OnDataChange = [&](TObject*, TField* f) { log.push_back("source1 data " + (f ? f->FieldName() : "-")); };
    t.source.OnStateChange = [&](TObject*) { log.push_back("source1 state"); };
    t.source.OnUpdateData = [&](TObject*) { log.push_back("source1 update"); };
    second.OnStateChange = [&](TObject*) { log.push_back("source2 state"); };

    log.clear();
    t.ds.Next();
    EXPECT_EQ(log, (Log{"a scrolled 1", "b scrolled 1", "source1 data -", "c scrolled 1"})); // a one-record window moves along

    log.clear();
    t.ds.Edit();
    EXPECT_EQ(log, (Log{"a editing", "b editing", "source1 state", "c editing", "source2 state"}));

    log.clear();
    t.ds.FieldByName("Chapters")->SetAsInteger(9);
    EXPECT_EQ(log, (Log{"a record Chapters", "b record Chapters", "source1 data Chapters", "c record Chapters"}));

    // Posting: every control writes back, then editing ends, then the records changed.
    log.clear();
    t.ds.Post();
    EXPECT_EQ(log, (Log{"a update", "b update", "source1 update", "c update", "a browsing", "b browsing",
                        "source1 state", "c browsing", "source2 state", "a changed", "b changed", "source1 data -",
                        "c changed"}));

    // Moving while editing: the edit ends first (check, write back, post), then the move.
    t.ds.Edit();
    log.clear();
    t.ds.Next();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(Log(log.begin(), log.begin() + 3), (Log{"a check", "b check", "c check"}));
    EXPECT_EQ(log[3], "a update");
    EXPECT_EQ(log.back(), "c scrolled 1");

    log.clear();
    t.ds.Close();
    EXPECT_EQ(log, (Log{"a inactive", "b inactive", "source1 state", "c inactive", "source2 state"}));
}

TEST(DataLinkNotifications, DisabledControlsHearOnlyTheWriteBackThenOneChange)
{
    Table t;
    Log log;
    LoggingLink a("a", log);
    a.SetDataSource(&t.source);
    log.clear();
    t.ds.DisableControls();
    t.ds.DisableControls();
    t.ds.Next();
    t.ds.Last();
    t.ds.Edit();
    t.ds.FieldByName("Title")->SetAsString("x");
    t.ds.Post(); // the write-back request still comes through
    EXPECT_EQ(log, (Log{"a update"}));
    EXPECT_TRUE(t.ds.ControlsDisabled());
    t.ds.EnableControls();
    EXPECT_EQ(log, (Log{"a update"}));
    t.ds.EnableControls();
    EXPECT_FALSE(t.ds.ControlsDisabled());
    EXPECT_EQ(log, (Log{"a update", "a changed"}));
    t.ds.EnableControls(); // one too many changes nothing
    EXPECT_EQ(log.size(), 2u);
}

TEST(FieldDataLinks, EditThroughTheLinkAndItsRefusals)
{
    Table t;
    TFieldDataLink link;
    int shown = 0, editingChanges = 0;
    link.OnDataChange = [&](TObject*) { ++shown; };
    link.OnEditingChange = [&](TObject*) { ++editingChanges; };
    link.SetFieldName("title");
    EXPECT_EQ(link.Field(), nullptr); // no source yet
    link.SetDataSource(&t.source);
    ASSERT_NE(link.Field(), nullptr);
    EXPECT_EQ(link.Field()->FieldName(), "Title");
    EXPECT_TRUE(link.CanModify());

    // Read-only link, read-only field, read-only set, AutoEdit off, disabled source: refused.
    link.SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
    link.SetReadOnly(false);
    t.ds.FieldByName("Title")->SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
    t.ds.FieldByName("Title")->SetReadOnly(false);
    t.ds.SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
    t.ds.SetReadOnly(false);
    t.source.SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    t.source.SetEnabled(false);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.Field(), nullptr);
    t.source.SetEnabled(true);
    EXPECT_EQ(t.ds.State(), dsBrowse);
    EXPECT_EQ(editingChanges, 0);

    // With AutoEdit the link's Edit puts the set into edit mode.
    t.source.SetAutoEdit(true);
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(t.ds.State(), dsEdit);
    EXPECT_TRUE(link.Editing());
    EXPECT_EQ(editingChanges, 1);
    // Another link that is read-only takes no part in the edit.
    TFieldDataLink other;
    other.SetFieldName("Chapters");
    other.SetReadOnly(true);
    other.SetDataSource(&t.source);
    EXPECT_FALSE(other.Editing());
    // A field name the set does not know leaves the link unbound.
    TFieldDataLink unknown;
    unknown.SetFieldName("Nothing");
    unknown.SetDataSource(&t.source);
    EXPECT_EQ(unknown.Field(), nullptr);
    EXPECT_FALSE(unknown.Edit());
    (void)shown;
}

TEST(FieldDataLinks, ModifiedValuesAreWrittenBackOnceBeforePosting)
{
    Table t;
    TFieldDataLink link;
    std::string control; // what a control would show
    int writes = 0;
    link.OnDataChange = [&](TObject*) { control = link.Field() ? link.Field()->Text() : ""; };
    link.OnUpdateData = [&](TObject*) {
        ++writes;
        link.Field()->SetText(control);
    };
    link.SetFieldName("Title");
    link.SetDataSource(&t.source);
    EXPECT_EQ(control, "title1");

    // Unmodified: nothing is written.
    ASSERT_TRUE(link.Edit());
    t.ds.Post();
    EXPECT_EQ(writes, 0);

    // Typed, then posted: written once, and the control shows the stored value.
    ASSERT_TRUE(link.Edit());
    control = "typed";
    link.Modified();
    t.ds.Post();
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(t.ds.FieldByName("Title")->AsString(), "typed");
    EXPECT_FALSE(link.IsModified());

    // Reset drops the control's change: the field's value comes back.
    ASSERT_TRUE(link.Edit());
    control = "dropped";
    link.Modified();
    link.Reset();
    EXPECT_EQ(control, "typed");
    t.ds.Post();
    EXPECT_EQ(writes, 1);

    // A value the field refuses stops the post; the edit stays.
    TFieldDataLink number;
    std::string typed = "many";
    number.OnUpdateData = [&](TObject*) { number.Field()->SetText(typed); };
    number.SetFieldName("Chapters");
    number.SetDataSource(&t.source);
    ASSERT_TRUE(number.Edit());
    number.Modified();
    EXPECT_THROW(t.ds.Post(), EConvertError);
    EXPECT_EQ(t.ds.State(), dsEdit);
    typed = "12";
    number.Modified();
    t.ds.Post();
    EXPECT_EQ(t.ds.FieldByName("Chapters")->AsInteger(), 12);
}

TEST(DataLinkWindow, FollowsTheCursorAndShowsOtherRecords)
{
    Table t;
    Log log;
    LoggingLink grid("grid", log);
    grid.SetBufferCount(3);
    grid.SetDataSource(&t.source);
    EXPECT_EQ(grid.RecordCount(), 3);
    EXPECT_EQ(grid.ActiveRecord(), 0);
    auto rows = [&] {
        std::vector<std::string> titles;
        const int active = grid.ActiveRecord();
        for (int i = 0; i < grid.RecordCount(); ++i) {
            grid.SetActiveRecord(i);
            titles.push_back(t.ds.FieldByName("Title")->AsString());
        }
        grid.SetActiveRecord(active);
        return titles;
    };
    EXPECT_EQ(rows(), (std::vector<std::string>{"title1", "title2", "title3"}));
    EXPECT_EQ(t.ds.FieldByName("Title")->AsString(), "title1"); // restored to the current record

    t.ds.MoveBy(2);
    EXPECT_EQ(grid.ActiveRecord(), 2);
    log.clear();
    t.ds.Next(); // past the window's end: it moves by one
    EXPECT_EQ(log, (Log{"grid scrolled 1"}));
    EXPECT_EQ(rows(), (std::vector<std::string>{"title2", "title3", "title4"}));
    t.ds.Last();
    EXPECT_EQ(rows(), (std::vector<std::string>{"title4", "title5", "title6"}));
    EXPECT_EQ(grid.ActiveRecord(), 2);
    t.ds.First();
    EXPECT_EQ(grid.ActiveRecord(), 0);
    EXPECT_EQ(rows(), (std::vector<std::string>{"title1", "title2", "title3"}));

    // The record being edited shows its edit buffer; an inserted record has its own row.
    t.ds.Next();
    t.ds.Edit();
    t.ds.FieldByName("Title")->SetAsString("editing");
    EXPECT_EQ(rows(), (std::vector<std::string>{"title1", "editing", "title3"}));
    t.ds.Cancel();
    t.ds.Insert();
    EXPECT_EQ(rows(), (std::vector<std::string>{"title1", "", "title2"}));
    t.ds.Cancel();

    // Near the end the window stays full; a short set fills what it can.
    t.ds.Last();
    t.ds.Delete();
    EXPECT_EQ(rows(), (std::vector<std::string>{"title3", "title4", "title5"}));
    grid.SetBufferCount(10);
    EXPECT_EQ(grid.RecordCount(), 5);
    EXPECT_EQ(grid.ActiveRecord(), 4);
    t.ds.Close();
    EXPECT_EQ(grid.RecordCount(), 0);
}

TEST(DataLinkLifetime, SourcesAndSetsGoingAwayLeaveLinksInactive)
{
    Log log;
    LoggingLink link("l", log);
    {
        auto ds = std::make_unique<TMemoryDataSet>();
        ds->AddFieldDef("Title", ftString, 10);
        ds->Open();
        TDataSource source;
        source.SetDataSet(ds.get());
        link.SetDataSource(&source);
        EXPECT_TRUE(link.Active());
        ds.reset(); // the set goes first
        EXPECT_FALSE(link.Active());
        EXPECT_EQ(source.DataSet(), nullptr);
        EXPECT_EQ(source.State(), dsInactive);
    }
    // The source went too: the link is detached, not dangling.
    EXPECT_EQ(link.DataSource(), nullptr);
    EXPECT_EQ(log, (Log{"l active", "l inactive"}));

    // A link freed while attached leaves its source.
    TMemoryDataSet ds;
    ds.AddFieldDef("Title", ftString, 10);
    ds.Open();
    TDataSource source;
    source.SetDataSet(&ds);
    {
        TFieldDataLink shortLived;
        shortLived.SetDataSource(&source);
    }
    ds.AppendRecord({std::string("still fine")});
    // A source switched to another set follows it.
    TMemoryDataSet other;
    other.AddFieldDef("Title", ftString, 10);
    TFieldDataLink title;
    title.SetFieldName("Title");
    title.SetDataSource(&source);
    EXPECT_TRUE(title.Active());
    source.SetDataSet(&other);
    EXPECT_FALSE(title.Active());
    other.Open();
    EXPECT_TRUE(title.Active());
    EXPECT_EQ(title.Field()->DataSet(), &other);
}

#include "rtl/classes.h"
#include "rtl/sysutils.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Items(const TStrings& list)
{
    std::vector<std::string> r;
    for (int i = 0; i < list.Count(); ++i) r.push_back(list[i]);
    return r;
}

using Lines = std::vector<std::string>;

struct Counted : TObject {
    explicit Counted(int& live) : live_(live) { ++live_; }
    ~Counted() override { --live_; }
    int& live_;
};

} // namespace

TEST(StringList, TextSplitsEveryLineBreakKindAndJoinsWithCrLf)
{
    TStringList list;
    list.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(Items(list), (Lines{"a", "b", "c", "d"}));
    list.SetText("one\r\n\r\nthree\r\n");
    EXPECT_EQ(Items(list), (Lines{"one", "", "three"}));   // the final break adds no empty line
    EXPECT_EQ(list.Text(), "one\r\n\r\nthree\r\n");
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    list.SetText("\n");
    EXPECT_EQ(Items(list), (Lines{""}));
}

TEST(StringList, CommaTextQuotesWhatNeedsItAndReadsItBack)
{
    TStringList list;
    list.Add("plain");
    list.Add("two words");
    list.Add("a,b");
    list.Add("say \"hi\"");
    list.Add("");
    EXPECT_EQ(list.CommaText(), "plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",");
    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(Items(back), Items(list));

    // Unquoted blanks separate items too, as the framework reads comma text.
    back.SetCommaText("  x y,,\"z\"  ,w,");
    EXPECT_EQ(Items(back), (Lines{"x", "y", "", "z", "w", ""}));
    TStringList single;
    single.Add("");
    EXPECT_EQ(single.CommaText(), "\"\"");
    back.SetCommaText("\"unterminated");
    EXPECT_EQ(Items(back), (Lines{"unterminated"}));
}

TEST(StringList, SortedListsKeepOrderAndApplyDuplicates)
{
    TStringList list;
    list.SetSorted(true);
    list.Add("beta");
    list.Add("Alpha");
    list.Add("gamma");
    EXPECT_EQ(Items(list), (Lines{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(list.Add("BETA"), 1);            // dupIgnore: case-insensitive match, not added
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf("GAMMA"), 2);
    EXPECT_EQ(list.IndexOf("delta"), -1);
    EXPECT_THROW(list.Insert(0, "x"), EStringListError);
    EXPECT_THROW(list.Put(0, "x"), EStringListError);

    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add("alpha"), EStringListError);
    EXPECT_EQ(list.Count(), 3);
    list.SetDuplicates(dupAccept);
    list.Add("alpha");
    EXPECT_EQ(list.Count(), 4);

    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ALPHA"), -1);

    TStringList unsorted;
    unsorted.Add("b");
    unsorted.Add("a");
    unsorted.Add("b");
    unsorted.SetDuplicates(dupError);          // applies to sorted lists only
    unsorted.Add("a");
    EXPECT_EQ(unsorted.Count(), 4);
    EXPECT_EQ(unsorted.IndexOf("B"), 0);
    unsorted.CustomSort([](TStringList& l, int a, int b) { return CompareText(l[b], l[a]); });
    EXPECT_EQ(Items(unsorted), (Lines{"b", "b", "a", "a"}));
}

TEST(StringList, NamesAndValues)
{
    TStringList list;
    list.Add("RegionLanguage=English");
    list.Add("Empty=");
    list.Add("NoEquals");
    list.Add("Url=a=b");
    EXPECT_EQ(list.Names(0), "RegionLanguage");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.Values("regionlanguage"), "English");
    EXPECT_EQ(list.Values("Url"), "a=b");
    EXPECT_EQ(list.Values("missing"), "");
    list.SetValue("regionLanguage", "French");
    EXPECT_EQ(list[0], "regionLanguage=French");
    list.SetValue("New", "1");
    EXPECT_EQ(list[4], "New=1");
    list.SetValue("Empty", "");
    EXPECT_EQ(list.IndexOfName("Empty"), -1);
}

TEST(StringList, BadIndexesRaiseWithTheIndex)
{
    TStringList list;
    list.Add("x");
    try {
        list.Get(5);
        FAIL() << "no exception";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
    EXPECT_THROW(list.Delete(-1), EStringListError);
    EXPECT_THROW(list.Insert(2, "y"), EStringListError);
    list.Insert(1, "y");                       // inserting at the end is allowed
    EXPECT_THROW(list.Exchange(0, 2), EStringListError);
    list.Move(1, 0);
    EXPECT_EQ(Items(list), (Lines{"y", "x"}));
}

TEST(StringList, OwnedObjectsAreFreedAndChangeEventsBatch)
{
    int live = 0;
    int changes = 0;
    {
        TStringList list;
        list.SetOwnsObjects(true);
        list.OnChange = [&](TObject*) { ++changes; };
        list.AddObject("a", new Counted(live));
        list.AddObject("b", new Counted(live));
        list.AddObject("c", new Counted(live));
        EXPECT_EQ(changes, 3);
        list.Move(2, 0);                        // moving must not free the moved object
        EXPECT_EQ(live, 3);
        list.Delete(0);
        EXPECT_EQ(live, 2);
        changes = 0;
        list.BeginUpdate();
        list.Add("d");
        list.Add("e");
        list.EndUpdate();
        EXPECT_EQ(changes, 1);
    }
    EXPECT_EQ(live, 0);
}

TEST(StringList, FilesSaveWithCrLfAndLoadAnyBreakSkippingBom)
{
    TempFolder dir;
    TStringList list;
    list.Add("first");
    list.Add("zweite \xC3\xA4");
    list.SaveToFile(dir / "a.txt");
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "first\r\nzweite \xC3\xA4\r\n");

    WriteBytes(dir / "b.txt", "\xEF\xBB\xBFone\ntwo");
    TStringList loaded;
    loaded.LoadFromFile(dir / "b.txt");
    EXPECT_EQ(Items(loaded), (Lines{"one", "two"}));

    try {
        loaded.LoadFromFile(dir / "missing.txt");
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + (dir / "missing.txt") + "\". No such file or directory");
    }
    EXPECT_THROW(list.SaveToFile(dir / "no/such/folder.txt"), EFCreateError);
}

TEST(List, PointersWithCheckedIndexes)
{
    int a = 1, b = 2, c = 3;
    TList list;
    list.Add(&b);
    list.Add(&c);
    list.Insert(0, &a);
    list.Add(nullptr);
    EXPECT_EQ(list.Count(), 4);
    list.Pack();
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.First(), &a);
    EXPECT_EQ(list.Last(), &c);
    EXPECT_EQ(list.IndexOf(&c), 2);
    EXPECT_EQ(list.Remove(&b), 1);
    EXPECT_EQ(list.Remove(&b), -1);
    list.Add(&b);
    list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
    EXPECT_EQ(list[1], &b);
    list.Move(0, 2);
    EXPECT_EQ(list[2], &a);
    try {
        list.Items(3);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (3)");
    }
    list.Clear();
    EXPECT_THROW(list.First(), EListError);
    EXPECT_THROW(list.Last(), EListError);
}

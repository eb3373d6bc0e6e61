// Edits and memos driven through the headless backend: typing, selection,
// clipboard, limits, key filtering and memo scrolling.
#include "democontrols.h"

#include "vcl/clipbrd.h"
#include "vcl/mask.h"
#include "vcl/stdctrls_edit.h"

namespace {

class EditTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(300, 200);
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 150, 22);
        other = new TEdit(form);
        other->SetParent(form);
        other->SetBounds(10, 40, 150, 22);
        form->Show();
        edit->SetFocus();
    }
    TForm* form = nullptr;
    TEdit* edit = nullptr;
    TEdit* other = nullptr;
};

TEST_F(EditTest, TypingInsertsAtTheCaretAndFiresOnChangeEachTime)
{
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    headless->TypeText("helo");
    headless->PressKey(VK_LEFT);
    headless->TypeText("l");
    EXPECT_EQ(edit->Text(), "hello");
    EXPECT_EQ(edit->SelStart(), 4);
    EXPECT_EQ(changes, 5);
    headless->PressKey(VK_BACK);
    headless->PressKey(VK_DELETE);
    EXPECT_EQ(edit->Text(), "hel");
}

TEST_F(EditTest, ShiftArrowsSelectAndTypingReplacesTheSelection)
{
    headless->TypeText("abcdef");
    headless->PressKey(VK_HOME);
    headless->PressKey(VK_RIGHT, ssShift);
    headless->PressKey(VK_RIGHT, ssShift);
    EXPECT_EQ(edit->SelText(), "ab");
    headless->TypeText("X");
    EXPECT_EQ(edit->Text(), "Xcdef");
    headless->PressKey(VK_END, ssShift);
    EXPECT_EQ(edit->SelText(), "cdef");
}

TEST_F(EditTest, CutCopyAndPasteGoThroughTheClipboard)
{
    headless->TypeText("one two");
    headless->PressKey('A', ssCtrl);
    headless->PressKey('C', ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "one two");
    headless->PressKey(VK_END);
    headless->PressKey('V', ssCtrl);
    EXPECT_EQ(edit->Text(), "one twoone two");
    edit->SetSelStart(0);
    edit->SetSelLength(4);
    headless->PressKey('X', ssCtrl);
    EXPECT_EQ(edit->Text(), "twoone two");
    EXPECT_EQ(Clipboard()->AsText(), "one ");
    // A single line takes only the clipboard's first line.
    Clipboard()->SetAsText("first\r\nsecond");
    edit->SetText("");
    headless->PressKey(VK_INSERT, ssShift);
    EXPECT_EQ(edit->Text(), "first");
}

TEST_F(EditTest, ClipboardKeysBecomeMessagesAControlCanRefuse)
{
    // An edit that keeps its text to itself: cut and paste are refused, copy passes.
    class Guarded : public TEdit {
    public:
        using TEdit::TEdit;
        std::vector<UINT> seen;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == WM_CUT || m.Msg == WM_COPY || m.Msg == WM_PASTE) {
                seen.push_back(m.Msg);
                if (m.Msg != WM_COPY) return;
            }
            TEdit::WndProc(m);
        }
    };
    auto* g = new Guarded(form);
    g->SetParent(form);
    g->SetBounds(10, 70, 150, 22);
    g->SetText("secret");
    g->SetFocus();
    Clipboard()->SetAsText("pasted");
    headless->PressKey('A', ssCtrl);
    headless->PressKey('X', ssCtrl);
    headless->PressKey('V', ssCtrl);
    EXPECT_EQ(g->Text(), "secret");
    EXPECT_EQ(Clipboard()->AsText(), "pasted");
    headless->PressKey('C', ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "secret");
    EXPECT_EQ(g->seen, (std::vector<UINT>{WM_CUT, WM_PASTE, WM_COPY}));
    g->Perform(WM_CLEAR, 0, 0); // the selection is still whole: clearing empties it
    EXPECT_EQ(g->Text(), "");
}

TEST_F(EditTest, MaxLengthAndReadOnlyLimitTheUserNotTheCode)
{
    edit->SetMaxLength(12);
    headless->TypeText("DVD_DISC_NAME_TOO_LONG");
    EXPECT_EQ(edit->Text(), "DVD_DISC_NAM");
    Clipboard()->SetAsText("more");
    headless->PressKey('V', ssCtrl);
    EXPECT_EQ(edit->Text(), "DVD_DISC_NAM");
    edit->SetText("a text longer than twelve");
    EXPECT_EQ(edit->Text(), "a text longer than twelve");

    edit->SetReadOnly(true);
    edit->SetText("DVD_DISC");
    headless->PressKey(VK_END);
    headless->TypeText("x");
    headless->PressKey(VK_BACK);
    headless->PressKey('A', ssCtrl);
    headless->PressKey('X', ssCtrl);
    EXPECT_EQ(edit->Text(), "DVD_DISC");
    EXPECT_EQ(Clipboard()->AsText(), "more"); // cutting does nothing at all
    headless->PressKey('C', ssCtrl);
    EXPECT_EQ(Clipboard()->AsText(), "DVD_DISC"); // copying is still allowed
}

TEST_F(EditTest, KeyPressCanDropCharacters)
{
    edit->OnKeyPress = [](TObject*, char& key) {
        if (key < '0' || key > '9') key = 0;
    };
    headless->TypeText("1a2-3");
    EXPECT_EQ(edit->Text(), "123");
}

TEST_F(EditTest, MultiByteCharactersArriveByteByByteAndMoveAsOne)
{
    headless->TypeText("a\xC3\xA9z"); // a é z
    EXPECT_EQ(edit->Text(), "a\xC3\xA9z");
    headless->PressKey(VK_LEFT);
    headless->PressKey(VK_LEFT);
    EXPECT_EQ(edit->SelStart(), 1);
    headless->PressKey(VK_DELETE);
    EXPECT_EQ(edit->Text(), "az");
    edit->SetMaxLength(3);
    headless->TypeText("\xE2\x82\xAC\xE2\x82\xAC"); // two euro signs, room for one
    EXPECT_EQ(edit->Text(), "a\xE2\x82\xACz");
}

TEST_F(EditTest, AutoSelectOnTabAndEnterExitEvents)
{
    std::vector<std::string> events;
    other->SetText("selected");
    other->OnEnter = [&](TObject*) { events.push_back("enter"); };
    edit->OnExit = [&](TObject*) { events.push_back("exit"); };
    headless->PressKey(VK_TAB);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(other->SelText(), "selected");
    EXPECT_EQ(events, (std::vector<std::string>{"exit", "enter"}));
}

TEST_F(EditTest, MouseClickPlacesTheCaretAndDragSelects)
{
    edit->SetText("abcdefghij");
    TRect er = edit->EditRect();
    int y = 10 + er.Top + 5;
    headless->Click(*form, 10 + er.Left, y);
    EXPECT_EQ(edit->SelStart(), 0);
    headless->MouseDown(*form, 10 + er.Left, y);
    headless->MouseMove(*form, 10 + er.Right - 2, y, ssLeft);
    headless->MouseUp(*form, 10 + er.Right - 2, y);
    EXPECT_EQ(edit->SelText(), "abcdefghij");
}

TEST_F(EditTest, FocusedEditDrawsItsSelectionInTheHighlightColour)
{
    edit->SetText("WWWW");
    edit->SelectAll();
    auto shot = headless->Snapshot(*form);
    TRect er = edit->EditRect();
    bool found = false;
    for (int x = er.Left; x < er.Left + 20 && !found; ++x)
        for (int y = er.Top; y < er.Bottom && !found; ++y)
            found = shot->Pixel(10 + x, 10 + y) == ColorToRGB(clHighlight);
    EXPECT_TRUE(found);
}

// ---------------------------------------------------------------------------
class MemoTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        form = MakeForm(300, 200);
        memo = new TMemo(form);
        memo->SetParent(form);
        memo->SetBounds(10, 10, 200, 80);
        memo->SetScrollBars(ssVertical);
        form->Show();
    }
    TForm* form = nullptr;
    TMemo* memo = nullptr;
};

TEST_F(MemoTest, LinesAreTheTextJoinedWithCrLf)
{
    memo->Lines()->Add("first");
    memo->Lines()->Add("second");
    EXPECT_EQ(memo->Text(), "first\r\nsecond\r\n");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    memo->Lines()->Insert(1, "middle");
    memo->Lines()->Delete(0);
    EXPECT_EQ(memo->Lines()->Get(0), "middle");
    EXPECT_EQ(memo->Lines()->Get(1), "second");
    EXPECT_THROW(memo->Lines()->Get(5), EStringListError);
    memo->Lines()->Clear();
    EXPECT_EQ(memo->Lines()->Count(), 0);
}

TEST_F(MemoTest, AppendingKeepsTheLastLineVisible)
{
    for (int i = 0; i < 40; ++i) memo->Lines()->Add("Step " + std::to_string(i) + " >>>");
    TScrollState s = memo->VertScrollState();
    EXPECT_TRUE(s.Needed());
    EXPECT_EQ(memo->TopRow(), s.MaxPos());
    EXPECT_GE(memo->TopRow() + memo->VisibleRowCount(), memo->RowOfLine(39) + 1);
}

TEST_F(MemoTest, ScrollBarArrowsWheelAndMessagesScroll)
{
    for (int i = 0; i < 30; ++i) memo->Lines()->Add(std::to_string(i));
    memo->SetTopRow(0);
    // The down arrow sits at the bottom of the bar at the memo's right edge.
    headless->Click(*form, 10 + 200 - 2 - 8, 10 + 80 - 2 - 4);
    EXPECT_EQ(memo->TopRow(), 1);
    memo->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(memo->TopRow(), 1 + memo->VisibleRowCount());
    memo->Perform(WM_VSCROLL, SB_THUMBPOSITION | (5u << 16), 0);
    EXPECT_EQ(memo->TopRow(), 5);
    memo->Perform(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(memo->TopRow(), memo->VertScrollState().MaxPos());
    memo->SetFocus();
    headless->Wheel(*form, 50, 50, 120);
    EXPECT_EQ(memo->TopRow(), memo->VertScrollState().MaxPos() - 3);
    memo->SetTopRow(-10);
    EXPECT_EQ(memo->TopRow(), 0);
}

TEST_F(MemoTest, WordWrapBreaksLongLinesAtBlanks)
{
    memo->SetText("alpha beta gamma delta epsilon zeta eta theta iota kappa lambda");
    EXPECT_GT(memo->RowCount(), 1);
    memo->SetWordWrap(false);
    EXPECT_EQ(memo->RowCount(), 1);
}

TEST_F(MemoTest, EnterAndArrowsEditLines)
{
    memo->SetFocus();
    headless->TypeText("ab");
    headless->PressKey(VK_RETURN);
    headless->TypeText("cd");
    EXPECT_EQ(memo->Text(), "ab\r\ncd");
    headless->PressKey(VK_UP);
    headless->TypeText("X");
    EXPECT_EQ(memo->Lines()->Get(0), "abX");
    headless->PressKey(VK_RIGHT); // over the line break as one step
    headless->PressKey(VK_BACK);
    EXPECT_EQ(memo->Text(), "abXcd");
}

TEST_F(MemoTest, ReadOnlyLogKeepsItsTextAgainstTyping)
{
    memo->SetReadOnly(true);
    memo->Lines()->Add("Process finished.");
    memo->SetFocus();
    headless->TypeText("zz");
    headless->PressKey(VK_RETURN);
    EXPECT_EQ(memo->Text(), "Process finished.\r\n");
}

// ---------------------------------------------------------------------------
TEST_F(EditTest, MaskEditFillsPositionsAndSkipsLiterals)
{
    auto* m = new TMaskEdit(form);
    m->SetParent(form);
    m->SetBounds(10, 80, 100, 22);
    m->SetEditMask("!90:00:00;1;_");
    EXPECT_EQ(m->Text(), "__:__:__");
    m->SetFocus();
    m->SetSelStart(0);
    headless->TypeText("1x23");
    EXPECT_EQ(m->Text(), "12:3_:__");
    EXPECT_THROW(m->ValidateEdit(), EDBEditError);
    headless->TypeText("4599");
    EXPECT_EQ(m->Text(), "12:34:59");
    EXPECT_NO_THROW(m->ValidateEdit());
    headless->TypeText("7"); // full: nothing more fits
    EXPECT_EQ(m->Text(), "12:34:59");
    headless->PressKey(VK_BACK);
    EXPECT_EQ(m->Text(), "12:34:5_");
    m->SetSelStart(0);
    headless->PressKey(VK_DELETE);
    EXPECT_EQ(m->Text(), "_2:34:5_");
    EXPECT_EQ(m->MaskValue(), " 2:34:5 ");
}

TEST_F(EditTest, MaskWithoutSavedLiteralsAndCaseConversion)
{
    auto* m = new TMaskEdit(form);
    m->SetParent(form);
    m->SetEditMask(">LL\\-000;0;*");
    EXPECT_EQ(m->Text(), "**-***");
    m->SetMaskValue("ab123");
    EXPECT_EQ(m->Text(), "AB-123");
    EXPECT_EQ(m->MaskValue(), "AB123");
    m->SetMaskValue("1b");
    EXPECT_EQ(m->Text(), "*B-***");
}


// Filling a memo line by line inside an update writes its text once: the
// work is one layout for the whole fill, not one a line (the dialog that shows
// a subtitle file fills thousands). The time it takes is in bench/skin.
TEST_F(MemoTest, TwentyThousandLinesInsideAnUpdateReachTheTextInOneWrite)
{
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    memo->Lines()->Add("kept");
    changes = 0;
    TStrings& lines = *memo->Lines();
    {
        TStringsUpdate update(lines);
        lines.Clear();
        for (int i = 0; i < 20000; ++i) lines.Add("Line " + std::to_string(i));
        lines.BeginUpdate();   // nested: only the outer end writes
        lines.Put(0, "First");
        lines.EndUpdate();
        EXPECT_EQ(lines.Count(), 20000);
        EXPECT_EQ(lines.Get(19999), "Line 19999");
        EXPECT_EQ(memo->Text(), "kept\r\n");   // not yet written
        EXPECT_EQ(changes, 0);
    }
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(lines.Count(), 20000);
    EXPECT_EQ(lines.Get(0), "First");
    EXPECT_EQ(memo->Text().substr(0, 15), "First\r\nLine 1\r\n");
    EXPECT_EQ(memo->RowCount(), 20001);   // and the empty row after the last break
    EXPECT_EQ(memo->TopRow(), 0);         // the last change was no addition

    // An addition last keeps the end in view, as single additions do.
    {
        TStringsUpdate update(lines);
        lines.Delete(0);
        lines.Add("Last");
    }
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(memo->TopRow(), memo->VertScrollState().MaxPos());
    lines.SetText("a\nb\rc");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(memo->Text(), "a\r\nb\r\nc\r\n");

    // Text set on the memo itself wins over an update's unwritten lines.
    lines.BeginUpdate();
    lines.Add("lost");
    memo->SetText("x\ny");
    EXPECT_EQ(lines.Count(), 2);
    lines.EndUpdate();
    EXPECT_EQ(memo->Text(), "x\ny");
    EXPECT_EQ(lines.Get(1), "y");
}

} // namespace

#pragma once
// Self-drawn text editing: the single-line edit and the multi-line memo share
// one engine (caret and selection as byte offsets into UTF-8 text, laid out
// into rows). Clipboard through vcl's clipbrd.
#include "rtl/classes.h"
#include "vcl/ctrltypes.h"
#include "vcl/scrollstate.h"

#include <memory>
#include <string>
#include <vector>

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
// Edits use the form's bsNone / bsSingle values of TFormBorderStyle.

class TCustomEdit : public TCustomControl {
public:
    explicit TCustomEdit(TComponent* AOwner);
    ~TCustomEdit() override;

    // Selection in bytes of the UTF-8 text; the caret stands at the moving end.
    int SelStart() const;
    void SetSelStart(int value);  // also clears the selection
    int SelLength() const;
    void SetSelLength(int value);
    std::string SelText() const;
    void SetSelText(const std::string& value); // replaces the selection as typing would (ReadOnly ignored)
    void SelectAll();
    void ClearSelection();
    void Clear() { SetText(""); }
    // Through WM_CUT, WM_COPY and WM_PASTE.
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();
    int CaretPos() const { return caret_; }

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    // Characters (code points) the user may type; 0 = no limit. Code may set longer texts.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value) { maxLength_ = value < 0 ? 0 : value; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value); // bsNone or bsSingle
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char value);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase value);
    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }

    // The rectangle text is drawn in (client coordinates). Setting one reduces it so
    // that a child (spin buttons) fits beside it; an empty rectangle restores the default.
    TRect EditRect() const;
    void SetEditRect(const TRect& r);

    TNotifyEvent OnChange;

    void WndProc(TMessage& Message) override;

protected:
    struct Row {
        int start = 0;  // byte offsets into the text, end excluded (line breaks not included)
        int end = 0;
        int y = 0;      // top, relative to the first row
    };
    virtual void Change();
    // Lays the text out into rows; the single-line edit keeps one row.
    virtual void LayoutRows(std::vector<Row>& rows);
    virtual bool MultiLine() const { return false; }
    virtual bool AcceptsReturn() const { return false; }
    // A character or pasted text about to be inserted; false drops it (key filtering).
    virtual bool CanInsert(const std::string& text) const;
    // Keeps the caret in view after a move.
    virtual void ScrollCaretIntoView();
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void Paint() override;
    void TextChanged() override;

    // Inserts at the caret, replacing the selection, honouring ReadOnly and MaxLength.
    void TypeText(const std::string& text);
    void DeleteRange(int from, int to);
    void SetSelection(int anchor, int caret);
    int ByteAtPoint(int X, int Y);
    int LineHeight();
    const std::vector<Row>& Rows();
    int RowOf(int offset);
    // Inside the border and any scroll bar of the control's own.
    virtual TRect InnerRect() const;
    TRect BorderInnerRect() const;      // inside the border only
    void InvalidateLayout();
    // The text, layout, size or scroll position changed: the scroll ranges may differ.
    virtual void ScrollStateChanged() {}
    std::string DisplayText(int from, int to) const;
    int TextX(const Row& row, int byteOffset);
    int scrollX_ = 0;                   // horizontal scroll, pixels
    int topRow_ = 0;                    // first row shown (memo)

private:
    void DoCut();
    void DoCopy();
    void DoPaste();
    void DrawBorder(TCanvas& c);
    void ReplaceText(const std::string& text, int caret);

    int anchor_ = 0;
    int caret_ = 0;
    bool readOnly_ = false;
    int maxLength_ = 0;
    bool autoSelect_ = true;
    bool hideSelection_ = true;
    TAlignment alignment_ = taLeftJustify;
    TFormBorderStyle borderStyle_ = bsSingle;
    int borderWidth_ = 0;
    char passwordChar_ = 0;
    TEditCharCase charCase_ = ecNormal;
    bool modified_ = false;
    bool selecting_ = false;
    bool settingText_ = false;
    std::string pendingUtf8_;           // bytes of a character still arriving one by one
    TRect editRect_;
    bool customEditRect_ = false;
    std::vector<Row> rows_;
    bool layoutValid_ = false;
    int layoutWidth_ = -1;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// ---------------------------------------------------------------------------
class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;

    // The lines of the text (joined with CR LF). Adding a line keeps the last line in view.
    // Between Lines()->BeginUpdate and EndUpdate the text takes the changes at the end, at once.
    TStrings* Lines();
    void Append(const std::string& line);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool value) { wantReturns_ = value; }
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool value) { wantTabs_ = value; }

    // Vertical scrolling in rows, as the native scroll bar reports it.
    TScrollState VertScrollState();
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);
    // Horizontal scrolling in pixels; lines only run past the width without WordWrap.
    TScrollState HorzScrollState();
    int ScrollLeft() const { return scrollX_; }
    void SetScrollLeft(int x);
    int RowCount();
    int VisibleRowCount();
    // Row index (from 0) that a line's first character sits on.
    int RowOfLine(int line);
    void ScrollToBottom();

    void WndProc(TMessage& Message) override;

protected:
    void LayoutRows(std::vector<Row>& rows) override;
    bool MultiLine() const override { return true; }
    bool AcceptsReturn() const override { return wantReturns_; }
    void ScrollCaretIntoView() override;
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void Paint() override;
    TRect InnerRect() const override;
    void TextChanged() override;

private:
    class MemoLines;
    TRect ScrollBarRect(TScrollBarKind kind) const;
    int WidestRow();
    int CharWidth();
    std::unique_ptr<MemoLines> lines_;
    bool wordWrap_ = true;
    TScrollStyle scrollBars_ = ssNone;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    TScrollBarMouse vbar_{sbVertical};
    TScrollBarMouse hbar_{sbHorizontal};
    int widest_ = -1;                   // widest row in pixels, -1 until measured
};

class TMemo : public TCustomMemo {
public:
    explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

#include "vcl/stdctrls_edit.h"

#include "gfx/gdi.h"
#include "vcl/clipbrd.h"
#include "vcl/forms.h"
#include "edges.h"
#include "internal.h"

#include <algorithm>
#include <cctype>

namespace {
bool IsCont(unsigned char c) { return (c & 0xC0) == 0x80; }

int NextChar(const std::string& s, int i)
{
    int n = static_cast<int>(s.size());
    if (i >= n) return n;
    if (s[static_cast<std::size_t>(i)] == '\r' && i + 1 < n && s[static_cast<std::size_t>(i) + 1] == '\n') return i + 2;
    ++i;
    while (i < n && IsCont(static_cast<unsigned char>(s[static_cast<std::size_t>(i)]))) ++i;
    return i;
}

int PrevChar(const std::string& s, int i)
{
    if (i <= 0) return 0;
    if (i >= 2 && s[static_cast<std::size_t>(i) - 1] == '\n' && s[static_cast<std::size_t>(i) - 2] == '\r') return i - 2;
    --i;
    while (i > 0 && IsCont(static_cast<unsigned char>(s[static_cast<std::size_t>(i)]))) --i;
    return i;
}

int CodePoints(const std::string& s)
{
    int n = 0;
    for (unsigned char c : s)
        if (!IsCont(c)) ++n;
    return n;
}

// Expected length of a UTF-8 sequence from its lead byte (1 for stray bytes).
int SeqLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); }

// Line breaks of the memo: CR LF, a lone LF or a lone CR.
std::string NormalizeBreaks(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += "\r\n";
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else if (s[i] == '\n') {
            out += "\r\n";
        } else {
            out += s[i];
        }
    }
    return out;
}
} // namespace

// ---------------------------------------------------------------------------
TCustomEdit::TCustomEdit(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csOpaque);
    SetColor(clWindow);
    SetTabStop(true);
    SetCursor(crIBeam);
    SetBounds(0, 0, 121, 21);
}

TCustomEdit::~TCustomEdit() = default;

int TCustomEdit::SelStart() const { return std::min(anchor_, caret_); }
int TCustomEdit::SelLength() const { return std::abs(caret_ - anchor_); }

void TCustomEdit::SetSelStart(int value)
{
    int n = static_cast<int>(Text().size());
    value = std::clamp(value, 0, n);
    SetSelection(value, value);
}

void TCustomEdit::SetSelLength(int value)
{
    int n = static_cast<int>(Text().size());
    int start = SelStart();
    SetSelection(start, std::clamp(start + std::max(0, value), 0, n));
}

std::string TCustomEdit::SelText() const { return Text().substr(static_cast<std::size_t>(SelStart()), static_cast<std::size_t>(SelLength())); }

void TCustomEdit::SetSelText(const std::string& value)
{
    std::string t = Text();
    int s = SelStart();
    std::string ins = MultiLine() ? NormalizeBreaks(value) : value;
    t.replace(static_cast<std::size_t>(s), static_cast<std::size_t>(SelLength()), ins);
    ReplaceText(t, s + static_cast<int>(ins.size()));
}

void TCustomEdit::SelectAll() { SetSelection(0, static_cast<int>(Text().size())); }

void TCustomEdit::ClearSelection()
{
    if (readOnly_ || SelLength() == 0) return;
    DeleteRange(SelStart(), SelStart() + SelLength());
}

// Each goes through its window message, so that a control can refuse it.
void TCustomEdit::CopyToClipboard() { Perform(WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }

void TCustomEdit::DoCopy()
{
    // A password edit never gives its text away.
    if (passwordChar_ || SelLength() == 0) return;
    Clipboard()->SetAsText(SelText());
}

void TCustomEdit::DoCut()
{
    if (readOnly_ || passwordChar_) return;
    DoCopy();
    ClearSelection();
}

void TCustomEdit::DoPaste()
{
    if (readOnly_) return;
    std::string t = Clipboard()->AsText();
    if (!MultiLine()) {
        // A single line takes the clipboard's first line only.
        auto cut = t.find_first_of("\r\n");
        if (cut != std::string::npos) t.resize(cut);
    }
    if (!t.empty()) TypeText(t);
}

void TCustomEdit::SetReadOnly(bool value)
{
    readOnly_ = value;
    Invalidate();
}

void TCustomEdit::SetHideSelection(bool value)
{
    hideSelection_ = value;
    Invalidate();
}

void TCustomEdit::SetAlignment(TAlignment value)
{
    if (alignment_ == value) return;
    alignment_ = value;
    scrollX_ = 0;
    Invalidate();
}

void TCustomEdit::SetBorderStyle(TFormBorderStyle value)
{
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    InvalidateLayout();
}

void TCustomEdit::SetBorderWidth(int value)
{
    value = std::max(0, value);
    if (borderWidth_ == value) return;
    borderWidth_ = value;
    InvalidateLayout();
}

void TCustomEdit::SetPasswordChar(char value)
{
    passwordChar_ = value;
    InvalidateLayout();
}

void TCustomEdit::SetCharCase(TEditCharCase value)
{
    charCase_ = value;
    if (value == ecUpperCase) SetText(UpperCase(Text()));
    else if (value == ecLowerCase) SetText(LowerCase(Text()));
}

TRect TCustomEdit::InnerRect() const { return BorderInnerRect(); }

TRect TCustomEdit::BorderInnerRect() const
{
    TRect r = ClientRect();
    int inset = (borderStyle_ == bsSingle ? 2 : 0) + borderWidth_;
    InflateRect(r, -inset, -inset);
    return r;
}

TRect TCustomEdit::EditRect() const
{
    if (customEditRect_) return editRect_;
    TRect r = InnerRect();
    InflateRect(r, -1, 0);
    return r;
}

void TCustomEdit::SetEditRect(const TRect& r)
{
    customEditRect_ = !r.IsEmpty();
    editRect_ = r;
    InvalidateLayout();
}

void TCustomEdit::InvalidateLayout()
{
    layoutValid_ = false;
    Invalidate();
    ScrollStateChanged();
}

void TCustomEdit::Change()
{
    if (OnChange && !Loading()) OnChange(this);
}

void TCustomEdit::TextChanged()
{
    layoutValid_ = false;
    int n = static_cast<int>(Text().size());
    if (!settingText_) {
        // Text set from code: the caret goes to the start, as the platform's edit does.
        anchor_ = caret_ = 0;
        scrollX_ = 0;
        topRow_ = 0;
    }
    anchor_ = std::min(anchor_, n);
    caret_ = std::min(caret_, n);
    Change();
    ScrollStateChanged();
}

void TCustomEdit::ReplaceText(const std::string& text, int caret)
{
    settingText_ = true;
    anchor_ = caret_ = std::clamp(caret, 0, static_cast<int>(text.size()));
    try {
        SetText(text);
    } catch (...) {
        settingText_ = false;
        throw;
    }
    settingText_ = false;
    modified_ = true;
    ScrollCaretIntoView();
    Invalidate();
}

bool TCustomEdit::CanInsert(const std::string&) const { return true; }

void TCustomEdit::TypeText(const std::string& input)
{
    if (readOnly_) return;
    std::string text = MultiLine() ? NormalizeBreaks(input) : input;
    if (charCase_ == ecUpperCase) text = UpperCase(text);
    else if (charCase_ == ecLowerCase) text = LowerCase(text);
    if (!CanInsert(text)) return;
    if (maxLength_ > 0) {
        int room = maxLength_ - (CodePoints(Text()) - CodePoints(SelText()));
        if (room <= 0) return;
        int cut = 0, cps = 0;
        while (cut < static_cast<int>(text.size()) && cps < room) {
            cut = NextChar(text, cut);
            ++cps;
        }
        text.resize(static_cast<std::size_t>(cut));
    }
    std::string t = Text();
    int s = SelStart();
    t.replace(static_cast<std::size_t>(s), static_cast<std::size_t>(SelLength()), text);
    ReplaceText(t, s + static_cast<int>(text.size()));
}

void TCustomEdit::DeleteRange(int from, int to)
{
    if (readOnly_ || from >= to) return;
    std::string t = Text();
    t.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    ReplaceText(t, from);
}

void TCustomEdit::SetSelection(int anchor, int caret)
{
    int n = static_cast<int>(Text().size());
    anchor_ = std::clamp(anchor, 0, n);
    caret_ = std::clamp(caret, 0, n);
    ScrollCaretIntoView();
    Invalidate();
}

std::string TCustomEdit::DisplayText(int from, int to) const
{
    std::string s = Text().substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    if (passwordChar_) return std::string(static_cast<std::size_t>(CodePoints(s)), passwordChar_);
    return s;
}

int TCustomEdit::LineHeight()
{
    TCanvas* c = Canvas();
    c->SetFont(*Font());
    return std::max(1, c->TextHeight("Wg"));
}

void TCustomEdit::LayoutRows(std::vector<Row>& rows)
{
    rows.push_back({0, static_cast<int>(Text().size()), 0});
}

const std::vector<TCustomEdit::Row>& TCustomEdit::Rows()
{
    int w = EditRect().Width();
    if (!layoutValid_ || layoutWidth_ != w) {
        rows_.clear();
        LayoutRows(rows_);
        if (rows_.empty()) rows_.push_back({0, 0, 0});
        layoutValid_ = true;
        layoutWidth_ = w;
    }
    return rows_;
}

int TCustomEdit::RowOf(int offset)
{
    const auto& rows = Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        bool last = i + 1 == rows.size();
        // An offset at a wrapped row's end belongs to the next row (where typing continues).
        if (offset < rows[i].end || last || (offset == rows[i].end && rows[i + 1].start > offset)) return static_cast<int>(i);
    }
    return 0;
}

// X of a byte offset within a row, client coordinates.
int TCustomEdit::TextX(const Row& row, int byteOffset)
{
    TCanvas* c = Canvas();
    c->SetFont(*Font());
    TRect er = EditRect();
    int full = c->TextWidth(DisplayText(row.start, row.end));
    int base = er.Left;
    if (alignment_ == taRightJustify) base = er.Right - full - 1;
    else if (alignment_ == taCenter) base = er.Left + (er.Width() - full) / 2;
    if (MultiLine() || alignment_ == taLeftJustify) base = std::max(base, er.Left);
    base -= scrollX_;
    return base + c->TextWidth(DisplayText(row.start, std::clamp(byteOffset, row.start, row.end)));
}

int TCustomEdit::ByteAtPoint(int X, int Y)
{
    const auto& rows = Rows();
    int lh = LineHeight();
    TRect er = EditRect();
    int rowIndex = 0;
    if (MultiLine()) {
        int y = Y - er.Top;
        rowIndex = topRow_ + (y < 0 ? -1 : y / lh);
        rowIndex = std::clamp(rowIndex, 0, static_cast<int>(rows.size()) - 1);
    }
    const Row& row = rows[static_cast<std::size_t>(rowIndex)];
    const std::string& t = Text();
    int best = row.start, bestDist = std::abs(TextX(row, row.start) - X);
    for (int i = row.start; i < row.end;) {
        i = NextChar(t, i);
        if (i > row.end) break;
        int d = std::abs(TextX(row, i) - X);
        if (d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    return best;
}

void TCustomEdit::ScrollCaretIntoView()
{
    if (MultiLine()) return;
    TRect er = EditRect();
    const Row& row = Rows().front();
    TCanvas* c = Canvas();
    c->SetFont(*Font());
    int full = c->TextWidth(DisplayText(row.start, row.end));
    int caretX = c->TextWidth(DisplayText(row.start, caret_));
    int w = std::max(1, er.Width() - 1);
    if (full <= w || alignment_ != taLeftJustify) {
        scrollX_ = 0;
        return;
    }
    if (caretX - scrollX_ > w) scrollX_ = caretX - w;
    if (caretX - scrollX_ < 0) scrollX_ = std::max(0, caretX - w / 3);
    scrollX_ = std::clamp(scrollX_, 0, std::max(0, full - w));
}

void TCustomEdit::DoEnter()
{
    // Entering by keyboard or code selects everything when AutoSelect is on.
    if (autoSelect_ && !MultiLine() && !(KeyboardStateToShiftState() & ssLeft)) SelectAll();
    TCustomControl::DoEnter();
    Invalidate();
}

void TCustomEdit::DoExit()
{
    TCustomControl::DoExit();
    Invalidate();
}

void TCustomEdit::KeyDown(unsigned short& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    const std::string& t = Text();
    int n = static_cast<int>(t.size());
    bool shift = (Shift & ssShift) != 0, ctrl = (Shift & ssCtrl) != 0;
    auto moveTo = [&](int pos) { SetSelection(shift ? anchor_ : pos, pos); };
    const Row& row = Rows()[static_cast<std::size_t>(RowOf(caret_))];
    switch (Key) {
    case VK_LEFT:
        if (!shift && SelLength() > 0) moveTo(SelStart());
        else if (ctrl) {
            int i = caret_;
            while (i > 0 && !IsWordChar(t[static_cast<std::size_t>(i) - 1])) i = PrevChar(t, i);
            while (i > 0 && IsWordChar(t[static_cast<std::size_t>(i) - 1])) i = PrevChar(t, i);
            moveTo(i);
        } else moveTo(PrevChar(t, caret_));
        break;
    case VK_RIGHT:
        if (!shift && SelLength() > 0) moveTo(SelStart() + SelLength());
        else if (ctrl) {
            int i = caret_;
            while (i < n && IsWordChar(t[static_cast<std::size_t>(i)])) i = NextChar(t, i);
            while (i < n && !IsWordChar(t[static_cast<std::size_t>(i)])) i = NextChar(t, i);
            moveTo(i);
        } else moveTo(NextChar(t, caret_));
        break;
    case VK_HOME: moveTo((ctrl || !MultiLine()) ? 0 : row.start); break;
    case VK_END: moveTo(ctrl || !MultiLine() ? n : row.end); break;
    case VK_DELETE:
        if (shift) CutToClipboard();
        else if (SelLength() > 0) ClearSelection();
        else DeleteRange(caret_, NextChar(t, caret_));
        break;
    case VK_INSERT:
        if (ctrl) CopyToClipboard();
        else if (shift) PasteFromClipboard();
        break;
    case 'A': if (ctrl) SelectAll(); break;
    case 'C': if (ctrl) CopyToClipboard(); break;
    case 'X': if (ctrl) CutToClipboard(); break;
    case 'V': if (ctrl) PasteFromClipboard(); break;
    default: return;
    }
}

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (CanFocus() && !Focused()) SetFocus();
    if (Button == mbLeft && !(Shift & ssDouble)) {
        int pos = ByteAtPoint(X, Y);
        SetSelection((Shift & ssShift) ? anchor_ : pos, pos);
        selecting_ = true;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomEdit::MouseMove(TShiftState Shift, int X, int Y)
{
    if (selecting_ && (Shift & ssLeft)) {
        int pos = ByteAtPoint(X, Y);
        if (pos != caret_) SetSelection(anchor_, pos);
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) selecting_ = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomEdit::DblClick()
{
    // A double click selects the word under the caret.
    const std::string& t = Text();
    int n = static_cast<int>(t.size());
    int a = caret_, b = caret_;
    while (a > 0 && IsWordChar(t[static_cast<std::size_t>(a) - 1])) a = PrevChar(t, a);
    while (b < n && IsWordChar(t[static_cast<std::size_t>(b)])) b = NextChar(t, b);
    SetSelection(a, b);
    selecting_ = false;
    TCustomControl::DblClick();
}

void TCustomEdit::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_CUT:
        DoCut();
        return;
    case WM_COPY:
        DoCopy();
        return;
    case WM_PASTE:
        DoPaste();
        return;
    case WM_CLEAR:
        ClearSelection();
        return;
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
        return;
    case WM_CHAR: {
        TCustomControl::WndProc(m);
        auto c = static_cast<unsigned char>(m.WParam);
        if (c == 0) return;
        if (c == 8) { // Backspace
            pendingUtf8_.clear();
            if (readOnly_) return;
            if (SelLength() > 0) ClearSelection();
            else DeleteRange(PrevChar(Text(), caret_), caret_);
            return;
        }
        if (c == '\r') {
            if (AcceptsReturn()) TypeText("\r\n");
            return;
        }
        if (c == '\t' && MultiLine()) {
            TypeText("\t");
            return;
        }
        if (c < 32 || c == 127) return;
        if (c >= 0x80 || !pendingUtf8_.empty()) {
            // Characters beyond ASCII arrive as their UTF-8 bytes one by one.
            if (!IsCont(c)) pendingUtf8_.clear();
            pendingUtf8_ += static_cast<char>(c);
            if (static_cast<int>(pendingUtf8_.size()) < SeqLength(static_cast<unsigned char>(pendingUtf8_[0]))) return;
            std::string ch;
            ch.swap(pendingUtf8_);
            TypeText(ch);
            return;
        }
        TypeText(std::string(1, static_cast<char>(c)));
        return;
    }
    case WM_SIZE:
    case CM_FONTCHANGED:
        layoutValid_ = false;
        TCustomControl::WndProc(m);
        ScrollStateChanged();
        return;
    }
    TCustomControl::WndProc(m);
}

void TCustomEdit::DrawBorder(TCanvas& c)
{
    if (borderStyle_ != bsSingle) return;
    SunkenEdge(c, ClientRect());
}

void TCustomEdit::Paint()
{
    TCanvas& c = *Canvas();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(Color());
    c.FillRect(ClientRect());
    DrawBorder(c);
    c.SetFont(*Font());
    if (!Enabled()) c.Font()->SetColor(clGrayText);
    TRect er = EditRect();
    SavedDC dc(c);
    c.IntersectClipRect(er);
    const auto& rows = Rows();
    int lh = LineHeight();
    bool focused = Focused();
    bool showSel = SelLength() > 0 && (focused || !hideSelection_);
    int selA = SelStart(), selB = SelStart() + SelLength();
    int top = er.Top + (MultiLine() ? 0 : std::max(0, (er.Height() - lh) / 2));
    for (std::size_t i = static_cast<std::size_t>(MultiLine() ? topRow_ : 0); i < rows.size(); ++i) {
        const Row& row = rows[i];
        int y = top + row.y - (MultiLine() ? rows[static_cast<std::size_t>(topRow_)].y : 0);
        if (y >= er.Bottom) break;
        c.Brush()->SetStyle(bsClear);
        int x0 = TextX(row, row.start);
        c.TextOut(x0, y, DisplayText(row.start, row.end));
        if (showSel) {
            int a = std::max(selA, row.start), b = std::min(selB, row.end);
            bool breakSelected = MultiLine() && selA <= row.end && selB > row.end;
            if (a < b || breakSelected) {
                int xa = TextX(row, a), xb = TextX(row, std::max(a, b)) + (breakSelected ? 4 : 0);
                c.Brush()->SetStyle(bsSolid);
                c.Brush()->SetColor(clHighlight);
                c.Font()->SetColor(clHighlightText);
                c.FillRect(Rect(xa, y, xb, y + lh));
                if (a < b) {
                    c.Brush()->SetStyle(bsClear);
                    c.TextOut(xa, y, DisplayText(a, b));
                }
                c.Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
            }
        }
    }
    if (focused && SelLength() == 0) {
        int r = RowOf(caret_);
        const Row& row = rows[static_cast<std::size_t>(r)];
        int y = top + row.y - (MultiLine() ? rows[static_cast<std::size_t>(topRow_)].y : 0);
        int x = TextX(row, caret_);
        if (x >= er.Right) x = er.Right - 1;
        c.Pen()->SetColor(Font()->Color());
        c.MoveTo(x, y);
        c.LineTo(x, y + lh);
    }
}

// ---------------------------------------------------------------------------
// Lines over the memo's text, which stays the content: the list of its lines is
// kept while it matches the text. Between BeginUpdate and EndUpdate changes go
// to the list only and reach the text in one go at the last EndUpdate, so that
// filling a memo line by line costs one layout, not one a line.
class TCustomMemo::MemoLines : public TStrings {
public:
    explicit MemoLines(TCustomMemo& memo) : memo_(memo) {}

    int Count() const override { return static_cast<int>(List().size()); }
    std::string Get(int index) const override
    {
        Check(index, false);
        return List()[static_cast<std::size_t>(index)];
    }
    void Put(int index, const std::string& s) override
    {
        Check(index, false);
        List()[static_cast<std::size_t>(index)] = s;
        Commit(false);
    }
    TObject* GetObject(int) const override { return nullptr; }
    void PutObject(int, TObject*) override {}
    void Insert(int index, const std::string& s) override
    {
        Check(index, true);
        const bool atEnd = index == Count();
        List().insert(List().begin() + index, s);
        Commit(atEnd);
    }
    void Delete(int index) override
    {
        Check(index, false);
        List().erase(List().begin() + index);
        Commit(false);
    }
    void Clear() override
    {
        List().clear();
        Commit(false);
    }
    // The memo's text was set or typed into: the list is read from it again,
    // and what an update had not yet written is given up for it.
    void TextReplaced()
    {
        if (writing_) return;
        known_ = false;
        pending_ = false;
    }

protected:
    void Changed() override
    {
        if (pending_) Write();
    }

private:
    std::vector<std::string>& List() const
    {
        if (!known_) {
            lines_.clear();
            const std::string& t = memo_.Text();
            std::size_t start = 0;
            while (start < t.size()) {
                const std::size_t e = t.find_first_of("\r\n", start);
                if (e == std::string::npos) {
                    lines_.push_back(t.substr(start));
                    break;
                }
                lines_.push_back(t.substr(start, e - start));
                start = e + ((t[e] == '\r' && e + 1 < t.size() && t[e + 1] == '\n') ? 2 : 1);
            }
            known_ = true;
        }
        return lines_;
    }
    // Adding a line keeps the last line in view; other changes show the start.
    void Commit(bool appended)
    {
        lastAppended_ = appended;
        pending_ = true;
        if (!Updating()) Write();
    }
    void Write()
    {
        std::size_t size = 0;
        for (const std::string& line : lines_) size += line.size() + 2;
        std::string text;
        text.reserve(size);
        for (const std::string& line : lines_) text.append(line).append("\r\n");
        pending_ = false;
        writing_ = true;
        try {
            memo_.SetText(text);
        } catch (...) {
            writing_ = false;
            throw;
        }
        writing_ = false;
        if (lastAppended_) memo_.ScrollToBottom();
    }
    void Check(int index, bool allowEnd) const
    {
        const int n = Count();
        if (index < 0 || index > n || (!allowEnd && index == n))
            throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    }

    TCustomMemo& memo_;
    mutable std::vector<std::string> lines_;
    mutable bool known_ = false;
    bool pending_ = false;        // the list holds changes the text has not
    bool lastAppended_ = false;
    bool writing_ = false;
};

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), lines_(std::make_unique<MemoLines>(*this))
{
    SetAutoSelect(false);
    SetBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo() = default;

TStrings* TCustomMemo::Lines() { return lines_.get(); }

void TCustomMemo::TextChanged()
{
    lines_->TextReplaced();
    TCustomEdit::TextChanged();
}

void TCustomMemo::Append(const std::string& line) { lines_->Add(line); }

void TCustomMemo::SetWordWrap(bool value)
{
    if (wordWrap_ == value) return;
    wordWrap_ = value;
    InvalidateLayout();
}

void TCustomMemo::SetScrollBars(TScrollStyle value)
{
    if (scrollBars_ == value) return;
    scrollBars_ = value;
    InvalidateLayout();
}

TRect TCustomMemo::ScrollBarRect(TScrollBarKind kind) const
{
    const bool v = HasVertBar(scrollBars_), h = HasHorzBar(scrollBars_);
    TRect r = BorderInnerRect();
    // A right-to-left memo keeps its vertical bar on the left.
    const bool left = UseRightToLeftScrollBar();
    const int vx = left ? r.Left : r.Right - ScrollBarSize;
    if (kind == sbVertical) return v ? Rect(vx, r.Top, vx + ScrollBarSize, r.Bottom - (h ? ScrollBarSize : 0)) : TRect{};
    if (v && left) r.Left += ScrollBarSize;
    else if (v) r.Right -= ScrollBarSize;
    return h ? Rect(r.Left, r.Bottom - ScrollBarSize, r.Right, r.Bottom) : TRect{};
}

TRect TCustomMemo::InnerRect() const
{
    TRect r = BorderInnerRect();
    if (HasVertBar(scrollBars_)) {
        if (UseRightToLeftScrollBar()) r.Left = std::min(r.Right, r.Left + ScrollBarSize);
        else r.Right = std::max(r.Left, r.Right - ScrollBarSize);
    }
    if (HasHorzBar(scrollBars_)) r.Bottom = std::max(r.Top, r.Bottom - ScrollBarSize);
    return r;
}

void TCustomMemo::LayoutRows(std::vector<Row>& rows)
{
    const std::string& t = Text();
    TCanvas* c = Canvas();
    c->SetFont(*Font());
    int lh = LineHeight();
    TRect er = EditRect();
    int width = std::max(1, er.Width() - 2);
    widest_ = -1;
    int n = static_cast<int>(t.size());
    int start = 0, y = 0;
    auto add = [&](int a, int b) {
        rows.push_back({a, b, y});
        y += lh;
    };
    while (true) {
        int e = start;
        while (e < n && t[static_cast<std::size_t>(e)] != '\r' && t[static_cast<std::size_t>(e)] != '\n') ++e;
        // Wrap the line [start, e) at blanks to the width.
        int a = start;
        while (wordWrap_ && a < e && c->TextWidth(DisplayText(a, e)) > width) {
            int lastBreak = -1, i = a;
            while (i < e) {
                int next = NextChar(t, i);
                if (c->TextWidth(DisplayText(a, next)) > width) break;
                if (t[static_cast<std::size_t>(i)] == ' ') lastBreak = next;
                i = next;
            }
            int cut = lastBreak > a ? lastBreak : std::max(i, NextChar(t, a));
            add(a, cut);
            a = cut;
        }
        add(a, e);
        if (e >= n) break;
        start = NextChar(t, e);
        if (start >= n) {
            // Text ending in a line break: the caret may stand on an empty last row.
            add(n, n);
            break;
        }
    }
}

int TCustomMemo::RowCount() { return static_cast<int>(Rows().size()); }

int TCustomMemo::VisibleRowCount()
{
    int h = EditRect().Height();
    return std::max(1, h / LineHeight());
}

TScrollState TCustomMemo::VertScrollState()
{
    TScrollState s;
    int rows = RowCount();
    // A trailing empty row after the last line break is no content.
    if (rows > 1 && Rows().back().start == Rows().back().end && Rows().back().start == static_cast<int>(Text().size()))
        --rows;
    s.Min = 0;
    s.Max = std::max(0, rows - 1);
    s.Page = VisibleRowCount();
    s.Pos = topRow_;
    return s;
}

void TCustomMemo::SetTopRow(int row)
{
    TScrollState s = VertScrollState();
    row = std::clamp(row, 0, s.MaxPos());
    if (row == topRow_) return;
    topRow_ = row;
    Invalidate();
    ScrollStateChanged();
}

int TCustomMemo::WidestRow()
{
    const auto& rows = Rows();
    if (widest_ < 0) {
        TCanvas* c = Canvas();
        c->SetFont(*Font());
        widest_ = 0;
        for (const Row& r : rows) widest_ = std::max(widest_, c->TextWidth(DisplayText(r.start, r.end)));
    }
    return widest_;
}

int TCustomMemo::CharWidth()
{
    TCanvas* c = Canvas();
    c->SetFont(*Font());
    return std::max(1, c->TextWidth("0"));
}

TScrollState TCustomMemo::HorzScrollState()
{
    // In pixels: the widest row and room for the caret after it, a page being the text width.
    TScrollState s;
    s.Max = WidestRow() + 1;
    s.Page = std::max(1, EditRect().Width());
    s.Pos = scrollX_;
    return s;
}

void TCustomMemo::SetScrollLeft(int x)
{
    x = std::clamp(x, 0, HorzScrollState().MaxPos());
    if (x == scrollX_) return;
    scrollX_ = x;
    Invalidate();
    ScrollStateChanged();
}

int TCustomMemo::RowOfLine(int line)
{
    const std::string& t = Text();
    int offset = 0;
    for (int l = 0; l < line && offset < static_cast<int>(t.size()); ++l) {
        std::size_t e = t.find_first_of("\r\n", static_cast<std::size_t>(offset));
        if (e == std::string::npos) return RowCount() - 1;
        offset = NextChar(t, static_cast<int>(e));
    }
    return RowOf(offset);
}

void TCustomMemo::ScrollToBottom() { SetTopRow(VertScrollState().MaxPos()); }

void TCustomMemo::ScrollCaretIntoView()
{
    int r = RowOf(CaretPos());
    int vis = VisibleRowCount();
    if (r < topRow_) SetTopRow(r);
    else if (r >= topRow_ + vis) SetTopRow(r - vis + 1);
    if (wordWrap_) return;
    // Unwrapped lines run past the width: keep the caret's column in view too.
    const TRect er = EditRect();
    const int x = TextX(Rows()[static_cast<std::size_t>(r)], CaretPos()) + scrollX_ - er.Left;
    const int w = std::max(1, er.Width() - 1);
    if (x - scrollX_ > w) SetScrollLeft(x - w);
    else if (x < scrollX_) SetScrollLeft(std::max(0, x - w / 3));
}

void TCustomMemo::KeyDown(unsigned short& Key, TShiftState Shift)
{
    bool shift = (Shift & ssShift) != 0;
    auto vertical = [&](int rowsToMove) {
        int r = RowOf(CaretPos());
        const auto& rows = Rows();
        int target = std::clamp(r + rowsToMove, 0, static_cast<int>(rows.size()) - 1);
        int x = TextX(rows[static_cast<std::size_t>(r)], CaretPos());
        int y = EditRect().Top + (target - topRow_) * LineHeight() + 1;
        if (target < topRow_ || target >= topRow_ + VisibleRowCount()) {
            SetTopRow(rowsToMove < 0 ? target : target - VisibleRowCount() + 1);
            y = EditRect().Top + (target - topRow_) * LineHeight() + 1;
        }
        int pos = ByteAtPoint(x, y);
        int anchor = shift ? (SelStart() == CaretPos() ? SelStart() + SelLength() : SelStart()) : pos;
        SetSelection(anchor, pos);
    };
    switch (Key) {
    case VK_UP: TCustomControl::KeyDown(Key, Shift); if (Key) vertical(-1); return;
    case VK_DOWN: TCustomControl::KeyDown(Key, Shift); if (Key) vertical(1); return;
    case VK_PRIOR: TCustomControl::KeyDown(Key, Shift); if (Key) vertical(-VisibleRowCount()); return;
    case VK_NEXT: TCustomControl::KeyDown(Key, Shift); if (Key) vertical(VisibleRowCount()); return;
    }
    TCustomEdit::KeyDown(Key, Shift);
}

void TCustomMemo::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    int code;
    for (TScrollBarMouse* bar : {&vbar_, &hbar_}) {
        const bool v = bar->Kind() == sbVertical;
        if (Button == mbLeft &&
            bar->Press(ScrollBarRect(bar->Kind()), v ? VertScrollState() : HorzScrollState(), Point(X, Y), code)) {
            if (CanFocus() && !Focused()) SetFocus();
            if (code != SB_ENDSCROLL) Perform(v ? WM_VSCROLL : WM_HSCROLL, code, 0);
            return;
        }
    }
    TCustomEdit::MouseDown(Button, Shift, X, Y);
}

void TCustomMemo::MouseMove(TShiftState Shift, int X, int Y)
{
    if (vbar_.Dragging()) {
        int pos = vbar_.DragPos(ScrollBarRect(sbVertical), VertScrollState(), Point(X, Y));
        Perform(WM_VSCROLL, MakeScrollWParam(SB_THUMBTRACK, pos), 0);
        return;
    }
    if (hbar_.Dragging()) {
        int pos = hbar_.DragPos(ScrollBarRect(sbHorizontal), HorzScrollState(), Point(X, Y));
        Perform(WM_HSCROLL, MakeScrollWParam(SB_THUMBTRACK, pos), 0);
        return;
    }
    TCustomEdit::MouseMove(Shift, X, Y);
}

void TCustomMemo::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        // Both bars let go of the mouse, not only the first that held it.
        const bool vertical = vbar_.Release(), horizontal = hbar_.Release();
        if (vertical || horizontal) return;
    }
    TCustomEdit::MouseUp(Button, Shift, X, Y);
}

bool TCustomMemo::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomEdit::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    SetTopRow(topRow_ - WheelScrollLines(WheelDelta));
    return true;
}

void TCustomMemo::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_GETSCROLLBAR:
        if (m.WParam == SB_VERT) AnswerScrollBarQuery(m, ScrollBarRect(sbVertical), VertScrollState());
        else AnswerScrollBarQuery(m, ScrollBarRect(sbHorizontal), HorzScrollState());
        return;
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL | (WantReturns() ? DLGC_WANTALLKEYS : 0) |
                   (wantTabs_ ? DLGC_WANTTAB : 0);
        return;
    case WM_VSCROLL:
        SetTopRow(ApplyScrollMessage(VertScrollState(), m.WParam));
        return;
    case WM_HSCROLL:
        SetScrollLeft(ApplyScrollMessage(HorzScrollState(), m.WParam, CharWidth()));
        return;
    case WM_CHAR:
        if (m.WParam == '\t' && !wantTabs_) return;
        break;
    }
    TCustomEdit::WndProc(m);
}

void TCustomMemo::Paint()
{
    TCustomEdit::Paint();
    TCanvas& c = *Canvas();
    DrawScrollBars(c, ScrollBarRect(sbVertical), VertScrollState(), ScrollBarRect(sbHorizontal), HorzScrollState(),
                   Enabled());
}

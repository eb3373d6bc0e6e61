#include "vcl/mask.h"

#include "vcl/clipbrd.h"

#include <cctype>

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const std::string& value)
{
    mask_ = value;
    slots_.clear();
    saveLiterals_ = true;
    blank_ = '_';
    // The mask's last two ";" fields: save literals (0/1) and the blank character.
    std::string body = value;
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\') {
            ++i;
            continue;
        }
        if (value[i] == ';') {
            fields.push_back(value.substr(start, i - start));
            start = i + 1;
        }
    }
    fields.push_back(value.substr(start));
    body = fields[0];
    if (fields.size() > 1) saveLiterals_ = fields[1] != "0";
    if (fields.size() > 2 && !fields[2].empty()) blank_ = fields[2][0];
    int caseMode = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c == '>' && i + 1 < body.size() && body[i + 1] == '<') {
            caseMode = 0;
            ++i;
            continue;
        }
        if (c == '>') { caseMode = 1; continue; }
        if (c == '<') { caseMode = -1; continue; }
        if (c == '!') continue;
        Slot s;
        s.caseMode = caseMode;
        if (c == '\\' && i + 1 < body.size()) {
            s.literal = body[++i];
        } else if (std::string("09#LlAaCc").find(c) != std::string::npos) {
            s.kind = c;
        } else {
            s.literal = c;
        }
        slots_.push_back(s);
    }
    std::string shown;
    for (const Slot& s : slots_) shown += s.kind ? blank_ : s.literal;
    SetText(shown);
}

bool TCustomMaskEdit::Accepts(const Slot& s, char& c) const
{
    auto uc = static_cast<unsigned char>(c);
    bool ok = false;
    switch (s.kind) {
    case '0':
    case '9': ok = std::isdigit(uc) != 0; break;
    case '#': ok = std::isdigit(uc) || c == '+' || c == '-'; break;
    case 'L':
    case 'l': ok = std::isalpha(uc) != 0; break;
    case 'A':
    case 'a': ok = std::isalnum(uc) != 0; break;
    case 'C':
    case 'c': ok = uc >= ' '; break;
    default: break;
    }
    if (ok && s.caseMode > 0) c = static_cast<char>(std::toupper(uc));
    if (ok && s.caseMode < 0) c = static_cast<char>(std::tolower(uc));
    return ok;
}

bool TCustomMaskEdit::Required(const Slot& s) const { return s.kind == '0' || s.kind == 'L' || s.kind == 'A' || s.kind == 'C'; }

int TCustomMaskEdit::NextEditable(int from, int step) const
{
    int n = static_cast<int>(slots_.size());
    for (int i = from; i >= 0 && i < n; i += step)
        if (slots_[static_cast<std::size_t>(i)].kind) return i;
    return -1;
}

void TCustomMaskEdit::PutAt(int pos, char c)
{
    std::string t = Text();
    if (pos < 0 || pos >= static_cast<int>(t.size())) return;
    t[static_cast<std::size_t>(pos)] = c;
    int caret = SelStart();
    SetText(t);
    SetModified(true);
    SetSelStart(caret);
}

std::string TCustomMaskEdit::MaskValue() const
{
    if (!IsMasked()) return Text();
    std::string out;
    const std::string& t = Text();
    for (std::size_t i = 0; i < slots_.size() && i < t.size(); ++i) {
        if (!slots_[i].kind && !saveLiterals_) continue;
        out += (slots_[i].kind && t[i] == blank_) ? ' ' : t[i];
    }
    return out;
}

void TCustomMaskEdit::SetMaskValue(const std::string& value)
{
    if (!IsMasked()) {
        SetText(value);
        return;
    }
    std::string shown;
    std::size_t v = 0;
    for (const Slot& s : slots_) {
        if (!s.kind) {
            shown += s.literal;
            if (saveLiterals_ && v < value.size()) ++v; // the value holds the literal too
            continue;
        }
        char c = v < value.size() ? value[v++] : blank_;
        shown += (c != blank_ && c != ' ' && Accepts(s, c)) ? c : blank_;
    }
    SetText(shown);
}

void TCustomMaskEdit::ValidateEdit() const
{
    const std::string& t = Text();
    for (std::size_t i = 0; i < slots_.size() && i < t.size(); ++i)
        if (Required(slots_[i]) && t[i] == blank_)
            throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::DoExit()
{
    TCustomEdit::DoExit();
}

void TCustomMaskEdit::KeyDown(unsigned short& Key, TShiftState Shift)
{
    if (IsMasked() && !ReadOnly()) {
        if (Key == VK_DELETE && !(Shift & ssShift)) {
            // Deleting blanks the positions instead of closing the gap.
            int a = SelStart(), b = SelStart() + std::max(1, SelLength());
            for (int i = a; i < b; ++i)
                if (NextEditable(i, 1) == i) PutAt(i, blank_);
            SetSelStart(a);
            Key = 0;
            return;
        }
    }
    TCustomEdit::KeyDown(Key, Shift);
}

void TCustomMaskEdit::WndProc(TMessage& m)
{
    if (IsMasked() && m.Msg == WM_PASTE) {
        // Pasted text is typed into the positions one character at a time.
        if (!ReadOnly())
            for (char c : Clipboard()->AsText()) Perform(WM_CHAR, static_cast<unsigned char>(c), 0);
        return;
    }
    if (IsMasked() && m.Msg == WM_CUT) {
        Perform(WM_COPY, 0, 0); // the positions keep their blanks
        return;
    }
    if (m.Msg != WM_CHAR || !IsMasked()) {
        TCustomEdit::WndProc(m);
        return;
    }
    // Key filtering first (OnKeyPress may drop the character).
    TWinControl::WndProc(m);
    auto c = static_cast<char>(m.WParam);
    if (c == 0 || ReadOnly()) return;
    if (c == 8) {
        int p = NextEditable(SelStart() - 1, -1);
        if (p < 0) return;
        PutAt(p, blank_);
        SetSelStart(p);
        return;
    }
    if (static_cast<unsigned char>(c) < ' ') return;
    int p = NextEditable(SelStart(), 1);
    if (p < 0) return;
    if (!Accepts(slots_[static_cast<std::size_t>(p)], c)) return;
    PutAt(p, c);
    int next = NextEditable(p + 1, 1);
    SetSelStart(next < 0 ? static_cast<int>(slots_.size()) : next);
}

#pragma once
// The masked edit: "mask;save literals;blank" with the framework's mask
// characters (0 9 # L l A a C c, > < <> case, \ literal, others literal).
// Text() is what the edit shows (literals and blanks included); MaskValue() is
// the value, without literals when the mask's second field is 0.
#include "vcl/stdctrls_edit.h"

#include <string>
#include <vector>

KELDARA_EXCEPTION(EDBEditError, Exception);

class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* AOwner);

    const std::string& EditMask() const { return mask_; }
    void SetEditMask(const std::string& value);
    bool IsMasked() const { return !slots_.empty(); }
    std::string MaskValue() const;
    void SetMaskValue(const std::string& value);
    // Raises EDBEditError when a required position is still blank.
    void ValidateEdit() const;
    char BlankChar() const { return blank_; }

    void WndProc(TMessage& Message) override;

protected:
    void KeyDown(unsigned short& Key, TShiftState Shift) override;
    void DoExit() override;

private:
    struct Slot {
        char kind = 0;       // mask character, 0 for a literal
        char literal = 0;
        int caseMode = 0;    // 1 upper, -1 lower
    };
    bool Accepts(const Slot& s, char& c) const;
    bool Required(const Slot& s) const;
    int NextEditable(int from, int step) const;
    void PutAt(int pos, char c);
    std::string mask_;
    std::vector<Slot> slots_;
    bool saveLiterals_ = true;
    char blank_ = '_';
};

class TMaskEdit : public TCustomMaskEdit {
public:
    explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};

#pragma once
// The skinned memo: the framework's memo with a one-pixel skin border and
// optional skinned bars (TkivScrollBar) that take over from its own.
#include "skin/kivscrolled.h"

#include "vcl/stdctrls_edit.h"

extern template class TkivScrolled<TCustomMemo>;

// Any framework memo in the skin.
template <class Base>
class TkivMemoOf : public TkivScrolled<Base> {
public:
    explicit TkivMemoOf(TComponent* AOwner) : TkivScrolled<Base>(AOwner, TkivScrollBarLink::kpMemo, 2) {}

    // Attaching a skinned bar keeps the memo's own bar of that direction
    // (ScrollBars follows what is attached).
    TkivScrollBar* HScrollBar() const { return this->AttachedBar(sbHorizontal); }
    void SetHScrollBar(TkivScrollBar* value) { this->AttachBar(sbHorizontal, value); }
};

class TkivMemo : public TkivMemoOf<TCustomMemo> {
public:
    explicit TkivMemo(TComponent* AOwner) : TkivMemoOf(AOwner) {}
};

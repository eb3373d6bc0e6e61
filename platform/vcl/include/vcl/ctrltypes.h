#pragma once
// Small value types the standard controls share: text alignment, bevels,
// borders and the scroll codes of scroll bars and scrollable controls.
#include "vcl/forms.h"
#include "vcl/scrollstate.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TLeftRight { lrLeft = taLeftJustify, lrRight = taRightJustify };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// A control's own border: bsNone or bsSingle of the form border styles.
using TBorderStyle = TFormBorderStyle;

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// What moved a scroll position: the platform's SB_ codes in order.
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

// DrawText flags for an alignment.
unsigned AlignmentToDrawFlags(TAlignment a);

// Icons.
#include "gfx/icon.h"

TIcon::TIcon() = default;
TIcon::~TIcon() = default;
void TIcon::SetFromBitmap(const TBitmap&, TColor) {}
void TIcon::Assign(const TGraphic& source) { TGraphic::Assign(source); }
void TIcon::AssignTo(TGraphic& dest) const { TGraphic::AssignTo(dest); }
void TIcon::Draw(TCanvas&, const TRect&) {}
void TIcon::LoadFromStream(TStream&) {}
void TIcon::SaveToStream(TStream&) const {}
void TIcon::SetWidthImpl(int) {}
void TIcon::SetHeightImpl(int) {}

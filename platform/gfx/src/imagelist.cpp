// Image lists.
#include "gfx/imagelist.h"

TImageList::TImageList(int width, int height) : width_(width), height_(height) {}
void TImageList::SetSize(int width, int height) { width_ = width; height_ = height; images_.clear(); }
int TImageList::Add(const TBitmap&, const TBitmap*) { return -1; }
int TImageList::AddMasked(const TBitmap&, TColor) { return -1; }
void TImageList::Replace(int, const TBitmap&, const TBitmap*) {}
void TImageList::Delete(int) {}
void TImageList::Clear() { images_.clear(); }
void TImageList::Draw(TCanvas*, int, int, int, bool) const {}
void TImageList::GetBitmap(int, TBitmap&) const {}
void TImageList::CheckIndex(int) const {}

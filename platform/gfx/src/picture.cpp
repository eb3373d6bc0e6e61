// Picture holder and the registry of picture kinds.
#include "gfx/picture.h"

#include "gfx/bitmap.h"

TPicture::TPicture() = default;
TPicture::~TPicture() = default;
void TPicture::SetGraphic(const TGraphic*) {}
TBitmap* TPicture::Bitmap() { return nullptr; }
int TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
int TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }
void TPicture::LoadFromFile(const std::string&) {}
void TPicture::SaveToFile(const std::string&) const {}
void TPicture::Assign(const TPicture&) {}
void TPicture::RegisterFileFormat(const std::string&, const std::string&, TGraphicFactory) {}
void TPicture::UnregisterFileFormat(const std::string&) {}
std::unique_ptr<TGraphic> TPicture::CreateGraphic(const std::string&) { return nullptr; }
std::unique_ptr<TGraphic> TPicture::CreateLike(const TGraphic&) { return nullptr; }
void TPicture::RegisterClass(const std::string&, TGraphicFactory) {}
void TPicture::Changed() {}
void TPicture::Hook() {}

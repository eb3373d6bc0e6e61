#pragma once
// Icons: one picture with its transparency mask, read from .ico files (the
// 16 x 16 entry when there is one, else the first).
#include "gfx/export.h"
#include "gfx/bitmap.h"

class GFX_API TIcon : public TGraphic {
public:
    TIcon();
    ~TIcon() override;

    // The colour picture (32 bits, alpha 0 where the mask hides it).
    const TBitmap& Image() const { return image_; }
    // Makes the icon from a bitmap and a transparent colour.
    void SetFromBitmap(const TBitmap& bitmap, TColor transparent);

    void Assign(const TGraphic& source) override;
    void AssignTo(TGraphic& dest) const override; // to a bitmap: 32 bits, hidden pixels black with alpha 0
    void Draw(TCanvas& canvas, const TRect& rect) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override; // one 32-bit entry
    std::string ClassName() const override { return "TIcon"; }

protected:
    int GetWidth() const override { return image_.Width(); }
    int GetHeight() const override { return image_.Height(); }
    bool GetEmpty() const override { return image_.Empty(); }
    void SetWidthImpl(int value) override;
    void SetHeightImpl(int value) override;
    bool GetTransparent() const override { return true; }

private:
    TBitmap image_;
};

#pragma once
// A list of equal-size images with masks, drawn normal or disabled (greyed).
#include "gfx/export.h"
#include "gfx/bitmap.h"

#include <memory>
#include <vector>

class GFX_API TImageList : public TObject {
public:
    explicit TImageList(int width = 16, int height = 16);

    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int width, int height); // clears the list
    int Count() const { return static_cast<int>(images_.size()); }

    // A bitmap wider than Width adds one image per Width-wide strip. The mask
    // marks hidden pixels with white (any non-black pixel); none = all shown.
    int Add(const TBitmap& image, const TBitmap* mask);
    // Pixels of maskColor are hidden; clDefault = the bottom-left pixel's colour.
    int AddMasked(const TBitmap& image, TColor maskColor);
    void Replace(int index, const TBitmap& image, const TBitmap* mask);
    void Delete(int index);
    void Clear();

    // Disabled images are drawn as an embossed grey shape of their visible pixels.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;
    // Copies image index into the bitmap (24 bits, hidden pixels in the bitmap's current background: white).
    void GetBitmap(int index, TBitmap& dest) const;

    TNotifyEvent OnChange;

private:
    struct Entry {
        TBitmap image;                 // 24 bits, Width x Height
        std::vector<std::uint8_t> hidden; // 1 where the mask hides the pixel
    };
    void CheckIndex(int index) const;
    int width_;
    int height_;
    std::vector<std::unique_ptr<Entry>> images_;
};

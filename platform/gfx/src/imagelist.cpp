// Image lists: equal-size images with masks.
#include "gfx/imagelist.h"

#include "gfx/canvas.h"
#include "painter.h"

TImageList::TImageList(int width, int height) : width_(std::max(width, 1)), height_(std::max(height, 1)) {}

void TImageList::SetSize(int width, int height)
{
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
    images_.clear();
    if (OnChange) OnChange(this);
}

void TImageList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count()) throw EInvalidOperation("Invalid ImageList Index");
}

namespace {

// Cuts strip `strip` (Width wide) out of a picture, with its hidden-pixel flags.
template <class Hidden>
void CutStrip(const TBitmap& image, int strip, int width, int height, TBitmap& out, std::vector<std::uint8_t>& hidden,
              Hidden isHidden)
{
    out.SetPixelFormat(pf24bit);
    out.SetSize(width, height);
    hidden.assign(static_cast<std::size_t>(width) * height, 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int sx = strip * width + x;
            if (sx >= image.Width() || y >= image.Height()) continue; // outside the picture: hidden
            out.SetPixel(x, y, image.Pixel(sx, y));
            hidden[static_cast<std::size_t>(y) * width + x] = isHidden(sx, y) ? 1 : 0;
        }
}

} // namespace

int TImageList::Add(const TBitmap& image, const TBitmap* mask)
{
    if (image.Empty()) return -1;
    const int strips = std::max(1, image.Width() / width_);
    const int first = Count();
    for (int s = 0; s < strips; ++s) {
        auto e = std::make_unique<Entry>();
        CutStrip(image, s, width_, height_, e->image, e->hidden, [&](int x, int y) {
            return mask && (ColorToRGB(mask->Pixel(x, y)) & 0xFFFFFF) != 0;
        });
        images_.push_back(std::move(e));
    }
    if (OnChange) OnChange(this);
    return first;
}

int TImageList::AddMasked(const TBitmap& image, TColor maskColor)
{
    if (image.Empty()) return -1;
    const TColor key = maskColor == clDefault ? image.Pixel(0, image.Height() - 1) : ColorToRGB(maskColor);
    const int strips = std::max(1, image.Width() / width_);
    const int first = Count();
    for (int s = 0; s < strips; ++s) {
        auto e = std::make_unique<Entry>();
        CutStrip(image, s, width_, height_, e->image, e->hidden, [&](int x, int y) { return image.Pixel(x, y) == key; });
        images_.push_back(std::move(e));
    }
    if (OnChange) OnChange(this);
    return first;
}

void TImageList::Replace(int index, const TBitmap& image, const TBitmap* mask)
{
    CheckIndex(index);
    auto e = std::make_unique<Entry>();
    CutStrip(image, 0, width_, height_, e->image, e->hidden, [&](int x, int y) {
        return mask && (ColorToRGB(mask->Pixel(x, y)) & 0xFFFFFF) != 0;
    });
    images_[static_cast<std::size_t>(index)] = std::move(e);
    if (OnChange) OnChange(this);
}

void TImageList::Delete(int index)
{
    CheckIndex(index);
    images_.erase(images_.begin() + index);
    if (OnChange) OnChange(this);
}

void TImageList::Clear()
{
    images_.clear();
    if (OnChange) OnChange(this);
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const
{
    if (!canvas || index < 0 || index >= Count()) return;
    const Entry& e = *images_[static_cast<std::size_t>(index)];
    TCanvasPainter p(*canvas);
    if (!p.Ok()) return;
    auto visible = [&](int px, int py) { return !e.hidden[static_cast<std::size_t>(py) * width_ + px]; };
    if (enabled) {
        for (int py = 0; py < height_; ++py)
            for (int px = 0; px < width_; ++px)
                if (visible(px, py)) {
                    const int dx = p.DevX(x + px), dy = p.DevY(y + py);
                    if (p.Visible(dx, dy)) p.Write(dx, dy, e.image.Pixel(px, py));
                }
        return;
    }
    // Disabled: the shape of the image's darker visible pixels, embossed: a
    // highlight copy one pixel down-right under a shadow copy.
    auto dark = [&](int px, int py) {
        if (!visible(px, py)) return false;
        const TColor c = e.image.Pixel(px, py);
        return GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11 < 200 * 100;
    };
    const TColor highlight = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
    for (int pass = 0; pass < 2; ++pass) {
        const int off = pass == 0 ? 1 : 0;
        const TColor c = pass == 0 ? highlight : shadow;
        for (int py = 0; py < height_; ++py)
            for (int px = 0; px < width_; ++px)
                if (dark(px, py)) {
                    const int dx = p.DevX(x + px + off), dy = p.DevY(y + py + off);
                    if (p.Visible(dx, dy)) p.Write(dx, dy, c);
                }
    }
}

void TImageList::GetBitmap(int index, TBitmap& dest) const
{
    CheckIndex(index);
    const Entry& e = *images_[static_cast<std::size_t>(index)];
    dest.SetPixelFormat(pf24bit);
    dest.SetSize(width_, height_);
    for (int py = 0; py < height_; ++py)
        for (int px = 0; px < width_; ++px)
            dest.SetPixel(px, py, e.hidden[static_cast<std::size_t>(py) * width_ + px] ? clWhite : e.image.Pixel(px, py));
}

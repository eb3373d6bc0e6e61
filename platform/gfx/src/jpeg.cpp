// JPEG pictures through libjpeg. libjpeg reports faults by longjmp; the
// functions that call it keep no C++ objects of their own between setjmp and
// the library calls, so nothing is skipped when it jumps back.
#include "gfx/jpeg.h"

#include "bmpfile.h"
#include "gfx/canvas.h"
#include "rtl/classes.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int code;
};

void OnError(j_common_ptr info)
{
    auto* e = reinterpret_cast<ErrorManager*>(info->err);
    e->code = e->base.msg_code;
    std::longjmp(e->jump, 1);
}

void OnMessage(j_common_ptr, int) {} // warnings are not shown

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // width * 3 per row, top row first
};

// Answers 0 on success, else libjpeg's message code (at least 1).
int DecodeJpeg(const std::uint8_t* data, std::size_t size, Decoded* out, bool headerOnly)
{
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnError;
    err.base.emit_message = OnMessage;
    err.code = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return err.code ? err.code : 1;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    out->width = static_cast<int>(info.image_width);
    out->height = static_cast<int>(info.image_height);
    if (out->width <= 0 || out->height <= 0 || out->width > 32768 || out->height > 32768 ||
        static_cast<std::int64_t>(out->width) * out->height > (std::int64_t{1} << 26)) {
        jpeg_destroy_decompress(&info);
        return 1000;
    }
    if (headerOnly) {
        jpeg_destroy_decompress(&info);
        return 0;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const std::size_t stride = static_cast<std::size_t>(out->width) * 3;
    out->rgb.resize(stride * static_cast<std::size_t>(out->height));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out->rgb.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return 0;
}

struct EncodeJob {
    int width = 0;
    int height = 0;
    int quality = 75;
    bool grayscale = false;
    bool progressive = false;
    const std::uint8_t* rgb = nullptr; // width * 3 per row, top first
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
};

int EncodeJpeg(EncodeJob* job)
{
    jpeg_compress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnError;
    err.base.emit_message = OnMessage;
    err.code = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        return err.code ? err.code : 1;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &job->output, &job->outputSize);
    info.image_width = static_cast<JDIMENSION>(job->width);
    info.image_height = static_cast<JDIMENSION>(job->height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, job->quality, TRUE);
    if (job->grayscale) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    if (job->progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(job->width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(job->rgb + stride * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return 0;
}

[[noreturn]] void JpegError(int code)
{
    throw EInvalidGraphic("JPEG error #" + std::to_string(code));
}

std::vector<std::uint8_t> ToRgb(const TBitmap& bitmap)
{
    const int w = bitmap.Width(), h = bitmap.Height();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * 3 * static_cast<std::size_t>(h));
    const int bpp = bitmap.BitsPerPixel();
    for (int y = 0; y < h; ++y) {
        std::uint8_t* dst = rgb.data() + static_cast<std::size_t>(y) * w * 3;
        if (bpp == 24 || bpp == 32) {
            const std::uint8_t* src = bitmap.ScanLine(y);
            const int step = bpp / 8;
            for (int x = 0; x < w; ++x) {
                dst[3 * x] = src[step * x + 2];
                dst[3 * x + 1] = src[step * x + 1];
                dst[3 * x + 2] = src[step * x];
            }
        } else {
            for (int x = 0; x < w; ++x) {
                const TColor c = bitmap.Pixel(x, y);
                dst[3 * x] = static_cast<std::uint8_t>(GetRValue(c));
                dst[3 * x + 1] = static_cast<std::uint8_t>(GetGValue(c));
                dst[3 * x + 2] = static_cast<std::uint8_t>(GetBValue(c));
            }
        }
    }
    return rgb;
}

std::vector<std::uint8_t> EncodeBitmap(const TBitmap& bitmap, int quality, bool grayscale, bool progressive)
{
    if (bitmap.Empty()) throw EInvalidGraphicOperation("Cannot compress an empty picture");
    const std::vector<std::uint8_t> rgb = ToRgb(bitmap);
    EncodeJob job;
    job.width = bitmap.Width();
    job.height = bitmap.Height();
    job.quality = quality;
    job.grayscale = grayscale;
    job.progressive = progressive;
    job.rgb = rgb.data();
    const int code = EncodeJpeg(&job);
    std::vector<std::uint8_t> out;
    if (code == 0 && job.output) out.assign(job.output, job.output + job.outputSize);
    std::free(job.output);
    if (code != 0) JpegError(code);
    return out;
}

} // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::SetCompressionQuality(int value)
{
    quality_ = std::clamp(value, 1, 100);
}

void TJPEGImage::SetGrayscale(bool value)
{
    if (grayscale_ == value) return;
    grayscale_ = value;
    Changed();
}

void TJPEGImage::SetProgressiveEncoding(bool value) { progressive_ = value; }

const TBitmap& TJPEGImage::Bitmap() const
{
    if (!bitmap_) Decode();
    return *bitmap_;
}

void TJPEGImage::Decode() const
{
    auto bmp = std::make_unique<TBitmap>();
    if (!data_.empty()) {
        Decoded d;
        const int code = DecodeJpeg(data_.data(), data_.size(), &d, false);
        if (code != 0) JpegError(code);
        bmp->SetSize(d.width, d.height);
        for (int y = 0; y < d.height; ++y) {
            const std::uint8_t* src = d.rgb.data() + static_cast<std::size_t>(y) * d.width * 3;
            std::uint8_t* dst = bmp->ScanLine(y);
            for (int x = 0; x < d.width; ++x) {
                int r = src[3 * x], g = src[3 * x + 1], b = src[3 * x + 2];
                if (grayscale_) r = g = b = (r * 77 + g * 150 + b * 29) >> 8;
                dst[3 * x] = static_cast<std::uint8_t>(b);
                dst[3 * x + 1] = static_cast<std::uint8_t>(g);
                dst[3 * x + 2] = static_cast<std::uint8_t>(r);
            }
        }
    }
    bitmap_ = std::move(bmp);
}

void TJPEGImage::Encode() const
{
    if (!bitmap_) return;
    data_ = EncodeBitmap(*bitmap_, quality_, grayscale_, progressive_);
}

void TJPEGImage::Compress() { Encode(); }

void TJPEGImage::Assign(const TGraphic& source)
{
    if (&source == this) return;
    if (auto* j = dynamic_cast<const TJPEGImage*>(&source)) {
        quality_ = j->quality_;
        grayscale_ = j->grayscale_;
        progressive_ = j->progressive_;
        width_ = j->width_;
        height_ = j->height_;
        data_ = j->data_;
        bitmap_ = j->bitmap_ ? std::make_unique<TBitmap>() : nullptr;
        if (bitmap_) bitmap_->Assign(*j->bitmap_);
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(&source)) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(*b);
        copy->SetPixelFormat(pf24bit);
        copy->SetTransparent(false);
        width_ = copy->Width();
        height_ = copy->Height();
        bitmap_ = std::move(copy);
        data_.clear();
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(TGraphic& dest) const
{
    if (auto* b = dynamic_cast<TBitmap*>(&dest)) {
        b->Assign(Bitmap());
        return;
    }
    TGraphic::AssignTo(dest);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect)
{
    if (GetEmpty()) return;
    canvas.StretchDraw(rect, const_cast<TBitmap&>(Bitmap()));
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    std::vector<std::uint8_t> data = ReadRest(stream);
    Decoded d;
    const int code = DecodeJpeg(data.data(), data.size(), &d, true);
    if (code != 0) JpegError(code);
    data_ = std::move(data);
    width_ = d.width;
    height_ = d.height;
    bitmap_.reset();
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) const
{
    if (GetEmpty()) throw EInvalidGraphicOperation("Cannot save an empty JPEG image");
    if (data_.empty()) Encode();
    if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<std::int64_t>(data_.size()));
}

int TJPEGImage::GetWidth() const { return width_; }
int TJPEGImage::GetHeight() const { return height_; }
bool TJPEGImage::GetEmpty() const { return width_ == 0 || height_ == 0; }

void TJPEGImage::SetWidthImpl(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }
void TJPEGImage::SetHeightImpl(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }

void SaveBitmapAsJpeg(const TBitmap& bitmap, const std::string& path, int quality)
{
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(quality);
    jpeg.Assign(bitmap);
    jpeg.SaveToFile(path);
}

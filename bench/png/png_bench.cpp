// Encoding and decoding a 720 x 576 RGB picture against libpng at the same settings:
// zlib level 7, Sub filter on every row, default strategy, 65535-byte IDAT chunks.
#include "png/pngimage.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;

using Bytes = std::vector<std::uint8_t>;

// RGB rows of a menu mask: key colour 010101, a black border and blue button frames.
Bytes MaskPicture()
{
    Bytes rgb(std::size_t(kWidth) * kHeight * 3, 1);
    auto put = [&](int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        std::uint8_t* p = &rgb[(std::size_t(y) * kWidth + x) * 3];
        p[0] = r, p[1] = g, p[2] = b;
    };
    for (int x = 0; x < kWidth; ++x) put(x, 0, 0, 0, 0), put(x, kHeight - 1, 0, 0, 0);
    for (int y = 0; y < kHeight; ++y) put(0, y, 0, 0, 0), put(kWidth - 1, y, 0, 0, 0);
    for (int button = 0; button < 6; ++button) {
        const int left = 60 + (button % 3) * 220, top = 120 + (button / 3) * 220;
        for (int y = top; y < top + 150; ++y)
            for (int x = left; x < left + 180; ++x)
                if (y < top + 8 || y >= top + 142 || x < left + 8 || x >= left + 172) put(x, y, 0, 0, 255);
    }
    return rgb;
}

// RGB rows of a photo-like picture: smooth gradients with a little sensor noise.
Bytes PhotoPicture()
{
    Bytes rgb(std::size_t(kWidth) * kHeight * 3);
    std::uint32_t state = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            state = state * 1103515245u + 12345u;
            const int noise = static_cast<int>((state >> 24) % 7) - 3;
            std::uint8_t* p = &rgb[(std::size_t(y) * kWidth + x) * 3];
            const double r = 128 + 100 * std::sin(x * 0.013) * std::cos(y * 0.021);
            const double g = 128 + 90 * std::sin((x + y) * 0.008);
            const double b = 128 + 110 * std::cos(x * 0.004 - y * 0.017);
            p[0] = static_cast<std::uint8_t>(std::clamp(int(r) + noise, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(int(g) + noise, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(int(b) + noise, 0, 255));
        }
    return rgb;
}

void WriteBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void FlushBytes(png_structp) {}

struct Source {
    const Bytes* in;
    std::size_t at;
};
void ReadBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* src = static_cast<Source*>(png_get_io_ptr(png));
    if (src->at + length > src->in->size()) png_error(png, "short");
    std::memcpy(data, src->in->data() + src->at, length);
    src->at += length;
}

bool LibpngEncode(const Bytes& rgb, Bytes& out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, WriteBytes, FlushBytes);
    png_set_compression_level(png, 7);
    png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_buffer_size(png, 65535);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y) png_write_row(png, &rgb[std::size_t(y) * kWidth * 3]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool LibpngDecode(const Bytes& file, Bytes& rgb)
{
    Source src{&file, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &src, ReadBytes);
    png_read_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    rgb.resize(rowBytes * height);
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, &rgb[rowBytes * y], nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// Our object holding the picture, made by decoding libpng's file of it.
std::unique_ptr<TPNGObject> CodecImage(const Bytes& rgb)
{
    Bytes file;
    LibpngEncode(rgb, file);
    auto png = std::make_unique<TPNGObject>();
    TMemoryStream stream;
    stream.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
    stream.SetPosition(0);
    png->LoadFromStream(stream);
    return png;
}

const Bytes& Picture(int which)
{
    static const Bytes mask = MaskPicture();
    static const Bytes photo = PhotoPicture();
    return which == 0 ? mask : photo;
}

void BM_CodecEncode(benchmark::State& state)
{
    auto png = CodecImage(Picture(static_cast<int>(state.range(0))));
    std::int64_t bytes = 0;
    for (auto _ : state) {
        TMemoryStream out;
        png->SaveToStream(out);
        bytes = out.Size();
        benchmark::DoNotOptimize(out.Memory());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}

void BM_LibpngEncode(benchmark::State& state)
{
    const Bytes& rgb = Picture(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        Bytes out;
        out.reserve(1 << 20);
        LibpngEncode(rgb, out);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}

void BM_CodecDecode(benchmark::State& state)
{
    Bytes file;
    LibpngEncode(Picture(static_cast<int>(state.range(0))), file);
    TMemoryStream in;
    in.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
    for (auto _ : state) {
        in.SetPosition(0);
        TPNGObject png;
        png.LoadFromStream(in);
        benchmark::DoNotOptimize(png.GetScanline(0));
    }
}

void BM_LibpngDecode(benchmark::State& state)
{
    Bytes file;
    LibpngEncode(Picture(static_cast<int>(state.range(0))), file);
    for (auto _ : state) {
        Bytes rgb;
        LibpngDecode(file, rgb);
        benchmark::DoNotOptimize(rgb.data());
    }
}

} // namespace

// Argument 0: mask-like picture, 1: photo-like picture.
BENCHMARK(BM_CodecEncode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngEncode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodecDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

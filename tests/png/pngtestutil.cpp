#include "pngtestutil.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>

namespace pngtest {
namespace {

struct Sink {
    Bytes* out;
};

void WriteData(png_structp png, png_bytep data, png_size_t length)
{
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    sink->out->insert(sink->out->end(), data, data + length);
}

void FlushData(png_structp) {}

struct Source {
    const Bytes* in;
    std::size_t at;
};

void ReadData(png_structp png, png_bytep data, png_size_t length)
{
    auto* src = static_cast<Source*>(png_get_io_ptr(png));
    if (src->at + length > src->in->size()) png_error(png, "read past end");
    std::memcpy(data, src->in->data() + src->at, length);
    src->at += length;
}

void SilentWarning(png_structp, png_const_charp) {}

} // namespace

namespace {

// Only plain pointers live in the frame that setjmp returns to.
bool WriteFrame(const RawImage& image, Sink* sink, png_text* texts, int textCount, png_bytep* rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, SilentWarning);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, sink, WriteData, FlushData);
    if (image.idatBufferSize > 0) png_set_compression_buffer_size(png, static_cast<png_size_t>(image.idatBufferSize));
    png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colorType,
                 image.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(image.palette.data()),
                     static_cast<int>(image.palette.size() / 3));
    if (!image.trnsAlpha.empty() || image.hasTrnsColor) {
        png_color_16 colour{};
        colour.gray = image.trnsGrey;
        colour.red = image.trnsRed;
        colour.green = image.trnsGreen;
        colour.blue = image.trnsBlue;
        png_set_tRNS(png, info, image.trnsAlpha.empty() ? nullptr : image.trnsAlpha.data(),
                     static_cast<int>(image.trnsAlpha.size()), image.hasTrnsColor ? &colour : nullptr);
    }
    if (image.gamma > 0) png_set_gAMA(png, info, image.gamma);
    if (textCount > 0) png_set_text(png, info, texts, textCount);
    if (image.hasTime) {
        png_time t{};
        t.year = static_cast<png_uint_16>(image.year);
        t.month = static_cast<png_byte>(image.month);
        t.day = static_cast<png_byte>(image.day);
        t.hour = static_cast<png_byte>(image.hour);
        t.minute = static_cast<png_byte>(image.minute);
        t.second = static_cast<png_byte>(image.second);
        png_set_tIME(png, info, &t);
    }
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

Bytes WriteWithLibpng(const RawImage& image)
{
    Bytes out;
    Sink sink{&out};
    std::vector<png_text> texts(image.texts.size());
    for (std::size_t i = 0; i < image.texts.size(); ++i) {
        texts[i] = png_text{};
        texts[i].compression = image.texts[i].compressed ? PNG_TEXT_COMPRESSION_zTXt : PNG_TEXT_COMPRESSION_NONE;
        texts[i].key = const_cast<char*>(image.texts[i].key.c_str());
        texts[i].text = const_cast<char*>(image.texts[i].text.c_str());
        texts[i].text_length = image.texts[i].text.size();
    }
    std::vector<png_bytep> rows(image.rows.size());
    for (std::size_t y = 0; y < image.rows.size(); ++y) rows[y] = const_cast<png_bytep>(image.rows[y].data());
    if (!WriteFrame(image, &sink, texts.data(), static_cast<int>(texts.size()), rows.data())) return {};
    return out;
}

namespace {

bool ReadFrame(Source* src, RawImage& image);

} // namespace

bool ReadWithLibpng(const Bytes& file, RawImage& image, std::string& error)
{
    Source src{&file, 0};
    image = RawImage{};
    if (ReadFrame(&src, image)) return true;
    error = "libpng refused the file";
    return false;
}

namespace {

bool ReadFrame(Source* src, RawImage& image)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, SilentWarning);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, src, ReadData);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    image.colorType = png_get_color_type(png, info);
    image.bitDepth = png_get_bit_depth(png, info);
    image.interlace = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    png_bytepp rows = png_get_rows(png, info);
    for (int y = 0; y < image.height; ++y) image.rows.emplace_back(rows[y], rows[y] + rowBytes);
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count) & PNG_INFO_PLTE)
        for (int i = 0; i < count; ++i) {
            image.palette.push_back(palette[i].red);
            image.palette.push_back(palette[i].green);
            image.palette.push_back(palette[i].blue);
        }
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_color_16p colour = nullptr;
    if (png_get_tRNS(png, info, &alpha, &alphaCount, &colour) & PNG_INFO_tRNS) {
        if (image.colorType == PNG_COLOR_TYPE_PALETTE) {
            image.trnsAlpha.assign(alpha, alpha + alphaCount);
        } else if (colour) {
            image.hasTrnsColor = true;
            image.trnsGrey = colour->gray;
            image.trnsRed = colour->red;
            image.trnsGreen = colour->green;
            image.trnsBlue = colour->blue;
        }
    }
    png_textp text = nullptr;
    int textCount = 0;
    png_get_text(png, info, &text, &textCount);
    for (int i = 0; i < textCount; ++i)
        image.texts.push_back({text[i].key, std::string(text[i].text, text[i].text_length),
                               text[i].compression == PNG_TEXT_COMPRESSION_zTXt});
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

unsigned Sample(const Bytes& row, int index, int bitDepth)
{
    if (bitDepth == 16) return (unsigned(row[2 * index]) << 8) | row[2 * index + 1];
    if (bitDepth == 8) return row[index];
    const int per = 8 / bitDepth;
    return (row[index / per] >> (8 - bitDepth - (index % per) * bitDepth)) & ((1u << bitDepth) - 1);
}

RawImage MakeTestImage(int width, int height, int colorType, int bitDepth, unsigned seed)
{
    RawImage image;
    image.width = width;
    image.height = height;
    image.colorType = colorType;
    image.bitDepth = bitDepth;
    const int channels = colorType == 0 || colorType == 3 ? 1 : colorType == 2 ? 3 : colorType == 4 ? 2 : 4;
    const std::size_t rowBytes = (std::size_t(width) * channels * bitDepth + 7) / 8;
    unsigned state = seed * 2654435761u + 1;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return state >> 24; // the high bits of the generator have the long period
    };
    const unsigned entries = colorType == 3 ? (1u << bitDepth) : 0;
    for (unsigned i = 0; i < entries; ++i) {
        image.palette.push_back(static_cast<std::uint8_t>(next()));
        image.palette.push_back(static_cast<std::uint8_t>(next()));
        image.palette.push_back(static_cast<std::uint8_t>(next()));
    }
    for (int y = 0; y < height; ++y) {
        Bytes row(rowBytes);
        for (auto& b : row) b = static_cast<std::uint8_t>(next());
        image.rows.push_back(std::move(row));
    }
    return image;
}

Bytes SaveToBytes(const TPNGObject& png)
{
    TMemoryStream stream;
    png.SaveToStream(stream);
    return Bytes(stream.Memory(), stream.Memory() + stream.Size());
}

void LoadFromBytes(TPNGObject& png, const Bytes& bytes)
{
    TMemoryStream stream;
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    png.LoadFromStream(stream);
}

std::vector<RawChunk> SplitChunks(const Bytes& file)
{
    std::vector<RawChunk> chunks;
    static const std::uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0) return chunks;
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::uint32_t length = (std::uint32_t(file[at]) << 24) | (std::uint32_t(file[at + 1]) << 16) |
                                     (std::uint32_t(file[at + 2]) << 8) | file[at + 3];
        if (at + 12 + length > file.size()) break;
        RawChunk c;
        c.name.assign(reinterpret_cast<const char*>(&file[at + 4]), 4);
        c.data.assign(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                      file.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        chunks.push_back(std::move(c));
        at += 12 + length;
    }
    return chunks;
}

Bytes JoinChunks(const std::vector<RawChunk>& chunks)
{
    Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
    for (const auto& c : chunks) {
        const std::uint32_t n = static_cast<std::uint32_t>(c.data.size());
        const std::uint8_t head[8] = {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8),
                                      std::uint8_t(n), std::uint8_t(c.name[0]), std::uint8_t(c.name[1]),
                                      std::uint8_t(c.name[2]), std::uint8_t(c.name[3])};
        out.insert(out.end(), head, head + 8);
        out.insert(out.end(), c.data.begin(), c.data.end());
        uLong crc = crc32(0, head + 4, 4);
        if (!c.data.empty()) crc = crc32(crc, c.data.data(), static_cast<uInt>(c.data.size())); // a null buffer resets
        const std::uint8_t tail[4] = {std::uint8_t(crc >> 24), std::uint8_t(crc >> 16), std::uint8_t(crc >> 8),
                                      std::uint8_t(crc)};
        out.insert(out.end(), tail, tail + 4);
    }
    return out;
}

bool IsCodecError(const std::exception& e)
{
    return dynamic_cast<const EPNGOutMemory*>(&e) || dynamic_cast<const EPngError*>(&e) ||
           dynamic_cast<const EPngUnexpectedEnd*>(&e) || dynamic_cast<const EPngInvalidCRC*>(&e) ||
           dynamic_cast<const EPngInvalidIHDR*>(&e) || dynamic_cast<const EPNGMissingMultipleIDAT*>(&e) ||
           dynamic_cast<const EPNGZLIBError*>(&e) || dynamic_cast<const EPNGInvalidPalette*>(&e) ||
           dynamic_cast<const EPNGInvalidFileHeader*>(&e) || dynamic_cast<const EPNGIHDRNotFirst*>(&e) ||
           dynamic_cast<const EPNGNotExists*>(&e) || dynamic_cast<const EPNGSizeExceeds*>(&e) ||
           dynamic_cast<const EPNGMissingPalette*>(&e) || dynamic_cast<const EPNGUnknownCriticalChunk*>(&e) ||
           dynamic_cast<const EPNGUnknownCompression*>(&e) || dynamic_cast<const EPNGUnknownInterlace*>(&e) ||
           dynamic_cast<const EPNGNoImageData*>(&e) || dynamic_cast<const EPNGCouldNotLoadResource*>(&e) ||
           dynamic_cast<const EPNGCannotChangeTransparent*>(&e) || dynamic_cast<const EPNGHeaderNotPresent*>(&e);
}

} // namespace pngtest

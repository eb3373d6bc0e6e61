// JPEG: round trips within tolerance, files read by ImageMagick and from it,
// bad data refused.
#include "gfx/jpeg.h"
#include "rtl/classes.h"
#include "rtl/paths.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace gfxtest;

namespace {

TBitmap Gradient(int w, int h)
{
    return Pattern(w, h, [&](int x, int y) { return RGB(x * 255 / w, y * 255 / h, (x + y) * 127 / (w + h)); });
}

double MeanError(const TBitmap& a, const TBitmap& b)
{
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const TColor p = a.Pixel(x, y), q = b.Pixel(x, y);
            sum += std::abs(GetRValue(p) - GetRValue(q)) + std::abs(GetGValue(p) - GetGValue(q)) +
                   std::abs(GetBValue(p) - GetBValue(q));
        }
    return sum / (3.0 * a.Width() * a.Height());
}

} // namespace

TEST(Jpeg, RoundTripWithinTolerance)
{
    const std::string dir = TempDir();
    const TBitmap src = Gradient(96, 64);
    TJPEGImage jpeg;
    EXPECT_EQ(jpeg.CompressionQuality(), 75);
    EXPECT_TRUE(jpeg.Empty());
    jpeg.Assign(src);
    EXPECT_EQ(jpeg.Width(), 96);
    const std::string path = JoinPath(dir, "g.jpg");
    jpeg.SaveToFile(path);
    const auto bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    TJPEGImage back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Width(), 96);
    EXPECT_EQ(back.Height(), 64);
    TBitmap decoded;
    decoded.Assign(back);
    EXPECT_EQ(decoded.Width(), 96);
    EXPECT_LT(MeanError(src, decoded), 4.0);
    // Higher quality is closer and larger.
    TJPEGImage fine;
    fine.SetCompressionQuality(98);
    fine.Assign(src);
    const std::string finePath = JoinPath(dir, "fine.jpg");
    fine.SaveToFile(finePath);
    TJPEGImage fineBack;
    fineBack.LoadFromFile(finePath);
    EXPECT_LT(MeanError(src, fineBack.Bitmap()), MeanError(src, decoded));
    EXPECT_GT(ReadFile(finePath).size(), bytes.size());
    // Saving what was loaded writes the same bytes back.
    TMemoryStream again;
    back.SaveToStream(again);
    EXPECT_EQ(again.Size(), static_cast<std::int64_t>(bytes.size()));
}

TEST(Jpeg, ImageMagickReadsOursAndWeReadItsFiles)
{
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    const std::string dir = TempDir();
    const TBitmap src = Gradient(50, 30);
    const std::string ours = JoinPath(dir, "ours.jpg");
    SaveBitmapAsJpeg(src, ours, 90);
    const std::string ppm = JoinPath(dir, "ours.ppm");
    ASSERT_EQ(RunTool({"convert", ours, ppm}), 0);
    Ppm p;
    ASSERT_TRUE(ReadPpm(ppm, p));
    EXPECT_EQ(p.width, 50);
    EXPECT_EQ(p.height, 30);
    // Theirs: a PPM of the same gradient turned into a JPEG by ImageMagick.
    Ppm in;
    in.width = 50;
    in.height = 30;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 50; ++x) {
            const TColor c = src.Pixel(x, y);
            in.rgb.push_back(static_cast<std::uint8_t>(GetRValue(c)));
            in.rgb.push_back(static_cast<std::uint8_t>(GetGValue(c)));
            in.rgb.push_back(static_cast<std::uint8_t>(GetBValue(c)));
        }
    const std::string inPath = JoinPath(dir, "in.ppm");
    WritePpm(inPath, in);
    const std::string theirs = JoinPath(dir, "theirs.jpg");
    ASSERT_EQ(RunTool({"convert", inPath, "-quality", "90", theirs}), 0);
    TJPEGImage j;
    j.LoadFromFile(theirs);
    EXPECT_LT(MeanError(src, j.Bitmap()), 4.0);
}

TEST(Jpeg, BadDataIsRefused)
{
    std::vector<std::vector<std::uint8_t>> bad = {{}, {0xFF, 0xD8}, {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}};
    // A real file cut in half decodes its header but fails on the pixels.
    TJPEGImage good;
    good.Assign(Gradient(64, 64));
    TMemoryStream ms;
    good.SaveToStream(ms);
    std::vector<std::uint8_t> cut(ms.Memory(), ms.Memory() + 40);
    bad.push_back(cut);
    for (const auto& data : bad) {
        TMemoryStream s;
        if (!data.empty()) s.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
        s.SetPosition(0);
        TJPEGImage j;
        EXPECT_THROW(j.LoadFromStream(s), EInvalidGraphic);
        EXPECT_TRUE(j.Empty());
    }
    TJPEGImage empty;
    TMemoryStream out;
    EXPECT_THROW(empty.SaveToStream(out), EInvalidGraphicOperation);
}

TEST(Jpeg, MutatedStreamsNeverCrash)
{
    TJPEGImage good;
    good.Assign(Gradient(40, 24));
    TMemoryStream ms;
    good.SaveToStream(ms);
    const std::vector<std::uint8_t> seed(ms.Memory(), ms.Memory() + ms.Size());
    std::uint32_t state = 777;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int round = 0; round < 400; ++round) {
        std::vector<std::uint8_t> data = seed;
        for (int k = 0; k < 3; ++k) data[next() % data.size()] = static_cast<std::uint8_t>(next());
        if (next() % 4 == 0) data.resize(next() % data.size());
        TMemoryStream s;
        if (!data.empty()) s.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
        s.SetPosition(0);
        try {
            TJPEGImage j;
            j.LoadFromStream(s);
            EXPECT_EQ(j.Bitmap().Width(), j.Width());
        } catch (const EInvalidGraphic&) {
        }
    }
}

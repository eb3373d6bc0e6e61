// Damaged files: truncated, bit-flipped, and mutated with the CRCs made right again so
// the damage reaches the decoder. Every outcome is an image or one of the codec's
// exceptions; nothing crashes, hangs or reads outside its buffers.
#include "png/pngimage.h"
#include "pngtestutil.h"

#include <gtest/gtest.h>

#include <random>

using namespace pngtest;

namespace {

std::vector<Bytes> Seeds()
{
    std::vector<Bytes> seeds;
    RawImage rgb = MakeTestImage(21, 13, 2, 8, 31);
    rgb.interlace = true;
    rgb.texts = {{"Title", "menu"}, {"Note", "packed text", true}};
    rgb.hasTime = true;
    rgb.year = 2026, rgb.month = 1, rgb.day = 2;
    rgb.gamma = 0.45455;
    rgb.idatBufferSize = 200;
    seeds.push_back(WriteWithLibpng(rgb));
    RawImage pal = MakeTestImage(17, 9, 3, 4, 32);
    pal.trnsAlpha = {0, 128, 255};
    seeds.push_back(WriteWithLibpng(pal));
    RawImage grey = MakeTestImage(9, 9, 0, 16, 33);
    grey.hasTrnsColor = true;
    grey.trnsGrey = 300;
    seeds.push_back(WriteWithLibpng(grey));
    RawImage rgba = MakeTestImage(11, 7, 6, 16, 34);
    rgba.interlace = true;
    seeds.push_back(WriteWithLibpng(rgba));
    RawImage two = MakeTestImage(13, 5, 0, 2, 35);
    seeds.push_back(WriteWithLibpng(two));
    return seeds;
}

// Loads and, whatever happened, uses the object as a caller would.
void Exercise(const Bytes& file)
{
    TPNGObject png;
    bool loaded = false;
    try {
        LoadFromBytes(png, file);
        loaded = true;
    } catch (const std::exception& e) {
        ASSERT_TRUE(IsCodecError(e)) << "foreign exception: " << e.what();
    }
    std::uint32_t sum = 0;
    for (int y = 0; y < png.Height(); ++y)
        for (int x = 0; x < png.Width(); ++x) sum += static_cast<std::uint32_t>(png.GetPixels(x, y));
    (void)sum;
    png.GetTransparentColor();
    if (!loaded || png.Width() * png.Height() > 100000) return; // big damaged headers: reading them was the test
    try {
        const Bytes saved = SaveToBytes(png);
        TPNGObject again;
        LoadFromBytes(again, saved);
        EXPECT_EQ(again.Width(), png.Width());
    } catch (const std::exception& e) {
        ASSERT_TRUE(IsCodecError(e)) << "foreign exception on saving: " << e.what();
    }
}

TEST(PngFuzz, EveryTruncation)
{
    for (const Bytes& seed : Seeds())
        for (std::size_t n = 0; n < seed.size(); ++n) {
            Exercise(Bytes(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(n)));
            if (HasFatalFailure()) return;
        }
}

TEST(PngFuzz, BitFlips)
{
    std::mt19937 random(1234);
    for (const Bytes& seed : Seeds())
        for (int round = 0; round < 600; ++round) {
            Bytes file = seed;
            const int flips = 1 + static_cast<int>(random() % 3);
            for (int f = 0; f < flips; ++f) file[random() % file.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
            Exercise(file);
            if (HasFatalFailure()) return;
        }
}

TEST(PngFuzz, MutationsWithValidCrcs)
{
    std::mt19937 random(99);
    for (const Bytes& seed : Seeds()) {
        const auto chunks = SplitChunks(seed);
        ASSERT_FALSE(chunks.empty());
        for (int round = 0; round < 800; ++round) {
            auto mutated = chunks;
            auto& victim = mutated[random() % mutated.size()];
            switch (random() % 5) {
            case 0: // flip bits inside the data
                for (int f = 0; f < 4 && !victim.data.empty(); ++f)
                    victim.data[random() % victim.data.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
                break;
            case 1: // cut the data short
                victim.data.resize(victim.data.empty() ? 0 : random() % victim.data.size());
                break;
            case 2: // grow it with noise
                for (int i = 0, n = static_cast<int>(random() % 40); i < n; ++i)
                    victim.data.push_back(static_cast<std::uint8_t>(random()));
                break;
            case 3: // drop or repeat a chunk
                if (random() % 2) mutated.erase(mutated.begin() + static_cast<std::ptrdiff_t>(random() % mutated.size()));
                else mutated.insert(mutated.begin() + static_cast<std::ptrdiff_t>(random() % mutated.size()), victim);
                break;
            default: // set a byte to an extreme
                if (!victim.data.empty()) victim.data[random() % victim.data.size()] = random() % 2 ? 0xFF : 0x00;
                break;
            }
            Exercise(JoinChunks(mutated));
            if (HasFatalFailure()) return;
        }
    }
}

} // namespace

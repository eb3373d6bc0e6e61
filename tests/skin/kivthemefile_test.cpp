#include "skin/kivthemefile.h"
#include "skin/kivthemes.h"

#include "gfx/bitmap.h"
#include "rtl/paths.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (std::size_t i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

TEST(KivThemeFile, OneIntegerMakesTheDocumentedLayout)
{
    const std::string dir = MakeTempFolder("kivfile");
    const std::string path = dir + "/one.kiv";
    { TkivThemeFileWriter w(path); w.AddInteger("FormBorderWidthInt", 3); }
    const auto b = ReadAll(path);
    ASSERT_EQ(b.size(), 182u);
    EXPECT_EQ(std::memcmp(b.data(), "Kivarna_TB\0\0", 12), 0);
    EXPECT_EQ(b[12], 24);
    EXPECT_EQ(b[16], 1);
    EXPECT_EQ(b[20], 24);
    EXPECT_EQ(b[24 + 64], kivEntryInteger);
    EXPECT_EQ(b[24 + 65], 101);
    EXPECT_EQ(b[24 + 69], 4);
    EXPECT_EQ(b[24 + 73], 105);
    EXPECT_EQ(b[101], 3);
    EXPECT_TRUE(IsKIVThemeFile(path));
    EXPECT_FALSE(IsKIVThemeFile(dir + "/missing.kiv"));

    { TkivThemeFileWriter empty(dir + "/empty.kiv"); }
    EXPECT_EQ(ReadAll(dir + "/empty.kiv").size(), 101u);
}

TEST(KivThemeFile, RoundTripOfEveryKind)
{
    const std::string dir = MakeTempFolder("kivfile");
    TBitmap pic(5, 3, pf24bit);
    pic.SetPixel(2, 1, 0x123456);
    pic.SaveToFile(dir + "/pic.bmp");
    const std::string longName(70, 'N');
    {
        TkivThemeFileWriter w(dir + "/t.kiv");
        w.AddFile("ButtonImage", dir + "/pic.bmp");
        w.AddInteger("FormBackgroundColor", 0xDEEBEF);
        w.AddInteger("TitleBarButtonRightOffsetInt", -3);
        w.AddBool("ButtonTransparentBool", true);
        w.AddStr("Author", "a=b text");
        w.AddInteger(longName, 7);
        w.Save();
    }
    TkivThemeFileReader r(dir + "/t.kiv");
    EXPECT_EQ(r.GetInteger("formbackgroundcolor"), 0xDEEBEF);
    EXPECT_EQ(r.GetInteger("TitleBarButtonRightOffsetInt"), -3);
    EXPECT_EQ(r.GetInteger("Missing"), -1);
    EXPECT_TRUE(r.GetBool("ButtonTransparentBool"));
    EXPECT_FALSE(r.GetBool("Missing"));
    EXPECT_EQ(r.GetStr("Author"), "a=b text");
    EXPECT_EQ(r.GetInteger(longName.substr(0, 64)), 7);
    ASSERT_NE(r.GetFile("ButtonImage"), nullptr);
    EXPECT_EQ(r.GetFile("Nothing"), nullptr);

    TkivFileThemeMgr mgr;
    EXPECT_FALSE(mgr.LoadFromFile(dir + "/none.kiv"));
    EXPECT_EQ(mgr.GetInt(15), 0);
    ASSERT_TRUE(mgr.LoadFromFile(dir + "/t.kiv"));
    EXPECT_EQ(mgr.GetColor(15), 0xDEEBEF);
    EXPECT_TRUE(mgr.GetBool(2));
    TBitmap loaded;
    mgr.GetBitmap(1, &loaded);
    EXPECT_EQ(loaded.Width(), 5);
    EXPECT_EQ(loaded.Pixel(2, 1), 0x123456);
}

TEST(KivThemeFile, MalformedFilesAreRefused)
{
    const std::string dir = MakeTempFolder("kivfile");
    const std::string good = dir + "/g.kiv";
    { TkivThemeFileWriter w(good); w.AddInteger("A", 1); w.AddStr("B", "text"); }
    const auto base = ReadAll(good);
    auto refused = [&](std::vector<std::uint8_t> bytes) {
        const std::string p = dir + "/bad.kiv";
        WriteAll(p, bytes);
        try {
            TkivThemeFileReader r(p);
        } catch (const EKivThemeFileError& e) {
            EXPECT_STREQ(e.what(), "Invalid skin file for Kivarna!");
            return true;
        }
        return false;
    };
    // Truncated at every length short of the terminator.
    for (std::size_t n = 0; n < base.size(); n += 7)
        EXPECT_TRUE(refused({base.begin(), base.begin() + n})) << n;
    auto loop = base;
    Put32(loop, 24 + 73, 24); // the first record links to itself
    EXPECT_TRUE(refused(loop));
    auto past = base;
    Put32(past, 24 + 69, 0x7FFFFFFF); // data size past the end
    EXPECT_TRUE(refused(past));
    auto offset = base;
    Put32(offset, 24 + 65, 0xFFFFFFF0); // data offset past the end
    EXPECT_TRUE(refused(offset));
    auto header = base;
    Put32(header, 12, 1u << 30);
    EXPECT_TRUE(refused(header));
    auto first = base;
    Put32(first, 20, 0xFFFFFFFF);
    EXPECT_TRUE(refused(first));
    auto magic = base;
    magic[0] = 'X';
    EXPECT_TRUE(refused(magic));
    // A name filling all 64 bytes without a terminator is read as 64 characters.
    auto name = base;
    std::memset(name.data() + 24, 'Z', 64);
    const std::string p = dir + "/name.kiv";
    WriteAll(p, name);
    TkivThemeFileReader r(p);
    EXPECT_EQ(r.GetStr(std::string(64, 'Z')), "text"); // strings are written before integers
}

TEST(KivThemeFile, EntriesThatWouldLoadMoreThanTheFileAreRefused)
{
    // 1,000 file entries all pointing at one 1 MB block: each entry's bytes are
    // copied, so the 1.1 MB file would take 1 GB. Refused, as no writer makes such a file.
    constexpr std::uint32_t kEntries = 1000, kBlock = 1 << 20;
    const std::uint32_t block = KIV_HEADER_SIZE + (kEntries + 1) * KIV_RECORD_SIZE;
    std::vector<std::uint8_t> bytes(block + kBlock, 0);
    std::memcpy(bytes.data(), "Kivarna_TB", 10);
    Put32(bytes, 12, KIV_HEADER_SIZE);
    Put32(bytes, 16, 1);
    Put32(bytes, 20, KIV_HEADER_SIZE);
    for (std::uint32_t i = 0; i < kEntries; ++i) {
        const std::size_t rec = KIV_HEADER_SIZE + i * KIV_RECORD_SIZE;
        bytes[rec] = 'A' + i % 26;
        bytes[rec + 64] = kivEntryFile;
        Put32(bytes, rec + 65, block);
        Put32(bytes, rec + 69, kBlock);
        Put32(bytes, rec + 73, static_cast<std::uint32_t>(rec + KIV_RECORD_SIZE));
    }
    EXPECT_THROW(TkivThemeFileReader(std::span<const std::uint8_t>(bytes.data(), bytes.size())), EKivThemeFileError);
    // One entry on the block is a sound file.
    Put32(bytes, KIV_HEADER_SIZE + 73, 0);
    Put32(bytes, KIV_HEADER_SIZE + KIV_RECORD_SIZE + 73, 0);
    std::memset(bytes.data() + KIV_HEADER_SIZE + KIV_RECORD_SIZE, 0, KIV_RECORD_SIZE);
    Put32(bytes, KIV_HEADER_SIZE + 73, KIV_HEADER_SIZE + KIV_RECORD_SIZE);
    TkivThemeFileReader one(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
    ASSERT_NE(one.GetFile("A"), nullptr);
    EXPECT_EQ(one.GetFile("A")->Size(), kBlock);
}

TEST(KivThemeFile, LengthsPastTheLimitAreRefused)
{
    // The controls add and subtract a theme's lengths: a border of 100,000
    // pixels or an offset at the end of the integers is no theme of theirs.
    const std::string dir = MakeTempFolder("kivfile");
    const auto refused = [&](const std::string& name, int value) {
        const std::string path = dir + "/" + name + ".kiv";
        { TkivThemeFileWriter w(path); w.AddInteger(name, value); }
        try {
            TkivThemeFileReader r(path);
            return false;
        } catch (const EKivThemeFileError& e) {
            return std::string(e.what()) == kInvalidSkinFile;
        }
    };
    EXPECT_TRUE(refused("FormBorderWidthInt", 100000));
    EXPECT_TRUE(refused("titlebarbuttontopint", INT_MIN));
    EXPECT_TRUE(refused("TitleBarButtonLeftOffsetInt", KIV_MAX_LENGTH + 1));
    EXPECT_FALSE(refused("FormMinWidthInt", KIV_MAX_LENGTH));
    EXPECT_FALSE(refused("TitleBarButtonRightOffsetInt", -KIV_MAX_LENGTH));
    EXPECT_FALSE(refused("FormBackgroundColor", INT_MIN));   // a colour: any value names one
}

TEST(KivThemeFile, ReadsFromMemory)
{
    const std::string dir = MakeTempFolder("kivfile");
    { TkivThemeFileWriter w(dir + "/m.kiv"); w.AddBool("X", true); }
    const auto bytes = ReadAll(dir + "/m.kiv");
    TkivThemeFileReader r(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
    EXPECT_TRUE(r.GetBool("X"));
}

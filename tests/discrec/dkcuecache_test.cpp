// The read-ahead cache: what it delivers, how full it gets, and how it fails.
#include "discrec/dkconst.h"
#include "discrec/dkcuecache.h"
#include "testkit/tempfolder.h"
#include "testkit/wait.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace discrec_test {
namespace {

constexpr std::int64_t kSector = 2352;

class CueCache : public ::testing::Test {
protected:
    // A file whose byte at offset i is (i * 13) & 0xFF.
    std::string Bin(const std::string& name, std::size_t bytes)
    {
        std::string data(bytes, '\0');
        for (std::size_t i = 0; i < bytes; ++i)
            data[i] = static_cast<char>(i * 13);
        std::ofstream(folder_.File(name), std::ios::binary) << data;
        return folder_.File(name);
    }
    static TQueEntry FromFile(const std::string& name, std::int64_t offset, std::int64_t count)
    {
        return TQueEntry{name, ftBinary, ttMode2_2352, offset, count, false, false};
    }
    static TQueEntry Zeros(std::int64_t count) { return TQueEntry{"", ftNone, ttMode2_2352, 0, count, true, false}; }

    // Takes every block; the bytes in order.
    static std::vector<std::uint8_t> Drain(TCueCacheThread& cache, std::vector<int>* sizes = nullptr)
    {
        std::vector<std::uint8_t> all;
        std::atomic<bool> stop{false};
        std::unique_ptr<TCacheBlock> block;
        for (;;) {
            const int got = cache.WaitFirst(block, stop);
            if (got <= 0) {
                EXPECT_EQ(got, 0) << cache.Error();
                break;
            }
            if (sizes)
                sizes->push_back(got);
            all.insert(all.end(), block->Data.begin(), block->Data.begin() + got);
        }
        return all;
    }

    testkit::TempFolder folder_{"keldara-cache"};
};

TEST_F(CueCache, DeliversTheQueueInOrderWithOneShortBlockPerEntry)
{
    const std::string bin = Bin("disc.bin", 40 * kSector);
    TCueCacheThread cache(2097152, {Zeros(150 * kSector), FromFile(bin, 5 * kSector, 30 * kSector)}, 352800,
                          180 * kSector);
    EXPECT_EQ(cache.TotalBytes(), 180 * kSector);
    std::vector<int> sizes;
    const std::vector<std::uint8_t> all = Drain(cache, &sizes);
    ASSERT_EQ(all.size(), static_cast<std::size_t>(180 * kSector));
    // 150 sectors: five full blocks of 27 and one of 15; 30 sectors: 27 and 3.
    EXPECT_EQ(sizes, (std::vector<int>{63504, 63504, 63504, 63504, 63504, 15 * 2352, 63504, 3 * 2352}));
    for (std::int64_t i = 0; i < 150 * kSector; ++i)
        ASSERT_EQ(all[i], 0) << i;
    for (std::int64_t i = 0; i < 30 * kSector; ++i)
        ASSERT_EQ(all[150 * kSector + i], static_cast<std::uint8_t>((5 * kSector + i) * 13)) << i;
    EXPECT_EQ(cache.RemainingBytes(), 0);
    cache.WaitFor();
    EXPECT_TRUE(cache.CacheFinished());
    EXPECT_EQ(cache.Error(), "");
}

TEST_F(CueCache, AShortLastSectorIsFilledWithZeros)
{
    const std::string bin = Bin("short.bin", 3 * kSector - 1000);
    TCueCacheThread cache(2097152, {FromFile(bin, 0, 3 * kSector)}, 0, 3 * kSector);
    const std::vector<std::uint8_t> all = Drain(cache);
    ASSERT_EQ(all.size(), static_cast<std::size_t>(3 * kSector));
    EXPECT_EQ(all[3 * kSector - 1001], static_cast<std::uint8_t>((3 * kSector - 1001) * 13));
    for (std::int64_t i = 3 * kSector - 1000; i < 3 * kSector; ++i)
        ASSERT_EQ(all[i], 0);
    EXPECT_EQ(cache.Error(), "");
}

TEST_F(CueCache, ItIsReadyWhenItHoldsAllButOneBlockAndNoMore)
{
    const std::string bin = Bin("big.bin", 2000 * kSector);
    TCueCacheThread cache(2097152, {FromFile(bin, 0, 2000 * kSector)}, 0, 2000 * kSector);
    ASSERT_EQ(cache.MaxBlocks(), 31);   // 2097152 / 65856
    ASSERT_TRUE(testkit::WaitUntil([&] { return cache.WaitReady(100); }));
    EXPECT_TRUE(cache.Ready());
    EXPECT_EQ(cache.BlockCount(), 30);
    EXPECT_EQ(cache.HeldBytes(), 30 * 63504);
    EXPECT_LE(cache.HeldBytes(), cache.CacheSize());
    // Taking one lets it read one more, and never beyond.
    std::unique_ptr<TCacheBlock> block;
    ASSERT_EQ(cache.GetFirst(block), 63504);
    ASSERT_TRUE(testkit::WaitUntil([&] { return cache.BlockCount() >= 30; }));
    EXPECT_EQ(cache.BlockCount(), 30);

    // Aborting frees every block and says why.
    cache.Abort();
    cache.WaitFor();
    EXPECT_EQ(cache.BlockCount(), 0);
    EXPECT_EQ(cache.HeldBytes(), 0);
    EXPECT_EQ(cache.Error(), "OPERATION ABORTED BY USER");
    EXPECT_TRUE(cache.CacheFinished());
}

TEST_F(CueCache, AnEmptyCacheAnswersAtOnceWhileItWaitsForItsFile)
{
    // A pipe with no writer yet: the cache cannot read its first byte.
    const std::string fifo = folder_.File("image.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TCueCacheThread cache(2097152, {FromFile(fifo, 0, 2 * kSector)}, 0, 2 * kSector);
    std::unique_ptr<TCacheBlock> block;
    EXPECT_EQ(cache.GetFirst(block), -1);
    EXPECT_FALSE(cache.Ready());
    // The data arrives: both sectors come through.
    // Opened without blocking, for a minute at most: a cache that never opens
    // its file fails the test instead of hanging it.
    int fd = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while ((fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) < 0 && errno == ENXIO &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fcntl(fd, F_SETFL, 0), 0);
    const std::string data(2 * kSector, 'x');
    ASSERT_EQ(::write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    ::close(fd);
    const std::vector<std::uint8_t> all = Drain(cache);
    EXPECT_EQ(all.size(), static_cast<std::size_t>(2 * kSector));
    EXPECT_EQ(all.back(), 'x');
}

TEST_F(CueCache, FilesThatCannotBeReadAreReported)
{
    {
        TCueCacheThread cache(2097152, {Zeros(kSector), FromFile(folder_.File("gone.bin"), 0, kSector)}, 0, 2 * kSector);
        ASSERT_TRUE(testkit::WaitUntil([&] { return cache.WaitReady(100); }));
        EXPECT_EQ(cache.Error(), Format(std::string(ERR_FILEINUSE), folder_.File("gone.bin")));
    }
    {
        // A file two sectors shorter than its queue entry: no silent zeros.
        const std::string bin = Bin("cut.bin", 8 * kSector);
        TCueCacheThread cache(2097152, {FromFile(bin, 0, 10 * kSector)}, 0, 10 * kSector);
        ASSERT_TRUE(testkit::WaitUntil([&] { return cache.WaitReady(100); }));
        EXPECT_EQ(cache.Error(), "Stream read error");
        std::atomic<bool> stop{false};
        std::unique_ptr<TCacheBlock> block;
        EXPECT_EQ(cache.WaitFirst(block, stop), -1);
    }
}

} // namespace
} // namespace discrec_test

#pragma once
// TCueCacheThread: reads the image data of a cue sheet's read queue ahead of
// the writer and keeps it in a bounded list of blocks, so that the writer
// always finds data in memory. One producer (this thread) and one consumer
// (the writer) share the list under a lock; each waits on a condition
// variable, never on a timer.
//
// Blocks hold up to 27 whole sectors of one queue entry (63504 bytes of
// 2352-byte sectors), so each block has one track and one track type. At most
// CacheSize / 65856 - 1 blocks are held: memory is bounded by CacheSize.
#include "discrec/dkcueburner.h"
#include "rtl/thread.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct TCacheBlock {
    static constexpr std::uint32_t kDataSpace = 65856;   // 28 sectors
    static constexpr std::uint32_t kMaxSectors = 27;
    std::vector<std::uint8_t> Data = std::vector<std::uint8_t>(kDataSpace);
    std::uint32_t Used = 0;
    TFileType FileType = ftNone;
    TTrackType TrackType = ttNone;
    bool TrackStart = false;          // the first block of a queue entry
    std::uint32_t SectorSize = 2352;  // bytes of each of its sectors, as the file holds them
    int Track = 1;                    // the disc's track
    std::uint32_t Sectors() const { return SectorSize ? Used / SectorSize : 0; }
};

class TCueCacheThread : public TThread {
public:
    // Starts reading at once. GapBytes is kept only; what is left to deliver
    // comes from the queue itself, not from BytesToWrite.
    TCueCacheThread(std::int64_t CacheSize, std::vector<TQueEntry> Que, std::int64_t GapBytes,
                    std::int64_t BytesToWrite);
    ~TCueCacheThread() override;

    // Hands the first block to the writer: its byte count, 0 when all data has
    // been delivered, -1 when no block is ready yet (or the cache failed).
    int GetFirst(std::unique_ptr<TCacheBlock>& Block);
    // As GetFirst, but waits while no block is ready; -1 only when the cache
    // failed, was aborted, or `stop` became true (Wake rouses the wait).
    int WaitFirst(std::unique_ptr<TCacheBlock>& Block, const std::atomic<bool>& stop);
    // Waits up to ms for the cache to be ready or to fail; true when either.
    bool WaitReady(std::uint32_t ms);
    void Wake();

    void Abort();
    bool Ready() const;
    bool CacheFinished() const;
    // "" while all is well: "OPERATION ABORTED BY USER", "CAN'T OPEN FILE ...", "Stream read error".
    std::string Error() const;

    int MaxBlocks() const { return maxBlocks_; }
    int BlockCount() const;
    std::int64_t HeldBytes() const;
    std::int64_t TotalBytes() const { return totalBytes_; }
    std::int64_t RemainingBytes() const;
    std::int64_t CacheSize() const { return cacheSize_; }
    std::int64_t GapBytes() const { return gapBytes_; }

protected:
    void Execute() override;

private:
    // Reads (in order, from where the entry's file stands) or zeroes the next
    // part of an entry into a block; false with the error set.
    bool Fill(const TQueEntry& entry, int fd, std::uint32_t bytes, TCacheBlock& block);
    void AdjustPriority();
    void Fail(const std::string& text);

    const std::int64_t cacheSize_;
    const int maxBlocks_;
    const std::vector<TQueEntry> que_;
    const std::int64_t gapBytes_;
    std::int64_t totalBytes_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable changed_;   // a block came or went, or a state changed
    std::deque<std::unique_ptr<TCacheBlock>> blocks_;
    std::int64_t held_ = 0;
    std::int64_t remaining_ = 0;
    bool ready_ = false;
    bool finished_ = false;
    bool abort_ = false;
    std::string error_;
    TThreadPriority priority_ = tpNormal;
};

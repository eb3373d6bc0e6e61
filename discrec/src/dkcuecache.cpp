// TCueCacheThread: the read-ahead cache between the image files and the writer.
#include "discrec/dkcuecache.h"

#include "discrec/dkconst.h"
#include "rtl/sysutils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::int64_t Total(const std::vector<TQueEntry>& que)
{
    std::int64_t total = 0;
    for (const TQueEntry& entry : que)
        total += entry.Count;
    return total;
}

} // namespace

TCueCacheThread::TCueCacheThread(std::int64_t CacheSize, std::vector<TQueEntry> Que, std::int64_t GapBytes,
                                 std::int64_t /*BytesToWrite*/)
    : TThread(true),
      cacheSize_(CacheSize),
      maxBlocks_(static_cast<int>(std::max<std::int64_t>(CacheSize / TCacheBlock::kDataSpace, 2))),
      que_(std::move(Que)),
      gapBytes_(GapBytes)
{
    totalBytes_ = Total(que_);
    remaining_ = totalBytes_;
    Start();
}

TCueCacheThread::~TCueCacheThread()
{
    Abort();
    WaitFor();
}

void TCueCacheThread::Fail(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (error_.empty())
        error_ = text;
    changed_.notify_all();
}

void TCueCacheThread::AdjustPriority()
{
    TThreadPriority wanted = tpLowest;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto count = static_cast<int>(blocks_.size());
        if (count >= maxBlocks_ - 1)
            wanted = tpIdle;
        else if (count < maxBlocks_ / 4)
            wanted = tpNormal;
        else if (count < maxBlocks_ / 2)
            wanted = tpLower;
    }
    if (wanted != priority_) {
        SetCurrentThreadPriority(wanted);   // best effort
        priority_ = wanted;
    }
}

bool TCueCacheThread::Fill(const TQueEntry& entry, int fd, std::uint32_t bytes, TCacheBlock& block)
{
    block.Used = bytes;
    if (entry.FileName.empty()) {
        std::memset(block.Data.data(), 0, bytes);
        return true;
    }
    std::uint32_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::read(fd, block.Data.data() + done, bytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            Fail(std::string(ERR_SREADERROR));
            return false;
        }
        if (n == 0)
            break;
        done += static_cast<std::uint32_t>(n);
    }
    // Only the last sector of an image may be short: it is filled up with zeros.
    if (bytes - done >= entry.SectorSize) {
        Fail(std::string(ERR_SREADERROR));
        return false;
    }
    std::memset(block.Data.data() + done, 0, bytes - done);
    return true;
}

void TCueCacheThread::Execute()
{
    for (const TQueEntry& entry : que_) {
        int fd = -1;
        if (!entry.FileName.empty() && entry.Count > 0) {
            fd = ::open(entry.FileName.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                Fail(Format(std::string(ERR_FILEINUSE), entry.FileName));
                break;
            }
            if (entry.Offset != 0 && ::lseek(fd, static_cast<off_t>(entry.Offset), SEEK_SET) < 0) {
                ::close(fd);
                Fail(std::string(ERR_SREADERROR));
                break;
            }
        }
        std::int64_t left = entry.Count;
        bool first = true;
        bool ok = true;
        while (left > 0 && ok) {
            auto block = std::make_unique<TCacheBlock>();
            const auto bytes = static_cast<std::uint32_t>(
                std::min<std::int64_t>(left, std::int64_t{TCacheBlock::kMaxSectors} * entry.SectorSize));
            block->FileType = entry.FileType;
            block->TrackType = entry.TrackType;
            block->TrackStart = first;
            block->SectorSize = entry.SectorSize;
            block->Track = entry.Track;
            if (!Fill(entry, fd, bytes, *block)) {
                ok = false;
                break;
            }
            std::unique_lock<std::mutex> lock(mutex_);
            // Full: ready for the writer, and nothing to do until it takes a block.
            changed_.wait(lock, [&] {
                if (static_cast<int>(blocks_.size()) >= maxBlocks_ - 1 && !ready_) {
                    ready_ = true;
                    changed_.notify_all();
                }
                return abort_ || Terminated() || static_cast<int>(blocks_.size()) < maxBlocks_ - 1;
            });
            if (abort_ || Terminated()) {
                ok = false;
                break;
            }
            held_ += bytes;
            blocks_.push_back(std::move(block));
            changed_.notify_all();
            lock.unlock();
            left -= bytes;
            first = false;
            AdjustPriority();
        }
        if (fd >= 0)
            ::close(fd);
        if (!ok)
            break;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    ready_ = true;
    changed_.notify_all();
    // The queue is read: wait for the writer to take the rest, unless it all went wrong.
    changed_.wait(lock, [&] { return remaining_ == 0 || abort_ || !error_.empty() || Terminated(); });
    if (abort_ || Terminated()) {
        blocks_.clear();
        held_ = 0;
        if (error_.empty())
            error_ = ERR_ABORTED;
    }
    finished_ = true;
    changed_.notify_all();
}

int TCueCacheThread::GetFirst(std::unique_ptr<TCacheBlock>& Block)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (remaining_ == 0)
        return 0;
    if (blocks_.empty())
        return -1;
    Block = std::move(blocks_.front());
    blocks_.pop_front();
    held_ -= Block->Used;
    remaining_ -= Block->Used;
    changed_.notify_all();
    return static_cast<int>(Block->Used);
}

int TCueCacheThread::WaitFirst(std::unique_ptr<TCacheBlock>& Block, const std::atomic<bool>& stop)
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] {
            return remaining_ == 0 || !blocks_.empty() || abort_ || !error_.empty() || finished_ || stop;
        });
    }
    return GetFirst(Block);
}

bool TCueCacheThread::WaitReady(std::uint32_t ms)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return ready_ || !error_.empty(); });
}

void TCueCacheThread::Wake()
{
    std::lock_guard<std::mutex> lock(mutex_);
    changed_.notify_all();
}

void TCueCacheThread::Abort()
{
    std::lock_guard<std::mutex> lock(mutex_);
    abort_ = true;
    changed_.notify_all();
}

bool TCueCacheThread::Ready() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return ready_;
}

bool TCueCacheThread::CacheFinished() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
}

std::string TCueCacheThread::Error() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

int TCueCacheThread::BlockCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(blocks_.size());
}

std::int64_t TCueCacheThread::HeldBytes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return held_;
}

std::int64_t TCueCacheThread::RemainingBytes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return remaining_;
}

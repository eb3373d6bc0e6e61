#include "pipewrite.h"

#include "mmc.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dvdwrite {

namespace {

constexpr std::size_t kSector = 2048;
constexpr std::uint16_t kSectorsPerWrite = 32;
constexpr int kPollMs = 100;

// Profiles recorded in one pass and closed afterwards (DVD-R, DVD-RW sequential, DVD+R, dual layer).
bool SequentialProfile(int profile)
{
    return profile == 0x11 || profile == 0x14 || profile == 0x15 || profile == 0x16 || profile == 0x1B ||
           profile == 0x2B;
}

} // namespace

PipeToDrive::PipeToDrive(int driveNumber) : number_(driveNumber) {}

PipeToDrive::~PipeToDrive()
{
    Stop();
    if (fd_ >= 0)
        ::close(fd_);
    if (!pipe_.empty())
        ::unlink(pipe_.c_str());
    if (!folder_.empty())
        ::rmdir(folder_.c_str());
}

bool PipeToDrive::Open(std::string& why)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/keldara-dvdwrite-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        why = "no temporary folder for the image pipe: " + std::string(std::strerror(errno));
        return false;
    }
    folder_ = pattern;
    pipe_ = folder_ + "/image.iso";
    if (::mkfifo(pipe_.c_str(), 0600) != 0) {
        why = "no image pipe: " + std::string(std::strerror(errno));
        pipe_.clear();
        return false;
    }
    // Not blocking: the image program opens the other end when it starts (or never, when it cannot).
    fd_ = ::open(pipe_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        why = "the image pipe cannot be read: " + std::string(std::strerror(errno));
        return false;
    }
    return true;
}

void PipeToDrive::Start() { thread_ = std::thread([this] { Run(); }); }

void PipeToDrive::Fail(const std::string& why)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (error_.empty())
        error_ = why;
}

void PipeToDrive::Run()
{
    MmcDrive drive(number_);
    if (!drive.Open()) {
        Fail("the drive cannot be opened");
    } else {
        drivePath_ = drive.Path();
        const auto config = drive.GetConfiguration();
        sequential_ = config && SequentialProfile(config->currentProfile);
        std::vector<std::uint8_t> block(kSectorsPerWrite * kSector);
        std::size_t filled = 0;
        std::uint64_t total = 0;
        std::uint32_t lba = 0;
        auto send = [&](std::size_t bytes) {
            const auto sectors = static_cast<std::uint16_t>((bytes + kSector - 1) / kSector);
            std::fill(block.begin() + static_cast<std::ptrdiff_t>(bytes),
                      block.begin() + static_cast<std::ptrdiff_t>(sectors * kSector), 0);
            const ScsiResult result = drive.Write(lba, block.data(), sectors);
            if (!Succeeded(result)) {
                Fail("writing sector " + std::to_string(lba) + ": " + DescribeFailure(result, drivePath_));
                return false;
            }
            lba += sectors;
            return true;
        };
        bool ended = false;
        while (!stop_ && !ended) {
            pollfd poll{fd_, POLLIN, 0};
            const int ready = ::poll(&poll, 1, kPollMs);
            if (ready < 0 && errno != EINTR) {
                Fail("the image pipe failed: " + std::string(std::strerror(errno)));
                break;
            }
            if (ready <= 0) {
                // Nothing came and the image program has ended: it never will (it may not have opened the pipe).
                ended = producerGone_.load();
                continue;
            }
            const ssize_t n = ::read(fd_, block.data() + filled, block.size() - filled);
            if (n < 0) {
                if (errno != EAGAIN && errno != EINTR) {
                    Fail("the image pipe failed: " + std::string(std::strerror(errno)));
                    break;
                }
                continue;
            }
            if (n == 0) {
                // The writing end closed, and the image is whole; a pipe nobody
                // has written to yet may read so too until its program opens it.
                if (total > 0 || producerGone_)
                    ended = true;
                else
                    ::poll(nullptr, 0, kPollMs);
                continue;
            }
            filled += static_cast<std::size_t>(n);
            total += static_cast<std::uint64_t>(n);
            if (filled == block.size()) {
                if (!send(filled))
                    break;
                filled = 0;
            }
        }
        if (ended && filled > 0)
            send(filled);
        if (ended && total == 0 && !stop_)
            Fail("the image program wrote nothing");
    }
    // A failed copy closes the pipe: the image program stops at its next write.
    if (!stop_) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!error_.empty() && fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
}

std::string PipeToDrive::Finish()
{
    producerGone_ = true;
    if (thread_.joinable())
        thread_.join();
    std::lock_guard<std::mutex> guard(mutex_);
    return error_;
}

std::string PipeToDrive::Close()
{
    MmcDrive drive(number_);
    if (!drive.Open())
        return "the drive cannot be opened to close the disc";
    ScsiResult result = drive.SynchronizeCache();
    if (!Succeeded(result))
        return "flushing the drive's cache: " + DescribeFailure(result, drive.Path());
    if (!sequential_)
        return {};
    result = drive.CloseTrackSession(1, 1);
    if (Succeeded(result))
        result = drive.CloseTrackSession(2, 0);
    if (!Succeeded(result))
        return "closing the disc: " + DescribeFailure(result, drive.Path());
    return {};
}

std::string PipeToDrive::Stop()
{
    stop_ = true;
    producerGone_ = true;
    if (thread_.joinable())
        thread_.join();
    std::lock_guard<std::mutex> guard(mutex_);
    return error_;
}

} // namespace dvdwrite

#pragma once
// The write onto a drive that no burning program can open (a virtual drive of
// the program's own table): the image program writes the disc image into a
// named pipe, and the engine sends what comes out of it to the drive with
// WRITE (10) from sector 0, then flushes the drive and closes a sequential
// disc. The sectors on the disc are the image, byte for byte.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace dvdwrite {

class PipeToDrive {
public:
    explicit PipeToDrive(int driveNumber);
    ~PipeToDrive();   // Stop, and the pipe removed
    PipeToDrive(const PipeToDrive&) = delete;
    PipeToDrive& operator=(const PipeToDrive&) = delete;

    // Makes the pipe and opens its reading end; false with the reason in `why`.
    bool Open(std::string& why);
    const std::string& PipePath() const { return pipe_; }
    // Starts copying, before the image program runs.
    void Start();
    // The image program ended well: waits for the pipe's last sector. "" when
    // every sector reached the drive, else why not.
    std::string Finish();
    // Flushes the drive's cache and closes the track and session of a
    // sequential disc: "" or why the disc may not be closed.
    std::string Close();
    // The write failed or was stopped elsewhere: stops copying. Answers why
    // copying itself failed, if it did.
    std::string Stop();

private:
    void Run();
    void Fail(const std::string& why);

    int number_;
    std::string folder_, pipe_;
    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> producerGone_{false};   // the image program has ended
    std::mutex mutex_;
    std::string error_;        // under mutex_
    bool sequential_ = false;  // a write-once (or sequentially recorded) disc: closed after the write
    std::string drivePath_;
};

} // namespace dvdwrite

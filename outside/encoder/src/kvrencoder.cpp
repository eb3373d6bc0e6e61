// The library's entry points: one clip job at a time, run on a worker thread,
// reporting through D_GetInfo and one completion message.
#include "encoder/kvrencoder.h"

#include "clipencoder.h"
#include "stillencode.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

using namespace kvrencoder;

// One D_Run: its stop flag, its progress and its end, shared with its worker,
// which may outlive the library's interest in it (a read that does not return).
struct RunState {
    std::atomic<bool> cancel{false};
    ClipProgress progress;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;

    void MarkDone()
    {
        std::lock_guard lock(mutex);
        done = true;
        ended.notify_all();
    }
    bool WaitDone(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(mutex);
        return ended.wait_for(lock, limit, [this] { return done; });
    }
};

// Workers let go of while they were blocked: counted, so the library's end can wait for them.
struct LetGo {
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
};

constexpr int kOwnMemoryFrom = 256 * 1024;

// How long a stop waits for the worker: a source read that hangs (a slow
// share, a dying disk) must not freeze the caller's window. A worker still
// busy then is let go; it ends on its own once its read returns, posting nothing.
constexpr std::chrono::milliseconds kStopWait{500};
constexpr std::chrono::milliseconds kUnloadWait{2000};

// What a worker reaches when it ends: shared with it, so that one let go of
// never touches a library that has gone.
struct Core {
    std::mutex mutex;             // guards this and the library's fields, and the completion post
    HWND window = nullptr;
    std::uint64_t run = 0;        // counts runs, so a finished worker knows it is still current
    std::string lastError;        // why the last clip failed; "" after a success
};

struct Library {
    std::shared_ptr<Core> core = std::make_shared<Core>();
    EncoderParams params{};
    EncoderAdvSettings adv{};
    double start = 0, end = 0;
    bool paramsValid = false;
    std::shared_ptr<ClipEncoder> encoder;   // built by D_BuildEncoder, its graph by D_BuildGraph
    std::thread worker;
    std::shared_ptr<RunState> current;      // the run D_GetInfo reports on
    std::shared_ptr<LetGo> letGo = std::make_shared<LetGo>();
    std::string publishedError;   // the copy D_LastError hands out

    // A program that ends without D_Stop (its last clip done, or still
    // encoding) must not leave a worker running into the library's unloading.
    ~Library()
    {
        if (current) current->cancel.store(true);
        if (worker.joinable()) {
            if (current && current->WaitDone(kUnloadWait)) worker.join();
            else worker.detach();
        }
        std::unique_lock lock(letGo->mutex);
        letGo->ended.wait_for(lock, kUnloadWait, [this] { return letGo->running == 0; });
    }
};

Library& Lib()
{
    static Library& lib = [] () -> Library& {
        // A clip's pictures (every one far above this size) get memory of
        // their own, which goes back to the system when they are freed. Left
        // to the allocator's sliding limit, the next clip's pictures would be
        // carved from the arenas of its new threads, and each clip of a run
        // would leave a dozen megabytes behind.
        mallopt(M_MMAP_THRESHOLD, kOwnMemoryFrom);
        static Library library;
        return library;
    }();
    return lib;
}

// A path field must end inside its 256 bytes; a longer path is refused, never cut.
bool ReadPath(const char (&field)[kEncoderPathBytes], std::string* out)
{
    std::size_t n = strnlen(field, kEncoderPathBytes);
    if (n == 0 || n == kEncoderPathBytes) return false;
    out->assign(field, n);
    return true;
}

// The job the block asks for; false when the block cannot be encoded.
bool ReadJob(const EncoderParams& p, const EncoderAdvSettings& adv, ClipJob* job)
{
    if (!ReadPath(p.SourcePath, &job->source) || !ReadPath(p.VideoOutput, &job->videoOutput) ||
        !ReadPath(p.AudioOutput, &job->audioOutput))
        return false;
    if (p.FrameWidth < 16 || p.FrameWidth > 720 || p.FrameHeight < 16 || p.FrameHeight > 576 ||
        p.VideoBitRate <= 0 || p.AudioSampleRate <= 0 || p.AudioBitRateKbps <= 0)
        return false;
    job->mpegVersion = p.MpegVersion == 1 ? 1 : 2;
    job->width = p.FrameWidth & ~1;
    job->height = p.FrameHeight & ~1;
    job->videoBitRate = p.VideoBitRate;
    job->ntsc = p.FrameRate > 27.0f;
    job->wide = adv.AspectIndex == 2;
    job->marginTop = std::max(0, p.MarginTop);
    job->marginBottom = std::max(0, p.MarginBottom);
    job->marginLeft = std::max(0, p.MarginLeft);
    job->marginRight = std::max(0, p.MarginRight);
    job->ac3 = p.AudioFormat == 3;
    job->sampleRate = p.AudioSampleRate;
    job->audioBitRateKbps = p.AudioBitRateKbps;
    return true;
}

// Ends a running worker and lets its clip go (caller holds no lock). Waits a
// bounded time: a worker still busy then is let go and keeps its encoder.
void StopWorker(Library& lib, bool dropEncoder)
{
    std::thread worker;
    std::shared_ptr<RunState> state;
    std::shared_ptr<ClipEncoder> encoder;
    {
        std::lock_guard lock(lib.core->mutex);
        if (lib.current) lib.current->cancel.store(true);
        ++lib.core->run;   // whatever the old worker finishes, it no longer posts
        worker = std::move(lib.worker);
        state = std::move(lib.current);
    }
    bool letGo = false;
    if (worker.joinable()) {
        if (state && state->WaitDone(kStopWait)) {
            worker.join();
        } else {
            worker.detach();
            letGo = true;
        }
    }
    {
        std::lock_guard lock(lib.core->mutex);
        // An encoder a let-go worker still runs is never run again.
        if (dropEncoder || letGo) encoder = std::move(lib.encoder);
    }
    if (encoder) {
        // What the clip's threads freed in their arenas goes back too.
        encoder.reset();
        malloc_trim(0);
    }
}

} // namespace

KVRENCODER_API void D_InitEncoderDLL(HWND window)
{
    Library& lib = Lib();
    StopWorker(lib, true);
    std::lock_guard lock(lib.core->mutex);
    lib.core->window = window;
}

KVRENCODER_API void D_AdvSettings(EncoderAdvSettings settings)
{
    std::lock_guard lock(Lib().core->mutex);
    Lib().adv = settings;
}

KVRENCODER_API void D_CreateParam(EncoderParams params)
{
    Library& lib = Lib();
    StopWorker(lib, true);
    std::lock_guard lock(lib.core->mutex);
    lib.params = params;
    lib.paramsValid = true;
    lib.start = lib.end = 0;
}

KVRENCODER_API void D_BuildEncoder()
{
    Library& lib = Lib();
    StopWorker(lib, true);
    std::lock_guard lock(lib.core->mutex);
    ClipJob job;
    if (lib.paramsValid && ReadJob(lib.params, lib.adv, &job)) lib.encoder = std::make_shared<ClipEncoder>(job);
}

KVRENCODER_API void D_BuildGraph()
{
    Library& lib = Lib();
    std::lock_guard lock(lib.core->mutex);
    if (lib.encoder && !lib.worker.joinable()) lib.encoder->BuildGraph();   // a failure is reported by D_Run
}

// Encoding uses every core through the codecs' own threads.
KVRENCODER_API void D_InitCPU() {}

KVRENCODER_API void D_SetStartEndTime(double start, double end)
{
    std::lock_guard lock(Lib().core->mutex);
    Lib().start = std::isfinite(start) ? start : 0;
    Lib().end = std::isfinite(end) ? end : 0;
}

KVRENCODER_API void D_Run()
{
    Library& lib = Lib();
    StopWorker(lib, false);
    std::lock_guard lock(lib.core->mutex);
    // A caller that skipped D_BuildEncoder still gets its clip encoded.
    ClipJob job;
    if (!lib.encoder && lib.paramsValid && ReadJob(lib.params, lib.adv, &job))
        lib.encoder = std::make_shared<ClipEncoder>(job);
    auto state = std::make_shared<RunState>();
    lib.current = state;
    const std::uint64_t run = ++lib.core->run;
    std::shared_ptr<ClipEncoder> encoder = lib.encoder;
    std::shared_ptr<LetGo> letGo = lib.letGo;
    {
        std::lock_guard count(letGo->mutex);
        ++letGo->running;
    }
    const double start = lib.start, end = lib.end;
    lib.worker = std::thread([core = lib.core, encoder, state, letGo, start, end, run] {
        ClipResult result = encoder ? encoder->Run(start, end, state->progress, state->cancel) : ClipResult::Failed;
        {
            std::lock_guard held(core->mutex);
            if (core->run != run || result == ClipResult::Cancelled) {
                // Stopped or given up: nothing is posted, and the files of a clip
                // that finished just then go too, since nobody will take them.
                if (encoder && (result == ClipResult::Encoded || result == ClipResult::EncodedSilentAudio))
                    encoder->DiscardOutputs();
            } else {
                if (result == ClipResult::Failed)
                    core->lastError = !encoder ? "the encoder's parameters cannot be used"
                                      : encoder->Error().empty() ? "the clip could not be encoded"
                                                                 : encoder->Error();
                else
                    core->lastError.clear();
                LPARAM code = result == ClipResult::Encoded            ? kEncoderDoneVideoAndAudio
                              : result == ClipResult::EncodedSilentAudio ? kEncoderDoneSilentAudio
                                                                         : kEncoderFailed;
                PostMessage(core->window, MSG_ENCODER_DONE, 0, code);
            }
        }
        state->MarkDone();
        std::lock_guard count(letGo->mutex);
        --letGo->running;
        letGo->ended.notify_all();
    });
}

KVRENCODER_API void D_GetInfo(EncoderInfo* info)
{
    if (!info) return;
    Library& lib = Lib();
    std::lock_guard lock(lib.core->mutex);
    std::memset(info, 0, sizeof *info);
    if (!lib.current) return;
    info->Position = lib.current->progress.position.load();
    info->FramesPerSecond = lib.current->progress.framesPerSecond.load();
    info->FrameNumber = lib.current->progress.frame.load();
}

KVRENCODER_API void D_Stop() { StopWorker(Lib(), true); }

KVRENCODER_API const char* D_LastError()
{
    Library& lib = Lib();
    std::lock_guard lock(lib.core->mutex);
    lib.publishedError = lib.core->lastError;
    return lib.publishedError.c_str();
}

KVRENCODER_API int MPEG2StillEncode(const unsigned char* bgrRows, int one, int tvStandard, const char* outputPath)
{
    (void)one;
    if (!outputPath || (tvStandard != 1 && tvStandard != 2)) return -1;
    const bool ntsc = tvStandard == 1;
    return EncodeStill(bgrRows, 720, ntsc ? 480 : 576, ntsc, outputPath) ? 0 : -1;
}


// The library's entry points: one clip job at a time, run on a worker thread,
// reporting through D_GetInfo and one completion message.
#include "encoder/kvrencoder.h"

#include "clipencoder.h"
#include "stillencode.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

using namespace kvrencoder;

struct Library {
    std::mutex mutex;             // guards everything below and the completion post
    HWND window = nullptr;
    EncoderParams params{};
    EncoderAdvSettings adv{};
    double start = 0, end = 0;
    bool paramsValid = false;
    std::unique_ptr<ClipEncoder> encoder;   // built by D_BuildEncoder, its graph by D_BuildGraph
    std::thread worker;
    std::atomic<bool> cancel{false};
    ClipProgress progress;
    bool started = false;         // D_Run since the last D_Stop / new parameters
    std::uint64_t run = 0;        // counts runs, so a finished worker knows it is still current
    std::string lastError;        // why the last clip failed; "" after a success
    std::string publishedError;   // the copy D_LastError hands out

    // A program that ends without D_Stop (its last clip done, or still
    // encoding) must not leave the worker running into the library's unloading.
    ~Library()
    {
        cancel.store(true);
        if (worker.joinable()) worker.join();
        encoder.reset();
    }
};

Library& Lib()
{
    static Library lib;
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

// Ends a running worker and lets its clip go (caller holds no lock).
void StopWorker(Library& lib, bool dropEncoder)
{
    std::thread worker;
    std::unique_ptr<ClipEncoder> encoder;
    {
        std::lock_guard lock(lib.mutex);
        lib.cancel.store(true);
        ++lib.run;   // whatever the old worker finishes, it no longer posts
        worker = std::move(lib.worker);
    }
    if (worker.joinable()) worker.join();
    std::lock_guard lock(lib.mutex);
    if (dropEncoder) encoder = std::move(lib.encoder);
    lib.started = false;
    lib.progress.Reset();
}

} // namespace

KVRENCODER_API void D_InitEncoderDLL(HWND window)
{
    Library& lib = Lib();
    StopWorker(lib, true);
    std::lock_guard lock(lib.mutex);
    lib.window = window;
}

KVRENCODER_API void D_AdvSettings(EncoderAdvSettings settings)
{
    std::lock_guard lock(Lib().mutex);
    Lib().adv = settings;
}

KVRENCODER_API void D_CreateParam(EncoderParams params)
{
    Library& lib = Lib();
    StopWorker(lib, true);
    std::lock_guard lock(lib.mutex);
    lib.params = params;
    lib.paramsValid = true;
    lib.start = lib.end = 0;
}

KVRENCODER_API void D_BuildEncoder()
{
    Library& lib = Lib();
    StopWorker(lib, true);
    std::lock_guard lock(lib.mutex);
    ClipJob job;
    if (lib.paramsValid && ReadJob(lib.params, lib.adv, &job)) lib.encoder = std::make_unique<ClipEncoder>(job);
}

KVRENCODER_API void D_BuildGraph()
{
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    if (lib.encoder && !lib.worker.joinable()) lib.encoder->BuildGraph();   // a failure is reported by D_Run
}

// Encoding uses every core through the codecs' own threads.
KVRENCODER_API void D_InitCPU() {}

KVRENCODER_API void D_SetStartEndTime(double start, double end)
{
    std::lock_guard lock(Lib().mutex);
    Lib().start = std::isfinite(start) ? start : 0;
    Lib().end = std::isfinite(end) ? end : 0;
}

KVRENCODER_API void D_Run()
{
    Library& lib = Lib();
    StopWorker(lib, false);
    std::lock_guard lock(lib.mutex);
    // A caller that skipped D_BuildEncoder still gets its clip encoded.
    ClipJob job;
    if (!lib.encoder && lib.paramsValid && ReadJob(lib.params, lib.adv, &job))
        lib.encoder = std::make_unique<ClipEncoder>(job);
    lib.cancel.store(false);
    lib.started = true;
    const std::uint64_t run = ++lib.run;
    ClipEncoder* encoder = lib.encoder.get();
    const double start = lib.start, end = lib.end;
    lib.worker = std::thread([&lib, encoder, start, end, run] {
        ClipResult result = encoder ? encoder->Run(start, end, lib.progress, lib.cancel) : ClipResult::Failed;
        std::lock_guard lock(lib.mutex);
        if (lib.run != run || result == ClipResult::Cancelled) {
            // Stopped or given up: nothing is posted, and the files of a clip
            // that finished just then go too, since nobody will take them.
            if (encoder && (result == ClipResult::Encoded || result == ClipResult::EncodedSilentAudio))
                encoder->DiscardOutputs();
            return;
        }
        if (result == ClipResult::Failed)
            lib.lastError = !encoder ? "the encoder's parameters cannot be used"
                            : encoder->Error().empty() ? "the clip could not be encoded" : encoder->Error();
        else
            lib.lastError.clear();
        LPARAM code = result == ClipResult::Encoded            ? kEncoderDoneVideoAndAudio
                      : result == ClipResult::EncodedSilentAudio ? kEncoderDoneSilentAudio
                                                                 : kEncoderFailed;
        PostMessage(lib.window, MSG_ENCODER_DONE, 0, code);
    });
}

KVRENCODER_API void D_GetInfo(EncoderInfo* info)
{
    if (!info) return;
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    std::memset(info, 0, sizeof *info);
    if (!lib.started) return;
    info->Position = lib.progress.position.load();
    info->FramesPerSecond = lib.progress.framesPerSecond.load();
    info->FrameNumber = lib.progress.frame.load();
}

KVRENCODER_API void D_Stop() { StopWorker(Lib(), true); }

KVRENCODER_API const char* D_LastError()
{
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    lib.publishedError = lib.lastError;
    return lib.publishedError.c_str();
}

KVRENCODER_API int MPEG2StillEncode(const unsigned char* bgrRows, int one, int tvStandard, const char* outputPath)
{
    (void)one;
    if (!outputPath || (tvStandard != 1 && tvStandard != 2)) return -1;
    const bool ntsc = tvStandard == 1;
    return EncodeStill(bgrRows, 720, ntsc ? 480 : 576, ntsc, outputPath) ? 0 : -1;
}


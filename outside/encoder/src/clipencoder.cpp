#include "clipencoder.h"

#include "encodegraph.h"
#include "streamencoder.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>
#include <mutex>

namespace kvrencoder {

struct ClipEncoder::State {
    ClipJob job;
    ClipProgress* progress = nullptr;
    const std::atomic<bool>* cancel = nullptr;   // a stop drops samples at once

    // The range asked for, in the times the samples carry: `skip` is what the
    // source could not seek past, `span` the length kept from there.
    double skip = 0;
    double span = std::numeric_limits<double>::infinity();

    // Written on the streaming threads, read by the run loop.
    std::atomic<bool> active{false};
    std::atomic<bool> failed{false};
    std::atomic<bool> videoDone{false}, audioDone{false};
    double lastVideo = 0;          // end of the last picture taken (video thread)
    std::atomic<double> audioSeconds{0};   // sound taken (audio thread)
    std::chrono::steady_clock::time_point began;
    mutable std::mutex errorMutex;
    std::string error;

    std::unique_ptr<VideoEncoder> video;
    std::unique_ptr<AudioEncoder> audio;
    bool built = false, buildFailed = false;
    bool ran = false;              // the graph stopped where a run left it, not at the clip's start
    // Last: the graph goes first, so no sample reaches the encoders while they are taken down.
    EncodeGraph graph;

    void Fail(const std::string& why)
    {
        std::lock_guard lock(errorMutex);
        if (error.empty()) error = why;
        failed.store(true);
    }

    void OnPicture(const PictureSample& sample)
    {
        if (!active.load() || failed.load() || videoDone.load() || cancel->load()) return;
        try {
            const double t = sample.start - skip;
            if (t >= span) {
                videoDone.store(true);
                return;
            }
            if (t < -1e-6) return;   // before the range the source could not seek to
            video->Take(graph.Picture(), sample, t);
            lastVideo = std::min(span, std::max(lastVideo, sample.stop - skip));
            Report();
        } catch (const std::exception& e) {
            Fail(e.what());
        }
    }

    void OnSound(const SoundSample& sample)
    {
        if (!active.load() || failed.load() || audioDone.load() || cancel->load()) return;
        try {
            const SoundShape& shape = graph.Sound();
            const double rate = shape.sampleRate, t = sample.start - skip;
            const int dropped = t < 0 ? static_cast<int>(std::min<double>(sample.frames, std::ceil(-t * rate))) : 0;
            const double room = (span - std::max(t, 0.0)) * rate;
            const int kept = static_cast<int>(std::max(0.0, std::min<double>(sample.frames - dropped, room)));
            if (kept > 0) {
                audio->Take(sample.data + static_cast<std::size_t>(dropped) * shape.channels, kept, shape.channels,
                            shape.sampleRate);
                audioSeconds.store(audioSeconds.load() + kept / rate);
            }
            if (t + sample.frames / rate >= span) audioDone.store(true);
        } catch (const std::exception& e) {
            Fail(e.what());
        }
    }

    // The last picture held on, a second's pictures at a time, so that the
    // progress moves and a stop is seen while a long tail of sound is encoded.
    static constexpr int kPadFrames = 30;

    // Between the graph's polls: once the pictures have ended, they keep pace
    // with the sound that goes on.
    void KeepPictureWithSound()
    {
        if (!active.load() || failed.load() || !(graph.VideoEnded() || videoDone.load())) return;
        try {
            const double upTo = std::min(audioSeconds.load(), span);
            if (video->Seconds() >= upTo) return;
            video->Pad(upTo, kPadFrames);
            Report();
        } catch (const std::exception& e) {
            Fail(e.what());
        }
    }

    void Report()
    {
        const std::int64_t frames = video->Frames();
        progress->Advance(std::min(video->Seconds(), span));
        progress->frame.store(static_cast<std::int32_t>(frames));
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        if (elapsed > 0.2) progress->framesPerSecond.store(static_cast<float>(frames / elapsed));
    }

    void RemoveOutputs()
    {
        video.reset();
        audio.reset();
        std::error_code ec;
        std::filesystem::remove(job.videoOutput, ec);
        std::filesystem::remove(job.audioOutput, ec);
    }

    bool Build()
    {
        if (built || buildFailed) return built;
        GraphSinks sinks;
        sinks.picture = [this](const PictureSample& sample) { OnPicture(sample); };
        sinks.sound = [this](const SoundSample& sample) { OnSound(sample); };
        std::string why;
        built = graph.Build(job.source, job.sampleRate, std::move(sinks), &why);
        buildFailed = !built;
        if (!built) Fail(why);
        return built;
    }

    ClipResult Encode(double start, double end, const std::atomic<bool>& stop);
};

ClipEncoder::ClipEncoder(ClipJob job) : state_(std::make_unique<State>()) { state_->job = std::move(job); }

ClipEncoder::~ClipEncoder() = default;

bool ClipEncoder::BuildGraph() { return state_->Build(); }

ClipResult ClipEncoder::Run(double start, double end, ClipProgress& progress, const std::atomic<bool>& cancel)
{
    State& s = *state_;
    s.progress = &progress;
    s.cancel = &cancel;
    progress.Reset();
    ClipResult result = ClipResult::Failed;
    try {
        result = s.Encode(start, end, cancel);
    } catch (const std::exception& e) {
        s.Fail(e.what());
        result = ClipResult::Failed;
    }
    s.active.store(false);
    if (result == ClipResult::Failed || result == ClipResult::Cancelled) s.RemoveOutputs();
    return result;
}

ClipResult ClipEncoder::State::Encode(double start, double end, const std::atomic<bool>& stop)
{
    Build();
    if (!built) return ClipResult::Failed;
    videoDone.store(false);
    audioDone.store(false);
    lastVideo = 0;
    audioSeconds.store(0);

    // The range: both 0 is the whole clip; an end at or before the start, or at
    // or past the clip's length, runs to the clip's end. That end is where the
    // streams run out, not the length the file states: one worked out from time
    // stamps may leave out the last picture.
    const double length = graph.Seconds();
    const double open = std::numeric_limits<double>::infinity();
    double from = 0, to = open;
    if (start > 0 || end > 0) {
        from = std::max(0.0, start);
        if (end > from && !(length > 0 && end >= length)) to = end;
    }
    if (from >= to || (length > 0 && from >= length)) throw EncodeFailure("the range is empty");
    span = to - from;
    skip = 0;
    if ((from > 0 || to < open || ran) && !graph.Seek(from, to)) skip = from;   // trimmed here instead
    ran = true;

    video = std::make_unique<VideoEncoder>(job);
    audio = std::make_unique<AudioEncoder>(job);
    began = std::chrono::steady_clock::now();
    active.store(true);
    const bool sound = graph.HasSound();
    EncodeGraph::Outcome outcome = graph.Run(
        stop, [&] { return failed.load() || (videoDone.load() && (audioDone.load() || !sound)); },
        [&] { KeepPictureWithSound(); });
    active.store(false);
    if (stop.load() || outcome == EncodeGraph::Outcome::Cancelled) {
        video->Abort();
        return ClipResult::Cancelled;
    }
    if (outcome == EncodeGraph::Outcome::CutShort) {
        // What is there would pass for a shorter clip: the user is told instead.
        Fail("the file is cut short");
        video->Abort();
        return ClipResult::Failed;
    }
    if (failed.load() || outcome == EncodeGraph::Outcome::Failed) {
        if (!failed.load()) Fail("the source could not be decoded");
        video->Abort();
        return ClipResult::Failed;
    }

    // The clip runs as long as the longer of its streams within the range;
    // the picture is held to the end, a source without sound gets silence.
    double total = std::max({video->Seconds(), lastVideo, audioSeconds.load()});
    total = std::min(total, span);
    while (video->Seconds() < total) {
        const std::int64_t before = video->Frames();
        if (stop.load()) {
            video->Abort();
            return ClipResult::Cancelled;
        }
        video->Pad(total, kPadFrames);
        Report();
        if (video->Frames() == before) break;   // within a picture of the end
    }
    video->Finish(total);
    if (!sound) audio->Silence(std::llround(total * audio->Rate()));
    audio->Finish();
    progress->Advance(total);
    progress->frame.store(static_cast<std::int32_t>(video->Frames()));
    return sound ? ClipResult::Encoded : ClipResult::EncodedSilentAudio;
}

void ClipEncoder::DiscardOutputs() { state_->RemoveOutputs(); }

std::string ClipEncoder::Error() const
{
    std::lock_guard lock(state_->errorMutex);
    return state_->error;
}

} // namespace kvrencoder

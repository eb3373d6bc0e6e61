#pragma once
// One clip encoded to an elementary MPEG video file and an elementary audio
// file: the encoding graph delivers decoded samples, which are letter-boxed,
// frame-rate converted, resampled and encoded.
#include "clipjob.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace kvrencoder {

// Read by the host while the job runs on its worker thread.
struct ClipProgress {
    std::atomic<double> position{0};     // seconds of output written
    std::atomic<float> framesPerSecond{0};
    std::atomic<std::int32_t> frame{0};

    // Moves the position on, never back: the streams report from two threads.
    void Advance(double seconds)
    {
        double seen = position.load();
        while (seconds > seen && !position.compare_exchange_weak(seen, seconds)) {
        }
    }

    void Reset()
    {
        position.store(0);
        framesPerSecond.store(0);
        frame.store(0);
    }
};

enum class ClipResult { Encoded, EncodedSilentAudio, Failed, Cancelled };

class ClipEncoder {
public:
    explicit ClipEncoder(ClipJob job);
    ~ClipEncoder();
    ClipEncoder(const ClipEncoder&) = delete;
    ClipEncoder& operator=(const ClipEncoder&) = delete;

    // Builds the graph for the job's source (once); false when it cannot be read.
    bool BuildGraph();
    // Encodes from `start` to `end` seconds (both 0: the whole clip) on the
    // calling thread; stops early when `cancel` is set. A failed or cancelled
    // job leaves no output files behind.
    ClipResult Run(double start, double end, ClipProgress& progress, const std::atomic<bool>& cancel);
    std::string Error() const;
    // Deletes the output files of a finished run nobody will hear about.
    void DiscardOutputs();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace kvrencoder

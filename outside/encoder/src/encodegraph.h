#pragma once
// The encoding graph: the file source feeding the `video` and `audio` sink
// servers, created by class identifier, with the encoder's callbacks
// installed before the pins connect. Samples reach the host on each pin's
// own streaming thread; the graph runs as fast as the source decodes.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class IBaseFilter;
class IMediaSample;

namespace kvrencoder {

// One decoded picture as the video sink hands it over (valid during the call).
struct PictureSample {
    const std::uint8_t* data = nullptr;
    std::size_t bytes = 0;
    double start = 0;   // seconds from the segment start
    double stop = 0;
    IMediaSample* sample = nullptr;   // the source's buffer holding `data`, when there is one

    // `data` kept valid past the call: the source's buffer stays lent until the
    // last owner lets go (the source waits for a free one meanwhile). Empty
    // when the picture has no buffer to hold.
    std::shared_ptr<const std::uint8_t> Hold() const;
};

// Interleaved 16-bit samples as the audio sink hands them over.
struct SoundSample {
    const std::int16_t* data = nullptr;
    int frames = 0;     // samples per channel
    double start = 0;   // seconds from the segment start
};

enum class PictureLayout { Yuy2, Rgb24 };   // RGB24 rows bottom-up, as every DIB

struct PictureShape {
    PictureLayout layout = PictureLayout::Yuy2;
    int width = 0, height = 0;
    int stride = 0;     // bytes per row, padded to 4
};

struct SoundShape {
    int sampleRate = 0;
    int channels = 0;
};

// What the graph hands over; called on the pins' streaming threads.
struct GraphSinks {
    std::function<void(const PictureSample&)> picture;
    std::function<void(const SoundSample&)> sound;
};

class EncodeGraph {
public:
    EncodeGraph();
    ~EncodeGraph();
    EncodeGraph(const EncodeGraph&) = delete;
    EncodeGraph& operator=(const EncodeGraph&) = delete;

    // Builds source -> video sink, and source -> audio sink when the file has
    // audio (delivered at `sampleRate`). False with a reason when it cannot.
    bool Build(const std::string& source, int sampleRate, GraphSinks sinks, std::string* error);
    // The same over a source filter that has its media loaded already.
    bool Build(IBaseFilter* source, int sampleRate, GraphSinks sinks, std::string* error);
    bool HasSound() const;
    const PictureShape& Picture() const;
    const SoundShape& Sound() const;
    double Seconds() const;   // the longer of the streams, 0 when unknown

    // Positions both streams (through each sink); an infinite stop leaves each
    // stream to run to its end. False when the source cannot seek.
    bool Seek(double start, double stop);

    // CutShort: the source file ends before the data it announces.
    enum class Outcome { Complete, Cancelled, Failed, CutShort };
    // Runs until both streams end, `cancel` is set, or `finished` answers true
    // (polled every few milliseconds); the graph is stopped on return. `idle`
    // runs on the calling thread between the polls.
    Outcome Run(const std::atomic<bool>& cancel, const std::function<bool()>& finished,
                const std::function<void()>& idle = {});
    // The video stream has delivered its last picture (set during Run).
    bool VideoEnded() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace kvrencoder

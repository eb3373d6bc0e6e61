#include "audiooutput.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <cstdlib>
#include <cstring>

namespace ffmpeg {

namespace {

class PulseOutput : public AudioOutput {
public:
    explicit PulseOutput(pa_simple* stream) : stream_(stream) {}
    ~PulseOutput() override { pa_simple_free(stream_); }
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    bool Write(const void* data, std::size_t bytes) override
    {
        int error = 0;
        return pa_simple_write(stream_, data, bytes, &error) >= 0;
    }

private:
    pa_simple* stream_;
};

} // namespace

std::unique_ptr<AudioOutput> OpenSoundDevice(int sampleRate, int channels)
{
    const char* mode = std::getenv("KELDARA_AUDIO");
    if (mode && std::strcmp(mode, "null") == 0) return nullptr;
    if (sampleRate <= 0 || channels < 1 || channels > 8) return nullptr;
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = static_cast<uint32_t>(sampleRate);
    spec.channels = static_cast<uint8_t>(channels);
    // A short device buffer (about 200 ms) keeps Stop and seeking prompt.
    pa_buffer_attr attr;
    std::memset(&attr, 0xFF, sizeof attr);   // (uint32_t)-1: the server's default
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(200000, &spec));
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "Keldara", PA_STREAM_PLAYBACK, nullptr, "Preview", &spec, nullptr,
                                      &attr, &error);
    if (!stream) return nullptr;
    return std::make_unique<PulseOutput>(stream);
}

} // namespace ffmpeg

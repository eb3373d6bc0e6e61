#pragma once
// Where the audio renderer's PCM goes: the sound server, or nowhere.
#include <cstddef>
#include <memory>

namespace ffmpeg {

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Blocks while the device's buffer is full; false when the device went away.
    virtual bool Write(const void* data, std::size_t bytes) = 0;
};

// The sound server's playback stream for 16-bit PCM, or nullptr when there is no
// server (or KELDARA_AUDIO=null asks for silence).
std::unique_ptr<AudioOutput> OpenSoundDevice(int sampleRate, int channels);

} // namespace ffmpeg

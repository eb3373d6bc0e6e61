#pragma once
// A media file opened with FFmpeg: its streams, and decoding of one chosen stream
// into frames time-stamped in 100 ns units from the start of the file.
// One object serves one streaming thread; Seek, Abort and Read may be called from
// different threads (calls are serialised, Abort interrupts a blocked read).
#include "dshow/export.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ffmpeg {

constexpr std::int64_t kUnitsPerSecond = 10'000'000;   // 100 ns units

enum class StreamKind { Video, Audio, Other };

struct StreamInfo {
    int index = -1;                 // index in the file
    StreamKind kind = StreamKind::Other;
    std::string codec;              // FFmpeg's short codec name
    std::int64_t duration = 0;      // 100 ns units; 0 when unknown
    std::int64_t bitRate = 0;
    // Video
    int width = 0;
    int height = 0;
    int fpsNum = 0;                 // frame rate as a fraction; 0/0 when unknown
    int fpsDen = 0;
    int sarNum = 1;                 // pixel aspect
    int sarDen = 1;
    int aspectX = 0;                // picture aspect (e.g. 16:9), reduced
    int aspectY = 0;
    std::int64_t frameDuration = 0; // 100 ns units per frame; 0 when unknown
    std::int64_t declaredFrames = 0;// pictures the container's header announces; 0 when it does not say
    // Audio
    int sampleRate = 0;
    int channels = 0;
    double FrameRate() const { return fpsDen > 0 ? static_cast<double>(fpsNum) / fpsDen : 0.0; }
};

// One decoded picture or block of audio, owned by the frame (FFmpeg's buffers are
// reference counted, so copies are cheap). Converted by VideoConverter/AudioConverter.
struct DecodedFrame {
    StreamKind kind = StreamKind::Other;
    int stream = -1;
    std::int64_t start = 0;         // 100 ns units from the start of the file
    std::int64_t stop = 0;
    bool keyFrame = false;
    // Video
    int width = 0;
    int height = 0;
    // Audio
    int samples = 0;                // per channel
    int sampleRate = 0;
    int channels = 0;

    struct Payload;                 // the FFmpeg frame itself
    std::shared_ptr<Payload> payload;
};

// CutShort: the file ends before the data its own headers announce (a copy
// or download that broke off); what was read before is sound.
enum class ReadResult { Frame, EndOfStream, Error, Aborted, CutShort };

// Test seam: runs before each packet of any file is read, on the reading
// thread, with the file's path and the flag a stop sets; a test holds it to
// stand for a read that hangs on a slow share or a dying disk. None by default.
using ReadHook = std::function<void(const std::string& path, const std::atomic<bool>& stop)>;
DSHOW_API void SetReadHook(ReadHook hook);

class DSHOW_API MediaFile {
public:
    // Opens and probes the file; nullptr with `error` set when FFmpeg cannot read it
    // or it has no audio or video stream.
    static std::unique_ptr<MediaFile> Open(const std::string& path, std::string* error = nullptr);
    ~MediaFile();
    MediaFile(const MediaFile&) = delete;
    MediaFile& operator=(const MediaFile&) = delete;

    const std::string& Path() const { return path_; }
    const std::vector<StreamInfo>& Streams() const { return streams_; }
    // The list position of the first stream of a kind, or -1.
    int FindStream(StreamKind kind) const;
    std::int64_t Duration() const { return duration_; }   // longest stream, 100 ns units
    bool CanSeek() const { return canSeek_; }
    std::string FormatName() const;

    // Chooses the stream (position in Streams()) that Read decodes; false when it
    // cannot be decoded. The other streams are skipped while reading.
    bool SelectStream(int position);
    int SelectedStream() const { return selected_; }

    // Positions so that the next Read answers the frame that shows at `position`
    // (video) or the audio from `position` on: the key frame before is found and
    // decoding runs forward. False when the file cannot be positioned.
    bool Seek(std::int64_t position);
    // Reads the file again from its start, opening it afresh: the way back for a
    // file that cannot be positioned. False when it cannot be opened again.
    bool Restart();
    ReadResult Read(DecodedFrame& frame);
    std::string LastError() const;

    // Makes a blocked or future Read answer Aborted until Resume.
    void Abort();
    void Resume();

private:
    MediaFile() = default;
    struct State;
    ReadResult ReadLocked(DecodedFrame& frame);
    bool DecodeNext(DecodedFrame& frame, ReadResult& result);
    ReadResult EndOfFile();
    int Reopen();   // the file read again from its start

    std::string path_;
    std::vector<StreamInfo> streams_;
    std::int64_t duration_ = 0;
    bool canSeek_ = false;
    int selected_ = -1;
    std::atomic<bool> abort_{false};
    mutable std::mutex mutex_;
    std::unique_ptr<State> state_;
};

} // namespace ffmpeg

#pragma once
// The per-clip encode step shared by the convert window and the disc builder:
// fills the encoder's parameter block for each clip in turn, drives the
// encoder library, turns the 500 ms timer's polls into progress, gives up a
// stalled clip (convert window only), and hands each encoded clip on.
// Everything runs on the window's thread; the window's own 500 ms timer calls
// TimerTimer, and MSG_ENCODER_DONE is passed to EncoderDone.
#include "encoder/kvrencoder.h"

#include <string>
#include <vector>

namespace pipeline {

// The encoder library's entries, so a run can be driven against a stand-in.
class EncoderLibrary {
public:
    virtual ~EncoderLibrary() = default;
    virtual void InitEncoderDLL(HWND window) = 0;
    virtual void AdvSettings(const EncoderAdvSettings& settings) = 0;
    virtual void CreateParam(const EncoderParams& params) = 0;
    virtual void BuildEncoder() = 0;
    virtual void BuildGraph() = 0;
    virtual void InitCPU() = 0;
    virtual void SetStartEndTime(double start, double end) = 0;
    virtual void Run() = 0;
    virtual void GetInfo(EncoderInfo* info) = 0;
    virtual void Stop() = 0;
    // Why the last clip failed, for the run's log ("" when it did not).
    virtual std::string LastError() = 0;
};
// The library the program is linked with.
EncoderLibrary& LinkedEncoderLibrary();

// What the step shows and whom it hands on to: the run window.
class EncodeView {
public:
    virtual ~EncodeView() = default;
    virtual void Log(const std::string& line) = 0;
    virtual void SetFileLabel(const std::string& text) = 0;     // Label_FileName
    virtual void SetUsedTime(int seconds) = 0;                  // Label_UsedTime
    virtual void SetFramesPerSecond(int fps) = 0;               // Label_FPS
    virtual void SetCurrentTime(int seconds) = 0;               // Label_CurrentFame
    virtual void SetConvertingBar(int percent) = 0;             // "Converting Process"
    virtual void SetTotalBar(int percent) = 0;                  // "Total Process" (convert window)
    virtual void MuxClip(int clipIndex) = 0;                    // the clip's outputs are written
    virtual void ClipStageOver() = 0;                           // every clip has been handled
    virtual void RunTerminated() = 0;                           // an encode failed: the run ends
};

// What the step reads of a clip object.
struct EncodeClipInfo {
    std::string ClipName;
    std::string OutputName;
    std::string SourcePath;
    double StartPoint = 0, EndPoint = 0;   // seconds
    double VideoDuration = 0, AudioDuration = 0;
    bool SupportsSeek = true;
    int VideoWidth = 0, VideoHeight = 0;
    int PictureAspectX = 0, PictureAspectY = 0;   // the declared display shape, 0 for square pixels
    int AspectIndex = 1;                   // 0 = 1:1, 1 = 4:3, 2 = 16:9
    bool LetterBox = false;
};

class ClipEncodeSequence {
public:
    enum class RunWindow { Convert, DiscBuilder };
    ClipEncodeSequence(RunWindow window, EncoderLibrary& library, EncodeView& view, HWND handle);

    // Starts the clip stage with the first clip.
    void Start(std::vector<EncodeClipInfo> clips, int outputType, bool pal, const std::string& workFolder,
               int engineItem);
    void EncodeClip();
    void TimerTimer();
    // MSG_ENCODER_DONE with its LPARAM.
    void EncoderDone(LPARAM result);
    // The user stops or closes: the encoder is stopped and nothing of it arrives later.
    void Stop();

    // The run window's fields of the clip stage.
    int ClipCount = 0;
    int CurrentClipIndex = 0;
    int TickCount = 0;
    double TotalSeconds = 0, DoneSeconds = 0, ClipSeconds = 0;
    bool EncodeStage = false;
    bool EncoderRunning = false;
    bool Muxing = false;   // set by the window while a clip is multiplexed
    int OutputType = 1;
    int LastFrameRate = 0;
    int LastPosition = 0;
    int StallTicks = 0;
    // Clips of the run that came to nothing: given up while encoding, or not
    // multiplexed (counted by the window).
    int FailedClips = 0;
    EncoderParams Params{};
    EncoderAdvSettings AdvSettings{};
    EncoderInfo Info{};

    static constexpr int kStallLimit = 10;   // the 11th unchanged tick skips the clip

private:
    void SkipClip();
    // The clip at an index, or null when the index lies outside the clip list.
    const EncodeClipInfo* ClipAt(int index) const;
    double ClipLength(const EncodeClipInfo& clip) const;

    RunWindow window_;
    EncoderLibrary& library_;
    EncodeView& view_;
    HWND handle_;
    std::vector<EncodeClipInfo> clips_;
    bool pal_ = true;
    std::string workFolder_;
    int engineItem_ = 0;
};

} // namespace pipeline

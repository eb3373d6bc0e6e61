#include "pipeline/encodesequence.h"

#include "base/burnpubfunction.h"
#include "pipeline/encodeparams.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace pipeline {
namespace {

class LinkedLibrary final : public EncoderLibrary {
public:
    void InitEncoderDLL(HWND window) override { D_InitEncoderDLL(window); }
    void AdvSettings(const EncoderAdvSettings& settings) override { D_AdvSettings(settings); }
    void CreateParam(const EncoderParams& params) override { D_CreateParam(params); }
    void BuildEncoder() override { D_BuildEncoder(); }
    void BuildGraph() override { D_BuildGraph(); }
    void InitCPU() override { D_InitCPU(); }
    void SetStartEndTime(double start, double end) override { D_SetStartEndTime(start, end); }
    void Run() override { D_Run(); }
    void GetInfo(EncoderInfo* info) override { D_GetInfo(info); }
    void Stop() override { D_Stop(); }
    std::string LastError() override
    {
        const char* text = D_LastError();
        return text ? text : "";
    }
};

int Percent(double part, double whole)
{
    if (!(whole > 0)) return 0;   // a clip of unknown length shows no progress rather than dividing by zero
    return static_cast<int>(std::clamp(part / whole * 100.0, 0.0, 100.0));
}

} // namespace

EncoderLibrary& LinkedEncoderLibrary()
{
    static LinkedLibrary library;
    return library;
}

ClipEncodeSequence::ClipEncodeSequence(RunWindow window, EncoderLibrary& library, EncodeView& view, HWND handle)
    : window_(window), library_(library), view_(view), handle_(handle)
{
}

double ClipEncodeSequence::ClipLength(const EncodeClipInfo& clip) const
{
    return KeptSeconds(clip);
}

void ClipEncodeSequence::Start(std::vector<EncodeClipInfo> clips, int outputType, bool pal,
                               const std::string& workFolder, int engineItem)
{
    clips_ = std::move(clips);
    OutputType = std::clamp(outputType, 0, 3);
    pal_ = pal;
    workFolder_ = workFolder;
    if (!workFolder_.empty() && workFolder_.back() != '/') workFolder_ += '/';
    engineItem_ = engineItem;
    ClipCount = static_cast<int>(clips_.size());
    CurrentClipIndex = 0;
    TickCount = 0;
    DoneSeconds = 0;
    TotalSeconds = 0;
    for (const EncodeClipInfo& clip : clips_) TotalSeconds += ClipLength(clip);
    EncodeStage = true;
    Muxing = false;
    EncodeClip();
}

const EncodeClipInfo* ClipEncodeSequence::ClipAt(int index) const
{
    // The public fields may be set by the window: the list itself bounds them.
    if (index < 0 || index >= ClipCount || static_cast<std::size_t>(index) >= clips_.size()) return nullptr;
    return &clips_[static_cast<std::size_t>(index)];
}

void ClipEncodeSequence::EncodeClip()
{
    const EncodeClipInfo* current = ClipAt(CurrentClipIndex);
    if (!current) {
        EncoderRunning = false;
        view_.ClipStageOver();
        return;
    }
    if (CurrentClipIndex > 0) view_.SetConvertingBar(0);
    const EncodeClipInfo& clip = *current;

    if (TrimmedToNothing(clip.StartPoint, clip.EndPoint, clip.VideoDuration, clip.SupportsSeek)) {
        // Nothing to encode: the run ends as after a failed encode, rather than
        // encoding another part of the clip or waiting for an end that never comes.
        EncoderRunning = false;
        view_.Log("Can not convert " + clip.ClipName + ": its begin is not before its end.");
        view_.RunTerminated();
        return;
    }
    ClipEncodeInput input;
    input.sourcePath = clip.SourcePath;
    input.outputBase = workFolder_ + StripFileExt(clip.OutputName);
    input.videoWidth = clip.VideoWidth;
    input.videoHeight = clip.VideoHeight;
    input.pictureAspectX = clip.PictureAspectX;
    input.pictureAspectY = clip.PictureAspectY;
    input.aspectIndex = clip.AspectIndex;
    input.letterBox = clip.LetterBox;
    input.engineItem = engineItem_;
    if (!FillEncoderParams(input, OutputType, pal_, &Params, &AdvSettings)) {
        // A path that does not fit its field is refused, never cut short.
        view_.Log("Skip to convert " + clip.ClipName + " ...");
        DoneSeconds += ClipLength(clip);
        ++CurrentClipIndex;
        EncodeClip();
        return;
    }
    library_.InitEncoderDLL(handle_);
    library_.AdvSettings(AdvSettings);
    library_.CreateParam(Params);
    library_.BuildEncoder();
    library_.BuildGraph();
    library_.InitCPU();
    EncoderRunning = true;
    StallTicks = 0;

    const EncoderTrim trim = EncoderTrimOf(clip.StartPoint, clip.EndPoint, clip.VideoDuration, clip.SupportsSeek);
    library_.SetStartEndTime(trim.start, trim.end);

    view_.Log("Convert " + clip.ClipName + " >>> " + clip.OutputName);
    ClipSeconds = ClipLength(clip);
    view_.SetFileLabel("Source File : " + clip.ClipName + " --> Destination File : " + clip.OutputName);
    library_.Run();
}

void ClipEncodeSequence::SkipClip()
{
    // Stopped first, so the abandoned clip cannot finish later and be taken for the next one.
    library_.Stop();
    EncoderRunning = false;
    if (const EncodeClipInfo* clip = ClipAt(CurrentClipIndex)) {
        view_.Log("Skip to convert " + clip->ClipName + " ...");
        ++FailedClips;
        DoneSeconds += ClipLength(*clip);
        ++CurrentClipIndex;
    }
    EncodeClip();
}

void ClipEncodeSequence::TimerTimer()
{
    ++TickCount;
    view_.SetUsedTime(TickCount / 2);
    const bool polling = EncodeStage && !Muxing;
    if (polling) library_.GetInfo(&Info);

    const int rate = static_cast<int>(Info.FramesPerSecond);
    const int position = static_cast<int>(Info.Position);
    if (window_ == RunWindow::Convert && polling && EncoderRunning) {
        if (rate == LastFrameRate && position == LastPosition) {
            if (++StallTicks > kStallLimit) {
                StallTicks = 0;
                SkipClip();
                return;
            }
        } else {
            StallTicks = 0;
        }
    }
    LastFrameRate = rate;
    LastPosition = position;

    const double shown = Muxing ? 0.0 : Info.Position;
    view_.SetFramesPerSecond(rate);
    if (window_ == RunWindow::Convert) {
        view_.SetCurrentTime(static_cast<int>(shown + DoneSeconds));
        view_.SetConvertingBar(Percent(shown, ClipSeconds));
        if (EncodeStage) view_.SetTotalBar(Percent(shown + DoneSeconds, TotalSeconds));
    } else {
        // The disc builder shows the whole run, its elapsed time capped at the total.
        const double elapsed = std::min(shown + DoneSeconds, TotalSeconds);
        view_.SetCurrentTime(static_cast<int>(elapsed));
        if (EncodeStage) view_.SetConvertingBar(Percent(elapsed, TotalSeconds));
    }
}

void ClipEncodeSequence::EncoderDone(LPARAM result)
{
    // A completion of a clip that was stopped or given up is not this run's.
    if (!EncoderRunning) return;
    EncoderRunning = false;
    if (result == kEncoderDoneVideoAndAudio || result == kEncoderDoneSilentAudio) {
        view_.MuxClip(CurrentClipIndex);
        return;
    }
    // The log says why before the run ends.
    const std::string why = library_.LastError();
    const EncodeClipInfo* clip = ClipAt(CurrentClipIndex);
    if (!why.empty() && clip) view_.Log("Can not convert " + clip->ClipName + ": " + why + ".");
    view_.RunTerminated();
}

void ClipEncodeSequence::Stop()
{
    if (EncoderRunning) library_.Stop();
    EncoderRunning = false;
}

} // namespace pipeline

#pragma once
// The MPEG encoder library linked by the program: converts one source clip into
// elementary MPEG video and audio files, and encodes single menu stills.
// Records keep the byte layout the program fills them in; the asserts pin it.
#include "win32/messages.h"

#include <cstddef>
#include <cstdint>

// Posted to the window given to D_InitEncoderDLL when an encode ends.
constexpr UINT MSG_ENCODER_DONE = 41657;
// LPARAM of MSG_ENCODER_DONE.
constexpr LPARAM kEncoderDoneVideoAndAudio = 888;
constexpr LPARAM kEncoderDoneSilentAudio = 889;   // the source had no audio: a silent track was written
constexpr LPARAM kEncoderFailed = 887;

constexpr std::size_t kEncoderPathBytes = 256;

#pragma pack(push, 4)
struct EncoderParams {
    char AudioOutput[kEncoderPathBytes];     // 0x000
    char VideoOutput[kEncoderPathBytes];     // 0x100
    std::int32_t AudioSampleRate;            // 0x200
    std::int32_t AudioBitRateKbps;           // 0x204
    char SourcePath[kEncoderPathBytes];      // 0x208
    std::int32_t Reserved308;                // 0x308
    std::int32_t AudioFormat;                // 0x30C: 3 AC-3, 1 MPEG-1 Layer II
    std::int32_t MpegVersion;                // 0x310: 1 or 2
    std::int32_t FrameWidth;                 // 0x314
    std::int32_t FrameHeight;                // 0x318
    std::int32_t VideoBitRate;               // 0x31C, bit/s
    float FrameRate;                         // 0x320: 25.0 or 29.97
    std::int32_t Reserved324[4];             // 0x324
    std::int32_t MarginTop;                  // 0x334
    std::int32_t MarginBottom;               // 0x338
    std::int32_t MarginLeft;                 // 0x33C
    std::int32_t MarginRight;                // 0x340
    std::int32_t Value344;                   // 0x344: 16
    std::int32_t Value348;                   // 0x348: 128
    std::int32_t Value34C;                   // 0x34C: 128
    std::int32_t EngineChoice;               // 0x350: convert engine item + 2
    std::int32_t Value354;                   // 0x354: 1
    std::int32_t Value358;                   // 0x358
    std::int32_t Value35C;                   // 0x35C
    std::int32_t Value360;                   // 0x360
};

struct EncoderAdvSettings {
    std::int32_t AspectIndex;   // 0 = 1:1 (the frame's own shape, written as 4:3), 1 = 4:3, 2 = 16:9
    std::int32_t Value1;        // 18
    std::int32_t Value2;
    std::int32_t Value3;        // 1
    std::int32_t Value4;
    std::int32_t Value5;
    std::int32_t Value6;
};

struct EncoderInfo {
    double Position;            // 0: encoded position of the clip in seconds
    float FramesPerSecond;      // 8: current encoding speed
    std::int32_t Reserved12;
    std::int32_t FrameNumber;   // 16: current frame number
    std::int32_t Reserved20[3];
};
#pragma pack(pop)

static_assert(sizeof(EncoderParams) == 868);
static_assert(offsetof(EncoderParams, VideoOutput) == 0x100);
static_assert(offsetof(EncoderParams, AudioSampleRate) == 0x200);
static_assert(offsetof(EncoderParams, SourcePath) == 0x208);
static_assert(offsetof(EncoderParams, AudioFormat) == 0x30C);
static_assert(offsetof(EncoderParams, FrameRate) == 0x320);
static_assert(offsetof(EncoderParams, MarginTop) == 0x334);
static_assert(offsetof(EncoderParams, MarginRight) == 0x340);
static_assert(offsetof(EncoderParams, EngineChoice) == 0x350);
static_assert(offsetof(EncoderParams, Value360) == 0x360);
static_assert(sizeof(EncoderAdvSettings) == 28);
static_assert(offsetof(EncoderInfo, FramesPerSecond) == 8);
static_assert(offsetof(EncoderInfo, FrameNumber) == 16);
static_assert(sizeof(EncoderInfo) == 32);

#define KVRENCODER_API extern "C" __attribute__((visibility("default")))

KVRENCODER_API void D_InitEncoderDLL(HWND window);
KVRENCODER_API void D_AdvSettings(EncoderAdvSettings settings);
KVRENCODER_API void D_CreateParam(EncoderParams params);
KVRENCODER_API void D_BuildEncoder();
KVRENCODER_API void D_BuildGraph();
KVRENCODER_API void D_InitCPU();
KVRENCODER_API void D_SetStartEndTime(double start, double end);
KVRENCODER_API void D_Run();
KVRENCODER_API void D_GetInfo(EncoderInfo* info);
KVRENCODER_API void D_Stop();
// A readable reason why the last clip failed ("" after a success), for the run's
// log; valid until the next call of D_LastError.
KVRENCODER_API const char* D_LastError();
// Writes a DVD program stream holding the picture (bgr rows top to bottom,
// 720 wide, 576 rows for standard 2 = PAL, 480 for 1 = NTSC); 0 on success.
KVRENCODER_API int MPEG2StillEncode(const unsigned char* bgrRows, int one, int tvStandard, const char* outputPath);

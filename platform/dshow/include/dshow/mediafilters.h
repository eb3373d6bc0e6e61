#pragma once
// The filters the media-graph layer provides on its decoding engine: the file
// source/decoder, the video and audio renderers, the null renderer, the sample
// grabber and the media detector (the last two are in dshow/qedit.h). Call
// RegisterMediaFilters once before creating one of them by class, or before
// RenderFile or automatic graph building should find them; later calls do nothing.
#include "dshow/export.h"
#include "com/guid.h"

// The file source and decoder: one output pin per audio or video stream.
inline constexpr CLSID CLSID_FfmpegSource{0x0F27FEAB, 0x142D, 0x4829, {0x8C, 0x37, 0xF0, 0xFE, 0xB3, 0xEF, 0x29, 0xC1}};
inline constexpr CLSID CLSID_VideoRenderer{0x70E102B0, 0x5556, 0x11CE, {0x97, 0xC0, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
// The audio renderer plays through the sound server when there is one and
// renders silently against its clock when there is none (or when
// KELDARA_AUDIO=null is set); either way it offers the graph clock.
inline constexpr CLSID CLSID_DSoundRender{0x79376820, 0x07D0, 0x11CF, {0xA2, 0x4D, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67}};
// Only ever added by class: never chosen by automatic graph building.
inline constexpr CLSID CLSID_NullRenderer{0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

// Loads the decoding engine's filters into the process and makes them known to
// CoCreateInstance and graph building. False, with the reason written to
// standard error once, when the engine cannot be loaded.
DSHOW_API bool RegisterMediaFilters();

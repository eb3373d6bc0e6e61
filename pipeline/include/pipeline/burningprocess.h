#pragma once
// What the burning-process window works out for itself, free of any control:
// the folder a listed DVD is burnt from, the used and remaining time of a
// burn, and the default volume name in the working folder.
#include "pipeline/burnfilelist.h"

#include <string>

// The folder holding VIDEO_TS that the listed DVD files come from: every
// listed IFO, VOB and BUP file must lie directly in one folder named
// VIDEO_TS that holds VIDEO_TS.IFO. "" when they do not (or none is listed).
std::string ListedDvdFolder(const BurnFiles& files);

// The volume name a new burn of the kind starts with: the kind's name, with
// "_" + n appended when the working folder already holds that name.
std::string BurningVolumeName(int discType, const std::string& workFolder);

// The time of a burn, counted in the window's one-second ticks.
class BurnClock {
public:
    static constexpr int kUnknownRemain = 86399;

    void Reset();
    // One tick: answers the used time before it, as "HH:MM:SS", and counts it.
    std::string Tick();
    // The writer's progress (0..HWE_PROGRESS_FULL): answers its percent, and lowers the
    // remaining time to what the pace so far gives; true when it fell.
    bool Progress(int value, int& percent);

    int TickCount = 0;
    int RemainSeconds = kUnknownRemain;
};

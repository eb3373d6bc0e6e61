#include "pipeline/burningprocess.h"

#include "pipeline/discvolumename.h"

#include "base/burnpubfunction.h"
#include "dvdwrite/dvdwrite_hwe.h"
#include "rtl/paths.h"

#include <algorithm>

std::string ListedDvdFolder(const BurnFiles& files)
{
    if (files.IfoFiles.empty()) return "";
    const std::string videoTs = ExcludeTrailingPathDelimiter(ExtractFilePath(files.IfoFiles[0]));
    if (ExtractFileName(videoTs) != "VIDEO_TS" || !FileExists(JoinPath(videoTs, "VIDEO_TS.IFO"))) return "";
    for (const auto* list : {&files.IfoFiles, &files.VobFiles, &files.BupFiles})
        for (const std::string& path : *list)
            if (ExcludeTrailingPathDelimiter(ExtractFilePath(path)) != videoTs) return "";
    return ExtractFilePath(videoTs);
}

std::string BurningVolumeName(int discType, const std::string& workFolder)
{
    return FreeVolumeName(workFolder, DefaultVolumeName(discType));
}

void BurnClock::Reset()
{
    TickCount = 0;
    RemainSeconds = kUnknownRemain;
}

std::string BurnClock::Tick() { return FormatSecondsHms(TickCount++); }

bool BurnClock::Progress(int value, int& percent)
{
    percent = std::clamp<int>(value, 0, HWE_PROGRESS_FULL) * 100 / HWE_PROGRESS_FULL;
    if (percent == 0) return false;   // no pace yet: no estimate
    const int estimate = TickCount * 100 / std::max(percent, 1) - TickCount;
    if (estimate >= RemainSeconds) return false;
    RemainSeconds = estimate;
    return true;
}

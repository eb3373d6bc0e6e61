// The recorder plug-in: the pass-through loads it when KELDARA_VIRTUAL_RECORDER
// is set, so a person can run a whole burn without a burner. The variable
// names the disc and the image file: "<medium>:<image path>", for example
// "cdr:/tmp/disc.bin" (see MediumByName). Writes run at the drive's speed.
#include "testkit/recorder.h"

#include <cstdio>
#include <string>

extern "C" __attribute__((visibility("default"))) int KeldaraRegisterRecorder(const char* spec)
{
    const std::string text = spec ? spec : "";
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon + 1 == text.size())
        return -1;
    const std::optional<testkit::Medium> medium = testkit::MediumByName(text.substr(0, colon));
    if (!medium)
        return -1;
    testkit::RecorderConfig config;
    config.imagePath = text.substr(colon + 1);
    config.throttle = true;
    auto recorder = std::make_shared<testkit::VirtualRecorder>(config);
    recorder->InsertMedium(*medium);
    return RegisterVirtualScsiDrive(recorder, "virtual:" + config.imagePath);
}

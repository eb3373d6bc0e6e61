// The encoder creates the sample sinks by class identifier: every test
// process registers both servers into a private registry first, with the
// regsvr32 tool, as the program does at start-up.
#include "rtl/paths.h"
#include "testkit/tempfolder.h"
#include "win32/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class SinkRegistry : public ::testing::Environment {
public:
    void SetUp() override
    {
        folder_ = std::make_unique<testkit::TempFolder>("keldara-encoder-registry");
        const std::string registry = folder_->File("registry");
        setenv("KELDARA_REGISTRY", registry.c_str(), 1);
        const char* bin = std::getenv("KELDARA_BIN_DIR");
        for (const char* server : {"audio.dll", "video.dll"}) {
            ProcessSpec spec;
            spec.argv = {JoinPath(bin ? bin : ".", "regsvr32"), "/s", server};
            spec.extraEnv = {{"KELDARA_REGISTRY", registry}};
            spec.captureOutput = true;
            ProcessResult r = RunProcess(spec, 30000);
            ASSERT_TRUE(r.Succeeded()) << server << ": " << r.errors << r.error;
        }
    }
    void TearDown() override { folder_.reset(); }

private:
    std::unique_ptr<testkit::TempFolder> folder_;
};

const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new SinkRegistry);

} // namespace

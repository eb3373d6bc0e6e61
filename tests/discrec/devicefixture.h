#pragma once
// A TSCSIDevice on virtual recorders, reached through one of the two ASPI
// layers (the parameter: true is the library's own pass-through layer), with
// no real drives and the process clock a ManualClock.
#include "discrec/dkaspi.h"
#include "discrec/dkdrvlib.h"
#include "discrec/dkspti.h"
#include "rtl/clock.h"
#include "testkit/fakescsi.h"
#include "testkit/recorder.h"
#include "testkit/tempfolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace discrec_test {

// A ManualClock that can look at things each time a thread sleeps on it.
class TestClock : public ManualClock {
public:
    void SleepMs(std::uint32_t ms) override
    {
        if (onSleep)
            onSleep(ms);
        ManualClock::SleepMs(ms);
    }
    std::function<void(std::uint32_t ms)> onSleep;   // set it before threads sleep
};

class DeviceTest : public ::testing::TestWithParam<bool> {
protected:
    ~DeviceTest() override
    {
        device_.reset();
        recorders_.clear();
        _DeInitializeASPI();
        SPTIDeInit();
        ASPIDLLLoaded = false;
    }

    // A recorder with an image file in the test's folder and a disc in it.
    testkit::VirtualRecorder& AddRecorder(testkit::RecorderConfig config = {},
                                          testkit::Medium medium = testkit::Medium::Blank(testkit::MediumKind::CdR),
                                          const std::string& name = "")
    {
        if (config.imagePath.empty())
            config.imagePath = folder_.File("disc" + std::to_string(recorders_.size()) + ".img");
        const std::string drive = name.empty() ? "virtual recorder " + std::to_string(recorders_.size()) : name;
        recorders_.push_back(std::make_unique<testkit::RegisteredRecorder>(config, drive));
        testkit::VirtualRecorder& recorder = recorders_.back()->Recorder();
        recorder.InsertMedium(medium);
        return recorder;
    }
    testkit::VirtualRecorder& Drive(std::size_t i = 0) { return recorders_.at(i)->Recorder(); }
    int DriveNumber(std::size_t i = 0) const { return recorders_.at(i)->Number(); }

    // The device, with the layer bound and the drives listed.
    TSCSIDevice& Open()
    {
        device_ = std::make_unique<TSCSIDevice>(nullptr);
        device_->OnDebugMessage = [this](TObject*, const std::string& message, std::uint8_t type) {
            debug_.push_back(std::to_string(type) + " " + message);
        };
        EXPECT_TRUE(device_->InitializeASPI(GetParam(), ""));
        EXPECT_EQ(ASPILayerName(), GetParam() ? "DKASPI32" : "WNASPI32.DLL");
        return *device_;
    }
    // Open, and select the first drive listed.
    TSCSIDevice& OpenFirst()
    {
        TSCSIDevice& device = Open();
        EXPECT_GE(device.Devices().Count(), 1);
        if (device.Devices().Count() > 0)
            device.SetDeviceID(device.Devices()[0]);
        EXPECT_TRUE(device.DeviceSelected());
        return device;
    }

    // The CDBs the drive saw with an opcode.
    std::vector<std::vector<std::uint8_t>> Cdbs(std::uint8_t opcode, std::size_t drive = 0)
    {
        std::vector<std::vector<std::uint8_t>> cdbs;
        for (const testkit::RecordedCommand& c : Drive(drive).CommandsWithOpcode(opcode))
            cdbs.push_back(c.cdb);
        return cdbs;
    }

    testkit::TempFolder folder_{"keldara-device"};
    testkit::FakeScsiSystem fake_;   // no real drives
    TestClock clock_;
    ScopedClock scopedClock_{clock_};
    std::vector<std::unique_ptr<testkit::RegisteredRecorder>> recorders_;
    std::unique_ptr<TSCSIDevice> device_;
    std::vector<std::string> debug_;
};

inline std::string LayerName(const ::testing::TestParamInfo<bool>& param)
{
    return param.param ? "Dkaspi32" : "Wnaspi32";
}

} // namespace discrec_test

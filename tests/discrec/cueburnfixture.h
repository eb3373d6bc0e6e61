#pragma once
// A cue burner on virtual recorders, through both ASPI layers, with a record
// of its debug lines and of what OnWriteDone was told.
#include "devicefixture.h"
#include "vcdimage.h"

#include "discrec/dkcueburner.h"

#include <fstream>
#include <iterator>
#include <mutex>

namespace discrec_test {

inline std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CueBurn : public DeviceTest {
protected:
    // A burner on the first recorder, with the program's settings and a record of what it says.
    TCueBurner& Burner()
    {
        burner_ = std::make_unique<TCueBurner>(nullptr);
        burner_->OnDebugMessage = [this](TObject*, const std::string& message, std::uint8_t type) {
            std::lock_guard<std::mutex> guard(mutex_);
            lines_.push_back(std::to_string(type) + " " + message);
            if (message == abortOn_)
                burner_->Abort();
        };
        burner_->OnWriteDone = [this](TObject*, const std::string& error) {
            std::lock_guard<std::mutex> guard(mutex_);
            done_.push_back(error);
        };
        EXPECT_TRUE(burner_->InitializeASPI(GetParam(), ""));
        EXPECT_GE(burner_->Devices().Count(), 1);
        burner_->SetDeviceID(burner_->Devices()[0]);
        burner_->WriteMethod = wmDAO;
        burner_->SetWriteSpeed(burner_->MaxWriteSpeed());   // as the burn windows do
        return *burner_;
    }
    // Loads the VCD image and burns it; the texts OnWriteDone was given.
    std::vector<std::string> Burn(TCueBurner& burner, const std::string& cue = "")
    {
        EXPECT_TRUE(burner.LoadCueFile(cue.empty() ? VcdImage().File("disc.cue") : cue)) << burner.LastError();
        if (burner.BurnCD())
            burner.WaitForBurn();
        std::lock_guard<std::mutex> guard(mutex_);
        return done_;
    }
    bool Said(const std::string& line)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
    }
    ~CueBurn() override { burner_.reset(); }

    std::unique_ptr<TCueBurner> burner_;
    std::mutex mutex_;
    std::vector<std::string> lines_, done_;
    std::string abortOn_;
};

} // namespace discrec_test

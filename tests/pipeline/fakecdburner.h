#pragma once
// A CD burner for tests: it answers as each test sets and records what it was
// asked; a write ends when the test says so, on a thread of its own as the
// library's writer ends it.
#include "pipeline/cdburnstage.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class FakeBurner final : public CdBurner {
public:
    bool InitializeASPI(bool useSpti) override
    {
        calls.push_back(useSpti ? "layer spti" : "layer system");
        layer = layer || (useSpti ? sptiWorks : systemWorks);
        return layer;
    }
    bool ASPIInitialized() override { return layer; }
    std::vector<std::string> Devices() override { return devices; }
    void SetDeviceID(const std::string& device) override { calls.push_back("device " + device); }
    std::uint16_t MaxWriteSpeed() override { return maxSpeed; }
    void SetWriteSpeed(std::uint16_t speed) override { calls.push_back("speed " + std::to_string(speed)); }
    bool Writable() override
    {
        if (writableAfter > 0) --writableAfter;
        return writable && writableAfter == 0;
    }
    bool TestUnitReady(int) override { return ready; }
    bool LoadMedium(bool eject) override { return calls.push_back(eject ? "eject" : "load"), true; }
    bool LockMedium(bool unlock) override { return calls.push_back(unlock ? "unlock" : "lock"), true; }
    std::uint8_t DiscType() override { return discType; }
    void ReadBufferCapacity() override {}
    std::uint32_t FreeBlocksOnDisc() override { return freeBlocks; }
    bool LoadCueFile(const std::string& path) override { return calls.push_back("cue " + path), cueLoads; }
    void SetCDTitle(const std::string& title) override { calls.push_back("title " + title); }
    bool BurnCD() override
    {
        calls.push_back("burn");
        if (!burnStarts) return false;
        burning = true;
        return true;
    }
    std::string LastError() override { return lastError; }
    std::int64_t BytesToWrite() override { return toWrite; }
    std::int64_t BytesWritten() override { return written; }
    void Abort() override { calls.push_back("abort"), Finish("OPERATION ABORTED BY USER"); }
    void WaitForBurn() override
    {
        if (writer.joinable()) writer.join();
    }
    bool Burning() override { return burning; }
    // The write ends on a thread of its own, as the writer's does.
    void Finish(const std::string& error)
    {
        WaitForBurn();
        writer = std::thread([this, error] {
            burning = false;
            OnWriteDone(error);
        });
    }
    ~FakeBurner() override { WaitForBurn(); }

    bool systemWorks = false, sptiWorks = true, layer = false;
    std::vector<std::string> devices = {"0:1,0 KELDARA RECORDER"};
    std::uint16_t maxSpeed = 7056;
    bool writable = true, ready = true, cueLoads = true, burnStarts = true;
    int writableAfter = 0;
    std::uint8_t discType = 2;
    std::uint32_t freeBlocks = 359849;
    std::int64_t toWrite = 716800 * 1024LL, written = 0;
    std::string lastError;   // why BurnCD did not start ("" a disc not writable)
    std::atomic<bool> burning{false};
    std::thread writer;
    std::vector<std::string> calls;
};

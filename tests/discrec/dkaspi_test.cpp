#include "discrec/dkaspi.h"

#include "discrec/dkspti.h"
#include "testkit/fakescsi.h"
#include "testkit/wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// A loader that finds the ASPI library only under the names a test allows,
// with entry points of its own.
std::atomic<int> g_supportCalls{0};
std::atomic<int> g_sendCalls{0};
std::uint32_t FakeSupportInfo()
{
    ++g_supportCalls;
    return (std::uint32_t{SS_COMP} << 8) | 1;
}
std::uint32_t FakeSend(TSRB_Header* srb)
{
    ++g_sendCalls;
    srb->SRB_Status = SS_COMP;
    return SS_COMP;
}

char g_moduleTag;
HMODULE FakeModule() { return reinterpret_cast<HMODULE>(&g_moduleTag); }

class DkAspi : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_supportCalls = 0;
        g_sendCalls = 0;
        TAspiLibraryLoader loader;
        loader.Load = [this](const std::string& name) -> HMODULE {
            tried.push_back(name);
            return name == loadable ? FakeModule() : nullptr;
        };
        loader.GetProc = [this](HMODULE, const char* symbol) -> void* {
            const std::string name(symbol);
            if (name == "GetASPI32SupportInfo" && !missingInfo)
                return reinterpret_cast<void*>(&FakeSupportInfo);
            if (name == "SendASPI32Command")
                return reinterpret_cast<void*>(&FakeSend);
            return nullptr;
        };
        loader.Free = [this](HMODULE module) {
            EXPECT_EQ(module, FakeModule());
            ++freed;
            return true;
        };
        SetAspiLibraryLoader(loader);
    }
    void TearDown() override
    {
        _DeInitializeASPI();
        SPTIDeInit();
        ASPIDLLLoaded = false;
        SetAspiLibraryLoader(TAspiLibraryLoader{});
    }

    testkit::FakeScsiSystem fake_;
    std::vector<std::string> tried;
    std::string loadable;
    bool missingInfo = false;
    int freed = 0;
};

TEST_F(DkAspi, TheLibraryIsLookedForInOrderThenThePassThroughLayer)
{
    EXPECT_FALSE(_InitializeASPI(false, "/opt/aspi/wnaspi32.dll"));
    EXPECT_EQ(tried, (std::vector<std::string>{"/opt/aspi/wnaspi32.dll", ".\\WNASPI32.DLL", "WNASPI32.DLL"}));
    EXPECT_FALSE(ASPIDLLLoaded);
    EXPECT_EQ(ASPIModule(), nullptr);

    // Nothing bound: the entry points touch nothing.
    TSRB_ExecSCSICmd srb;
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_Status = 0x77;
    EXPECT_EQ(SendASPI32Command(&srb), SS_NO_LAYER);
    EXPECT_EQ(srb.SRB_Status, 0x77);
    EXPECT_EQ(GetASPI32SupportInfo() >> 8, SS_NO_LAYER);

    // Without a path the two names are tried; then a drive makes the pass-through layer bind.
    tried.clear();
    fake_.AddDrive("sr0", "0:0:0:0");
    EXPECT_TRUE(_InitializeASPI(false, ""));
    EXPECT_EQ(tried, (std::vector<std::string>{".\\WNASPI32.DLL", "WNASPI32.DLL"}));
    EXPECT_EQ(ASPILayerName(), "DKASPI32");
    EXPECT_EQ(GetASPI32SupportInfo(), 0x0101u);
    EXPECT_FALSE(TryInternalASPIFirst);
}

TEST_F(DkAspi, TheLibraryIsNamedWNASPI32WhereverItCameFrom)
{
    loadable = "/opt/aspi/wnaspi32.dll";
    EXPECT_TRUE(_InitializeASPI(false, "/opt/aspi/wnaspi32.dll"));
    EXPECT_EQ(tried, (std::vector<std::string>{"/opt/aspi/wnaspi32.dll"}));
    EXPECT_EQ(ASPILayerName(), "WNASPI32.DLL");
    EXPECT_EQ(ASPIModule(), FakeModule());
    EXPECT_EQ(g_supportCalls, 1);   // asked once while binding

    TSRB_ExecSCSICmd srb;
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    EXPECT_EQ(SendASPI32Command(&srb), SS_COMP);
    EXPECT_EQ(g_sendCalls, 1);

    EXPECT_TRUE(_DeInitializeASPI());
    EXPECT_EQ(freed, 1);
    EXPECT_FALSE(ASPIDLLLoaded);
    EXPECT_EQ(ASPIModule(), nullptr);
    EXPECT_EQ(SendASPI32Command(&srb), SS_NO_LAYER);
    EXPECT_EQ(g_sendCalls, 1);

    tried.clear();
    loadable = "WNASPI32.DLL";
    EXPECT_TRUE(_InitializeASPI(false, ""));
    EXPECT_EQ(ASPILayerName(), "WNASPI32.DLL");
    EXPECT_EQ(tried, (std::vector<std::string>{".\\WNASPI32.DLL", "WNASPI32.DLL"}));
}

TEST_F(DkAspi, UseSptiTriesThePassThroughLayerFirst)
{
    fake_.AddDrive("sr0", "0:0:0:0");
    loadable = "WNASPI32.DLL";
    EXPECT_TRUE(_InitializeASPI(true, ""));
    EXPECT_TRUE(tried.empty());
    EXPECT_EQ(ASPILayerName(), "DKASPI32");
    EXPECT_TRUE(TryInternalASPIFirst);

    // Re-initialising probes the drives again and binds the same way.
    const std::size_t opens = fake_.Opens().size();
    EXPECT_TRUE(_ReInitializeASPI());
    EXPECT_GT(fake_.Opens().size(), opens);
    EXPECT_TRUE(tried.empty());
    EXPECT_EQ(ASPILayerName(), "DKASPI32");
    EXPECT_TRUE(ASPIDLLLoaded);
}

TEST_F(DkAspi, UseSptiWithoutADriveFallsBackToTheLibrary)
{
    loadable = "WNASPI32.DLL";
    EXPECT_TRUE(_InitializeASPI(true, ""));
    EXPECT_EQ(ASPILayerName(), "WNASPI32.DLL");
    EXPECT_TRUE(_ReInitializeASPI());
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(ASPILayerName(), "WNASPI32.DLL");
    EXPECT_EQ(ASPIModule(), FakeModule());
}

TEST_F(DkAspi, ALibraryWithoutItsEntryPointsIsPassedOver)
{
    loadable = ".\\WNASPI32.DLL";
    missingInfo = true;
    fake_.AddDrive("sr0", "0:0:0:0");
    EXPECT_TRUE(_InitializeASPI(false, ""));
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(ASPIModule(), nullptr);
    EXPECT_EQ(ASPILayerName(), "DKASPI32");
}

TEST_F(DkAspi, SendersOnSeveralThreadsMeetReInitialisation)
{
    fake_.AddDrive("sr0", "0:0:0:0");
    fake_.AddDrive("sr1", "0:0:1:0");
    ASSERT_TRUE(_InitializeASPI(true, ""));
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 3; ++t) {
        senders.emplace_back([&, t] {
            while (!stop) {
                TSRB_ExecSCSICmd srb;
                srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
                srb.SRB_Target = static_cast<std::uint8_t>(t % 2);
                srb.SRB_CDBLen = 6;
                if (SendASPI32Command(&srb) != SS_COMP)
                    ++failures;
            }
        });
    }
    // The senders never pause between commands: each re-initialisation must
    // still come in between them, not wait for them to stop.
    std::atomic<int> reinitialised{0};
    std::thread binder([&] {
        for (int i = 0; i < 20; ++i)
            if (_ReInitializeASPI())
                ++reinitialised;
    });
    EXPECT_TRUE(testkit::WaitUntil([&] { return reinitialised == 20; }, 60))
        << reinitialised << " of 20 re-initialisations while the senders ran";
    stop = true;
    binder.join();
    for (std::thread& sender : senders)
        sender.join();
    EXPECT_EQ(reinitialised, 20);
    EXPECT_EQ(failures, 0);
}

} // namespace

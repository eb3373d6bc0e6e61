// The engine binding with fake engine libraries: loading once, entries the
// program does and does not call, unloading, and events through the
// registered callback as window messages.
#include "base/burnpubfunction.h"
#include "pipeline/writingengine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string FakeEngine(const std::string& variant)
{
    const char* bin = std::getenv("KELDARA_BIN_DIR");
    return std::string(bin ? bin : ".") + "/fakeengine/" + variant + "/dvdwrite_hwe.dll";
}

// Every entry pointer, in binding order.
std::vector<void*> Entries(const WritingEngine& e)
{
    auto p = [](auto f) { return reinterpret_cast<void*>(f); };
    return {p(e.Hwe_Init), p(e.Hwe_Free), p(e.Hwe_GetDvdWritersCount), p(e.Hwe_GetDvdWriterName),
            p(e.Hwe_GetDeviceName), p(e.Hwe_GetMediaStatus), p(e.Hwe_GetWriteStatus), p(e.Hwe_GetMediaType),
            p(e.Hwe_SetWriter), p(e.Hwe_EmptyMediaSize), p(e.Hwe_StartWriting), p(e.Hwe_StartDataWriting),
            p(e.Hwe_RegisterCallback), p(e.Hwe_AbortWrite), p(e.Hwe_SetMediaToRom), p(e.Hwe_GetWriterMode),
            p(e.Hwe_SetWriterMode), p(e.Hwe_CloseTray), p(e.Hwe_OpenTray), p(e.Hwe_GetLayerStatus),
            p(e.Hwe_SetLogFile), p(e.Hwe_GetDriveStatus), p(e.Hwe_GetWriteSpeeds), p(e.Hwe_SetWriteSpeed),
            p(e.Hwe_StartIsoWriting), p(e.Hwe_GetEnablePolling), p(e.Hwe_SetEnablePolling),
            p(e.Hwe_StartStreamWriting), p(e.Hwe_GetDualLayerWriteCapability), p(e.Hwe_GetSendWebStats),
            p(e.Hwe_SetSendWebStats), p(e.Hwe_Blank), p(e.Hwe_GetWriterSupportedMediaList), p(e.Hwe_IsDvdWriter),
            p(e.Hwe_GetDontAutoEject), p(e.Hwe_SetDontAutoEject), p(e.Hwe_GetPreferDVDRSao),
            p(e.Hwe_SetPreferDVDRSao), p(e.Hwe_GetSuitableMediaList), p(e.Hwe_DmaEnabled)};
}

int Bound(const WritingEngine& e)
{
    int n = 0;
    for (void* entry : Entries(e))
        n += entry != nullptr;
    return n;
}

TEST(WritingEngineBinding, BindsEveryEntryAndASecondLoadIsANoOp)
{
    WritingEngine engine;
    ASSERT_TRUE(LoadWritingEngine(engine, FakeEngine("whole"))) << engine.LoadError;
    EXPECT_EQ(Bound(engine), 40);
    const HMODULE module = engine.EngineModule.Handle();
    const auto mediaType = engine.Hwe_GetMediaType;
    // Loaded already: true at once, even where another library would fail.
    EXPECT_TRUE(LoadWritingEngine(engine, FakeEngine("lacksused")));
    EXPECT_EQ(engine.EngineModule.Handle(), module);
    EXPECT_EQ(engine.Hwe_GetMediaType, mediaType);
    EXPECT_EQ(engine.Hwe_GetMediaType(7), 0x11);
}

TEST(WritingEngineBinding, AnEntryTheProgramNeverCallsMayBeMissing)
{
    WritingEngine engine;
    ASSERT_TRUE(LoadWritingEngine(engine, FakeEngine("lacksunused"))) << engine.LoadError;
    EXPECT_EQ(engine.Hwe_DmaEnabled, nullptr);
    EXPECT_EQ(Bound(engine), 39);
    EXPECT_TRUE(engine.LoadError.empty());
}

TEST(WritingEngineBinding, AMissingEntryTheProgramCallsFailsNamingIt)
{
    WritingEngine engine;
    EXPECT_FALSE(LoadWritingEngine(engine, FakeEngine("lacksused")));
    EXPECT_EQ(engine.LoadError, "dvdwrite_hwe.dll lacks Hwe_GetMediaType");
    EXPECT_FALSE(engine.EngineModule.Loaded());
    EXPECT_EQ(Bound(engine), 0);   // nothing half-bound is left to call through
    // The set-up can be tried again with a sound library.
    EXPECT_TRUE(LoadWritingEngine(engine, FakeEngine("whole")));
    EXPECT_EQ(Bound(engine), 40);
}

TEST(WritingEngineBinding, AMissingLibraryFails)
{
    WritingEngine engine;
    EXPECT_FALSE(LoadWritingEngine(engine, FakeEngine("nowhere")));
    EXPECT_FALSE(engine.EngineModule.Loaded());
    EXPECT_NE(engine.LoadError.find("dvdwrite_hwe.dll"), std::string::npos) << engine.LoadError;
}

TEST(WritingEngineBinding, UnloadClearsTheModuleEveryEntryAndTheHandle)
{
    WritingEngine engine;
    UnloadWritingEngine(engine);   // nothing loaded: nothing happens
    ASSERT_TRUE(LoadWritingEngine(engine, FakeEngine("whole")));
    ASSERT_EQ(engine.Hwe_Init(0, 0, &engine.EngineHandle), HWE_OK);
    EXPECT_EQ(engine.EngineHandle, 7);
    UnloadWritingEngine(engine);
    EXPECT_FALSE(engine.EngineModule.Loaded());
    EXPECT_EQ(Bound(engine), 0);
    EXPECT_EQ(engine.EngineHandle, 0);
    EXPECT_TRUE(LoadWritingEngine(engine, FakeEngine("whole")));
}

TEST(WritingEngineBinding, EngineEventsArriveAsWindowMessages)
{
    struct Got {
        UINT m;
        WPARAM w;
        LPARAM l;
    };
    MessageQueue queue;
    std::vector<Got> got;
    HWND window = AllocateHWnd(queue, [&got](UINT m, WPARAM w, LPARAM l) -> LRESULT {
        got.push_back({m, w, l});
        return 0;
    });
    WritingEngine engine;
    ASSERT_TRUE(LoadWritingEngine(engine, FakeEngine("whole")));
    ASSERT_EQ(engine.Hwe_Init(0, 0, &engine.EngineHandle), HWE_OK);
    engine.Hwe_RegisterCallback(engine.EngineHandle, WriterEventCallback, window);
    auto fire = engine.EngineModule.Symbol<void (*)(int, int)>("FakeEngineFire");
    ASSERT_NE(fire, nullptr);
    for (int event : {0, 1, 4, 5, 6})
        fire(event, 1);
    EXPECT_EQ(queue.Pending(), 0u);
    fire(9, 0);
    fire(7, 32767);
    fire(8, 0);
    fire(9, 17);
    fire(3, 0);
    PumpPending(queue);
    ASSERT_EQ(got.size(), 5u);
    const UINT messages[] = {MSG_WRITER_STATUS, MSG_WRITER_PROGRESS, MSG_WRITER_CLOSING, MSG_WRITER_STATUS,
                             MSG_WRITER_MEDIA};
    const WPARAM values[] = {0, 32767, 0, 17, 0};
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].m, messages[i]) << i;
        EXPECT_EQ(got[i].w, values[i]) << i;
        EXPECT_EQ(got[i].l, 0) << i;
    }
    DeallocateHWnd(window);
    fire(9, 3);   // the window is gone: dropped
    EXPECT_EQ(queue.Pending(), 0u);
}

TEST(WritingEngineBinding, TheEngineDeliveredWithTheProgramHasEveryEntry)
{
    WritingEngine engine;
    ASSERT_TRUE(LoadWritingEngine(engine)) << engine.LoadError;
    EXPECT_EQ(Bound(engine), 40);
    EXPECT_EQ(engine.Hwe_DmaEnabled(1), HWE_NOT_SUPPORTED);
}

} // namespace

// The engine over the virtual recorder: which drives are writers, their
// names, media and speeds, tray calls and media changes as events, and
// nothing after a handle is freed.
#include "enginefixture.h"

#include <thread>

using namespace enginetest;
using testkit::Medium;
using testkit::MediumKind;
using testkit::RegisteredRecorder;

namespace {

// True once the recorder has answered a command with this opcode; the engine
// sends them under its lock, so the next call into the engine waits for the
// operation that sent it to end.
bool Saw(RegisteredRecorder& recorder, std::uint8_t opcode, std::size_t count = 1)
{
    for (int i = 0; i < 2000; ++i) {
        if (recorder->CommandsWithOpcode(opcode).size() >= count)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST_F(EngineTest, ADvdRecorderIsAWriterWithItsInquiryName)
{
    RegisteredRecorder recorder(DvdRecorderConfig(), "virtual recorder");
    ASSERT_EQ(engine.Init(0, 0, &handle), HWE_OK);
    EXPECT_GT(handle, 0);
    ASSERT_EQ(engine.Count(handle), 1);
    EXPECT_EQ(engine.WriterName(handle, 0), "KELDARA VIRTUAL RECORDER 1.00 (virtual recorder)");
    // Cut to the buffer, always NUL-ended.
    EXPECT_EQ(engine.WriterName(handle, 0, 10), "KELDARA V");
    EXPECT_EQ(engine.WriterName(handle, 0, 1), "");
    EXPECT_EQ(engine.WriterName(handle, 1), "");
    EXPECT_EQ(engine.SetWriter(handle, 1), 0);
    EXPECT_EQ(engine.SetWriter(handle, -1), 0);
    // Nothing selected yet.
    EXPECT_EQ(engine.MediaStatus(handle), HWE_MEDIA_NO_WRITER);
    EXPECT_EQ(engine.MediaType(handle), 0);
    EXPECT_EQ(engine.Speeds(handle), std::vector<int>{0});
    EXPECT_EQ(engine.SetWriter(handle, 0), 1);
}

TEST_F(EngineTest, NoWriterWithOnlyACdRecorderOrNone)
{
    int other = 99;
    EXPECT_EQ(engine.Init(0, 0, &other), HWE_NO_WRITER);
    EXPECT_EQ(other, 0);
    testkit::RecorderConfig cdOnly;
    cdOnly.dvdRecorder = false;
    RegisteredRecorder recorder(cdOnly);
    recorder->InsertMedium(Medium::Blank(MediumKind::CdR));
    EXPECT_EQ(engine.Init(0, 0, &other), HWE_NO_WRITER);
    EXPECT_EQ(other, 0);
    EXPECT_EQ(engine.Init(0, 0, nullptr), HWE_CANNOT_START);
}

TEST_F(EngineTest, TwoRecordersAreTwoWritersAndHandlesAreTheirOwn)
{
    RegisteredRecorder first(DvdRecorderConfig(), "first");
    testkit::RecorderConfig second = DvdRecorderConfig();
    second.product = "SECOND ONE";
    RegisteredRecorder other(second, "second");
    ASSERT_EQ(engine.Init(0, 0, &handle), HWE_OK);
    int handle2 = 0;
    ASSERT_EQ(engine.Init(0, 0, &handle2), HWE_OK);
    EXPECT_NE(handle, handle2);
    ASSERT_EQ(engine.Count(handle), 2);
    EXPECT_EQ(engine.WriterName(handle, 1), "KELDARA SECOND ONE 1.00 (second)");
    EXPECT_EQ(engine.Free(handle2), HWE_OK);
    EXPECT_EQ(engine.Free(handle2), HWE_BAD_HANDLE);
    EXPECT_EQ(engine.Count(handle2), 0);
    EXPECT_EQ(engine.Count(handle), 2);
}

TEST_F(EngineTest, MediaTypeIsTheProfileAndStatusSaysWhatCanBeWritten)
{
    RegisteredRecorder recorder(DvdRecorderConfig());
    Open();
    struct Case {
        Medium medium;
        int type;
        int status;
    };
    Medium appendable = Medium::Blank(MediumKind::DvdR);
    appendable.recorded = 5000;
    const Case cases[] = {
        {Medium{}, 0, HWE_MEDIA_NONE},
        {Medium::Blank(MediumKind::CdR), 0x09, HWE_MEDIA_NOT_DVD},
        {Medium::Blank(MediumKind::CdRw), 0x0A, HWE_MEDIA_NOT_DVD},
        {Medium::Complete(MediumKind::CdRom), 0x08, HWE_MEDIA_NOT_DVD},
        {Medium::Complete(MediumKind::DvdRom), 0x10, HWE_MEDIA_NOT_WRITABLE},
        {Medium::Blank(MediumKind::DvdR), 0x11, HWE_MEDIA_BLANK},
        {appendable, 0x11, HWE_MEDIA_HAS_DATA},
        {Medium::Complete(MediumKind::DvdR), 0x11, HWE_MEDIA_NOT_WRITABLE},
        {Medium::Blank(MediumKind::DvdRw), 0x14, HWE_MEDIA_BLANK},
        {Medium::Complete(MediumKind::DvdRw), 0x14, HWE_MEDIA_HAS_DATA},
        {Medium::Blank(MediumKind::DvdRwRestricted), 0x13, HWE_MEDIA_HAS_DATA},
        {Medium::Blank(MediumKind::DvdPlusR), 0x1B, HWE_MEDIA_BLANK},
        {Medium::Complete(MediumKind::DvdPlusR), 0x1B, HWE_MEDIA_NOT_WRITABLE},
        {Medium::Blank(MediumKind::DvdPlusRw), 0x1A, HWE_MEDIA_BLANK},
        {Medium::Complete(MediumKind::DvdPlusRw), 0x1A, HWE_MEDIA_HAS_DATA},
        {Medium::Blank(MediumKind::DvdRam), 0x12, HWE_MEDIA_HAS_DATA},
    };
    for (const Case& c : cases) {
        if (c.medium.kind == MediumKind::None)
            recorder->RemoveMedium();
        else
            recorder->InsertMedium(c.medium);
        EXPECT_EQ(engine.MediaType(handle), c.type) << static_cast<int>(c.medium.kind);
        EXPECT_EQ(engine.MediaStatus(handle), c.status) << static_cast<int>(c.medium.kind);
    }
    // An open tray with a disc in it holds no medium for the drive.
    recorder->InsertMedium(Medium::Blank(MediumKind::DvdR));
    recorder->OpenTray();
    EXPECT_EQ(engine.MediaType(handle), 0);
    EXPECT_EQ(engine.MediaStatus(handle), HWE_MEDIA_NONE);
}

TEST_F(EngineTest, SpeedsComeFromGetPerformanceFastestFirst)
{
    RegisteredRecorder recorder(DvdRecorderConfig());
    recorder->InsertMedium(Medium::Blank(MediumKind::DvdR));
    Open();
    EXPECT_EQ(engine.Speeds(handle), (std::vector<int>{5540, 2770, 0}));
    EXPECT_FALSE(recorder->CommandsWithOpcode(0xAC).empty());
    // At most count - 1 speeds and the 0 after them.
    EXPECT_EQ(engine.Speeds(handle, 2), (std::vector<int>{5540, 0}));
    EXPECT_EQ(engine.Speeds(handle, 1), (std::vector<int>{0}));
    EXPECT_EQ(engine.GetWriteSpeeds(handle, nullptr, 50), 0);
    // Without a disc GET PERFORMANCE has none: the capabilities page's list it is.
    recorder->RemoveMedium();
    EXPECT_EQ(engine.Speeds(handle), (std::vector<int>{recorder->Config().maxWriteSpeed, 0}));
}

TEST_F(EngineTest, TrayCallsMoveTheTrayAndMediaChangesBecomeEvents)
{
    RegisteredRecorder recorder(DvdRecorderConfig());
    recorder->InsertMedium(Medium::Blank(MediumKind::DvdR));
    Open();   // the medium in it when chosen is no event
    EXPECT_EQ(events.Size(), 0u);

    engine.OpenTray(handle);
    EXPECT_TRUE(recorder->TrayOpen());
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_MEDIUM_REMOVED, 0}));
    engine.CloseTray(handle);
    EXPECT_FALSE(recorder->TrayOpen());
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_MEDIUM_ARRIVED, 0}));
    EXPECT_EQ(events.All(), (std::vector<Event>{{3, 0}, {2, 0}}));
    const auto trays = recorder->CommandsWithOpcode(0x1B);
    ASSERT_EQ(trays.size(), 2u);
    EXPECT_EQ(trays[0].cdb[4], 0x02);   // eject
    EXPECT_EQ(trays[1].cdb[4], 0x03);   // load
}

TEST_F(EngineTest, APollerNoticesWhatAPersonDoesAtTheDrive)
{
    RegisteredRecorder recorder(DvdRecorderConfig());
    recorder->InsertMedium(Medium::Blank(MediumKind::DvdR));
    Open();

    recorder->RemoveMedium();
    clock.Advance(1500);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_MEDIUM_REMOVED, 0}));
    recorder->InsertMedium(Medium::Blank(MediumKind::DvdPlusR));
    clock.Advance(1500);
    ASSERT_TRUE(events.WaitFor({HWE_EVENT_MEDIUM_ARRIVED, 0}));
    // Another disc put in between two looks: a change all the same.
    const std::size_t turs = recorder->CommandsWithOpcode(0x00).size();
    recorder->InsertMedium(Medium::Blank(MediumKind::DvdRw));
    clock.Advance(1500);
    ASSERT_TRUE(Saw(recorder, 0x00, turs + 1));
    engine.MediaType(handle);
    EXPECT_EQ(events.All(), (std::vector<Event>{{3, 0}, {2, 0}, {2, 0}}));
    // The engine never moved the tray by itself.
    EXPECT_TRUE(recorder->CommandsWithOpcode(0x1B).empty());
    EXPECT_TRUE(recorder->CommandsWithOpcode(0x1E).empty());
}

TEST_F(EngineTest, ChoosingAWriterTakesItsMediumWithoutAnEvent)
{
    RegisteredRecorder first(DvdRecorderConfig(), "first");
    RegisteredRecorder second(DvdRecorderConfig(), "second");
    second->InsertMedium(Medium::Blank(MediumKind::DvdR));
    Open(0);
    ASSERT_EQ(engine.SetWriter(handle, 1), 1);
    clock.Advance(1500);
    ASSERT_TRUE(Saw(second, 0x00, 2));
    engine.MediaType(handle);
    EXPECT_EQ(events.Size(), 0u);
    EXPECT_EQ(engine.MediaType(handle), 0x11);
}

TEST_F(EngineTest, NothingArrivesAfterFree)
{
    RegisteredRecorder recorder(DvdRecorderConfig());
    recorder->InsertMedium(Medium::Blank(MediumKind::DvdR));
    Open();
    recorder->RemoveMedium();
    clock.Advance(1500);   // a poll is due as the handle goes
    EXPECT_EQ(engine.Free(handle), HWE_OK);
    const std::size_t seen = events.Size();
    const std::size_t commands = recorder->Commands().size();
    recorder->InsertMedium(Medium::Blank(MediumKind::DvdR));
    clock.Advance(3000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(events.Size(), seen);
    EXPECT_EQ(recorder->Commands().size(), commands);   // the poller is gone
    EXPECT_EQ(engine.MediaType(handle), 0);
    EXPECT_EQ(engine.MediaStatus(handle), HWE_MEDIA_NO_WRITER);
    EXPECT_EQ(engine.OpenTray(handle), HWE_BAD_HANDLE);
    handle = 0;
}

// The library freed with a handle still open: its threads end before its code goes.
TEST(EngineLibrary, FreeingItWithAHandleOpenStopsItsThreads)
{
    testkit::FakeScsiSystem system;
    ManualClock clock;
    ScopedClock scoped(clock);
    RegisteredRecorder recorder(DvdRecorderConfig());
    recorder->InsertMedium(Medium::Blank(MediumKind::DvdR));
    Events events;
    {
        EngineLib engine;
        int open = 0;
        ASSERT_EQ(engine.Init(0, 0, &open), HWE_OK);
        engine.RegisterCallback(open, &Events::Callback, &events);
        engine.SetWriter(open, 0);
        ASSERT_TRUE(Saw(recorder, 0x00));
    }   // unloaded without Hwe_Free
    const std::size_t commands = recorder->Commands().size();
    recorder->RemoveMedium();
    clock.Advance(3000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(recorder->Commands().size(), commands);
    EXPECT_EQ(events.Size(), 0u);
}

} // namespace

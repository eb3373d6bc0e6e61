#pragma once
// What the engine tests share: the engine library loaded as the program
// loads it, a recorder of the events it sends, and a process with no drives
// but those a test makes (virtual recorders, fake device nodes) and a clock
// the test moves.
#include "dvdwrite/dvdwrite_hwe.h"

#include "rtl/clock.h"
#include "testkit/fakescsi.h"
#include "testkit/recorder.h"
#include "win32/dynlib.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace enginetest {

struct EngineLib {
    EngineLib() : lib("dvdwrite_hwe.dll")
    {
        Init = lib.Symbol<THwe_Init>("Hwe_Init");
        Free = lib.Symbol<THwe_Free>("Hwe_Free");
        Count = lib.Symbol<THwe_GetDvdWritersCount>("Hwe_GetDvdWritersCount");
        Name = lib.Symbol<THwe_GetDvdWriterName>("Hwe_GetDvdWriterName");
        SetWriter = lib.Symbol<THwe_SetWriter>("Hwe_SetWriter");
        MediaStatus = lib.Symbol<THwe_GetMediaStatus>("Hwe_GetMediaStatus");
        MediaType = lib.Symbol<THwe_GetMediaType>("Hwe_GetMediaType");
        StartWriting = lib.Symbol<THwe_StartWriting>("Hwe_StartWriting");
        RegisterCallback = lib.Symbol<THwe_RegisterCallback>("Hwe_RegisterCallback");
        AbortWrite = lib.Symbol<THwe_AbortWrite>("Hwe_AbortWrite");
        CloseTray = lib.Symbol<THwe_CloseTray>("Hwe_CloseTray");
        OpenTray = lib.Symbol<THwe_OpenTray>("Hwe_OpenTray");
        GetWriteSpeeds = lib.Symbol<THwe_GetWriteSpeeds>("Hwe_GetWriteSpeeds");
        SetWriteSpeed = lib.Symbol<THwe_SetWriteSpeed>("Hwe_SetWriteSpeed");
        LastErrorText = lib.Symbol<THwe_GetLastErrorText>("Hwe_GetLastErrorText");
    }
    bool Ready() const
    {
        return Init && Free && Count && Name && SetWriter && MediaStatus && MediaType && StartWriting &&
               RegisterCallback && AbortWrite && CloseTray && OpenTray && GetWriteSpeeds && SetWriteSpeed &&
               LastErrorText;
    }
    // Why the handle's last write failed, read through a buffer of `size` bytes
    // (cut to it); `length` receives the length the engine told.
    std::string LastError(int handle, int size = 512, int* length = nullptr)
    {
        std::vector<char> buffer(static_cast<std::size_t>(size), 'x');
        const int told = LastErrorText(handle, buffer.data(), size);
        if (length)
            *length = told;
        return std::string(buffer.data());
    }
    std::string WriterName(int handle, int index, int size = 260)
    {
        std::vector<char> buffer(static_cast<std::size_t>(size), 'x');
        Name(handle, index, buffer.data(), size);
        return std::string(buffer.data());
    }
    std::vector<int> Speeds(int handle, int count = 50)
    {
        std::vector<int> speeds(static_cast<std::size_t>(count), -1);
        const int n = GetWriteSpeeds(handle, speeds.data(), count);
        speeds.resize(static_cast<std::size_t>(n) + 1);
        return speeds;   // the n speeds and the 0 after them
    }

    Library lib;
    THwe_Init Init = nullptr;
    THwe_Free Free = nullptr;
    THwe_GetDvdWritersCount Count = nullptr;
    THwe_GetDvdWriterName Name = nullptr;
    THwe_SetWriter SetWriter = nullptr;
    THwe_GetMediaStatus MediaStatus = nullptr;
    THwe_GetMediaType MediaType = nullptr;
    THwe_StartWriting StartWriting = nullptr;
    THwe_RegisterCallback RegisterCallback = nullptr;
    THwe_AbortWrite AbortWrite = nullptr;
    THwe_CloseTray CloseTray = nullptr;
    THwe_OpenTray OpenTray = nullptr;
    THwe_GetWriteSpeeds GetWriteSpeeds = nullptr;
    THwe_SetWriteSpeed SetWriteSpeed = nullptr;
    THwe_GetLastErrorText LastErrorText = nullptr;
};

struct Event {
    int event = 0;
    int value = 0;
    bool operator==(const Event&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Event& e) { return out << e.event << "/" << e.value; }

// What the engine sent, in order; the callback may run on any thread.
class Events {
public:
    static void Callback(int, int event, int value, void* self) { static_cast<Events*>(self)->Add(event, value); }

    void Add(int event, int value)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        events_.push_back({event, value});
        changed_.notify_all();
    }
    // Waits (the engine's threads are real) until an event matches, at most timeoutMs.
    bool WaitFor(const Event& wanted, int timeoutMs = 20000)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            for (const Event& e : events_)
                if (e == wanted)
                    return true;
            return false;
        });
    }
    std::vector<Event> All() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return events_;
    }
    std::size_t Size() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return events_.size();
    }
    void Clear()
    {
        std::lock_guard<std::mutex> guard(mutex_);
        events_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
};

// The events without progress, which comes as often as the writer reports it.
inline std::vector<Event> WithoutProgress(const std::vector<Event>& events)
{
    std::vector<Event> rest;
    for (const Event& e : events)
        if (e.event != HWE_EVENT_PROGRESS)
            rest.push_back(e);
    return rest;
}

// No system drives, no image writer from the environment, a clock the test moves.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::unsetenv("KELDARA_DVD_IMAGE_WRITER");
        ASSERT_TRUE(engine.Ready());
    }
    void TearDown() override
    {
        if (handle)
            engine.Free(handle);
        handle = 0;
    }
    // Init, the callback, and writer index selected.
    void Open(int index = 0)
    {
        ASSERT_EQ(engine.Init(0, 0, &handle), HWE_OK);
        ASSERT_NE(handle, 0);
        engine.RegisterCallback(handle, &Events::Callback, &events);
        ASSERT_EQ(engine.SetWriter(handle, index), 1);
    }

    testkit::FakeScsiSystem system;
    ManualClock clock;
    ScopedClock scopedClock{clock};
    Events events;   // outlives the library, whose threads call it
    EngineLib engine;
    int handle = 0;
};

inline testkit::RecorderConfig DvdRecorderConfig()
{
    testkit::RecorderConfig config;
    config.dvdRecorder = true;
    config.dvdWriteSpeeds = {2770, 5540};
    return config;
}

} // namespace enginetest

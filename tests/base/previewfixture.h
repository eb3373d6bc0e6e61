#pragma once
// What the preview-graph and probe tests share: a private registry, silent
// audio and a private program folder per test, a window whose messages the
// test reads, clocks to step the program's waits, and BMP file readers.
#include "base/previewsurface.h"
#include "com/com.h"
#include "com/widestring.h"
#include "dshow/mediafilters.h"
#include "dshow/videosurface.h"
#include "rtl/clock.h"
#include "rtl/paths.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"
#include "win32/messages.h"
#include "win32/progfolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A clock whose sleepers wait until the test moves time on (or opens the gate).
class GateClock : public Clock {
public:
    std::uint64_t NowMs() override
    {
        std::lock_guard lock(mutex_);
        return now_;
    }
    void SleepMs(std::uint32_t ms) override
    {
        std::unique_lock lock(mutex_);
        requested_.push_back(ms);
        changed_.notify_all();
        const std::uint64_t until = now_ + ms;
        changed_.wait(lock, [&] { return open_ || now_ >= until; });
    }
    void Advance(std::uint64_t ms)
    {
        std::lock_guard lock(mutex_);
        now_ += ms;
        changed_.notify_all();
    }
    // From now on sleeps return at once (so a sleeper can notice it is asked to stop).
    void Open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    // Waits (real time, bounded) until `count` sleeps have begun.
    bool WaitForSleeps(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return requested_.size() >= count; });
    }
    std::vector<std::uint32_t> Requested()
    {
        std::lock_guard lock(mutex_);
        return requested_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t now_ = 1000;
    bool open_ = false;
    std::vector<std::uint32_t> requested_;
};

// Counts the pictures the video renderers present, so that a wait can follow a
// real graph instead of the wall clock. The preview's own surfaces go on working
// beside it; the factory before it is put back when it goes.
class PictureWatch {
public:
    PictureWatch()
    {
        InstallPreviewSurfaces();
        previous_ = SetVideoSurfaceFactory([this](IVideoFrameAccess* renderer) -> std::unique_ptr<VideoSurface> {
            return std::make_unique<Surface>(*this, previous_ ? previous_(renderer) : nullptr);
        });
    }
    ~PictureWatch() { SetVideoSurfaceFactory(std::move(previous_)); }
    PictureWatch(const PictureWatch&) = delete;
    PictureWatch& operator=(const PictureWatch&) = delete;

    std::uint64_t Pictures()
    {
        std::lock_guard lock(mutex_);
        return pictures_;
    }
    // Waits until a picture after the `seen`-th has been presented, at most `limit`
    // of real time; false when none came.
    bool WaitForPictureAfter(std::uint64_t seen, std::chrono::milliseconds limit)
    {
        std::unique_lock lock(mutex_);
        return presented_.wait_for(lock, limit, [&] { return pictures_ > seen; });
    }

private:
    class Surface : public VideoSurface {
    public:
        Surface(PictureWatch& watch, std::unique_ptr<VideoSurface> inner) : watch_(watch), inner_(std::move(inner)) {}
        void WindowChanged(const VideoWindowSettings& settings) override
        {
            if (inner_) inner_->WindowChanged(settings);
        }
        void PictureChanged() override
        {
            if (inner_) inner_->PictureChanged();
            std::lock_guard lock(watch_.mutex_);
            ++watch_.pictures_;
            watch_.presented_.notify_all();
        }

    private:
        PictureWatch& watch_;
        std::unique_ptr<VideoSurface> inner_;
    };

    VideoSurfaceFactory previous_;
    std::mutex mutex_;
    std::condition_variable presented_;
    std::uint64_t pictures_ = 0;
};

// A clock for waits that a real graph, playing in real time, has to fill. Each
// sleep moves the program's time on by its length at once, and returns as soon
// as the graph has presented another picture, or after that length of real time
// when none comes. So the program's waits follow the graph: a slow machine makes
// them longer, never fewer pictures than the program waits for.
class PictureClock : public Clock {
public:
    std::uint64_t NowMs() override { return now_.load(); }
    void SleepMs(std::uint32_t ms) override
    {
        const std::uint64_t seen = watch_.Pictures();
        now_ += ms;
        slept_ += ms;
        watch_.WaitForPictureAfter(seen, std::chrono::milliseconds(ms));
    }
    std::uint64_t TotalSlept() const { return slept_.load(); }

private:
    PictureWatch watch_;
    std::atomic<std::uint64_t> now_{1000};
    std::atomic<std::uint64_t> slept_{0};
};

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("KELDARA_REGISTRY", folder.File("registry").c_str(), 1);
        setenv("KELDARA_AUDIO", "null", 1);
        CoInitialize(nullptr);
        RegisterMediaFilters();
        program = folder.Path() + "/program/";
        ForceDirectories(program + "Snapshot");
        ForceDirectories(program + "BMP");
        SetProgramFolder(program);
        window = AllocateHWnd(queue, [](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    }
    void TearDown() override
    {
        DeallocateHWnd(window);
        SetProgramFolder("");
        CoUninitialize();
    }

    // The next message for the window with that number, waiting at most `seconds`.
    std::optional<MSG> NextMessage(UINT message, int seconds = 30)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < until) {
            MSG msg;
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            if (queue.Get(msg, static_cast<std::uint32_t>(std::max<long long>(left.count(), 1))) != GetResult::Message)
                continue;
            if (msg.hwnd == window && msg.message == message)
                return msg;
        }
        return std::nullopt;
    }

    static std::vector<std::uint8_t> ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    static std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes)
    {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | b.at(at + static_cast<std::size_t>(i));
        return v;
    }

    // The frame a 24-bit bottom-up BMP file of that size holds; fails the test when the
    // header is not what was written.
    void ExpectBmpHeader(const std::vector<std::uint8_t>& bmp, int width, int height)
    {
        const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
        ASSERT_EQ(bmp.size(), 54 + stride * static_cast<std::size_t>(height));
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(Le(bmp, 2, 4), bmp.size());
        EXPECT_EQ(Le(bmp, 10, 4), 54u);
        EXPECT_EQ(Le(bmp, 14, 4), 40u);
        EXPECT_EQ(static_cast<int>(Le(bmp, 18, 4)), width);
        EXPECT_EQ(static_cast<int>(Le(bmp, 22, 4)), height);   // positive: rows bottom-up
        EXPECT_EQ(Le(bmp, 26, 2), 1u);
        EXPECT_EQ(Le(bmp, 28, 2), 24u);
        EXPECT_EQ(Le(bmp, 30, 4), 0u);   // BI_RGB
    }
    static testkit::PictureView BmpPicture(const std::vector<std::uint8_t>& bmp, int width, int height)
    {
        return testkit::PictureView{bmp.data() + 54, width, height, (width * 3 + 3) & ~3, true, true};
    }

    testkit::TempFolder folder;
    std::string program;
    MessageQueue queue;
    HWND window = nullptr;
};

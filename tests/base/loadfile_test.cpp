// The media probe on the synthetic clips: the one message it posts for each
// kind of input, the clip facts against what the generator wrote, the
// snapshot file and tile, the placeholder pictures, giving up, and cancelling.
#include "previewfixture.h"

#include "base/burnpubfunction.h"
#include "base/qv_loadfile.h"
#include "base/qv_movieimage.h"
#include "gfx/bitmap.h"

#include <functional>
#include <memory>

namespace {

constexpr TColor kPlaceholderTile = 0x0000FF00;       // green
constexpr TColor kPlaceholderSnapshot = 0x00FF00FF;   // magenta

class LoadFileTest : public PreviewTest {
protected:
    void SetUp() override
    {
        PreviewTest::SetUp();
        SavePicture(program + "BMP/Video.bmp", 101, 76, kPlaceholderTile);
        SavePicture(program + "BMP/VideoP.bmp", 64, 48, kPlaceholderSnapshot);
    }

    static void SavePicture(const std::string& path, int width, int height, TColor colour)
    {
        TBitmap picture(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.SetPixel(x, y, colour);
        picture.SaveToFile(path);
    }

    struct Result {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        ClipPtr clip;
    };

    // Probes one file and answers the message it posted, with the clip it handed over.
    Result Probe(const std::string& path, int wparam = 3, int lparam = 0)
    {
        auto loader = std::make_unique<TQV_LoadFile>(false, path, wparam, lparam, window);
        Result result;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < until) {
            MSG msg;
            if (queue.Get(msg, 1000) != GetResult::Message || msg.hwnd != window)
                continue;
            if (msg.message == MSG_LOAD_FAILED || msg.message == MSG_LOAD_GAVE_UP || msg.message == MSG_LOAD_READY) {
                result.message = msg.message;
                result.wParam = msg.wParam;
                result.lParam = msg.lParam;
                break;
            }
        }
        EXPECT_NE(result.message, 0u) << "no message from the probe of " << path;
        loader->WaitFor();
        result.clip = std::move(loader->Clip);
        loader.reset();
        // Exactly one message.
        MSG extra;
        while (queue.Peek(extra))
            EXPECT_FALSE(extra.message == MSG_LOAD_FAILED || extra.message == MSG_LOAD_GAVE_UP ||
                         extra.message == MSG_LOAD_READY);
        return result;
    }

    // A small clip of the length with exact-length sound.
    std::string LongClip(double seconds)
    {
        testkit::ClipSpec spec;
        spec.width = 96;
        spec.height = 64;
        spec.seconds = seconds;
        spec.gop = 25;
        spec.audio = testkit::AudioCodec::Pcm;
        const std::string path = folder.File("clip-" + std::to_string(static_cast<int>(seconds * 10)) + ".avi");
        testkit::WriteClip(path, spec);
        return path;
    }

    // Probes a file on a gated clock, letting each of its sleeps pass in turn; counts the
    // frame files it tried to write (each is followed by its one 100 ms sleep). Once
    // afterSave answers true, each picture wait also lets the graph present another
    // picture (waiting at most its length in real time), so that a picture after a
    // seek can arrive however slowly the machine runs.
    Result ProbeStepped(const std::string& path, GateClock& clock, int* saves,
                        const std::function<bool(int)>& afterSave = {})
    {
        bool playing = false;
        auto loader = std::make_unique<TQV_LoadFile>(false, path, 1, 0, window);
        Result result;
        std::size_t seen = clock.Requested().size();
        *saves = 0;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (result.message == 0 && std::chrono::steady_clock::now() < until) {
            MSG msg;
            while (result.message == 0 && queue.Peek(msg))
                if (msg.message == MSG_LOAD_FAILED || msg.message == MSG_LOAD_GAVE_UP || msg.message == MSG_LOAD_READY)
                    result.message = msg.message;
            if (result.message || !clock.WaitForSleeps(seen + 1, std::chrono::milliseconds(20)))
                continue;
            const std::uint32_t ms = clock.Requested()[seen++];
            if (ms == 100) {
                ++*saves;
                if (afterSave)
                    playing = afterSave(*saves) || playing;
            } else if (playing) {
                pictures.WaitForPictureAfter(pictures.Pictures(), std::chrono::milliseconds(ms));
            }
            clock.Advance(ms);
        }
        EXPECT_NE(result.message, 0u) << "no message from the probe of " << path;
        if (result.message == 0)
            clock.Open();   // let it run out rather than hang
        loader->WaitFor();
        result.clip = std::move(loader->Clip);
        return result;
    }

    static bool TileIs(const TQV_MovieImage& clip, TColor colour)
    {
        for (int y = 0; y < clip.Tile->Height(); y += 5)
            for (int x = 0; x < clip.Tile->Width(); x += 5)
                if (clip.Tile->Pixel(x, y) != colour)
                    return false;
        return clip.Tile->Width() > 0;
    }

    static void ExpectNear(TColor c, testkit::Rgb want, int tolerance = 50)
    {
        EXPECT_NEAR(static_cast<int>(c & 0xFF), want.r, tolerance);
        EXPECT_NEAR(static_cast<int>(c >> 8 & 0xFF), want.g, tolerance);
        EXPECT_NEAR(static_cast<int>(c >> 16 & 0xFF), want.b, tolerance);
    }

    PictureWatch pictures;   // what the stepped probes let the graph show
};

} // namespace

TEST_F(LoadFileTest, StandardClipBecomesAClipWithItsFactsAndSnapshot)
{
    PictureClock clock;
    ScopedClock scoped(clock);
    const std::string path = testkit::MakeStandardClip(folder.Path());
    Result r = Probe(path, 3, 0);
    EXPECT_EQ(r.message, MSG_LOAD_READY);
    EXPECT_EQ(r.wParam, 3u);
    EXPECT_EQ(r.lParam, 0);
    ASSERT_TRUE(r.clip);
    TQV_MovieImage& clip = *r.clip;
    EXPECT_EQ(clip.SourcePath, path);
    EXPECT_EQ(clip.ClipName, ExtractFileNamePart(path));
    EXPECT_EQ(clip.WidePath, Utf8ToWide(path));
    EXPECT_EQ(clip.ClipIndex, 3);
    EXPECT_NEAR(clip.VideoDuration, 5.0, 0.05);
    EXPECT_NEAR(clip.AudioDuration, 5.0, 0.1);
    EXPECT_EQ(clip.Duration, std::max(clip.VideoDuration, clip.AudioDuration));
    EXPECT_EQ(clip.EndPoint, clip.Duration);
    EXPECT_EQ(clip.StartPoint, 0.0);
    EXPECT_NEAR(clip.FrameRate, 25.0, 0.01);
    EXPECT_EQ(clip.VideoWidth, 320);
    EXPECT_EQ(clip.VideoHeight, 240);
    EXPECT_EQ(clip.VideoStreamCount, 1);
    EXPECT_EQ(clip.AudioStreamCount, 1);
    EXPECT_TRUE(clip.SupportsSeek);
    EXPECT_GE(clock.TotalSlept(), 600u);   // the picture waits ran on the program's clock

    // The snapshot file of the first grab: a real frame from near the start.
    const std::string shot = program + "Snapshot/t-0-0-3.bmp";
    ASSERT_TRUE(FileExists(shot));
    auto bmp = ReadBytes(shot);
    ExpectBmpHeader(bmp, 320, 240);
    auto picture = BmpPicture(bmp, 320, 240);
    EXPECT_TRUE(testkit::RegionsMatch(picture));
    const int frame = testkit::ReadFrameCounter(picture);
    EXPECT_GE(frame, 0);
    EXPECT_LT(frame, 60);

    // The snapshot is that picture; the tile is it squeezed to 101 x 76.
    ASSERT_EQ(clip.Snapshot->Width(), 320);
    ASSERT_EQ(clip.Snapshot->Height(), 240);
    ExpectNear(clip.Snapshot->Pixel(20, 20), testkit::RegionColour(0));
    ASSERT_EQ(clip.Tile->Width(), 101);
    ASSERT_EQ(clip.Tile->Height(), 76);
    for (int region = 0; region < testkit::kRegionCount; ++region)
        ExpectNear(clip.Tile->Pixel(region * 101 / 4 + 12, 15), testkit::RegionColour(region));
    // And the control shows the tile.
    ExpectNear(clip.Canvas()->Pixels(12, 15), testkit::RegionColour(0));
}

TEST_F(LoadFileTest, FileNameThatIsNotUtf8IsProbedUnderItsOwnBytes)
{
    // A name from an old archive, with a Latin-1 byte: file names are bytes, the clip is valid.
    PictureClock clock;
    ScopedClock scoped(clock);
    const std::string path = folder.File("Caf\xE9 f\xFCr Gro\xDF.avi");
    std::filesystem::rename(testkit::MakeStandardClip(folder.Path()), path);
    Result r = Probe(path, 0, 0);
    EXPECT_EQ(r.message, MSG_LOAD_READY);
    ASSERT_TRUE(r.clip);
    EXPECT_EQ(r.clip->SourcePath, path);
    EXPECT_EQ(r.clip->ClipName, "Caf\xE9 f\xFCr Gro\xDF.avi");
    EXPECT_EQ(WideToUtf8(r.clip->WidePath), path);   // the wide form gives the bytes back
    EXPECT_NEAR(r.clip->Duration, 5.0, 0.1);
}

TEST_F(LoadFileTest, NtscClipFactsComeFromTheDetector)
{
    PictureClock clock;
    ScopedClock scoped(clock);
    Result r = Probe(testkit::MakeNtscClip(folder.Path()), 0, 2);
    EXPECT_EQ(r.message, MSG_LOAD_READY);
    EXPECT_EQ(r.wParam, 0u);
    EXPECT_EQ(r.lParam, 2);
    ASSERT_TRUE(r.clip);
    EXPECT_NEAR(r.clip->FrameRate, 30000.0 / 1001.0, 0.01);
    EXPECT_NEAR(r.clip->Duration, 3.0, 0.15);
    EXPECT_EQ(r.clip->VideoWidth, 352);
    EXPECT_EQ(r.clip->VideoHeight, 240);
    EXPECT_EQ(r.clip->PictureAspectX, 0);   // square pixels: the size is the shape
    EXPECT_EQ(r.clip->PictureAspectY, 0);
    EXPECT_EQ(r.clip->Snapshot->Width(), 352);
    EXPECT_TRUE(FileExists(program + "Snapshot/t-0-2-0.bmp"));
}

TEST_F(LoadFileTest, ClipsOfPixelsThatAreNotSquareKeepTheShapeTheirFilesDeclare)
{
    PictureClock clock;
    ScopedClock scoped(clock);
    // 720x576 MPEG-2 flagged 16:9, and 720x480 MPEG-4 in AVI flagged 4:3 (pixels 8:9).
    Result wide = Probe(testkit::MakeWideClip(folder.Path()), 0, 0);
    ASSERT_TRUE(wide.clip);
    EXPECT_EQ(wide.clip->VideoWidth, 720);
    EXPECT_EQ(wide.clip->VideoHeight, 576);
    EXPECT_EQ(wide.clip->PictureAspectX, 16);
    EXPECT_EQ(wide.clip->PictureAspectY, 9);
    testkit::ClipSpec spec;
    spec.width = 720;
    spec.height = 480;
    spec.sarNum = 8;
    spec.sarDen = 9;
    spec.seconds = 2;
    testkit::WriteClip(folder.File("dv.avi"), spec);
    Result tv = Probe(folder.File("dv.avi"), 1, 0);
    ASSERT_TRUE(tv.clip);
    EXPECT_EQ(tv.clip->VideoWidth, 720);
    EXPECT_EQ(tv.clip->VideoHeight, 480);
    EXPECT_EQ(tv.clip->PictureAspectX, 4);
    EXPECT_EQ(tv.clip->PictureAspectY, 3);
}

TEST_F(LoadFileTest, UnusableFilesAreRefusedWithNoClip)
{
    ManualClock clock;
    ScopedClock scoped(clock);
    std::ofstream(folder.File("empty.avi")).close();
    testkit::ClipSpec tooShort;
    tooShort.video = testkit::VideoCodec::None;
    tooShort.audio = testkit::AudioCodec::Pcm;
    tooShort.seconds = 0.04;
    testkit::WriteClip(folder.File("short.wav"), tooShort);
    const std::vector<std::string> refused = {
        testkit::MakeVideoOnlyClip(folder.Path()),   // no sound
        testkit::MakeNotMediaFile(folder.Path()),
        folder.File("missing.avi"),
        folder.File("empty.avi"),
        folder.File("short.wav"),                    // 0.04 s
        "",
    };
    int slot = 0;
    for (const std::string& path : refused) {
        Result r = Probe(path, 7, slot);
        EXPECT_EQ(r.message, MSG_LOAD_FAILED) << path;
        EXPECT_EQ(r.wParam, 7u);
        EXPECT_EQ(r.lParam, slot);
        EXPECT_FALSE(r.clip) << path;
        ++slot;
    }
}

TEST_F(LoadFileTest, SoundOnlyFilesGetThePlaceholderPictures)
{
    ManualClock clock;
    ScopedClock scoped(clock);
    testkit::ClipSpec shortest;
    shortest.video = testkit::VideoCodec::None;
    shortest.audio = testkit::AudioCodec::Pcm;
    shortest.seconds = 0.05;
    testkit::WriteClip(folder.File("shortest.wav"), shortest);
    for (const std::string& path : {testkit::MakeAudioOnlyFile(folder.Path()), folder.File("shortest.wav")}) {
        Result r = Probe(path);
        EXPECT_EQ(r.message, MSG_LOAD_READY) << path;
        ASSERT_TRUE(r.clip) << path;
        TQV_MovieImage& clip = *r.clip;
        EXPECT_EQ(clip.AudioStreamCount, 1);
        EXPECT_EQ(clip.VideoStreamCount, 1);   // counted as one picture stream as long as the sound
        EXPECT_EQ(clip.VideoDuration, clip.AudioDuration);
        EXPECT_EQ(clip.VideoWidth, 0);
        EXPECT_TRUE(TileIs(clip, kPlaceholderTile));
        EXPECT_EQ(clip.Snapshot->Width(), 64);
        EXPECT_EQ(clip.Snapshot->Pixel(3, 3), kPlaceholderSnapshot);
        EXPECT_EQ(clip.Canvas()->Pixels(50, 40), kPlaceholderTile);
    }
}

TEST_F(LoadFileTest, GrabPositionsFollowTheClipLengthThenThePlaceholdersOrGivingUp)
{
    GateClock clock;
    ScopedClock scoped(clock);
    // The snapshot folder is a file: no frame file can be made, so every position is tried.
    std::filesystem::remove_all(program + "Snapshot");
    std::ofstream(program + "Snapshot") << "not a folder";
    struct Case {
        double seconds;
        int grabs;
        UINT message;
    };
    // Grabs at 0, 4, 10, 18, 30 and 50 s, none within 8 s of the end.
    for (Case c : {Case{9.5, 1, MSG_LOAD_READY}, Case{11.5, 2, MSG_LOAD_READY}, Case{60, 6, MSG_LOAD_GAVE_UP}}) {
        const std::string path = LongClip(c.seconds);
        int saves = 0;
        Result r = ProbeStepped(path, clock, &saves);
        EXPECT_EQ(saves, c.grabs) << c.seconds;
        EXPECT_EQ(r.message, c.message) << c.seconds;
        ASSERT_TRUE(r.clip);
        EXPECT_TRUE(r.clip->SupportsSeek);
        EXPECT_NEAR(r.clip->Duration, c.seconds, 0.1);
        // Short of the sixth grab the placeholders stand in; after it the tile is left alone.
        EXPECT_EQ(TileIs(*r.clip, kPlaceholderTile), c.message == MSG_LOAD_READY) << c.seconds;
    }
}

TEST_F(LoadFileTest, AGoodSixthGrabIsUsed)
{
    GateClock clock;
    ScopedClock scoped(clock);
    std::filesystem::remove_all(program + "Snapshot");
    std::ofstream(program + "Snapshot") << "not a folder";
    int saves = 0;
    // Frames can be written again from the sixth grab on.
    Result r = ProbeStepped(LongClip(60), clock, &saves, [&](int done) {
        if (done != 5)
            return false;
        std::filesystem::remove(program + "Snapshot");
        ForceDirectories(program + "Snapshot");
        return true;
    });
    EXPECT_EQ(saves, 6);
    EXPECT_EQ(r.message, MSG_LOAD_READY);
    ASSERT_TRUE(r.clip);
    EXPECT_TRUE(FileExists(program + "Snapshot/t-5-0-1.bmp"));
    EXPECT_EQ(r.clip->Snapshot->Width(), 96);
    EXPECT_EQ(r.clip->Snapshot->Height(), 64);
    EXPECT_FALSE(TileIs(*r.clip, kPlaceholderTile));
}

TEST_F(LoadFileTest, DeletingARunningProbeCancelsItsWaits)
{
    GateClock clock;
    ScopedClock scoped(clock);
    auto loader = std::make_unique<TQV_LoadFile>(false, testkit::MakeStandardClip(folder.Path()), 0, 0, window);
    ASSERT_TRUE(clock.WaitForSleeps(1));   // waiting for the first picture
    loader->Terminate();
    clock.Open();
    loader.reset();   // joins; the clip it was making goes with it
    EXPECT_LE(clock.Requested().size(), 3u);   // not a hundred waits more
}

TEST_F(LoadFileTest, WithoutPicturesInTheProgramFolderTheBuiltPlaceholdersAreUsed)
{
    // The writable program folder holds none; the pictures drawn at build time
    // beside the executable stand in, pixel for pixel.
    DeleteFile(program + "BMP/Video.bmp");
    DeleteFile(program + "BMP/VideoP.bmp");
    TBitmap tile, snapshot;
    tile.LoadFromFile(ExecutableFolder() + "BMP/Video.bmp");
    snapshot.LoadFromFile(ExecutableFolder() + "BMP/VideoP.bmp");
    ASSERT_EQ(tile.Width(), 101);
    ASSERT_EQ(tile.Height(), 76);
    ASSERT_GT(snapshot.Width(), 101);
    ASSERT_EQ(snapshot.Width() * 3, snapshot.Height() * 4);   // the shape of a 4:3 picture

    ManualClock clock;
    ScopedClock scoped(clock);
    Result r = Probe(testkit::MakeAudioOnlyFile(folder.Path()));
    EXPECT_EQ(r.message, MSG_LOAD_READY);
    ASSERT_TRUE(r.clip);
    const TQV_MovieImage& clip = *r.clip;
    ASSERT_EQ(clip.Tile->Width(), tile.Width());
    ASSERT_EQ(clip.Tile->Height(), tile.Height());
    ASSERT_EQ(clip.Snapshot->Width(), snapshot.Width());
    ASSERT_EQ(clip.Snapshot->Height(), snapshot.Height());
    int differing = 0;
    for (int y = 0; y < tile.Height(); ++y)
        for (int x = 0; x < tile.Width(); ++x) differing += clip.Tile->Pixel(x, y) != tile.Pixel(x, y);
    for (int y = 0; y < snapshot.Height(); ++y)
        for (int x = 0; x < snapshot.Width(); ++x) differing += clip.Snapshot->Pixel(x, y) != snapshot.Pixel(x, y);
    EXPECT_EQ(differing, 0);
    // The tile on show is the picture, not the blank fill.
    EXPECT_EQ(r.clip->Canvas()->Pixels(50, 38), tile.Pixel(50, 38));
    EXPECT_NE(tile.Pixel(50, 38), tile.Pixel(5, 5));
}

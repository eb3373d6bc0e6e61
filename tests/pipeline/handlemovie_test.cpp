// The multiplex/author worker with the real outside libraries: clips
// multiplexed and authored into discs read back with lsdvd, failures that
// keep their inputs and say so, idle job codes, and cancel killing the child.
#include "discfixture.h"

#include "mux/tormux.h"
#include "pipeline/authorxml.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>

using namespace disctest;

TEST_F(WorkerTest, MultiplexDeletesInputsOnlyAfterSuccess)
{
    Streams s = MakeStreams(work_, Disc::Svcd, 2.0, "clip");
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    const std::string out = work_ + "clip.mpg";
    worker->StartMux(2, out, s.video, s.audio);
    Posted p = r.Next();
    EXPECT_EQ(p.message, MSG_MUX_DONE);
    EXPECT_EQ(p.w, kMuxSucceeded);
    EXPECT_EQ(p.l, kMuxCdArgc);
    EXPECT_EQ(worker->Argv.size(), 9u);
    EXPECT_EQ(worker->Argv[2], "4");
    EXPECT_TRUE(FileExists(out));
    EXPECT_FALSE(FileExists(s.video));
    EXPECT_FALSE(FileExists(s.audio));
    EXPECT_EQ(worker->JobCode.load(), kJobIdle);
}

TEST_F(WorkerTest, FailedMultiplexKeepsItsInputsAndSaysSo)
{
    Streams s = MakeStreams(work_, Disc::DvdPal, 1.0, "clip");
    DeleteFile(s.audio);   // the audio stream never came out of the encoder
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->StartMux(1, work_ + "clip.vob", s.video, s.audio);
    const Posted p = r.Next();
    EXPECT_EQ(p.message, MSG_MUX_DONE);
    EXPECT_EQ(p.w, kMuxFailed);
    EXPECT_EQ(p.l, kMuxDvdArgc);
    EXPECT_TRUE(FileExists(s.video));
    EXPECT_FALSE(FileExists(work_ + "clip.vob"));
    EXPECT_FALSE(worker->LastErrorText.empty());
}

TEST_F(WorkerTest, OnlyDvdMultiplexingPassesTheOffsetArguments)
{
    OutputFolder fakeFolder("keldara-fake-mplex");
    ForceDirectories(fakeFolder.File("bin"));
    FakePrograms fakes(fakeFolder.File("bin"));
    const std::string argsFile = fakeFolder.File("args");
    fakes.Add("mplex", "echo \"$*\" >> '" + argsFile + "'\nexit 1\n");
    Receiver r;
    for (const auto& [type, disc] : {std::pair{1, Disc::DvdPal}, std::pair{2, Disc::Svcd}, std::pair{3, Disc::Vcd}}) {
        Streams s = MakeStreams(work_, disc, 1.0, "clip" + IntToStr(type));
        auto worker = MakeWorker(r.Handle());
        worker->StartMux(type, work_ + "out" + IntToStr(type) + ".mpg", s.video, s.audio);
        const Posted p = r.Next(20000);
        EXPECT_EQ(p.message, MSG_MUX_DONE);
        EXPECT_EQ(p.w, kMuxFailed);   // the fake fails: the inputs stay
        EXPECT_EQ(p.l, type == 1 ? kMuxDvdArgc : kMuxCdArgc);
        EXPECT_TRUE(FileExists(s.video));
        EXPECT_TRUE(FileExists(s.audio));
    }
    std::istringstream calls(ReadText(argsFile));
    std::vector<std::string> lines;
    for (std::string line; std::getline(calls, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u) << ReadText(argsFile);
    EXPECT_NE(lines[0].find("-f 8"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("-O 0"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("-f 4"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].find("-O"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("-f 1"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[2].find("-O"), std::string::npos) << lines[2];
}

// Libraries that load but lack their entries are never called through: each
// job still ends with its message, as failure, and keeps its inputs.
TEST(WorkerLibraries, EntriesMissingAreReportedAsFailures)
{
    const char* bin = std::getenv("KELDARA_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    OutputFolder folder("keldara-wrong-libraries");
    const std::string helper = folder.File("pipeline_wronglibraries");
    namespace fs = std::filesystem;
    fs::copy_file(JoinPath(bin, "pipeline_wronglibraries"), helper);
    // Each library stands beside the program under the other's name.
    fs::copy_file(JoinPath(bin, "libdvdauthor.so"), folder.File("libTormux.so"));
    fs::copy_file(JoinPath(bin, "libTormux.so"), folder.File("libdvdauthor.so"));
    const std::string work = folder.File("work") + "/";
    ForceDirectories(work);
    WriteText(work + "clip.mpg", "video");
    WriteText(work + "clip.ac3", "audio");
    std::string output;
    ASSERT_EQ(outsidetest::Run({helper, work}, &output), 0);
    // The helper prints each posted message as "message wparam lparam reason".
    const auto muxFailed = [](int argc) {
        return std::to_string(MSG_MUX_DONE) + " " + std::to_string(kMuxFailed) + " " + std::to_string(argc) +
               " Tormux.dll lacks MPlex or MUXGetPosition\n";
    };
    EXPECT_EQ(output, muxFailed(kMuxDvdArgc) + muxFailed(kMuxCdArgc) + muxFailed(kMuxCdArgc) +
                          std::to_string(MSG_AUTHOR_DONE) + " 0 " + IntToStr(kAuthorLibraryMissing) +
                          " Can't GetProaddress\nload 0 1 Can't GetProaddress\n");
    EXPECT_TRUE(FileExists(work + "clip.mpg"));
    EXPECT_TRUE(FileExists(work + "clip.ac3"));
}

TEST_F(WorkerTest, OtherJobCodesDoNothing)
{
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    for (int code : {99, kJobIdle, 202, 212})
        worker->JobCode = code;
    EXPECT_EQ(r.Next(500).message, 0u);
    EXPECT_EQ(worker->JobCode.load(), 212);
}

TEST_F(WorkerTest, NoOwnerWindowNoMessage)
{
    Streams s = MakeStreams(work_, Disc::Vcd, 1.0, "clip");
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->OwnerWindow = nullptr;   // the run was stopped
    worker->StartMux(3, work_ + "clip.mpg", s.video, s.audio);
    EXPECT_TRUE(WaitUntil([&] { return worker->JobCode.load() == kJobIdle; }, 60000));
    EXPECT_TRUE(FileExists(work_ + "clip.mpg"));
    EXPECT_EQ(r.Next(300).message, 0u);
}

// The run windows' way: a self-freeing global worker, let go when stopped
// in the middle of a job and when its job is done.
TEST_F(WorkerTest, StoppedRunGetsNoLateMessageAndTheWorkerFreesItself)
{
    OutputFolder fakeFolder("keldara-fake-mplex");
    ForceDirectories(fakeFolder.File("bin"));
    FakePrograms fakes(fakeFolder.File("bin"));
    const std::string pidFile = fakeFolder.File("pid");
    fakes.Add("mplex", "echo $$ > '" + pidFile + "'\nexec sleep 60\n");
    Streams s = MakeStreams(work_, Disc::DvdPal, 1.0, "clip");
    Receiver r;
    std::atomic<bool> gone{false};
    handleMovieThread = new HandleMovieThread(true, r.Handle());
    handleMovieThread->OnTerminate = [&](TObject*) { gone = true; };
    handleMovieThread->Resume();
    handleMovieThread->StartMux(1, work_ + "clip.vob", s.video, s.audio);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(pidFile) && !ReadText(pidFile).empty(); }, 20000));
    const int pid = std::atoi(ReadText(pidFile).c_str());
    ReleaseHandleMovieThread(true);
    EXPECT_EQ(handleMovieThread, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return gone.load(); }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(pid); }, 5000));
    EXPECT_EQ(r.Next(300).message, 0u);
    EXPECT_TRUE(FileExists(s.video));
    EXPECT_TRUE(FileExists(s.audio));
    ReleaseHandleMovieThread(true);   // none left: nothing happens

    // A finished job's message arrives; the handler then lets the worker go.
    gone = false;
    fakes.Add("mplex", "exit 1\n");
    handleMovieThread = new HandleMovieThread(true, r.Handle());
    handleMovieThread->OnTerminate = [&](TObject*) { gone = true; };
    handleMovieThread->Resume();
    handleMovieThread->StartMux(1, work_ + "clip.vob", s.video, s.audio);
    const Posted p = r.Next(20000);
    EXPECT_EQ(p.message, MSG_MUX_DONE);
    EXPECT_EQ(p.w, kMuxFailed);
    ReleaseHandleMovieThread(false);
    EXPECT_TRUE(WaitUntil([&] { return gone.load(); }, 20000));
}

// Let go before a new job's worker is made, an old worker's job runs to its
// end uncancelled, but its message never reaches the window.
TEST_F(WorkerTest, WorkerLetGoInAJobFinishesItUnheard)
{
    OutputFolder fakeFolder("keldara-fake-mplex");
    ForceDirectories(fakeFolder.File("bin"));
    FakePrograms fakes(fakeFolder.File("bin"));
    const std::string started = fakeFolder.File("started"), ended = fakeFolder.File("ended");
    fakes.Add("mplex", "touch '" + started + "'\nsleep 1\ntouch '" + ended + "'\nexit 1\n");
    Streams s = MakeStreams(work_, Disc::DvdPal, 1.0, "clip");
    Receiver r;
    std::atomic<bool> gone{false};
    handleMovieThread = new HandleMovieThread(true, r.Handle());
    handleMovieThread->OnTerminate = [&](TObject*) { gone = true; };
    handleMovieThread->Resume();
    handleMovieThread->StartMux(1, work_ + "clip.vob", s.video, s.audio);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(started); }, 20000));
    ReleaseHandleMovieThread(false);
    EXPECT_TRUE(WaitUntil([&] { return gone.load(); }, 20000));
    EXPECT_TRUE(FileExists(ended));
    EXPECT_EQ(r.Next(300).message, 0u);
}

TEST_F(WorkerTest, OneTitleDiscWithoutMenuIsAuthored)
{
    AddClip("movie");
    MuxVob(work_, "movie", 3.0);
    AuthorXmlRun run;
    run.ClipCount = 1;
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run)) << run.ErrorText;
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->WithMenu = false;
    worker->JobCode = kJobAuthor;
    const Posted p = r.Next();
    EXPECT_EQ(p.message, MSG_AUTHOR_DONE);
    EXPECT_EQ(p.l, AUTHOR_OK) << worker->LastErrorText;
    const auto titles = ReadDisc(run.Dest);
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_GE(titles[0].chapters, 1);
}

TEST_F(WorkerTest, TitleMenuDiscIsAuthoredThroughTheMenuSpumux)
{
    AddClip("one");
    AddClip("two", 1);
    MuxVob(work_, "one", 2.0);
    MuxVob(work_, "two", 2.0);
    const std::string still = MuxVob(work_, "Title", 1.0);
    std::string menuXml;
    MakeMenu(work_, still, work_ + "TitleSub.vob", 2, &menuXml);
    AuthorXmlRun run;
    run.ClipCount = 2;
    run.WithMenu = true;
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run)) << run.ErrorText;
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->MenuXmlPath = menuXml;
    worker->JobCode = kJobAuthor;
    const Posted p = r.Next();
    EXPECT_EQ(p.message, MSG_AUTHOR_DONE);
    EXPECT_EQ(p.l, AUTHOR_OK) << worker->LastErrorText;
    EXPECT_FALSE(FileExists(work_ + "TitleSub.vob"));   // the job's own intermediate
    EXPECT_EQ(ReadDisc(run.Dest).size(), 2u);
}

TEST_F(WorkerTest, ConvertLayoutIsAcceptedByDvdauthor)
{
    AddClip("one");
    MuxVob(work_, "one", 2.0);
    const std::string still = MuxVob(work_, "Title", 1.0);
    std::string menuXml;
    MakeMenu(work_, still, work_ + "TitleSub.vob", 1, &menuXml);
    AuthorXmlRun run;
    run.ClipCount = 1;
    run.WithMenu = true;
    ASSERT_TRUE(WriteConvertAuthorXml(run));
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->MenuXmlPath = menuXml;
    worker->JobCode = kJobAuthor;
    const Posted p = r.Next();
    EXPECT_EQ(p.l, AUTHOR_OK) << worker->LastErrorText;
    EXPECT_EQ(ReadDisc(run.Dest).size(), 1u);
}

TEST_F(WorkerTest, ChapterMenuDiscHasItsChaptersWhereAsked)
{
    TQV_MovieImage* a = AddClip("a");
    TQV_MovieImage* b = AddClip("b");
    MuxVob(work_, "a", 6.0);
    MuxVob(work_, "b", 5.0);
    a->EndPoint = 6.0;
    b->StartPoint = 1.0;   // the encoder started this title one second in
    b->EndPoint = 6.0;
    AddChapters(a, {0, 2, 4});
    AddChapters(b, {0, 3.5, 9});   // 3.5 s of the clip is 2 s into the title; 9 is past its end
    // Title page with 1 + 2 buttons, chapter pages with 1 + 3 buttons each, main menu with 2.
    const std::string still = MuxVob(work_, "Title", 1.0);
    std::string menuXml;
    MakeMenu(work_, still, work_ + "TitleSub.vob", 3, &menuXml);
    for (int k = 0; k < 2; ++k) {
        const std::string page = MuxVob(work_, "Chapter_" + IntToStr(k), 1.0);
        MakeMenu(work_, page, work_ + "ChapterSub_" + IntToStr(k) + ".vob", 4);
    }
    const std::string main = MuxVob(work_, "main", 1.0);
    MakeMenu(work_, main, program_ + "MainSubP.vob", 2);
    AuthorXmlRun run;
    run.ClipCount = 2;
    run.WithMenu = true;
    ASSERT_TRUE(WriteChapterMenuAuthorXml(run)) << run.ErrorText;
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->MenuXmlPath = menuXml;
    worker->JobCode = kJobAuthor;
    const Posted p = r.Next();
    ASSERT_EQ(p.l, AUTHOR_OK) << worker->LastErrorText << "\n" << Read(AuthorXmlPath());
    const auto titles = ReadDisc(run.Dest);
    ASSERT_EQ(titles.size(), 2u);
    ASSERT_EQ(titles[0].starts.size(), 3u);
    EXPECT_NEAR(titles[0].starts[1], 2.0, 0.6);
    EXPECT_NEAR(titles[0].starts[2], 4.0, 0.6);
    ASSERT_EQ(titles[1].starts.size(), 2u);
    EXPECT_NEAR(titles[1].starts[1], 2.0, 0.6);
}

TEST_F(WorkerTest, FailedAuthorRunIsReportedAsFailure)
{
    AddClip("movie");
    MuxVob(work_, "movie", 2.0);
    AuthorXmlRun run;
    run.ClipCount = 1;
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run));
    DeleteFile(work_ + "movie.vob");   // gone before dvdauthor reads it
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->WithMenu = false;
    worker->JobCode = kJobAuthor;
    const Posted p = r.Next();
    EXPECT_EQ(p.message, MSG_AUTHOR_DONE);
    EXPECT_NE(p.l, AUTHOR_OK);
    EXPECT_FALSE(worker->LastErrorText.empty());
    EXPECT_EQ(worker->VobProgress(), 0);   // the counter is dropped with the library
}

TEST_F(WorkerTest, CancelKillsTheAuthoringProgram)
{
    OutputFolder fakeFolder("keldara-fake-dvdauthor");
    ForceDirectories(fakeFolder.File("bin"));
    FakePrograms fakes(fakeFolder.File("bin"));
    const std::string pidFile = fakeFolder.File("pid");
    fakes.Add("dvdauthor", "echo $$ > '" + pidFile + "'\nexec sleep 60\n");
    AddClip("movie");
    Touch(work_ + "movie.vob", 4096);
    AuthorXmlRun run;
    run.ClipCount = 1;
    ASSERT_TRUE(WriteTitleMenuAuthorXml(run));
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->WithMenu = false;
    worker->JobCode = kJobAuthor;
    ASSERT_TRUE(WaitUntil([&] { return FileExists(pidFile) && !ReadText(pidFile).empty(); }, 20000));
    const int pid = std::atoi(ReadText(pidFile).c_str());
    ASSERT_TRUE(ProcessAlive(pid));
    worker->Cancel();
    const Posted p = r.Next(20000);
    EXPECT_EQ(p.message, MSG_AUTHOR_DONE);
    EXPECT_EQ(p.l, AUTHOR_CANCELLED);
    EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(pid); }, 5000));
}

TEST_F(WorkerTest, CancelKillsTheMultiplexer)
{
    OutputFolder fakeFolder("keldara-fake-mplex");
    ForceDirectories(fakeFolder.File("bin"));
    FakePrograms fakes(fakeFolder.File("bin"));
    const std::string pidFile = fakeFolder.File("pid");
    fakes.Add("mplex", "echo $$ > '" + pidFile + "'\nexec sleep 60\n");
    Streams s = MakeStreams(work_, Disc::DvdPal, 1.0, "clip");
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->StartMux(1, work_ + "clip.vob", s.video, s.audio);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(pidFile) && !ReadText(pidFile).empty(); }, 20000));
    const int pid = std::atoi(ReadText(pidFile).c_str());
    EXPECT_TRUE(worker->MuxRunning.load());
    worker->Cancel();
    const Posted p = r.Next(20000);
    EXPECT_EQ(p.message, MSG_MUX_DONE);
    EXPECT_EQ(p.w, kMuxFailed);
    EXPECT_TRUE(FileExists(s.video));
    EXPECT_TRUE(FileExists(s.audio));
    EXPECT_TRUE(WaitUntil([&] { return !ProcessAlive(pid); }, 5000));
}

TEST(AuthorLibraryBinding, ProgressIsZeroWithoutALoadedLibrary)
{
    AuthorLibrary lib;
    EXPECT_EQ(lib.ReadProgress(), 0);
    lib.Cancel();   // nothing loaded: nothing to reach
    EXPECT_EQ(lib.AuthorMain("/nowhere.xml"), kAuthorLibraryMissing);
    ASSERT_TRUE(lib.Load(AuthorLibrary::Counter::VobsMB)) << lib.LastError();
    EXPECT_FALSE(lib.EntryMissing());
    EXPECT_EQ(lib.ReadProgress(), 0);
    EXPECT_EQ(lib.AuthorMain("/nowhere/Author.xml"), AUTHOR_MISSING_INPUT);
    EXPECT_FALSE(lib.LastError().empty());
    lib.Free();
    EXPECT_EQ(lib.ReadProgress(), 0);
}

TEST(AuthorProgress, NeverDividesByZeroAndStaysInRange)
{
    EXPECT_EQ(AuthorProgressPercent(0, 0), 0);
    EXPECT_EQ(AuthorProgressPercent(3, 0), 0);
    EXPECT_EQ(AuthorProgressPercent(5, 10), 50);
    EXPECT_EQ(AuthorProgressPercent(12, 10), 100);   // dvdauthor writes more than the titles hold
    EXPECT_EQ(AuthorProgressPercent(2000000000, 2000000001), 99);
}

// The main-menu streams delivered with the program: a menu still with its two
// buttons' subpictures for each TV standard, taken by dvdauthor as the vmgm
// menu of a disc of that standard.
TEST_F(WorkerTest, DeliveredMainMenuStreamsSuitTheirStandard)
{
    const char* bin = std::getenv("KELDARA_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    for (const bool pal : {true, false}) {
        const std::string stream = JoinPath(bin, pal ? "MainSubP.vob" : "MainSubN.vob");
        std::string probe;
        const std::vector<std::string> ffprobe = {
            "ffprobe", "-v", "error", "-show_entries", "stream=codec_name,width,height,display_aspect_ratio,r_frame_rate",
            "-of", "csv=p=0", stream};
        ASSERT_EQ(outsidetest::Run(ffprobe, &probe), 0);
        EXPECT_NE(probe.find(pal ? "mpeg2video,720,576,4:3,25/1" : "mpeg2video,720,480,4:3,30000/1001"),
                  std::string::npos)
            << probe;
        EXPECT_NE(probe.find("dvd_subtitle"), std::string::npos) << probe;
        // The menu that plays it names two buttons: the stream holds exactly two.
        const std::string spu = work_ + "spu" + (pal ? "P" : "N");
        ForceDirectories(spu);
        ASSERT_EQ(outsidetest::Run({"spuunmux", "-o", spu + "/sp", stream}), 0);
        const std::string subpictures = ReadText(spu + "/sp.xml");
        int buttons = 0;
        for (std::size_t at = subpictures.find("<button "); at != std::string::npos;
             at = subpictures.find("<button ", at + 1))
            ++buttons;
        EXPECT_EQ(buttons, 2) << subpictures;

        const std::string tag = pal ? "P" : "N";
        const Streams s = MakeStreams(work_, pal ? Disc::DvdPal : Disc::DvdNtsc, 1.0, "title" + tag);
        Receiver r;
        auto mux = MakeWorker(r.Handle());
        mux->StartMux(1, work_ + "title" + tag + ".vob", s.video, s.audio);
        ASSERT_EQ(r.Next().w, 1u) << mux->LastErrorText;
        const std::string dest = work_ + "disc" + tag;
        WriteText(AuthorXmlPath(),
                  "<dvdauthor dest=\"" + XmlEscape(dest) + "\">\n  <vmgm>\n    <menus>\n      <pgc entry=\"title\">\n"
                  "        <vob file=\"" + XmlEscape(stream) + "\" pause=\"10\"/>\n"
                  "        <button> jump title 1 ;</button>\n        <button> jump title 1 ;</button>\n"
                  "      </pgc>\n    </menus>\n  </vmgm>\n  <titleset>\n    <titles>\n      <pgc>\n"
                  "        <vob file=\"" + XmlEscape(work_ + "title" + tag + ".vob") + "\"/>\n"
                  "      </pgc>\n    </titles>\n  </titleset>\n</dvdauthor>\n");
        auto author = MakeWorker(r.Handle());
        author->WithMenu = false;
        author->JobCode = kJobAuthor;
        const Posted p = r.Next();
        EXPECT_EQ(p.message, MSG_AUTHOR_DONE);
        EXPECT_EQ(p.l, AUTHOR_OK) << author->LastErrorText;
        EXPECT_EQ(ReadDisc(dest).size(), 1u);
    }
}

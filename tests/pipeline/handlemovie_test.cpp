// The multiplex/author worker with the real outside libraries: clips
// multiplexed and authored into discs read back with lsdvd, failures that
// keep their inputs and say so, idle job codes, and cancel killing the child.
#include "authorfixture.h"

#include "author/dvdauthorlib.h"
#include "mux/tormux.h"
#include "pipeline/authorlibrary.h"
#include "pipeline/authorxml.h"
#include "pipeline/handlemoviethread.h"
#include "rtl/sysutils.h"
#include "shell/xmltext.h"
#include "testmedia.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <thread>

using namespace outsidetest;

namespace {

struct Posted {
    UINT message = 0;
    WPARAM w = 0;
    LPARAM l = 0;
};

// A window on the test thread that records what the worker posts to it.
class Receiver {
public:
    Receiver() : hwnd_(AllocateHWnd(queue_, [this](UINT m, WPARAM w, LPARAM l) -> LRESULT {
                     got_.push_back({m, w, l});
                     return 0;
                 }))
    {
    }
    ~Receiver() { DeallocateHWnd(hwnd_); }
    HWND Handle() const { return hwnd_; }
    // The next message, or message 0 after timeoutMs.
    Posted Next(int timeoutMs = 180000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got_.empty() && std::chrono::steady_clock::now() < end) {
            MSG msg;
            if (queue_.Get(msg, 100) == GetResult::Message)
                DispatchMessage(msg);
        }
        if (got_.empty())
            return {};
        Posted p = got_.front();
        got_.erase(got_.begin());
        return p;
    }

private:
    MessageQueue queue_;
    HWND hwnd_;
    std::vector<Posted> got_;
};

// A worker the test owns and stops (the windows let theirs free themselves).
std::unique_ptr<HandleMovieThread> MakeWorker(HWND owner)
{
    auto worker = std::make_unique<HandleMovieThread>(false, owner);
    return worker;
}

std::string MuxVob(const std::string& folder, const std::string& name, double seconds)
{
    Streams s = MakeStreams(folder, Disc::DvdPal, seconds, name);
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    worker->StartMux(1, JoinPath(folder, name + ".vob"), s.video, s.audio);
    const Posted p = r.Next();
    if (p.message != MSG_MUX_DONE || p.w != 1)
        throw std::runtime_error("the test title could not be multiplexed: " + worker->LastErrorText);
    return JoinPath(folder, name + ".vob");
}

// A menu stream with `buttons` buttons stacked down the page.
void MakeMenu(const std::string& folder, const std::string& still, const std::string& out, int buttons,
              std::string* xmlOut = nullptr)
{
    std::string boxes, xmlButtons;
    for (int i = 0; i < buttons; ++i) {
        const int y = 20 + i * 44;
        boxes += Format("%sdrawbox=x=100:y=%d:w=200:h=36:color=0x0000ff:t=fill", i ? "," : "", y);
        xmlButtons += Format("    <button x0=\"100\" y0=\"%d\" x1=\"300\" y1=\"%d\"/>\n", y, y + 36);
    }
    const std::string stem = JoinPath(folder, ExtractFileName(out));
    const std::string highlight = stem + "_highlight.png", select = stem + "_select.png";
    for (const auto& [png, colour] : {std::pair{highlight, "0x0000ff"}, std::pair{select, "0xff0000"}})
        if (Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "color=c=0x010101:s=720x576", "-vf",
                 StringReplace(boxes, "0x0000ff", colour, rfReplaceAll), "-frames:v", "1", "-pix_fmt", "rgb24",
                 png}) != 0)
            throw std::runtime_error("ffmpeg could not draw the menu masks");
    const std::string xml = stem + ".xml";
    WriteText(xml, "<subpictures>\n  <stream>\n    <spu start=\"00:00:00.0\" end=\"00:00:00.0\"\n"
                   "         highlight=\"" + XmlEscape(highlight) + "\"\n         select=\"" + XmlEscape(select) +
                       "\"\n         transparent=\"010101\" force=\"yes\" >\n" + xmlButtons +
                       "    </spu>\n  </stream>\n</subpictures>\n");
    if (xmlOut) {
        *xmlOut = xml;
        return;
    }
    AuthorLibrary lib;
    if (!lib.Load(AuthorLibrary::Counter::SubtitlePercent) || lib.SpumuxMain(xml, still, out) != AUTHOR_OK)
        throw std::runtime_error("menu spumux failed: " + lib.LastError());
}

struct DiscTitle {
    int chapters = 0;
    std::vector<double> starts;
};

double Seconds(const std::string& hms)
{
    int h = 0, m = 0;
    double s = 0;
    std::sscanf(hms.c_str(), "%d:%d:%lf", &h, &m, &s);
    return h * 3600 + m * 60 + s;
}

std::vector<DiscTitle> ReadDisc(const std::string& dest)
{
    std::string text;
    if (Run({"lsdvd", "-c", dest}, &text) != 0)
        return {};
    std::vector<DiscTitle> titles;
    std::istringstream lines(text);
    double start = 0;
    for (std::string line; std::getline(lines, line);) {
        line = Trim(line);
        if (line.starts_with("Title:")) {
            titles.emplace_back();
            start = 0;
        } else if (line.starts_with("Chapter:") && !titles.empty()) {
            titles.back().starts.push_back(start);
            titles.back().chapters++;
            if (std::size_t l = line.find("Length: "); l != std::string::npos)
                start += Seconds(line.substr(l + 8, 12));
        }
    }
    return titles;
}

class WorkerTest : public AuthorRunTest {
protected:
    void SetUp() override
    {
        AuthorRunTest::SetUp();
        if (const char* keep = std::getenv("KELDARA_KEEP_TEST_OUTPUT"); keep && std::string(keep) == "1") {
            // Discs stay for a person to open: the working folder moves to one that is kept.
            kept_ = std::make_unique<OutputFolder>("keldara-disc");
            work_ = kept_->File("Work & \"Play\" 'Ünï'") + "/";
            ForceDirectories(work_);
            s_WorkFolderPath = work_;
        }
    }
    std::unique_ptr<OutputFolder> kept_;
};

} // namespace

TEST_F(WorkerTest, MultiplexDeletesInputsOnlyAfterSuccess)
{
    Streams s = MakeStreams(work_, Disc::Svcd, 2.0, "clip");
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    const std::string out = work_ + "clip.mpg";
    worker->StartMux(2, out, s.video, s.audio);
    Posted p = r.Next();
    EXPECT_EQ(p.message, MSG_MUX_DONE);
    EXPECT_EQ(p.w, 1u);
    EXPECT_EQ(p.l, 7);
    EXPECT_EQ(worker->Argv.size(), 9u);
    EXPECT_EQ(worker->Argv[2], "4");
    EXPECT_TRUE(FileExists(out));
    EXPECT_FALSE(FileExists(s.video));
    EXPECT_FALSE(FileExists(s.audio));
    EXPECT_EQ(worker->JobCode.load(), 100);
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
    EXPECT_EQ(p.w, 0u);
    EXPECT_EQ(p.l, 9);
    EXPECT_TRUE(FileExists(s.video));
    EXPECT_FALSE(FileExists(work_ + "clip.vob"));
    EXPECT_FALSE(worker->LastErrorText.empty());
}

TEST_F(WorkerTest, OtherJobCodesDoNothing)
{
    Receiver r;
    auto worker = MakeWorker(r.Handle());
    for (int code : {99, 100, 202, 212})
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
    for (int i = 0; i < 600 && worker->JobCode.load() != 100; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(worker->JobCode.load(), 100);
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
    worker->JobCode = 210;
    const Posted p = r.Next();
    EXPECT_EQ(p.message, MSG_AUTHOR_DONE);
    EXPECT_EQ(p.l, 0) << worker->LastErrorText;
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
    worker->JobCode = 210;
    const Posted p = r.Next();
    EXPECT_EQ(p.message, MSG_AUTHOR_DONE);
    EXPECT_EQ(p.l, 0) << worker->LastErrorText;
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
    worker->JobCode = 210;
    const Posted p = r.Next();
    EXPECT_EQ(p.l, 0) << worker->LastErrorText;
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
    worker->JobCode = 210;
    const Posted p = r.Next();
    ASSERT_EQ(p.l, 0) << worker->LastErrorText << "\n" << Read(AuthorXmlPath());
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
    worker->JobCode = 210;
    const Posted p = r.Next();
    EXPECT_EQ(p.message, MSG_AUTHOR_DONE);
    EXPECT_NE(p.l, 0);
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
    worker->JobCode = 210;
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
    EXPECT_EQ(p.w, 0u);
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

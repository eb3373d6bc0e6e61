#include "pipeline/handlemoviethread.h"

#include "author/dvdauthorlib.h"
#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "mux/tormux.h"
#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "win32/dynlib.h"
#include "win32/progfolders.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <utility>

namespace {

bool IsMuxJob(int code)
{
    return std::find(std::begin(kMuxJobCodes), std::end(kMuxJobCodes), code) != std::end(kMuxJobCodes);
}

} // namespace

JobCodeField& JobCodeField::operator=(int code)
{
    {
        std::lock_guard lock(mutex_);
        code_.store(code);
    }
    changed_.notify_all();
    return *this;
}

int AuthorProgressPercent(int vobProgressMB, int authorTotalMB)
{
    if (authorTotalMB <= 0 || vobProgressMB <= 0)
        return 0;
    const long long percent = static_cast<long long>(vobProgressMB) * 100 / authorTotalMB;
    return percent > 100 ? 100 : static_cast<int>(percent);
}

HandleMovieThread::HandleMovieThread(bool createSuspended, HWND ownerWindow)
    : TThread(true), OwnerWindow(ownerWindow)
{
    FreeOnTerminate = createSuspended;
    if (!createSuspended)
        Start();
}

HandleMovieThread::~HandleMovieThread()
{
    if (!FreeOnTerminate) {
        Terminate();
        Cancel();
        try {
            WaitFor();
        } catch (const std::exception&) {
        }
    }
}

void HandleMovieThread::StartMux(int OutputType, const std::string& output, const std::string& video,
                                 const std::string& audio)
{
    // The multiplexer's format: 4 SVCD, 1 VCD, 8 DVD (with two more arguments).
    const bool cd = OutputType == 2 || OutputType == 3;
    Argc = cd ? kMuxCdArgc : kMuxDvdArgc;
    FormatText.assign(1, OutputType == 2 ? '4' : OutputType == 3 ? '1' : '8');
    OutputPath = output;
    VideoPath = video;
    AudioPath = audio;
    JobCode = kJobMux;
}

void HandleMovieThread::Cancel()
{
    cancelled_ = true;
    {
        std::lock_guard lock(muxMutex_);
        if (muxCancel_)
            muxCancel_();
    }
    author_.Cancel();
}

int HandleMovieThread::MuxPosition() const
{
    std::lock_guard lock(muxMutex_);
    return muxGetPosition_ && MuxRunning ? muxGetPosition_() : 0;
}

int HandleMovieThread::VobProgress() const
{
    return author_.ReadProgress();
}

void HandleMovieThread::ClearOwnerWindow()
{
    std::lock_guard lock(ownerMutex_);
    OwnerWindow = nullptr;
}

void HandleMovieThread::Post(UINT message, WPARAM w, LPARAM l)
{
    std::lock_guard lock(ownerMutex_);
    if (HWND owner = OwnerWindow.load())
        PostMessage(owner, message, w, l);
}

void ReleaseHandleMovieThread(bool stopRun)
{
    HandleMovieThread* worker = std::exchange(handleMovieThread, nullptr);
    if (!worker)
        return;
    // A worker let go never reaches the window again: a late message of an
    // old job would read as the answer to the next one.
    worker->ClearOwnerWindow();
    if (stopRun)
        worker->Cancel();
    // Last: a free-on-terminate worker may delete itself from here on.
    worker->Terminate();
}

void HandleMovieThread::Execute()
{
    // Every 100 ms, or as soon as a job is set, the worker acts on the job code.
    const auto isJob = [](int code) { return IsMuxJob(code) || code == kJobAuthor; };
    while (!Terminated()) {
        const int job = JobCode.WaitFor(isJob, 100);
        if (!isJob(job))
            continue;
        // Whatever goes wrong, the window still hears that the job ended.
        try {
            if (job == 210)
                AuthorJob();
            else
                MuxJob();
        } catch (const std::exception& e) {
            LastErrorText = e.what();
            JobCode = kJobIdle;
            if (job == 210)
                Post(MSG_AUTHOR_DONE, 0, AUTHOR_FAILED);
            else
                Post(MSG_MUX_DONE, kMuxFailed, kMuxAborted);
        }
    }
}

void HandleMovieThread::MuxJob()
{
    Library library("Tormux.dll");
    auto mplex = library.Symbol<TMPlex>("MPlex");
    auto position = library.Symbol<TMUXGetPosition>("MUXGetPosition");
    auto cancel = library.Symbol<TMUXCancel>("MUXCancel");
    auto lastError = library.Symbol<TMUXLastError>("MUXLastError");
    if (!library.Loaded() || !mplex || !position) {
        LastErrorText = library.Loaded() ? "Tormux.dll lacks MPlex or MUXGetPosition" : LastLibraryError();
        JobCode = kJobIdle;
        Post(MSG_MUX_DONE, kMuxFailed, Argc);
        return;
    }
    {
        std::lock_guard lock(muxMutex_);
        muxGetPosition_ = position;
        muxCancel_ = cancel;
    }
    Argv = {"Keldara.exe", "-f", FormatText, "-o", OutputPath, VideoPath, AudioPath, "-O", "0"};
    std::vector<char*> argv;
    for (int i = 0; i < Argc; ++i)
        argv.push_back(Argv[static_cast<std::size_t>(i)].data());
    argv.push_back(nullptr);
    DeleteFile(OutputPath);
    int result = MUX_FAILED;
    bool thrown = false;
    MuxRunning = true;
    if (cancelled_) {
        result = MUX_CANCELLED;
    } else {
        try {
            result = mplex(Argc, argv.data());
        } catch (...) {
            thrown = true;
        }
    }
    MuxRunning = false;
    LastErrorText = result == MUX_OK || !lastError ? "" : lastError();
    {
        std::lock_guard lock(muxMutex_);
        muxGetPosition_ = nullptr;
        muxCancel_ = nullptr;
    }
    library.Free();
    JobCode = kJobIdle;
    if (thrown) {
        Post(MSG_MUX_DONE, kMuxFailed, kMuxAborted);
        return;
    }
    // The encoder outputs go only once the program stream is really there.
    const bool ok = result == MUX_OK && FileExists(OutputPath);
    if (ok) {
        DeleteFile(VideoPath);
        DeleteFile(AudioPath);
    } else if (LastErrorText.empty()) {
        LastErrorText = "the multiplexer failed (" + IntToStr(result) + ")";
    }
    Post(MSG_MUX_DONE, ok ? kMuxSucceeded : kMuxFailed, Argc);
}

void HandleMovieThread::AuthorJob()
{
    const std::string title = s_WorkFolderPath + "Title.vob";
    const std::string titleSub = s_WorkFolderPath + "TitleSub.vob";
    DeleteFile(titleSub);
    int result = AUTHOR_OK;
    if (!author_.Load(AuthorLibrary::Counter::VobsMB)) {
        result = kAuthorLibraryMissing;
    } else if (cancelled_) {
        result = AUTHOR_CANCELLED;
    } else {
        if (WithMenu)
            result = author_.SpumuxMain(MenuXmlPath, title, titleSub);
        if (result == AUTHOR_OK)
            result = author_.AuthorMain(ProgramFolder() + "RES/Author.xml");
    }
    LastErrorText = author_.LastError();
    author_.Free();
    JobCode = kJobIdle;
    DeleteFile(titleSub);
    Post(MSG_AUTHOR_DONE, 0, result);
}

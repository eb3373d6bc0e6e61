#include "pipeline/qv_spumuxthread.h"

#include "author/dvdauthorlib.h"
#include "pipeline/runmessages.h"

#include <exception>
#include <utility>

SpumuxJob::SpumuxJob(HWND ownerWindow, std::string xml, std::string input, std::string output)
    : XmlPath(std::move(xml)), InputPath(std::move(input)), OutputPath(std::move(output)), owner_(ownerWindow)
{
}

void SpumuxJob::Cancel()
{
    // The flag first: a job that loads the library after this sees it, and
    // one that loaded it before is stopped by the library's cancel, which
    // also refuses its later calls.
    cancelled_ = true;
    library_.Cancel();
}

void SpumuxJob::ClearOwnerWindow()
{
    std::lock_guard lock(mutex_);
    owner_ = nullptr;
}

std::string SpumuxJob::Error() const
{
    std::lock_guard lock(mutex_);
    return error_;
}

void SpumuxJob::Run()
{
    try {
        if (!library_.Load(AuthorLibrary::Counter::SubtitlePercent)) {
            Finish(kAuthorLibraryMissing, library_.LastError());
        } else if (cancelled_) {
            library_.Free();
            Finish(AUTHOR_CANCELLED, "spumux was stopped");
        } else {
            const int result = library_.SpumuxMain(XmlPath, InputPath, OutputPath);
            std::string error = library_.LastError();
            library_.Free();
            Finish(result, std::move(error));
        }
    } catch (const std::exception& e) {
        library_.Free();
        Finish(AUTHOR_FAILED, e.what());
    } catch (...) {
        library_.Free();
        Finish(AUTHOR_FAILED, "spumux failed");
    }
}

void SpumuxJob::Finish(int result, std::string error)
{
    std::lock_guard lock(mutex_);
    error_ = std::move(error);
    result_ = result;
    finished_ = true;
    if (owner_) PostMessage(owner_, MSG_SPUMUX_DONE, 0, 0);
}

TQV_SpumuxThread::TQV_SpumuxThread(bool createSuspended, std::shared_ptr<SpumuxJob> job)
    : TThread(true), job_(std::move(job))
{
    FreeOnTerminate = true;
    if (!createSuspended) Start();
}

void TQV_SpumuxThread::Execute() { job_->Run(); }

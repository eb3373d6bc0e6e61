// A helper program of the worker tests. Copied into a folder whose
// "Tormux.dll" and "dvdauthor.dll" lack their entries, it runs a multiplex job
// of each disc kind and an author job, and prints what each worker posted:
// one "message wparam lparam reason" line per job, then whether the authoring
// library loads and lacks an entry.
#include "base/burnpubfunction.h"
#include "pipeline/authorlibrary.h"
#include "pipeline/handlemoviethread.h"
#include "win32/messages.h"
#include "win32/progfolders.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s working-folder/\n", argv[0]);
        return 2;
    }
    const std::string work = argv[1];
    s_WorkFolderPath = work;
    SetProgramFolder(work);

    struct Posted {
        UINT message = 0;
        WPARAM w = 0;
        LPARAM l = 0;
    };
    MessageQueue queue;
    std::vector<Posted> got;
    HWND window = AllocateHWnd(queue, [&got](UINT m, WPARAM w, LPARAM l) -> LRESULT {
        got.push_back({m, w, l});
        return 0;
    });
    auto next = [&] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (got.empty() && std::chrono::steady_clock::now() < end) {
            MSG msg;
            if (queue.Get(msg, 100) == GetResult::Message)
                DispatchMessage(msg);
        }
        Posted p = got.empty() ? Posted{} : got.front();
        if (!got.empty())
            got.erase(got.begin());
        return p;
    };
    auto print = [](const Posted& p, const HandleMovieThread& worker) {
        std::printf("%u %ld %ld %s\n", p.message, static_cast<long>(p.w), static_cast<long>(p.l),
                    worker.LastErrorText.c_str());
    };

    for (int type : {1, 2, 3}) {
        HandleMovieThread worker(false, window);
        worker.StartMux(type, work + "out.vob", work + "clip.mpg", work + "clip.ac3");
        print(next(), worker);
    }
    {
        HandleMovieThread worker(false, window);
        worker.MenuXmlPath = work + "menu.xml";
        worker.JobCode = kJobAuthor;
        print(next(), worker);
    }
    {
        // The chapter pages' way: the library loads, an entry is missing.
        AuthorLibrary library;
        const bool loaded = library.Load(AuthorLibrary::Counter::SubtitlePercent);
        std::printf("load %d %d %s\n", loaded ? 1 : 0, library.EntryMissing() ? 1 : 0, library.LastError().c_str());
    }
    DeallocateHWnd(window);
    return 0;
}

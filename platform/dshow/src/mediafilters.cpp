// The layer's own filters live in the decoding engine's module, which links
// FFmpeg; it is loaded only by the processes that use the filters, and its
// filters register themselves as it loads.
#include "dshow/mediafilters.h"
#include "dshow/videosurface.h"

#include <cstdio>
#include <dlfcn.h>
#include <mutex>
#include <string>

namespace {

// Found beside this library (its run path is its own folder).
constexpr const char* kFilterModule = "libdshow_filters.so";

std::mutex g_surfaceMutex;
VideoSurfaceFactory g_surfaceFactory;

} // namespace

bool RegisterMediaFilters()
{
    static const bool loaded = [] {
        // Kept for the life of the process: the registered classes are its code.
        // Named by its full path beside this library: a sanitizer that wraps
        // dlopen would otherwise search its own run path instead of ours.
        Dl_info self{};
        if (::dladdr(reinterpret_cast<void*>(&RegisterMediaFilters), &self) && self.dli_fname) {
            std::string path = self.dli_fname;
            path = path.substr(0, path.find_last_of('/') + 1) + kFilterModule;
            if (::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return true;
        }
        if (::dlopen(kFilterModule, RTLD_NOW | RTLD_LOCAL)) return true;
        const char* why = ::dlerror();
        std::fprintf(stderr, "The media filters cannot be loaded: %s\n", why ? why : kFilterModule);
        return false;
    }();
    return loaded;
}

VideoSurfaceFactory SetVideoSurfaceFactory(VideoSurfaceFactory factory)
{
    std::lock_guard lock(g_surfaceMutex);
    std::swap(g_surfaceFactory, factory);
    return factory;
}

std::unique_ptr<VideoSurface> CreateVideoSurface(IVideoFrameAccess* renderer)
{
    std::lock_guard lock(g_surfaceMutex);
    return g_surfaceFactory ? g_surfaceFactory(renderer) : nullptr;
}

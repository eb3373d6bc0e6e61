// The layer's own filters live in the decoding engine's module, which links
// FFmpeg; it is loaded only by the processes that use the filters, and its
// filters register themselves as it loads.
#include "dshow/mediafilters.h"
#include "dshow/videosurface.h"

#include <cstdio>
#include <dlfcn.h>
#include <mutex>

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

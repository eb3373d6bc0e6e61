// Entry points of the DVD-writing engine: a table of engine handles.
#include "dvdwrite/dvdwrite_hwe.h"

#include "engine.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <mutex>

#define HWE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The open handles. When the library is freed with handles still open, their
// threads are stopped here, before the code they run goes away.
class HandleTable {
public:
    ~HandleTable()
    {
        std::map<int, std::shared_ptr<dvdwrite::Engine>> left;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            left.swap(engines_);
        }
        for (auto& [handle, engine] : left)
            engine->Shutdown();
    }

    int Open(std::vector<std::unique_ptr<dvdwrite::Writer>> writers)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        const int handle = next_++;   // never reused while the library is loaded
        engines_.emplace(handle, std::make_shared<dvdwrite::Engine>(handle, std::move(writers)));
        return handle;
    }

    std::shared_ptr<dvdwrite::Engine> Find(int handle)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        const auto it = engines_.find(handle);
        return it == engines_.end() ? nullptr : it->second;
    }

    std::shared_ptr<dvdwrite::Engine> Take(int handle)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        const auto it = engines_.find(handle);
        if (it == engines_.end())
            return nullptr;
        auto engine = it->second;
        engines_.erase(it);
        return engine;
    }

private:
    std::mutex mutex_;
    std::map<int, std::shared_ptr<dvdwrite::Engine>> engines_;
    int next_ = 1;
};

HandleTable g_handles;

// Runs body on the handle's engine; nothing crosses the C boundary.
template <class Body>
int WithEngine(int handle, Body body)
{
    try {
        if (auto engine = g_handles.Find(handle))
            return body(*engine);
        return HWE_BAD_HANDLE;
    } catch (const std::exception&) {
        return HWE_BAD_HANDLE;
    }
}

} // namespace

HWE_EXPORT int Hwe_Init(int, int, int* handle)
{
    if (!handle)
        return HWE_CANNOT_START;
    *handle = 0;
    try {
        std::vector<std::unique_ptr<dvdwrite::Writer>> writers;
        // A person who names an image file wants it first.
        if (auto image = dvdwrite::ImageFileWriterFromEnvironment())
            writers.push_back(std::move(image));
        for (auto& drive : dvdwrite::FindDriveWriters())
            writers.push_back(std::move(drive));
        if (writers.empty())
            return HWE_NO_WRITER;
        *handle = g_handles.Open(std::move(writers));
        return HWE_OK;
    } catch (const std::exception&) {
        return HWE_CANNOT_START;
    }
}

HWE_EXPORT int Hwe_Free(int handle)
{
    try {
        auto engine = g_handles.Take(handle);
        if (!engine)
            return HWE_BAD_HANDLE;
        engine->Shutdown();
        return HWE_OK;
    } catch (const std::exception&) {
        return HWE_BAD_HANDLE;   // the handle is gone from the table all the same
    }
}

HWE_EXPORT int Hwe_RegisterCallback(int handle, THweEventCallback callback, void* userData)
{
    return WithEngine(handle, [&](dvdwrite::Engine& e) {
        e.RegisterCallback(callback, userData);
        return HWE_OK;
    });
}

HWE_EXPORT int Hwe_GetDvdWritersCount(int handle)
{
    const int count = WithEngine(handle, [](dvdwrite::Engine& e) { return e.WriterCount(); });
    return count < 0 ? 0 : count;
}

HWE_EXPORT int Hwe_GetDvdWriterName(int handle, int index, char* buffer, int size)
{
    return WithEngine(handle, [&](dvdwrite::Engine& e) { return e.WriterName(index, buffer, size) ? 1 : 0; });
}

HWE_EXPORT int Hwe_SetWriter(int handle, int index)
{
    const int result = WithEngine(handle, [&](dvdwrite::Engine& e) { return e.SelectWriter(index) ? 1 : 0; });
    return result < 0 ? 0 : result;
}

HWE_EXPORT int Hwe_GetMediaStatus(int handle)
{
    const int status = WithEngine(handle, [](dvdwrite::Engine& e) { return e.MediaStatus(); });
    return status == HWE_BAD_HANDLE ? HWE_MEDIA_NO_WRITER : status;
}

HWE_EXPORT int Hwe_GetMediaType(int handle)
{
    const int type = WithEngine(handle, [](dvdwrite::Engine& e) { return e.MediaType(); });
    return type < 0 ? 0 : type;
}

HWE_EXPORT int Hwe_GetWriteSpeeds(int handle, int* speeds, int count)
{
    const int n = WithEngine(handle, [&](dvdwrite::Engine& e) { return e.WriteSpeeds(speeds, count); });
    if (n < 0 && speeds && count > 0)
        speeds[0] = 0;
    return n < 0 ? 0 : n;
}

HWE_EXPORT int Hwe_SetWriteSpeed(int handle, int speed)
{
    return WithEngine(handle, [&](dvdwrite::Engine& e) {
        e.SetWriteSpeed(speed);
        return HWE_OK;
    });
}

HWE_EXPORT int Hwe_StartWriting(int handle, const char* folder, const char* label)
{
    return WithEngine(handle, [&](dvdwrite::Engine& e) { return e.StartWriting(folder, label); });
}

HWE_EXPORT int Hwe_GetLastErrorText(int handle, char* buffer, int size)
{
    return WithEngine(handle, [&](dvdwrite::Engine& e) {
        const std::string text = e.LastError();
        if (buffer && size > 0) {
            const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size) - 1);
            std::memcpy(buffer, text.data(), length);
            buffer[length] = '\0';
        }
        return static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
    });
}

HWE_EXPORT int Hwe_AbortWrite(int handle)
{
    return WithEngine(handle, [](dvdwrite::Engine& e) {
        e.AbortWrite();
        return HWE_OK;
    });
}

HWE_EXPORT int Hwe_OpenTray(int handle)
{
    return WithEngine(handle, [](dvdwrite::Engine& e) {
        e.OpenTray();
        return HWE_OK;
    });
}

HWE_EXPORT int Hwe_CloseTray(int handle)
{
    return WithEngine(handle, [](dvdwrite::Engine& e) {
        e.CloseTray();
        return HWE_OK;
    });
}

// The rest of the set: bound by the program, never called.
#define HWE_UNSUPPORTED(name)                                                                                          \
    HWE_EXPORT int name(int) { return HWE_NOT_SUPPORTED; }

HWE_UNSUPPORTED(Hwe_GetDeviceName)
HWE_UNSUPPORTED(Hwe_GetWriteStatus)
HWE_UNSUPPORTED(Hwe_EmptyMediaSize)
HWE_UNSUPPORTED(Hwe_StartDataWriting)
HWE_UNSUPPORTED(Hwe_SetMediaToRom)
HWE_UNSUPPORTED(Hwe_GetWriterMode)
HWE_UNSUPPORTED(Hwe_SetWriterMode)
HWE_UNSUPPORTED(Hwe_GetLayerStatus)
HWE_UNSUPPORTED(Hwe_SetLogFile)
HWE_UNSUPPORTED(Hwe_GetDriveStatus)
HWE_UNSUPPORTED(Hwe_StartIsoWriting)
HWE_UNSUPPORTED(Hwe_GetEnablePolling)
HWE_UNSUPPORTED(Hwe_SetEnablePolling)
HWE_UNSUPPORTED(Hwe_StartStreamWriting)
HWE_UNSUPPORTED(Hwe_GetDualLayerWriteCapability)
HWE_UNSUPPORTED(Hwe_GetSendWebStats)
HWE_UNSUPPORTED(Hwe_SetSendWebStats)
HWE_UNSUPPORTED(Hwe_Blank)
HWE_UNSUPPORTED(Hwe_GetWriterSupportedMediaList)
HWE_UNSUPPORTED(Hwe_IsDvdWriter)
HWE_UNSUPPORTED(Hwe_GetDontAutoEject)
HWE_UNSUPPORTED(Hwe_SetDontAutoEject)
HWE_UNSUPPORTED(Hwe_GetPreferDVDRSao)
HWE_UNSUPPORTED(Hwe_SetPreferDVDRSao)
HWE_UNSUPPORTED(Hwe_GetSuitableMediaList)
HWE_UNSUPPORTED(Hwe_DmaEnabled)

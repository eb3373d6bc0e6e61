#pragma once
// What the sink server tests share: a private registry with both servers
// registered by the regsvr32 tool, silent audio, the FFmpeg filters, and a
// recording callback for each server.
#include "dshow/dshow.h"
#include "dshow/mediafilters.h"
#include "rtl/paths.h"
#include "sinkcontrol/sinkcontrol.h"
#include "testkit/tempfolder.h"
#include "win32/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

inline std::string BinDir()
{
    const char* dir = std::getenv("KELDARA_BIN_DIR");
    return dir ? dir : ".";
}

class SinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("KELDARA_REGISTRY", RegistryPath().c_str(), 1);
        setenv("KELDARA_AUDIO", "null", 1);
        CoInitialize(nullptr);
        RegisterMediaFilters();
        if (RegisterOnSetUp()) {
            ASSERT_TRUE(Regsvr32({"/s", "audio.dll"}).Succeeded());
            ASSERT_TRUE(Regsvr32({"/s", "video.dll"}).Succeeded());
        }
    }
    void TearDown() override
    {
        CoFreeUnusedLibraries();
        CoUninitialize();
    }
    virtual bool RegisterOnSetUp() const { return true; }

    std::string RegistryPath() const { return folder.File("registry"); }

    ProcessResult Regsvr32(std::vector<std::string> args) const
    {
        ProcessSpec spec;
        spec.argv = {JoinPath(BinDir(), "regsvr32")};
        spec.argv.insert(spec.argv.end(), args.begin(), args.end());
        spec.extraEnv = {{"KELDARA_REGISTRY", RegistryPath()}};
        spec.captureOutput = true;
        return RunProcess(spec, 30000);
    }

    template <class T>
    static ComPtr<T> Query(IUnknown* object, REFIID iid)
    {
        ComPtr<T> out;
        if (object) object->QueryInterface(iid, out.PutVoid());
        return out;
    }

    static ComPtr<IBaseFilter> MakeSink(REFCLSID clsid)
    {
        ComPtr<IBaseFilter> filter;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid()), S_OK);
        return filter;
    }

    static ComPtr<IPin> InputPin(IBaseFilter* filter)
    {
        ComPtr<IEnumPins> pins;
        if (!filter || FAILED(filter->EnumPins(pins.Put()))) return {};
        ComPtr<IPin> pin;
        if (pins->Next(1, pin.Put(), nullptr) != S_OK) return {};
        return pin;
    }

    testkit::TempFolder folder;
};

// Times and sizes of what reached a callback, in order.
struct Delivery {
    std::mutex mutex;
    std::vector<std::string> calls;          // "sample", "type", "detach"
    std::vector<REFERENCE_TIME> starts;
    std::vector<std::vector<BYTE>> firstBytes;   // a copy of each sample (video: whole frame)
    CMediaType type;
    long long bytes = 0;
    bool keepBytes = false;

    void Sample(IMediaSample* sample)
    {
        std::lock_guard lock(mutex);
        calls.push_back("sample");
        REFERENCE_TIME start = 0, stop = 0;
        if (SUCCEEDED(sample->GetTime(&start, &stop))) starts.push_back(start);
        bytes += sample->GetActualDataLength();
        if (keepBytes) {
            BYTE* data = nullptr;
            sample->GetPointer(&data);
            firstBytes.emplace_back(data, data + sample->GetActualDataLength());
        }
    }
    void Type(const AM_MEDIA_TYPE* mt)
    {
        std::lock_guard lock(mutex);
        calls.push_back("type");
        type = *mt;
    }
    void Detach()
    {
        std::lock_guard lock(mutex);
        calls.push_back("detach");
    }
    int Count(const std::string& what)
    {
        std::lock_guard lock(mutex);
        int n = 0;
        for (auto& c : calls) n += c == what;
        return n;
    }
};

class AudioRecorder final : public audiosink::SampleCallback {
public:
    HRESULT OnSample(IMediaSample* sample) override { record.Sample(sample); return S_OK; }
    HRESULT OnMediaType(const AM_MEDIA_TYPE* mt) override { record.Type(mt); return S_OK; }
    HRESULT OnDetach() override { record.Detach(); return S_OK; }
    Delivery record;
};

class VideoRecorder final : public videosink::SampleCallback {
public:
    HRESULT OnMediaType(const AM_MEDIA_TYPE* mt) override { record.Type(mt); return S_OK; }
    HRESULT OnSample(IMediaSample* sample) override { record.Sample(sample); return S_OK; }
    HRESULT OnDetach() override { record.Detach(); return S_OK; }
    Delivery record;
};

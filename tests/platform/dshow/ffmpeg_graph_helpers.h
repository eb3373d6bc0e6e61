#pragma once
// What the FFmpeg filter tests share: a private registry and silent audio per
// test, graphs over the synthetic clips, and lookups of filters and pins.
#include "dshow/dshow.h"
#include "dshow/mediafilters.h"
#include "dshow/videosurface.h"
#include "dshow/qedit.h"
#include "testkit/clips.h"
#include "testkit/tempfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

class FfmpegGraphTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("KELDARA_REGISTRY", folder.File("registry").c_str(), 1);
        setenv("KELDARA_AUDIO", "null", 1);   // tests never make sound, with or without a server
        CoInitialize(nullptr);
        RegisterMediaFilters();
    }
    void TearDown() override { CoUninitialize(); }

    ComPtr<IGraphBuilder> MakeGraph()
    {
        ComPtr<IGraphBuilder> graph;
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()), S_OK);
        return graph;
    }

    template <class T>
    static ComPtr<T> Query(IUnknown* object, REFIID iid)
    {
        ComPtr<T> out;
        if (object) object->QueryInterface(iid, out.PutVoid());
        return out;
    }

    // The first filter of the graph with the class.
    static ComPtr<IBaseFilter> FindFilter(IGraphBuilder* graph, REFCLSID clsid)
    {
        ComPtr<IEnumFilters> filters;
        if (FAILED(graph->EnumFilters(filters.Put()))) return {};
        ComPtr<IBaseFilter> filter;
        while (filters->Next(1, filter.Put(), nullptr) == S_OK) {
            CLSID id{};
            if (SUCCEEDED(filter->GetClassID(&id)) && id == clsid) return filter;
        }
        return {};
    }

    static int CountFilters(IGraphBuilder* graph)
    {
        ComPtr<IEnumFilters> filters;
        if (FAILED(graph->EnumFilters(filters.Put()))) return -1;
        int count = 0;
        ComPtr<IBaseFilter> filter;
        while (filters->Next(1, filter.Put(), nullptr) == S_OK) ++count;
        return count;
    }

    // The first pin of a direction; with a major type, the first whose connection
    // (or first offered type) has it.
    static ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION dir, const GUID* major = nullptr)
    {
        ComPtr<IEnumPins> pins;
        if (!filter || FAILED(filter->EnumPins(pins.Put()))) return {};
        ComPtr<IPin> pin;
        while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
            PIN_DIRECTION d;
            pin->QueryDirection(&d);
            if (d != dir) continue;
            if (!major) return pin;
            ComPtr<IEnumMediaTypes> types;
            if (FAILED(pin->EnumMediaTypes(types.Put()))) continue;
            AM_MEDIA_TYPE* mt = nullptr;
            if (types->Next(1, &mt, nullptr) == S_OK) {
                bool match = mt->majortype == *major;
                DeleteMediaType(mt);
                if (match) return pin;
            }
        }
        return {};
    }

    static ComPtr<IPin> ConnectedTo(IPin* pin)
    {
        ComPtr<IPin> other;
        if (pin) pin->ConnectedTo(other.Put());
        return other;
    }

    // A sample grabber asking for the major type (and subtype), added to the graph.
    static ComPtr<IBaseFilter> AddGrabber(IGraphBuilder* graph, const GUID& major, const GUID& sub, LPCWSTR name)
    {
        ComPtr<IBaseFilter> filter;
        EXPECT_EQ(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid()), S_OK);
        if (!filter) return {};
        EXPECT_TRUE(SUCCEEDED(graph->AddFilter(filter.Get(), name)));
        auto grabber = Query<ISampleGrabber>(filter.Get(), IID_ISampleGrabber);
        CMediaType mt(major);
        mt.SetSubtype(&sub);
        EXPECT_EQ(grabber->SetMediaType(&mt), S_OK);
        EXPECT_EQ(grabber->SetBufferSamples(TRUE), S_OK);
        return filter;
    }

    static ComPtr<IBaseFilter> AddFilter(IGraphBuilder* graph, REFCLSID clsid, LPCWSTR name)
    {
        ComPtr<IBaseFilter> filter;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid()), S_OK);
        if (filter) {
            EXPECT_TRUE(SUCCEEDED(graph->AddFilter(filter.Get(), name)));
        }
        return filter;
    }

    // Replaces the renderer at the end of a stream by another filter's input.
    static ComPtr<IPin> TakeFromRenderer(IGraphBuilder* graph, REFCLSID renderer)
    {
        ComPtr<IBaseFilter> filter = FindFilter(graph, renderer);
        if (!filter) return {};
        ComPtr<IPin> in = FindPin(filter.Get(), PINDIR_INPUT);
        ComPtr<IPin> out = ConnectedTo(in.Get());
        graph->Disconnect(out.Get());
        graph->Disconnect(in.Get());
        graph->RemoveFilter(filter.Get());
        return out;
    }

    static int CounterOfBuffer(ISampleGrabber* grabber, int width, int height)
    {
        LONG size = 0;
        if (grabber->GetCurrentBuffer(&size, nullptr) != S_OK || size <= 0) return -2;
        std::vector<std::uint8_t> bits(static_cast<std::size_t>(size));
        if (grabber->GetCurrentBuffer(&size, reinterpret_cast<LONG*>(bits.data())) != S_OK) return -3;
        int stride = (width * 3 + 3) & ~3;
        if (size < stride * height) return -4;
        testkit::PictureView view{bits.data(), width, height, stride, true, true};
        if (!testkit::RegionsMatch(view)) return -5;
        return testkit::ReadFrameCounter(view);
    }

    testkit::TempFolder folder;
};

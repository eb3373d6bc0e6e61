// The capture graph builder: stream rendering helpers over a filter graph.
#include "com/com.h"
#include "com/cunknown.h"
#include "dshow/setup.h"
#include "dshow/uuids.h"

const CLSID CLSID_CaptureGraphBuilder2{0xBF87B6E1, 0x8C27, 0x11D0, {0xB3, 0xF0, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5}};

namespace {

class CCaptureGraphBuilder final : public CUnknown, public ICaptureGraphBuilder2 {
public:
    explicit CCaptureGraphBuilder(IUnknown* outer) : CUnknown("capture graph builder", outer) {}
    ~CCaptureGraphBuilder() override
    {
        if (graph_) graph_->Release();
    }
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* hr)
    {
        if (hr) *hr = S_OK;
        return new CCaptureGraphBuilder(outer);
    }

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_ICaptureGraphBuilder2) return GetInterface(static_cast<ICaptureGraphBuilder2*>(this), ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    HRESULT STDMETHODCALLTYPE SetFiltergraph(IGraphBuilder* graph) override
    {
        if (!graph) return E_POINTER;
        if (graph_) return E_UNEXPECTED;
        graph_ = graph;
        graph_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFiltergraph(IGraphBuilder** graph) override
    {
        if (!graph) return E_POINTER;
        *graph = graph_;
        if (!graph_) return E_UNEXPECTED;
        graph_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetOutputFileName(const GUID*, LPCOLESTR, IBaseFilter**, IFileSinkFilter**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindInterface(const GUID*, const GUID*, IBaseFilter* filter, REFIID riid,
                                            void** ppv) override
    {
        if (!filter || !ppv) return E_POINTER;
        *ppv = nullptr;
        if (SUCCEEDED(filter->QueryInterface(riid, ppv))) return S_OK;
        IEnumPins* pins = nullptr;
        if (FAILED(filter->EnumPins(&pins)) || !pins) return E_NOINTERFACE;
        IPin* pin = nullptr;
        ULONG fetched = 0;
        HRESULT hr = E_NOINTERFACE;
        while (hr != S_OK && pins->Next(1, &pin, &fetched) == S_OK && fetched == 1) {
            if (SUCCEEDED(pin->QueryInterface(riid, ppv))) hr = S_OK;
            pin->Release();
        }
        pins->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE RenderStream(const GUID* category, const GUID* type, IUnknown* source,
                                           IBaseFilter* intermediate, IBaseFilter* sink) override
    {
        if (!graph_) return E_UNEXPECTED;
        if (!source) return E_POINTER;
        IPin* pin = nullptr;
        HRESULT hr = FindPin(source, PINDIR_OUTPUT, category, type, TRUE, 0, &pin);
        if (FAILED(hr)) return hr;
        if (intermediate) {
            IPin* in = nullptr;
            hr = FindPin(intermediate, PINDIR_INPUT, nullptr, nullptr, TRUE, 0, &in);
            if (SUCCEEDED(hr)) {
                hr = graph_->Connect(pin, in);
                in->Release();
            }
            pin->Release();
            pin = nullptr;
            if (FAILED(hr)) return hr;
            hr = FindPin(intermediate, PINDIR_OUTPUT, nullptr, nullptr, TRUE, 0, &pin);
            if (FAILED(hr)) return hr;
        }
        if (sink) {
            IPin* in = nullptr;
            hr = FindPin(sink, PINDIR_INPUT, nullptr, nullptr, TRUE, 0, &in);
            if (SUCCEEDED(hr)) {
                hr = graph_->Connect(pin, in);
                in->Release();
            }
        } else {
            hr = graph_->Render(pin);
        }
        pin->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE ControlStream(const GUID*, const GUID*, IBaseFilter*, REFERENCE_TIME*,
                                            REFERENCE_TIME*, WORD, WORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AllocCapFile(LPCOLESTR, DWORDLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyCaptureFile(LPOLESTR, LPOLESTR, int, IAMCopyCaptureFileProgress*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindPin(IUnknown* source, PIN_DIRECTION dir, const GUID*, const GUID* type,
                                      BOOL unconnected, int index, IPin** result) override
    {
        if (!source || !result) return E_POINTER;
        *result = nullptr;
        IPin* asPin = nullptr;
        if (SUCCEEDED(source->QueryInterface(IID_IPin, reinterpret_cast<void**>(&asPin))) && asPin) {
            PIN_DIRECTION d;
            asPin->QueryDirection(&d);
            if (d == dir && index == 0 && (!unconnected || !Connected(asPin)) && (!type || HasMajor(asPin, *type))) {
                *result = asPin;
                return S_OK;
            }
            asPin->Release();
            return E_FAIL;
        }
        IBaseFilter* filter = nullptr;
        if (FAILED(source->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter))) || !filter)
            return E_NOINTERFACE;
        IEnumPins* pins = nullptr;
        HRESULT hr = filter->EnumPins(&pins);
        filter->Release();
        if (FAILED(hr) || !pins) return E_FAIL;
        IPin* pin = nullptr;
        ULONG fetched = 0;
        hr = E_FAIL;
        while (pins->Next(1, &pin, &fetched) == S_OK && fetched == 1) {
            PIN_DIRECTION d;
            pin->QueryDirection(&d);
            if (d == dir && (!unconnected || !Connected(pin)) && (!type || HasMajor(pin, *type)) && index-- == 0) {
                *result = pin;
                hr = S_OK;
                break;
            }
            pin->Release();
        }
        pins->Release();
        return hr;
    }

private:
    static bool Connected(IPin* pin)
    {
        IPin* peer = nullptr;
        if (FAILED(pin->ConnectedTo(&peer)) || !peer) return false;
        peer->Release();
        return true;
    }
    // The connection type, or any offered type, of the major type.
    static bool HasMajor(IPin* pin, const GUID& major)
    {
        AM_MEDIA_TYPE mt{};
        if (SUCCEEDED(pin->ConnectionMediaType(&mt))) {
            bool same = mt.majortype == major;
            FreeMediaType(mt);
            return same;
        }
        IEnumMediaTypes* types = nullptr;
        if (FAILED(pin->EnumMediaTypes(&types)) || !types) return false;
        AM_MEDIA_TYPE* t = nullptr;
        ULONG fetched = 0;
        bool found = false;
        while (!found && types->Next(1, &t, &fetched) == S_OK && fetched == 1) {
            found = t->majortype == major;
            DeleteMediaType(t);
        }
        types->Release();
        return found;
    }

    IGraphBuilder* graph_ = nullptr;
};

const bool g_registered = [] {
    RegisterProcessClass(CLSID_CaptureGraphBuilder2, MakeClassCreator(&CCaptureGraphBuilder::CreateInstance));
    return true;
}();

} // namespace

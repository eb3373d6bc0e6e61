#include "filtergraph.h"

#include "com/com.h"
#include "com/widestring.h"
#include "dshow/evcode.h"
#include "dshow/refclock.h"
#include "dshow/setup.h"
#include "dshow/uuids.h"
#include "enumerators.h"
#include "rtl/paths.h"
#include "win32/messages.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>

const CLSID CLSID_FilterGraph{0xE436EBB3, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

namespace {

const bool g_registered = [] {
    RegisterProcessClass(CLSID_FilterGraph, MakeClassCreator(&CFilterGraph::CreateInstance));
    return true;
}();

constexpr int kMaxChainDepth = 5;

template <class T>
ComPtr<T> Query(IUnknown* from, REFIID riid)
{
    ComPtr<T> out;
    if (from) from->QueryInterface(riid, out.PutVoid());
    return out;
}

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter)
{
    std::vector<ComPtr<IPin>> pins;
    ComPtr<IEnumPins> e;
    if (FAILED(filter->EnumPins(e.Put())) || !e) return pins;
    IPin* pin = nullptr;
    ULONG fetched = 0;
    while (e->Next(1, &pin, &fetched) == S_OK && fetched == 1) pins.push_back(ComPtr<IPin>::Attach(pin));
    return pins;
}

PIN_DIRECTION DirectionOf(IPin* pin)
{
    PIN_DIRECTION dir = PINDIR_INPUT;
    pin->QueryDirection(&dir);
    return dir;
}

ComPtr<IPin> PeerOf(IPin* pin)
{
    ComPtr<IPin> peer;
    pin->ConnectedTo(peer.Put());
    return peer;
}

ComPtr<IBaseFilter> FilterOf(IPin* pin)
{
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info)) || !info.pFilter) return {};
    return ComPtr<IBaseFilter>::Attach(info.pFilter);
}

// (major, sub) of the types an output pin offers.
std::vector<std::pair<GUID, GUID>> OfferedTypes(IPin* pin)
{
    std::vector<std::pair<GUID, GUID>> types;
    ComPtr<IEnumMediaTypes> e;
    if (FAILED(pin->EnumMediaTypes(e.Put())) || !e) return types;
    AM_MEDIA_TYPE* mt = nullptr;
    ULONG fetched = 0;
    while (e->Next(1, &mt, &fetched) == S_OK && fetched == 1) {
        types.emplace_back(mt->majortype, mt->subtype);
        DeleteMediaType(mt);
    }
    return types;
}

bool Matches(const std::pair<GUID, GUID>& registered, const std::pair<GUID, GUID>& offered)
{
    return (registered.first == GUID_NULL || registered.first == offered.first) &&
           (registered.second == GUID_NULL || registered.second == offered.second);
}

// Whether a registered filter has an input pin for one of the offered types.
bool AcceptsAny(const RegFilterInfo& info, const std::vector<std::pair<GUID, GUID>>& offered)
{
    for (const RegPinInfo& pin : info.pins) {
        if (pin.output) continue;
        if (offered.empty() || pin.types.empty()) return true;
        for (auto& r : pin.types)
            for (auto& o : offered)
                if (Matches(r, o)) return true;
    }
    return false;
}

bool HasOutputs(const RegFilterInfo& info)
{
    return std::any_of(info.pins.begin(), info.pins.end(), [](auto& p) { return p.output; });
}

} // namespace

CFilterGraph::CFilterGraph(IUnknown* outer) : CUnknown("filter graph", outer) {}

CFilterGraph::~CFilterGraph()
{
    Stop();
    while (!m_filters.empty()) RemoveFilter(m_filters.back().filter);
    if (m_clock) m_clock->Release();
}

CUnknown* CFilterGraph::CreateInstance(IUnknown* outer, HRESULT* hr)
{
    (void)g_registered;
    if (hr) *hr = S_OK;
    return new CFilterGraph(outer);
}

HRESULT CFilterGraph::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IFilterGraph || riid == IID_IGraphBuilder)
        return GetInterface(static_cast<IGraphBuilder*>(this), ppv);
    if (riid == IID_IMediaControl) return GetInterface(static_cast<IMediaControl*>(this), ppv);
    if (riid == IID_IMediaEvent || riid == IID_IMediaEventEx) return GetInterface(static_cast<IMediaEventEx*>(this), ppv);
    if (riid == IID_IMediaEventSink) return GetInterface(static_cast<IMediaEventSink*>(this), ppv);
    if (riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
    if (riid == IID_IMediaFilter) return GetInterface(static_cast<IMediaFilter*>(this), ppv);
    if (riid == IID_IPersist) return GetInterface(static_cast<IPersist*>(this), ppv);
    if (riid == IID_IVideoWindow) return GetInterface(static_cast<IVideoWindow*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

// ---------------------------------------------------------------------------
// Membership

bool CFilterGraph::HasFilter(IBaseFilter* filter)
{
    return std::any_of(m_filters.begin(), m_filters.end(), [&](auto& e) { return e.filter == filter; });
}

HRESULT CFilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name)
{
    if (!filter) return E_POINTER;
    CAutoLock lock(&m_lock);
    if (HasFilter(filter)) return E_INVALIDARG;
    std::wstring base = name ? name : L"";
    if (base.empty()) {
        FILTER_INFO info{};
        if (SUCCEEDED(filter->QueryFilterInfo(&info))) {
            base = info.achName;
            if (info.pGraph) info.pGraph->Release();
        }
        if (base.empty()) base = L"Filter";
    }
    auto taken = [&](const std::wstring& n) {
        return std::any_of(m_filters.begin(), m_filters.end(), [&](auto& e) { return e.name == n; });
    };
    std::wstring unique = base;
    HRESULT result = S_OK;
    for (int i = 1; taken(unique); ++i) {
        wchar_t suffix[16];
        std::swprintf(suffix, 16, L" %04d", i);
        unique = base + suffix;
        result = VFW_S_DUPLICATE_NAME;
    }
    if (unique.size() >= MAX_FILTER_NAME) unique.resize(MAX_FILTER_NAME - 1);
    HRESULT hr = filter->JoinFilterGraph(Self(), unique.c_str());
    if (FAILED(hr)) return hr;
    filter->AddRef();
    m_filters.push_back({filter, unique});
    if (m_clockChosen) filter->SetSyncSource(m_clock);
    return result;
}

HRESULT CFilterGraph::RemoveFilter(IBaseFilter* filter)
{
    if (!filter) return E_POINTER;
    CAutoLock lock(&m_lock);
    auto it = std::find_if(m_filters.begin(), m_filters.end(), [&](auto& e) { return e.filter == filter; });
    if (it == m_filters.end()) return VFW_E_NOT_FOUND;
    filter->Stop();
    for (auto& pin : PinsOf(filter)) {
        if (ComPtr<IPin> peer = PeerOf(pin.Get())) {
            // The other side may belong to a running filter: stop it first.
            if (ComPtr<IBaseFilter> other = FilterOf(peer.Get())) other->Stop();
            peer->Disconnect();
            pin->Disconnect();
        }
    }
    if (m_clock) filter->SetSyncSource(nullptr);
    filter->JoinFilterGraph(nullptr, nullptr);
    m_filters.erase(it);
    filter->Release();
    return S_OK;
}

HRESULT CFilterGraph::EnumFilters(IEnumFilters** filters)
{
    if (!filters) return E_POINTER;
    CAutoLock lock(&m_lock);
    std::vector<IBaseFilter*> list;
    for (auto& e : m_filters) list.push_back(e.filter);
    *filters = new CEnumFilters(std::move(list));
    (*filters)->AddRef();
    return S_OK;
}

HRESULT CFilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** filter)
{
    if (!filter || !name) return E_POINTER;
    *filter = nullptr;
    CAutoLock lock(&m_lock);
    for (auto& e : m_filters) {
        if (e.name == name) {
            *filter = e.filter;
            e.filter->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

// ---------------------------------------------------------------------------
// Connections

HRESULT CFilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mt)
{
    if (!output || !input) return E_POINTER;
    if (DirectionOf(output) != PINDIR_OUTPUT || DirectionOf(input) != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
    CAutoLock lock(&m_lock);
    if (ComPtr<IBaseFilter> a = FilterOf(output); !a || !HasFilter(a.Get())) return VFW_E_NOT_IN_GRAPH;
    if (ComPtr<IBaseFilter> b = FilterOf(input); !b || !HasFilter(b.Get())) return VFW_E_NOT_IN_GRAPH;
    return output->Connect(input, mt);
}

HRESULT CFilterGraph::Reconnect(IPin*) { return E_NOTIMPL; }

HRESULT CFilterGraph::Disconnect(IPin* pin)
{
    if (!pin) return E_POINTER;
    CAutoLock lock(&m_lock);
    return pin->Disconnect();
}

HRESULT CFilterGraph::Connect(IPin* output, IPin* input)
{
    if (!output || !input) return E_POINTER;
    CAutoLock lock(&m_lock);
    m_abort = false;
    return ConnectVia(output, input, 0);
}

HRESULT CFilterGraph::ConnectVia(IPin* output, IPin* input, int depth)
{
    HRESULT direct = ConnectDirect(output, input, nullptr);
    if (SUCCEEDED(direct)) return direct;
    if (direct == VFW_E_INVALID_DIRECTION || direct == VFW_E_NOT_IN_GRAPH || direct == VFW_E_ALREADY_CONNECTED ||
        direct == VFW_E_NOT_STOPPED || depth >= kMaxChainDepth || m_abort)
        return direct;
    auto offered = OfferedTypes(output);
    for (const RegFilterInfo& info : EnumerateRegisteredFilters()) {
        if (info.merit <= MERIT_DO_NOT_USE || !HasOutputs(info) || !AcceptsAny(info, offered)) continue;
        if (SUCCEEDED(TryIntermediate(output, input, depth, info))) return S_OK;
    }
    return VFW_E_CANNOT_CONNECT;
}

HRESULT CFilterGraph::TryIntermediate(IPin* output, IPin* input, int depth, const RegFilterInfo& info)
{
    ComPtr<IBaseFilter> filter;
    if (FAILED(CoCreateInstance(info.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid())))
        return E_FAIL;
    if (FAILED(AddFilter(filter.Get(), info.name.c_str()))) return E_FAIL;
    for (auto& in : PinsOf(filter.Get())) {
        if (DirectionOf(in.Get()) != PINDIR_INPUT || PeerOf(in.Get())) continue;
        if (FAILED(ConnectDirect(output, in.Get(), nullptr))) continue;
        for (auto& out : PinsOf(filter.Get())) {
            if (DirectionOf(out.Get()) != PINDIR_OUTPUT || PeerOf(out.Get())) continue;
            if (SUCCEEDED(ConnectVia(out.Get(), input, depth + 1))) return S_OK;
        }
        break;
    }
    RemoveFilter(filter.Get());
    return E_FAIL;
}

HRESULT CFilterGraph::Render(IPin* output)
{
    if (!output) return E_POINTER;
    CAutoLock lock(&m_lock);
    m_abort = false;
    if (DirectionOf(output) != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
    if (PeerOf(output)) return VFW_E_ALREADY_CONNECTED;
    return RenderPin(output, 0);
}

HRESULT CFilterGraph::RenderPin(IPin* output, int depth)
{
    if (depth >= kMaxChainDepth || m_abort) return VFW_E_CANNOT_RENDER;
    ComPtr<IBaseFilter> own = FilterOf(output);

    // Renders what follows a newly connected filter; true when a chain reached a renderer.
    auto completes = [&](IBaseFilter* next) {
        bool anyOut = false, rendered = false;
        for (auto& out : PinsOf(next)) {
            if (DirectionOf(out.Get()) != PINDIR_OUTPUT) continue;
            anyOut = true;
            if (PeerOf(out.Get()) || SUCCEEDED(RenderPin(out.Get(), depth + 1))) rendered = true;
        }
        return !anyOut || rendered;
    };

    // Filters already in the graph with a free input pin come first.
    std::vector<IBaseFilter*> present;
    for (auto& e : m_filters)
        if (e.filter != own.Get()) present.push_back(e.filter);
    for (IBaseFilter* f : present) {
        for (auto& in : PinsOf(f)) {
            if (DirectionOf(in.Get()) != PINDIR_INPUT || PeerOf(in.Get())) continue;
            if (FAILED(ConnectDirect(output, in.Get(), nullptr))) continue;
            if (completes(f)) return S_OK;
            output->Disconnect();
            in->Disconnect();
        }
    }

    auto offered = OfferedTypes(output);
    for (const RegFilterInfo& info : EnumerateRegisteredFilters()) {
        if (info.merit <= MERIT_DO_NOT_USE || !AcceptsAny(info, offered)) continue;
        ComPtr<IBaseFilter> filter;
        if (FAILED(CoCreateInstance(info.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid())))
            continue;
        if (FAILED(AddFilter(filter.Get(), info.name.c_str()))) continue;
        bool done = false;
        for (auto& in : PinsOf(filter.Get())) {
            if (DirectionOf(in.Get()) != PINDIR_INPUT || PeerOf(in.Get())) continue;
            if (FAILED(ConnectDirect(output, in.Get(), nullptr))) continue;
            done = completes(filter.Get());
            break;
        }
        if (done) return S_OK;
        // Takes away the filter and whatever was added after it in this attempt.
        RemoveFilter(filter.Get());
    }
    return VFW_E_CANNOT_RENDER;
}

HRESULT CFilterGraph::AddSourceFilter(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter)
{
    if (!file || !filter) return E_POINTER;
    *filter = nullptr;
    std::string path = WideToUtf8(file);
    if (!FileExists(path)) return HResultFromCode(0x80070002u);   // the file is not there
    HRESULT last = VFW_E_UNSUPPORTED_STREAM;
    for (const CLSID& clsid : FileSourcesFor(file)) {
        ComPtr<IBaseFilter> source;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, source.PutVoid()))) {
            last = VFW_E_CANNOT_LOAD_SOURCE_FILTER;
            continue;
        }
        auto loader = Query<IFileSourceFilter>(source.Get(), IID_IFileSourceFilter);
        if (!loader) {
            last = VFW_E_CANNOT_LOAD_SOURCE_FILTER;
            continue;
        }
        HRESULT hr = loader->Load(file, nullptr);
        if (FAILED(hr)) {
            last = hr;
            continue;
        }
        hr = AddFilter(source.Get(), filterName ? filterName : file);
        if (FAILED(hr)) return hr;
        *filter = source.Detach();
        return S_OK;
    }
    return last;
}

HRESULT CFilterGraph::RenderFile(LPCWSTR file, LPCWSTR)
{
    if (!file) return E_POINTER;
    CAutoLock lock(&m_lock);
    m_abort = false;
    ComPtr<IBaseFilter> source;
    HRESULT hr = AddSourceFilter(file, file, source.Put());
    if (FAILED(hr)) return hr;
    int outputs = 0, rendered = 0;
    for (auto& pin : PinsOf(source.Get())) {
        if (DirectionOf(pin.Get()) != PINDIR_OUTPUT || PeerOf(pin.Get())) continue;
        ++outputs;
        if (SUCCEEDED(RenderPin(pin.Get(), 0))) ++rendered;
    }
    if (rendered == 0) {
        RemoveFilter(source.Get());
        return outputs == 0 ? VFW_E_UNSUPPORTED_STREAM : VFW_E_CANNOT_RENDER;
    }
    return rendered == outputs ? S_OK : VFW_S_PARTIAL_RENDER;
}

HRESULT CFilterGraph::RenderFile(BSTR file) { return RenderFile(file, nullptr); }

HRESULT CFilterGraph::Abort()
{
    m_abort = true;
    return S_OK;
}

HRESULT CFilterGraph::ShouldOperationContinue() { return m_abort ? S_FALSE : S_OK; }

// ---------------------------------------------------------------------------
// State

std::vector<IBaseFilter*> CFilterGraph::DownstreamFirst()
{
    // Depth = longest chain of connections below a filter; renderers have 0.
    std::map<IBaseFilter*, int> depth;
    std::function<int(IBaseFilter*, int)> measure = [&](IBaseFilter* f, int guard) -> int {
        if (auto it = depth.find(f); it != depth.end()) return it->second;
        if (guard > 64) return 0;
        int d = 0;
        for (auto& pin : PinsOf(f)) {
            if (DirectionOf(pin.Get()) != PINDIR_OUTPUT) continue;
            if (ComPtr<IPin> peer = PeerOf(pin.Get()))
                if (ComPtr<IBaseFilter> next = FilterOf(peer.Get()); next && next.Get() != f)
                    d = std::max(d, measure(next.Get(), guard + 1) + 1);
        }
        depth[f] = d;
        return d;
    };
    std::vector<IBaseFilter*> order;
    for (auto& e : m_filters) {
        measure(e.filter, 0);
        order.push_back(e.filter);
    }
    std::stable_sort(order.begin(), order.end(), [&](IBaseFilter* a, IBaseFilter* b) { return depth[a] < depth[b]; });
    return order;
}

int CFilterGraph::CountRenderers()
{
    int count = 0;
    for (auto& e : m_filters) {
        bool connectedIn = false, anyOut = false;
        for (auto& pin : PinsOf(e.filter)) {
            if (DirectionOf(pin.Get()) == PINDIR_OUTPUT) anyOut = true;
            else if (PeerOf(pin.Get())) connectedIn = true;
        }
        bool flagged = false;
        if (auto misc = Query<IAMFilterMiscFlags>(e.filter, IID_IAMFilterMiscFlags))
            flagged = (misc->GetMiscFlags() & AM_FILTER_MISC_FLAGS_IS_RENDERER) != 0;
        if (connectedIn && (!anyOut || flagged)) ++count;
    }
    return count;
}

IReferenceClock* CFilterGraph::ChooseClock()
{
    // A filter that offers a clock (an audio renderer) runs the graph; else the system clock.
    for (auto& e : m_filters) {
        if (auto clock = Query<IReferenceClock>(e.filter, IID_IReferenceClock)) return clock.Detach();
    }
    HRESULT hr = S_OK;
    auto* clock = new CSystemClock("graph clock", nullptr, &hr);
    IReferenceClock* result = clock;
    result->AddRef();
    return result;
}

void CFilterGraph::DistributeClock()
{
    for (auto& e : m_filters) e.filter->SetSyncSource(m_clock);
}

HRESULT CFilterGraph::SetDefaultSyncSource()
{
    CAutoLock lock(&m_lock);
    IReferenceClock* clock = ChooseClock();
    HRESULT hr = SetSyncSource(clock);
    if (clock) clock->Release();
    return hr;
}

HRESULT CFilterGraph::SetSyncSource(IReferenceClock* clock)
{
    CAutoLock lock(&m_lock);
    if (clock) clock->AddRef();
    if (m_clock) m_clock->Release();
    m_clock = clock;
    m_clockChosen = true;
    DistributeClock();
    return S_OK;
}

HRESULT CFilterGraph::GetSyncSource(IReferenceClock** clock)
{
    if (!clock) return E_POINTER;
    CAutoLock lock(&m_lock);
    *clock = m_clock;
    if (m_clock) m_clock->AddRef();
    return S_OK;
}

void CFilterGraph::ResetCompletion()
{
    // Counted before the event lock is taken: counting asks the filters, which take
    // their own locks, and their streaming threads raise events holding those.
    int renderers = CountRenderers();
    std::lock_guard lock(m_eventMutex);
    m_renderers = renderers;
    m_completed = 0;
    m_completeQueued = false;
    m_completionCode = 0;
}

HRESULT CFilterGraph::PauseInternal()
{
    if (m_state == State_Paused) return S_OK;
    if (m_state == State_Stopped) {
        if (!m_clockChosen) {
            IReferenceClock* clock = ChooseClock();
            SetSyncSource(clock);
            if (clock) clock->Release();
        }
        ResetCompletion();
    } else {
        m_positionBase = StreamPosition();
    }
    for (IBaseFilter* f : DownstreamFirst()) {
        HRESULT hr = f->Pause();
        if (FAILED(hr)) {
            for (IBaseFilter* g : DownstreamFirst()) g->Stop();
            m_state = State_Stopped;
            return hr;
        }
    }
    m_state = State_Paused;
    return S_OK;
}

HRESULT CFilterGraph::RunInternal()
{
    if (m_state == State_Running) return S_OK;
    HRESULT hr = PauseInternal();
    if (FAILED(hr)) return hr;
    REFERENCE_TIME now = 0;
    if (m_clock) m_clock->GetTime(&now);
    // A little ahead, so the filters all start from the same instant.
    m_runStart = m_clock ? now + 10 * MILLISECONDS : 0;
    // Running before the filters are: a renderer already at its end completes during its Run.
    m_state = State_Running;
    for (IBaseFilter* f : DownstreamFirst()) {
        hr = f->Run(m_runStart);
        if (FAILED(hr)) {
            for (IBaseFilter* g : DownstreamFirst()) g->Stop();
            m_state = State_Stopped;
            return hr;
        }
    }
    m_state = State_Running;
    return S_OK;
}

HRESULT CFilterGraph::Run()
{
    CAutoLock lock(&m_lock);
    return RunInternal();
}

HRESULT CFilterGraph::Run(REFERENCE_TIME) { return Run(); }

HRESULT CFilterGraph::Pause()
{
    CAutoLock lock(&m_lock);
    return PauseInternal();
}

HRESULT CFilterGraph::Stop()
{
    CAutoLock lock(&m_lock);
    if (m_state == State_Stopped) return S_OK;
    LONGLONG position = StreamPosition();
    // Stopped first: an end of stream raised while the filters stop is no completion.
    m_state = State_Stopped;
    HRESULT result = S_OK;
    for (IBaseFilter* f : DownstreamFirst()) {
        HRESULT hr = f->Stop();
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    // A later run goes on from where this one stopped.
    m_positionBase = position;
    for (IMediaSeeking* s : Seekers()) {
        LONGLONG p = position;
        s->SetPositions(&p, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
        s->Release();
    }
    return result;
}

HRESULT CFilterGraph::StopWhenReady() { return Stop(); }

HRESULT CFilterGraph::GetState(LONG timeoutMs, OAFilterState* state)
{
    if (!state) return E_POINTER;
    FILTER_STATE s = State_Stopped;
    HRESULT hr = GetState(DWORD(timeoutMs), &s);
    *state = s;
    return hr;
}

HRESULT CFilterGraph::GetState(DWORD timeoutMs, FILTER_STATE* state)
{
    if (!state) return E_POINTER;
    std::vector<ComPtr<IBaseFilter>> filters;
    {
        CAutoLock lock(&m_lock);
        *state = m_state;
        for (auto& e : m_filters) filters.emplace_back(e.filter);
    }
    HRESULT result = S_OK;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (auto& f : filters) {
        DWORD left = 0;
        if (timeoutMs == INFINITE) left = INFINITE;
        else {
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            left = ms.count() > 0 ? DWORD(ms.count()) : 0;
        }
        FILTER_STATE fs;
        if (f->GetState(left, &fs) == VFW_S_STATE_INTERMEDIATE) result = VFW_S_STATE_INTERMEDIATE;
    }
    return result;
}

// ---------------------------------------------------------------------------
// Events

void CFilterGraph::QueueEvent(LONG code, LONG_PTR param1, LONG_PTR param2)
{
    std::lock_guard lock(m_eventMutex);
    if (m_notifyFlags & AM_MEDIAEVENT_NONOTIFY) return;
    m_events.push_back({code, param1, param2});
    if ((code == EC_COMPLETE || code == EC_ERRORABORT || code == EC_USERABORT) && m_completionCode == 0)
        m_completionCode = code;
    // Posted before anyone waiting can see the event: the message never trails it.
    if (m_notifyWindow)
        PostMessage(reinterpret_cast<HWND>(m_notifyWindow), UINT(m_notifyMessage), 0, m_notifyInstance);
    m_eventHandle.SetEvent();
    m_eventChanged.notify_all();
}

HRESULT CFilterGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR param2)
{
    if (code == EC_COMPLETE) {
        bool pass = false;
        {
            std::lock_guard lock(m_eventMutex);
            if (m_noDefault.count(EC_COMPLETE)) {
                pass = true;
            } else {
                // One completion for the graph, once every renderer has finished while running.
                if (m_state != State_Running || m_completeQueued) return S_OK;
                if (++m_completed < m_renderers) return S_OK;
                m_completeQueued = true;
                param1 = S_OK;
                param2 = 0;
                pass = true;
            }
        }
        if (pass) QueueEvent(code, param1, param2);
        return S_OK;
    }
    QueueEvent(code, param1, param2);
    return S_OK;
}

HRESULT CFilterGraph::GetEventHandle(OAEVENT* event)
{
    if (!event) return E_POINTER;
    *event = reinterpret_cast<OAEVENT>(&m_eventHandle);
    return S_OK;
}

HRESULT CFilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs)
{
    if (!code || !param1 || !param2) return E_POINTER;
    std::unique_lock lock(m_eventMutex);
    auto ready = [&] { return !m_events.empty(); };
    if (timeoutMs < 0) m_eventChanged.wait(lock, ready);
    else if (!m_eventChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        *code = 0;
        *param1 = *param2 = 0;
        return E_ABORT;
    }
    Event e = m_events.front();
    m_events.pop_front();
    if (m_events.empty()) m_eventHandle.ResetEvent();
    *code = e.code;
    *param1 = e.param1;
    *param2 = e.param2;
    return S_OK;
}

HRESULT CFilterGraph::WaitForCompletion(LONG timeoutMs, LONG* code)
{
    if (!code) return E_POINTER;
    *code = 0;
    {
        CAutoLock lock(&m_lock);
        std::lock_guard events(m_eventMutex);
        if (m_state != State_Running && m_completionCode == 0) return VFW_E_WRONG_STATE;
    }
    std::unique_lock lock(m_eventMutex);
    auto done = [&] { return m_completionCode != 0; };
    if (timeoutMs < 0) m_eventChanged.wait(lock, done);
    else if (!m_eventChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), done)) return E_ABORT;
    *code = m_completionCode;
    return S_OK;
}

HRESULT CFilterGraph::CancelDefaultHandling(LONG code)
{
    std::lock_guard lock(m_eventMutex);
    if (code != EC_COMPLETE) return S_FALSE;
    m_noDefault.insert(code);
    return S_OK;
}

HRESULT CFilterGraph::RestoreDefaultHandling(LONG code)
{
    std::lock_guard lock(m_eventMutex);
    return m_noDefault.erase(code) ? S_OK : S_FALSE;
}

HRESULT CFilterGraph::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance)
{
    std::lock_guard lock(m_eventMutex);
    m_notifyWindow = window;
    m_notifyMessage = message;
    m_notifyInstance = instance;
    // Events already waiting are announced too.
    if (window && !m_events.empty())
        PostMessage(reinterpret_cast<HWND>(window), UINT(message), 0, instance);
    return S_OK;
}

HRESULT CFilterGraph::SetNotifyFlags(LONG flags)
{
    if (flags != 0 && flags != AM_MEDIAEVENT_NONOTIFY) return E_INVALIDARG;
    std::lock_guard lock(m_eventMutex);
    m_notifyFlags = flags;
    if (flags & AM_MEDIAEVENT_NONOTIFY) {
        m_events.clear();
        m_eventHandle.ResetEvent();
    }
    return S_OK;
}

HRESULT CFilterGraph::GetNotifyFlags(LONG* flags)
{
    if (!flags) return E_POINTER;
    std::lock_guard lock(m_eventMutex);
    *flags = m_notifyFlags;
    return S_OK;
}

// ---------------------------------------------------------------------------
// Positions

std::vector<IMediaSeeking*> CFilterGraph::Seekers()
{
    std::vector<IMediaSeeking*> out;
    for (auto& e : m_filters) {
        bool connectedIn = false, anyOut = false;
        for (auto& pin : PinsOf(e.filter)) {
            if (DirectionOf(pin.Get()) == PINDIR_OUTPUT) anyOut = true;
            else if (PeerOf(pin.Get())) connectedIn = true;
        }
        bool flagged = false;
        if (auto misc = Query<IAMFilterMiscFlags>(e.filter, IID_IAMFilterMiscFlags))
            flagged = (misc->GetMiscFlags() & AM_FILTER_MISC_FLAGS_IS_RENDERER) != 0;
        if (!connectedIn || (anyOut && !flagged)) continue;
        if (auto s = Query<IMediaSeeking>(e.filter, IID_IMediaSeeking)) out.push_back(s.Detach());
    }
    return out;
}

LONGLONG CFilterGraph::StreamPosition()
{
    if (m_state == State_Running && m_clock) {
        REFERENCE_TIME now = 0;
        m_clock->GetTime(&now);
        LONGLONG elapsed = std::max<LONGLONG>(0, now - m_runStart);
        LONGLONG position = m_positionBase + LONGLONG(double(elapsed) * m_rate);
        LONGLONG duration = 0;
        if (SUCCEEDED(GetDuration(&duration)) && duration > 0) position = std::min(position, duration);
        return position;
    }
    if (m_state == State_Running) {
        // No clock: the renderers know what they presented last.
        LONGLONG best = -1;
        for (IMediaSeeking* s : Seekers()) {
            LONGLONG p = 0;
            if (SUCCEEDED(s->GetCurrentPosition(&p))) best = std::max(best, p);
            s->Release();
        }
        if (best >= 0) return best;
    }
    return m_positionBase;
}

HRESULT CFilterGraph::GetCapabilities(DWORD* capabilities)
{
    if (!capabilities) return E_POINTER;
    CAutoLock lock(&m_lock);
    auto seekers = Seekers();
    if (seekers.empty()) {
        *capabilities = 0;
        return E_NOTIMPL;
    }
    DWORD all = ~DWORD(0);
    bool any = false;
    for (IMediaSeeking* s : seekers) {
        DWORD c = 0;
        if (SUCCEEDED(s->GetCapabilities(&c))) {
            all &= c;
            any = true;
        }
        s->Release();
    }
    // The graph itself always knows its position.
    *capabilities = any ? (all | AM_SEEKING_CanGetCurrentPos) : AM_SEEKING_CanGetCurrentPos;
    return S_OK;
}

HRESULT CFilterGraph::CheckCapabilities(DWORD* capabilities)
{
    if (!capabilities) return E_POINTER;
    DWORD have = 0;
    HRESULT hr = GetCapabilities(&have);
    if (FAILED(hr)) {
        *capabilities = 0;
        return E_FAIL;
    }
    DWORD asked = *capabilities;
    *capabilities = asked & have;
    if (*capabilities == asked) return S_OK;
    return *capabilities ? S_FALSE : E_FAIL;
}

HRESULT CFilterGraph::IsFormatSupported(const GUID* format)
{
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT CFilterGraph::QueryPreferredFormat(GUID* format)
{
    if (!format) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT CFilterGraph::GetTimeFormat(GUID* format) { return QueryPreferredFormat(format); }

HRESULT CFilterGraph::IsUsingTimeFormat(const GUID* format)
{
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT CFilterGraph::SetTimeFormat(const GUID* format)
{
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

// The latest of the sources' answers: the graph lasts as long as its longest stream.
HRESULT CFilterGraph::LatestOfSeekers(LONGLONG* value, HRESULT (STDMETHODCALLTYPE IMediaSeeking::*ask)(LONGLONG*))
{
    if (!value) return E_POINTER;
    CAutoLock lock(&m_lock);
    HRESULT result = E_NOTIMPL;
    LONGLONG best = 0;
    for (IMediaSeeking* s : Seekers()) {
        LONGLONG d = 0;
        if (SUCCEEDED((s->*ask)(&d))) {
            best = std::max(best, d);
            result = S_OK;
        }
        s->Release();
    }
    *value = best;
    return result;
}

HRESULT CFilterGraph::GetDuration(LONGLONG* duration)
{
    return LatestOfSeekers(duration, &IMediaSeeking::GetDuration);
}

HRESULT CFilterGraph::GetStopPosition(LONGLONG* stop)
{
    return LatestOfSeekers(stop, &IMediaSeeking::GetStopPosition);
}

HRESULT CFilterGraph::GetCurrentPosition(LONGLONG* current)
{
    if (!current) return E_POINTER;
    CAutoLock lock(&m_lock);
    *current = StreamPosition();
    return S_OK;
}

HRESULT CFilterGraph::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                        const GUID* sourceFormat)
{
    if (!target) return E_POINTER;
    if ((targetFormat && *targetFormat != TIME_FORMAT_MEDIA_TIME) ||
        (sourceFormat && *sourceFormat != TIME_FORMAT_MEDIA_TIME))
        return E_INVALIDARG;
    *target = source;
    return S_OK;
}

HRESULT CFilterGraph::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags)
{
    DWORD curBits = currentFlags & AM_SEEKING_PositioningBitsMask;
    DWORD stopBits = stopFlags & AM_SEEKING_PositioningBitsMask;
    if ((curBits && !current) || (stopBits && !stop)) return E_POINTER;
    CAutoLock lock(&m_lock);
    auto seekers = Seekers();
    if (seekers.empty()) return E_NOTIMPL;

    FILTER_STATE was = m_state;
    LONGLONG now = StreamPosition();
    LONGLONG target = now;
    if (curBits == AM_SEEKING_AbsolutePositioning) target = *current;
    else if (curBits == AM_SEEKING_RelativePositioning || curBits == AM_SEEKING_IncrementalPositioning)
        target = now + *current;
    if (target < 0) target = 0;

    // Presentation stops while the sources move; a running graph goes on afterwards.
    if (was == State_Running && curBits) PauseInternal();

    HRESULT result = E_NOTIMPL;
    for (IMediaSeeking* s : seekers) {
        LONGLONG c = target, st = stop ? *stop : 0;
        HRESULT hr = s->SetPositions(curBits ? &c : nullptr, curBits ? AM_SEEKING_AbsolutePositioning : 0,
                                     stopBits ? &st : nullptr, stopFlags & ~AM_SEEKING_ReturnTime);
        if (SUCCEEDED(hr)) result = S_OK;
        else if (result == E_NOTIMPL) result = hr;
        s->Release();
    }
    if (SUCCEEDED(result) && curBits) {
        m_positionBase = target;
        ResetCompletion();
    }
    if ((currentFlags & AM_SEEKING_ReturnTime) && current) *current = m_positionBase;
    if ((stopFlags & AM_SEEKING_ReturnTime) && stop) {
        LONGLONG s = 0;
        if (SUCCEEDED(GetStopPosition(&s))) *stop = s;
    }
    if (was == State_Running && curBits) {
        HRESULT hr = RunInternal();
        if (FAILED(hr)) return hr;
    }
    return result;
}

HRESULT CFilterGraph::GetPositions(LONGLONG* current, LONGLONG* stop)
{
    HRESULT hr = S_OK;
    if (current) hr = GetCurrentPosition(current);
    if (stop && SUCCEEDED(hr)) hr = GetStopPosition(stop);
    return hr;
}

HRESULT CFilterGraph::GetAvailable(LONGLONG* earliest, LONGLONG* latest)
{
    if (earliest) *earliest = 0;
    if (latest) return GetDuration(latest);
    return S_OK;
}

HRESULT CFilterGraph::SetRate(double rate)
{
    if (rate <= 0) return E_INVALIDARG;
    CAutoLock lock(&m_lock);
    HRESULT result = E_NOTIMPL;
    for (IMediaSeeking* s : Seekers()) {
        if (SUCCEEDED(s->SetRate(rate))) result = S_OK;
        s->Release();
    }
    if (SUCCEEDED(result)) {
        m_positionBase = StreamPosition();
        REFERENCE_TIME now = 0;
        if (m_clock) m_clock->GetTime(&now);
        if (m_state == State_Running) m_runStart = now;
        m_rate = rate;
    }
    return result;
}

HRESULT CFilterGraph::GetRate(double* rate)
{
    if (!rate) return E_POINTER;
    *rate = m_rate;
    return S_OK;
}

HRESULT CFilterGraph::GetPreroll(LONGLONG* preroll)
{
    if (!preroll) return E_POINTER;
    *preroll = 0;
    return S_OK;
}

HRESULT CFilterGraph::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_FilterGraph;
    return S_OK;
}

// ---------------------------------------------------------------------------
// The video window of the graph's video renderer

HRESULT CFilterGraph::FindVideoWindow(IVideoWindow** window)
{
    CAutoLock lock(&m_lock);
    for (auto& e : m_filters)
        if (SUCCEEDED(e.filter->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(window))) && *window)
            return S_OK;
    *window = nullptr;
    return E_NOINTERFACE;
}

#define KELDARA_VW_DEFINE(name, params, args)                 \
    HRESULT CFilterGraph::name params                         \
    {                                                         \
        IVideoWindow* window = nullptr;                       \
        if (FAILED(FindVideoWindow(&window))) return E_NOINTERFACE; \
        HRESULT hr = window->name args;                       \
        window->Release();                                    \
        return hr;                                            \
    }
KELDARA_VIDEO_WINDOW_METHODS(KELDARA_VW_DEFINE)
#undef KELDARA_VW_DEFINE

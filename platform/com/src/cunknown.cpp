#include "com/cunknown.h"

namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
} // namespace

CUnknown::CUnknown(const char* name, IUnknown* outer)
    : name_(name), owner_(outer ? outer : &self_)
{
    ++g_objects;
}

CUnknown::~CUnknown() { --g_objects; }

HRESULT CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown) return GetInterface(&self_, ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CUnknown::NonDelegatingAddRef() { return ULONG(++m_cRef); }

ULONG CUnknown::NonDelegatingRelease()
{
    long left = --m_cRef;
    if (left == 0) {
        // Guards against a re-entrant release from the destructor.
        m_cRef = 1;
        delete this;
        return 0;
    }
    return ULONG(left);
}

long CUnknown::ObjectsActive() { return g_objects.load(); }

HRESULT GetInterface(IUnknown* p, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = p;
    if (p) p->AddRef();
    return p ? S_OK : E_NOINTERFACE;
}

void ModuleLock(bool lock)
{
    if (lock) ++g_locks;
    else --g_locks;
}

long ModuleLocks() { return g_locks.load(); }

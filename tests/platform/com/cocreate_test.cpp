#include "com/com.h"
#include "com/cunknown.h"
#include "com/registry.h"
#include "testregistry.h"

#include <gtest/gtest.h>

namespace {

constexpr IID IID_ICounter{0x1D5E3C70, 0x1111, 0x4A2B, {0x90, 0x01, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55}};
constexpr IID IID_INamed{0x1D5E3C71, 0x1111, 0x4A2B, {0x90, 0x01, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55}};
constexpr CLSID CLSID_Counter{0x1D5E3C72, 0x1111, 0x4A2B, {0x90, 0x01, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55}};
constexpr CLSID CLSID_Unknown{0x1D5E3C73, 0x1111, 0x4A2B, {0x90, 0x01, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55}};

class ICounter : public IUnknown {
public:
    virtual int STDMETHODCALLTYPE Next() = 0;

protected:
    ~ICounter() = default;
};

class INamed : public IUnknown {
public:
    virtual const char* STDMETHODCALLTYPE Name() = 0;

protected:
    ~INamed() = default;
};

int g_alive = 0;

// An aggregatable inner object.
class Counter final : public CUnknown, public ICounter {
public:
    explicit Counter(IUnknown* outer) : CUnknown("counter", outer) { ++g_alive; }
    ~Counter() override { --g_alive; }
    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_ICounter) return GetInterface(static_cast<ICounter*>(this), ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }
    int STDMETHODCALLTYPE Next() override { return ++n_; }

private:
    int n_ = 0;
};

// An outer object that aggregates a Counter made through CoCreateInstance.
class Outer final : public CUnknown, public INamed {
public:
    Outer() : CUnknown("outer", nullptr)
    {
        created = CoCreateInstance(CLSID_Counter, NonDelegatingUnknown(), CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&inner_));
    }
    ~Outer() override
    {
        if (inner_) inner_->Release();
    }
    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_INamed) return GetInterface(static_cast<INamed*>(this), ppv);
        if (riid == IID_ICounter && inner_) return inner_->QueryInterface(riid, ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }
    const char* STDMETHODCALLTYPE Name() override { return "outer"; }
    HRESULT created = E_FAIL;

private:
    IUnknown* inner_ = nullptr;
};

void RegisterCounter()
{
    RegisterProcessClass(CLSID_Counter, [](IUnknown* outer, HRESULT* hr) -> IUnknown* {
        *hr = S_OK;
        auto* c = new Counter(outer);
        c->NonDelegatingUnknown()->AddRef();
        return c->NonDelegatingUnknown();
    });
}

} // namespace

TEST(CoCreateInstance, MakesProcessClassesAndCountsReferences)
{
    RegisterCounter();
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    ICounter* counter = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_INPROC_SERVER, IID_ICounter,
                               reinterpret_cast<void**>(&counter)),
              S_OK);
    EXPECT_EQ(counter->Next(), 1);
    EXPECT_EQ(counter->Next(), 2);
    IUnknown* identity1 = nullptr;
    IUnknown* identity2 = nullptr;
    counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity1));
    identity1->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity2));
    EXPECT_EQ(identity1, identity2);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(counter->QueryInterface(IID_INamed, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    identity2->Release();
    identity1->Release();
    EXPECT_EQ(g_alive, 1);
    EXPECT_EQ(counter->Release(), 0u);
    EXPECT_EQ(g_alive, 0);
    CoUninitialize();
    CoUninitialize();
}

TEST(CoCreateInstance, AggregatedObjectsDelegateToTheirOuterObject)
{
    RegisterCounter();
    auto* outer = new Outer;
    outer->NonDelegatingUnknown()->AddRef();
    ASSERT_EQ(outer->created, S_OK);
    ICounter* counter = nullptr;
    ASSERT_EQ(outer->QueryInterface(IID_ICounter, reinterpret_cast<void**>(&counter)), S_OK);
    INamed* named = nullptr;
    // Asked through the inner object, the outer object's own interface answers.
    ASSERT_EQ(counter->QueryInterface(IID_INamed, reinterpret_cast<void**>(&named)), S_OK);
    EXPECT_STREQ(named->Name(), "outer");
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
    named->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
    EXPECT_EQ(a, b);
    a->Release();
    b->Release();
    named->Release();
    counter->Release();
    EXPECT_EQ(g_alive, 1);
    outer->NonDelegatingUnknown()->Release();
    EXPECT_EQ(g_alive, 0);

    // Aggregation asks for IUnknown only.
    void* p = nullptr;
    IUnknown* someOuter = reinterpret_cast<IUnknown*>(&p);
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, someOuter, CLSCTX_INPROC_SERVER, IID_ICounter, &p),
              CLASS_E_NOAGGREGATION);
}

TEST(CoCreateInstance, RegisteredClassObjectsAnswerUntilRevoked)
{
    class Factory final : public IClassFactory {
    public:
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
        {
            if (riid == IID_IUnknown || riid == IID_IClassFactory) {
                *ppv = this;
                AddRef();
                return S_OK;
            }
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs); }
        ULONG STDMETHODCALLTYPE Release() override { return ULONG(--refs); }
        HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** ppv) override
        {
            ++made;
            auto* c = new Counter(nullptr);
            c->NonDelegatingUnknown()->AddRef();
            HRESULT hr = c->NonDelegatingUnknown()->QueryInterface(riid, ppv);
            c->NonDelegatingUnknown()->Release();
            return hr;
        }
        HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
        int refs = 1, made = 0;
    } factory;

    ScopedTestRegistry registry;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_Unknown, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    ICounter* counter = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_Unknown, nullptr, CLSCTX_ALL, IID_ICounter, reinterpret_cast<void**>(&counter)),
              S_OK);
    counter->Release();
    EXPECT_EQ(factory.made, 1);
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory.refs, 1);
    EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
    EXPECT_EQ(CoCreateInstance(CLSID_Unknown, nullptr, CLSCTX_ALL, IID_ICounter, reinterpret_cast<void**>(&counter)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(counter, nullptr);
}

TEST(CoCreateInstance, RegistryEntriesWithoutAUsableModuleFail)
{
    ScopedTestRegistry registry;
    std::string missing = JoinPath(registry.Folder(), "libmissing.so");
    ASSERT_TRUE(UpdateRegistry([&](RegistryTree& tree) {
        tree.Create("HKCR\\CLSID\\" + GuidToString(CLSID_Unknown) + "\\InprocServer32")
            ->SetValue(RegValue::String("", missing));
        return true;
    }));
    void* p = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_Unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &p), CO_E_DLLNOTFOUND);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_Unknown, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &p), REGDB_E_CLASSNOTREG);
}

TEST(CoTaskMem, AllocatesAndFrees)
{
    void* p = CoTaskMemAlloc(0);
    EXPECT_NE(p, nullptr);
    p = CoTaskMemRealloc(p, 64);
    ASSERT_NE(p, nullptr);
    CoTaskMemFree(p);
    CoTaskMemFree(nullptr);
}

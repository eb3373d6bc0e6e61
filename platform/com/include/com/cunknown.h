#pragma once
// The base of every object this project implements: reference counting with
// aggregation. An object made inside an outer object delegates its IUnknown
// to the outer one; the outer one reaches the inner object's interfaces through
// the non-delegating unknown.
#include "com/export.h"
#include "com/unknown.h"

#include <atomic>

class INonDelegatingUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;

protected:
    ~INonDelegatingUnknown() = default;
};

class COM_API CUnknown : public INonDelegatingUnknown {
public:
    // outer null: the object is its own owner.
    CUnknown(const char* name, IUnknown* outer);
    virtual ~CUnknown();
    CUnknown(const CUnknown&) = delete;
    CUnknown& operator=(const CUnknown&) = delete;

    // Answers IUnknown (the non-delegating unknown); derived classes add theirs.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
    // Deletes the object when the count reaches zero.
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    IUnknown* GetOwner() const { return owner_; }
    // The object's own unknown, which calls the non-delegating functions; what
    // an aggregating outer object keeps, and this object's identity when it has no outer one.
    IUnknown* NonDelegatingUnknown() { return &self_; }
    const char* Name() const { return name_; }

    // Objects alive in this module; DllCanUnloadNow answers from it.
    static long ObjectsActive();

protected:
    std::atomic<long> m_cRef{0};

private:
    class Self final : public IUnknown {
    public:
        explicit Self(CUnknown* o) : o_(o) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
        {
            return o_->NonDelegatingQueryInterface(riid, ppv);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return o_->NonDelegatingAddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return o_->NonDelegatingRelease(); }

    private:
        CUnknown* o_;
    };
    const char* name_;
    Self self_{this};
    IUnknown* owner_;
};

// Hands out ppv = p with a reference (the usual tail of a QueryInterface).
COM_API HRESULT GetInterface(IUnknown* p, void** ppv);

// The IUnknown of a class that derives from CUnknown and from interfaces:
// every call goes to the owner.
#define DECLARE_IUNKNOWN                                                                       \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override                \
    {                                                                                         \
        return GetOwner()->QueryInterface(riid, ppv);                                         \
    }                                                                                         \
    ULONG STDMETHODCALLTYPE AddRef() override { return GetOwner()->AddRef(); }                \
    ULONG STDMETHODCALLTYPE Release() override { return GetOwner()->Release(); }

// Module lock count for IClassFactory::LockServer.
COM_API void ModuleLock(bool lock);
COM_API long ModuleLocks();

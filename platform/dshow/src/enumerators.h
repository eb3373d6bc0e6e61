#pragma once
// Snapshot enumerators: each holds the items it was made with.
#include "dshow/interfaces.h"

#include <atomic>
#include <vector>

// Pins or filters (referenced while the enumerator lives).
template <class Interface, class Item>
class CEnumUnknowns final : public Interface {
public:
    explicit CEnumUnknowns(std::vector<Item*> items, ULONG position = 0) : items_(std::move(items)), pos_(position)
    {
        for (Item* i : items_) i->AddRef();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == Iid()) {
            *ppv = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++ref_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        long left = --ref_;
        if (left == 0) delete this;
        return ULONG(left);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item** out, ULONG* fetched) override
    {
        if (!out) return E_POINTER;
        if (count > 1 && !fetched) return E_INVALIDARG;
        ULONG n = 0;
        while (n < count && pos_ < items_.size()) {
            out[n] = items_[pos_++];
            out[n]->AddRef();
            ++n;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        if (pos_ + count > items_.size()) {
            pos_ = ULONG(items_.size());
            return S_FALSE;
        }
        pos_ += count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        pos_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Interface** copy) override
    {
        if (!copy) return E_POINTER;
        *copy = new CEnumUnknowns(items_, pos_);
        (*copy)->AddRef();
        return S_OK;
    }

private:
    ~CEnumUnknowns()
    {
        for (Item* i : items_) i->Release();
    }
    static const IID& Iid();
    std::vector<Item*> items_;
    ULONG pos_;
    std::atomic<long> ref_{0};
};

template <>
inline const IID& CEnumUnknowns<IEnumPins, IPin>::Iid() { return IID_IEnumPins; }
template <>
inline const IID& CEnumUnknowns<IEnumFilters, IBaseFilter>::Iid() { return IID_IEnumFilters; }

using CEnumPins = CEnumUnknowns<IEnumPins, IPin>;
using CEnumFilters = CEnumUnknowns<IEnumFilters, IBaseFilter>;

// Media types, copied.
class CEnumMediaTypes final : public IEnumMediaTypes {
public:
    explicit CEnumMediaTypes(std::vector<CMediaType> types, ULONG position = 0)
        : types_(std::move(types)), pos_(position) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++ref_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        long left = --ref_;
        if (left == 0) delete this;
        return ULONG(left);
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** out, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        pos_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** copy) override;

private:
    ~CEnumMediaTypes() = default;
    std::vector<CMediaType> types_;
    ULONG pos_;
    std::atomic<long> ref_{0};
};

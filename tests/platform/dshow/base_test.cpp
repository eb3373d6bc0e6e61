// Media types, samples and the allocator, and the pin connection protocol.
#include "testfilters.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <thread>

TEST(MediaType, FormatBlocksHaveTheirStoredLayout)
{
    EXPECT_EQ(sizeof(WAVEFORMATEX), 18u);
    EXPECT_EQ(offsetof(WAVEFORMATEX, nSamplesPerSec), 4u);
    EXPECT_EQ(offsetof(WAVEFORMATEX, cbSize), 16u);
    EXPECT_EQ(sizeof(VIDEOINFOHEADER), 88u);
    EXPECT_EQ(offsetof(VIDEOINFOHEADER, bmiHeader), 48u);
    BITMAPINFOHEADER h{};
    h.biWidth = 3;
    h.biHeight = -2;
    h.biBitCount = 24;
    EXPECT_EQ(DibImageSize(h), 24u);   // rows of 9 bytes padded to 12
}

TEST(MediaType, CopiesOwnTheirFormatAndViewsCheckTheSize)
{
    CMediaType a = TestVideoType(MEDIASUBTYPE_RGB24, 24);
    CMediaType b = a;
    ASSERT_NE(a.pbFormat, b.pbFormat);
    EXPECT_TRUE(a == b);
    reinterpret_cast<VIDEOINFOHEADER*>(b.pbFormat)->bmiHeader.biWidth = 8;
    EXPECT_FALSE(a == b);
    EXPECT_EQ(VideoInfo(a)->bmiHeader.biWidth, 4);

    AM_MEDIA_TYPE* copy = CreateMediaType(&a);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->cbFormat, sizeof(VIDEOINFOHEADER));
    DeleteMediaType(copy);

    CMediaType shortFormat(MEDIATYPE_Video);
    shortFormat.SetFormatType(&FORMAT_VideoInfo);
    shortFormat.AllocFormatBuffer(40);
    EXPECT_EQ(VideoInfo(shortFormat), nullptr);
    EXPECT_EQ(VideoBitmapHeader(shortFormat), nullptr);
    CMediaType wave(MEDIATYPE_Audio);
    wave.SetFormatType(&FORMAT_WaveFormatEx);
    wave.AllocFormatBuffer(16);   // a bare WAVEFORMAT
    EXPECT_EQ(WaveFormat(wave), nullptr);
    wave.ReallocFormatBuffer(18);
    EXPECT_NE(WaveFormat(wave), nullptr);

    CMediaType partial(MEDIATYPE_Video);
    EXPECT_TRUE(a.MatchesPartial(&partial));
    partial.SetSubtype(&MEDIASUBTYPE_RGB32);
    EXPECT_FALSE(a.MatchesPartial(&partial));
}

TEST(Allocator, LendsCommittedBuffersAndWakesWaitersOnDecommit)
{
    HRESULT hr = S_OK;
    ComPtr<IMemAllocator> allocator(new CMemAllocator("test", nullptr, &hr));
    ALLOCATOR_PROPERTIES request{2, 100, 16, 0}, actual{};
    IMediaSample* sample = nullptr;
    EXPECT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);
    ASSERT_EQ(allocator->SetProperties(&request, &actual), S_OK);
    ALLOCATOR_PROPERTIES odd{2, 100, 3, 0};
    EXPECT_EQ(allocator->SetProperties(&odd, &actual), VFW_E_BADALIGN);
    ASSERT_EQ(allocator->Commit(), S_OK);
    EXPECT_EQ(allocator->SetProperties(&request, &actual), VFW_E_ALREADY_COMMITTED);

    IMediaSample* a = nullptr;
    IMediaSample* b = nullptr;
    ASSERT_EQ(allocator->GetBuffer(&a, nullptr, nullptr, 0), S_OK);
    ASSERT_EQ(allocator->GetBuffer(&b, nullptr, nullptr, 0), S_OK);
    BYTE* pa = nullptr;
    a->GetPointer(&pa);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pa) % 16, 0u);
    EXPECT_EQ(a->GetSize(), 100);
    EXPECT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT), VFW_E_TIMEOUT);

    // Sample properties, and their reset when a buffer comes back.
    REFERENCE_TIME s = 0, e = 0;
    EXPECT_EQ(a->GetTime(&s, &e), VFW_E_SAMPLE_TIME_NOT_SET);
    REFERENCE_TIME start = 400000, end = 800000;
    a->SetTime(&start, &end);
    EXPECT_EQ(a->GetTime(&s, &e), S_OK);
    EXPECT_EQ(s, start);
    EXPECT_EQ(e, end);
    a->SetTime(&start, nullptr);
    EXPECT_EQ(a->GetTime(&s, &e), VFW_S_NO_STOP_TIME);
    EXPECT_EQ(a->SetActualDataLength(101), VFW_E_BUFFER_OVERFLOW);
    EXPECT_EQ(a->SetActualDataLength(10), S_OK);
    a->SetSyncPoint(TRUE);
    a->Release();
    ASSERT_EQ(allocator->GetBuffer(&a, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(a->IsSyncPoint(), S_FALSE);
    EXPECT_EQ(a->GetTime(&s, &e), VFW_E_SAMPLE_TIME_NOT_SET);
    EXPECT_EQ(a->GetActualDataLength(), 100);

    HRESULT waited = S_OK;
    std::thread waiter([&] { waited = allocator->GetBuffer(&sample, nullptr, nullptr, 0); });
    std::this_thread::yield();
    EXPECT_EQ(allocator->Decommit(), S_OK);
    waiter.join();
    EXPECT_EQ(waited, VFW_E_NOT_COMMITTED);
    // Lent buffers stay usable until they come back.
    BYTE* pb = nullptr;
    b->GetPointer(&pb);
    pb[99] = 1;
    a->Release();
    b->Release();
}

TEST(Pins, ConnectionProtocolAgreesOnATypeOrLeavesBothFree)
{
    auto* source = new TestSource(3, 10 * MILLISECONDS);
    auto* picky = new TestRenderer(MEDIASUBTYPE_RGB32);
    auto* renderer = new TestRenderer(MEDIASUBTYPE_RGB24);
    auto s = Hold(source), p = Hold(picky), r = Hold(renderer);
    ComPtr<IPin> out = FirstPin(s.Get(), PINDIR_OUTPUT);
    ComPtr<IPin> pickyIn = FirstPin(p.Get(), PINDIR_INPUT);
    ComPtr<IPin> in = FirstPin(r.Get(), PINDIR_INPUT);

    EXPECT_TRUE(FAILED(out->Connect(pickyIn.Get(), nullptr)));
    EXPECT_FALSE(Peer(out.Get()));
    EXPECT_FALSE(Peer(pickyIn.Get()));
    EXPECT_EQ(out->Connect(out.Get(), nullptr), VFW_E_INVALID_DIRECTION);

    AM_MEDIA_TYPE mt{};
    EXPECT_EQ(in->ConnectionMediaType(&mt), VFW_E_NOT_CONNECTED);
    ASSERT_EQ(out->Connect(in.Get(), nullptr), S_OK);
    EXPECT_EQ(Peer(out.Get()).Get(), in.Get());
    EXPECT_EQ(Peer(in.Get()).Get(), out.Get());
    ASSERT_EQ(in->ConnectionMediaType(&mt), S_OK);
    EXPECT_EQ(mt.subtype, MEDIASUBTYPE_RGB24);
    ASSERT_NE(VideoInfo(mt), nullptr);
    EXPECT_EQ(VideoInfo(mt)->bmiHeader.biWidth, 4);
    FreeMediaType(mt);
    EXPECT_EQ(out->Connect(in.Get(), nullptr), VFW_E_ALREADY_CONNECTED);
    EXPECT_EQ(in->QueryAccept(&renderer->InputPin()->CurrentMediaType()), S_OK);

    PIN_INFO info{};
    ASSERT_EQ(in->QueryPinInfo(&info), S_OK);
    EXPECT_EQ(info.pFilter, r.Get());
    EXPECT_EQ(std::wstring(info.achName), L"In");
    info.pFilter->Release();

    EXPECT_EQ(out->Disconnect(), S_OK);
    EXPECT_EQ(in->Disconnect(), S_OK);
    EXPECT_EQ(in->Disconnect(), S_FALSE);
    EXPECT_FALSE(Peer(in.Get()));
}

TEST(Pins, EnumeratorsHandOutCopiesAndStopAtTheEnd)
{
    auto s = Hold(new TestSource(3, 10 * MILLISECONDS));
    ComPtr<IPin> out = FirstPin(s.Get(), PINDIR_OUTPUT);
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(out->EnumMediaTypes(types.Put()), S_OK);
    AM_MEDIA_TYPE* got[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(types->Next(2, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(got[0]->subtype, MEDIASUBTYPE_RGB24);
    DeleteMediaType(got[0]);
    ComPtr<IEnumMediaTypes> clone;
    types->Reset();
    ASSERT_EQ(types->Clone(clone.Put()), S_OK);
    EXPECT_EQ(clone->Skip(1), S_OK);
    EXPECT_EQ(clone->Skip(1), S_FALSE);

    ComPtr<IEnumPins> pins;
    ASSERT_EQ(s->EnumPins(pins.Put()), S_OK);
    IPin* pin = nullptr;
    EXPECT_EQ(pins->Next(1, &pin, nullptr), S_OK);
    EXPECT_EQ(pin, out.Get());
    pin->Release();
    EXPECT_EQ(pins->Next(1, &pin, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    ComPtr<IPin> found;
    EXPECT_EQ(s->FindPin(L"Output", found.Put()), S_OK);
    EXPECT_EQ(s->FindPin(L"Nothing", found.Put()), VFW_E_NOT_FOUND);
}

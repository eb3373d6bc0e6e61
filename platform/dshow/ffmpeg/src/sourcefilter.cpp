#include "sourcefilter.h"

#include "dshow/mediafilters.h"
#include "rtl/paths.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <thread>

namespace ffmpeg {

namespace {

constexpr HRESULT kFileNotFound = HResultFromCode(0x80070002u);
constexpr LONG kVideoBuffers = 6;      // downstream may hold two (a grabber's and a renderer's last picture)
constexpr LONG kAudioBuffers = 8;
constexpr int kAudioBlocksPerSecond = 20;   // 50 ms per audio sample
constexpr int kAbortWaitMs = 2000;
constexpr REFERENCE_TIME kNoStop = std::numeric_limits<REFERENCE_TIME>::max();

} // namespace

// ---------------------------------------------------------------------------
// Output pin

CFfmpegStream::CFfmpegStream(HRESULT* hr, CFfmpegSource* filter, const std::wstring& name,
                             std::unique_ptr<MediaFile> file, int position)
    : CSourceStream("FFmpeg stream", hr, filter, name.c_str()),
      CSourceSeeking(&seekLock_),   // only its address is taken here
      file_(std::move(file)),
      position_(position),
      info_(file_->Streams()[position])
{
    m_rtDuration = info_.duration > 0 ? info_.duration : file_->Duration();
    m_rtStop = m_rtDuration;
    m_dwSeekingCaps = AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;
    if (file_->CanSeek())
        m_dwSeekingCaps |= AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards;
}

CFfmpegStream::~CFfmpegStream() = default;

HRESULT CFfmpegStream::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
    return CSourceStream::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CFfmpegStream::GetMediaType(int position, CMediaType* mt)
{
    if (!mt) return E_POINTER;
    if (position < 0) return E_INVALIDARG;
    std::vector<CMediaType> types = OfferedTypes(info_);
    if (position >= static_cast<int>(types.size())) return VFW_S_NO_MORE_ITEMS;
    *mt = types[position];
    return S_OK;
}

HRESULT CFfmpegStream::CheckMediaType(const CMediaType* mt)
{
    if (!mt) return E_POINTER;
    if (info_.kind == StreamKind::Video) {
        VideoShape shape;
        return ReadVideoShape(*mt, &shape) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    AudioShape shape;
    return ReadAudioShape(*mt, &shape) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CFfmpegStream::SetMediaType(const CMediaType* mt)
{
    HRESULT hr = CheckMediaType(mt);
    if (FAILED(hr)) return hr;
    if (info_.kind == StreamKind::Video) ReadVideoShape(*mt, &videoShape_);
    else ReadAudioShape(*mt, &audioShape_);
    return CSourceStream::SetMediaType(mt);
}

HRESULT CFfmpegStream::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    if (!allocator || !request) return E_POINTER;
    if (info_.kind == StreamKind::Video) {
        request->cBuffers = std::max(request->cBuffers, kVideoBuffers);
        request->cbBuffer = std::max<LONG>(request->cbBuffer, static_cast<LONG>(videoShape_.bytes));
    } else {
        LONG block = audioShape_.channels * 2;
        LONG bytes = std::max<LONG>(audioShape_.sampleRate / kAudioBlocksPerSecond, 256) * block;
        request->cBuffers = std::max(request->cBuffers, kAudioBuffers);
        request->cbBuffer = std::max(request->cbBuffer, bytes);
    }
    request->cbAlign = std::max<LONG>(request->cbAlign, 1);
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr)) return hr;
    if (actual.cbBuffer < request->cbBuffer || actual.cBuffers < 1) return E_FAIL;
    return S_OK;
}

HRESULT CFfmpegStream::Active()
{
    rewind_ = true;   // every run of the thread starts at the segment start
    return CSourceStream::Active();
}

HRESULT CFfmpegStream::Inactive()
{
    // A read that waits on the file must not hold up the join.
    file_->Abort();
    HRESULT hr = CSourceStream::Inactive();
    file_->Resume();
    return hr;
}

HRESULT CFfmpegStream::OnThreadCreate()
{
    if (rewind_.exchange(false) && !Rewind()) return E_FAIL;
    return S_OK;
}

bool CFfmpegStream::Rewind()
{
    REFERENCE_TIME start;
    {
        CAutoLock lock(CSourceSeeking::m_pLock);
        start = m_rtStart;
    }
    pcm_.clear();
    pcmPos_ = 0;
    pcmEnded_ = false;
    discontinuity_ = true;
    audio_.Reset();
    if (fresh_ && start == 0 && file_->SelectedStream() == position_) return true;
    fresh_ = false;
    if (file_->SelectedStream() != position_ && !file_->SelectStream(position_)) return false;
    if (file_->CanSeek()) return file_->Seek(start);
    // A file that cannot be positioned starts again from its beginning. It is
    // reopened in place: other threads hold on to file_ to abort its reads.
    if (!file_->Restart()) return false;
    fresh_ = true;
    return true;
}

HRESULT CFfmpegStream::ReadFailure(ReadResult result)
{
    switch (result) {
    case ReadResult::EndOfStream: return S_FALSE;
    case ReadResult::Aborted:
        // The read was cut short because the thread is being stopped: wait until the
        // stop is asked, so the base does not take this for the end of the stream.
        for (int i = 0; i < kAbortWaitMs && !StopRequested(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return S_FALSE;
    case ReadResult::CutShort: return VFW_E_FILE_TOO_SHORT;   // reported to the graph as EC_ERRORABORT
    case ReadResult::Error: break;
    case ReadResult::Frame: return S_OK;
    }
    return VFW_E_INVALID_FILE_FORMAT;           // reported to the graph as EC_ERRORABORT
}

HRESULT CFfmpegStream::FillBuffer(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    if (file_->SelectedStream() != position_ && !file_->SelectStream(position_)) return VFW_E_INVALID_FILE_FORMAT;
    fresh_ = false;
    return info_.kind == StreamKind::Video ? FillVideo(sample) : FillAudio(sample);
}

REFERENCE_TIME CFfmpegStream::OpenEnded(REFERENCE_TIME stop) const
{
    // A stop at the stream's stated end (nobody asked for less) lets the stream
    // run out on its own: a length worked out from time stamps often leaves out
    // the last picture's own duration, and the picture would be lost.
    return stop >= m_rtDuration ? kNoStop : stop;
}

HRESULT CFfmpegStream::FillVideo(IMediaSample* sample)
{
    REFERENCE_TIME segStart, segStop;
    {
        CAutoLock lock(CSourceSeeking::m_pLock);
        segStart = m_rtStart;
        segStop = OpenEnded(m_rtStop);
    }
    DecodedFrame frame;
    ReadResult r = file_->Read(frame);
    if (r != ReadResult::Frame) return ReadFailure(r);
    if (frame.start >= segStop) return S_FALSE;
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || !data) return E_POINTER;
    LONG size = sample->GetSize();
    if (size < 0 || static_cast<std::size_t>(size) < videoShape_.bytes) return VFW_E_BUFFER_OVERFLOW;
    if (!video_.Convert(frame, videoShape_.layout, videoShape_.width, videoShape_.height, data, videoShape_.bytes))
        return E_FAIL;
    sample->SetActualDataLength(static_cast<LONG>(videoShape_.bytes));
    REFERENCE_TIME start = frame.start - segStart, stop = frame.stop - segStart;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(discontinuity_ ? TRUE : FALSE);
    discontinuity_ = false;
    return S_OK;
}

HRESULT CFfmpegStream::FillAudio(IMediaSample* sample)
{
    REFERENCE_TIME segStart, segStop;
    {
        CAutoLock lock(CSourceSeeking::m_pLock);
        segStart = m_rtStart;
        segStop = OpenEnded(m_rtStop);
    }
    const int channels = audioShape_.channels, rate = audioShape_.sampleRate;
    if (channels <= 0 || rate <= 0) return E_UNEXPECTED;
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || !data) return E_POINTER;
    const std::size_t capacity = static_cast<std::size_t>(std::max<LONG>(sample->GetSize(), 0)) / (2 * channels);
    if (capacity == 0) return VFW_E_BUFFER_OVERFLOW;

    // Decode until a whole sample can be filled or the stream ends.
    while (!pcmEnded_ && (pcm_.size() - pcmPos_) / channels < capacity) {
        DecodedFrame frame;
        ReadResult r = file_->Read(frame);
        if (r == ReadResult::EndOfStream) {
            pcmEnded_ = true;
            break;
        }
        if (r != ReadResult::Frame) return ReadFailure(r);
        if (pcmPos_ > 0) {
            pcm_.erase(pcm_.begin(), pcm_.begin() + static_cast<std::ptrdiff_t>(pcmPos_));
            pcmPos_ = 0;
        }
        if (pcm_.empty()) pcmStart_ = frame.start;   // anchored to the file's own time stamps
        if (!audio_.Convert(frame, rate, channels, pcm_)) return E_FAIL;
    }
    std::size_t available = (pcm_.size() - pcmPos_) / channels;
    if (available == 0 || pcmStart_ >= segStop) return S_FALSE;
    std::size_t count = std::min(available, capacity);
    // Nothing past the stop position.
    if (segStop != kNoStop) {
        REFERENCE_TIME limit = segStop - pcmStart_;
        std::size_t allowed = static_cast<std::size_t>(std::max<REFERENCE_TIME>(1, limit * rate / UNITS));
        count = std::min(count, allowed);
    }
    std::memcpy(data, pcm_.data() + pcmPos_, count * channels * 2);
    sample->SetActualDataLength(static_cast<LONG>(count * channels * 2));
    REFERENCE_TIME start = pcmStart_ - segStart;
    REFERENCE_TIME length = static_cast<REFERENCE_TIME>(count) * UNITS / rate;
    REFERENCE_TIME stop = start + length;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(discontinuity_ ? TRUE : FALSE);
    discontinuity_ = false;
    pcmPos_ += count * channels;
    pcmStart_ += length;
    return S_OK;
}

HRESULT CFfmpegStream::Restart()
{
    REFERENCE_TIME start, stop;
    double rate;
    {
        CAutoLock lock(CSourceSeeking::m_pLock);
        start = m_rtStart;
        stop = m_rtStop;
        rate = m_dRateSeeking;
    }
    if (ThreadRunning()) {
        DeliverBeginFlush();
        file_->Abort();
        StopStreamingThread();
        file_->Resume();
        DeliverEndFlush();
        rewind_ = true;
        SetSegment(start, stop, rate);
        return StartStreamingThread();
    }
    rewind_ = true;
    SetSegment(start, stop, rate);
    return S_OK;
}

HRESULT CFfmpegStream::ChangeStart()
{
    if (!file_->CanSeek()) {
        CAutoLock lock(CSourceSeeking::m_pLock);
        m_rtStart = 0;   // the position did not move
        return E_FAIL;
    }
    return Restart();
}

HRESULT CFfmpegStream::ChangeStop()
{
    REFERENCE_TIME start, stop;
    double rate;
    {
        CAutoLock lock(CSourceSeeking::m_pLock);
        start = m_rtStart;
        stop = m_rtStop;
        rate = m_dRateSeeking;
    }
    SetSegment(start, stop, rate);   // FillBuffer reads the stop position each time
    return S_OK;
}

HRESULT CFfmpegStream::ChangeRate()
{
    CAutoLock lock(CSourceSeeking::m_pLock);
    if (m_dRateSeeking != 1.0) {
        m_dRateSeeking = 1.0;   // decoding runs at the file's own speed only
        return E_INVALIDARG;
    }
    return S_OK;
}

// ---------------------------------------------------------------------------
// Filter

CFfmpegSource::CFfmpegSource(IUnknown* outer, HRESULT* hr) : CSource("FFmpeg source", outer, CLSID_FfmpegSource, hr) {}

CFfmpegSource::~CFfmpegSource() = default;

CUnknown* CFfmpegSource::CreateInstance(IUnknown* outer, HRESULT* hr)
{
    HRESULT result = S_OK;
    auto* filter = new CFfmpegSource(outer, &result);
    if (FAILED(result)) {
        delete filter;
        filter = nullptr;
    }
    if (hr) *hr = result;
    return filter;
}

HRESULT CFfmpegSource::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IFileSourceFilter) return GetInterface(static_cast<IFileSourceFilter*>(this), ppv);
    if (riid == IID_IAMFilterMiscFlags) return GetInterface(static_cast<IAMFilterMiscFlags*>(this), ppv);
    return CSource::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CFfmpegSource::Load(LPCOLESTR fileName, const AM_MEDIA_TYPE*)
{
    if (!fileName) return E_POINTER;
    CAutoLock lock(&m_cStateLock);
    if (!m_paStreams.empty()) return E_UNEXPECTED;   // one file per filter
    std::string path = WideToUtf8(fileName);
    if (path.empty()) return E_INVALIDARG;
    if (!FileExists(path)) return kFileNotFound;
    std::unique_ptr<MediaFile> probe = MediaFile::Open(path);
    if (!probe) return VFW_E_UNKNOWN_FILE_TYPE;

    const std::vector<StreamInfo> streams = probe->Streams();
    int videos = 0, audios = 0;
    for (int i = 0; i < static_cast<int>(streams.size()); ++i) {
        // Each pin decodes from its own opening of the file; the first reuses the probe.
        std::unique_ptr<MediaFile> file = i == 0 ? std::move(probe) : MediaFile::Open(path);
        if (!file) return VFW_E_UNKNOWN_FILE_TYPE;
        bool video = file->Streams()[i].kind == StreamKind::Video;
        int number = video ? ++videos : ++audios;
        std::wstring name = video ? L"Video" : L"Audio";
        if (number > 1) name += L" " + std::to_wstring(number);
        HRESULT hr = S_OK;
        new CFfmpegStream(&hr, this, name, std::move(file), i);   // the filter owns its pins
        if (FAILED(hr)) return hr;
    }
    fileName_ = fileName;
    return S_OK;
}

HRESULT CFfmpegSource::GetCurFile(LPOLESTR* fileName, AM_MEDIA_TYPE* mt)
{
    if (!fileName) return E_POINTER;
    CAutoLock lock(&m_cStateLock);
    *fileName = fileName_.empty() ? nullptr : CoTaskMemWideString(fileName_);
    if (mt) {
        std::memset(mt, 0, sizeof *mt);
        mt->majortype = MEDIATYPE_Stream;
    }
    return fileName_.empty() ? E_FAIL : S_OK;
}

} // namespace ffmpeg

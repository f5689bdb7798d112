#include "FilterGraph.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "utf8text.h"

namespace {

SIZE DisplayAspect(AVStream* stream, const AVFrame* frame) {
  AVRational sar = frame->sample_aspect_ratio;
  if (sar.num <= 0 || sar.den <= 0) sar = stream->sample_aspect_ratio;
  if (sar.num <= 0 || sar.den <= 0) sar = {1, 1};
  int num = 0, den = 0;
  av_reduce(&num, &den, static_cast<int64_t>(frame->width) * sar.num, static_cast<int64_t>(frame->height) * sar.den,
            1 << 20);
  return {num, den};
}

// How long Run and Pause wait for the first picture before they go on without it.
constexpr auto kPrerollWait = std::chrono::seconds(5);
}  // namespace

FilterGraph::FilterGraph() = default;

FilterGraph::~FilterGraph() {
  Stop();
  if (renderer_) renderer_->Disconnect();
  renderer_ = nullptr;
  filters_.clear();
}

HRESULT FilterGraph::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IGraphBuilder) return GiveFace<IGraphBuilder>(this, ppv);
  if (riid == IID_IMediaControl) return GiveFace<IMediaControl>(this, ppv);
  if (riid == IID_IMediaEventEx) return GiveFace<IMediaEventEx>(this, ppv);
  if (riid == IID_IMediaSeeking) return GiveFace<IMediaSeeking>(this, ppv);
  if (riid == IID_IBasicAudio) return GiveFace<IBasicAudio>(this, ppv);
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT FilterGraph::AddFilter(IBaseFilter* pFilter, LPCWSTR) {
  if (!pFilter) return E_POINTER;
  if (state_ != State_Stopped) return VFW_E_WRONG_STATE;
  for (const auto& f : filters_)
    if (f.p() == pFilter) return S_OK;
  filters_.emplace_back(pFilter);
  if (!renderer_) renderer_ = dynamic_cast<VideoRenderer*>(pFilter);
  return S_OK;
}

HRESULT FilterGraph::RenderFile(LPCWSTR lpcwstrFile, LPCWSTR) {
  if (!lpcwstrFile) return E_POINTER;
  if (source_ || state_ != State_Stopped) return VFW_E_WRONG_STATE;
  if (!renderer_) return VFW_E_CANNOT_RENDER;

  auto source = std::make_unique<FfmpegSource>();
  HRESULT hr = source->Open(WideToUtf8(lpcwstrFile));
  if (FAILED(hr)) return hr;
  auto videoDecoder = std::make_unique<VideoDecoder>();
  hr = videoDecoder->Open(source.get());
  if (FAILED(hr)) return hr;
  FramePtr first;
  hr = videoDecoder->DecodeFirst(source.get(), &first);
  if (FAILED(hr)) return hr;

  // Sound is optional: without a decoder or a sound server the movie plays silently.
  std::unique_ptr<AudioDecoder> audioDecoder;
  std::unique_ptr<PulseSink> sink;
  if (source->AudioStream()) {
    audioDecoder = std::make_unique<AudioDecoder>();
    sink = std::make_unique<PulseSink>();
    if (FAILED(audioDecoder->Open(source.get())) ||
        !sink->Open(audioDecoder->OutputRate(), audioDecoder->OutputChannels())) {
      audioDecoder.reset();
      sink.reset();
    } else {
      sink->SetVolume(volume_);
    }
  }

  VideoFormat format;
  format.width = first->width;
  format.height = first->height;
  format.pixelFormat = static_cast<AVPixelFormat>(first->format);
  format.aspect = DisplayAspect(source->VideoStream(), first.get());
  hr = renderer_->Connect(format, &frames_, &clock_, this);
  if (FAILED(hr)) return hr;

  source_ = std::move(source);
  videoDecoder_ = std::move(videoDecoder);
  audioDecoder_ = std::move(audioDecoder);
  sink_ = std::move(sink);
  duration_ = source_->Duration();
  position_ = 0;
  needSeek_ = true;
  clock_.Reset(0);
  return S_OK;
}

void FilterGraph::StartSegment() {
  if (needSeek_) {
    if (FAILED(source_->Seek(position_)) && position_ > 0) source_->Seek(0);
    videoDecoder_->Flush(position_);
    if (audioDecoder_) audioDecoder_->Flush(position_);
    needSeek_ = false;
  }
  clock_.Reset(position_);
  audioRunning_ = sink_ && sink_->StartStream();
  {
    std::lock_guard lock(segmentMutex_);
    activeStreams_ = audioRunning_ ? 2 : 1;
    endedStreams_ = 0;
    firstFrame_ = false;
  }
  source_->Start(&videoPackets_, audioRunning_ ? &audioPackets_ : nullptr);
  videoDecoder_->Start(&videoPackets_, &frames_);
  if (audioRunning_) audioDecoder_->Start(&audioPackets_, sink_.get(), &clock_, [this] { OnAudioEnded(); });
  threadsRunning_ = true;
  renderer_->StartPresenting();
  renderer_->StartStreaming();
  std::unique_lock lock(segmentMutex_);
  segmentChanged_.wait_for(lock, kPrerollWait, [&] { return firstFrame_ || endedStreams_ > 0; });
}

void FilterGraph::StopThreads() {
  if (!threadsRunning_) return;
  videoPackets_.Close();
  audioPackets_.Close();
  frames_.Close();
  if (sink_) sink_->Interrupt();
  renderer_->StopStreaming();
  videoDecoder_->Stop();
  if (audioDecoder_) audioDecoder_->Stop();
  source_->Stop();
  if (sink_) sink_->StopStream();
  videoPackets_.Reopen();
  audioPackets_.Reopen();
  frames_.Reopen();
  threadsRunning_ = false;
  audioRunning_ = false;
}

HRESULT FilterGraph::Run() {
  if (!source_) return VFW_E_WRONG_STATE;
  if (state_ == State_Running) return S_OK;
  if (state_ == State_Stopped) StartSegment();
  clock_.Start();
  if (audioRunning_) sink_->SetPlaying(true);
  renderer_->Wake();
  state_ = State_Running;
  return S_OK;
}

HRESULT FilterGraph::Pause() {
  if (!source_) return VFW_E_WRONG_STATE;
  if (state_ == State_Paused) return S_OK;
  if (state_ == State_Stopped) {
    StartSegment();
  } else {
    clock_.Pause();
    if (audioRunning_) sink_->SetPlaying(false);
    renderer_->Wake();
  }
  state_ = State_Paused;
  return S_OK;
}

HRESULT FilterGraph::Stop() {
  if (state_ == State_Stopped) return S_OK;
  position_ = ClampPosition(clock_.Now());
  StopThreads();
  renderer_->StopPresenting();
  clock_.Reset(position_);
  needSeek_ = true;
  state_ = State_Stopped;
  return S_OK;
}

HRESULT FilterGraph::GetState(LONG, OAFilterState* pfs) {
  if (!pfs) return E_POINTER;
  *pfs = state_;
  return S_OK;
}

HRESULT FilterGraph::GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2, LONG msTimeout) {
  return events_.Get(lEventCode, lParam1, lParam2, msTimeout);
}

HRESULT FilterGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR) { return S_OK; }  // no event carries memory

HRESULT FilterGraph::SetNotifyWindow(OAHWND hwnd, LONG lMsg, LONG_PTR lInstanceData) {
  events_.SetNotify(HwndFromId(static_cast<std::uint64_t>(hwnd)), static_cast<UINT>(lMsg), lInstanceData);
  return S_OK;
}

REFERENCE_TIME FilterGraph::ClampPosition(REFERENCE_TIME pos) const {
  pos = std::max<REFERENCE_TIME>(pos, 0);
  return duration_ > 0 ? std::min(pos, duration_) : pos;
}

HRESULT FilterGraph::SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG*, DWORD dwStopFlags) {
  if ((dwStopFlags & 0x3) != AM_SEEKING_NoPositioning) return E_NOTIMPL;  // the stop is always the end
  const DWORD how = dwCurrentFlags & 0x3;
  if (how == AM_SEEKING_NoPositioning) return S_OK;
  if (how != AM_SEEKING_AbsolutePositioning) return E_INVALIDARG;
  if (!pCurrent) return E_POINTER;
  if (!source_) return VFW_E_WRONG_STATE;
  const FILTER_STATE was = state_;
  StopThreads();
  position_ = ClampPosition(*pCurrent);
  needSeek_ = true;
  clock_.Reset(position_);
  if (was != State_Stopped) {
    StartSegment();
    if (was == State_Running) {
      clock_.Start();
      if (audioRunning_) sink_->SetPlaying(true);
      renderer_->Wake();
    }
  }
  return S_OK;
}

HRESULT FilterGraph::GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) {
  if (!source_) return VFW_E_WRONG_STATE;
  if (pCurrent) *pCurrent = state_ == State_Stopped ? position_ : ClampPosition(clock_.Now());
  if (pStop) *pStop = duration_;
  return S_OK;
}

HRESULT FilterGraph::put_Volume(LONG lVolume) {
  if (lVolume < -10000 || lVolume > 0) return E_INVALIDARG;
  volume_ = lVolume;
  if (sink_) sink_->SetVolume(lVolume);
  return S_OK;
}

HRESULT FilterGraph::get_Volume(LONG* plVolume) {
  if (!plVolume) return E_POINTER;
  *plVolume = volume_;
  return S_OK;
}

void FilterGraph::OnFirstFrame() {
  {
    std::lock_guard lock(segmentMutex_);
    firstFrame_ = true;
  }
  segmentChanged_.notify_all();
}

void FilterGraph::OnVideoEnded() { StreamEnded(); }
void FilterGraph::OnAudioEnded() { StreamEnded(); }

void FilterGraph::StreamEnded() {
  bool complete;
  {
    std::lock_guard lock(segmentMutex_);
    complete = ++endedStreams_ == activeStreams_;
  }
  segmentChanged_.notify_all();
  if (complete) events_.Post(EC_COMPLETE, S_OK, 0);
}

// The filter graph manager: it opens the movie (RenderFile), owns the demuxer, the
// decoders and the sound output, connects the video renderer added to it, and answers the
// control, event, seeking and volume interfaces. All its methods run on the UI thread,
// except GetEvent (any thread) and the RendererEvents the streaming threads call.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "AudioDecoder.h"
#include "ComObject.h"
#include "EventQueue.h"
#include "FfmpegSource.h"
#include "MediaClock.h"
#include "PulseSink.h"
#include "VideoDecoder.h"
#include "VideoRenderer.h"
#include "dshow.h"

class FilterGraph final : public IGraphBuilder,
                          public IMediaControl,
                          public IMediaEventEx,
                          public IMediaSeeking,
                          public IBasicAudio,
                          private RendererEvents,
                          private RefCounted {
 public:
  FilterGraph();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  // IGraphBuilder
  HRESULT AddFilter(IBaseFilter* pFilter, LPCWSTR pName) override;
  HRESULT RenderFile(LPCWSTR lpcwstrFile, LPCWSTR lpcwstrPlayList) override;
  // IMediaControl
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;
  HRESULT GetState(LONG msTimeout, OAFilterState* pfs) override;
  // IMediaEventEx
  HRESULT GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2, LONG msTimeout) override;
  HRESULT FreeEventParams(LONG lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) override;
  HRESULT SetNotifyWindow(OAHWND hwnd, LONG lMsg, LONG_PTR lInstanceData) override;
  // IMediaSeeking
  HRESULT SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags) override;
  HRESULT GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) override;
  // IBasicAudio
  HRESULT put_Volume(LONG lVolume) override;
  HRESULT get_Volume(LONG* plVolume) override;

 private:
  ~FilterGraph() override;

  // Streaming threads.
  void OnFirstFrame() override;
  void OnVideoEnded() override;
  void OnAudioEnded();
  void StreamEnded();

  // UI thread: starts every thread from position_ (seeking first when needed) with the
  // clock standing, and waits until the first picture is presented.
  void StartSegment();
  // UI thread: ends every thread; afterwards no picture is presented and no sound plays.
  void StopThreads();
  REFERENCE_TIME ClampPosition(REFERENCE_TIME pos) const;

  std::vector<CComPtr<IBaseFilter>> filters_;
  VideoRenderer* renderer_ = nullptr;  // one of filters_

  std::unique_ptr<FfmpegSource> source_;
  std::unique_ptr<VideoDecoder> videoDecoder_;
  std::unique_ptr<AudioDecoder> audioDecoder_;  // null without sound output
  std::unique_ptr<PulseSink> sink_;             // null without sound output
  PacketQueue videoPackets_{96};
  PacketQueue audioPackets_{256};
  FrameQueue frames_{4};
  MediaClock clock_;
  EventQueue events_;

  FILTER_STATE state_ = State_Stopped;
  REFERENCE_TIME position_ = 0;  // where the next segment starts
  bool needSeek_ = true;
  REFERENCE_TIME duration_ = 0;
  LONG volume_ = 0;
  bool threadsRunning_ = false;
  bool audioRunning_ = false;

  std::mutex segmentMutex_;
  std::condition_variable segmentChanged_;
  int activeStreams_ = 0;  // guarded by segmentMutex_
  int endedStreams_ = 0;   // guarded by segmentMutex_
  bool firstFrame_ = false;  // guarded by segmentMutex_
};

// Builds a graph the way the player does, around a Recorder, and helpers the suites share.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <dirent.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Clips.h"
#include "Recorder.h"
#include "dshow.h"

// Messages posted through PostMessageW, when the user-interface layer is not linked.
struct PostedMessage {
  HWND window;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<PostedMessage> TakePostedMessages();

// Threads of this process right now.
int ThreadCount();

struct Graph {
  CComPtr<IGraphBuilder> graph;
  CComPtr<IBaseFilter> vmr;
  CComPtr<IMediaControl> control;
  CComPtr<IMediaEventEx> events;
  CComPtr<IMediaSeeking> seeking;
  CComPtr<IBasicAudio> audio;
  Recorder* recorder = nullptr;  // one reference, ours

  explicit Graph(Recorder* r = new Recorder) : recorder(r) {}
  ~Graph() { Release(); }
  Graph(const Graph&) = delete;
  Graph& operator=(const Graph&) = delete;

  // Filter graph, renderless renderer with the recorder, RenderFile; the interfaces.
  HRESULT Open(const std::wstring& path) {
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&graph));
    if (FAILED(hr)) return hr;
    hr = CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                          reinterpret_cast<void**>(&vmr));
    if (FAILED(hr)) return hr;
    CComPtr<IVMRFilterConfig9> config;
    if (FAILED(hr = vmr.QueryInterface(&config))) return hr;
    if (FAILED(hr = config->SetRenderingMode(VMR9Mode_Renderless))) return hr;
    if (FAILED(hr = config->SetNumberOfStreams(1))) return hr;
    CComPtr<IVMRSurfaceAllocatorNotify9> notify;
    if (FAILED(hr = vmr.QueryInterface(&notify))) return hr;
    if (FAILED(hr = notify->AdviseSurfaceAllocator(Recorder::kUserId, recorder))) return hr;
    if (FAILED(hr = recorder->AdviseNotify(notify))) return hr;
    if (FAILED(hr = graph->AddFilter(vmr, L"Video Mixing Renderer 9"))) return hr;
    if (FAILED(hr = graph->RenderFile(path.c_str(), nullptr))) return hr;
    graph.QueryInterface(&control);
    graph.QueryInterface(&events);
    graph.QueryInterface(&seeking);
    graph.QueryInterface(&audio);
    return S_OK;
  }

  // In the player's order; the recorder last.
  void Release() {
    audio.Release();
    seeking.Release();
    events.Release();
    control.Release();
    vmr.Release();
    graph.Release();
    if (recorder) recorder->Release();
    recorder = nullptr;
  }

  // Polls GetEvent (timeout 0) until the code arrives or the time runs out.
  bool WaitForEvent(LONG wanted, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      LONG code;
      LONG_PTR p1, p2;
      while (SUCCEEDED(events->GetEvent(&code, &p1, &p2, 0))) {
        events->FreeEventParams(code, p1, p2);
        if (code == wanted) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
};

// Every test starts and ends with no object of the recorder or the memory device alive.
class MediaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under scripts/test (Xvfb and PulseAudio)";
    ASSERT_EQ(Recorder::live.load(), 0);
    ASSERT_EQ(memdev::g_liveObjects.load(), 0);
    TakePostedMessages();
  }
  void TearDown() override {
    EXPECT_EQ(Recorder::live.load(), 0) << "the allocator-presenter was not released";
    EXPECT_EQ(memdev::g_liveObjects.load(), 0) << "a device, texture or surface was not released";
  }
};

constexpr REFERENCE_TIME kSecond = 10000000;

// The inputs that must not open: an empty path, a missing file, a directory and clips that
// are not movies (made by the clip fixture).
inline const auto kBadInputs = ::testing::Values("", "missing.mp4", "directory.mp4", "empty.mp4", "text.mp4",
                                                 "truncated.mp4", "random.bin");
inline std::string BadInputName(const ::testing::TestParamInfo<const char*>& info) {
  std::string name = *info.param ? info.param : "empty_path";
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

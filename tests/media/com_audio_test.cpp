// The class table, the interfaces' identities, BSTRs, volume and the sound output.
#include <cstdlib>

#include "GraphHarness.h"

namespace {

TEST(Com, OnlyTheGraphAndTheRendererAreCreatable) {
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(IID_IMediaControl, nullptr, CLSCTX_ALL, IID_IUnknown, &p), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(p, nullptr);
  CComPtr<IGraphBuilder> graph;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                             reinterpret_cast<void**>(&graph)),
            S_OK);
  EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, graph, CLSCTX_ALL, IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IVMRFilterConfig9, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);
}

TEST(Com, EveryFaceLeadsToTheSameObject) {
  CComPtr<IGraphBuilder> graph;
  ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                             reinterpret_cast<void**>(&graph)),
            S_OK);
  CComPtr<IUnknown> identity;
  ASSERT_EQ(graph->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  CComPtr<IMediaControl> control;
  CComPtr<IMediaEventEx> events;
  CComPtr<IMediaSeeking> seeking;
  CComPtr<IBasicAudio> audio;
  ASSERT_EQ(graph.QueryInterface(&control), S_OK);
  ASSERT_EQ(graph.QueryInterface(&events), S_OK);
  ASSERT_EQ(graph.QueryInterface(&seeking), S_OK);
  ASSERT_EQ(graph.QueryInterface(&audio), S_OK);
  CComPtr<IUnknown> back;
  ASSERT_EQ(audio->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
  EXPECT_EQ(back.p(), identity.p());

  CComPtr<IBaseFilter> vmr;
  ASSERT_EQ(CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                             reinterpret_cast<void**>(&vmr)),
            S_OK);
  CComPtr<IVMRFilterConfig9> config;
  CComPtr<IVMRSurfaceAllocatorNotify9> notify;
  ASSERT_EQ(vmr.QueryInterface(&config), S_OK);
  ASSERT_EQ(vmr.QueryInterface(&notify), S_OK);
  EXPECT_EQ(config->SetRenderingMode(VMR9Mode_Windowless), E_INVALIDARG);
  EXPECT_EQ(config->SetRenderingMode(VMR9Mode_Renderless), S_OK);
  EXPECT_EQ(config->SetNumberOfStreams(1), S_OK);
  CComPtr<IBaseFilter> filter;
  ASSERT_EQ(notify.QueryInterface(&filter), S_OK);
  EXPECT_EQ(filter.p(), vmr.p());
  EXPECT_EQ(graph->RenderFile(L"/nonexistent.mp4", nullptr), VFW_E_CANNOT_RENDER) << "no renderer added";
  EXPECT_EQ(control->Run(), VFW_E_WRONG_STATE);
}

TEST(Com, BstrKeepsItsLength) {
  BSTR s = SysAllocString(L"ムービー.mp4");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 8u);
  EXPECT_EQ(std::wstring(s), L"ムービー.mp4");
  SysFreeString(s);
  BSTR empty = SysAllocString(L"");
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST_F(MediaTest, VolumeIsCheckedAndKept) {
  Graph g;
  ASSERT_EQ(g.Open(ClipPathW("mpeg4_sound.avi")), S_OK);
  EXPECT_EQ(g.audio->put_Volume(1), E_INVALIDARG);
  EXPECT_EQ(g.audio->put_Volume(-10001), E_INVALIDARG);
  EXPECT_EQ(g.audio->put_Volume(-2500), S_OK);
  LONG volume = 0;
  EXPECT_EQ(g.audio->get_Volume(&volume), S_OK);
  EXPECT_EQ(volume, -2500);
  EXPECT_EQ(g.audio->get_Volume(nullptr), E_POINTER);
}

// Without a sound server a movie with sound plays silently on the system clock.
TEST_F(MediaTest, NoSoundServerMeansSilentPlayback) {
  const std::string saved = std::getenv("PULSE_SERVER") ? std::getenv("PULSE_SERVER") : "";
  setenv("PULSE_SERVER", "unix:/nonexistent/pulse/native", 1);
  {
    Graph g;
    const HRESULT hr = g.Open(ClipPathW("h264_sound.mp4"));
    if (saved.empty()) {
      unsetenv("PULSE_SERVER");
    } else {
      setenv("PULSE_SERVER", saved.c_str(), 1);
    }
    ASSERT_EQ(hr, S_OK);
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(g.control->Run(), S_OK);
    ASSERT_TRUE(g.WaitForEvent(EC_COMPLETE, std::chrono::seconds(10)));
    EXPECT_GT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2)) << "played on the clock, not at once";
    EXPECT_GT(g.recorder->Presentations().size(), 30u);
  }
}

}  // namespace

// The 8 x 8 method from a 1920 x 1080 texture into a 1920 x 1080 window: time per frame
// through the device layer and the scene, against a minimal program making the same GL calls
// directly, in the same run. Also counts the allocations of a frame through the layer.
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <new>
#include <vector>

#include "OvfxPlugin.h"
#include "d3d9.h"
#include "scene/PlaneScene.h"
#include "winbase.h"

// After the program's headers: Xlib's macros clash with their names.
#include <epoxy/gl.h>
#include <epoxy/glx.h>
#include <X11/Xlib.h>

namespace {

std::atomic<long> g_allocations{0};

constexpr int kWidth = 1920, kHeight = 1080, kPlanes = 64, kFrames = 100;

Window MakeWindow(Display* display) {
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.event_mask = StructureNotifyMask;
  Window window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0, CopyFromParent,
                                InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask, &attributes);
  XMapRaised(display, window);
  XEvent event;
  do XWindowEvent(display, window, StructureNotifyMask, &event);
  while (event.type != MapNotify);
  XSync(display, False);
  return window;
}

std::vector<std::uint32_t> Picture() {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) pixels[static_cast<std::size_t>(y) * kWidth + x] = (x * 255 / kWidth) << 16 | (y * 255 / kHeight) << 8 | 0x40;
  return pixels;
}

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Plugin {
  PFNSETTEXTURECOORDINATE setTexture = nullptr;
  PFNUPDATEVERTEXCOORDINATE updateVertex = nullptr;
};

// Through the layer: the scene's Draw and the device's Present, as the allocator does.
double LayerFrameTime(Window window, const Plugin& plugin, long* allocationsPerFrame) {
  SceneSettings settings;
  settings.plugin.pfnSetTextureCoordinate = plugin.setTexture;
  settings.plugin.pfnUpdateVertexCoordinate = plugin.updateVertex;
  settings.plugin.nPlanes = kPlanes;
  bool ok = false;
  CKrPlaneScene scene(settings, ok);
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!ok || !d3d) std::exit(1);
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_COPY;
  parameters.hDeviceWindow = HwndFromId(window);
  parameters.Windowed = TRUE;
  IDirect3DDevice9* device = nullptr;
  IDirect3DTexture9* texture = nullptr;
  if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, HwndFromId(window), 0x24, &parameters, &device)) ||
      FAILED(device->CreateTexture(kWidth, kHeight, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
    std::exit(1);
  IDirect3DSurface9* level = nullptr;
  texture->GetSurfaceLevel(0, &level);
  D3DLOCKED_RECT locked{};
  level->LockRect(&locked, nullptr, 0);
  const auto picture = Picture();
  for (int y = 0; y < kHeight; ++y)
    std::copy_n(&picture[static_cast<std::size_t>(y) * kWidth], kWidth,
                reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch));
  level->UnlockRect();
  level->Release();
  if (FAILED(scene.PrepareDevice(device))) std::exit(1);
  for (int i = 0; i < 10; ++i) {
    scene.Draw(device, texture, SIZE{16, 9});
    device->Present(nullptr, nullptr, nullptr, nullptr);
  }
  const long before = g_allocations;
  const double start = Seconds();
  for (int i = 0; i < kFrames; ++i) {
    if (FAILED(scene.Draw(device, texture, SIZE{16, 9})) ||
        FAILED(device->Present(nullptr, nullptr, nullptr, nullptr)))
      std::exit(1);
  }
  const double time = (Seconds() - start) / kFrames;
  *allocationsPerFrame = (g_allocations - before) / kFrames;
  texture->Release();
  device->Release();
  d3d->Release();
  return time;
}

const char* const kVertex = R"(#version 330 core
in vec3 aPosition;
in vec2 aTexCoord;
uniform mat4 uMatrix;
out vec2 vTexCoord;
void main() { gl_Position = uMatrix * vec4(aPosition, 1.0); vTexCoord = aTexCoord; }
)";
const char* const kFragment = R"(#version 330 core
in vec2 vTexCoord;
uniform sampler2D uTexture;
out vec4 outColor;
void main() { outColor = texture(uTexture, vTexCoord); }
)";

// The same work in plain GL: upload the vertices, clear, 64 strips, swap.
double DirectFrameTime(Display* display, Window window, const Plugin& plugin) {
  const int attributes[] = {GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_DOUBLEBUFFER, True, GLX_RED_SIZE, 8, None};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
  const int contextAttributes[] = {GLX_CONTEXT_MAJOR_VERSION_ARB, 3, GLX_CONTEXT_MINOR_VERSION_ARB, 3,
                                   GLX_CONTEXT_PROFILE_MASK_ARB, GLX_CONTEXT_CORE_PROFILE_BIT_ARB, None};
  GLXContext context = glXCreateContextAttribsARB(display, configs[0], nullptr, True, contextAttributes);
  XFree(configs);
  glXMakeCurrent(display, window, context);
  if (epoxy_has_glx_extension(display, DefaultScreen(display), "GLX_EXT_swap_control"))
    glXSwapIntervalEXT(display, window, 0);

  GLuint program = glCreateProgram();
  for (auto [type, source] : {std::pair{GL_VERTEX_SHADER, kVertex}, std::pair{GL_FRAGMENT_SHADER, kFragment}}) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    glAttachShader(program, shader);
  }
  glBindAttribLocation(program, 0, "aPosition");
  glBindAttribLocation(program, 1, "aTexCoord");
  glLinkProgram(program);
  glUseProgram(program);
  const float matrix[16] = {2.0f / kWidth, 0, 0, 0, 0, 2.0f / kHeight, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  glUniformMatrix4fv(glGetUniformLocation(program, "uMatrix"), 1, GL_FALSE, matrix);

  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  const auto picture = Picture();
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE, picture.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

  GLuint vao = 0, buffer = 0;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, kPlanes * 4 * 20, nullptr, GL_DYNAMIC_DRAW);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 20, nullptr);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 20, reinterpret_cast<void*>(12));
  glEnableVertexAttribArray(0);
  glEnableVertexAttribArray(1);
  glViewport(0, 0, kWidth, kHeight);

  std::vector<float> uv(kPlanes * 8), xy(kPlanes * 8), vertices(kPlanes * 4 * 5);
  plugin.setTexture(uv.data(), kPlanes * 8, 1.0f, 1.0f);
  const SIZE target{kWidth, kHeight}, aspect{16, 9};
  auto frame = [&] {
    plugin.updateVertex(0, &target, &aspect, xy.data(), kPlanes * 8);
    for (int i = 0; i < kPlanes * 4; ++i) {
      vertices[i * 5 + 0] = xy[i * 2];
      vertices[i * 5 + 1] = xy[i * 2 + 1];
      vertices[i * 5 + 2] = 0;
      vertices[i * 5 + 3] = uv[i * 2];
      vertices[i * 5 + 4] = uv[i * 2 + 1];
    }
    glBufferSubData(GL_ARRAY_BUFFER, 0, kPlanes * 4 * 20, vertices.data());
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    for (int p = 0; p < kPlanes; ++p) glDrawArrays(GL_TRIANGLE_STRIP, p * 4, 4);
    glXSwapBuffers(display, window);
    XSync(display, False);  // as the layer's Present: the frame has reached the server
  };
  for (int i = 0; i < 10; ++i) frame();
  const double start = Seconds();
  for (int i = 0; i < kFrames; ++i) frame();
  const double time = (Seconds() - start) / kFrames;

  glDeleteBuffers(1, &buffer);
  glDeleteVertexArrays(1, &vao);
  glDeleteTextures(1, &texture);
  glDeleteProgram(program);
  glXMakeCurrent(display, None, nullptr);
  glXDestroyContext(display, context);
  return time;
}

}  // namespace

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

int main() {
  XInitThreads();
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  void* module = dlopen(OV_PLUGIN_DIR "/Split8x8.so", RTLD_NOW);
  if (!module) return 1;
  Plugin plugin{reinterpret_cast<PFNSETTEXTURECOORDINATE>(dlsym(module, "SetTextureCoordinate")),
                reinterpret_cast<PFNUPDATEVERTEXCOORDINATE>(dlsym(module, "UpdateVertexCoordinate"))};
  const Window layerWindow = MakeWindow(display);
  const Window directWindow = MakeWindow(display);

  // Alternate the two and keep the best of each, so that a busy moment does not decide.
  double layer = 1e9, direct = 1e9;
  long allocations = 0;
  for (int round = 0; round < 3; ++round) {
    layer = std::min(layer, LayerFrameTime(layerWindow, plugin, &allocations));
    direct = std::min(direct, DirectFrameTime(display, directWindow, plugin));
  }
  std::printf("device_layer_fps: %.1f\n", 1.0 / layer);
  std::printf("device_direct_gl_fps: %.1f\n", 1.0 / direct);
  std::printf("device_frame_allocations: %ld\n", allocations);
  std::printf("device_vs_direct_gl: %.3f\n", layer / direct);
  XCloseDisplay(display);
  return 0;
}

// The application object: every piece of shared state of the program.
#pragma once

#include <vector>

#include "afxwin.h"
#include "atlstr.h"
#include "scene/PluginRecord.h"
#include "settings/MovieList.h"

enum : int { MODE_NONE = 0, MODE_SETTINGS = 1, MODE_PREVIEW = 2, MODE_SAVER = 3 };

// The argument list of one InitInstance: a writable copy of the command line and pointers
// to the tokens cut inside it.
struct CommandLineArgs {
  wchar_t* copy = nullptr;
  std::vector<wchar_t*> tokens;
  CommandLineArgs() = default;
  CommandLineArgs(const CommandLineArgs&) = delete;
  CommandLineArgs& operator=(const CommandLineArgs&) = delete;
  ~CommandLineArgs();
};

bool IsSwitch(const wchar_t* token, wchar_t letter);

class COrvaneMovieScreenSaverApp : public CWinApp {
 public:
  COrvaneMovieScreenSaverApp();
  ~COrvaneMovieScreenSaverApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;

  void SerializeSettings(BOOL bSave);
  void LoadPlugins();
  void FreePlugins();
  void BuildPlayOrder();
  void BuildMethodOrder();
  void ReshufflePlayOrder();
  void ReshuffleMethodOrder();
  static void ShuffleIndices(std::vector<int>& indices);

  // Fills args from the process command line (GetCommandLineW).
  static void SplitCommandLine(CommandLineArgs& args);
  // Sets m_nRunMode from tokens 1 and 2; returns the window the mode is given, or null.
  HWND DecideRunMode(const CommandLineArgs& args);

  CString m_strInitialDir;
  bool m_bVmr9Available = false;
  BOOL m_bContinue = TRUE;
  BOOL m_bMute = TRUE;
  BOOL m_bShuffle = TRUE;
  UINT m_nPixelPerSec = 100;
  CString m_strCurrentFileName;
  LONGLONG m_llPos = 0;
  UINT m_nPlayIndex = 0;
  bool m_bNoPlayableMovie = false;
  std::vector<MovieEntry> m_movies;
  std::vector<int> m_playOrder;
  std::vector<PluginRecord> m_plugins;
  std::vector<int> m_methodOrder;
  UINT m_nMethodIndex = 0;
  int m_nRunMode = MODE_NONE;
};

// The running application object.
inline COrvaneMovieScreenSaverApp* GetOrvaneApp() { return static_cast<COrvaneMovieScreenSaverApp*>(AfxGetApp()); }

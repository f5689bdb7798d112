// Loading and saving the settings: the INI keys of section Ver1, the movie list file and the
// plug-ins' enable flags.
#include <cwchar>

#include "app/AppPaths.h"
#include "app/OrvaneMovieScreenSaverApp.h"

namespace {

constexpr wchar_t kSection[] = L"Ver1";

// "表示方法_<display name>": the key of a plug-in's enable flag.
CString PluginKey(const PluginRecord& plugin) {
  CString key;
  key.Format(L"\u8868\u793A\u65B9\u6CD5_%s", plugin.strName.GetString());
  return key;
}

}  // namespace

void COrvaneMovieScreenSaverApp::SerializeSettings(BOOL bSave) {
  if (!bSave) {
    m_strInitialDir = GetProfileString(kSection, L"InitialDir", m_strInitialDir);
    m_bContinue = static_cast<BOOL>(GetProfileInt(kSection, L"Continue", m_bContinue));
    m_bMute = static_cast<BOOL>(GetProfileInt(kSection, L"Mute", m_bMute));
    m_bShuffle = static_cast<BOOL>(GetProfileInt(kSection, L"Shuffle", m_bShuffle));
    m_nPixelPerSec = GetProfileInt(kSection, L"PixelPerSec", static_cast<int>(m_nPixelPerSec));
    m_strCurrentFileName = GetProfileString(kSection, L"CurrentFileName", nullptr);
    const CString pos = GetProfileString(kSection, L"Pos", nullptr);
    if (!pos.IsEmpty()) m_llPos = std::wcstoll(pos, nullptr, 10);

    LoadMovieList(m_movies, GetMovieListFilePath());

    for (PluginRecord& plugin : m_plugins) {
      plugin.bEnabled = static_cast<BOOL>(GetProfileInt(kSection, PluginKey(plugin), plugin.bEnabled));
    }
    BuildPlayOrder();
    BuildMethodOrder();
  } else {
    WriteProfileString(kSection, L"InitialDir", m_strInitialDir);
    WriteProfileInt(kSection, L"Continue", m_bContinue);
    WriteProfileInt(kSection, L"Mute", m_bMute);
    WriteProfileInt(kSection, L"Shuffle", m_bShuffle);
    WriteProfileInt(kSection, L"PixelPerSec", static_cast<int>(m_nPixelPerSec));

    SaveMovieList(GetMovieListFilePath(), m_movies);

    for (const PluginRecord& plugin : m_plugins) {
      WriteProfileInt(kSection, PluginKey(plugin), plugin.bEnabled);
    }
  }
}

// The settings dialog driven in-process: its handlers run inside its own modal loop, on
// real widgets under the test's X server, with the real plug-ins and real movies.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "Clips.h"
#include "controls.h"
#include "app/OrvaneMovieScreenSaverApp.h"
#include "dialog/AboutDlg.h"
#include "dialog/OrvaneMovieScreenSaverDlg.h"
#include "libloaderapi.h"

extern "C" int XInitThreads();  // Xlib, without its macros

COrvaneMovieScreenSaverApp theApp;

namespace fs = std::filesystem;

// Reaches the dialog's handlers and members.
class SettingsDialogDriver {
 public:
  explicit SettingsDialogDriver(COrvaneMovieScreenSaverDlg& d) : dlg(d) {}
  COrvaneMovieScreenSaverDlg& dlg;

  CListBox& movies() { return dlg.m_lstMovies; }
  CListCtrl& methods() { return dlg.m_lstMethods; }
  CWndDraw& preview() { return dlg.m_wndPreview; }
  void Click(int id) { dlg.SendMessage(WM_COMMAND, MAKELONG(static_cast<WORD>(id), BN_CLICKED), 0); }
  void SetSpeedText(const wchar_t* text) {
    static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_SPEED)->GetWidget())->setText(QString::fromWCharArray(text));
  }
  QLineEdit* SpeedEdit() { return static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_SPEED)->GetWidget()); }
  void Drop(std::initializer_list<const wchar_t*> paths) {
    std::vector<const wchar_t*> list(paths);
    HDROP drop = AfxCreateDropHandle(list.data(), static_cast<UINT>(list.size()));
    ::SendMessageW(movies().m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  }
  void Fill(int n) {
    movies().ResetContent();
    for (int i = 0; i < n; ++i) movies().AddString((L"m" + std::to_wstring(i)).c_str());
  }
  std::vector<std::wstring> Items() {
    std::vector<std::wstring> out;
    for (int i = 0; i < movies().GetCount(); ++i) {
      CString s;
      movies().GetText(i, s);
      out.push_back(s.str());
    }
    return out;
  }
  std::set<int> Selection() {
    std::set<int> out;
    for (int i = 0; i < movies().GetCount(); ++i)
      if (movies().GetSel(i) > 0) out.insert(i);
    return out;
  }
  bool Open() const { return dlg.m_hWnd != nullptr && dlg.IsWindowVisible(); }
  void Restart() { dlg.OnBnClickedRestart(); }
  void SysCommand(UINT id) { dlg.SendMessage(WM_SYSCOMMAND, id, 0); }
  void Help() { dlg.OnBnClickedHelp(); }
};

namespace {

// Lets the loop run for a while (movies decode, windows paint).
void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Runs the dialog; body runs inside its modal loop and ends it (OK or Cancel).
INT_PTR RunDialog(const std::function<void(SettingsDialogDriver&)>& body) {
  COrvaneMovieScreenSaverDlg dlg(nullptr);
  QTimer::singleShot(0, [&] {
    SettingsDialogDriver d(dlg);
    body(d);
    if (d.Open()) d.Click(IDCANCEL);
  });
  return dlg.DoModal();
}

// Answers every message box that appears, keeping its text.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts.push_back(box->text().toStdWString());
        titles.push_back(box->windowTitle().toStdWString());
        focusWasOnEdit.push_back(false);
        box->accept();
      }
    });
    timer_.start();
  }
  std::vector<std::wstring> texts;
  std::vector<std::wstring> titles;
  std::vector<bool> focusWasOnEdit;

 private:
  QTimer timer_;
};

class SettingsDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = fs::temp_directory_path() / ("ov-dialog-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    fs::create_symlink(fs::read_symlink("/proc/self/exe"), folder_ / "OrvaneMovieScreenSaver");
    fs::create_directory_symlink(OV_PLUGIN_DIR, folder_ / "ovfx");
    SetModuleFileNameForTesting((folder_ / "OrvaneMovieScreenSaver").wstring().c_str());
    const std::wstring ini = (folder_ / "OrvaneMovieScreenSaver.ini").wstring();
    auto* name = static_cast<wchar_t*>(std::malloc((ini.size() + 1) * sizeof(wchar_t)));
    std::wcscpy(name, ini.c_str());
    theApp.m_pszProfileName = name;
    theApp.m_nRunMode = MODE_SETTINGS;
    theApp.m_bVmr9Available = true;
    theApp.LoadPlugins();
  }
  static void TearDownTestSuite() {
    theApp.FreePlugins();
    SetModuleFileNameForTesting(nullptr);
    fs::remove_all(folder_);
  }
  void SetUp() override {
    ASSERT_EQ(theApp.m_plugins.size(), 2u) << "the grid plug-ins of the build";
    for (PluginRecord& r : theApp.m_plugins) r.bEnabled = TRUE;
    theApp.m_movies.clear();
    theApp.m_bContinue = FALSE;
    theApp.m_bMute = TRUE;
    theApp.m_bShuffle = FALSE;
    theApp.m_nPixelPerSec = 100;
    theApp.m_strInitialDir.Empty();
    theApp.m_strCurrentFileName.Empty();
    theApp.m_llPos = 0;
    theApp.BuildPlayOrder();
    theApp.BuildMethodOrder();
  }
  static fs::path folder_;
};
fs::path SettingsDialogTest::folder_;

TEST_F(SettingsDialogTest, OpensWithTheStoredListOptionsAndMethods) {
  theApp.m_movies = {{L"/v/b.mp4", MOVIE_FAILED}, {L"/v/a.mp4", MOVIE_OPENED}, {L"/v/b.mp4", MOVIE_UNTRIED}};
  theApp.m_bShuffle = TRUE;
  theApp.m_nPixelPerSec = 250;
  theApp.m_plugins[1].bEnabled = FALSE;
  const INT_PTR result = RunDialog([](SettingsDialogDriver& d) {
    EXPECT_EQ(d.Items(), (std::vector<std::wstring>{L"/v/b.mp4", L"/v/a.mp4", L"/v/b.mp4"}));
    EXPECT_EQ(::SendMessageW(d.dlg.GetDlgItem(IDC_SHUFFLE)->m_hWnd, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(d.dlg.GetDlgItem(IDC_MUTE)->m_hWnd, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(d.dlg.GetDlgItem(IDC_CONTINUE)->m_hWnd, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(d.SpeedEdit()->text(), QStringLiteral("250"));
    ASSERT_EQ(d.methods().GetItemCount(), 2);
    EXPECT_EQ(d.methods().GetItemText(0, 0), theApp.m_plugins[0].strName);
    EXPECT_TRUE(d.methods().GetCheck(0));
    EXPECT_FALSE(d.methods().GetCheck(1));
    EXPECT_GT(d.movies().GetHorizontalExtent(), 0);
    // Every control of the template is there, the preview frame hidden.
    for (int id : {IDOK, IDCANCEL, IDC_HELP_BUTTON, IDC_MOVIE_LIST, IDC_ADD, IDC_DELETE, IDC_DELETE_ALL, IDC_UP, IDC_DOWN,
                   IDC_SHUFFLE, IDC_CONTINUE, IDC_MUTE, IDC_SPEED, IDC_METHOD_LIST, IDC_CHECK_ALL, IDC_UNCHECK_ALL,
                   IDC_RESTART}) {
      ASSERT_NE(d.dlg.GetDlgItem(id), nullptr) << id;
      EXPECT_TRUE(d.dlg.GetDlgItem(id)->IsWindowVisible()) << id;
    }
    EXPECT_FALSE(d.dlg.GetDlgItem(IDC_PREVIEW_FRAME)->IsWindowVisible());
    // The preview lies over the frame's rectangle.
    CRect frame, preview;
    d.dlg.GetDlgItem(IDC_PREVIEW_FRAME)->GetWindowRect(&frame);
    d.preview().GetWindowRect(&preview);
    EXPECT_EQ(frame, preview);
    EXPECT_TRUE(d.preview().IsWindowVisible());
    // The About item ends the system menu.
    CMenu* menu = d.dlg.GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    ASSERT_GE(menu->GetMenuItemCount(), 2u);
    EXPECT_EQ(menu->Items().back().id, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(menu->Items().back().text, L"バージョン情報 OrvaneMovieScreenSaver(&A)...");
    EXPECT_TRUE(menu->Items()[menu->GetMenuItemCount() - 2].flags & MF_SEPARATOR);
    d.Click(IDOK);
  });
  EXPECT_EQ(result, IDOK);
  // OK without changes: same paths, every state reset, a fresh play order.
  ASSERT_EQ(theApp.m_movies.size(), 3u);
  EXPECT_EQ(theApp.m_movies[0].path, L"/v/b.mp4");
  for (const MovieEntry& e : theApp.m_movies) EXPECT_EQ(e.state, MOVIE_UNTRIED);
  EXPECT_EQ(theApp.m_playOrder.size(), 3u);
  EXPECT_EQ(theApp.m_nPixelPerSec, 250u);
  EXPECT_FALSE(theApp.m_plugins[1].bEnabled);
}

TEST_F(SettingsDialogTest, DeleteUpAndDownMoveTheSelection) {
  struct Case {
    const char* name;
    int button;
    std::set<int> select;
    std::vector<std::wstring> items;
    std::set<int> selectedAfter;
  };
  const Case cases[] = {
      {"delete 2 and 4", IDC_DELETE, {2, 4}, {L"m0", L"m1", L"m3", L"m5"}, {3}},
      {"delete through the end", IDC_DELETE, {4, 5}, {L"m0", L"m1", L"m2", L"m3"}, {}},
      {"delete nothing selected", IDC_DELETE, {}, {L"m0", L"m1", L"m2", L"m3", L"m4", L"m5"}, {}},
      {"up 1 and 3", IDC_UP, {1, 3}, {L"m1", L"m0", L"m3", L"m2", L"m4", L"m5"}, {0, 2}},
      {"up block at the top", IDC_UP, {0, 2}, {L"m0", L"m1", L"m2", L"m3", L"m4", L"m5"}, {0, 2}},
      {"down 1 and 3", IDC_DOWN, {1, 3}, {L"m0", L"m2", L"m1", L"m4", L"m3", L"m5"}, {2, 4}},
      {"down block at the bottom", IDC_DOWN, {3, 5}, {L"m0", L"m1", L"m2", L"m3", L"m4", L"m5"}, {3, 5}},
      {"down a contiguous block", IDC_DOWN, {1, 2}, {L"m0", L"m3", L"m1", L"m2", L"m4", L"m5"}, {2, 3}},
  };
  RunDialog([&](SettingsDialogDriver& d) {
    for (const Case& c : cases) {
      d.Fill(6);
      for (int i : c.select) d.movies().SetSel(i, TRUE);
      d.Click(c.button);
      EXPECT_EQ(d.Items(), c.items) << c.name;
      EXPECT_EQ(d.Selection(), c.selectedAfter) << c.name;
    }
  });
}

TEST_F(SettingsDialogTest, DeleteAllKeepsTheExtentAndDropsKeepDuplicates) {
  const std::wstring longPath = L"/movies/" + std::wstring(200, L'x') + L".mp4";
  const INT_PTR result = RunDialog([&](SettingsDialogDriver& d) {
    d.Drop({longPath.c_str(), L"/other/b.mkv"});
    d.Drop({L"/other/b.mkv"});
    EXPECT_EQ(d.Items(), (std::vector<std::wstring>{longPath, L"/other/b.mkv", L"/other/b.mkv"}));
    EXPECT_EQ(theApp.m_strInitialDir, L"/other/");
    const int extent = d.movies().GetHorizontalExtent();
    EXPECT_GT(extent, 600);
    d.Click(IDC_DELETE_ALL);
    EXPECT_EQ(d.movies().GetCount(), 0);
    EXPECT_EQ(d.movies().GetHorizontalExtent(), extent);
    d.Click(IDC_DELETE_ALL);  // an empty list: nothing happens
    d.Drop({L"/a/c.avi", L"/a/c.avi"});
    d.Click(IDOK);
  });
  EXPECT_EQ(result, IDOK);
  ASSERT_EQ(theApp.m_movies.size(), 2u);
  EXPECT_EQ(theApp.m_movies[0].path, theApp.m_movies[1].path);
  EXPECT_EQ(theApp.m_strInitialDir, L"/a/");
}

TEST_F(SettingsDialogTest, SpeedTextFollowsTheUnsignedScanRules) {
  struct Case {
    const wchar_t* text;
    bool accepted;
    UINT value;
  };
  const Case cases[] = {
      {L"0", true, 0},         {L"12abc", true, 12}, {L"  7", true, 7},  {L"-1", true, 4294967295u},
      {L"4294967295", true, 4294967295u}, {L"", false, 0}, {L"abc", false, 0}, {L"+", false, 0},
  };
  for (const Case& c : cases) {
    SetUp();
    MessageBoxAnswerer boxes;
    bool stayedOpen = false;
    bool editFocused = false;
    bool wholeTextSelected = false;
    const INT_PTR result = RunDialog([&](SettingsDialogDriver& d) {
      d.SetSpeedText(c.text);
      d.Click(IDOK);
      stayedOpen = d.Open();
      editFocused = d.SpeedEdit()->window()->focusWidget() == d.SpeedEdit();
      wholeTextSelected = d.SpeedEdit()->selectedText() == d.SpeedEdit()->text();
    });
    const std::string name(c.text, c.text + std::wcslen(c.text));
    if (c.accepted) {
      EXPECT_EQ(result, IDOK) << name;
      EXPECT_EQ(theApp.m_nPixelPerSec, c.value) << name;
      EXPECT_TRUE(boxes.texts.empty()) << name;
    } else {
      EXPECT_TRUE(stayedOpen) << name;
      EXPECT_EQ(result, IDCANCEL) << name;
      EXPECT_EQ(theApp.m_nPixelPerSec, 100u) << name;
      ASSERT_FALSE(boxes.texts.empty()) << name;
      EXPECT_EQ(boxes.texts.front(), L"Please enter a positive integer.") << name;
      EXPECT_EQ(boxes.titles.front(), L"OrvaneMovieScreenSaver") << name;
      EXPECT_TRUE(editFocused) << name;
      EXPECT_TRUE(wholeTextSelected) << name;
    }
  }
}

TEST_F(SettingsDialogTest, TickAllThenCancelChangesNothing) {
  theApp.m_plugins[0].bEnabled = FALSE;
  theApp.BuildMethodOrder();
  const std::vector<int> order = theApp.m_methodOrder;
  const INT_PTR result = RunDialog([](SettingsDialogDriver& d) {
    d.Click(IDC_CHECK_ALL);
    EXPECT_TRUE(d.methods().GetCheck(0));
    EXPECT_TRUE(d.methods().GetCheck(1));
    d.Click(IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(theApp.m_plugins[0].bEnabled);
  EXPECT_TRUE(theApp.m_plugins[1].bEnabled);
  EXPECT_EQ(theApp.m_methodOrder, order);
}

QImage Grab(CWnd& wnd) {
  CRect r;
  wnd.GetWindowRect(&r);
  return QGuiApplication::primaryScreen()->grabWindow(0, r.left, r.top, r.Width(), r.Height()).toImage();
}

bool HasBrightPixels(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) > 200) return true;
  return false;
}

TEST_F(SettingsDialogTest, UntickAllThenRestartShowsTheNoMethodText) {
  theApp.m_movies = {{ClipPathW("h264_silent.mp4"), MOVIE_UNTRIED}};
  theApp.BuildPlayOrder();
  RunDialog([](SettingsDialogDriver& d) {
    Pump(800);
    EXPECT_TRUE(d.preview().m_player.m_pSeeking) << "the preview plays the movie";
    d.Click(IDC_UNCHECK_ALL);
    EXPECT_TRUE(theApp.m_plugins[0].bEnabled) << "nothing committed before the restart";
    d.Click(IDC_RESTART);
    Pump(300);
    EXPECT_FALSE(theApp.m_plugins[0].bEnabled);
    EXPECT_FALSE(theApp.m_plugins[1].bEnabled);
    EXPECT_TRUE(theApp.m_methodOrder.empty());
    EXPECT_FALSE(d.preview().m_player.m_pSeeking) << "nothing plays";
    const QImage noMethod = Grab(d.preview());
    EXPECT_TRUE(HasBrightPixels(noMethod)) << "a status text";
    // An empty list instead gives another text.
    d.Click(IDC_CHECK_ALL);
    d.Click(IDC_DELETE_ALL);
    d.Click(IDC_RESTART);
    Pump(300);
    const QImage emptyList = Grab(d.preview());
    EXPECT_TRUE(HasBrightPixels(emptyList));
    EXPECT_NE(noMethod, emptyList);
  });
}

TEST_F(SettingsDialogTest, RestartWithContinueResumesTheSameMovie) {
  theApp.m_movies = {{ClipPathW("h264_sound.mp4"), MOVIE_UNTRIED}, {ClipPathW("vp9_silent.webm"), MOVIE_UNTRIED}};
  theApp.BuildPlayOrder();
  RunDialog([](SettingsDialogDriver& d) {
    ::SendMessageW(d.dlg.GetDlgItem(IDC_CONTINUE)->m_hWnd, BM_SETCHECK, BST_CHECKED, 0);
    Pump(1200);
    ASSERT_TRUE(d.preview().m_player.m_pSeeking);
    const CString playing = theApp.m_strCurrentFileName;
    EXPECT_EQ(playing, ClipPathW("h264_sound.mp4"));
    d.Restart();
    EXPECT_TRUE(theApp.m_bContinue);
    EXPECT_GT(theApp.m_llPos, 0) << "the position reached";
    EXPECT_EQ(theApp.m_strCurrentFileName, playing);
    ASSERT_TRUE(d.preview().m_player.m_pSeeking);
    LONGLONG now = 0;
    d.preview().m_player.m_pSeeking->GetPositions(&now, nullptr);
    EXPECT_GE(now + 2000000, theApp.m_llPos) << "resumed near the stored position";
    EXPECT_EQ(theApp.m_strCurrentFileName, playing);
  });
}

TEST_F(SettingsDialogTest, AboutBoxShowsTheProgramVersion) {
  RunDialog([](SettingsDialogDriver& d) {
    std::wstring version;
    QTimer::singleShot(0, [&] {
      auto* about = dynamic_cast<CAboutDlg*>(CDialog::GetActiveModal());
      ASSERT_NE(about, nullptr);
      version = GetControlText(about->GetDlgItem(IDC_VERSION)->m_hWnd).str();
      about->SendMessage(WM_COMMAND, MAKELONG(IDOK, BN_CLICKED), 0);
    });
    d.SysCommand(IDM_ABOUTBOX);
    EXPECT_EQ(version, L"Version 1.00.0000.0000");
    EXPECT_TRUE(d.Open());
  });
}

TEST_F(SettingsDialogTest, HelpOpensTheChmBesideTheProgramOrSaysItIsMissing) {
  const fs::path chm = folder_ / "OrvaneMovieScreenSaver.chm";
  const fs::path bin = folder_ / "bin";
  const fs::path record = folder_ / "opened.txt";
  fs::create_directories(bin);
  std::ofstream(bin / "xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << record.string() << "'\n";
  fs::permissions(bin / "xdg-open", fs::perms::owner_all);
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (bin.string() + ":" + oldPath).c_str(), 1);

  MessageBoxAnswerer boxes;
  RunDialog([&](SettingsDialogDriver& d) {
    fs::remove(chm);
    d.Help();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], L"ヘルプファイルが見つかりませんでした。");
    EXPECT_FALSE(fs::exists(record));

    fs::copy_file(OV_HELP_FILE, chm);
    d.Help();
    EXPECT_EQ(boxes.texts.size(), 1u);
    for (int i = 0; i < 200 && !fs::exists(record); ++i) Pump(20);
    std::ifstream in(record);
    std::string opened((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(opened, chm.string());
  });
  setenv("PATH", oldPath.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  XInitThreads();
  ::testing::InitGoogleTest(&argc, argv);
  if (!std::getenv("DISPLAY")) {
    std::fprintf(stderr, "no DISPLAY: the dialog needs an X server\n");
    return 1;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication qapp(argc, argv);
  return RUN_ALL_TESTS();
}

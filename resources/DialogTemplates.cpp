// Dialog templates 100 (About box) and 102 (settings dialog).
#include "afxres.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

constexpr DialogControlTemplate kAboutControls[] = {
    {WC_STATICW, L"", IDC_STATIC, kChild | SS_ICON, 0, 11, 17, 20, 20, IDR_MAINFRAME},
    {WC_STATICW, L"OrvaneMovieScreenSaver", IDC_STATIC, kChild | SS_LEFT | SS_NOPREFIX | WS_GROUP, 0, 40, 10, 119, 8, 0},
    {WC_STATICW, L"Copyright (C) Orvane. All rights reserved.", IDC_STATIC, kChild | SS_LEFT | WS_GROUP, 0, 34, 40, 129, 8,
     0},
    {WC_BUTTONW, L"OK", IDOK, kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 61, 62, 50, 16, 0},
    {WC_STATICW, L"Version x.xx.xxxx.xxxx", IDC_VERSION, kChild | SS_LEFT | WS_GROUP, 0, 60, 25, 70, 8, 0},
};

constexpr DialogTemplate kAbout{L"バージョン情報 OrvaneMovieScreenSaver",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                0,
                                0,
                                0,
                                175,
                                85,
                                L"MS UI Gothic",
                                9,
                                kAboutControls,
                                static_cast<int>(sizeof kAboutControls / sizeof kAboutControls[0])};

constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;

constexpr DialogControlTemplate kSettingsControls[] = {
    {WC_BUTTONW, L"OK", IDOK, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 170, 242, 50, 14, 0},
    {WC_BUTTONW, L"キャンセル", IDCANCEL, kButton, 0, 222, 242, 50, 14, 0},
    {WC_BUTTONW, L"ヘルプ", IDC_HELP_BUTTON, kButton, 0, 7, 242, 50, 14, 0},
    {WC_STATICW, L"ムービーファイルリスト（ドラッグアンドドロップ可）", IDC_STATIC, kLabel, 0, 7, 12, 123, 8, 0},
    {WC_LISTBOXW, L"", IDC_MOVIE_LIST,
     kChild | WS_TABSTOP | LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_HSCROLL,
     WS_EX_ACCEPTFILES, 7, 22, 265, 75, 0},
    {WC_BUTTONW, L"追加", IDC_ADD, kButton, 0, 165, 7, 19, 14, 0},
    {WC_BUTTONW, L"削除", IDC_DELETE, kButton, 0, 184, 7, 19, 14, 0},
    {WC_BUTTONW, L"全削除", IDC_DELETE_ALL, kButton, 0, 203, 7, 26, 14, 0},
    {WC_BUTTONW, L"↑", IDC_UP, kButton, 0, 234, 7, 19, 14, 0},
    {WC_BUTTONW, L"↓", IDC_DOWN, kButton, 0, 253, 7, 19, 14, 0},
    {WC_BUTTONW, L"シャッフル再生", IDC_SHUFFLE, kCheck, 0, 11, 102, 54, 10, 0},
    {WC_BUTTONW, L"前回の続き再生", IDC_CONTINUE, kCheck, 0, 11, 116, 61, 10, 0},
    {WC_BUTTONW, L"無音再生", IDC_MUTE, kCheck, 0, 11, 130, 43, 10, 0},
    {WC_STATICW, L"", IDC_STATIC, kChild | SS_ETCHEDFRAME, 0, 73, 102, 1, 38, 0},
    {WC_STATICW, L"速度[ピクセル/秒]：", IDC_STATIC, kLabel, 0, 82, 103, 54, 8, 0},
    {WC_EDITW, L"", IDC_SPEED, kChild | WS_TABSTOP | ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER, 0, 137, 100, 20, 14, 0},
    {WC_STATICW, L"表示方法リスト", IDC_STATIC, kLabel, 0, 7, 146, 42, 8, 0},
    {WC_LISTVIEWW, L"", IDC_METHOD_LIST,
     kChild | WS_BORDER | WS_TABSTOP | LVS_LIST | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_ALIGNLEFT, 0, 7, 156, 175, 76, 0},
    {WC_BUTTONW, L"全チェック", IDC_CHECK_ALL, kButton, 0, 104, 141, 30, 14, 0},
    {WC_BUTTONW, L"全チェックはずし", IDC_UNCHECK_ALL, kButton, 0, 135, 141, 46, 14, 0},
    {WC_STATICW, L"プレビュー", IDC_STATIC, kLabel, 0, 185, 146, 26, 8, 0},
    {WC_BUTTONW, L"再スタート", IDC_RESTART, kButton, 0, 240, 141, 32, 14, 0},
    {WC_STATICW, L"", IDC_PREVIEW_FRAME, WS_CHILD | SS_BITMAP, 0, 184, 156, 88, 76, IDB_PREVIEW},
};

constexpr DialogTemplate kSettings{L"OrvaneMovieScreenSaver",
                                   WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                   WS_EX_APPWINDOW,
                                   0,
                                   0,
                                   279,
                                   263,
                                   L"MS UI Gothic",
                                   9,
                                   kSettingsControls,
                                   static_cast<int>(sizeof kSettingsControls / sizeof kSettingsControls[0])};

OV_RESOURCE const ResourceEntry kAboutEntry{ResourceKind::Dialog, IDD_ABOUTBOX, &kAbout};
OV_RESOURCE const ResourceEntry kSettingsEntry{ResourceKind::Dialog, IDD_SETTINGS, &kSettings};

}  // namespace

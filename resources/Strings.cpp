// The string table.
#include "afxres.h"
#include "resources/resource.h"

namespace {

OV_RESOURCE const ResourceEntry kAboutBox{ResourceKind::String, IDS_ABOUTBOX,
                                          L"バージョン情報 OrvaneMovieScreenSaver(&A)..."};
OV_RESOURCE const ResourceEntry kAppTitle{ResourceKind::String, AFX_IDS_APP_TITLE, L"OrvaneMovieScreenSaver"};
OV_RESOURCE const ResourceEntry kParseUint{ResourceKind::String, AFX_IDP_PARSE_UINT, L"Please enter a positive integer."};

}  // namespace

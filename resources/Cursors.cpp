// The transparent cursor 129: 32 x 32, hot spot (0, 0), every pixel see-through.
#include "afxres.h"
#include "resources/resource.h"

namespace {

const char* const kTransparentXpm[] = {
    "32 32 1 1",
    "  c None",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};

const ImageResource kTransparent{kTransparentXpm, 0, 0};

OV_RESOURCE const ResourceEntry kTransparentEntry{ResourceKind::Cursor, IDC_TRANSPARENT, &kTransparent};

}  // namespace

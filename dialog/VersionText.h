// The version text of the running program, for the About box.
#pragma once

#include "atlstr.h"

CString GetVersionText();

// Wide text to and from the UTF-8 bytes that file names and the INI file use. Bytes that are
// not valid UTF-8 become the characters U+DC80..U+DCFF and go back to the same bytes, so any
// file name survives the round trip.
#pragma once

#include <string>
#include <string_view>

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view bytes);

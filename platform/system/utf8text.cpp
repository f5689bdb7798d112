#include "utf8text.h"

#include <cstdint>

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Length of the valid UTF-8 sequence at bytes[i] and its value; 0 when not valid.
std::size_t DecodeOne(std::string_view bytes, std::size_t i, char32_t& value) {
  const auto b0 = static_cast<unsigned char>(bytes[i]);
  std::size_t len;
  char32_t c;
  if (b0 < 0x80) {
    value = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, c = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, c = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, c = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + len > bytes.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(bytes[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not valid.
  if ((len == 3 && c < 0x800) || (len == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF)) {
    return 0;
  }
  value = c;
  return len;
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    const auto c = static_cast<char32_t>(static_cast<std::uint32_t>(wc));
    if (c >= 0xDC80 && c <= 0xDCFF) {
      out += static_cast<char>(c - 0xDC00);  // an escaped byte goes back as it was
    } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::wstring Utf8ToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c;
    const std::size_t len = DecodeOne(bytes, i, c);
    if (len == 0) {
      out += static_cast<wchar_t>(0xDC00 + static_cast<unsigned char>(bytes[i]));
      ++i;
    } else {
      out += static_cast<wchar_t>(c);
      i += len;
    }
  }
  return out;
}

#include "stringapiset.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

constexpr wchar_t kUndefinedCharacter = 0x30FB;

const char* CodePageName(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case 932:
      return "CP932";
    case CP_UTF8:
      return "UTF-8";
    default:
      return nullptr;
  }
}

// One conversion descriptor per thread and direction, opened at first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

iconv_t ToWide(UINT codePage) {
  if (codePage == CP_UTF8) {
    thread_local Converter utf8("WCHAR_T", "UTF-8");
    return utf8.ok() ? utf8.get() : reinterpret_cast<iconv_t>(-1);
  }
  thread_local Converter cp932("WCHAR_T", "CP932");
  return cp932.ok() ? cp932.get() : reinterpret_cast<iconv_t>(-1);
}

iconv_t FromWide(UINT codePage) {
  if (codePage == CP_UTF8) {
    thread_local Converter utf8("UTF-8", "WCHAR_T");
    return utf8.ok() ? utf8.get() : reinterpret_cast<iconv_t>(-1);
  }
  thread_local Converter cp932("CP932", "WCHAR_T");
  return cp932.ok() ? cp932.get() : reinterpret_cast<iconv_t>(-1);
}

// Runs the whole input through cd. An input unit that cannot be converted (unitBytes wide)
// is replaced by `replacement` in the output; *replaced tells whether that happened.
bool Convert(iconv_t cd, const char* input, std::size_t inputBytes, std::size_t unitBytes,
             const std::string& replacement, std::string& output, bool* replaced) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  output.assign(inputBytes * 2 + 16, '\0');
  char* in = const_cast<char*>(input);
  std::size_t inLeft = inputBytes;
  std::size_t written = 0;
  while (inLeft > 0) {
    char* out = output.data() + written;
    std::size_t outLeft = output.size() - written;
    const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    written = output.size() - outLeft;
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      output.resize(output.size() * 2);
    } else if (errno == EILSEQ || errno == EINVAL) {
      const std::size_t skip = unitBytes < inLeft ? unitBytes : inLeft;
      in += skip;
      inLeft -= skip;
      if (output.size() - written < replacement.size() + 16) output.resize(output.size() * 2 + replacement.size());
      std::memcpy(output.data() + written, replacement.data(), replacement.size());
      written += replacement.size();
      if (replaced) *replaced = true;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else {
      return false;
    }
  }
  output.resize(written);
  return true;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, LPCSTR multiByte, int cbMultiByte, LPWSTR wideChar,
                        int cchWideChar) {
  if (!CodePageName(codePage) || !multiByte || cbMultiByte == 0 || cchWideChar < 0) return 0;
  const std::size_t inputBytes =
      cbMultiByte < 0 ? std::strlen(multiByte) + 1 : static_cast<std::size_t>(cbMultiByte);
  iconv_t cd = ToWide(codePage);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  const wchar_t undefined = kUndefinedCharacter;
  const std::string replacement(reinterpret_cast<const char*>(&undefined), sizeof(wchar_t));
  std::string bytes;
  if (!Convert(cd, multiByte, inputBytes, 1, replacement, bytes, nullptr)) return 0;
  const std::size_t count = bytes.size() / sizeof(wchar_t);
  if (cchWideChar == 0) return static_cast<int>(count);
  if (!wideChar || count > static_cast<std::size_t>(cchWideChar)) return 0;
  std::memcpy(wideChar, bytes.data(), count * sizeof(wchar_t));
  return static_cast<int>(count);
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR wideChar, int cchWideChar, LPSTR multiByte,
                        int cbMultiByte, LPCSTR defaultChar, BOOL* usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = FALSE;
  if (!CodePageName(codePage) || !wideChar || cchWideChar == 0 || cbMultiByte < 0) return 0;
  const std::size_t count = cchWideChar < 0 ? std::wcslen(wideChar) + 1 : static_cast<std::size_t>(cchWideChar);
  iconv_t cd = FromWide(codePage);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  const std::string replacement(1, defaultChar && defaultChar[0] ? defaultChar[0] : '?');
  std::string bytes;
  bool replaced = false;
  if (!Convert(cd, reinterpret_cast<const char*>(wideChar), count * sizeof(wchar_t), sizeof(wchar_t), replacement,
               bytes, &replaced)) {
    return 0;
  }
  if (usedDefaultChar) *usedDefaultChar = replaced ? TRUE : FALSE;
  if (cbMultiByte == 0) return static_cast<int>(bytes.size());
  if (!multiByte || bytes.size() > static_cast<std::size_t>(cbMultiByte)) return 0;
  std::memcpy(multiByte, bytes.data(), bytes.size());
  return static_cast<int>(bytes.size());
}

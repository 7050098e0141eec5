#include "platform/sim/text_encoding.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#include <map>
#include <utility>
#endif

#ifdef _WIN32

namespace {

const unsigned int kShiftJis = 932;

// The system's own conversions, as on the handset; wchar_t is UTF-16 here.
std::wstring ToWide(unsigned int codePage, std::string_view bytes, bool& valid) {
  valid = true;
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  valid = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0) > 0;
  std::wstring text(bytes.size(), L'\0');
  text.resize(static_cast<std::size_t>(
      MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), size)));
  return text;
}

std::string FromWide(unsigned int codePage, std::wstring_view text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string converted(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, converted.data(), bytes, nullptr, nullptr);
  return converted;
}

}  // namespace

std::wstring Cp932ToWide(std::string_view bytes) {
  bool valid;
  return ToWide(kShiftJis, bytes, valid);
}

std::string WideToCp932(std::wstring_view text) { return FromWide(kShiftJis, text); }

std::string WideToUtf8(std::wstring_view text) { return FromWide(CP_UTF8, text); }

bool Utf8ToWide(std::string_view bytes, std::wstring& text) {
  bool valid;
  text = ToWide(CP_UTF8, bytes, valid);
  return valid;
}

#else

namespace {

const wchar_t kUndecodable = 0x30FB;

// One converter per direction and thread, kept for the life of the program:
// opening one costs far more than a conversion, and the simulated handset
// converts every line and every reply.
class Converters {
 public:
  Converters() = default;
  Converters(const Converters&) = delete;
  Converters& operator=(const Converters&) = delete;
  ~Converters() {
    for (const auto& [directions, converter] : open_) {
      if (converter != kNone) iconv_close(converter);
    }
  }
  iconv_t For(const char* to, const char* from) {
    auto [entry, added] = open_.try_emplace({to, from}, kNone);
    if (added) entry->second = iconv_open(to, from);
    return entry->second;
  }

 private:
  inline static const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
  std::map<std::pair<std::string, std::string>, iconv_t> open_;
};

iconv_t Converter(const char* to, const char* from) {
  thread_local Converters converters;
  return converters.For(to, from);
}

// Converts with iconv; each unconvertible unit of `unitBytes` input bytes is
// skipped and replaced by `replacement`, and counted in `faults`.
std::string Convert(const char* to, const char* from, std::string_view input, std::size_t unitBytes,
                    std::string_view replacement, int* faults = nullptr) {
  iconv_t converter = Converter(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(replacement);
  iconv(converter, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
  std::string output;
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  char buffer[1024];
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    output.append(buffer, out);
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      const std::size_t skip = unitBytes < inLeft ? unitBytes : inLeft;
      in += skip;
      inLeft -= skip;
      output.append(replacement);
      if (faults) ++*faults;
    }
  }
  return output;
}

std::wstring FromWcharBytes(const std::string& bytes) {
  std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
  return text;
}

std::string_view AsBytes(std::wstring_view text) {
  return std::string_view(reinterpret_cast<const char*>(text.data()),
                          text.size() * sizeof(wchar_t));
}

std::string_view AsBytes(const wchar_t& c) {
  return std::string_view(reinterpret_cast<const char*>(&c), sizeof c);
}

}  // namespace

std::wstring Cp932ToWide(std::string_view bytes) {
  return FromWcharBytes(Convert("WCHAR_T", "CP932", bytes, 1, AsBytes(kUndecodable)));
}

std::string WideToCp932(std::wstring_view text) {
  return Convert("CP932", "WCHAR_T", AsBytes(text), sizeof(wchar_t), "?");
}

std::string WideToUtf8(std::wstring_view text) {
  return Convert("UTF-8", "WCHAR_T", AsBytes(text), sizeof(wchar_t), "?");
}

bool Utf8ToWide(std::string_view bytes, std::wstring& text) {
  const wchar_t invalid = 0xFFFD;
  int faults = 0;
  text = FromWcharBytes(Convert("WCHAR_T", "UTF-8", bytes, 1, AsBytes(invalid), &faults));
  return faults == 0;
}

#endif

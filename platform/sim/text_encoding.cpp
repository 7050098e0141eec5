#include "platform/sim/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace {

const wchar_t kUndecodable = 0x30FB;

// Converts with iconv; each unconvertible unit of `unitBytes` input bytes is
// skipped and replaced by `replacement`, and counted in `faults`.
std::string Convert(const char* to, const char* from, std::string_view input, std::size_t unitBytes,
                    std::string_view replacement, int* faults = nullptr) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(replacement);
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
  iconv_close(converter);
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

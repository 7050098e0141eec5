#include "simulator/text_encoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <type_traits>
#include <vector>

#include "simulator/cp932_table.h"
#endif

bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

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

// UTF-8 goes through iconv. One converter per direction and thread, kept for
// the life of the program:
// opening one costs far more than a conversion, and the simulated handset
// converts every line and every reply.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (Opened()) iconv_close(handle_);
  }
  bool Opened() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t Handle() const { return handle_; }

 private:
  iconv_t handle_;
};

// Converts with iconv into `output`; each unconvertible unit of `unitBytes`
// input bytes is skipped and replaced by `replacement`, and counted in
// `faults`.
template <typename Unit>
void Convert(const Converter& converter, std::string_view input, std::size_t unitBytes,
             Unit replacement, std::basic_string<Unit>& output, int* faults = nullptr) {
  output.clear();
  if (!converter.Opened()) {
    output.assign(1, replacement);
    return;
  }
  iconv(converter.Handle(), nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  Unit buffer[256];
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(converter.Handle(), &in, &inLeft, &out, &outLeft);
    output.append(buffer,
                  static_cast<std::size_t>(out - reinterpret_cast<char*>(buffer)) / sizeof(Unit));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      const std::size_t skip = unitBytes < inLeft ? unitBytes : inLeft;
      in += skip;
      inLeft -= skip;
      output += replacement;
      if (faults) ++*faults;
    }
  }
}

// Every code page the handset uses, and UTF-8, reads ASCII as itself; most
// of what the handset converts (AT traffic, settings lines) is ASCII, so it
// is copied without a table or iconv, with exactly the result they give. One
// pass over all units, without a branch for each, decides.
template <typename Unit>
bool IsAscii(std::basic_string_view<Unit> text) {
  std::make_unsigned_t<Unit> any = 0;
  for (Unit unit : text) any |= static_cast<std::make_unsigned_t<Unit> >(unit);
  return any < 0x80;
}

std::string_view AsBytes(std::wstring_view text) {
  return std::string_view(reinterpret_cast<const char*>(text.data()),
                          text.size() * sizeof(wchar_t));
}

// A reading from the tables, where 0 is no character.
wchar_t Reading(unsigned short character) { return character ? character : kUndecodable; }

// What a lead byte of `row` and the byte after it read as: a pair whatever
// that byte, as Windows reads them (its table has an entry for each), and
// U+30FB where the code page has no character.
wchar_t PairReading(int row, unsigned char trail) {
  const unsigned int column = trail - kCp932FirstTrail;
  return column < kCp932TrailCount ? Reading(kCp932Pairs[row][column]) : kUndecodable;
}

// Every character Windows writes in code page 932 with its bytes, by
// character: the tables read backwards, the first code in byte order where
// several read as one character, unless Windows prefers another.
std::vector<Cp932Code> ListCodes() {
  std::vector<Cp932Code> codes(kCp932PreferredCodes,
                               kCp932PreferredCodes + kCp932PreferredCodeCount);
  for (unsigned int byte = 0x80; byte <= 0xFF; ++byte) {
    const unsigned short character = kCp932HighBytes[byte - 0x80];
    if (character) codes.push_back({character, static_cast<unsigned short>(byte)});
  }
  for (unsigned int lead = 0x80; lead <= 0xFF; ++lead) {
    const int row = kCp932LeadRows[lead - 0x80];
    for (unsigned int column = 0; row >= 0 && column < kCp932TrailCount; ++column) {
      const unsigned short character = kCp932Pairs[row][column];
      const unsigned int code = lead << 8 | (kCp932FirstTrail + column);
      if (character) codes.push_back({character, static_cast<unsigned short>(code)});
    }
  }
  const auto byCharacter = [](const Cp932Code& a, const Cp932Code& b) {
    return a.character < b.character;
  };
  std::stable_sort(codes.begin(), codes.end(), byCharacter);
  const auto sameCharacter = [](const Cp932Code& a, const Cp932Code& b) {
    return a.character == b.character;
  };
  codes.erase(std::unique(codes.begin(), codes.end(), sameCharacter), codes.end());
  return codes;
}

// Appends the bytes Windows writes for `character`, '?' for one it has none for.
void AppendCode(wchar_t character, std::string& bytes) {
  static const std::vector<Cp932Code> codes = ListCodes();
  const auto found =
      std::lower_bound(codes.begin(), codes.end(), character,
                       [](const Cp932Code& code, wchar_t c) { return code.character < c; });
  if (found == codes.end() || found->character != character) {
    bytes += '?';
  } else if (found->bytes > 0xFF) {
    bytes += static_cast<char>(found->bytes >> 8);
    bytes += static_cast<char>(found->bytes & 0xFF);
  } else {
    bytes += static_cast<char>(found->bytes);
  }
}

}  // namespace

// A lead byte that ends the text, or stands before a zero byte, reads as
// U+30FB alone, the zero byte as itself (Windows since Vista).
std::wstring Cp932ToWide(std::string_view bytes) {
  if (IsAscii(bytes)) return std::wstring(bytes.begin(), bytes.end());
  std::wstring text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    const int row = byte < 0x80 ? -1 : kCp932LeadRows[byte - 0x80];
    if (byte < 0x80) {
      text += static_cast<wchar_t>(byte);
    } else if (row < 0) {
      text += kCp932HighBytes[byte - 0x80];
    } else if (i + 1 == bytes.size() || bytes[i + 1] == '\0') {
      text += kUndecodable;
    } else {
      ++i;
      text += PairReading(row, static_cast<unsigned char>(bytes[i]));
    }
  }
  return text;
}

std::string WideToCp932(std::wstring_view text) {
  if (IsAscii(text)) return std::string(text.begin(), text.end());
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (wchar_t character : text) {
    if (static_cast<std::make_unsigned_t<wchar_t> >(character) < 0x80) {
      bytes += static_cast<char>(character);
    } else {
      AppendCode(character, bytes);
    }
  }
  return bytes;
}

std::string WideToUtf8(std::wstring_view text) {
  if (IsAscii(text)) return std::string(text.begin(), text.end());
  thread_local const Converter converter("UTF-8", "WCHAR_T");
  std::string bytes;
  Convert(converter, AsBytes(text), sizeof(wchar_t), '?', bytes);
  return bytes;
}

bool Utf8ToWide(std::string_view bytes, std::wstring& text) {
  if (IsAscii(bytes)) {
    text.assign(bytes.begin(), bytes.end());
    return true;
  }
  thread_local const Converter converter("WCHAR_T", "UTF-8");
  int faults = 0;
  Convert(converter, bytes, 1, L'\xFFFD', text, &faults);
  return faults == 0;
}

#endif

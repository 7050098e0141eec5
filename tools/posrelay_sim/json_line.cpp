#include "tools/posrelay_sim/json_line.h"

#include <charconv>
#include <cmath>
#include <locale>
#include <sstream>

#include "trace/utf8_text.h"

namespace {

// A number's text, already checked against JSON's grammar, as a double with
// a decimal point whatever the locale. The standard library of the page's
// WebAssembly build converts only integers with std::from_chars; a stream
// in the classic locale converts there.
bool ReadReal(const char* first, const char* last, double& real) {
#ifdef __cpp_lib_to_chars
  const auto [end, fault] = std::from_chars(first, last, real);
  return fault == std::errc() && end == last;
#else
  std::istringstream stream(std::string(first, last));
  stream.imbue(std::locale::classic());
  stream >> real;
  return !stream.fail() && stream.peek() == std::char_traits<char>::eof();
#endif
}

class LineParser {
 public:
  LineParser(std::string_view line, std::string& error) : line_(line), error_(error) {}

  int Object(std::vector<JsonMember>& members) {
    SkipSpace();
    if (!Take('{')) return Fail("expected '{'");
    SkipSpace();
    if (Take('}')) return End();
    do {
      SkipSpace();
      JsonMember member;
      if (!Peek('"')) return Fail("expected a member name in double quotes");
      if (!String(member.name)) return 0;
      SkipSpace();
      if (!Take(':')) return Fail("expected ':'");
      SkipSpace();
      if (!Value(member)) return 0;
      members.push_back(std::move(member));
      SkipSpace();
    } while (Take(','));
    if (!Take('}')) return Fail("expected ',' or '}'");
    return End();
  }

 private:
  int End() {
    SkipSpace();
    return at_ == line_.size() ? 1 : Fail("expected the end of the line");
  }

  int Fail(const std::string& what) {
    error_ = "column " + std::to_string(at_ + 1) + ": " + what;
    return 0;
  }

  bool Peek(char c) const { return at_ < line_.size() && line_[at_] == c; }
  bool Take(char c) {
    if (!Peek(c)) return false;
    ++at_;
    return true;
  }
  bool TakeWord(std::string_view word) {
    if (line_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }
  void SkipSpace() {
    while (at_ < line_.size() && (line_[at_] == ' ' || line_[at_] == '\t' || line_[at_] == '\r')) {
      ++at_;
    }
  }

  int Value(JsonMember& member) {
    if (Peek('"')) {
      member.kind = JsonMember::kText;
      return String(member.text);
    }
    const bool isTrue = TakeWord("true");
    if (isTrue || TakeWord("false")) {
      member.kind = JsonMember::kBoolean;
      member.boolean = isTrue;
      return 1;
    }
    if (TakeWord("null")) {
      member.kind = JsonMember::kNull;
      return 1;
    }
    if (Peek('-') || (at_ < line_.size() && line_[at_] >= '0' && line_[at_] <= '9')) {
      return Number(member);
    }
    if (Peek('{') || Peek('[')) return Fail("expected a string, number, true, false or null");
    return Fail("expected a value");
  }

  bool Digit() const { return at_ < line_.size() && line_[at_] >= '0' && line_[at_] <= '9'; }

  int Number(JsonMember& member) {
    const std::size_t start = at_;
    member.negative = Take('-');
    if (!Digit()) return Fail("expected a digit");
    if (!Take('0')) {
      while (Digit()) ++at_;
    }
    bool whole = true;
    if (Take('.')) {
      whole = false;
      if (!Digit()) return Fail("expected a digit after '.'");
      while (Digit()) ++at_;
    }
    if (Take('e') || Take('E')) {
      whole = false;
      if (!Take('+')) Take('-');
      if (!Digit()) return Fail("expected a digit in the exponent");
      while (Digit()) ++at_;
    }
    const char* first = line_.data() + start;
    const char* last = line_.data() + at_;
    if (!ReadReal(first, last, member.real) || !std::isfinite(member.real)) {
      at_ = start;
      return Fail("number out of range");
    }
    member.kind = whole ? JsonMember::kInteger : JsonMember::kReal;
    if (!whole) return 1;
    const auto digits = std::from_chars(first + (member.negative ? 1 : 0), last, member.magnitude);
    if (digits.ec != std::errc()) {
      at_ = start;
      return Fail("number out of range");
    }
    return 1;
  }

  int Hex4(unsigned long& value) {
    value = 0;
    for (int i = 0; i < 4; ++i, ++at_) {
      if (at_ >= line_.size()) return Fail("expected four hex digits");
      const char c = line_[at_];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return Fail("expected four hex digits");
      value = value * 16 + static_cast<unsigned long>(digit);
    }
    return 1;
  }

  static char SimpleEscape(char c) {
    switch (c) {
      case '"':
      case '\\':
      case '/':
        return c;
      case 'b':
        return '\b';
      case 'f':
        return '\f';
      case 'n':
        return '\n';
      case 'r':
        return '\r';
      case 't':
        return '\t';
      default:
        return '\0';
    }
  }

  int Escape(std::string& text) {
    const char c = at_ < line_.size() ? line_[at_] : '\0';
    if (SimpleEscape(c) != '\0') {
      text += SimpleEscape(c);
      ++at_;
      return 1;
    }
    if (!Take('u')) return Fail("expected an escape: \\\" \\\\ \\/ \\b \\f \\n \\r \\t or \\uXXXX");
    unsigned long unit = 0;
    if (!Hex4(unit)) return 0;
    if (unit >= 0xDC00 && unit <= 0xDFFF) return Fail("a lone low surrogate");
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      unsigned long low = 0;
      if (!TakeWord("\\u") || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) {
        return Fail("a high surrogate without its low one");
      }
      const unsigned short pair[2] = {static_cast<unsigned short>(unit),
                                      static_cast<unsigned short>(low)};
      AppendUtf16AsUtf8(pair, 2, text);
      return 1;
    }
    const unsigned short single = static_cast<unsigned short>(unit);
    AppendUtf16AsUtf8(&single, 1, text);
    return 1;
  }

  int String(std::string& text) {
    text.clear();
    ++at_;  // the opening quote
    while (at_ < line_.size()) {
      const unsigned char c = static_cast<unsigned char>(line_[at_]);
      if (c == '"') {
        ++at_;
        return 1;
      }
      if (c == '\\') {
        ++at_;
        if (!Escape(text)) return 0;
      } else if (c < 0x20) {
        return Fail("a control character in a string must be escaped");
      } else {
        const std::size_t size = Utf8CharacterLength(line_.data() + at_, line_.size() - at_);
        if (size == 0) return Fail("a byte that is not UTF-8");
        text.append(line_.data() + at_, size);
        at_ += size;
      }
    }
    return Fail("the string has no closing quote");
  }

  std::string_view line_;
  std::string& error_;
  std::size_t at_ = 0;
};

}  // namespace

int ParseJsonLine(std::string_view line, std::vector<JsonMember>& members, std::string& error) {
  members.clear();
  return LineParser(line, error).Object(members);
}

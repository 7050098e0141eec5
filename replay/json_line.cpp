#include "replay/json_line.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

#include "simulator/quoted_text.h"

namespace {

using Json = nlohmann::json;

// nlohmann's account of what is wrong, without its prefix ("[json.exception
// .parse_error.101] parse error at line 1, column 19: ") and without the
// bytes it read last, which need not be text.
std::string Fault(std::string_view what) {
  const std::string_view::size_type kind = what.find("] ");
  if (kind != std::string_view::npos) what.remove_prefix(kind + 2);
  const std::string_view::size_type column = what.find(", column ");
  const std::string_view::size_type fault =
      column == std::string_view::npos ? column : what.find(": ", column);
  if (fault != std::string_view::npos) what.remove_prefix(fault + 2);
  return std::string(what.substr(0, what.find("; last read: ")));
}

// Whether a number is written as digits alone, with a minus or not.
bool IsWhole(std::string_view number) {
  if (!number.empty() && number[0] == '-') number.remove_prefix(1);
  return !number.empty() &&
         std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Takes the parser's events for one line into its members. A value nested
// in the object, or a line that is no object, stops the parse where it
// starts, so that no line nests deeper than its object.
class LineMembers {
 public:
  LineMembers(std::string_view line, std::vector<JsonMember>& members, std::string& error)
      : line_(line), members_(members), error_(error) {}

  bool null() { return Take(JsonMember::kNull); }
  bool boolean(bool value) {
    if (!Take(JsonMember::kBoolean)) return false;
    members_.back().boolean = value;
    return true;
  }
  // Whole numbers written with a minus.
  bool number_integer(Json::number_integer_t value) {
    return Integer(true, 0 - static_cast<std::uint64_t>(value), static_cast<double>(value));
  }
  bool number_unsigned(Json::number_unsigned_t value) {
    return Integer(false, value, static_cast<double>(value));
  }
  // Fractions and exponents; and whole numbers beyond 64 bits, which
  // nlohmann reads as doubles: those whose magnitude fits are whole.
  bool number_float(Json::number_float_t value, const std::string& written) {
    if (!IsWhole(written)) {
      if (!Take(JsonMember::kReal)) return false;
      members_.back().real = value;
      return true;
    }
    const bool negative = written[0] == '-';
    std::uint64_t magnitude = 0;
    const char* last = written.data() + written.size();
    if (std::from_chars(written.data() + (negative ? 1 : 0), last, magnitude).ec != std::errc()) {
      return inObject_ ? Refuse(": number out of range") : NotAnObject();
    }
    return Integer(negative, magnitude, value);
  }
  bool string(std::string& text) {
    if (!Take(JsonMember::kText)) return false;
    members_.back().text = std::move(text);
    return true;
  }
  bool binary(Json::binary_t&) { return false; }  // JSON text has none
  bool start_object(std::size_t) {
    if (inObject_) return Nested();
    inObject_ = true;
    return true;
  }
  bool key(std::string& name) {
    members_.emplace_back();
    members_.back().name = std::move(name);
    return true;
  }
  bool end_object() { return true; }
  bool start_array(std::size_t) { return Nested(); }
  bool end_array() { return true; }
  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& fault) {
    error_ = "column " + std::to_string(position) + ": " + Fault(fault.what());
    return false;
  }

 private:
  // A member's value, of the kind given.
  bool Take(JsonMember::Kind kind) {
    if (!inObject_) return NotAnObject();
    members_.back().kind = kind;
    return true;
  }

  bool Integer(bool negative, std::uint64_t magnitude, double real) {
    if (!Take(JsonMember::kInteger)) return false;
    JsonMember& member = members_.back();
    member.negative = negative;
    member.magnitude = magnitude;
    member.real = real;
    return true;
  }

  bool Nested() {
    return inObject_ ? Refuse(": expected a string, number, true, false or null") : NotAnObject();
  }

  bool NotAnObject() {
    error_ = "column " + std::to_string(line_.find_first_not_of(" \t\r") + 1) + ": expected '{'";
    return false;
  }

  // The member whose value is refused, by its name.
  bool Refuse(const char* what) {
    error_ = QuotedText(members_.back().name, kExactQuoting) + what;
    return false;
  }

  std::string_view line_;
  std::vector<JsonMember>& members_;
  std::string& error_;
  bool inObject_ = false;
};

}  // namespace

int ParseJsonLine(std::string_view line, std::vector<JsonMember>& members, std::string& error) {
  members.clear();
  // The parser passes over a byte-order mark, which no recorder writes.
  if (line.substr(0, 3) == "\xEF\xBB\xBF") {
    error = "column 1: expected '{'";
    return 0;
  }
  LineMembers taker(line, members, error);
  return Json::sax_parse(line.begin(), line.end(), &taker) ? 1 : 0;
}

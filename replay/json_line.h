#ifndef POSRELAY_REPLAY_JSON_LINE_H
#define POSRELAY_REPLAY_JSON_LINE_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One member of a flat JSON object.
struct JsonMember {
  enum Kind { kText, kInteger, kReal, kBoolean, kNull };
  std::string name;
  Kind kind = kNull;
  std::string text;             // kText, UTF-8
  bool negative = false;        // kInteger: the sign and the magnitude
  std::uint64_t magnitude = 0;  //   of a whole number without fraction or exponent
  double real = 0;              // kReal, and kInteger as a double
  bool boolean = false;         // kBoolean
};

// Parses one line of a trace with nlohmann_json: a JSON object whose values
// are strings, numbers, booleans or null, nothing nested. Returns 1 with the
// members in their order, duplicates kept, or 0 with `error` naming where
// and what is wrong: the column for what is not JSON, such as "column 19:
// syntax error while parsing value - invalid string: missing closing
// quote", the member for a value nested in it. Strings must be well-formed
// UTF-8; numbers must fit: whole ones in 64 bits and a sign, others in a
// double.
int ParseJsonLine(std::string_view line, std::vector<JsonMember>& members, std::string& error);

#endif

#ifndef POSRELAY_TOOLS_POSRELAY_SIM_JSON_LINE_H
#define POSRELAY_TOOLS_POSRELAY_SIM_JSON_LINE_H

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

// Parses one line of a trace: a JSON object whose values are strings,
// numbers, booleans or null, nothing nested. Returns 1 with the members in
// their order, or 0 with `error` naming the column and what was expected
// there, such as "column 12: expected ':'". Strings must be well-formed
// UTF-8; numbers must fit: whole ones in 64 bits, others in a double.
int ParseJsonLine(std::string_view line, std::vector<JsonMember>& members, std::string& error);

#endif

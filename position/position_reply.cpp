#include "position/position_reply.h"

#include "text/read_integer.h"

namespace {

// Reads the field that starts `offset` characters after `letter`; fails when
// the field lies outside the reply or holds no digit, so that a reply such as
// "NO CARRIER", which has both letters, is not taken for a position.
int ReadField(const std::wstring& reply, std::wstring::size_type letter,
              std::wstring::size_type offset, int& value) {
  const std::wstring::size_type start = letter + offset;
  if (start >= reply.size()) return 0;
  return ReadInteger(reply.c_str() + start, reply.size() - start, value) > 0;
}

int ReadAngle(const std::wstring& reply, wchar_t letter, const std::wstring::size_type offsets[3],
              DmsAngle& angle) {
  const std::wstring::size_type at = reply.find(letter);
  if (at == std::wstring::npos) return 0;
  return ReadField(reply, at, offsets[0], angle.degrees) &&
         ReadField(reply, at, offsets[1], angle.minutes) &&
         ReadField(reply, at, offsets[2], angle.seconds);
}

}  // namespace

int ParsePositionReply(const std::wstring& reply, DmsAngle& latitude, DmsAngle& longitude) {
  // Two-digit latitude degrees, three-digit longitude degrees, one separator.
  static const std::wstring::size_type kLatitudeOffsets[3] = {1, 4, 7};
  static const std::wstring::size_type kLongitudeOffsets[3] = {1, 5, 8};
  DmsAngle north;
  DmsAngle east;
  if (!ReadAngle(reply, L'N', kLatitudeOffsets, north)) return 0;
  if (!ReadAngle(reply, L'E', kLongitudeOffsets, east)) return 0;
  latitude = north;
  longitude = east;
  return 1;
}

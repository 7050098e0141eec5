#ifndef POSRELAY_TOOLS_POSRELAY_SIM_DISPLAY_TEXT_H
#define POSRELAY_TOOLS_POSRELAY_SIM_DISPLAY_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>

#include "position/geo_position.h"
#include "simulator/timeline.h"

// UTF-8 text in double quotes for people to read: control characters and
// quotes are escaped ("\r", "\n", "\t", "\x1B", "\""), backslashes are not,
// so that handset paths read as they are written.
std::string DisplayText(std::string_view text);

// The columns UTF-8 text takes on a terminal: two for each East Asian wide
// or full-width character (kanji, kana, full-width forms), one for others.
std::size_t DisplayWidth(std::string_view utf8);

// `utf8` followed by blanks up to `columns` display columns.
std::string PadToWidth(const std::string& utf8, std::size_t columns);

// An operation with its fields, "op name=value ...", texts as DisplayText
// shows them.
std::string EventText(const TimelineEvent& event);

// Milliseconds as seconds with three decimals, such as "3.000".
std::string SecondsText(std::uint64_t ms);

// Latitude and longitude with six decimals, as the map is given them:
// "35.692670, 139.750125".
std::string DegreesText(const GeoPosition& position);

#endif

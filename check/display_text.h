#ifndef POSRELAY_CHECK_DISPLAY_TEXT_H
#define POSRELAY_CHECK_DISPLAY_TEXT_H

#include <string>
#include <string_view>

#include "check/report_language.h"
#include "position/geo_position.h"

// UTF-8 text in double quotes for people to read: QuotedText's readable
// quoting, which leaves backslashes as they stand.
std::string DisplayText(std::string_view text);

// UTF-8 text quoted for a reader of `language`: in English as DisplayText
// does; in Japanese in 「」 as the handset reads it, only what cannot be
// seen (control characters) escaped: 「"\Maps\Map.exe"」.
std::string DisplayTextIn(ReportLanguage language, std::string_view text);

// The columns UTF-8 text takes on a terminal: two for each East Asian wide
// or full-width character (kanji, kana, full-width forms), one for others.
std::size_t DisplayWidth(std::string_view utf8);

// `utf8` followed by blanks up to `columns` display columns.
std::string PadToWidth(const std::string& utf8, std::size_t columns);

// Latitude and longitude with six decimals, as the map is given them:
// "35.692670, 139.750125".
std::string DegreesText(const GeoPosition& position);

#endif

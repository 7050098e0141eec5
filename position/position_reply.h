#ifndef POSRELAY_POSITION_POSITION_REPLY_H
#define POSRELAY_POSITION_POSITION_REPLY_H

#include <string>

#include "position/geo_position.h"

// Reads the module's answer to "AT@LBC?", such as "@LBC: N35.41.22,E139.45.12":
// latitude degrees, minutes and seconds 1, 4 and 7 characters after the first
// "N", longitude ones 1, 5 and 8 characters after the first "E". Returns 1
// with both angles set only when each of the six fields holds a number;
// otherwise 0 and the angles are untouched.
int ParsePositionReply(const std::wstring& reply, DmsAngle& latitude, DmsAngle& longitude);

#endif

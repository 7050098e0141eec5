#ifndef POSRELAY_TOOLS_POSRELAY_SIM_DISPLAY_TEXT_H
#define POSRELAY_TOOLS_POSRELAY_SIM_DISPLAY_TEXT_H

#include <string>
#include <string_view>

// UTF-8 text in double quotes for people to read: control characters and
// quotes are escaped ("\r", "\n", "\t", "\x1B", "\""), backslashes are not,
// so that handset paths read as they are written.
std::string DisplayText(std::string_view text);

#endif

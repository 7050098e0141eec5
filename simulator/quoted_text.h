#ifndef POSRELAY_SIMULATOR_QUOTED_TEXT_H
#define POSRELAY_SIMULATOR_QUOTED_TEXT_H

#include <string>
#include <string_view>

// How a text is shown: in double quotes, with quotes and control bytes
// escaped as in C ("\"", "\r", "\n", "\t", "\x1B"). Exact quoting escapes
// backslashes as well, so that each shown text stands for one text only;
// readable quoting leaves them, so that handset paths read as they are
// written.
enum TextQuoting { kReadableQuoting, kExactQuoting };

std::string QuotedText(std::string_view text, TextQuoting quoting);

#endif

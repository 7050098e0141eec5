#ifndef POSRELAY_TRACE_HEX_TEXT_H
#define POSRELAY_TRACE_HEX_TEXT_H

#include <string>

// Bytes as a trace's "hex" field holds them: two lower-case hex digits each.
void AppendHexText(const std::string& bytes, std::string& hex);

#endif

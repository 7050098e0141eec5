#ifndef POSRELAY_TRACE_HEX_TEXT_H
#define POSRELAY_TRACE_HEX_TEXT_H

#include <stddef.h>
#include <string>

// Bytes as a trace's "hex" field holds them: two lower-case hex digits each.
void AppendHexText(const std::string& bytes, std::string& hex);

// The bytes `length` hex digits of either case stand for, appended to
// `bytes`. Returns zero, appending nothing, for an odd count or a character
// that is no hex digit.
int DecodeHexText(const char* hex, size_t length, std::string& bytes);

#endif

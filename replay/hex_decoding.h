#ifndef POSRELAY_REPLAY_HEX_DECODING_H
#define POSRELAY_REPLAY_HEX_DECODING_H

#include <stddef.h>
#include <string>

// The bytes `length` hex digits of either case stand for, as a trace's
// "hex" field holds them (trace/hex_text.h writes them), appended to
// `bytes`. Returns zero, appending nothing, for an odd count or a character
// that is no hex digit.
int DecodeHexText(const char* hex, size_t length, std::string& bytes);

#endif

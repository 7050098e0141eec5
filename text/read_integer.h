#ifndef POSRELAY_TEXT_READ_INTEGER_H
#define POSRELAY_TEXT_READ_INTEGER_H

#include <stddef.h>

// Reads an integer from the first `length` characters of `text` by the
// wide-string-to-integer rule: leading white space (the ideographic space
// U+3000 among it) skipped, an optional sign, then decimal digits up to the
// first character that is not one. No digits give 0; a number beyond 32 bits
// saturates at the nearest limit. Returns the count of digits read, so a
// caller can tell "0" from "no number".
// The rule is ours rather than the C library's so that every build reads the
// same text the same way.
int ReadInteger(const wchar_t* text, size_t length, int& value);

// The same, with `end` set past the last character read: the last digit, or
// where the digits were looked for when there are none.
int ReadInteger(const wchar_t* text, size_t length, int& value, size_t& end);

#endif

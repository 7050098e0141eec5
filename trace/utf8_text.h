#ifndef POSRELAY_TRACE_UTF8_TEXT_H
#define POSRELAY_TRACE_UTF8_TEXT_H

#include <stddef.h>
#include <string>

// UTF-8, the form in which traces hold text. wchar_t is UTF-16 on Windows
// and holds whole code points on other systems; both are handled. What is
// not a character (a lone surrogate, a value beyond Unicode) becomes '?'.
void AppendUtf8(const std::wstring& text, std::string& utf8);

// The same for UTF-16 code units as the system's records hold them.
void AppendUtf16AsUtf8(const unsigned short* units, size_t count, std::string& utf8);

// The length of the well-formed UTF-8 character that `bytes` start with; 0
// when they start with none.
size_t Utf8CharacterLength(const char* bytes, size_t left);

// Decodes UTF-8; each byte that does not belong to a well-formed character
// becomes U+FFFD. Returns zero when there was such a byte.
int DecodeUtf8(const char* utf8, size_t length, std::wstring& text);

#endif

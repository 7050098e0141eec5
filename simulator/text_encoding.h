#ifndef POSRELAY_SIMULATOR_TEXT_ENCODING_H
#define POSRELAY_SIMULATOR_TEXT_ENCODING_H

#include <string>
#include <string_view>

// The handset's ANSI code page is 932, Windows' Japanese Shift-JIS with the
// NEC and IBM extensions. Bytes it cannot decode become U+30FB (a lead byte
// and any byte but zero after it are one character), characters it cannot
// encode become '?', as the system's own conversions do by default.
std::wstring Cp932ToWide(std::string_view bytes);
std::string WideToCp932(std::wstring_view text);
// The bytes that begin a character of two bytes: 0x81-0x9F and 0xE0-0xFC.
bool IsCp932LeadByte(unsigned char byte);

// UTF-8 for what the simulated handset prints and reads from its scenarios.
std::string WideToUtf8(std::wstring_view text);
// Returns false for bytes that are not UTF-8.
bool Utf8ToWide(std::string_view bytes, std::wstring& text);

#endif

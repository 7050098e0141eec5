#ifndef POSRELAY_SIMULATOR_FILE_NAME_CHARACTERS_H
#define POSRELAY_SIMULATOR_FILE_NAME_CHARACTERS_H

#include <string>

// Whether a file or folder name on the handset can hold `c`. Windows CE
// refuses the control characters and " * ? < > | : in a name (a path from
// the handset's root has no drive, so ":" has no place in it either), and
// "\" and "/" separate names rather than belong to one.
bool FileNameHolds(wchar_t c);

// The first character of `path` that is neither a separator ("\" or "/")
// nor one a name can hold; npos when there is none, so that the system
// could start a program from the path.
std::wstring::size_type FindCharacterNoNameHolds(const std::wstring& path);

#endif

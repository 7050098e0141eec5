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

// Whether two paths name the same file on the handset, whose file system
// compares names without regard to the case of ASCII letters, takes "/" as
// a backslash, a path without a leading one from its root, and is taken to drop
// half-width blanks at a path's end as Windows does (on the handset that is
// not known).
bool NameSameFile(const std::wstring& one, const std::wstring& other);

#endif

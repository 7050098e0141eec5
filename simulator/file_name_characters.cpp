#include "simulator/file_name_characters.h"

#include <cwchar>

namespace {

const wchar_t kRefused[] = L"\"*?<>|:\\/";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

bool FileNameHolds(wchar_t c) { return c >= 0x20 && !std::wcschr(kRefused, c); }

std::wstring::size_type FindCharacterNoNameHolds(const std::wstring& path) {
  for (std::wstring::size_type at = 0; at < path.size(); ++at) {
    if (!IsSeparator(path[at]) && !FileNameHolds(path[at])) return at;
  }
  return std::wstring::npos;
}

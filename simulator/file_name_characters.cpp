#include "simulator/file_name_characters.h"

#include <cwchar>

namespace {

const wchar_t kRefused[] = L"\"*?<>|:\\/";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A path as the file system compares it.
std::wstring ComparedPath(const std::wstring& path) {
  std::wstring compared = path.substr(0, path.find_last_not_of(L' ') + 1);
  for (wchar_t& c : compared) {
    if (c == L'/') c = L'\\';
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  if (compared.empty() || compared[0] != L'\\') compared.insert(0, 1, L'\\');
  return compared;
}

}  // namespace

bool FileNameHolds(wchar_t c) { return c >= 0x20 && !std::wcschr(kRefused, c); }

std::wstring::size_type FindCharacterNoNameHolds(const std::wstring& path) {
  for (std::wstring::size_type at = 0; at < path.size(); ++at) {
    if (!IsSeparator(path[at]) && !FileNameHolds(path[at])) return at;
  }
  return std::wstring::npos;
}

bool NameSameFile(const std::wstring& one, const std::wstring& other) {
  return ComparedPath(one) == ComparedPath(other);
}

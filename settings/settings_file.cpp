#include "settings/settings_file.h"

#include "text/read_integer.h"

namespace {

const wchar_t kSettingsFileName[] = L"posrelay.ini";

const wchar_t* const kKeyNames[kSettingsKeyCount] = {
    L"gpath",     L"greset",   L"gclear",  L"wait",      L"waitloop",
    L"waitstart", L"wsimdcon", L"wsimcon", L"gzoomtime", L"comport"};

// Whether the key's name followed by "=" is anywhere in the line; looked for
// without making that text for every key of every line.
int HoldsKey(const std::wstring& line, const wchar_t* name) {
  const std::wstring::size_type length = std::wstring::traits_type::length(name);
  for (std::wstring::size_type at = line.find(name); at != std::wstring::npos;
       at = line.find(name, at + 1)) {
    if (at + length < line.size() && line[at + length] == L'=') return 1;
  }
  return 0;
}

int MatchSettingsKey(const std::wstring& line) {
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    if (HoldsKey(line, kKeyNames[key])) return key;
  }
  return kNoSettingsKey;
}

// The second token of the line split at runs of "=", the way the value of a
// key is found; zero when the line has no second token. `toEnd` tells whether
// the token runs to the end of the line.
int SecondToken(const std::wstring& line, std::wstring& token, bool& toEnd) {
  const std::wstring::size_type first = line.find_first_not_of(L'=');
  if (first == std::wstring::npos) return 0;
  const std::wstring::size_type firstEnd = line.find(L'=', first);
  if (firstEnd == std::wstring::npos) return 0;
  const std::wstring::size_type second = line.find_first_not_of(L'=', firstEnd);
  if (second == std::wstring::npos) return 0;
  const std::wstring::size_type secondEnd = line.find(L'=', second);
  toEnd = secondEnd == std::wstring::npos;
  token = line.substr(second, secondEnd == std::wstring::npos ? secondEnd : secondEnd - second);
  return 1;
}

SettingsLineOutcome SetTextField(std::wstring& field, const std::wstring& value, bool cut,
                                 std::wstring::size_type capacity) {
  const std::wstring::size_type begin = value.find_first_not_of(L'\n');
  if (begin == std::wstring::npos) return kLineHadNoValue;
  const std::wstring::size_type end = value.find(L'\n', begin);
  if (cut && end == std::wstring::npos) return kLineValueTooLong;
  const std::wstring text = value.substr(begin, end == std::wstring::npos ? end : end - begin);
  if (text.size() > capacity) return kLineValueTooLong;
  field = text;
  return kLineApplied;
}

// Makes the bytes of one read of the file into the text of its piece.
void TakeSettingsPiece(PlatformServices& platform, const std::string& bytes, std::wstring& piece,
                       bool& cut) {
  cut = bytes.size() >= static_cast<std::string::size_type>(kSettingsPieceBytes) &&
        bytes[bytes.size() - 1] != '\n';
  // The text of a piece ends at a zero byte, as a C string would.
  const std::string text = bytes.substr(0, bytes.find('\0'));
  piece = text.empty() ? std::wstring() : platform.AnsiToWide(text);
}

}  // namespace

const wchar_t* SettingsKeyName(int key) {
  return key >= 0 && key < kSettingsKeyCount ? kKeyNames[key] : L"";
}

std::wstring PathBesideExecutable(const std::wstring& executablePath, const wchar_t* name) {
  if (executablePath.empty()) return std::wstring();
  const std::wstring::size_type slash = executablePath.rfind(L'\\');
  std::wstring path =
      slash == std::wstring::npos ? executablePath : executablePath.substr(0, slash);
  path += L'\\';
  path += name;
  return path;
}

std::wstring SettingsPath(PlatformServices& platform) {
  return PathBesideExecutable(platform.ExecutablePath(), kSettingsFileName);
}

const int* NumericSettingsField(const LauncherSettings& settings, int key) {
  switch (key) {
    case kKeyGreset:
      return &settings.greset;
    case kKeyGclear:
      return &settings.gclear;
    case kKeyWait:
      return &settings.wait;
    case kKeyWaitloop:
      return &settings.waitloop;
    case kKeyWaitstart:
      return &settings.waitstart;
    case kKeyWsimdcon:
      return &settings.wsimdcon;
    case kKeyWsimcon:
      return &settings.wsimcon;
    case kKeyGzoomtime:
      return &settings.gzoomtime;
    default:
      return 0;
  }
}

int* NumericSettingsField(LauncherSettings& settings, int key) {
  return const_cast<int*>(
      NumericSettingsField(static_cast<const LauncherSettings&>(settings), key));
}

const std::wstring* TextSettingsField(const LauncherSettings& settings, int key) {
  if (key == kKeyGpath) return &settings.gpath;
  return key == kKeyComport ? &settings.comport : 0;
}

std::wstring* TextSettingsField(LauncherSettings& settings, int key) {
  return const_cast<std::wstring*>(
      TextSettingsField(static_cast<const LauncherSettings&>(settings), key));
}

std::wstring::size_type TextSettingsCapacity(int key) {
  return key == kKeyGpath ? kGpathCapacity : kComportCapacity;
}

int SettingsLineValue(const std::wstring& line, std::wstring& value) {
  bool toEnd = false;
  return SecondToken(line, value, toEnd);
}

SettingsLineOutcome ApplySettingsLine(LauncherSettings& settings, const std::wstring& line,
                                      bool cut, int& key) {
  key = MatchSettingsKey(line);
  if (key == kNoSettingsKey) return kLineMatchedNoKey;
  std::wstring value;
  bool toEnd = false;
  if (!SecondToken(line, value, toEnd)) return kLineHadNoValue;
  std::wstring* const text = TextSettingsField(settings, key);
  if (text) return SetTextField(*text, value, cut && toEnd, TextSettingsCapacity(key));
  ReadInteger(value.c_str(), value.size(), *NumericSettingsField(settings, key));
  return kLineApplied;
}

void ReadSettings(PlatformServices& platform, LauncherSettings& settings,
                  SettingsReadObserver* observer) {
  SetDefaultSettings(settings);
  const std::wstring path = SettingsPath(platform);
  if (path.empty()) return;
  const FileHandle file = platform.OpenTextFile(path);
  if (!file) return;
  std::string bytes;
  std::wstring piece;
  bool cut = false;
  while (platform.ReadTextLine(file, kSettingsPieceBytes, bytes)) {
    TakeSettingsPiece(platform, bytes, piece, cut);
    int key;
    const SettingsLineOutcome outcome = ApplySettingsLine(settings, piece, cut, key);
    if (observer) observer->PieceTaken(piece, cut, outcome, key, settings);
  }
  platform.CloseTextFile(file);
}

#include "check/settings_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <nlohmann/json.hpp>

#include "check/check_texts.h"
#include "check/display_text.h"
#include "check/dry_run_limits.h"
#include "check/run_time_bounds.h"
#include "check/seconds_text.h"
#include "simulator/file_name_characters.h"
#include "simulator/simulated_handset.h"
#include "simulator/text_encoding.h"
#include "text/read_integer.h"

namespace {

const int kPauseKeys[] = {kKeyWait, kKeyWaitstart, kKeyWsimdcon, kKeyWsimcon};
// The keys whose values make a run long.
const int kTimeKeys[] = {kKeyWait,     kKeyWaitloop, kKeyWaitstart,
                         kKeyWsimdcon, kKeyWsimcon,  kKeyGzoomtime};
const std::uint64_t kLongRunMs = 10 * 60 * 1000;
// Characters that a Japanese keyboard gives in full width, where the
// launcher only knows their ASCII forms.
const wchar_t kFullWidthFirst = 0xFF01;  // "！", the full-width "!"
const wchar_t kFullWidthLast = 0xFF5E;   // "～", the full-width "~"
const wchar_t kFullWidthEquals = 0xFF1D;
const wchar_t kFullWidthZero = 0xFF10;
const wchar_t kFullWidthNine = 0xFF19;
const wchar_t kFullWidthFullStop = 0xFF0E;
const wchar_t kFullWidthComma = 0xFF0C;
const wchar_t kIdeographicSpace = 0x3000;
const wchar_t kBlanks[] = {L' ', L'\t', L'\r', kIdeographicSpace, 0};
const wchar_t kBlanksAndLineFeed[] = {L' ', L'\t', L'\r', L'\n', kIdeographicSpace, 0};
const wchar_t kDigits[] = L"0123456789";
// What lies around a value that its author did not mean as part of it.
const wchar_t kValueEdges[] = {L' ', L'\t', L'\r', L'\n', kIdeographicSpace, L'=', 0};
// Units of time as owners write them after a pause, and what one is in
// milliseconds; compared in lower case.
struct UnitOfTime {
  const wchar_t* name;
  int ms;
  CheckText text;
};
const UnitOfTime kUnitsOfTime[] = {
    {L"ms", 1, kTextMilliseconds},          {L"msec", 1, kTextMilliseconds},
    {L"millisecond", 1, kTextMilliseconds}, {L"milliseconds", 1, kTextMilliseconds},
    {L"ミリ秒", 1, kTextMilliseconds},      {L"s", 1000, kTextSecondsPart},
    {L"sec", 1000, kTextSecondsPart},       {L"secs", 1000, kTextSecondsPart},
    {L"second", 1000, kTextSecondsPart},    {L"seconds", 1000, kTextSecondsPart},
    {L"秒", 1000, kTextSecondsPart},        {L"秒間", 1000, kTextSecondsPart},
    {L"min", 60000, kTextMinutesPart},      {L"mins", 60000, kTextMinutesPart},
    {L"minute", 60000, kTextMinutesPart},   {L"minutes", 60000, kTextMinutesPart},
    {L"分", 60000, kTextMinutesPart},       {L"分間", 60000, kTextMinutesPart}};
// The longest pause a setting holds, in milliseconds.
const double kLargestPauseMs = 2147483647.0;
// How other settings files mark comments; this one has no comment syntax.
const wchar_t* const kCommentMarks[] = {L"#", L";", L"//", L"'"};

std::string KeyName(int key) { return WideToUtf8(SettingsKeyName(key)); }

std::wstring KeyText(int key) { return std::wstring(SettingsKeyName(key)) + L"="; }

// Collects a check's warnings in its language.
class Warnings {
 public:
  Warnings(ReportLanguage language, std::vector<SettingsWarning>& list)
      : language_(language), list_(list) {}

  std::string Text(CheckText text, std::initializer_list<std::string> arguments = {}) const {
    return CheckTextIn(language_, text, arguments);
  }

  void Add(int line, int key, CheckText kind, std::initializer_list<std::string> arguments) {
    const std::string message = Text(kind, arguments);
    list_.push_back(SettingsWarning{line, key, WarningKindName(kind),
                                    Text(kTextLine, {std::to_string(line)}) + message, message});
  }

  // A text of the file quoted for the check's reader.
  std::string Shown(const std::wstring& text) const {
    return DisplayTextIn(language_, WideToUtf8(text));
  }

  // A piece of the file as its author wrote it, without its line feed.
  std::string Quoted(const std::wstring& piece) const {
    std::wstring text = piece;
    if (!text.empty() && text.back() == L'\n') text.pop_back();
    return Shown(text);
  }

  ReportLanguage Language() const { return language_; }

  std::size_t Count() const { return list_.size(); }

  std::string Join(const std::vector<std::string>& items) const {
    std::string joined;
    for (const std::string& item : items) {
      joined += (joined.empty() ? "" : Text(kTextListSeparator)) + item;
    }
    return joined;
  }

 private:
  const ReportLanguage language_;
  std::vector<SettingsWarning>& list_;
};

// The key whose text comes first in the line, which is the one its author
// most likely meant.
int LeadingKey(const std::wstring& line) {
  int leading = kNoSettingsKey;
  std::wstring::size_type leadingAt = std::wstring::npos;
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    const std::wstring::size_type at = line.find(KeyText(key));
    if (at < leadingAt) {
      leading = key;
      leadingAt = at;
    }
  }
  return leading;
}

bool IsBlank(wchar_t c) { return c != 0 && std::wcschr(kBlanks, c) != nullptr; }

std::wstring Trimmed(const std::wstring& text, const wchar_t* around) {
  const std::wstring::size_type first = text.find_first_not_of(around);
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(around) - first + 1);
}

bool LooksLikeComment(const std::wstring& piece) {
  const std::wstring::size_type start = piece.find_first_not_of(kBlanks);
  if (start == std::wstring::npos) return false;
  for (const wchar_t* mark : kCommentMarks) {
    if (piece.compare(start, std::wcslen(mark), mark) == 0) return true;
  }
  return false;
}

// The full-width forms and the ideographic space that a Japanese keyboard
// gives, as the half-width characters the launcher knows.
std::wstring HalfWidth(const std::wstring& text) {
  std::wstring half = text;
  for (wchar_t& c : half) {
    if (c >= kFullWidthFirst && c <= kFullWidthLast) {
      c = static_cast<wchar_t>(c - kFullWidthFirst + L'!');
    } else if (c == kIdeographicSpace) {
      c = L' ';
    }
  }
  return half;
}

std::wstring AsciiLowerCase(const std::wstring& text) {
  std::wstring lower = text;
  for (wchar_t& c : lower) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return lower;
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsPauseKey(int key) {
  return std::find(std::begin(kPauseKeys), std::end(kPauseKeys), key) != std::end(kPauseKeys);
}

// The key a line that sets none was meant to set, in full-width characters,
// in another case, with blanks before its "=" or with a colon or blanks for
// it, and the line as it sets it.
struct MeantKey {
  int key;
  CheckText why;
  std::wstring line;
  wchar_t separator;  // what stands for "=", as written
};

// Whether what follows a key's name without "=" reads as the key's value,
// not as words of a note that happen to start with the name.
bool LooksLikeValue(int key, const std::wstring& value) {
  if (value.empty()) return false;
  if (key == kKeyGpath) return value[0] == L'\\' || value[0] == L'/' || value[0] == L'"';
  if (key == kKeyComport) return value.compare(0, 3, L"com") == 0;
  return std::wcschr(L"0123456789+-", value[0]) != nullptr;
}

int FindMeantKey(const std::wstring& piece, const LauncherSettings& settings, MeantKey& meant) {
  const std::wstring half = HalfWidth(piece);
  const std::wstring lower = AsciiLowerCase(half);
  const std::wstring::size_type lineStart = lower.find_first_not_of(L" \t");
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    const std::wstring name = SettingsKeyName(key);
    for (std::wstring::size_type at = lower.find(name); at != std::wstring::npos;
         at = lower.find(name, at + 1)) {
      const std::wstring::size_type nameEnd = at + name.size();
      const std::wstring::size_type equals = lower.find_first_not_of(L" \t", nameEnd);
      if (equals == std::wstring::npos) continue;
      // Only a line that starts with the name is taken to set it without "=".
      const bool colon = at == lineStart && lower[equals] == L':';
      const std::wstring::size_type valueAt = colon || lower[equals] == L'=' ? equals + 1 : equals;
      const bool blanks = lower[equals] != L'=' && !colon && at == lineStart && equals > nameEnd &&
                          LooksLikeValue(key, lower.substr(valueAt));
      if (lower[equals] != L'=' && !colon && !blanks) continue;
      const std::wstring written = piece.substr(at, name.size());
      meant.key = key;
      meant.separator = piece[equals];
      if (colon) {
        meant.why = kWarnColonForEquals;
      } else if (blanks) {
        meant.why = kWarnNoEquals;
      } else if (written != half.substr(at, name.size())) {
        meant.why = kWarnFullWidthKey;
      } else if (piece[equals] == kFullWidthEquals) {
        meant.why = kWarnFullWidthEquals;
      } else {
        meant.why = written != name ? kWarnKeyCase : kWarnBlankBeforeEquals;
      }
      // A text as written; a number in the half-width digits it is read in.
      const std::wstring& value = TextSettingsField(settings, key) ? piece : half;
      meant.line = name + L"=" + Trimmed(value.substr(valueAt), kValueEdges);
      return 1;
    }
  }
  return 0;
}

bool HasFullWidthDigit(const std::wstring& text) {
  return std::any_of(text.begin(), text.end(),
                     [](wchar_t c) { return c >= kFullWidthZero && c <= kFullWidthNine; });
}

int NumericSetting(const LauncherSettings& settings, int key) {
  return *NumericSettingsField(settings, key);
}

// As the report shows it: texts quoted, so that blanks at their ends show.
std::string SettingValue(const LauncherSettings& settings, int key, ReportLanguage language) {
  const std::wstring* text = TextSettingsField(settings, key);
  if (text) return DisplayTextIn(language, WideToUtf8(*text));
  return std::to_string(NumericSetting(settings, key));
}

bool IsDecimalPoint(wchar_t c) { return c == L'.' || c == kFullWidthFullStop; }

bool IsThousandsSeparator(wchar_t c) { return c == L',' || c == kFullWidthComma; }

// A unit of time after a pause's digits, from `digits` on in `value`, as
// people write durations ("4秒", "1.5 s", "2分"): the launcher reads only
// the whole number before it, as milliseconds. Returns 1 when there is one.
int CheckUnit(const std::wstring& value, int read, std::size_t digits, int key, int line,
              Warnings& warnings) {
  if (!IsPauseKey(key) || read < 0) return 0;
  const std::wstring half = HalfWidth(value);
  std::wstring::size_type end = std::min(half.size(), half.find_first_not_of(kDigits, digits));
  if (end < half.size() && half[end] == L'.') {
    const std::wstring::size_type fraction =
        std::min(half.size(), half.find_first_not_of(kDigits, end + 1));
    if (fraction > end + 1) end = fraction;
  }
  const std::wstring number = half.substr(digits, end - digits);
  // A carriage return ends what its author wrote on the line.
  const std::wstring::size_type lineEnd = std::min(half.size(), half.find(L'\r', end));
  const std::wstring unit =
      AsciiLowerCase(Trimmed(half.substr(end, lineEnd - end), kBlanksAndLineFeed));
  for (const UnitOfTime& known : kUnitsOfTime) {
    if (unit != known.name) continue;
    const double meant = std::wcstod(number.c_str(), nullptr) * known.ms;
    // Milliseconds written with their unit read as meant.
    if (meant == read || meant > kLargestPauseMs) return 1;
    const std::wstring written = Trimmed(value.substr(end, lineEnd - end), kBlanksAndLineFeed);
    warnings.Add(
        line, key, kWarnUnit,
        {KeyName(key), warnings.Shown(Trimmed(value, kBlanksAndLineFeed)), warnings.Shown(written),
         std::to_string(read), warnings.Text(known.text, {WideToUtf8(number)}),
         KeyName(key) + "=" + std::to_string(std::llround(meant))});
    return 1;
  }
  return 0;
}

// What follows a number's digits, `digits` up to `end` as the launcher read
// them, that its author meant as part of it: a unit, a decimal point, a
// thousands separator. Blanks and the line end are nothing; a carriage
// return ends what the author wrote on the line.
void CheckAfterDigits(const std::wstring& value, int read, std::size_t digits, std::size_t end,
                      int key, int line, Warnings& warnings) {
  if (end == value.size()) return;
  const std::wstring rest =
      Trimmed(value.substr(end, value.find(L'\r', end) - end), kBlanksAndLineFeed);
  if (rest.empty() || CheckUnit(value, read, digits, key, line, warnings)) return;
  const std::string shown = warnings.Shown(Trimmed(value, kBlanksAndLineFeed));
  const std::string readAs = KeyName(key) + "=" + std::to_string(read);
  // A comma before three digits groups them; before others it is a decimal
  // comma, as some locales write it.
  const std::wstring::size_type digitsAfter =
      std::min(rest.size(), rest.find_first_not_of(kDigits, 1)) - 1;
  if (IsThousandsSeparator(rest[0]) && digitsAfter == 3) {
    std::wstring whole;
    for (std::wstring::size_type at = digits; at < value.size(); ++at) {
      if (value[at] >= L'0' && value[at] <= L'9') {
        whole += value[at];
      } else if (!IsThousandsSeparator(value[at])) {
        break;
      }
    }
    warnings.Add(
        line, key, kWarnThousandsSeparator,
        {KeyName(key), shown, std::to_string(read), KeyName(key) + "=" + WideToUtf8(whole)});
  } else if ((IsDecimalPoint(rest[0]) || IsThousandsSeparator(rest[0])) && digitsAfter > 0) {
    warnings.Add(line, key, kWarnDecimalPoint, {KeyName(key), shown, std::to_string(read)});
  } else {
    warnings.Add(line, key, kWarnTextAfterDigits,
                 {KeyName(key), shown, warnings.Shown(rest), std::to_string(read), readAs});
  }
}

bool IsFullWidth(wchar_t c) {
  return (c >= kFullWidthFirst && c <= kFullWidthLast) || c == kIdeographicSpace;
}

// The full-width characters of `text`, each once, as the check names them.
std::string FullWidthNamed(const std::wstring& text, const Warnings& warnings) {
  std::wstring found;
  for (wchar_t c : text) {
    if (IsFullWidth(c) && found.find(c) == std::wstring::npos) found += c;
  }
  std::vector<std::string> names;
  for (wchar_t c : found) {
    names.push_back(c == kIdeographicSpace ? warnings.Text(kTextFullWidthBlank)
                                           : warnings.Shown(std::wstring(1, c)));
  }
  return warnings.Join(names);
}

// A number that reads as something other than what its author wrote.
void CheckNumber(const std::wstring& piece, int key, int line, Warnings& warnings) {
  std::wstring value;
  SettingsLineValue(piece, value);
  int read = 0;
  std::size_t end = 0;
  const int digits = ReadInteger(value.c_str(), value.size(), read, end);
  const std::string shown = warnings.Quoted(value);
  const std::size_t warned = warnings.Count();
  if (HasFullWidthDigit(value)) {
    warnings.Add(line, key, kWarnFullWidthDigits,
                 {KeyName(key), shown, std::to_string(read),
                  KeyName(key) + "=" + WideToUtf8(Trimmed(HalfWidth(value), kBlanksAndLineFeed))});
  } else if (!digits) {
    warnings.Add(line, key, kWarnNoDigits, {KeyName(key), shown});
  } else if (LeadingKey(piece) == key) {
    // Otherwise the value runs into another key, which is warned about.
    CheckAfterDigits(value, read, end - static_cast<std::size_t>(digits), end, key, line, warnings);
  }
  // Full-width characters that leave the number as meant, such as a unit
  // in full width, are still named.
  const std::string named = FullWidthNamed(value, warnings);
  if (warnings.Count() == warned && !named.empty()) {
    const std::string readAs = KeyName(key) + "=" + std::to_string(read);
    warnings.Add(line, key, kWarnFullWidthInNumber,
                 {KeyName(key), shown, named, std::to_string(read), readAs});
  }
}

// What a text value that is not the one meant does on the handset.
CheckText TextValueFault(int key) { return key == kKeyGpath ? kTextNoSuchFile : kTextNoSuchPort; }

// A text taken with blanks at its ends, which the launcher keeps: a
// full-width blank no file or port name ends in; whether the handset drops
// a half-width one at a path's end is not known.
void CheckBlanks(const std::wstring& value, int key, int line, Warnings& warnings) {
  const bool atStart = !value.empty() && IsBlank(value[0]);
  const bool atEnd = !value.empty() && IsBlank(value[value.size() - 1]);
  if (!atStart && !atEnd) return;
  const CheckText where = atStart && atEnd ? kTextStartAndEnd : atStart ? kTextStart : kTextEnd;
  const bool fullWidth = value[0] == kIdeographicSpace || value.back() == kIdeographicSpace;
  const std::string what = warnings.Text(key == kKeyGpath ? kTextPath : kTextPortName);
  const std::string instead = KeyName(key) + "=" + WideToUtf8(Trimmed(value, kBlanks));
  if (fullWidth) {
    warnings.Add(line, key, kWarnFullWidthBlankAtEnds,
                 {KeyName(key), warnings.Shown(value), warnings.Text(where), what,
                  warnings.Text(TextValueFault(key)), instead});
  } else {
    warnings.Add(line, key, kWarnBlankAtEnds,
                 {KeyName(key), warnings.Shown(value), warnings.Text(where), what,
                  key == kKeyGpath && atEnd ? warnings.Text(kTextBlankMayBeDropped) : "", instead});
  }
}

// A text holding full-width forms of the characters meant, which the
// handset reads as they are; blanks at its ends have their own warning.
void CheckFullWidthInText(const std::wstring& value, int key, int line, Warnings& warnings) {
  const std::string named = FullWidthNamed(Trimmed(value, kBlanks), warnings);
  if (named.empty()) return;
  warnings.Add(line, key, kWarnFullWidthInValue,
               {KeyName(key), warnings.Shown(value), named, warnings.Text(TextValueFault(key)),
                KeyName(key) + "=" + WideToUtf8(Trimmed(HalfWidth(value), kBlanks))});
}

// A text value written with "=" in it, where the launcher ends the value.
void CheckEqualsInValue(const std::wstring& piece, int key, const std::wstring& value, int line,
                        Warnings& warnings) {
  const std::wstring keyText = KeyText(key);
  const std::wstring::size_type start =
      piece.find_first_not_of(L'=', piece.find(keyText) + keyText.size());
  if (start == std::wstring::npos) return;
  const std::wstring written = piece.substr(start, piece.find(L'\n', start) - start);
  if (written == value || written.find(L'=') == std::wstring::npos) return;
  const bool path = key == kKeyGpath;
  warnings.Add(line, key, kWarnEqualsInValue,
               {KeyName(key), warnings.Shown(written), warnings.Shown(value),
                warnings.Text(path ? kTextPath : kTextPortName),
                path ? warnings.Text(kTextRenameWithoutEquals) : ""});
}

// A port named as "COM1", without the colon that ends the handset's device
// names.
void CheckPortName(const std::wstring& comport, int line, Warnings& warnings) {
  const std::wstring name = Trimmed(comport, kBlanks);
  const std::wstring::size_type digits = name.find_first_of(kDigits);
  if (digits == std::wstring::npos || digits == 0 ||
      name.find_first_not_of(kDigits, digits) != std::wstring::npos ||
      !std::all_of(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(digits),
                   IsAsciiLetter)) {
    return;
  }
  warnings.Add(line, kKeyComport, kWarnComportNoColon,
               {warnings.Shown(comport), WideToUtf8(name + L":")});
}

// A path the handset cannot start a program from, or not the one meant.
void CheckPath(const std::wstring& gpath, int line, Warnings& warnings) {
  const std::string shown = warnings.Shown(gpath);
  // Blanks at the ends have a warning of their own.
  const std::wstring path = Trimmed(gpath, kBlanks);
  const bool quoted = !path.empty() && (path.front() == L'"' || path.back() == L'"');
  if (quoted) warnings.Add(line, kKeyGpath, kWarnGpathQuoted, {shown});
  const std::wstring bare = quoted ? Trimmed(path, L"\"") : path;
  const bool drive = bare.size() >= 2 && IsAsciiLetter(bare[0]) && bare[1] == L':';
  // The path as the handset's paths are written, which each warning offers.
  std::wstring written = drive ? bare.substr(2) : bare;
  std::replace(written.begin(), written.end(), L'/', L'\\');
  if (written.empty() || written[0] != L'\\') written.insert(0, 1, L'\\');
  const std::string instead = WideToUtf8(written);
  if (drive) {
    warnings.Add(line, kKeyGpath, kWarnGpathDrive, {shown, WideToUtf8(bare.substr(0, 2)), instead});
  } else if (!bare.empty() && bare[0] != L'\\' && bare[0] != L'/') {
    warnings.Add(line, kKeyGpath, kWarnGpathNotFromRoot, {shown, instead});
  }
  if (bare.find(L'/') != std::wstring::npos) {
    warnings.Add(line, kKeyGpath, kWarnGpathSlash, {shown, instead});
  }
  std::wstring refused;
  for (std::wstring::size_type at = drive ? 2 : 0; at < bare.size(); ++at) {
    const wchar_t c = bare[at];
    if (c != L'\\' && c != L'/' && !FileNameHolds(c) && refused.find(c) == std::wstring::npos) {
      refused += c;
    }
  }
  std::vector<std::string> characters;
  for (wchar_t c : refused) characters.push_back(warnings.Shown(std::wstring(1, c)));
  if (!characters.empty()) {
    warnings.Add(line, kKeyGpath, kWarnGpathNoNameCharacter, {shown, warnings.Join(characters)});
  }
}

// A line whose author ended it with a carriage return alone: the launcher
// reads on to the line feed, so what follows the return is not a line of
// its own.
void CheckCarriageReturns(const std::wstring& piece, int key, const LauncherSettings& settings,
                          int line, Warnings& warnings) {
  const std::wstring::size_type firstReturn = piece.find(L'\r');
  if (firstReturn == std::wstring::npos) return;
  std::vector<std::string> written;
  bool afterReturn = false;
  for (std::wstring::size_type at = 0; at <= piece.size();) {
    std::wstring::size_type next = piece.find(L'\r', at);
    if (next == std::wstring::npos) next = piece.size();
    LauncherSettings scratch;
    int writtenKey = kNoSettingsKey;
    ApplySettingsLine(scratch, piece.substr(at, next - at), false, writtenKey);
    if (writtenKey != kNoSettingsKey) {
      written.push_back(KeyName(writtenKey));
      afterReturn = afterReturn || at > firstReturn;
    }
    at = next + 1;
  }
  if (!afterReturn) return;
  warnings.Add(line, key, kWarnCarriageReturnAlone,
               {warnings.Quoted(piece), KeyName(key),
                SettingValue(settings, key, warnings.Language()), warnings.Join(written)});
}

// A line that sets no key: one with "=" or that starts with a key's name
// looks like a setting gone wrong; other lines are notes. `setOn` is the
// line that set the key before, 0 for none.
void CheckLineOfNoKey(const std::wstring& piece, const LauncherSettings& settings,
                      const int (&setOn)[kSettingsKeyCount], int line, Warnings& warnings) {
  MeantKey meant;
  const std::string shown = warnings.Quoted(piece);
  if (!FindMeantKey(piece, settings, meant)) {
    if (piece.find(L'=') != std::wstring::npos)
      warnings.Add(line, kNoSettingsKey, kWarnNoKey, {shown});
    return;
  }
  const std::string instead = WideToUtf8(meant.line);
  const std::string name = KeyName(meant.key);
  const std::string value = SettingValue(settings, meant.key, warnings.Language());
  const std::string kept =
      setOn[meant.key] ? warnings.Text(kTextKeptFromLine, {value, std::to_string(setOn[meant.key])})
                       : warnings.Text(kTextKeptDefault, {value});
  if (meant.why == kWarnColonForEquals) {
    const CheckText colon = meant.separator == L':' ? kTextColon : kTextFullWidthColon;
    warnings.Add(line, meant.key, meant.why, {shown, warnings.Text(colon), name, kept, instead});
  } else if (meant.why == kWarnNoEquals) {
    warnings.Add(line, meant.key, meant.why, {shown, name, kept, instead});
  } else if (meant.why == kWarnFullWidthKey) {
    warnings.Add(line, kNoSettingsKey, meant.why, {shown, instead});
  } else if (meant.why == kWarnFullWidthEquals) {
    warnings.Add(line, kNoSettingsKey, meant.why,
                 {shown, WideToUtf8(std::wstring(1, kFullWidthEquals)), instead});
  } else {
    warnings.Add(line, kNoSettingsKey, meant.why, {shown, name, instead});
  }
}

// Warnings about one piece of the file; `continued` marks a piece that is
// not the start of its physical line. `settings` are those after the piece.
void CheckPiece(const std::wstring& piece, bool continued, SettingsLineOutcome outcome, int key,
                const LauncherSettings& settings, const int (&setOn)[kSettingsKeyCount], int line,
                Warnings& warnings) {
  if (outcome == kLineMatchedNoKey) {
    CheckLineOfNoKey(piece, settings, setOn, line, warnings);
    return;
  }
  if (!continued && outcome == kLineApplied && LooksLikeComment(piece)) {
    warnings.Add(line, key, kWarnLooksLikeComment, {warnings.Quoted(piece), KeyName(key)});
  }
  CheckCarriageReturns(piece, key, settings, line, warnings);
  const std::wstring* text = TextSettingsField(settings, key);
  const int leading = LeadingKey(piece);
  if (outcome == kLineApplied && text) {
    CheckBlanks(*text, key, line, warnings);
    CheckFullWidthInText(*text, key, line, warnings);
    if (leading == key) CheckEqualsInValue(piece, key, *text, line, warnings);
    if (key == kKeyGpath) CheckPath(settings.gpath, line, warnings);
    if (key == kKeyComport) CheckPortName(settings.comport, line, warnings);
  } else if (outcome == kLineApplied) {
    CheckNumber(piece, key, line, warnings);
  }
  const std::string pieceBytes = std::to_string(kSettingsPieceBytes);
  if (continued) warnings.Add(line, key, kWarnPastFirstPiece, {KeyName(key), pieceBytes});
  if (leading != key) {
    warnings.Add(line, key, kWarnTriedFirst,
                 {warnings.Quoted(piece), KeyName(key), KeyName(leading)});
  }
  if (outcome == kLineHadNoValue) {
    warnings.Add(line, key, kWarnNoValue, {KeyName(key)});
  } else if (outcome == kLineValueTooLong) {
    warnings.Add(line, key, kWarnTooLong,
                 {KeyName(key), std::to_string(TextSettingsCapacity(key)), pieceBytes});
  }
}

// The check's part in the launcher's reading of the file: each piece's
// warnings, and the physical lines that set each key.
class PieceChecker : public SettingsReadObserver {
 public:
  PieceChecker(SettingsCheck& check, Warnings& warnings) : check_(check), warnings_(warnings) {}

  void PieceTaken(const std::wstring& piece, bool cut, SettingsLineOutcome outcome, int key,
                  const LauncherSettings& settings) override {
    CheckPiece(piece, continued_, outcome, key, settings, check_.setOnLine, line_, warnings_);
    if (outcome == kLineApplied) {
      check_.setOnLine[key] = line_;
      appliedOn[key].push_back(line_);
    }
    // A long line arrives in pieces; only a piece that ends the line moves
    // on to the next one.
    continued_ = cut;
    if (!cut) ++line_;
  }

  std::vector<int> appliedOn[kSettingsKeyCount];

 private:
  SettingsCheck& check_;
  Warnings& warnings_;
  int line_ = 1;
  bool continued_ = false;
};

std::string Dump(const nlohmann::ordered_json& json) {
  return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

// Checks for the map window that end before a handset's map has shown its
// window or closed it: either ends the run in a timeout message.
void CheckMapWait(const SettingsCheck& check, Warnings& warnings) {
  const LauncherSettings& settings = check.settings;
  const MapLooks looks = ComputeMapLooks(settings);
  if (looks.lastAfterStartMs >= kHandsetMapMs) return;
  const std::string close =
      settings.greset == 1
          ? warnings.Text(kTextMapCloseTime, {DurationText(looks.lastAfterCloseMs, check.language)})
          : std::string();
  int insteadKey = kNoSettingsKey;
  std::uint64_t insteadValue = 0;
  LooksReaching(settings, kHandsetMapMs, insteadKey, insteadValue);
  // On the later of the two lines, the one that made the wait short.
  const bool onWait = check.setOnLine[kKeyWait] >= check.setOnLine[kKeyWaitloop];
  const int key = onWait ? kKeyWait : kKeyWaitloop;
  warnings.Add(check.setOnLine[key], key, kWarnMapWaitShort,
               {std::to_string(settings.wait), std::to_string(settings.waitloop),
                DurationText(looks.lastAfterStartMs, check.language), close,
                warnings.Text(kTextSecondsPart, {std::to_string(kHandsetMapMs / 1000)}),
                KeyName(insteadKey) + "=" + std::to_string(insteadValue)});
}

// Warnings about the outcome of the whole file.
void CheckOutcome(const SettingsCheck& check,
                  const std::vector<int> (&appliedOn)[kSettingsKeyCount], Warnings& warnings) {
  const LauncherSettings& settings = check.settings;
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    if (appliedOn[key].size() > 1) {
      std::vector<std::string> lines;
      for (int line : appliedOn[key]) lines.push_back(std::to_string(line));
      warnings.Add(appliedOn[key].back(), key, kWarnSetTwice, {KeyName(key), warnings.Join(lines)});
    }
  }
  for (int key : kPauseKeys) {
    const int value = NumericSetting(settings, key);
    if (value < 0) {
      warnings.Add(check.setOnLine[key], key, kWarnNegativePause,
                   {KeyName(key), std::to_string(value)});
    }
  }
  if (settings.waitloop <= 0) {
    warnings.Add(check.setOnLine[kKeyWaitloop], kKeyWaitloop, kWarnNoChecks,
                 {std::to_string(settings.waitloop)});
  } else if (settings.wait == 0) {
    warnings.Add(check.setOnLine[kKeyWait], kKeyWait, kWarnWaitZero, {});
  } else if (settings.wait > 0) {
    CheckMapWait(check, warnings);
  }
  if (settings.greset != 0 && settings.greset != 1) {
    warnings.Add(check.setOnLine[kKeyGreset], kKeyGreset, kWarnGresetOther,
                 {std::to_string(settings.greset)});
  }
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    if (DryRunRefusesKey(settings, key)) {
      warnings.Add(check.setOnLine[key], key, kWarnDryRunRefuses,
                   {KeyName(key), std::to_string(NumericSetting(settings, key)),
                    std::to_string(kMostLoops)});
    }
  }
  const std::uint64_t longestMs = ComputeRunTimeBounds(settings).longestMs;
  if (longestMs > kLongRunMs) {
    // Named by the settings that the file gives; the warning goes on the last of them.
    std::vector<std::string> given;
    int line = 0;
    int key = kNoSettingsKey;
    for (int timeKey : kTimeKeys) {
      if (!check.setOnLine[timeKey]) continue;
      given.push_back(warnings.Text(
          kTextSettingOnLine, {KeyName(timeKey), SettingValue(settings, timeKey, check.language),
                               std::to_string(check.setOnLine[timeKey])}));
      if (check.setOnLine[timeKey] > line) {
        line = check.setOnLine[timeKey];
        key = timeKey;
      }
    }
    warnings.Add(line, key, kWarnLongRun,
                 {DurationText(longestMs, check.language), warnings.Join(given)});
  }
}

// Whether two readings of a line set the same setting to the same value;
// `key` is the one the second sets, or else the first.
bool ReadAlike(const std::wstring& one, const std::wstring& other, int& key) {
  LauncherSettings first;
  LauncherSettings second;
  SetDefaultSettings(first);
  SetDefaultSettings(second);
  int firstKey = kNoSettingsKey;
  int secondKey = kNoSettingsKey;
  const SettingsLineOutcome outcome = ApplySettingsLine(first, one, false, firstKey);
  const SettingsLineOutcome otherOutcome = ApplySettingsLine(second, other, false, secondKey);
  key = secondKey != kNoSettingsKey ? secondKey : firstKey;
  if (otherOutcome != outcome || firstKey != secondKey) return false;
  return outcome != kLineApplied ||
         SettingValue(first, firstKey, kEnglish) == SettingValue(second, secondKey, kEnglish);
}

// Whether the bytes hold text other than ASCII that is UTF-8, which
// Shift-JIS text almost never is.
bool IsUtf8WithJapanese(const std::string& bytes, std::wstring& text) {
  const bool wide = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
  return wide && Utf8ToWide(bytes, text);
}

// The file's physical lines, each with its line feed, as the launcher reads
// them in text mode, where CR LF is LF.
std::vector<std::string> LinesAsRead(const std::string& bytes) {
  std::vector<std::string> lines;
  for (std::string::size_type at = 0; at < bytes.size();) {
    const std::string::size_type lineFeed = bytes.find('\n', at);
    const std::string::size_type end = lineFeed == std::string::npos ? bytes.size() : lineFeed + 1;
    std::string written = bytes.substr(at, end - at);
    at = end;
    const std::string::size_type crlf = written.rfind("\r\n");
    if (crlf != std::string::npos && crlf + 2 == written.size()) written.erase(crlf, 1);
    lines.push_back(written);
  }
  return lines;
}

// A file in another encoding than the handset's code page, Shift-JIS;
// returns whether it is in one.
bool CheckEncoding(const std::string& bytes, Warnings& warnings) {
  // ASCII in UTF-16 is every other byte zero; a byte-order mark may lead.
  const bool utf16 = bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 ||
                                           bytes.compare(0, 2, "\xFE\xFF") == 0 ||
                                           (bytes[0] == '\0') != (bytes[1] == '\0'));
  if (utf16) {
    warnings.Add(1, kNoSettingsKey, kWarnUtf16, {});
    return true;
  }
  std::wstring text;
  if (!IsUtf8WithJapanese(bytes, text)) return false;
  // A UTF-8 file matters only where the launcher reads a line otherwise
  // than its author wrote it: Japanese in notes changes nothing.
  int line = 1;
  for (const std::string& written : LinesAsRead(bytes)) {
    const std::wstring read = Cp932ToWide(written);
    std::wstring meant;
    Utf8ToWide(written, meant);
    int key = kNoSettingsKey;
    if (!ReadAlike(read, meant, key)) warnings.Add(line, key, kWarnUtf8, {warnings.Quoted(read)});
    ++line;
  }
  return true;
}

// A unit of code page 932 that stands for no Shift-JIS character: a pair
// the code page has none for, which the handset reads as "・" (only 81 45
// is that character), a lead byte without its second byte, or 80, A0 or
// FD to FF alone, which Windows reads as characters of its own.
bool IsNoCharacter(const std::string& unit) {
  if (unit.size() == 2) return unit != "\x81\x45" && Cp932ToWide(unit) == L"\x30FB";
  const unsigned char byte = static_cast<unsigned char>(unit[0]);
  return IsCp932LeadByte(byte) || byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

// The units of `line` that stand for no character and whose readings lie
// in `value`, each in hex ("FC 6C"). A lead byte and the byte after it,
// unless that is zero, are one unit, as the handset's conversion takes them.
std::vector<std::string> NoCharacterUnits(const std::string& line, const std::wstring& value) {
  std::vector<std::string> units;
  for (std::string::size_type at = 0; at < line.size();) {
    const bool pair = IsCp932LeadByte(static_cast<unsigned char>(line[at])) &&
                      at + 1 < line.size() && line[at + 1] != '\0';
    const std::string unit = line.substr(at, pair ? 2 : 1);
    at += unit.size();
    const std::wstring read = Cp932ToWide(unit);
    if (!IsNoCharacter(unit) || read.empty() || value.find(read) == std::wstring::npos) continue;
    std::string hex;
    for (char byte : unit) {
      char digits[4];
      std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(byte));
      hex += (hex.empty() ? "" : " ") + std::string(digits);
    }
    if (std::find(units.begin(), units.end(), hex) == units.end()) units.push_back(hex);
  }
  return units;
}

// A text value written in bytes that are no Shift-JIS character, in a file
// of no other encoding the check knows: what its author meant is not known,
// and the handset reads another character there.
void CheckNoCharacterBytes(const std::string& bytes, SettingsCheck& check, Warnings& warnings) {
  const std::vector<std::string> lines = LinesAsRead(bytes);
  for (int key : {kKeyGpath, kKeyComport}) {
    const int line = check.setOnLine[key];
    if (line == 0 || line > static_cast<int>(lines.size())) continue;
    const std::wstring& value = *TextSettingsField(check.settings, key);
    const std::vector<std::string> units = NoCharacterUnits(lines[line - 1], value);
    if (units.empty()) continue;
    warnings.Add(line, key, kWarnNotShiftJis,
                 {KeyName(key), warnings.Shown(value), warnings.Join(units),
                  warnings.Text(TextValueFault(key))});
    if (key == kKeyGpath) check.gpathMeantUnknown = true;
  }
}

LauncherSettings ReadWithLaunchersReader(const std::string& bytes, SettingsReadObserver* observer) {
  HandsetScenario scenario;
  scenario.settingsFile = bytes;
  SimulatedHandset handset(scenario);
  LauncherSettings settings;
  ReadSettings(handset, settings, observer);
  return settings;
}

std::wstring MeantGpath(const std::string& bytes, const std::wstring& gpath) {
  std::wstring text;
  const std::wstring meant = IsUtf8WithJapanese(bytes, text)
                                 ? ReadWithLaunchersReader(WideToCp932(text), nullptr).gpath
                                 : gpath;
  // Quotes around a path are not part of it, as on a desktop's command line.
  return Trimmed(Trimmed(HalfWidth(meant), kBlanks), L"\"");
}

}  // namespace

SettingsCheck CheckSettingsFile(const std::string& bytes, ReportLanguage language) {
  SettingsCheck check;
  check.language = language;
  std::fill(std::begin(check.setOnLine), std::end(check.setOnLine), 0);
  Warnings warnings(language, check.warnings);

  // The launcher's own reader, over a handset whose settings file holds the bytes.
  PieceChecker checker(check, warnings);
  check.settings = ReadWithLaunchersReader(bytes, &checker);
  check.meantGpath = MeantGpath(bytes, check.settings.gpath);

  CheckOutcome(check, checker.appliedOn, warnings);
  if (!CheckEncoding(bytes, warnings)) CheckNoCharacterBytes(bytes, check, warnings);
  std::stable_sort(
      check.warnings.begin(), check.warnings.end(),
      [](const SettingsWarning& a, const SettingsWarning& b) { return a.line < b.line; });
  return check;
}

std::string FormatSettingsCheck(const SettingsCheck& check, const std::string& fileName) {
  const auto text = [&check](CheckText id, std::initializer_list<std::string> arguments = {}) {
    return CheckTextIn(check.language, id, arguments);
  };
  std::string report = text(kTextHeading, {fileName}) + "\n";
  std::size_t valueWidth = 0;
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    valueWidth =
        std::max(valueWidth, DisplayWidth(SettingValue(check.settings, key, check.language)));
  }
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    report += "  " + PadToWidth(KeyName(key), 11) +
              PadToWidth(SettingValue(check.settings, key, check.language), valueWidth + 2) +
              (check.setOnLine[key] ? text(kTextOrigin, {std::to_string(check.setOnLine[key])})
                                    : text(kTextDefault)) +
              "\n";
  }
  for (const SettingsWarning& warning : check.warnings) {
    report += text(kTextWarning) + warning.text + "\n";
  }

  const std::vector<RunTimeRow> rows = RunTimeRows(check);
  std::size_t labelWidth = 0;
  for (const RunTimeRow& row : rows) labelWidth = std::max(labelWidth, DisplayWidth(row.label));
  report += text(kTextRunTimeHeading) + "\n";
  for (const RunTimeRow& row : rows) {
    report += "  " + PadToWidth(row.label, labelWidth + 2) + row.value + row.assumption + "\n";
  }
  return report;
}

std::vector<RunTimeRow> RunTimeRows(const SettingsCheck& check) {
  const auto text = [&check](CheckText id, std::initializer_list<std::string> arguments = {}) {
    return CheckTextIn(check.language, id, arguments);
  };
  const RunTimeBounds bounds = ComputeRunTimeBounds(check.settings);
  std::vector<RunTimeRow> rows;
  rows.push_back(RunTimeRow{text(kTextShortestRun), DurationText(bounds.shortestMs, check.language),
                            text(kTextShortestRunWhen)});
  if (bounds.shortestNormalEndMs) {
    // Its probe finds no internet, so that zoom and clear take no time.
    const bool closingActions = check.settings.gzoomtime != 0 || check.settings.gclear != 0;
    rows.push_back(RunTimeRow{
        text(kTextShortestNormalEnd), DurationText(*bounds.shortestNormalEndMs, check.language),
        text(kTextShortestNormalEndWhen,
             {closingActions ? text(kTextWithoutZoomAndClear) : std::string()})});
  } else {
    rows.push_back(RunTimeRow{text(kTextShortestNormalEnd), text(kTextNoNormalEnd), ""});
  }
  rows.push_back(
      RunTimeRow{text(kTextLongestRun), DurationText(bounds.longestMs, check.language), ""});
  return rows;
}

std::string FormatSettingsCheckJson(const SettingsCheck& check) {
  nlohmann::ordered_json report;
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    nlohmann::ordered_json& setting = report["settings"][KeyName(key)];
    const std::wstring* text = TextSettingsField(check.settings, key);
    if (text) {
      setting["value"] = WideToUtf8(*text);
    } else {
      setting["value"] = NumericSetting(check.settings, key);
    }
    setting["line"] = check.setOnLine[key];
  }
  report["warnings"] = nlohmann::ordered_json::array();
  for (const SettingsWarning& warning : check.warnings) {
    nlohmann::ordered_json entry;
    entry["line"] = warning.line;
    entry["key"] = nullptr;
    if (warning.key != kNoSettingsKey) entry["key"] = KeyName(warning.key);
    entry["kind"] = warning.kind;
    entry["text"] = warning.text;
    entry["message"] = warning.message;
    report["warnings"].push_back(entry);
  }
  const RunTimeBounds bounds = ComputeRunTimeBounds(check.settings);
  nlohmann::ordered_json& runTime = report["runTimeMs"];
  runTime["shortest"] = bounds.shortestMs;
  runTime["shortestNormalEnd"] = nullptr;
  if (bounds.shortestNormalEndMs) runTime["shortestNormalEnd"] = *bounds.shortestNormalEndMs;
  runTime["longest"] = bounds.longestMs;
  return Dump(report);
}

std::string FormatUnreadableFileJson(const std::string& fileName, const std::string& problem) {
  nlohmann::ordered_json report;
  report["file"] = fileName;
  report["error"] = problem;
  return Dump(report);
}

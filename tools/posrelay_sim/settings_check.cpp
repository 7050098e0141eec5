#include "tools/posrelay_sim/settings_check.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <nlohmann/json.hpp>

#include "simulator/file_name_characters.h"
#include "simulator/simulated_handset.h"
#include "simulator/text_encoding.h"
#include "text/read_integer.h"
#include "tools/posrelay_sim/check_texts.h"
#include "tools/posrelay_sim/display_text.h"
#include "tools/posrelay_sim/dry_run_limits.h"
#include "tools/posrelay_sim/run_time_bounds.h"
#include "tools/posrelay_sim/seconds_text.h"

namespace {

const int kPauseKeys[] = {kKeyWait, kKeyWaitstart, kKeyWsimdcon, kKeyWsimcon};
// The keys whose values make a run long.
const int kTimeKeys[] = {kKeyWait,     kKeyWaitloop, kKeyWaitstart,
                         kKeyWsimdcon, kKeyWsimcon,  kKeyGzoomtime};
const std::uint64_t kLongRunMs = 10 * 60 * 1000;
// Characters that a Japanese keyboard gives in full width, where the
// launcher only knows their ASCII forms.
const wchar_t kFullWidthEquals = 0xFF1D;
const wchar_t kFullWidthZero = 0xFF10;
const wchar_t kFullWidthNine = 0xFF19;
const wchar_t kFullWidthFullStop = 0xFF0E;
const wchar_t kFullWidthComma = 0xFF0C;
const wchar_t kIdeographicSpace = 0x3000;
const wchar_t kBlanks[] = {L' ', L'\t', L'\r', kIdeographicSpace, 0};
const wchar_t kBlanksAndLineFeed[] = {L' ', L'\t', L'\r', L'\n', kIdeographicSpace, 0};
const wchar_t kDigits[] = L"0123456789";
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
    list_.push_back(
        SettingsWarning{line, key, WarningKindName(kind),
                        Text(kTextLine, {std::to_string(line)}) + Text(kind, arguments)});
  }

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

// The line as its author wrote it, without its line feed.
std::string Quoted(const std::wstring& piece) {
  std::wstring text = piece;
  if (!text.empty() && text.back() == L'\n') text.pop_back();
  return DisplayText(WideToUtf8(text));
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

// A key, perhaps blanks, then the full-width equals sign: meant as a setting.
bool HasKeyWithFullWidthEquals(const std::wstring& piece) {
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    const std::wstring name = SettingsKeyName(key);
    for (std::wstring::size_type at = piece.find(name); at != std::wstring::npos;
         at = piece.find(name, at + 1)) {
      const std::wstring::size_type next = piece.find_first_not_of(kBlanks, at + name.size());
      if (next != std::wstring::npos && piece[next] == kFullWidthEquals) return true;
    }
  }
  return false;
}

bool HasFullWidthDigit(const std::wstring& text) {
  return std::any_of(text.begin(), text.end(),
                     [](wchar_t c) { return c >= kFullWidthZero && c <= kFullWidthNine; });
}

int NumericSetting(const LauncherSettings& settings, int key) {
  return *NumericSettingsField(settings, key);
}

// As the report shows it: texts quoted, so that blanks at their ends show.
std::string SettingValue(const LauncherSettings& settings, int key) {
  const std::wstring* text = TextSettingsField(settings, key);
  if (text) return DisplayText(WideToUtf8(*text));
  return std::to_string(NumericSetting(settings, key));
}

bool IsDecimalPoint(wchar_t c) { return c == L'.' || c == kFullWidthFullStop; }

bool IsThousandsSeparator(wchar_t c) { return c == L',' || c == kFullWidthComma; }

// What follows a number's digits, `digits` up to `end` as the launcher read
// them, that its author meant as part of it: a unit, a decimal point, a
// thousands separator. Blanks and the line end are nothing; a carriage
// return ends what the author wrote on the line.
void CheckAfterDigits(const std::wstring& value, int read, std::size_t digits, std::size_t end,
                      int key, int line, Warnings& warnings) {
  if (end == value.size()) return;
  const std::wstring rest =
      Trimmed(value.substr(end, value.find(L'\r', end) - end), kBlanksAndLineFeed);
  if (rest.empty()) return;
  const std::string shown = DisplayText(WideToUtf8(Trimmed(value, kBlanksAndLineFeed)));
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
                 {KeyName(key), shown, DisplayText(WideToUtf8(rest)), std::to_string(read)});
  }
}

// A number that reads as something other than what its author wrote.
void CheckNumber(const std::wstring& piece, int key, int line, Warnings& warnings) {
  std::wstring value;
  SettingsLineValue(piece, value);
  int read = 0;
  std::size_t end = 0;
  const int digits = ReadInteger(value.c_str(), value.size(), read, end);
  const std::string shown = Quoted(value);
  if (HasFullWidthDigit(value)) {
    warnings.Add(line, key, kWarnFullWidthDigits, {KeyName(key), shown, std::to_string(read)});
  } else if (!digits) {
    warnings.Add(line, key, kWarnNoDigits, {KeyName(key), shown});
  } else if (LeadingKey(piece) == key) {
    // Otherwise the value runs into another key, which is warned about.
    CheckAfterDigits(value, read, end - static_cast<std::size_t>(digits), end, key, line, warnings);
  }
}

// A text taken with blanks at its ends, which the launcher keeps.
void CheckBlanks(const std::wstring& value, int key, int line, Warnings& warnings) {
  const bool atStart = !value.empty() && IsBlank(value[0]);
  const bool atEnd = !value.empty() && IsBlank(value[value.size() - 1]);
  if (!atStart && !atEnd) return;
  const CheckText where = atStart && atEnd ? kTextStartAndEnd : atStart ? kTextStart : kTextEnd;
  warnings.Add(line, key, kWarnBlankAtEnds,
               {KeyName(key), DisplayText(WideToUtf8(value)), warnings.Text(where),
                warnings.Text(key == kKeyGpath ? kTextPath : kTextPortName)});
}

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// A path the handset cannot start a program from, or not the one meant.
void CheckPath(const std::wstring& gpath, int line, Warnings& warnings) {
  const std::string shown = DisplayText(WideToUtf8(gpath));
  // Blanks at the ends have a warning of their own.
  const std::wstring path = Trimmed(gpath, kBlanks);
  const bool quoted = !path.empty() && (path.front() == L'"' || path.back() == L'"');
  if (quoted) warnings.Add(line, kKeyGpath, kWarnGpathQuoted, {shown});
  const std::wstring bare = quoted ? Trimmed(path, L"\"") : path;
  const bool drive = bare.size() >= 2 && IsDriveLetter(bare[0]) && bare[1] == L':';
  if (drive) {
    warnings.Add(line, kKeyGpath, kWarnGpathDrive, {shown, WideToUtf8(bare.substr(0, 2))});
  } else if (!bare.empty() && bare[0] != L'\\' && bare[0] != L'/') {
    warnings.Add(line, kKeyGpath, kWarnGpathNotFromRoot, {shown});
  }
  if (bare.find(L'/') != std::wstring::npos)
    warnings.Add(line, kKeyGpath, kWarnGpathSlash, {shown});
  std::wstring refused;
  for (std::wstring::size_type at = drive ? 2 : 0; at < bare.size(); ++at) {
    const wchar_t c = bare[at];
    if (c != L'\\' && c != L'/' && !FileNameHolds(c) && refused.find(c) == std::wstring::npos) {
      refused += c;
    }
  }
  std::vector<std::string> characters;
  for (wchar_t c : refused) characters.push_back(DisplayText(WideToUtf8(std::wstring(1, c))));
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
               {Quoted(piece), KeyName(key), SettingValue(settings, key), warnings.Join(written)});
}

// Warnings about one piece of the file; `continued` marks a piece that is
// not the start of its physical line. `settings` are those after the piece.
void CheckPiece(const std::wstring& piece, bool continued, SettingsLineOutcome outcome, int key,
                const LauncherSettings& settings, int line, Warnings& warnings) {
  if (outcome == kLineMatchedNoKey) {
    // Lines without "=" are notes; one with it looks like a setting gone wrong.
    if (HasKeyWithFullWidthEquals(piece)) {
      warnings.Add(line, kNoSettingsKey, kWarnFullWidthEquals,
                   {Quoted(piece), WideToUtf8(std::wstring(1, kFullWidthEquals))});
    } else if (piece.find(L'=') != std::wstring::npos) {
      warnings.Add(line, kNoSettingsKey, kWarnNoKey, {Quoted(piece)});
    }
    return;
  }
  if (!continued && outcome == kLineApplied && LooksLikeComment(piece)) {
    warnings.Add(line, key, kWarnLooksLikeComment, {Quoted(piece), KeyName(key)});
  }
  CheckCarriageReturns(piece, key, settings, line, warnings);
  const std::wstring* text = TextSettingsField(settings, key);
  if (outcome == kLineApplied && text) {
    CheckBlanks(*text, key, line, warnings);
    if (key == kKeyGpath) CheckPath(settings.gpath, line, warnings);
  } else if (outcome == kLineApplied) {
    CheckNumber(piece, key, line, warnings);
  }
  const std::string pieceBytes = std::to_string(kSettingsPieceBytes);
  if (continued) warnings.Add(line, key, kWarnPastFirstPiece, {KeyName(key), pieceBytes});
  const int leading = LeadingKey(piece);
  if (leading != key) {
    warnings.Add(line, key, kWarnTriedFirst, {Quoted(piece), KeyName(key), KeyName(leading)});
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
    CheckPiece(piece, continued_, outcome, key, settings, line_, warnings_);
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
      given.push_back(
          warnings.Text(kTextSettingOnLine, {KeyName(timeKey), SettingValue(settings, timeKey),
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

// A file in another encoding than the handset's code page, Shift-JIS.
void CheckEncoding(const std::string& bytes, Warnings& warnings) {
  // ASCII in UTF-16 is every other byte zero; a byte-order mark may lead.
  const bool utf16 = bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 ||
                                           bytes.compare(0, 2, "\xFE\xFF") == 0 ||
                                           (bytes[0] == '\0') != (bytes[1] == '\0'));
  if (utf16) {
    warnings.Add(1, kNoSettingsKey, kWarnUtf16, {});
    return;
  }
  const std::string::const_iterator wide =
      std::find_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
  std::wstring text;
  // Shift-JIS text other than ASCII is almost never valid UTF-8.
  if (wide == bytes.end() || !Utf8ToWide(bytes, text)) return;
  warnings.Add(1 + static_cast<int>(std::count(bytes.begin(), wide, '\n')), kNoSettingsKey,
               kWarnUtf8, {});
}

}  // namespace

SettingsCheck CheckSettingsFile(const std::string& bytes, ReportLanguage language) {
  SettingsCheck check;
  check.language = language;
  std::fill(std::begin(check.setOnLine), std::end(check.setOnLine), 0);
  Warnings warnings(language, check.warnings);

  // The launcher's own reader, over a handset whose settings file holds the bytes.
  HandsetScenario scenario;
  scenario.settingsFile = bytes;
  SimulatedHandset handset(scenario);
  PieceChecker checker(check, warnings);
  ReadSettings(handset, check.settings, &checker);

  CheckOutcome(check, checker.appliedOn, warnings);
  CheckEncoding(bytes, warnings);
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
    valueWidth = std::max(valueWidth, DisplayWidth(SettingValue(check.settings, key)));
  }
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    report += "  " + PadToWidth(KeyName(key), 11) +
              PadToWidth(SettingValue(check.settings, key), valueWidth + 2) +
              (check.setOnLine[key] ? text(kTextOrigin, {std::to_string(check.setOnLine[key])})
                                    : text(kTextDefault)) +
              "\n";
  }
  for (const SettingsWarning& warning : check.warnings) {
    report += text(kTextWarning) + warning.text + "\n";
  }

  const RunTimeBounds bounds = ComputeRunTimeBounds(check.settings);
  const CheckText labels[] = {kTextShortestRun, kTextShortestNormalEnd, kTextLongestRun};
  std::size_t labelWidth = 0;
  for (CheckText label : labels) labelWidth = std::max(labelWidth, DisplayWidth(text(label)));
  const auto row = [&](CheckText label, const std::string& value) {
    return "  " + PadToWidth(text(label), labelWidth + 2) + value + "\n";
  };
  report += text(kTextRunTimeHeading) + "\n";
  report += row(kTextShortestRun,
                DurationText(bounds.shortestMs, check.language) + text(kTextShortestRunWhen));
  report +=
      row(kTextShortestNormalEnd, bounds.shortestNormalEndMs
                                      ? DurationText(*bounds.shortestNormalEndMs, check.language)
                                      : text(kTextNoNormalEnd));
  report += row(kTextLongestRun, DurationText(bounds.longestMs, check.language));
  return report;
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

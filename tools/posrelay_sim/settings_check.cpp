#include "tools/posrelay_sim/settings_check.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/sim/simulated_handset.h"
#include "platform/sim/text_encoding.h"
#include "tools/posrelay_sim/display_text.h"
#include "tools/posrelay_sim/run_time_bounds.h"

namespace {

const int kPauseKeys[] = {kKeyWait, kKeyWaitstart, kKeyWsimdcon, kKeyWsimcon};

std::string KeyName(int key) { return WideToUtf8(SettingsKeyName(key)); }

std::wstring KeyText(int key) { return std::wstring(SettingsKeyName(key)) + L"="; }

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

int NumericSetting(const LauncherSettings& settings, int key) {
  switch (key) {
    case kKeyGreset:
      return settings.greset;
    case kKeyGclear:
      return settings.gclear;
    case kKeyWait:
      return settings.wait;
    case kKeyWaitloop:
      return settings.waitloop;
    case kKeyWaitstart:
      return settings.waitstart;
    case kKeyWsimdcon:
      return settings.wsimdcon;
    case kKeyWsimcon:
      return settings.wsimcon;
    default:
      return settings.gzoomtime;
  }
}

bool IsTextKey(int key) { return key == kKeyGpath || key == kKeyComport; }

std::string SettingValue(const LauncherSettings& settings, int key) {
  if (key == kKeyGpath) return WideToUtf8(settings.gpath);
  if (key == kKeyComport) return WideToUtf8(settings.comport);
  return std::to_string(NumericSetting(settings, key));
}

std::size_t TextCapacity(int key) { return key == kKeyGpath ? kGpathCapacity : kComportCapacity; }

// Warnings about one piece of the file; `continued` marks a piece that is
// not the start of its physical line.
void CheckPiece(const std::wstring& piece, bool continued, SettingsLineOutcome outcome, int key,
                int line, std::vector<std::pair<int, std::string> >& warnings) {
  const std::string where = "line " + std::to_string(line) + ": ";
  if (outcome == kLineMatchedNoKey) {
    // Lines without "=" are notes; one with it looks like a setting gone wrong.
    if (piece.find(L'=') != std::wstring::npos) {
      warnings.emplace_back(line, where + Quoted(piece) + " matches no key and is ignored");
    }
    return;
  }
  if (continued) {
    warnings.emplace_back(line, where + "the part past its first 255 bytes is read as a line " +
                                    "of its own and sets " + KeyName(key));
  }
  const int leading = LeadingKey(piece);
  if (leading != key) {
    warnings.emplace_back(line, where + Quoted(piece) + " sets " + KeyName(key) + ", not " +
                                    KeyName(leading) + ": \"" + KeyName(key) +
                                    "=\" is tried first");
  }
  if (outcome == kLineHadNoValue) {
    warnings.emplace_back(line, where + KeyName(key) + " has no value; left unchanged");
  } else if (outcome == kLineValueTooLong) {
    warnings.emplace_back(
        line, where + KeyName(key) + " value longer than " + std::to_string(TextCapacity(key)) +
                  " characters or than the line's first 255 bytes; " + "left unchanged");
  }
}

std::string JoinLines(const std::vector<int>& lines) {
  std::string joined;
  for (int line : lines) joined += (joined.empty() ? "" : ", ") + std::to_string(line);
  return joined;
}

// Warnings about the outcome of the whole file.
void CheckOutcome(const SettingsCheck& check,
                  const std::vector<int> (&appliedOn)[kSettingsKeyCount],
                  std::vector<std::pair<int, std::string> >& warnings) {
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    if (appliedOn[key].size() > 1) {
      warnings.emplace_back(appliedOn[key].back(),
                            "line " + std::to_string(appliedOn[key].back()) + ": " + KeyName(key) +
                                " set more than once (lines " + JoinLines(appliedOn[key]) +
                                "); the last one holds");
    }
  }
  for (int key : kPauseKeys) {
    const int value = NumericSetting(check.settings, key);
    if (value < 0) {
      warnings.emplace_back(check.setOnLine[key], "line " + std::to_string(check.setOnLine[key]) +
                                                      ": " + KeyName(key) + " is negative (" +
                                                      std::to_string(value) + "); taken as 0 ms");
    }
  }
  if (check.settings.waitloop <= 0) {
    warnings.emplace_back(check.setOnLine[kKeyWaitloop],
                          "line " + std::to_string(check.setOnLine[kKeyWaitloop]) +
                              ": waitloop is " + std::to_string(check.settings.waitloop) +
                              ": no check for the map window, so closing or starting the map " +
                              "always ends in a timeout message");
  }
}

// Seconds with milliseconds, and hours and minutes when there are some.
std::string Duration(std::uint64_t ms) {
  char text[96];
  const unsigned long long seconds = ms / 1000;
  int length = std::snprintf(text, sizeof text, "%llu.%03llu s", seconds,
                             static_cast<unsigned long long>(ms % 1000));
  if (seconds >= 3600) {
    std::snprintf(text + length, sizeof text - length, " (%llu h %llu min %llu s)", seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
  } else if (seconds >= 60) {
    std::snprintf(text + length, sizeof text - length, " (%llu min %llu s)", seconds / 60,
                  seconds % 60);
  }
  return text;
}

}  // namespace

SettingsCheck CheckSettingsFile(const std::string& bytes) {
  SettingsCheck check;
  SetDefaultSettings(check.settings);
  std::fill(std::begin(check.setOnLine), std::end(check.setOnLine), 0);

  // The launcher's own reader, over a handset whose settings file holds the bytes.
  HandsetScenario scenario;
  scenario.settingsFile = bytes;
  SimulatedHandset handset(scenario);
  const FileHandle file = handset.OpenTextFile(SettingsPath(handset));
  std::vector<int> appliedOn[kSettingsKeyCount];
  int line = 1;
  bool continued = false;
  std::wstring piece;
  bool cut = false;
  while (ReadSettingsPiece(handset, file, piece, cut)) {
    int key = kNoSettingsKey;
    const SettingsLineOutcome outcome = ApplySettingsLine(check.settings, piece, cut, key);
    CheckPiece(piece, continued, outcome, key, line, check.warnings);
    if (outcome == kLineApplied) {
      check.setOnLine[key] = line;
      appliedOn[key].push_back(line);
    }
    // A long line arrives in 255-byte pieces; only a piece that ends the
    // line moves on to the next one.
    continued = cut;
    if (!cut) ++line;
  }
  handset.CloseTextFile(file);

  CheckOutcome(check, appliedOn, check.warnings);
  std::stable_sort(check.warnings.begin(), check.warnings.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return check;
}

std::string FormatSettingsCheck(const SettingsCheck& check, const std::string& fileName) {
  std::string report = fileName + ", as the launcher reads it:\n";
  std::size_t valueWidth = 0;
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    valueWidth = std::max(valueWidth, SettingValue(check.settings, key).size());
  }
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    const std::string value = SettingValue(check.settings, key);
    report += "  " + KeyName(key) + std::string(11 - KeyName(key).size(), ' ') + value +
              std::string(valueWidth - value.size() + 2, ' ') +
              (check.setOnLine[key] ? "line " + std::to_string(check.setOnLine[key]) : "default") +
              "\n";
  }
  for (const auto& warning : check.warnings) report += "warning: " + warning.second + "\n";

  const RunTimeBounds bounds = ComputeRunTimeBounds(check.settings);
  report += "run time, counting only the launcher's own pauses:\n";
  report += "  shortest run         " + Duration(bounds.shortestMs) +
            " (the map is not running and the module's port does not open)\n";
  report +=
      "  shortest normal end  " +
      (bounds.shortestNormalEndMs ? Duration(*bounds.shortestNormalEndMs)
                                  : std::string("none: the map cannot be closed or started")) +
      "\n";
  report += "  longest run          " + Duration(bounds.longestMs) + "\n";
  return report;
}

std::string FormatSettingsCheckJson(const SettingsCheck& check) {
  nlohmann::ordered_json report;
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    nlohmann::ordered_json& setting = report["settings"][KeyName(key)];
    if (IsTextKey(key)) {
      setting["value"] = SettingValue(check.settings, key);
    } else {
      setting["value"] = NumericSetting(check.settings, key);
    }
    setting["line"] = check.setOnLine[key];
  }
  report["warnings"] = nlohmann::ordered_json::array();
  for (const auto& warning : check.warnings) {
    report["warnings"].push_back({{"line", warning.first}, {"text", warning.second}});
  }
  const RunTimeBounds bounds = ComputeRunTimeBounds(check.settings);
  nlohmann::ordered_json& runTime = report["runTimeMs"];
  runTime["shortest"] = bounds.shortestMs;
  runTime["shortestNormalEnd"] = nullptr;
  if (bounds.shortestNormalEndMs) runTime["shortestNormalEnd"] = *bounds.shortestNormalEndMs;
  runTime["longest"] = bounds.longestMs;
  return report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

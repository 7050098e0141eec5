#include "tests/test_helpers.h"

#include <fstream>
#include <iterator>

#include "settings/settings_file.h"
#include "simulator/simulated_handset.h"

LauncherSettings SettingsOf(const HandsetScenario& scenario) {
  SimulatedHandset reader(scenario);
  LauncherSettings settings;
  ReadSettings(reader, settings);
  return settings;
}

std::string LastLine(const std::string& lines) {
  if (lines.empty()) return lines;
  return lines.substr(lines.rfind('\n', lines.size() - 2) + 1);
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string ReadSample(const std::string& name) {
  return ReadFile(std::string(POSRELAY_SOURCE_DIR "/samples/") + name);
}

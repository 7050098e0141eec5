#include "tests/posrelay_sim/tool_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/test_helpers.h"

std::string TempPath() {
  std::string path = testing::TempDir() + "posrelay_sim_XXXXXX";
  const int fd = mkstemp(path.data());
  if (fd >= 0) close(fd);
  return path;
}

std::string WriteTemp(const std::string& bytes) {
  const std::string path = TempPath();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

ToolResult RunTool(const std::string& arguments, const std::string& locale) {
  const std::string out = TempPath();
  const std::string err = TempPath();
  // From the test data's folder, so that arguments can name its files.
  const std::string command =
      std::string("cd '") + POSRELAY_SIM_TEST_DATA + "' && env -u LC_ALL -u LC_MESSAGES -u LANG " +
      locale + " '" + POSRELAY_SIM_PATH + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
  const int raw = std::system(command.c_str());
  ToolResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
  std::remove(out.c_str());
  std::remove(err.c_str());
  return result;
}

std::string Data(const std::string& name) {
  return std::string("'") + POSRELAY_SIM_TEST_DATA + "/" + name + "'";
}

std::vector<nlohmann::json> JsonLines(const std::string& out) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(nlohmann::json::parse(line, nullptr, false));
  }
  return lines;
}

std::string RecordedDryRun(const std::string& arguments) {
  const std::string path = TempPath();
  RunTool(arguments + " --record '" + path + "'");
  const std::string trace = ReadFile(path);
  std::remove(path.c_str());
  return trace;
}

// posrelay-sim run as a process, the way its users run it: what the tests of
// each of its commands share.
#ifndef POSRELAY_TESTS_POSRELAY_SIM_TOOL_RUN_H
#define POSRELAY_TESTS_POSRELAY_SIM_TOOL_RUN_H

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct ToolResult {
  int status;
  std::string out;
  std::string err;
};

// A new empty file under the tests' temporary folder.
std::string TempPath();

// A file holding `bytes`, for options that take one.
std::string WriteTemp(const std::string& bytes);

// `locale` sets the variables that choose the language of a check; the
// rest of the environment's locale is left out.
ToolResult RunTool(const std::string& arguments, const std::string& locale = "LANG=C");

// The test data's file `name`, quoted as an argument.
std::string Data(const std::string& name);

// The JSON lines of a run, each parsed.
std::vector<nlohmann::json> JsonLines(const std::string& out);

// A dry run recorded as a trace, with `arguments` for its handset.
std::string RecordedDryRun(const std::string& arguments);

#endif

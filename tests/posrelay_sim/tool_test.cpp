// posrelay-sim run as a process, the way its users run it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct ToolResult {
  int status;
  std::string out;
  std::string err;
};

std::string TempPath() {
  std::string path = testing::TempDir() + "posrelay_sim_XXXXXX";
  const int fd = mkstemp(path.data());
  if (fd >= 0) close(fd);
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A file holding `bytes`, for options that take one.
std::string WriteTemp(const std::string& bytes) {
  const std::string path = TempPath();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

ToolResult RunTool(const std::string& arguments) {
  const std::string out = TempPath();
  const std::string err = TempPath();
  const std::string command =
      std::string("'") + POSRELAY_SIM_PATH + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
  const int raw = std::system(command.c_str());
  ToolResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
  std::remove(out.c_str());
  std::remove(err.c_str());
  return result;
}

std::string Data(const std::string& name) {
  return std::string("'") + POSRELAY_SIM_TEST_DATA + "/" + name + "'";
}

TEST(PosrelaySim, HelpShowsBothUsesAndAScenario) {
  const ToolResult result = RunTool("--help");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("posrelay-sim --check FILE"), std::string::npos);
  EXPECT_NE(result.out.find("\"positionReplies\""), std::string::npos);
}

TEST(PosrelaySim, BadUsageIsOneLineAndStatus2) {
  for (const char* arguments : {"--frobnicate", "--ini", "--format xml", "--check a --format json",
                                "--scenario a --scenario b"}) {
    const ToolResult result = RunTool(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_EQ(result.out, "") << arguments;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << arguments;
  }
}

TEST(PosrelaySim, CheckReportsValuesOriginsWarningsAndRunTime) {
  const ToolResult result = RunTool("--check " + Data("surprises.ini"));
  EXPECT_EQ(result.status, 1);
  const std::string file = std::string(POSRELAY_SIM_TEST_DATA) + "/surprises.ini";
  EXPECT_EQ(result.out, file + ", as the launcher reads it:\n" +
                            ReadFile(POSRELAY_SIM_TEST_DATA "/surprises.report"));
}

TEST(PosrelaySim, CheckWarnsAboutEachSurprise) {
  const std::string longLine = std::string(300, 'x') + "wait=7\n";
  const struct {
    const char* name;
    std::string file;
    int status;
    const char* expected;  // a line of the report
  } cases[] = {
      {"notes and blank lines", "# Milliseconds between checks\n\nwait=100\n", 0,
       "  wait       100                                       line 3\n"},
      {"key tried first", "waitloop=5 wait=3\n", 1,
       "warning: line 1: \"waitloop=5 wait=3\" sets wait, not waitloop: \"wait=\" is tried "
       "first\n"},
      {"no key", "# notes\nWait=100\n", 1,
       "warning: line 2: \"Wait=100\" matches no key and is ignored\n"},
      {"set twice", "wait=1\ngclear=1\nwait=2\n", 1,
       "warning: line 3: wait set more than once (lines 1, 3); the last one holds\n"},
      {"negative pause", "wsimcon=-20\n", 1,
       "warning: line 1: wsimcon is negative (-20); taken as 0 ms\n"},
      {"no checks", "waitloop=0\n", 1,
       "warning: line 1: waitloop is 0: no check for the map window, so closing or starting the "
       "map always ends in a timeout message\n"},
      {"text too long", "comport=COM1234567890123456\n", 1,
       "warning: line 1: comport value longer than 15 characters or than the line's first 255 "
       "bytes; left unchanged\n"},
      {"no value", "gclear=1\nwait=", 1, "warning: line 2: wait has no value; left unchanged\n"},
      {"piece of a long line", longLine + "gclear=1\n", 1,
       "warning: line 1: the part past its first 255 bytes is read as a line of its own and sets "
       "wait\n"},
      {"lines counted across pieces", longLine + "gclear=1\r\n", 1,
       "  gclear     1                                         line 2\n"},
      {"Shift-JIS path", "gpath=\x95\x5c\\map.exe\n", 0, "  gpath      表\\map.exe  line 1\n"},
  };
  for (const auto& c : cases) {
    const std::string path = WriteTemp(c.file);
    const ToolResult result = RunTool("--check '" + path + "'");
    std::remove(path.c_str());
    EXPECT_EQ(result.status, c.status) << c.name << "\n" << result.out;
    EXPECT_NE(result.out.find(c.expected), std::string::npos) << c.name << "\n" << result.out;
  }
}

TEST(PosrelaySim, CheckAcceptsTheSampleSettings) {
  const ToolResult result =
      RunTool(std::string("--check '") + POSRELAY_SOURCE_DIR + "/samples/posrelay.ini'");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out.find("warning"), std::string::npos);
}

TEST(PosrelaySim, CheckOfAMissingFileIsStatus2) {
  const ToolResult result = RunTool("--check /nonexistent/posrelay.ini");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "/nonexistent/posrelay.ini: cannot be read: No such file or directory\n");
}

}  // namespace

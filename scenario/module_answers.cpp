#include "scenario/module_answers.h"

#include <nlohmann/json.hpp>

#include "simulator/handset_model.h"
#include "simulator/text_encoding.h"
#include "trace/hex_text.h"

namespace {

// A command ends with its carriage return, as the launcher writes it.
const char kCommandEnd = '\r';

std::string Hex(const std::string& bytes) {
  std::string hex;
  AppendHexText(bytes, hex);
  return hex;
}

std::string Utf8(const std::string& bytes) { return WideToUtf8(Cp932ToWide(bytes)); }

// Sends the command to the module and reads all it answers.
std::string AnswerLine(HandsetModel& model, DeviceHandle port, const std::string& command) {
  model.WriteDevice(port, command.data(), static_cast<int>(command.size()));
  std::string reply;
  char buffer[256];
  for (int count; (count = model.ReadDevice(port, buffer, sizeof buffer)) > 0;) {
    reply.append(buffer, static_cast<std::size_t>(count));
  }
  const nlohmann::ordered_json line = {
      {"command", Utf8(command)}, {"reply", Utf8(reply)}, {"hex", Hex(reply)}};
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace

int AnswerModule(const HandsetScenario& scenario, std::FILE* in, std::FILE* out,
                 std::string& problem) {
  HandsetModel model(scenario);
  const DeviceHandle port = model.OpenDevice(scenario.module.port);
  if (!port) {
    problem = "the module has no port to answer on (module.portExists is false)";
    return 0;
  }
  // Byte by byte: a command is answered as soon as it ends, whatever follows.
  std::string command;
  for (int c; (c = std::fgetc(in)) != EOF;) {
    command += static_cast<char>(c);
    if (c != kCommandEnd) continue;
    std::fputs(AnswerLine(model, port, command).c_str(), out);
    std::fflush(out);
    command.clear();
  }
  model.CloseDevice(port);
  return 1;
}

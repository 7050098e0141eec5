#include "scenario/scenario_writer.h"

#include <cstddef>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string_view>

#include "simulator/text_encoding.h"

namespace {

// Fields in the order the scenario format lists them.
using OrderedJson = nlohmann::ordered_json;

const std::size_t kLineColumns = 72;

OrderedJson ModuleText(const std::string& bytes) { return WideToUtf8(Cp932ToWide(bytes)); }

OrderedJson Delay(const std::optional<std::uint64_t>& ms) {
  return ms ? OrderedJson(*ms) : OrderedJson(nullptr);
}

OrderedJson ScenarioJson(const HandsetScenario& scenario) {
  OrderedJson connections = OrderedJson::array();
  for (const ConnectionScenario& connection : scenario.connections) {
    OrderedJson entry = {{"name", connection.name}, {"hangUpSucceeds", connection.hangUpSucceeds}};
    // Without a handle of its own, a connection gets a fresh one.
    if (connection.handle) entry["handle"] = *connection.handle;
    connections.push_back(entry);
  }
  OrderedJson missing = OrderedJson::array();
  for (const std::wstring& name : scenario.missingFunctions) missing.push_back(WideToUtf8(name));
  OrderedJson replies = OrderedJson::array();
  for (const std::string& reply : scenario.module.positionReplies) {
    replies.push_back(ModuleText(reply));
  }
  OrderedJson faults = OrderedJson::array();
  for (const FaultScenario& fault : scenario.faults) {
    OrderedJson entry = {{"fault", kFaultNames[fault.kind]}};
    if (fault.value) entry["value"] = *fault.value;
    if (fault.call) entry["call"] = *fault.call;
    faults.push_back(entry);
  }
  const MapScenario& map = scenario.map;
  const ModuleScenario& module = scenario.module;
  const InternetScenario& internet = scenario.internet;
  return {
      {"map",
       {{"running", map.running},
        {"closesAfterMs", Delay(map.closesAfterMs)},
        {"executableExists", map.executableExists},
        {"appearsAfterMs", Delay(map.appearsAfterMs)},
        {"installedAt",
         map.installedAt ? OrderedJson(WideToUtf8(*map.installedAt)) : OrderedJson(nullptr)}}},
      {"rasLibrary", scenario.rasLibrary},
      {"missingFunctions", missing},
      {"connections", connections},
      {"module",
       {{"port", WideToUtf8(module.port)},
        {"portExists", module.portExists},
        {"identification", ModuleText(module.identification)},
        {"positionReplies", replies}}},
      {"internet",
       {{"opens", internet.opens}, {"reachable", internet.reachable}, {"bytes", internet.bytes}}},
      {"registryKeyExists", scenario.registryKeyExists},
      {"faults", faults}};
}

std::string Flat(const OrderedJson& value) {
  if (!value.is_structured())
    return value.dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
  std::string text = value.is_object() ? "{" : "[";
  for (auto item = value.begin(); item != value.end(); ++item) {
    if (item != value.begin()) text += ", ";
    if (value.is_object()) text += Flat(OrderedJson(item.key())) + ": ";
    text += Flat(item.value());
  }
  return text + (value.is_object() ? "}" : "]");
}

// Characters, not bytes: a UTF-8 sequence takes one column.
std::size_t Columns(std::string_view text) {
  std::size_t columns = 0;
  for (char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return columns;
}

std::size_t ColumnAtEnd(const std::string& text) {
  const std::size_t lineStart = text.rfind('\n');
  return Columns(lineStart == std::string::npos ? text : text.substr(lineStart + 1));
}

// Appends `value` to `out`; `tail` is how many columns follow it on its last
// line.
void Lay(const OrderedJson& value, std::size_t tail, std::string& out) {
  if (!value.is_structured()) {
    out += Flat(value);
    return;
  }
  out += value.is_object() ? "{" : "[";
  const std::size_t firstColumn = ColumnAtEnd(out);
  for (auto item = value.begin(); item != value.end(); ++item) {
    const bool last = std::next(item) == value.end();
    const std::string key = value.is_object() ? Flat(OrderedJson(item.key())) + ": " : "";
    // With what follows it: its comma, or the closing bracket and the tail.
    const std::size_t width = Columns(key) + Columns(Flat(item.value())) + (last ? 1 + tail : 1);
    if (item != value.begin()) {
      out += ",";
      const bool fits = ColumnAtEnd(out) + 1 + width <= kLineColumns;
      out += fits ? std::string(" ") : "\n" + std::string(firstColumn, ' ');
    }
    out += key;
    Lay(item.value(), last ? 1 + tail : 1, out);
  }
  out += value.is_object() ? "}" : "]";
}

}  // namespace

std::string WriteScenario(const HandsetScenario& scenario) {
  const OrderedJson json = ScenarioJson(scenario);
  std::string out = "{\n";
  for (auto field = json.begin(); field != json.end(); ++field) {
    const bool last = std::next(field) == json.end();
    out += "  " + Flat(OrderedJson(field.key())) + ": ";
    Lay(field.value(), last ? 0 : 1, out);
    out += last ? "\n" : ",\n";
  }
  return out + "}\n";
}

#include "scenario/scenario_loader.h"

#include <climits>
#include <initializer_list>
#include <nlohmann/json.hpp>

#include "simulator/text_encoding.h"

namespace {

using Json = nlohmann::json;

std::string FieldPath(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "." + name;
}

int Fail(std::string& error, const std::string& field, const std::string& problem) {
  error = field + ": " + problem;
  return 0;
}

// An object whose members are all among `known`.
int CheckObject(const Json& value, const std::string& field,
                std::initializer_list<std::string_view> known, std::string& error) {
  if (!value.is_object()) return Fail(error, field, "expected an object");
  for (const auto& [name, member] : value.items()) {
    bool isKnown = false;
    for (std::string_view candidate : known) isKnown = isKnown || candidate == name;
    if (!isKnown) return Fail(error, FieldPath(field, name), "unknown field");
  }
  return 1;
}

int ReadBoolean(const Json& value, const std::string& field, bool& out, std::string& error) {
  if (!value.is_boolean()) return Fail(error, field, "expected true or false");
  out = value.get<bool>();
  return 1;
}

int ReadWide(const Json& value, const std::string& field, std::wstring& out, std::string& error) {
  if (!value.is_string()) return Fail(error, field, "expected a string");
  if (!Utf8ToWide(value.get_ref<const std::string&>(), out)) {
    return Fail(error, field, "expected UTF-8 text");
  }
  return 1;
}

// Text the module sends: its bytes are in the handset's code page.
int ReadModuleText(const Json& value, const std::string& field, std::string& out,
                   std::string& error) {
  std::wstring text;
  if (!ReadWide(value, field, text, error)) return 0;
  out = WideToCp932(text);
  return 1;
}

int ReadUnsigned(const Json& value, const std::string& field, std::uint64_t limit,
                 std::uint64_t& out, std::string& error) {
  // The parser gives every non-negative integer the unsigned type.
  if (!value.is_number_unsigned() || value.get<std::uint64_t>() > limit) {
    return Fail(error, field, "expected an integer from 0 to " + std::to_string(limit));
  }
  out = value.get<std::uint64_t>();
  return 1;
}

// A virtual delay in milliseconds, or null for "never".
int ReadDelay(const Json& value, const std::string& field, std::optional<std::uint64_t>& out,
              std::string& error) {
  if (value.is_null()) {
    out = std::nullopt;
    return 1;
  }
  // Bounded so that the handset's clock plus the delay cannot wrap around.
  const std::uint64_t limit = std::uint64_t(1) << 62;
  if (!value.is_number_unsigned() || value.get<std::uint64_t>() > limit) {
    return Fail(error, field, "expected null or an integer from 0 to " + std::to_string(limit));
  }
  out = value.get<std::uint64_t>();
  return 1;
}

// Calls `read` with the member and its path when the object has the member.
template <typename Read>
int Optional(const Json& object, const std::string& parent, const char* name, Read read) {
  const auto found = object.find(name);
  return found == object.end() ? 1 : read(*found, FieldPath(parent, name));
}

int ReadMap(const Json& value, const std::string& field, MapScenario& map, std::string& error) {
  return CheckObject(
             value, field,
             {"running", "closesAfterMs", "executableExists", "appearsAfterMs", "installedAt"},
             error) &&
         Optional(value, field, "running",
                  [&](const Json& v, const std::string& f) {
                    return ReadBoolean(v, f, map.running, error);
                  }) &&
         Optional(value, field, "closesAfterMs",
                  [&](const Json& v, const std::string& f) {
                    return ReadDelay(v, f, map.closesAfterMs, error);
                  }) &&
         Optional(value, field, "executableExists",
                  [&](const Json& v, const std::string& f) {
                    return ReadBoolean(v, f, map.executableExists, error);
                  }) &&
         Optional(value, field, "appearsAfterMs",
                  [&](const Json& v, const std::string& f) {
                    return ReadDelay(v, f, map.appearsAfterMs, error);
                  }) &&
         Optional(value, field, "installedAt", [&](const Json& v, const std::string& f) {
           if (v.is_null()) {
             map.installedAt.reset();
             return 1;
           }
           std::wstring path;
           if (!ReadWide(v, f, path, error)) return 0;
           map.installedAt = path;
           return 1;
         });
}

int ReadConnection(const Json& value, const std::string& field, ConnectionScenario& connection,
                   std::string& error) {
  return CheckObject(value, field, {"name", "hangUpSucceeds", "handle"}, error) &&
         Optional(value, field, "name",
                  [&](const Json& v, const std::string& f) {
                    std::wstring name;
                    if (!ReadWide(v, f, name, error)) return 0;
                    connection.name = WideToUtf8(name);
                    return 1;
                  }) &&
         Optional(value, field, "hangUpSucceeds",
                  [&](const Json& v, const std::string& f) {
                    return ReadBoolean(v, f, connection.hangUpSucceeds, error);
                  }) &&
         Optional(value, field, "handle", [&](const Json& v, const std::string& f) {
           std::uint64_t handle = 0;
           if (!ReadUnsigned(v, f, UINT_MAX, handle, error)) return 0;
           connection.handle = static_cast<unsigned int>(handle);
           return 1;
         });
}

int ReadConnections(const Json& value, const std::string& field,
                    std::vector<ConnectionScenario>& connections, std::string& error) {
  if (!value.is_array()) return Fail(error, field, "expected an array");
  connections.clear();
  for (std::size_t i = 0; i < value.size(); ++i) {
    ConnectionScenario connection;
    if (!ReadConnection(value[i], field + "[" + std::to_string(i) + "]", connection, error)) {
      return 0;
    }
    connections.push_back(connection);
  }
  return 1;
}

int ReadPositionReplies(const Json& value, const std::string& field,
                        std::vector<std::string>& replies, std::string& error) {
  if (!value.is_array()) return Fail(error, field, "expected an array");
  replies.clear();
  for (std::size_t i = 0; i < value.size(); ++i) {
    std::string reply;
    if (!ReadModuleText(value[i], field + "[" + std::to_string(i) + "]", reply, error)) return 0;
    replies.push_back(reply);
  }
  return 1;
}

int ReadModule(const Json& value, const std::string& field, ModuleScenario& module,
               std::string& error) {
  return CheckObject(value, field, {"port", "portExists", "identification", "positionReplies"},
                     error) &&
         Optional(value, field, "port",
                  [&](const Json& v, const std::string& f) {
                    return ReadWide(v, f, module.port, error);
                  }) &&
         Optional(value, field, "portExists",
                  [&](const Json& v, const std::string& f) {
                    return ReadBoolean(v, f, module.portExists, error);
                  }) &&
         Optional(value, field, "identification",
                  [&](const Json& v, const std::string& f) {
                    return ReadModuleText(v, f, module.identification, error);
                  }) &&
         Optional(value, field, "positionReplies", [&](const Json& v, const std::string& f) {
           return ReadPositionReplies(v, f, module.positionReplies, error);
         });
}

int ReadInternet(const Json& value, const std::string& field, InternetScenario& internet,
                 std::string& error) {
  return CheckObject(value, field, {"opens", "reachable", "bytes"}, error) &&
         Optional(value, field, "opens",
                  [&](const Json& v, const std::string& f) {
                    return ReadBoolean(v, f, internet.opens, error);
                  }) &&
         Optional(value, field, "reachable",
                  [&](const Json& v, const std::string& f) {
                    return ReadBoolean(v, f, internet.reachable, error);
                  }) &&
         Optional(value, field, "bytes", [&](const Json& v, const std::string& f) {
           std::uint64_t bytes = 0;
           if (!ReadUnsigned(v, f, INT_MAX, bytes, error)) return 0;
           internet.bytes = static_cast<int>(bytes);
           return 1;
         });
}

int ReadMissingFunctions(const Json& value, const std::string& field, std::set<std::wstring>& names,
                         std::string& error) {
  if (!value.is_array()) return Fail(error, field, "expected an array");
  names.clear();
  for (std::size_t i = 0; i < value.size(); ++i) {
    std::wstring name;
    if (!ReadWide(value[i], field + "[" + std::to_string(i) + "]", name, error)) return 0;
    names.insert(name);
  }
  return 1;
}

int ReadFault(const Json& value, const std::string& field, FaultScenario& fault,
              std::string& error) {
  if (!CheckObject(value, field, {"fault", "value", "call"}, error)) return 0;
  const auto name = value.find("fault");
  if (name == value.end()) return Fail(error, FieldPath(field, "fault"), "missing");
  if (!name->is_string()) return Fail(error, FieldPath(field, "fault"), "expected a string");
  std::size_t kind = 0;
  while (kind < kFaultKindCount && *name != kFaultNames[kind]) ++kind;
  if (kind == kFaultKindCount) return Fail(error, FieldPath(field, "fault"), "unknown fault");
  fault.kind = static_cast<FaultKind>(kind);
  // Large enough for any count a call gives, small enough to add to one.
  const std::uint64_t limit = 1000000;
  return Optional(value, field, "value",
                  [&](const Json& v, const std::string& f) {
                    std::uint64_t number = 0;
                    if (!ReadUnsigned(v, f, limit, number, error)) return 0;
                    fault.value = static_cast<std::int64_t>(number);
                    return 1;
                  }) &&
         Optional(value, field, "call", [&](const Json& v, const std::string& f) {
           std::uint64_t call = 0;
           if (!ReadUnsigned(v, f, limit, call, error)) return 0;
           if (call == 0) return Fail(error, f, "expected an integer from 1 to 1000000");
           fault.call = call;
           return 1;
         });
}

int ReadFaults(const Json& value, const std::string& field, std::vector<FaultScenario>& faults,
               std::string& error) {
  if (!value.is_array()) return Fail(error, field, "expected an array");
  faults.clear();
  for (std::size_t i = 0; i < value.size(); ++i) {
    FaultScenario fault{};
    if (!ReadFault(value[i], field + "[" + std::to_string(i) + "]", fault, error)) return 0;
    faults.push_back(fault);
  }
  return 1;
}

int ReadScenario(const Json& value, HandsetScenario& scenario, std::string& error) {
  if (!value.is_object()) return Fail(error, "top level", "expected an object");
  return CheckObject(value, "",
                     {"map", "rasLibrary", "missingFunctions", "connections", "module", "internet",
                      "registryKeyExists", "faults"},
                     error) &&
         Optional(value, "", "map",
                  [&](const Json& v, const std::string& f) {
                    return ReadMap(v, f, scenario.map, error);
                  }) &&
         Optional(value, "", "rasLibrary",
                  [&](const Json& v, const std::string& f) {
                    return ReadBoolean(v, f, scenario.rasLibrary, error);
                  }) &&
         Optional(value, "", "missingFunctions",
                  [&](const Json& v, const std::string& f) {
                    return ReadMissingFunctions(v, f, scenario.missingFunctions, error);
                  }) &&
         Optional(value, "", "connections",
                  [&](const Json& v, const std::string& f) {
                    return ReadConnections(v, f, scenario.connections, error);
                  }) &&
         Optional(value, "", "module",
                  [&](const Json& v, const std::string& f) {
                    return ReadModule(v, f, scenario.module, error);
                  }) &&
         Optional(value, "", "internet",
                  [&](const Json& v, const std::string& f) {
                    return ReadInternet(v, f, scenario.internet, error);
                  }) &&
         Optional(value, "", "registryKeyExists",
                  [&](const Json& v, const std::string& f) {
                    return ReadBoolean(v, f, scenario.registryKeyExists, error);
                  }) &&
         Optional(value, "", "faults", [&](const Json& v, const std::string& f) {
           return ReadFaults(v, f, scenario.faults, error);
         });
}

}  // namespace

int LoadScenario(std::string_view json, HandsetScenario& scenario, std::string& error) {
  Json value;
  try {
    value = Json::parse(json);
  } catch (const Json::exception& fault) {
    // The library's text says where, "parse error at line 2, column 5: ...",
    // or, for a number too large for a double, which number it was.
    std::string what = fault.what();
    const std::string::size_type tag = what.find("] ");
    if (tag != std::string::npos) what.erase(0, tag + 2);
    error = "malformed JSON: " + what;
    return 0;
  }
  HandsetScenario read;
  if (!ReadScenario(value, read, error)) return 0;
  scenario = std::move(read);
  return 1;
}

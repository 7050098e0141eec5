#include "tools/posrelay_sim/display_text.h"

#include <cstdio>

std::string DisplayText(std::string_view text) {
  std::string shown = "\"";
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"') {
      shown += "\\\"";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      shown += escape;
    } else {
      shown += c;
    }
  }
  return shown + "\"";
}

std::string SecondsText(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return text;
}

std::string DegreesText(const GeoPosition& position) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f, %.6f", position.latitude, position.longitude);
  return text;
}

std::string EventText(const TimelineEvent& event) {
  std::string text = event.op;
  for (const TimelineField& field : event.fields) {
    text += " " + field.name + "=";
    if (field.kind == TimelineField::kText) {
      text += DisplayText(field.text);
    } else if (field.kind == TimelineField::kBoolean) {
      text += field.number ? "true" : "false";
    } else {
      text += std::to_string(field.number);
    }
  }
  return text;
}

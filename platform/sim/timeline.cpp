#include "platform/sim/timeline.h"

#include <algorithm>
#include <cstdio>

TimelineEvent& TimelineEvent::Number(std::string name, long long value) {
  fields.push_back({std::move(name), TimelineField::kNumber, value, {}});
  return *this;
}

TimelineEvent& TimelineEvent::Boolean(std::string name, bool value) {
  fields.push_back({std::move(name), TimelineField::kBoolean, value ? 1 : 0, {}});
  return *this;
}

TimelineEvent& TimelineEvent::Text(std::string name, std::string value) {
  fields.push_back({std::move(name), TimelineField::kText, 0, std::move(value)});
  return *this;
}

const TimelineField* TimelineEvent::Field(std::string_view name) const {
  for (const TimelineField& field : fields) {
    if (field.name == name) return &field;
  }
  return nullptr;
}

std::string QuoteText(std::string_view text) {
  std::string quoted = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7f) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\x%02X", c);
          quoted += escape;
        } else {
          quoted += static_cast<char>(c);
        }
    }
  }
  return quoted + "\"";
}

std::string TimelineEvent::Describe() const {
  std::string line = op;
  for (const TimelineField& field : fields) {
    line += ' ' + field.name + '=';
    switch (field.kind) {
      case TimelineField::kNumber:
        line += std::to_string(field.number);
        break;
      case TimelineField::kBoolean:
        line += field.number ? "true" : "false";
        break;
      case TimelineField::kText:
        line += QuoteText(field.text);
        break;
    }
  }
  return line;
}

TimelineEvent& Timeline::Record(std::uint64_t timeMs, std::string op) {
  events_.push_back(TimelineEvent{timeMs, std::move(op), {}});
  return events_.back();
}

std::vector<std::string> Timeline::Lines() const {
  std::vector<std::string> lines;
  for (const TimelineEvent& event : events_) {
    lines.push_back(std::to_string(event.timeMs) + ' ' + event.Describe());
  }
  return lines;
}

std::vector<std::string> Timeline::Lines(std::initializer_list<std::string_view> ops) const {
  std::vector<std::string> lines;
  for (const TimelineEvent& event : events_) {
    if (std::find(ops.begin(), ops.end(), event.op) != ops.end()) {
      lines.push_back(std::to_string(event.timeMs) + ' ' + event.Describe());
    }
  }
  return lines;
}

std::vector<const TimelineEvent*> Timeline::Find(std::string_view op) const {
  std::vector<const TimelineEvent*> found;
  for (const TimelineEvent& event : events_) {
    if (event.op == op) found.push_back(&event);
  }
  return found;
}

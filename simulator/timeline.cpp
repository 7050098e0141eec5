#include "simulator/timeline.h"

#include <algorithm>
#include <cstdio>

namespace {

// Room for most runs without growing: a run that finds the position at
// once takes fewer than a hundred operations.
const std::size_t kUsualOperations = 256;
const std::size_t kUsualFields = 2 * kUsualOperations;
const std::size_t kUsualTextBytes = 16 * kUsualOperations;

TimelineEvent MakeEvent(const TraceRecord& record, const TraceEvent& recorded) {
  TimelineEvent event{recorded.timeMs, recorded.op, {}};
  for (std::size_t i = 0; i < recorded.fieldCount; ++i) {
    const TraceField& field = record.Field(recorded, i);
    switch (field.kind) {
      case kTraceText:
        event.fields.push_back({field.name, TimelineField::kText, 0, record.Text(field)});
        break;
      case kTraceBoolean:
        event.fields.push_back({field.name, TimelineField::kBoolean, field.value.number, {}});
        break;
      default:
        event.fields.push_back({field.name, TimelineField::kNumber, field.value.number, {}});
    }
  }
  return event;
}

}  // namespace

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

Timeline::Timeline() { operations_.Reserve(kUsualOperations, kUsualFields, kUsualTextBytes); }

void Timeline::Take(const TraceRecord& record, const TraceEvent& event) {
  operations_.Copy(record, event);
}

void Timeline::Clear() {
  operations_.Clear();
  events_.clear();
}

const std::vector<TimelineEvent>& Timeline::Events() const {
  for (std::size_t i = events_.size(); i < operations_.Size(); ++i) {
    events_.push_back(MakeEvent(operations_, operations_.Event(i)));
  }
  return events_;
}

std::vector<std::string> Timeline::Lines() const {
  std::vector<std::string> lines;
  for (const TimelineEvent& event : Events()) {
    lines.push_back(std::to_string(event.timeMs) + ' ' + event.Describe());
  }
  return lines;
}

std::vector<std::string> Timeline::Lines(std::initializer_list<std::string_view> ops) const {
  std::vector<std::string> lines;
  for (const TimelineEvent& event : Events()) {
    if (std::find(ops.begin(), ops.end(), event.op) != ops.end()) {
      lines.push_back(std::to_string(event.timeMs) + ' ' + event.Describe());
    }
  }
  return lines;
}

std::vector<const TimelineEvent*> Timeline::Find(std::string_view op) const {
  std::vector<const TimelineEvent*> found;
  for (const TimelineEvent& event : Events()) {
    if (event.op == op) found.push_back(&event);
  }
  return found;
}

std::size_t Timeline::Count(std::string_view op) const {
  std::size_t count = 0;
  for (std::size_t i = 0; i < operations_.Size(); ++i) {
    // The first letter rules out most operations without a call to compare.
    const char* name = operations_.Event(i).op;
    count += !op.empty() && name[0] == op[0] && op == name;
  }
  return count;
}

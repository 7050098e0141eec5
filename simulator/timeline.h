#ifndef POSRELAY_SIMULATOR_TIMELINE_H
#define POSRELAY_SIMULATOR_TIMELINE_H

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "trace/trace_record.h"
#include "trace/trace_recorder.h"

// One argument or result of a recorded operation. Text is UTF-8.
struct TimelineField {
  enum Kind { kNumber, kBoolean, kText };
  std::string name;
  Kind kind;
  long long number;
  std::string text;
};

// One platform operation, at the virtual time it was made.
struct TimelineEvent {
  std::uint64_t timeMs = 0;
  std::string op;
  std::vector<TimelineField> fields;

  const TimelineField* Field(std::string_view name) const;
  // "op name=value ...", text quoted with C escapes for control characters.
  std::string Describe() const;
};

// The simulated handset's operations, as the recorder wrapped around it
// records them (Operations()); the events with owned names and texts that
// tests read are made from that record when first asked for.
class Timeline : public TraceSink {
 public:
  Timeline();

  void Take(const TraceRecord& record, const TraceEvent& event) override;

  // Forgets every operation and keeps the record's room.
  void Clear();

  TraceRecord& Operations() { return operations_; }
  const TraceRecord& Operations() const { return operations_; }

  const std::vector<TimelineEvent>& Events() const;
  // "<ms> <description>" for each event, or only for the named operations.
  std::vector<std::string> Lines() const;
  std::vector<std::string> Lines(std::initializer_list<std::string_view> ops) const;
  // Events of one operation.
  std::vector<const TimelineEvent*> Find(std::string_view op) const;
  // How many of the operations are `op`, counted on the record itself.
  std::size_t Count(std::string_view op) const;

 private:
  TraceRecord operations_;
  mutable std::vector<TimelineEvent> events_;
};

// Text with C escapes for quotes, backslashes and control bytes.
std::string QuoteText(std::string_view text);

#endif

#ifndef POSRELAY_TRACE_TRACE_RECORD_H
#define POSRELAY_TRACE_TRACE_RECORD_H

#include <stddef.h>
#include <string>
#include <vector>

#include "trace/trace_vocabulary.h"

// Numbers of 64 bits: handles, counts and times. The device's compiler has
// no <stdint.h> and calls them __int64; clang, which compiles the device's
// branches on the project's machines, has them built in, and would take
// __int64 for the C++11 `long long`.
#if defined(_MSC_VER)
typedef __int64 TraceNumber;
typedef unsigned __int64 TraceTime;
#elif defined(UNDER_CE)
__extension__ typedef __INT64_TYPE__ TraceNumber;
__extension__ typedef __UINT64_TYPE__ TraceTime;
#else
#include <stdint.h>
typedef int64_t TraceNumber;
typedef uint64_t TraceTime;
#endif

// One argument or result of a recorded operation. The name is a string
// literal; a text is UTF-8 held by the record that holds the field.
struct TraceField {
  const char* name;
  TraceFieldKind kind;
  unsigned int textStart;
  unsigned int textLength;
  union {
    TraceNumber number;  // numbers, and booleans as 0 or 1
    double real;
  } value;
};

// One platform operation, at the milliseconds since the run began.
struct TraceEvent {
  TraceTime timeMs;
  TraceOp op;
  unsigned int firstField;
  unsigned int fieldCount;
};

// Operations in the order they were made. Recording one allocates nothing
// once the record has room: field names are literals and texts share one buffer,
// so a run can be recorded cheaply many times over.
class TraceRecord {
 public:
  void Reserve(size_t events, size_t fields, size_t textBytes);
  // Forgets every operation and keeps the room.
  void Clear();

  // Starts an operation; the Add calls give its fields in order.
  void Begin(TraceTime timeMs, TraceOp op);
  void AddNumber(const char* name, TraceNumber value);
  void AddBoolean(const char* name, bool value);
  void AddReal(const char* name, double value);
  void AddText(const char* name, const char* utf8, size_t length);
  void AddText(const char* name, const std::string& utf8);
  void AddWideText(const char* name, const std::wstring& text);
  // Appends a copy of an operation of another record.
  void Copy(const TraceRecord& from, const TraceEvent& event);

  size_t Size() const { return events_.size(); }
  const TraceEvent& Event(size_t index) const { return events_[index]; }
  const std::vector<TraceEvent>& Events() const { return events_; }
  const TraceField& Field(const TraceEvent& event, size_t index) const {
    return fields_[event.firstField + index];
  }
  // The field of that name, or 0.
  const TraceField* FindField(const TraceEvent& event, const char* name) const;
  const char* TextData(const TraceField& field) const;
  std::string Text(const TraceField& field) const;

 private:
  TraceField& AddField(const char* name, TraceFieldKind kind);

  std::vector<TraceEvent> events_;
  std::vector<TraceField> fields_;
  std::string texts_;
};

// The operation as one line of JSON: {"t":ms,"op":"name",field...} and a
// line feed. Texts keep their characters, with quotes, backslashes and
// control characters escaped; reals take the fewest digits that read back
// as the same double.
void AppendTraceLine(const TraceRecord& record, const TraceEvent& event, std::string& line);
// The fields alone, each as ,"name":value.
void AppendTraceFields(const TraceRecord& record, const TraceEvent& event, std::string& line);

void AppendJsonText(const char* utf8, size_t length, std::string& json);
void AppendJsonNumber(TraceNumber value, std::string& json);
void AppendJsonTime(TraceTime value, std::string& json);
void AppendJsonReal(double value, std::string& json);

#endif

#ifndef POSRELAY_SIMULATOR_TIMELINE_H
#define POSRELAY_SIMULATOR_TIMELINE_H

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "trace/trace_record.h"
#include "trace/trace_recorder.h"

// The simulated handset's operations, as the recorder wrapped around it
// records them: a record of the trace's own events and fields.
class Timeline : public TraceSink {
 public:
  Timeline();

  void Take(const TraceRecord& record, const TraceEvent& event) override;

  // Forgets every operation and keeps the record's room.
  void Clear();

  TraceRecord& Operations() { return operations_; }
  const TraceRecord& Operations() const { return operations_; }

  // "<ms> <operation>" for each operation, or only for the named ones, as
  // OperationText shows them with exact quoting.
  std::vector<std::string> Lines() const;
  std::vector<std::string> Lines(std::initializer_list<TraceOp> ops) const;
  // The operations that are `op`.
  std::vector<const TraceEvent*> Find(TraceOp op) const;
  // How many of the operations are `op`.
  std::size_t Count(TraceOp op) const;

 private:
  TraceRecord operations_;
};

#endif

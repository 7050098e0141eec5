#include "simulator/timeline.h"

#include <algorithm>

#include "simulator/operation_text.h"

namespace {

// Room for most runs without growing: a run that finds the position at
// once takes fewer than a hundred operations.
const std::size_t kUsualOperations = 256;
const std::size_t kUsualFields = 2 * kUsualOperations;
const std::size_t kUsualTextBytes = 16 * kUsualOperations;

}  // namespace

Timeline::Timeline() { operations_.Reserve(kUsualOperations, kUsualFields, kUsualTextBytes); }

void Timeline::Take(const TraceRecord& record, const TraceEvent& event) {
  operations_.Copy(record, event);
}

void Timeline::Clear() { operations_.Clear(); }

std::vector<std::string> Timeline::Lines() const {
  std::vector<std::string> lines;
  for (const TraceEvent& event : operations_.Events()) {
    lines.push_back(std::to_string(event.timeMs) + ' ' +
                    OperationText(operations_, event, kExactQuoting));
  }
  return lines;
}

std::vector<std::string> Timeline::Lines(std::initializer_list<TraceOp> ops) const {
  std::vector<std::string> lines;
  for (const TraceEvent& event : operations_.Events()) {
    if (std::find(ops.begin(), ops.end(), event.op) != ops.end()) {
      lines.push_back(std::to_string(event.timeMs) + ' ' +
                      OperationText(operations_, event, kExactQuoting));
    }
  }
  return lines;
}

std::vector<const TraceEvent*> Timeline::Find(TraceOp op) const {
  std::vector<const TraceEvent*> found;
  for (const TraceEvent& event : operations_.Events()) {
    if (event.op == op) found.push_back(&event);
  }
  return found;
}

std::size_t Timeline::Count(TraceOp op) const {
  std::size_t count = 0;
  for (const TraceEvent& event : operations_.Events()) count += event.op == op;
  return count;
}

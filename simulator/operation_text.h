#ifndef POSRELAY_SIMULATOR_OPERATION_TEXT_H
#define POSRELAY_SIMULATOR_OPERATION_TEXT_H

#include <string>

#include "simulator/quoted_text.h"
#include "trace/trace_record.h"

// An operation for people: "op name=value ...", its fields in their order,
// numbers in decimal, booleans as true or false, reals with the fewest
// digits that read back as the same double, texts quoted as `quoting` says.
std::string OperationText(const TraceRecord& record, const TraceEvent& event, TextQuoting quoting);

#endif

#include "simulator/operation_text.h"

#include "trace/trace_operations.h"

std::string OperationText(const TraceRecord& record, const TraceEvent& event, TextQuoting quoting) {
  std::string text = TraceOpName(event.op);
  for (std::size_t i = 0; i < event.fieldCount; ++i) {
    const TraceField& field = record.Field(event, i);
    text += ' ';
    text += field.name;
    text += '=';
    switch (field.kind) {
      case kTraceText:
        text += QuotedText(std::string_view(record.TextData(field), field.textLength), quoting);
        break;
      case kTraceBoolean:
        text += field.value.number ? "true" : "false";
        break;
      case kTraceNumber:
        text += std::to_string(field.value.number);
        break;
      case kTraceReal:
        AppendJsonReal(field.value.real, text);
        break;
    }
  }
  return text;
}

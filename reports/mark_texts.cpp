#include "reports/mark_texts.h"

#include "reports/run_texts.h"
#include "trace/trace_operations.h"

TraceNumber NumberField(const TraceRecord& record, const TraceEvent& event, const char* name) {
  const TraceField* field = record.FindField(event, name);
  return field ? field->value.number : 0;
}

namespace {

std::string TextField(const TraceRecord& record, const TraceEvent& event, const char* name) {
  const TraceField* field = record.FindField(event, name);
  return field && field->kind == kTraceText ? record.Text(*field) : std::string();
}

// A command or a reply without the line ends around it, quoted.
std::string SerialText(const std::string& text, ReportLanguage language) {
  const std::string::size_type first = text.find_first_not_of("\r\n");
  if (first == std::string::npos) return QuotedIn(language, "");
  return QuotedIn(language, text.substr(first, text.find_last_not_of("\r\n") + 1 - first));
}

// Digits and letters by their character, other keys by their code.
std::string KeyName(TraceNumber key, ReportLanguage language) {
  const bool character = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
  return QuotedIn(language,
                  character ? std::string(1, static_cast<char>(key)) : "vk " + std::to_string(key));
}

// The text for an operation that succeeded or failed.
struct Pair {
  TraceOp op;
  RunText done;
  RunText failed;
  const char* value;  // the field the text names, or none
};

const Pair kPairs[] = {
    {kOpOpenDevice, kMarkPortOpened, kMarkPortNotOpened, kFieldName},
    {kOpCreateProcess, kMarkMapStarted, kMarkMapNotStarted, nullptr},
    {kOpRegistryOpen, kMarkRegistryOpened, kMarkRegistryNotOpened, nullptr},
    {kOpRegistrySet, kMarkRegistrySet, kMarkRegistryNotSet, nullptr},
    {kOpFindFunction, kMarkConnectionPartFound, kMarkConnectionPartMissing, kFieldName},
    {kOpRasHangUp, kMarkHungUp, kMarkNotHungUp, kFieldEntry},
    {kOpInternetOpen, kMarkInternetOpened, kMarkInternetNotOpened, nullptr},
    {kOpInternetSetOption, kMarkInternetSet, kMarkInternetNotSet, nullptr},
    {kOpOpenUrl, kMarkPageOpened, kMarkPageNotOpened, kFieldUrl},
    {kOpInternetRead, kMarkPageRead, kMarkPageNotRead, kFieldBytes},
};

// Operations that cannot fail, by what they did.
const struct {
  TraceOp op;
  RunText text;
} kDone[] = {
    {kOpCloseDevice, kMarkPortClosed},       {kOpForeground, kMarkBroughtToFront},
    {kOpPreKey, kMarkKeysPrepared},          {kOpPostKey, kMarkKeysDone},
    {kOpRegistryClose, kMarkRegistryClosed}, {kOpReleaseLibrary, kMarkConnectionToolsReleased},
    {kOpInternetClose, kMarkInternetClosed},
};

std::string Value(const TraceRecord& record, const TraceEvent& event, const char* name,
                  ReportLanguage language) {
  const TraceField* field = name ? record.FindField(event, name) : nullptr;
  if (!field) return std::string();
  if (field->kind == kTraceText) return QuotedIn(language, record.Text(*field));
  return std::to_string(field->value.number);
}

MarkMeaning Meaning(MarkOutcome outcome, RunText text, ReportLanguage language,
                    const std::string& value = std::string()) {
  return MarkMeaning{outcome, RunTextIn(language, text, {value})};
}

}  // namespace

MarkMeaning MeaningOfMark(const TraceRecord& record, const TraceEvent& event, RunPhase phase,
                          ReportLanguage language) {
  const bool ok = !record.FindField(event, kFieldOk) || NumberField(record, event, kFieldOk) != 0;
  switch (event.op) {
    case kOpWrite:
      return Meaning(kMarkDone, kMarkCommandSent, language,
                     SerialText(TextField(record, event, kFieldText), language));
    case kOpRead:
      if (NumberField(record, event, kFieldCount) <= 0)
        return Meaning(kMarkDone, kMarkNoReply, language);
      return Meaning(kMarkDone, kMarkReplyRead, language,
                     SerialText(TextField(record, event, kFieldText), language));
    case kOpFindWindow:
      return Meaning(kMarkDone,
                     NumberField(record, event, kFieldFound) ? kMarkWindowFound : kMarkWindowNotYet,
                     language);
    case kOpPostMessage:
      // Before the data connection, the close request; after the map's start, the clear command.
      if (phase < kPhaseConnection) {
        return Meaning(ok ? kMarkDone : kMarkFailed, ok ? kMarkCloseAsked : kMarkCloseNotAsked,
                       language);
      }
      return Meaning(ok ? kMarkDone : kMarkFailed, ok ? kMarkMapInstructed : kMarkMapNotInstructed,
                     language);
    case kOpKey:
      return Meaning(kMarkDone, kMarkKeyPressed, language,
                     KeyName(NumberField(record, event, kFieldVk), language));
    case kOpLoadLibrary:
      // Where the library is missing, as on a desktop, the launcher goes on without hanging up.
      return Meaning(ok ? kMarkDone : kMarkExpected,
                     ok ? kMarkConnectionToolsLoaded : kMarkConnectionToolsMissing, language,
                     Value(record, event, kFieldName, language));
    case kOpRasEnumerate:
      if (NumberField(record, event, kFieldResult) != 0) {
        return Meaning(kMarkFailed, kMarkConnectionsNotListed, language);
      }
      if (NumberField(record, event, kFieldCount) == 0) {
        return Meaning(kMarkDone, kMarkNoConnections, language);
      }
      return Meaning(kMarkDone, kMarkConnectionsListed, language,
                     std::to_string(NumberField(record, event, kFieldCount)));
    default:
      break;
  }
  for (const Pair& pair : kPairs) {
    if (pair.op == event.op) {
      return Meaning(ok ? kMarkDone : kMarkFailed, ok ? pair.done : pair.failed, language,
                     Value(record, event, pair.value, language));
    }
  }
  for (const auto& done : kDone) {
    if (done.op == event.op) return Meaning(kMarkDone, done.text, language);
  }
  // An operation the chart does not draw has no mark to tell.
  return MarkMeaning{kMarkDone, TraceOpName(event.op)};
}

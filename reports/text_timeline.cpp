#include "reports/text_timeline.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "check/seconds_text.h"
#include "replay/run_phases.h"
#include "reports/position_outcome.h"
#include "reports/run_texts.h"
#include "simulator/operation_text.h"
#include "trace/trace_operations.h"

namespace {

long long NumberField(const TraceRecord& record, const TraceEvent& event, const char* name) {
  const TraceField* field = record.FindField(event, name);
  return field ? field->value.number : -1;
}

// One key press: an optional pause, then the key down and up. Sets the
// events it takes (0 when there is no press at `at`), its key and its pause.
struct KeyPress {
  std::size_t length = 0;
  long long key = -1;
  long long pauseMs = -1;  // -1: no pause before the key
};

KeyPress PressAt(const TraceRecord& record, std::size_t at) {
  const std::vector<TraceEvent>& events = record.Events();
  KeyPress press;
  std::size_t next = at;
  if (next < events.size() && events[next].op == kOpSleep) {
    press.pauseMs = NumberField(record, events[next], kFieldMs);
    ++next;
  }
  if (next + 1 >= events.size() || events[next].op != kOpKey || events[next + 1].op != kOpKey) {
    return KeyPress();
  }
  press.key = NumberField(record, events[next], kFieldVk);
  if (NumberField(record, events[next], kFieldDown) != 1 ||
      NumberField(record, events[next + 1], kFieldDown) != 0 ||
      NumberField(record, events[next + 1], kFieldVk) != press.key) {
    return KeyPress();
  }
  press.length = next + 2 - at;
  return press;
}

// Digits and letters by their character, other keys by their code.
std::string KeyName(long long key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
    return std::string(1, static_cast<char>(key));
  }
  return "vk " + std::to_string(key);
}

class TextWriter {
 public:
  TextWriter(const Timeline& timeline, const RunSummary& summary, ReportLanguage language)
      : language_(language),
        record_(timeline.Operations()),
        events_(record_.Events()),
        phases_(PhasesOf(timeline)),
        attempts_(AttemptStartsOf(timeline)),
        timeWidth_(SecondsText(summary.totalMs).size()) {
    for (const TraceEvent& event : events_) {
      opWidth_ = std::max(opWidth_, std::strlen(TraceOpName(event.op)));
    }
  }

  std::string Write() {
    for (std::size_t at = 0; at < events_.size();) {
      if (at == 0 || phases_[at] != phases_[at - 1]) {
        text_ += "-- " + PhaseNameIn(language_, phases_[at]) + " --\n";
      }
      if (attempts_[at]) {
        text_ += RunTextIn(language_, kAttemptHeading, {std::to_string(attempts_[at])}) + "\n";
      }
      at += WriteFoldedPresses(at);
      if (at < events_.size() && !folded_) {
        WriteEvent(events_[at]);
        ++at;
      }
    }
    return text_;
  }

 private:
  std::string Start(std::uint64_t timeMs, const std::string& op) const {
    const std::string time = SecondsText(timeMs);
    return std::string(timeWidth_ - std::min(timeWidth_, time.size()), ' ') + time + "  " + op +
           std::string(opWidth_ - std::min(opWidth_, op.size()) + 2, ' ');
  }

  void WriteEvent(const TraceEvent& event) {
    std::string line = Start(event.timeMs, TraceOpName(event.op));
    line += OperationText(record_, event, kReadableQuoting)
                .substr(std::strlen(TraceOpName(event.op)) + (event.fieldCount ? 1 : 0));
    // No trailing blanks after an operation without fields.
    line.erase(line.find_last_not_of(' ') + 1);
    text_ += line + "\n";
  }

  // Writes a run of two or more identical presses as one line; returns the
  // events it took, and sets folded_ when it wrote.
  std::size_t WriteFoldedPresses(std::size_t at) {
    folded_ = false;
    const KeyPress first = PressAt(record_, at);
    if (!first.length) return 0;
    std::size_t next = at;
    int count = 0;
    for (KeyPress press = first; press.length && press.key == first.key &&
                                 press.pauseMs == first.pauseMs && phases_[next] == phases_[at];
         press = PressAt(record_, next)) {
      next += press.length;
      ++count;
    }
    if (count < 2) return 0;
    folded_ = true;
    const std::string each =
        first.pauseMs < 0 ? RunTextIn(language_, kEachPress)
                          : RunTextIn(language_, kEachPauseAndPress,
                                      {TraceOpName(kOpSleep), std::to_string(first.pauseMs)});
    text_ +=
        Start(events_[at].timeMs, TraceOpName(kOpKey)) +
        RunTextIn(language_, kFoldedPresses,
                  {std::to_string(count), KeyName(first.key), each,
                   SecondsIn(language_, static_cast<std::int64_t>(events_[next - 1].timeMs))}) +
        "\n";
    return next - at;
  }

  const ReportLanguage language_;
  const TraceRecord& record_;
  const std::vector<TraceEvent>& events_;
  const std::vector<RunPhase> phases_;
  const std::vector<int> attempts_;
  const std::size_t timeWidth_;
  std::size_t opWidth_ = 0;
  bool folded_ = false;
  std::string text_;
};

}  // namespace

std::string FormatTextTimeline(const Timeline& timeline, const RunSummary& summary,
                               ReportLanguage language) {
  return TextWriter(timeline, summary, language).Write() +
         FormatSummaryText(timeline, summary, language);
}

std::string FormatSummaryText(const Timeline& timeline, const RunSummary& summary,
                              ReportLanguage language, bool withEnd) {
  const std::string position = DescribePositionOutcome(FindPositionOutcome(timeline),
                                                       RecordReachesEnd(summary.end), language);
  const std::string message = summary.message ? QuotedIn(language, *summary.message)
                                              : RunTextIn(language, kSummaryNoMessage);
  return RunTextIn(language, kSummaryHeading) + "\n" +
         RunTextIn(language, kSummaryPosition, {position}) + "\n" +
         RunTextIn(language, kSummaryMessage, {message}) + "\n" +
         (withEnd ? RunTextIn(language, kSummaryEnd, {RunEndText(summary, language)}) + "\n" : "");
}

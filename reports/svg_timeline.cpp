#include "reports/svg_timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "check/check_texts.h"
#include "check/display_text.h"
#include "check/seconds_text.h"
#include "replay/run_phases.h"
#include "reports/mark_groups.h"
#include "reports/mark_texts.h"
#include "reports/position_outcome.h"
#include "reports/run_texts.h"
#include "simulator/text_encoding.h"
#include "trace/trace_operations.h"

namespace {

const double kLabelWidth = 150;
const double kPixelsPerSecond = 160;
const double kLeastPlotWidth = 800;
const double kMostPlotWidth = 1000;
// Room right of the end for the marks of its last moment, set side by side.
const double kSpillWidth = 60;
const double kRightMargin = 16;
const double kMarkGap = 9;
// Half the widest mark's width: a diamond's.
const double kMarkHalfWidth = 6;
// Phase names that do not fit their band stand on a row above the bands,
// left to right; their leaders slant through the gap below it, which holds
// no text, so that no leader crosses a name.
const double kPhaseRowBaseline = 64;
const double kLeaderTop = kPhaseRowBaseline + 4;
const double kPhaseTop = 80;
const double kPhaseHeight = 16;
const double kLanesTop = 102;
const double kLaneHeight = 46;
// The module lane's top strip carries the attempts' numbers.
const double kAttemptStrip = 14;
const double kAxisTop = kLanesTop + kLaneCount * kLaneHeight + kAttemptStrip;
// Below the axis, two rows for the names of the lines across.
const double kLegendTop = kAxisTop + 68;
const double kLegendRowHeight = 20;
const double kLeastTickSpacing = 60;
// Width of a character of the 12 px labels, near enough to lay them out.
const double kCharacterWidth = 7.5;
// The caption's font size in kStyle, against the labels' 12 px.
const double kCaptionSize = 14;

const char kStyle[] =
    "text{font-family:sans-serif;font-size:12px;fill:#222}"
    ".caption{font-size:14px;font-weight:bold}"
    ".lane{fill:#f3f5f7}.phase0{fill:#e8e8e8}.phase1{fill:#dde9f5}"
    ".leader{fill:none;stroke:#999;stroke-width:0.75}"
    ".pause{fill:#b9d3ee;stroke:#5b82ad;stroke-width:0.5}"
    ".command{fill:#1f4e79}.reply{fill:#2e8b57}.empty{fill:#b0b0b0}"
    ".look{fill:#fff;stroke:#444}.found{fill:#2e8b57;stroke:#444}"
    ".call{fill:#666}.act{fill:#c46000}.key{fill:#6a3d9a}.failed{fill:#c00}"
    ".expected{fill:#fff;stroke:#444;stroke-width:1.5;stroke-dasharray:2 1.5}"
    ".attempt{stroke:#8a9bb0;stroke-width:0.75}.attemptnumber{font-size:10px;fill:#4a5a70}"
    ".message{stroke:#c00;stroke-width:2}.end{stroke:#222;stroke-width:1.5;"
    "stroke-dasharray:4 3}.axis{stroke:#888}.messagetext{fill:#c00}";

// Where a mark sits in its lane: commands above the middle, replies below.
enum MarkRow { kRowAbove, kRowMiddle, kRowBelow, kRowCount };

// Text as XML character data: markup escaped, characters XML forbids left out.
std::string XmlText(const std::string& utf8) {
  std::wstring text;
  Utf8ToWide(utf8, text);
  std::wstring kept;
  for (wchar_t c : text) {
    const unsigned long code = static_cast<unsigned long>(c);
    const bool allowed = code == 0x9 || code == 0xA || code == 0xD ||
                         (code >= 0x20 && code < 0xD800) || (code > 0xDFFF && code < 0xFFFE) ||
                         code > 0xFFFF;
    if (allowed) kept += c;
  }
  std::string escaped;
  for (char c : WideToUtf8(kept)) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// The operation's lane, as the vocabulary gives it.
ChartLane LaneOf(TraceOp op, RunPhase phase) {
  const ChartLane lane = PlaceOf(op).lane;
  if (lane < kLaneCount) return lane;
  // The message and the end are drawn across the lanes.
  if (lane == kLaneAcross) return kNoLane;
  if (phase == kPhaseZoomAndClear) return kLaneInternetAndKeys;
  // A pause belongs to the lane of its phase.
  if (lane != kLaneOfPhase) return kNoLane;
  if (phase == kPhaseConnection) return kLaneConnection;
  if (phase == kPhaseModule) return kLaneModule;
  return phase == kPhaseSettings ? kNoLane : kLaneMap;
}

// 100 ms, 200 ms, 500 ms, 1 s, 2 s, 5 s, ...: the first step whose ticks
// stand far enough apart.
std::uint64_t TickStep(double pixelsPerMs) {
  static const int kSteps[] = {1, 2, 5};
  for (std::uint64_t scale = 100;; scale *= 10) {
    for (int step : kSteps) {
      if (step * scale * pixelsPerMs >= kLeastTickSpacing) return step * scale;
    }
  }
}

// One entry of the legend: a mark as the chart draws it, and its meaning.
struct LegendEntry {
  const char* shape;  // as Mark() takes it, or "pause", "message", "end", "attempt"
  const char* cssClass;
  RunText meaning;
};

const LegendEntry kLegend[] = {
    {"pause", "pause", kLegendPause},
    {"down", "command", kLegendCommand},
    {"up", "reply", kLegendReply},
    {"up", "empty", kLegendNothingRead},
    {"circle", "look", kLegendNoWindow},
    {"circle", "found", kLegendWindowFound},
    {"diamond", "act", kLegendCloseOrStart},
    {"square", "call", kLegendOtherCall},
    {"square", "expected", kLegendExpectedFailure},
    {"diamond", "failed", kLegendFailedCloseOrStart},
    {"square", "failed", kLegendFailedCall},
    {"tick", "key", kLegendKey},
    {"attempt", "attempt", kLegendAttempt},
    {"message", "message", kLegendMessage},
    {"end", "end", kLegendEnd},
};

// The width a label takes, near enough to lay it out: a kanji as two.
double LabelWidth(const std::string& utf8) {
  return kCharacterWidth * static_cast<double>(DisplayWidth(utf8));
}

class SvgWriter {
 public:
  SvgWriter(const Timeline& timeline, const RunSummary& summary, ReportLanguage language)
      : language_(language),
        record_(timeline.Operations()),
        events_(record_.Events()),
        phases_(PhasesOf(timeline)),
        attempts_(AttemptStartsOf(timeline)),
        summary_(summary),
        whole_(RecordReachesEnd(summary.end)),
        totalMs_(std::max<std::uint64_t>(summary.totalMs, 1)),
        plotWidth_(std::min(kMostPlotWidth,
                            std::max(kLeastPlotWidth, totalMs_ / 1000.0 * kPixelsPerSecond))),
        width_(kLabelWidth + plotWidth_ + kSpillWidth + kRightMargin),
        position_(DescribePositionOutcome(FindPositionOutcome(timeline), whole_, language)),
        markX_(MarkPositions()) {
    // Wide enough for the caption and the position line too, which a run
    // told in Japanese makes long.
    const double captionWidth = LabelWidth(RunEndText(summary_, language_)) * kCaptionSize / 12;
    const double positionWidth = LabelWidth(RunTextIn(language_, kChartPosition, {position_}));
    width_ = std::max(width_, 10 + std::max(captionWidth, positionWidth) + kRightMargin);
  }

  std::string Write() {
    std::string legend = Legend();
    const double height = legendBottom_ + 10;
    // No fixed size: the chart takes the width of its container.
    svg_ = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100%\" viewBox=\"0 0 " +
           Number(width_) + " " + Number(height) +
           "\" preserveAspectRatio=\"xMinYMin meet\">\n<style>" + kStyle + "</style>\n";
    const std::string end = RunEndText(summary_, language_);
    svg_ += Title(RunTextIn(language_, kChartTitle)) + "\n";
    svg_ += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    svg_ += Text(10, 20, "caption", end);
    svg_ += Text(10, 38, "", RunTextIn(language_, kChartPosition, {position_}));
    WritePhases();
    WriteLanes();
    WriteAttempts();
    WriteAxis();
    WriteEnd();
    // Bars first, so that no mark hides under a pause.
    for (std::size_t i = 0; i < events_.size(); ++i) {
      if (events_[i].op == kOpSleep) WritePause(events_[i], phases_[i]);
    }
    for (std::size_t i = 0; i < events_.size(); ++i) {
      if (events_[i].op != kOpSleep) WriteEvent(events_[i], phases_[i], markX_[i]);
    }
    WriteMarks();
    return svg_ + legend + "</svg>\n";
  }

 private:
  double X(std::uint64_t timeMs) const {
    return kLabelWidth + plotWidth_ * static_cast<double>(timeMs) / static_cast<double>(totalMs_);
  }

  std::string Seconds(std::uint64_t ms) const {
    return SecondsIn(language_, static_cast<std::int64_t>(ms));
  }

  static double LaneTop(ChartLane lane) {
    return kLanesTop + lane * kLaneHeight + (lane > kLaneModule ? kAttemptStrip : 0);
  }

  static double LaneHeight(ChartLane lane) {
    return kLaneHeight + (lane == kLaneModule ? kAttemptStrip : 0);
  }

  static double LaneMiddle(ChartLane lane) {
    return LaneTop(lane) + LaneHeight(lane) - kLaneHeight / 2;
  }

  static std::string Text(double x, double y, const std::string& cssClass, const std::string& text,
                          const char* anchor = nullptr) {
    return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\"" +
           (cssClass.empty() ? "" : " class=\"" + cssClass + "\"") +
           (anchor ? std::string(" text-anchor=\"") + anchor + "\"" : "") + ">" + XmlText(text) +
           "</text>\n";
  }

  static std::string Title(const std::string& text) {
    return "<title>" + XmlText(text) + "</title>";
  }

  static std::string Line(const char* cssClass, double x1, double y1, double x2, double y2,
                          const std::string& title = std::string()) {
    return std::string("<line class=\"") + cssClass + "\" x1=\"" + Number(x1) + "\" y1=\"" +
           Number(y1) + "\" x2=\"" + Number(x2) + "\" y2=\"" + Number(y2) + "\"" +
           (title.empty() ? "/>\n" : ">" + Title(title) + "</line>\n");
  }

  // Each phase as a band along the top, named inside it where the name fits
  // and otherwise on the row above, with a leader to the band's start.
  void WritePhases() {
    double rowEnd = 0;
    for (std::size_t first = 0; first < events_.size();) {
      std::size_t next = first;
      while (next < events_.size() && phases_[next] == phases_[first]) ++next;
      const std::uint64_t endMs = next < events_.size() ? events_[next].timeMs : totalMs_;
      const double x = X(events_[first].timeMs);
      // A phase of no time still shows as a sliver.
      const double width = std::max(2.0, X(endMs) - x);
      const std::string name = PhaseNameIn(language_, phases_[first]);
      svg_ += "<rect class=\"phase" + std::to_string(phases_[first] % 2) + "\" x=\"" + Number(x) +
              "\" y=\"" + Number(kPhaseTop) + "\" width=\"" + Number(width) + "\" height=\"" +
              Number(kPhaseHeight) + "\">" +
              Title(RunTextIn(language_, kPhaseTip,
                              {name, Seconds(events_[first].timeMs), Seconds(endMs)})) +
              "</rect>\n";
      const double nameWidth = LabelWidth(name);
      if (width >= nameWidth + 8) {
        svg_ += Text(x + 3, kPhaseTop + 12, "", name);
      } else {
        // Ending by the end line at the latest, where a phase begins at it.
        const double labelX = std::max(rowEnd + 12, std::min(x, X(totalMs_) - nameWidth));
        svg_ += "<polyline class=\"leader\" points=\"" + Number(x) + "," + Number(kPhaseTop) + " " +
                Number(labelX) + "," + Number(kLeaderTop) + " " + Number(labelX + nameWidth) + "," +
                Number(kLeaderTop) + "\"/>\n";
        svg_ += Text(labelX, kPhaseRowBaseline, "", name);
        rowEnd = labelX + nameWidth;
      }
      first = next;
    }
  }

  void WriteLanes() {
    for (int lane = 0; lane < kLaneCount; ++lane) {
      const ChartLane which = static_cast<ChartLane>(lane);
      // A little wider than the plot, so that marks at its ends show whole.
      svg_ += "<rect class=\"lane\" x=\"" + Number(kLabelWidth - 8) + "\" y=\"" +
              Number(LaneTop(which) + 2) + "\" width=\"" + Number(plotWidth_ + kSpillWidth + 8) +
              "\" height=\"" + Number(LaneHeight(which) - 4) + "\"/>\n";
      svg_ += Text(10, LaneMiddle(which) + 4, "", LaneNameIn(language_, which));
    }
  }

  // Each attempt of the position query as a line across the module lane,
  // numbered in its top strip where the number has room.
  void WriteAttempts() {
    const double top = LaneTop(kLaneModule);
    double numberEnd = 0;
    for (std::size_t i = 0; i < events_.size(); ++i) {
      if (!attempts_[i]) continue;
      const double x = X(events_[i].timeMs);
      const std::string number = std::to_string(attempts_[i]);
      svg_ += Line("attempt", x, top + 4, x, top + LaneHeight(kLaneModule) - 2,
                   RunTextIn(language_, kAttemptTip, {number, Seconds(events_[i].timeMs)}));
      if (x >= numberEnd + 3) {
        svg_ += Text(x + 2, top + 13, "attemptnumber", number);
        numberEnd = x + 2 + 6 * static_cast<double>(number.size());
      }
    }
  }

  void WriteAxis() {
    svg_ += Line("axis", kLabelWidth, kAxisTop, kLabelWidth + plotWidth_, kAxisTop);
    const std::uint64_t step = TickStep(plotWidth_ / static_cast<double>(totalMs_));
    // Counted in ticks, so that no sum of steps can wrap around.
    std::vector<double> across(1, X(totalMs_));
    for (const TraceEvent& event : events_) {
      if (event.op == kOpMessage) across.push_back(X(event.timeMs));
    }
    for (std::uint64_t tick = 0; tick <= totalMs_ / step; ++tick) {
      const std::uint64_t ms = tick * step;
      const double x = X(ms);
      svg_ += Line("axis", x, kAxisTop, x, kAxisTop + 5);
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, step < 1000 ? "%.1f" : "%.0f", ms / 1000.0);
      std::string label = seconds;
      // Japanese owners read "3 秒", not "3.0 秒".
      if (language_ == kJapanese && label.size() > 2 &&
          label.compare(label.size() - 2, 2, ".0") == 0) {
        label.resize(label.size() - 2);
      }
      label = CheckTextIn(language_, kTextSeconds, {label});
      // The lines across run down to their names: no tick's label under them.
      const auto crosses = [&](double line) {
        return std::abs(x - line) < LabelWidth(label) / 2 + 2;
      };
      if (std::any_of(across.begin(), across.end(), crosses)) continue;
      svg_ += Text(x, kAxisTop + 18, "", label, "middle");
    }
  }

  // A mark of `shape` ("circle", "square", "diamond", "down", "up", "tick")
  // centred at x and y, with its details on hover.
  static std::string Mark(const std::string& shape, const std::string& cssClass, double x, double y,
                          const std::string& details) {
    if (shape == "circle") {
      return "<circle class=\"" + cssClass + "\" cx=\"" + Number(x) + "\" cy=\"" + Number(y) +
             "\" r=\"4\">" + Title(details) + "</circle>\n";
    }
    std::string path;
    if (shape == "square") path = "m-4,-4h8v8h-8z";
    if (shape == "diamond") path = "m0,-6l6,6l-6,6l-6,-6z";
    if (shape == "down") path = "m-4,-5h8l-4,8z";
    if (shape == "up") path = "m-4,5h8l-4,-8z";
    if (shape == "tick") path = "m-0.75,-8h1.5v16h-1.5z";
    return "<path class=\"" + cssClass + "\" d=\"M" + Number(x) + "," + Number(y) + path + "\">" +
           Title(details) + "</path>\n";
  }

  // The row of its lane an operation's mark takes.
  static MarkRow RowOf(TraceOp op) {
    return op == kOpWrite ? kRowAbove : op == kOpRead ? kRowBelow : kRowMiddle;
  }

  // Where each event's mark stands across. Marks of one moment in one row of
  // a lane stand side by side rather than on top of each other (the map's
  // start, its window and its activation among them), from their moment on,
  // or ending at the end line where they would pass it: nothing is drawn
  // after the end. Key presses stand at their moment.
  std::vector<double> MarkPositions() const {
    std::vector<double> xs(events_.size(), 0);
    const double endX = X(totalMs_);
    for (std::size_t first = 0; first < events_.size();) {
      std::size_t next = first;
      while (next < events_.size() && events_[next].timeMs == events_[first].timeMs) ++next;
      const double x = X(events_[first].timeMs);
      std::vector<std::size_t> rows[kLaneCount][kRowCount];
      for (std::size_t i = first; i < next; ++i) {
        const ChartLane lane = LaneOf(events_[i].op, phases_[i]);
        xs[i] = x;
        const bool sideBySide = events_[i].op != kOpSleep && events_[i].op != kOpKey;
        if (lane != kNoLane && sideBySide) rows[lane][RowOf(events_[i].op)].push_back(i);
      }
      for (const auto& lane : rows) {
        for (const std::vector<std::size_t>& row : lane) {
          if (row.empty()) continue;
          const double start =
              std::min(x, endX - kMarkHalfWidth - kMarkGap * static_cast<double>(row.size() - 1));
          for (std::size_t k = 0; k < row.size(); ++k) xs[row[k]] = start + kMarkGap * k;
        }
      }
      first = next;
    }
    return xs;
  }

  // A pause as a bar, cut at the end line where the record stops during it.
  void WritePause(const TraceEvent& event, RunPhase phase) {
    const ChartLane lane = LaneOf(event.op, phase);
    const TraceNumber ms = NumberField(record_, event, kFieldMs);
    if (lane == kNoLane || ms <= 0) return;
    // A pause begun as the record stops shows as a sliver before the end line.
    const double x = std::min(X(event.timeMs), X(totalMs_) - 1);
    const std::uint64_t endMs = event.timeMs + static_cast<std::uint64_t>(ms);
    Place("bar", "pause", x, LaneMiddle(lane) - 8, event,
          std::max(1.0, X(std::min(endMs, totalMs_)) - x));
  }

  // A mark to draw once the marks closer than a pixel are known.
  void Place(const char* shape, const char* cssClass, double x, double y, const TraceEvent& event,
             double width = 0) {
    marks_.push_back(
        ChartMark{shape, cssClass, x, y, width, static_cast<std::size_t>(&event - events_.data())});
  }

  // What a mark shows on hover: what happened, in an owner's words.
  std::string Details(const ChartMark& mark) const {
    const TraceEvent& event = events_[mark.event];
    if (mark.shape != "bar") {
      return RunTextIn(language_, kMarkTip,
                       {Seconds(event.timeMs),
                        MeaningOfMark(record_, event, phases_[mark.event], language_).text});
    }
    const TraceNumber ms = NumberField(record_, event, kFieldMs);
    const std::uint64_t endMs = event.timeMs + static_cast<std::uint64_t>(ms);
    return RunTextIn(language_, kPauseTip,
                     {std::to_string(ms), Seconds(static_cast<std::uint64_t>(ms)),
                      Seconds(event.timeMs), Seconds(endMs)});
  }

  // Every mark, those closer than a pixel as one that tells how many it is.
  void WriteMarks() {
    for (const MarkGroup& group : GroupMarks(marks_)) {
      const ChartMark& mark = marks_[group.first];
      std::string details = Details(mark);
      if (group.count > 1) {
        details = MarkGroupTip(group.count, events_[mark.event].timeMs,
                               events_[marks_[group.last].event].timeMs, language_) +
                  details;
      }
      if (mark.shape == "bar") {
        svg_ += "<rect class=\"" + mark.cssClass + "\" x=\"" + Number(mark.x) + "\" y=\"" +
                Number(mark.y) + "\" width=\"" + Number(group.right - mark.x) +
                "\" height=\"16\">" + Title(details) + "</rect>\n";
      } else {
        svg_ += Mark(mark.shape, mark.cssClass, mark.x, mark.y, details);
      }
    }
  }

  // An operation's mark at `x`, its shape by the operation, its colour by how
  // it came out, and what happened on hover.
  void WriteEvent(const TraceEvent& event, RunPhase phase, double x) {
    const TraceOp op = event.op;
    const ChartLane lane = LaneOf(op, phase);
    if (lane == kNoLane || (op == kOpKey && !NumberField(record_, event, kFieldDown))) return;
    const double middle = LaneMiddle(lane);
    if (op == kOpWrite) {
      Place("down", "command", x, middle - 11, event);
    } else if (op == kOpRead) {
      Place("up", NumberField(record_, event, kFieldCount) > 0 ? "reply" : "empty", x, middle + 11,
            event);
    } else if (op == kOpKey) {
      Place("tick", "key", x, middle, event);
    } else if (op == kOpFindWindow) {
      Place("circle", NumberField(record_, event, kFieldFound) ? "found" : "look", x, middle,
            event);
    } else {
      // Only calls and acts are coloured by how they came out.
      const MarkOutcome outcome = MeaningOfMark(record_, event, phase, language_).outcome;
      const bool act = op == kOpCreateProcess || op == kOpPostMessage;
      Place(act ? "diamond" : "square",
            outcome == kMarkFailed     ? "failed"
            : outcome == kMarkExpected ? "expected"
            : act                      ? "act"
                                       : "call",
            x, middle, event);
    }
  }

  // The message and the end as lines across the lanes, drawn before the
  // marks so as to hide none, each named below the axis: the end's name
  // ending at its line, the message's ending left of its line, a row lower
  // where the two would meet.
  void WriteEnd() {
    const double endX = X(totalMs_);
    const std::string total = Seconds(summary_.totalMs);
    const std::string endLabel =
        RunTextIn(language_, whole_ ? kEndLabel : kRecordStopsLabel, {total});
    for (const TraceEvent& event : events_) {
      const TraceField* text =
          event.op == kOpMessage ? record_.FindField(event, kFieldText) : nullptr;
      if (!text) continue;
      const double x = X(event.timeMs);
      svg_ += Line("message", x, kPhaseTop, x, kAxisTop + 24,
                   RunTextIn(language_, kMessageTip, {QuotedIn(language_, record_.Text(*text))}));
      const bool meetsEnd = x - 4 > endX - LabelWidth(endLabel) - 8;
      svg_ += Text(x - 4, kAxisTop + (meetsEnd ? 50 : 34), "messagetext",
                   RunTextIn(language_, kMessageLabel), "end");
    }
    // A record that stops short of the run's end shows where it stops.
    svg_ += Line("end", endX, kPhaseTop, endX, kAxisTop + 24,
                 RunTextIn(language_, whole_ ? kEndTip : kRecordStopsTip, {total}));
    svg_ += Text(endX, kAxisTop + 34, "", endLabel, "end");
  }

  // What each mark means, in rows as wide as the chart; sets legendBottom_.
  std::string Legend() {
    std::string legend = "<g class=\"legend\">\n";
    double x = 10;
    double y = kLegendTop;
    for (const LegendEntry& entry : kLegend) {
      // The end line's name, as the line is named.
      const RunText which =
          entry.meaning == kLegendEnd && !whole_ ? kLegendRecordStops : entry.meaning;
      const std::string meaning = RunTextIn(language_, which);
      const double entryWidth = 22 + LabelWidth(meaning) + 16;
      if (x + entryWidth > width_ - 10 && x > 10) {
        x = 10;
        y += kLegendRowHeight;
      }
      const std::string shape = entry.shape;
      const double middle = y - 4;
      if (shape == "pause") {
        legend += "<rect class=\"pause\" x=\"" + Number(x) + "\" y=\"" + Number(middle - 6) +
                  "\" width=\"16\" height=\"12\">" + Title(meaning) + "</rect>\n";
      } else if (shape == "attempt") {
        legend += Line(entry.cssClass, x + 4, middle - 8, x + 4, middle + 8, meaning);
        legend += Text(x + 6, middle - 1, "attemptnumber", "3");
      } else if (shape == "message" || shape == "end") {
        legend += Line(entry.cssClass, x + 8, middle - 8, x + 8, middle + 8, meaning);
      } else {
        legend += Mark(shape, entry.cssClass, x + 8, middle, meaning);
      }
      legend += Text(x + 22, y, "", meaning);
      x += entryWidth;
    }
    legendBottom_ = y + 6;
    return legend + "</g>\n";
  }

  const ReportLanguage language_;
  const TraceRecord& record_;
  const std::vector<TraceEvent>& events_;
  const std::vector<RunPhase> phases_;
  const std::vector<int> attempts_;
  const RunSummary& summary_;
  const bool whole_;  // the record reaches the run's end
  const std::uint64_t totalMs_;
  const double plotWidth_;
  double width_;
  const std::string position_;
  const std::vector<double> markX_;
  std::vector<ChartMark> marks_;
  double legendBottom_ = kLegendTop;
  std::string svg_;
};

}  // namespace

std::string FormatSvgTimeline(const Timeline& timeline, const RunSummary& summary,
                              ReportLanguage language) {
  return SvgWriter(timeline, summary, language).Write();
}

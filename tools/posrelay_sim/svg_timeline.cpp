#include "tools/posrelay_sim/svg_timeline.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/sim/text_encoding.h"
#include "tools/posrelay_sim/display_text.h"
#include "tools/posrelay_sim/position_outcome.h"
#include "tools/posrelay_sim/run_phases.h"

namespace {

enum Lane { kLaneMap, kLaneConnection, kLaneModule, kLaneInternetAndKeys, kLaneCount, kNoLane };

const char* const kLaneNames[kLaneCount] = {"map application", "data connection", "module",
                                            "internet and keys"};

const double kLabelWidth = 150;
const double kRightMargin = 40;
const double kPixelsPerSecond = 160;
const double kLeastPlotWidth = 800;
const double kMostPlotWidth = 1600;
const double kPhaseTop = 48;
const double kPhaseHeight = 18;
const double kLanesTop = 74;
const double kLaneHeight = 46;
const double kAxisTop = kLanesTop + kLaneCount * kLaneHeight;
const double kHeight = kAxisTop + 40;
const double kLeastTickSpacing = 60;

const char kStyle[] =
    "text{font-family:sans-serif;font-size:12px;fill:#222}"
    ".caption{font-size:14px;font-weight:bold}"
    ".lane{fill:#f3f5f7}.phase0{fill:#e8e8e8}.phase1{fill:#dde9f5}"
    ".pause{fill:#b9d3ee;stroke:#5b82ad;stroke-width:0.5}"
    ".command{fill:#1f4e79}.reply{fill:#2e8b57}.empty{fill:#b0b0b0}"
    ".look{fill:#fff;stroke:#444}.found{fill:#2e8b57;stroke:#444}"
    ".call{fill:#666}.act{fill:#c46000}.key{fill:#6a3d9a}.failed{fill:#c00}"
    ".message{stroke:#c00;stroke-width:2}.end{stroke:#222;stroke-width:1.5;"
    "stroke-dasharray:4 3}.axis{stroke:#888}.messagetext{fill:#c00}";

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

Lane LaneOf(const TimelineEvent& event, RunPhase phase) {
  static const char* const kMapOps[] = {"find_window", "foreground", "post_message",
                                        "create_process"};
  static const char* const kConnectionOps[] = {"load_library", "find_function", "ras_enumerate",
                                               "ras_hang_up", "release_library"};
  static const char* const kModuleOps[] = {"open_device", "write", "read", "close_device"};
  // The message and the end are drawn across the lanes.
  if (event.op == "message" || event.op == "quit") return kNoLane;
  for (const char* op : kMapOps) {
    if (event.op == op) return kLaneMap;
  }
  for (const char* op : kConnectionOps) {
    if (event.op == op) return kLaneConnection;
  }
  for (const char* op : kModuleOps) {
    if (event.op == op) return kLaneModule;
  }
  if (phase == kPhaseZoomAndClear) return kLaneInternetAndKeys;
  // A pause belongs to the lane of its phase.
  if (event.op != "sleep") return kNoLane;
  if (phase == kPhaseConnection) return kLaneConnection;
  if (phase == kPhaseModule) return kLaneModule;
  return phase == kPhaseSettings ? kNoLane : kLaneMap;
}

bool Succeeded(const TimelineEvent& event) {
  const TimelineField* ok = event.Field("ok");
  return !ok || ok->number != 0;
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

class SvgWriter {
 public:
  SvgWriter(const Timeline& timeline, const RunSummary& summary)
      : events_(timeline.Events()),
        phases_(PhasesOf(timeline)),
        summary_(summary),
        totalMs_(std::max<std::uint64_t>(summary.totalMs, 1)),
        plotWidth_(std::min(kMostPlotWidth,
                            std::max(kLeastPlotWidth, totalMs_ / 1000.0 * kPixelsPerSecond))),
        position_(DescribePositionOutcome(FindPositionOutcome(timeline))) {}

  std::string Write() {
    const double width = kLabelWidth + plotWidth_ + kRightMargin;
    svg_ = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(width) + "\" height=\"" +
           Number(kHeight) + "\" viewBox=\"0 0 " + Number(width) + " " + Number(kHeight) +
           "\">\n<style>" + kStyle + "</style>\n";
    svg_ += "<title>posrelay: " + XmlText(Outcome()) + "</title>\n";
    svg_ += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
    svg_ += Text(10, 20, "caption", Outcome());
    svg_ += Text(10, 38, "", "position " + position_);
    WritePhases();
    WriteLanes();
    WriteAxis();
    for (std::size_t i = 0; i < events_.size(); ++i) WriteEvent(events_[i], phases_[i]);
    WriteEnd();
    return svg_ + "</svg>\n";
  }

 private:
  double X(std::uint64_t timeMs) const {
    return kLabelWidth + plotWidth_ * static_cast<double>(timeMs) / static_cast<double>(totalMs_);
  }

  static double LaneTop(Lane lane) { return kLanesTop + lane * kLaneHeight; }

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

  std::string Outcome() const {
    std::string outcome =
        summary_.message ? "message " + DisplayText(*summary_.message) : "map shown";
    if (!summary_.message && summary_.position) outcome += " at " + DegreesText(*summary_.position);
    return outcome + ", after " + SecondsText(summary_.totalMs) + " s";
  }

  void WritePhases() {
    for (std::size_t first = 0; first < events_.size();) {
      std::size_t next = first;
      while (next < events_.size() && phases_[next] == phases_[first]) ++next;
      const std::uint64_t endMs = next < events_.size() ? events_[next].timeMs : totalMs_;
      const double x = X(events_[first].timeMs);
      const double width = X(endMs) - x;
      const std::string name = RunPhaseName(phases_[first]);
      if (width > 0) {
        svg_ += "<rect class=\"phase" + std::to_string(phases_[first] % 2) + "\" x=\"" + Number(x) +
                "\" y=\"" + Number(kPhaseTop) + "\" width=\"" + Number(width) + "\" height=\"" +
                Number(kPhaseHeight) + "\">" +
                Title(name + ", " + SecondsText(events_[first].timeMs) + " to " +
                      SecondsText(endMs) + " s") +
                "</rect>\n";
      }
      // Names that do not fit their band show on hover only.
      if (width >= 7.0 * name.size() + 8) svg_ += Text(x + 3, kPhaseTop + 13, "", name);
      first = next;
    }
  }

  void WriteLanes() {
    for (int lane = 0; lane < kLaneCount; ++lane) {
      const double top = LaneTop(static_cast<Lane>(lane));
      // A little wider than the plot, so that marks at its ends show whole.
      svg_ += "<rect class=\"lane\" x=\"" + Number(kLabelWidth - 8) + "\" y=\"" + Number(top + 2) +
              "\" width=\"" + Number(plotWidth_ + 16) + "\" height=\"" + Number(kLaneHeight - 4) +
              "\"/>\n";
      svg_ += Text(10, top + kLaneHeight / 2 + 4, "", kLaneNames[lane]);
    }
  }

  void WriteAxis() {
    svg_ += "<line class=\"axis\" x1=\"" + Number(kLabelWidth) + "\" y1=\"" + Number(kAxisTop) +
            "\" x2=\"" + Number(kLabelWidth + plotWidth_) + "\" y2=\"" + Number(kAxisTop) +
            "\"/>\n";
    const std::uint64_t step = TickStep(plotWidth_ / static_cast<double>(totalMs_));
    // Counted in ticks, so that no sum of steps can wrap around.
    for (std::uint64_t tick = 0; tick <= totalMs_ / step; ++tick) {
      const std::uint64_t ms = tick * step;
      const double x = X(ms);
      svg_ += "<line class=\"axis\" x1=\"" + Number(x) + "\" y1=\"" + Number(kAxisTop) +
              "\" x2=\"" + Number(x) + "\" y2=\"" + Number(kAxisTop + 5) + "\"/>\n";
      char label[32];
      std::snprintf(label, sizeof label, step < 1000 ? "%.1f s" : "%.0f s", ms / 1000.0);
      svg_ += Text(x, kAxisTop + 18, "", label, "middle");
    }
  }

  // A mark of `shape` ("circle", "square", "diamond", "down", "up", "tick")
  // centred at x and y, with its details on hover.
  void Mark(const char* shape, const std::string& cssClass, double x, double y,
            const std::string& details) {
    std::string path;
    if (std::string(shape) == "circle") {
      svg_ += "<circle class=\"" + cssClass + "\" cx=\"" + Number(x) + "\" cy=\"" + Number(y) +
              "\" r=\"4\">" + Title(details) + "</circle>\n";
      return;
    }
    if (std::string(shape) == "square") path = "m-4,-4h8v8h-8z";
    if (std::string(shape) == "diamond") path = "m0,-6l6,6l-6,6l-6,-6z";
    if (std::string(shape) == "down") path = "m-4,-5h8l-4,8z";
    if (std::string(shape) == "up") path = "m-4,5h8l-4,-8z";
    if (std::string(shape) == "tick") path = "m-0.75,-8h1.5v16h-1.5z";
    svg_ += "<path class=\"" + cssClass + "\" d=\"M" + Number(x) + "," + Number(y) + path + "\">" +
            Title(details) + "</path>\n";
  }

  void WriteEvent(const TimelineEvent& event, RunPhase phase) {
    const Lane lane = LaneOf(event, phase);
    if (lane == kNoLane) return;
    const double x = X(event.timeMs);
    const double middle = LaneTop(lane) + kLaneHeight / 2;
    const std::string details = SecondsText(event.timeMs) + " s  " + EventText(event);
    if (event.op == "sleep") {
      const TimelineField* ms = event.Field("ms");
      if (!ms || ms->number <= 0) return;
      const std::uint64_t endMs = event.timeMs + static_cast<std::uint64_t>(ms->number);
      svg_ += "<rect class=\"pause\" x=\"" + Number(x) + "\" y=\"" + Number(middle - 8) +
              "\" width=\"" + Number(std::max(1.0, X(endMs) - x)) + "\" height=\"16\">" +
              Title("sleep " + std::to_string(ms->number) + " ms, " + SecondsText(event.timeMs) +
                    " to " + SecondsText(endMs) + " s") +
              "</rect>\n";
    } else if (event.op == "write") {
      Mark("down", "command", x, middle - 11, details);
    } else if (event.op == "read") {
      const TimelineField* count = event.Field("count");
      Mark("up", count && count->number > 0 ? "reply" : "empty", x, middle + 11, details);
    } else if (event.op == "find_window") {
      const TimelineField* found = event.Field("found");
      Mark("circle", found && found->number ? "found" : "look", x, middle, details);
    } else if (event.op == "create_process" || event.op == "post_message") {
      Mark("diamond", Succeeded(event) ? "act" : "failed", x, middle, details);
    } else if (event.op == "key") {
      const TimelineField* down = event.Field("down");
      if (down && down->number) Mark("tick", "key", x, middle, details);
    } else {
      Mark("square", Succeeded(event) ? "call" : "failed", x, middle, details);
    }
  }

  void WriteEnd() {
    for (const TimelineEvent& event : events_) {
      if (event.op != "message" || !event.Field("text")) continue;
      const double x = X(event.timeMs);
      svg_ += "<line class=\"message\" x1=\"" + Number(x) + "\" y1=\"" + Number(kPhaseTop) +
              "\" x2=\"" + Number(x) + "\" y2=\"" + Number(kAxisTop) + "\">" +
              Title("message " + DisplayText(event.Field("text")->text)) + "</line>\n";
      svg_ += Text(x - 4, kAxisTop - 6, "messagetext", "message", "end");
    }
    const double x = X(summary_.totalMs);
    svg_ += "<line class=\"end\" x1=\"" + Number(x) + "\" y1=\"" + Number(kPhaseTop) + "\" x2=\"" +
            Number(x) + "\" y2=\"" + Number(kAxisTop + 24) + "\">" +
            Title("end, " + SecondsText(summary_.totalMs) + " s") + "</line>\n";
    svg_ += Text(x, kAxisTop + 34, "", "end " + SecondsText(summary_.totalMs) + " s", "end");
  }

  const std::vector<TimelineEvent>& events_;
  const std::vector<RunPhase> phases_;
  const RunSummary& summary_;
  const std::uint64_t totalMs_;
  const double plotWidth_;
  const std::string position_;
  std::string svg_;
};

}  // namespace

std::string FormatSvgTimeline(const Timeline& timeline, const RunSummary& summary) {
  return SvgWriter(timeline, summary).Write();
}

#ifndef POSRELAY_REPORTS_MARK_GROUPS_H
#define POSRELAY_REPORTS_MARK_GROUPS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "check/report_language.h"

// One mark of a chart, before it is drawn: a shape in a row, or a bar.
struct ChartMark {
  std::string shape;  // the chart's shapes, or "bar"
  std::string cssClass;
  double x;      // a shape's centre, a bar's left end, in pixels at the chart's width
  double y;      // a shape's centre, a bar's top
  double width;  // a bar's; 0 for a shape
  std::size_t event;
};

// Marks drawn as one: those of one shape, class and row that start less
// than a pixel after the first of them.
struct MarkGroup {
  std::size_t first;  // index of its first mark
  std::size_t last;
  std::size_t count;
  double right;  // the right end of its bars, for a bar drawn over all of them
};

// The marks as a screen can show them, in the order of each group's first
// mark: a run of tens of thousands of operations makes no more marks than
// the chart has pixels, and one whose marks all stand apart keeps every one.
std::vector<MarkGroup> GroupMarks(const std::vector<ChartMark>& marks);

// The hover text of a mark standing for `count` operations, from the first
// one's time to the last one's, put before the first operation's own.
std::string MarkGroupTip(std::size_t count, std::uint64_t firstMs, std::uint64_t lastMs,
                         ReportLanguage language);

#endif

#include "reports/mark_groups.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "reports/run_texts.h"

namespace {

// Closer than this, in pixels at the chart's width, two marks are one dot.
const double kPixel = 1.0;

}  // namespace

std::vector<MarkGroup> GroupMarks(const std::vector<ChartMark>& marks) {
  std::vector<MarkGroup> groups;
  // Each row's group still open, by shape, class and row.
  std::map<std::tuple<std::string, std::string, double>, std::size_t> open;
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const ChartMark& mark = marks[i];
    const auto key = std::make_tuple(mark.shape, mark.cssClass, mark.y);
    const auto found = open.find(key);
    if (found != open.end() && mark.x - marks[groups[found->second].first].x < kPixel) {
      MarkGroup& group = groups[found->second];
      group.last = i;
      ++group.count;
      group.right = std::max(group.right, mark.x + mark.width);
      continue;
    }
    open[key] = groups.size();
    groups.push_back(MarkGroup{i, i, 1, mark.x + mark.width});
  }
  return groups;
}

std::string MarkGroupTip(std::size_t count, std::uint64_t firstMs, std::uint64_t lastMs,
                         ReportLanguage language) {
  return TextIn(
      language,
      "one mark for {1} operations too close to draw apart, {2} to {3}; the first of them: ",
      "近すぎて重なる {1} 件の操作を 1 つの印で表しています（{2}〜{3}）。最初の操作：",
      {std::to_string(count), SecondsIn(language, static_cast<std::int64_t>(firstMs)),
       SecondsIn(language, static_cast<std::int64_t>(lastMs))});
}

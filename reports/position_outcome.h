#ifndef POSRELAY_REPORTS_POSITION_OUTCOME_H
#define POSRELAY_REPORTS_POSITION_OUTCOME_H

#include <optional>
#include <string>

#include "check/report_language.h"
#include "position/geo_position.h"
#include "simulator/timeline.h"

// What the position query came to, read off a run's timeline.
struct PositionOutcome {
  bool asked = false;  // the launcher tried to open the module's port
  bool portOpened = false;
  std::string port;       // the port's name, UTF-8
  int attemptLimit = 0;   // the launcher's, by the module's identification
  int attempts = 0;       // attempts begun, each with its opening command, as the chart marks them
  int givingAttempt = 0;  // the attempt whose reply gave the position; 0: none
  DmsAngle latitude = {0, 0, 0};  // as the module gave them, on the Tokyo datum
  DmsAngle longitude = {0, 0, 0};
  GeoPosition tokyo = {0, 0};  // the same in decimal degrees
  GeoPosition wgs84 = {0, 0};  // converted as the launcher converts it
};

// Reads the replies with the launcher's own parser and converts the first
// position it accepts, as the launcher does.
PositionOutcome FindPositionOutcome(const Timeline& timeline);

// One line for people in `language`: the attempt, the Tokyo and the WGS84
// coordinates, or why there is no position; for a record that stops short
// of the run's end (not `wholeRun`), how far the query got before it stops.
std::string DescribePositionOutcome(const PositionOutcome& outcome, bool wholeRun,
                                    ReportLanguage language);

#endif

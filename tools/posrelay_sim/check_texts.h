#ifndef POSRELAY_TOOLS_POSRELAY_SIM_CHECK_TEXTS_H
#define POSRELAY_TOOLS_POSRELAY_SIM_CHECK_TEXTS_H

#include <initializer_list>
#include <string>

#include "tools/posrelay_sim/report_language.h"

// Every text the settings check writes, in each language. The warnings come
// first; their names are the kinds of warning that JSON reports carry.
enum CheckText {
  kWarnTriedFirst,
  kWarnNoKey,
  kWarnFullWidthEquals,
  kWarnLooksLikeComment,
  kWarnFullWidthDigits,
  kWarnNoDigits,
  kWarnTextAfterDigits,
  kWarnDecimalPoint,
  kWarnThousandsSeparator,
  kWarnBlankAtEnds,
  kWarnPastFirstPiece,
  kWarnNoValue,
  kWarnTooLong,
  kWarnSetTwice,
  kWarnNegativePause,
  kWarnNoChecks,
  kWarnWaitZero,
  kWarnLongRun,
  kWarnGresetOther,
  kWarnCarriageReturnAlone,
  kWarnGpathQuoted,
  kWarnGpathNotFromRoot,
  kWarnGpathDrive,
  kWarnGpathSlash,
  kWarnGpathNoNameCharacter,
  kWarnDryRunRefuses,
  kWarnUtf16,
  kWarnUtf8,
  kWarningKindCount,
  // Parts of texts.
  kTextLine = kWarningKindCount,
  kTextOnLines,
  kTextSettingOnLine,
  kTextListSeparator,
  kTextStart,
  kTextEnd,
  kTextStartAndEnd,
  kTextPath,
  kTextPortName,
  kTextHeading,
  kTextDefault,
  kTextOrigin,
  kTextWarning,
  kTextRunTimeHeading,
  kTextShortestRun,
  kTextShortestRunWhen,
  kTextShortestNormalEnd,
  kTextNoNormalEnd,
  kTextLongestRun,
  kTextSeconds,
  kTextMinutes,
  kTextHours,
  kCheckTextCount
};

// The warning's kind as JSON names it, such as "textAfterDigits".
const char* WarningKindName(CheckText text);

// The text in `language` with "{1}", "{2}", ... replaced by `arguments`.
std::string CheckTextIn(ReportLanguage language, CheckText text,
                        std::initializer_list<std::string> arguments = {});

#endif

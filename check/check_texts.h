#ifndef POSRELAY_CHECK_CHECK_TEXTS_H
#define POSRELAY_CHECK_CHECK_TEXTS_H

#include <initializer_list>
#include <string>

#include "check/report_language.h"

// Every text the settings check writes, in each language. The warnings come
// first; their names are the kinds of warning that JSON reports carry.
enum CheckText {
  kWarnTriedFirst,
  kWarnNoKey,
  kWarnFullWidthKey,
  kWarnFullWidthEquals,
  kWarnKeyCase,
  kWarnBlankBeforeEquals,
  kWarnColonForEquals,
  kWarnNoEquals,
  kWarnLooksLikeComment,
  kWarnFullWidthDigits,
  kWarnNoDigits,
  kWarnTextAfterDigits,
  kWarnUnit,
  kWarnDecimalPoint,
  kWarnThousandsSeparator,
  kWarnBlankAtEnds,
  kWarnFullWidthBlankAtEnds,
  kWarnFullWidthInValue,
  kWarnFullWidthInNumber,
  kWarnEqualsInValue,
  kWarnComportNoColon,
  kWarnPastFirstPiece,
  kWarnNoValue,
  kWarnTooLong,
  kWarnSetTwice,
  kWarnNegativePause,
  kWarnNoChecks,
  kWarnWaitZero,
  kWarnMapWaitShort,
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
  kWarnNotShiftJis,
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
  kTextRenameWithoutEquals,
  kTextColon,
  kTextFullWidthColon,
  kTextKeptDefault,
  kTextKeptFromLine,
  kTextFullWidthBlank,
  kTextNoSuchFile,
  kTextNoSuchPort,
  kTextBlankMayBeDropped,
  kTextMapAtGpath,
  kTextMapAtDefault,
  kTextMapAt,
  kTextMapNowhere,
  kTextMapMeantUnknown,
  kTextGpathEndBlankAssumed,
  kTextMapCloseTime,
  kTextMilliseconds,
  kTextDryRunRefused,
  kTextRefusalSeparator,
  kTextHeading,
  kTextDefault,
  kTextOrigin,
  kTextWarning,
  kTextRunTimeHeading,
  kTextShortestRun,
  kTextShortestRunWhen,
  kTextShortestNormalEnd,
  kTextShortestNormalEndWhen,
  kTextWithoutZoomAndClear,
  kTextNoNormalEnd,
  kTextLongestRun,
  kTextSeconds,
  kTextAbout,
  kTextAboutClock,  // {1} hours, minutes and seconds
  kTextHoursPart,
  kTextMinutesPart,
  kTextSecondsPart,
  kCheckTextCount
};

// The warning's kind as JSON names it, such as "textAfterDigits".
const char* WarningKindName(CheckText text);

// The text in `language` with "{1}", "{2}", ... replaced by `arguments`.
std::string CheckTextIn(ReportLanguage language, CheckText text,
                        std::initializer_list<std::string> arguments = {});

#endif

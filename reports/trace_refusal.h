#ifndef POSRELAY_REPORTS_TRACE_REFUSAL_H
#define POSRELAY_REPORTS_TRACE_REFUSAL_H

#include <string>
#include <string_view>

#include "check/report_language.h"
#include "replay/trace_reader.h"
#include "replay/trace_replay.h"

// Why a file the owner picked is not replayed, in the owner's words and in
// `language`, naming the line where there is one: an empty file, one too
// large, one that is no trace (a settings file picked by mistake is told
// so), a trace of a newer format, a damaged line. `bytes` and `error` are
// what ReadTrace was given and said of them; in English the sentence is
// followed by that detail.
std::string TraceRefusalText(const RecordedTrace& trace, std::string_view bytes,
                             const std::string& error, ReportLanguage language);

// Why a trace is not replayed (ReplayTrace's `problem`): its settings ask
// for more loops than a replay runs; told as above.
std::string ReplayRefusalText(const ReplayResult& result, const std::string& problem,
                              ReportLanguage language);

#endif

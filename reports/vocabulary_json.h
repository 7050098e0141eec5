#ifndef POSRELAY_REPORTS_VOCABULARY_JSON_H
#define POSRELAY_REPORTS_VOCABULARY_JSON_H

#include <string>

#include "trace/trace_vocabulary.h"

// The operation's key, its enumerator without the kOp ("CreateProcess"):
// what stays when the name in the file changes, for programs that read the
// vocabulary, such as the Wine harness.
const char* TraceOpKey(TraceOp op);

// The trace's vocabulary as JSON, for programs that read traces: the
// format's name, version and limits, and each operation under its key with
// its name in the file, the version that brought it, its phase, its lane on
// the chart and its fields (name, kind, whether a result, whether optional,
// versions).
std::string FormatVocabularyJson();

#endif

#include "trace/trace_record.h"

#include <float.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "trace/trace_operations.h"
#include "trace/utf8_text.h"

namespace {

// Where a real is written with its point rather than an exponent, as JSON
// libraries commonly do: from 1e-4 up to 1e15.
const int kLeastPointExponent = -4;
const int kMostPointExponent = 15;
// Seventeen significant digits read back as the same double, always;
// positions usually need fifteen to seventeen, so the search starts there.
const int kMostRealPrecision = 16;
const int kUsualRealPrecision = 14;

// Writes `value` with `precision` digits after the first into `text` and
// tells whether the text reads back as the same double.
bool ReadsBack(double value, int precision, char* text) {
  sprintf(text, "%.*e", precision, value);
  return strtod(text, 0) == value;
}

}  // namespace

void TraceRecord::Reserve(size_t events, size_t fields, size_t textBytes) {
  events_.reserve(events);
  fields_.reserve(fields);
  texts_.reserve(textBytes);
}

void TraceRecord::Clear() {
  events_.clear();
  fields_.clear();
  texts_.erase();
}

void TraceRecord::Begin(TraceTime timeMs, TraceOp op) {
  TraceEvent event;
  event.timeMs = timeMs;
  event.op = op;
  event.firstField = static_cast<unsigned int>(fields_.size());
  event.fieldCount = 0;
  events_.push_back(event);
}

TraceField& TraceRecord::AddField(const char* name, TraceFieldKind kind) {
  TraceField field;
  field.name = name;
  field.kind = kind;
  field.textStart = 0;
  field.textLength = 0;
  field.value.number = 0;
  fields_.push_back(field);
  ++events_.back().fieldCount;
  return fields_.back();
}

void TraceRecord::AddNumber(const char* name, TraceNumber value) {
  AddField(name, kTraceNumber).value.number = value;
}

void TraceRecord::AddBoolean(const char* name, bool value) {
  AddField(name, kTraceBoolean).value.number = value ? 1 : 0;
}

void TraceRecord::AddReal(const char* name, double value) {
  AddField(name, kTraceReal).value.real = value;
}

void TraceRecord::AddText(const char* name, const char* utf8, size_t length) {
  TraceField& field = AddField(name, kTraceText);
  field.textStart = static_cast<unsigned int>(texts_.size());
  field.textLength = static_cast<unsigned int>(length);
  texts_.append(utf8, length);
}

void TraceRecord::AddText(const char* name, const std::string& utf8) {
  AddText(name, utf8.data(), utf8.size());
}

void TraceRecord::AddWideText(const char* name, const std::wstring& text) {
  TraceField& field = AddField(name, kTraceText);
  field.textStart = static_cast<unsigned int>(texts_.size());
  AppendUtf8(text, texts_);
  field.textLength = static_cast<unsigned int>(texts_.size() - field.textStart);
}

void TraceRecord::Copy(const TraceRecord& from, const TraceEvent& event) {
  Begin(event.timeMs, event.op);
  for (unsigned int i = 0; i < event.fieldCount; ++i) {
    const TraceField& field = from.Field(event, i);
    if (field.kind == kTraceText) {
      AddText(field.name, from.TextData(field), field.textLength);
    } else {
      AddField(field.name, field.kind).value = field.value;
    }
  }
}

const TraceField* TraceRecord::FindField(const TraceEvent& event, const char* name) const {
  for (unsigned int i = 0; i < event.fieldCount; ++i) {
    const TraceField& field = Field(event, i);
    if (strcmp(field.name, name) == 0) return &field;
  }
  return 0;
}

const char* TraceRecord::TextData(const TraceField& field) const {
  return texts_.data() + field.textStart;
}

std::string TraceRecord::Text(const TraceField& field) const {
  return std::string(TextData(field), field.textLength);
}

void AppendJsonText(const char* utf8, size_t length, std::string& json) {
  static const char kHex[] = "0123456789abcdef";
  json += '"';
  // Runs of characters that need no escape are copied whole.
  size_t run = 0;
  for (size_t i = 0; i < length;) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
      ++i;
      continue;
    }
    const size_t size = c >= 0x80 ? Utf8CharacterLength(utf8 + i, length - i) : 0;
    if (size > 0) {
      i += size;
      continue;
    }
    json.append(utf8 + run, i - run);
    run = ++i;
    switch (c) {
      case '"':
        json += "\\\"";
        break;
      case '\\':
        json += "\\\\";
        break;
      case '\b':
        json += "\\b";
        break;
      case '\f':
        json += "\\f";
        break;
      case '\n':
        json += "\\n";
        break;
      case '\r':
        json += "\\r";
        break;
      case '\t':
        json += "\\t";
        break;
      default:
        if (c >= 0x80) {
          // A byte that starts no character would make the line unreadable.
          json += "\xEF\xBF\xBD";
        } else {
          json += "\\u00";
          json += kHex[c >> 4];
          json += kHex[c & 0xF];
        }
    }
  }
  json.append(utf8 + run, length - run);
  json += '"';
}

void AppendJsonTime(TraceTime value, std::string& json) {
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int i = 0; i < count / 2; ++i) {
    const char digit = digits[i];
    digits[i] = digits[count - 1 - i];
    digits[count - 1 - i] = digit;
  }
  json.append(digits, static_cast<size_t>(count));
}

void AppendJsonNumber(TraceNumber value, std::string& json) {
  if (value < 0) {
    json += '-';
    // The magnitude of the most negative number only fits unsigned.
    AppendJsonTime(static_cast<TraceTime>(0) - static_cast<TraceTime>(value), json);
  } else {
    AppendJsonTime(static_cast<TraceTime>(value), json);
  }
}

void AppendJsonReal(double value, std::string& json) {
  if (value != value || value > DBL_MAX || value < -DBL_MAX) {
    json += "null";  // JSON has no NaN or infinity
    return;
  }
  // The fewest significant digits that read back as the value, correctly
  // rounded by the C library. Both directions use the same locale, and
  // only the digits and the exponent are taken from the text, so that a
  // decimal comma cannot reach the trace.
  char text[40];
  int precision = kUsualRealPrecision;
  if (ReadsBack(value, precision, text)) {
    while (precision > 0 && ReadsBack(value, precision - 1, text)) --precision;
  } else {
    while (precision < kMostRealPrecision && !ReadsBack(value, precision, text)) ++precision;
  }
  ReadsBack(value, precision, text);
  const bool negative = text[0] == '-';
  if (negative) json += '-';
  if (value == 0) {
    json += "0.0";
    return;
  }
  std::string digits;
  const char* c = text;
  for (; *c != 'e' && *c != 'E' && *c != '\0'; ++c) {
    if (*c >= '0' && *c <= '9') digits += *c;
  }
  const int k = static_cast<int>(digits.size());
  const int n = (*c == '\0' ? 0 : atoi(c + 1)) + 1;  // the point's place after the digits
  if (k <= n && n <= kMostPointExponent) {
    json += digits + std::string(static_cast<size_t>(n - k), '0') + ".0";
  } else if (0 < n && n <= kMostPointExponent) {
    json += digits.substr(0, static_cast<size_t>(n)) + '.' + digits.substr(static_cast<size_t>(n));
  } else if (kLeastPointExponent < n && n <= 0) {
    json += "0." + std::string(static_cast<size_t>(-n), '0') + digits;
  } else {
    json += digits[0];
    if (k > 1) json += '.' + digits.substr(1);
    const int exponent = n - 1;
    json += exponent < 0 ? "e-" : "e+";
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10) json += '0';
    AppendJsonNumber(magnitude, json);
  }
}

void AppendTraceFields(const TraceRecord& record, const TraceEvent& event, std::string& line) {
  for (unsigned int i = 0; i < event.fieldCount; ++i) {
    const TraceField& field = record.Field(event, i);
    // Names are the vocabulary's own and need no escapes.
    line += ",\"";
    line += field.name;
    line += "\":";
    switch (field.kind) {
      case kTraceNumber:
        AppendJsonNumber(field.value.number, line);
        break;
      case kTraceBoolean:
        line += field.value.number ? "true" : "false";
        break;
      case kTraceReal:
        AppendJsonReal(field.value.real, line);
        break;
      case kTraceText:
        AppendJsonText(record.TextData(field), field.textLength, line);
        break;
    }
  }
}

void AppendTraceLine(const TraceRecord& record, const TraceEvent& event, std::string& line) {
  line += "{\"t\":";
  AppendJsonTime(event.timeMs, line);
  line += ",\"op\":\"";
  line += TraceOpName(event.op);
  line += '"';
  AppendTraceFields(record, event, line);
  line += "}\n";
}

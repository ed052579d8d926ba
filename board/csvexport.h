#pragma once

// The recorded readings as CSV, UTF-8 with a header row, in two styles:
// Plain (comma-separated, decimal point), which LibreOffice and Python read
// without settings, and Locale (semicolon-separated, the locale's decimal
// separator, with a byte-order mark), which a spreadsheet in pt_BR expects.

#include "readinghistory.h"

#include <QString>

#include <string>

namespace varnix {

enum class CsvStyle { Plain, Locale };

// "2026-12-11T09:30:01.250-03:00": local time with milliseconds and offset.
std::string IsoTimestamp(std::int64_t timeMs, int utcOffsetMinutes);

std::string CsvText(const ReadingHistory &history, CsvStyle style, const NumberFormat &locale);

// Writes to a temporary file beside path and renames it, so a failed export
// leaves no half file. Throws std::runtime_error("Unable to write to <path>").
void WriteCsvFile(const QString &path, const ReadingHistory &history, CsvStyle style, const NumberFormat &locale);

} // namespace varnix

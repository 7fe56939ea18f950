// The results export: a calculation result as a tab-separated text table, and the file writer.
//
// Layout (the contract with the programs that read these files): two comment lines, four header
// lines (section titles, subtitles or angle labels, column names, units) and one row per grid
// frequency. The first column is the frequency; every ticked section appends its columns, in the
// order of kExportSectionTable, the driver sections once per driver and the amplifier sections
// once per amplifier. Fields are led by a tab, lines end with "\r\n", texts are Latin-1 and every
// number is a compact number text of width 6 ("," as decimal separator).
#pragma once

#include <string>
#include <string_view>

#include "measure/results_export_sections.h"
#include "model/result.h"

namespace sonora {

// Width of every number text of the export: 15811.4 Hz -> "15811", 38.7879 -> "38,788".
inline constexpr int kExportNumberWidth = 6;

// Texts of the export window and its save dialog (Latin-1).
inline constexpr std::string_view kExportWindowCaption = "Sonora - Export";
inline constexpr std::string_view kExportSaveTitle = "Ergebnisse exportieren";
inline constexpr std::string_view kExportExtension = ".exp";
inline constexpr std::string_view kExportFilter = "*.exp|*.exp|*.txt|*.txt|*.*|*.*";

// The whole export file of `result` with the ticked `sections`, as Latin-1 bytes. Counts outside
// their ranges (nfreq beyond 256, nChassis beyond 32, nAmps beyond 6, negative ones) are limited
// to the record's slots, so a damaged record can never be read out of bounds.
std::string resultsExportText(const TResult& result, ExportSections sections);

// Writes resultsExportText to `path` (UTF-8) through a temporary file beside it. On failure the
// old file is untouched and `error` holds a German message (UTF-8) naming the file.
bool writeResultsExport(const std::string& path, const TResult& result, ExportSections sections,
                        std::string& error);

// The message shown after every export, whether the file was written or not (Latin-1):
// "Export geschrieben in Datei", a line break and the file name (`path` in UTF-8).
std::string exportWrittenMessage(const std::string& path);

} // namespace sonora

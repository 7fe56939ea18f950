// Import of measured frequency and impedance responses from text files into a driver's curves.
#pragma once

#include <functional>
#include <string>

#include "model/records.h"
#include "model/user_prompt.h"

namespace sonora {

// The open-file dialog: `filter` in the program's "caption|pattern|caption|pattern" form; sets
// `fileName` (UTF-8) and returns true, or returns false when the user cancelled.
using ChooseFile = std::function<bool(const std::string& filter, std::string& fileName)>;

enum class ResponseKind { Frequency, Impedance };

// What an import wrote.
struct TextImportResult {
    bool ok = false;          // data was written
    bool wroteValues = false; // levels or impedance magnitudes
    bool wrotePhases = false;
    int records = 0; // entries per written list (at most 599), before the terminating 0
};

// The help texts shown before the open-file dialog, Latin-1.
std::string textImportHelp(ResponseKind kind);
// The file filters of the open-file dialog.
std::string textImportFilter(ResponseKind kind);

// Reads a text file of frequency, value and/or phase (degrees) and writes it into the four
// 601-entry arrays: value frequencies, values, phase frequencies, phases (radians). An empty
// `fileName` first shows the help text ("Ok|Abbruch") and then `chooseFile`; cancelling either,
// an unreadable file or a file without data changes nothing. A file with a single data column
// asks whether it holds the phase; a one-column import leaves the other kind of data untouched.
// More than 599 records are thinned to 599. Messages and questions go to `prompt`.
TextImportResult importResponseText(ResponseKind kind, const std::string& fileName,
                                    double (&valueFreq)[kCurvePoints],
                                    double (&values)[kCurvePoints],
                                    double (&phaseFreq)[kCurvePoints],
                                    double (&phases)[kCurvePoints], UserPrompt& prompt,
                                    const ChooseFile& chooseFile = {});

// Frequency response: levels in dB at 2.83 V / 1 m into fgangaf/fganga, phases into
// fgangapf/fgangap. True when data was written.
bool Import_FGang_txt(const std::string& fileName, double (&fgangaf)[kCurvePoints],
                      double (&fganga)[kCurvePoints], double (&fgangapf)[kCurvePoints],
                      double (&fgangap)[kCurvePoints], UserPrompt& prompt,
                      const ChooseFile& chooseFile = {});

// Impedance response: magnitudes in Ohm into fgangif/fgangi, phases (> 0 inductive) into
// fgangipf/fgangip. True when data was written.
bool Import_IGang_txt(const std::string& fileName, double (&fgangif)[kCurvePoints],
                      double (&fgangi)[kCurvePoints], double (&fgangipf)[kCurvePoints],
                      double (&fgangip)[kCurvePoints], UserPrompt& prompt,
                      const ChooseFile& chooseFile = {});

} // namespace sonora

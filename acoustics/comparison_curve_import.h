// Reading a comparison curve of the frequency-response chart from a text file of frequency and
// level lines.
#pragma once

#include <string>
#include <string_view>

#include "acoustics/comparison_curves.h"

namespace sonora {

// Lines of a curve file that are looked at; the rest of the file is ignored.
inline constexpr int kMaxComparisonFileLines = 600;

struct CurveImportResult {
    bool ok = false;
    std::string message; // Latin-1; empty when ok
};

// Reads the first kMaxComparisonFileLines lines of the text file `fileName` (UTF-8 path) into
// `curve`. A line counts when it is longer than 3 characters and starts with one of
// " +-0123456789.,"; its first two numbers are the frequency (Hz) and the level (dB), read with
// the program's number reader. A pair is stored when the frequency is > 0 and both numbers are
// finite. The curve keeps the first kComparisonPoints pairs and is valid when it holds at least
// one. A missing file gives "Datei " + name + " existiert nicht.", a file without any pair "Die
// Datei enthält keine passenden Daten."; on every failure the curve is cleared.
CurveImportResult importComparisonCurve(const std::string& fileName, ComparisonCurve& curve);

// The same for text already read (Latin-1 bytes; lines end with LF, CR LF or CR). False when no
// pair was found; the curve is then cleared.
bool readComparisonCurve(std::string_view text, ComparisonCurve& curve);

} // namespace sonora

// The keys of one driver record in a key-value file: the driver file's section "Chassis" and the
// project file's sections "Chassis" + n use the same keys, defaults and conversions.
#pragma once

#include <string>

#include "model/records.h"

namespace sonora {

class TMyIniFile;

// Writes every key of `chassis` into `section` in the order of the driver file. `makerText`
// "TARVELO" writes the maker mark, any other text removes it. "pubdate" is the date given
// ("%.02d.%.02d.%.04d"), not the record's own. A curve is written with its leading frequencies
// > 0 (at most 600) plus the terminating entry; phases in degrees. Line breaks in texts are
// written as blanks, since the file cannot hold them.
void writeChassisKeys(TMyIniFile& ini, const std::string& section, const TChassis& chassis,
                      const std::string& makerText, const std::string& pubdate);

// Reads the keys of `section` into `chassis`, applying the defaults and the conversions of file
// version `version` (1000 .. 2000). Texts are cut to their field's length, curves to 600 points.
// Does not run the voice-coil fit of version 1000; the caller does. Hostile values: a number that
// reads as NaN or infinite takes its default (0 in arrays), "rNricht" is clamped to 0..19 and
// "fgang_which" to the Int16 range; a missing curve keeps its old entries except the 0 at index 0.
void readChassisKeys(TMyIniFile& ini, const std::string& section, int version, TChassis& chassis);

// The two files differ in a few details of the same keys.
enum class ChassisKeyLayout {
    // Driver file: versions 1000 .. 2000 of the driver file's own numbering.
    DriverFile,
    // Project file ("Chassis" + n): "fgang_which" is written before "Special"; the defaults of
    // "Re2", "Le2", "Re3", "Le3" are 0.001, 1e-6, 0.001, 1e-6; the conversions use the project
    // file's version numbers ("fgang_which" and degrees from 1004, the acoustic-phase shift below
    // 1005, "fgang_which" above 5 decreased up to 1005); "typ" is read without conversion; up to
    // version 1200 "Membranform" is read from `membranformSection` ("Schallwand" + n), and left as
    // it is when that is empty.
    ProjectFile,
};

struct ChassisKeyOptions {
    ChassisKeyLayout layout = ChassisKeyLayout::DriverFile;
    std::string membranformSection; // project files up to version 1200 only
};

// The same as above with the layout of the project file when asked for. For the project file,
// pass the maker text "TARVELO" when OriginalTarvelo is set and the record's own pubdate.
void writeChassisKeys(TMyIniFile& ini, const std::string& section, const TChassis& chassis,
                      const std::string& makerText, const std::string& pubdate,
                      const ChassisKeyOptions& options);
void readChassisKeys(TMyIniFile& ini, const std::string& section, int version, TChassis& chassis,
                     const ChassisKeyOptions& options);

// Files of version 1000 lack the voice-coil values: their readers hand every driver in use to this
// fit after reading. The driver model lives above the readers, so their caller passes it
// (fitVoiceCoilOfOldFile of the engine); with none the values stay as read.
using OldFileVoiceCoilFit = bool (*)(TChassis& chassis);

// Maker text that writes the maker mark "_hst".
inline constexpr char kMakerTarvelo[] = "TARVELO";

// Phases are stored in degrees with three decimals. The measured acoustic and impedance phases use
// this rounded pi, the directional phases the exact one; both are part of the format.
inline constexpr double kPhaseFilePi = 3.1415926;
// Degrees as stored: round(phi * 180000 / pi) / 1000, ties to even.
double phaseToFileDegrees(double radians, double pi);

// Entries of a curve that a file holds: the leading frequencies > 0, at most 600, so that the
// writer's count + 1 entries (the terminator included) fit the 601 of the array.
int storedCurvePoints(const double* frequencies);

} // namespace sonora

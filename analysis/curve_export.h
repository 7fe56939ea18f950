// Curves of a finished result as text files for other programs: responses as FRD (frequency,
// level, phase) and impedances as ZMA (frequency, magnitude, phase), one curve per file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/result.h"

namespace sonora {

// A direction in one of the two planes of the box. Horizontal angles > 0 lie to the right as the
// listener sees the box, vertical angles > 0 upwards; ±180° is straight back.
enum class CurvePlane : std::uint8_t { Horizontal, Vertical };
struct PlaneAngle {
    CurvePlane plane;
    int degrees; // -180 … 180
    friend bool operator==(const PlaneAngle&, const PlaneAngle&) = default;
};

// Which curves an export writes.
struct CurveExportChoice {
    bool onAxis = true;
    bool listeningWindow = true;
    std::vector<PlaneAngle> angles; // box responses in the planes, one file each
    bool drivers = true;            // each driver's share of the box on axis
    bool amplifiers = true;         // the impedance each amplifier sees
    // The impulse and step response of the box on axis and of each driver as it reaches it, one
    // table file each (time, impulse, step), the sample rate, length and windows in the header.
    bool impulses = false;
};

// The angles written when the user names none: both sides of the horizontal plane to 90° in 15°
// steps and ±15°, ±30° in the vertical plane.
inline constexpr std::string_view kDefaultCurveAngles =
    "H15,H-15,H30,H-30,H45,H-45,H60,H-60,H75,H-75,H90,H-90,V15,V-15,V30,V-30";

// Reads a comma list such as "H30,V-10,h+45" (plane letter, whole degrees from -180 to 180; blanks
// around the entries are ignored; an empty list gives no angle). False with a German message
// (UTF-8) naming the first bad entry; `angles` is then unchanged.
bool parsePlaneAngles(std::string_view list, std::vector<PlaneAngle>& angles, std::string& error);

// One file of the export: its name (ASCII, safe on every system) and its content (Latin-1,
// "." as decimal point, lines ending in "\r\n", a header of lines starting with "*").
struct CurveFile {
    std::string name;
    std::string text;
};

// File names of the curves: "Box_0Grad.frd", "Box_Hoerfenster.frd", "Box_H30Grad.frd",
// "Box_V-10Grad.frd", "Chassis_1_<name>.frd" (the name spelled out as a file name; without a
// usable name "Chassis_1.frd"), "Verstaerker_1.zma"; the time responses "Box_0Grad_Impuls.txt"
// and "Chassis_1_<name>_Impuls.txt".
std::string planeAngleFileName(PlaneAngle angle);
std::string driverFileName(int driver, std::string_view latin1Name);
std::string amplifierFileName(int amp);
std::string boxImpulseFileName();
std::string driverImpulseFileName(int driver, std::string_view latin1Name);

// The files of `result` for `choice`; `projectName` (Latin-1) goes into each header. A result
// that is not valid, has no grid or holds a value that is not finite gives no files and false
// with a German message (UTF-8). Drivers in no amplifier's network add nothing to the box and get
// no file. Counts beyond the record's slots are limited to them.
bool curveExportFiles(const TResult& result, std::string_view projectName,
                      const CurveExportChoice& choice, std::vector<CurveFile>& files,
                      std::string& error);

// Writes the files of curveExportFiles into `folder` (UTF-8), each through a temporary file that
// is renamed over its target. A missing folder is created (its parent must exist). On failure
// the files this call made are removed again, a folder it made too, and `error` names the file
// and the reason in German (UTF-8). `written` gets the file names in the order written.
bool writeCurveExport(const std::string& folder, const TResult& result,
                      std::string_view projectName, const CurveExportChoice& choice,
                      std::vector<std::string>& written, std::string& error);

} // namespace sonora

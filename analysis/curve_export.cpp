#include "analysis/curve_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <system_error>

#include "analysis/driver_response.h"
#include "analysis/spinorama.h"
#include "engine/box_sum.h"
#include "model/complex.h"
#include "model/physics.h"
#include "model/version.h"
#include "storage/file_io.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

constexpr int kAxisIndex = 180;  // plane index of 0° (fgang_box_h, fgang_box_v)
constexpr int kMaxDegrees = 180; // plane angles run from -180° to 180°

// Digits after the point: 0.0001 dB and 0.0001° are far below what any reader needs and keep a
// round trip exact to the last shown digit; a grid frequency needs no more than 0.001 Hz.
constexpr int kFrequencyDecimals = 3;
constexpr int kLevelDecimals = 4;
constexpr int kPhaseDecimals = 4;
// Times in ms to 10 ns, a step even at 192 kHz; impulse and step values in significant digits.
constexpr int kTimeDecimals = 5;
constexpr int kSampleDigits = 9;
constexpr double kMsPerSecond = 1000.0;
// Impedances span from milliohms to the 1e99 of an open output: significant digits, in the
// E-form where needed, which the readers of these files accept.
constexpr int kImpedanceDigits = 7;

constexpr char kEol[] = "\r\n";

// Numbers are written with "." whatever the process locale says (the desktop program runs in the
// user's locale, where printf would write ",").
void appendFixed(std::string& out, double value, int decimals) {
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    out.append(buffer, r.ptr);
}

void appendGeneral(std::string& out, double value, int digits) {
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    out.append(buffer, r.ptr);
}

double level(const Complex& h) {
    return 20.0 * std::log10(CAbs(h) + kLevelGuard) + kLevelOfUnity;
}

double phaseDegrees(const Complex& h) {
    return std::atan2(h.im, h.re) * kDegreesPerRadian;
}

// One curve before it becomes text: at grid index i its level (or magnitude) and phase.
struct Curve {
    std::string name;    // file name
    std::string caption; // Latin-1, the header's "Kurve:" line
    bool impedance = false;
    std::function<void(int i, double& value, double& phase)> at;
};

// A header line; control characters in a name (a line break in a file name) become blanks, so
// that no text can start a line of its own that a reader would take for data.
std::string headerLine(std::string_view text) {
    std::string line = "* ";
    for (const char c : text) {
        line += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
    return line + kEol;
}

std::string curveText(const TResult& r, int nfreq, std::string_view projectName,
                      const Curve& curve) {
    std::string text;
    text += headerLine("Sonora " + std::string(kVersion));
    text += headerLine("Projekt: " + std::string(projectName));
    if (!r.comment1.empty()) {
        text += headerLine("Kommentar: " + r.comment1.str());
    }
    text += headerLine("Kurve: " + curve.caption);
    text += "* ";
    text += curve.impedance ? "Frequenz [Hz]\tBetrag [Ohm]\tPhase [Grad]"
                            : "Frequenz [Hz]\tPegel [dB]\tPhase [Grad]";
    text += kEol;
    for (int i = 0; i < nfreq; ++i) {
        double value = 0;
        double phase = 0;
        curve.at(i, value, phase);
        appendFixed(text, r.freq[i], kFrequencyDecimals);
        text += '\t';
        if (curve.impedance) {
            appendGeneral(text, value, kImpedanceDigits);
        } else {
            appendFixed(text, value, kLevelDecimals);
        }
        text += '\t';
        appendFixed(text, phase, kPhaseDecimals);
        text += kEol;
    }
    return text;
}

// Time, impulse and step per sample, with how they were made in the header.
std::string impulseText(const TResult& r, std::string_view projectName, std::string_view caption,
                        const ImpulseResponse& ir) {
    std::string text;
    text += headerLine("Sonora " + std::string(kVersion));
    text += headerLine("Projekt: " + std::string(projectName));
    if (!r.comment1.empty()) {
        text += headerLine("Kommentar: " + r.comment1.str());
    }
    text += headerLine("Kurve: " + std::string(caption) + ", Impuls- und Sprungantwort");
    text += headerLine(impulseRateText(ir));
    text += headerLine(impulseWindowText(ir));
    text += "* Zeit [ms]\tImpulsantwort\tSprungantwort";
    text += kEol;
    for (int m = 0; m < ir.length; ++m) {
        appendFixed(text, (m - ir.zeroSample) * kMsPerSecond / ir.sampleRate, kTimeDecimals);
        text += '\t';
        appendGeneral(text, ir.impulse[static_cast<std::size_t>(m)], kSampleDigits);
        text += '\t';
        appendGeneral(text, ir.step[static_cast<std::size_t>(m)], kSampleDigits);
        text += kEol;
    }
    return text;
}

std::string driverCaption(int d, const std::string& name) {
    return "Chassis " + std::to_string(d + 1) + " " + name +
           " mit Schallwand, Filtern, Weiche und Position, auf Achse";
}

// "30° rechts", "10° unten", "0°", "180° hinten" (Latin-1).
std::string planeAngleCaption(PlaneAngle a) {
    const bool horizontal = a.plane == CurvePlane::Horizontal;
    std::string text = horizontal ? "Box horizontal " : "Box vertikal ";
    text += std::to_string(std::abs(a.degrees)) + "\xB0";
    if (std::abs(a.degrees) == kMaxDegrees) {
        text += " hinten";
    } else if (a.degrees > 0) {
        text += horizontal ? " rechts" : " oben";
    } else if (a.degrees < 0) {
        text += horizontal ? " links" : " unten";
    }
    return text;
}

std::string planeAngleText(PlaneAngle a) {
    return (a.plane == CurvePlane::Horizontal ? "H" : "V") + std::to_string(a.degrees);
}

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

bool parseOneAngle(const std::string& entry, PlaneAngle& angle) {
    if (entry.size() < 2) {
        return false;
    }
    const char p = entry[0];
    if (p == 'H' || p == 'h') {
        angle.plane = CurvePlane::Horizontal;
    } else if (p == 'V' || p == 'v') {
        angle.plane = CurvePlane::Vertical;
    } else {
        return false;
    }
    const char* first = entry.data() + 1;
    const char* last = entry.data() + entry.size();
    if (*first == '+') {
        ++first; // from_chars takes no plus sign
        if (first == last || *first == '-') {
            return false;
        }
    }
    int degrees = 0;
    const auto r = std::from_chars(first, last, degrees);
    if (r.ec != std::errc() || r.ptr != last || degrees < -kMaxDegrees || degrees > kMaxDegrees) {
        return false;
    }
    angle.degrees = degrees;
    return true;
}

// Why the result cannot give curves, or "" when it can.
std::string resultProblem(const TResult& r, int nfreq) {
    if (!r.valid) {
        return "Das Rechenergebnis ist fehlerhaft; es wurden keine Kurven geschrieben.";
    }
    if (nfreq <= 0) {
        return "Das Rechenergebnis enthält keine Frequenzen; es wurden keine Kurven geschrieben.";
    }
    for (int i = 0; i < nfreq; ++i) {
        if (!std::isfinite(r.freq[i]) || r.freq[i] <= 0 || (i > 0 && r.freq[i] <= r.freq[i - 1])) {
            return "Das Frequenzraster des Rechenergebnisses ist beschädigt; es wurden keine "
                   "Kurven geschrieben.";
        }
    }
    return {};
}

} // namespace

bool parsePlaneAngles(std::string_view list, std::vector<PlaneAngle>& angles, std::string& error) {
    std::vector<PlaneAngle> parsed;
    if (trimmed(list).empty()) {
        angles.clear();
        return true;
    }
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string entry = trimmed(list.substr(start, comma - start));
        PlaneAngle angle{};
        if (!parseOneAngle(entry, angle)) {
            error = "Ungültiger Winkel \"" + latin1ToUtf8(utf8ToLatin1(entry)) +
                    "\": erwartet wird H oder V und ein ganzer Winkel von -180 bis 180 Grad, "
                    "z. B. H30,V-10.";
            return false;
        }
        if (std::find(parsed.begin(), parsed.end(), angle) == parsed.end()) {
            parsed.push_back(angle); // a repeated entry would write the same file twice
        }
        start = comma + 1;
    }
    angles = std::move(parsed);
    return true;
}

std::string planeAngleFileName(PlaneAngle angle) {
    return "Box_" + planeAngleText(angle) + "Grad.frd";
}

std::string driverFileName(int driver, std::string_view latin1Name) {
    const std::string stem = fileNameStem(latin1Name);
    return "Chassis_" + std::to_string(driver + 1) + (stem.empty() ? "" : "_" + stem) + ".frd";
}

std::string amplifierFileName(int amp) {
    return "Verstaerker_" + std::to_string(amp + 1) + ".zma";
}

std::string boxImpulseFileName() {
    return "Box_0Grad_Impuls.txt";
}

std::string driverImpulseFileName(int driver, std::string_view latin1Name) {
    std::string name = driverFileName(driver, latin1Name);
    name.resize(name.size() - std::string_view(".frd").size());
    return name + "_Impuls.txt";
}

bool curveExportFiles(const TResult& r, std::string_view projectName,
                      const CurveExportChoice& choice, std::vector<CurveFile>& files,
                      std::string& error) {
    files.clear();
    const int nfreq = std::clamp(r.nfreq, 0, kResultFreqs - 1);
    error = resultProblem(r, nfreq);
    if (!error.empty()) {
        return false;
    }

    std::vector<Curve> curves;
    auto response = [](std::function<Complex(int)> h) {
        return [h = std::move(h)](int i, double& value, double& phase) {
            const Complex c = h(i);
            value = level(c);
            phase = phaseDegrees(c);
        };
    };
    if (choice.onAxis) {
        curves.push_back({"Box_0Grad.frd", "Box auf Achse", false,
                          response([&r](int i) { return r.fgang_box[i][0]; })});
    }
    std::shared_ptr<Spinorama> spin;
    if (choice.listeningWindow) {
        spin = std::make_shared<Spinorama>();
        computeSpinorama(r, *spin);
        // The listening window is a mean of energies and has no phase of its own; the on-axis
        // phase, which rules it where the window's directions agree, goes with it.
        curves.push_back({"Box_Hoerfenster.frd",
                          "Box H\xF6rfenster (Leistungsmittel aus 9 Richtungen), Phase der Box "
                          "auf Achse",
                          false, [&r, spin](int i, double& value, double& phase) {
                              value = spin->curve[static_cast<int>(SpinCurve::ListeningWindow)][i];
                              phase = phaseDegrees(r.fgang_box[i][0]);
                          }});
    }
    for (const PlaneAngle a : choice.angles) {
        if (a.degrees < -kMaxDegrees || a.degrees > kMaxDegrees) {
            error = "Ungültiger Winkel " + planeAngleText(a) + ".";
            return false;
        }
        const int n = kAxisIndex + a.degrees;
        const bool horizontal = a.plane == CurvePlane::Horizontal;
        curves.push_back({planeAngleFileName(a), planeAngleCaption(a), false,
                          response([&r, n, horizontal](int i) {
                              return horizontal ? r.fgang_box_h[i][n] : r.fgang_box_v[i][n];
                          })});
    }
    if (choice.drivers) {
        const int nChassis = std::clamp(r.nChassis, 0, kMaxChassis);
        for (int d = 0; d < nChassis; ++d) {
            if (networkAmp(r, d) < 0) {
                continue; // a driver in no network adds nothing to the box
            }
            const std::string name = r.chassisNames[d].str();
            // Diaphragm and vent together, as they reach the listener on axis.
            curves.push_back({driverFileName(d, name), driverCaption(d, name), false,
                              response([&r, d](int i) { return driverOnAxis(r, d, i); })});
        }
    }
    if (choice.amplifiers) {
        const int nAmps = std::clamp(r.nAmps, 0, kMaxAmps);
        for (int a = 0; a < nAmps; ++a) {
            curves.push_back({amplifierFileName(a),
                              "Impedanz an Verst\xE4rker " + std::to_string(a + 1), true,
                              [&r, a](int i, double& value, double& phase) {
                                  value = CAbs(r.impedanz_box[a][i]);
                                  phase = phaseDegrees(r.impedanz_box[a][i]);
                              }});
        }
    }
    if (curves.empty() && !choice.impulses) {
        error = "Es ist keine Kurve ausgewählt.";
        return false;
    }

    for (const Curve& c : curves) {
        for (int i = 0; i < nfreq; ++i) {
            double value = 0;
            double phase = 0;
            c.at(i, value, phase);
            if (!std::isfinite(value) || !std::isfinite(phase)) {
                error = "Die Kurve " + c.name +
                        " enthält ungültige Werte; es wurden keine Kurven geschrieben.";
                return false;
            }
        }
    }
    std::vector<CurveFile> out;
    out.reserve(curves.size());
    for (const Curve& c : curves) {
        out.push_back({c.name, curveText(r, nfreq, projectName, c)});
    }
    if (choice.impulses) {
        OnAxisImpulses t;
        if (!computeOnAxisImpulses(r, impulseSettingsFor(r), t, error)) {
            error = "Impuls- und Sprungantwort: " + error + " Es wurden keine Kurven geschrieben.";
            return false;
        }
        out.push_back({boxImpulseFileName(), impulseText(r, projectName, "Box auf Achse", t.box)});
        for (std::size_t k = 0; k < t.drivers.size(); ++k) {
            const int d = t.drivers[k];
            const std::string name = r.chassisNames[d].str();
            out.push_back(
                {driverImpulseFileName(d, name),
                 impulseText(r, projectName, driverCaption(d, name), t.driverResponses[k])});
        }
    }
    files = std::move(out);
    return true;
}

bool writeCurveExport(const std::string& folder, const TResult& result,
                      std::string_view projectName, const CurveExportChoice& choice,
                      std::vector<std::string>& written, std::string& error) {
    written.clear();
    std::vector<CurveFile> files;
    if (!curveExportFiles(result, projectName, choice, files, error)) {
        return false;
    }
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(folder);
    std::error_code ec;
    bool madeFolder = false;
    if (!fs::exists(dir, ec)) {
        if (!fs::create_directory(dir, ec)) {
            error = "Der Ordner " + folder + " kann nicht angelegt werden: " +
                    writeErrorReason(ec ? ec.value() : 0, folder) + ".";
            return false;
        }
        madeFolder = true;
    } else if (!fs::is_directory(dir, ec)) {
        error = folder + " ist kein Ordner.";
        return false;
    }

    std::vector<std::string> made; // files that were not there before
    for (const CurveFile& f : files) {
        const std::string path = (dir / f.name).string();
        const bool existed = fileExists(path);
        if (!writeFileAtomically(path, std::vector<std::uint8_t>(f.text.begin(), f.text.end()),
                                 error)) {
            for (const std::string& p : made) {
                fs::remove(fs::path(p), ec);
            }
            if (madeFolder) {
                fs::remove(dir, ec);
            }
            written.clear();
            return false;
        }
        if (!existed) {
            made.push_back(path);
        }
        written.push_back(f.name);
    }
    return true;
}

} // namespace sonora

// The calculator page "Bassreflexkanal": tuning of a vented box from the inner dimensions of the
// box and of a rectangular port or up to four round tubes, with the limits of the port.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "acoustics/calc_fields.h"

namespace sonora {

enum class PortVolumeMode { Explicit, Dimensions }; // "explizit", "über BxHxT"
enum class PortShape { Rectangular, Circular };     // "rechteckig", "rund"

// The page's entry fields with their start values; lengths in cm as entered, all inner sizes.
struct PortInput {
    PortVolumeMode volumeMode = PortVolumeMode::Explicit;
    double volume = 50; // litres, "Gehäusevolumen incl. Kanal [Liter]"
    double b = 20;      // cm, inner width of the box
    double h = 98;      // cm, inner height
    double t = 23;      // cm, inner depth
    int damping = 0;    // "Bedämpfung" 0 "keine Wolle" .. 4 "stark gestopft" (clamped)
    PortShape shape = PortShape::Rectangular;
    double c = 8;  // cm, port height (Maß c)
    double e = 20; // cm, port width (Maß e)
    double d = 7;  // cm, tube diameter
    int tubes = 1; // number of tubes, 1..4 (clamped)
    double l = 15; // cm, port length
    double g = 10; // cm, distance to the opposite wall (Maß g)
    double f = 0;  // cm, distance to the floor
    double k = 90; // cm, distance to the top
    double i = 0;  // cm, distance to the left wall
    double j = 0;  // cm, distance to the right wall
};

// Intermediate and final values, SI; only valid where `tuned` is set.
struct PortTuning {
    double volume = 0;             // m³ incl. port
    double area = 0;               // m², all tubes
    double circumference = 0;      // m, all tubes
    double ductVolume = 0;         // m³ (one tube of a round port)
    double geometricVolume = 0;    // m³
    double acousticVolume = 0;     // m³
    double innerEndCorrection = 0; // m, h
    double fb1 = 0;                // Hz, Helmholtz tuning of the port alone
    double fbPort = 0;             // Hz, fb' (with the gap resonator of round tubes)
    double meanWallDistance = 0;   // m, W
    double fb = 0;                 // Hz, final tuning
    double vmax = 0;               // m/s rms
    double reynolds = 0;
    double xmax = 0;    // m rms
    double splMax = 0;  // dB, half space
    bool tuned = false; // every check passed and every value is finite
};

struct PortResult {
    PortTuning tuning;
    std::vector<std::string> lines; // Latin-1; empty when the volume is <= 0
};

PortResult calcPort(const PortInput& input);

// Entry names: volmode (explizit|bxhxt), v, b, h, t, damping, shape (rechteckig|rund), c, e, d,
// tubes, l, g, f, k, i, j.
std::span<const CalcField<PortInput>> portFields();
bool setPortField(PortInput& input, std::string_view name, std::string_view text);

} // namespace sonora

// The drivers that sound in a result, and the impulse and step responses of the box and of each
// of them on axis (each driver as engine/box_sum.h's driverOnAxis gives it).
#pragma once

#include <string>
#include <vector>

#include "analysis/impulse_response.h"
#include "model/complex.h"
#include "model/result.h"

namespace sonora {

// Driver slots below nChassis (limited to the record) that lie in a network, rising.
std::vector<int> soundingDrivers(const TResult& r);

// The impulse and step responses of the box on axis and of each sounding driver.
struct OnAxisImpulses {
    ImpulseResponse box;
    std::vector<int> drivers;                     // slots, as soundingDrivers
    std::vector<ImpulseResponse> driverResponses; // one per entry of drivers
};

// The settings for a result's grid: 48 kHz, doubled while half of it does not lie above the
// grid's highest frequency; the length grows with the rate so that the time span stays 1.37 s.
ImpulseSettings impulseSettingsFor(const TResult& r);

// Transforms the box (fgang_box on axis) and each sounding driver. False with a German message
// (UTF-8) for a result that is not valid or a grid the transform cannot use.
bool computeOnAxisImpulses(const TResult& r, const ImpulseSettings& settings, OnAxisImpulses& out,
                           std::string& error);

// How a response was carried into time, for charts and files (Latin-1):
// "Abtastrate 48000 Hz, Länge 65536 Punkte (1,365 s), t = 0 nach 1 ms Vorlauf"
// "Fenster: unter 20 Hz Steigung der untersten Oktave (12 dB/Oktave), über 20000 Hz halbes
// Hann-Fenster bis 24000 Hz"
std::string impulseRateText(const ImpulseResponse& ir);
std::string impulseWindowText(const ImpulseResponse& ir);

} // namespace sonora

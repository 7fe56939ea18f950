#include "measure/driver_import.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string_view>

#include "model/physics.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

// Lowest frequency of a stored level that "Pegel ändern" changes, Hz.
constexpr double kLowestChangedFrequency = 0.001;
// Entries a driver's curve takes from a ".lim" file; index 600 holds the terminating 0.
constexpr int kMaxLimEntries = kCurvePoints - 1;

} // namespace

bool importFrequencyResponseForDriver(const std::string& fileName, TChassis& chassis,
                                      UserPrompt& prompt, const ChooseFile& chooseFile) {
    const TextImportResult result =
        importResponseText(ResponseKind::Frequency, fileName, chassis.fgangaf, chassis.fganga,
                           chassis.fgangapf, chassis.fgangap, prompt, chooseFile);
    if (!result.ok) {
        return false;
    }
    // Asked after every successful import; a phase-only import has no levels to shift, and the
    // levels the driver already holds stay as they are. "%d" asks for a whole number.
    std::string answer = "90";
    std::optional<double> fileLevel;
    if (prompt.askValue("Pegelanpassung", "Welcher Wert in der Datei entspricht 90dB/2,83V/m? %d",
                        answer)) {
        fileLevel = parseTypedNumber(answer);
    }
    const double shift = kReferenceLevelDb - fileLevel.value_or(kReferenceLevelDb);
    for (int i = 0; result.wroteValues && i < result.records; ++i) {
        chassis.fganga[i] += shift;
    }
    return true;
}

bool changeMeasuredLevel(TChassis& chassis, UserPrompt& prompt) {
    std::string answer = "0";
    if (!prompt.askValue(utf8ToLatin1("Pegeländerung"),
                         utf8ToLatin1("Meßdaten im Pegel ändern [dB] %d"), answer)) {
        return false;
    }
    const std::optional<double> typed = parseTypedNumber(answer);
    if (!typed) {
        return false;
    }
    const double shift = *typed;
    for (int i = 0; i < kCurvePoints && chassis.fgangaf[i] > 0.0; ++i) {
        if (chassis.fgangaf[i] >= kLowestChangedFrequency) {
            chassis.fganga[i] += shift;
        }
    }
    return true;
}

int writeLimImpedance(const TLim& lim, TChassis& chassis) {
    const int available = std::min(lim.nLimData, static_cast<int>(lim.LimData.size()));
    int count = 0;
    for (; count < available && count < kMaxLimEntries; ++count) {
        const TLimRecord& r = lim.LimData[count];
        if (!(r.f > 0.0f) || !std::isfinite(r.f) || !std::isfinite(r.z) ||
            !std::isfinite(r.phase)) {
            break;
        }
        chassis.fgangif[count] = r.f;
        chassis.fgangipf[count] = r.f;
        chassis.fgangi[count] = r.z;
        chassis.fgangip[count] = static_cast<double>(r.phase) * kRadiansPerDegree;
    }
    chassis.fgangif[count] = 0.0;
    chassis.fgangipf[count] = 0.0;
    return count;
}

bool importLimForDriver(const std::string& fileName, TChassis& chassis, std::string& message) {
    TLim lim;
    if (!lim.Loadfromfile(fileName)) {
        message = lim.message();
        return false;
    }
    message.clear();
    writeLimImpedance(lim, chassis);
    return true;
}

} // namespace sonora

#include "engine/measurement_baffle.h"

#include <memory>

#include "acoustics/baffle.h"
#include "storage/latin1.h"

namespace sonora {

std::string BaffleModelMeasurement::axisResponse(const TSchallwand& schallwand,
                                                 const TChassis& chassis, const double* freq,
                                                 Complex* axis) const {
    struct Response {
        BaffleResponse rows; // 370 KB: on the heap
    };
    std::unique_ptr<Response> response;
    try {
        response = std::make_unique<Response>();
    } catch (...) {
        return utf8ToLatin1("Unbekannter Fehler.");
    }
    const BaffleResponse& out = response->rows;
    std::string text;
    CalcBaffle(response->rows, schallwand, chassis, text, kBaffleGridCount, freq,
               chassis.membranform);
    // The caller's axis holds one entry per grid point (at most kResultFreqs - 1).
    const int rows = baffleGridRows(freq, kResultFreqs - 1);
    for (int i = 0; i < rows; ++i) {
        axis[i] = out[i][0];
    }
    return text;
}

const MeasurementBaffle& defaultMeasurementBaffle() {
    static const BaffleModelMeasurement model;
    return model;
}

} // namespace sonora

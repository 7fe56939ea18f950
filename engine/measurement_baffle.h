// The baffle model as the driver stage's measurement baffle: the default of measurementBaffle().
#pragma once

#include "engine/driver_model.h"

namespace sonora {

// Direction 0 of CalcBaffle for the given baffle and driver (with the driver's membranform).
// Stateless: every call works on its own memory, so all run objects share the one instance.
class BaffleModelMeasurement final : public MeasurementBaffle {
public:
    std::string axisResponse(const TSchallwand& schallwand, const TChassis& chassis,
                             const double* freq, Complex* axis) const override;
};

// The instance measurementBaffle() returns while no other model is set.
const MeasurementBaffle& defaultMeasurementBaffle();

} // namespace sonora

// The whole box in the horizontal and the vertical plane, 361 angles in 1° steps.
#pragma once

#include <bitset>
#include <vector>

#include "model/records.h"
#include "model/result.h"

namespace sonora {

// The angles of each plane the box stage computes, by angle index n as in fgang_box_h. An
// optimizer run object needs only the ones its rating reads; everything shown or exported has
// all of them.
struct PlaneAngles {
    static constexpr int kPlanes = 2; // 0 horizontal, 1 vertical
    std::bitset<kPlaneAngles> angles[kPlanes];

    static PlaneAngles all();
    bool isAll() const;
    bool operator==(const PlaneAngles& other) const;
};

class PlaneSummation {
public:
    // Directions, interpolation weights and the outlets' projections are fixed
    // here, once per stage call, for the selected angles only. The sources are the drivers in a
    // network, as for fgang_box.
    PlaneSummation(const TProjekt& p, const TResult& res,
                   const PlaneAngles& selected = PlaneAngles::all());

    // fgang_box_h[i] and fgang_box_v[i], f in Hz. Angle index n is the angle n - 180° (180 the
    // axis); n < 180 lies towards -A (horizontal) or -B (vertical), n > 180 towards +A or +B.
    // At n = 180 the sum is the same, bit for bit, as fgang_box[i][0]. A selected angle gets the
    // same value, bit for bit, whatever else is selected; the others are set to 0.
    void sum(TResult& res, int i, double f);

private:
    static constexpr int kPlanes = PlaneAngles::kPlanes;
    struct Driver {
        int d;
        int mode[kSides];                                // per side: 0 30° rings, 1 5° rings
        std::vector<double> projection[kPlanes][kSides]; // per selected angle, m
    };
    std::vector<int> angle_[kPlanes];        // the selected angle indices, ascending
    std::vector<int> index_[kPlanes][2];     // per plane and mode: four directions per angle
    std::vector<double> weight_[kPlanes][2]; // their weights
    std::vector<Driver> drivers_;
    std::vector<double> phase_, cos_[kSides], sin_[kSides];
};

} // namespace sonora

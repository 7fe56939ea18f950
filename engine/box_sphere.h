// The directivity ratio of the box (fgang_bmass): on-axis magnitude over the root-mean-square
// magnitude over the sphere, from a sparse sampling of a 722 × 361 grid of directions.
#pragma once

#include <vector>

#include "model/records.h"
#include "model/result.h"

namespace sonora {

// Every step-th point of the sphere grid is sampled: about 771 points for the interactive run
// object, about 111 for the optimizer's (which calculate many candidates).
inline constexpr int kSphereStepInteractive = 338;
inline constexpr int kSphereStepOptimizer = 338 + 2028;
int sphereStep(bool isOptimizeThread);

class SphereIntegration {
public:
    // Samples, their directions, interpolation weights and the outlets' projections
    // are fixed here, once per stage call. The sources are the sides of the drivers below
    // nChassis that are in a network (the others radiate nothing). step >= 1.
    SphereIntegration(const TProjekt& p, const TResult& res, int step);

    // fgang_bmass at grid index i, f in Hz: sqrt(|fgang_box[i][0]|² / S) with S the cos-weighted
    // mean of |P|² over the samples times 1.001024, or 0 if S <= 0. Reads fgang_chas[..][..][i]
    // and fgang_box[i][0].
    double directivityRatio(const TResult& res, int i, double f);

    int samples() const { return points_; }

private:
    struct Source {
        int d;
        int s;
        int mode;                       // 0: 30° rings, 1: 5° rings
        std::vector<double> projection; // per sample, m
    };
    int points_ = 0;
    double weightSum_ = 0.0; // Σ cos e over the samples
    std::vector<double> cosElevation_;
    std::vector<int> index_[2];     // per mode: four table directions per sample
    std::vector<double> weight_[2]; // per mode: their weights (0 pads unused entries)
    std::vector<Source> sources_;
    std::vector<double> phase_, cos_, sin_, pRe_, pIm_;
};

} // namespace sonora

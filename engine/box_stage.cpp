// The box stage: the whole box in every direction, its directivity and its limits.
#include <atomic>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "engine/box_group_delay.h"
#include "engine/box_planes.h"
#include "engine/box_sphere.h"
#include "engine/box_stage.h"
#include "engine/box_sum.h"
#include "engine/calc_thread.h"
#include "engine/limits.h"
#include "engine/stages.h"
#include "engine/worker_pool.h"
#include "model/frequency_grid.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

const char kMsgFault[] = "Fehler: Gesamtbox kann nicht berechnet werden.";

// Grid rows a worker takes at a time: small enough that two workers end close together on a grid
// of 250 points, large enough that handing out chunks costs nothing next to computing them.
constexpr int kRowsPerChunk = 8;

// Σ x·0 is 0 while every x is finite and NaN as soon as one is not: one test per frequency
// instead of a branch per value (needs strict IEEE arithmetic, as the whole engine does).
double probe(const Complex* v, int n) {
    double p = 0.0;
    for (int k = 0; k < n; ++k) {
        p += v[k].re * 0.0 + v[k].im * 0.0;
    }
    return p;
}

bool finiteAt(const TResult& res, int i) {
    double p = 0.0;
    for (int d = 0; d < kMaxChassis; ++d) {
        if (networkAmp(res, d) < 0) {
            continue; // its responses were just set to 0
        }
        for (int s = 0; s < kSides; ++s) {
            p += probe(res.fgang_chas[d][s][i], kDirections);
            p += probe(res.fgang_chassis[d][s][i], kDirections);
        }
    }
    p += probe(res.fgang_box[i], kDirections);
    p += probe(&res.fgang_box_inc_o[i], 1) + probe(&res.fgang_box_inc_u[i], 1);
    p += probe(res.fgang_box_h[i], kPlaneAngles) + probe(res.fgang_box_v[i], kPlaneAngles);
    p += res.fgang_bmass[i] * 0.0;
    for (int d = 0; d <= kBoxSlot; ++d) {
        p += res.fgang_peg[d][i] * 0.0 + res.fgang_Uel_preamp[d][i] * 0.0 +
             res.fgang_Uel_preamp_mech[d][i] * 0.0;
    }
    return std::isfinite(p);
}

bool groupDelaysFinite(const TResult& res, int n) {
    double p = 0.0;
    for (int d = 0; d <= kBoxSlot; ++d) {
        for (int i = 0; i < n; ++i) {
            p += res.fgang_glz[d][i] * 0.0;
        }
    }
    return std::isfinite(p);
}

// After a failure: the values the stage left that are not finite become 0, so that neither the
// charts nor the export nor the next run (whose box sums these rows again) see them. The stage's
// message tells the user that the box could not be computed.
void clearNonFinite(double* v, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        if (!std::isfinite(v[k])) {
            v[k] = 0.0;
        }
    }
}

template <typename T> void clearNonFinite(T& array) {
    // Every array here holds doubles, some as the two halves of a Complex.
    constexpr std::size_t kBytes = sizeof(T);
    static_assert(kBytes % sizeof(double) == 0);
    clearNonFinite(reinterpret_cast<double*>(&array), kBytes / sizeof(double));
}

void clearNonFiniteBoxValues(TResult& res) {
    clearNonFinite(res.fgang_chas);
    clearNonFinite(res.fgang_chassis);
    clearNonFinite(res.fgang_box);
    clearNonFinite(res.fgang_box_inc_o);
    clearNonFinite(res.fgang_box_inc_u);
    clearNonFinite(res.fgang_box_h);
    clearNonFinite(res.fgang_box_v);
    clearNonFinite(res.fgang_glz);
    clearNonFinite(res.fgang_Uel_preamp);
    clearNonFinite(res.fgang_Uel_preamp_mech);
    clearNonFinite(res.fgang_peg);
    clearNonFinite(res.fgang_bmass);
}

} // namespace

bool computeBox(const TProjekt& p, TResult& res, int sphereStep, const PlaneAngles& planeAngles,
                WorkerPool* pool) {
    const int n = gridPointCount(p.freq);
    // One set of scratch objects per worker, made by the worker on its first chunk. Every object
    // is made from the same inputs and each grid row depends on nothing but those inputs and its
    // own index, so a row comes out the same bit for bit whichever worker computes it.
    struct Scratch {
        Scratch(const TProjekt& p, const TResult& res, int sphereStep, const PlaneAngles& angles)
            : drivers(p, res), sphere(p, res, sphereStep), planes(p, res, angles) {}
        DriverSummation drivers;
        SphereIntegration sphere;
        PlaneSummation planes;
    };
    const int workers = pool != nullptr ? pool->workers() : 1;
    std::vector<std::optional<Scratch>> scratch(static_cast<std::size_t>(workers));
    std::atomic<int> firstFault{n}; // lowest grid index found not finite
    auto rows = [&](int worker, int begin, int end) {
        std::optional<Scratch>& s = scratch[static_cast<std::size_t>(worker)];
        if (!s) {
            s.emplace(p, res, sphereStep, planeAngles);
        }
        for (int i = begin; i < end && i < firstFault.load(); ++i) {
            const double f = p.freq[i];
            excursionLevels(p, res, i);
            s->drivers.sum(p, res, i, f);
            inputVoltageLimits(p, res, i);
            res.fgang_bmass[i] = s->sphere.directivityRatio(res, i, f);
            s->planes.sum(res, i, f);
            if (!finiteAt(res, i)) {
                int seen = firstFault.load();
                while (i < seen && !firstFault.compare_exchange_weak(seen, i)) {
                }
                return;
            }
        }
    };
    if (pool != nullptr) {
        pool->parallelFor(n, kRowsPerChunk, rows);
    } else {
        rows(0, 0, n);
    }
    if (firstFault.load() < n) {
        return false;
    }
    fillGroupDelays(res, p.freq, n);
    return groupDelaysFinite(res, n);
}

void CalcBoxAtPlaneAngles(TCalcThread& calc, const PlaneAngles& planes) {
    bool ok = false;
    try {
        ok = computeBox(*calc.aktProjekt, *calc.Res, sphereStep(calc.isOptimizeThread), planes,
                        calc.pool());
    } catch (...) {
        ok = false; // only the stage's scratch memory can fail; no exception leaves the stage
    }
    if (!ok) {
        clearNonFiniteBoxValues(*calc.Res);
    }
    calc.CalcStruct.bfgang_box.assign(ok ? std::string(kStatusOk) : utf8ToLatin1(kMsgFault));
}

void CalcBox(TCalcThread& calc) {
    CalcBoxAtPlaneAngles(calc, PlaneAngles::all());
}

} // namespace sonora

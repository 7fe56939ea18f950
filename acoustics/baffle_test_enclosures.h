// The two tabulated test enclosures on which driver responses are measured.
//
// Small and large side of the test cabinet: fitted diffraction components instead of edges.
#pragma once

#include <array>

#include "model/complex.h"

namespace sonora {

inline constexpr int kTestEnclosureCapacity = 101;
inline constexpr int kTestEnclosureSpread = 5; // each component is spread over i = -5..5

struct TestEnclosureTable {
    int count;                                    // components in use (50)
    std::array<double, kTestEnclosureCapacity> x; // path length, m
    std::array<double, kTestEnclosureCapacity> a; // amplitude
    std::array<double, kTestEnclosureCapacity> y; // relative spread of the path length
};

// Direction -2 (small side) selects table A, every other negative direction table B.
const TestEnclosureTable& testEnclosureTable(int direction);

// The summed components of one table, set up once per call.
class TestEnclosureModel {
public:
    explicit TestEnclosureModel(const TestEnclosureTable& table);

    // Σ over components b and i = -5..5 of (a_b·0.5/11)·(5λ²/(x_b + 5λ²))·e^(-j·k·x_b·(1 +
    // i·|i|^0.25·y_b)), lambda in m. The axis response is D[0] − D90 times this sum.
    Complex edges(double lambda) const;

private:
    static constexpr int kTerms = 2 * kTestEnclosureSpread + 1;
    static constexpr int kMaxPaths = kTestEnclosureCapacity * kTerms;
    const TestEnclosureTable& table_;
    int paths_;
    double maxAbs_;
    std::array<double, kMaxPaths> s_; // path length of every spread term, m
};

} // namespace sonora

#include "acoustics/baffle_turns.h"

#include <array>

namespace sonora {

namespace {

constexpr int kTurned = 30; // directions 0..29 take part

using Permutation = std::array<int, kTurned>;

// Direction k of the turned pattern is direction p[k] of the pattern before the turn.
constexpr Permutation kHorizontal = {12, 28, 8,  27, 16, 29, 4,  26, 20, 9, 0, 11, 21, 22, 2,
                                     25, 18, 23, 6,  24, 14, 10, 5,  1,  3, 7, 15, 19, 17, 13};
constexpr Permutation kVertical = {11, 7,  25, 15, 26, 3,  24, 19, 27, 0,  10, 21, 12, 1, 23,
                                   17, 28, 5,  22, 13, 29, 9,  2,  6,  14, 18, 20, 16, 8, 4};
constexpr Permutation kToRear = {21, 17, 18, 19, 20, 13, 14, 15, 16, 9,  10, 11, 12, 5,  6,
                                 7,  8,  1,  2,  3,  4,  0,  22, 23, 24, 25, 26, 27, 28, 29};

void permute(const Permutation& p, const double* freq, int count, BaffleResponse& response) {
    const int rows = baffleGridRows(freq, count);
    for (int i = 0; i < rows; ++i) {
        std::array<Complex, kTurned> old;
        for (int k = 0; k < kTurned; ++k) {
            old[k] = response[i][k];
        }
        for (int k = 0; k < kTurned; ++k) {
            response[i][k] = old[p[k]];
        }
    }
}

} // namespace

void TurnHorizontal(const double* freq, int count, BaffleResponse& response) {
    permute(kHorizontal, freq, count, response);
}

void TurnVertical(const double* freq, int count, BaffleResponse& response) {
    permute(kVertical, freq, count, response);
}

void TurnToRear(const double* freq, int count, BaffleResponse& response) {
    permute(kToRear, freq, count, response);
}

} // namespace sonora

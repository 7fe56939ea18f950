// Discrete Fourier transform of real samples for the measurement tools, through FFTW3.
#pragma once

#include <complex>
#include <mutex>
#include <vector>

namespace sonora {

// FFTW's planner is not thread-safe: creating and destroying plans must never run in two threads
// at once, while executing a finished plan may. Every FFTW plan of the program is made and
// destroyed under this lock.
std::mutex& fftwPlannerLock();

// bins[k] = sum over m of samples[m] * e^(-2 pi i k m / n), k = 0 .. n/2, unscaled, for the
// n = samples.size() samples. Any n >= 1 (not only powers of two). Safe to call from several
// threads. False (bins empty) for no samples or when memory runs out.
bool realForwardDft(const std::vector<double>& samples, std::vector<std::complex<double>>& bins);

} // namespace sonora

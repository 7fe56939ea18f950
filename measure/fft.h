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

// The inverse of realForwardDft: samples[m] = sum over k of bins[k] * e^(2 pi i k m / n) over the
// whole Hermitian spectrum of n = 2 * (bins.size() - 1) samples, unscaled (a forward and an inverse
// transform give n times the samples). The imaginary parts of bins[0] and bins[n/2] are ignored.
// Safe to call from several threads. False (samples empty) for fewer than 2 bins or when memory
// runs out.
bool realInverseDft(const std::vector<std::complex<double>>& bins, std::vector<double>& samples);

} // namespace sonora

#include "measure/fft.h"

#include <algorithm>
#include <limits>
#include <memory>

#include <fftw3.h>

namespace sonora {

namespace {

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};

} // namespace

std::mutex& fftwPlannerLock() {
    static std::mutex lock;
    return lock;
}

bool realForwardDft(const std::vector<double>& samples, std::vector<std::complex<double>>& bins) {
    bins.clear();
    if (samples.empty() ||
        samples.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return false;
    }
    const int n = static_cast<int>(samples.size());
    const std::size_t binCount = samples.size() / 2 + 1;
    // FFTW's own allocation gives the alignment its SIMD code expects.
    std::unique_ptr<double, FftwFree> in(fftw_alloc_real(samples.size()));
    std::unique_ptr<fftw_complex, FftwFree> out(fftw_alloc_complex(binCount));
    if (!in || !out) {
        return false;
    }
    fftw_plan plan = nullptr;
    {
        // FFTW_ESTIMATE plans without running trial transforms, so the lock is held briefly and
        // the arrays are not touched while planning.
        std::lock_guard<std::mutex> guard(fftwPlannerLock());
        plan = fftw_plan_dft_r2c_1d(n, in.get(), out.get(), FFTW_ESTIMATE);
    }
    if (plan == nullptr) {
        return false;
    }
    std::copy(samples.begin(), samples.end(), in.get());
    fftw_execute(plan);
    bins.resize(binCount);
    for (std::size_t k = 0; k < binCount; ++k) {
        bins[k] = {out.get()[k][0], out.get()[k][1]};
    }
    std::lock_guard<std::mutex> guard(fftwPlannerLock());
    fftw_destroy_plan(plan);
    return true;
}

} // namespace sonora

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

bool realInverseDft(const std::vector<std::complex<double>>& bins, std::vector<double>& samples) {
    samples.clear();
    if (bins.size() < 2 ||
        bins.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 2)) {
        return false;
    }
    const std::size_t count = 2 * (bins.size() - 1);
    std::unique_ptr<fftw_complex, FftwFree> in(fftw_alloc_complex(bins.size()));
    std::unique_ptr<double, FftwFree> out(fftw_alloc_real(count));
    if (!in || !out) {
        return false;
    }
    fftw_plan plan = nullptr;
    {
        // FFTW_ESTIMATE: no trial transforms, see realForwardDft. A complex-to-real transform
        // overwrites its input, which is a copy here.
        std::lock_guard<std::mutex> guard(fftwPlannerLock());
        plan = fftw_plan_dft_c2r_1d(static_cast<int>(count), in.get(), out.get(), FFTW_ESTIMATE);
    }
    if (plan == nullptr) {
        return false;
    }
    for (std::size_t k = 0; k < bins.size(); ++k) {
        in.get()[k][0] = bins[k].real();
        in.get()[k][1] = bins[k].imag();
    }
    in.get()[0][1] = 0; // the two real bins, whatever FFTW would make of an imaginary part
    in.get()[bins.size() - 1][1] = 0;
    fftw_execute(plan);
    samples.assign(out.get(), out.get() + count);
    std::lock_guard<std::mutex> guard(fftwPlannerLock());
    fftw_destroy_plan(plan);
    return true;
}

} // namespace sonora

#include "model/sin_cos.h"

namespace sonora {

void sinCosArray(const double* __restrict x, double* __restrict c, double* __restrict s, int n) {
    for (int i = 0; i < n; ++i) {
        fastSinCos(x[i], s[i], c[i]);
    }
}

} // namespace sonora

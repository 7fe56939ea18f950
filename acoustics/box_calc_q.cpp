#include "acoustics/box_calc_q.h"

#include <cmath>

#include "acoustics/box_calc_text.h"
#include "storage/numbers.h"

namespace sonora {

std::string qtsFieldText(double qes, double qms) {
    const double product = qes * qms;
    if (!(product > 0) || !std::isfinite(product)) {
        return {};
    }
    const double qts = product / (qes + qms);
    if (!std::isfinite(qts)) { // e.g. two huge values whose sum overflows
        return {};
    }
    return compactNumberText(kDriverFieldDigits, qts);
}

double pageQts(double qts, bool qesQmsKnown, double qes, double qms) {
    if (!qesQmsKnown) {
        return finiteOrZero(qts);
    }
    return finiteOrZero(parseFloat(qtsFieldText(finiteOrZero(qes), finiteOrZero(qms))).value);
}

double effectiveQ(double qts, bool& seriesResistor, double rdc, double rv) {
    if (!seriesResistor) {
        return qts;
    }
    if (!(rdc > 0)) {
        seriesResistor = false;
        return qts;
    }
    return qts * (rdc + rv) / rdc;
}

} // namespace sonora

#include "optimizer/opti_fixpart.h"

#include "optimizer/opti_eseries.h"

namespace sonora {

bool roundFixpartToSeries(TPart& fixpart, FixChoice resistors, FixChoice capacitors) {
    FixChoice choice = FixChoice::Manual;
    if (fixpart.typ == kPartResistor) {
        choice = resistors;
    } else if (fixpart.typ == kPartCapacitor) {
        choice = capacitors;
    }
    if (choice == FixChoice::Manual) {
        return false;
    }
    fixpart.value =
        roundToSeries(fixpart.value, choice == FixChoice::E6 ? ESeries::E6 : ESeries::E12);
    return true;
}

} // namespace sonora

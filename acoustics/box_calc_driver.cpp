#include "acoustics/box_calc_driver.h"

#include <memory>

#include "acoustics/box_calc_closed.h"
#include "acoustics/box_calc_ebp.h"
#include "acoustics/box_calc_q.h"
#include "acoustics/box_calc_text.h"
#include "model/units.h"
#include "storage/driver_file.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

// The value as its entry field shows it after loading.
double field(double value) {
    return throughField(kDriverFieldDigits, value);
}

std::string loadedMessage(const TChassis& chassis) {
    // The name is Latin-1 already; only the literals are converted.
    return utf8ToLatin1("\nDaten von ") + chassis.name.str() + utf8ToLatin1(" wurden geladen.");
}

template <class Input>
bool loadFromFile(const std::string& path, Input& input, UserPrompt& prompt, std::string& message) {
    // A TChassis holds every measured curve and is too large for the stack.
    auto chassis = std::make_unique<TChassis>();
    // The calculators take fs, qes, qms, Vas and Rdc, which the voice-coil fit of old files leaves
    // as read: no fit needed.
    if (!loadDriver(*chassis, path, /*scrambled=*/true, prompt)) {
        return false;
    }
    message = loadDriverParameters(*chassis, input);
    return true;
}

} // namespace

std::string loadDriverParameters(const TChassis& chassis, ClosedVentedInput& input) {
    input.qesQmsKnown = true;
    input.fs = field(chassis.fs);
    input.qes = field(chassis.qes);
    input.qms = field(chassis.qms);
    input.vas = field(chassis.vas * kLitresPerCubicMetre);
    input.rdc = field(chassis.Rdc);
    return loadedMessage(chassis);
}

std::string loadDriverParameters(const TChassis& chassis, EbpInput& input) {
    input.qesQmsKnown = true;
    input.fs = field(chassis.fs);
    input.qes = field(chassis.qes);
    input.qms = field(chassis.qms);
    return loadedMessage(chassis);
}

bool loadDriverFileParameters(const std::string& path, ClosedVentedInput& input, UserPrompt& prompt,
                              std::string& message) {
    return loadFromFile(path, input, prompt, message);
}

bool loadDriverFileParameters(const std::string& path, EbpInput& input, UserPrompt& prompt,
                              std::string& message) {
    return loadFromFile(path, input, prompt, message);
}

} // namespace sonora

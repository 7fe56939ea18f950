// The driver editor's measurement actions on a driver record: text import with the level
// question, level change, and the impedance of a ".lim" file.
#pragma once

#include <string>

#include "measure/lim_file.h"
#include "measure/text_import.h"
#include "model/records.h"
#include "model/user_prompt.h"

namespace sonora {

// Level the imported frequency response is meant to be at, dB at 2.83 V / 1 m.
inline constexpr double kReferenceLevelDb = 90.0;

// "Import aus Textdatei ..." for the frequency response: Import_FGang_txt into the driver, then,
// when levels were written, the question "Pegelanpassung" (which value of the file is 90 dB;
// cancelled or no number counts as 90) and 90 - answer added to every imported level.
bool importFrequencyResponseForDriver(const std::string& fileName, TChassis& chassis,
                                      UserPrompt& prompt, const ChooseFile& chooseFile = {});

// "Pegel ändern ...": asks for a level change in dB ("Pegeländerung") and adds it to every stored
// level whose frequency is >= 0.001 Hz. False when cancelled or no number was entered.
bool changeMeasuredLevel(TChassis& chassis, UserPrompt& prompt);

// Writes the records of `lim` in order into the driver's impedance curves (frequency into
// fgangif and fgangipf, magnitude into fgangi, phase in radians into fgangip), stopping at the
// first record whose frequency is not > 0 or that holds a value that is not finite, and after
// at most 600 records; both lists end with frequency 0. Returns the records written.
int writeLimImpedance(const TLim& lim, TChassis& chassis);

// "Import aus Lim-Datei ...": loads the file and writes its impedance into the driver. False,
// with the driver unchanged and `message` (Latin-1) set, when the file cannot be read.
bool importLimForDriver(const std::string& fileName, TChassis& chassis, std::string& message);

} // namespace sonora

#include "storage/driver_file.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "model/user_prompt.h"
#include "storage/chassis_keys.h"
#include "storage/latin1.h"
#include "storage/my_ini_file.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr char kHeaderSection[] = "Header";
constexpr char kVersionKey[] = "Version";
constexpr int kFirstFitVersion = 1000; // files of this version lack the voice-coil values

const char kMsgRetired[] = "Dieses Dateiformat wird nicht mehr unterstützt.\r\nBitte verwenden Sie "
                           "die aktuelle Chassisdatei.";
const char kMsgWrongFormat[] = "Datei hat falsches Datenformat.";
const char kMsgLoadedWithOutlet[] = "Chassis wurde geladen.\rAkustischer Durchmesser auf "
                                    "Schallwand wurde aus Chassisdatei übernommen.";
const char kMsgLoaded[] = "Chassis wurde geladen.";

} // namespace

bool isReadableDriverVersion(int version) {
    constexpr int kFirst = 1000, kLastFirstSeries = 1002;
    constexpr int kSecond = 1103, kLastSecondSeries = 1108;
    constexpr int kThird = 1200;
    return (version >= kFirst && version <= kLastFirstSeries) ||
           (version >= kSecond && version <= kLastSecondSeries) || version == kThird ||
           version == kDriverFileVersion;
}

bool isRetiredDriverVersion(int version) {
    constexpr int kFirstRetired = 1201, kLastRetired = 1999;
    return version >= kFirstRetired && version <= kLastRetired;
}

bool saveDriver(const TChassis& chassis, const std::string& path, const std::string& makerText,
                UserPrompt& prompt) {
    TMyIniFile ini(path, /*behalteExistierende=*/false, /*bAllowchange=*/true, /*bKrypt=*/true,
                   /*bCompress=*/true);
    ini.WriteInteger(kHeaderSection, kVersionKey, kDriverFileVersion);
    writeChassisKeys(ini, kDriverSection, chassis, makerText, dateText(today()));
    const bool ok = ini.save();
    showMessages(ini.messages(), prompt);
    return ok;
}

bool loadDriver(TChassis& chassis, const std::string& path, bool scrambled, UserPrompt& prompt,
                OldFileVoiceCoilFit fit) {
    TMyIniFile ini(path, /*behalteExistierende=*/true, /*bAllowchange=*/false, scrambled,
                   scrambled);
    // A damaged file is refused whole (its messages name it), even when the part that could be
    // read holds a version: the rest of the driver would silently keep its old values.
    const int version = ini.readRefused() ? 0 : ini.ReadInteger(kHeaderSection, kVersionKey, 0);
    if (!isReadableDriverVersion(version)) {
        showMessages(ini.messages(), prompt);
        prompt.showMessage(
            utf8ToLatin1(isRetiredDriverVersion(version) ? kMsgRetired : kMsgWrongFormat));
        return false;
    }
    readChassisKeys(ini, kDriverSection, version, chassis);
    if (version == kFirstFitVersion && fit != nullptr) {
        fit(chassis);
    }
    return true;
}

std::string driverFileName(const std::string& dialogName) {
    const std::string_view ending = kDriverExtension;
    if (endsWithIgnoringAsciiCase(dialogName, ending)) {
        return dialogName.substr(0, dialogName.size() - ending.size()) + kDriverExtension;
    }
    return dialogName + kDriverExtension;
}

std::string applyLoadedDriverToBaffle(const TChassis& chassis, std::int32_t einbauTyp,
                                      TSchallwand& schallwand) {
    if (einbauTyp == kEinbauIntegriert || einbauTyp == kEinbauGeschlossen ||
        einbauTyp == kEinbauBassreflex) {
        // The outlet is the membrane: the diameter of a circle of area Sd, m.
        schallwand.swd = std::sqrt(4.0 * (chassis.Sd > 0.0 ? chassis.Sd : 0.0) / std::numbers::pi);
        return utf8ToLatin1(kMsgLoadedWithOutlet);
    }
    return utf8ToLatin1(kMsgLoaded);
}

bool loadDriverIntoEditor(TChassis& chassis, std::int32_t einbauTyp, TSchallwand& schallwand,
                          const std::string& path, UserPrompt& prompt, OldFileVoiceCoilFit fit) {
    if (!loadDriver(chassis, path, /*scrambled=*/true, prompt, fit)) {
        return false;
    }
    prompt.showMessage(applyLoadedDriverToBaffle(chassis, einbauTyp, schallwand));
    return true;
}

} // namespace sonora

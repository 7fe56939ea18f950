// The result charts as PNG files, drawn offscreen by the program's own chart module without a
// window (sonora-cli calc --plots). Only standard types here, so the command line stays free of Qt.
#pragma once

#include <string>
#include <vector>

#include "model/records.h"
#include "model/result.h"

namespace sonora::ui {

inline constexpr int kPlotWidth = 1200; // pixels of each picture
inline constexpr int kPlotHeight = 800;

struct PlotExport {
    std::vector<std::string> files; // written files (UTF-8 paths), in chart order
    std::vector<std::string>
        errors; // German messages (UTF-8): charts that failed, files not written
    bool ok() const { return errors.empty(); }
};

// A chart title as a file name: umlauts and ß spelled out, every run of other characters than
// letters, digits and "-" one "_", none at the ends, ".png" appended. "Bündelungsmaß" (Latin-1)
// gives "Buendelungsmass.png".
std::string plotFileName(const std::string& latin1Title);

// Draws the box response and impedance, phase, the four direction charts, maximum voltage,
// maximum level, driver voltages, directivity index, group delay, the spinorama with the rating
// beside it, the early-reflection groups and the impulse and step responses of `result` with the
// display options of `project`, then the directivity map in both planes
// ("Richtungs-Sonogramm_horizontal",
// "..._vertikal") and the polar charts ("Polarplots"), into `folder` (created when missing).
// Creates an offscreen application when the process has none (QT_QPA_PLATFORM=offscreen unless
// set).
PlotExport writeResultPlots(const TProjekt& project, const TResult& result,
                            const std::string& folder);

} // namespace sonora::ui

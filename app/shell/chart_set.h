// Every line chart of the main window with its titles, rebuilt from the window's copy of the last
// result and the project's display options, and its comparison layer for the reference project.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/chart_content.h"
#include "app/shell/chart_levels.h"
#include "model/result.h"

namespace sonora {

// The check boxes of the main window that decide which curves the box chart and the cursor show.
struct ChartSwitches {
    bool cursor = true;                           // "Frequenzcursor"
    bool impedance = true;                        // "Impedanzgang zeigen"
    bool energy = false;                          // "Energiefrequenzgang zeigen"
    bool singleDrivers = true;                    // "Frequenzgang Einzelchassis zeigen"
    int directionSet = kDefaultDirectionAngleSet; // "F-Gang Richtungen"
};

// Shown instead of a chart's axes before the first valid result, and when a valid result gives the
// chart no curves (UTF-8 here, Latin-1 in the content).
extern const char* const kNoResultText;
extern const char* const kNoCurvesText;
// Put before the names of the reference project's curves in the legend.
extern const char* const kReferencePrefix;

// "Unerwarteter Fehler: UpdateCharts mit " + internal name.
std::string updateChartsFailureText(const std::string& internalName);

class ChartSet {
public:
    // Fills the chart's curves and axes; may throw, which fails that chart only.
    using Builder = std::function<void(ChartContent& chart, const TResult& r, const TAnzOption& o,
                                       const ChartSwitches& s)>;

    ChartSet(); // every chart with its titles, no curves

    // Rebuilds every chart's current curves (the comparison layers stay). A chart whose rebuild
    // fails keeps no curves; its failure text is returned and the others are still rebuilt.
    std::vector<std::string> update(const TResult& r, const TAnzOption& o, const ChartSwitches& s);

    // Remembering a reference project: every chart's current curves become its comparison layer.
    void rememberComparison();
    // Deleting the reference project: every comparison layer is cleared.
    void clearComparison();

    const std::vector<ChartContent>& charts() const { return charts_; }
    int indexOf(ChartKind kind, int chassis = 0) const;
    const ChartContent& chart(ChartKind kind, int chassis = 0) const {
        return charts_[static_cast<std::size_t>(indexOf(kind, chassis))];
    }

    // Replaces the builder of one chart (tests make a chart fail with it).
    void replaceBuilder(int index, Builder builder);

    // The impulse and step responses of one update, transformed once for both time charts.
    struct TimeResponses;

private:
    std::vector<ChartContent> charts_;
    std::vector<Builder> builders_;
    std::shared_ptr<TimeResponses> time_;
};

} // namespace sonora

// The driver editor's page of measured directional responses: the switch between directivity
// from the membrane geometry and from the measurements, the number of directions present, one
// table of the common frequency column with level and phase per angle 5·j° (j = 0 .. 18), and a
// small plot of the levels of the directions present.
#pragma once

#include <QTableWidget>
#include <QWidget>

#include "app/shell/chart_content.h"
#include "model/records.h"

class QCheckBox;
class QComboBox;

namespace sonora::ui {

class ChartView;

// Angle step between two directional responses, degrees.
inline constexpr int kDirectionStepDegrees = 5;

// Rows are frequencies; column 0 the common frequency (Hz), then per angle j the level (dB) and
// the phase (degrees, stored in radians).
class DirectionTable : public QTableWidget {
    Q_OBJECT
public:
    explicit DirectionTable(QWidget* parent = nullptr);

    static int levelColumn(int angle) { return 1 + 2 * angle; }
    static int phaseColumn(int angle) { return 2 + 2 * angle; }

    // Shows the points before the first frequency <= 0 (at most 600) and one empty row to add a
    // point; the table counts as unchanged afterwards.
    void fill(const TRicht& richt);
    bool changed() const { return changed_; }
    // Writes the rows whose frequency reads as > 0 back in table order into fgangf, fgangau and
    // fgangpu, ends the lists with 0 and clears the rest. A cell whose text was not edited keeps
    // its exact stored value; an empty or unreadable value cell stores 0.
    void store(TRicht& richt) const;

private:
    double cellValue(int row, int column, double factor) const;
    bool filling_ = false;
    bool changed_ = false;
};

class DirectionsPage : public QWidget {
    Q_OBJECT
public:
    explicit DirectionsPage(QWidget* parent = nullptr);

    // Switch, count and table from the record; the page counts as unchanged afterwards.
    void show(const TRicht& richt);
    // Switch and count into the record, the table only when it was edited (an untouched table
    // keeps the record); a stored count outside 0..19 stays as it is while not chosen anew.
    void read(TRicht& richt) const;
    // The plot of the levels of the directions present in `richt`.
    void showPlot(const TRicht& richt, const TAnzOption& axes);

    QCheckBox* measuredSwitch() const { return measured_; }
    QComboBox* countChoice() const { return count_; }
    DirectionTable* table() const { return table_; }
    ChartView* plot() const { return plot_; }

signals:
    void edited(); // any switch, choice or cell changed by the user

private:
    QCheckBox* measured_ = nullptr;
    QComboBox* count_ = nullptr;
    DirectionTable* table_ = nullptr;
    ChartView* plot_ = nullptr;
};

// The chart of the levels (dB) of the directions 0 .. nRicht − 1, one curve per angle.
ChartContent directionalLevelsChart(const TRicht& richt, const TAnzOption& axes);

} // namespace sonora::ui

// The driver editor's measured-curve tables (frequency and value per row, phases in degrees)
// and the small plot of a driver's measured curves.
#pragma once

#include <QTableWidget>

#include "app/shell/chart_content.h"
#include "model/physics.h"
#include "model/records.h"

namespace sonora::ui {

// Significant digits of the table texts.
inline constexpr int kCurveTextDigits = 7;

// One measured curve: frequencies (Hz) and values (dB, Ohm, or radians shown in degrees).
class CurveTable : public QTableWidget {
    Q_OBJECT
public:
    // `factor`: shown value per stored value (kDegreesPerRadian for phases, else 1).
    CurveTable(const QString& valueHeader, double factor, QWidget* parent = nullptr);

    // Shows the points before the first frequency <= 0 (at most 600) and one empty row to add a
    // point; the table counts as unchanged afterwards.
    void fill(const double (&f)[kCurvePoints], const double (&v)[kCurvePoints]);
    // Points in the table (rows whose frequency reads as > 0).
    int points() const;
    bool changed() const { return changed_; }
    // Writes the rows whose frequency reads as > 0 back, in table order, ends the list with 0
    // and clears the rest. Only the user's edits need this: an unchanged table keeps the record.
    void store(double (&f)[kCurvePoints], double (&v)[kCurvePoints]) const;

private:
    double factor_;
    bool filling_ = false;
    bool changed_ = false;
};

// A chart of the measured curves of a driver: level (left axis, dB) or impedance (Ohm) with the
// phase on the right axis (degrees). `impedance` chooses the pair.
ChartContent measuredCurvesChart(const TChassis& chassis, bool impedance, const TAnzOption& axes);

} // namespace sonora::ui

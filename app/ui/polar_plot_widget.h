// The two polar charts of the tab "Polarplots": the level over angle at one grid frequency,
// "Horizontal" in the left half and "Vertikal" in the right half, with the level circles and the
// reference project's curve when one is remembered.
#pragma once

#include <QImage>
#include <QWidget>

#include "app/ui/directivity_fault.h"

namespace sonora {
class TDirPlot; // kept out of the header, see dir_map_widget.h
} // namespace sonora

namespace sonora::ui {

// Level range of both charts at one frequency, dB: the top circle is the loudest level of the
// shown curves rounded up to the circle spacing, the centre lies a fixed span below it.
struct PolarLevelRange {
    double min = 0;
    double max = 0;
};

class PolarPlotWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr double kCircleStep = 10; // dB between the level circles
    static constexpr double kSpan = 50;       // dB from the centre to the outer circle

    // `plot` holds the data sets; it must outlive the widget.
    explicit PolarPlotWidget(const TDirPlot& plot, QWidget* parent = nullptr);

    // The grid index of the current data set that is shown; repaints.
    void setGridIndex(int index);
    int gridIndex() const { return index_; }
    // The grid index of the remembered data set nearest the shown frequency (-1: none).
    int referenceGridIndex() const;

    PolarLevelRange levelRange() const;
    int paintCount() const { return paints_; }
    int curvesPainted() const { return curves_; } // curves of the last paint (both charts)

    void setFaultHandler(PaintFaultReporter::Handler handler);

    // The charts as a picture of the widget's size or of `size`, without a window.
    QImage renderImage();
    QImage renderImage(const QSize& size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paint(QPainter& p, const QSize& size);
    void paintChart(QPainter& p, const QRect& box, bool vertical, const PolarLevelRange& range);

    const TDirPlot& plot_;
    int index_ = 0;
    int paints_ = 0;
    int curves_ = 0;
    PaintFaultReporter faults_;
};

} // namespace sonora::ui

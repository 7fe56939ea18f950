// One line chart of the main window over QCustomPlot: logarithmic frequency axis, two title
// lines, the current curves, the comparison layer drawn dashed and thinner, the frequency cursor,
// and rendering to PNG and SVG without a window.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "app/shell/chart_content.h"

class QCustomPlot;
class QCPGraph;
class QCPItemStraightLine;
class QCPTextElement;

namespace sonora::ui {

class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);

    // Shows the content: titles, axes, curves and comparison layer. Titles and counts follow at
    // once; the graphs of a hidden view are built when it is shown.
    void setContent(const ChartContent& content);
    bool contentPending() const { return pending_ != nullptr; } // hidden, graphs not yet built
    QString title() const;
    QString subtitle() const;
    int curveCount() const;      // graphs of the current curves
    int comparisonCount() const; // graphs of the comparison layer

    // Curves drawn over the current ones and kept through setContent until replaced (the
    // comparison curves of the box chart); an empty list removes them.
    void setExtraCurves(const std::vector<ChartCurve>& curves);
    int extraCount() const { return static_cast<int>(extra_.size()); }
    const std::vector<ChartCurve>& extraCurves() const { return extra_; }

    // The cursor marker at a frequency (Hz); hideCursor removes it.
    void showCursor(double frequency);
    void hideCursor();
    bool cursorVisible() const;

    // Rendering without a window, `width` x `height` pixels. False when the file cannot be written.
    bool savePng(const QString& path, int width, int height);
    bool saveSvg(const QString& path, int width, int height);
    void copyToClipboard();

    // The plot with any kept content built into it.
    QCustomPlot* plot();

signals:
    void pointerMoved(double frequency); // the pointer is over the plot at this frequency (Hz)
    void pointerLeft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildGraphs(const ChartContent& content);
    // Builds kept content; `drawNow` draws the buffers at once, else the replot is queued.
    void buildPending(bool drawNow);
    void showContextMenu(const QPoint& pos);
    void saveWithDialog(bool svg);
    void addExtraGraphs();

    QCustomPlot* plot_;
    QCPTextElement* title_;
    QCPTextElement* subtitle_;
    QCPItemStraightLine* cursor_;
    int curves_ = 0;
    int comparison_ = 0;
    std::vector<ChartCurve> extra_;
    std::vector<QCPGraph*> extraGraphs_;
    std::unique_ptr<ChartContent> pending_; // content not yet built into the plot
};

} // namespace sonora::ui

// One line chart of the main window over QCustomPlot: logarithmic frequency axis, two title
// lines, the current curves, the comparison layer drawn dashed and thinner, the legend where it
// hides the least, the frequency cursor with its line of values, an empty-state text before there
// is anything to draw, and rendering to PNG and SVG without a window.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/shell/chart_content.h"
#include "app/shell/chart_style.h"

class QCustomPlot;
class QCPGraph;
class QCPItemStraightLine;
class QCPItemText;
class QCPTextElement;
class QLabel;

namespace sonora::ui {

// Pixels of the column of notes beside a chart: the spinorama's rating in its tab and its picture.
inline constexpr int kChartNotesWidth = 260;

class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);

    // Shows the content: titles, axes, curves and comparison layer. Titles and counts follow at
    // once; the graphs of a hidden view are built when it is shown.
    void setContent(const ChartContent& content);
    bool contentPending() const { return pending_; } // hidden, graphs not yet built
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

    // A view with its own cursor follows the pointer itself and shows the values of its curves
    // in a line below the plot (every chart but the box chart, whose window owns its cursor).
    void setOwnCursor(bool own);
    bool ownCursor() const { return ownCursor_; }
    QString cursorLine() const; // the line below the plot, empty without an own cursor

    // The legend, hidden and shown again from the context menu ("Legende zeigen").
    void setLegendShown(bool shown);
    bool legendShown() const { return legendShown_; }
    LegendPlace legendPlacement() const { return legendPlace_; }

    // The text shown instead of the axes while the content has nothing to draw.
    bool showsEmptyText() const;

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
    void buildGraphs();
    void showEmptyState(bool empty);
    void placeLegend(); // after each layout: the legend's place for the current size
    void moveLegend(LegendPlace place);
    void followPointer(double frequency);
    // Builds kept content; `drawNow` draws the buffers at once, else the replot is queued.
    void buildPending(bool drawNow);
    void showContextMenu(const QPoint& pos);
    void saveWithDialog(bool svg);
    void addExtraGraphs();

    QCustomPlot* plot_;
    QCPTextElement* title_;
    QCPTextElement* subtitle_;
    QCPItemStraightLine* cursor_;
    QCPItemText* emptyText_;
    QLabel* cursorLine_;
    int curves_ = 0;
    int comparison_ = 0;
    std::vector<ChartCurve> extra_;
    std::vector<QCPGraph*> extraGraphs_;
    ChartContent content_; // the content shown, or kept while hidden
    bool pending_ = false; // content_ not yet built into the plot
    bool ownCursor_ = true;
    bool legendShown_ = true;
    LegendPlace legendPlace_ = LegendPlace::TopRight;
};

} // namespace sonora::ui

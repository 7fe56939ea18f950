// The near-field window: the level map in the vertical plane in front of the shared cabinet for
// one grid frequency or band, its entries and frequency scroll bar, and the chart of the responses
// at several distances at one listening height.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>

#include "analysis/near_field.h"
#include "analysis/near_field_curves.h"
#include "analysis/near_field_map.h"
#include "app/shell/chart_content.h"
#include "model/records.h"
#include "model/result.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPainter;
class QPushButton;
class QScrollBar;

namespace sonora::ui {

class ChartView;
class NumberField;

// Paints a laid-out map into a box of `size` pixels: white ground, cells, margin, marks, legend.
void paintNearFieldMap(QPainter& painter, const NearFieldMap& map, QSize size);

// The map's paint box. It keeps the computed levels and lays them out again when resized.
class NearFieldMapWidget : public QWidget {
    Q_OBJECT
public:
    explicit NearFieldMapWidget(QWidget* parent = nullptr);
    void setLevels(NearFieldLevels levels, const NearFieldSettings& settings);
    const NearFieldMap& map() const { return map_; }
    // The map as the widget paints it, at its current size.
    QImage image() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();
    NearFieldLevels levels_;
    NearFieldSettings settings_;
    NearFieldMap map_;
};

// The curves of "Frequenzgänge  auf gleicher Höhe" as a chart with the display options' axes.
ChartContent nearFieldChartContent(const NearFieldCurves& curves, double listeningHeight,
                                   const TAnzOption& options);

using NearFieldProjectSource = std::function<const TProjekt&()>;
using NearFieldResultSource = std::function<const TResult*()>; // null: none yet

class NearFieldWindow : public QDialog {
    Q_OBJECT
public:
    NearFieldWindow(NearFieldProjectSource project, NearFieldResultSource result,
                    QWidget* parent = nullptr);
    ~NearFieldWindow() override;

    // The entries as the core takes them (a field that holds no number keeps its start value).
    NearFieldSettings settings() const;
    // Computes the map for the scroll bar's grid index, band and entries.
    void redraw();
    // A new result: the scroll bar's range, then the map when it follows automatically.
    void resultChanged();
    // "Frequenzgänge  auf gleicher Höhe": the chart window, which deletes itself when closed.
    QWidget* showCurvesWindow();

    NearFieldMapWidget* mapWidget() const { return map_; }
    QScrollBar* frequencyBar() const { return bar_; }
    QLabel* frequencyLabel() const { return frequency_; }
    QComboBox* bandList() const { return band_; }
    QCheckBox* autoUpdateBox() const { return auto_; }
    NumberField* maxSplField() const { return maxSpl_; }
    NumberField* stepField() const { return step_; }
    NumberField* maxDistanceField() const { return maxDistance_; }
    NumberField* heightField() const { return height_; }
    NumberField* distanceStepField() const { return distanceStep_; }
    QPushButton* redrawButton() const { return redraw_; }
    QPushButton* curvesButton() const { return curves_; }

private:
    void scrolled();
    void entryChanged();

    NearFieldProjectSource project_;
    NearFieldResultSource result_;
    NearFieldMapWidget* map_ = nullptr;
    QScrollBar* bar_ = nullptr;
    QLabel* frequency_ = nullptr;
    QComboBox* band_ = nullptr;
    QCheckBox* auto_ = nullptr;
    NumberField* maxSpl_ = nullptr;
    NumberField* step_ = nullptr;
    NumberField* maxDistance_ = nullptr;
    NumberField* height_ = nullptr;
    NumberField* distanceStep_ = nullptr;
    QPushButton* redraw_ = nullptr;
    QPushButton* curves_ = nullptr;
};

// Opens the near-field window of `parent` (one at a time); it deletes itself when closed.
NearFieldWindow* showNearFieldWindow(QWidget* parent, NearFieldProjectSource project,
                                     NearFieldResultSource result);

} // namespace sonora::ui

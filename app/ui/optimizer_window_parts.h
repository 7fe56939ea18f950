// Pieces of the optimizer window: the picture of the direction weights, the weights window
// "Sonora-Optimierer Frequenzganggewichtung", the history chart of the grades and the value
// dialog of a part being fixed.
#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "optimizer/opti_memo.h"
#include "optimizer/rating_params.h"

class QComboBox;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QSlider;

namespace sonora::ui {

// The 19 horizontal and vertical weights as two fans of rays, length = weight. A click emits
// clicked() (the optimizer window opens the weights window).
class WeightsPicture : public QWidget {
    Q_OBJECT
public:
    explicit WeightsPicture(QWidget* parent = nullptr);
    void setWeights(const TFgangWeights& weights);
    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TFgangWeights weights_{};
};

// Width and centre of each plane; every change recomputes the plane's weights.
class WeightsWindow : public QDialog {
    Q_OBJECT
public:
    explicit WeightsWindow(QWidget* parent = nullptr);

    const WeightSliders& sliders() const { return sliders_; }
    TFgangWeights weights() const { return fgangWeightsFromSliders(sliders_); }

    enum Slider { kHorizontalWidth, kHorizontalCentre, kVerticalWidth, kVerticalCentre };
    QSlider* slider(Slider which) const { return sliderWidgets_[which]; }
    QLabel* shownValue(Slider which) const { return shown_[which]; }

signals:
    void weightsChanged();

private:
    void changed();

    WeightSliders sliders_;
    std::array<QSlider*, 4> sliderWidgets_{};
    std::array<QLabel*, 4> shown_{};
    WeightsPicture* picture_;
};

// The history of a run, one entry per step across (250 entries at most): the five grade curves,
// or, chosen above the chart, each optimized value's departure from its start value in percent.
class HistoryChart : public QWidget {
    Q_OBJECT
public:
    enum class View { Grades, Values };

    explicit HistoryChart(QWidget* parent = nullptr);
    // `valueNames` names the value curves (entries beyond it are drawn without a name).
    void setHistory(const OptiHistory& history, const std::vector<std::string>& valueNames = {});
    void setView(View view);
    View view() const { return view_; }
    QComboBox* viewChoice() const { return viewChoice_; }
    QCustomPlot* plot() const { return plot_; }

private:
    void redraw();
    void drawGrades();
    void drawValues();

    QComboBox* viewChoice_;
    QCustomPlot* plot_;
    View view_ = View::Grades;
    OptiHistory history_;
    std::vector<std::string> valueNames_;
};

// The captions of the history curves in drawing order: Note, Note_F, Note_W, Note_I, Note_Ph.
extern const char* const kHistoryCurveNames[5];

// The value of a part being fixed, in its entry unit (Ohm, µF, mH), and a coil's winding
// resistance. Modal; only the part's own kind is shown.
class PartValueDialog : public QDialog {
    Q_OBJECT
public:
    PartValueDialog(const TPart& part, QWidget* parent = nullptr);
    // The part with the entered values; an unreadable entry keeps the old value.
    TPart part() const;
    QLineEdit* valueField() const { return value_; }
    QLineEdit* resistanceField() const { return resistance_; }

private:
    TPart part_;
    QLineEdit* value_;
    QLineEdit* resistance_ = nullptr;
};

// Places `dialog` 32 pixels below the top of `over` and centred on it horizontally.
void placeBelowTopCentred(QWidget* dialog, const QWidget* over);

} // namespace sonora::ui

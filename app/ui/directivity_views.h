// The two directivity tabs of the main window: "Richtungsplots" (the map with its view options)
// and "Polarplots" (the frequency scroll bar and both polar charts), over one TDirPlot that the
// window fills after every calculation.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "model/records.h"
#include "model/result.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace sonora {
class TDirPlot; // kept out of the header, see dir_map_widget.h
struct DirViewOptions;
} // namespace sonora

namespace sonora::ui {

class DirMapWidget;
class PolarPlotWidget;

class DirectivityViews : public QObject {
    Q_OBJECT
public:
    // `showMessage` shows a message to the user (UTF-8), used for paint faults.
    DirectivityViews(std::function<void(const std::string&)> showMessage, QWidget* parent);
    ~DirectivityViews() override;

    QWidget* mapPage() const { return mapPage_; }
    QWidget* polarPage() const { return polarPage_; }

    // After every calculation: the result's magnitudes and the display range; both views repaint.
    void fill(const TResult& result, const TAnzOption& display);
    // "Projekt als Referenz merken" / "Referenzprojekt löschen".
    void rememberComparison();
    void clearComparison();

    // The view options as the controls show them.
    DirViewOptions options() const;

    const TDirPlot& plot() const { return *plot_; }
    DirMapWidget* map() const { return map_; }
    PolarPlotWidget* polar() const { return polar_; }
    QCheckBox* verticalSwitch() const { return vertical_; }
    QRadioButton* angleReferenceChoice() const { return fromResponse_; }
    QRadioButton* fixedReferenceChoice() const { return fixedLevel_; }
    QComboBox* referenceAngleList() const { return referenceAngle_; }
    QLineEdit* levelField() const { return level_; }
    QComboBox* bandWidthList() const { return bandWidth_; }
    QCheckBox* noJumpSwitch() const { return noJump_; }
    QCheckBox* range90Switch() const { return range90_; }
    QScrollBar* frequencyBar() const { return frequencyBar_; }
    QLabel* frequencyLabel() const { return frequencyLabel_; }

private:
    QWidget* buildMapPage(QWidget* parent);
    QWidget* buildPolarPage(QWidget* parent);
    void optionsChanged();
    void frequencyChosen(int index);

    std::unique_ptr<TDirPlot> plot_; // two data sets of about 2.2 MB each
    QWidget* mapPage_ = nullptr;
    QWidget* polarPage_ = nullptr;
    DirMapWidget* map_ = nullptr;
    PolarPlotWidget* polar_ = nullptr;
    QCheckBox* vertical_ = nullptr;
    QRadioButton* fromResponse_ = nullptr;
    QRadioButton* fixedLevel_ = nullptr;
    QComboBox* referenceAngle_ = nullptr;
    QLineEdit* level_ = nullptr;
    QComboBox* bandWidth_ = nullptr;
    QCheckBox* noJump_ = nullptr;
    QCheckBox* range90_ = nullptr;
    QScrollBar* frequencyBar_ = nullptr;
    QLabel* frequencyLabel_ = nullptr;
    double shownFrequency_ = 0; // Hz of the polar charts, kept across calculations
};

} // namespace sonora::ui

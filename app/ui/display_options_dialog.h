// The display-options dialog ("Anzeigeoptionen"): axis ranges, line width and the curve colours
// of amplifiers, drivers and directions. It only collects the values; the accepting rules are the
// workspace's.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <array>
#include <vector>

#include "app/shell/chart_levels.h"
#include "app/shell/display_options.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QSlider;

namespace sonora::ui {

class NumberField;

// TColor is 0x00BBGGRR.
TColor fromQColor(const QColor& colour);

// A button that shows a curve colour and lets the user pick another one.
class ColourButton : public QPushButton {
    Q_OBJECT
public:
    ColourButton(const QString& caption, TColor colour, QWidget* parent = nullptr);
    TColor colour() const { return colour_; }
    void setColour(TColor colour);

signals:
    void colourChanged(TColor colour);

private:
    void choose();

    QString caption_;
    TColor colour_;
};

// The colour slots the dialog shows: whole box and six amplifiers, whole box and eight drivers
// or ways, the front and nine directions. Further driver slots keep their values.
inline constexpr int kShownAmpColours = kAmpColors;
inline constexpr int kShownChassisColours = 9;
inline constexpr int kShownDirectionColours = kDirectionColors;
// Widest curve the slider offers, pixels.
inline constexpr int kMaxLineWidth = 10;

// The captions of the direction slots for the angle set chosen in the direction charts: "vorne",
// the six angles of the set, then "120°", "150°" and "hinten" (UTF-8).
std::vector<QString> directionColourCaptions(const std::array<int, kDirectionCurves>& angles);

class DisplayOptionsDialog : public QDialog {
    Q_OBJECT
public:
    DisplayOptionsDialog(const DisplayOptionsInput& start,
                         const std::array<int, kDirectionCurves>& angles,
                         QWidget* parent = nullptr);

    // What the dialog holds now; a number field without a number reads as not a number, which
    // the accepting rules replace like a value at or below its floor.
    DisplayOptionsInput values() const;
    // "Voreinstellung wiederherstellen": axis ranges and the colours of the shown slots.
    void restoreDefaults();

    NumberField* fMinField() const { return fMin_; }
    NumberField* fMaxField() const { return fMax_; }
    NumberField* dBMinField() const { return dBMin_; }
    NumberField* dBMaxField() const { return dBMax_; }
    NumberField* impMaxField() const { return impMax_; }
    QSlider* lineWidthSlider() const { return lineWidth_; }
    QCheckBox* allProjectsSwitch() const { return allProjects_; }
    const std::vector<ColourButton*>& ampButtons() const { return amps_; }
    const std::vector<ColourButton*>& chassisButtons() const { return chassis_; }
    const std::vector<ColourButton*>& directionButtons() const { return directions_; }

private:
    QGroupBox* colourGroup(const QString& title, const std::vector<QString>& captions,
                           const TColor* colours, std::vector<ColourButton*>& buttons);
    void setNumbers(double fMin, double fMax, double dBMin, double dBMax, double impMax);

    DisplayOptionsInput start_;
    NumberField* fMin_ = nullptr;
    NumberField* fMax_ = nullptr;
    NumberField* dBMin_ = nullptr;
    NumberField* dBMax_ = nullptr;
    NumberField* impMax_ = nullptr;
    QSlider* lineWidth_ = nullptr;
    QLabel* lineWidthText_ = nullptr;
    QCheckBox* allProjects_ = nullptr;
    std::vector<ColourButton*> amps_;
    std::vector<ColourButton*> chassis_;
    std::vector<ColourButton*> directions_;
};

} // namespace sonora::ui

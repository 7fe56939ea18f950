// "Sonora - Vergleichsfrequenzgänge": two comparison curves for the box chart, either the low-pass
// and high-pass of a textbook filter at a crossover frequency and level, or two text files.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

#include "acoustics/comparison_curves.h"
#include "app/shell/chart_content.h"
#include "model/records.h"
#include "model/user_prompt.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sonora::ui {

class NumberField;

// Colours of the two curves in the chart (0x00BBGGRR): dark green for the low-pass side, purple
// for the high-pass side, apart from the chart's own colour sets.
inline constexpr TColor kComparisonCurve1Color = 0x008000;
inline constexpr TColor kComparisonCurve2Color = 0x800080;
inline constexpr int kComparisonCurveWidth = 2; // pixels

// The valid ones of the two curves as chart curves, named like their fields (Latin-1).
std::vector<ChartCurve> comparisonChartCurves(const ComparisonCurve& curve1,
                                              const ComparisonCurve& curve2);

// The project whose grid the filter curves use, read when the curves are computed.
using ComparisonProjectSource = std::function<const TProjekt&()>;
// Receives both curves after "Vergleichskurven zeigen" and two invalid ones after "keine
// Vergleichskurven anzeigen".
using ComparisonCurvesSink =
    std::function<void(const ComparisonCurve& curve1, const ComparisonCurve& curve2)>;
// Asks for a text file ("Wähle Textdatei"); an empty text means cancelled.
using TextFileChooser = std::function<QString(QWidget* parent, const QString& title)>;
QString chooseTextFile(QWidget* parent, const QString& title);

class ComparisonCurvesWindow : public QDialog {
    Q_OBJECT
public:
    ComparisonCurvesWindow(ComparisonProjectSource project, ComparisonCurvesSink sink,
                           UserPrompt& prompt, QWidget* parent = nullptr);

    void setFileChooser(TextFileChooser chooser) { chooser_ = std::move(chooser); }

    // "Vergleichskurven zeigen": computes or imports both curves (messages through the prompt)
    // and hands them to the sink.
    void showCurves();
    // "keine Vergleichskurven anzeigen".
    void removeCurves();
    // The file dialog of a name field (1 or 2), as a click into it opens it.
    void chooseFile(int curve);

    const ComparisonCurve& curve(int k) const { return k == 1 ? curve1_ : curve2_; }
    QRadioButton* byFilterButton() const { return byFilter_; }
    QRadioButton* byImportButton() const { return byImport_; }
    NumberField* fcField() const { return fc_; }
    NumberField* levelField() const { return level_; }
    QComboBox* filterTypeList() const { return type_; }
    QLineEdit* fileField(int curve) const { return curve == 1 ? file1_ : file2_; }
    QPushButton* showButton() const { return show_; }
    QPushButton* removeButton() const { return remove_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void importFile(QLineEdit* field, ComparisonCurve& curve);

    ComparisonProjectSource project_;
    ComparisonCurvesSink sink_;
    UserPrompt& prompt_;
    TextFileChooser chooser_ = chooseTextFile;
    ComparisonCurve curve1_;
    ComparisonCurve curve2_;
    QRadioButton* byFilter_ = nullptr;
    QRadioButton* byImport_ = nullptr;
    NumberField* fc_ = nullptr;
    NumberField* level_ = nullptr;
    QComboBox* type_ = nullptr;
    QLineEdit* file1_ = nullptr;
    QLineEdit* file2_ = nullptr;
    QPushButton* show_ = nullptr;
    QPushButton* remove_ = nullptr;
};

// Opens the window of `parent` (one at a time); it deletes itself when closed.
ComparisonCurvesWindow* showComparisonCurvesWindow(QWidget* parent, ComparisonProjectSource project,
                                                   ComparisonCurvesSink sink, UserPrompt& prompt);

} // namespace sonora::ui

// The optimizer window: start and abort, the grade texts before and after, the rating sliders,
// the working-range grid, the direction weights, the progress bar, the grade history and the way
// fixed parts get their values; over the toolkit-free model of optimizer/opti_window.h, with the
// optimizer thread's calls carried to the GUI thread.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "optimizer/opti_window.h"
#include "optimizer/rating_params.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QTableWidget;
class QTimer;

namespace sonora::ui {

class HistoryChart;
class OptiHostBridge;
class WeightsPicture;
class WeightsWindow;

// What the window needs of the main window. Every member must be set.
struct OptimizerConnections {
    std::function<const TProjekt&()> project;   // the open project (not changed while open)
    std::function<bool()> interactiveRunning;   // the interactive calculation is in progress
    TResult* mainResult = nullptr;              // the main window's copy of the last result
    std::function<void()> redrawMain;           // redraw the main window's charts
    std::function<void()> rememberReference;    // "Projekt als Referenz merken"
    std::function<void(const TProjekt&)> apply; // "Ja": undo step "Optimierung anwenden", CalcNew
    std::function<void(const TProjekt&, bool marksAdded)> restore; // "Nein": start project, CalcNew
    std::function<void()> closed; // the window has closed: OptimizerOpen off, menus again
};

class OptimizerDialog : public QDialog {
    Q_OBJECT
public:
    // `threadOptions.host` is set by the window; tests may shorten the time-outs.
    OptimizerDialog(UserPrompt& prompt, OptimizerConnections connections, QWidget* parent = nullptr,
                    TOptiThread::Options threadOptions = {});
    ~OptimizerDialog() override; // shutDown()

    // Showing the window: abort any run, DidOptimize := false, the working-range grid checked.
    void showWindow();
    // The start button; false when a check refused.
    bool startOptimization();
    // The abort button.
    void abortOptimization();
    // Ends the optimizer thread without deadlock: its calls are no longer answered, its pending
    // blocking call is served, then it is joined. Safe to call more than once.
    void shutDown();

    TOptiThread* optimizerThread() const { return thread_.get(); }
    const OptimizerWindow& model() const { return model_; }
    OptimizerWindow& model() { return model_; }

    // The modal value dialog for a part being fixed (tests replace it); true on OK.
    void setPartEditor(std::function<bool(TPart&)> editor) {
        model_.partEditor = std::move(editor);
    }
    void setBeep(std::function<void()> beep) { model_.beep = std::move(beep); }

    // The rating controls as they stand.
    RatingSliders ratingSliders() const;
    WorkingRangeGrid workingRanges() const;
    TBewertungsparameter ratingParameters() const;

    enum Slider {
        kMinImpedance,
        kMaxLevel,
        kBassTaste,
        kTrebleTaste,
        kDirectionalResponses,
        kEnergyResponse,
        kWorkingRange,
        kSliderCount
    };
    QSlider* slider(Slider which) const { return sliders_[which]; }
    QLabel* shownValue(Slider which) const { return shown_[which]; } // 10 - p, or null
    QLabel* minImpedanceLabel(int k) const { return impedanceLabels_[k]; }
    QCheckBox* tubeBox() const { return tube_; }
    QPushButton* defaultsButton() const { return defaults_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* abortButton() const { return abort_; }
    QPlainTextEdit* gradesBefore() const { return before_; }
    QPlainTextEdit* gradesAfter() const { return after_; }
    QTableWidget* workingRangeGrid() const { return grid_; }
    QProgressBar* progressBar() const { return progress_; }
    HistoryChart* historyChart() const { return history_; }
    WeightsPicture* weightsPicture() const { return picture_; }
    WeightsWindow* weightsWindow() const { return weights_; }
    QRadioButton* resistorChoice(FixChoice c) const { return resistorChoice_[index(c)]; }
    QRadioButton* capacitorChoice(FixChoice c) const { return capacitorChoice_[index(c)]; }

    void openWeightsWindow();

signals:
    void historyRedrawn();

public slots:
    void reject() override; // Esc closes through the questions as well

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static int index(FixChoice c) { return static_cast<int>(c); }
    QWidget* buildRating();
    QWidget* buildFixChoice();
    void refreshView(); // the model's texts, buttons and progress
    void refreshImpedanceLabels();
    void refreshShownValues();
    void initWorkingRanges();
    bool editPart(TPart& part);
    void readyNoticeClosed();
    void pump();

    UserPrompt& prompt_;
    OptimizerConnections connections_;
    OptimizerWindow model_;
    std::unique_ptr<OptiHostBridge> bridge_;
    std::unique_ptr<TOptiThread> thread_;
    bool marksAdded_ = false; // the start marked parts because none were marked
    bool closing_ = false;    // the close questions are open

    std::array<QSlider*, kSliderCount> sliders_{};
    std::array<QLabel*, kSliderCount> shown_{};
    std::array<QLabel*, 3> impedanceLabels_{};
    std::array<QWidget*, 4> workingRangeWidgets_{}; // slider, its labels: off with one driver
    QCheckBox* tube_ = nullptr;
    QPushButton* defaults_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* abort_ = nullptr;
    QPlainTextEdit* before_ = nullptr;
    QPlainTextEdit* after_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QProgressBar* progress_ = nullptr;
    HistoryChart* history_ = nullptr;
    WeightsPicture* picture_ = nullptr;
    WeightsWindow* weights_ = nullptr;
    std::array<QRadioButton*, 3> resistorChoice_{};
    std::array<QRadioButton*, 3> capacitorChoice_{};
    QTimer* historyTimer_ = nullptr;
};

// The main window opens its optimizer window with this object name (one per main window).
inline constexpr char kOptimizerWindowName[] = "optimizerWindow";

} // namespace sonora::ui

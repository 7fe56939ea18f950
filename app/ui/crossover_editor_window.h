// The modeless crossover editor window for one amplifier: the schematic canvas over the editor
// model, the view switches, the three window sizes, the optimizer marks, the free wires, the
// key assignment and "&Übernehmen", "&Ok", "&Abbruch".
#pragma once

#include <QWidget>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QPushButton;
class QScrollArea;

namespace sonora {
class CrossoverEditor;
class UserPrompt;
class Workspace;
struct SchematicOptions;
} // namespace sonora

namespace sonora::ui {

class CrossoverCanvas;

class CrossoverEditorWindow : public QWidget {
    Q_OBJECT
public:
    // Opens on a copy of amplifier `amp`'s crossover. The workspace must already count the
    // editor as open (Workspace::openEditor); closing the window in any way reports it closed.
    // The mouse code, window size and parts folder come from the workspace's settings.
    CrossoverEditorWindow(Workspace& workspace, UserPrompt& prompt, int amp,
                          QWidget* parent = nullptr);
    ~CrossoverEditorWindow() override;

    CrossoverEditor& editor() { return *editor_; }
    CrossoverCanvas* canvas() const { return canvas_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* partNumbersButton() const { return partNumbers_; }
    QPushButton* nodeNumbersButton() const { return nodeNumbers_; }
    QCheckBox* printViewBox() const { return printView_; }
    QCheckBox* labelViewBox() const { return labelView_; }
    QComboBox* sizeChoice() const { return size_; }

    // The dialogs, opened window-modal (each deletes itself when finished).
    void openPartDialog(int slot, QPoint global);
    void openFreeWires();
    void openMouseAssignment();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls(QWidget* panel);
    void setViewOption(void (*change)(SchematicOptions&, bool), bool on);
    void setSizePreset(int preset);
    void okClicked();
    void cancelClicked();

    Workspace& workspace_;
    UserPrompt& prompt_;
    std::unique_ptr<CrossoverEditor> editor_;
    std::string partsFolder_;
    bool closed_ = false; // the workspace has been told

    QScrollArea* scroll_ = nullptr;
    CrossoverCanvas* canvas_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* partNumbers_ = nullptr;
    QPushButton* nodeNumbers_ = nullptr;
    QCheckBox* printView_ = nullptr;
    QCheckBox* labelView_ = nullptr;
    QComboBox* size_ = nullptr;
};

} // namespace sonora::ui

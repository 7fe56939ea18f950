// The crossover editor's schematic canvas: paints the picture the editor model hands it and
// forwards the mouse to the model.
#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>

#include "app/shell/crossover_editor_labels.h"

class QFont;
class QPainter;

namespace sonora {
class CrossoverEditor;
struct SchematicOptions;
struct SchematicPicture;
} // namespace sonora

namespace sonora::ui {

// The font of the schematic's texts: `base` at `pixels` height.
QFont schematicFont(const QFont& base, int pixels);
// Text widths in that font, for the label layout.
TextMeasure schematicTextMeasure(const QFont& base);
// The places of the texts of `picture` as paintSchematic draws them with `base` as its font.
SchematicLayout schematicLayout(const SchematicPicture& picture, const QFont& base);

// Paints `picture` (nodes, wires, R, C, L symbols, drivers, amplifier outputs, their texts,
// polarity and optimizer marks) with the top left corner of the schematic at (0, 0).
void paintSchematic(QPainter& painter, const SchematicPicture& picture);

class CrossoverCanvas : public QWidget {
    Q_OBJECT
public:
    CrossoverCanvas(CrossoverEditor& editor, QWidget* parent = nullptr);
    ~CrossoverCanvas() override;

    const SchematicOptions& options() const { return *options_; }
    // The view options; the canvas takes the size of the preset.
    void setOptions(const SchematicOptions& options);
    SchematicPicture picture() const;

    // Centre of a grid slot's hit rectangle in canvas coordinates (for placing the pointer).
    QPoint slotCentre(int slot) const;

    // The tooltip the canvas shows at `at` (empty: none).
    QString toolTipAt(QPoint at) const;

signals:
    // The working copy changed under the mouse.
    void edited();
    // The pressed combination means "Bauteil editieren": the dialog for `slot` next to `global`.
    void partDialogRequested(int slot, QPoint global);

protected:
    bool event(QEvent* event) override; // tooltips: the off-grid node, texts that found no place
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CrossoverEditor& editor_;
    std::unique_ptr<SchematicOptions> options_;
};

} // namespace sonora::ui

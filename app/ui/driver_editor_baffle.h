// The driver editor's small drawing of the baffle: outline with its bevels e, f, g, i, the
// driver's front outlet (diameter d) at a over the bottom and c from the left edge, the
// dimension letters, and the edges whose diffraction is switched off drawn thin.
#pragma once

#include <QWidget>

#include "model/records.h"

namespace sonora::ui {

class BaffleDrawing : public QWidget {
    Q_OBJECT
public:
    explicit BaffleDrawing(QWidget* parent = nullptr);
    void setBaffle(const TSchallwand& baffle);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TSchallwand baffle_{};
};

} // namespace sonora::ui

// The explanatory pictures of the calculator pages, drawn with QPainter: the closed and the
// vented box, the port with its dimensions, and the networks as ladders of parts.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

namespace sonora::ui {

// One part of a network picture.
struct CircuitPart {
    enum class Kind { Resistor, Inductor, Capacitor };
    Kind kind;
    QString label; // the name the result lines use ("L1", "C2", "R")
};

// One step of the ladder from the input terminals to the load: a part in the upper line, or a
// branch across the two lines holding its parts in series. In a branch, the parts `bridged` (in
// series) may lie beside the parts from `bridgedFrom` on down to the lower line.
struct CircuitStage {
    bool shunt = false;
    std::vector<CircuitPart> parts;
    std::vector<CircuitPart> bridged = {};
    std::size_t bridgedFrom = 0;
};

struct CircuitDrawing {
    std::vector<CircuitStage> stages;
    QString load; // caption of the load at the end ("RL", "Chassis")
};

class CircuitPicture : public QWidget {
    Q_OBJECT
public:
    explicit CircuitPicture(CircuitDrawing circuit, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    const CircuitDrawing& circuit() const { return circuit_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CircuitDrawing circuit_;
};

// A closed box and a vented box side by side, with the quantities the page computes.
class BoxPicture : public QWidget {
    Q_OBJECT
public:
    explicit BoxPicture(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The box of the port page seen from the front and in section from the side, with the box sizes
// B, H, T and the port's dimensions c, d, e, f, g, i, j, k, l; a round or a rectangular port.
class PortPicture : public QWidget {
    Q_OBJECT
public:
    explicit PortPicture(QWidget* parent = nullptr);
    void setCircular(bool circular);
    bool circular() const { return circular_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool circular_ = false;
};

} // namespace sonora::ui

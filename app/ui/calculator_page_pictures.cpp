#include "app/ui/calculator_page_pictures.h"

#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <utility>

namespace sonora::ui {

namespace {

// Pixel sizes of the circuit pictures.
constexpr double kMargin = 12;         // around the drawing
constexpr double kTerminal = 3;        // radius of an input terminal
constexpr double kSeriesWidth = 46;    // one part in the upper line
constexpr double kShuntWidth = 48;     // one branch across the lines
constexpr double kLoadLead = 18;       // wire from the last stage to the load
constexpr double kPartLength = 24;     // a part's symbol along its wire
constexpr double kPartThickness = 9;   // a resistor's width, a capacitor's plate half length
constexpr double kPlateGap = 5;        // between the plates of a capacitor
constexpr double kShuntPartSpace = 34; // height per part of a branch
constexpr double kLabelGap = 5;        // between a symbol and its label
constexpr double kBridgeOffset = 56;   // from a branch to the parts beside it
constexpr int kInductorTurns = 4;

// Draws the symbol of `kind` along the wire from a to b: leads, then the symbol in the middle.
void drawPart(QPainter& p, CircuitPart::Kind kind, QPointF a, QPointF b) {
    const QLineF wire(a, b);
    const double length = wire.length();
    p.save();
    p.translate(a);
    p.rotate(-wire.angle()); // Qt's angle is counter-clockwise; the painter turns clockwise
    const double start = (length - kPartLength) / 2;
    const double end = start + kPartLength;
    switch (kind) {
    case CircuitPart::Kind::Resistor:
        p.drawLine(QPointF(0, 0), QPointF(start, 0));
        p.drawLine(QPointF(end, 0), QPointF(length, 0));
        p.drawRect(QRectF(start, -kPartThickness / 2, kPartLength, kPartThickness));
        break;
    case CircuitPart::Kind::Inductor: {
        p.drawLine(QPointF(0, 0), QPointF(start, 0));
        p.drawLine(QPointF(end, 0), QPointF(length, 0));
        const double turn = kPartLength / kInductorTurns;
        constexpr int kHalfTurnDegrees16 = 180 * 16; // Qt's arcs count 1/16 degree
        for (int k = 0; k < kInductorTurns; ++k) {
            p.drawArc(QRectF(start + k * turn, -turn / 2, turn, turn), 0, kHalfTurnDegrees16);
        }
        break;
    }
    case CircuitPart::Kind::Capacitor: {
        const double mid = length / 2;
        p.drawLine(QPointF(0, 0), QPointF(mid - kPlateGap / 2, 0));
        p.drawLine(QPointF(mid + kPlateGap / 2, 0), QPointF(length, 0));
        for (double x : {mid - kPlateGap / 2, mid + kPlateGap / 2}) {
            p.drawLine(QPointF(x, -kPartThickness), QPointF(x, kPartThickness));
        }
        break;
    }
    }
    p.restore();
}

// A measure between a and b with arrow heads at both ends and `label` beside its middle.
void drawDimension(QPainter& p, QPointF a, QPointF b, const QString& label) {
    constexpr double kArrow = 4;         // pixels, length of an arrow head
    constexpr double kArrowDegrees = 25; // half opening of an arrow head
    constexpr double kLabelOffset = 9;   // pixels from the line to the label's centre
    const QLineF line(a, b);
    p.drawLine(line);
    if (line.length() > 2 * kArrow) {
        for (const auto& [tip, away] : {std::pair{a, b}, std::pair{b, a}}) {
            QLineF head(tip, away);
            head.setLength(kArrow);
            for (double turn : {kArrowDegrees, -kArrowDegrees}) {
                QLineF side = head;
                side.setAngle(head.angle() + turn);
                p.drawLine(side);
            }
        }
    }
    QLineF normal = line.normalVector();
    normal.setLength(kLabelOffset);
    const QPointF centre = line.center() + (normal.p2() - normal.p1());
    const QRectF box(centre.x() - 20, centre.y() - 8, 40, 16); // room for two letters
    p.drawText(box, Qt::AlignCenter, label);
}

} // namespace

// ---- networks

CircuitPicture::CircuitPicture(CircuitDrawing circuit, QWidget* parent)
    : QWidget(parent), circuit_(std::move(circuit)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QSize CircuitPicture::sizeHint() const {
    // The labels above the upper line and beside the load need room of their own.
    const double loadWidth =
        kLoadLead + kPartThickness + kLabelGap + fontMetrics().horizontalAdvance(circuit_.load);
    double width = 2 * kMargin + loadWidth;
    std::size_t tallest = 1;
    for (const CircuitStage& s : circuit_.stages) {
        width += s.shunt ? kShuntWidth : kSeriesWidth;
        if (s.shunt) {
            tallest = std::max(tallest, s.parts.size());
        }
        if (s.shunt && !s.bridged.empty()) {
            width += kBridgeOffset;
        }
    }
    const double height = 2 * kMargin + kShuntPartSpace * static_cast<double>(tallest) +
                          fontMetrics().height() + kPartThickness;
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

void CircuitPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    p.setPen(QPen(palette().text().color(), 1.2));
    const QFontMetricsF metrics(font());
    const double top = kMargin + metrics.height() + kPartThickness;
    const double bottom = height() - kMargin;
    double x = kMargin;
    p.drawEllipse(QPointF(x, top), kTerminal, kTerminal);
    p.drawEllipse(QPointF(x, bottom), kTerminal, kTerminal);
    x += kTerminal;
    for (const CircuitStage& stage : circuit_.stages) {
        if (!stage.shunt) {
            for (const CircuitPart& part : stage.parts) {
                drawPart(p, part.kind, QPointF(x, top), QPointF(x + kSeriesWidth, top));
                p.drawText(QRectF(x, top - kPartThickness - kLabelGap - metrics.height(),
                                  kSeriesWidth, metrics.height()),
                           Qt::AlignCenter, part.label);
                p.drawLine(QPointF(x, bottom), QPointF(x + kSeriesWidth, bottom));
                x += kSeriesWidth;
            }
            continue;
        }
        const double branch = x + kShuntWidth / 2;
        const double stageWidth = kShuntWidth + (stage.bridged.empty() ? 0 : kBridgeOffset);
        p.drawLine(QPointF(x, top), QPointF(x + stageWidth, top));
        p.drawLine(QPointF(x, bottom), QPointF(x + stageWidth, bottom));
        // Parts in series from y0 down to y1 along the column at `column`, labelled on the right.
        const auto drawColumn = [&](const std::vector<CircuitPart>& parts, double column, double y0,
                                    double y1) {
            const double step =
                (y1 - y0) / static_cast<double>(std::max<std::size_t>(parts.size(), 1));
            for (std::size_t k = 0; k < parts.size(); ++k) {
                const double y = y0 + step * static_cast<double>(k);
                drawPart(p, parts[k].kind, QPointF(column, y), QPointF(column, y + step));
                p.drawText(QPointF(column + kPartThickness + kLabelGap,
                                   y + step / 2 + metrics.ascent() / 2),
                           parts[k].label);
            }
        };
        drawColumn(stage.parts, branch, top, bottom);
        p.drawEllipse(QPointF(branch, top), 2, 2); // junctions
        p.drawEllipse(QPointF(branch, bottom), 2, 2);
        if (!stage.bridged.empty()) {
            const double step =
                (bottom - top) / static_cast<double>(std::max<std::size_t>(stage.parts.size(), 1));
            const double split = top + step * static_cast<double>(stage.bridgedFrom);
            const double beside = branch + kBridgeOffset;
            p.drawLine(QPointF(branch, split), QPointF(beside, split));
            p.drawEllipse(QPointF(branch, split), 2, 2);
            drawColumn(stage.bridged, beside, split, bottom);
            p.drawEllipse(QPointF(beside, bottom), 2, 2);
        }
        x += stageWidth;
    }
    // The load across the two lines at the end.
    const double load = x + kLoadLead;
    p.drawLine(QPointF(x, top), QPointF(load, top));
    p.drawLine(QPointF(x, bottom), QPointF(load, bottom));
    drawPart(p, CircuitPart::Kind::Resistor, QPointF(load, top), QPointF(load, bottom));
    p.drawText(
        QPointF(load + kPartThickness + kLabelGap, (top + bottom) / 2 + metrics.ascent() / 2),
        circuit_.load);
}

// ---- boxes

BoxPicture::BoxPicture(QWidget* parent) : QWidget(parent) {}

QSize BoxPicture::sizeHint() const {
    return QSize(320, 150);
}

void BoxPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    const QColor ink = palette().text().color();
    p.setPen(QPen(ink, 1.5));
    const double w = width() / 2.0;
    const double boxW = std::min(w - 40, 110.0); // pixels of one box
    const double boxH = std::min(height() - 50.0, 100.0);
    const auto drawBox = [&](double left, bool vented) {
        const QRectF box(left, 25, boxW, boxH);
        p.drawRect(box);
        // The driver in the front wall (left): magnet and cone.
        const double cy = box.top() + boxH * (vented ? 0.35 : 0.5);
        const double cone = boxH * 0.22;
        QPainterPath driver;
        driver.moveTo(box.left(), cy - cone);
        driver.lineTo(box.left() + 14, cy - 5);
        driver.lineTo(box.left() + 14, cy + 5);
        driver.lineTo(box.left(), cy + cone);
        p.drawPath(driver);
        p.drawRect(QRectF(box.left() + 14, cy - 6, 7, 12));
        if (vented) {
            // The port: a tube from the front wall into the box.
            const double py = box.bottom() - boxH * 0.22;
            p.fillRect(QRectF(box.left() - 1, py - 6, 3, 12), palette().base());
            p.drawLine(QPointF(box.left(), py - 6), QPointF(box.left() + boxW * 0.45, py - 6));
            p.drawLine(QPointF(box.left(), py + 6), QPointF(box.left() + boxW * 0.45, py + 6));
            p.drawText(QPointF(box.left() + boxW * 0.5, py + 4), QStringLiteral("fb"));
        }
        p.drawText(QRectF(box.left() + boxW * 0.4, box.top(), boxW * 0.6, boxH * 0.5),
                   Qt::AlignCenter, QStringLiteral("Vb"));
        p.drawText(QRectF(left, 4, boxW, 18), Qt::AlignCenter,
                   vented ? QString::fromUtf8("Bassreflex") : QString::fromUtf8("geschlossen"));
    };
    drawBox(20, false);
    drawBox(w + 20, true);
}

// ---- port

PortPicture::PortPicture(QWidget* parent) : QWidget(parent) {}

void PortPicture::setCircular(bool circular) {
    circular_ = circular;
    update();
}

QSize PortPicture::sizeHint() const {
    return QSize(420, 230);
}

void PortPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    const QColor ink = palette().text().color();
    p.setPen(QPen(ink, 1.5));
    QPen thin(ink, 0.8);

    // Front view: the baffle with the port opening, not to scale.
    const QRectF front(40, 30, 150, 160);
    p.drawRect(front);
    p.drawText(QRectF(front.left(), 6, front.width(), 18), Qt::AlignCenter,
               QString::fromUtf8("vorne"));
    const QRectF port(front.left() + 45, front.bottom() - 70, 60, 36); // c high, e wide
    const double portSize = port.height();                             // d of a round port
    const QPointF portCentre = port.center();
    if (circular_) {
        p.drawEllipse(portCentre, portSize / 2, portSize / 2);
    } else {
        p.drawRect(port);
    }
    p.setPen(thin);
    const QRectF opening =
        circular_ ? QRectF(portCentre.x() - portSize / 2, port.top(), portSize, portSize) : port;
    // The wall distances: i and j along a line below the opening, f and k through its right part.
    const double across = opening.bottom() + 10;
    const double upright = opening.right() - 10;
    drawDimension(p, QPointF(front.left(), across), QPointF(opening.left(), across),
                  QStringLiteral("i"));
    drawDimension(p, QPointF(opening.right(), across), QPointF(front.right(), across),
                  QStringLiteral("j"));
    drawDimension(p, QPointF(upright, opening.bottom()), QPointF(upright, front.bottom()),
                  QStringLiteral("f"));
    drawDimension(p, QPointF(upright, front.top()), QPointF(upright, opening.top()),
                  QStringLiteral("k"));
    if (circular_) {
        drawDimension(p, QPointF(opening.left(), portCentre.y()),
                      QPointF(opening.right(), portCentre.y()), QStringLiteral("d"));
    } else {
        // Drawn upwards and leftwards, so that the labels sit outside the opening.
        drawDimension(p, QPointF(opening.left() - 6, opening.bottom()),
                      QPointF(opening.left() - 6, opening.top()), QStringLiteral("c"));
        drawDimension(p, QPointF(opening.left(), opening.top() - 6),
                      QPointF(opening.right(), opening.top() - 6), QStringLiteral("e"));
    }
    drawDimension(p, QPointF(front.right(), front.bottom() + 10),
                  QPointF(front.left(), front.bottom() + 10), QStringLiteral("B"));
    drawDimension(p, QPointF(front.left() - 14, front.bottom()),
                  QPointF(front.left() - 14, front.top()), QStringLiteral("H"));

    // Side section: the duct from the front wall into the box, g to the opposite wall.
    p.setPen(QPen(ink, 1.5));
    const QRectF side(250, 30, 140, 160);
    p.drawRect(side);
    p.drawText(QRectF(side.left(), 6, side.width(), 18), Qt::AlignCenter,
               QString::fromUtf8("seitlich"));
    const double ductLength = 80; // pixels
    const QRectF duct(side.left(), side.bottom() - 70, ductLength, 36);
    p.fillRect(QRectF(side.left() - 1, duct.top() + 1, 3, duct.height() - 2), palette().base());
    p.drawLine(duct.topLeft(), duct.topRight());
    p.drawLine(duct.bottomLeft(), duct.bottomRight());
    p.setPen(thin);
    drawDimension(p, QPointF(duct.left(), duct.top() - 8), QPointF(duct.right(), duct.top() - 8),
                  QStringLiteral("l"));
    drawDimension(p, QPointF(duct.right(), duct.center().y()),
                  QPointF(side.right(), duct.center().y()), QStringLiteral("g"));
    drawDimension(p, QPointF(side.right(), side.bottom() + 10),
                  QPointF(side.left(), side.bottom() + 10), QStringLiteral("T"));
    drawDimension(p, QPointF(side.right() + 14, side.top()),
                  QPointF(side.right() + 14, side.bottom()), QStringLiteral("H"));
}

} // namespace sonora::ui

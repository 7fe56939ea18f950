#include "app/ui/crossover_editor_canvas.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "app/shell/crossover_editor.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

const QColor kWireColour(0, 0, 0);
const QColor kFreeWireColour(0, 0, 160);
const QColor kPartColour(0, 0, 0);
const QColor kReversedColour(200, 0, 0);
const QColor kOptimizeFill(255, 215, 110);
const QColor kNodeColour(150, 150, 150);
const QColor kTextColour(0, 0, 120);
const QColor kNumberColour(0, 120, 0);

constexpr int kNodeDot = 2;          // radius of a grid node, pixels
constexpr int kCoilTurns = 4;        // humps of the coil symbol
constexpr double kPlateGap = 0.2;    // capacitor: gap between the plates, in body lengths
constexpr double kBodyFill = 0.5;    // R and driver: thickness in body thicknesses
constexpr int kTextGap = 2;          // pixels between a body and its text
constexpr double kLineFactor = 1.25; // line height of a text, in font heights

QRect toQRect(const SchematicRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

QPoint toQPoint(SchematicPoint p) {
    return QPoint(p.x, p.y);
}

// The symbol of a grid slot, drawn along the x axis centred on the origin: the leads from the
// nodes at -span/2 and +span/2 to the body, the body `length` long and `thick` thick.
void paintSymbol(QPainter& p, const SlotPicture& s, double span, double length, double thick) {
    const double half = length / 2;
    const double ends = span / 2;
    const auto leads = [&](double inner) {
        p.drawLine(QPointF(-ends, 0), QPointF(-inner, 0));
        p.drawLine(QPointF(inner, 0), QPointF(ends, 0));
    };
    switch (s.typ) {
    case kPartResistor:
        leads(half);
        p.drawRect(QRectF(-half, -thick * kBodyFill / 2, length, thick * kBodyFill));
        break;
    case kPartCapacitor: {
        const double gap = length * kPlateGap / 2;
        leads(gap);
        const double plate = thick * 0.8 / 2;
        QPen pen = p.pen();
        pen.setWidthF(pen.widthF() * 2);
        p.save();
        p.setPen(pen);
        p.drawLine(QPointF(-gap, -plate), QPointF(-gap, plate));
        p.drawLine(QPointF(gap, -plate), QPointF(gap, plate));
        p.restore();
        break;
    }
    case kPartCoil: {
        leads(half);
        QPainterPath path(QPointF(-half, 0));
        const double turn = length / kCoilTurns;
        for (int k = 0; k < kCoilTurns; ++k) {
            path.arcTo(QRectF(-half + k * turn, -turn / 2, turn, turn), 180, -180);
        }
        p.drawPath(path);
        break;
    }
    case kPartDriver: {
        // Magnet and cone of a loudspeaker, the cone opening towards -y.
        leads(half / 2);
        const double t = thick * kBodyFill;
        p.drawRect(QRectF(-half / 2, -t / 2, half, t / 2));
        QPolygonF cone;
        cone << QPointF(-half / 2, -t / 2) << QPointF(half / 2, -t / 2) << QPointF(half, -thick / 2)
             << QPointF(-half, -thick / 2);
        p.drawPolygon(cone);
        break;
    }
    case kPartAmplifier: {
        const double r = std::min(half, thick / 2);
        leads(r);
        p.drawEllipse(QPointF(0, 0), r, r);
        QPainterPath wave(QPointF(-r / 2, 0));
        wave.cubicTo(QPointF(-r / 4, -r / 2), QPointF(0, -r / 2), QPointF(0, 0));
        wave.cubicTo(QPointF(0, r / 2), QPointF(r / 4, r / 2), QPointF(r / 2, 0));
        p.drawPath(wave);
        break;
    }
    default: // a wire
        p.drawLine(QPointF(-ends, 0), QPointF(ends, 0));
        break;
    }
}

// The texts of a grid slot beside its body: above a horizontal slot (second text below it),
// right of a vertical one (second text under the first).
void paintSlotTexts(QPainter& p, const SlotPicture& s, const SchematicGeometry& g) {
    const QRect body = toQRect(s.body);
    const int line = static_cast<int>(g.fontPixels * kLineFactor) + 1;
    p.setPen(kTextColour);
    if (s.orientation == SlotOrientation::Horizontal) {
        const int extra = g.pitch / 4;
        const QRect above(body.left() - extra, body.top() - line - kTextGap,
                          body.width() + 2 * extra, line);
        p.drawText(above, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip, fromUtf8(s.text));
        if (!s.secondText.empty()) {
            const QRect below(above.left(), body.bottom() + kTextGap, above.width(), line);
            p.drawText(below, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                       fromUtf8(s.secondText));
        }
        return;
    }
    // Right of the body; in the last column, where the canvas ends, left of it.
    const QFontMetrics metrics = p.fontMetrics();
    const int width = std::max(metrics.horizontalAdvance(fromUtf8(s.text)),
                               metrics.horizontalAdvance(fromUtf8(s.secondText)));
    const bool left = body.right() + kTextGap + width > g.width;
    const int x = left ? body.left() - kTextGap - width : body.right() + kTextGap;
    const Qt::Alignment align = (left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    const int middle = body.center().y();
    const int lines = s.secondText.empty() ? 1 : 2;
    const QRect first(x, middle - lines * line / 2, width, line);
    p.drawText(first, align | Qt::TextDontClip, fromUtf8(s.text));
    if (lines == 2) {
        p.drawText(first.translated(0, line), align | Qt::TextDontClip, fromUtf8(s.secondText));
    }
}

// "+" at the terminal that is positive: nod1, or nod2 when the polarity is reversed.
void paintPolarity(QPainter& p, const SlotPicture& s, const SchematicGeometry& g) {
    const QRect body = toQRect(s.body);
    const int size = g.fontPixels + 2;
    // Beside the lead, between the body and the node.
    const QPoint centre = body.center();
    QPoint at;
    if (s.orientation == SlotOrientation::Horizontal) {
        at = QPoint(s.negative ? body.right() + 1 : body.left() - size, centre.y() - size);
    } else {
        at = QPoint(centre.x() + 1, s.negative ? body.bottom() + 1 : body.top() - size);
    }
    p.setPen(s.negative ? kReversedColour : kPartColour);
    p.drawText(QRect(at, QSize(size, size)), Qt::AlignCenter, QStringLiteral("+"));
}

void paintGridSlot(QPainter& p, const SlotPicture& s, const SchematicGeometry& g) {
    const QRect body = toQRect(s.body);
    if (s.optimize) {
        p.fillRect(body, kOptimizeFill);
    }
    const bool vertical = s.orientation == SlotOrientation::Vertical;
    const double span = vertical ? s.to.y - s.from.y : s.to.x - s.from.x;
    const double length = vertical ? s.body.bottom - s.body.top : s.body.right - s.body.left;
    const double thick = vertical ? s.body.right - s.body.left : s.body.bottom - s.body.top;
    p.save();
    p.translate((s.from.x + s.to.x) / 2.0, (s.from.y + s.to.y) / 2.0);
    if (vertical) {
        p.rotate(90); // the cone of a driver then opens to the right, towards its text
    }
    p.setPen(QPen(s.negative ? kReversedColour : kPartColour, 1));
    p.setBrush(Qt::NoBrush);
    paintSymbol(p, s, span, length, thick);
    p.restore();
    if (s.typ == kPartDriver || s.typ == kPartAmplifier) {
        paintPolarity(p, s, g);
    }
    if (!s.text.empty() || !s.secondText.empty()) {
        paintSlotTexts(p, s, g);
    }
}

} // namespace

void paintSchematic(QPainter& painter, const SchematicPicture& picture) {
    const SchematicGeometry& g = picture.geometry;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRect(0, 0, g.width, g.height), Qt::white);
    QFont font = painter.font();
    font.setPixelSize(std::max(g.fontPixels, 1));
    painter.setFont(font);

    for (const NodePicture& n : picture.nodes) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kNodeColour);
        painter.drawEllipse(toQPoint(n.at), kNodeDot, kNodeDot);
        if (!n.text.empty()) {
            painter.setPen(kNumberColour);
            painter.drawText(QRect(n.at.x + kTextGap, n.at.y - g.halfBody, g.halfBody * 2,
                                   g.halfBody - kTextGap),
                             Qt::AlignLeft | Qt::AlignBottom, fromUtf8(n.text));
        }
    }
    painter.setBrush(Qt::NoBrush);
    for (const SlotPicture& s : picture.parts) {
        if (s.orientation == SlotOrientation::Free) {
            painter.setPen(QPen(kFreeWireColour, 1, Qt::DashLine));
            painter.drawLine(toQPoint(s.from), toQPoint(s.to));
            continue;
        }
        painter.setPen(kWireColour);
        paintGridSlot(painter, s, g);
    }
    painter.restore();
}

CrossoverCanvas::CrossoverCanvas(CrossoverEditor& editor, QWidget* parent)
    : QWidget(parent), editor_(editor), options_(std::make_unique<SchematicOptions>()) {
    setObjectName(QStringLiteral("schematic"));
    setOptions(*options_);
}

CrossoverCanvas::~CrossoverCanvas() = default;

SchematicPicture CrossoverCanvas::picture() const {
    return editor_.picture(*options_);
}

void CrossoverCanvas::setOptions(const SchematicOptions& options) {
    *options_ = options;
    const SchematicGeometry g = schematicGeometry(options_->sizePreset);
    setFixedSize(g.width, g.height);
    update();
}

QPoint CrossoverCanvas::slotCentre(int slot) const {
    const SchematicRect r = slotRect(schematicGeometry(options_->sizePreset), slot);
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void CrossoverCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintSchematic(painter, picture());
}

void CrossoverCanvas::mousePressEvent(QMouseEvent* event) {
    MouseButton button;
    if (event->button() == Qt::LeftButton) {
        button = MouseButton::Left;
    } else if (event->button() == Qt::RightButton) {
        button = MouseButton::Right;
    } else {
        return;
    }
    MouseModifiers modifiers;
    modifiers.shift = event->modifiers().testFlag(Qt::ShiftModifier);
    modifiers.ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const QPoint at = event->position().toPoint();
    const PressOutcome out =
        editor_.press({at.x(), at.y()}, button, modifiers, options_->sizePreset);
    if (out.changed) {
        update();
        emit edited();
    }
    if (out.openPartDialog) {
        emit partDialogRequested(out.slot, event->globalPosition().toPoint());
    }
}

void CrossoverCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (editor_.move({at.x(), at.y()})) {
        update();
        emit edited();
    }
}

void CrossoverCanvas::mouseReleaseEvent(QMouseEvent*) {
    editor_.release();
}

} // namespace sonora::ui

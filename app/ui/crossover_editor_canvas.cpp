#include "app/ui/crossover_editor_canvas.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

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

constexpr int kNodeDot = 2; // radius of a grid node, pixels
constexpr int kTextGap = 2; // pixels between a node and its number

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
        p.drawRect(QRectF(-half, -thick * kSymbolBodyFill / 2, length, thick * kSymbolBodyFill));
        break;
    case kPartCapacitor: {
        const double gap = length * kSymbolPlateGap / 2;
        leads(gap);
        const double plate = thick * kSymbolPlateHeight / 2;
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
        const double turn = length / kSymbolCoilTurns;
        for (int k = 0; k < kSymbolCoilTurns; ++k) {
            path.arcTo(QRectF(-half + k * turn, -turn / 2, turn, turn), 180, -180);
        }
        p.drawPath(path);
        break;
    }
    case kPartDriver: {
        // Magnet and cone of a loudspeaker, the cone opening towards -y.
        leads(half / 2);
        const double t = thick * kSymbolBodyFill;
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

void paintGridSlot(QPainter& p, const SlotPicture& s) {
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
}

void paintLabel(QPainter& p, const SchematicLabel& label, const SlotPicture& s, const QFont& base) {
    p.setFont(schematicFont(base, label.fontPixels));
    if (label.kind == LabelKind::Polarity) {
        p.setPen(s.negative ? kReversedColour : kPartColour);
    } else {
        p.setPen(kTextColour);
    }
    const int line = schematicLineHeight(label.fontPixels);
    QRect r = toQRect(label.rect);
    r.setHeight(line);
    for (const std::string& text : label.lines) {
        p.drawText(r, Qt::AlignCenter | Qt::TextDontClip, fromUtf8(text));
        r.translate(0, line);
    }
}

// The flag on node 132, which lies outside the grid: a red ring with a cross.
void paintOffGridNode(QPainter& p, const SchematicGeometry& g) {
    const QRect r = toQRect(offGridMarker(g));
    p.setPen(QPen(kReversedColour, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(r);
    const int inset = r.width() / 4;
    p.drawLine(r.topLeft() + QPoint(inset, inset), r.bottomRight() - QPoint(inset, inset));
    p.drawLine(r.topRight() + QPoint(-inset, inset), r.bottomLeft() + QPoint(inset, -inset));
}

} // namespace

QFont schematicFont(const QFont& base, int pixels) {
    QFont font = base;
    font.setPixelSize(std::max(pixels, 1));
    return font;
}

TextMeasure schematicTextMeasure(const QFont& base) {
    return [base](const std::string& text, int pixels) {
        return QFontMetrics(schematicFont(base, pixels)).horizontalAdvance(fromUtf8(text));
    };
}

SchematicLayout schematicLayout(const SchematicPicture& picture, const QFont& base) {
    return layoutLabels(picture, schematicTextMeasure(base));
}

void paintSchematic(QPainter& painter, const SchematicPicture& picture) {
    const SchematicGeometry& g = picture.geometry;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRect(0, 0, g.width, g.height), Qt::white);
    const QFont base = painter.font();
    painter.setFont(schematicFont(base, g.fontPixels));

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
        paintGridSlot(painter, s);
    }
    if (picture.offGridNode) {
        paintOffGridNode(painter, g);
    }
    const SchematicLayout layout = schematicLayout(picture, base);
    for (const SchematicLabel& label : layout.labels) {
        const auto owner = std::find_if(picture.parts.begin(), picture.parts.end(),
                                        [&](const SlotPicture& s) { return s.slot == label.slot; });
        if (label.placed && owner != picture.parts.end()) {
            paintLabel(painter, label, *owner, base);
        }
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

bool CrossoverCanvas::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = toolTipAt(help->pos());
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, this);
    }
    return true;
}

QString CrossoverCanvas::toolTipAt(QPoint at) const {
    const SchematicPicture p = picture();
    return fromUtf8(schematicTipAt(p, schematicLayout(p, font()), {at.x(), at.y()}));
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

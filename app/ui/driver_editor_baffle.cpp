#include "app/ui/driver_editor_baffle.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace sonora::ui {

namespace {
constexpr int kMargin = 22;         // pixels around the baffle for the letters
constexpr int kHintWidth = 220;     // pixels
constexpr int kHintHeight = 300;    // pixels
constexpr double kMinExtent = 1e-6; // m: below this the baffle is not drawn
constexpr int kEdgeOn = 3;          // pen width of an edge with diffraction, pixels
constexpr int kEdgeOff = 1;         // pen width of an edge continued by a wall
constexpr int kLetterOffset = 14;   // pixels beside a dimension line
} // namespace

BaffleDrawing::BaffleDrawing(QWidget* parent) : QWidget(parent) {
    setMinimumSize(kHintWidth / 2, kHintHeight / 2);
}

QSize BaffleDrawing::sizeHint() const {
    return {kHintWidth, kHintHeight};
}

void BaffleDrawing::setBaffle(const TSchallwand& baffle) {
    baffle_ = baffle;
    update();
}

void BaffleDrawing::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().window());
    const TSchallwand& s = baffle_;
    const double width = s.swb;  // m
    const double height = s.swh; // m
    if (!(width > kMinExtent && height > kMinExtent) || !std::isfinite(width + height)) {
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("b und h > 0 eingeben"));
        return;
    }
    // Metres to pixels, the same scale both ways, y growing downwards from the top edge.
    const double scale = std::min((this->width() - 2.0 * kMargin) / width,
                                  (this->height() - 2.0 * kMargin) / height);
    const double left = (this->width() - width * scale) / 2.0;
    const double top = (this->height() - height * scale) / 2.0;
    const auto px = [&](double x) { return left + x * scale; };
    const auto py = [&](double yUp) { return top + (height - yUp) * scale; };

    const QPointF tl(px(0), py(height)), tr(px(width), py(height));
    const QPointF bl(px(0), py(0)), br(px(width), py(0));
    p.fillRect(QRectF(tl, br), QColor(0xE8, 0xDC, 0xC0));
    const auto edge = [&](QPointF a, QPointF b, bool diffraction) {
        p.setPen(QPen(Qt::black, diffraction ? kEdgeOn : kEdgeOff));
        p.drawLine(a, b);
    };
    edge(tl, bl, s.beugl);
    edge(tr, br, s.beugr);
    edge(tl, tr, s.beugo);
    edge(bl, br, s.beugu);
    // The inner lines of the bevels: e left, f right, g top, i bottom.
    p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
    const double e = std::max(0.0, s.swe), f = std::max(0.0, s.swf);
    const double g = std::max(0.0, s.swg), i = std::max(0.0, s.swi);
    if (e > 0) {
        p.drawLine(QPointF(px(e), py(height - g)), QPointF(px(e), py(i)));
    }
    if (f > 0) {
        p.drawLine(QPointF(px(width - f), py(height - g)), QPointF(px(width - f), py(i)));
    }
    if (g > 0) {
        p.drawLine(QPointF(px(e), py(height - g)), QPointF(px(width - f), py(height - g)));
    }
    if (i > 0) {
        p.drawLine(QPointF(px(e), py(i)), QPointF(px(width - f), py(i)));
    }
    // The driver's outlet and its position.
    const QPointF centre(px(s.swc), py(s.swa));
    const double radius = std::max(0.0, s.swd) / 2.0 * scale;
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0x60, 0x60, 0x60));
    p.drawEllipse(centre, radius, radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::blue, 1, Qt::DotLine));
    p.drawLine(centre, QPointF(centre.x(), bl.y()));
    p.drawLine(centre, QPointF(bl.x(), centre.y()));
    p.setPen(Qt::blue);
    p.drawText(QPointF(centre.x() + 3, (centre.y() + bl.y()) / 2), QStringLiteral("a"));
    p.drawText(QPointF((centre.x() + bl.x()) / 2, centre.y() - 3), QStringLiteral("c"));
    p.drawText(QPointF(centre.x() + radius + 3, centre.y() - radius), QStringLiteral("d"));
    p.setPen(Qt::black);
    p.drawText(QPointF((tl.x() + tr.x()) / 2, bl.y() + kLetterOffset), QStringLiteral("b"));
    p.drawText(QPointF(tr.x() + 4, (tr.y() + br.y()) / 2), QStringLiteral("h"));
}

} // namespace sonora::ui

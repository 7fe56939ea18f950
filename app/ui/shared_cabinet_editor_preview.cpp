#include "app/ui/shared_cabinet_editor_preview.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "acoustics/shared_cabinet_dialog.h"

namespace sonora::ui {

namespace {

constexpr int kOutlinePoints = 48; // corners of the polygon that stands for an outlet's circle
constexpr int kMarginPixels = 24;
constexpr int kLabelOffsetPixels = 4;
constexpr int kMinimumSize = 360; // pixels
const QColor kFrontOutletColour(0, 64, 176);
const QColor kRearOutletColour(192, 64, 0);

struct Vector3 {
    double hor, vert, stra;
};

// Two unit directions in the plane of a face, in room coordinates.
void faceAxes(CabinetFace face, Vector3& u, Vector3& v) {
    switch (face) {
    case CabinetFace::Front:
    case CabinetFace::Back:
        u = {1, 0, 0};
        v = {0, 1, 0};
        return;
    case CabinetFace::Left:
    case CabinetFace::Right:
        u = {0, 0, 1};
        v = {0, 1, 0};
        return;
    case CabinetFace::Top:
    case CabinetFace::Bottom:
        u = {1, 0, 0};
        v = {0, 0, 1};
        return;
    }
}

bool faceHidden(CabinetFace face) {
    return face == CabinetFace::Back || face == CabinetFace::Left || face == CabinetFace::Bottom;
}

PreviewOutlet outlet(int driver, bool rear, CabinetFace face, const RoomPosition& centre,
                     double diameter) {
    PreviewOutlet o;
    o.driver = driver;
    o.rear = rear;
    o.face = face;
    o.hidden = faceHidden(face);
    o.centre = projectRoomPosition(centre);
    Vector3 u{}, v{};
    faceAxes(face, u, v);
    const double r = std::abs(diameter) / 2;
    for (int k = 0; k < kOutlinePoints; ++k) {
        const double phi = 2 * std::numbers::pi * k / kOutlinePoints;
        const double cu = r * std::cos(phi);
        const double sv = r * std::sin(phi);
        o.outline.push_back(projectRoomPosition({centre.hor + cu * u.hor + sv * v.hor,
                                                 centre.vert + cu * u.vert + sv * v.vert,
                                                 centre.stra + cu * u.stra + sv * v.stra}));
    }
    return o;
}

} // namespace

PreviewPoint projectRoomPosition(const RoomPosition& p) {
    const double depth = -p.stra * kPreviewDepthScale; // m behind the front plane, drawn
    return {p.hor + depth * std::cos(kPreviewDepthAngle),
            p.vert + depth * std::sin(kPreviewDepthAngle)};
}

CabinetPreview cabinetPreview(const TProjekt& p) {
    CabinetPreview preview;
    const TGemGeh& g = p.Gemgeh;
    const double hb = g.b / 2;
    const double hh = g.h / 2;

    // Corner k: bit 0 right, bit 1 top, bit 2 back. Corner 4 (left, bottom, back) is the one the
    // view does not reach; the three edges meeting there are hidden.
    constexpr int kCorners = 8;
    constexpr int kHiddenCorner = 4;
    const auto corner = [&](int k) {
        return RoomPosition{(k & 1) != 0 ? hb : -hb, (k & 2) != 0 ? hh : -hh,
                            (k & 4) != 0 ? -g.t : 0.0};
    };
    for (int a = 0; a < kCorners; ++a) {
        for (int bit = 1; bit < kCorners; bit <<= 1) {
            if ((a & bit) != 0) {
                continue;
            }
            const int b = a | bit; // corners that differ in one coordinate share an edge
            preview.edges.push_back({projectRoomPosition(corner(a)), projectRoomPosition(corner(b)),
                                     a == kHiddenCorner || b == kHiddenCorner});
        }
    }
    // The bevels' inner lines on the front face.
    const double left = -hb + g.fasl, right = hb - g.fasr;
    const double bottom = -hh + g.fasu, top = hh - g.faso;
    const auto frontLine = [&](double x0, double y0, double x1, double y1) {
        preview.edges.push_back(
            {projectRoomPosition({x0, y0, 0}), projectRoomPosition({x1, y1, 0}), false});
    };
    if (g.fasl > 0) {
        frontLine(left, bottom, left, top);
    }
    if (g.fasr > 0) {
        frontLine(right, bottom, right, top);
    }
    if (g.faso > 0) {
        frontLine(left, top, right, top);
    }
    if (g.fasu > 0) {
        frontLine(left, bottom, right, bottom);
    }

    const int drivers = std::clamp<int>(p.nChassis, 0, kMaxChassis);
    for (int n = 0; n < drivers; ++n) {
        const TSchallwand& sw = p.schallwand[n];
        if (!sw.usegemgeh) {
            continue;
        }
        const CabinetFace face = cabinetFaceOf(sw.direction);
        preview.outlets.push_back(outlet(n, false, face, {sw.swhor, sw.swvert, sw.swstra}, sw.swd));
        if (sharedCabinetRowFields(true, p.einbau[n].typ).rearOutlet) {
            preview.outlets.push_back(outlet(n, true, rearOutletFace(face, sw.directionr),
                                             {sw.swhorr, sw.swvertr, sw.swstrar}, sw.swdr));
        }
    }
    return preview;
}

CabinetPreviewWidget::CabinetPreviewWidget(QWidget* parent) : QWidget(parent) {
    setMinimumSize(kMinimumSize, kMinimumSize);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void CabinetPreviewWidget::setPreview(CabinetPreview preview) {
    preview_ = std::move(preview);
    update();
}

void CabinetPreviewWidget::paintEvent(QPaintEvent*) {
    // Bounds of everything drawn, m.
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    bool first = true;
    const auto include = [&](const PreviewPoint& q) {
        if (!std::isfinite(q.x) || !std::isfinite(q.y)) {
            return;
        }
        x0 = first ? q.x : std::min(x0, q.x);
        x1 = first ? q.x : std::max(x1, q.x);
        y0 = first ? q.y : std::min(y0, q.y);
        y1 = first ? q.y : std::max(y1, q.y);
        first = false;
    };
    for (const PreviewEdge& e : preview_.edges) {
        include(e.from);
        include(e.to);
    }
    for (const PreviewOutlet& o : preview_.outlets) {
        for (const PreviewPoint& q : o.outline) {
            include(q);
        }
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double spanX = x1 - x0, spanY = y1 - y0;
    if (first || spanX <= 0 || spanY <= 0) {
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("-"));
        return;
    }
    const double scale = std::min((width() - 2.0 * kMarginPixels) / spanX,
                                  (height() - 2.0 * kMarginPixels) / spanY); // pixels per m
    const double offX = (width() - scale * spanX) / 2;
    const double offY = (height() - scale * spanY) / 2;
    const auto toPixel = [&](const PreviewPoint& q) {
        return QPointF(offX + (q.x - x0) * scale, height() - offY - (q.y - y0) * scale);
    };

    for (const PreviewEdge& e : preview_.edges) {
        painter.setPen(
            QPen(e.hidden ? Qt::gray : Qt::black, 1, e.hidden ? Qt::DashLine : Qt::SolidLine));
        painter.drawLine(toPixel(e.from), toPixel(e.to));
    }
    for (const PreviewOutlet& o : preview_.outlets) {
        QPolygonF polygon;
        for (const PreviewPoint& q : o.outline) {
            polygon << toPixel(q);
        }
        const QColor colour = o.rear ? kRearOutletColour : kFrontOutletColour;
        painter.setPen(QPen(colour, o.hidden ? 1 : 2, o.hidden ? Qt::DashLine : Qt::SolidLine));
        painter.setBrush(o.hidden ? Qt::NoBrush : QBrush(colour.lighter(180)));
        painter.drawPolygon(polygon);
        const QPointF c = toPixel(o.centre);
        painter.drawText(c + QPointF(kLabelOffsetPixels, -kLabelOffsetPixels),
                         QString::number(o.driver + 1) +
                             (o.rear ? QStringLiteral("r") : QString()));
    }
}

} // namespace sonora::ui

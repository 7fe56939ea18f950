#include "app/shell/crossover_editor_labels.h"

#include <algorithm>
#include <cmath>

namespace sonora {

namespace {

constexpr int kPen = 1;              // pixels the pen adds around a symbol
constexpr int kTextGap = 2;          // pixels between a symbol and its text
constexpr double kLineFactor = 1.25; // line height of a text, in font heights
// Text heights tried for a label that found no place, in shares of the full height.
constexpr double kShrinkSteps[] = {0.85, 0.7, 0.55};
// Cost of a place that lies across a wire or lead, against one step down the candidate list.
constexpr int kCrossingCost = 1000;

struct Segment {
    double x0, y0, x1, y1;
};

SchematicRect rectAround(double cx, double cy, double halfX, double halfY) {
    return {static_cast<int>(std::floor(cx - halfX)) - kPen,
            static_cast<int>(std::floor(cy - halfY)) - kPen,
            static_cast<int>(std::ceil(cx + halfX)) + kPen + 1,
            static_cast<int>(std::ceil(cy + halfY)) + kPen + 1};
}

bool isEmpty(const SchematicRect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

// Liang-Barsky: does the segment touch the inside of `r`?
bool segmentCrosses(const Segment& s, const SchematicRect& r) {
    double t0 = 0;
    double t1 = 1;
    const double dx = s.x1 - s.x0;
    const double dy = s.y1 - s.y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {s.x0 - r.left, r.right - 1 - s.x0, s.y0 - r.top, r.bottom - 1 - s.y0};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0) {
                return false;
            }
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    return true;
}

class Placer {
public:
    Placer(const SchematicPicture& picture, const TextMeasure& measure,
           std::vector<SchematicLabel>& labels, const std::vector<const SlotPicture*>& owners)
        : g_(picture.geometry), measure_(measure), labels_(labels), owners_(owners) {
        for (const SlotPicture& s : picture.parts) {
            segments_.push_back(Segment{static_cast<double>(s.from.x),
                                        static_cast<double>(s.from.y), static_cast<double>(s.to.x),
                                        static_cast<double>(s.to.y)});
        }
    }

    void addObstacle(const SchematicRect& r) {
        if (!isEmpty(r)) {
            symbols_.push_back(r);
        }
    }

    // Puts label `k` at its best free place at `fontPixels`; false when there is none.
    bool place(std::size_t k, int fontPixels) {
        const std::vector<SchematicRect> candidates = places(k, fontPixels);
        int best = -1;
        int bestCost = 0;
        for (int c = 0; c < static_cast<int>(candidates.size()); ++c) {
            const SchematicRect& r = candidates[c];
            if (!free(r, k)) {
                continue;
            }
            const int cost = c + (crossesWire(r) ? kCrossingCost : 0);
            if (best < 0 || cost < bestCost) {
                best = c;
                bestCost = cost;
            }
        }
        if (best < 0) {
            return false;
        }
        put(k, candidates[best], fontPixels);
        return true;
    }

    // Label `k` found no place: takes a place that only one placed label blocks, and moves that
    // one to another free place of its own (at its size or smaller). False when no such pair of
    // moves exists; then nothing has changed.
    bool displace(std::size_t k, int fontPixels, const std::vector<int>& sizes) {
        for (const SchematicRect& r : places(k, fontPixels)) {
            if (!insideAndClearOfSymbols(r)) {
                continue;
            }
            std::size_t blocker = labels_.size();
            int blockers = 0;
            for (std::size_t b = 0; b < labels_.size(); ++b) {
                if (b != k && labels_[b].placed && rectsIntersect(r, labels_[b].rect)) {
                    blocker = b;
                    ++blockers;
                }
            }
            if (blockers != 1) {
                continue;
            }
            const SchematicLabel saved = labels_[blocker];
            labels_[blocker].placed = false;
            put(k, r, fontPixels);
            for (int size : sizes) {
                if (size <= saved.fontPixels && place(blocker, size)) {
                    return true;
                }
            }
            labels_[k].placed = false;
            labels_[blocker] = saved;
        }
        return false;
    }

private:
    void put(std::size_t k, const SchematicRect& r, int fontPixels) {
        labels_[k].rect = r;
        labels_[k].fontPixels = fontPixels;
        labels_[k].placed = true;
    }

    std::vector<SchematicRect> places(std::size_t k, int fontPixels) const {
        const SchematicLabel& label = labels_[k];
        int width = 0;
        for (const std::string& line : label.lines) {
            width = std::max(width, measure_(line, fontPixels) + 1);
        }
        const int height = schematicLineHeight(fontPixels) * static_cast<int>(label.lines.size());
        return label.kind == LabelKind::Polarity ? polarityPlaces(*owners_[k], width, height)
                                                 : textPlaces(*owners_[k], width, height);
    }

    bool insideAndClearOfSymbols(const SchematicRect& r) const {
        if (r.left < 0 || r.top < 0 || r.right > g_.width || r.bottom > g_.height) {
            return false;
        }
        return std::none_of(symbols_.begin(), symbols_.end(),
                            [&](const SchematicRect& t) { return rectsIntersect(r, t); });
    }

    bool free(const SchematicRect& r, std::size_t self) const {
        if (!insideAndClearOfSymbols(r)) {
            return false;
        }
        for (std::size_t b = 0; b < labels_.size(); ++b) {
            if (b != self && labels_[b].placed && rectsIntersect(r, labels_[b].rect)) {
                return false;
            }
        }
        return true;
    }

    bool crossesWire(const SchematicRect& r) const {
        return std::any_of(segments_.begin(), segments_.end(),
                           [&](const Segment& s) { return segmentCrosses(s, r); });
    }

    // Places around a part's symbol S, best first: beside S on the side that reads first (above
    // a horizontal part, right of a vertical one), then on the other side, each centred and then
    // shifted along the wire; the same a little further off; then beside the leads across the
    // wire.
    std::vector<SchematicRect> textPlaces(const SlotPicture& s, int w, int h) const {
        SchematicRect sym = symbolRect(s);
        const int cx = (s.from.x + s.to.x) / 2;
        const int cy = (s.from.y + s.to.y) / 2;
        if (isEmpty(sym)) {
            sym = {cx, cy, cx + 1, cy + 1};
        }
        const int step = std::max(g_.pitch / 8, 1);
        const int shifts[] = {0,        -step,     step,     -2 * step, 2 * step, -3 * step,
                              3 * step, -4 * step, 4 * step, -5 * step, 5 * step};
        std::vector<SchematicRect> out;
        if (s.orientation == SlotOrientation::Horizontal) {
            const int above = sym.top - kTextGap - h;
            const int below = sym.bottom + kTextGap;
            for (int top : {above, below, above - step, below + step}) {
                for (int d : shifts) {
                    out.push_back({cx - w / 2 + d, top, cx - w / 2 + d + w, top + h});
                }
            }
            // Beside the symbol, over its leads.
            out.push_back(
                {sym.left - kTextGap - w, cy - h / 2, sym.left - kTextGap, cy - h / 2 + h});
            out.push_back(
                {sym.right + kTextGap, cy - h / 2, sym.right + kTextGap + w, cy - h / 2 + h});
        } else {
            const int right = sym.right + kTextGap;
            const int left = sym.left - kTextGap - w;
            for (int x : {right, left, right + step, left - step}) {
                for (int d : shifts) {
                    out.push_back({x, cy - h / 2 + d, x + w, cy - h / 2 + d + h});
                }
            }
            out.push_back({cx - w / 2, sym.top - kTextGap - h, cx - w / 2 + w, sym.top - kTextGap});
            out.push_back(
                {cx - w / 2, sym.bottom + kTextGap, cx - w / 2 + w, sym.bottom + kTextGap + h});
        }
        return out;
    }

    // The "+" goes beside the lead at the positive terminal: nod1, or nod2 when reversed.
    std::vector<SchematicRect> polarityPlaces(const SlotPicture& s, int w, int h) const {
        const SchematicRect sym = symbolRect(s);
        std::vector<SchematicRect> out;
        if (s.orientation == SlotOrientation::Horizontal) {
            const int x = s.negative ? sym.right : sym.left - w;
            const int y = s.from.y;
            for (int dx : {0, s.negative ? w / 2 : -w / 2}) {
                out.push_back({x + dx, y - kPen - h, x + dx + w, y - kPen});
                out.push_back({x + dx, y + kPen + 1, x + dx + w, y + kPen + 1 + h});
            }
        } else {
            const int y = s.negative ? sym.bottom : sym.top - h;
            const int x = s.from.x;
            for (int dy : {0, s.negative ? h / 2 : -h / 2}) {
                out.push_back({x + kPen + 1, y + dy, x + kPen + 1 + w, y + dy + h});
                out.push_back({x - kPen - w, y + dy, x - kPen, y + dy + h});
            }
        }
        return out;
    }

    const SchematicGeometry& g_;
    const TextMeasure& measure_;
    std::vector<SchematicLabel>& labels_;
    const std::vector<const SlotPicture*>& owners_;
    std::vector<SchematicRect> symbols_;
    std::vector<Segment> segments_;
};

} // namespace

int schematicLineHeight(int fontPixels) {
    return static_cast<int>(std::ceil(fontPixels * kLineFactor)) + 1;
}

bool rectsIntersect(const SchematicRect& a, const SchematicRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom &&
           !isEmpty(a) && !isEmpty(b);
}

SchematicRect symbolRect(const SlotPicture& s) {
    if (s.orientation == SlotOrientation::Free || s.typ <= kPartWire || isEmpty(s.body)) {
        return {0, 0, 0, 0};
    }
    const bool vertical = s.orientation == SlotOrientation::Vertical;
    const double length = vertical ? s.body.bottom - s.body.top : s.body.right - s.body.left;
    const double thick = vertical ? s.body.right - s.body.left : s.body.bottom - s.body.top;
    const double half = length / 2;
    // Extent along the wire and across it, both halves; `acrossLow`..`acrossHigh` in the frame of
    // a horizontal part (negative is up), turned for a vertical one.
    double along = half;
    double acrossLow = -thick / 2;
    double acrossHigh = thick / 2;
    switch (s.typ) {
    case kPartResistor:
        acrossLow = -thick * kSymbolBodyFill / 2;
        acrossHigh = -acrossLow;
        break;
    case kPartCapacitor:
        along = length * kSymbolPlateGap / 2 + kPen; // the plates are drawn twice as thick
        acrossLow = -thick * kSymbolPlateHeight / 2;
        acrossHigh = -acrossLow;
        break;
    case kPartCoil:
        acrossLow = -length / kSymbolCoilTurns / 2;
        acrossHigh = 0;
        break;
    case kPartDriver:
        acrossLow = -thick / 2; // the cone
        acrossHigh = 0;
        break;
    case kPartAmplifier:
        along = std::min(half, thick / 2);
        acrossLow = -along;
        acrossHigh = along;
        break;
    default:
        break;
    }
    const double cx = (s.from.x + s.to.x) / 2.0;
    const double cy = (s.from.y + s.to.y) / 2.0;
    if (!vertical) {
        const double mid = (acrossLow + acrossHigh) / 2;
        return rectAround(cx, cy + mid, along, (acrossHigh - acrossLow) / 2);
    }
    // Turned a quarter clockwise: "up" of the horizontal frame points to the right.
    const double mid = -(acrossLow + acrossHigh) / 2;
    return rectAround(cx + mid, cy, (acrossHigh - acrossLow) / 2, along);
}

SchematicLayout layoutLabels(const SchematicPicture& picture, const TextMeasure& measure) {
    SchematicLayout layout;
    const SchematicGeometry& g = picture.geometry;
    for (const SlotPicture& s : picture.parts) {
        const SchematicRect r = symbolRect(s);
        if (!isEmpty(r)) {
            layout.symbols.push_back(r);
        }
    }
    if (picture.offGridNode) {
        layout.symbols.push_back(offGridMarker(g));
    }

    std::vector<const SlotPicture*> owners;
    for (const SlotPicture& s : picture.parts) {
        if (s.orientation == SlotOrientation::Free) {
            continue;
        }
        std::vector<std::string> lines;
        if (!s.text.empty()) {
            lines.push_back(s.text);
        }
        if (!s.secondText.empty()) {
            lines.push_back(s.secondText);
        }
        if (!lines.empty()) {
            layout.labels.push_back(
                {s.slot, LabelKind::Text, std::move(lines), g.fontPixels, {}, false});
            owners.push_back(&s);
        }
        if (s.typ == kPartDriver || s.typ == kPartAmplifier) {
            layout.labels.push_back({s.slot, LabelKind::Polarity, {"+"}, g.fontPixels, {}, false});
            owners.push_back(&s);
        }
    }

    Placer placer(picture, measure, layout.labels, owners);
    for (const SchematicRect& r : layout.symbols) {
        placer.addObstacle(r);
    }
    std::vector<int> sizes{g.fontPixels};
    for (double share : kShrinkSteps) {
        const int pixels = static_cast<int>(g.fontPixels * share);
        if (pixels >= kMinLabelPixels && pixels < sizes.back()) {
            sizes.push_back(pixels);
        }
    }
    // The polarity marks first: they have few places, all next to their own terminal. Then the
    // texts at full size; those left over try the smaller sizes after all others have a place,
    // and at each size may push one placed label aside.
    for (LabelKind kind : {LabelKind::Polarity, LabelKind::Text}) {
        for (std::size_t k = 0; k < layout.labels.size(); ++k) {
            if (layout.labels[k].kind == kind) {
                placer.place(k, sizes.front());
            }
        }
    }
    for (int size : sizes) {
        for (std::size_t k = 0; k < layout.labels.size(); ++k) {
            if (!layout.labels[k].placed && !placer.place(k, size)) {
                placer.displace(k, size, sizes);
            }
        }
    }
    // Last, a two-line text that still has no place is split, and each line looks for its own.
    const std::size_t count = layout.labels.size();
    for (std::size_t k = 0; k < count; ++k) {
        SchematicLabel& label = layout.labels[k];
        if (label.placed || label.lines.size() < 2) {
            continue;
        }
        SchematicLabel second = label;
        second.lines.erase(second.lines.begin());
        label.lines.resize(1);
        layout.labels.push_back(std::move(second));
        owners.push_back(owners[k]);
        for (std::size_t part : {k, layout.labels.size() - 1}) {
            for (int size : sizes) {
                if (placer.place(part, size) || placer.displace(part, size, sizes)) {
                    break;
                }
            }
        }
    }
    for (SchematicLabel& label : layout.labels) {
        if (!label.placed) {
            label.rect = {0, 0, 0, 0};
            label.fontPixels = g.fontPixels;
        }
    }
    return layout;
}

std::string schematicTipAt(const SchematicPicture& picture, const SchematicLayout& layout,
                           SchematicPoint p) {
    if (picture.offGridNode && offGridMarker(picture.geometry).contains(p)) {
        return kOffGridNodeTip;
    }
    const int slot = hitSlot(picture.geometry, p);
    std::string tip;
    for (const SchematicLabel& label : layout.labels) {
        if (label.slot != slot || label.placed || label.kind != LabelKind::Text) {
            continue;
        }
        for (const std::string& line : label.lines) {
            tip += (tip.empty() ? "" : ", ") + line;
        }
    }
    return tip;
}

} // namespace sonora

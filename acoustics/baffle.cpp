#include "acoustics/baffle.h"

#include <cmath>
#include <memory>
#include <optional>

#include "acoustics/baffle_driver_table.h"
#include "acoustics/baffle_edges.h"
#include "acoustics/baffle_paths.h"
#include "acoustics/baffle_test_enclosures.h"
#include "acoustics/baffle_turns.h"
#include "model/physics.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

// Check messages (UTF-8 here, Latin-1 in the text). Each ends with a blank so they can follow one
// another.
const char kMsgDiameter[] = "Maß d auf Schallwand muss >= 0 sein. ";
const char kMsgBevels[] = "Maße e, f, g, und i auf Schallwand müssen >= 0 sein. ";
const char kMsgDimensions[] = "Maße a, b, c und h auf Schallwand müssen > 0 sein. ";
const char kMsgPosition[] = "Chassisposition auf der Schallwand geometrisch nicht möglich. ";
const char kMsgUnknown[] = "Unbekannter Fehler.";

constexpr double kDiameterGuard = 1e-10; // m
constexpr std::size_t kErrorLength = 3;  // a text this long is a message
constexpr int kMergeEvery = 5;           // merge the path lists on every fifth grid row ...
constexpr int kMergeRow = 4;             // ... namely those with index mod 5 = 4
// Directions in front of the baffle plane, behind it, and in it.
constexpr int kLastFrontRing = 12;
constexpr int kLastBehind = 21;
constexpr int kLastInPlane = 29;
constexpr double kEdgeShare = 0.5; // the edge sources radiate half of the 90° sound
// Measured directional responses are smoothed over 2.5 relative steps of the grid.
constexpr double kMeasuredSmoothing = 2.5;

// Main radiation directions that turn the pattern (0 is to the front).
constexpr int kRadiatesBack = 1;
constexpr int kRadiatesLeft = 2;
constexpr int kRadiatesRight = 3;
constexpr int kRadiatesUp = 4;
constexpr int kRadiatesDown = 5;

bool anyEdge(const TSchallwand& sw) {
    return sw.beugl || sw.beugr || sw.beugo || sw.beugu;
}

// The checks of the baffle geometry; NaN fails every check it takes part in.
std::string checkBaffle(const TSchallwand& sw) {
    std::string text;
    if (!(sw.swd >= 0.0)) {
        text += utf8ToLatin1(kMsgDiameter);
    }
    if (!(sw.swe >= 0.0 && sw.swf >= 0.0 && sw.swg >= 0.0 && sw.swi >= 0.0)) {
        text += utf8ToLatin1(kMsgBevels);
    }
    if (sw.direction >= 0 && anyEdge(sw)) {
        if (!(sw.swa > 0.0 && sw.swb > 0.0 && sw.swc > 0.0 && sw.swh > 0.0)) {
            text += utf8ToLatin1(kMsgDimensions);
        }
        // The outlet circle must stay on the flat front, clear of every bevel.
        const double r = (sw.swd + kDiameterGuard) / 2.0;
        const bool fits = r + sw.swi <= sw.swa && r + sw.swe <= sw.swc &&
                          r + sw.swa <= sw.swh - sw.swg && r + sw.swc <= sw.swb - sw.swf;
        if (!fits) {
            text += utf8ToLatin1(kMsgPosition);
        }
    }
    return text;
}

void fillTiny(BaffleResponse& out) {
    for (auto& row : out) {
        for (Complex& z : row) {
            z = kTinyResponse;
        }
    }
}

bool finiteRow(const Complex* row) {
    bool ok = true;
    for (int n = 0; n < kDirections; ++n) {
        ok = ok && std::isfinite(row[n].re) && std::isfinite(row[n].im);
    }
    return ok;
}

// Everything one call builds before its frequency loop; a few MB, so on the heap.
struct BaffleWork {
    EdgePoint points[kEdgePointCapacity];
    PathList lists[kDirections];
    DriverTable table;
};

// out[n] = D[n] − 0.5·D90·E_n in front, 0.5·D90·E_n behind, 0.5·D90 in the baffle plane.
void combine(const DriverTable& t, const PathList* lists, bool edges, double lambda, Complex* row) {
    Complex half;
    CScale(t.D90, kEdgeShare, half);
    for (int n = 0; n < kDirections; ++n) {
        if (n > kLastBehind && n <= kLastInPlane) {
            row[n] = half;
            continue;
        }
        const Complex e = edges ? SumEdges(lists[n], lambda) : Complex{0.0, 0.0};
        Complex diffracted;
        CMul(half, e, diffracted);
        if (n > kLastFrontRing && n <= kLastBehind) {
            row[n] = diffracted;
        } else {
            CSub(t.D[n], diffracted, row[n]);
        }
    }
}

// The frequency loop and the re-orientation; false when a value is not finite.
bool computeBaffle(BaffleResponse& out, const TSchallwand& sw, const TChassis& ch, int rows,
                   const double* freq, int membranform, const BaffleTuning& tuning) {
    auto work = std::make_unique<BaffleWork>();
    const bool front = sw.direction >= 0;
    // Without any edge every weight is 0 and the edge sum vanishes: no sources are needed.
    const bool edges = front && anyEdge(sw);
    if (edges) {
        BuildEdgePoints(work->points, kEdgePointCapacity, sw, tuning);
        for (int n = 0; n < kDirections; ++n) {
            BuildPathList(work->lists[n], work->points, n, tuning);
        }
    }
    const MembraneModel membrane(sw.swd, membranform);
    std::optional<TestEnclosureModel> enclosure;
    if (!front) {
        enclosure.emplace(testEnclosureTable(sw.direction));
    }
    const bool measured = usesMeasuredDirectivity(ch, sw.direction);
    const double width =
        rows > 1 ? kMeasuredSmoothing * (freq[1] - freq[0]) / freq[0] : 0.0; // relative

    // Descending frequency: the merges shorten the lists as the wavelength grows.
    for (int i = rows - 1; i >= 0; --i) {
        const double lambda = kSpeedOfSound / freq[i];
        if (edges && i % kMergeEvery == kMergeRow) {
            for (PathList& list : work->lists) {
                MergePathList(list, lambda, tuning);
            }
        }
        DriverTable& t = work->table;
        if (measured) {
            measuredTable(ch.Richt, freq[i], width, t);
        } else {
            membraneTable(membrane, sw.swd, membranform, lambda, t);
        }
        if (front) {
            combine(t, work->lists, edges, lambda, out[i]);
        } else {
            Complex e, diffracted;
            e = enclosure->edges(lambda);
            CMul(t.D90, e, diffracted);
            CSub(t.D[0], diffracted, out[i][0]);
        }
        if (!finiteRow(out[i])) {
            return false;
        }
    }

    const auto turn = [&](void (*f)(const double*, int, BaffleResponse&), int times) {
        for (int k = 0; k < times; ++k) {
            f(freq, rows, out);
        }
    };
    switch (sw.direction) {
    case kRadiatesBack:
        turn(TurnHorizontal, 2);
        break;
    case kRadiatesLeft:
        turn(TurnHorizontal, 1);
        break;
    case kRadiatesRight:
        turn(TurnHorizontal, 3);
        break;
    case kRadiatesUp:
        turn(TurnVertical, 1);
        break;
    case kRadiatesDown:
        turn(TurnVertical, 3);
        break;
    default: // front, the test enclosures, and unknown values: as computed
        break;
    }
    return true;
}

} // namespace

void CalcBaffle(BaffleResponse& out, const TSchallwand& sw, const TChassis& ch, std::string& text,
                int count, const double* freq, int membranform) {
    CalcBaffle(out, sw, ch, text, count, freq, membranform, baffleTuning());
}

void CalcBaffle(BaffleResponse& out, const TSchallwand& sw, const TChassis& ch, std::string& text,
                int count, const double* freq, int membranform, const BaffleTuning& tuning) {
    text.clear();
    fillTiny(out);
    text = checkBaffle(sw);
    if (text.size() >= kErrorLength) {
        return;
    }
    text = utf8ToLatin1(kMsgUnknown);
    bool ok = false;
    try {
        ok = computeBaffle(out, sw, ch, baffleGridRows(freq, count), freq, membranform, tuning);
    } catch (...) { // only the allocation of the work space can throw
        ok = false;
    }
    if (!ok) {
        fillTiny(out);
        return;
    }
    text = "OK";
}

} // namespace sonora

#include "analysis/dir_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/physics.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr double kBandStep = 0.5;         // dB per item of the band-width list
constexpr double kLowerBands = 10;        // lower limit = −10 band widths
constexpr double kUpperBands = 4;         // upper limit = +4 band widths
constexpr double kReferenceStep = 10;     // degrees per item of the reference-angle list
constexpr int kReferenceFirst = -90;      // degrees of the first item
constexpr double kReferenceGuard = 1e-20; // keeps the per-frequency ratio finite at a zero

constexpr std::array<TColor, kDirBands> kBandColors = {
    0xE0E0E0, // light grey, loudest
    0xA0A0A0, // grey
    0x404040, // dark grey
    0x000000, // black
    0x0000A0, // dark red
    0x0000D8, // red
    0x0060FF, // orange
    0x00C0FF, // amber
    0x00F0FF, // yellow
    0x40FF40, // green
    0xFFFF00, // cyan
    0xFFC000, // sky blue
    0xFF6000, // blue
    0xC00000, // dark blue, quietest
};

constexpr std::array<std::array<int, kAnglesPerSet>, kDirectionAngleSets> kAngleSets = {{
    {0, 5, 10, 15, 20, 25, 30},
    {0, 10, 20, 30, 40, 50, 60},
    {0, 15, 30, 45, 60, 75, 90},
    {0, 30, 60, 90, 120, 150, 180},
}};

int gridCount(const TResult& r) {
    return std::clamp<int>(r.nfreq, 0, kResultFreqs - 1);
}

} // namespace

std::unique_ptr<TDirData> makeDirData() {
    auto d = std::make_unique<TDirData>();
    std::memset(static_cast<void*>(d.get()), 0, sizeof(TDirData));
    d->Legende.clear();
    return d;
}

void Fill(TDirData& d, const TResult& r) {
    d.valid = r.valid;
    d.nvalues = gridCount(r);
    for (int i = 0; i < d.nvalues; ++i) {
        d.x[i] = r.freq[i];
        for (int a = 0; a < kPlaneAngles; ++a) {
            d.yh[i][a] = CAbs(r.fgang_box_h[i][a]);
            d.yv[i][a] = CAbs(r.fgang_box_v[i][a]);
        }
    }
}

std::string referenceAngleCaption(int item) {
    const int k = std::clamp(item, 0, kReferenceAngleItems - 1);
    const int degrees = kReferenceFirst + static_cast<int>(kReferenceStep) * k;
    return utf8ToLatin1("0 dB bei " + std::to_string(degrees) + "°");
}

std::string bandWidthCaption(int item) {
    const int k = std::clamp(item, 0, kBandWidthItems - 1);
    return compactNumberText(4, kBandStep * (k + 1)) + " dB";
}

BandLimits bandLimits(int bandWidthItem, bool noJumpAtZero) {
    const int k = std::clamp(bandWidthItem, 0, kBandWidthItems - 1);
    const double s = kBandStep * (k + 1);
    BandLimits b{-kLowerBands * s, kUpperBands * s};
    if (noJumpAtZero) {
        b.lower += s / 2;
        b.upper += s / 2;
    }
    return b;
}

double dirReference(const DirViewOptions& o) {
    if (!o.fixedReference) {
        return 0;
    }
    return std::pow(10.0, (parseFloat(o.fixedLevel).value - kLevelOfUnity) / 20);
}

int referenceAngleIndex(const DirViewOptions& o) {
    const int k = std::clamp(o.referenceAngleItem, 0, kReferenceAngleItems - 1);
    return kAxisAngleIndex + kReferenceFirst + static_cast<int>(kReferenceStep) * k;
}

void computeMapValues(TDirData& d, bool vertical, double ref, int refAngleIndex) {
    const int n = std::clamp<int>(d.nvalues, 0, kResultFreqs - 1);
    const int m = std::clamp(refAngleIndex, 0, kPlaneAngles - 1);
    for (int i = 0; i < n; ++i) {
        const double* v = vertical ? d.yv[i] : d.yh[i];
        const double divisor = ref == 0 ? v[m] + kReferenceGuard : ref;
        for (int a = 0; a < kPlaneAngles; ++a) {
            d.y[i][a] = v[a] / divisor;
        }
    }
}

std::string dirMapTitle(bool vertical) {
    return vertical ? "Richtcharakteritik vertikal" : "Richtcharakteritik horizontal";
}

std::string dirMapNote(bool vertical) {
    return utf8ToLatin1(vertical ? "+ = oben" : "+ = aus Hörersicht nach rechts");
}

std::string dirMapAxisTitle() {
    return utf8ToLatin1("Winkel[°]");
}

const std::array<TColor, kDirBands>& dirBandColors() {
    return kBandColors;
}

const std::array<int, kAnglesPerSet>& directionAngleSet(int set) {
    return kAngleSets[std::clamp(set, 0, kDirectionAngleSets - 1)];
}

std::string directionAngleSetCaption(int set) {
    const auto& a = directionAngleSet(set);
    std::string text;
    for (int k = 0; k < kAnglesPerSet - 1; ++k) {
        text += std::to_string(a[k]) + (k + 2 < kAnglesPerSet ? ", " : "");
    }
    return utf8ToLatin1(text + " und " + std::to_string(a[kAnglesPerSet - 1]) + "°");
}

TDirPlot::TDirPlot() : dirData_(makeDirData()), merkDirData_(makeDirData()) {}

void TDirPlot::Fill(const TResult& r, const TAnzOption& display) {
    sonora::Fill(*dirData_, r);
    fmin = display.Afmin;
    fmax = display.Afmax;
}

void TDirPlot::Copy2Merk() {
    std::memcpy(static_cast<void*>(merkDirData_.get()), dirData_.get(), sizeof(TDirData));
}

void TDirPlot::ClearMerk() {
    merkDirData_->valid = false;
}

} // namespace sonora

// Active filter stages: transfer functions, checks and editor rules.
#include "engine/active_filter.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "model/physics.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

constexpr double kPi = std::numbers::pi; // 3.1415926535897932385
constexpr double kMsPerSecond = 1000.0;  // delay is entered in ms, stored in s

// Captions in the editor's list order (UTF-8 here, Latin-1 where handed out).
constexpr std::array<std::string_view, kFilterKinds> kCaptions = {
    "kein Filter",
    "Hochpass 1. Ordnung",
    "Hochpass 2. Ordnung",
    "Tiefpass 1. Ordnung",
    "Tiefpass 2. Ordnung",
    "Kuhschwanzfilter hoch",
    "Kuhschwanzfilter tief",
    "Bandpass",
    "parametrischer Equalizer",
    "Butterworth-Hochpass",
    "Butterworth-Tiefpass",
    "Linkwitz-Riley-Hochpass",
    "Linkwitz-Riley-Tiefpass",
    "Verzögerung / Delay",
    "Shelving 2. Ordnung hoch",
    "Shelving 2. Ordnung tief",
    "Linkwitzfilter",
    "Allpassfilter 1. Ordnung",
    "Allpassfilter 2. Ordnung",
};

constexpr std::string_view kFaultPrefix = "Fehler: Aktives Filter an Verstärker ";
constexpr std::string_view kLevelFault = ": Pegelangabe fehlerhaft.";
constexpr std::string_view kCornerFault = ": Eckfrequenzen dürfen nicht <= 0 sein.";
constexpr std::string_view kQFault = ": Güten dürfen nicht <= 0 sein.";
constexpr std::string_view kGainFault = ": Verstärkung nur +/- 200 dB erlaubt.";
constexpr std::string_view kButterworthOrderMessage =
    "Unzulässige Filterordnung wird auf 2 gesetzt.\r\nErlaubt: 1, 2, 3 ... 128";
constexpr std::string_view kLinkwitzRileyOrderMessage =
    "Unzulässige Filterordnung wird auf 2 gesetzt.\r\nErlaubt: 2, 4, 6 ... 128";
constexpr std::string_view kLevelResetMessage = "Pegel von Amp wird auf 0dB gesetzt.";

FilterKind kindOf(const TFilter& fil) {
    return static_cast<FilterKind>(fil.typ);
}

bool isButterworth(FilterKind k) {
    return k == FilterKind::ButterworthHighPass || k == FilterKind::ButterworthLowPass;
}
bool isLinkwitzRiley(FilterKind k) {
    return k == FilterKind::LinkwitzRileyHighPass || k == FilterKind::LinkwitzRileyLowPass;
}

bool usesQ(FilterKind k) {
    switch (k) {
    case FilterKind::HighPass2:
    case FilterKind::LowPass2:
    case FilterKind::BandPass:
    case FilterKind::ParametricEq:
    case FilterKind::ShelfHigh2:
    case FilterKind::ShelfLow2:
    case FilterKind::LinkwitzTransform:
    case FilterKind::AllPass2:
        return true;
    default:
        return false;
    }
}

bool usesGain(FilterKind k) {
    switch (k) {
    case FilterKind::ShelfHigh1:
    case FilterKind::ShelfLow1:
    case FilterKind::ParametricEq:
    case FilterKind::ShelfHigh2:
    case FilterKind::ShelfLow2:
        return true;
    default:
        return false;
    }
}

Complex divided(const Complex& num, const Complex& den) {
    Complex r;
    CDiv(num, den, r);
    return r;
}

Complex times(const Complex& a, const Complex& b) {
    Complex r;
    CMul(a, b, r);
    return r;
}

// 1 - x^2 + j*x/q: the denominator of every second-order section.
Complex secondOrderDenominator(double x, double q) {
    return {1.0 - x * x, x / q};
}

Complex lowPass1(double x) {
    return divided({1.0, 0.0}, {1.0, x});
}
Complex highPass1(double x) {
    return divided({1.0, 0.0}, {1.0, -1.0 / x});
}
Complex lowPass2(double x, double q) {
    return divided({1.0, 0.0}, secondOrderDenominator(x, q));
}
Complex highPass2(double x, double q) {
    return divided({-x * x, 0.0}, secondOrderDenominator(x, q));
}

// (1 - (fg/fc)^2 + j*fg/(q*fc)) for a second-order section at fc.
Complex secondOrderAt(double fGrid, double fc, double q) {
    return secondOrderDenominator(fGrid / fc, q);
}

template <typename FirstOrder, typename SecondOrder>
Complex butterworth(double x, int n, FirstOrder first, SecondOrder second) {
    Complex h{1.0, 0.0};
    if (n < 1) {
        return h;
    }
    if (n % 2 != 0) {
        h = first(x);
        const int m = (n - 1) / 2;
        for (int i = 1; i <= m; ++i) {
            const double qi = 1.0 / (2.0 * std::cos(i * kPi / n));
            h = times(h, second(x, qi));
        }
    } else {
        const int m = n / 2;
        for (int i = 1; i <= m; ++i) {
            const double qi = 1.0 / (2.0 * std::cos((2 * i - 1) * kPi / (2.0 * n)));
            h = times(h, second(x, qi));
        }
    }
    return h;
}

std::string faultText(int amp, std::string_view message) {
    return utf8ToLatin1(std::string(kFaultPrefix) + std::to_string(amp + 1) + std::string(message));
}

} // namespace

std::vector<std::string> activeFilterCaptions() {
    std::vector<std::string> out;
    out.reserve(kCaptions.size());
    for (std::string_view c : kCaptions) {
        out.push_back(utf8ToLatin1(c));
    }
    return out;
}

std::string activeFilterCaption(int typ) {
    if (typ < 0 || typ >= kFilterKinds) {
        return {};
    }
    return utf8ToLatin1(kCaptions[typ]);
}

Complex butterworthLowPass(double x, int n) {
    return butterworth(x, n, lowPass1, lowPass2);
}

Complex butterworthHighPass(double x, int n) {
    return butterworth(x, n, highPass1, highPass2);
}

bool editorAcceptsFilterOrder(const TFilter& fil) {
    const FilterKind k = kindOf(fil);
    if (isButterworth(k)) {
        return fil.n >= 1 && fil.n <= kMaxFilterOrder;
    }
    if (isLinkwitzRiley(k)) {
        return fil.n >= 2 && fil.n % 2 == 0 && fil.n <= kMaxFilterOrder;
    }
    return true;
}

namespace {

// A Butterworth of the stored order, or NaN for an order too high to compute in bounded time.
template <typename Pass>
Complex storedOrder(const TFilter& fil, double x, Pass pass, bool linkwitzRiley) {
    if (fil.n > kMaxComputedFilterOrder) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan};
    }
    if (!linkwitzRiley) {
        return pass(x, fil.n);
    }
    const Complex h = pass(x, fil.n / 2);
    return times(h, h);
}

} // namespace

Complex activeFilterResponse(const TFilter& fil, double fGrid) {
    const double x = fGrid / fil.f;
    switch (kindOf(fil)) {
    case FilterKind::HighPass1:
        return highPass1(x);
    case FilterKind::HighPass2:
        return highPass2(x, fil.q);
    case FilterKind::LowPass1:
        return lowPass1(x);
    case FilterKind::LowPass2:
        return lowPass2(x, fil.q);
    case FilterKind::ShelfHigh1: {
        const double s = std::sqrt(fil.a);
        Complex h = divided({s, -1.0 / x}, {1.0, -s / x});
        CScale(h, s, h);
        return h;
    }
    case FilterKind::ShelfLow1: {
        const double s = std::sqrt(fil.a);
        Complex h = divided({s, x}, {1.0, s * x});
        CScale(h, s, h);
        return h;
    }
    case FilterKind::BandPass:
        return divided({0.0, x / fil.q}, secondOrderDenominator(x, fil.q));
    case FilterKind::ParametricEq: {
        const double s = std::sqrt(fil.a);
        return divided({1.0 - x * x, s * x / fil.q}, {1.0 - x * x, x / (s * fil.q)});
    }
    case FilterKind::ButterworthHighPass:
        return storedOrder(fil, x, butterworthHighPass, false);
    case FilterKind::ButterworthLowPass:
        return storedOrder(fil, x, butterworthLowPass, false);
    case FilterKind::LinkwitzRileyHighPass:
        return storedOrder(fil, x, butterworthHighPass, true);
    case FilterKind::LinkwitzRileyLowPass:
        return storedOrder(fil, x, butterworthLowPass, true);
    case FilterKind::Delay: {
        Complex h{1.0, 0.0};
        CRotate(h, 2.0 * kPi * fGrid * fil.t, h);
        return h;
    }
    case FilterKind::ShelfHigh2:
    case FilterKind::ShelfLow2: {
        // r = a^(1/4) puts the two corners a factor sqrt(a) apart around f.
        const double r = std::sqrt(std::sqrt(fil.a));
        const bool high = kindOf(fil) == FilterKind::ShelfHigh2;
        const double f1 = high ? fil.f / r : fil.f * r;
        const double f2 = high ? fil.f * r : fil.f / r;
        Complex h = divided(secondOrderAt(fGrid, f1, fil.q), secondOrderAt(fGrid, f2, fil.q));
        if (!high) {
            CScale(h, fil.a, h);
        }
        return h;
    }
    case FilterKind::LinkwitzTransform: {
        // Replaces the second-order roll-off at fch, qch by one at f, q.
        const double ratio = fil.fch / fil.f;
        Complex h =
            divided(secondOrderAt(fGrid, fil.fch, fil.qch), secondOrderAt(fGrid, fil.f, fil.q));
        CScale(h, ratio * ratio, h);
        return h;
    }
    case FilterKind::AllPass1:
        return divided({1.0, -x}, {1.0, x});
    case FilterKind::AllPass2:
        return divided({1.0 - x * x, -x / fil.q}, secondOrderDenominator(x, fil.q));
    case FilterKind::None:
    default:
        return {1.0, 0.0};
    }
}

Complex aktfilterResponse(const TAktfilter& akt, double fGrid) {
    Complex h{akt.pegel, 0.0};
    for (const TFilter& fil : akt.fil) {
        if (fil.typ >= 1 && fil.typ < kFilterKinds) { // typ 0 and unknown kinds leave H alone
            h = times(h, activeFilterResponse(fil, fGrid));
        }
    }
    return h;
}

namespace {

// The checks read "must not be <= 0"; a NaN fails them too, so that a damaged value gets the
// message that names it rather than the general arithmetic fault.
bool notPositive(double x) {
    return !(x > 0.0);
}

} // namespace

std::optional<std::string> filterStageFault(const TFilter& fil) {
    const FilterKind k = kindOf(fil);
    std::optional<std::string_view> fault;
    if (fil.typ >= 1 && k != FilterKind::Delay && notPositive(fil.f)) {
        fault = kCornerFault;
    }
    if (usesQ(k) && notPositive(fil.q)) {
        fault = kQFault;
    }
    if (k == FilterKind::LinkwitzTransform) {
        if (notPositive(fil.qch)) {
            fault = kQFault;
        }
        if (notPositive(fil.fch)) {
            fault = kCornerFault;
        }
    }
    if (usesGain(k) && !(fil.a >= kMinFilterGain && fil.a <= kMaxFilterGain)) {
        fault = kGainFault;
    }
    if (!fault) {
        return std::nullopt;
    }
    return utf8ToLatin1(*fault);
}

std::optional<std::string> validateAktfilter(const TAktfilter& akt, int amp) {
    std::optional<std::string> message;
    if (notPositive(akt.pegel)) {
        message = utf8ToLatin1(kLevelFault);
    }
    for (const TFilter& fil : akt.fil) {
        if (auto fault = filterStageFault(fil)) {
            message = std::move(fault);
        }
    }
    if (!message) {
        return std::nullopt;
    }
    // The message is Latin-1 already; only the prefix needs converting.
    return faultText(amp, "") + *message;
}

std::string activeFilterArithmeticFaultText(int amp) {
    return utf8ToLatin1("Fehler: Frequenzgang aktives Filter an Verstärker " +
                        std::to_string(amp + 1) + " kann nicht berechnet werden.");
}

std::optional<std::string> clampFilterOrder(TFilter& fil) {
    const FilterKind k = kindOf(fil);
    if (!isButterworth(k) && !isLinkwitzRiley(k)) {
        return std::nullopt;
    }
    if (editorAcceptsFilterOrder(fil)) {
        return std::nullopt;
    }
    fil.n = kFallbackFilterOrder;
    return utf8ToLatin1(isButterworth(k) ? kButterworthOrderMessage : kLinkwitzRileyOrderMessage);
}

LevelEntry levelFromDbEntry(std::optional<double> dB) {
    if (dB) {
        const double pegel = std::pow(10.0, *dB / kDecibelFactor);
        if (std::isfinite(pegel) && pegel > 0.0) {
            return {pegel, std::nullopt};
        }
    }
    return {1.0, utf8ToLatin1(kLevelResetMessage)};
}

double levelToDb(double pegel) {
    return kDecibelFactor * std::log10(pegel);
}

std::vector<FilterParameter> filterParameters(int typ) {
    constexpr FilterParameter f{FilterField::F, "f [Hz]"};
    constexpr FilterParameter q{FilterField::Q, "Q"};
    constexpr FilterParameter a{FilterField::A, "A [dB]"};
    constexpr FilterParameter n{FilterField::N, "Ordnung"};
    switch (static_cast<FilterKind>(typ)) {
    case FilterKind::HighPass1:
    case FilterKind::LowPass1:
    case FilterKind::AllPass1:
        return {f};
    case FilterKind::HighPass2:
    case FilterKind::LowPass2:
    case FilterKind::BandPass:
    case FilterKind::AllPass2:
        return {f, q};
    case FilterKind::ShelfHigh1:
    case FilterKind::ShelfLow1:
        return {f, a};
    case FilterKind::ParametricEq:
    case FilterKind::ShelfHigh2:
    case FilterKind::ShelfLow2:
        return {f, q, a};
    case FilterKind::ButterworthHighPass:
    case FilterKind::ButterworthLowPass:
    case FilterKind::LinkwitzRileyHighPass:
    case FilterKind::LinkwitzRileyLowPass:
        return {f, n};
    case FilterKind::Delay:
        return {{FilterField::T, "t [ms]"}};
    case FilterKind::LinkwitzTransform:
        return {{FilterField::F, "fneu [Hz]"},
                {FilterField::Q, "Qneu"},
                {FilterField::Fch, "falt [Hz]"},
                {FilterField::Qch, "Qalt"}};
    case FilterKind::None:
    default:
        return {};
    }
}

double filterFieldForDisplay(const TFilter& fil, FilterField field) {
    switch (field) {
    case FilterField::F:
        return fil.f;
    case FilterField::Q:
        return fil.q;
    case FilterField::A:
        return kDecibelFactor * std::log10(fil.a);
    case FilterField::T:
        return fil.t * kMsPerSecond;
    case FilterField::N:
        return fil.n;
    case FilterField::Fch:
        return fil.fch;
    case FilterField::Qch:
        return fil.qch;
    }
    return 0.0;
}

void setFilterFieldFromEntry(TFilter& fil, FilterField field, double entry) {
    switch (field) {
    case FilterField::F:
        fil.f = entry;
        break;
    case FilterField::Q:
        fil.q = entry;
        break;
    case FilterField::A:
        fil.a = std::pow(10.0, entry / kDecibelFactor);
        break;
    case FilterField::T:
        fil.t = entry / kMsPerSecond;
        break;
    case FilterField::N:
        // Out-of-range entries become an invalid order, which clampFilterOrder then replaces.
        fil.n = std::isfinite(entry) && std::abs(entry) <= kMaxFilterOrder + 1
                    ? static_cast<std::int32_t>(std::lround(entry))
                    : 0;
        break;
    case FilterField::Fch:
        fil.fch = entry;
        break;
    case FilterField::Qch:
        fil.qch = entry;
        break;
    }
}

} // namespace sonora

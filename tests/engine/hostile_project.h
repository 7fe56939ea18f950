// A design made to break the calculation: 6 amplifiers and 32 drivers, every one of the 375
// crossover slots of every amplifier in use, parts of 1e-300 and 1e300, a shorted amplifier, loops
// of 0 Ohm wires, and drivers, enclosures, baffles and filters whose numbers sit at the extremes.
// Shared by the engine test and the window test that drives the calculation through the bridge.
#pragma once

#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "engine/driver_model.h"
#include "engine/example_projects.h"
#include "model/crossover_grid.h"
#include "model/frequency_grid.h"
#include "model/records.h"
#include "model/result.h"
#include "storage/project_file.h"

namespace sonora::test {

inline constexpr double kHuge = 1e300;
inline constexpr double kTiny = 1e-300;

// The extreme a driver, its enclosure and its baffle get: huge, tiny, zero, negative huge, and
// every fifth one an ordinary example driver with full measured curves.
enum class Extreme { Huge, Tiny, Zero, NegativeHuge, Ordinary };

inline double extremeValue(Extreme e) {
    switch (e) {
    case Extreme::Huge:
        return kHuge;
    case Extreme::Tiny:
        return kTiny;
    case Extreme::Zero:
        return 0.0;
    case Extreme::NegativeHuge:
        return -kHuge;
    case Extreme::Ordinary:
        break;
    }
    return 1.0;
}

// A measured curve without a 0 terminator: all 601 points, rising from 1e-300 Hz to 1e300 Hz, with
// values swinging between +v and -v.
inline void fillCurve(double (&f)[kCurvePoints], double (&v)[kCurvePoints], double value) {
    for (int i = 0; i < kCurvePoints; ++i) {
        f[i] = std::pow(10.0, -300.0 + 600.0 * i / (kCurvePoints - 1));
        v[i] = (i % 2 ? value : -value);
    }
}

inline void makeExtremeDriver(TChassis& c, Extreme e, int n) {
    const double x = extremeValue(e);
    c = exampleDriver(n % 2 ? ExampleDriver::Woofer17 : ExampleDriver::Dome25);
    c.name.assign("Grenzfall " + std::to_string(n + 1));
    if (e != Extreme::Ordinary) {
        for (double* field : {&c.fs,  &c.qes,    &c.qms,   &c.vas,  &c.Rdc,  &c.Le,   &c.Le2,
                              &c.Re2, &c.Le3,    &c.Re3,   &c.Sd,   &c.xlin, &c.Pmax, &c.ZNenn,
                              &c.seo, &c._PNorm, &c._xMax, &c._SPL, &c._Mmd, &c._Bl}) {
            *field = x;
        }
    }
    const double curveValue = e == Extreme::Ordinary ? 90.0 : kHuge;
    fillCurve(c.fgangaf, c.fganga, curveValue);
    fillCurve(c.fgangapf, c.fgangap, curveValue);
    fillCurve(c.fgangif, c.fgangi, curveValue);
    fillCurve(c.fgangipf, c.fgangip, curveValue);
    c.useFGangA = c.useFGangAP = c.useFGangI = c.useFGangIP = true;
    c.useFGangA2fs = n % 3 == 0;
    c.fgang_which = static_cast<std::int16_t>(n % 3 == 0 ? std::numeric_limits<std::int16_t>::max()
                                                         : 1 + n % 8);
    c.special = n == 7 ? kSpecialVoltmeter : n == 8 ? kSpecialAmmeter : kSpecialNone;
    c.membranform = n % 3;
    c.HintenGeschlossen = n % 2 == 0;
    c.Richt.RichtSimu = 1;
    c.Richt.nRicht = kMaxRicht;
    for (int k = 0; k < kMaxRicht; ++k) {
        double unused[kCurvePoints];
        fillCurve(c.Richt.fgangf, c.Richt.fgangau[k], curveValue);
        fillCurve(unused, c.Richt.fgangpu[k], kHuge);
    }
}

inline void makeExtremeMounting(TEinbau& m, TSchallwand& s, Extreme e, int n) {
    const double x = extremeValue(e);
    m = TEinbau{};
    m.typ = n % 5;
    for (double* field : {&m.Vb, &m.vV, &m.mb, &m.Ql, &m.Qb, &m.fb, &m.fmb, &m.Vbf, &m.vVf, &m.Qbf,
                          &m.fbf, &m.Qk, &m.Qkf}) {
        *field = e == Extreme::Ordinary ? 0.02 * (1 + n % 3) : x;
    }
    m.mbQExpl = n % 2 == 1;
    const std::int8_t slider =
        n % 2 ? std::numeric_limits<std::int8_t>::max() : std::numeric_limits<std::int8_t>::min();
    m.Bedv = m.Bedc = m.Bedk = m.Bedvf = m.Bedkf = slider;
    s = TSchallwand{};
    s.beugl = s.beugr = s.beugo = s.beugu = true;
    s.usegemgeh = n % 4 == 0;
    s.direction = static_cast<std::int8_t>(n % 6);
    s.directionr = static_cast<std::int8_t>(n % 2);
    for (double* field :
         {&s.swa, &s.swb, &s.swc, &s.swt, &s.swd, &s.swdr, &s.swe, &s.swf, &s.swg, &s.swh, &s.swi,
          &s.swhor, &s.swvert, &s.swstra, &s.swhorr, &s.swvertr, &s.swstrar}) {
        *field = e == Extreme::Ordinary ? 0.1 : x;
    }
}

// Every used slot of amplifier `a` filled. The grid carries wires, resistors, capacitors and coils
// of 1e-300 and 1e300 in turn, with rows of wires that close loops of 0 Ohm; the slots outside
// the grid (which join node 0 to itself) hold parts as well. The drivers `first` .. `last` hang
// in the middle rows, the amplifier in the right column; amplifier 0 has a wire across its
// amplifier, and the free wires join nodes of the grid, the last node and a node to itself.
inline void makeExtremeCrossover(TAmp& amp, int a, int first, int last) {
    TPart(&w)[kPartSlots] = amp.weiche;
    const PartTyp kinds[] = {kPartWire, kPartResistor, kPartCapacitor, kPartCoil};
    for (int slot = 0; slot < kUsedPartSlots; ++slot) {
        TPart& p = w[slot];
        p = TPart{};
        p.typ = kinds[(slot + a) % 4];
        p.value = (slot / 4) % 2 ? kHuge : kTiny;
        p.Rvalue = slot % 3 ? kTiny : kHuge;
        p.verpolt = slot % 2 ? 1 : -1;
        p.bOptimize = slot % 5 == 0;
        p.bem.assign("X" + std::to_string(slot));
    }
    // Rows 0, 5 and 11 are wires only: with the wires of the columns they form closed loops.
    for (int column = 0; column + 1 < kGridColumns; ++column) {
        for (int row : {0, 5, kGridRows - 1}) {
            w[horizontalSlot(row, column)].typ = kPartWire;
        }
    }
    for (int row = 0; row + 1 < kGridRows; ++row) {
        w[verticalSlot(row, 0)].typ = kPartWire;
    }
    w[verticalSlot(0, kGridColumns - 1)].typ = kPartAmplifier;
    w[verticalSlot(0, kGridColumns - 1)].verpolt = -1;
    int column = 1;
    int row = 2;
    for (int d = first; d <= last; ++d) {
        TPart& p = w[verticalSlot(row, column)];
        p.typ = kPartDriver;
        p.chassisnr = static_cast<std::int16_t>(d);
        p.verpolt = d % 2 ? 1 : -1;
        column += 2;
        if (column >= kGridColumns - 1) {
            column = 1;
            row += 3;
        }
    }
    assignGridNodes(w);
    const int freeNodes[kFreeWires][2] = {{10, 21},   {0, kGridNodes}, {5, 5},   {kGridNodes, 0},
                                          {121, 131}, {60, 61},        {0, 131}, {77, 77}};
    for (int k = 0; k < kFreeWires; ++k) {
        TPart& p = w[kFirstFreeWireSlot + k];
        p.typ = kPartWire;
        p.nod1 = freeNodes[k][0];
        p.nod2 = freeNodes[k][1];
    }
    if (a != 0) {
        // Only amplifier 0 is shorted by its first free wire (across nodes 10 and 21).
        w[kFirstFreeWireSlot].nod1 = 30;
    }
}

inline void makeExtremeFilters(TAktfilter& f, int a) {
    f.pegel = a % 2 ? kHuge : kTiny;
    f.bOptiPeg = true;
    for (int k = 0; k < kMaxFilters; ++k) {
        TFilter& s = f.fil[k];
        s = TFilter{};
        s.typ = (a * kMaxFilters + k) % 19;
        const double x = k % 3 == 0 ? kHuge : k % 3 == 1 ? kTiny : 0.0;
        s.f = s.q = s.a = s.t = s.fch = s.qch = x;
        if (k % 4 == 3) {
            s.f = -kHuge;
        }
        s.n = k % 2 ? 100 : 0;
        s.bOptimize = true;
    }
}

// The whole hostile project on a grid of `points` frequencies.
inline void buildHostileProject(TProjekt& p, int points) {
    buildTwoWayExample(p, points);
    p.nAmps = kMaxAmps;
    p.nChassis = kMaxChassis;
    p.comment1.assign("Grenzf\xE4lle");
    const Extreme extremes[] = {Extreme::Huge, Extreme::Tiny, Extreme::Zero, Extreme::NegativeHuge,
                                Extreme::Ordinary};
    for (int n = 0; n < kMaxChassis; ++n) {
        const Extreme e = extremes[n % 5];
        makeExtremeDriver(p.chassis[n], e, n);
        makeExtremeMounting(p.einbau[n], p.schallwand[n], e, n);
        if (e == Extreme::Ordinary) {
            addSyntheticMeasurements(p.chassis[n]);
        }
    }
    p.Gemgeh = TGemGeh{kHuge, kTiny, kHuge, kTiny, kHuge, 0.0, -kHuge, true, true, true, true, {}};
    // 32 drivers over 6 amplifiers: 6, 6, 5, 5, 5, 5.
    int first = 0;
    for (int a = 0; a < kMaxAmps; ++a) {
        const int count = a < 2 ? 6 : 5;
        makeExtremeCrossover(p.amp[a], a, first, first + count - 1);
        makeExtremeFilters(p.amp[a].aktfilter, a);
        first += count;
    }
    recomputeDerivedDriverValues(p);
}

// Number of values of the result, within the grid, amplifiers and drivers of the run, that are
// NaN or infinite; `first` names the first of them.
inline int nonFiniteResultValues(const TResult& r, std::string* first = nullptr) {
    int bad = 0;
    std::string where;
    const auto check = [&](double v, const char* name, int f, int k) {
        if (!std::isfinite(v)) {
            if (bad++ == 0) {
                where = std::string(name) + " [" + std::to_string(k) + "] at frequency " +
                        std::to_string(f);
            }
        }
    };
    const auto checkC = [&](const Complex& c, const char* name, int f, int k) {
        check(c.re, name, f, k);
        check(c.im, name, f, k);
    };
    const int nf = std::min(std::max(r.nfreq, 0), kResultFreqs);
    const int nAmps = std::min(std::max(r.nAmps, 0), kMaxAmps);
    const int nChassis = std::min(std::max(r.nChassis, 0), kMaxChassis);
    for (int f = 0; f < nf; ++f) {
        check(r.freq[f], "freq", f, 0);
        for (int a = 0; a < nAmps; ++a) {
            checkC(r.fgang_akt[a][f], "fgang_akt", f, a);
            checkC(r.impedanz_box[a][f], "impedanz_box", f, a);
        }
        for (int c = 0; c < nChassis; ++c) {
            checkC(r.impedanz_ch[c][f], "impedanz_ch", f, c);
            checkC(r.fgang_weiche[c][f], "fgang_weiche", f, c);
            check(r.fgang_xch[c][f], "fgang_xch", f, c);
            for (int s = 0; s < kSides; ++s) {
                checkC(r.fgang_ch[c][s][f], "fgang_ch", f, c);
                checkC(r.fgang_ch_oMw[c][s][f], "fgang_ch_oMw", f, c);
                for (int d = 0; d < kDirections; ++d) {
                    checkC(r.fgang_sw[c][s][f][d], "fgang_sw", f, c);
                    checkC(r.fgang_chas[c][s][f][d], "fgang_chas", f, c);
                    checkC(r.fgang_chassis[c][s][f][d], "fgang_chassis", f, c);
                }
            }
        }
        for (int c = 0; c <= kMaxChassis; ++c) {
            if (c < nChassis || c == kBoxSlot) {
                check(r.fgang_glz[c][f], "fgang_glz", f, c);
                check(r.fgang_Uel_preamp[c][f], "fgang_Uel_preamp", f, c);
                check(r.fgang_Uel_preamp_mech[c][f], "fgang_Uel_preamp_mech", f, c);
                check(r.fgang_peg[c][f], "fgang_peg", f, c);
            }
        }
        for (int d = 0; d < kDirections; ++d) {
            checkC(r.fgang_box[f][d], "fgang_box", f, d);
        }
        checkC(r.fgang_box_inc_o[f], "fgang_box_inc_o", f, 0);
        checkC(r.fgang_box_inc_u[f], "fgang_box_inc_u", f, 0);
        for (int a = 0; a < kPlaneAngles; ++a) {
            checkC(r.fgang_box_h[f][a], "fgang_box_h", f, a);
            checkC(r.fgang_box_v[f][a], "fgang_box_v", f, a);
        }
        check(r.fgang_bmass[f], "fgang_bmass", f, 0);
    }
    if (first != nullptr) {
        *first = where;
    }
    return bad;
}

// Why a stage text is neither "OK" nor a German message (empty when it is one of them): a message
// is Latin-1 text of words, not the pending mark, and names no NaN or infinity.
inline std::string stageTextFault(const std::string& text) {
    if (text == kStatusOk) {
        return {};
    }
    if (text.empty() || text == kStatusPending) {
        return "stage not computed: \"" + text + "\"";
    }
    std::string lower;
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x20 && ch != '\r' && ch != '\n') {
            return "control byte in \"" + text + "\"";
        }
        lower += static_cast<char>(std::tolower(b));
    }
    // "nan" or "inf" as a word of its own, as number formatting writes them ("einfach" is fine).
    const auto isLetter = [](char ch) { return std::isalpha(static_cast<unsigned char>(ch)) != 0; };
    for (const char* word : {"nan", "inf"}) {
        for (std::size_t at = lower.find(word); at != std::string::npos;
             at = lower.find(word, at + 1)) {
            const bool before = at > 0 && isLetter(lower[at - 1]);
            const bool after = at + 3 < lower.size() && isLetter(lower[at + 3]);
            if (!before && !after) {
                return "names a non-finite number: \"" + text + "\"";
            }
        }
    }
    if (text.size() < 10) {
        return "too short for a message: \"" + text + "\"";
    }
    return {};
}

} // namespace sonora::test

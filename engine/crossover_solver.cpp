#include "engine/crossover_solver.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

#include "model/frequency_grid.h"
#include "model/physics.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

// Stands in for an exact zero pivot and for a source that carries no current, so open parts of a
// network give very large or very small values instead of a division by zero.
constexpr double kVanishing = 1e-100;
// Impedance of "no source yet" before the source admittances are added, Ohm.
constexpr double kOpenImpedance = 1e100;
// The floating-point exceptions that count as an arithmetic fault; underflow and inexact results
// are normal in a network with open parts.
constexpr int kFaultFlags = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

bool isZero(const Complex& z) {
    return z.re == 0.0 && z.im == 0.0;
}

bool isFinite(const Complex& z) {
    return std::isfinite(z.re) && std::isfinite(z.im);
}

bool usesNode(const CrossoverNetwork& net, int node) {
    for (int j = 0; j < net.elementCount; ++j) {
        const CrossoverElement& e = net.elements[j];
        if (e.nod1 == node || e.nod2 == node) {
            return true;
        }
    }
    return false;
}

void renameNode(CrossoverNetwork& net, int from, int to) {
    for (int j = 0; j < net.elementCount; ++j) {
        CrossoverElement& e = net.elements[j];
        if (e.nod1 == from) {
            e.nod1 = to;
        }
        if (e.nod2 == from) {
            e.nod2 = to;
        }
    }
}

// Impedance of element e at angular frequency omega (rad/s), Ohm; sets `stamped` false for an
// element without an equation of its own (no connection).
Complex elementImpedance(const CrossoverElement& e, double omega, int freqIndex,
                         const Complex (&impedanz_ch)[kMaxChassis][kResultFreqs], bool& stamped) {
    stamped = true;
    switch (e.typ) {
    case kPartResistor:
        return Complex{e.value, 0.0};
    case kPartCapacitor:
        return Complex{0.0, -1.0 / (omega * e.value)};
    case kPartCoil:
        return Complex{e.Rvalue, omega * e.value};
    case kPartDriver:
        return impedanz_ch[e.chassisnr][freqIndex];
    case kPartAmplifier:
        return Complex{0.0, 0.0};
    default:
        // kPartEmpty (a coil of 0 H) and kinds the program does not know: an open slot.
        stamped = false;
        return Complex{0.0, 0.0};
    }
}

// Steps 1 to 3 per frequency: clears and fills the N x (N+1) system. False when an element's
// impedance is not finite.
bool stampSystem(const CrossoverNetwork& net, double omega, int freqIndex,
                 const Complex (&impedanz_ch)[kMaxChassis][kResultFreqs], CrossoverWorkspace& ws) {
    const int d = net.elementCount;
    const int n = net.variableCount();
    for (int r = 0; r < n; ++r) {
        std::fill_n(ws.row(r), n + 1, Complex{0.0, 0.0});
    }
    for (int j = 0; j < d; ++j) {
        const CrossoverElement& e = net.elements[j];
        bool stamped = false;
        const Complex z = elementImpedance(e, omega, freqIndex, impedanz_ch, stamped);
        if (!stamped) {
            continue;
        }
        if (!isFinite(z)) {
            return false;
        }
        const double v = e.v;
        Complex* rowJ = ws.row(j);
        // Element equation: Z*I + v*(V(nod1) - V(nod2)) = right-hand side.
        rowJ[j].re += z.re;
        rowJ[j].im += z.im;
        rowJ[d + e.nod1].re += v;
        rowJ[d + e.nod2].re -= v;
        if (e.typ == kPartAmplifier) {
            rowJ[n].re = -1.0; // the 1 V source
            rowJ[n].im = 0.0;
        }
        // Kirchhoff's current law at both nodes.
        ws.row(d + e.nod1)[j].re += v;
        ws.row(d + e.nod2)[j].re -= v;
    }
    return true;
}

// Step 4: Gaussian elimination with partial pivoting on magnitude. Only the non-zero entries of a
// pivot row are carried into the rows below, and rows with a zero in the pivot column are skipped:
// the network matrix is sparse and stays so for the most part.
void eliminate(int n, CrossoverWorkspace& ws) {
    for (int j = 0; j < n; ++j) {
        int pivot = j;
        double best = CAbs(ws.row(j)[j]);
        for (int k = j + 1; k < n; ++k) {
            const double a = CAbs(ws.row(k)[j]);
            if (a > best) { // strictly greater: the first row wins a tie
                best = a;
                pivot = k;
            }
        }
        Complex* rowJ = ws.row(j);
        if (pivot != j) {
            std::swap_ranges(rowJ, rowJ + n + 1, ws.row(pivot));
        }
        if (best == 0.0) {
            continue; // the whole column below is zero: nothing to eliminate
        }
        int nonZero = 0;
        for (int q = j + 1; q <= n; ++q) {
            if (!isZero(rowJ[q])) {
                ws.pivotColumns[nonZero++] = q;
            }
        }
        const Complex pivotValue = rowJ[j];
        for (int k = j + 1; k < n; ++k) {
            Complex* rowK = ws.row(k);
            if (isZero(rowK[j])) {
                continue;
            }
            Complex factor;
            CDiv(rowK[j], pivotValue, factor);
            rowK[j] = Complex{0.0, 0.0};
            for (int c = 0; c < nonZero; ++c) {
                const int q = ws.pivotColumns[c];
                Complex t;
                CMul(factor, rowJ[q], t);
                CSub(rowK[q], t, rowK[q]);
            }
        }
    }
}

// Steps 6 and 7: grounds the last node and solves the triangular system into ws.x.
void backSubstitute(int n, CrossoverWorkspace& ws) {
    ws.row(n - 1)[n - 1].re = 1.0;
    for (int k = n - 1; k >= 1; --k) {
        const Complex* rowK = ws.row(k);
        if (isZero(rowK[k])) {
            continue;
        }
        for (int r = 0; r < k; ++r) {
            Complex* rowR = ws.row(r);
            if (isZero(rowR[k])) {
                continue; // subtracting 0 changes nothing
            }
            Complex t;
            CDiv(rowR[k], rowK[k], t);
            CMul(t, rowK[n], t);
            CSub(rowR[n], t, rowR[n]);
        }
    }
    for (int j = 0; j < n; ++j) {
        Complex* rowJ = ws.row(j);
        if (isZero(rowJ[j])) {
            rowJ[j] = Complex{kVanishing, 0.0};
        }
        CDiv(rowJ[n], rowJ[j], ws.x[j]);
    }
}

// Step 8 into scratch: driver voltages per element and the impedance at the source. False when a
// value is not finite.
bool collectResults(const CrossoverNetwork& net, int freqIndex,
                    const Complex (&impedanz_ch)[kMaxChassis][kResultFreqs], CrossoverWorkspace& ws,
                    Complex& box) {
    const Complex one{1.0, 0.0};
    box = Complex{kOpenImpedance, 0.0};
    bool finite = true;
    for (int j = 0; j < net.elementCount; ++j) {
        const CrossoverElement& e = net.elements[j];
        if (e.typ == kPartDriver) {
            CMul(ws.x[j], impedanz_ch[e.chassisnr][freqIndex], ws.driverVoltage[j]);
            finite = finite && isFinite(ws.driverVoltage[j]);
        } else if (e.typ == kPartAmplifier) {
            // The source's current runs against its own stamp (x = -1/Z for a load in the same
            // orientation): its negative is the admittance the amplifier sees, so that the
            // impedance comes out with the sign of the load and its phase is the load's phase.
            Complex admittance{-ws.x[j].re, -ws.x[j].im};
            if (isZero(admittance)) {
                admittance = Complex{kVanishing, 0.0};
            }
            // Admittances of several source elements add.
            Complex total;
            CDiv(one, box, total);
            CAdd(total, admittance, total);
            CDiv(one, total, box);
        }
    }
    return finite && isFinite(box);
}

} // namespace

CrossoverWorkspace::CrossoverWorkspace()
    : matrix_(std::make_unique_for_overwrite<Complex[]>(
          static_cast<std::size_t>(kMaxCrossoverVariables) * kCrossoverMatrixColumns)) {}

int crossoverPolarity(int verpolt) {
    return verpolt < 1 ? -1 : 1;
}

void collectCrossoverElements(const TPart (&weiche)[kPartSlots], CrossoverNetwork& net) {
    net.elementCount = 0;
    net.nodeCount = 0;
    for (int slot = 0; slot < kUsedPartSlots; ++slot) {
        const TPart& p = weiche[slot];
        if (p.typ <= 0) {
            continue;
        }
        int typ = p.typ;
        if (typ == kPartResistor && p.value == 0.0) {
            typ = kPartWire;
        } else if (typ == kPartCapacitor && p.value == 0.0 && p.Rvalue == 0.0) {
            typ = kPartWire;
        } else if (typ == kPartCoil && p.value == 0.0) {
            typ = kPartEmpty;
        }
        CrossoverElement& e = net.elements[net.elementCount++];
        e.slot = slot;
        e.partNod1 = p.nod1;
        e.partNod2 = p.nod2;
        e.nod1 = p.nod1;
        e.nod2 = p.nod2;
        e.typ = typ;
        e.v = crossoverPolarity(p.verpolt);
        e.chassisnr = p.chassisnr;
        e.Rvalue = p.Rvalue;
        e.value = p.value;
    }
}

void mergeCrossoverWires(CrossoverNetwork& net) {
    for (int j = 0; j < net.elementCount; ++j) {
        if (net.elements[j].typ == kPartWire) {
            renameNode(net, net.elements[j].nod2, net.elements[j].nod1);
        }
    }
    int kept = 0;
    for (int j = 0; j < net.elementCount; ++j) {
        if (net.elements[j].typ != kPartWire) {
            net.elements[kept++] = net.elements[j];
        }
    }
    net.elementCount = kept;
}

void compactCrossoverNodes(CrossoverNetwork& net) {
    int e = 0;
    for (;;) {
        while (usesNode(net, e)) {
            ++e;
        }
        int from = -1;
        for (int j = 0; j < net.elementCount && from < 0; ++j) {
            const CrossoverElement& el = net.elements[j];
            if (el.nod1 > e) {
                from = el.nod1;
            } else if (el.nod2 > e) {
                from = el.nod2;
            }
        }
        if (from < 0) {
            break;
        }
        renameNode(net, from, e);
    }
    net.nodeCount = e;
}

CrossoverStatus checkCrossoverNetwork(const CrossoverNetwork& net) {
    if (net.elementCount < 0 || net.elementCount > kUsedPartSlots || net.nodeCount < 0 ||
        net.variableCount() > kMaxCrossoverVariables) {
        return CrossoverStatus::TooManyVariables;
    }
    for (int j = 0; j < net.elementCount; ++j) {
        const CrossoverElement& e = net.elements[j];
        if (e.nod1 < 0 || e.nod2 < 0 || e.nod1 >= net.nodeCount || e.nod2 >= net.nodeCount) {
            return CrossoverStatus::BadNode;
        }
        if (e.typ == kPartDriver && (e.chassisnr < 0 || e.chassisnr >= kMaxChassis)) {
            return CrossoverStatus::BadDriverIndex;
        }
    }
    return CrossoverStatus::Ok;
}

CrossoverStatus buildCrossoverNetwork(const TPart (&weiche)[kPartSlots], CrossoverNetwork& net) {
    collectCrossoverElements(weiche, net);
    mergeCrossoverWires(net);
    compactCrossoverNodes(net);
    return checkCrossoverNetwork(net);
}

CrossoverStatus solveCrossover(const CrossoverNetwork& net, const double* freq,
                               const Complex (&impedanz_ch)[kMaxChassis][kResultFreqs],
                               CrossoverWorkspace& ws,
                               Complex (&fgang_weiche)[kMaxChassis][kResultFreqs],
                               Complex (&impedanz_box)[kResultFreqs]) {
    const CrossoverStatus limits = checkCrossoverNetwork(net);
    if (limits != CrossoverStatus::Ok) {
        return limits;
    }
    const int n = net.variableCount();
    if (n < 1) {
        return CrossoverStatus::Ok;
    }
    const int points = gridPointCount(freq);
    for (int i = 0; i < points; ++i) {
        const double omega = kTwoPi * freq[i]; // rad/s
        // Faults are read from the exception flags: an overflow inside the elimination can end
        // in finite (but meaningless) results, which a check of the results alone would miss.
        // Everything is stored in the workspace before the flags are tested.
        std::feclearexcept(kFaultFlags);
        if (!std::isfinite(omega) || !stampSystem(net, omega, i, impedanz_ch, ws)) {
            return CrossoverStatus::ArithmeticFault;
        }
        eliminate(n, ws);
        backSubstitute(n, ws);
        Complex box;
        const bool finite = collectResults(net, i, impedanz_ch, ws, box);
        if (!finite || std::fetestexcept(kFaultFlags) != 0) {
            return CrossoverStatus::ArithmeticFault;
        }
        impedanz_box[i] = box;
        for (int j = 0; j < net.elementCount; ++j) {
            const CrossoverElement& e = net.elements[j];
            if (e.typ == kPartDriver) {
                fgang_weiche[e.chassisnr][i] = ws.driverVoltage[j];
            }
        }
    }
    return CrossoverStatus::Ok;
}

std::string crossoverFailureText(int amp) {
    return utf8ToLatin1("Fehler: Weiche an Verstärker " + std::to_string(amp + 1) +
                        " kann nicht berechnet" + " werden.");
}

} // namespace sonora

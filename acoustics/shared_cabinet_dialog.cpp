#include "acoustics/shared_cabinet_dialog.h"

#include <algorithm>
#include <cmath>

#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

// Enclosure kinds with a rear outlet of their own (vented box, bandpass with two vents).
constexpr int kVentedTyp = 2;
constexpr int kTwoVentBandpassTyp = 4;

std::string cmText(double metres) {
    return compactNumberText(kSharedCabinetDigits, metres * kCentimetresPerMetre);
}

double metresOf(const std::string& cmTextValue) {
    const double v = parseFloat(cmTextValue).value / kCentimetresPerMetre;
    return std::isfinite(v) ? v : 0.0;
}

} // namespace

SharedCabinetDialog openSharedCabinetDialog(const TProjekt& p) {
    SharedCabinetDialog d;
    const TGemGeh& g = p.Gemgeh;
    d.h = cmText(g.h);
    d.b = cmText(g.b);
    d.t = cmText(g.t);
    d.fasl = cmText(g.fasl);
    d.fasr = cmText(g.fasr);
    d.faso = cmText(g.faso);
    d.fasu = cmText(g.fasu);
    d.beugl = g.beugl;
    d.beugo = g.beugo;
    d.beugr = g.beugr;
    d.beugu = g.beugu;
    for (int n = 0; n < kMaxChassis; ++n) {
        const TSchallwand& sw = p.schallwand[n];
        SharedCabinetRow& row = d.rows[n];
        row.usegemgeh = sw.usegemgeh;
        row.direction = static_cast<int>(cabinetFaceOf(sw.direction));
        row.a = cmText(sw.swa);
        row.c = cmText(sw.swc);
        row.directionr = sw.directionr == kRearOppositeSide ? kRearOppositeSide : kRearSameSide;
        const FacePoint rear = calcarcr(sw, g);
        row.ar = cmText(rear.a);
        row.cr = cmText(rear.c);
    }
    return d;
}

SharedCabinetEntry sharedCabinetEntry(const SharedCabinetRow& row) {
    SharedCabinetEntry e;
    e.usegemgeh = row.usegemgeh;
    e.direction = row.direction;
    e.a = metresOf(row.a);
    e.c = metresOf(row.c);
    e.directionr = row.directionr;
    e.ar = metresOf(row.ar);
    e.cr = metresOf(row.cr);
    return e;
}

std::string applySharedCabinetDialog(TProjekt& p, const SharedCabinetDialog& d) {
    TGemGeh& g = p.Gemgeh;
    g.h = metresOf(d.h);
    g.b = metresOf(d.b);
    g.t = metresOf(d.t);
    g.fasl = metresOf(d.fasl);
    g.fasr = metresOf(d.fasr);
    g.faso = metresOf(d.faso);
    g.fasu = metresOf(d.fasu);
    g.beugl = d.beugl;
    g.beugo = d.beugo;
    g.beugr = d.beugr;
    g.beugu = d.beugu;
    for (int n = 0; n < kMaxChassis; ++n) {
        swback(p.schallwand[n], g, sharedCabinetEntry(d.rows[n]));
    }
    return utf8ToLatin1(kSharedCabinetUndoLabel);
}

SharedCabinetRowFields sharedCabinetRowFields(bool usegemgeh, int einbauTyp) {
    const bool vented = einbauTyp == kVentedTyp || einbauTyp == kTwoVentBandpassTyp;
    return {usegemgeh, usegemgeh && vented};
}

std::string sharedCabinetRowTitle(const TProjekt& p, int slot) {
    const int n = std::clamp(slot, 0, kMaxChassis - 1);
    return p.chassis[n].name.str() + " (" + std::to_string(n + 1) + ")";
}

int sharedCabinetPageCount(int nChassis) {
    const int n = std::clamp(nChassis, 1, kMaxChassis);
    return (n + kSharedCabinetRowsPerPage - 1) / kSharedCabinetRowsPerPage;
}

std::string sharedCabinetPageTitle(int page, int nChassis) {
    const int n = std::clamp(nChassis, 1, kMaxChassis);
    const int first = page * kSharedCabinetRowsPerPage + 1;
    const int last = std::min(first + kSharedCabinetRowsPerPage - 1, n);
    return "Chassis " + std::to_string(first) + " bis " + std::to_string(last);
}

std::string cabinetFaceCaption(int direction) {
    static const char* const kCaptions[kCabinetFaces] = {
        "nach vorn", "nach hinten", "nach links", "nach rechts", "nach oben", "nach unten"};
    return kCaptions[static_cast<int>(cabinetFaceOf(direction))];
}

std::string rearSideCaption(int directionr) {
    return utf8ToLatin1(directionr == kRearOppositeSide ? "gegenüber von Chassis"
                                                        : "gleiche Seite wie Chassis");
}

} // namespace sonora

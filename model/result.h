// The result record of a calculation run and the status texts of its stages.
#pragma once

#include <cstdint>

#include "model/complex.h"
#include "model/fixed_text.h"
#include "model/record_layout.h"
#include "model/records.h"

namespace sonora {

inline constexpr int kResultFreqs = 257;     // grid of at most 256 points plus its 0 terminator
inline constexpr int kDirections = 90;       // direction set of the baffle model
inline constexpr int kPlaneAngles = 361;     // polar results, index = angle + 180, 1° steps
inline constexpr int kSides = 2;             // 0 diaphragm (or front vent), 1 rear vent
inline constexpr int kBoxSlot = kMaxChassis; // slot 32 of the 33-slot arrays: the whole box

// A stage status text: "F" pending, "OK" done, else the German error message (Latin-1). The
// capacity holds the longest driver-check text (two lines for each of the 32 drivers).
using StatusText = FixedText<4094>;

// Everything one calculation run produces. About 75 MB: owners keep it in one heap block
// (std::make_unique<TResult>(), see model/large_block.h) and copy it whole. Responses are complex
// pressure ratios (magnitude 1 = 112 dB), impedances in Ohm, voltages in V, excursions in m.
struct TResult {
    bool valid; // true only in the main window's copy of a run without errors
    FixedText<64> comment1;
    FixedText<64> comment2;
    std::uint8_t pad0[5];
    double freq[kResultFreqs]; // grid frequencies, Hz, ended by 0
    std::int32_t nfreq;
    std::int32_t nAmps;
    std::int32_t nChassis;
    FixedText<22> chassisNames[kMaxChassis];
    std::int32_t chassisAmp[kMaxChassis]; // amplifier whose crossover holds the driver, -1 if none
    std::int32_t EinbauTyp[kMaxChassis];
    // Driver slots 0 .. driverSpan-1 of fgang_sw, fgang_chas and fgang_chassis may hold values;
    // the slots beyond are all zeros. Lets a copy or a clear skip the slots no run has written
    // (71 of the 75 MB for a three-way).
    std::int32_t driverSpan;
    Complex fgang_akt[kMaxAmps][kResultFreqs];
    Complex fgang_sw[kMaxChassis][kSides][kResultFreqs][kDirections];
    Complex impedanz_ch[kMaxChassis][kResultFreqs];
    Complex fgang_ch[kMaxChassis][kSides][kResultFreqs];
    Complex fgang_ch_oMw[kMaxChassis][kSides][kResultFreqs]; // without measured corrections
    Complex fgang_weiche[kMaxChassis][kResultFreqs];
    Complex fgang_chas[kMaxChassis][kSides][kResultFreqs][kDirections];
    Complex fgang_chassis[kMaxChassis][kSides][kResultFreqs][kDirections];
    Complex impedanz_box[kMaxAmps][kResultFreqs];
    Complex fgang_box[kResultFreqs][kDirections];
    Complex fgang_box_inc_o[kResultFreqs];
    Complex fgang_box_inc_u[kResultFreqs];
    Complex fgang_box_h[kResultFreqs][kPlaneAngles];
    Complex fgang_box_v[kResultFreqs][kPlaneAngles];
    double fgang_glz[kMaxChassis + 1][kResultFreqs];             // group delay, s
    double fgang_Uel_preamp[kMaxChassis + 1][kResultFreqs];      // allowed input voltage, V
    double fgang_Uel_preamp_mech[kMaxChassis + 1][kResultFreqs]; // voltage at the excursion limit
    double fgang_peg[kMaxChassis + 1][kResultFreqs];             // maximum level, linear
    double fgang_xch[kMaxChassis][kResultFreqs];                 // excursion, m
    double fgang_bmass[kResultFreqs]; // on-axis magnitude over the RMS magnitude over the sphere

    SONORA_LARGE_BLOCK(Sparse)
};
SONORA_ASSERT_RECORD(TResult, valid, comment1, comment2, pad0, freq, nfreq, nAmps, nChassis,
                     chassisNames, chassisAmp, EinbauTyp, driverSpan, fgang_akt, fgang_sw,
                     impedanz_ch, fgang_ch, fgang_ch_oMw, fgang_weiche, fgang_chas, fgang_chassis,
                     impedanz_box, fgang_box, fgang_box_inc_o, fgang_box_inc_u, fgang_box_h,
                     fgang_box_v, fgang_glz, fgang_Uel_preamp, fgang_Uel_preamp_mech, fgang_peg,
                     fgang_xch, fgang_bmass);

// Makes `to` equal to `from` byte for byte. The driver slots beyond both records' driverSpan are
// zeros in both and are not touched.
void copyResult(TResult& to, const TResult& from);

// Makes every byte of `res` zero, writing only the driver slots below its driverSpan of the three
// per-driver direction arrays.
void clearResult(TResult& res);

// Raises res.driverSpan to cover what a run of `p` may write: the drivers in use and any driver the
// crossovers hold (chassisAmp).
void coverDriversOf(const TProjekt& p, TResult& res);

// One status text per stage instance of a run.
struct TCalcStruct {
    StatusText bChassiskontrolle;       // driver check
    StatusText bfgang_sw[kMaxChassis];  // baffle stage per driver
    StatusText bfgang_akt[kMaxAmps];    // active-filter stage per amplifier
    StatusText bfgang_ch[kMaxChassis];  // driver stage per driver
    StatusText bfgang_weiche[kMaxAmps]; // crossover stage per amplifier
    StatusText bfgang_box;              // box stage
};
SONORA_ASSERT_RECORD(TCalcStruct, bChassiskontrolle, bfgang_sw, bfgang_akt, bfgang_ch,
                     bfgang_weiche, bfgang_box);

inline constexpr char kStatusPending[] = "F";
inline constexpr char kStatusOk[] = "OK";

} // namespace sonora

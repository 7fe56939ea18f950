// The project records: everything the user designs, as flat fixed-size values without pointers.
//
// All floating fields are SI units unless noted (Hz, m, m², m³, kg, H, F, Ohm, rad, dB). Records
// are aggregates without constructors: create them value-initialised (`TFilter f{};`,
// `std::make_unique<TProjekt>()`) so every byte, the explicit pad fields included, starts as zero.
// The pad fields make all padding explicit, so records can be compared with memcmp (the calculation
// run detects changes that way). Field order follows the file keys and must not change.
#pragma once

#include <cstdint>

#include "model/fixed_text.h"
#include "model/large_block.h"
#include "model/record_layout.h"

namespace sonora {

// Limits of the model.
inline constexpr int kMaxAmps = 6;             // amplifier outputs per project
inline constexpr int kMaxChassis = 32;         // drivers per project
inline constexpr int kMaxFilters = 12;         // active filter stages per amplifier
inline constexpr int kPartSlots = 376;         // crossover slots per amplifier (0..375)
inline constexpr int kUsedPartSlots = 375;     // slots 0..374 are used, slot 375 never
inline constexpr int kGridRows = 12;           // crossover grid rows
inline constexpr int kGridColumns = 11;        // crossover grid columns
inline constexpr int kGridNodes = 132;         // node = 11 * row + column
inline constexpr int kCurvePoints = 601;       // points of a frequency array [0..600]
inline constexpr int kMinGridPoints = 6;       // project frequency grid size, lower bound
inline constexpr int kMaxGridPoints = 256;     // project frequency grid size, upper bound
inline constexpr int kMaxRicht = 19;           // directional responses per driver
inline constexpr int kChassisColors = 34;      // curve colours per driver
inline constexpr int kAmpColors = 7;           // curve colours per amplifier
inline constexpr int kDirectionColors = 10;    // curve colours per direction
inline constexpr int kFirstFreeWireSlot = 367; // slots 367..374 are the 8 free wires
inline constexpr int kFreeWires = 8;
inline constexpr int kVerticalSlotBase = 180; // slot of the first vertical grid element

// A colour as 0x00BBGGRR; a non-zero top byte marks a system colour, which the program does not
// use.
using TColor = std::uint32_t;

// Crossover slot kinds (`TPart.typ`).
enum PartTyp : std::int16_t {
    kPartEmpty = 0,
    kPartWire = 1,
    kPartResistor = 2,
    kPartCapacitor = 3,
    kPartCoil = 4,
    kPartDriver = 5,
    kPartAmplifier = 6,
};

// Mounting kinds (`TEinbau.typ`).
enum EinbauTyp : std::int32_t {
    kEinbauIntegriert = 0,  // "Gehäuse integriert (HT)"
    kEinbauGeschlossen = 1, // "Geschlossene Box"
    kEinbauBassreflex = 2,  // "Bassreflex-Box"
    kEinbauBandpass = 3,    // "Bandpass"
    kEinbauBandpassBiv = 4, // "Bandpass biventiliert"
};

// Special drivers (`TChassis.special`).
inline constexpr std::int32_t kSpecialNone = 0;
inline constexpr std::int32_t kSpecialVoltmeter = 10;
inline constexpr std::int32_t kSpecialAmmeter = 11;

// One crossover slot.
struct TPart {
    std::int16_t typ;       // PartTyp
    std::int16_t verpolt;   // polarity of a driver or amplifier slot (typ >= 5)
    std::int16_t chassisnr; // driver index 0..31 for typ 5
    std::uint8_t pad0[2];
    double value;  // Ohm, F or H for typ 2, 3, 4
    double Rvalue; // winding resistance of a coil, Ohm
    FixedText<16> bem;
    std::uint8_t pad1[3];
    std::int32_t nod1; // the two nodes the slot connects, 0..132
    std::int32_t nod2;
    bool bOptimize; // value is free for the optimizer
    std::uint8_t pad2[3];
};
SONORA_ASSERT_RECORD(TPart, typ, verpolt, chassisnr, pad0, value, Rvalue, bem, pad1, nod1, nod2,
                     bOptimize, pad2);

// One active filter stage.
struct TFilter {
    std::int32_t typ; // filter kind 0..18
    bool bOptimize;
    std::uint8_t pad0[3];
    double f;       // characteristic frequency, Hz
    double q;       // quality factor
    double a;       // gain parameter of shelving and equalizer stages
    double t;       // delay time, s
    std::int32_t n; // order of Butterworth and Linkwitz-Riley stages
    std::uint8_t pad1[4];
    double fch; // second frequency, Hz
    double qch; // second quality factor
};
SONORA_ASSERT_RECORD(TFilter, typ, bOptimize, pad0, f, q, a, t, n, pad1, fch, qch);

// Level and active filter chain of one amplifier output.
struct TAktfilter {
    double pegel; // gain factor of the amplifier output (linear)
    bool bOptiPeg;
    std::uint8_t pad0[7];
    TFilter fil[kMaxFilters]; // stages in signal order
};
SONORA_ASSERT_RECORD(TAktfilter, pegel, bOptiPeg, pad0, fil);

// One amplifier output: its active filters and its passive crossover on the node grid.
struct TAmp {
    TAktfilter aktfilter;
    TPart weiche[kPartSlots];
};
SONORA_ASSERT_RECORD(TAmp, aktfilter, weiche);

// Directional responses of a driver.
struct TRicht {
    std::int32_t measurement_type; // reserved, not stored in files
    std::int32_t RichtSimu;        // 0 from membrane geometry, 1 from the measured responses
    std::int32_t nRicht;           // number of directional responses present, 0..19
    std::uint8_t pad0[4];
    double fgangf[kCurvePoints];             // common frequencies, Hz, ended by an entry <= 0
    double fgangau[kMaxRicht][kCurvePoints]; // level per direction, dB
    double fgangpu[kMaxRicht][kCurvePoints]; // phase per direction, rad
    double dummy[kCurvePoints];              // reserved
};
SONORA_ASSERT_RECORD(TRicht, measurement_type, RichtSimu, nRicht, pad0, fgangf, fgangau, fgangpu,
                     dummy);

// One driver: identity, small-signal parameters, measured curves, data-sheet values, derived
// values.
struct TChassis {
    FixedText<22> name;     // "Bezeichnung"
    FixedText<102> comment; // "Kommentar"
    std::uint8_t pad0[2];
    std::int32_t special;     // 0 ordinary, 10 voltmeter, 11 ammeter
    std::int16_t fgang_which; // mounting the measured response refers to, 1..8
    bool HintenGeschlossen;   // "rückseitig geschlossen (z. B. HT-Kalotten)"
    std::uint8_t pad1[1];
    double fs;         // resonance frequency, Hz
    double qes;        // electrical Q
    double qms;        // mechanical Q
    double vas;        // equivalent volume, m³ (entered in litres)
    double Rdc;        // DC resistance, Ohm
    double Le;         // voice-coil inductance, H (entered in mH)
    double Le2;        // second inductance of the voice-coil model, H
    double Re2;        // second resistance of the voice-coil model, Ohm
    double Le3;        // third inductance, H
    double Re3;        // third resistance, Ohm
    double Sd;         // membrane area, m² (entered in cm²)
    double xlin;       // linear excursion per side, m (entered in mm)
    double Pmax;       // maximum power, W
    double ZNenn;      // nominal impedance, Ohm
    double seo;        // acoustic centre behind the baffle, m (entered in mm)
    bool useFGangA;    // use the measured amplitude response
    bool useFGangAP;   // use the measured acoustic phase
    bool useFGangA2fs; // use the measured amplitude only from about 2 * fc upward
    bool useFGangI;    // use the measured impedance
    bool useFGangIP;   // use the measured impedance phase
    std::uint8_t pad2[3];
    double dummy2;
    double dummy3;
    double fgangaf[kCurvePoints];  // measured amplitude: frequencies, Hz
    double fganga[kCurvePoints];   // measured amplitude: levels, dB
    double fgangapf[kCurvePoints]; // measured acoustic phase: frequencies, Hz
    double fgangap[kCurvePoints];  // measured acoustic phase: rad
    double fgangif[kCurvePoints];  // measured impedance: frequencies, Hz
    double fgangi[kCurvePoints];   // measured impedance: magnitude, Ohm
    double fgangipf[kCurvePoints]; // measured impedance phase: frequencies, Hz
    double fgangip[kCurvePoints];  // measured impedance phase: rad
    TRicht Richt;
    // Informative data-sheet values; the driver model reads only _SPL.
    double _PNorm;     // nominal power, W
    double _xMax;      // mechanical excursion limit, m ("Grenzauslenkung X(mech)", entered in mm)
    double _Hvc;       // voice-coil height, m
    double _Dvc;       // voice-coil diameter, m
    double _Hpp;       // pole-plate height, m
    double _Bl;        // force factor, N/A
    double _SPL;       // sensitivity, dB
    double _le;        // data-sheet voice-coil inductance, H
    double _Mmd;       // moving mass, kg (entered in g)
    FixedText<24> _fu; // lower cut-off frequency as text
    FixedText<24> _fo; // upper cut-off frequency as text
    FixedText<24> _Da; // outer diameter as text, mm
    std::uint8_t pad3[5];
    double _magind;           // magnetic induction, T
    double _magflu;           // magnetic flux, µWb as entered
    FixedText<15> _bnr;       // order number ("Best.Nr.")
    double _Etiefe;           // mounting depth, m
    double _Ausschn;          // baffle cut-out, m
    double _Gewicht;          // weight, kg
    std::int32_t membranform; // 0 "Kalotte", 1 "Konus", 2 "Waveguide"
    std::uint32_t typ;        // category bit set (bit 20 = "Archiv")
    // Derived by the driver model, never stored in files.
    double Cms, Lms, Rms; // mechanical compliance, mass, resistance as electrical equivalents
    double Cbr, Lab, Rbr, Cbrf, Labf, Rbrf, Rab, Rabf; // enclosure and port equivalents
    double Spl;                                        // sensitivity, dB at 2.83 V
    double Vab, Vabf;                                  // acoustic volumes (rear, front), m³
    double Qts, Qesbg, Qmsbg, Qtsbg, fsbg, fc, Qec, Qmc, Qtc;
    double Bl, Mmd, Cmd, Rmd; // force factor, moving mass, compliance, mechanical resistance
    bool OriginalTarvelo;     // data unchanged from the maker's driver file
    std::uint8_t pad4[3];
    std::int32_t Filters;       // carried through files only
    FixedText<16> pubdate;      // date of the driver data, dd.mm.yyyy
    FixedText<255> orgfilename; // file name of the driver file the data came from
    std::uint8_t pad5[7];
};
SONORA_ASSERT_RECORD(TChassis, name, comment, pad0, special, fgang_which, HintenGeschlossen, pad1,
                     fs, qes, qms, vas, Rdc, Le, Le2, Re2, Le3, Re3, Sd, xlin, Pmax, ZNenn, seo,
                     useFGangA, useFGangAP, useFGangA2fs, useFGangI, useFGangIP, pad2, dummy2,
                     dummy3, fgangaf, fganga, fgangapf, fgangap, fgangif, fgangi, fgangipf, fgangip,
                     Richt, _PNorm, _xMax, _Hvc, _Dvc, _Hpp, _Bl, _SPL, _le, _Mmd, _fu, _fo, _Da,
                     pad3, _magind, _magflu, _bnr, _Etiefe, _Ausschn, _Gewicht, membranform, typ,
                     Cms, Lms, Rms, Cbr, Lab, Rbr, Cbrf, Labf, Rbrf, Rab, Rabf, Spl, Vab, Vabf, Qts,
                     Qesbg, Qmsbg, Qtsbg, fsbg, fc, Qec, Qmc, Qtc, Bl, Mmd, Cmd, Rmd,
                     OriginalTarvelo, pad4, Filters, pubdate, orgfilename, pad5);

// Enclosure of one driver.
struct TEinbau {
    std::int32_t typ; // EinbauTyp
    std::int32_t ldummy;
    double ddummy[3];
    double Vb;        // geometric volume, m³ (rear volume in bandpass kinds)
    double vV;        // volume increase by damping material, 1..1.27
    double mb;        // mass increase by the air load
    double Ql;        // enclosure quality
    double Qb;        // vented enclosure quality
    double fb;        // tuning frequency, Hz
    double fmb;       // frequency up to which mb acts, Hz
    double Vbf;       // front volume of bandpass kinds, m³
    double vVf;       // volume increase factor of the front volume
    double Qbf;       // quality of the front volume
    double fbf;       // tuning frequency of the front volume, Hz
    double Qk;        // quality from port losses (999 reproduces the classic loss model)
    double Qkf;       // quality from front port losses
    bool mbQExpl;     // explicit air load and qualities instead of the damping sliders
    std::int8_t Bedv; // damping slider positions: rear volume, near the driver, port,
    std::int8_t Bedc; // front volume, front port
    std::int8_t Bedk;
    std::int8_t Bedvf;
    std::int8_t Bedkf;
    std::uint8_t pad0[2];
};
SONORA_ASSERT_RECORD(TEinbau, typ, ldummy, ddummy, Vb, vV, mb, Ql, Qb, fb, fmb, Vbf, vVf, Qbf, fbf,
                     Qk, Qkf, mbQExpl, Bedv, Bedc, Bedk, Bedvf, Bedkf, pad0);

// Baffle and position of one driver.
struct TSchallwand {
    bool beugl, beugr, beugo, beugu; // diffraction at the left, right, top, bottom edge
    bool usegemgeh;                  // the driver sits in the shared outer cabinet
    std::int8_t direction;           // 0 front, 1 back, 2 left, 3 right, 4 up, 5 down
    std::int8_t directionr;          // rear sound: 0 same direction as the driver, 1 opposite
    std::uint8_t pad0[1];
    double swa, swb, swc;           // baffle dimensions a, b, c, m
    double swt;                     // cabinet depth (outside), m
    double swd;                     // diameter of the front sound outlet, m
    double swdr;                    // diameter of the rear sound outlet (port), m
    double swe, swf, swg, swh, swi; // baffle dimensions e to i, m
    double dummy1, dummy2, dummy3, dummy4;
    double swhor, swvert, swstra;    // front outlet position: horizontal, vertical, forward, m
    double swhorr, swvertr, swstrar; // rear outlet position, m
};
SONORA_ASSERT_RECORD(TSchallwand, beugl, beugr, beugo, beugu, usegemgeh, direction, directionr,
                     pad0, swa, swb, swc, swt, swd, swdr, swe, swf, swg, swh, swi, dummy1, dummy2,
                     dummy3, dummy4, swhor, swvert, swstra, swhorr, swvertr, swstrar);

// Shared outer cabinet.
struct TGemGeh {
    double h, b, t;                  // height, width, depth, m
    double fasl, fasr, faso, fasu;   // bevels at the left, right, top, bottom edge, m
    bool beugl, beugo, beugr, beugu; // diffraction at the left, top, right, bottom edge
    std::uint8_t pad0[4];
};
SONORA_ASSERT_RECORD(TGemGeh, h, b, t, fasl, fasr, faso, fasu, beugl, beugo, beugr, beugu, pad0);

// Display options.
struct TAnzOption {
    TColor ColorSetAmps[kAmpColors];
    TColor ColorSetChassis[kChassisColors];
    TColor ColorSetRichtungen[kDirectionColors];
    std::uint8_t pad0[4];
    double Afmin, Afmax;          // frequency axis range, Hz
    double dBmin, dBmax;          // level axis range, dB
    double ImpMax;                // top of the impedance axis, Ohm
    std::int32_t GraphsThickness; // line width of the curves
    std::uint8_t pad1[4];
};
SONORA_ASSERT_RECORD(TAnzOption, ColorSetAmps, ColorSetChassis, ColorSetRichtungen, pad0, Afmin,
                     Afmax, dBmin, dBmax, ImpMax, GraphsThickness, pad1);

// The project.
struct TProjekt {
    std::int32_t header;   // reserved, not stored in files
    std::int16_t nAmps;    // amplifier outputs in use, 1..6
    std::int16_t nChassis; // drivers in use, 1..32
    bool saved;            // set when the project has been read from a file
    std::uint8_t pad0[7];
    double fMin;     // lowest grid frequency, Hz
    double fMax;     // highest grid frequency, Hz
    std::int32_t sz; // number of grid points
    std::uint8_t pad1[4];
    double glatt_amp; // smoothing width of measured amplitude curves (relative)
    double glatt_imp; // smoothing width of measured impedance curves (relative)
    std::int32_t dummy2;
    std::uint8_t pad2[4];
    double freq[kCurvePoints]; // the grid: sz points, then a 0 terminator
    TAnzOption option;
    std::uint8_t dummy[136]; // reserved
    TAmp amp[kMaxAmps];
    TChassis chassis[kMaxChassis];
    TEinbau einbau[kMaxChassis];
    TSchallwand schallwand[kMaxChassis];
    TGemGeh Gemgeh;
    FixedText<64> comment1;
    FixedText<64> comment2;
    std::uint8_t pad3[6];

    SONORA_LARGE_BLOCK(Dense)
};
SONORA_ASSERT_RECORD(TProjekt, header, nAmps, nChassis, saved, pad0, fMin, fMax, sz, pad1,
                     glatt_amp, glatt_imp, dummy2, pad2, freq, option, dummy, amp, chassis, einbau,
                     schallwand, Gemgeh, comment1, comment2, pad3);

} // namespace sonora

// The readers of the program as fuzz targets: each takes arbitrary bytes and must neither crash,
// nor hang, nor read or write out of bounds. Shared by the libFuzzer programs and the bounded
// mutation test that runs with every test run.
#pragma once

#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "acoustics/comparison_curve_import.h"
#include "app/shell/crossover_editor_library.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/driver_model.h"
#include "engine/voice_coil_fit.h"
#include "measure/driver_import.h"
#include "measure/lim_file.h"
#include "measure/pir_file.h"
#include "measure/text_import.h"
#include "model/frequency_grid.h"
#include "model/result.h"
#include "model/user_prompt.h"
#include "storage/compand.h"
#include "storage/my_ini_file.h"
#include "storage/project_file.h"

namespace sonora::fuzz {

// Output bound of the expansion under fuzzing: small, so that a stream of long matches does not
// spend the time budget on copying.
inline constexpr std::size_t kFuzzExpandLimit = 1u << 20;

inline void readIniImage(const std::uint8_t* data, std::size_t size, bool krypt, bool compress) {
    // A file name that never exists: the object starts empty and reads only the image.
    TMyIniFile ini("/nonexistent/sonora-fuzz.ini", false, false, krypt, compress);
    ini.loadImage(std::vector<std::uint8_t>(data, data + size));
    // Touch what a reader touches: typed reads of keys that may or may not exist.
    (void)ini.ReadInteger("Header", "Version", 0);
    (void)ini.ReadFloat("General", "fMin", 0.0);
    (void)ini.ReadString("Chassis", "Name", "");
    double values[8] = {};
    (void)ini.ReadFloatArray("Chassis", "FgangA", values, 0, 8);
    std::int32_t ints[8] = {};
    (void)ini.ReadIntArray("Chassis", "FgangA", ints, 2, 6);
    (void)ini.nSections();
}

inline void iniPlain(const std::uint8_t* data, std::size_t size) {
    readIniImage(data, size, false, false);
}
inline void iniScrambled(const std::uint8_t* data, std::size_t size) {
    readIniImage(data, size, true, false);
}
inline void iniCompressed(const std::uint8_t* data, std::size_t size) {
    readIniImage(data, size, true, true);
}

inline void compandExpand(const std::uint8_t* data, std::size_t size) {
    TCompand c;
    std::vector<std::uint8_t> out;
    (void)c.expandStream(std::vector<std::uint8_t>(data, data + size), out, kFuzzExpandLimit);
    if (out.size() > kFuzzExpandLimit) {
        __builtin_trap(); // the bound is part of the contract
    }
}

// ---- readers that take a file name: the bytes go into a file of this process first ----

// A file in the temporary folder holding the input, named per process so that parallel runs do
// not share it; removed again at the end of the input.
class InputFile {
public:
    InputFile(const std::uint8_t* data, std::size_t size, const char* extension)
        : path_((std::filesystem::temp_directory_path() /
                 ("sonora-fuzz-" + std::to_string(::getpid()) + extension))
                    .string()) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ~InputFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline void requireFinite(double v) {
    if (!std::isfinite(v)) {
        __builtin_trap();
    }
}

// A written curve list: finite values, and a frequency list that ends with its 0 terminator
// inside the array.
inline void checkCurve(const double (&freq)[kCurvePoints], const double (&values)[kCurvePoints]) {
    int n = 0;
    while (n < kCurvePoints && freq[n] != 0) {
        requireFinite(freq[n]);
        requireFinite(values[n]);
        ++n;
    }
    if (n == kCurvePoints) {
        __builtin_trap();
    }
}

inline void textImport(ResponseKind kind, const std::uint8_t* data, std::size_t size) {
    const InputFile file(data, size, ".txt");
    struct Curves {
        double valueFreq[kCurvePoints] = {}, values[kCurvePoints] = {};
        double phaseFreq[kCurvePoints] = {}, phases[kCurvePoints] = {};
    };
    auto c = std::make_unique<Curves>();
    ScriptedPrompt prompt;
    // The first byte answers the question whether a single column holds the phase.
    prompt.choices.push_back(size > 0 && (data[0] & 1) ? 1 : 2);
    const TextImportResult r = importResponseText(kind, file.path(), c->valueFreq, c->values,
                                                  c->phaseFreq, c->phases, prompt);
    if (r.records < 0 || r.records > kCurvePoints - 2) {
        __builtin_trap();
    }
    checkCurve(c->valueFreq, c->values);
    checkCurve(c->phaseFreq, c->phases);
}

inline void textImportFrequency(const std::uint8_t* data, std::size_t size) {
    textImport(ResponseKind::Frequency, data, size);
    // The driver editor's import with the level question, answered with a number of the input.
    const InputFile file(data, size, ".txt");
    auto chassis = std::make_unique<TChassis>();
    ScriptedPrompt prompt;
    prompt.choices.push_back(2);
    prompt.values.push_back(size > 1 && (data[1] & 1) ? "1e308" : "-3,5");
    if (importFrequencyResponseForDriver(file.path(), *chassis, prompt)) {
        checkCurve(chassis->fgangaf, chassis->fganga);
        checkCurve(chassis->fgangapf, chassis->fgangap);
    }
}
inline void textImportImpedance(const std::uint8_t* data, std::size_t size) {
    textImport(ResponseKind::Impedance, data, size);
}

inline void limFile(const std::uint8_t* data, std::size_t size) {
    const InputFile file(data, size, ".lim");
    TLim lim;
    if (lim.Loadfromfile(file.path()) &&
        (lim.nLimData < 0 || lim.nLimData > TLim::kMaxRecords ||
         static_cast<std::size_t>(lim.nLimData) != lim.LimData.size())) {
        __builtin_trap();
    }
    // The driver editor's import of the same file into a driver's impedance curves.
    auto chassis = std::make_unique<TChassis>();
    std::string message;
    if (importLimForDriver(file.path(), *chassis, message)) {
        checkCurve(chassis->fgangif, chassis->fgangi);
        checkCurve(chassis->fgangipf, chassis->fgangip);
    }
}

inline void pirFile(const std::uint8_t* data, std::size_t size) {
    const InputFile file(data, size, ".pir");
    Tpir pir;
    if (!pir.Loadfromfile(file.path())) {
        return;
    }
    const double delay = pir.EstimateDelayMs();
    requireFinite(delay);
    // What the import dialog does with it: window, then the response on a logarithmic grid and
    // per bin.
    pir.Fenstern(20.0, 5.0);
    if (pir.CalcFgang(200, delay, 20000.0, 20.0)) {
        for (int i = 0; i < pir.nFgang; ++i) {
            const TFgangPoint& p = pir.fgang[static_cast<std::size_t>(i)];
            requireFinite(p.f);
            requireFinite(p.level);
            requireFinite(p.phase);
        }
    }
    (void)pir.CalcFgang(-1, 0.0, 20000.0, 20.0);
}

// ---- readers of text already in memory ----

inline void comparisonCurve(const std::uint8_t* data, std::size_t size) {
    ComparisonCurve curve{};
    const bool ok =
        readComparisonCurve(std::string_view(reinterpret_cast<const char*>(data), size), curve);
    if (ok != curve.valid || curve.count < 0 || curve.count > kComparisonPoints ||
        (ok && curve.count == 0)) {
        __builtin_trap();
    }
    for (int i = 0; i < curve.count; ++i) {
        if (!(curve.points[i].f > 0)) {
            __builtin_trap();
        }
        requireFinite(curve.points[i].f);
        requireFinite(curve.points[i].level);
    }
}

inline void partLibrary(const std::uint8_t* data, std::size_t size) {
    PartLibrary library;
    addLibraryText(library, std::string_view(reinterpret_cast<const char*>(data), size));
    for (int p = 0; p < kLibraryPages; ++p) {
        const LibraryPage page = static_cast<LibraryPage>(p);
        if (library.page(page).size() > kMaxLibraryEntries) {
            __builtin_trap();
        }
        for (std::size_t i = 0; i < library.page(page).size(); ++i) {
            const LibraryEntry& e = library.page(page)[i];
            if (!e.separator && !(e.value > 0 && std::isfinite(e.value))) {
                __builtin_trap(); // only a separator lists a value of 0 or below
            }
            PartDialog dialog;
            if (chooseLibraryEntry(dialog, library, {page, static_cast<int>(i)}) == e.separator) {
                __builtin_trap();
            }
        }
        (void)librarySelectionText(library, {page, 0});
    }
}

// ---- the whole project path: bytes, project file, complete calculation ----

// Grid of the fuzzed calculation: small, so that one input computes in well under a second.
inline constexpr int kFuzzGridPoints = 40;

inline void requireFinite(const Complex& c) {
    requireFinite(c.re);
    requireFinite(c.im);
}

// Every value of the result that the run computed for the project's grid, amplifiers and drivers
// must be finite.
inline void checkResultFinite(const TResult& r, int nAmps, int nChassis) {
    const int nf = std::min(std::max(r.nfreq, 0), kResultFreqs);
    for (int f = 0; f < nf; ++f) {
        requireFinite(r.freq[f]);
        for (int a = 0; a < nAmps; ++a) {
            requireFinite(r.fgang_akt[a][f]);
            requireFinite(r.impedanz_box[a][f]);
        }
        for (int c = 0; c < nChassis; ++c) {
            requireFinite(r.impedanz_ch[c][f]);
            requireFinite(r.fgang_weiche[c][f]);
            requireFinite(r.fgang_xch[c][f]);
            for (int s = 0; s < kSides; ++s) {
                requireFinite(r.fgang_ch[c][s][f]);
                requireFinite(r.fgang_ch_oMw[c][s][f]);
                for (int d = 0; d < kDirections; ++d) {
                    requireFinite(r.fgang_sw[c][s][f][d]);
                    requireFinite(r.fgang_chas[c][s][f][d]);
                    requireFinite(r.fgang_chassis[c][s][f][d]);
                }
            }
        }
        for (int c = 0; c <= kMaxChassis; ++c) {
            if (c < nChassis || c == kBoxSlot) {
                requireFinite(r.fgang_glz[c][f]);
                requireFinite(r.fgang_Uel_preamp[c][f]);
                requireFinite(r.fgang_Uel_preamp_mech[c][f]);
                requireFinite(r.fgang_peg[c][f]);
            }
        }
        for (int d = 0; d < kDirections; ++d) {
            requireFinite(r.fgang_box[f][d]);
        }
        requireFinite(r.fgang_box_inc_o[f]);
        requireFinite(r.fgang_box_inc_u[f]);
        for (int a = 0; a < kPlaneAngles; ++a) {
            requireFinite(r.fgang_box_h[f][a]);
            requireFinite(r.fgang_box_v[f][a]);
        }
        requireFinite(r.fgang_bmass[f]);
    }
}

// The run object of the whole-project target, made once: its records are large, and setting up
// fresh ones for every input would cost more than the calculation. Every input is a complete
// recalculation into a cleared result, so what an input computes does not depend on the one
// before.
struct ProjectRun {
    TFormRechnen form;
    std::unique_ptr<TCalcThread> calc;
    ProjectRun() {
        TCalcThread::Options options;
        options.pause = std::chrono::milliseconds(0);
        options.lowerPriority = false;
        options.listener = &form;
        calc = std::make_unique<TCalcThread>(options);
        form.attach(calc.get());
    }
    static ProjectRun& instance() {
        static ProjectRun run;
        return run;
    }
};

inline void wholeProject(const std::uint8_t* data, std::size_t size) {
    const InputFile file(data, size, ".LSP");
    auto project = std::make_unique<TProjekt>(); // cleared; the reader fills in the defaults
    ScriptedPrompt prompt;
    const std::vector<std::uint8_t> head(data, data + std::min<std::size_t>(size, 8));
    if (readProjectFile(*project, file.path(), hasProjectFileSignature(head), prompt,
                        fitVoiceCoilOfOldFile) != ProjectReadStatus::Ok) {
        return;
    }
    project->sz = kFuzzGridPoints;
    BuildFrequencyGrid(*project);
    recomputeDerivedDriverValues(*project);

    ProjectRun& run = ProjectRun::instance();
    std::memset(static_cast<void*>(run.calc->Res.get()), 0, sizeof(TResult));
    run.form.CalcAllNew(*project);
    if (!run.calc->waitUntilIdle(std::chrono::seconds(60))) {
        __builtin_trap(); // a hang; libFuzzer's -timeout reports the slow ones earlier
    }
    checkResultFinite(*run.form.result, project->nAmps, project->nChassis);
}

} // namespace sonora::fuzz

// sonora-cli rechner: the pages of the box and network calculators without their window. Options
// are the entry fields ("--fs 35 --qts 0,4"), numbers with "," or "."; the output is exactly the
// lines the page's result lists show.
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "acoustics/box_calc_closed.h"
#include "acoustics/box_calc_ebp.h"
#include "acoustics/box_calc_port.h"
#include "acoustics/network_calc_crossover.h"
#include "acoustics/network_calc_impedance.h"
#include "acoustics/network_calc_lpad.h"
#include "cli/commands.h"
#include "cli/terminal_prompt.h"

namespace sonora::cli {

namespace {

using Lines = std::vector<std::string>;

void print(const Lines& lines) {
    for (const std::string& line : lines) {
        std::printf("%s\n", terminalText(line).c_str());
    }
}

// Applies "--name value" pairs with `set`; false (with a message) for an unknown name, a missing
// value or a value the field does not take.
bool applyOptions(const Args& args,
                  const std::function<bool(std::string_view, std::string_view)>& set,
                  const std::string& names) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0 || i + 1 >= args.size()) {
            std::fprintf(stderr, "Unbekannte Option: %s\nMögliche Eingaben: %s\n", a.c_str(),
                         names.c_str());
            return false;
        }
        if (!set(std::string_view(a).substr(2), args[i + 1])) {
            std::fprintf(stderr, "Ungültige Eingabe: %s %s\nMögliche Eingaben: %s\n", a.c_str(),
                         args[i + 1].c_str(), names.c_str());
            return false;
        }
        ++i;
    }
    return true;
}

template <class Field> std::string fieldNames(std::span<const Field> fields) {
    std::string s;
    for (const Field& f : fields) {
        s += (s.empty() ? "--" : " --") + std::string(f.name);
    }
    return s;
}

template <class Inputs>
bool applyNetworkOptions(const Args& args, Inputs& in, std::span<const CalcField<Inputs>> fields) {
    return applyOptions(
        args,
        [&](std::string_view name, std::string_view text) {
            return setCalcField(fields, in, name, text) == SetFieldResult::kOk;
        },
        fieldNames(fields));
}

int closedVentedPage(const Args& args, int list) {
    ClosedVentedInput in;
    if (!applyOptions(
            args,
            [&](std::string_view n, std::string_view t) { return setClosedVentedField(in, n, t); },
            fieldNames(closedVentedFields()))) {
        return kExitUsage;
    }
    const ClosedVentedResult r = calcClosedVented(in);
    print(list == 0 ? r.closedBox : list == 1 ? r.ventedBox : r.alternative);
    return kExitOk;
}

} // namespace

int runCalculator(const Args& args) {
    if (args.empty()) {
        printUsage(stderr);
        return kExitUsage;
    }
    const std::string& page = args[0];
    const Args rest(args.begin() + 1, args.end());
    if (page == "geschlossen") {
        return closedVentedPage(rest, 0);
    }
    if (page == "bassreflex") {
        return closedVentedPage(rest, 1);
    }
    if (page == "alternativ") {
        return closedVentedPage(rest, 2);
    }
    if (page == "ebp") {
        EbpInput in;
        if (!applyOptions(
                rest, [&](std::string_view n, std::string_view t) { return setEbpField(in, n, t); },
                fieldNames(ebpFields()))) {
            return kExitUsage;
        }
        print(calcEbp(in).lines);
        return kExitOk;
    }
    if (page == "kanal") {
        PortInput in;
        if (!applyOptions(
                rest,
                [&](std::string_view n, std::string_view t) { return setPortField(in, n, t); },
                fieldNames(portFields()))) {
            return kExitUsage;
        }
        print(calcPort(in).lines);
        return kExitOk;
    }
    if (page == "weiche") {
        StandardCrossoverInputs in;
        if (!applyNetworkOptions(rest, in, standardCrossoverFields())) {
            return kExitUsage;
        }
        const StandardCrossoverMemos m = standardCrossoverLines(in);
        for (std::size_t order = 0; order < m.lowPass.size(); ++order) {
            std::printf("%zu. Ordnung Tiefpass:\n", order + 1);
            print(m.lowPass[order]);
            std::printf("%zu. Ordnung Hochpass:\n", order + 1);
            print(m.highPass[order]);
        }
        return kExitOk;
    }
    if (page == "spannungsteiler") {
        LPadInputs in;
        if (!applyNetworkOptions(rest, in, lpadFields())) {
            return kExitUsage;
        }
        print(lpadLines(in));
        return kExitOk;
    }
    if (page == "spannungsteiler-rueck") {
        ReverseLPadInputs in;
        if (!applyNetworkOptions(rest, in, reverseLpadFields())) {
            return kExitUsage;
        }
        print(reverseLpadLines(in));
        return kExitOk;
    }
    if (page == "impedanzkorrektur") {
        ImpedanceCorrectionInputs in;
        if (!applyNetworkOptions(rest, in, impedanceCorrectionFields())) {
            return kExitUsage;
        }
        const ImpedanceCorrectionMemos m = impedanceCorrectionLines(in);
        std::printf("%s\n", std::string(kResonanceCorrectionCaption).c_str());
        print(m.resonance);
        std::printf("%s\n", std::string(kInductanceCorrectionCaption).c_str());
        print(m.inductance);
        std::printf("%s\n", std::string(kCombinedCorrectionCaption).c_str());
        print(m.combined);
        return kExitOk;
    }
    std::fprintf(stderr, "Unbekannte Rechnerseite: %s\n\n", page.c_str());
    printUsage(stderr);
    return kExitUsage;
}

} // namespace sonora::cli

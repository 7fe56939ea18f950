// sonora-cli: the command-line front of Sonora.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "measure/results_export_sections.h"
#include "model/version.h"

namespace sonora::cli {

void printUsage(std::FILE* out) {
    std::fprintf(
        out,
        "Aufruf: sonora-cli BEFEHL ...\n"
        "\n"
        "  calc PROJEKT [--export DATEI] [--sections LISTE] [--quiet]\n"
        "              Projekt vollständig berechnen, Fehlerliste ausgeben;\n"
        "              Exit-Code 0 gültig, 1 Berechnung fehlerhaft, 2 Datei-/Aufruffehler\n"
        "  info DATEI  Form, Version, Anzahlen und Chassisnamen einer Projekt- oder\n"
        "              Chassisdatei ausgeben\n"
        "  convert EIN AUS [--plain|--compressed]\n"
        "              Projekt- oder Chassisdatei in der gewählten Form neu schreiben\n"
        "  import CHASSIS.LSC --frequency DATEI [--level-at DB] [--column level|phase]\n"
        "  import CHASSIS.LSC --impedance DATEI [--column impedance|phase]\n"
        "  import CHASSIS.LSC --lim DATEI\n"
        "              Messkurven in die Chassisdatei übernehmen (wie im Chassiseditor)\n"
        "  pir DATEI.pir [--window L,H] [--points N --from F --to F]\n"
        "              Frequenzgang einer Impulsantwort als Tabelle ausgeben\n"
        "  rechner SEITE [--FELD WERT ...]\n"
        "              Gehäuse- und Weichenrechner; SEITE: geschlossen, bassreflex,\n"
        "              alternativ, ebp, kanal, weiche, spannungsteiler,\n"
        "              spannungsteiler-rueck, impedanzkorrektur; FELD wie auf der Seite\n"
        "              (ohne FELD: die Felder der Seite werden bei falscher Eingabe genannt)\n"
        "  --version   Programmversion ausgeben\n"
        "  --help      diese Hilfe ausgeben\n"
        "\n"
        "Abschnitte des Exports (--sections, durch Komma getrennt; ohne: alle):\n"
        "  %s\n",
        sonora::exportSectionNameList().c_str());
}

} // namespace sonora::cli

int main(int argc, char** argv) {
    using namespace sonora::cli;
    if (argc < 2) {
        printUsage(stderr);
        return kExitUsage;
    }
    const std::string command = argv[1];
    const Args rest(argv + 2, argv + argc);
    if (command == "--version" || command == "-V") {
        if (!rest.empty()) {
            printUsage(stderr);
            return kExitUsage;
        }
        std::printf("Sonora %.*s\n", static_cast<int>(sonora::kVersion.size()),
                    sonora::kVersion.data());
        return kExitOk;
    }
    if (command == "--help" || command == "-h") {
        printUsage(stdout);
        return kExitOk;
    }
    if (command == "calc") {
        return runCalc(rest);
    }
    if (command == "info") {
        return runInfo(rest);
    }
    if (command == "convert") {
        return runConvert(rest);
    }
    if (command == "import") {
        return runImport(rest);
    }
    if (command == "pir") {
        return runPir(rest);
    }
    if (command == "rechner") {
        return runCalculator(rest);
    }
    std::fprintf(stderr, "Unbekannte Option: %s\n\n", argv[1]);
    printUsage(stderr);
    return kExitUsage;
}

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
        "  calc PROJEKT [--export DATEI] [--sections LISTE] [--plots ORDNER] [--quiet]\n"
        "              Projekt vollständig berechnen, Fehlerliste ausgeben;\n"
        "              Exit-Code 0 gültig, 1 Berechnung fehlerhaft, 2 Datei-/Aufruffehler\n"
        "              --plots: die Diagramme als PNG-Dateien in ORDNER, benannt nach\n"
        "              ihrem Titel (Umlaute und ß als ae, oe, ue, ss, andere Zeichen als _):\n"
        "              Frequenzgang_Gesamtbox.png, Phasengaenge.png,\n"
        "              Richtungen_vorne_und_verschiedene_Winkel_nach_oben.png (_unten,\n"
        "              _links, _rechts), Maximale_eff_Eingangsspannung.png,\n"
        "              Maximaler_Pegel.png, Effektivspannung_an_den_Chassis.png,\n"
        "              Buendelungsmass.png, Gruppenlaufzeit.png, Spinorama.png (mit der\n"
        "              Bewertung daneben), Fruehe_Reflexionen.png, Impulsantwort.png,\n"
        "              Sprungantwort.png, Richtungs-Sonogramm_horizontal.png (_vertikal),\n"
        "              Polarplots.png\n"
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
        "  optimize PROJEKT --out DATEI [--resistors E6|E12|manual]\n"
        "           [--capacitors E6|E12|manual] [--max-seconds N] [--slider NAME=POS ...]\n"
        "           [--mark resistors|all]\n"
        "              markierte Bauteile optimieren, Noten nach dem Start und jedem\n"
        "              Durchgang ausgeben, bestes Projekt nach DATEI schreiben;\n"
        "              festgelegte Bauteile auf E6/E12 runden, bei manual (und Spulen)\n"
        "              bleibt der Wert des Optimierers; --max-seconds bricht ab wie\n"
        "              \"Optimierung abbrechen\"; --mark beantwortet die Frage, wenn nichts\n"
        "              markiert ist (sonst Ende mit Exit-Code 2)\n"
        "              NAME=POS: Schieber des Optimierers, Position wie im Fenster\n"
        "              (Voreinstellung in Klammern): min-impedanz 0..8 (5),\n"
        "              maximalpegel 0..10 (6), bass 0..6 (3), hoehen 0..6 (3),\n"
        "              frequenzgaenge 0..10 (0), energie 0..10 (6), arbeitsbereich 0..10 (10)\n"
        "  trennfrequenzen PROJEKT --gruppe1 LISTE --gruppe2 LISTE\n"
        "              Trennfrequenzen zwischen zwei Chassisgruppen nach vollständiger\n"
        "              Berechnung; LISTE: Chassisnummern ab 1, durch Komma getrennt\n"
        "  richtwirkung PROJEKT [--vertikal] [--frequenz F]\n"
        "              Polarpegel beider Ebenen bei der Rasterfrequenz nahe F (Vorgabe\n"
        "              1000 Hz): Zeile \"Frequenz: F Hz\", dann 361 Zeilen Winkel -180..180,\n"
        "              Pegel horizontal, Pegel vertikal in dB (Tab-getrennt, Zahlen wie in\n"
        "              den Dateien: Dezimalkomma, höchstens 10 Zeichen); --vertikal: dazu\n"
        "              4. Spalte vertikaler Richtungsplot, dB relativ zu 0°\n"
        "  spinorama PROJEKT [--csv DATEI]\n"
        "              Bewertung nach dem Präferenzmodell aus der Spinorama der Ebenen,\n"
        "              auch mit idealem Subwoofer, und ihre vier Eingangsgrößen NBD_ON,\n"
        "              NBD_PIR, LFX, SM_PIR (oder warum eine fehlt); --csv: die Kurven je\n"
        "              Rasterpunkt (Achse, Hörfenster, Frühe Reflexionen, Schallleistung,\n"
        "              Raumantwort, beide DI, fünf Reflexionsgruppen), durch \";\" getrennt\n"
        "  frd PROJEKT ORDNER [--winkel H30,V-10,...]\n"
        "              Kurven für andere Programme in ORDNER schreiben (fehlt er, wird er\n"
        "              angelegt): Box_0Grad.frd, Box_Hoerfenster.frd, je Winkel\n"
        "              Box_H30Grad.frd usw., je Chassis Chassis_N_NAME.frd (mit Schallwand,\n"
        "              Filtern, Weiche und Position, wie es zur Box beiträgt) als Frequenz [Hz],\n"
        "              Pegel [dB], Phase [Grad]; je Verstärker Verstaerker_N.zma als Frequenz,\n"
        "              Impedanz [Ohm], Phase [Grad]. Winkel: H horizontal (> 0 rechts vom\n"
        "              Hörer aus), V vertikal (> 0 oben), ganze Grad von -180 bis 180; ohne\n"
        "              --winkel: H±15 bis H±90 in 15°-Schritten, V±15, V±30;\n"
        "              Exit-Code 0 geschrieben, 1 Berechnung fehlerhaft, 2 Datei-/Aufruffehler\n"
        "  impuls PROJEKT [--chassis N] [--abtastrate HZ] [--laenge N] [--csv DATEI]\n"
        "              Impuls- und Sprungantwort der Box auf Achse (--chassis: des Chassis N,\n"
        "              wie es zur Box beiträgt); gibt Abtastrate (Vorgabe 48000 Hz), Länge\n"
        "              (Vorgabe 65536 Samples, gerade), die Verlängerung unter dem Raster\n"
        "              (Steigung der untersten Oktave) und das halbe Hann-Fenster über ihm\n"
        "              aus; --csv: t [ms], Impuls- und Sprungantwort je Sample, t = 0 nach\n"
        "              1 ms Vorlauf, durch \";\" getrennt\n"
        "  toleranz PROJEKT [--versuche N] [--seed S] [--verteilung gleich|normal]\n"
        "           [--widerstaende P] [--kondensatoren P] [--spulen P]\n"
        "           [--spulenwiderstand P] [--fs P] [--qts P] [--vas P] [--re P] [--le P]\n"
        "           [--pegel DB] [--threads N] [--csv DATEI]\n"
        "              Toleranzanalyse: Weichenbauteile und Chassiswerte N-mal (Vorgabe 200)\n"
        "              innerhalb ihrer Toleranz in Prozent ziehen (Vorgaben: Widerstände,\n"
        "              Kondensatoren, Spulen 5, Drahtwiderstand der Spulen 0, fs 10, Qts 10\n"
        "              (gilt für Qes und Qms), Vas 15, Re 0, Le 0, Pegel 1 dB; 0 hält den\n"
        "              Wert fest), gleichverteilt oder normal mit der Toleranz als 2 Sigma\n"
        "              (Vorgabe); gleicher Seed, gleiche Zahlen. Gibt die größte Abweichung\n"
        "              auf Achse und im Hörfenster (200 Hz bis 15 kHz), die Phasendifferenz\n"
        "              benachbarter Chassis an ihrer Trennfrequenz und je Bauteil und\n"
        "              Chassiswert die Empfindlichkeit (dB je +1 %%) absteigend aus;\n"
        "              --csv: je Rasterpunkt Nennwert, 5-, 50-, 95-%%-Quantil, Minimum und\n"
        "              Maximum von Achse, Hörfenster, Impedanz je Verstärker und\n"
        "              Phasendifferenz je Trennung, dazu die Empfindlichkeitskurven\n"
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
    if (command == "optimize") {
        return runOptimize(rest);
    }
    if (command == "trennfrequenzen") {
        return runCrossings(rest);
    }
    if (command == "richtwirkung") {
        return runDirectivity(rest);
    }
    if (command == "spinorama") {
        return runSpinorama(rest);
    }
    if (command == "frd") {
        return runFrd(rest);
    }
    if (command == "impuls") {
        return runImpulse(rest);
    }
    if (command == "toleranz") {
        return runTolerance(rest);
    }
    std::fprintf(stderr, "Unbekannte Option: %s\n\n", argv[1]);
    printUsage(stderr);
    return kExitUsage;
}

// The window "SONORA - Hilfsberechnungen" offscreen: every page computes from entries typed with
// decimal commas and shows exactly what the core gives for the same texts (and the worked
// examples), the switches show, hide and disable their fields, the driver file fills the driver
// entries, and the main window's menu opens the window once.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <utility>

#include "acoustics/box_calc_closed.h"
#include "acoustics/box_calc_driver.h"
#include "acoustics/box_calc_ebp.h"
#include "acoustics/box_calc_port.h"
#include "acoustics/network_calc_crossover.h"
#include "acoustics/network_calc_impedance.h"
#include "acoustics/network_calc_lpad.h"
#include "app/ui/calculator_page_closed.h"
#include "app/ui/calculator_page_crossover.h"
#include "app/ui/calculator_page_ebp.h"
#include "app/ui/calculator_page_impedance.h"
#include "app/ui/calculator_page_lpad.h"
#include "app/ui/calculator_page_pictures.h"
#include "app/ui/calculator_page_port.h"
#include "app/ui/calculators_window.h"
#include "app/ui/qt_text.h"
#include "gui_test_support.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/driver_file.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

using Entries = std::initializer_list<std::pair<const char*, const char*>>;

// Types `text` into the field as a user would: select all, then the keys.
void type(const PageEntries& entries, const char* name, const char* text) {
    QLineEdit* edit = entries.number(name);
    QVERIFY2(edit != nullptr, name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromUtf8(text));
}

void typeAll(const PageEntries& entries, Entries texts) {
    for (const auto& [name, text] : texts) {
        type(entries, name, text);
    }
}

// The core's inputs from the same texts, through its own setters by name.
template <class Input, class Set> Input coreInput(Input input, Entries texts, Set set) {
    for (const auto& [name, text] : texts) {
        if (!set(input, name, text)) {
            qWarning("field %s refused %s", name, text);
        }
    }
    return input;
}

ClosedVentedInput closedInput(Entries texts, ClosedVentedInput start = {}) {
    return coreInput(start, texts, setClosedVentedField);
}

template <class Inputs> auto networkSetter(std::span<const CalcField<Inputs>> fields) {
    return [fields](Inputs& in, std::string_view name, std::string_view text) {
        return setCalcField(fields, in, name, text) == SetFieldResult::kOk;
    };
}

QStringList utf8Lines(std::initializer_list<const char*> lines) {
    QStringList shown;
    for (const char* line : lines) {
        shown << QString::fromUtf8(line);
    }
    return shown;
}

QString latin1Text(const std::string& text) {
    return fromLatin1(text);
}

std::unique_ptr<TChassis> woofer() {
    auto c = std::make_unique<TChassis>();
    initDefaultChassis(*c);
    c->name.assign(utf8ToLatin1("Bass 20 Übergröße"));
    c->fs = 28.123456789; // Hz
    c->qes = 0.41;
    c->qms = 3.2;
    c->vas = 0.0801234567; // m³
    c->Rdc = 5.6;          // Ohm
    return c;
}

} // namespace

class CalculatorsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheSixPagesWithTheirStartValues();
    void closedAndVentedBoxFromTypedEntries();
    void seriesResistorAndQesQmsSwitches();
    void driverFileFillsTheDriverEntries();
    void ebpRecommendsAtItsLimits();
    void portPageFollowsShapeAndVolumeMode();
    void standardCrossoversOfTheFourOrders();
    void lpadExactValuesSuggestionsAndReverse();
    void impedanceCorrectionNetworks();
    void menuOpensOneWindow();

private:
    ScriptedPrompt prompt_;
};

void CalculatorsWindowTest::showsTheSixPagesWithTheirStartValues() {
    CalculatorsWindow window(QStringLiteral("/drivers/"), prompt_);
    QCOMPARE(window.windowTitle(), QStringLiteral("SONORA - Hilfsberechnungen"));
    QStringList tabs;
    for (int k = 0; k < window.pages()->count(); ++k) {
        tabs << window.pages()->tabText(k);
    }
    QCOMPARE(tabs, utf8Lines({"Gehäuse geschlossen/Bassreflex", "Tieftönerverwendung nach EBP",
                              "Bassreflexkanal", "Standardweichen", "Spannungsteiler",
                              "Impedanzkorrekturglieder"}));
    // Start values as the fields show them; the alternative volume starts empty.
    const PageEntries& closed = window.closedVentedPage()->entries();
    QCOMPARE(closed.number("qts")->text(), QStringLiteral("0,4"));
    QCOMPARE(closed.number("vas")->text(), QStringLiteral("80"));
    QCOMPARE(closed.number("qtc")->text(), QStringLiteral("0,7"));
    QCOMPARE(closed.number("valt")->text(), QString());
    QCOMPARE(window.ebpPage()->entries().number("fs")->text(), QStringLiteral("40"));
    QCOMPARE(window.portPage()->entries().number("k")->text(), QStringLiteral("90"));
    QCOMPARE(window.impedancePage()->entries().number("qms")->text(), QStringLiteral("2,8"));
    QCOMPARE(window.lpadPage()->givenEntries().number("r2")->text(), QStringLiteral("6,8"));
    QCOMPARE(window.lpadPage()->attenuationList()->currentText(), QStringLiteral("-0,5 dB"));
    QCOMPARE(window.lpadPage()->attenuationList()->itemText(2), QStringLiteral("-1,5dB"));
    QCOMPARE(window.lpadPage()->attenuationList()->count(), kWantedAttenuationCount);
    QVERIFY(window.lpadPage()->wantedEntries().checkBox("egal")->isChecked());
    // The pages read back exactly the core's start inputs, so the lists are the core's.
    QCOMPARE(window.closedVentedPage()->closedBox()->lines(),
             displayLines(calcClosedVented({}).closedBox));
    QCOMPARE(window.portPage()->result()->lines(), displayLines(calcPort({}).lines));
    QCOMPARE(window.ebpPage()->result()->lines(), displayLines(calcEbp({}).lines));
    QCOMPARE(window.impedancePage()->inductance()->lines(),
             displayLines(impedanceCorrectionLines({}).inductance));
    // Captions come from the core's field tables.
    bool found = false;
    for (const QLabel* l : window.closedVentedPage()->findChildren<QLabel*>()) {
        found = found || l->text() == QString::fromUtf8("Äquivalentvolumen Vas [Liter]");
    }
    QVERIFY(found);
}

void CalculatorsWindowTest::closedAndVentedBoxFromTypedEntries() {
    CalculatorsWindow window(QString(), prompt_);
    ClosedVentedPage* page = window.closedVentedPage();
    // Another driver first, so that the worked example below is really recomputed.
    const Entries other = {{"qts", "0,33"}, {"vas", "120,5"}, {"fs", "27,5"}, {"qtc", "0,707"}};
    typeAll(page->entries(), other);
    const ClosedVentedResult r = calcClosedVented(closedInput(other));
    QCOMPARE(page->closedBox()->lines(), displayLines(r.closedBox));
    QCOMPARE(page->ventedBox()->lines(), displayLines(r.ventedBox));
    // A closed box resonates at fs·Qtc/Qts whatever its volume.
    QCOMPARE(page->closedBox()->lines().value(1),
             QStringLiteral("Resonanzfrequenz des eingebauten Chassis: ") +
                 latin1Text(compactNumberText(5, 27.5 * 0.707 / 0.33)) + QStringLiteral(" Hz"));

    // Vb = 80/(1.75² - 1) = 38.79 l, fc = 35·1.75 = 61.25 Hz.
    const Entries example = {{"qts", "0,4"}, {"vas", "80"}, {"fs", "35"}, {"qtc", "0,7"}};
    typeAll(page->entries(), example);
    QCOMPARE(page->closedBox()->lines(),
             utf8Lines({"Berechnetes Volumen: 38,788 Liter",
                        "Resonanzfrequenz des eingebauten Chassis: 61,25 Hz"}));
    QCOMPARE(page->ventedBox()->lines(),
             displayLines(calcClosedVented(closedInput(example)).ventedBox));
    QCOMPARE(page->alternative()->lines(),
             utf8Lines({"Alternatives Volumen muss größer als 0 sein."}));

    type(page->entries(), "valt", "50,5");
    const ClosedVentedResult alt = calcClosedVented(closedInput({{"valt", "50,5"}}));
    QCOMPARE(page->alternative()->lines(), displayLines(alt.alternative));
    QCOMPARE(page->alternative()->lines().size(), 3);

    type(page->entries(), "qtc", "0,4"); // equal to Q'
    QCOMPARE(page->closedBox()->lines(),
             utf8Lines({"Auslegung nicht möglich, da Qts oder Rv zu hoch."}));

    type(page->entries(), "vas", "viel"); // no digits: 0
    const QStringList missing = utf8Lines(
        {"Daten unvollständig.", "Mindestens Qts, Vas und fs müssen eingegeben werden und",
         "größer als 0 sein."});
    QCOMPARE(page->closedBox()->lines(), missing);
    QCOMPARE(page->ventedBox()->lines(), missing);
    QCOMPARE(page->alternative()->lines(), missing);
}

void CalculatorsWindowTest::seriesResistorAndQesQmsSwitches() {
    CalculatorsWindow window(QString(), prompt_);
    ClosedVentedPage* page = window.closedVentedPage();
    const PageEntries& e = page->entries();
    QVERIFY(e.number("rdc")->isHidden());
    QVERIFY(e.number("qes")->isHidden());

    // Rdc 6, Rv 1: Q' = 0.4·7/6, (0.7/Q')² = 2.25, Vb = 80/1.25 = 64 l, fc = 35·1.5 = 52.5 Hz.
    e.checkBox("series")->click();
    QVERIFY(!e.number("rdc")->isHidden());
    QVERIFY(!e.number("rv")->isHidden());
    type(e, "rv", "1,0");
    QCOMPARE(page->closedBox()->lines(),
             utf8Lines({"Berechnetes Volumen: 64 Liter",
                        "Resonanzfrequenz des eingebauten Chassis: 52,5 Hz"}));

    // An emptied Rdc switches the resistor off; its fields stay so that Rdc can be corrected.
    type(e, "rdc", "");
    QVERIFY(!e.checkBox("series")->isChecked());
    QVERIFY(!e.number("rdc")->isHidden());
    QCOMPARE(page->closedBox()->lines(), utf8Lines({"Berechnetes Volumen: 38,788 Liter",
                                                    "Resonanzfrequenz des eingebauten Chassis: "
                                                    "61,25 Hz"}));
    type(e, "rdc", "6");
    e.checkBox("series")->click();
    QVERIFY(e.checkBox("series")->isChecked());
    QCOMPARE(page->closedBox()->lines().value(0), QStringLiteral("Berechnetes Volumen: 64 Liter"));
    e.checkBox("series")->click();
    QVERIFY(e.number("rdc")->isHidden());

    // Qts from Qes and Qms: 0.5·2/2.5 = 0.4, written into the disabled Qts field.
    type(e, "qts", "0,9");
    e.checkBox("qesqms")->click();
    QVERIFY(!e.number("qes")->isHidden());
    QVERIFY(!e.number("qts")->isEnabled());
    QCOMPARE(e.number("qts")->text(), QStringLiteral("0,4"));
    type(e, "qes", "0,6");
    type(e, "qms", "3");
    QCOMPARE(e.number("qts")->text(), QStringLiteral("0,5")); // 1.8/3.6
    ClosedVentedInput known;
    known.qesQmsKnown = true;
    const ClosedVentedResult r =
        calcClosedVented(closedInput({{"qes", "0,6"}, {"qms", "3"}}, known));
    QCOMPARE(page->ventedBox()->lines(), displayLines(r.ventedBox));
    type(e, "qes", "0");
    QCOMPARE(e.number("qts")->text(), QString()); // Qes·Qms <= 0
    e.checkBox("qesqms")->click();
    QVERIFY(e.number("qts")->isEnabled());
    QVERIFY(e.number("qms")->isHidden());
}

void CalculatorsWindowTest::driverFileFillsTheDriverEntries() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bass.LSC"));
    const auto chassis = woofer();
    QVERIFY(saveDriver(*chassis, toUtf8(path), "", prompt_));

    CalculatorsWindow window(dir.path(), prompt_);
    QString shownFolder;
    QString shownFilter;
    QString answer; // cancelled first
    window.setDriverFileChooser([&](QWidget*, const QString& folder, const QString& filter) {
        shownFolder = folder;
        shownFilter = filter;
        return answer;
    });
    ClosedVentedPage* page = window.closedVentedPage();
    const QStringList before = page->closedBox()->lines();
    page->loadButton()->click();
    QCOMPARE(shownFolder, dir.path());
    QVERIFY(shownFilter.startsWith(QStringLiteral("Chassisdateien (")));
    QVERIFY(shownFilter.contains(QStringLiteral("*.LSC")));
    QCOMPARE(page->closedBox()->lines(), before);
    QVERIFY(!page->entries().checkBox("qesqms")->isChecked());

    answer = path;
    QCOMPARE(page->loadButton()->text(),
             QString::fromUtf8("Parameter für Tieftöner aus Chassisdatei laden .."));
    page->loadButton()->click();
    const PageEntries& e = page->entries();
    QVERIFY(e.checkBox("qesqms")->isChecked());
    QCOMPARE(e.number("fs")->text(), QStringLiteral("28,123"));
    QCOMPARE(e.number("vas")->text(), QStringLiteral("80,123")); // litres
    QCOMPARE(e.number("rdc")->text(), QStringLiteral("5,6"));
    QCOMPARE(e.number("qts")->text(), QStringLiteral("0,3634")); // 0.41·3.2/3.61
    QCOMPARE(page->loadMessage()->text(),
             QString::fromUtf8("\nDaten von Bass 20 Übergröße wurden geladen."));
    ClosedVentedInput loaded;
    loadDriverParameters(*chassis, loaded);
    const ClosedVentedResult r = calcClosedVented(loaded);
    QCOMPARE(page->closedBox()->lines(), displayLines(r.closedBox));
    QCOMPARE(page->ventedBox()->lines(), displayLines(r.ventedBox));

    EbpPage* ebp = window.ebpPage();
    ebp->loadButton()->click();
    QCOMPARE(ebp->entries().number("qms")->text(), QStringLiteral("3,2"));
    EbpInput ebpLoaded;
    loadDriverParameters(*chassis, ebpLoaded);
    QCOMPARE(ebp->result()->lines(), displayLines(calcEbp(ebpLoaded).lines));

    // A file that is no driver file: the reader's message, the entries unchanged.
    answer = dir.filePath(QStringLiteral("fehlt.LSC"));
    const std::size_t messages = prompt_.messages.size();
    type(ebp->entries(), "qes", "0,5");
    ebp->loadButton()->click();
    QVERIFY(prompt_.messages.size() > messages);
    QCOMPARE(ebp->entries().number("qes")->text(), QStringLiteral("0,5"));
}

void CalculatorsWindowTest::ebpRecommendsAtItsLimits() {
    CalculatorsWindow window(QString(), prompt_);
    EbpPage* page = window.ebpPage();
    const auto check = [&](const char* fs, const char* qts, const char* line) {
        type(page->entries(), "fs", fs);
        type(page->entries(), "qts", qts);
        const EbpInput in = coreInput(EbpInput{}, {{"fs", fs}, {"qts", qts}}, setEbpField);
        QCOMPARE(page->result()->lines(), displayLines(calcEbp(in).lines));
        QCOMPARE(page->result()->lines().value(1), QString::fromUtf8(line));
    };
    check("32", "0,4", "==> Chassis für Bassreflexboxen"); // EBP exactly 80
    QCOMPARE(page->result()->lines().value(0), QStringLiteral("EBP = 80Hz"));
    check("16", "0,4", "==> Chassis für geschlossene Boxen"); // exactly 40
    check("15,9", "0,4", "==> Chassis für Transmissionline-Boxen");
    check("48,5", "0,4", "==> Chassis für Exponentialhörner");
    type(page->entries(), "qts", "0");
    QCOMPARE(page->result()->lines(),
             utf8Lines({"Unzulässige Eingabe. Qes, Qms, Qts und fs müssen > 0 sein."}));
}

void CalculatorsWindowTest::portPageFollowsShapeAndVolumeMode() {
    CalculatorsWindow window(QString(), prompt_);
    PortPage* page = window.portPage();
    const PageEntries& e = page->entries();
    QVERIFY(!e.number("c")->isHidden());
    QVERIFY(e.number("d")->isHidden());
    QVERIFY(e.number("b")->isHidden());
    QVERIFY(!page->picture()->circular());

    // Inner sizes 20 × 98 × 23 cm hold 45.08 l.
    page->volumeBySizes()->click();
    QVERIFY(e.number("v")->isHidden());
    QVERIFY(!e.number("t")->isHidden());
    QCOMPARE(page->result()->lines().value(1),
             QStringLiteral("Nettovolumen incl. Kanal: 45,08 Liter"));

    // Four round tubes of 6,5 cm, the damping slider at "locker gefüllt".
    page->circular()->click();
    QVERIFY(page->picture()->circular());
    QVERIFY(e.number("c")->isHidden());
    QVERIFY(!e.number("d")->isHidden());
    auto* tubes = page->findChild<QComboBox*>(QStringLiteral("tubes"));
    QVERIFY(tubes != nullptr && !tubes->isHidden());
    QCOMPARE(tubes->itemText(0), QString::fromUtf8("1 Baßreflexrohr"));
    tubes->setCurrentIndex(3);
    auto* damping = page->findChild<QSlider*>(QStringLiteral("damping"));
    QVERIFY(damping != nullptr);
    damping->setValue(2);
    const Entries texts = {{"d", "6,5"}, {"l", "12,5"}, {"g", "8"}, {"k", "40,5"}};
    typeAll(e, texts);
    PortInput in = coreInput(PortInput{}, texts, setPortField);
    for (const auto& [name, text] : {std::pair{"volmode", "bxhxt"}, std::pair{"shape", "rund"},
                                     std::pair{"tubes", "4"}, std::pair{"damping", "2"}}) {
        QVERIFY(setPortField(in, name, text));
    }
    const PortResult r = calcPort(in);
    QVERIFY(r.tuning.tuned);
    QCOMPARE(page->result()->lines(), displayLines(r.lines));
    QVERIFY(page->result()->lines().value(4).startsWith(QStringLiteral("Abstimmfrequenz fb = ")));

    // No wall distance above 0: refused with the two lines about the walls.
    type(e, "k", "0");
    const QStringList lines = page->result()->lines();
    QVERIFY(lines.contains(QStringLiteral("Sonora kann die Abstimmung nicht berechnen, da der")));
    QVERIFY(lines.contains(QString::fromUtf8("Abstand des Kanals zu mindestens einer Wand ")));
    QVERIFY(!lines.join(QLatin1Char(' ')).contains(QStringLiteral("fb = ")));

    // An empty volume shows nothing.
    page->explicitVolume()->click();
    type(e, "v", "");
    QVERIFY(page->result()->lines().isEmpty());
}

void CalculatorsWindowTest::standardCrossoversOfTheFourOrders() {
    CalculatorsWindow window(QString(), prompt_);
    StandardCrossoverPage* page = window.crossoverPage();
    const Entries texts = {{"fc", "2500,0"}, {"rl", "4"}, {"rh", "6,5"}};
    typeAll(page->entries(), texts);
    StandardCrossoverMemos m = standardCrossoverLines(
        coreInput(StandardCrossoverInputs{}, texts, networkSetter(standardCrossoverFields())));
    for (int k = 0; k < kStandardCrossoverOrders; ++k) {
        QCOMPARE(page->lowPass(k)->lines(), displayLines(m.lowPass[static_cast<std::size_t>(k)]));
        QCOMPARE(page->highPass(k)->lines(), displayLines(m.highPass[static_cast<std::size_t>(k)]));
    }
    // 1 kHz at 8 Ohm: L = R/ω = 1.2732 mH, second order L1 = √2·R/ω = 1.8006 mH, C1 = 14.067 µF.
    typeAll(page->entries(), {{"fc", "1000,0"}, {"rl", "8,0"}, {"rh", "8"}});
    QCOMPARE(page->lowPass(0)->lines(), utf8Lines({"Butterworth:", "L = 1,273 mH"}));
    QCOMPARE(page->lowPass(1)->lines().mid(0, 3),
             utf8Lines({"Butterworth (Q=0,707):", "L1 = 1,801 mH", "C1 = 14,07 µF"}));
    QCOMPARE(page->highPass(0)->lines(), utf8Lines({"Butterworth:", "C = 19,89 µF"}));
    type(page->entries(), "rh", "0");
    for (int k = 0; k < kStandardCrossoverOrders; ++k) {
        QVERIFY(page->lowPass(k)->lines().isEmpty());
        QVERIFY(page->highPass(k)->lines().isEmpty());
    }
    // The pictures name the parts of the lines: L1 and L2 in series, C1 and C2 across.
    const CircuitDrawing fourth = lowPassCircuit(4);
    QCOMPARE(fourth.stages.size(), std::size_t{4});
    QVERIFY(!fourth.stages[0].shunt && fourth.stages[1].shunt);
    QCOMPARE(fourth.stages[2].parts.at(0).label, QStringLiteral("L2"));
    QCOMPARE(highPassCircuit(3).stages[1].parts.at(0).label, QStringLiteral("L3"));
}

void CalculatorsWindowTest::lpadExactValuesSuggestionsAndReverse() {
    CalculatorsWindow window(QString(), prompt_);
    LPadPage* page = window.lpadPage();
    const PageEntries& wanted = page->wantedEntries();
    QVERIFY(!wanted.number("z")->isEnabled()); // "Anschlussimpedanz egal" is on
    wanted.checkBox("egal")->click();
    QVERIFY(wanted.number("z")->isEnabled());
    int minus6 = -1;
    for (int k = 0; k < kWantedAttenuationCount; ++k) {
        if (wantedAttenuationDb(k) == -6) {
            minus6 = k;
        }
    }
    page->attenuationList()->setCurrentIndex(minus6);
    typeAll(wanted, {{"z", "8,0"}, {"rl", "8"}});
    LPadInputs in;
    in.attenuationIndex = minus6;
    in.anyImpedance = false;
    QCOMPARE(page->wantedResult()->lines(), displayLines(lpadLines(in)));
    // Z·(1 − k) and 1/(1/(Z·k) − 1/RL) at k = 10^(−6/20).
    QCOMPARE(page->wantedResult()->lines().mid(0, 4),
             utf8Lines({"dBWunsch = -6 dB", "Exakte Werte nach Vorgabe:", "R1 = 3,9905 Ohm",
                        "R2 = 8,0381 Ohm"}));
    QVERIFY(page->wantedResult()->lines().size() >= 6 + 5); // at least five suggestions

    // R2 = 1/(1/(Z·k) − 1/RL) is negative once Z·k exceeds RL: 20·0.501 > 8 gives −39.62 Ohm,
    // with the warning while the impedance matters.
    type(wanted, "z", "20");
    QCOMPARE(page->wantedResult()->lines().value(3), QStringLiteral("R2 = -39,62 Ohm"));
    const QString warning =
        QString::fromUtf8("Achtung: Anschlussimpedanz nicht realisierbar, daher R2<0!");
    QVERIFY(page->wantedResult()->lines().contains(warning));
    wanted.checkBox("egal")->click();
    QVERIFY(!page->wantedResult()->lines().contains(warning));

    // Given parts: R2 ∥ RL = 1/(1/6.8 + 1/8) = 3.676 Ohm.
    const Entries given = {{"r1", "2,2"}, {"r2", "6,8"}, {"rl", "8"}};
    typeAll(page->givenEntries(), given);
    const ReverseLPadInputs rev =
        coreInput(ReverseLPadInputs{}, given, networkSetter(reverseLpadFields()));
    QCOMPARE(page->givenResult()->lines(), displayLines(reverseLpadLines(rev)));
    const double rp = 1 / (1 / 6.8 + 1 / 8.0);
    QCOMPARE(
        page->givenResult()->lines(),
        QStringList({QStringLiteral("Pegelabsenkung: ") +
                         latin1Text(compactNumberText(5, 20 * std::log10(rp / (rp + 2.2)))) +
                         QStringLiteral(" dB"),
                     QString::fromUtf8("Anschlußimpedanz: ") +
                         latin1Text(compactNumberText(5, rp + 2.2)) + QStringLiteral(" Ohm")}));
    type(page->givenEntries(), "r2", "0");
    QVERIFY(page->givenResult()->lines().isEmpty());
}

void CalculatorsWindowTest::impedanceCorrectionNetworks() {
    CalculatorsWindow window(QString(), prompt_);
    ImpedanceCorrectionPage* page = window.impedancePage();
    // Zobel: C = Le/Rdc² = 0.8 mH/(6.8 Ohm)² = 17.301 µF, shown at five characters.
    const Entries texts = {
        {"qms", "3,1"}, {"qes", "0,45"}, {"fc", "52,5"}, {"rdc", "6,8"}, {"le", "0,8"}};
    typeAll(page->entries(), texts);
    const ImpedanceCorrectionMemos m = impedanceCorrectionLines(
        coreInput(ImpedanceCorrectionInputs{}, texts, networkSetter(impedanceCorrectionFields())));
    QCOMPARE(page->inductance()->lines(), utf8Lines({"R = 6,8 Ohm", "C = 17,3 µF"}));
    QCOMPARE(page->resonance()->lines(), displayLines(m.resonance));
    QCOMPARE(page->combined()->lines(), displayLines(m.combined));
    QCOMPARE(page->combined()->lines().value(2).left(5), QStringLiteral("L  = "));
    type(page->entries(), "le", "1,6"); // twice the inductance, twice the capacitor
    QCOMPARE(page->inductance()->lines(), utf8Lines({"R = 6,8 Ohm", "C = 34,6 µF"}));
    type(page->entries(), "qms", "-1");
    QVERIFY(page->resonance()->lines().isEmpty());
    QVERIFY(page->combined()->lines().isEmpty());
    QCOMPARE(page->inductance()->lines().size(), 2);
}

void CalculatorsWindowTest::menuOpensOneWindow() {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    MainWindow main(test::windowOptions(dir, prompt, 0ms));
    QAction* entry = main.menuBar()->findChild<QAction*>(QStringLiteral("calculators"));
    if (entry == nullptr) {
        for (QMenu* menu : main.menuBar()->findChildren<QMenu*>()) {
            for (QAction* a : menu->actions()) {
                if (a->objectName() == QStringLiteral("calculators")) {
                    entry = a;
                }
            }
        }
    }
    QVERIFY(entry != nullptr);
    QCOMPARE(entry->text(), QStringLiteral("Hilfsberechnungen ..."));
    entry->trigger();
    auto* window = main.findChild<CalculatorsWindow*>();
    QVERIFY(window != nullptr && window->isVisible());
    entry->trigger(); // a second time: the same window comes to the front
    QCOMPARE(main.findChildren<CalculatorsWindow*>().size(), 1);
    window->close();
    QTRY_VERIFY(main.findChild<CalculatorsWindow*>() == nullptr); // deleted once closed
}

QTEST_MAIN(CalculatorsWindowTest)
#include "calculators_window_test.moc"

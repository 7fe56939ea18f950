// The driver editor offscreen on the two-way example: entries with a decimal comma stored in SI
// units on "&Ok" with the undo step and a new calculation, invalid entries replaced and reported,
// "&Abbruch" without any change, an FRD text import shown in the tables in degrees, the voice-coil
// fit on a curve made from known values, and a driver file saved and loaded again.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <complex>
#include <cstring>
#include <memory>

#include "app/ui/driver_editor_curves.h"
#include "app/ui/driver_editor_window.h"
#include "app/ui/number_field.h"
#include "app/ui/qt_text.h"
#include "app/ui/status_line.h"
#include "engine/calc_thread.h"
#include "engine/driver_model.h"
#include "engine/voice_coil_fit.h"
#include "gui_test_support.h"
#include "model/record_defaults.h"
#include "storage/latin1.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr int kCalcTimeoutMs = 120000; // sanitizer builds are slow
constexpr double kPi = 3.14159265358979323846;

struct Fixture : test::WindowFixture {
    Fixture() : WindowFixture("Zweiwege geschlossen.LSP") {}
    // Opens driver `n` (from 0) through the driver menu, as the user does.
    DriverEditor* open(int n) {
        QMenu* menu = window->findChild<QMenu*>(QStringLiteral("driverMenu"));
        int k = n;
        for (QAction* a : menu->actions()) {
            if (a->isVisible() && k-- == 0) {
                a->trigger();
                break;
            }
        }
        return window->findChild<DriverEditor*>();
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

void typeInto(QLineEdit* field, const char* text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, QString::fromUtf8(text));
}

QString cell(const CurveTable* t, int row, int column) {
    const QTableWidgetItem* item = t->item(row, column);
    return item != nullptr ? item->text() : QString();
}

bool writeText(const QString& path, const QByteArray& content) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

// The voice-coil model and the bare driver's motional branch, computed here with std::complex
// as an independent check of what the editor fits.
struct CoilValues {
    double Le, Re2, Le2, Re3, Le3; // H and Ohm
};

std::complex<double> parallel(std::complex<double> a, std::complex<double> b) {
    return a * b / (a + b);
}

std::complex<double> terminalImpedance(const TChassis& bare, const CoilValues& v, double f) {
    const double w = 2 * kPi * f;
    const std::complex<double> j(0, 1);
    const std::complex<double> motional =
        1.0 / (1.0 / bare.Rms + j * w * bare.Cms + 1.0 / (j * w * bare.Lms));
    return bare.Rdc + j * w * v.Le + parallel(v.Re2, j * w * v.Le2) +
           parallel(v.Re3, j * w * v.Le3) + motional;
}

} // namespace

class DriverEditorTest : public QObject {
    Q_OBJECT
private slots:
    void decimalCommaEntriesAreStoredInSiOnOk();
    void invalidEntryGetsItsDefaultAndUntouchedValuesStayExact();
    void cancelChangesNothing();
    void frdImportShowsInTheTablesInDegrees();
    void fitProposesValuesThatReproduceTheCurve();
    void driverFileRoundTripAndLoadingMessage();
};

void DriverEditorTest::decimalCommaEntriesAreStoredInSiOnOk() {
    Fixture f;
    QVERIFY(f.window);
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    DriverEditor* editor = f.open(0);
    QVERIFY(editor != nullptr && editor->isVisible());
    QVERIFY(f.window->workspace().editors().CHEditorOpen);
    const double qes = f.project().chassis[0].qes;

    typeInto(editor->entry("qms"), "6,5");
    typeInto(editor->entry("vas"), "6,5");   // litres
    typeInto(editor->entry("xlin"), "4.25"); // mm, with a decimal point
    // The derived values follow while typing: Qts from Qes and the new Qms.
    const double qts = qes * 6.5 / (qes + 6.5);
    QVERIFY2(std::abs(parseNumberField(editor->derivedValue("Qts")->text(), 0) - qts) < 1e-3,
             qPrintable(editor->derivedValue("Qts")->text()));

    QSignalSpy results(&f.window->calculation(), &CalcBridge::resultsArrived);
    const auto before = std::make_unique<TProjekt>(f.project());
    editor->okButton()->click();
    const TChassis& c = f.project().chassis[0];
    // Due again: driver 1, the crossover it hangs on, the box; nothing else. The baffle does not
    // read the Thiele-Small values, so it stays.
    const auto marks = std::make_unique<TCalcStruct>();
    markChangedStages(f.project(), *before, *marks);
    QCOMPARE(marks->bfgang_ch[0].str(), std::string(kStatusPending));
    QVERIFY(marks->bfgang_sw[0].str().empty());
    QCOMPARE(marks->bfgang_weiche[0].str(), std::string(kStatusPending));
    QCOMPARE(marks->bfgang_box.str(), std::string(kStatusPending));
    for (int k = 1; k < kMaxChassis; ++k) {
        QVERIFY(marks->bfgang_ch[k].str().empty() && marks->bfgang_sw[k].str().empty());
    }
    for (int k = 0; k < kMaxAmps; ++k) {
        QVERIFY(marks->bfgang_akt[k].str().empty());
    }
    QCOMPARE(c.qms, 6.5);
    QVERIFY(std::abs(c.vas - 0.0065) < 1e-15);
    QVERIFY(std::abs(c.xlin - 0.00425) < 1e-15);
    QVERIFY(std::abs(c.Qts - qts) < 1e-12); // derived again on accepting
    QCOMPARE(f.window->workspace().undoCaption(),
             std::string("Rückgängig \"Chassis 1 editieren\""));
    QVERIFY(!f.window->workspace().editors().CHEditorOpen);
    QVERIFY(f.prompt.messages.empty());
    QTRY_VERIFY_WITH_TIMEOUT(results.count() >= 1, kCalcTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    QTRY_VERIFY(f.window->findChild<DriverEditor*>() == nullptr);
}

void DriverEditorTest::invalidEntryGetsItsDefaultAndUntouchedValuesStayExact() {
    Fixture f;
    QVERIFY(f.window);
    DriverEditor* editor = f.open(0);
    QVERIFY(editor != nullptr);
    const auto before = std::make_unique<TChassis>(f.project().chassis[0]);
    typeInto(editor->entry("Re3"), "abc");
    typeInto(editor->entry("swb"), "x,5"); // no digit before the first foreign character
    editor->applyButton()->click();
    QCOMPARE(f.prompt.messages.size(), std::size_t{1});
    const QString message = fromLatin1(f.prompt.messages.front());
    QVERIFY2(message.startsWith(QString::fromUtf8("Ungültige Eingaben")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("Re3 [Ohm]: 1,E-6")), qPrintable(message));
    QVERIFY2(message.contains(QString::fromUtf8("Maß b [cm]: 0")), qPrintable(message));
    const TChassis& c = f.project().chassis[0];
    QCOMPARE(c.Re3, 1e-6);
    QCOMPARE(f.project().schallwand[0].swb, 0.0);
    QCOMPARE(parseNumberField(editor->entry("Re3")->text(), -1), 1e-6);
    // Untouched entries keep the full stored value, not the rounding of their text.
    QCOMPARE(c.fs, before->fs);
    QCOMPARE(c.Le, before->Le);
    QCOMPARE(c.Sd, before->Sd);
    QCOMPARE(c.seo, before->seo);
    QVERIFY(std::memcmp(c.fganga, before->fganga, sizeof c.fganga) == 0);
    QVERIFY(std::memcmp(c.fgangip, before->fgangip, sizeof c.fgangip) == 0);
    // Apply leaves the window open.
    QVERIFY(editor->isVisible());
    QVERIFY(f.window->workspace().editors().CHEditorOpen);
    editor->cancelButton()->click();
    QVERIFY(!f.window->workspace().editors().CHEditorOpen);
}

void DriverEditorTest::cancelChangesNothing() {
    Fixture f;
    QVERIFY(f.window);
    const auto before = std::make_unique<TProjekt>(f.project());
    const std::string caption = f.window->workspace().undoCaption();
    DriverEditor* editor = f.open(1);
    QVERIFY(editor != nullptr);
    typeInto(editor->entry("fs"), "123,4");
    typeInto(editor->entry("Vb"), "40");
    editor->findChild<QCheckBox*>(QStringLiteral("useFGangA"))->click();
    editor->cancelButton()->click();
    QVERIFY(std::memcmp(&f.project(), before.get(), sizeof(TProjekt)) == 0);
    QCOMPARE(f.window->workspace().undoCaption(), caption);
    QVERIFY(!f.window->workspace().editors().CHEditorOpen);
    QVERIFY(f.prompt.messages.empty());
}

void DriverEditorTest::frdImportShowsInTheTablesInDegrees() {
    Fixture f;
    QVERIFY(f.window);
    DriverEditor* editor = f.open(0);
    QVERIFY(editor != nullptr);
    const QString file = f.path("messung.frd");
    QVERIFY(writeText(file, "* Frequenzgang, geschrieben vom Test\n"
                            "100 80.0 45.0\n"
                            "1000;85,5;-12\n"
                            "10000\t88.25\t-90.5\n"));
    f.prompt.values.push_back("85"); // "Pegelanpassung": 85 in the file is 90 dB
    QVERIFY(editor->importFrequencyText(toUtf8(file)));
    QCOMPARE(f.prompt.questions.size(), std::size_t{1});
    QVERIFY(latin1ToUtf8(f.prompt.questions.front()).starts_with("Welcher Wert in der Datei"));

    const CurveTable* level = editor->curveTable(CurveKind::Level);
    const CurveTable* phase = editor->curveTable(CurveKind::Phase);
    QCOMPARE(level->points(), 3);
    QCOMPARE(phase->points(), 3);
    QCOMPARE(cell(level, 0, 0), QStringLiteral("100"));
    QCOMPARE(cell(level, 1, 0), QStringLiteral("1000"));
    QCOMPARE(cell(level, 2, 0), QStringLiteral("10000"));
    QCOMPARE(cell(level, 0, 1), QStringLiteral("85"));
    QCOMPARE(cell(level, 1, 1), QStringLiteral("90,5"));
    QCOMPARE(cell(level, 2, 1), QStringLiteral("93,25"));
    QCOMPARE(cell(phase, 0, 1), QStringLiteral("45"));
    QCOMPARE(cell(phase, 1, 1), QStringLiteral("-12"));
    QCOMPARE(cell(phase, 2, 1), QStringLiteral("-90,5"));

    editor->okButton()->click();
    const TChassis& c = f.project().chassis[0];
    QCOMPARE(c.fgangaf[1], 1000.0);
    QCOMPARE(c.fganga[1], 90.5);
    QCOMPARE(c.fgangaf[3], 0.0);
    QVERIFY(std::abs(c.fgangap[1] - (-12.0 / 180.0 * 3.1415926)) < 1e-12); // radians
}

void DriverEditorTest::fitProposesValuesThatReproduceTheCurve() {
    Fixture f;
    QVERIFY(f.window);
    DriverEditor* editor = f.open(0);
    QVERIFY(editor != nullptr);
    // The fit works with the motional values of the bare driver.
    auto bare = std::make_unique<TChassis>(f.project().chassis[0]);
    TEinbau none = defaultEinbau();
    none.typ = kEinbauIntegriert;
    DeriveMountingLosses(*bare, none);
    DeriveDriverValues(*bare, none, kDeriveAtDc);
    const CoilValues known{0.35e-3, 6.0, 0.8e-3, 2.5, 3.0e-3};
    constexpr int kPoints = 160;
    constexpr double kLow = 10, kHigh = 20000; // Hz
    QByteArray content;
    for (int k = 0; k < kPoints; ++k) {
        const double fk = kLow * std::pow(kHigh / kLow, k / (kPoints - 1.0));
        const std::complex<double> z = terminalImpedance(*bare, known, fk);
        content += QByteArray::number(fk, 'g', 10) + ' ' +
                   QByteArray::number(std::abs(z), 'g', 10) + ' ' +
                   QByteArray::number(std::arg(z) * 180 / kPi, 'g', 10) + '\n';
    }
    const QString file = f.path("impedanz.zma");
    QVERIFY(writeText(file, content));
    QVERIFY(editor->importImpedanceText(toUtf8(file)));
    QCOMPARE(editor->curveTable(CurveKind::Impedance)->points(), kPoints);

    f.prompt.choices.push_back(1); // " &Ja |&Nein": Ja
    editor->fitButton()->click();
    QCOMPARE(f.prompt.questions.size(), std::size_t{1});
    const std::string question = latin1ToUtf8(f.prompt.questions.front());
    QVERIFY2(question.starts_with("Es wurde errechnet:\r\nLe  = "), question.c_str());
    QVERIFY(question.ends_with("Sollen die Werte übernommen werden?"));

    const TChassis& fitted = editor->editedChassis();
    const CoilValues proposal{fitted.Le, fitted.Re2, fitted.Le2, fitted.Re3, fitted.Le3};
    // The proposal reproduces the measured magnitude above 2 fs, where the fit looks.
    double worst = 0;
    for (int k = 0; k < kPoints; ++k) {
        const double fk = kLow * std::pow(kHigh / kLow, k / (kPoints - 1.0));
        if (fk <= 2 * bare->fs) {
            continue;
        }
        const double measured = std::abs(terminalImpedance(*bare, known, fk));
        const double model = std::abs(terminalImpedance(*bare, proposal, fk));
        worst = std::max(worst, std::abs(model - measured) / measured);
    }
    QVERIFY2(worst < 0.02, qPrintable(QString::number(worst)));
    // The entries show the proposal in mH.
    QVERIFY(std::abs(parseNumberField(editor->entry("Le")->text(), 0) - fitted.Le * 1e3) < 1e-6);

    // "Nein" keeps the entries as they are.
    const QString shown = editor->entry("Le2")->text();
    f.prompt.choices.push_back(2);
    editor->fitButton()->click();
    QCOMPARE(editor->entry("Le2")->text(), shown);
}

void DriverEditorTest::driverFileRoundTripAndLoadingMessage() {
    Fixture f;
    QVERIFY(f.window);
    QCOMPARE(f.project().einbau[0].typ, static_cast<std::int32_t>(kEinbauGeschlossen));
    DriverEditor* editor = f.open(0);
    QVERIFY(editor != nullptr);
    typeInto(editor->findChild<QLineEdit*>(QStringLiteral("name")), "Mein TT");
    typeInto(editor->entry("fs"), "33,3");
    QVERIFY(editor->saveDriverFile(toUtf8(f.path("mein_tt.lsc"))));
    const QString saved = f.path("mein_tt.LSC"); // the ending is put right
    QVERIFY(QFile::exists(saved));

    typeInto(editor->entry("fs"), "50");
    typeInto(editor->entry("swd"), "1");
    QVERIFY(editor->loadDriverFile(toUtf8(saved)));
    QCOMPARE(latin1ToUtf8(f.prompt.messages.back()),
             std::string("Chassis wurde geladen.\rAkustischer Durchmesser auf Schallwand wurde aus "
                         "Chassisdatei übernommen."));
    const TChassis& loaded = editor->editedChassis();
    QCOMPARE(loaded.fs, 33.3);
    QCOMPARE(QString::fromLatin1(loaded.name.str().c_str()), QStringLiteral("Mein TT"));
    QVERIFY(!loaded.OriginalTarvelo);
    QCOMPARE(parseNumberField(editor->entry("fs")->text(), 0), 33.3);
    // The outlet diameter follows the membrane area: sqrt(4 Sd / pi), shown in cm.
    const double d = std::sqrt(4 * loaded.Sd / kPi);
    QVERIFY(std::abs(editor->editedBaffle().swd - d) < 1e-12);
    QVERIFY(std::abs(parseNumberField(editor->entry("swd")->text(), 0) - d * 100) < 1e-6);

    // A file of another kind is refused with the loader's message and changes nothing.
    const QString wrong = f.path("kaputt.LSC");
    QVERIFY(writeText(wrong, "kein Chassis\n"));
    QVERIFY(!editor->loadDriverFile(toUtf8(wrong)));
    QCOMPARE(latin1ToUtf8(f.prompt.messages.back()),
             std::string("Datei hat falsches Datenformat."));
    QCOMPARE(editor->editedChassis().fs, 33.3);
}

QTEST_MAIN(DriverEditorTest)
#include "driver_editor_test.moc"

// The driver editor's page of directional responses offscreen on the two-way example: switch,
// count and a typed level and phase (decimal comma, degrees) stored on "&Ok" in dB and radians
// in the right slot with the undo step, untouched cells keeping their exact values, and
// "&Abbruch" without any change.
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <cstring>
#include <memory>

#include "app/ui/chart_view.h"
#include "app/ui/driver_editor_directions.h"
#include "app/ui/driver_editor_window.h"
#include "gui_test_support.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kAngle30 = 6; // slot of 30° in steps of 5°

struct Fixture : test::WindowFixture {
    Fixture() : WindowFixture("Zweiwege geschlossen.LSP") {}
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
};

// What the user's edit of a cell commits.
void typeCell(QTableWidget* t, int row, int column, const char* text) {
    QTableWidgetItem* item = t->item(row, column);
    if (item == nullptr) {
        t->setItem(row, column, new QTableWidgetItem(QString::fromUtf8(text)));
    } else {
        item->setText(QString::fromUtf8(text));
    }
}

// Measured directions of three frequencies whose values are not exact in 7 digits.
void giveDirections(Fixture& f, int driver) {
    auto c = std::make_unique<TChassis>(f.project().chassis[driver]);
    const double freqs[] = {100.0 / 3.0, 1000.0 / 3.0, 10000.0 / 3.0};
    for (int k = 0; k < 3; ++k) {
        c->Richt.fgangf[k] = freqs[k];
        for (int j = 0; j < kMaxRicht; ++j) {
            c->Richt.fgangau[j][k] = 85.0 - j / 3.0 - k / 7.0;
            c->Richt.fgangpu[j][k] = -j * kPi / 37.0;
        }
    }
    c->Richt.fgangf[3] = 0;
    c->Richt.RichtSimu = 0;
    c->Richt.nRicht = 0;
    f.window->workspace().acceptDriver(driver, *c, f.project().einbau[driver],
                                       f.project().schallwand[driver]);
}

} // namespace

class DriverEditorDirectionsTest : public QObject {
    Q_OBJECT
private slots:
    void typedLevelAndPhaseAreStoredInTheirSlotOnOk();
    void rowWithoutFrequencyIsDroppedAndCancelChangesNothing();
};

void DriverEditorDirectionsTest::typedLevelAndPhaseAreStoredInTheirSlotOnOk() {
    Fixture f;
    QVERIFY(f.window);
    giveDirections(f, 0);
    const auto before = std::make_unique<TRicht>(f.project().chassis[0].Richt);
    DriverEditor* editor = f.open(0);
    QVERIFY(editor != nullptr);
    DirectionsPage* page = editor->directionsPage();
    QVERIFY(page != nullptr);
    QVERIFY(editor->pages()->indexOf(page) >= 0);
    // Stored with no direction present: nothing plotted yet.
    QCOMPARE(page->plot()->curveCount(), 0);
    page->measuredSwitch()->click();
    page->countChoice()->setCurrentIndex(kMaxRicht);
    QCOMPARE(page->plot()->curveCount(), kMaxRicht);
    DirectionTable* t = page->table();
    QCOMPARE(t->rowCount(), 4); // three points and the empty row to add one
    typeCell(t, 0, DirectionTable::levelColumn(kAngle30), "-3,5");
    typeCell(t, 0, DirectionTable::phaseColumn(kAngle30), "90");
    editor->okButton()->click();

    const TRicht& r = f.project().chassis[0].Richt;
    QCOMPARE(r.RichtSimu, 1);
    QCOMPARE(r.nRicht, kMaxRicht);
    QCOMPARE(r.fgangau[kAngle30][0], -3.5);
    QVERIFY(std::abs(r.fgangpu[kAngle30][0] - kPi / 2) < 1e-12);
    // Every other cell keeps its exact value, not the rounding of its 7-digit text.
    TRicht expected = *before;
    expected.RichtSimu = 1;
    expected.nRicht = kMaxRicht;
    expected.fgangau[kAngle30][0] = r.fgangau[kAngle30][0];
    expected.fgangpu[kAngle30][0] = r.fgangpu[kAngle30][0];
    QVERIFY(std::memcmp(&r, &expected, sizeof(TRicht)) == 0);
    QCOMPARE(f.window->workspace().undoCaption(),
             std::string("Rückgängig \"Chassis 1 editieren\""));
    QVERIFY(f.prompt.messages.empty());
    QTRY_VERIFY(f.window->findChild<DriverEditor*>() == nullptr);
}

void DriverEditorDirectionsTest::rowWithoutFrequencyIsDroppedAndCancelChangesNothing() {
    Fixture f;
    QVERIFY(f.window);
    DriverEditor* editor = f.open(0);
    QVERIFY(editor != nullptr);
    DirectionsPage* page = editor->directionsPage();
    DirectionTable* t = page->table();
    // The example has no directional responses: one empty row to type into.
    QCOMPARE(t->rowCount(), 1);
    typeCell(t, 0, DirectionTable::levelColumn(0), "80");    // no frequency: not a point
    typeCell(t, 1, 0, "2000,5");                             // the row typing added
    typeCell(t, 1, DirectionTable::phaseColumn(1), "-45,0"); // 5°
    page->countChoice()->setCurrentIndex(2);
    const TRicht& live = editor->editedChassis().Richt;
    QCOMPARE(live.fgangf[0], 2000.5);
    QCOMPARE(live.fgangf[1], 0.0);
    QCOMPARE(live.fgangau[0][0], 0.0);
    QVERIFY(std::abs(live.fgangpu[1][0] + kPi / 4) < 1e-12);
    QCOMPARE(page->plot()->curveCount(), 2);

    const auto before = std::make_unique<TProjekt>(f.project());
    const std::string caption = f.window->workspace().undoCaption();
    page->measuredSwitch()->click();
    editor->cancelButton()->click();
    QVERIFY(std::memcmp(&f.project(), before.get(), sizeof(TProjekt)) == 0);
    QCOMPARE(f.window->workspace().undoCaption(), caption);
    QVERIFY(!f.window->workspace().editors().CHEditorOpen);
}

QTEST_MAIN(DriverEditorDirectionsTest)
#include "driver_editor_directions_test.moc"

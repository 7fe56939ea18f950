// The dialogs and menus of the main window offscreen: project properties with the grid rules,
// display options with their accepting rules and colours, the driver copy/swap dialog with its
// snapshot, the driver and amplifier menus, and the editor entries' placeholders and refusals.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <cmath>
#include <memory>

#include "app/ui/chart_view.h"
#include "app/ui/crossover_editor_window.h"
#include "app/ui/display_options_dialog.h"
#include "app/ui/driver_copy_dialog.h"
#include "app/ui/driver_editor_window.h"
#include "app/ui/number_field.h"
#include "app/ui/project_properties_dialog.h"
#include "app/ui/qt_text.h"
#include "gui_test_support.h"
#include "qcustomplot.h"
#include "storage/latin1.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

// A started window on the two-way example, with its own data folder and scripted answers.
struct Fixture : test::WindowFixture {
    Fixture() : WindowFixture("Zweiwege geschlossen.LSP") {}
    QAction* action(const char* name) const {
        return window->findChild<QAction*>(QString::fromLatin1(name));
    }
    QMenu* menu(const char* name) const {
        return window->findChild<QMenu*>(QString::fromLatin1(name));
    }
    QMenu* menuTitled(const QString& title) const {
        for (QAction* a : window->menuBar()->actions()) {
            if (a->text() == title) {
                return a->menu();
            }
        }
        return nullptr;
    }
    // The one open dialog of this kind (closed ones are deleted first).
    template <typename Dialog> Dialog* dialog() const {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<Dialog*> open = window->findChildren<Dialog*>();
        return open.size() == 1 ? open.front() : nullptr;
    }
};

void press(QDialog* dialog, QDialogButtonBox::StandardButton which) {
    dialog->findChild<QDialogButtonBox*>()->button(which)->click();
}

QStringList visibleTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* a : menu->actions()) {
        if (a->isVisible()) {
            texts << a->text();
        }
    }
    return texts;
}

// The k-th entry of `menu` that is shown.
QAction* visibleActionOf(const QMenu* menu, int k) {
    for (QAction* a : menu->actions()) {
        if (a->isVisible() && k-- == 0) {
            return a;
        }
    }
    return nullptr;
}

int visibleAmpMenus(const Fixture& f) {
    int n = 0;
    for (int amp = 1; amp <= kMaxAmps; ++amp) {
        n += f.menu(QStringLiteral("ampMenu%1").arg(amp).toLatin1().constData())
                 ->menuAction()
                 ->isVisible();
    }
    return n;
}

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void projectPropertiesKeepToTheGridRules();
    void displayOptionsKeepToTheAcceptingRules();
    void driverAndAmplifierMenusFollowTheProject();
    void editorEntriesCountAsOpenEditors();
    void driverCopyDropsItsSnapshotOnCancel();
    void newProjectShowsGuideAndProperties();
};

void DialogsTest::projectPropertiesKeepToTheGridRules() {
    Fixture f;
    QVERIFY(f.window);
    f.window->openProjectProperties();
    auto* d = f.dialog<ProjectPropertiesDialog>();
    QVERIFY(d != nullptr && d->isVisible());
    QCOMPARE(d->ampsField()->value(), f.project().nAmps);
    QCOMPARE(d->pointsField()->text(), QString::number(f.project().sz));

    // A preset fills the grid and leaves the counts alone.
    d->driversField()->setValue(3);
    d->findChild<QPushButton*>(QStringLiteral("grob"))->click();
    QCOMPARE(d->fMinField()->text(), QStringLiteral("20"));
    QCOMPARE(d->fMaxField()->text(), QStringLiteral("20000"));
    QCOMPARE(d->pointsField()->text(), QStringLiteral("84"));
    QCOMPARE(d->driversField()->value(), 3);

    // Equal limits give the full range, 300 points the most the grid allows.
    d->fMinField()->setText(QStringLiteral("100"));
    d->fMaxField()->setText(QStringLiteral("100,0"));
    d->pointsField()->setText(QStringLiteral("300"));
    d->comment1Field()->setText(utf8("Kommentar mit Umlaut ä"));
    press(d, QDialogButtonBox::Ok);
    const TProjekt& p = f.project();
    QCOMPARE(p.fMin, 20.0);
    QCOMPARE(p.fMax, 20000.0);
    QCOMPARE(p.sz, 256);
    QCOMPARE(p.freq[255], 20000.0);
    QCOMPARE(p.freq[256], 0.0);
    QVERIFY(std::abs(p.glatt_amp - 7.0 * 3.0 / 256.0) < 1e-12); // 3 decades
    QCOMPARE(p.glatt_imp, p.glatt_amp);
    QCOMPARE(p.nChassis, 3);
    QCOMPARE(p.comment1.str(), std::string("Kommentar mit Umlaut \xE4"));
    QVERIFY(!f.window->workspace().saved());
    QCOMPARE(f.action("undo")->text(), utf8("Rückgängig \"Projekteigenschaften ändern\""));
    QVERIFY(f.action("undo")->isEnabled());

    // Reversed limits are exchanged, 3 points become 6; a field without a number keeps its value.
    f.window->openProjectProperties();
    d = f.dialog<ProjectPropertiesDialog>();
    QVERIFY(d != nullptr);
    d->fMinField()->setText(QStringLiteral("5000"));
    d->fMaxField()->setText(QStringLiteral("50"));
    d->pointsField()->setText(QStringLiteral("3"));
    d->comment2Field()->setText(QStringLiteral("Hz"));
    press(d, QDialogButtonBox::Ok);
    QCOMPARE(p.fMin, 50.0);
    QCOMPARE(p.fMax, 5000.0);
    QCOMPARE(p.sz, 6);

    f.window->openProjectProperties();
    d = f.dialog<ProjectPropertiesDialog>();
    QVERIFY(d != nullptr);
    d->fMaxField()->setText(QStringLiteral("kHz"));
    QCOMPARE(d->values().fMax, 5000.0);
    // Cancel changes nothing and records nothing.
    const int snapshots = f.window->workspace().undoStack().size();
    d->pointsField()->setText(QStringLiteral("100"));
    press(d, QDialogButtonBox::Cancel);
    QCOMPARE(p.sz, 6);
    QCOMPARE(f.window->workspace().undoStack().size(), snapshots);
}

void DialogsTest::displayOptionsKeepToTheAcceptingRules() {
    // TColor is 0x00BBGGRR: red in the low byte.
    QCOMPARE(fromQColor(QColor(0x56, 0x34, 0x12)), TColor{0x00123456});
    QCOMPARE(fromQColor(toQColor(0x00ABCDEF)), TColor{0x00ABCDEF});

    Fixture f;
    QVERIFY(f.window);
    f.action("displayOptions")->trigger();
    auto* d = f.dialog<DisplayOptionsDialog>();
    QVERIFY(d != nullptr && d->isVisible());
    // Captions of the colour slots, the direction angles from the default set 0 ... 90°.
    QCOMPARE(d->ampButtons().size(), std::size_t{7});
    QCOMPARE(d->ampButtons()[0]->text(), QStringLiteral("Gesamt"));
    QCOMPARE(d->ampButtons()[6]->text(), utf8("Verstärker 6"));
    QCOMPARE(d->chassisButtons().size(), std::size_t{9});
    QCOMPARE(d->chassisButtons()[8]->text(), QStringLiteral("Chassis / Weg 8"));
    QStringList directions;
    for (const ColourButton* b : d->directionButtons()) {
        directions << b->text();
    }
    QCOMPARE(directions,
             QStringList({utf8("vorne"), utf8("15°"), utf8("30°"), utf8("45°"), utf8("60°"),
                          utf8("75°"), utf8("90°"), utf8("120°"), utf8("150°"), utf8("hinten")}));

    d->fMinField()->setText(QStringLiteral("100"));
    d->fMaxField()->setText(QStringLiteral("150"));
    d->dBMinField()->setText(QStringLiteral("80"));
    d->dBMaxField()->setText(QStringLiteral("80,5"));
    d->impMaxField()->setText(QStringLiteral("0"));
    d->lineWidthSlider()->setValue(3);
    d->chassisButtons()[1]->setColour(0x00123456);
    d->ampButtons()[2]->setColour(0x80000005); // a system colour
    press(d, QDialogButtonBox::Ok);
    const TAnzOption& o = f.project().option;
    QCOMPARE(o.Afmin, 100.0);
    QCOMPARE(o.Afmax, 200.0);
    QCOMPARE(o.dBmin, 80.0);
    QCOMPARE(o.dBmax, 81.0);
    QCOMPARE(o.ImpMax, 50.0);
    QCOMPARE(o.GraphsThickness, 3);
    QCOMPARE(o.ColorSetChassis[1], TColor{0x00123456});
    QCOMPARE(o.ColorSetAmps[2], TColor{0});
    QCOMPARE(f.action("undo")->text(), utf8("Rückgängig \"Anzeigeoptionen\""));
    // The charts are redrawn with the new frequency axis.
    const QCPRange x = f.window->chartView(ChartKind::Box)->plot()->xAxis->range();
    QCOMPARE(x.lower, 100.0);
    QCOMPARE(x.upper, 200.0);

    // Restoring the defaults fills the dialog only; cancel keeps the project's options.
    f.action("displayOptions")->trigger();
    d = f.dialog<DisplayOptionsDialog>();
    QVERIFY(d != nullptr);
    QCOMPARE(d->fMaxField()->text(), QStringLiteral("200"));
    d->findChild<QPushButton*>(QStringLiteral("restoreDefaults"))->click();
    QCOMPARE(d->fMinField()->text(), QStringLiteral("20"));
    QCOMPARE(d->fMaxField()->text(), QStringLiteral("20000"));
    QCOMPARE(d->dBMinField()->text(), QStringLiteral("40"));
    QCOMPARE(d->dBMaxField()->text(), QStringLiteral("110"));
    QCOMPARE(d->impMaxField()->text(), QStringLiteral("70"));
    QCOMPARE(d->ampButtons()[0]->colour(), TColor{128});
    QCOMPARE(d->chassisButtons()[1]->colour(), TColor{0xF00000});
    QCOMPARE(d->directionButtons()[1]->colour(), TColor{0x0000B0});
    press(d, QDialogButtonBox::Cancel);
    QCOMPARE(o.Afmin, 100.0);
    QCOMPARE(o.ColorSetChassis[1], TColor{0x00123456});
}

void DialogsTest::driverAndAmplifierMenusFollowTheProject() {
    Fixture f;
    QVERIFY(f.window);
    const TProjekt& p = f.project();
    QCOMPARE(p.nChassis, 2);
    QMenu* drivers = f.menu("driverMenu");
    // The example mounts the woofer in 20 litres closed and the tweeter with its own back
    // chamber, which has no volume text.
    QCOMPARE(visibleTexts(drivers),
             QStringList({QStringLiteral("Chassis &1: Beispiel TT 17 in 20l geschl."),
                          QStringLiteral("Chassis &2: Beispiel HT 25")}));
    QVERIFY(drivers->isEnabled());
    QCOMPARE(visibleAmpMenus(f), static_cast<int>(p.nAmps));

    // More drivers and amplifiers through the properties.
    f.window->openProjectProperties();
    auto* d = f.dialog<ProjectPropertiesDialog>();
    QVERIFY(d != nullptr);
    d->driversField()->setValue(4);
    d->ampsField()->setValue(kMaxAmps);
    press(d, QDialogButtonBox::Ok);
    QCOMPARE(visibleTexts(drivers).size(), 4);
    QVERIFY(visibleTexts(drivers)[3].startsWith(QStringLiteral("Chassis &4: ")));
    QCOMPARE(visibleAmpMenus(f), kMaxAmps);
    QCOMPARE(visibleTexts(f.menu("ampMenu6")),
             QStringList({QStringLiteral("Passive Weiche editieren"),
                          QStringLiteral("Aktive Filter editieren")}));

    // The workspace never holds a project without amplifiers (the reader and the properties keep
    // 1 ... 6), so the menu state of such a project is handed to the window directly.
    MenuState none = f.window->workspace().menuState();
    none.ampEntries = 0;
    none.ampMenus = false;
    f.window->updateMenus(none);
    QCOMPARE(visibleAmpMenus(f), 0);
}

void DialogsTest::editorEntriesCountAsOpenEditors() {
    Fixture f;
    QVERIFY(f.window);
    QMenu* file = f.menuTitled(QStringLiteral("&Datei"));
    QMenu* windows = f.menu("windowMenu");
    QVERIFY(file != nullptr && file->isEnabled());
    QVERIFY(!windows->menuAction()->isVisible());

    visibleActionOf(f.menu("driverMenu"), 0)->trigger();
    auto* editor = f.window->findChild<DriverEditor*>();
    QVERIFY(editor != nullptr && editor->isVisible());
    QVERIFY(f.window->workspace().editors().CHEditorOpen);
    QVERIFY(!file->isEnabled());
    QVERIFY(windows->menuAction()->isVisible());
    QCOMPARE(visibleTexts(windows), QStringList({QStringLiteral("Chassis-Editor (Chassis 1)")}));

    // The second driver is refused while the first one's editor is open.
    visibleActionOf(f.menu("driverMenu"), 1)->trigger();
    QCOMPARE(f.prompt.messages.size(), std::size_t{1});
    QCOMPARE(latin1ToUtf8(f.prompt.messages.back()),
             std::string("Editieren von Chassis 2 nicht möglich, da Chassis-Editor gerade mit "
                         "anderem Chassis geöffnet ist."));

    // Changing the properties closes the driver editor.
    f.window->openProjectProperties();
    press(f.dialog<ProjectPropertiesDialog>(), QDialogButtonBox::Ok);
    QVERIFY(!f.window->workspace().editors().CHEditorOpen);
    QTRY_VERIFY(f.window->findChild<DriverEditor*>() == nullptr ||
                !f.window->findChild<DriverEditor*>()->isVisible());
    QVERIFY(file->isEnabled());

    // Closing the crossover editor itself reports the editor closed.
    f.menu("ampMenu1")->actions()[0]->trigger();
    QVERIFY(f.window->workspace().editors().WEEditorOpen);
    auto* crossover = f.window->findChild<CrossoverEditorWindow*>();
    QVERIFY(crossover != nullptr && crossover->isVisible());
    crossover->close();
    QVERIFY(!f.window->workspace().editors().WEEditorOpen);
    QVERIFY(!windows->menuAction()->isVisible());
    QVERIFY(file->isEnabled());
}

void DialogsTest::driverCopyDropsItsSnapshotOnCancel() {
    Fixture f;
    QVERIFY(f.window);
    const TProjekt& p = f.project();
    const std::string first = p.chassis[0].name.str();
    const std::string second = p.chassis[1].name.str();
    QVERIFY(first != second);
    const int snapshots = f.window->workspace().undoStack().size();

    f.action("driverCopy")->trigger();
    auto* d = f.dialog<DriverCopyDialog>();
    QVERIFY(d != nullptr && d->isVisible());
    QCOMPARE(d->sourceChoice()->count(), 2);
    QCOMPARE(f.window->workspace().undoStack().size(), snapshots + 1); // taken on opening
    press(d, QDialogButtonBox::Cancel);
    QCOMPARE(f.window->workspace().undoStack().size(), snapshots);

    f.action("driverCopy")->trigger();
    d = f.dialog<DriverCopyDialog>();
    QVERIFY(d != nullptr);
    d->sourceChoice()->setCurrentIndex(0);
    d->actionChoice()->setCurrentIndex(1); // "tauschen mit"
    d->targetChoice()->setCurrentIndex(1);
    press(d, QDialogButtonBox::Ok);
    QCOMPARE(p.chassis[0].name.str(), second);
    QCOMPARE(p.chassis[1].name.str(), first);
    QCOMPARE(f.window->workspace().undoStack().size(), snapshots + 1);
    QCOMPARE(f.action("undo")->text(), utf8("Rückgängig \"Chassis kopieren\""));
    QVERIFY(visibleTexts(f.menu("driverMenu"))[0].contains(QString::fromLatin1(second)));
    f.action("undo")->trigger();
    QCOMPARE(p.chassis[0].name.str(), first);
}

void DialogsTest::newProjectShowsGuideAndProperties() {
    Fixture f;
    QVERIFY(f.window);
    QVERIFY(f.window->workspace().newProject()); // saved: no discard question
    auto* guide = f.window->findChild<QMessageBox*>(QStringLiteral("quickGuide"));
    QVERIFY(guide != nullptr && guide->isVisible());
    QVERIFY(guide->text().startsWith(QStringLiteral("Kurzanleitung")));
    auto* d = f.dialog<ProjectPropertiesDialog>();
    QVERIFY(d != nullptr && d->isVisible());
    QCOMPARE(d->driversField()->value(), 1); // the default project
    d->driversField()->setValue(2);
    press(d, QDialogButtonBox::Ok);
    QCOMPARE(f.project().nChassis, 2);
    QCOMPARE(f.action("undo")->text(), utf8("Rückgängig \"Projekteigenschaften ändern\""));
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"

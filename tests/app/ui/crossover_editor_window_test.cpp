// The crossover editor window offscreen on the two-way example: a part changed through the part
// dialog and applied (undo label, the stages marked, the calculation run again), cancel, the mouse
// on the canvas (wire, delete, toggle drag, polarity), the two closing questions, the free wires,
// the key assignment stored in the settings, the part library and the view switches.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/shell/crossover_editor.h"
#include "app/ui/crossover_editor_canvas.h"
#include "app/ui/crossover_editor_dialogs.h"
#include "app/ui/crossover_editor_library_dialog.h"
#include "app/ui/crossover_editor_window.h"
#include "app/ui/status_line.h"
#include "engine/calc_thread.h"
#include "gui_test_support.h"
#include "model/crossover_grid.h"
#include "storage/latin1.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr int kCalcTimeoutMs = 120000; // a run of the example takes well under a second

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

struct Fixture : test::WindowFixture {
    Fixture() : WindowFixture("Zweiwege geschlossen.LSP") {}
    // Opens the editor of amplifier 1 from its menu.
    CrossoverEditorWindow* openEditor() const {
        window->findChild<QMenu*>(QStringLiteral("ampMenu1"))->actions()[0]->trigger();
        return editor();
    }
    CrossoverEditorWindow* editor() const {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto open = window->findChildren<CrossoverEditorWindow*>();
        return open.size() == 1 ? open.front() : nullptr;
    }
    template <typename Dialog> Dialog* dialog(QWidget* in) const {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<Dialog*> open = in->findChildren<Dialog*>();
        return open.size() == 1 ? open.front() : nullptr;
    }
    QString undoText() const { return window->findChild<QAction*>(QStringLiteral("undo"))->text(); }
};

// The first slot of amplifier 1 holding `typ`, -1 when there is none.
int firstSlotOf(const TAmp& amp, int typ) {
    for (int s = 0; s < kFirstFreeWireSlot; ++s) {
        if (amp.weiche[s].typ == typ && gridSlotNodes(s).nod2 != 0) {
            return s;
        }
    }
    return -1;
}

// The last grid slot that is empty in the working copy.
int emptyGridSlot(const CrossoverEditor& e) {
    for (int s = kFirstFreeWireSlot - 1; s >= 0; --s) {
        if (gridSlotNodes(s).nod2 != 0 && e.slot(s).typ == kPartEmpty) {
            return s;
        }
    }
    return -1;
}

bool sameSlots(const TAmp& a, const TAmp& b) {
    return std::memcmp(a.weiche, b.weiche, sizeof a.weiche) == 0;
}

void pressOk(QDialog* dialog) {
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

// A move with the button held, as the pointer sends it during a drag.
void dragTo(QWidget* w, QPoint at, Qt::MouseButton button) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton,
                     button, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

const SlotPicture* pictureOf(const SchematicPicture& p, int slot) {
    for (const SlotPicture& s : p.parts) {
        if (s.slot == slot) {
            return &s;
        }
    }
    return nullptr;
}

} // namespace

class CrossoverEditorWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void partDialogChangeIsAppliedAndRecalculated();
    void cancelAndTheMouseOnTheCanvas();
    void okAsksBeforeClosingWithoutAmplifier();
    void freeWiresKeyAssignmentAndLibrary();
    void viewSwitchesChangeThePicture();
};

void CrossoverEditorWindowTest::partDialogChangeIsAppliedAndRecalculated() {
    Fixture f;
    QVERIFY(f.window);
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    const auto before = std::make_unique<TProjekt>(f.project());
    const std::vector<Complex> impedance(
        std::begin(f.window->calculation().form().result->impedanz_box[0]),
        std::end(f.window->calculation().form().result->impedanz_box[0]));

    CrossoverEditorWindow* w = f.openEditor();
    QVERIFY(w != nullptr && w->isVisible());
    QVERIFY(f.window->workspace().editors().WEEditorOpen);
    QCOMPARE(w->applyButton()->text(), utf8("&Übernehmen"));
    QCOMPARE(w->okButton()->text(), utf8("&Ok"));
    QCOMPARE(w->cancelButton()->text(), utf8("&Abbruch"));

    // A right click on the capacitor opens the part dialog for it.
    const int cap = firstSlotOf(f.project().amp[0], kPartCapacitor);
    QVERIFY(cap >= 0);
    QTest::mouseClick(w->canvas(), Qt::RightButton, {}, w->canvas()->slotCentre(cap));
    auto* d = f.dialog<PartDialogWindow>(w);
    QVERIFY(d != nullptr && d->isVisible());
    QCOMPARE(d->kindChoice()->currentText(), utf8("Kondensator"));
    QVERIFY(d->optimizeBox()->isEnabled());
    QVERIFY(!d->resistanceField()->isEnabled());
    QVERIFY(!d->driverChoice()->isEnabled());
    d->valueField()->setText(QStringLiteral("12,5")); // µF, with a decimal comma
    d->labelField()->setText(QStringLiteral("C-Hochpass-lang-Bezeichnung"));
    pressOk(d);
    QVERIFY(std::abs(w->editor().slot(cap).value - 12.5e-6) < 1e-18);
    QCOMPARE(w->editor().slot(cap).bem.str(), std::string("C-Hochpass-lang-")); // 16 characters
    QVERIFY(sameSlots(f.project().amp[0], before->amp[0])); // only the working copy so far

    // "&Übernehmen": the project holds the change, the editor stays open, and exactly the
    // crossover, the driver check and the box stage are due again.
    w->applyButton()->click();
    QCOMPARE(f.project().amp[0].weiche[cap].value, w->editor().slot(cap).value);
    QCOMPARE(f.undoText(), utf8("Rückgängig \"Weiche 1 editieren\""));
    QVERIFY(!f.window->workspace().saved());
    QVERIFY(w->isVisible());
    const auto marks = std::make_unique<TCalcStruct>();
    TCalcStruct& cs = *marks;
    markChangedStages(f.project(), *before, cs);
    QCOMPARE(cs.bfgang_weiche[0].str(), std::string(kStatusPending));
    QCOMPARE(cs.bChassiskontrolle.str(), std::string(kStatusPending));
    QCOMPARE(cs.bfgang_box.str(), std::string(kStatusPending));
    for (int k = 0; k < kMaxChassis; ++k) {
        QVERIFY(cs.bfgang_ch[k].str().empty() && cs.bfgang_sw[k].str().empty());
    }
    for (int k = 0; k < kMaxAmps; ++k) {
        QVERIFY(cs.bfgang_akt[k].str().empty());
        QVERIFY(k == 0 || cs.bfgang_weiche[k].str().empty());
    }

    // The run happens: the amplifier's load changes with the capacitor.
    const auto loadChanged = [&] {
        if (!f.calculated()) {
            return false;
        }
        const Complex* now = f.window->calculation().form().result->impedanz_box[0];
        for (std::size_t k = 0; k < impedance.size(); ++k) {
            if (now[k].re != impedance[k].re || now[k].im != impedance[k].im) {
                return true;
            }
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(loadChanged(), kCalcTimeoutMs);

    // Undo brings the old value back.
    f.window->workspace().undo();
    QVERIFY(sameSlots(f.project().amp[0], before->amp[0]));
    w->cancelButton()->click();
    QVERIFY(!f.window->workspace().editors().WEEditorOpen);
}

void CrossoverEditorWindowTest::cancelAndTheMouseOnTheCanvas() {
    Fixture f;
    QVERIFY(f.window);
    const auto before = std::make_unique<TProjekt>(f.project());
    const int snapshots = f.window->workspace().undoStack().size();
    CrossoverEditorWindow* w = f.openEditor();
    QVERIFY(w != nullptr);
    CrossoverCanvas* c = w->canvas();
    const CrossoverEditor& e = w->editor();

    // Left click on an empty slot: a wire, and the picture draws it; Ctrl + left deletes it.
    const int empty = emptyGridSlot(e);
    QVERIFY(empty >= 0);
    QVERIFY(pictureOf(c->picture(), empty) == nullptr);
    QTest::mouseClick(c, Qt::LeftButton, {}, c->slotCentre(empty));
    QCOMPARE(int{e.slot(empty).typ}, int{kPartWire});
    const SchematicPicture afterClick = c->picture(); // the slot pointer points into it
    const SlotPicture* drawn = pictureOf(afterClick, empty);
    QVERIFY(drawn != nullptr && drawn->typ == kPartWire);
    QTest::mouseClick(c, Qt::LeftButton, Qt::ControlModifier, c->slotCentre(empty));
    QCOMPARE(int{e.slot(empty).typ}, int{kPartEmpty});

    // Shift + right reverses the driver's polarity: v -> 1 - v.
    const int driver = firstSlotOf(e.working(), kPartDriver);
    QVERIFY(driver >= 0);
    const int polarity = e.slot(driver).verpolt;
    QTest::mouseClick(c, Qt::RightButton, Qt::ShiftModifier, c->slotCentre(driver));
    QCOMPARE(int{e.slot(driver).verpolt}, 1 - polarity);

    // Shift + left drag across the parts with mixed marks: all take the first part's new state.
    std::vector<int> parts;
    for (int s = 0; s < kFirstFreeWireSlot; ++s) {
        if (partMayOptimize(e.slot(s).typ) && gridSlotNodes(s).nod2 != 0) {
            parts.push_back(s);
        }
    }
    QVERIFY(parts.size() >= 2);
    w->editor().clearMarks();
    w->editor().acceptPartDialog(parts[1], [&] {
        PartDialog d = w->editor().partDialog(parts[1]);
        d.optimize = true;
        return d;
    }());
    QVERIFY(!e.slot(parts[0]).bOptimize && e.slot(parts[1]).bOptimize);
    QTest::mousePress(c, Qt::LeftButton, Qt::ShiftModifier, c->slotCentre(parts[0]));
    for (std::size_t k = 1; k < parts.size(); ++k) {
        dragTo(c, c->slotCentre(parts[k]), Qt::LeftButton);
    }
    QTest::mouseRelease(c, Qt::LeftButton, Qt::ShiftModifier, c->slotCentre(parts.back()));
    for (int s : parts) {
        QVERIFY2(e.slot(s).bOptimize, qPrintable(QString::number(s)));
    }

    // "&Abbruch" drops all of it.
    w->cancelButton()->click();
    QVERIFY(f.editor() == nullptr);
    QVERIFY(!f.window->workspace().editors().WEEditorOpen);
    QVERIFY(sameSlots(f.project().amp[0], before->amp[0]));
    QCOMPARE(f.window->workspace().undoStack().size(), snapshots);
    QVERIFY(f.window->workspace().saved());

    // The frame's close button is a cancel as well.
    w = f.openEditor();
    QVERIFY(w != nullptr);
    QTest::mouseClick(w->canvas(), Qt::LeftButton, {}, w->canvas()->slotCentre(empty));
    w->close();
    QVERIFY(!f.window->workspace().editors().WEEditorOpen);
    QVERIFY(sameSlots(f.project().amp[0], before->amp[0]));
}

void CrossoverEditorWindowTest::okAsksBeforeClosingWithoutAmplifier() {
    Fixture f;
    QVERIFY(f.window);
    CrossoverEditorWindow* w = f.openEditor();
    QVERIFY(w != nullptr);
    const int amp = firstSlotOf(w->editor().working(), kPartAmplifier);
    QVERIFY(amp >= 0);
    QTest::mouseClick(w->canvas(), Qt::LeftButton, Qt::ControlModifier,
                      w->canvas()->slotCentre(amp));
    QCOMPARE(int{w->editor().slot(amp).typ}, int{kPartEmpty});

    // "jetzt ändern" keeps the editor open and the project as it was.
    f.prompt.choices = {1};
    w->okButton()->click();
    QCOMPARE(f.prompt.questions.size(), std::size_t{1});
    QCOMPARE(f.prompt.questions.back(), utf8ToLatin1(kNoAmplifierQuestion));
    QVERIFY(f.editor() == w && w->isVisible());
    QCOMPARE(int{f.project().amp[0].weiche[amp].typ}, int{kPartAmplifier});

    // "soll so bleiben" applies and closes (the drivers are still there: no second question).
    f.prompt.choices = {2};
    w->okButton()->click();
    QCOMPARE(f.prompt.questions.size(), std::size_t{2});
    QVERIFY(f.editor() == nullptr);
    QCOMPARE(int{f.project().amp[0].weiche[amp].typ}, int{kPartEmpty});
    QCOMPARE(f.undoText(), utf8("Rückgängig \"Weiche 1 editieren\""));
    QVERIFY(!f.window->workspace().editors().WEEditorOpen);
}

void CrossoverEditorWindowTest::freeWiresKeyAssignmentAndLibrary() {
    Fixture f;
    QVERIFY(f.window);
    // A library file in the parts folder of the settings.
    const std::string folder = f.window->workspace().environment().folders.parts;
    QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
    QFile file(QString::fromStdString(folder + "Spulen.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("L;X1;2,2;0,35\r\nL;-;0;0\r\nL\tX2\t3,3\t0,5\r\nR;R1;6,8\r\n");
    file.close();

    CrossoverEditorWindow* w = f.openEditor();
    QVERIFY(w != nullptr);

    // Free wires: node 200 is stored as 132, -3 as 0.
    w->openFreeWires();
    auto* wires = f.dialog<FreeWiresDialog>(w);
    QVERIFY(wires != nullptr);
    QCOMPARE(wires->onBox(0)->text(), QStringLiteral("1. freie Drahtverbindung"));
    wires->onBox(0)->setChecked(true);
    wires->node1Field(0)->setText(QStringLiteral("200"));
    wires->node2Field(0)->setText(QStringLiteral("-3"));
    pressOk(wires);
    const TPart& free = w->editor().slot(kFirstFreeWireSlot);
    QCOMPARE(int{free.typ}, int{kPartWire});
    QCOMPARE(int{free.nod1}, 132);
    QCOMPARE(int{free.nod2}, 0);
    QVERIFY(pictureOf(w->canvas()->picture(), kFirstFreeWireSlot) != nullptr);

    // The key assignment: the left button now deletes, and the code goes to the settings.
    w->openMouseAssignment();
    auto* keys = f.dialog<MouseAssignmentDialog>(w);
    QVERIFY(keys != nullptr);
    QCOMPARE(keys->code(), f.window->workspace().environment().settings.mouseCode);
    QCOMPARE(keys->choice(1)->currentText(), utf8("Draht erzeugen"));
    keys->choice(1)->setCurrentIndex(static_cast<int>(EditorAction::Delete));
    pressOk(keys);
    QCOMPARE(w->editor().mouseCode(), 424532);
    QCOMPARE(f.window->workspace().environment().settings.mouseCode, 424532);
    const int cap = firstSlotOf(w->editor().working(), kPartCapacitor);
    QTest::mouseClick(w->canvas(), Qt::LeftButton, {}, w->canvas()->slotCentre(cap));
    QCOMPARE(int{w->editor().slot(cap).typ}, int{kPartEmpty});

    // The part library on a coil: its page, the listed line, choosing copies into the dialog.
    const int coil = firstSlotOf(w->editor().working(), kPartCoil);
    QVERIFY(coil >= 0);
    w->openPartDialog(coil, w->mapToGlobal(QPoint(0, 0)));
    auto* d = f.dialog<PartDialogWindow>(w);
    QVERIFY(d != nullptr);
    QVERIFY(d->resistanceField()->isEnabled());
    d->openLibrary();
    auto* lib = f.dialog<PartLibraryDialog>(d);
    QVERIFY(lib != nullptr);
    QCOMPARE(lib->pages()->currentIndex(), static_cast<int>(LibraryPage::Coils));
    QListWidget* coils = lib->list(LibraryPage::Coils);
    QCOMPARE(coils->count(), 3);
    QCOMPARE(coils->item(0)->text(), utf8("X1:2,2 mH, 0,35 Ohm"));
    QCOMPARE(coils->item(1)->text(), QString::fromLatin1(kLibrarySeparator));
    QCOMPARE(lib->list(LibraryPage::Resistors)->item(0)->text(), QStringLiteral("R1:6,8 Ohm"));
    lib->select(LibraryPage::Coils, 2);
    QCOMPARE(lib->selectedLabel()->text(), utf8("Ausgewählt: X2:3,3 mH, 0,5 Ohm"));
    pressOk(lib);
    QCOMPARE(d->valueField()->text(), QStringLiteral("3,3"));
    QCOMPARE(d->resistanceField()->text(), QStringLiteral("0,5"));
    QCOMPARE(d->labelField()->text(), QStringLiteral("X2"));
    pressOk(d);
    QVERIFY(std::abs(w->editor().slot(coil).value - 3.3e-3) < 1e-12);
    QVERIFY(std::abs(w->editor().slot(coil).Rvalue - 0.5) < 1e-12);
    w->cancelButton()->click();
}

void CrossoverEditorWindowTest::viewSwitchesChangeThePicture() {
    Fixture f;
    QVERIFY(f.window);
    CrossoverEditorWindow* w = f.openEditor();
    QVERIFY(w != nullptr);
    CrossoverCanvas* c = w->canvas();
    const int driver = firstSlotOf(w->editor().working(), kPartDriver);
    const int chassis = w->editor().slot(driver).chassisnr;
    QCOMPARE(QString::fromStdString(pictureOf(c->picture(), driver)->text),
             QStringLiteral("Chassis %1").arg(chassis + 1));
    w->printViewBox()->setChecked(true);
    QCOMPARE(pictureOf(c->picture(), driver)->text,
             latin1ToUtf8(f.project().chassis[chassis].name.view()));
    w->printViewBox()->setChecked(false);

    // Part numbers while the button is held.
    QTest::mousePress(w->partNumbersButton(), Qt::LeftButton);
    QCOMPARE(pictureOf(c->picture(), driver)->text, std::to_string(driver));
    QTest::mouseRelease(w->partNumbersButton(), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(pictureOf(c->picture(), driver)->text),
             QStringLiteral("Chassis %1").arg(chassis + 1));

    // The three sizes: the canvas follows the preset, and the hit test with it.
    QSize last;
    for (int preset = 0; preset < kSchematicSizePresets; ++preset) {
        w->sizeChoice()->setCurrentIndex(preset);
        const SchematicGeometry g = schematicGeometry(preset);
        QCOMPARE(c->size(), QSize(g.width, g.height));
        QVERIFY(c->size() != last);
        last = c->size();
        QCOMPARE(hitSlot(g, {c->slotCentre(driver).x(), c->slotCentre(driver).y()}), driver);
        QCOMPARE(f.window->workspace().environment().settings.windowSizePreset, preset);
    }
    // The painting covers the canvas (white ground, dark symbols).
    const QImage image = c->grab().toImage();
    QCOMPARE(image.size(), c->size() * image.devicePixelRatio());
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            dark += qGray(image.pixel(x, y)) < 64;
        }
    }
    QVERIFY(dark > 100);
    w->cancelButton()->click();
}

QTEST_MAIN(CrossoverEditorWindowTest)
#include "crossover_editor_window_test.moc"

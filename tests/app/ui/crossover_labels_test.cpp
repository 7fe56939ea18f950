// The texts of the crossover schematic measured with the canvas's own font: on every example
// project's crossovers and on a grid with a part in every slot, at all three sizes and in the
// views that change the texts, no text lies on another or on a part symbol. The part library
// window is wide enough for all of its tab captions.
#include <QApplication>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "app/shell/crossover_editor_labels.h"
#include "app/ui/crossover_editor_canvas.h"
#include "app/ui/crossover_editor_library_dialog.h"
#include "engine/example_projects.h"
#include "tests/app/crossover_dense_grid.h"

using namespace sonora;
using namespace sonora::ui;

namespace {

// Every fault of a layout as text; empty when there is none.
std::string faults(const SchematicPicture& picture, const SchematicLayout& layout) {
    std::string out;
    const SchematicGeometry& g = picture.geometry;
    for (std::size_t a = 0; a < layout.labels.size(); ++a) {
        const SchematicLabel& la = layout.labels[a];
        const std::string name =
            "slot " + std::to_string(la.slot) + " \"" + la.lines.front() + "\"";
        if (!la.placed) {
            out += name + " has no place\n";
            continue;
        }
        const SchematicRect& r = la.rect;
        if (r.left < 0 || r.top < 0 || r.right > g.width || r.bottom > g.height) {
            out += name + " leaves the canvas\n";
        }
        for (std::size_t b = a + 1; b < layout.labels.size(); ++b) {
            const SchematicLabel& lb = layout.labels[b];
            if (lb.placed && rectsIntersect(r, lb.rect)) {
                out += name + " on slot " + std::to_string(lb.slot) + " \"" + lb.lines.front() +
                       "\"\n";
            }
        }
        for (const SchematicRect& s : layout.symbols) {
            if (rectsIntersect(r, s)) {
                out += name + " on a symbol\n";
            }
        }
    }
    return out;
}

// The faults less the labels that found no place.
std::string withoutUnplaced(const std::string& faults) {
    std::string out;
    std::size_t start = 0;
    while (start < faults.size()) {
        std::size_t end = faults.find('\n', start);
        end = end == std::string::npos ? faults.size() : end + 1;
        const std::string line = faults.substr(start, end - start);
        if (line.find(" has no place") == std::string::npos) {
            out += line;
        }
        start = end;
    }
    return out;
}

std::vector<SchematicOptions> viewsAtEverySize() {
    std::vector<SchematicOptions> views;
    for (int preset = 0; preset < kSchematicSizePresets; ++preset) {
        SchematicOptions values;
        values.sizePreset = preset;
        SchematicOptions print = values;
        print.printView = true;
        print.labelInsteadOfResistance = true;
        SchematicOptions numbers = values;
        numbers.numbers = SchematicNumbers::PartNumbers;
        views.insert(views.end(), {values, print, numbers});
    }
    return views;
}

bool hasGridParts(const TAmp& amp) {
    for (int slot = 0; slot < kFirstFreeWireSlot; ++slot) {
        if (amp.weiche[slot].typ > kPartWire) {
            return true;
        }
    }
    return false;
}

} // namespace

class CrossoverLabelsTest : public QObject {
    Q_OBJECT
private slots:
    void examplesAtFullSizeWithoutOverlap();
    void fullGridWithoutOverlap();
    void libraryShowsEveryTabCaption();
};

void CrossoverLabelsTest::examplesAtFullSizeWithoutOverlap() {
    const std::pair<const char*, std::function<void(TProjekt&)>> examples[] = {
        {"Zweiwege geschlossen", [](TProjekt& p) { buildTwoWayExample(p, 6); }},
        {"Dreiwege Bassreflex", [](TProjekt& p) { buildThreeWayExample(p, 6); }},
        {"Zweiwege aktiv", [](TProjekt& p) { buildActiveTwoWayExample(p, 6); }},
        {"Zweiwege gemessen", [](TProjekt& p) { buildMeasuredTwoWayExample(p, 6); }},
        {"Subwoofer Bandpass", [](TProjekt& p) { buildSubwooferBandpassExample(p, 6); }},
    };
    const QFont font = QApplication::font();
    int checked = 0;
    for (const auto& [name, build] : examples) {
        auto p = std::make_unique<TProjekt>();
        build(*p);
        const DriverNames drivers = driverNamesOf(*p);
        for (int a = 0; a < p->nAmps; ++a) {
            if (!hasGridParts(p->amp[a])) {
                continue;
            }
            for (const SchematicOptions& o : viewsAtEverySize()) {
                const SchematicPicture picture = drawSchematic(p->amp[a].weiche, drivers, o);
                const SchematicLayout layout = schematicLayout(picture, font);
                const std::string where = std::string(name) + ", amplifier " +
                                          std::to_string(a + 1) + ", size " +
                                          std::to_string(o.sizePreset) + ": ";
                QVERIFY2(faults(picture, layout).empty(),
                         (where + faults(picture, layout)).c_str());
                for (const SchematicLabel& l : layout.labels) {
                    // The examples have room: nothing is shrunk.
                    QVERIFY2(l.fontPixels == picture.geometry.fontPixels,
                             (where + "slot " + std::to_string(l.slot) + " shrunk").c_str());
                }
                ++checked;
            }
        }
    }
    // Six crossovers (the active two-way has two amplifiers), nine views each.
    QCOMPARE(checked, 6 * 9);
}

void CrossoverLabelsTest::fullGridWithoutOverlap() {
    for (bool overWires : {false, true}) {
        auto p = std::make_unique<TProjekt>();
        test::denseThreeWay(*p, overWires);
        const DriverNames drivers = driverNamesOf(*p);
        const QFont font = QApplication::font();
        for (const SchematicOptions& o : viewsAtEverySize()) {
            const SchematicPicture picture = drawSchematic(p->amp[0].weiche, drivers, o);
            const SchematicLayout layout = schematicLayout(picture, font);
            int shrunk = 0;
            for (const SchematicLabel& l : layout.labels) {
                shrunk += l.fontPixels < picture.geometry.fontPixels ? 1 : 0;
            }
            qInfo("%s, size %d, view %d%s: %zu texts, %d shrunk",
                  overWires ? "no wires" : "three-way", o.sizePreset, static_cast<int>(o.numbers),
                  o.printView ? " print" : "", layout.labels.size(), shrunk);
            int unplaced = 0;
            for (const SchematicLabel& l : layout.labels) {
                unplaced += l.placed ? 0 : 1;
            }
            std::string f = faults(picture, layout);
            if (overWires) {
                // With a text on each of the 241 slots the small sizes have not room for all: the
                // texts left over show as tooltips. Those placed must still keep apart.
                qInfo("  %d without a place", unplaced);
                f = withoutUnplaced(f);
            }
            QVERIFY2(f.empty(), ("size " + std::to_string(o.sizePreset) + ": " + f).c_str());
        }
    }
}

void CrossoverLabelsTest::libraryShowsEveryTabCaption() {
    PartLibrary library;
    PartDialog dialog;
    PartLibraryDialog window(library, dialog);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const QSize& asked : {QSize(0, 0), window.size()}) {
        window.resize(asked); // the smallest size the window allows, then its own
        QApplication::processEvents();
        const QTabBar* bar = window.pages()->tabBar();
        QCOMPARE(bar->count(), 3);
        QCOMPARE(bar->tabText(2), QString::fromUtf8("Kondensatoren"));
        // A tab needs its caption's width plus the style's padding.
        const int padding = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
        for (int k = 0; k < bar->count(); ++k) {
            const QRect r = bar->tabRect(k);
            const int caption = bar->fontMetrics().horizontalAdvance(bar->tabText(k));
            QVERIFY2(r.width() >= caption + padding, qPrintable(bar->tabText(k)));
            QVERIFY2(r.right() < bar->width(), qPrintable(bar->tabText(k)));
            QVERIFY2(bar->geometry().right() < window.pages()->width(),
                     qPrintable(bar->tabText(k)));
        }
    }
}

QTEST_MAIN(CrossoverLabelsTest)
#include "crossover_labels_test.moc"

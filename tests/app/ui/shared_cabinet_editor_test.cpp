// The shared-cabinet editor offscreen on the three-way example: texts and pages, the rows'
// fields shown by switch and enclosure, entries with decimal commas applied to the drivers'
// baffles (front and opposite rear outlet), the undo label and the recalculation, cancelling,
// and the preview's outlets (circles on the front, ellipses on the sides).
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/ui/shared_cabinet_editor.h"
#include "app/ui/shared_cabinet_editor_preview.h"
#include "app/ui/status_line.h"
#include "engine/calc_thread.h"
#include "gui_test_support.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr int kCalcTimeoutMs = 120000; // sanitizer builds are slow
constexpr double kTol = 1e-12;         // m
constexpr int kWoofer = 0, kMidrange = 1, kTweeter = 2;

struct Fixture : test::WindowFixture {
    Fixture() : WindowFixture("Dreiwege Bassreflex.LSP") {}
    SharedCabinetEditor* open() const {
        window->findChild<QAction*>(QStringLiteral("sharedCabinet"))->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<SharedCabinetEditor*> open = window->findChildren<SharedCabinetEditor*>();
        return open.size() == 1 ? open.front() : nullptr;
    }
};

QString utf8(const char* s) {
    return QString::fromUtf8(s);
}

void enter(QLineEdit* field, const char* entry) {
    field->setText(QString::fromUtf8(entry));
    emit field->textEdited(field->text());
}

bool allHidden(const std::vector<QWidget*>& widgets) {
    for (QWidget* w : widgets) {
        if (!w->isHidden()) {
            return false;
        }
    }
    return !widgets.empty();
}

bool allShown(const std::vector<QWidget*>& widgets) {
    for (QWidget* w : widgets) {
        if (w->isHidden()) {
            return false;
        }
    }
    return !widgets.empty();
}

// The 20 x 30 cm front with the woofer low and the tweeter at a = 20, c = 10; the woofer's port
// on the back. The midrange leaves the shared cabinet.
void enterSmallCabinet(SharedCabinetEditor* e) {
    enter(e->cabinetField(SharedCabinetEditor::H), "30");
    enter(e->cabinetField(SharedCabinetEditor::B), "20,0");
    enter(e->cabinetField(SharedCabinetEditor::T), "25,5");
    for (auto field : {SharedCabinetEditor::Fasl, SharedCabinetEditor::Fasr,
                       SharedCabinetEditor::Faso, SharedCabinetEditor::Fasu}) {
        enter(e->cabinetField(field), "1,5");
    }
    const SharedCabinetEditor::Row& woofer = e->row(kWoofer);
    woofer.face->setCurrentIndex(static_cast<int>(CabinetFace::Front));
    enter(woofer.a, "9");
    enter(woofer.c, "10");
    woofer.rearSide->setCurrentIndex(kRearOppositeSide);
    enter(woofer.ar, "5");
    enter(woofer.cr, "4,0");
    e->row(kMidrange).use->setChecked(false);
    const SharedCabinetEditor::Row& tweeter = e->row(kTweeter);
    tweeter.face->setCurrentIndex(static_cast<int>(CabinetFace::Front));
    enter(tweeter.a, "20");
    enter(tweeter.c, "10,0");
}

} // namespace

class SharedCabinetEditorTest : public QObject {
    Q_OBJECT
private slots:
    void showsTextsPagesAndRows();
    void applyDerivesBaffles();
    void cancelChangesNothing();
    void previewDrawsOutlets();
};

void SharedCabinetEditorTest::showsTextsPagesAndRows() {
    Fixture f;
    QVERIFY(f.window);
    SharedCabinetEditor* e = f.open();
    QVERIFY(e != nullptr && e->isVisible());
    QVERIFY(!e->isModal());
    QVERIFY(f.window->workspace().editors().GemGehEditorOpen);
    QCOMPARE(e->windowTitle(), utf8("Sonora - Option gemeinsames Außengehäuse"));
    auto* note = e->findChild<QLabel*>(QStringLiteral("outerDimensionsNote"));
    QVERIFY(note != nullptr);
    QCOMPARE(note->text(), utf8("Die Angaben auf dieser Seite dienen der Simulation der  Beugung "
                                "des Schalls an den Gehäusekanten und sind daher Außenmaße."));
    // The cabinet's values in cm, as the project holds them in m.
    QCOMPARE(e->cabinetField(SharedCabinetEditor::H)->text(), QStringLiteral("95"));
    QCOMPARE(e->cabinetField(SharedCabinetEditor::B)->text(), QStringLiteral("26"));
    QCOMPARE(e->cabinetField(SharedCabinetEditor::Fasl)->text(), QStringLiteral("1,5"));
    QCOMPARE(e->edgeSwitch(0)->text(), utf8("links"));

    // The cabinet page and one page of drivers for three drivers.
    QCOMPARE(e->pages()->count(), 2);
    QCOMPARE(e->pages()->tabText(1), QStringLiteral("Chassis 1 bis 3"));
    QCOMPARE(e->rowCount(), 3);
    const TProjekt& p = f.project();
    QCOMPARE(e->row(kTweeter).box->title(),
             QString::fromLatin1(p.chassis[kTweeter].name.str().c_str()) + QStringLiteral(" (3)"));
    QCOMPARE(e->row(kWoofer).use->text(), utf8("gem. Außengehäuse"));
    QCOMPARE(e->row(kWoofer).face->count(), kCabinetFaces);
    QCOMPARE(e->row(kWoofer).face->itemText(5), utf8("nach unten"));
    QCOMPARE(e->row(kWoofer).rearSide->itemText(1), utf8("gegenüber von Chassis"));

    // Position fields while the switch is on; the rear outlet only for the vented woofer.
    QCOMPARE(p.einbau[kWoofer].typ, kEinbauBassreflex);
    QVERIFY(allShown(e->row(kWoofer).position) && allShown(e->row(kWoofer).rear));
    QVERIFY(allShown(e->row(kMidrange).position) && allHidden(e->row(kMidrange).rear));
    QVERIFY(allShown(e->row(kTweeter).position) && allHidden(e->row(kTweeter).rear));
    e->row(kWoofer).use->setChecked(false);
    QVERIFY(allHidden(e->row(kWoofer).position) && allHidden(e->row(kWoofer).rear));
    e->row(kWoofer).use->setChecked(true);
    QVERIFY(allShown(e->row(kWoofer).rear));

    // The woofer's port, stored 17 cm below its centre on the front, comes back as its a and c.
    const TSchallwand& sw = p.schallwand[kWoofer];
    const double portA = (sw.swvertr + p.Gemgeh.h / 2) * 100;
    QCOMPARE(e->row(kWoofer).ar->text().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(),
             portA);
}

void SharedCabinetEditorTest::applyDerivesBaffles() {
    Fixture f;
    QVERIFY(f.window);
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    const TResult& firstRun = *f.window->calculation().form().result;
    std::vector<Complex> tweeterBaffleBefore;
    for (int i = 0; i < firstRun.nfreq; ++i) {
        tweeterBaffleBefore.push_back(firstRun.fgang_sw[kTweeter][0][i][0]);
    }
    TSchallwand midrangeBefore = f.project().schallwand[kMidrange];
    const auto before = std::make_unique<TProjekt>(f.project());

    SharedCabinetEditor* e = f.open();
    QVERIFY(e != nullptr);
    enterSmallCabinet(e);
    e->applyButton()->click();
    QVERIFY(e->isVisible()); // "Übernehmen" keeps the window

    const TProjekt& p = f.project();
    QCOMPARE(p.Gemgeh.b, 0.2);
    QCOMPARE(p.Gemgeh.h, 0.3);
    QCOMPARE(p.Gemgeh.t, 0.255);
    QCOMPARE(p.Gemgeh.fasl, 0.015);
    const TSchallwand& tweeter = p.schallwand[kTweeter];
    QVERIFY(tweeter.usegemgeh);
    QVERIFY(std::abs(tweeter.swhor - 0.0) < kTol);
    QVERIFY(std::abs(tweeter.swvert - 0.05) < kTol);
    QCOMPARE(tweeter.swstra, 0.0);
    QCOMPARE(tweeter.swb, 0.2);
    QCOMPARE(tweeter.swh, 0.3);
    QCOMPARE(tweeter.swa, 0.2);
    QCOMPARE(tweeter.swc, 0.1);
    // The woofer's port on the back: depth -t, mirrored horizontally.
    const TSchallwand& woofer = p.schallwand[kWoofer];
    QVERIFY(std::abs(woofer.swhor) < kTol);
    QVERIFY(std::abs(woofer.swvert - (0.09 - 0.15)) < kTol);
    QVERIFY(std::abs(woofer.swstrar - (-0.255)) < kTol);
    QVERIFY(std::abs(woofer.swhorr - (0.1 - 0.04)) < kTol);
    QVERIFY(std::abs(woofer.swvertr - (0.05 - 0.15)) < kTol);
    // The midrange keeps its own baffle; only its switch is off.
    midrangeBefore.usegemgeh = false;
    QCOMPARE(std::memcmp(&p.schallwand[kMidrange], &midrangeBefore, sizeof midrangeBefore), 0);

    QCOMPARE(f.window->workspace().undoStack().label(0),
             std::string("Gemeinsames Außengehäuse editieren"));
    QCOMPARE(QString::fromStdString(f.window->workspace().undoCaption()),
             utf8("Rückgängig \"Gemeinsames Außengehäuse editieren\""));
    // Due again: the baffle of every driver whose baffle record changed, and the box; no
    // driver, filter or crossover stage.
    const auto marks = std::make_unique<TCalcStruct>();
    markChangedStages(p, *before, *marks);
    QCOMPARE(marks->bfgang_box.str(), std::string(kStatusPending));
    for (int k = 0; k < p.nChassis; ++k) {
        const bool changed =
            std::memcmp(&p.schallwand[k], &before->schallwand[k], sizeof(TSchallwand)) != 0;
        QCOMPARE(marks->bfgang_sw[k].str() == kStatusPending, changed);
    }
    QVERIFY(marks->bfgang_sw[kTweeter].str() == kStatusPending);
    for (int k = 0; k < kMaxAmps; ++k) {
        QVERIFY(marks->bfgang_akt[k].str().empty() && marks->bfgang_weiche[k].str().empty());
    }

    // The baffle stage runs again: the tweeter's baffle response is that of the small front now,
    // and the run succeeds (the positions fit their faces).
    const auto tweeterBaffleChanged = [&] {
        const TResult* r = f.window->calculation().form().result.get();
        if (!f.calculated() || r == nullptr || !r->valid || r->nfreq != firstRun.nfreq) {
            return false;
        }
        double difference = 0;
        for (int i = 0; i < r->nfreq; ++i) {
            const Complex now = r->fgang_sw[kTweeter][0][i][0];
            difference += std::abs(now.re - tweeterBaffleBefore[static_cast<std::size_t>(i)].re) +
                          std::abs(now.im - tweeterBaffleBefore[static_cast<std::size_t>(i)].im);
        }
        return difference > 1e-3;
    };
    QTRY_VERIFY_WITH_TIMEOUT(tweeterBaffleChanged(), kCalcTimeoutMs);

    // "Ok" applies once more and closes.
    const std::size_t steps = f.window->workspace().undoStack().size();
    e->okButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(f.window->findChildren<SharedCabinetEditor*>().isEmpty());
    QVERIFY(!f.window->workspace().editors().GemGehEditorOpen);
    QCOMPARE(f.window->workspace().undoStack().size(), steps + 1);

    // Opened again, the rows show what was applied, the port's a and c computed back.
    e = f.open();
    QVERIFY(e != nullptr);
    QCOMPARE(e->row(kTweeter).a->text(), QStringLiteral("20"));
    QCOMPARE(e->row(kWoofer).rearSide->currentIndex(), kRearOppositeSide);
    QCOMPARE(e->row(kWoofer).ar->text(), QStringLiteral("5"));
    QCOMPARE(e->row(kWoofer).cr->text(), QStringLiteral("4"));
    QVERIFY(!e->row(kMidrange).use->isChecked());
    e->cancelButton()->click();
}

void SharedCabinetEditorTest::cancelChangesNothing() {
    Fixture f;
    QVERIFY(f.window);
    const auto before = std::make_unique<TProjekt>(f.project());
    const std::size_t steps = f.window->workspace().undoStack().size();
    SharedCabinetEditor* e = f.open();
    QVERIFY(e != nullptr);
    enterSmallCabinet(e);
    e->previewSwitch()->setChecked(true);
    e->cancelButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(f.window->findChildren<SharedCabinetEditor*>().isEmpty());
    QVERIFY(!f.window->workspace().editors().GemGehEditorOpen);
    QCOMPARE(f.window->workspace().undoStack().size(), steps);
    QCOMPARE(std::memcmp(&f.project().Gemgeh, &before->Gemgeh, sizeof before->Gemgeh), 0);
    QCOMPARE(std::memcmp(f.project().schallwand, before->schallwand, sizeof before->schallwand), 0);
}

void SharedCabinetEditorTest::previewDrawsOutlets() {
    Fixture f;
    QVERIFY(f.window);
    SharedCabinetEditor* e = f.open();
    QVERIFY(e != nullptr);
    QCOMPARE(e->previewSwitch()->text(), utf8("Vorschau zeigen"));
    QVERIFY(e->preview()->isHidden());
    e->previewSwitch()->setChecked(true);
    QVERIFY(!e->preview()->isHidden());
    enterSmallCabinet(e);
    // The midrange is out: the woofer with its port and the tweeter.
    const CabinetPreview& preview = e->preview()->preview();
    QCOMPARE(preview.outlets.size(), std::size_t{3});
    QCOMPARE(preview.edges.size(), std::size_t{12 + 4}); // cabinet edges and four bevel lines
    int hiddenEdges = 0;
    for (const PreviewEdge& edge : preview.edges) {
        hiddenEdges += edge.hidden ? 1 : 0;
    }
    QCOMPARE(hiddenEdges, 3);

    // The tweeter's outlet on the front: a circle of its diameter around (swhor, swvert).
    const PreviewOutlet* tweeter = nullptr;
    const PreviewOutlet* port = nullptr;
    for (const PreviewOutlet& o : preview.outlets) {
        if (o.driver == kTweeter) {
            tweeter = &o;
        }
        if (o.driver == kWoofer && o.rear) {
            port = &o;
        }
    }
    QVERIFY(tweeter != nullptr && port != nullptr);
    QVERIFY(!tweeter->hidden && port->hidden); // the port is on the back
    QVERIFY(std::abs(tweeter->centre.x) < kTol && std::abs(tweeter->centre.y - 0.05) < kTol);
    const double r = f.project().schallwand[kTweeter].swd / 2;
    for (const PreviewPoint& q : tweeter->outline) {
        QVERIFY(std::abs(std::hypot(q.x - tweeter->centre.x, q.y - tweeter->centre.y) - r) < 1e-12);
    }

    // Moved to the right side, the outlet is an ellipse: full height, half depth.
    e->row(kTweeter).face->setCurrentIndex(static_cast<int>(CabinetFace::Right));
    const CabinetPreview& side = e->preview()->preview();
    const PreviewOutlet* moved = nullptr;
    for (const PreviewOutlet& o : side.outlets) {
        if (o.driver == kTweeter) {
            moved = &o;
        }
    }
    QVERIFY(moved != nullptr && moved->face == CabinetFace::Right && !moved->hidden);
    double minX = moved->outline[0].x, maxX = minX, minY = moved->outline[0].y, maxY = minY;
    for (const PreviewPoint& q : moved->outline) {
        minX = std::min(minX, q.x);
        maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y);
        maxY = std::max(maxY, q.y);
    }
    const double depthStretch = kPreviewDepthScale * std::cos(kPreviewDepthAngle);
    QVERIFY(std::abs((maxX - minX) - 2 * r * depthStretch) < 1e-3 * r);
    QVERIFY(maxY - minY > 2 * r * 0.99); // the vertical extent keeps (nearly) the diameter
    QVERIFY(maxX - minX < maxY - minY);

    // A picture is painted without a screen.
    e->preview()->resize(400, 400);
    const QImage picture = e->preview()->grab().toImage();
    QVERIFY(!picture.isNull());

    // Closing clears the switch.
    e->close();
    QVERIFY(!e->previewSwitch()->isChecked());
}

QTEST_MAIN(SharedCabinetEditorTest)
#include "shared_cabinet_editor_test.moc"

// The active-filter editor offscreen on the two-way example: the kind list and the parameter
// rows of each kind, entries with decimal commas in the editor's units, the order and level
// rules with their messages, the live chart against closed-form filter responses, accepting
// (project, undo label, recalculation with the new chain) and cancelling.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <cstring>
#include <memory>

#include "app/ui/active_filter_editor.h"
#include "app/ui/active_filter_editor_chart.h"
#include "app/ui/chart_view.h"
#include "app/ui/qt_text.h"
#include "app/ui/status_line.h"
#include "engine/active_filter.h"
#include "engine/calc_thread.h"
#include "gui_test_support.h"
#include "model/record_defaults.h"
#include "storage/latin1.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr int kCalcTimeoutMs = 120000; // sanitizer builds are slow

struct Fixture : test::WindowFixture {
    Fixture() : WindowFixture("Zweiwege geschlossen.LSP") {}
    // "Aktive Filter editieren" of amplifier 1, and the editor it opened.
    ActiveFilterEditor* open() const {
        auto* menu = window->findChild<QMenu*>(QStringLiteral("ampMenu1"));
        for (QAction* a : menu->actions()) {
            if (a->text() == QStringLiteral("Aktive Filter editieren")) {
                a->trigger();
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<ActiveFilterEditor*> open = window->findChildren<ActiveFilterEditor*>();
        return open.size() == 1 ? open.front() : nullptr;
    }
};

QString utf8(const char* s) {
    return QString::fromUtf8(s);
}

// Types `entry` into the value cell of the parameter row captioned `caption`.
bool enterParameter(ActiveFilterEditor* e, const char* caption, const QString& entry) {
    QTableWidget* t = e->parameterTable();
    for (int r = 0; r < t->rowCount(); ++r) {
        if (t->item(r, 0)->text() == utf8(caption)) {
            t->item(r, 1)->setText(entry);
            return true;
        }
    }
    return false;
}

QString parameterText(ActiveFilterEditor* e, const char* caption) {
    QTableWidget* t = e->parameterTable();
    for (int r = 0; r < t->rowCount(); ++r) {
        if (t->item(r, 0)->text() == utf8(caption)) {
            return t->item(r, 1)->text();
        }
    }
    return QStringLiteral("<none>");
}

QStringList parameterCaptions(ActiveFilterEditor* e) {
    QStringList captions;
    for (int r = 0; r < e->parameterTable()->rowCount(); ++r) {
        captions << e->parameterTable()->item(r, 0)->text();
    }
    return captions;
}

void enterLevel(ActiveFilterEditor* e, const QString& entry) {
    e->levelField()->setText(entry);
    emit e->levelField()->editingFinished();
}

// The level curve of the chart at a grid frequency, dB (NaN when the point is missing).
double chartLevelAt(const ChartContent& c, double frequency) {
    const ChartCurve& m = c.curves.at(0);
    for (std::size_t k = 0; k < m.x.size(); ++k) {
        if (m.x[k] == frequency) {
            return m.y[k];
        }
    }
    return NAN;
}

} // namespace

class ActiveFilterEditorTest : public QObject {
    Q_OBJECT
private slots:
    void listsKindsAndOnlyTheirParameters();
    void entryRulesAndMessages();
    void chartFollowsClosedForms();
    void acceptStoresChainAndRecalculates();
    void cancelChangesNothing();
};

void ActiveFilterEditorTest::listsKindsAndOnlyTheirParameters() {
    Fixture f;
    QVERIFY(f.window);
    ActiveFilterEditor* e = f.open();
    QVERIFY(e != nullptr && e->isVisible());
    QVERIFY(!e->isModal());
    QVERIFY(f.window->workspace().editors().AFEditorOpen);
    QCOMPARE(e->stageList()->count(), kMaxFilters);
    QCOMPARE(e->kindList()->count(), kFilterKinds);
    QCOMPARE(e->kindList()->itemText(0), utf8("kein Filter"));
    QCOMPARE(e->kindList()->itemText(13), utf8("Verzögerung / Delay"));
    QCOMPARE(e->kindList()->itemText(18), utf8("Allpassfilter 2. Ordnung"));
    QCOMPARE(e->parameterTable()->horizontalHeaderItem(0)->text(), utf8("Parameter"));
    QCOMPARE(e->parameterTable()->horizontalHeaderItem(1)->text(), utf8("Wert"));
    QCOMPARE(e->optimizeLevelSwitch()->text(), utf8("Optimierer soll Pegel optimieren"));
    QCOMPARE(e->optimizeStageSwitch()->text(), utf8("dieses Filter optimieren"));

    e->selectStage(3);
    QCOMPARE(e->currentStage(), 3);
    e->kindList()->setCurrentIndex(typOf(FilterKind::ParametricEq));
    QCOMPARE(parameterCaptions(e), QStringList({"f [Hz]", "Q", "A [dB]"}));
    QVERIFY(e->stageList()->item(3)->text().contains(utf8("parametrischer Equalizer")));
    e->kindList()->setCurrentIndex(typOf(FilterKind::Delay));
    QCOMPARE(parameterCaptions(e), QStringList({"t [ms]"}));
    e->kindList()->setCurrentIndex(typOf(FilterKind::LinkwitzTransform));
    QCOMPARE(parameterCaptions(e), QStringList({"fneu [Hz]", "Qneu", "falt [Hz]", "Qalt"}));
    e->kindList()->setCurrentIndex(typOf(FilterKind::None));
    QCOMPARE(e->parameterTable()->rowCount(), 0);

    // Another stage shows its own kind; coming back shows the kind chosen before.
    e->selectStage(4);
    QCOMPARE(e->kindList()->currentIndex(), e->chain().fil[4].typ);
    e->selectStage(3);
    QCOMPARE(e->kindList()->currentIndex(), typOf(FilterKind::None));
}

void ActiveFilterEditorTest::entryRulesAndMessages() {
    Fixture f;
    QVERIFY(f.window);
    ActiveFilterEditor* e = f.open();
    QVERIFY(e != nullptr);
    e->selectStage(0);
    e->kindList()->setCurrentIndex(typOf(FilterKind::ParametricEq));
    QVERIFY(enterParameter(e, "f [Hz]", QStringLiteral("1234,5")));
    QVERIFY(enterParameter(e, "Q", QStringLiteral("0.7")));
    QVERIFY(enterParameter(e, "A [dB]", QStringLiteral("-6,5")));
    const TFilter& fil = e->chain().fil[0];
    QCOMPARE(fil.f, 1234.5);
    QCOMPARE(fil.q, 0.7);
    QVERIFY(std::abs(fil.a - std::pow(10.0, -6.5 / 20)) < 1e-12);
    QCOMPARE(parameterText(e, "A [dB]"), QStringLiteral("-6,5")); // shown back in dB
    QCOMPARE(parameterText(e, "f [Hz]"), QStringLiteral("1234,5"));

    // Only the kind's parameters are taken: a first-order high-pass keeps Q and A.
    e->kindList()->setCurrentIndex(typOf(FilterKind::HighPass1));
    QVERIFY(enterParameter(e, "f [Hz]", QStringLiteral("80")));
    QCOMPARE(fil.f, 80.0);
    QCOMPARE(fil.q, 0.7);
    QVERIFY(std::abs(fil.a - std::pow(10.0, -6.5 / 20)) < 1e-12);

    // An entry that is no number leaves the value as it was.
    QVERIFY(enterParameter(e, "f [Hz]", QStringLiteral("abc")));
    QCOMPARE(fil.f, 80.0);
    QCOMPARE(parameterText(e, "f [Hz]"), QStringLiteral("80"));

    // Delay in ms, stored in s.
    e->kindList()->setCurrentIndex(typOf(FilterKind::Delay));
    QVERIFY(enterParameter(e, "t [ms]", QStringLiteral("1,5")));
    QCOMPARE(fil.t, 0.0015);

    // The order rules.
    QVERIFY(f.prompt.messages.empty());
    e->kindList()->setCurrentIndex(typOf(FilterKind::ButterworthHighPass));
    QVERIFY(enterParameter(e, "Ordnung", QStringLiteral("129")));
    QCOMPARE(fil.n, 2);
    QCOMPARE(parameterText(e, "Ordnung"), QStringLiteral("2"));
    QCOMPARE(f.prompt.messages.size(), std::size_t{1});
    QCOMPARE(f.prompt.messages.back(),
             utf8ToLatin1("Unzulässige Filterordnung wird auf 2 gesetzt.\r\nErlaubt: 1, 2, 3 ... "
                          "128"));
    QVERIFY(enterParameter(e, "Ordnung", QStringLiteral("7")));
    QCOMPARE(fil.n, 7);
    // Seven suits Butterworth but not Linkwitz-Riley: choosing that kind puts the order it is
    // calculated with into the table, without a message for an entry nobody made.
    e->kindList()->setCurrentIndex(typOf(FilterKind::LinkwitzRileyLowPass));
    QCOMPARE(fil.n, 2);
    QCOMPARE(f.prompt.messages.size(), std::size_t{1});
    QVERIFY(enterParameter(e, "Ordnung", QStringLiteral("5")));
    QCOMPARE(fil.n, 2);
    QCOMPARE(f.prompt.messages.back(),
             utf8ToLatin1("Unzulässige Filterordnung wird auf 2 gesetzt.\r\nErlaubt: 2, 4, 6 ... "
                          "128"));
    QVERIFY(enterParameter(e, "Ordnung", QStringLiteral("8")));
    QCOMPARE(fil.n, 8);

    // The level in dB, and its rule.
    enterLevel(e, QStringLiteral("-3,5"));
    QVERIFY(std::abs(e->chain().pegel - std::pow(10.0, -3.5 / 20)) < 1e-12);
    const std::size_t before = f.prompt.messages.size();
    enterLevel(e, QStringLiteral("laut"));
    QCOMPARE(e->chain().pegel, 1.0);
    QCOMPARE(e->levelField()->text(), QStringLiteral("0"));
    QCOMPARE(f.prompt.messages.size(), before + 1);
    QCOMPARE(f.prompt.messages.back(), std::string("Pegel von Amp wird auf 0dB gesetzt."));
    enterLevel(e, QStringLiteral("1e400")); // no finite gain
    QCOMPARE(e->chain().pegel, 1.0);
    QCOMPARE(f.prompt.messages.size(), before + 2);

    // A stage the calculation would refuse is named under the chart at once.
    e->selectStage(1);
    e->kindList()->setCurrentIndex(typOf(FilterKind::LowPass2));
    QVERIFY(enterParameter(e, "Q", QStringLiteral("0")));
    QCOMPARE(e->checkText()->text(),
             fromLatin1(utf8ToLatin1("Fehler: Aktives Filter an Verstärker 1: Güten dürfen "
                                     "nicht <= 0 sein.")));
    QVERIFY(enterParameter(e, "Q", QStringLiteral("0,5")));
    QCOMPARE(e->checkText()->text(), QString());
}

void ActiveFilterEditorTest::chartFollowsClosedForms() {
    // A grid of three points with the corner frequency in the middle.
    auto grid = std::make_unique<TProjekt>();
    initDefaultProjekt(*grid);
    grid->fMin = 100;
    grid->fMax = 10000;
    grid->freq[0] = 100;
    grid->freq[1] = 1000;
    grid->freq[2] = 10000;
    grid->freq[3] = 0;
    TAktfilter chain{};
    chain.pegel = 2; // +6.02 dB
    chain.fil[0].typ = typOf(FilterKind::LinkwitzRileyHighPass);
    chain.fil[0].f = 1000;
    chain.fil[0].n = 4;
    const ChartContent c = activeFilterChart(*grid, chain, 2);
    QCOMPARE(c.title, utf8ToLatin1("Aktive Filter Verstärker 3"));
    QCOMPARE(c.curves.size(), std::size_t{2});
    QCOMPARE(c.curves[0].x.size(), std::size_t{3});
    // Linkwitz-Riley of order 4 is a second-order Butterworth high-pass twice: 0.5 (-6.02 dB) at
    // its corner, where the level of 2 makes up for it, and half a turn of phase there.
    const auto lr4 = [](double x) {
        const double bw2 = x * x / std::sqrt((1 - x * x) * (1 - x * x) + 2 * x * x);
        return 20 * std::log10(2 * bw2 * bw2);
    };
    QVERIFY(std::abs(chartLevelAt(c, 1000)) < 1e-9);
    QVERIFY(std::abs(chartLevelAt(c, 100) - lr4(0.1)) < 1e-9);
    QVERIFY(std::abs(chartLevelAt(c, 10000) - lr4(10)) < 1e-9);
    QVERIFY(std::abs(std::abs(c.curves[1].y[1]) - 180) < 1e-6);
    for (double phase : c.curves[1].y) {
        QVERIFY(phase >= -180 && phase <= 180);
    }
    QVERIFY(c.y.min <= chartLevelAt(c, 100) && c.y.max >= chartLevelAt(c, 10000));
    QCOMPARE(c.y2.min, -180.0);
    QCOMPARE(c.y2.max, 180.0);

    // A 1 ms delay turns the phase by a whole turn at 1 kHz and a quarter at 250 Hz.
    TAktfilter delay{};
    delay.pegel = 1;
    delay.fil[0].typ = typOf(FilterKind::Delay);
    delay.fil[0].t = 0.001;
    grid->freq[0] = 250;
    const ChartContent d = activeFilterChart(*grid, delay, 0);
    QVERIFY(std::abs(d.curves[1].y[0] - (-90.0)) < 1e-9);
    QVERIFY(std::abs(d.curves[1].y[1]) < 1e-6);
    QVERIFY(std::abs(chartLevelAt(d, 1000)) < 1e-12);

    // A chain without gain has no finite level: no points instead of -inf.
    delay.pegel = 0;
    const ChartContent none = activeFilterChart(*grid, delay, 0);
    QVERIFY(none.curves[0].x.empty() && none.curves[1].x.empty());
}

void ActiveFilterEditorTest::acceptStoresChainAndRecalculates() {
    Fixture f;
    QVERIFY(f.window);
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    ActiveFilterEditor* e = f.open();
    QVERIFY(e != nullptr);
    e->selectStage(2);
    e->kindList()->setCurrentIndex(typOf(FilterKind::ButterworthLowPass));
    QVERIFY(enterParameter(e, "f [Hz]", QStringLiteral("2500,5")));
    QVERIFY(enterParameter(e, "Ordnung", QStringLiteral("3")));
    e->optimizeStageSwitch()->setChecked(true);
    enterLevel(e, QStringLiteral("-1,5"));
    e->optimizeLevelSwitch()->setChecked(true);
    // The chart shows the chain being edited, over the project's grid.
    const ChartContent live = activeFilterChart(f.project(), e->chain(), 0);
    QCOMPARE(e->chart()->curveCount(), 2);
    QCOMPARE(live.curves[0].x.size(), static_cast<std::size_t>(f.project().sz));

    const TAktfilter edited = e->chain();
    const auto before = std::make_unique<TProjekt>(f.project());
    e->okButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(f.window->findChildren<ActiveFilterEditor*>().isEmpty());
    QVERIFY(!f.window->workspace().editors().AFEditorOpen);

    const TAktfilter& stored = f.project().amp[0].aktfilter;
    QCOMPARE(std::memcmp(&stored, &edited, sizeof edited), 0);
    QCOMPARE(stored.fil[2].f, 2500.5);
    QCOMPARE(stored.fil[2].n, 3);
    QVERIFY(stored.fil[2].bOptimize && stored.bOptiPeg);
    QVERIFY(std::abs(stored.pegel - std::pow(10.0, -1.5 / 20)) < 1e-12);
    QCOMPARE(f.window->workspace().undoStack().label(0), std::string("Aktives Filter 1 editieren"));
    QCOMPARE(QString::fromStdString(f.window->workspace().undoCaption()),
             utf8("Rückgängig \"Aktives Filter 1 editieren\""));
    // Exactly the chain of amplifier 1 and the box are due again.
    const auto marks = std::make_unique<TCalcStruct>();
    markChangedStages(f.project(), *before, *marks);
    QCOMPARE(marks->bfgang_akt[0].str(), std::string(kStatusPending));
    QCOMPARE(marks->bfgang_box.str(), std::string(kStatusPending));
    QVERIFY(marks->bChassiskontrolle.str().empty());
    for (int k = 0; k < kMaxChassis; ++k) {
        QVERIFY(marks->bfgang_ch[k].str().empty() && marks->bfgang_sw[k].str().empty());
    }
    for (int k = 0; k < kMaxAmps; ++k) {
        QVERIFY(marks->bfgang_weiche[k].str().empty());
        QVERIFY(k == 0 || marks->bfgang_akt[k].str().empty());
    }

    // The recalculation runs with the new chain: the result's active-filter response is the
    // chain's own at every grid point.
    const auto resultHoldsChain = [&] {
        const TResult* r = f.window->calculation().form().result.get();
        if (!f.calculated() || r == nullptr || !r->valid || r->nfreq < 1) {
            return false;
        }
        for (int i = 0; i < r->nfreq; ++i) {
            const Complex want = aktfilterResponse(stored, r->freq[i]);
            const Complex got = r->fgang_akt[0][i];
            if (std::abs(want.re - got.re) + std::abs(want.im - got.im) > 1e-9 * CAbs(want)) {
                return false;
            }
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(resultHoldsChain(), kCalcTimeoutMs);

    // Undo brings the old chain back.
    f.window->workspace().undo();
    QCOMPARE(f.project().amp[0].aktfilter.fil[2].typ, typOf(FilterKind::None));
}

void ActiveFilterEditorTest::cancelChangesNothing() {
    Fixture f;
    QVERIFY(f.window);
    const TAktfilter before = f.project().amp[0].aktfilter;
    const std::size_t undoSteps = f.window->workspace().undoStack().size();
    ActiveFilterEditor* e = f.open();
    QVERIFY(e != nullptr);
    e->kindList()->setCurrentIndex(typOf(FilterKind::HighPass2));
    QVERIFY(enterParameter(e, "f [Hz]", QStringLiteral("40,5")));
    enterLevel(e, QStringLiteral("3"));
    // "Übernehmen" would hand it over; "Abbruch" drops the copy.
    QCOMPARE(e->applyButton()->text(), utf8("&Übernehmen"));
    QCOMPARE(e->cancelButton()->text(), utf8("&Abbruch"));
    e->cancelButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(f.window->findChildren<ActiveFilterEditor*>().isEmpty());
    QVERIFY(!f.window->workspace().editors().AFEditorOpen);
    QCOMPARE(std::memcmp(&f.project().amp[0].aktfilter, &before, sizeof before), 0);
    QCOMPARE(f.window->workspace().undoStack().size(), undoSteps);

    // Apply keeps the window open and may be repeated.
    e = f.open();
    QVERIFY(e != nullptr);
    enterLevel(e, QStringLiteral("2"));
    e->applyButton()->click();
    QVERIFY(e->isVisible());
    QCOMPARE(f.window->workspace().undoStack().size(), undoSteps + 1);
    QVERIFY(std::abs(f.project().amp[0].aktfilter.pegel - std::pow(10.0, 0.1)) < 1e-12);
    e->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!f.window->workspace().editors().AFEditorOpen);
}

QTEST_MAIN(ActiveFilterEditorTest)
#include "active_filter_editor_test.moc"

#include "app/ui/driver_editor_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ui/chart_view.h"
#include "app/ui/driver_editor_baffle.h"
#include "app/ui/driver_editor_curves.h"
#include "app/ui/driver_editor_directions.h"
#include "app/ui/number_field.h"
#include "app/ui/qt_text.h"
#include "model/record_defaults.h"
#include "storage/numbers.h"

namespace sonora::ui {

namespace {

// The category list of the bit set TChassis::typ, bit n = entry n.
const char* const kCategories[] = {
    "unbekannt",       "Breitbänder",         "Tieftöner",
    "Tiefmitteltöner", "Konusmitteltöner",    "Kalottenmitteltöner",
    "Hornmitteltöner", "Bändchenhochtöner",   "Kalottenhochtöner",
    "Hornhochtöner",   "Konushochtöner",      "Piezos",
    "Koaxialsysteme",  "Magnet. abgeschirmt", "Deckenlautsprecher",
    "Musikerchassis",  "Wasserfeste Chassis", "Druckkammerhörner",
    "Musikerchassis",  "Körperschallwandler", "Archiv",
};

const char* const kEinbauKinds[] = {"Gehäuse integriert (HT)", "Geschlossene Box", "Bassreflex-Box",
                                    "Bandpass", "Bandpass biventiliert"};
const char* const kDirections[] = {"nach vorne",  "nach hinten", "nach links",
                                   "nach rechts", "nach oben",   "nach unten"};
const char* const kMeasuredOn[] = {"1. Unendliche Schallwand", "2. DIN-Schallwand / 200 Liter",
                                   "3. Tarvelo Testgehäuse kleine Seite",
                                   "4. Tarvelo Testgehäuse große Seite", "5. zu simulierende Box"};

// One derived value as the editor shows it: field, caption, display factor and unit.
struct DerivedRow {
    const char* name;
    const char* caption;
    double TChassis::*field;
    double factor;
    const char* unit;
};

const DerivedRow kDerivedRows[] = {
    {"Qts", "Qts", &TChassis::Qts, 1.0, ""},
    {"fsbg", "fs (mit Luftlast)", &TChassis::fsbg, 1.0, " Hz"},
    {"fc", "fc", &TChassis::fc, 1.0, " Hz"},
    {"Qec", "Qec", &TChassis::Qec, 1.0, ""},
    {"Qmc", "Qmc", &TChassis::Qmc, 1.0, ""},
    {"Qtc", "Qtc", &TChassis::Qtc, 1.0, ""},
    {"Cms", "Cms", &TChassis::Cms, kMicroPerUnit, " µF"},
    {"Lms", "Lms", &TChassis::Lms, kMilliPerUnit, " mH"},
    {"Rms", "Rms", &TChassis::Rms, 1.0, " Ohm"},
    {"Vab", "Vab", &TChassis::Vab, kLitresPerCubicMetre, " Liter"},
    {"Vabf", "Vabf", &TChassis::Vabf, kLitresPerCubicMetre, " Liter"},
    {"Cmd", "Cmd", &TChassis::Cmd, kMilliPerUnit, " mm/N"},
    {"Mmd", "Mmd", &TChassis::Mmd, kMilliPerUnit, " Gramm"},
    {"Rmd", "Rmd", &TChassis::Rmd, 1.0, " Ns/m"},
    {"Bl", "Bl", &TChassis::Bl, 1.0, " N/A"},
    {"Spl", "Kennschalldruck", &TChassis::Spl, 1.0, " dB/2,83V"},
};

// Rows of caption and entry, two pairs per row.
class EntryGrid {
public:
    EntryGrid(QWidget* page, NumberEntries& entries, int columns = 2)
        : page_(page), entries_(entries), columns_(columns), grid_(new QGridLayout) {}
    QGridLayout* layout() const { return grid_; }

    NumberField* add(const char* name, const char* caption, RecordField field, double factor,
                     double fallback) {
        const QString label = fromUtf8(caption);
        NumberField* f = entries_.add(page_, name, label, field, factor, fallback);
        place(new QLabel(label, page_), f);
        return f;
    }
    void place(QWidget* label, QWidget* field) {
        grid_->addWidget(label, row_, 2 * column_);
        grid_->addWidget(field, row_, 2 * column_ + 1);
        if (++column_ == columns_) {
            column_ = 0;
            ++row_;
        }
    }
    void newRow() {
        if (column_ != 0) {
            column_ = 0;
            ++row_;
        }
    }

private:
    QWidget* page_;
    NumberEntries& entries_;
    int columns_;
    QGridLayout* grid_;
    int row_ = 0;
    int column_ = 0;
};

const TChassis& defaultChassis() {
    static const std::unique_ptr<TChassis> d = [] {
        auto c = std::make_unique<TChassis>();
        initDefaultChassis(*c);
        // A driver file without them reads the third voice-coil pair as 1e-6 (Ohm, H).
        constexpr double kAbsentCoilPair = 1e-6;
        c->Re3 = kAbsentCoilPair;
        c->Le3 = kAbsentCoilPair;
        return c;
    }();
    return *d;
}

QWidget* scrolled(QWidget* page) {
    auto* area = new QScrollArea;
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

QSlider* dampingSlider(QWidget* page, const char* name) {
    auto* s = new QSlider(Qt::Horizontal, page);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(0, kDampingSliderMax);
    s->setPageStep(1);
    s->setTickPosition(QSlider::TicksBelow);
    s->setTickInterval(1);
    return s;
}

QWidget* sliderWithCaptions(QWidget* page, QSlider* slider) {
    auto* box = new QWidget(page);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(slider);
    auto* captions = new QHBoxLayout;
    captions->addWidget(new QLabel(fromUtf8("keine Wolle"), box));
    captions->addStretch();
    captions->addWidget(new QLabel(fromUtf8("locker gefüllt"), box));
    captions->addStretch();
    captions->addWidget(new QLabel(fromUtf8("stark gestopft"), box));
    v->addLayout(captions);
    return box;
}

} // namespace

DriverEditor::DriverEditor(Workspace& workspace, int driver, UserPrompt& prompt, QWidget* parent)
    : QWidget(parent, Qt::Window), workspace_(workspace), prompt_(prompt), driver_(driver),
      chassis_(std::make_unique<TChassis>(workspace.project().chassis[driver])),
      scratch_(std::make_unique<TChassis>(*chassis_)), einbau_(workspace.project().einbau[driver]),
      schallwand_(workspace.project().schallwand[driver]) {
    setObjectName(QStringLiteral("driverEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(fromUtf8("Chassis %1 editieren").arg(driver + 1));
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->addTab(buildIdentityPage(), fromUtf8("Chassis"));
    pages_->addTab(scrolled(buildParameterPage()), fromUtf8("Parameter"));
    pages_->addTab(scrolled(buildEnclosurePage()), fromUtf8("Gehäuse"));
    pages_->addTab(scrolled(buildBafflePage()), fromUtf8("Schallwand"));
    pages_->addTab(buildFrequencyPage(), fromUtf8("Frequenzgang"));
    pages_->addTab(buildImpedancePage(), fromUtf8("Impedanzgang"));
    directions_ = new DirectionsPage;
    connect(directions_, &DirectionsPage::edited, this, [this] { refreshLive(); });
    pages_->addTab(directions_, fromUtf8("F-Gang Richtungen"));
    pages_->addTab(scrolled(buildInformativePage()),
                   fromUtf8(" Daten ohne Einfluß auf Berechnung - nur informativ "));
    layout->addWidget(pages_);
    layout->addWidget(buildButtons());
    for (NumberField* f : findChildren<NumberField*>()) {
        connect(f, &QLineEdit::textEdited, this, [this] { refreshLive(); });
    }
    showRecords();
}

DriverEditor::~DriverEditor() = default;

QWidget* DriverEditor::buildIdentityPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = 0;
    name_ = new QLineEdit(page);
    name_->setObjectName(QStringLiteral("name"));
    name_->setMaxLength(static_cast<int>(decltype(TChassis::name)::kCapacity));
    grid->addWidget(new QLabel(fromUtf8("Bezeichnung"), page), row, 0);
    grid->addWidget(name_, row++, 1);
    comment_ = new QLineEdit(page);
    comment_->setObjectName(QStringLiteral("comment"));
    comment_->setMaxLength(static_cast<int>(decltype(TChassis::comment)::kCapacity));
    grid->addWidget(new QLabel(fromUtf8("Kommentar"), page), row, 0);
    grid->addWidget(comment_, row++, 1);
    special_ = new QComboBox(page);
    special_->setObjectName(QStringLiteral("special"));
    special_->addItem(fromUtf8("normales Chassis"), 0);
    special_->addItem(fromUtf8("Voltmeter (Pegel bei 2,83 V)"), kSpecialVoltmeter);
    special_->addItem(fromUtf8("Amperemeter (Pegel bei 1 A)"), kSpecialAmmeter);
    grid->addWidget(new QLabel(fromUtf8("Art"), page), row, 0);
    grid->addWidget(special_, row++, 1);
    membrane_ = new QComboBox(page);
    membrane_->setObjectName(QStringLiteral("membranform"));
    membrane_->addItems({fromUtf8("Kalotte"), fromUtf8("Konus"), fromUtf8("Waveguide")});
    grid->addWidget(new QLabel(fromUtf8("Membranform"), page), row, 0);
    grid->addWidget(membrane_, row++, 1);
    closedRear_ = new QCheckBox(fromUtf8("rückseitig geschlossen (z. B. HT-Kalotten)"), page);
    closedRear_->setObjectName(QStringLiteral("HintenGeschlossen"));
    grid->addWidget(closedRear_, row++, 1);
    categories_ = new QListWidget(page);
    categories_->setObjectName(QStringLiteral("categories"));
    for (const char* c : kCategories) {
        auto* item = new QListWidgetItem(fromUtf8(c), categories_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    grid->addWidget(new QLabel(fromUtf8("Kategorien"), page), row, 0, Qt::AlignTop);
    grid->addWidget(categories_, row++, 1);
    connect(special_, &QComboBox::currentIndexChanged, this, [this] { refreshLive(); });
    connect(closedRear_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            einbauTyp_->setCurrentIndex(kEinbauIntegriert);
        }
        refreshLive();
    });
    return page;
}

QWidget* DriverEditor::buildParameterPage() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    EntryGrid g(page, entries_);
    const TChassis& d = defaultChassis();
    const auto c = [&](const char* name, const char* caption, double TChassis::*m,
                       double factor = 1.0) { g.add(name, caption, fieldOf(m), factor, d.*m); };
    c("fs", "fs [Hz]", &TChassis::fs);
    c("qes", "Qes", &TChassis::qes);
    c("qms", "Qms", &TChassis::qms);
    c("vas", "Vas [Liter]", &TChassis::vas, kLitresPerCubicMetre);
    c("Rdc", "Re [Ohm]", &TChassis::Rdc);
    c("Sd", "Sd [cm²]", &TChassis::Sd, kSquareCmPerSquareM);
    c("xlin", "xlin [mm]", &TChassis::xlin, kMilliPerUnit);
    c("Pmax", "Pmax [W]", &TChassis::Pmax);
    c("ZNenn", "Nennimpedanz [Ohm]", &TChassis::ZNenn);
    c("seo", "akustisches Zentrum hinter Schallwand [mm]", &TChassis::seo, kMilliPerUnit);
    v->addLayout(g.layout());

    auto* coil = new QGroupBox(fromUtf8("Schwingspule"), page);
    auto* coilLayout = new QVBoxLayout(coil);
    EntryGrid cg(coil, entries_);
    const auto cc = [&](const char* name, const char* caption, double TChassis::*m, double factor) {
        cg.add(name, caption, fieldOf(m), factor, d.*m);
    };
    cc("Le", "Le [mH]", &TChassis::Le, kMilliPerUnit);
    cg.newRow();
    cc("Re2", "Re2 [Ohm]", &TChassis::Re2, 1.0);
    cc("Le2", "Le2 [mH]", &TChassis::Le2, kMilliPerUnit);
    cc("Re3", "Re3 [Ohm]", &TChassis::Re3, 1.0);
    cc("Le3", "Le3 [mH]", &TChassis::Le3, kMilliPerUnit);
    coilLayout->addLayout(cg.layout());
    fit_ = new QPushButton(fromUtf8("Re.. und Le.. aus Impedanzgang errechnen"), coil);
    fit_->setObjectName(QStringLiteral("fitVoiceCoil"));
    connect(fit_, &QPushButton::clicked, this, [this] { fitVoiceCoil(); });
    coilLayout->addWidget(fit_, 0, Qt::AlignLeft);
    v->addWidget(coil);

    auto* derived = new QGroupBox(fromUtf8("errechnete Werte (im Gehäuse)"), page);
    auto* dg = new QGridLayout(derived);
    constexpr int kDerivedColumns = 4;
    int k = 0;
    for (const DerivedRow& r : kDerivedRows) {
        auto* value = new QLabel(derived);
        value->setObjectName(QStringLiteral("derived_") + QString::fromLatin1(r.name));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        dg->addWidget(new QLabel(fromUtf8(r.caption), derived), k / kDerivedColumns,
                      2 * (k % kDerivedColumns));
        dg->addWidget(value, k / kDerivedColumns, 2 * (k % kDerivedColumns) + 1);
        derived_.emplace_back(QString::fromLatin1(r.name), value);
        ++k;
    }
    v->addWidget(derived);
    v->addStretch();
    return page;
}

QWidget* DriverEditor::buildEnclosurePage() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    einbauTyp_ = new QComboBox(page);
    einbauTyp_->setObjectName(QStringLiteral("einbauTyp"));
    for (const char* kind : kEinbauKinds) {
        einbauTyp_->addItem(fromUtf8(kind));
    }
    top->addWidget(new QLabel(fromUtf8("Gehäuseart"), page));
    top->addWidget(einbauTyp_);
    top->addStretch();
    v->addLayout(top);

    const TEinbau d = defaultEinbau();
    EntryGrid g(page, entries_);
    const auto e = [&](const char* name, const char* caption, double TEinbau::*m,
                       double factor = 1.0) { g.add(name, caption, fieldOf(m), factor, d.*m); };
    e("Vb", "Volumen Vb [Liter]", &TEinbau::Vb, kLitresPerCubicMetre);
    e("fb", "Abstimmfrequenz fb [Hz]", &TEinbau::fb);
    e("Vbf", "Vorkammer Vbf [Liter]", &TEinbau::Vbf, kLitresPerCubicMetre);
    e("fbf", "Abstimmfrequenz Vorkammer fbf [Hz]", &TEinbau::fbf);
    v->addLayout(g.layout());

    auto* damping = new QGroupBox(fromUtf8("Bedämpfung"), page);
    auto* dl = new QGridLayout(damping);
    bedv_ = dampingSlider(damping, "Bedv");
    bedc_ = dampingSlider(damping, "Bedc");
    bedk_ = dampingSlider(damping, "Bedk");
    bedvf_ = dampingSlider(damping, "Bedvf");
    bedkf_ = dampingSlider(damping, "Bedkf");
    const std::pair<const char*, QSlider*> sliders[] = {
        {"Gehäusevolumen", bedv_},
        {"am Chassis", bedc_},
        {"Reflexkanal", bedk_},
        {"Vorkammer", bedvf_},
        {"Reflexkanal Vorkammer", bedkf_},
    };
    int row = 0;
    for (const auto& [caption, slider] : sliders) {
        dl->addWidget(new QLabel(fromUtf8(caption), damping), row, 0);
        dl->addWidget(sliderWithCaptions(damping, slider), row++, 1);
        connect(slider, &QSlider::valueChanged, this, [this] { refreshLive(); });
    }
    v->addWidget(damping);

    explicitLosses_ = new QCheckBox(fromUtf8("Luftlast und Güten explizit eingeben"), page);
    explicitLosses_->setObjectName(QStringLiteral("mbQExpl"));
    v->addWidget(explicitLosses_);
    auto* losses = new QGroupBox(fromUtf8("Verlust- und Lastfaktoren"), page);
    auto* ll = new QVBoxLayout(losses);
    EntryGrid lg(losses, entries_);
    const auto l = [&](const char* name, const char* caption, double TEinbau::*m) {
        lg.add(name, caption, fieldOf(m), 1.0, d.*m);
    };
    l("vV", "Volumenzuwachsfaktor (1...1,27)", &TEinbau::vV);
    l("mb", "Massenzuwachsfaktor mb (..0,85..1)", &TEinbau::mb);
    l("fmb", "fmb [Hz]", &TEinbau::fmb);
    l("Ql", "Gehäusegüte Ql", &TEinbau::Ql);
    l("Qb", "Gehäusegüte BR Qb", &TEinbau::Qb);
    l("Qk", "Güte Reflexkanal Qk", &TEinbau::Qk);
    l("vVf", "Volumenzuwachsfaktor Vorkammer", &TEinbau::vVf);
    l("Qbf", "Güte Vorkammer Qbf", &TEinbau::Qbf);
    l("Qkf", "Güte Reflexkanal Vorkammer Qkf", &TEinbau::Qkf);
    ll->addLayout(lg.layout());
    v->addWidget(losses);
    v->addStretch();
    connect(einbauTyp_, &QComboBox::currentIndexChanged, this, [this] { refreshLive(); });
    connect(explicitLosses_, &QCheckBox::toggled, this, [this] { refreshLive(); });
    return page;
}

QWidget* DriverEditor::buildBafflePage() {
    auto* page = new QWidget;
    auto* h = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    EntryGrid g(page, entries_);
    const auto s = [&](const char* name, const char* caption, double TSchallwand::*m) {
        g.add(name, caption, fieldOf(m), kCentiPerUnit, 0.0);
    };
    s("swa", "Maß a [cm]", &TSchallwand::swa);
    s("swb", "Maß b [cm]", &TSchallwand::swb);
    s("swc", "Maß c [cm]", &TSchallwand::swc);
    s("swd", "Maß d [cm]", &TSchallwand::swd);
    s("swe", "Maß e [cm]", &TSchallwand::swe);
    s("swf", "Maß f [cm]", &TSchallwand::swf);
    s("swg", "Maß g [cm]", &TSchallwand::swg);
    s("swh", "Maß h [cm]", &TSchallwand::swh);
    s("swi", "Maß i [cm]", &TSchallwand::swi);
    s("swt", "Gehäusetiefe t [cm]", &TSchallwand::swt);
    s("swdr", "Durchmesser Reflexöffnung [cm]", &TSchallwand::swdr);
    left->addLayout(g.layout());

    auto* edges = new QGroupBox(fromUtf8("Beugung an der Kante"), page);
    auto* el = new QHBoxLayout(edges);
    edgeLeft_ = new QCheckBox(fromUtf8("links"), edges);
    edgeRight_ = new QCheckBox(fromUtf8("rechts"), edges);
    edgeTop_ = new QCheckBox(fromUtf8("oben"), edges);
    edgeBottom_ = new QCheckBox(fromUtf8("unten"), edges);
    for (QCheckBox* b : {edgeLeft_, edgeRight_, edgeTop_, edgeBottom_}) {
        el->addWidget(b);
        connect(b, &QCheckBox::toggled, this, [this] { refreshLive(); });
    }
    left->addWidget(edges);

    auto* dirs = new QGridLayout;
    direction_ = new QComboBox(page);
    direction_->setObjectName(QStringLiteral("direction"));
    for (const char* d : kDirections) {
        direction_->addItem(fromUtf8(d));
    }
    directionRear_ = new QComboBox(page);
    directionRear_->setObjectName(QStringLiteral("directionr"));
    directionRear_->addItems(
        {fromUtf8("gleiche Richtung wie Chassis"), fromUtf8("entgegengesetzt von Chassis")});
    dirs->addWidget(new QLabel(fromUtf8("Abstrahlrichtung"), page), 0, 0);
    dirs->addWidget(direction_, 0, 1);
    dirs->addWidget(new QLabel(fromUtf8("Schall der Membranrückseite"), page), 1, 0);
    dirs->addWidget(directionRear_, 1, 1);
    left->addLayout(dirs);
    sharedCabinet_ = new QCheckBox(fromUtf8("gem. Außengehäuse"), page);
    sharedCabinet_->setObjectName(QStringLiteral("usegemgeh"));
    left->addWidget(sharedCabinet_);

    auto* positions =
        new QGroupBox(fromUtf8("Position der Schallaustrittsöffnungen im Raum [cm]"), page);
    auto* pl = new QVBoxLayout(positions);
    EntryGrid pg(positions, entries_, 3);
    const auto p = [&](const char* name, const char* caption, double TSchallwand::*m) {
        pg.add(name, caption, fieldOf(m), kCentiPerUnit, 0.0);
    };
    p("swhor", "Membran horizontal", &TSchallwand::swhor);
    p("swvert", "vertikal", &TSchallwand::swvert);
    p("swstra", "nach vorn", &TSchallwand::swstra);
    p("swhorr", "Reflexöffnung horizontal", &TSchallwand::swhorr);
    p("swvertr", "vertikal", &TSchallwand::swvertr);
    p("swstrar", "nach vorn", &TSchallwand::swstrar);
    pl->addLayout(pg.layout());
    left->addWidget(positions);
    left->addStretch();
    h->addLayout(left, 3);
    drawing_ = new BaffleDrawing(page);
    drawing_->setObjectName(QStringLiteral("baffleDrawing"));
    h->addWidget(drawing_, 2);
    return page;
}

QWidget* DriverEditor::buildFrequencyPage() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* switches = new QHBoxLayout;
    useA_ = new QCheckBox(fromUtf8("Frequenzgang verwenden"), page);
    useA_->setObjectName(QStringLiteral("useFGangA"));
    useAP_ = new QCheckBox(fromUtf8("Phase verwenden"), page);
    useAP_->setObjectName(QStringLiteral("useFGangAP"));
    useA2fs_ = new QCheckBox(fromUtf8("erst ab ca. 2·fc verwenden"), page);
    useA2fs_->setObjectName(QStringLiteral("useFGangA2fs"));
    switches->addWidget(useA_);
    switches->addWidget(useAP_);
    switches->addWidget(useA2fs_);
    switches->addStretch();
    v->addLayout(switches);
    auto* which = new QHBoxLayout;
    measuredOn_ = new QComboBox(page);
    measuredOn_->setObjectName(QStringLiteral("fgang_which"));
    for (const char* m : kMeasuredOn) {
        measuredOn_->addItem(fromUtf8(m));
    }
    which->addWidget(new QLabel(fromUtf8("Die Messung des Frequenzgangs bezieht sich auf"), page));
    which->addWidget(measuredOn_);
    which->addStretch();
    v->addLayout(which);

    auto* body = new QHBoxLayout;
    tables_[static_cast<int>(CurveKind::Level)] = new CurveTable(fromUtf8("Pegel [dB]"), 1.0, page);
    tables_[static_cast<int>(CurveKind::Phase)] =
        new CurveTable(fromUtf8("Phase [Grad]"), kDegreesPerRadian, page);
    tables_[static_cast<int>(CurveKind::Level)]->setObjectName(QStringLiteral("levelTable"));
    tables_[static_cast<int>(CurveKind::Phase)]->setObjectName(QStringLiteral("phaseTable"));
    body->addWidget(tables_[static_cast<int>(CurveKind::Level)], 1);
    body->addWidget(tables_[static_cast<int>(CurveKind::Phase)], 1);
    levelPlot_ = new ChartView(page);
    body->addWidget(levelPlot_, 2);
    v->addLayout(body, 1);

    auto* buttons = new QHBoxLayout;
    auto* import = new QPushButton(fromUtf8("Import aus Textdatei ..."), page);
    import->setObjectName(QStringLiteral("importFrequency"));
    auto* level = new QPushButton(fromUtf8("Pegel ändern ..."), page);
    level->setObjectName(QStringLiteral("changeLevel"));
    buttons->addWidget(import);
    buttons->addWidget(level);
    buttons->addStretch();
    v->addLayout(buttons);
    connect(import, &QPushButton::clicked, this, [this] { chooseAndImportText(false); });
    connect(level, &QPushButton::clicked, this, [this] { changeLevel(); });
    for (CurveKind k : {CurveKind::Level, CurveKind::Phase}) {
        connect(tables_[static_cast<int>(k)], &QTableWidget::itemChanged, this,
                [this] { refreshLive(); });
    }
    return page;
}

QWidget* DriverEditor::buildImpedancePage() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* switches = new QHBoxLayout;
    useI_ = new QCheckBox(fromUtf8("Impedanzgang verwenden"), page);
    useI_->setObjectName(QStringLiteral("useFGangI"));
    useIP_ = new QCheckBox(fromUtf8("Impedanzphase verwenden"), page);
    useIP_->setObjectName(QStringLiteral("useFGangIP"));
    switches->addWidget(useI_);
    switches->addWidget(useIP_);
    switches->addStretch();
    v->addLayout(switches);

    auto* body = new QHBoxLayout;
    auto*& z = tables_[static_cast<int>(CurveKind::Impedance)];
    auto*& zp = tables_[static_cast<int>(CurveKind::ImpedancePhase)];
    z = new CurveTable(fromUtf8("Z [Ohm]"), 1.0, page);
    zp = new CurveTable(fromUtf8("Phase [Grad]"), kDegreesPerRadian, page);
    z->setObjectName(QStringLiteral("impedanceTable"));
    zp->setObjectName(QStringLiteral("impedancePhaseTable"));
    body->addWidget(z, 1);
    body->addWidget(zp, 1);
    impedancePlot_ = new ChartView(page);
    body->addWidget(impedancePlot_, 2);
    v->addLayout(body, 1);

    auto* buttons = new QHBoxLayout;
    auto* import = new QPushButton(fromUtf8("Import aus Textdatei ..."), page);
    import->setObjectName(QStringLiteral("importImpedance"));
    auto* lim = new QPushButton(fromUtf8("Import aus Lim-Datei ..."), page);
    lim->setObjectName(QStringLiteral("importLim"));
    buttons->addWidget(import);
    buttons->addWidget(lim);
    buttons->addStretch();
    v->addLayout(buttons);
    connect(import, &QPushButton::clicked, this, [this] { chooseAndImportText(true); });
    connect(lim, &QPushButton::clicked, this, [this] { chooseAndImportLim(); });
    for (CurveTable* t : {z, zp}) {
        connect(t, &QTableWidget::itemChanged, this, [this] { refreshLive(); });
    }
    return page;
}

QWidget* DriverEditor::buildInformativePage() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    EntryGrid g(page, entries_);
    const TChassis& d = defaultChassis();
    const auto c = [&](const char* name, const char* caption, double TChassis::*m,
                       double factor = 1.0) { g.add(name, caption, fieldOf(m), factor, d.*m); };
    const auto t = [&](const char* name, const char* caption, std::size_t capacity) {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaxLength(static_cast<int>(capacity));
        g.place(new QLabel(fromUtf8(caption), page), edit);
        return edit;
    };
    c("_PNorm", "Nennbelastbarkeit [W]", &TChassis::_PNorm);
    c("_xMax", "Grenzauslenkung X(mech) [mm]", &TChassis::_xMax, kMilliPerUnit);
    c("_Hvc", "Schwingspulenhöhe [mm]", &TChassis::_Hvc, kMilliPerUnit);
    c("_Dvc", "Schwingspulendurchmesser [mm]", &TChassis::_Dvc, kMilliPerUnit);
    c("_Hpp", "Polplattenhöhe [mm]", &TChassis::_Hpp, kMilliPerUnit);
    c("_Bl", "Kraftfaktor Bl [N/A]", &TChassis::_Bl);
    c("_SPL", "Kennschalldruck [dB]", &TChassis::_SPL);
    c("_le", "Induktivität Le [mH]", &TChassis::_le, kMilliPerUnit);
    c("_Mmd", "bewegte Masse [g]", &TChassis::_Mmd, kMilliPerUnit);
    c("_magind", "magnetische Induktion [T]", &TChassis::_magind);
    c("_magflu", "magnetischer Fluss [µWb]", &TChassis::_magflu);
    c("_Etiefe", "Einbautiefe [mm]", &TChassis::_Etiefe, kMilliPerUnit);
    c("_Ausschn", "Ausschnitt [mm]", &TChassis::_Ausschn, kMilliPerUnit);
    c("_Gewicht", "Gewicht [g]", &TChassis::_Gewicht, kMilliPerUnit);
    g.newRow();
    fu_ = t("_fu", "untere Grenzfrequenz", decltype(TChassis::_fu)::kCapacity);
    fo_ = t("_fo", "obere Grenzfrequenz", decltype(TChassis::_fo)::kCapacity);
    da_ = t("_Da", "Außendurchmesser [mm]", decltype(TChassis::_Da)::kCapacity);
    bnr_ = t("_bnr", "Best.Nr.", decltype(TChassis::_bnr)::kCapacity);
    v->addLayout(g.layout());
    v->addStretch();
    return page;
}

QWidget* DriverEditor::buildButtons() {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* load = new QPushButton(fromUtf8("Chassis laden ..."), row);
    load->setObjectName(QStringLiteral("loadDriver"));
    auto* save = new QPushButton(fromUtf8("Chassis speichern ..."), row);
    save->setObjectName(QStringLiteral("saveDriver"));
    apply_ = new QPushButton(fromUtf8("&Übernehmen"), row);
    ok_ = new QPushButton(fromUtf8("&Ok"), row);
    cancel_ = new QPushButton(fromUtf8("&Abbruch"), row);
    h->addWidget(load);
    h->addWidget(save);
    h->addStretch();
    h->addWidget(apply_);
    h->addWidget(ok_);
    h->addWidget(cancel_);
    connect(load, &QPushButton::clicked, this, [this] { chooseAndLoad(); });
    connect(save, &QPushButton::clicked, this, [this] { chooseAndSave(); });
    connect(apply_, &QPushButton::clicked, this, [this] { apply(); });
    connect(ok_, &QPushButton::clicked, this, [this] {
        apply();
        close();
    });
    connect(cancel_, &QPushButton::clicked, this, &QWidget::close);
    return row;
}

CurveTable* DriverEditor::curveTable(CurveKind kind) const {
    return tables_[static_cast<int>(kind)];
}

QLabel* DriverEditor::derivedValue(const char* name) const {
    const QString wanted = QString::fromLatin1(name);
    for (const auto& [n, label] : derived_) {
        if (n == wanted) {
            return label;
        }
    }
    return nullptr;
}

void DriverEditor::showDerived(const TChassis& c) {
    constexpr int kDerivedWidth = 7; // characters of a derived value's number text
    for (const DerivedRow& r : kDerivedRows) {
        if (QLabel* label = derivedValue(r.name)) {
            label->setText(fromLatin1(compactNumberText(kDerivedWidth, c.*r.field * r.factor)) +
                           fromUtf8(r.unit));
        }
    }
}

void DriverEditor::closeEvent(QCloseEvent* event) {
    emit closed();
    QWidget::closeEvent(event);
}

} // namespace sonora::ui

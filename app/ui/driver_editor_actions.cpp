// The driver editor's records and buttons: showing and storing the entries, the live derived
// values, the imports, the voice-coil fit, driver files and handing the result over.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <algorithm>

#include "app/ui/chart_view.h"
#include "app/ui/driver_editor_baffle.h"
#include "app/ui/driver_editor_curves.h"
#include "app/ui/driver_editor_directions.h"
#include "app/ui/driver_editor_window.h"
#include "app/ui/export_window.h"
#include "app/ui/file_dialogs.h"
#include "app/ui/number_field.h"
#include "app/ui/qt_text.h"
#include "engine/driver_model.h"
#include "engine/voice_coil_fit.h"
#include "measure/driver_import.h"
#include "storage/driver_file.h"
#include "storage/numbers.h"

namespace sonora::ui {

namespace {

constexpr int kCategoryBits = 21;     // bits 0..20 of TChassis::typ have a list entry
constexpr int kFirstSpecialPage = 1;  // pages from "Parameter" on are locked for special drivers
constexpr int kLastSpecialPage = 6;   // up to "F-Gang Richtungen"
constexpr int kMeasuredOnEntries = 5; // fgang_which 1..5 have an entry

// Index of the measured-curve tables.
int at(CurveKind k) {
    return static_cast<int>(k);
}

void setSliderValue(QSlider* s, int value) {
    // A stored position outside the usual range stays what it is.
    s->setRange(std::min(0, value), std::max(kDampingSliderMax, value));
    s->setValue(value);
}

QString tr8(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const char* const kLossFields[] = {"vV", "mb", "fmb", "Ql", "Qb", "Qk", "vVf", "Qbf", "Qkf"};

double TEinbau::*lossMember(int k) {
    static double TEinbau::*const members[] = {&TEinbau::vV,  &TEinbau::mb,  &TEinbau::fmb,
                                               &TEinbau::Ql,  &TEinbau::Qb,  &TEinbau::Qk,
                                               &TEinbau::vVf, &TEinbau::Qbf, &TEinbau::Qkf};
    return members[k];
}

} // namespace

void DriverEditor::readControls(const DriverRecords& r) const {
    TChassis& c = *r.chassis;
    TEinbau& e = *r.einbau;
    TSchallwand& s = *r.schallwand;
    c.name.assign(toLatin1(name_->text()));
    c.comment.assign(toLatin1(comment_->text()));
    if (special_->currentIndex() >= 0) {
        c.special = special_->currentData().toInt();
    }
    c.membranform = membrane_->currentIndex() >= 0 ? membrane_->currentIndex() : c.membranform;
    c.HintenGeschlossen = closedRear_->isChecked();
    std::uint32_t bits = c.typ & ~((std::uint32_t{1} << kCategoryBits) - 1);
    for (int k = 0; k < kCategoryBits; ++k) {
        if (categories_->item(k)->checkState() == Qt::Checked) {
            bits |= std::uint32_t{1} << k;
        }
    }
    c.typ = bits;
    c.useFGangA = useA_->isChecked();
    c.useFGangAP = useAP_->isChecked();
    c.useFGangA2fs = useA2fs_->isChecked();
    c.useFGangI = useI_->isChecked();
    c.useFGangIP = useIP_->isChecked();
    if (measuredOn_->currentIndex() >= 0) {
        c.fgang_which = static_cast<std::int16_t>(measuredOn_->currentIndex() + 1);
    }
    c._fu.assign(toLatin1(fu_->text()));
    c._fo.assign(toLatin1(fo_->text()));
    c._Da.assign(toLatin1(da_->text()));
    c._bnr.assign(toLatin1(bnr_->text()));
    const CurveTable* const* t = tables_;
    if (t[at(CurveKind::Level)]->changed()) {
        t[at(CurveKind::Level)]->store(c.fgangaf, c.fganga);
    }
    if (t[at(CurveKind::Phase)]->changed()) {
        t[at(CurveKind::Phase)]->store(c.fgangapf, c.fgangap);
    }
    if (t[at(CurveKind::Impedance)]->changed()) {
        t[at(CurveKind::Impedance)]->store(c.fgangif, c.fgangi);
    }
    if (t[at(CurveKind::ImpedancePhase)]->changed()) {
        t[at(CurveKind::ImpedancePhase)]->store(c.fgangipf, c.fgangip);
    }
    directions_->read(c.Richt);

    if (einbauTyp_->currentIndex() >= 0) {
        e.typ = einbauTyp_->currentIndex();
    }
    e.mbQExpl = explicitLosses_->isChecked();
    e.Bedv = static_cast<std::int8_t>(bedv_->value());
    e.Bedc = static_cast<std::int8_t>(bedc_->value());
    e.Bedk = static_cast<std::int8_t>(bedk_->value());
    e.Bedvf = static_cast<std::int8_t>(bedvf_->value());
    e.Bedkf = static_cast<std::int8_t>(bedkf_->value());

    s.beugl = edgeLeft_->isChecked();
    s.beugr = edgeRight_->isChecked();
    s.beugo = edgeTop_->isChecked();
    s.beugu = edgeBottom_->isChecked();
    s.usegemgeh = sharedCabinet_->isChecked();
    if (direction_->currentIndex() >= 0) {
        s.direction = static_cast<std::int8_t>(direction_->currentIndex());
    }
    if (directionRear_->currentIndex() >= 0) {
        s.directionr = static_cast<std::int8_t>(directionRear_->currentIndex());
    }
}

void DriverEditor::storeEntries(bool repair) {
    const QStringList replaced = entries_.store(records(), repair);
    readControls(records());
    if (repair && !replaced.isEmpty()) {
        prompt_.showMessage(NumberEntries::invalidEntryMessage(replaced));
    }
}

void DriverEditor::showRecords() {
    showing_ = true;
    const TChassis& c = *chassis_;
    const TEinbau& e = einbau_;
    const TSchallwand& s = schallwand_;
    entries_.show(records());
    name_->setText(fromLatin1(c.name.str()));
    comment_->setText(fromLatin1(c.comment.str()));
    special_->setCurrentIndex(special_->findData(c.special));
    membrane_->setCurrentIndex(
        c.membranform >= 0 && c.membranform < membrane_->count() ? c.membranform : -1);
    closedRear_->setChecked(c.HintenGeschlossen);
    for (int k = 0; k < kCategoryBits; ++k) {
        categories_->item(k)->setCheckState(((c.typ >> k) & 1U) != 0 ? Qt::Checked : Qt::Unchecked);
    }
    useA_->setChecked(c.useFGangA);
    useAP_->setChecked(c.useFGangAP);
    useA2fs_->setChecked(c.useFGangA2fs);
    useI_->setChecked(c.useFGangI);
    useIP_->setChecked(c.useFGangIP);
    // 6 to 8 have no entry: the choice stays empty and the value is kept.
    measuredOn_->setCurrentIndex(
        c.fgang_which >= 1 && c.fgang_which <= kMeasuredOnEntries ? c.fgang_which - 1 : -1);
    fu_->setText(fromLatin1(c._fu.str()));
    fo_->setText(fromLatin1(c._fo.str()));
    da_->setText(fromLatin1(c._Da.str()));
    bnr_->setText(fromLatin1(c._bnr.str()));

    einbauTyp_->setCurrentIndex(e.typ >= 0 && e.typ < einbauTyp_->count() ? e.typ : -1);
    explicitLosses_->setChecked(e.mbQExpl);
    setSliderValue(bedv_, e.Bedv);
    setSliderValue(bedc_, e.Bedc);
    setSliderValue(bedk_, e.Bedk);
    setSliderValue(bedvf_, e.Bedvf);
    setSliderValue(bedkf_, e.Bedkf);

    edgeLeft_->setChecked(s.beugl);
    edgeRight_->setChecked(s.beugr);
    edgeTop_->setChecked(s.beugo);
    edgeBottom_->setChecked(s.beugu);
    sharedCabinet_->setChecked(s.usegemgeh);
    direction_->setCurrentIndex(s.direction >= 0 && s.direction < direction_->count() ? s.direction
                                                                                      : -1);
    directionRear_->setCurrentIndex(
        s.directionr >= 0 && s.directionr < directionRear_->count() ? s.directionr : -1);
    showCurves();
    showing_ = false;
    refreshLive();
}

void DriverEditor::showCurves() {
    const TChassis& c = *chassis_;
    tables_[at(CurveKind::Level)]->fill(c.fgangaf, c.fganga);
    tables_[at(CurveKind::Phase)]->fill(c.fgangapf, c.fgangap);
    tables_[at(CurveKind::Impedance)]->fill(c.fgangif, c.fgangi);
    tables_[at(CurveKind::ImpedancePhase)]->fill(c.fgangipf, c.fgangip);
    directions_->show(c.Richt);
}

void DriverEditor::refreshLive() {
    if (showing_) {
        return;
    }
    // The values as typed, on a scratch copy: the records change only on storing.
    *scratch_ = *chassis_;
    scratchEinbau_ = einbau_;
    scratchBaffle_ = schallwand_;
    const DriverRecords scratch{scratch_.get(), &scratchEinbau_, &scratchBaffle_};
    entries_.store(scratch, false);
    readControls(scratch);
    TChassis& c = *scratch_;
    TEinbau& e = scratchEinbau_;
    deriveAsMounted(c, e);
    showDerived(c);
    // From the sliders the loss factors are computed; the fields show them.
    const bool explicitLosses = e.mbQExpl;
    for (int k = 0; k < static_cast<int>(std::size(kLossFields)); ++k) {
        if (NumberField* f = entries_.field(kLossFields[k])) {
            f->setEnabled(explicitLosses);
            if (!explicitLosses) {
                entries_.showOne(kLossFields[k], e.*lossMember(k));
            }
        }
    }
    const int typ = e.typ;
    const bool box = typ != kEinbauIntegriert;
    const bool ventedRear = typ == kEinbauBassreflex || typ == kEinbauBandpassBiv;
    const bool front = typ == kEinbauBandpass || typ == kEinbauBandpassBiv;
    const auto enable = [this](const char* name, bool on) {
        if (NumberField* f = entries_.field(name)) {
            f->setEnabled(on);
        }
    };
    enable("Vb", box);
    enable("fb", ventedRear);
    enable("Vbf", front);
    enable("fbf", front);
    bedv_->setEnabled(box && !explicitLosses);
    bedc_->setEnabled(box && !explicitLosses);
    bedk_->setEnabled(ventedRear && !explicitLosses);
    bedvf_->setEnabled(front && !explicitLosses);
    bedkf_->setEnabled(front && !explicitLosses);
    einbauTyp_->setEnabled(!closedRear_->isChecked());

    // Voltmeter and ammeter: only their level (the sensitivity entry) is theirs to edit.
    const bool special = c.special != kSpecialNone;
    for (int page = kFirstSpecialPage; page <= kLastSpecialPage; ++page) {
        pages_->widget(page)->setEnabled(!special);
    }
    for (QWidget* w : pages_->widget(kLastSpecialPage + 1)->findChildren<QLineEdit*>()) {
        w->setEnabled(!special || w->objectName() == QStringLiteral("_SPL"));
    }
    categories_->setEnabled(!special);
    membrane_->setEnabled(!special);
    closedRear_->setEnabled(!special);

    drawing_->setBaffle(scratchBaffle_);
    levelPlot_->setContent(measuredCurvesChart(c, false, workspace_.project().option));
    impedancePlot_->setContent(measuredCurvesChart(c, true, workspace_.project().option));
    directions_->showPlot(c.Richt, workspace_.project().option);
}

const TChassis& DriverEditor::editedChassis() {
    refreshLive();
    return *scratch_;
}
const TEinbau& DriverEditor::editedEinbau() {
    refreshLive();
    return scratchEinbau_;
}
const TSchallwand& DriverEditor::editedBaffle() {
    refreshLive();
    return scratchBaffle_;
}

void DriverEditor::apply() {
    storeEntries(true);
    deriveAsMounted(*chassis_, einbau_);
    workspace_.acceptDriver(driver_, *chassis_, einbau_, schallwand_);
    showRecords();
}

// ---- measured curves

bool DriverEditor::importFrequencyText(const std::string& file) {
    storeEntries(true);
    const ChooseFile choose = [this](const std::string& filter, std::string& name) {
        const QString chosen =
            openFileName(this, tr8("Frequenzgang importieren"),
                         fromUtf8(workspace_.environment().folders.drivers), qtNameFilter(filter));
        name = toUtf8(chosen);
        return !chosen.isEmpty();
    };
    const bool done = importFrequencyResponseForDriver(file, *chassis_, prompt_, choose);
    showRecords();
    return done;
}

bool DriverEditor::importImpedanceText(const std::string& file) {
    storeEntries(true);
    const ChooseFile choose = [this](const std::string& filter, std::string& name) {
        const QString chosen =
            openFileName(this, tr8("Impedanzgang importieren"),
                         fromUtf8(workspace_.environment().folders.drivers), qtNameFilter(filter));
        name = toUtf8(chosen);
        return !chosen.isEmpty();
    };
    TChassis& c = *chassis_;
    const bool done =
        Import_IGang_txt(file, c.fgangif, c.fgangi, c.fgangipf, c.fgangip, prompt_, choose);
    showRecords();
    return done;
}

bool DriverEditor::importLim(const std::string& file) {
    storeEntries(true);
    std::string message;
    const bool done = importLimForDriver(file, *chassis_, message);
    if (!done && !message.empty()) {
        prompt_.showMessage(message);
    }
    showRecords();
    return done;
}

bool DriverEditor::changeLevel() {
    storeEntries(true);
    const bool done = changeMeasuredLevel(*chassis_, prompt_);
    showRecords();
    return done;
}

void DriverEditor::chooseAndImportText(bool impedance) {
    // The core shows the help text and then asks for the file itself.
    if (impedance) {
        importImpedanceText({});
    } else {
        importFrequencyText({});
    }
}

void DriverEditor::chooseAndImportLim() {
    const QString file =
        runFileDialog(this, {FileDialogMode::Open, tr8(".lim-Datei aus Limp importieren"),
                             fromUtf8(workspace_.environment().folders.drivers),
                             qtNameFilter("*.lim|*.lim|*.*|*.*"), QStringLiteral("lim"), true});
    if (!file.isEmpty()) {
        importLim(toUtf8(file));
    }
}

// ---- voice coil

bool DriverEditor::fitVoiceCoil() {
    storeEntries(true);
    const bool taken = offerVoiceCoilFit(*chassis_, prompt_);
    showRecords();
    return taken;
}

// ---- driver files

bool DriverEditor::loadDriverFile(const std::string& file) {
    storeEntries(true);
    const bool done = loadDriverIntoEditor(*chassis_, einbau_.typ, schallwand_, file, prompt_,
                                           fitVoiceCoilOfOldFile);
    if (done) {
        deriveAsMounted(*chassis_, einbau_);
    }
    showRecords();
    return done;
}

bool DriverEditor::saveDriverFile(const std::string& dialogName) {
    storeEntries(true);
    deriveAsMounted(*chassis_, einbau_);
    // Saved by the user: no maker mark.
    const bool done = saveDriver(*chassis_, driverFileName(dialogName), "", prompt_);
    showRecords();
    return done;
}

void DriverEditor::chooseAndLoad() {
    const QString file =
        openFileName(this, tr8("Chassis laden"), fromUtf8(workspace_.environment().folders.drivers),
                     qtNameFilter(kDriverFileFilter));
    if (!file.isEmpty()) {
        loadDriverFile(toUtf8(file));
    }
}

void DriverEditor::chooseAndSave() {
    const QString start = fromUtf8(workspace_.environment().folders.drivers) +
                          fromLatin1(chassis_->name.str()) + QString::fromLatin1(kDriverExtension);
    const QString file =
        saveFileName(this, tr8("Chassis speichern"), start, qtNameFilter(kDriverFileFilter));
    if (!file.isEmpty()) {
        saveDriverFile(toUtf8(file));
    }
}

} // namespace sonora::ui

#include "app/shell/menu_state.h"

#include <algorithm>
#include <string_view>

#include "model/units.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {
namespace {

std::string windowEntryText(EditorKind kind, const EditorFlags& e) {
    switch (kind) {
    case EditorKind::Chassis:
        return "Chassis-Editor (Chassis " + std::to_string(e.chassis + 1) + ")";
    case EditorKind::Weiche:
        return "Weicheneditor (Verstärker " + std::to_string(e.weiche + 1) + ")";
    case EditorKind::Aktfilter:
        return "Aktive Filter (Verstärker " + std::to_string(e.aktfilter + 1) + ")";
    case EditorKind::GemGeh:
        return "Gemeinsames Außengehäuse";
    case EditorKind::Optimizer:
        return "Optimierung";
    }
    return {};
}

} // namespace

bool EditorFlags::isOpen(EditorKind kind) const {
    switch (kind) {
    case EditorKind::Chassis:
        return CHEditorOpen;
    case EditorKind::Weiche:
        return WEEditorOpen;
    case EditorKind::Aktfilter:
        return AFEditorOpen;
    case EditorKind::GemGeh:
        return GemGehEditorOpen;
    case EditorKind::Optimizer:
        return OptimizerOpen;
    }
    return false;
}

std::string driverChoiceText(const TProjekt& project, int driver) {
    const std::string_view name = project.chassis[driver].name.view();
    return "Chassis " + std::to_string(driver + 1) +
           (name.empty() ? std::string() : ": " + latin1ToUtf8(name));
}

std::string driverMenuText(const TProjekt& project, int driver) {
    std::string text = "Chassis &" + std::to_string(driver + 1) + ": " +
                       latin1ToUtf8(project.chassis[driver].name.view());
    const TEinbau& e = project.einbau[driver];
    const std::string litres =
        compactNumberText(kDriverMenuVolumeWidth, e.Vb * kLitresPerCubicMetre);
    if (e.typ == kEinbauGeschlossen) {
        text += " in " + litres + "l geschl.";
    } else if (e.typ == kEinbauBassreflex) {
        text += " in " + litres + "l Bassref.";
    }
    return text;
}

std::string undoCaption(const std::string& label) {
    const std::string caption = "Rückgängig";
    return label.empty() ? caption : caption + " \"" + label + "\"";
}

MenuState computeMenuState(const MenuInputs& in) {
    MenuState m;
    const EditorFlags& e = in.editors;
    m.fileMenu = !e.anyOpen();
    m.acceptDrops = !e.anyOpen();
    m.editMenus = !e.OptimizerOpen;
    m.ampEntries = std::clamp<int>(in.project.nAmps, 0, kMaxAmps);
    m.ampMenus = !e.OptimizerOpen && m.ampEntries > 0;
    const int nChassis = std::clamp<int>(in.project.nChassis, 0, kMaxChassis);
    for (int n = 0; n < nChassis; ++n) {
        m.driverEntries.push_back(driverMenuText(in.project, n));
    }
    const int nRecent = std::clamp(in.history.nFiles, 0, kMaxRecentMenuEntries);
    for (int k = 0; k < nRecent; ++k) {
        m.recent.push_back({"History " + std::to_string(k + 1), in.history.shortnames[k],
                            in.history.filenames[k]});
    }
    m.undoEnabled = !in.undoLabel.empty();
    m.undoCaption = undoCaption(in.undoLabel);
    m.referenceCommands = in.referenceValid;
    m.windowMenu = e.anyOpen();
    for (EditorKind kind : {EditorKind::Chassis, EditorKind::Weiche, EditorKind::Aktfilter,
                            EditorKind::GemGeh, EditorKind::Optimizer}) {
        if (e.isOpen(kind)) {
            m.windowEntries.push_back({kind, windowEntryText(kind, e)});
        }
    }
    return m;
}

} // namespace sonora

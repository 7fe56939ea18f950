#include "app/shell/crossover_editor_mouse.h"

namespace sonora {

namespace {
constexpr int kDecimal = 10;
constexpr int kShiftOffset = 2; // Shift moves a button's digit two places up
constexpr int kCtrlOffset = 4;  // Ctrl four places
} // namespace

int combinationPosition(MouseButton button, MouseModifiers modifiers) {
    if (modifiers.shift && modifiers.ctrl) {
        return 0;
    }
    int position = button == MouseButton::Left ? 1 : 2;
    if (modifiers.shift) {
        position += kShiftOffset;
    } else if (modifiers.ctrl) {
        position += kCtrlOffset;
    }
    return position;
}

namespace {

EditorAction digitAction(std::int32_t code, int position) {
    if (code < 0 || position < 1 || position > kMouseCombinations) {
        return EditorAction::None;
    }
    for (int k = 1; k < position; ++k) {
        code /= kDecimal;
    }
    const int digit = code % kDecimal;
    if (digit < 1 || digit > kEditorActions) {
        return EditorAction::None;
    }
    return static_cast<EditorAction>(digit);
}

} // namespace

EditorAction actionFor(std::int32_t code, MouseButton button, MouseModifiers modifiers) {
    return digitAction(code, combinationPosition(button, modifiers));
}

std::string editorActionCaption(EditorAction action) {
    switch (action) {
    case EditorAction::MakeWire:
        return "Draht erzeugen";
    case EditorAction::Delete:
        return "Bauteil löschen";
    case EditorAction::Edit:
        return "Bauteil editieren";
    case EditorAction::ReversePolarity:
        return "Bauteil umpolen";
    case EditorAction::ToggleOptimization:
        return "Optimierung an/aus";
    case EditorAction::None:
        break;
    }
    return "keine Aktion";
}

std::string combinationCaption(int position) {
    switch (position) {
    case 1:
        return "linke Maustaste";
    case 2:
        return "rechte Maustaste";
    case 3:
        return "Shift + linke Maustaste";
    case 4:
        return "Shift + rechte Maustaste";
    case 5:
        return "Strg + linke Maustaste";
    case 6:
        return "Strg + rechte Maustaste";
    default:
        return {};
    }
}

MouseAssignment mouseAssignmentOf(std::int32_t code) {
    MouseAssignment a;
    for (int position = 1; position <= kMouseCombinations; ++position) {
        a.actions[position - 1] = digitAction(code, position);
    }
    return a;
}

std::int32_t mouseCodeOf(const MouseAssignment& assignment) {
    std::int32_t code = 0;
    std::int32_t weight = 1;
    for (EditorAction action : assignment.actions) {
        code += static_cast<std::int32_t>(action) * weight;
        weight *= kDecimal;
    }
    return code;
}

} // namespace sonora

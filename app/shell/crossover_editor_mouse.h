// The crossover editor's mouse assignment: which editing action each combination of button and
// modifier triggers, read from the six-digit code stored as "TBWEopti", and the key-assignment
// dialog that builds a new code.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sonora {

enum class MouseButton { Left, Right };

struct MouseModifiers {
    bool shift = false;
    bool ctrl = false;
};

// The actions, numbered as the code's digits name them.
enum class EditorAction {
    None = 0,
    MakeWire = 1,           // "Draht erzeugen"
    Delete = 2,             // "Bauteil löschen"
    Edit = 3,               // "Bauteil editieren"
    ReversePolarity = 4,    // "Bauteil umpolen"
    ToggleOptimization = 5, // "Optimierung an/aus"
};

inline constexpr int kMouseCombinations = 6;
inline constexpr int kEditorActions = 5; // actions 1..5

// Position of the combination's digit, counted from the right from 1: left 1, right 2,
// Shift + left 3, Shift + right 4, Ctrl + left 5, Ctrl + right 6. Shift and Ctrl together are
// no combination of the code: 0.
int combinationPosition(MouseButton button, MouseModifiers modifiers);

// The action of the combination under `code`; a digit outside 1..5, a negative code or a
// combination without a position give None.
EditorAction actionFor(std::int32_t code, MouseButton button, MouseModifiers modifiers);

// Caption of an action (UTF-8); None gives "keine Aktion".
std::string editorActionCaption(EditorAction action);

// Caption of a combination by position 1..6 (UTF-8), as the key-assignment dialog lists them.
std::string combinationCaption(int position);

// The key-assignment dialog: the chosen action of each combination, index = position - 1.
struct MouseAssignment {
    std::array<EditorAction, kMouseCombinations> actions{};
};

// The dialog's start values: each digit of `code`; digits outside 1..5 show as no action.
MouseAssignment mouseAssignmentOf(std::int32_t code);

// On OK: the sum of each choice's digit times 10 to the power of its position minus 1.
std::int32_t mouseCodeOf(const MouseAssignment& assignment);

} // namespace sonora

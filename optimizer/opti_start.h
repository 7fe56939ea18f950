// The checks before an optimizer run starts, with their German messages and questions.
#pragma once

#include <functional>

#include "engine/calc_thread.h"
#include "model/records.h"
#include "model/user_prompt.h"

namespace sonora {

// The question when nothing is marked (UTF-8); its answers are NoMarkAnswer.
inline constexpr char kNoMarksQuestion[] =
    "Es wurden keine Bauteile zur Optimierung markiert. Was soll geschehen?";
enum NoMarkAnswer { kMarkResistors = 1, kMarkAllParts = 2, kMarkMyself = 3 };

// Steps 1 to 5 of a start, on the main thread: waits for the user while the interactive run is in
// progress, refuses while the optimizer runs, offers to remember the project as reference
// (`rememberReference`), lets the user mark all resistors or all parts when nothing is marked
// (changing `project`), and checks Sd, xlin and Pmax of every driver. True when the run may start.
bool optimizerStartChecks(TProjekt& project, const TCalcThread& interactive, bool optimizerRunning,
                          UserPrompt& prompt, const std::function<void()>& rememberReference);
// The same with the interactive run's state as a question (a front without an interactive object
// passes one that answers false).
bool optimizerStartChecks(TProjekt& project, const std::function<bool()>& interactiveRunning,
                          bool optimizerRunning, UserPrompt& prompt,
                          const std::function<void()>& rememberReference);

// Marks every resistor (onlyResistors) or every resistor, capacitor and coil of amplifiers
// 0 .. nAmps-1 for the optimizer.
void markAllParts(TProjekt& project, bool onlyResistors);

} // namespace sonora

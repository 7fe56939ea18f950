#include "optimizer/opti_start.h"

#include <algorithm>
#include <string>

#include "optimizer/opti_values.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

enum RetryAnswer { kRetry = 1, kGiveUp = 2 };
enum YesNo { kYes = 1, kNo = 2 };

void say(UserPrompt& prompt, const char* utf8) {
    prompt.showMessage(utf8ToLatin1(utf8));
}

int ask(UserPrompt& prompt, const char* utf8, const char* buttonsUtf8, int defaultButton) {
    return prompt.choose(utf8ToLatin1(utf8), utf8ToLatin1(buttonsUtf8), defaultButton);
}

// Asks until something is marked (after each answer the marks are counted again); false when the
// user marks the parts himself or there is nothing to mark.
bool somethingMarked(TProjekt& project, UserPrompt& prompt) {
    for (;;) {
        const OptiMarkCount c = countOptiMarks(project);
        if (c.marked > 0) {
            return true;
        }
        // Gains can always be marked, so only crossover parts decide whether there is anything
        // the questions below could mark.
        if (c.markableParts == 0) {
            say(prompt, project.nAmps == 1
                            ? "Kein Bauteil zum Optimieren in der Weiche vorhanden."
                            : "Kein Bauteil zum Optimieren in den Weichen vorhanden.");
            return false;
        }
        const int answer =
            ask(prompt, kNoMarksQuestion,
                "alle Widerstände markieren|alle Bauteile markieren|Bauteile im Weicheneditor "
                "selbst markieren",
                kMarkMyself);
        if (answer == kMarkResistors) {
            markAllParts(project, true);
        } else if (answer == kMarkAllParts) {
            markAllParts(project, false);
        } else {
            return false;
        }
    }
}

} // namespace

void markAllParts(TProjekt& project, bool onlyResistors) {
    for (int w = 0; w < std::clamp<int>(project.nAmps, 0, kMaxAmps); ++w) {
        for (int slot = 0; slot < kUsedPartSlots; ++slot) {
            TPart& part = project.amp[w].weiche[slot];
            if (onlyResistors ? part.typ == kPartResistor : isOptimisablePart(part.typ)) {
                part.bOptimize = true;
            }
        }
    }
}

bool optimizerStartChecks(TProjekt& project, const TCalcThread& interactive, bool optimizerRunning,
                          UserPrompt& prompt, const std::function<void()>& rememberReference) {
    return optimizerStartChecks(
        project, [&interactive] { return interactive.isRunning(); }, optimizerRunning, prompt,
        rememberReference);
}

bool optimizerStartChecks(TProjekt& project, const std::function<bool()>& interactiveRunning,
                          bool optimizerRunning, UserPrompt& prompt,
                          const std::function<void()>& rememberReference) {
    while (interactiveRunning && interactiveRunning()) {
        if (ask(prompt, "Rechnung muss erst beendet sein.", "&nochmal versuchen|abbrechen",
                kGiveUp) != kRetry) {
            return false;
        }
    }
    if (optimizerRunning) {
        say(prompt, "Optimierung läuft bereits.");
        return false;
    }
    if (ask(prompt, "Soll Projekt vorher als Referenzprojekt gespeichert werden?", "&Ja|&Nein",
            kNo) == kYes &&
        rememberReference) {
        rememberReference();
    }
    if (!somethingMarked(project, prompt)) {
        return false;
    }
    for (int n = 0; n < std::clamp<int>(project.nChassis, 0, kMaxChassis); ++n) {
        const TChassis& c = project.chassis[n];
        if (!(c.Sd > 0 && c.xlin > 0 && c.Pmax > 0)) {
            prompt.showMessage("Chassis " + std::to_string(n + 1) + ":\r" +
                               utf8ToLatin1("Sd, xlin und Pmax müssen > 0 sein."));
            return false;
        }
    }
    return true;
}

} // namespace sonora

// The shipped example projects computed as the window computes them, without pauses, for the
// tests of what is computed from a finished result.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/driver_model.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/project_file.h"

namespace sonora::test {

// Reads the shipped example `name` ("Zweiwege geschlossen") and computes it completely. Null, after
// a test failure, when the file does not read or the result is not valid.
inline std::unique_ptr<TResult> computeExample(const std::string& name) {
    auto project = std::make_unique<TProjekt>();
    initDefaultProjekt(*project);
    ScriptedPrompt prompt;
    const std::string path = std::string(SONORA_EXAMPLES_DIR) + "/Projekte/" + name + ".LSP";
    if (readProjectFile(*project, path, true, prompt) != ProjectReadStatus::Ok) {
        ADD_FAILURE() << "cannot read " << path;
        return nullptr;
    }
    recomputeDerivedDriverValues(*project);
    TFormRechnen form;
    TCalcThread::Options co;
    co.pause = std::chrono::milliseconds(0);
    co.lowerPriority = false;
    co.listener = &form;
    TCalcThread calc(co);
    form.attach(&calc);
    form.CalcAllNew(*project);
    if (!calc.waitUntilIdle(std::chrono::seconds(300)) || !form.result || !form.result->valid) {
        ADD_FAILURE() << name << " did not compute to a valid result";
        return nullptr;
    }
    return std::move(form.result);
}

} // namespace sonora::test

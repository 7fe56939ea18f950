// Projects and file images for the tests of damaged files and interrupted saves.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/my_ini_file.h"
#include "storage/project_file.h"

namespace sonora::test {

// Six amplifiers and 32 drivers, each driver with a name and a resonance of its own; `variant`
// makes two such projects differ in every driver.
inline std::unique_ptr<TProjekt> thirtyTwoDriverProject(int variant) {
    auto p = std::make_unique<TProjekt>();
    initDefaultProjekt(*p);
    p->nAmps = kMaxAmps;
    p->nChassis = kMaxChassis;
    for (int n = 0; n < kMaxChassis; ++n) {
        p->chassis[n].name.assign("Treiber " + std::to_string(variant) + "-" + std::to_string(n));
        p->chassis[n].fs = 20.0 + n + 0.5 * variant;
    }
    p->amp[0].aktfilter.pegel = 1.0 + variant;
    p->comment1.assign("Variante " + std::to_string(variant));
    return p;
}

inline std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The project in the older scrambled line form, which only older programs wrote: the plain file's
// sections rewritten key for key.
inline void writeScrambledProject(const TProjekt& project, const std::string& path) {
    ScriptedPrompt prompt;
    const std::string plain = path + ".plain";
    writeProjectFile(project, plain, false, prompt);
    TMyIniFile source(plain, true, false, false, false);
    TMyIniFile target(path, false, true, true, false);
    target.replaceAllSections(source.allSections());
    target.save();
    std::remove(plain.c_str());
}

} // namespace sonora::test

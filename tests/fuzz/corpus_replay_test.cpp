// Replays the minimised corpora of the libFuzzer programs (tests/fuzz/corpus/<target>/) through
// their targets: every input that once found a fault, and every input that reached new code, is
// run again with every test run. A crash, a trap of a target's own checks or a sanitizer report
// (in the ASan build) fails it.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fuzz/fuzz_targets.h"

namespace sonora::fuzz {
namespace {

using TargetFunction = void (*)(const std::uint8_t*, std::size_t);

struct ReplayTarget {
    const char* name;
    TargetFunction run;
};

const ReplayTarget kTargets[] = {
    {"iniPlain", iniPlain},
    {"iniScrambled", iniScrambled},
    {"iniCompressed", iniCompressed},
    {"compandExpand", compandExpand},
    {"textImportFrequency", textImportFrequency},
    {"textImportImpedance", textImportImpedance},
    {"limFile", limFile},
    {"pirFile", pirFile},
    {"comparisonCurve", comparisonCurve},
    {"partLibrary", partLibrary},
    {"wholeProject", wholeProject},
};

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CorpusReplay : public ::testing::TestWithParam<ReplayTarget> {};

TEST_P(CorpusReplay, EveryInputOfTheCorpusRunsCleanly) {
    const std::filesystem::path folder =
        std::filesystem::path(SONORA_FUZZ_CORPUS_DIR) / GetParam().name;
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    // A corpus is kept small; an empty one means the target is not replayed at all.
    ASSERT_FALSE(files.empty()) << folder;
    EXPECT_LE(files.size(), 600u) << folder;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::vector<std::uint8_t> bytes = fileBytes(file);
        EXPECT_LE(bytes.size(), 64u * 1024u) << "keep corpus files small";
        GetParam().run(bytes.data(), bytes.size());
    }
}

std::string targetName(const ::testing::TestParamInfo<ReplayTarget>& target) {
    return target.param.name;
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, ::testing::ValuesIn(kTargets), targetName);

} // namespace
} // namespace sonora::fuzz

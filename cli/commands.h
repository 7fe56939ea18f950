// The commands of sonora-cli. Each takes the arguments after its name and returns the exit code.
#pragma once

#include <string>
#include <vector>

namespace sonora::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; // the calculation ran, a stage failed
inline constexpr int kExitUsage = 2;  // usage, file or format errors

using Args = std::vector<std::string>;

int runCalc(const Args& args);
int runInfo(const Args& args);
int runConvert(const Args& args);
int runImport(const Args& args);
int runPir(const Args& args);
int runCalculator(const Args& args);
int runOptimize(const Args& args);
int runCrossings(const Args& args);
int runDirectivity(const Args& args);
int runSpinorama(const Args& args);
int runFrd(const Args& args);
int runImpulse(const Args& args);
int runTolerance(const Args& args);

void printUsage(std::FILE* out);

} // namespace sonora::cli

// The command line as a whole process: `sonora-cli calc` on the three-way example with its export,
// started and waited for like a shell does. Reports the process's CPU time (user + system) and its
// peak resident memory, which a timer inside the program cannot see (start-up, page faults of the
// result record, exit).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

constexpr double kMicro = 1e-6;
constexpr double kKibPerMib = 1024.0;

struct ProcessCost {
    bool ok = false;
    double cpuSeconds = 0;
    double peakMib = 0;
};

ProcessCost runCli(const std::string& project, const std::string& exportFile) {
    const pid_t child = fork();
    if (child < 0) {
        return {};
    }
    if (child == 0) {
        execl(SONORA_CLI, SONORA_CLI, "calc", project.c_str(), "--export", exportFile.c_str(),
              "--quiet", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        return {};
    }
    ProcessCost cost;
    cost.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    cost.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      kMicro * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    cost.peakMib = static_cast<double>(usage.ru_maxrss) / kKibPerMib; // ru_maxrss is in KiB
    return cost;
}

void BM_CliCalcThreeWayProcess(benchmark::State& state) {
    const std::string project =
        std::string(SONORA_EXAMPLES_DIR) + "/Projekte/Dreiwege Bassreflex.LSP";
    const std::string exportFile = "/tmp/sonora-cli-bench-" + std::to_string(getpid()) + ".txt";
    double cpu = 0;
    double peak = 0;
    for (auto _ : state) {
        const ProcessCost cost = runCli(project, exportFile);
        if (!cost.ok) {
            state.SkipWithError("sonora-cli calc did not end with exit code 0");
            break;
        }
        cpu += cost.cpuSeconds;
        peak = cost.peakMib > peak ? cost.peakMib : peak;
    }
    std::remove(exportFile.c_str());
    if (state.iterations() > 0) {
        state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
    }
    state.counters["peak_MiB"] = peak;
}
BENCHMARK(BM_CliCalcThreeWayProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

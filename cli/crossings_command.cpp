// sonora-cli trennfrequenzen: compute a project completely and list where the summed on-axis
// level of one group of drivers crosses that of a second group, as the finder window does.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "analysis/crossover_finder.h"
#include "cli/commands.h"
#include "cli/project_loading.h"
#include "cli/terminal_prompt.h"

namespace sonora::cli {

namespace {

struct CrossingsOptions {
    std::string project;
    std::string group1; // comma list of driver numbers from 1
    std::string group2;
    bool haveGroup1 = false;
    bool haveGroup2 = false;
};

bool parseCrossingsOptions(const Args& args, CrossingsOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--gruppe1" || a == "--gruppe2") && i + 1 < args.size()) {
            const bool first = a == "--gruppe1";
            (first ? o.group1 : o.group2) = args[++i];
            (first ? o.haveGroup1 : o.haveGroup2) = true;
        } else if (!a.empty() && a[0] != '-' && o.project.empty()) {
            o.project = a;
        } else {
            std::fprintf(stderr, "Unbekannte Option: %s\n\n", a.c_str());
            return false;
        }
    }
    if (!o.project.empty() && (!o.haveGroup1 || !o.haveGroup2)) {
        std::fprintf(stderr, "Es fehlt %s.\n\n", o.haveGroup1 ? "--gruppe2" : "--gruppe1");
        return false;
    }
    return !o.project.empty();
}

// Reads "1,2,5" into `group`. An empty list is an empty group. False, with a message, for an item
// that is not a number or a number outside 1 .. nChassis.
bool parseGroup(const std::string& list, const char* option, int nChassis, ChassisGroup& group) {
    group.fill(false);
    if (list.empty()) {
        return true;
    }
    std::size_t pos = 0;
    while (pos <= list.size()) {
        std::size_t end = list.find(',', pos);
        if (end == std::string::npos) {
            end = list.size();
        }
        const std::string item = list.substr(pos, end - pos);
        // At most two digits: there are never more than 32 drivers.
        const bool digits = !item.empty() && item.size() <= 2 &&
                            item.find_first_not_of("0123456789") == std::string::npos;
        if (!digits) {
            std::fprintf(stderr, "%s: \"%s\" ist keine Chassisnummer.\n", option, item.c_str());
            return false;
        }
        const int number = std::stoi(item);
        if (number < 1 || number > nChassis) {
            std::fprintf(stderr, "%s: Chassis %d gibt es nicht, das Projekt hat %d Chassis.\n",
                         option, number, nChassis);
            return false;
        }
        group[number - 1] = true;
        pos = end + 1;
    }
    return true;
}

} // namespace

int runCrossings(const Args& args) {
    CrossingsOptions o;
    if (!parseCrossingsOptions(args, o)) {
        printUsage(stderr);
        return kExitUsage;
    }
    const std::unique_ptr<TProjekt> project = readCommandProject(o.project);
    if (!project) {
        return kExitUsage;
    }
    // Clamped so that a damaged count can never index past the group arrays.
    const int nChassis = std::clamp<int>(project->nChassis, 0, kMaxChassis);
    ChassisGroup group1{};
    ChassisGroup group2{};
    if (!parseGroup(o.group1, "--gruppe1", nChassis, group1) ||
        !parseGroup(o.group2, "--gruppe2", nChassis, group2)) {
        return kExitUsage;
    }
    for (int b = 0; b < kMaxChassis; ++b) {
        if (group1[b] && group2[b]) {
            // The finder's check lists never allow this: ticking a driver in one clears the other.
            std::fprintf(stderr, "Chassis %d kann nicht in beiden Gruppen sein.\n", b + 1);
            return kExitUsage;
        }
    }

    ProjectRun run;
    if (!run.run(*project)) {
        return kExitFailed;
    }
    // The finder reads the main window's result, which only a run without errors provides.
    if (!run.valid()) {
        run.reportFailure();
        return kExitFailed;
    }
    for (const std::string& line : crossingLines(run.result(), group1, group2)) {
        std::printf("%s\n", terminalText(line).c_str());
    }
    return kExitOk;
}

} // namespace sonora::cli

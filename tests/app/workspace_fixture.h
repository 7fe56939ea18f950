// Test rig of the workspace tests: a fake calculation run, a recording window and a temporary
// data folder with the program's folders.
#pragma once

#include "app/shell/workspace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace sonora::test {

class FakeCalc : public CalcRequests {
public:
    int calcNewCount = 0;
    int calcAllNewCount = 0;
    int terminated = 0;
    int busyWaits = 0; // waitFinished answers false this many times, then true
    std::vector<std::chrono::milliseconds> waits;

    void calcNew(const TProjekt&) override { ++calcNewCount; }
    void calcAllNew(const TProjekt&) override { ++calcAllNewCount; }
    bool waitFinished(std::chrono::milliseconds timeout) override {
        waits.push_back(timeout);
        if (busyWaits > 0) {
            --busyWaits;
            return false;
        }
        return true;
    }
    void terminateThreads() override { ++terminated; }
};

class FakeView : public WorkspaceView {
public:
    std::string title;
    MenuState menus;
    int redraws = 0;
    std::vector<ComparisonCharts> remembered;
    int cleared = 0;
    std::vector<EditorSet> closed;
    std::vector<EditorKind> fronted;
    int quickGuides = 0;
    int propertiesDialogs = 0;
    std::string saveName; // answer of askSaveFileName
    std::vector<std::string> instances;
    std::vector<std::string> programs; // program + " " + argument + " in " + folder

    void setTitle(const std::string& t) override { title = t; }
    void updateMenus(const MenuState& m) override { menus = m; }
    void redrawCharts() override { ++redraws; }
    void rememberComparison(ComparisonCharts c) override { remembered.push_back(c); }
    void clearComparison() override { ++cleared; }
    void closeEditors(const EditorSet& e) override { closed.push_back(e); }
    void bringEditorToFront(EditorKind e) override { fronted.push_back(e); }
    void showQuickGuide() override { ++quickGuides; }
    void openProjectProperties() override { ++propertiesDialogs; }
    std::string askSaveFileName() override { return saveName; }
    void startInstance(const std::string& file) override { instances.push_back(file); }
    void startProgram(const std::string& program, const std::string& argument,
                      const std::string& folder) override {
        programs.push_back(program + " " + argument + " in " + folder);
    }
};

class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        dir = fs::temp_directory_path() /
              ("sonora_ws_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "base" / "Projekte");
        fs::create_directories(dir / "base" / "Chassis");
        fs::create_directories(dir / "tmp");
        env.folders = deriveFolders((dir / "home").string() + "/", (dir / "base").string() + "/");
        makeWorkspace();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    void makeWorkspace() {
        ws = std::make_unique<Workspace>(prompt, calc, view, env,
                                         WorkspacePaths{path("base"), path("tmp") + "/"});
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    void writeText(const std::string& file, const std::string& text) const {
        std::ofstream(file, std::ios::binary) << text;
    }
    // A change through the workspace: the level of amplifier 1 set to `pegel`.
    void changeLevel(double pegel) {
        TAktfilter a = ws->project().amp[0].aktfilter;
        a.pegel = pegel;
        ws->acceptActiveFilter(0, a);
    }
    static bool sameBytes(const TProjekt& a, const TProjekt& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }

    std::filesystem::path dir;
    ProgramEnvironment env;
    ScriptedPrompt prompt;
    FakeCalc calc;
    FakeView view;
    std::unique_ptr<Workspace> ws;
};

} // namespace sonora::test

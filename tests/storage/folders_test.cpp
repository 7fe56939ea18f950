#include "storage/folders.h"

#include "storage/latin1.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

namespace sonora {
namespace {

namespace fs = std::filesystem;

bool neverWritable(const std::string&) {
    return false;
}

std::string contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class Folders : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_folders_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "prog");
        fs::create_directories(dir / "home");
        base.programFolder = (dir / "prog").string();
        base.appDataFolder = (dir / "home").string() + "/";
        home = base.appDataFolder;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    BaseFolders base;
    std::string home;
};

TEST_F(Folders, DerivedFoldersCarryTheGermanNames) {
    const FolderPaths f = deriveFolders("/h/", "/b/");
    EXPECT_EQ(f.home, "/h/");
    EXPECT_EQ(f.base, "/b/");
    EXPECT_EQ(f.drivers, "/b/Chassis/");
    EXPECT_EQ(f.parts, "/b/Weichenbauteile/");
    EXPECT_EQ(f.projects, "/b/Projekte/");
    EXPECT_EQ(f.reports, "/b/Reports/");
    EXPECT_EQ(f.publications, "/b/Publikationen/");
    EXPECT_EQ(f.kits, "/b/Bausätze/");
    EXPECT_EQ(f.settingsFile, "/b/Sonora.ini");
    EXPECT_EQ(withTrailingSeparator("/x"), "/x/");
    EXPECT_EQ(withTrailingSeparator("/x/"), "/x/");
    EXPECT_EQ(withTrailingSeparator(""), "");
}

TEST_F(Folders, WritableProgramFolderHoldsTheData) {
    // A test file of an earlier run is skipped, not touched.
    std::ofstream(dir / "prog" / "Tempfile0.temp") << "old";
    ScriptedPrompt prompt;
    const FolderPaths f = locateFolders(base, prompt);
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(f.base, base.programFolder + "/");
    EXPECT_EQ(f.home, home);
    EXPECT_EQ(f.settingsFile, base.programFolder + "/Sonora.ini");
    EXPECT_EQ(contents(dir / "prog" / "Tempfile0.temp"), "old");
    EXPECT_FALSE(fs::exists(dir / "prog" / "Tempfile1.temp"));
    EXPECT_FALSE(fs::exists(dir / "home" / "Sonora"));
}

TEST_F(Folders, WritabilityTestFailsWithoutAFolder) {
    EXPECT_TRUE(isFolderWritable(dir.string()));
    EXPECT_FALSE(isFolderWritable((dir / "missing").string()));
    std::ofstream(dir / "file") << "x";
    EXPECT_FALSE(isFolderWritable((dir / "file").string()));
}

TEST_F(Folders, ReadOnlyProgramFolderMovesTheDataAndOffersToCopy) {
    base.isWritable = neverWritable;
    fs::create_directories(dir / "prog" / "Chassis");
    fs::create_directories(dir / "prog" / "Projekte");
    std::ofstream(dir / "prog" / "Chassis" / "HT.LSC") << "treiber";
    std::ofstream(dir / "prog" / "Projekte" / "Default.LSP") << "projekt";
    ScriptedPrompt prompt;
    prompt.choices = {1}; // "Ja"
    const FolderPaths f = locateFolders(base, prompt);
    EXPECT_EQ(f.base, home + "Sonora/");
    EXPECT_EQ(f.drivers, home + "Sonora/Chassis/");
    for (const char* sub : {"Chassis", "Weichenbauteile", "Projekte"}) {
        EXPECT_TRUE(fs::is_directory(dir / "home" / "Sonora" / sub)) << sub;
    }
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0], "Verzeichnis " + home + "Sonora wurde erstellt.");
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0],
              utf8ToLatin1("Sonora kann im Programmverzeichnis nicht schreiben. Das ist normal, "
                           "wenn Sonora im Windows-Programmverzeichnis installiert wurde oder von "
                           "einem schreibgeschützten Medium läuft.\r\nSollen Chassisdaten und "
                           "Weichenbauteile nach ") +
                  home + "Sonora kopiert werden?");
    EXPECT_EQ(contents(dir / "home" / "Sonora" / "Chassis" / "HT.LSC"), "treiber");
    EXPECT_EQ(contents(dir / "home" / "Sonora" / "Projekte" / "Default.LSP"), "projekt");

    // The folder exists now: no message, no question, and a changed copy is not overwritten.
    std::ofstream(dir / "home" / "Sonora" / "Chassis" / "HT.LSC") << "geändert";
    ScriptedPrompt again;
    EXPECT_EQ(locateFolders(base, again), f);
    EXPECT_TRUE(again.messages.empty());
    EXPECT_TRUE(again.questions.empty());
    EXPECT_EQ(contents(dir / "home" / "Sonora" / "Chassis" / "HT.LSC"), "geändert");
}

TEST_F(Folders, DeclinedCopyCopiesNothing) {
    base.isWritable = neverWritable;
    fs::create_directories(dir / "prog" / "Chassis");
    std::ofstream(dir / "prog" / "Chassis" / "HT.LSC") << "treiber";
    ScriptedPrompt prompt;
    prompt.choices = {2}; // "Nein"
    locateFolders(base, prompt);
    EXPECT_EQ(prompt.questions.size(), 1u);
    EXPECT_TRUE(fs::is_directory(dir / "home" / "Sonora" / "Chassis"));
    EXPECT_FALSE(fs::exists(dir / "home" / "Sonora" / "Chassis" / "HT.LSC"));
}

TEST_F(Folders, WithoutDriverFolderTheUserIsToldWhereToCopy) {
    base.isWritable = neverWritable;
    ScriptedPrompt prompt;
    locateFolders(base, prompt);
    EXPECT_TRUE(prompt.questions.empty());
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[1], "Kopieren sie Sonora-Chassis, -Projekte und Weichenbauteile\r\n"
                                  "in die entsprechenden Unterverzeichnisse von\r\n" +
                                      home + "Sonora");
}

// An installed program lies in <prefix>/bin with its files in <prefix>/share/sonora/: those are
// its program folder, so a user who cannot write there is offered the installed drivers, parts
// and example projects. A build tree without that folder keeps the executable's folder.
TEST_F(Folders, InstalledProgramFindsItsFilesBesideTheExecutable) {
    const fs::path prefix = dir / "prefix";
    fs::create_directories(prefix / "bin");
    EXPECT_EQ(programFolderOf((prefix / "bin").string(), "../share/sonora"),
              (prefix / "bin").string() + "/");
    EXPECT_EQ(programFolderOf((prefix / "bin").string() + "/", "../share/sonora"),
              (prefix / "bin").string() + "/");
    EXPECT_EQ(programFolderOf("", "../share/sonora"), "");

    // A plain file of that name is no installed tree.
    fs::create_directories(prefix / "share");
    std::ofstream(prefix / "share" / "sonora") << "keine Daten";
    EXPECT_EQ(programFolderOf((prefix / "bin").string(), "../share/sonora"),
              (prefix / "bin").string() + "/");
    fs::remove(prefix / "share" / "sonora");

    const fs::path shared = prefix / "share" / "sonora";
    fs::create_directories(shared / "Chassis");
    fs::create_directories(shared / "Projekte");
    fs::create_directories(shared / "Weichenbauteile");
    std::ofstream(shared / "Chassis" / "HT.LSC") << "treiber";
    std::ofstream(shared / "Projekte" / "Zweiwege.LSP") << "projekt";
    std::ofstream(shared / "Weichenbauteile" / "E12.txt") << "teile";
    base.programFolder = programFolderOf((prefix / "bin").string(), "../share/sonora");
    EXPECT_EQ(base.programFolder, shared.string() + "/");
    EXPECT_EQ(programFolderOf((prefix / "bin").string() + "/", "../share/sonora"),
              base.programFolder);

    base.isWritable = neverWritable;
    ScriptedPrompt prompt;
    prompt.choices = {1}; // "Ja"
    const FolderPaths f = locateFolders(base, prompt);
    EXPECT_EQ(f.projects, home + "Sonora/Projekte/");
    EXPECT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(contents(dir / "home" / "Sonora" / "Chassis" / "HT.LSC"), "treiber");
    EXPECT_EQ(contents(dir / "home" / "Sonora" / "Projekte" / "Zweiwege.LSP"), "projekt");
    EXPECT_EQ(contents(dir / "home" / "Sonora" / "Weichenbauteile" / "E12.txt"), "teile");
}

TEST_F(Folders, PathsListingNamesEveryFolder) {
    const FolderPaths f = deriveFolders("/h/", "/b/");
    EXPECT_EQ(pathsListing(f), "Pfade:\r\nhomepath=/h/\r\ninifile=/b/Sonora.ini\r\n"
                               "sonorapath=/b/\r\nchassispath=/b/Chassis/\r\n"
                               "projectpath=/b/Projekte/\r\nreportpath=/b/Reports/\r\n"
                               "publikationenpath=/b/Publikationen/\r\n"
                               "wbauteilepath=/b/Weichenbauteile/\r\nbausatzpath=/b/Baus\xE4tze/");
}

// Sets an environment variable for the life of the object and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(PlatformFolders, DataFolderFollowsXdgThenHome) {
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/srv/daten");
        EXPECT_EQ(platformBaseFolders().appDataFolder, "/srv/daten/");
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", "relativ"); // not absolute: ignored
        ScopedEnv homeVar("HOME", "/home/ute");
        EXPECT_EQ(platformBaseFolders().appDataFolder, "/home/ute/.local/share/");
    }
    const BaseFolders b = platformBaseFolders();
    ASSERT_FALSE(b.programFolder.empty());
    EXPECT_EQ(b.programFolder.back(), '/');
    EXPECT_TRUE(fs::is_directory(b.programFolder));
}

} // namespace
} // namespace sonora

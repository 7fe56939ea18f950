// Saving is all or nothing: a process killed at any moment of a save leaves the complete old or the
// complete new file. Also the permission bits, symbolic links and unwritable folders.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "damaged_project_samples.h"
#include "model/user_prompt.h"
#include "storage/file_io.h"
#include "storage/project_file.h"

namespace sonora::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class Saving : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_save_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    static mode_t modeOf(const std::string& p) {
        struct stat st {};
        EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
        return st.st_mode;
    }
    fs::path dir;
};

void sleepFor(std::chrono::nanoseconds d) {
    timespec t{static_cast<time_t>(d.count() / 1000000000),
               static_cast<long>(d.count() % 1000000000)};
    while (::nanosleep(&t, &t) != 0) {
    }
}

TEST_F(Saving, AKillAtAnyMomentLeavesTheCompleteOldOrTheCompleteNewProject) {
    constexpr int kKills = 200;
    const auto a = thirtyTwoDriverProject(1);
    const auto b = thirtyTwoDriverProject(2);
    ScriptedPrompt prompt;
    ASSERT_TRUE(writeProjectFile(*a, path("a.LSP"), true, prompt));
    ASSERT_TRUE(writeProjectFile(*b, path("b.LSP"), true, prompt));
    const std::vector<std::uint8_t> bytesA = fileBytes(path("a.LSP"));
    const std::vector<std::uint8_t> bytesB = fileBytes(path("b.LSP"));
    ASSERT_NE(bytesA, bytesB);

    // How long one save takes here (ASan, a loaded machine): the kills are spread over it.
    const std::string target = path("target.LSP");
    std::string error;
    const Clock::time_point start = Clock::now();
    constexpr int kTimedSaves = 4;
    for (int i = 1; i <= kTimedSaves; ++i) {
        ASSERT_TRUE(writeFileAtomically(target, i % 2 ? bytesB : bytesA, error)) << error;
    }
    const auto saveTime = (Clock::now() - start) / kTimedSaves;

    // A kill comes after 0 or 1 finished saves of the child (it reports each one), and then at a
    // random moment within the time of one save: the moments depend on the child's progress, not
    // on how much of the machine it gets.
    std::mt19937_64 random(20261210);
    std::uniform_int_distribution<int> savesFirst(0, 1);
    std::uniform_int_distribution<long long> moment(0, saveTime.count());
    int sawA = 0;
    int sawB = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(progress[0]);
            const char mark = 's';
            std::string childError;
            // Saves until killed; the file alternates between the two projects. The images are
            // made once: compressing them again each time would only slow the test down, the
            // write is what a kill can harm.
            for (int round = 0;; ++round) {
                writeFileAtomically(target, round % 2 ? bytesA : bytesB, childError);
                [[maybe_unused]] const ssize_t told = ::write(progress[1], &mark, 1);
            }
        }
        // Whatever an assertion below does, the child does not outlive this round.
        struct Reaper {
            pid_t pid;
            ~Reaper() {
                if (pid > 0) {
                    ::kill(pid, SIGKILL);
                    ::waitpid(pid, nullptr, 0);
                }
            }
        } reaper{child};
        ::close(progress[1]);
        for (int done = savesFirst(random); done > 0; --done) {
            char mark = 0;
            ASSERT_EQ(::read(progress[0], &mark, 1), 1);
        }
        sleepFor(Clock::duration(moment(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        reaper.pid = -1;
        ::close(progress[0]);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

        const std::vector<std::uint8_t> now = fileBytes(target);
        const bool isA = now == bytesA;
        const bool isB = now == bytesB;
        ASSERT_TRUE(isA || isB) << "kill " << kill << ": " << now.size() << " bytes";
        sawA += isA;
        sawB += isB;
    }
    // Both projects were on disk at some kill: the kills fell before and after finished saves.
    EXPECT_GT(sawA, 0);
    EXPECT_GT(sawB, 0);
    // Temporary files left behind: kills between the start of a write and its rename.
    int cutWrites = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        cutWrites += e.path().filename().string().starts_with("target.LSP.tmp");
    }
    std::printf("%d kills, one save %.1f ms: %d times the one, %d times the other project, "
                "%d kills during a write\n",
                kKills, std::chrono::duration<double, std::milli>(saveTime).count(), sawA, sawB,
                cutWrites);
}

TEST_F(Saving, TheTargetKeepsItsPermissionBitsAndANewFileFollowsTheUmask) {
    std::string error;
    const std::string privateFile = path("private.LSP");
    ASSERT_TRUE(writeFileAtomically(privateFile, {1, 2, 3}, error)) << error;
    ASSERT_EQ(::chmod(privateFile.c_str(), 0600), 0);
    ASSERT_TRUE(writeFileAtomically(privateFile, {4, 5}, error)) << error;
    EXPECT_EQ(modeOf(privateFile) & 07777, 0600u);
    EXPECT_EQ(fileBytes(privateFile), (std::vector<std::uint8_t>{4, 5}));

    ASSERT_EQ(::chmod(privateFile.c_str(), 0640), 0);
    ScriptedPrompt prompt;
    ASSERT_TRUE(writeProjectFile(*thirtyTwoDriverProject(1), privateFile, true, prompt));
    EXPECT_EQ(modeOf(privateFile) & 07777, 0640u);

    const mode_t mask = ::umask(027);
    ASSERT_TRUE(writeFileAtomically(path("new.LSP"), {1}, error)) << error;
    ::umask(mask);
    EXPECT_EQ(modeOf(path("new.LSP")) & 07777, 0640u);
}

TEST_F(Saving, ASymbolicLinkStaysAndItsTargetTakesTheNewContent) {
    fs::create_directories(dir / "elsewhere");
    const std::string real = path("elsewhere/real.LSP");
    std::string error;
    ASSERT_TRUE(writeFileAtomically(real, {1, 1, 1}, error)) << error;
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    // A relative link, and a link to that link.
    fs::create_symlink("elsewhere/real.LSP", dir / "link.LSP");
    fs::create_symlink(dir / "link.LSP", dir / "link2.LSP");

    ASSERT_TRUE(writeFileAtomically(path("link.LSP"), {2, 2}, error)) << error;
    EXPECT_TRUE(S_ISLNK(modeOf(path("link.LSP"))));
    EXPECT_EQ(fileBytes(real), (std::vector<std::uint8_t>{2, 2}));
    EXPECT_EQ(modeOf(real) & 07777, 0600u);

    ASSERT_TRUE(writeFileAtomically(path("link2.LSP"), {3}, error)) << error;
    EXPECT_TRUE(S_ISLNK(modeOf(path("link2.LSP"))));
    EXPECT_TRUE(S_ISLNK(modeOf(path("link.LSP"))));
    EXPECT_EQ(fileBytes(real), (std::vector<std::uint8_t>{3}));

    // A link to a file that does not exist yet creates that file.
    fs::create_symlink("elsewhere/later.LSP", dir / "dangling.LSP");
    ASSERT_TRUE(writeFileAtomically(path("dangling.LSP"), {4}, error)) << error;
    EXPECT_TRUE(S_ISLNK(modeOf(path("dangling.LSP"))));
    EXPECT_EQ(fileBytes(path("elsewhere/later.LSP")), (std::vector<std::uint8_t>{4}));

    // Links in a circle are refused with our own message.
    fs::create_symlink("loop2.LSP", dir / "loop1.LSP");
    fs::create_symlink("loop1.LSP", dir / "loop2.LSP");
    EXPECT_FALSE(writeFileAtomically(path("loop1.LSP"), {5}, error));
    EXPECT_EQ(error, "Die Datei " + path("loop1.LSP") +
                         " kann nicht geschrieben werden. Ihre symbolischen Verknüpfungen führen "
                         "im Kreis.");
    // Nothing besides what the test made is in the folders: no temporary file was left.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 6);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "elsewhere"), fs::directory_iterator{}),
              2);
}

// Root may write into any folder, so the write is tried by a child that has given up root.
TEST_F(Saving, AnUnwritableFolderLeavesNothingBehindWithAGermanMessage) {
    fs::create_directories(dir / "locked");
    const std::string file = path("locked/x.LSP");
    std::string error;
    ASSERT_TRUE(writeFileAtomically(file, {1, 2}, error)) << error;
    ASSERT_EQ(::chmod(path("locked").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(3);
        }
        std::string childError;
        const bool written = writeFileAtomically(file, {9, 9, 9}, childError);
        [[maybe_unused]] const ssize_t n =
            ::write(pipeFds[1], childError.data(), childError.size());
        ::_exit(written ? 1 : 0);
    }
    ::close(pipeFds[1]);
    std::string childError;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        childError.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 3) << "could not give up root";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write went through";
    EXPECT_EQ(childError, "Die Datei " + file + " kann nicht geschrieben werden. Im Ordner " +
                              path("locked") + " darf nicht geschrieben werden.");
    EXPECT_EQ(fileBytes(file), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "locked"), fs::directory_iterator{}), 1);
    ::chmod(path("locked").c_str(), 0755);
}

TEST(SaveErrors, EveryReasonIsGerman) {
    EXPECT_EQ(writeErrorReason(ENOSPC, "/x"), "Auf dem Datenträger ist kein Platz mehr");
    EXPECT_EQ(writeErrorReason(EROFS, "/x"), "Der Datenträger ist schreibgeschützt");
    EXPECT_EQ(writeErrorReason(ENOENT, "/x/y"), "Den Ordner /x/y gibt es nicht");
    EXPECT_EQ(writeErrorReason(EACCES, "/x"), "Im Ordner /x darf nicht geschrieben werden");
    EXPECT_EQ(writeErrorReason(EIO, "/x"),
              "Fehler " + std::to_string(EIO) + " des Betriebssystems");
}

} // namespace
} // namespace sonora::test

// sonora-make-examples: writes the bundled examples from invented data. The drivers, projects and
// the part library in examples/ are made by this program; run it again after changing the data:
//   build/bin/sonora-make-examples examples
// Every file is written in the compressed form the program uses, with a plain copy under "Text/"
// for reading and comparing.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/example_projects.h"
#include "model/user_prompt.h"
#include "storage/chassis_keys.h"
#include "storage/driver_file.h"
#include "storage/file_io.h"
#include "storage/folders.h"
#include "storage/latin1.h"
#include "storage/my_ini_file.h"
#include "storage/numbers.h"
#include "storage/project_file.h"

namespace {

using namespace sonora;
namespace fs = std::filesystem;

// Messages of the writers go to standard error; any message counts as a failure.
class StderrPrompt : public UserPrompt {
public:
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "%s\n", latin1ToUtf8(text).c_str());
        failed = true;
    }
    int choose(const std::string& text, const std::string&, int defaultButton) override {
        showMessage(text);
        return defaultButton;
    }
    bool askValue(const std::string&, const std::string& text, std::string&) override {
        showMessage(text);
        return false;
    }
    bool failed = false;
};

struct DriverExample {
    ExampleDriver kind;
    const char* file; // file name without extension
};

constexpr DriverExample kDriverFiles[] = {
    {ExampleDriver::Woofer17, "Beispiel TT 17"},    {ExampleDriver::Woofer20, "Beispiel TT 20"},
    {ExampleDriver::Midrange10, "Beispiel MT 10"},  {ExampleDriver::Dome25, "Beispiel HT 25"},
    {ExampleDriver::Subwoofer25, "Beispiel SW 25"},
};

struct ProjectExample {
    void (*build)(TProjekt&, int);
    const char* file;
};

constexpr ProjectExample kProjects[] = {
    {buildTwoWayExample, "Zweiwege geschlossen"},
    {buildThreeWayExample, "Dreiwege Bassreflex"},
    {buildSubwooferBandpassExample, "Subwoofer Bandpass"},
    {buildActiveTwoWayExample, "Zweiwege aktiv"},
    {buildMeasuredTwoWayExample, "Zweiwege gemessen"},
};

// E12 series of one decade.
constexpr double kE12[] = {1.0, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};

// The part library: one line per part, kind letter, label, value in the editor's unit and for
// coils the winding resistance, separated by tabs; a value 0 draws a separator line.
std::string partLibrary() {
    std::string s;
    const auto line = [&](const std::string& kind, const std::string& label, double value,
                          double resistance = -1) {
        // Appended piece by piece: GCC 12 warns wrongly about "\t" + a temporary string.
        s.append(kind).append("\t").append(label).append("\t");
        s.append(compactNumberText(kFileNumberWidth, value));
        if (resistance >= 0) {
            s.append("\t").append(compactNumberText(kFileNumberWidth, resistance));
        }
        s += "\r\n";
    };
    // Resistors 1 .. 82 Ohm, 10 W cement.
    for (double decade : {1.0, 10.0}) {
        for (double e : kE12) {
            line("R", "MOX 10 W", e * decade);
        }
    }
    line("R", "-", 0);
    // Capacitors 1 .. 82 uF, film below 10 uF, electrolytic above.
    for (double decade : {1.0, 10.0}) {
        for (double e : kE12) {
            line("C", decade < 10 ? "MKT 250 V" : "Elko bipolar 100 V", e * decade);
        }
    }
    line("C", "-", 0);
    // Air coils 0.1 .. 8.2 mH of 1.0 mm wire: the winding resistance grows about with the square
    // root of the inductance (more turns of the same wire), 0.18 Ohm at 0.47 mH.
    for (double decade : {0.1, 1.0}) {
        for (double e : kE12) {
            const double mh = e * decade;
            line("L", "Luftspule 1,0 mm", mh, 0.18 * std::sqrt(mh / 0.47));
        }
    }
    return s;
}

// The driver file as the driver editor saves it, but with a fixed publication date so that the
// examples come out byte for byte the same on every run.
constexpr char kExampleDate[] = "01.12.2026";

void writeDriverExample(const TChassis& c, const std::string& path, bool compressed,
                        UserPrompt& prompt) {
    TMyIniFile ini(path, false, true, compressed, compressed);
    ini.WriteInteger("Header", "Version", kDriverFileVersion);
    writeChassisKeys(ini, kDriverSection, c, "", kExampleDate);
    if (!ini.save()) {
        prompt.showMessage("Schreiben fehlgeschlagen: " + path);
    }
    for (const std::string& m : ini.messages()) {
        prompt.showMessage(m);
    }
}

bool writeBytes(const fs::path& path, const std::string& text) {
    std::string error;
    if (!writeFileAtomically(path.string(), std::vector<std::uint8_t>(text.begin(), text.end()),
                             error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: sonora-make-examples ZIELORDNER\n");
        return 2;
    }
    const fs::path out = argv[1];
    const fs::path drivers = out / kDriversFolderName, projects = out / kProjectsFolderName,
                   parts = out / kPartsFolderName;
    std::error_code ec;
    for (const fs::path& dir : {drivers, drivers / "Text", projects, projects / "Text", parts}) {
        fs::create_directories(dir, ec);
        if (ec) {
            std::fprintf(stderr, "Ordner %s: %s\n", dir.c_str(), ec.message().c_str());
            return 1;
        }
    }
    StderrPrompt prompt;
    for (const DriverExample& d : kDriverFiles) {
        auto c = std::make_unique<TChassis>(exampleDriver(d.kind));
        addSyntheticMeasurements(*c);
        const std::string name = std::string(d.file) + kDriverExtension;
        writeDriverExample(*c, (drivers / name).string(), true, prompt);
        writeDriverExample(*c, (drivers / "Text" / name).string(), false, prompt);
    }
    for (const ProjectExample& e : kProjects) {
        auto p = std::make_unique<TProjekt>();
        e.build(*p, 250);
        // The drivers in a project carry the date of their files, so that opening an example does
        // not ask whether to load a newer driver file.
        for (TChassis& c : p->chassis) {
            c.pubdate.assign(kExampleDate);
        }
        const std::string name = std::string(e.file) + kProjectExtension;
        writeProjectFile(*p, (projects / name).string(), true, prompt);
        writeProjectFile(*p, (projects / "Text" / name).string(), false, prompt);
    }
    if (!writeBytes(parts / "E12.txt", partLibrary())) {
        return 1;
    }
    return prompt.failed ? 1 : 0;
}

// The sections of the results export: one per check box of the export window, with the short
// stable names the command line uses for them and the reader of a comma-separated name list.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace sonora {

// One check box of the export window each, in the order their sections appear in the file. The
// driver sections are written once per driver, the amplifier sections once per amplifier.
enum class ExportSection : std::uint8_t {
    BoxResponse,      // whole box on axis, level and phase
    BoxHorizontal30,  // whole box, horizontal plane in 30° steps
    BoxHorizontal5,   // whole box, horizontal plane in 5° steps
    BoxVertical30,    // whole box, vertical plane in 30° steps
    BoxVertical5,     // whole box, vertical plane in 5° steps
    BoxEnergy,        // energy response of the box
    BoxDirectivity,   // directivity ratio of the box
    BoxMaxSpl,        // maximum level of the box
    BoxSpinorama,     // spinorama curves of the box, with the preference rating in the header
    ChassisResponse,  // driver with baffle, crossover and active filter, front and rear
    ChassisImpedance, // driver impedance in its mounting
    ChassisCrossover, // passive crossover transfer to the driver
    ChassisBaffle,    // baffle diffraction of the diaphragm on axis
    ChassisItself,    // driver alone on an infinite baffle
    ChassisMaxSpl,    // maximum level of the driver
    AmpFilter,        // active filter chain of the amplifier
    AmpImpedance,     // impedance seen by the amplifier
};
inline constexpr int kExportSectionCount = 17;

// The three groups of check boxes in the export window.
enum class ExportGroup : std::uint8_t { Box, Chassis, Amplifier };

// A set of ticked sections. The order of the file does not depend on the order they were added.
class ExportSections {
public:
    constexpr ExportSections() = default;
    constexpr ExportSections(std::initializer_list<ExportSection> list) {
        for (const ExportSection s : list) {
            add(s);
        }
    }
    static constexpr ExportSections all() {
        ExportSections s;
        s.bits = (std::uint32_t{1} << kExportSectionCount) - 1;
        return s;
    }
    constexpr void add(ExportSection s) { bits |= bit(s); }
    constexpr bool contains(ExportSection s) const { return (bits & bit(s)) != 0; }
    constexpr bool empty() const { return bits == 0; }
    friend constexpr bool operator==(const ExportSections&, const ExportSections&) = default;

private:
    static constexpr std::uint32_t bit(ExportSection s) {
        return std::uint32_t{1} << static_cast<int>(s);
    }
    std::uint32_t bits = 0;
};

struct ExportSectionInfo {
    ExportSection section;
    ExportGroup group;
    std::string_view name;    // short stable name for the command line
    std::string_view caption; // caption of the check box (Latin-1)
};

// Every section in file order; kExportSectionTable[k].section has the enum value k.
inline constexpr std::array<ExportSectionInfo, kExportSectionCount> kExportSectionTable = {{
    {ExportSection::BoxResponse, ExportGroup::Box, "box", "Frequenzgang auf Achse und Phase"},
    {ExportSection::BoxHorizontal30, ExportGroup::Box, "box-h30",
     "Frequenzg\xE4nge horizontal (30\xB0-Schritte)"},
    {ExportSection::BoxHorizontal5, ExportGroup::Box, "box-h5",
     "Frequenzg\xE4nge horizontal (5\xB0-Schritte)"},
    {ExportSection::BoxVertical30, ExportGroup::Box, "box-v30",
     "Frequenzg\xE4nge vertikal (30\xB0-Schritte)"},
    {ExportSection::BoxVertical5, ExportGroup::Box, "box-v5",
     "Frequenzg\xE4nge vertikal (5\xB0-Schritte)"},
    {ExportSection::BoxEnergy, ExportGroup::Box, "energy", "Energiefrequenzgang"},
    {ExportSection::BoxDirectivity, ExportGroup::Box, "directivity", "B\xFCndelung"},
    {ExportSection::BoxMaxSpl, ExportGroup::Box, "maxspl", "Maximalpegel"},
    {ExportSection::BoxSpinorama, ExportGroup::Box, "spin", "Spinorama und Bewertung"},
    {ExportSection::ChassisResponse, ExportGroup::Chassis, "ch-response",
     "Frequenzgang mit Schallwand, Weiche und aktiven Filtern"},
    {ExportSection::ChassisImpedance, ExportGroup::Chassis, "ch-impedance", "Impedanzgang"},
    {ExportSection::ChassisCrossover, ExportGroup::Chassis, "ch-crossover", "Frequenzgang Weiche"},
    {ExportSection::ChassisBaffle, ExportGroup::Chassis, "ch-baffle", "Frequenzgang Schallwand"},
    {ExportSection::ChassisItself, ExportGroup::Chassis, "ch-itself",
     "Frequenzgang Chassis selbst"},
    {ExportSection::ChassisMaxSpl, ExportGroup::Chassis, "ch-maxspl", "Maximalpegel"},
    {ExportSection::AmpFilter, ExportGroup::Amplifier, "amp-filter", "Frequenzgang aktive Filter"},
    {ExportSection::AmpImpedance, ExportGroup::Amplifier, "amp-impedance",
     "Impedanzgang an Verst\xE4rker"},
}};

// Caption of a group box of the export window (Latin-1): "Gesamtbox", "Chassis", "Verstärker".
std::string_view exportGroupCaption(ExportGroup group);

// The short name of a section ("box", "ch-impedance", ...).
std::string_view exportSectionName(ExportSection section);

// All short names in file order, separated by ",", for help texts.
std::string exportSectionNameList();

struct ExportSectionList {
    ExportSections sections;
    std::vector<std::string> unknown; // items that are no section name, in the order given
    bool ok() const { return unknown.empty(); }
};

// Reads a comma-separated list of short names ("box,energy,ch-impedance"). Blanks and tabs around
// a name are ignored, so are empty items; an empty list ticks nothing. Names are case-sensitive.
ExportSectionList parseExportSectionList(std::string_view list);

} // namespace sonora

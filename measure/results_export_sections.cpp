#include "measure/results_export_sections.h"

namespace sonora {

namespace {

constexpr bool tableIsInEnumOrder() {
    for (int k = 0; k < kExportSectionCount; ++k) {
        if (static_cast<int>(kExportSectionTable[k].section) != k) {
            return false;
        }
    }
    return true;
}
static_assert(tableIsInEnumOrder(), "exportSectionName indexes the table by the enum value");

std::string_view trimBlanks(std::string_view s) {
    constexpr std::string_view kBlanks = " \t";
    const std::size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

} // namespace

std::string_view exportGroupCaption(ExportGroup group) {
    switch (group) {
    case ExportGroup::Box:
        return "Gesamtbox";
    case ExportGroup::Chassis:
        return "Chassis";
    case ExportGroup::Amplifier:
        return "Verst\xE4rker";
    }
    return {};
}

std::string_view exportSectionName(ExportSection section) {
    const int k = static_cast<int>(section);
    return k >= 0 && k < kExportSectionCount ? kExportSectionTable[k].name : std::string_view{};
}

std::string exportSectionNameList() {
    std::string text;
    for (const ExportSectionInfo& info : kExportSectionTable) {
        if (!text.empty()) {
            text += ',';
        }
        text += info.name;
    }
    return text;
}

ExportSectionList parseExportSectionList(std::string_view list) {
    ExportSectionList result;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string_view::npos) {
            comma = list.size();
        }
        const std::string_view item = trimBlanks(list.substr(start, comma - start));
        start = comma + 1;
        if (item.empty()) {
            continue;
        }
        bool known = false;
        for (const ExportSectionInfo& info : kExportSectionTable) {
            if (info.name == item) {
                result.sections.add(info.section);
                known = true;
                break;
            }
        }
        if (!known) {
            result.unknown.emplace_back(item);
        }
    }
    return result;
}

} // namespace sonora

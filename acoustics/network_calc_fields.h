// Entry fields of the network calculator pages by short ASCII name, so that a command line can
// fill any page's inputs from "name=value" options without knowing the page.
#pragma once

#include <span>
#include <string_view>

namespace sonora {

// One entry field of a page. `set` reads `text` into the field of `Inputs` and returns false
// (leaving the inputs unchanged) when the text is not a valid value for it.
template <class Inputs> struct NetworkField {
    std::string_view name;    // ASCII option name, e.g. "fc"
    std::string_view caption; // German caption of the entry, UTF-8
    bool (*set)(Inputs& inputs, std::string_view text);
};

enum class SetFieldResult { kOk, kUnknownName, kInvalidValue };

// Finds `name` in `fields` (exact, case-sensitive) and sets that field from `text`.
template <class Inputs>
SetFieldResult setNetworkField(std::span<const NetworkField<Inputs>> fields, Inputs& inputs,
                               std::string_view name, std::string_view text) {
    for (const NetworkField<Inputs>& field : fields) {
        if (field.name == name) {
            return field.set(inputs, text) ? SetFieldResult::kOk : SetFieldResult::kInvalidValue;
        }
    }
    return SetFieldResult::kUnknownName;
}

// Reads a whole text as a number with the program's number reader ("," or "." as separator).
// Stricter than an entry field: the text must not be empty, every character must belong to the
// number and the value must be finite; otherwise false and `value` is unchanged. Zero and negative
// numbers are accepted: the calculators themselves treat them.
bool readEntryNumber(std::string_view text, double& value);

// Reads a switch: "1", "ein", "ja", "on", "true" switch it on; "0", "aus", "nein", "off",
// "false" off (ASCII, case-insensitive). Anything else gives false and `value` is unchanged.
bool readEntrySwitch(std::string_view text, bool& value);

} // namespace sonora

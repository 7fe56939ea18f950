// Entry-field tables of the calculator pages: short ASCII names for a command line and a setter
// by name, so that the inputs of every page can be filled from text without knowing the page.
#pragma once

#include <span>
#include <string_view>

namespace sonora {

// What an entry field holds: a number (read with the program's number reader, "," or "."), an
// on/off switch, or one of a few named choices.
enum class CalcFieldKind { Number, Switch, Choice };

// One entry field of a page. `set` reads `text` into the field of `Input` and returns false
// (leaving the input unchanged) when the text is no valid value for it.
template <class Input> struct CalcField {
    std::string_view name;    // short ASCII option name, e.g. "fs"
    std::string_view caption; // the page's caption of the entry, UTF-8
    CalcFieldKind kind;
    bool (*set)(Input& input, std::string_view text);
};

enum class SetFieldResult { kOk, kUnknownName, kInvalidValue };

// Finds `name` in `fields` (exact, case-sensitive) and sets that field from `text`.
template <class Input>
SetFieldResult setCalcField(std::span<const CalcField<Input>> fields, Input& input,
                            std::string_view name, std::string_view text) {
    for (const CalcField<Input>& field : fields) {
        if (field.name == name) {
            return field.set(input, text) ? SetFieldResult::kOk : SetFieldResult::kInvalidValue;
        }
    }
    return SetFieldResult::kUnknownName;
}

// Reads a whole text as a number with the program's number reader ("," or "." as separator).
// The text must not be empty, every character must belong to the number and the value must be
// finite; otherwise false and `value` is unchanged. Zero and negative numbers are accepted: the
// calculators themselves treat them.
bool readEntryNumber(std::string_view text, double& value);

// What a typed entry field means to a page while the user is still typing: the number reader's
// result, 0 for text without digits, and 0 for what would not be finite ("1e999").
double entryFieldNumber(std::string_view text);

// Reads a switch: "1", "ein", "an", "ja", "on", "true" switch it on; "0", "aus", "nein", "off",
// "false" off (ASCII, any case). Anything else gives false and `value` is unchanged.
bool readEntrySwitch(std::string_view text, bool& value);

// A choice between named values: `names[k]` (ASCII, any case) or the number k selects k. False
// when the text matches none; `index` is then unchanged.
bool readEntryChoice(std::string_view text, std::span<const std::string_view> names, int& index);

} // namespace sonora

// Entry-field tables of the box design calculators: short ASCII names for a command line and a
// setter by name, so the inputs of every page can be filled from text generically.
#pragma once

#include <span>
#include <string_view>

namespace sonora {

// What an entry field holds: a number (read with the program's number reader, "," or "."), an
// on/off switch, or one of a few named choices.
enum class BoxCalcFieldKind { Number, Switch, Choice };

template <class Input> struct BoxCalcField {
    std::string_view name;    // short ASCII option name, e.g. "fs"
    std::string_view caption; // the page's caption of the entry, UTF-8
    BoxCalcFieldKind kind;
    // Stores `text` in the input; false when the text is no valid switch or choice value.
    bool (*set)(Input& input, std::string_view text);
};

// Sets the field called `name` from `text`; false for an unknown name or an invalid switch or
// choice value (the input is then unchanged).
template <class Input>
bool setBoxCalcField(std::span<const BoxCalcField<Input>> fields, Input& input,
                     std::string_view name, std::string_view text) {
    for (const BoxCalcField<Input>& field : fields) {
        if (field.name == name) {
            return field.set(input, text);
        }
    }
    return false;
}

// A number field's value as the page reads it: the number reader's result, 0 for text without
// digits, and 0 for what would not be finite ("1e999").
double boxCalcNumber(std::string_view text);
// Stores boxCalcNumber(text) in `field`; always true (every text reads as some number).
bool setBoxCalcNumber(double& field, std::string_view text);

// A switch: "1", "ja", "an", "on", "true" switch on; "0", "nein", "aus", "off", "false" off
// (any case). False when the text is none of these.
bool boxCalcSwitch(std::string_view text, bool& value);

// A choice between named values: `names[k]` (any case) or the number k selects k. False when the
// text matches none.
bool boxCalcChoice(std::string_view text, std::span<const std::string_view> names, int& index);

} // namespace sonora

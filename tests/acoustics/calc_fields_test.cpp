#include "acoustics/calc_fields.h"

#include "acoustics/box_calc_closed.h"
#include "acoustics/box_calc_port.h"
#include "acoustics/network_calc_crossover.h"
#include "acoustics/network_calc_impedance.h"
#include "acoustics/network_calc_lpad.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace sonora {
namespace {

TEST(CalcFields, NumbersMustBeWholeAndFinite) {
    double v = 7;
    EXPECT_TRUE(readEntryNumber("1,5e3", v));
    EXPECT_EQ(v, 1500);
    EXPECT_TRUE(readEntryNumber("6.8", v));
    EXPECT_EQ(v, 6.8);
    EXPECT_TRUE(readEntryNumber("0", v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(readEntryNumber("-8", v));
    EXPECT_EQ(v, -8);
    v = 7;
    for (const char* bad : {"", "abc", "12x", "-", ",", "1e999", "8 Ohm"}) {
        EXPECT_FALSE(readEntryNumber(bad, v)) << bad;
        EXPECT_EQ(v, 7) << bad;
    }
}

// Box and network pages read their entries by one rule: the same switch words, the same strict
// numbers (a command line once took "abc" as 0 on one page and refused it on the other).
TEST(CalcFields, EveryPageReadsByTheSameRule) {
    LPadInputs pad;
    ClosedVentedInput box;
    for (const char* word : {"an", "ein", "JA", "1", "true"}) {
        pad.anyImpedance = box.seriesResistor = false;
        EXPECT_EQ(setCalcField(lpadFields(), pad, "egal", word), SetFieldResult::kOk) << word;
        EXPECT_EQ(setCalcField(closedVentedFields(), box, "series", word), SetFieldResult::kOk);
        EXPECT_TRUE(pad.anyImpedance && box.seriesResistor) << word;
    }
    for (const char* word : {"aus", "nein", "0", "OFF"}) {
        pad.anyImpedance = box.seriesResistor = true;
        EXPECT_EQ(setCalcField(lpadFields(), pad, "egal", word), SetFieldResult::kOk) << word;
        EXPECT_EQ(setCalcField(closedVentedFields(), box, "series", word), SetFieldResult::kOk);
        EXPECT_FALSE(pad.anyImpedance || box.seriesResistor) << word;
    }
    StandardCrossoverInputs x;
    PortInput port;
    const int tubes = port.tubes;
    for (const char* bad : {"abc", "", "1e999", "2 Rohre"}) {
        EXPECT_EQ(setCalcField(standardCrossoverFields(), x, "fc", bad),
                  SetFieldResult::kInvalidValue);
        EXPECT_EQ(setCalcField(closedVentedFields(), box, "fs", bad),
                  SetFieldResult::kInvalidValue);
        EXPECT_EQ(setCalcField(portFields(), port, "tubes", bad), SetFieldResult::kInvalidValue);
    }
    EXPECT_EQ(x.fc, StandardCrossoverInputs{}.fc);
    EXPECT_EQ(box.fs, ClosedVentedInput{}.fs);
    EXPECT_EQ(port.tubes, tubes);
    EXPECT_EQ(setCalcField(portFields(), port, "tubes", "2,6"), SetFieldResult::kOk);
    EXPECT_EQ(port.tubes, 3); // a count is rounded
    EXPECT_EQ(setCalcField(portFields(), port, "shape", "RUND"), SetFieldResult::kOk);
    EXPECT_EQ(port.shape, PortShape::Circular);
    EXPECT_EQ(setCalcField(portFields(), port, "shape", "0"), SetFieldResult::kOk);
    EXPECT_EQ(port.shape, PortShape::Rectangular);
    EXPECT_EQ(setCalcField(portFields(), port, "shape", "2"), SetFieldResult::kInvalidValue);
    EXPECT_EQ(setCalcField(portFields(), port, "form", "rund"), SetFieldResult::kUnknownName);
}

// The window's lenient reading while typing: what the number reader makes of the text, 0 where
// that is nothing finite.
TEST(CalcFields, EntryFieldsReadWhatIsTyped) {
    EXPECT_EQ(entryFieldNumber("1,5"), 1.5);
    EXPECT_EQ(entryFieldNumber("12x"), 12);
    EXPECT_EQ(entryFieldNumber("abc"), 0);
    EXPECT_EQ(entryFieldNumber("1e999"), 0);
}

// Names are short lower-case ASCII options, unique within their page.
template <class Inputs> void expectCleanNames(std::span<const CalcField<Inputs>> fields) {
    std::set<std::string_view> names;
    for (const auto& field : fields) {
        EXPECT_TRUE(names.insert(field.name).second) << field.name;
        EXPECT_FALSE(field.caption.empty());
        for (char c : field.name) {
            EXPECT_TRUE(std::islower(static_cast<unsigned char>(c)) || std::isdigit(c))
                << field.name;
        }
    }
}

TEST(CalcFields, NamesAreUniqueOptions) {
    expectCleanNames(standardCrossoverFields());
    expectCleanNames(lpadFields());
    expectCleanNames(reverseLpadFields());
    expectCleanNames(impedanceCorrectionFields());
}

// Each name reaches its own member: a setter wired to the wrong member would leave one of the
// distinct values elsewhere.
TEST(CalcFields, EachNameSetsItsOwnEntry) {
    StandardCrossoverInputs x;
    auto xf = standardCrossoverFields();
    EXPECT_EQ(setCalcField(xf, x, "fc", "2500"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(xf, x, "rl", "4"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(xf, x, "rh", "6"), SetFieldResult::kOk);
    EXPECT_EQ(x.fc, 2500);
    EXPECT_EQ(x.RL, 4);
    EXPECT_EQ(x.RH, 6);
    EXPECT_EQ(setCalcField(xf, x, "FC", "1"), SetFieldResult::kUnknownName);
    EXPECT_EQ(setCalcField(xf, x, "fc", "1k"), SetFieldResult::kInvalidValue);
    EXPECT_EQ(x.fc, 2500);

    ImpedanceCorrectionInputs z;
    auto zf = impedanceCorrectionFields();
    EXPECT_EQ(setCalcField(zf, z, "qms", "1"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(zf, z, "qes", "2"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(zf, z, "fc", "3"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(zf, z, "rdc", "4"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(zf, z, "le", "5"), SetFieldResult::kOk);
    EXPECT_EQ(z.Qms, 1);
    EXPECT_EQ(z.Qes, 2);
    EXPECT_EQ(z.fc, 3);
    EXPECT_EQ(z.Rdc, 4);
    EXPECT_EQ(z.Le, 5);

    ReverseLPadInputs r;
    auto rf = reverseLpadFields();
    EXPECT_EQ(setCalcField(rf, r, "r1", "1"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(rf, r, "r2", "2"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(rf, r, "rl", "3"), SetFieldResult::kOk);
    EXPECT_EQ(r.R1, 1);
    EXPECT_EQ(r.R2, 2);
    EXPECT_EQ(r.RL, 3);
}

// The level is one of the list's values, with or without its sign.
TEST(CalcFields, LevelChoosesAListEntry) {
    LPadInputs in;
    auto f = lpadFields();
    EXPECT_EQ(setCalcField(f, in, "db", "-6"), SetFieldResult::kOk);
    EXPECT_EQ(in.attenuationIndex, 11);
    EXPECT_EQ(setCalcField(f, in, "db", "1,5"), SetFieldResult::kOk);
    EXPECT_EQ(in.attenuationIndex, 2);
    EXPECT_EQ(setCalcField(f, in, "db", "-15"), SetFieldResult::kOk);
    EXPECT_EQ(in.attenuationIndex, 24);
    for (const char* bad : {"-10,5", "0", "-16", "-0,25"}) {
        EXPECT_EQ(setCalcField(f, in, "db", bad), SetFieldResult::kInvalidValue) << bad;
    }
    EXPECT_EQ(in.attenuationIndex, 24);
    EXPECT_EQ(setCalcField(f, in, "z", "4,7"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(f, in, "rl", "16"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(f, in, "egal", "nein"), SetFieldResult::kOk);
    EXPECT_EQ(setCalcField(f, in, "egal", "vielleicht"), SetFieldResult::kInvalidValue);
    EXPECT_EQ(in.Z, 4.7);
    EXPECT_EQ(in.RL, 16);
    EXPECT_FALSE(in.anyImpedance);
}

} // namespace
} // namespace sonora

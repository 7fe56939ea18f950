#include "acoustics/network_calc_crossover.h"
#include "acoustics/network_calc_fields.h"
#include "acoustics/network_calc_impedance.h"
#include "acoustics/network_calc_lpad.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace sonora {
namespace {

TEST(NetworkFields, NumbersMustBeWholeAndFinite) {
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

// Names are short lower-case ASCII options, unique within their page.
template <class Inputs> void expectCleanNames(std::span<const NetworkField<Inputs>> fields) {
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

TEST(NetworkFields, NamesAreUniqueOptions) {
    expectCleanNames(standardCrossoverFields());
    expectCleanNames(lpadFields());
    expectCleanNames(reverseLpadFields());
    expectCleanNames(impedanceCorrectionFields());
}

// Each name reaches its own member: a setter wired to the wrong member would leave one of the
// distinct values elsewhere.
TEST(NetworkFields, EachNameSetsItsOwnEntry) {
    StandardCrossoverInputs x;
    auto xf = standardCrossoverFields();
    EXPECT_EQ(setNetworkField(xf, x, "fc", "2500"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(xf, x, "rl", "4"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(xf, x, "rh", "6"), SetFieldResult::kOk);
    EXPECT_EQ(x.fc, 2500);
    EXPECT_EQ(x.RL, 4);
    EXPECT_EQ(x.RH, 6);
    EXPECT_EQ(setNetworkField(xf, x, "FC", "1"), SetFieldResult::kUnknownName);
    EXPECT_EQ(setNetworkField(xf, x, "fc", "1k"), SetFieldResult::kInvalidValue);
    EXPECT_EQ(x.fc, 2500);

    ImpedanceCorrectionInputs z;
    auto zf = impedanceCorrectionFields();
    EXPECT_EQ(setNetworkField(zf, z, "qms", "1"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(zf, z, "qes", "2"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(zf, z, "fc", "3"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(zf, z, "rdc", "4"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(zf, z, "le", "5"), SetFieldResult::kOk);
    EXPECT_EQ(z.Qms, 1);
    EXPECT_EQ(z.Qes, 2);
    EXPECT_EQ(z.fc, 3);
    EXPECT_EQ(z.Rdc, 4);
    EXPECT_EQ(z.Le, 5);

    ReverseLPadInputs r;
    auto rf = reverseLpadFields();
    EXPECT_EQ(setNetworkField(rf, r, "r1", "1"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(rf, r, "r2", "2"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(rf, r, "rl", "3"), SetFieldResult::kOk);
    EXPECT_EQ(r.R1, 1);
    EXPECT_EQ(r.R2, 2);
    EXPECT_EQ(r.RL, 3);
}

// The level is one of the list's values, with or without its sign.
TEST(NetworkFields, LevelChoosesAListEntry) {
    LPadInputs in;
    auto f = lpadFields();
    EXPECT_EQ(setNetworkField(f, in, "db", "-6"), SetFieldResult::kOk);
    EXPECT_EQ(in.attenuationIndex, 11);
    EXPECT_EQ(setNetworkField(f, in, "db", "1,5"), SetFieldResult::kOk);
    EXPECT_EQ(in.attenuationIndex, 2);
    EXPECT_EQ(setNetworkField(f, in, "db", "-15"), SetFieldResult::kOk);
    EXPECT_EQ(in.attenuationIndex, 24);
    for (const char* bad : {"-10,5", "0", "-16", "-0,25"}) {
        EXPECT_EQ(setNetworkField(f, in, "db", bad), SetFieldResult::kInvalidValue) << bad;
    }
    EXPECT_EQ(in.attenuationIndex, 24);
    EXPECT_EQ(setNetworkField(f, in, "z", "4,7"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(f, in, "rl", "16"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(f, in, "egal", "nein"), SetFieldResult::kOk);
    EXPECT_EQ(setNetworkField(f, in, "egal", "vielleicht"), SetFieldResult::kInvalidValue);
    EXPECT_EQ(in.Z, 4.7);
    EXPECT_EQ(in.RL, 16);
    EXPECT_FALSE(in.anyImpedance);
}

} // namespace
} // namespace sonora

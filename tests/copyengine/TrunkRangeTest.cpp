#include <gtest/gtest.h>

#include "copyengine/TrunkRange.h"
#include "support/QtPrinters.h"

namespace kestrel {
namespace {

struct RangeCase {
    const char* text;
    int highest;
    const char* trunks;  // joined by blanks
    int errors;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class TrunkRangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(TrunkRangeTest, Expands) {
    const RangeCase& c = GetParam();
    const TrunkRangeResult r = ParseTrunkRange(QString::fromUtf8(c.text), c.highest);
    EXPECT_EQ(r.trunks.join(u' '), QString::fromUtf8(c.trunks));
    EXPECT_EQ(r.numberErrors, c.errors);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, TrunkRangeTest,
    ::testing::Values(
        // Whole-text rejections.
        RangeCase{"", 511, "", 1}, RangeCase{",", 511, "", 1}, RangeCase{",1", 511, "", 1},
        RangeCase{"1,", 511, "", 1}, RangeCase{"1,2,", 511, "", 1}, RangeCase{"1,,2", 511, "", 1},
        // Single numbers.
        RangeCase{"0", 511, "000", 0}, RangeCase{"7", 511, "007", 0},
        RangeCase{"012", 511, "012", 0}, RangeCase{"511", 511, "511", 0},
        RangeCase{"512", 511, "", 1}, RangeCase{"999", 255, "", 1},
        RangeCase{"256,3", 255, "003", 1}, RangeCase{"99999", 511, "", 1},
        // Ranges both ways, open ends, doubled dashes.
        RangeCase{"1-3", 511, "001 002 003", 0}, RangeCase{"5-1", 511, "005 004 003 002 001", 0},
        RangeCase{"20-18", 511, "020 019 018", 0}, RangeCase{"7-7", 511, "007", 0},
        RangeCase{"0-0", 511, "", 1}, RangeCase{"-", 511, "", 1},
        RangeCase{"-5", 511, "000 001 002 003 004 005", 0},
        RangeCase{"3-", 511, "003 002 001 000", 0},
        RangeCase{"1-5-9", 511, "001 002 003 004 005 006 007 008 009", 0},
        RangeCase{"1-5-", 511, "001 002 003 004 005", 0}, RangeCase{"250-260", 255, "", 1},
        RangeCase{"0-1", 511, "000 001", 0},
        // An end read with its sign after a doubled dash is no trunk.
        RangeCase{"1--2-", 511, "", 1}, RangeCase{"5,9- -3-,6", 511, "005 006", 1},
        // Duplicates stay, pieces in order, a bad piece skipped alone.
        RangeCase{"5,3-6", 511, "005 003 004 005 006", 0},
        RangeCase{"1,600,2-3,0-0,4", 511, "001 002 003 004", 2},
        // Pasted letters read as no number.
        RangeCase{"ab", 511, "000", 0}));

TEST(FormatTrunkTest, ThreeDigitsAtLeast) {
    EXPECT_EQ(FormatTrunk(5), QStringLiteral("005"));
    EXPECT_EQ(FormatTrunk(511), QStringLiteral("511"));
    EXPECT_EQ(FormatTrunk(1234), QStringLiteral("1234"));
}

}  // namespace
}  // namespace kestrel

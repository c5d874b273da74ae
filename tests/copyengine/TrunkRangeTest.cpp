#include <gtest/gtest.h>

#include "copyengine/DestinationList.h"
#include "copyengine/TrunkRange.h"
#include "support/QtPrinters.h"
#include "support/TableFiles.h"

namespace kestrel {
namespace {

struct RangeCase {
    const char* text;
    int highest;
    const char* trunks;  // joined by blanks
    int errors;
};

template <typename... Row>
std::vector<RangeCase> Rows(Row... rows) {
    return {rows...};
}

// The plain reading: pieces in order, duplicates kept, a bad piece skipped
// alone and counted; a list that is malformed as a whole gives no trunk.
TEST(TrunkRangeTest, Expands) {
    const std::vector<RangeCase> cases = Rows(
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
        RangeCase{"5,3-6", 511, "005 003 004 005 006", 0},
        RangeCase{"1,600,2-3,0-0,4", 511, "001 002 003 004", 2},
        // Pasted letters read as no number.
        RangeCase{"ab", 511, "000", 0});
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.text);
        const TrunkRangeResult r = ParseTrunkRange(QString::fromUtf8(c.text), c.highest);
        EXPECT_EQ(r.trunks.join(u' '), QString::fromUtf8(c.trunks));
        EXPECT_EQ(r.numberErrors, c.errors);
    }
    EXPECT_EQ(FormatTrunk(1234), u"1234"_s);  // three digits at least
}

// The safety net's strict reading: the first fault and its character, or
// the trunks with single numbers above the highest left out.
TEST(DestinationListTest, RefusesWhatCannotBeMeant) {
    using F = DestinationList::Fault;
    struct Case {
        const char* text;
        F fault;
        int position;
        const char* trunks;  // or the sign, piece or number the fault names
        const char* leftOut;
    };
    const Case cases[] = {
        {"", F::Empty, 0, "", ""},
        {"5-", F::MissingNumber, 2, "-", ""},
        {"-5", F::MissingNumber, 1, "-", ""},
        {"1,,2", F::MissingNumber, 3, ",", ""},
        {",1", F::MissingNumber, 1, ",", ""},
        {"1,", F::MissingNumber, 2, ",", ""},
        {"5-65-", F::SecondDash, 5, "5-65-", ""},
        {"2,40-4135-36", F::SecondDash, 10, "40-4135-36", ""},
        {"5--6", F::SecondDash, 3, "5--6", ""},
        {"1,40-4135", F::AboveHighest, 6, "4135", ""},
        {"600,700", F::AboveHighest, 1, "600", ""},
        {"8,600", F::None, 0, "008", "600"},
        {"600,2-3,0-0,700", F::None, 0, "002 003 000", "600 700"},
        {"5-3,5", F::None, 0, "005 004 003 005", ""},
    };
    for (const Case& c : cases) {
        const DestinationList r = ReadDestinationList(QString::fromLatin1(c.text), 511);
        EXPECT_EQ(r.fault, c.fault) << c.text;
        EXPECT_EQ(r.position, c.position) << c.text;
        const QString named = c.fault == F::MissingNumber  ? QString(r.sign)
                              : c.fault == F::SecondDash   ? r.piece
                              : c.fault == F::AboveHighest ? r.number
                                                           : r.trunks.trunks.join(u' ');
        EXPECT_EQ(named, QString::fromLatin1(c.trunks)) << c.text;
        EXPECT_EQ(r.leftOut.join(u' '), QString::fromLatin1(c.leftOut)) << c.text;
    }
}

}  // namespace
}  // namespace kestrel

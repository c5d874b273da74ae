#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "support/TableFiles.h"
#include "tools/AnswerCodes.h"
#include "tools/KeyFilters.h"
#include "tools/StringTools.h"

namespace kestrel {
namespace {

TEST(ApplyDataFormatTest, LaysTheValueInFromTheRight) {
    const struct {
        QVariant value;
        const char *format, *expected;
    } cases[] = {{5, "000", "005"},           {12345, "000", "12345"},
                 {123, "0-00", "0-23"},       {u"X105"_s, "0000", "X105"},
                 {u"1F"_s, "00", "1F"},       {u"7"_s, "00", "07"},
                 {u"0103"_s, "0000", "0103"}, {u"5"_s, "T000", "T005"},
                 {u"12"_s, "T0000", "T0012"}, {u"123456"_s, "T00", "T123456"},
                 {u"ab"_s, "0x0", "0xb"},     {QString(), "000", "000"},
                 {u"42"_s, "", "42"},         {u"42"_s, "-", "-42"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ApplyDataFormat(c.value, Q(c.format)), Q(c.expected))
            << c.value.toString().toStdString() << " in " << c.format;
    }
}

TEST(SplitListTest, StopsAtTheFirstEmptyPiece) {
    const struct {
        const char *text, *sep;
        int last;
        QStringList pieces;
    } cases[] = {{"7", ",", 0, {"7"}},
                 {"", ",", -1, {"kept"}},
                 {"1,2,3", ",", 2, {"1", "2", "3"}},
                 {"1,,2", ",", 0, {"1"}},
                 {"1,2,", ",", 1, {"1", "2"}},
                 {",1", ",", -1, {"kept"}},
                 {"1-5,9", ",", 1, {"1-5", "9"}},
                 {"a::b", "::", 1, {"a", "b"}},
                 {"abc", "", -1, {"kept"}}};
    for (const auto& c : cases) {
        QStringList pieces{u"kept"_s};
        EXPECT_EQ(SplitList(Q(c.text), pieces, Q(c.sep)), c.last) << c.text;
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
}

TEST(RangeTest, NumbersAroundTheFirstDash) {
    const struct {
        const char* text;
        int start, end;
    } cases[] = {{"1-5", 1, 5},    {"20-10", 20, 10},     {"-5", 0, 5},
                 {"5-", 5, 0},     {"1-5-9", 1, 5},       {"0-0", 0, 0},
                 {"007-9x", 7, 9}, {"99999-1", 32767, 1}, {"abc-def", 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(RangeStart(Q(c.text)), c.start) << c.text;
        EXPECT_EQ(RangeEnd(Q(c.text)), c.end) << c.text;
    }
    EXPECT_EQ(CountChar(u"1-5-9"_s, u"-"_s), 2);
    EXPECT_EQ(CountChar(u"1,2"_s, u"-"_s), 0);
    EXPECT_EQ(CountChar(u"aaa"_s, u"aa"_s), 0);
}

TEST(KeyFilterTest, PassRaiseOrDrop) {
    const struct {
        int key, digit, hex, station, range;
    } cases[] = {{'0', '0', '0', '0', '0'}, {'9', '9', '9', '9', '9'}, {8, 8, 8, 8, 8},
                 {'a', 0, 'A', 'A', 0},     {'b', 0, 'B', 'B', 0},     {'c', 0, 'C', 0, 0},
                 {'F', 0, 'F', 0, 0},       {'f', 0, 'F', 0, 0},       {'g', 0, 0, 0, 0},
                 {'A', 0, 'A', 'A', 0},     {'-', 0, 0, 0, '-'},       {',', 0, 0, 0, ','},
                 {' ', 0, 0, 0, 0},         {13, 0, 0, 0, 0},          {0xE9, 0, 0, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(FilterDigitKey(c.key), c.digit) << c.key;
        EXPECT_EQ(FilterHexKey(c.key), c.hex) << c.key;
        EXPECT_EQ(FilterStationKey(c.key), c.station) << c.key;
        EXPECT_EQ(FilterRangeKey(c.key), c.range) << c.key;
    }
    EXPECT_EQ(FilterKeyByName(u"ISDN_FILTER"_s, 'b'), 'B');
    EXPECT_EQ(FilterKeyByName(u"OTHER"_s, '?'), '?');
}

struct Answer {
    const char* text;
    int code;
};

// The codes at the edges of each run of the table, and the second form of
// "CODE NOT ALLOWED" that breaks the runs.
TEST(ClassifyAnswerTest, CodesFollowTablePositions) {
    const Answer table[] = {
        {"DIGIT ERROR", 0},       {"SEE CM", 15},         {"OK", 100},
        {"COMMAND=", 106},        {"CODE NOTALLOWED", 2}, {"CODE NOT ALLOWED", 2},
        {"OPX_TIMEOUT", 60},      {"OPX_NO_IPPBX", 77},   {"OPX_OK", 80},
        {"OPX_STN_MLTIP", 94},    {"OPX_STN_MLT", 86},    {"OPX_STN", 83},
        {"TRK NOT ASSIGNED", 10}, {"OPX_USERCANCEL", 61}, {"OPX_STN_NOT ASSIGNED", 93},
    };
    for (const Answer& a : table) {
        EXPECT_EQ(ClassifyAnswer(QString::fromUtf8(a.text)), a.code) << a.text;
    }
}

TEST(ClassifyAnswerTest, PrefixesCaseAndLength) {
    const Answer cases[] = {
        {"", -1},
        {"0123", -1},
        {"ok", -1},
        {"Ok", -1},
        {"OK 1", 100},
        {"OKAY", 100},
        {"NONEXISTENT", 101},
        {"ERRORS", 104},
        {"OPX_STN_X", 83},
        {"OPX_STN_MLTIPLE", 94},
        {"OPX_STN_NOT ASSIGNED YET", 93},
        {" OK", -1},
        {"ENDING", 14},
        {"X:TRK NOT ASSIGNED", -1},
        // 30 characters: only the last 25 are examined.
        {"ABCDEFGHIJKLMNOPQRDATA NOT SET", -1},
        {"12345DATA NOT SET1234567890123", 13},
        {"xxxxxOK12345678901234567890123", 100},
        {"xxxxxxOK1234567890123456789012", -1},
    };
    for (const Answer& a : cases) {
        EXPECT_EQ(ClassifyAnswer(QString::fromUtf8(a.text)), a.code) << a.text;
    }
}

}  // namespace
}  // namespace kestrel

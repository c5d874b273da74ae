#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "tools/KeyFilters.h"
#include "tools/StringTools.h"

namespace kestrel {
namespace {

TEST(ApplyDataFormatTest, LaysTheValueInFromTheRight) {
    const struct {
        QVariant value;
        const char* format;
        const char* expected;
    } cases[] = {
        {5, "000", "005"},
        {12345, "000", "12345"},
        {123, "0-00", "0-23"},
        {QStringLiteral("X105"), "0000", "X105"},
        {QStringLiteral("1F"), "00", "1F"},
        {QStringLiteral("7"), "00", "07"},
        {QStringLiteral("0103"), "0000", "0103"},
        {QStringLiteral("5"), "T000", "T005"},
        {QStringLiteral("12"), "T0000", "T0012"},
        {QStringLiteral("123456"), "T00", "T123456"},
        {QStringLiteral("ab"), "0x0", "0xb"},
        {QString(), "000", "000"},
        {QStringLiteral("42"), "", "42"},
        {QStringLiteral("42"), "-", "-42"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ApplyDataFormat(c.value, QString::fromUtf8(c.format)),
                  QString::fromUtf8(c.expected))
            << c.value.toString().toStdString() << " in " << c.format;
    }
}

TEST(SplitListTest, StopsAtTheFirstEmptyPiece) {
    const struct {
        const char* text;
        const char* sep;
        int last;
        QStringList pieces;
    } cases[] = {
        {"7", ",", 0, {"7"}},
        {"", ",", -1, {"kept"}},
        {"1,2,3", ",", 2, {"1", "2", "3"}},
        {"1,,2", ",", 0, {"1"}},
        {"1,2,", ",", 1, {"1", "2"}},
        {",1", ",", -1, {"kept"}},
        {"1-5,9", ",", 1, {"1-5", "9"}},
        {"a::b", "::", 1, {"a", "b"}},
        {"abc", "", -1, {"kept"}},
    };
    for (const auto& c : cases) {
        QStringList pieces{QStringLiteral("kept")};
        EXPECT_EQ(SplitList(QString::fromUtf8(c.text), pieces, QString::fromUtf8(c.sep)), c.last)
            << c.text;
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
}

TEST(RangeTest, NumbersAroundTheFirstDash) {
    const struct {
        const char* text;
        int start;
        int end;
    } cases[] = {
        {"1-5", 1, 5}, {"20-10", 20, 10}, {"-5", 0, 5},          {"5-", 5, 0},      {"1-5-9", 1, 5},
        {"0-0", 0, 0}, {"007-9x", 7, 9},  {"99999-1", 32767, 1}, {"abc-def", 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RangeStart(QString::fromUtf8(c.text)), c.start) << c.text;
        EXPECT_EQ(RangeEnd(QString::fromUtf8(c.text)), c.end) << c.text;
    }
    EXPECT_EQ(CountChar(QStringLiteral("1-5-9"), QStringLiteral("-")), 2);
    EXPECT_EQ(CountChar(QStringLiteral("1,2"), QStringLiteral("-")), 0);
    EXPECT_EQ(CountChar(QStringLiteral("aaa"), QStringLiteral("aa")), 0);
}

TEST(KeyFilterTest, PassRaiseOrDrop) {
    const struct {
        int key;
        int digit;
        int hex;
        int station;
        int range;
    } cases[] = {
        {'0', '0', '0', '0', '0'}, {'9', '9', '9', '9', '9'}, {8, 8, 8, 8, 8},
        {'a', 0, 'A', 'A', 0},     {'b', 0, 'B', 'B', 0},     {'c', 0, 'C', 0, 0},
        {'F', 0, 'F', 0, 0},       {'f', 0, 'F', 0, 0},       {'g', 0, 0, 0, 0},
        {'A', 0, 'A', 'A', 0},     {'-', 0, 0, 0, '-'},       {',', 0, 0, 0, ','},
        {' ', 0, 0, 0, 0},         {13, 0, 0, 0, 0},          {0xE9, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FilterDigitKey(c.key), c.digit) << c.key;
        EXPECT_EQ(FilterHexKey(c.key), c.hex) << c.key;
        EXPECT_EQ(FilterStationKey(c.key), c.station) << c.key;
        EXPECT_EQ(FilterRangeKey(c.key), c.range) << c.key;
    }
    EXPECT_EQ(FilterKeyByName(QStringLiteral("ISDN_FILTER"), 'b'), 'B');
    EXPECT_EQ(FilterKeyByName(QStringLiteral("OTHER"), '?'), '?');
}

}  // namespace
}  // namespace kestrel

#include <gtest/gtest.h>

#include "support/QtPrinters.h"

#include "localisation/MsgBoxButtons.h"
#include "localisation/TokenExpansion.h"

namespace kestrel {
namespace {

struct TokenCase {
    const char* text;
    const char* insertBefore;
    const char* expected;
    const char* insertAfter;
};

void PrintTo(const TokenCase& c, std::ostream* os) {
    *os << c.text;
}

class ExpandTokensTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(ExpandTokensTest, Expands) {
    const TokenCase& c = GetParam();
    QString insert = QString::fromUtf8(c.insertBefore);
    EXPECT_EQ(ExpandTokens(QString::fromUtf8(c.text), insert), QString::fromUtf8(c.expected));
    EXPECT_EQ(insert, QString::fromUtf8(c.insertAfter));
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, ExpandTokensTest,
    ::testing::Values(
        TokenCase{"Line one & %CR & Line two", "", "Line one\rLine two", ""},
        TokenCase{"a&%SP&b", "", "a b", ""}, TokenCase{"a&%SP4&b", "", "a    b", ""},
        TokenCase{"%AND", "", "&", ""},
        TokenCase{"Trunk&%SP&%ST&%SP&is busy", "012", "Trunk 012 is busy", "012"},
        TokenCase{"Trunk&%SP&%ST&%SP&is busy", "012%034", "Trunk 012 is busy", "034"},
        TokenCase{"%ST&,&%ST&,&%ST", "1%2%3", "1,2,3", "3"},
        TokenCase{"%ST&-&%ST", "only", "only-only", "only"},
        TokenCase{"before%STafter", "X%Y", "X", "Y"},
        TokenCase{"  spaced  &  out  ", "", "spacedout", ""}, TokenCase{"Start&-1", "", "-1", ""},
        TokenCase{"-1&Tail", "", "-1Tail", ""}, TokenCase{"", "keep", "", "keep"},
        TokenCase{"%cr", "", "%cr", ""}, TokenCase{"a&&b", "", "ab", ""},
        TokenCase{"%ST", "D001,D002,\r\nmore...", "D001,D002,\r\nmore...", "D001,D002,\r\nmore..."},
        TokenCase{"Ünïcode & %SP & 'quoted' \"text\"", "", "Ünïcode 'quoted' \"text\"", ""}));

struct ButtonCase {
    const char* names;
    std::int32_t value;
};

TEST(ParseButtonsTest, SumsExactNames) {
    const ButtonCase cases[] = {
        {"vbYesNo+vbQuestion", 36},
        {"vbYesNo + vbQuestion", 0},
        {"", 0},
        {"vbOKOnly", 0},
        {"vbokonly+vbCritical", 16},
        {"vbOKCancel+vbExclamation+vbDefaultButton2", 305},
        {"vbYesNoCancel+vbInformation+vbDefaultButton3+vbMsgBoxHelpButton", 16963},
        {"vbAbortRetryIgnore+vbDefaultButton4+vbSystemModal", 4866},
        {"vbRetryCancel+vbMsgBoxSetForeground+vbMsgBoxRight+vbMsgBoxRtlReading", 1638405},
        {"vbApplicationModal+vbDefaultButton1+Unknown", 0},
        {"+vbCritical+", 16},
    };
    for (const ButtonCase& c : cases) {
        EXPECT_EQ(ParseButtons(QString::fromUtf8(c.names)), c.value) << c.names;
    }
    EXPECT_EQ(ButtonConstant(QStringLiteral("vbMsgBoxHelpButton")), 16384);
    EXPECT_EQ(ButtonConstant(QStringLiteral("VBCRITICAL")), 0);
}

}  // namespace
}  // namespace kestrel

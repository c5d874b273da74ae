#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "support/TableFiles.h"

#include "localisation/MsgBoxButtons.h"
#include "localisation/TokenExpansion.h"

namespace kestrel {
namespace {

TEST(ExpandTokensTest, ExpandsPiecesAndTakesInsertValuesInTurn) {
    const struct {
        const char *text, *insertBefore, *expected, *insertAfter;
    } cases[] = {{"Line one & %CR & Line two", "", "Line one\rLine two", ""},
                 {"a&%SP&b", "", "a b", ""},
                 {"a&%SP4&b", "", "a    b", ""},
                 {"%AND", "", "&", ""},
                 {"Trunk&%SP&%ST&%SP&is busy", "012", "Trunk 012 is busy", "012"},
                 {"Trunk&%SP&%ST&%SP&is busy", "012%034", "Trunk 012 is busy", "034"},
                 {"%ST&,&%ST&,&%ST", "1%2%3", "1,2,3", "3"},
                 {"%ST&-&%ST", "only", "only-only", "only"},
                 {"before%STafter", "X%Y", "X", "Y"},
                 {"  spaced  &  out  ", "", "spacedout", ""},
                 {"Start&-1", "", "-1", ""},
                 {"-1&Tail", "", "-1Tail", ""},
                 {"", "keep", "", "keep"},
                 {"%cr", "", "%cr", ""},
                 {"a&&b", "", "ab", ""},
                 {"%ST", "D001,D002,\r\nmore...", "D001,D002,\r\nmore...", "D001,D002,\r\nmore..."},
                 {"Ünïcode & %SP & 'quoted' \"text\"", "", "Ünïcode 'quoted' \"text\"", ""}};
    for (const auto& c : cases) {
        QString insert = Q(c.insertBefore);
        EXPECT_EQ(ExpandTokens(Q(c.text), insert), Q(c.expected)) << c.text;
        EXPECT_EQ(insert, Q(c.insertAfter)) << c.text;
    }
}

TEST(ParseButtonsTest, SumsExactNames) {
    const struct {
        const char* names;
        std::int32_t value;
    } cases[] = {{"vbYesNo+vbQuestion", 36},
                 {"vbYesNo + vbQuestion", 0},
                 {"", 0},
                 {"vbOKOnly", 0},
                 {"vbokonly+vbCritical", 16},
                 {"vbOKCancel+vbExclamation+vbDefaultButton2", 305},
                 {"vbYesNoCancel+vbInformation+vbDefaultButton3+vbMsgBoxHelpButton", 16963},
                 {"vbAbortRetryIgnore+vbDefaultButton4+vbSystemModal", 4866},
                 {"vbRetryCancel+vbMsgBoxSetForeground+vbMsgBoxRight+vbMsgBoxRtlReading", 1638405},
                 {"vbApplicationModal+vbDefaultButton1+Unknown", 0},
                 {"+vbCritical+", 16}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseButtons(Q(c.names)), c.value) << c.names;
    EXPECT_EQ(ButtonConstant(u"vbMsgBoxHelpButton"_s), 16384);
    EXPECT_EQ(ButtonConstant(u"VBCRITICAL"_s), 0);
}

}  // namespace
}  // namespace kestrel

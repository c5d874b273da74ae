#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "tools/AnswerCodes.h"

namespace kestrel {
namespace {

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

#include <gtest/gtest.h>

#include "support/QtPrinters.h"
#include "tools/AnswerCodes.h"

namespace kestrel {
namespace {

struct Answer {
    const char* text;
    int code;
};

// Every table text, in table order, classifies to its code.
TEST(ClassifyAnswerTest, WholeTable) {
    const Answer table[] = {
        {"DIGIT ERROR", 0},
        {"DATA ERROR", 1},
        {"CODE NOT ALLOWED", 2},
        {"CODE NOT USED", 3},
        {"DATA NOT FOUND", 4},
        {"WAIT, BUSY NOW", 5},
        {"ASSIGNED ALREADY", 6},
        {"HARD WARE ERROR", 7},
        {"WD ERROR", 8},
        {"USE CM", 9},
        {"TRK NOT ASSIGNED", 10},
        {"ASSIGNED TO", 11},
        {"MEMORY FULL", 12},
        {"DATA NOT SET", 13},
        {"END", 14},
        {"SEE CM", 15},
        {"OK", 100},
        {"NONE", 101},
        {"WRONG", 102},
        {"MEMORY CLEAR?", 103},
        {"ERROR", 104},
        {"INITIAL?", 105},
        {"COMMAND=", 106},
        {"CODE NOTALLOWED", 2},
        {"OPX_TIMEOUT", 60},
        {"OPX_USERCANCEL", 61},
        {"OPX_LACK INPUT", 62},
        {"OPX_PORT TROUBLES", 63},
        {"OPX_SYSERROR", 64},
        {"OPX_CMD RERR", 65},
        {"OPX_CMD WERR", 66},
        {"OPX_CHECKSUMERROR", 67},
        {"OPX_INVALID FILENAME", 68},
        {"OPX_INVALID PROCNUM", 69},
        {"OPX_INVALID AREANUM", 70},
        {"OPX_INVALID FILEFORMAT", 71},
        {"OPX_WRITE ERROR", 72},
        {"OPX_MEM OVERFLOW", 73},
        {"OPX_DISK_WRITE_ERROR", 74},
        {"OPX_INVALID_SEQUENCE", 75},
        {"OPX_BACKUP_NG", 76},
        {"OPX_NO_IPPBX", 77},
        {"OPX_OK", 80},
        {"OPX_NONE", 81},
        {"OPX_NO DUMY NUM", 82},
        {"OPX_STN", 83},
        {"OPX_PKG", 84},
        {"OPX_STN_STATION", 85},
        {"OPX_STN_MLT", 86},
        {"OPX_STN_VIRTUAL", 87},
        {"OPX_STN_PS", 88},
        {"OPX_STN_ISDN", 89},
        {"OPX_STN_MODEM", 90},
        {"OPX_STN_DATA", 91},
        {"OPX_STN_OTHERS", 92},
        {"OPX_STN_NOT ASSIGNED", 93},
        {"OPX_STN_MLTIP", 94},
    };
    EXPECT_EQ(std::size(table), 57u);
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

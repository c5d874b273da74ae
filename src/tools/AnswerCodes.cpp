#include "AnswerCodes.h"

#include <array>

namespace kestrel {

namespace {

struct AnswerEntry {
    const char16_t* text;
    int code;
};

// Order matters: a later match wins, so "OPX_STN_STATION" beats its prefix
// "OPX_STN".
constexpr std::array<AnswerEntry, 57> kAnswers = {{
    {u"DIGIT ERROR", 0},
    {u"DATA ERROR", 1},
    {u"CODE NOT ALLOWED", 2},
    {u"CODE NOT USED", 3},
    {u"DATA NOT FOUND", 4},
    {u"WAIT, BUSY NOW", 5},
    {u"ASSIGNED ALREADY", 6},
    {u"HARD WARE ERROR", 7},
    {u"WD ERROR", 8},
    {u"USE CM", 9},
    {u"TRK NOT ASSIGNED", 10},
    {u"ASSIGNED TO", 11},
    {u"MEMORY FULL", 12},
    {u"DATA NOT SET", 13},
    {u"END", 14},
    {u"SEE CM", 15},
    {u"OK", 100},
    {u"NONE", 101},
    {u"WRONG", 102},
    {u"MEMORY CLEAR?", 103},
    {u"ERROR", 104},
    {u"INITIAL?", 105},
    {u"COMMAND=", 106},
    {u"CODE NOTALLOWED", 2},
    {u"OPX_TIMEOUT", 60},
    {u"OPX_USERCANCEL", 61},
    {u"OPX_LACK INPUT", 62},
    {u"OPX_PORT TROUBLES", 63},
    {u"OPX_SYSERROR", 64},
    {u"OPX_CMD RERR", 65},
    {u"OPX_CMD WERR", 66},
    {u"OPX_CHECKSUMERROR", 67},
    {u"OPX_INVALID FILENAME", 68},
    {u"OPX_INVALID PROCNUM", 69},
    {u"OPX_INVALID AREANUM", 70},
    {u"OPX_INVALID FILEFORMAT", 71},
    {u"OPX_WRITE ERROR", 72},
    {u"OPX_MEM OVERFLOW", 73},
    {u"OPX_DISK_WRITE_ERROR", 74},
    {u"OPX_INVALID_SEQUENCE", 75},
    {u"OPX_BACKUP_NG", 76},
    {u"OPX_NO_IPPBX", 77},
    {u"OPX_OK", 80},
    {u"OPX_NONE", 81},
    {u"OPX_NO DUMY NUM", 82},
    {u"OPX_STN", 83},
    {u"OPX_PKG", 84},
    {u"OPX_STN_STATION", 85},
    {u"OPX_STN_MLT", 86},
    {u"OPX_STN_VIRTUAL", 87},
    {u"OPX_STN_PS", 88},
    {u"OPX_STN_ISDN", 89},
    {u"OPX_STN_MODEM", 90},
    {u"OPX_STN_DATA", 91},
    {u"OPX_STN_OTHERS", 92},
    {u"OPX_STN_NOT ASSIGNED", 93},
    {u"OPX_STN_MLTIP", 94},
}};

constexpr qsizetype kExamined = 25;

}  // namespace

int ClassifyAnswer(const QString& answer) {
    const QStringView s =
        answer.size() > kExamined ? QStringView(answer).right(kExamined) : QStringView(answer);
    int result = code::kDataValue;
    for (const AnswerEntry& entry : kAnswers) {
        if (s.startsWith(QStringView(entry.text))) {
            result = entry.code;
        }
    }
    return result;
}

}  // namespace kestrel

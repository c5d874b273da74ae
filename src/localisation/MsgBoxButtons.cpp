#include "MsgBoxButtons.h"

#include <QHash>

namespace kestrel {

std::int32_t ButtonConstant(const QString& name) {
    static const QHash<QString, std::int32_t> kValues = {
        {QStringLiteral("vbOKOnly"), 0},
        {QStringLiteral("vbOKCancel"), 1},
        {QStringLiteral("vbAbortRetryIgnore"), 2},
        {QStringLiteral("vbYesNoCancel"), 3},
        {QStringLiteral("vbYesNo"), 4},
        {QStringLiteral("vbRetryCancel"), 5},
        {QStringLiteral("vbCritical"), 16},
        {QStringLiteral("vbQuestion"), 32},
        {QStringLiteral("vbExclamation"), 48},
        {QStringLiteral("vbInformation"), 64},
        {QStringLiteral("vbDefaultButton1"), 0},
        {QStringLiteral("vbDefaultButton2"), 256},
        {QStringLiteral("vbDefaultButton3"), 512},
        {QStringLiteral("vbDefaultButton4"), 768},
        {QStringLiteral("vbApplicationModal"), 0},
        {QStringLiteral("vbSystemModal"), 4096},
        {QStringLiteral("vbMsgBoxHelpButton"), 16384},
        {QStringLiteral("vbMsgBoxSetForeground"), 65536},
        {QStringLiteral("vbMsgBoxRight"), 524288},
        {QStringLiteral("vbMsgBoxRtlReading"), 1048576},
    };
    return kValues.value(name, 0);
}

std::int32_t ParseButtons(const QString& names) {
    if (names.isEmpty())
        return 0;
    std::int32_t sum = 0;
    for (const QString& piece : names.split(u'+')) {
        sum += ButtonConstant(piece);
    }
    return sum;
}

}  // namespace kestrel

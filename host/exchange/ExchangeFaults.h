#pragma once

#include <QSet>
#include <QString>

namespace kestrel {

// Faults a simulated exchange is told to show; all off by default.
struct ExchangeFaults {
    QString loginReply;         // fixed reply of Login, e.g. "BUSY"
    QString sendReply;          // fixed reply of SendRequest, e.g. "ERROR"
    int entryDelayMs = 0;       // time taken per request entry
    QSet<int> linkFailEntries;  // 0-based entries answered with linkFailText
    QString linkFailText = QStringLiteral("OPX_TIMEOUT");
    int cancelAfter = -1;       // the engineer cancels after this many entries
    int errCode = 0;            // completion code of every answer
    QSet<QString> refuseItems;  // item keys whose writes are refused
    QString refuseText = QStringLiteral("CODE NOT ALLOWED");
    QSet<QString> silentItems;  // item keys whose writes answer OK but store nothing
};

}  // namespace kestrel

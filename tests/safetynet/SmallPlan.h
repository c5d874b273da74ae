#pragma once

#include "safetynet/CopyPlan.h"
#include "safetynet/TrunkSnapshot.h"

namespace kestrel::test {

// Trunks 004 to 006 and 008 with three items; 002 not assigned, 007
// refused. 3001 changes on 005, 3002 on 006 and 008, 3003 nowhere.
inline TrunkSnapshot SmallSnapshot() {
    TrunkSnapshot s;
    const auto put = [&s](const QString& trunk, const QString& v1, const QString& v2) {
        s.trunks.append(trunk);
        s.values[trunk] = {{"3001", v1}, {"3002", v2}, {"3003", "2"}};
    };
    put("004", "01", "NONE");
    put("005", "02", "NONE");
    put("006", "01", "3");
    put("008", "01", "");
    s.notAssigned = {"002"};
    s.refused = {{"007", "WAIT, BUSY NOW"}};
    return s;
}

// The source's values of the three items, `count` of them from the first.
inline QList<SourceItem> SmallSource(int count = 3) {
    return QList<SourceItem>{{"3001", "Trunk route", "01"},
                             {"3002", "Class of service", "CCC"},
                             {"3003", "Dial type", "2"}}
        .mid(0, count);
}

}  // namespace kestrel::test

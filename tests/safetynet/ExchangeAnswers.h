#pragma once

#include <QStringList>

#include "copyengine/TrunkRange.h"
#include "exchange/SimulatedExchange.h"
#include "hostlink/cListRequest.h"
#include "platform/Database.h"
#include "safetynet/CopyPlan.h"
#include "safetynet/TrunkSnapshot.h"
#include "support/SqlRows.h"

namespace kestrel::test {

inline const QString kExchangeSeed =
    QStringLiteral(KESTREL_STAGE_ROOT "/HELM32/DATABASE/Exchange.seed");

// Reads `trunks` from the exchange through the snapshot requests.
inline TrunkSnapshot ReadSnapshot(SimulatedExchange& exchange, const QStringList& trunks,
                                  int itemsPerTrunk = 16) {
    TrunkSnapshot snapshot;
    for (const cListRequest& request : SnapshotRequests(trunks, itemsPerTrunk, 12))
        TakeSnapshotAnswer(AnswerOf(exchange, request), snapshot);
    return snapshot;
}

// The items 3001 to 3016 of a trunk as a Get would list them, with the
// catalogue's descriptions.
inline QList<SourceItem> SourceItemsOf(SimulatedExchange& exchange, const QString& trunk) {
    auto titles =
        Database::Open(QStringLiteral(KESTREL_STAGE_ROOT "/ADDINS/DATABASE/KESTREL.MDB"), true);
    const TrunkSnapshot source = ReadSnapshot(exchange, {trunk});
    QList<SourceItem> items;
    for (int n = 3001; n <= 3016; ++n) {
        const QString key = QString::number(n);
        items.append({key,
                      SqlValue(*titles, "SELECT Description FROM CMD30Titles WHERE CMD = ?", {key}),
                      source.Value(trunk, key)});
    }
    return items;
}

}  // namespace kestrel::test

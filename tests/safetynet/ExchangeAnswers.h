#pragma once

#include <QStringList>

#include "copyengine/TrunkRange.h"
#include "exchange/SimulatedExchange.h"
#include "hostlink/cListRequest.h"
#include "safetynet/TrunkSnapshot.h"

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

}  // namespace kestrel::test

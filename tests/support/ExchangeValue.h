#pragma once

#include "exchange/BuiltInHost.h"
#include "exchange/SimulatedExchange.h"
#include "support/SqlRows.h"

namespace kestrel::test {

// The file of exchange PBX1 the built-in host's link works on.
inline std::unique_ptr<SimulatedExchange> OpenExchange() {
    return SimulatedExchange::Open(ExchangeFolder(), QStringLiteral("PBX1"), ExchangeSeedPath());
}

// What the simulated exchange's file holds for an item of a trunk; empty
// when it holds no such row.
inline QString ExchangeValue(SimulatedExchange& exchange, int trunk, const QString& item) {
    return SqlValue(exchange.Db(),
                    QStringLiteral("SELECT Value FROM TrunkData WHERE Trunk = ? AND CMD = ?"),
                    {trunk, item});
}

}  // namespace kestrel::test

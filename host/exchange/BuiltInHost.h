#pragma once

#include <QString>
#include <memory>

namespace kestrel {

class SimulatedLink;

// Creates the host object of a standalone start by its class name:
// "PBXDeskProj.cPBXOLE" and "PBXDeskProj<version>.cPBXOle" (any case) give
// a link on the simulated exchanges of the suite's database folder
// (EXCHANGE/ beside Common.LNG, new exchanges made from Exchange.seed).
// Any other name raises RunError 429. The link reports the progress of
// each request (requestProgress, requestEnded) and cancels one request
// (CancelRequest) or a login's requests (CancelLogin); see SimulatedLink.
std::unique_ptr<SimulatedLink> CreateHostObject(const QString& className);

// Where the built-in host keeps its exchanges, and the seed of new ones.
QString ExchangeFolder();
QString ExchangeSeedPath();

}  // namespace kestrel

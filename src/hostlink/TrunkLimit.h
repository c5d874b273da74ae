#pragma once

#include <QString>

namespace kestrel {

class HostProgramme;

// The highest trunk number of the named exchange, asked of the host's
// processor information: 255 for processors "SC-" with a revision up to
// "M", else 511 (also when the host cannot tell).
int MaxTrunkForVersion(HostProgramme* host, const QString& exchangeName);

}  // namespace kestrel

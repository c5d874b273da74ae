#pragma once

#include <QString>

#include "PgLink.h"

namespace kestrel {

// Why the team's server could not be used, in the language of the window,
// naming the server and, where it helps, its own words; empty for None.
QString TeamProblemText(TeamProblem problem, const QString& serverName, const QString& detail);

}  // namespace kestrel

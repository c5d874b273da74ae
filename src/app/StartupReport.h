#pragma once

#include <QTextStream>

namespace kestrel {

// Prints what the start-up resolved (folders, databases, message table,
// project title) and proves the working copy can be made, opened and
// removed. Stands in for the main window in a standalone start until the
// window exists; true when every check passed.
bool PrintStartupReport(QTextStream& out);

}  // namespace kestrel

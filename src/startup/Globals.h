#pragma once

#include <QString>
#include <memory>

#include "platform/Database.h"

namespace kestrel {

// Process-wide values, set at start and living until the process ends.
extern bool g_Standalone;
extern QString g_AddinVersion;
extern QString g_BackgroundPath;
extern std::unique_ptr<Database> g_CommonDb;
extern std::unique_ptr<Database> g_LangDb;
extern QString g_WorkDbName;
// "True" while the additional-data dialog is loaded, else "False".
extern QString g_CmdDialogShown;

}  // namespace kestrel

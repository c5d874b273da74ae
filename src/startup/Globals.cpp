#include "Globals.h"

namespace kestrel {

bool g_Standalone = false;
QString g_AddinVersion;
QString g_BackgroundPath;
std::unique_ptr<Database> g_CommonDb;
std::unique_ptr<Database> g_LangDb;
QString g_WorkDbName;
QString g_CmdDialogShown = QStringLiteral("False");

}  // namespace kestrel

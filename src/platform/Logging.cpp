#include "Logging.h"

namespace kestrel {

// QtInfoMsg: debug messages stay off until a logging rule asks for them.
Q_LOGGING_CATEGORY(lcHostlink, "kestrel.hostlink", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAutomation, "kestrel.automation", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDb, "kestrel.db", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUi, "kestrel.ui", QtInfoMsg)

}  // namespace kestrel

#pragma once

#include <QLoggingCategory>

// The add-in's logging categories, one per subsystem, declared here in the
// lowest layer so every library can log without depending on the one above.
// Debug output is off unless switched on, for example with
// QT_LOGGING_RULES="kestrel.*.debug=true"; information, warnings and
// critical messages show by default.
namespace kestrel {

// Calls of the host programme and its exchange link.
Q_DECLARE_LOGGING_CATEGORY(lcHostlink)
// The D-Bus automation link: the add-in's objects and the host's proxies.
Q_DECLARE_LOGGING_CATEGORY(lcAutomation)
// The database layer and everything that reads or writes a database file.
Q_DECLARE_LOGGING_CATEGORY(lcDb)
// The window, its dialogs and the process start.
Q_DECLARE_LOGGING_CATEGORY(lcUi)

}  // namespace kestrel

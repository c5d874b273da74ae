#pragma once

#include <QString>

namespace kestrel {

// The application's own texts: its title (the default title of every
// message box) and the notices shown while an automation call to the host
// waits. Filled from the project record at start-up.
struct AppInfo {
    QString Title;
    QString OleServerBusyMsgTitle;
    QString OleServerBusyMsgText;
    QString OleRequestPendingMsgTitle;
    QString OleRequestPendingMsgText;
    int OleServerBusyTimeout = 10000;
    int OleRequestPendingTimeout = 20000;
};

AppInfo& App();

}  // namespace kestrel

#pragma once

#include <QString>

namespace kestrel {

// The application's own texts: its title (the default title of every
// message box), the notices shown while an automation call to the host
// waits and the help file of the language. Filled from the project record
// at start-up.
struct AppInfo {
    QString Title;
    QString HelpFile;  // name in the add-in's help folder; empty: kestrel.hlp
    QString OleServerBusyMsgTitle;
    QString OleServerBusyMsgText;
    QString OleRequestPendingMsgTitle;
    QString OleRequestPendingMsgText;
    int OleServerBusyTimeout = 10000;
    int OleRequestPendingTimeout = 20000;
};

AppInfo& App();

// The help file the engineer reads, in the language's own words: the
// project record's, or kestrel.hlp when it names none.
QString HelpFileName();

}  // namespace kestrel

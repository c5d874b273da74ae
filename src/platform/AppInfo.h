#pragma once

#include <QString>

namespace kestrel {

// The application's own texts: its title (the default title of every
// message box), the notices shown while an automation call to the host
// waits, the language and its help file and report template. Filled from
// the project record at start-up.
struct AppInfo {
    QString Title;
    QString HelpFile;  // name in the add-in's help folder; empty: kestrel.hlp
    // The language's folder under LANGUAGES/ and its code for Qt's own
    // translation; empty or "EN": English.
    QString Language;
    QString ReportFile;  // name in the add-in's report folder; empty: kestrel.rpt
    // The language's help file when it is missing and the English one is
    // read in its place (message boxes name it in their records).
    QString MissingHelpFile;
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

// The report template in the language's own words: the project record's,
// or kestrel.rpt when it names none.
QString ReportFileName();

// True for the language the tool is written in, which needs no files of
// its own: no language named, or "EN".
bool IsDefaultLanguage();

}  // namespace kestrel

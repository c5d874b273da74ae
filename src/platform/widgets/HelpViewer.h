#pragma once

#include <QPointer>
#include <QString>

class QTextBrowser;

namespace kestrel {

// Shows a help file (HTML whose topics are anchored by context number) at
// one topic. One viewer window per process, reused by every caller.
class HelpViewer {
public:
    static void ShowTopic(const QString& helpFile, int context);
    // The topic's text, for What's This pop-ups; empty when not found.
    static QString TopicText(const QString& helpFile, int context);
};

}  // namespace kestrel

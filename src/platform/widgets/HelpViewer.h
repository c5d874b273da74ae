#pragma once

#include <QHash>
#include <QPointer>
#include <QString>

class QTextBrowser;
class QWidget;

namespace kestrel {

// Shows a help file (HTML whose topics are anchored by context number) at
// one topic. One viewer window per process, reused by every caller.
class HelpViewer {
public:
    // `over`: the window the help is asked from. The viewer stands in front
    // of it and stays usable while it is modal (a message box waiting for
    // its answer), since a modal window blocks every window but its own.
    static void ShowTopic(const QString& helpFile, int context, QWidget* over = nullptr);
    // Every topic's text by its context: its heading and paragraphs, one a
    // line.
    static QHash<int, QString> TopicTexts(const QString& helpFile);
    // A topic as a What's This pop-up shows it: the heading set apart, in
    // bold, above its paragraphs.
    static QString WhatsThisText(const QString& topic);
};

}  // namespace kestrel

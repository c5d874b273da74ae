#pragma once

#include <QApplication>
#include <QTextBrowser>

namespace kestrel::test {

// The help viewer on screen, or nullptr.
inline QTextBrowser* OpenHelpViewer() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == u"helpViewer" && w->isVisible())
            return qobject_cast<QTextBrowser*>(w);
    return nullptr;
}

inline void CloseHelpViewers() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == u"helpViewer")
            w->close();
}

}  // namespace kestrel::test

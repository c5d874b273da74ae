#include "UserInputBlocker.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <utility>
#include <vector>

namespace kestrel {

namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

class Filter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsUserInput(event->type()))
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;  // the widget it is meant for is filtered in turn
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && (widget == modal || modal->isAncestorOf(widget)))
            return false;
        return true;
    }
};

int g_depth = 0;
Filter* g_filter = nullptr;
std::vector<std::pair<QPointer<QObject>, std::function<void()>>> g_afterReturn;

void Post(QObject* context, std::function<void()> routine) {
    QTimer::singleShot(0, context, std::move(routine));
}

}  // namespace

UserInputBlocker::UserInputBlocker() {
    if (g_depth++ == 0 && QCoreApplication::instance()) {
        g_filter = new Filter;
        QCoreApplication::instance()->installEventFilter(g_filter);
    }
}

UserInputBlocker::~UserInputBlocker() {
    if (--g_depth == 0 && g_filter) {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeEventFilter(g_filter);
        delete g_filter;
        g_filter = nullptr;
        for (auto& [context, routine] : std::exchange(g_afterReturn, {})) {
            if (context)
                Post(context, std::move(routine));
        }
    }
}

bool UserInputBlocker::Active() {
    return g_depth > 0;
}

void UserInputBlocker::AfterReturn(QObject* context, std::function<void()> routine) {
    if (g_depth > 0)
        g_afterReturn.emplace_back(context, std::move(routine));
    else
        Post(context, std::move(routine));
}

}  // namespace kestrel
